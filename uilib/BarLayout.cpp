#include "uilib/BarLayout.h"
#include "framework/CControlBar.h"

#include <algorithm>

namespace pyraxis::uilib {

namespace {
const int kSplitterWidth = 6;
const int kSplitterHitWidth = 4;
const int kMinFloatingExtent = 50;
// A side's thickness is its bar's extent across plus its non-client strip of 6
// pixels (border lines and splitter). A horizontally docked bar stores the side's
// thickness; any other bar stores its width plus 4.
const int kSavedAddHorz = 6;
const int kSavedAddVert = 4;
const int kMinSideThickness = 4;
} // namespace

DockSide DockSideOfId(int nID)
{
    switch (nID)
    {
    case 0xE820: return DockSide::Left;
    case 0xE821: return DockSide::Top;
    case 0xE822: return DockSide::Right;
    case 0xE825: return DockSide::Bottom;
    default: return DockSide::Floating;
    }
}

// --- Kept sizes ----------------------------------------------------------------------

void BarSizes::Maximize(DockSide side, int nExtent)
{
    normal = desired;
    if (IsHorzSide(side))
        desired.cx = nExtent;
    else if (IsVertSide(side))
        desired.cy = nExtent;
    maximized = true;
}

void BarSizes::Minimize(DockSide side, int nMinExt)
{
    normal = desired;
    if (IsHorzSide(side))
        desired.cx = nMinExt;
    else if (IsVertSide(side))
        desired.cy = nMinExt;
    maximized = false;
}

void BarSizes::Normalize(DockSide side)
{
    if (IsHorzSide(side))
        desired.cx = normal.cx;
    else if (IsVertSide(side))
        desired.cy = normal.cy;
    maximized = false;
}

CSize BarSizes::DynamicLayout(DockSide side, CSize sizeWindow, int nLength, DWORD nMode)
{
    CSize size = desired;
    if (nLength == 0)
    {
        size = sizeWindow;
        if ((nMode & LM_HORZDOCK) != 0 && !IsHorzSide(side))
            size = horz;
        if ((nMode & LM_HORZDOCK) != 0 && (nMode & LM_VERTDOCK) != 0 && IsHorzSide(side))
            return vert;
    }
    if (side != DockSide::Floating)
        return size;

    // A floating frame being sized asks for a width or a height.
    if (nMode == LM_HORZ)
    {
        desired.cx = std::max(nLength, kMinFloatingExtent);
        return desired;
    }
    if (nMode == (LM_HORZ | LM_LENGTHY))
    {
        desired.cy = std::max(nLength, kMinFloatingExtent);
        return desired;
    }
    return size;
}

void BarSizes::ReleaseSplitter(DockSide side, int nTravel, int nMinExt)
{
    if (IsVertSide(side))
    {
        desired.cy = std::max(desired.cy + nTravel, static_cast<LONG>(nMinExt));
        vert = CSize(desired.cx, desired.cy);
    }
    else
    {
        desired.cx = std::max(desired.cx + nTravel, static_cast<LONG>(nMinExt));
        horz = CSize(desired.cx, desired.cy);
    }
    normal = desired;
}

// --- Rectangles of a bar ---------------------------------------------------------------

CRect ChildRect(const CRect& rectClient, DockSide side, int nMinExt, bool bLastInRow, int nInset)
{
    CRect rect = rectClient;
    const int nEnd = bLastInRow ? 4 : 8;
    if (side == DockSide::Floating)
    {
        rect.DeflateRect(3, 3);
    }
    else if (IsVertSide(side))
    {
        rect.left += nInset;
        rect.right -= nInset;
        rect.top += nMinExt - 5;
        rect.bottom -= nEnd;
    }
    else
    {
        rect.left += nMinExt - 5;
        rect.right -= nEnd;
        rect.top += nInset;
        rect.bottom -= nInset;
    }
    if (rect.right < rect.left || rect.bottom < rect.top)
        rect.SetRectEmpty();
    return rect;
}

CRect GripperRect(const CRect& rectClient, DockSide side, bool bFrameButtons)
{
    CRect rect = rectClient;
    if (IsHorzSide(side))
    {
        // A vertical line 3 pixels wide at the leading edge, below the buttons.
        rect.DeflateRect(3, 3);
        rect.left += 1;
        rect.right = rect.left + 3;
        rect.top += bFrameButtons ? 30 : 1;
        rect.bottom -= 1;
    }
    else
    {
        // A horizontal line 3 pixels high at the top, left of the buttons.
        rect.DeflateRect(4, 4);
        rect.top += 2;
        rect.bottom = rect.top + 3;
        rect.right -= bFrameButtons ? 30 : 2;
    }
    return rect;
}

CRect ButtonRect(const CRect& rectClient, DockSide side)
{
    if (IsHorzSide(side))
        return CRect(2, 3, 14, 15);
    const int nWidth = rectClient.Width();
    return CRect(nWidth - 31, 3, nWidth - 19, 15);
}

CRect SplitterStrip(const CRect& rectClient, DockSide side)
{
    CRect rect = rectClient;
    if (IsVertSide(side))
    {
        rect.top = rectClient.bottom - kSplitterWidth;
        rect.bottom = rectClient.bottom - 1;
    }
    else
    {
        rect.left = rectClient.right - kSplitterWidth;
        rect.right = rectClient.right - 1;
    }
    return rect;
}

bool IsOnSplitter(const CRect& rectClient, DockSide side, bool bLastInRow, CPoint point)
{
    if (side == DockSide::Floating || bLastInRow)
        return false;
    if (IsVertSide(side))
        return point.y >= rectClient.bottom - kSplitterHitWidth && point.y < rectClient.bottom;
    return point.x >= rectClient.right - kSplitterHitWidth && point.x < rectClient.right;
}

// --- Profile values ------------------------------------------------------------------

CSize SavedBarSize(CSize sizeWindow, DockSide side)
{
    if (IsHorzSide(side))
        sizeWindow.cy += kSavedAddHorz;
    else
        sizeWindow.cx += kSavedAddVert;
    return sizeWindow;
}

CSize RestoredBarSize(CSize sizeStored, bool bSavedFloating, bool bSavedHorz)
{
    // A floating bar gets its own width back, a vertically docked one the thickness
    // of its side; a horizontally docked bar stored its side's thickness already.
    if (bSavedFloating)
        sizeStored.cx -= kSavedAddVert;
    else if (!bSavedHorz)
        sizeStored.cx += kSavedAddHorz - kSavedAddVert;
    return sizeStored;
}

CSize HeldToScreen(CSize size, CSize sizeScreen)
{
    // A screen that tells no size (no display) holds nothing.
    if (sizeScreen.cx > 0)
        size.cx = std::max<LONG>(0, std::min(size.cx, sizeScreen.cx));
    if (sizeScreen.cy > 0)
        size.cy = std::max<LONG>(0, std::min(size.cy, sizeScreen.cy));
    return size;
}

// --- A side's row --------------------------------------------------------------------

void LayoutRow(std::vector<RowBar>& bars, const CRect& rectClient, bool bHorz)
{
    int nOffset = 0;
    for (size_t i = 0; i < bars.size(); i++)
    {
        RowBar& bar = bars[i];
        bar.bLastInRow = i + 1 == bars.size();
        bar.bOnlyInRow = bar.bLastInRow && i == 0;
        CSize size = bar.desired;
        // A bar that would push the ones after it out of the side gives up a quarter.
        if (!bar.bLastInRow)
        {
            if (bHorz && bar.rectOld.right >= rectClient.right)
                size.cx -= size.cx / 4;
            else if (!bHorz && bar.rectOld.bottom >= rectClient.bottom)
                size.cy -= size.cy / 4;
        }
        if (bHorz)
        {
            bar.rect = CRect(nOffset, 0, nOffset + size.cx, rectClient.bottom);
            nOffset += size.cx;
            if (bar.bLastInRow)
                bar.rect.right = rectClient.right;
        }
        else
        {
            bar.rect = CRect(0, nOffset, rectClient.right, nOffset + size.cy);
            nOffset += size.cy;
            if (bar.bLastInRow)
                bar.rect.bottom = rectClient.bottom;
        }
    }
}

int MaximizedExtent(int nRowLength, const std::vector<int>& otherMinExts)
{
    int nOthers = 0;
    for (int nMinExt : otherMinExts)
        nOthers += nMinExt;
    return nRowLength - nOthers;
}

// --- A side's splitter ---------------------------------------------------------------

CPoint ClampSideSplitter(DockSide side, CPoint point, const CRect& rectAvail, int nThickness)
{
    switch (side)
    {
    case DockSide::Left:
        point.x = std::min(point.x, rectAvail.right);
        break;
    case DockSide::Top:
        point.y = std::min(point.y, rectAvail.bottom);
        break;
    case DockSide::Right:
        point.x = std::min(std::max(point.x, rectAvail.left), nThickness + rectAvail.right - kMinSideThickness);
        break;
    case DockSide::Bottom:
        point.y = std::min(std::max(point.y, rectAvail.top), nThickness + rectAvail.bottom - kMinSideThickness);
        break;
    default:
        break;
    }
    return point;
}

int SideThicknessAfterDrag(DockSide side, int nTravel, const CRect& rectAvail, CSize sizeWindow, int nMinClient)
{
    const bool bHorz = IsHorzSide(side);
    const int nAvail = bHorz ? rectAvail.Height() : rectAvail.Width();
    const int nNow = bHorz ? sizeWindow.cy : sizeWindow.cx;
    return std::max(std::min(nAvail - nMinClient, nTravel) + nNow, kMinSideThickness);
}

// --- Tabs and panes ------------------------------------------------------------------

int ActiveTabAfterDelete(int nActive, int nDeleted)
{
    if (nActive < 0 || nDeleted == nActive)
        return -1;
    return nDeleted < nActive ? nActive - 1 : nActive;
}

int IndicatorInsertIndex(int nIndex, int nCount)
{
    // An index past the end appends, like the index of the end itself.
    return std::min(std::max(nIndex, 0), nCount);
}

} // namespace pyraxis::uilib
