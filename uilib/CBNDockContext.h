// Drags a sizing bar between the frame's sizing dock bars and floating frames, resizes
// it while it floats, and toggles it between docked and floating on a double click.
#pragma once
#include "framework/CDockContext.h"
#include "uilib/UiLibExport.h"

class CBNControlBar;
class CBNSizeDockBar;

class UILIB_API CBNDockContext : public CDockContext
{
public:
    explicit CBNDockContext(CControlBar* pBar);

    // pt in screen co-ordinates. The framework's drag runs with the sizing dock bars
    // as the places to dock on (CanDock) and the end of EndDragDockBar.
    void StartDragDockBar(CPoint pt);
    void MoveDockBar(CPoint pt);
    // The side the drag rectangles hover over now (a CBRS_ALIGN_ bit), 0 for none.
    DWORD CanDockDockBar();
    DWORD CanDock() override;
    // The side of the first visible sizing dock bar of an allowed side that the
    // rectangle touches, 0 for none.
    DWORD CanDockDockBar(CRect rect, DWORD dwDockStyle, CBNSizeDockBar** ppDockBar = nullptr);
    CBNSizeDockBar* GetDockBar(DWORD dwOverDockStyle);
    // The capture loop; FALSE when cancelled or when another window has the capture.
    BOOL TrackDockBar();
    void EndDragDockBar();
    void EndDrag() override;
    void StartResize(int nHitTest, CPoint pt) override;
    void ToggleDocking() override;
    // Docks the bar on the dock bar (the one of its own side when nullptr) at the
    // rectangle (screen co-ordinates, or nullptr).
    void DockSizeBar(CControlBar* pBar, CBNSizeDockBar* pDockBar, LPCRECT lpRect);

    CPoint m_ptStart;

protected:
    // A sizing bar's floating frame: a tool caption and sizing borders all round.
    void AdjustWindowForFloat(CRect& rect) override;
};
