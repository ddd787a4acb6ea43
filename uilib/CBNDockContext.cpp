#include "uilib/CBNDockContext.h"
#include "uilib/CBNControlBar.h"
#include "uilib/CBNSizeDockBar.h"
#include "framework/CControlBar.h"
#include "framework/CFrameWnd.h"

namespace
{
BOOL IsSizingBar(CControlBar* pBar)
{
    return pBar != nullptr && pBar->IsKindOf(RUNTIME_CLASS(CBNControlBar));
}
} // namespace

CBNDockContext::CBNDockContext(CControlBar* pBar) : CDockContext(pBar)
{
}

void CBNDockContext::AddMiniFrameBorders(CRect& rect)
{
    RECT rectFrame = {0, 0, 0, 0};
    ::AdjustWindowRectEx(&rectFrame, WS_CAPTION | WS_THICKFRAME, FALSE, WS_EX_TOOLWINDOW);
    rect.left += rectFrame.left;
    rect.top += rectFrame.top;
    rect.right += rectFrame.right;
    rect.bottom += rectFrame.bottom;
    rect.DeflateRect(::GetSystemMetrics(SM_CXBORDER), ::GetSystemMetrics(SM_CYBORDER));
}

void CBNDockContext::MoveOntoPoint(CRect& rect, CPoint pt)
{
    int dx = 0;
    int dy = 0;
    if (pt.x < rect.left)
        dx = pt.x - rect.left;
    else if (pt.x > rect.right)
        dx = pt.x - rect.right;
    if (pt.y < rect.top)
        dy = pt.y - rect.top;
    else if (pt.y > rect.bottom)
        dy = pt.y - rect.bottom;
    rect.OffsetRect(dx, dy);
}

// --- Dragging ------------------------------------------------------------------------

void CBNDockContext::StartDragDockBar(CPoint pt)
{
    m_pDockSite = m_pBar->m_pDockSite != nullptr ? m_pBar->m_pDockSite : m_pBar->GetDockingFrame();
    m_dwDockStyle = m_pBar->m_dwDockStyle;
    m_dwStyle = m_pBar->m_dwStyle;
    m_bDragging = TRUE;
    InitLoop();
    m_ptLast = m_ptStart = pt;

    CRect rect;
    m_pBar->GetWindowRect(&rect);
    if (m_dwStyle & CBRS_SIZE_DYNAMIC)
    {
        m_rectDragHorz = CRect(rect.TopLeft(), m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_HORZDOCK));
        m_rectDragVert = CRect(rect.TopLeft(), m_pBar->CalcDynamicLayout(0, LM_VERTDOCK));
        m_rectFrameDragHorz = CRect(rect.TopLeft(), m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH));
        m_rectFrameDragVert = m_rectFrameDragHorz;
    }
    else if (m_dwStyle & CBRS_SIZE_FIXED)
    {
        m_rectDragHorz = CRect(rect.TopLeft(), m_pBar->CalcDynamicLayout(-1, LM_HORZ | LM_HORZDOCK));
        m_rectDragVert = CRect(rect.TopLeft(), m_pBar->CalcDynamicLayout(-1, LM_VERTDOCK));
        m_rectFrameDragHorz = m_rectDragHorz;
        m_rectFrameDragVert = m_rectDragVert;
    }
    else
    {
        // The current orientation keeps its rectangle; the other is centred on the point.
        const BOOL bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
        const CSize sizeOther = m_pBar->CalcFixedLayout(FALSE, !bHorz);
        const CRect rectOther(CPoint(pt.x - sizeOther.cx / 2, pt.y - sizeOther.cy / 2), sizeOther);
        m_rectDragHorz = bHorz ? rect : rectOther;
        m_rectDragVert = bHorz ? rectOther : rect;
        m_rectFrameDragHorz = m_rectDragHorz;
        m_rectFrameDragVert = m_rectDragVert;
    }
    AddMiniFrameBorders(m_rectFrameDragHorz);
    AddMiniFrameBorders(m_rectFrameDragVert);
    for (CRect* pRect : {&m_rectDragHorz, &m_rectDragVert, &m_rectFrameDragHorz, &m_rectFrameDragVert})
        MoveOntoPoint(*pRect, pt);

    m_dwOverDockStyle = CanDockDockBar();
    MoveDockBar(pt);
    TrackDockBar();
}

