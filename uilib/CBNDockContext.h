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

    // pt in screen co-ordinates.
    void StartDragDockBar(CPoint pt);
    void MoveDockBar(CPoint pt);
    // The side the drag rectangles hover over now (a CBRS_ALIGN_ bit), 0 for none.
    DWORD CanDockDockBar();
    // The side of the first visible sizing dock bar of an allowed side that the
    // rectangle touches, 0 for none.
    DWORD CanDockDockBar(CRect rect, DWORD dwDockStyle, CBNSizeDockBar** ppDockBar = nullptr);
    CBNSizeDockBar* GetDockBar(DWORD dwOverDockStyle);
    // The capture loop; FALSE when cancelled or when another window has the capture.
    BOOL TrackDockBar();
    void EndDragDockBar();
    void Stretch(CPoint pt);
    void StartResize(int nHitTest, CPoint pt) override;
    void OnTrackMove(CPoint pt) override;
    void OnTrackEnd() override;
    void ToggleDocking() override;
    // Docks the bar on the dock bar (the one of its own side when nullptr) at the
    // rectangle (screen co-ordinates, or nullptr).
    void DockSizeBar(CControlBar* pBar, CBNSizeDockBar* pDockBar, LPCRECT lpRect);

    CPoint m_ptStart;

protected:
    // Grows a bar rectangle into the floating frame that holds it.
    static void AddMiniFrameBorders(CRect& rect);
    // Moves the rectangle the least distance that puts the point on it.
    static void MoveOntoPoint(CRect& rect, CPoint pt);
};
