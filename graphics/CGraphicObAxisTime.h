// A numeric axis whose values are automation dates (days since 30 December 1899, the
// fraction being the time of day); its labels show the date and the time on two lines.
#pragma once
#include "framework/FrameworkBase.h"
#include "graphics/CGraphicObAxisNumeric.h"

class CGraphicObAxisTime : public CGraphicObAxisNumeric
{
public:
    void FormatLabel(CString& text, double value) const override;
};