DWORD CBNDockContext::CanDockDockBar(CRect rect, DWORD dwDockStyle, CBNSizeDockBar** ppDockBar)
{
    if (ppDockBar != nullptr)
        *ppDockBar = nullptr;
    if (m_pDockSite == nullptr)
        return 0;
    for (POSITION pos = m_pDockSite->m_listControlBars.GetHeadPosition(); pos != nullptr;)
    {
        auto* pBar = static_cast<CControlBar*>(m_pDockSite->m_listControlBars.GetNext(pos));
        if (!pBar->IsKindOf(RUNTIME_CLASS(CBNSizeDockBar)))
            continue;
        auto* pDockBar = static_cast<CBNSizeDockBar*>(pBar);
        if (!pDockBar->IsDockSizeBar() || pDockBar->m_hWnd == nullptr || (pDockBar->GetStyle() & WS_VISIBLE) == 0 ||
            (pDockBar->m_dwStyle & dwDockStyle & CBRS_ALIGN_ANY) == 0)
            continue;
        if (pDockBar->IsUnderRect(rect))
        {
            if (ppDockBar != nullptr)
                *ppDockBar = pDockBar;
            return pDockBar->m_dwStyle & CBRS_ALIGN_ANY;
        }
    }
    return 0;
}

DWORD CBNDockContext::CanDockDockBar()
{
    BOOL bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    if (m_bFlip)
        bHorz = !bHorz;
    const DWORD dwHorzSides = m_dwDockStyle & ~CBRS_ORIENT_VERT;
    const DWORD dwVertSides = m_dwDockStyle & ~CBRS_ORIENT_HORZ;

    DWORD dwDock = 0;
    if (bHorz && (m_dwDockStyle & CBRS_ORIENT_HORZ))
        dwDock = CanDockDockBar(m_rectDragHorz, dwHorzSides);
    else if (m_dwDockStyle & CBRS_ORIENT_VERT)
        dwDock = CanDockDockBar(m_rectDragVert, dwVertSides);
    if (m_bFlip || dwDock != 0)
        return dwDock;

    // The other orientation counts only when both rectangles agree on its side.
    const DWORD dwOtherSides = bHorz ? dwVertSides : dwHorzSides;
    if ((dwOtherSides & CBRS_ALIGN_ANY) == 0)
        return 0;
    const DWORD dwFromHorz = CanDockDockBar(m_rectDragHorz, dwOtherSides);
    const DWORD dwFromVert = CanDockDockBar(m_rectDragVert, dwOtherSides);
    return dwFromHorz == dwFromVert ? dwFromHorz : 0;
}

void CBNDockContext::MoveDockBar(CPoint pt)
{
    const CPoint ptOffset(pt.x - m_ptLast.x, pt.y - m_ptLast.y);
    m_rectDragHorz.OffsetRect(ptOffset);
    m_rectDragVert.OffsetRect(ptOffset);
    m_rectFrameDragHorz.OffsetRect(ptOffset);
    m_rectFrameDragVert.OffsetRect(ptOffset);
    m_ptLast = pt;
    m_dwOverDockStyle = m_bForceFrame ? 0 : CanDockDockBar();
    DrawFocusRect();
}

CBNSizeDockBar* CBNDockContext::GetDockBar(DWORD dwOverDockStyle)
{
    CBNSizeDockBar* pDockBar = nullptr;
    if (dwOverDockStyle & CBRS_ORIENT_HORZ)
        CanDockDockBar(m_rectDragHorz, dwOverDockStyle & ~CBRS_ORIENT_VERT, &pDockBar);
    else if (dwOverDockStyle & CBRS_ORIENT_VERT)
        CanDockDockBar(m_rectDragVert, dwOverDockStyle & ~CBRS_ORIENT_HORZ, &pDockBar);
    return pDockBar;
}

BOOL CBNDockContext::TrackDockBar()
{
    return Track();
}

void CBNDockContext::OnTrackMove(CPoint pt)
{
    if (m_bDragging)
        MoveDockBar(pt);
    else
        Stretch(pt);
}

void CBNDockContext::OnTrackEnd()
{
    if (m_bDragging)
        EndDragDockBar();
    else
        EndResize();
}

