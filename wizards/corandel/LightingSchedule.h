// The Corandel MPPT's lighting timers over one day, as the lighting page's dials show
// them: where sunrise and sunset fall for a trial day length, when each channel switches,
// what all channels together give, and the ring segments of a list of switching events.
#pragma once
#include "framework/FrameworkBase.h"

#include <utility>
#include <vector>

class CMpptSettings;

const int MINUTES_PER_DAY = 1440;

struct LightingEvent
{
    int minute;   // from midnight, 0 to 1439
    int action;   // LIGHTING_ACTION_NOTHING, _ON or _OFF
};
typedef std::vector<LightingEvent> LightingEvents;

// A ring segment: start and end angle in degrees, clockwise from midnight at the top.
typedef std::pair<float, float> LightingSegment;

struct LightingDay
{
    // Sunrise and sunset minute; -1 marks the one that does not happen on a day without
    // daylight (sunrise) or without night (sunset).
    int sunrise;
    int sunset;
    LightingEvents dayNight;   // the events of the day/night discs
};

// The day for a day length in minutes (0 to 1440), centred on midday.
LightingDay MakeLightingDay(int dayLengthMinutes);

// Minute 0 to 1439 for any number of minutes (negative ones count back from midnight).
int WrapMinute(int minute);

// The switching events of one channel for that day, and its effect on the combined
// output (one flag per minute): an OR channel turns its window on, an AND channel turns
// everything outside its window off. A channel whose first timer does nothing has no
// events and leaves the output alone.
LightingEvents ApplyLightingChannel(const CMpptSettings& settings, int channel, const LightingDay& day,
                                    std::vector<bool>* output);

// The events of the combined output: its switch-ons and switch-offs over the day.
LightingEvents OutputEvents(const std::vector<bool>& output);

// The "on" segments of a list of events (sorted stably by minute first; a last "on"
// without a later "off" ends where the first kept event is).
std::vector<LightingSegment> SegmentsOfEvents(LightingEvents events);

float MinuteToDegrees(int minute);
