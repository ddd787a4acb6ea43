#include "wizards/corandel/LightingSchedule.h"

#include "wizards/corandel/CMpptSettings.h"

#include <algorithm>

LightingDay MakeLightingDay(int dayLengthMinutes)
{
    LightingDay day;
    if (dayLengthMinutes <= 0)
    {
        day.sunrise = -1;
        day.sunset = 0;
    }
    else if (dayLengthMinutes >= MINUTES_PER_DAY)
    {
        day.sunrise = 0;
        day.sunset = -1;
    }
    else
    {
        day.sunrise = 720 - dayLengthMinutes / 2;
        day.sunset = 720 + dayLengthMinutes / 2;
    }

    if (day.sunrise != 0)
    {
        if (day.sunrise == -1 && day.sunset == 0)
            day.dayNight = {{0, LIGHTING_ACTION_OFF}};
        else
            day.dayNight = {{day.sunrise, LIGHTING_ACTION_ON}, {day.sunset, LIGHTING_ACTION_OFF}};
    }
    else if (day.sunset == -1)
    {
        day.dayNight = {{0, LIGHTING_ACTION_ON}};
    }
    else
    {
        day.dayNight = {{0, LIGHTING_ACTION_ON}, {day.sunset, LIGHTING_ACTION_OFF}};
    }
    return day;
}

int WrapMinute(int minute)
{
    if (minute < 0)
        return MINUTES_PER_DAY - 1 - ((-minute - 1) % MINUTES_PER_DAY);
    return minute % MINUTES_PER_DAY;
}

LightingEvents ApplyLightingChannel(const CMpptSettings& settings, int channel, const LightingDay& day,
                                    std::vector<bool>* output)
{
    LightingEvents events;
    if (settings.GetTimerAction(channel, 0) == LIGHTING_ACTION_NOTHING)
        return events;

    int minutes[2] = {0, 0};
    for (int timer = 0; timer < 2; ++timer)
    {
        int base = day.sunrise;
        switch (settings.GetTimerEvent(channel, timer))
        {
        case LIGHTING_EVENT_MIDDAY:
            base = 720;
            break;
        case LIGHTING_EVENT_SUNSET:
            base = day.sunset;
            break;
        case LIGHTING_EVENT_MIDNIGHT:
            base = 0;
            break;
        default:
            break;
        }
        minutes[timer] = WrapMinute(base + settings.GetTimerOffset(channel, timer));
        events.push_back({minutes[timer], settings.GetTimerAction(channel, timer)});
    }

    // From one minute up to, not including, another, past midnight where needed.
    auto setRange = [output](int from, int to, bool on) {
        for (int m = from; m != to; m = (m + 1) % MINUTES_PER_DAY)
            (*output)[m] = on;
    };
    if (settings.GetCombineMode(channel) == 1)
        setRange(minutes[1], minutes[0], false);
    else
        setRange(minutes[0], minutes[1], true);
    return events;
}

LightingEvents OutputEvents(const std::vector<bool>& output)
{
    int start = 0;
    for (int m = 0; m < MINUTES_PER_DAY; ++m)
    {
        const bool before = output[(m + MINUTES_PER_DAY - 1) % MINUTES_PER_DAY];
        if (output[m] && !before)
        {
            start = m;
            break;
        }
    }
    LightingEvents events;
    bool state = false;
    for (int i = 0; i < MINUTES_PER_DAY; ++i)
    {
        const int m = (start + i) % MINUTES_PER_DAY;
        if (output[m] != state)
        {
            state = output[m];
            events.push_back({m, state ? LIGHTING_ACTION_ON : LIGHTING_ACTION_OFF});
        }
    }
    return events;
}

std::vector<LightingSegment> SegmentsOfEvents(LightingEvents events)
{
    std::vector<LightingSegment> segments;
    std::stable_sort(events.begin(), events.end(),
                     [](const LightingEvent& a, const LightingEvent& b) { return a.minute < b.minute; });
    const auto firstOn = std::find_if(events.begin(), events.end(),
                                      [](const LightingEvent& e) { return e.action == LIGHTING_ACTION_ON; });
    if (firstOn == events.end())
        return segments;
    std::rotate(events.begin(), firstOn, events.end());

    LightingEvents kept;
    for (const LightingEvent& event : events)
    {
        if (event.action != LIGHTING_ACTION_NOTHING && (kept.empty() || kept.back().action != event.action))
            kept.push_back(event);
    }

    size_t i = 0;
    while (i < kept.size())
    {
        if (kept[i].action != LIGHTING_ACTION_ON)
        {
            ++i;
            continue;
        }
        size_t off = i + 1;
        while (off < kept.size() && kept[off].action != LIGHTING_ACTION_OFF)
            ++off;
        const int end = off < kept.size() ? kept[off].minute : kept.front().minute;
        segments.push_back({MinuteToDegrees(kept[i].minute), MinuteToDegrees(end)});
        i = off + 1;
    }
    return segments;
}

float MinuteToDegrees(int minute)
{
    return minute * 360.0f / MINUTES_PER_DAY;
}
