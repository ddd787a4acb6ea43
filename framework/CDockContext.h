// Moves a control bar with the mouse: drags it between the frame's dock bars and a
// floating mini frame, resizes a floating bar from the frame borders and toggles
// between docked and floating on a double click. The feedback is a focus rectangle
// drawn on the desktop; the bar moves only when the button is released.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CRect.h"
#include "framework/CPoint.h"
#include "framework/CSize.h"

class CControlBar;
class CFrameWnd;
class CDockBar;

class CDockContext
{
public:
    explicit CDockContext(CControlBar* pBar);
    virtual ~CDockContext();

    virtual void StartDrag(CPoint pt);
    void Move(CPoint pt);
    // Docks or floats the bar where the drag ended.
    virtual void EndDrag();
    void OnKey(int nChar, BOOL bDown);

    virtual void StartResize(int nHitTest, CPoint pt);
    void Stretch(CPoint pt);
    void EndResize();

    virtual void ToggleDocking();

    // Side the drag rectangles hover over (a CBRS_ALIGN_ bit), 0 for floating.
    virtual DWORD CanDock();
    DWORD CanDock(CRect rect, DWORD dwDockStyle, CDockBar** ppDockBar = nullptr);

    // The capture loop; FALSE when cancelled or when another window has the capture.
    BOOL Track();
    void InitLoop();
    void CancelLoop();
    void DrawFocusRect(BOOL bRemoveRect = FALSE);
    void UpdateState(BOOL* pFlag, BOOL bNewValue);

    CPoint m_ptLast;
    CRect m_rectLast;
    CSize m_sizeLast;
    BOOL m_bDitherLast = FALSE;

    CRect m_rectDragHorz;        // docked horizontally
    CRect m_rectDragVert;        // docked vertically
    CRect m_rectFrameDragHorz;   // floating, horizontal
    CRect m_rectFrameDragVert;   // floating, vertical

    CControlBar* m_pBar;
    CFrameWnd* m_pDockSite;
    DWORD m_dwDockStyle = 0;       // sides the bar may dock on
    DWORD m_dwOverDockStyle = 0;   // side hovered now
    DWORD m_dwStyle = 0;           // bar style when the drag started
    BOOL m_bFlip = FALSE;          // Shift: other orientation
    BOOL m_bForceFrame = FALSE;    // Ctrl: never dock
    HDC m_hDesktopDC = nullptr;    // while tracking
    BOOL m_bDragging = FALSE;
    int m_nHitTest = 0;            // border being dragged in a resize

    // Where the bar was last docked and floated, for ToggleDocking.
    UINT m_uMRUDockID = 0;
    CRect m_rectMRUDockPos;
    DWORD m_dwMRUFloatStyle = 0;
    CPoint m_ptMRUFloatPos;

    CRect m_rectRequestedSize;
    CRect m_rectActualSize;
    CRect m_rectActualFrameSize;
    CRect m_rectFrameBorders;

protected:
    // Grows a bar rectangle into the floating frame that would hold it.
    virtual void AdjustWindowForFloat(CRect& rect);
    // Moves rect the least amount that puts pt on it.
    static void MoveRectOntoPoint(CRect& rect, CPoint pt);
};
