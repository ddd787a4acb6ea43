// A numeric axis whose values are automation dates (days since 30 December 1899, the
// fraction being the time of day); its labels show the date and the time on two lines,
// the time to the minute, or to the second and its fractions where the ticks need them.
#pragma once
#include "framework/FrameworkBase.h"
#include "graphics/CGraphicObAxisNumeric.h"

// Label precisions of a time axis: minutes, seconds, then tenths to thousandths.
const int TIME_LABEL_MINUTES = 0;
const int TIME_LABEL_SECONDS = 1;
const int TIME_LABEL_MILLISECONDS = 4;

class CGraphicObAxisTime : public CGraphicObAxisNumeric
{
protected:
    void FormatLabelAt(CString& text, double value, int precision) const override;
    int GetMaxLabelPrecision() const override { return TIME_LABEL_MILLISECONDS; }
};
