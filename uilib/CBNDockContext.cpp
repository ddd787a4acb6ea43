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

void CBNDockContext::AdjustWindowForFloat(CRect& rect)
{
    RECT rectFrame = {0, 0, 0, 0};
    ::AdjustWindowRectEx(&rectFrame, WS_CAPTION | WS_THICKFRAME, FALSE, WS_EX_TOOLWINDOW);
    rect.left += rectFrame.left;
    rect.top += rectFrame.top;
    rect.right += rectFrame.right;
    rect.bottom += rectFrame.bottom;
    rect.DeflateRect(::GetSystemMetrics(SM_CXBORDER), ::GetSystemMetrics(SM_CYBORDER));
}

// --- Dragging ------------------------------------------------------------------------

void CBNDockContext::StartDragDockBar(CPoint pt)
{
    m_pDockSite = m_pBar->m_pDockSite != nullptr ? m_pBar->m_pDockSite : m_pBar->GetDockingFrame();
    m_ptStart = pt;
    StartDrag(pt);
}

void CBNDockContext::MoveDockBar(CPoint pt)
{
    Move(pt);
}

DWORD CBNDockContext::CanDock()
{
    return CanDockDockBar();
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

void CBNDockContext::EndDrag()
{
    EndDragDockBar();
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
    m_dwDockStyle = m_pBar->m_dwDockStyle;
    m_ptStart = pt;
    CDockContext::StartResize(nHitTest, pt);
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
