#include "graphics/CGraphicObAxisTime.h"
#include "framework/COleDateTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
const double MINUTES_PER_DAY = 24.0 * 60.0;
const double MILLISECONDS_PER_DAY = 24.0 * 60.0 * 60.0 * 1000.0;
}  // namespace

void CGraphicObAxisTime::FormatLabelAt(CString& text, double value, int precision) const
{
    // Rounded to the label's unit first, so that a carry reaches the date too.
    if (precision <= TIME_LABEL_MINUTES)
    {
        // Invalid dates read "Invalid DateTime".
        text = COleDateTime(static_cast<DATE>(std::round(value * MINUTES_PER_DAY) / MINUTES_PER_DAY))
                   .Format("%Y-%m-%d\n%H:%M");
        return;
    }
    const int fractionDigits = std::min(precision, TIME_LABEL_MILLISECONDS) - TIME_LABEL_SECONDS;
    const double unitsPerSecond = std::pow(10.0, fractionDigits);
    const double units = std::round(value * MILLISECONDS_PER_DAY / 1000.0 * unitsPerSecond);
    const double seconds = std::floor(units / unitsPerSecond);
    text = COleDateTime(static_cast<DATE>(seconds * 1000.0 / MILLISECONDS_PER_DAY)).Format("%Y-%m-%d\n%H:%M:%S");
    if (fractionDigits <= 0 || text.Find('\n') < 0)
        return;
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, ".%0*.0f", fractionDigits, units - seconds * unitsPerSecond);
    text += fraction;
}
