// The typical signal timing of a GenStart channel: when each of its signals is on, the
// level of each of the three wires over time, and the diagram that shows them.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/relay/CRelayModuleChannel.h"

#include <vector>

class CGraphicObSignal;

// The timed events of a start, in seconds from 0.
enum EGenStartEvent
{
    GENSTART_EVENT_PRE_CRANK = 0,
    GENSTART_EVENT_CRANK_DELAY = 1,
    GENSTART_EVENT_CRANK = 2,
    GENSTART_EVENT_WARMUP = 3,
    GENSTART_EVENT_COOLDOWN = 4,
    GENSTART_EVENT_STOP = 5,
    GENSTART_EVENT_MAX_ON = 6,
    GENSTART_EVENT_MIN_ON = 7,
    GENSTART_EVENT_MAX_OFF = 8,
    GENSTART_EVENT_MIN_OFF = 9
};

struct GenStartSpan_t
{
    double start;
    double end;
};

struct WirePoint_t
{
    double time;
    bool on;
};

struct GenStartTimeline_t
{
    std::vector<WirePoint_t> wires[3];
    double end;   // T: the last change on any wire (0 when none)
};

// The span an event marks in the diagram; empty (start == end) for the off times.
GenStartSpan_t GenStartEventSpan(const CRelayModuleChannel& channel, int event);
// Every wire's points: a point 1e-9 s before each change at the old level, and level 0 at
// T and T + 1.
GenStartTimeline_t BuildGenStartTimeline(const CRelayModuleChannel& channel);
// Clears the diagram and draws the timeline into it over 0 .. T + 1.
void FillGenStartDiagram(CGraphicObSignal& diagram, const CRelayModuleChannel& channel);
