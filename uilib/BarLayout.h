// The arithmetic of the sizing bars, their dock bars, the tabbed bar and the status
// bar, apart from any window: where the caption, buttons, child and splitter of a
// sizing bar go, the sizes it keeps for each way it sits, how a side lays its bars out
// in a row and how its splitter changes its thickness.
#pragma once
#include "framework/CPoint.h"
#include "framework/CRect.h"
#include "framework/CSize.h"

#include <vector>

namespace pyraxis::uilib {

// Where a sizing bar sits: on one of the four sizing dock bars, or anywhere else
// (floating).
enum class DockSide { Floating, Left, Top, Right, Bottom };

inline bool IsHorzSide(DockSide side) { return side == DockSide::Top || side == DockSide::Bottom; }
inline bool IsVertSide(DockSide side) { return side == DockSide::Left || side == DockSide::Right; }
// The side of a sizing dock bar's control id (Floating for any other id).
DockSide DockSideOfId(int nID);

// The sizes a sizing bar keeps.
struct BarSizes
{
    CSize desired;    // along the row: the bar's length; across: its side's thickness
    CSize normal;     // before maximising or minimising
    CSize vert;       // while docked left or right
    CSize horz;       // while docked top or bottom
    CSize floating;   // while floating
    bool maximized = false;

    explicit BarSizes(CSize size = CSize(200, 100))
        : desired(size), normal(size), vert(size), horz(size), floating(size) {}

    void Maximize(DockSide side, int nExtent);
    void Minimize(DockSide side, int nMinExt);
    void Normalize(DockSide side);
    // The bar's answer to a layout request (CControlBar::CalcDynamicLayout).
    CSize DynamicLayout(DockSide side, CSize sizeWindow, int nLength, DWORD nMode);
    // A splitter between bars released after moving nTravel pixels along the row:
    // the new length, never below nMinExt.
    void ReleaseSplitter(DockSide side, int nTravel, int nMinExt);
};

// Rectangles in the bar's client area.
CRect ChildRect(const CRect& rectClient, DockSide side, int nMinExt, bool bLastInRow, int nInset);
CRect GripperRect(const CRect& rectClient, DockSide side, bool bFrameButtons);
CRect ButtonRect(const CRect& rectClient, DockSide side);
// The strip between this bar and the next, drawn and (its last 4 pixels) hit.
CRect SplitterStrip(const CRect& rectClient, DockSide side);
bool IsOnSplitter(const CRect& rectClient, DockSide side, bool bLastInRow, CPoint point);

// The values a sizing bar stores in the profile for its window size, and the size
// it gets back from them.
CSize SavedBarSize(CSize sizeWindow, DockSide side);
CSize RestoredBarSize(CSize sizeStored, bool bSavedFloating, bool bSavedHorz);
// A size from the profile held to the screen: each side from 0 to the screen's (a side
// of 0, no display, holds nothing).
CSize HeldToScreen(CSize size, CSize sizeScreen);

// One bar of a side's row: its length and where its window is now (dock bar client
// co-ordinates). The layout gives each its rectangle and row flags.
struct RowBar
{
    CSize desired;
    CRect rectOld;
    CRect rect;
    bool bLastInRow = false;
    bool bOnlyInRow = false;
};
void LayoutRow(std::vector<RowBar>& bars, const CRect& rectClient, bool bHorz);
// Each other bar gets its minimum; the maximised one what remains of the row.
int MaximizedExtent(int nRowLength, const std::vector<int>& otherMinExts);

// The splitter of a whole side: where the dragged point may go (frame client
// co-ordinates, avail the free client rectangle), and the thickness after a drag of
// nTravel pixels (positive towards the client area).
CPoint ClampSideSplitter(DockSide side, CPoint point, const CRect& rectAvail, int nThickness);
int SideThicknessAfterDrag(DockSide side, int nTravel, const CRect& rectAvail, CSize sizeWindow, int nMinClient);

// The active tab after tab nDeleted went (-1: none was or is active).
int ActiveTabAfterDelete(int nActive, int nDeleted);
// Where AddIndicator puts a new pane among nCount panes.
int IndicatorInsertIndex(int nIndex, int nCount);

} // namespace pyraxis::uilib
