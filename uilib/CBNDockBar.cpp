#include "uilib/CBNDockBar.h"
#include "uilib/CBNToolBar.h"

IMPLEMENT_DYNAMIC(CBNDockBar, CDockBar)

CSize CBNDockBar::GetBarOverlap(CControlBar* pBar) const
{
    // Flat toolbars draw their own edges: they sit edge to edge.
    if (pBar != nullptr && pBar->IsKindOf(RUNTIME_CLASS(CBNToolBar)))
        return CSize(0, 0);
    return CDockBar::GetBarOverlap(pBar);
}
