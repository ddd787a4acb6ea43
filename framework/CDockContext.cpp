#include "framework/CDockContext.h"
#include "framework/CControlBar.h"
#include "framework/CDockBar.h"
#include "framework/CFrameWnd.h"

#include <algorithm>

namespace
{
// Docked feedback is a thin frame, floating feedback a thick one.
const int kThinFrame = 1;
const int kThickFrame = 3;

BOOL AllowsHorz(DWORD dwStyle) { return (dwStyle & CBRS_ORIENT_HORZ) != 0; }
BOOL AllowsVert(DWORD dwStyle) { return (dwStyle & CBRS_ORIENT_VERT) != 0; }

// Grows a bar rectangle by the non-client parts of a floating frame around it.
void AddFloatingFrameBorders(CRect& rect)
{
    RECT rectFrame = {0, 0, 0, 0};
    ::AdjustWindowRectEx(&rectFrame, WS_POPUP | WS_CAPTION | WS_THICKFRAME, FALSE, WS_EX_TOOLWINDOW);
    rect.left += rectFrame.left;
    rect.top += rectFrame.top;
    rect.right += rectFrame.right;
    rect.bottom += rectFrame.bottom;
}

HBRUSH HalftoneBrush()
{
    static HBRUSH hBrush = nullptr;
    if (hBrush == nullptr)
    {
        WORD pattern[8];
        for (int i = 0; i < 8; i++)
            pattern[i] = static_cast<WORD>(0x5555 << (i & 1));
        HBITMAP hBitmap = ::CreateBitmap(8, 8, 1, 1, pattern);
        hBrush = ::CreatePatternBrush(hBitmap);
        ::DeleteObject(hBitmap);
    }
    return hBrush;
}

// Inverts a frame of the given thickness around the inside of rect.
void InvertFrame(HDC hDC, const CRect& rect, int nThickness, HBRUSH hBrush)
{
    HGDIOBJ hOld = ::SelectObject(hDC, hBrush);
    const int cx = rect.Width();
    const int cy = rect.Height();
    ::PatBlt(hDC, rect.left, rect.top, cx, nThickness, PATINVERT);
    ::PatBlt(hDC, rect.left, rect.bottom - nThickness, cx, nThickness, PATINVERT);
    ::PatBlt(hDC, rect.left, rect.top + nThickness, nThickness, cy - 2 * nThickness, PATINVERT);
    ::PatBlt(hDC, rect.right - nThickness, rect.top + nThickness, nThickness, cy - 2 * nThickness, PATINVERT);
    ::SelectObject(hDC, hOld);
}
} // namespace

CDockContext::CDockContext(CControlBar* pBar)
    : m_pBar(pBar), m_pDockSite(pBar->m_pDockSite)
{
    m_dwDockStyle = pBar->m_dwDockStyle;
    m_dwMRUFloatStyle = CBRS_ALIGN_TOP | (m_dwDockStyle & CBRS_FLOAT_MULTI);
    m_ptMRUFloatPos = CPoint(-1, -1);
}

CDockContext::~CDockContext()
{
    if (m_hDesktopDC != nullptr)
        ::ReleaseDC(::GetDesktopWindow(), m_hDesktopDC);
}

void CDockContext::MoveRectOntoPoint(CRect& rect, CPoint pt)
{
    int dx = 0;
    int dy = 0;
    if (pt.x < rect.left)
        dx = pt.x - rect.left;
    else if (pt.x >= rect.right)
        dx = pt.x - rect.right + 1;
    if (pt.y < rect.top)
        dy = pt.y - rect.top;
    else if (pt.y >= rect.bottom)
        dy = pt.y - rect.bottom + 1;
    rect.OffsetRect(dx, dy);
}

void CDockContext::AdjustWindowForFloat(CRect& rect)
{
    AddFloatingFrameBorders(rect);
}

