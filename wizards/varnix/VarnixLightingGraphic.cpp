#include "wizards/varnix/VarnixLightingGraphic.h"

#include <algorithm>

namespace
{
LightingPeriod_t TimerPeriod(const LightingTimer_t& timer)
{
    const int reference = timer.fromDawn ? LIGHTING_DAWN_MINUTE : LIGHTING_DUSK_MINUTE;
    const int length = timer.hours * 60 + timer.minutes;
    if (timer.before)
        return {reference - length, reference};
    return {reference, reference + length};
}
}

std::vector<LightingPeriod_t> LightingPeriods(const LightingTimer_t& timer1,
                                              const LightingTimer_t& timer2, bool duskToDawn)
{
    if (duskToDawn)
        return {{LIGHTING_DUSK_MINUTE, LIGHTING_DAY_MINUTES}, {0, LIGHTING_DAWN_MINUTE}};
    return {TimerPeriod(timer1), TimerPeriod(timer2)};
}

int LightingMinuteX(const RECT& strip, int minute)
{
    const int clamped = std::min(std::max(minute, 0), LIGHTING_DAY_MINUTES);
    return strip.left + (strip.right - strip.left) * clamped / LIGHTING_DAY_MINUTES;
}

std::vector<RECT> LightingBars(const RECT& strip, const std::vector<LightingPeriod_t>& periods)
{
    const int height = strip.bottom - strip.top;
    std::vector<RECT> bars;
    for (const LightingPeriod_t& period : periods)
    {
        if (period.end <= period.start)
            continue;
        RECT bar = {LightingMinuteX(strip, period.start), strip.top + height * 2 / 10,
                    LightingMinuteX(strip, period.end), strip.bottom - height / 10};
        if (bar.right > bar.left)
            bars.push_back(bar);
    }
    return bars;
}

void DrawLightingGraphic(HDC dc, const RECT& strip, const std::vector<LightingPeriod_t>& periods)
{
    HBRUSH yellow = ::CreateSolidBrush(RGB(255, 255, 0));
    for (const RECT& bar : LightingBars(strip, periods))
        ::FillRect(dc, &bar, yellow);
    ::DeleteObject(yellow);

    const int height = strip.bottom - strip.top;
    const int baseline = strip.bottom - height / 10;
    ::MoveToEx(dc, strip.left, baseline, nullptr);
    ::LineTo(dc, strip.right, baseline);
    for (int minute : {LIGHTING_DAWN_MINUTE, LIGHTING_DUSK_MINUTE})
    {
        const int x = LightingMinuteX(strip, minute);
        ::MoveToEx(dc, x, strip.top, nullptr);
        ::LineTo(dc, x, strip.bottom);
    }
}
