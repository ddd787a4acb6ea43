// The day strip of the Varnix lighting page: one day of 1440 minutes from left to right,
// with the load's on-periods as bars and lines at dawn (minute 300) and dusk (1140).
#pragma once
#include "framework/FrameworkBase.h"

#include <vector>

const int LIGHTING_DAWN_MINUTE = 300;
const int LIGHTING_DUSK_MINUTE = 1140;
const int LIGHTING_DAY_MINUTES = 1440;

// One lighting timer as the page shows it.
struct LightingTimer_t
{
    int hours;
    int minutes;
    bool before;     // before its reference instead of after it
    bool fromDawn;   // counted from dawn instead of dusk
};

// An on-period in minutes of the day; it may run past either end of the day.
struct LightingPeriod_t
{
    int start;
    int end;
};

// The two periods of the timers, or dusk to midnight and midnight to dawn.
std::vector<LightingPeriod_t> LightingPeriods(const LightingTimer_t& timer1,
                                              const LightingTimer_t& timer2, bool duskToDawn);

// The x of a minute of the day within the strip (clamped to its ends).
int LightingMinuteX(const RECT& strip, int minute);

// The bars to fill for the periods: non-empty periods, cut at the ends of the day, from
// 2/10 of the strip's height below its top to 1/10 above its bottom.
std::vector<RECT> LightingBars(const RECT& strip, const std::vector<LightingPeriod_t>& periods);

// Draws the strip: the bars in yellow, the line along their lower edge and the dawn and
// dusk lines.
void DrawLightingGraphic(HDC dc, const RECT& strip, const std::vector<LightingPeriod_t>& periods);