void CDockContext::StartDrag(CPoint pt)
{
    if (m_pDockSite == nullptr)
        m_pDockSite = m_pBar->m_pDockSite;
    m_dwDockStyle = m_pBar->m_dwDockStyle;
    m_dwStyle = m_pBar->m_dwStyle;
    m_bDragging = TRUE;
    InitLoop();

    CRect rect;
    m_pBar->GetWindowRect(&rect);
    m_ptLast = pt;
    const BOOL bHorz = AllowsHorz(m_dwStyle);

    if (m_dwStyle & CBRS_SIZE_DYNAMIC)
    {
        const CSize sizeHorz = m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_HORZDOCK);
        const CSize sizeVert = m_pBar->CalcDynamicLayout(0, LM_VERTDOCK);
        const CSize sizeFloat = m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH);
        m_rectDragHorz = CRect(rect.TopLeft(), sizeHorz);
        m_rectDragVert = CRect(rect.TopLeft(), sizeVert);
        m_rectFrameDragHorz = CRect(rect.TopLeft(), sizeFloat);
        m_rectFrameDragVert = CRect(rect.TopLeft(), sizeFloat);
    }
    else if (m_dwStyle & CBRS_SIZE_FIXED)
    {
        const CSize sizeHorz = m_pBar->CalcDynamicLayout(-1, LM_HORZ | LM_HORZDOCK);
        const CSize sizeVert = m_pBar->CalcDynamicLayout(-1, LM_VERTDOCK);
        m_rectDragHorz = m_rectFrameDragHorz = CRect(rect.TopLeft(), sizeHorz);
        m_rectDragVert = m_rectFrameDragVert = CRect(rect.TopLeft(), sizeVert);
    }
    else
    {
        // The current orientation keeps its rectangle; the other one is centred on the point.
        const CSize sizeOther = m_pBar->CalcFixedLayout(FALSE, !bHorz);
        CRect rectOther(CPoint(pt.x - sizeOther.cx / 2, pt.y - sizeOther.cy / 2), sizeOther);
        m_rectDragHorz = bHorz ? rect : rectOther;
        m_rectDragVert = bHorz ? rectOther : rect;
        m_rectFrameDragHorz = m_rectDragHorz;
        m_rectFrameDragVert = m_rectDragVert;
    }
    AdjustWindowForFloat(m_rectFrameDragHorz);
    AdjustWindowForFloat(m_rectFrameDragVert);

    MoveRectOntoPoint(m_rectDragHorz, pt);
    MoveRectOntoPoint(m_rectDragVert, pt);
    MoveRectOntoPoint(m_rectFrameDragHorz, pt);
    MoveRectOntoPoint(m_rectFrameDragVert, pt);

    m_dwOverDockStyle = CanDock();
    Move(pt);
    Track();
}

void CDockContext::Move(CPoint pt)
{
    const CPoint ptOffset(pt.x - m_ptLast.x, pt.y - m_ptLast.y);
    m_rectDragHorz.OffsetRect(ptOffset);
    m_rectDragVert.OffsetRect(ptOffset);
    m_rectFrameDragHorz.OffsetRect(ptOffset);
    m_rectFrameDragVert.OffsetRect(ptOffset);
    m_ptLast = pt;
    m_dwOverDockStyle = m_bForceFrame ? 0 : CanDock();
    DrawFocusRect();
}

void CDockContext::OnKey(int nChar, BOOL bDown)
{
    if (nChar == VK_CONTROL)
        UpdateState(&m_bForceFrame, bDown);
    else if (nChar == VK_SHIFT)
        UpdateState(&m_bFlip, bDown);
}

void CDockContext::UpdateState(BOOL* pFlag, BOOL bNewValue)
{
    if (*pFlag == bNewValue)
        return;
    *pFlag = bNewValue;
    // Flipping means nothing for a bar that docks in one orientation only.
    if (!(AllowsHorz(m_dwDockStyle) && AllowsVert(m_dwDockStyle)) && !(m_dwStyle & CBRS_SIZE_DYNAMIC))
        m_bFlip = FALSE;
    m_dwOverDockStyle = (m_bDragging && !m_bForceFrame) ? CanDock() : 0;
    DrawFocusRect();
}

DWORD CDockContext::CanDock()
{
    BOOL bStyleHorz = AllowsHorz(m_dwStyle);
    if (m_bFlip)
        bStyleHorz = !bStyleHorz;

    DWORD dwDock = 0;
    if (bStyleHorz && AllowsHorz(m_dwDockStyle))
        dwDock = CanDock(m_rectDragHorz, m_dwDockStyle & ~CBRS_ORIENT_VERT);
    else if (AllowsVert(m_dwDockStyle))
        dwDock = CanDock(m_rectDragVert, m_dwDockStyle & ~CBRS_ORIENT_HORZ);

    // Without Shift the other orientation may dock too.
    if (!m_bFlip && dwDock == 0)
    {
        if (AllowsHorz(m_dwDockStyle) && !bStyleHorz)
            dwDock = CanDock(m_rectDragHorz, m_dwDockStyle & ~CBRS_ORIENT_VERT);
        else if (AllowsVert(m_dwDockStyle) && bStyleHorz)
            dwDock = CanDock(m_rectDragVert, m_dwDockStyle & ~CBRS_ORIENT_HORZ);
    }
    return dwDock;
}