void CBNDockContext::EndDragDockBar()
{
    CancelLoop();
    if (m_ptLast == m_ptStart)
        return;

    if (m_dwOverDockStyle != 0)
    {
        CBNSizeDockBar* pDockBar = GetDockBar(m_dwOverDockStyle);
        if (pDockBar != nullptr)
        {
            const CRect rect = (m_dwOverDockStyle & CBRS_ORIENT_VERT) ? m_rectDragVert : m_rectDragHorz;
            m_uMRUDockID = static_cast<UINT>(pDockBar->GetDlgCtrlID());
            m_rectMRUDockPos = rect;
            pDockBar->ScreenToClient(&m_rectMRUDockPos);
            DockSizeBar(m_pBar, pDockBar, &rect);
            m_pDockSite->RecalcLayout(FALSE);
            return;
        }
    }

    BOOL bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    if (m_bFlip)
        bHorz = !bHorz;
    const DWORD dwMulti = m_dwDockStyle & CBRS_FLOAT_MULTI;
    if ((m_dwStyle & CBRS_SIZE_DYNAMIC) || bHorz)
    {
        m_dwMRUFloatStyle = dwMulti | CBRS_ALIGN_TOP;
        m_ptMRUFloatPos = m_rectFrameDragHorz.TopLeft();
    }
    else
    {
        m_dwMRUFloatStyle = dwMulti | CBRS_ALIGN_LEFT;
        m_ptMRUFloatPos = m_rectFrameDragVert.TopLeft();
    }
    m_pDockSite->FloatControlBar(m_pBar, m_ptMRUFloatPos, m_dwMRUFloatStyle);
    m_pDockSite->RecalcLayout(FALSE);
}

void CBNDockContext::DockSizeBar(CControlBar* pBar, CBNSizeDockBar* pDockBar, LPCRECT lpRect)
{
    if (m_pDockSite == nullptr)
        m_pDockSite = pBar->GetDockingFrame();
    if (pDockBar == nullptr)
        pDockBar = CBNSizeDockBar::FindForAlignment(m_pDockSite, pBar->m_dwStyle & CBRS_ALIGN_ANY);
    if (pDockBar == nullptr || m_pDockSite == nullptr)
        return;
    if (IsSizingBar(pBar))
        static_cast<CBNControlBar*>(pBar)->Normalize();
    m_pDockSite->DockControlBar(pBar, pDockBar, lpRect);
}

// --- Resizing a floating bar ----------------------------------------------------------

void CBNDockContext::StartResize(int nHitTest, CPoint pt)
{
    m_pDockSite = m_pBar->m_pDockSite != nullptr ? m_pBar->m_pDockSite : m_pBar->GetDockingFrame();
    m_dwStyle = m_pBar->m_dwStyle;
    m_dwDockStyle = m_pBar->m_dwDockStyle;
    m_bDragging = FALSE;
    m_nHitTest = nHitTest;
    InitLoop();

    CRect rect;
    m_pBar->GetWindowRect(&rect);
    const CRect rectBar(rect.TopLeft(), m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH));
    m_rectDragHorz = m_rectDragVert = m_rectRequestedSize = m_rectActualSize = rectBar;
    m_rectFrameDragHorz = rectBar;
    AddMiniFrameBorders(m_rectFrameDragHorz);
    m_rectActualFrameSize = m_rectFrameDragHorz;
    // What the frame adds on each side of the bar.
    m_rectFrameBorders = CRect(rectBar.left - m_rectFrameDragHorz.left, rectBar.top - m_rectFrameDragHorz.top,
                               m_rectFrameDragHorz.right - rectBar.right, m_rectFrameDragHorz.bottom - rectBar.bottom);
    m_rectFrameDragVert = CRect(0, 0, m_rectFrameDragHorz.Width() - rectBar.Width(),
                                m_rectFrameDragHorz.Height() - rectBar.Height());
    m_dwOverDockStyle = 0;
    m_ptLast = m_ptStart = pt;
    Stretch(pt);
    TrackDockBar();
}

