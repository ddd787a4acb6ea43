#include "graphics/CGraphicObAxisTime.h"
#include "framework/COleDateTime.h"

void CGraphicObAxisTime::FormatLabel(CString& text, double value) const
{
    // Invalid dates read "Invalid DateTime".
    text = COleDateTime(static_cast<DATE>(value)).Format("%Y-%m-%d\n%H:%M:%S");
}