DWORD CDockContext::CanDock(CRect rect, DWORD dwDockStyle, CDockBar** ppDockBar)
{
    if (m_pDockSite == nullptr)
        return 0;
    CDockBar* pDockBar = m_pDockSite->CanDock(rect, dwDockStyle, nullptr);
    if (ppDockBar != nullptr)
        *ppDockBar = pDockBar;
    if (pDockBar == nullptr)
        return 0;
    return pDockBar->m_dwStyle & dwDockStyle & CBRS_ALIGN_ANY;
}

void CDockContext::EndDrag()
{
    CancelLoop();

    if (m_dwOverDockStyle != 0)
    {
        const BOOL bVert = (m_dwOverDockStyle & CBRS_ORIENT_VERT) != 0;
        CRect rect = bVert ? m_rectDragVert : m_rectDragHorz;
        CDockBar* pDockBar = nullptr;
        CanDock(rect, m_dwOverDockStyle, &pDockBar);
        if (pDockBar == nullptr)
            return;
        m_uMRUDockID = static_cast<UINT>(pDockBar->GetDlgCtrlID());
        m_rectMRUDockPos = rect;
        pDockBar->ScreenToClient(&m_rectMRUDockPos);
        m_pDockSite->DockControlBar(m_pBar, pDockBar, &rect);
        m_pDockSite->RecalcLayout();
        return;
    }

    BOOL bFloatHorz = AllowsHorz(m_dwStyle);
    if (m_bFlip)
        bFloatHorz = !bFloatHorz;
    if ((m_dwStyle & CBRS_SIZE_DYNAMIC) || bFloatHorz)
    {
        m_dwMRUFloatStyle = CBRS_ALIGN_TOP | (m_dwDockStyle & CBRS_FLOAT_MULTI);
        m_ptMRUFloatPos = m_rectFrameDragHorz.TopLeft();
    }
    else
    {
        m_dwMRUFloatStyle = CBRS_ALIGN_LEFT | (m_dwDockStyle & CBRS_FLOAT_MULTI);
        m_ptMRUFloatPos = m_rectFrameDragVert.TopLeft();
    }
    m_pDockSite->FloatControlBar(m_pBar, m_ptMRUFloatPos, m_dwMRUFloatStyle);
}

void CDockContext::StartResize(int nHitTest, CPoint pt)
{
    if (m_pDockSite == nullptr)
        m_pDockSite = m_pBar->m_pDockSite;
    m_dwStyle = m_pBar->m_dwStyle;
    m_bDragging = FALSE;
    m_nHitTest = nHitTest;
    InitLoop();

    CRect rect;
    m_pBar->GetWindowRect(&rect);
    const CSize size = m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH);
    m_rectRequestedSize = CRect(rect.TopLeft(), size);
    m_rectActualSize = m_rectRequestedSize;
    m_rectActualFrameSize = m_rectRequestedSize;
    AdjustWindowForFloat(m_rectActualFrameSize);
    // What the frame adds on each side.
    m_rectFrameBorders = CRect(m_rectActualSize.left - m_rectActualFrameSize.left,
                               m_rectActualSize.top - m_rectActualFrameSize.top,
                               m_rectActualFrameSize.right - m_rectActualSize.right,
                               m_rectActualFrameSize.bottom - m_rectActualSize.bottom);
    m_dwOverDockStyle = 0;
    m_ptLast = pt;
    Stretch(pt);
    Track();
}