void CBNDockContext::Stretch(CPoint pt)
{
    const int dx = pt.x - m_ptLast.x;
    const int dy = pt.y - m_ptLast.y;
    const BOOL bLeft = m_nHitTest == HTLEFT || m_nHitTest == HTTOPLEFT || m_nHitTest == HTBOTTOMLEFT;
    const BOOL bRight = m_nHitTest == HTRIGHT || m_nHitTest == HTTOPRIGHT || m_nHitTest == HTBOTTOMRIGHT;
    const BOOL bTop = m_nHitTest == HTTOP || m_nHitTest == HTTOPLEFT || m_nHitTest == HTTOPRIGHT;
    const BOOL bBottom = m_nHitTest == HTBOTTOM || m_nHitTest == HTBOTTOMLEFT || m_nHitTest == HTBOTTOMRIGHT;
    m_ptLast = pt;
    if (!(bLeft || bRight || bTop || bBottom))
        return;

    CSize size = m_rectActualSize.Size();
    if (bLeft || bRight)
    {
        if (bLeft)
            m_rectRequestedSize.left += dx;
        else
            m_rectRequestedSize.right += dx;
        size = m_pBar->CalcDynamicLayout(m_rectRequestedSize.Width(), LM_HORZ);
    }
    if (bTop || bBottom)
    {
        if (bTop)
            m_rectRequestedSize.top += dy;
        else
            m_rectRequestedSize.bottom += dy;
        size = m_pBar->CalcDynamicLayout(m_rectRequestedSize.Height(), LM_HORZ | LM_LENGTHY);
    }

    // The edge opposite the one dragged stays where it is.
    CRect rectBar = m_rectActualSize;
    if (bLeft)
        rectBar.left = rectBar.right - size.cx;
    else
        rectBar.right = rectBar.left + size.cx;
    if (bTop)
        rectBar.top = rectBar.bottom - size.cy;
    else
        rectBar.bottom = rectBar.top + size.cy;
    const CRect rectFrame(rectBar.left - m_rectFrameBorders.left, rectBar.top - m_rectFrameBorders.top,
                          rectBar.right + m_rectFrameBorders.right, rectBar.bottom + m_rectFrameBorders.bottom);
    CRect rectDesktop;
    ::GetWindowRect(::GetDesktopWindow(), &rectDesktop);
    CRect rectCheck;
    if (::IntersectRect(&rectCheck, &rectFrame, &rectDesktop))
    {
        m_rectActualSize = rectBar;
        m_rectActualFrameSize = m_rectFrameDragHorz = rectFrame;
    }
    DrawFocusRect();
}

// --- Double click --------------------------------------------------------------------

void CBNDockContext::ToggleDocking()
{
    if (!IsSizingBar(m_pBar))
    {
        CDockContext::ToggleDocking();
        return;
    }
    m_pDockSite = m_pBar->m_pDockSite != nullptr ? m_pBar->m_pDockSite : m_pBar->GetDockingFrame();
    if (m_pDockSite == nullptr)
        return;
    m_dwDockStyle = m_pBar->m_dwDockStyle;
    auto* pBar = static_cast<CBNControlBar*>(m_pBar);

    if (!pBar->IsFloating())
    {
        // Remember where it was docked, then float where it floated last.
        if (CDockBar* pDockBar = m_pBar->m_pDockBar)
        {
            m_uMRUDockID = static_cast<UINT>(pDockBar->GetDlgCtrlID());
            m_pBar->GetWindowRect(&m_rectMRUDockPos);
            pDockBar->ScreenToClient(&m_rectMRUDockPos);
        }
        CPoint ptFloat = m_ptMRUFloatPos;
        if (ptFloat.x < 0 || ptFloat.y < 0)
        {
            CRect rect = m_rectMRUDockPos;
            if (CWnd* pMRUDockBar = m_pDockSite->GetControlBar(m_uMRUDockID))
                pMRUDockBar->ClientToScreen(&rect);
            ptFloat = rect.TopLeft();
        }
        m_pDockSite->FloatControlBar(m_pBar, ptFloat, m_dwMRUFloatStyle);
        return;
    }

    if ((m_dwDockStyle & CBRS_ALIGN_ANY) == 0)
        return;
    CBNSizeDockBar* pDockBar = nullptr;
    CRect rect = m_rectMRUDockPos;
    CControlBar* pMRUDockBar = m_uMRUDockID != 0 ? m_pDockSite->GetControlBar(m_uMRUDockID) : nullptr;
    if (pMRUDockBar != nullptr && pMRUDockBar->IsKindOf(RUNTIME_CLASS(CBNSizeDockBar)))
    {
        pDockBar = static_cast<CBNSizeDockBar*>(pMRUDockBar);
        pDockBar->ClientToScreen(&rect);
    }
    DockSizeBar(m_pBar, pDockBar, rect.IsRectEmpty() ? nullptr : &rect);
    m_pDockSite->RecalcLayout(TRUE);
}
