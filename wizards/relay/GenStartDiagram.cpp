#include "wizards/relay/GenStartDiagram.h"

#include "graphics/CGraphicObAxisNumeric.h"
#include "graphics/CGraphicObSignal.h"

#include <algorithm>
#include <set>

namespace
{
const double BEFORE_CHANGE = 1e-9;

struct Interval_t
{
    double from;
    double to;
};

// The sequence of a start: pre-crank from 1 s, crank delay, crank, warm-up, the run,
// cool-down and stop, each after the one before.
struct Sequence_t
{
    GenStartSpan_t preCrank, crankDelay, crank, warmup, run, cooldown, stop;
};

Sequence_t MakeSequence(const CRelayModuleChannel& channel)
{
    Sequence_t s;
    s.preCrank = {1.0, 1.0 + channel.GetPreCrankTime()};
    s.crankDelay = {s.preCrank.end, s.preCrank.end + channel.GetCrankDelay()};
    s.crank = {s.crankDelay.end, s.crankDelay.end + channel.GetCrankTime()};
    s.warmup = {s.crank.end, s.crank.end + channel.GetWarmupTime()};
    const double w = s.warmup.end;
    s.run = w == 0.0 ? GenStartSpan_t{0.0, 30.0} : GenStartSpan_t{w, 2.5 * w};
    s.cooldown = {s.run.end, s.run.end + channel.GetCooldownTime()};
    s.stop = {s.cooldown.end, s.cooldown.end + channel.GetStopTime()};
    return s;
}
}

GenStartSpan_t GenStartEventSpan(const CRelayModuleChannel& channel, int event)
{
    const Sequence_t s = MakeSequence(channel);
    switch (event)
    {
    case GENSTART_EVENT_PRE_CRANK: return s.preCrank;
    case GENSTART_EVENT_CRANK_DELAY: return s.crankDelay;
    case GENSTART_EVENT_CRANK: return s.crank;
    case GENSTART_EVENT_WARMUP: return s.warmup;
    case GENSTART_EVENT_COOLDOWN: return s.cooldown;
    case GENSTART_EVENT_STOP: return s.stop;
    case GENSTART_EVENT_MAX_ON:
    case GENSTART_EVENT_MIN_ON: return s.run;
    default: return GenStartSpan_t{0.0, 0.0};
    }
}

GenStartTimeline_t BuildGenStartTimeline(const CRelayModuleChannel& channel)
{
    const Sequence_t s = MakeSequence(channel);
    std::vector<Interval_t> onWire[3];
    auto assign = [&](bool used, int wire, double from, double to) {
        if (used && wire >= 0 && wire < 3 && to > from)
            onWire[wire].push_back(Interval_t{from, to});
    };
    assign(channel.HasPreCrankSignal(), channel.GetPreCrankWire(), s.preCrank.start, s.preCrank.end);
    assign(channel.HasCrankSignal(), channel.GetCrankWire(), s.crank.start, s.crank.end);
    assign(channel.HasRunSignal(), channel.GetRunWire(), s.crank.start, s.cooldown.end);
    assign(channel.HasLoadSignal(), channel.GetLoadWire(), s.warmup.end, s.cooldown.start);
    assign(channel.HasStopSignal(), channel.GetStopWire(), s.stop.start, s.stop.end);

    GenStartTimeline_t timeline;
    timeline.end = 0.0;
    std::vector<std::pair<double, bool>> changes[3];
    for (int wire = 0; wire < 3; ++wire)
    {
        std::set<double> times = {0.0};
        for (const Interval_t& interval : onWire[wire])
        {
            times.insert(interval.from);
            times.insert(interval.to);
        }
        bool level = false;
        bool first = true;
        for (double t : times)
        {
            bool on = false;
            for (const Interval_t& interval : onWire[wire])
                on = on || (interval.from <= t && t < interval.to);
            if (first || on != level)
                changes[wire].push_back({t, on});
            if (!first && on != level)
                timeline.end = std::max(timeline.end, t);
            level = on;
            first = false;
        }
    }
    for (int wire = 0; wire < 3; ++wire)
    {
        std::vector<WirePoint_t>& points = timeline.wires[wire];
        bool level = false;
        for (size_t i = 0; i < changes[wire].size(); ++i)
        {
            const double t = changes[wire][i].first;
            const bool on = changes[wire][i].second;
            if (i > 0)
                points.push_back(WirePoint_t{t - BEFORE_CHANGE, level});
            points.push_back(WirePoint_t{t, on});
            level = on;
        }
        if (level)
            points.push_back(WirePoint_t{timeline.end - BEFORE_CHANGE, true});
        points.push_back(WirePoint_t{timeline.end, false});
        points.push_back(WirePoint_t{timeline.end + 1.0, false});
    }
    return timeline;
}

void FillGenStartDiagram(CGraphicObSignal& diagram, const CRelayModuleChannel& channel)
{
    const GenStartTimeline_t timeline = BuildGenStartTimeline(channel);
    diagram.ClearPoints();
    diagram.GetXAxis()->SetRange(0.0, timeline.end + 1.0);
    for (int wire = 0; wire < 3; ++wire)
        for (const WirePoint_t& point : timeline.wires[wire])
            diagram.AddWireSample(wire, point.time, point.on);
    diagram.Invalidate();
}