void CDockContext::Stretch(CPoint pt)
{
    const CPoint ptOffset(pt.x - m_ptLast.x, pt.y - m_ptLast.y);
    const BOOL bLeft = m_nHitTest == HTLEFT || m_nHitTest == HTTOPLEFT || m_nHitTest == HTBOTTOMLEFT;
    const BOOL bRight = m_nHitTest == HTRIGHT || m_nHitTest == HTTOPRIGHT || m_nHitTest == HTBOTTOMRIGHT;
    const BOOL bTop = m_nHitTest == HTTOP || m_nHitTest == HTTOPLEFT || m_nHitTest == HTTOPRIGHT;
    const BOOL bBottom = m_nHitTest == HTBOTTOM || m_nHitTest == HTBOTTOMLEFT || m_nHitTest == HTBOTTOMRIGHT;

    m_ptLast = pt;
    if (!(bLeft || bRight || bTop || bBottom))
        return;

    // A corner asks for the width and then the height.
    CSize size = m_rectActualSize.Size();
    if (bLeft || bRight)
    {
        if (bLeft)
            m_rectRequestedSize.left += ptOffset.x;
        else
            m_rectRequestedSize.right += ptOffset.x;
        size = m_pBar->CalcDynamicLayout(std::max(static_cast<int>(m_rectRequestedSize.Width()), 0), LM_HORZ);
    }
    if (bTop || bBottom)
    {
        if (bTop)
            m_rectRequestedSize.top += ptOffset.y;
        else
            m_rectRequestedSize.bottom += ptOffset.y;
        size = m_pBar->CalcDynamicLayout(std::max(static_cast<int>(m_rectRequestedSize.Height()), 0),
                                         LM_HORZ | LM_LENGTHY);
    }

    // The side opposite the dragged one stays put.
    CRect rectActual = m_rectActualSize;
    if (bLeft)
        rectActual.left = rectActual.right - size.cx;
    else
        rectActual.right = rectActual.left + size.cx;
    if (bTop)
        rectActual.top = rectActual.bottom - size.cy;
    else
        rectActual.bottom = rectActual.top + size.cy;

    CRect rectFrame(rectActual.left - m_rectFrameBorders.left, rectActual.top - m_rectFrameBorders.top,
                    rectActual.right + m_rectFrameBorders.right, rectActual.bottom + m_rectFrameBorders.bottom);
    CRect rectDesktop;
    ::GetWindowRect(::GetDesktopWindow(), &rectDesktop);
    CRect rectCheck;
    if (::IntersectRect(&rectCheck, &rectFrame, &rectDesktop))
    {
        m_rectActualSize = rectActual;
        m_rectActualFrameSize = rectFrame;
    }
    DrawFocusRect();
}

void CDockContext::EndResize()
{
    CancelLoop();
    m_pBar->CalcDynamicLayout(m_rectActualSize.Width(), LM_HORZ | LM_COMMIT);
    m_pDockSite->FloatControlBar(m_pBar, m_rectActualFrameSize.TopLeft(),
                                 CBRS_ALIGN_TOP | (m_dwDockStyle & CBRS_FLOAT_MULTI) | CBRS_SIZE_DYNAMIC);
}

void CDockContext::ToggleDocking()
{
    if (m_pDockSite == nullptr)
        m_pDockSite = m_pBar->m_pDockSite;
    if (m_pDockSite == nullptr)
        return;
    m_dwDockStyle = m_pBar->m_dwDockStyle;

    if (m_pBar->IsFloating())
    {
        if ((m_dwDockStyle & CBRS_ALIGN_ANY) == 0)
            return;
        // Back to the place it came from: its placeholder, else its last dock rectangle.
        CDockBar* pDockBar = nullptr;
        if (m_uMRUDockID != 0)
        {
            CControlBar* pFound = m_pDockSite->GetControlBar(m_uMRUDockID);
            if (pFound != nullptr && pFound->IsDockBar())
                pDockBar = static_cast<CDockBar*>(pFound);
        }
        if (pDockBar != nullptr && pDockBar->FindPlaceHolder(static_cast<UINT>(m_pBar->GetDlgCtrlID())) > 0)
        {
            CRect rect = m_rectMRUDockPos;
            pDockBar->ClientToScreen(&rect);
            m_pDockSite->ReDockControlBar(m_pBar, pDockBar, rect.IsRectEmpty() ? nullptr : &rect);
        }
        else if (pDockBar != nullptr && !m_rectMRUDockPos.IsRectEmpty())
        {
            CRect rect = m_rectMRUDockPos;
            pDockBar->ClientToScreen(&rect);
            m_pDockSite->DockControlBar(m_pBar, pDockBar, &rect);
        }
        else
        {
            m_pDockSite->ReDockControlBar(m_pBar, pDockBar, nullptr);
        }
        m_pDockSite->RecalcLayout();
        return;
    }

    // Docked: remember the place, then float where it floated last.
    if (m_pBar->m_pDockBar != nullptr)
    {
        m_uMRUDockID = static_cast<UINT>(m_pBar->m_pDockBar->GetDlgCtrlID());
        m_pBar->GetWindowRect(&m_rectMRUDockPos);
        m_pBar->m_pDockBar->ScreenToClient(&m_rectMRUDockPos);
    }
    CPoint ptFloat = m_ptMRUFloatPos;
    if (ptFloat.x < 0 || ptFloat.y < 0)
    {
        CRect rect;
        m_pBar->GetWindowRect(&rect);
        ptFloat = rect.TopLeft();
    }
    m_pDockSite->FloatControlBar(m_pBar, ptFloat, m_dwMRUFloatStyle);
}

