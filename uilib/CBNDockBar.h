// The dock bar that takes the place of the framework's dock bars for toolbars: the
// same layout in rows, with flat toolbars side by side without overlapping.
#pragma once
#include "framework/CDockBar.h"
#include "uilib/UiLibExport.h"

class UILIB_API CBNDockBar : public CDockBar
{
    DECLARE_DYNAMIC(CBNDockBar)
public:
    CBNDockBar() = default;

protected:
    CSize GetBarOverlap(CControlBar* pBar) const override;
};