BOOL CDockContext::Track()
{
    if (::GetCapture() != nullptr)
    {
        CancelLoop();
        return FALSE;
    }
    ::SetCapture(m_pBar->m_hWnd);

    while (::GetCapture() == m_pBar->m_hWnd)
    {
        MSG msg;
        const BOOL bGot = ::GetMessage(&msg, nullptr, 0, 0);
        if (bGot == 0 || bGot == -1)
        {
            // Keep the quit for the application's loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        switch (msg.message)
        {
        case WM_LBUTTONUP:
            if (m_bDragging)
                EndDrag();
            else
                EndResize();
            return TRUE;
        case WM_MOUSEMOVE:
        {
            // Positions come in client co-ordinates of the capturing bar.
            POINT pt = {static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
            ::ClientToScreen(msg.hwnd, &pt);
            if (m_bDragging)
                Move(pt);
            else
                Stretch(pt);
            break;
        }
        case WM_KEYUP:
            if (m_bDragging)
                OnKey(static_cast<int>(msg.wParam), FALSE);
            break;
        case WM_KEYDOWN:
            if (m_bDragging)
                OnKey(static_cast<int>(msg.wParam), TRUE);
            if (msg.wParam == VK_ESCAPE)
            {
                CancelLoop();
                return FALSE;
            }
            break;
        case WM_RBUTTONDOWN:
            CancelLoop();
            return FALSE;
        default:
            ::DispatchMessage(&msg);
            break;
        }
    }
    CancelLoop();
    return FALSE;
}

void CDockContext::InitLoop()
{
    m_rectLast.SetRectEmpty();
    m_sizeLast = CSize(0, 0);
    m_bDitherLast = FALSE;
    m_bFlip = FALSE;
    m_bForceFrame = FALSE;
    if (m_hDesktopDC == nullptr)
        m_hDesktopDC = ::GetDCEx(::GetDesktopWindow(), nullptr, DCX_WINDOW | DCX_CACHE);
}

void CDockContext::CancelLoop()
{
    DrawFocusRect(TRUE);
    if (m_pBar->m_hWnd != nullptr && ::GetCapture() == m_pBar->m_hWnd)
        ::ReleaseCapture();
    if (m_hDesktopDC != nullptr)
    {
        ::ReleaseDC(::GetDesktopWindow(), m_hDesktopDC);
        m_hDesktopDC = nullptr;
    }
}

void CDockContext::DrawFocusRect(BOOL bRemoveRect)
{
    if (m_hDesktopDC == nullptr)
        return;

    CRect rect;
    int nThickness = kThinFrame;
    BOOL bDither = FALSE;
    if (!bRemoveRect)
    {
        if (m_bDragging && m_dwOverDockStyle != 0)
        {
            rect = (m_dwOverDockStyle & CBRS_ORIENT_HORZ) ? m_rectDragHorz : m_rectDragVert;
        }
        else if (m_bDragging)
        {
            BOOL bHorz = AllowsHorz(m_dwStyle);
            if (m_bFlip)
                bHorz = !bHorz;
            rect = ((m_dwStyle & CBRS_SIZE_DYNAMIC) || bHorz) ? m_rectFrameDragHorz : m_rectFrameDragVert;
            nThickness = kThickFrame;
            bDither = TRUE;
        }
        else
        {
            rect = m_rectActualFrameSize;
            nThickness = kThickFrame;
            bDither = TRUE;
        }
    }

    // Undo the last frame (inverting twice restores the screen), then draw the new one.
    if (!m_rectLast.IsRectEmpty())
        InvertFrame(m_hDesktopDC, m_rectLast, m_sizeLast.cx,
                    m_bDitherLast ? HalftoneBrush() : static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (!rect.IsRectEmpty())
        InvertFrame(m_hDesktopDC, rect, nThickness,
                    bDither ? HalftoneBrush() : static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    m_rectLast = rect;
    m_sizeLast = CSize(nThickness, nThickness);
    m_bDitherLast = bDither;
}
