#include "framework/CScrollView.h"

#include "framework/CDC.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

const SIZE CScrollView::sizeDefault = { 0, 0 };

namespace
{
// The highest position a bar may take: the total size less the visible page.
int MaxPosition(HWND hWnd, int nBar)
{
    SCROLLINFO info = { sizeof info, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0 };
    if (!::GetScrollInfo(hWnd, nBar, &info))
        return 0;
    return std::max(0, info.nMax - info.nMin + 1 - static_cast<int>(info.nPage));
}
}  // namespace

CScrollView::CScrollView() = default;

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine)
{
    ASSERT(nMapMode == MM_TEXT);
    m_nMapMode = nMapMode;
    m_totalLog = sizeTotal;
    m_pageDev = sizePage;
    if (m_pageDev.cx == 0 && m_pageDev.cy == 0)
        m_pageDev = CSize(m_totalLog.cx / 10, m_totalLog.cy / 10);
    m_lineDev = sizeLine;
    if (m_lineDev.cx == 0 && m_lineDev.cy == 0)
        m_lineDev = CSize(std::max(1L, m_pageDev.cx / 10), std::max(1L, m_pageDev.cy / 10));
    if (m_hWnd != nullptr)
    {
        UpdateBars();
        Invalidate(TRUE);
    }
}

CPoint CScrollView::GetScrollPosition() const
{
    if (m_hWnd == nullptr)
        return CPoint(0, 0);
    return CPoint(::GetScrollPos(m_hWnd, SB_HORZ), ::GetScrollPos(m_hWnd, SB_VERT));
}

void CScrollView::ScrollToPosition(POINT pt)
{
    const CPoint current = GetScrollPosition();
    OnScrollBy(CSize(pt.x - current.x, pt.y - current.y));
}

void CScrollView::OnPrepareDC(CDC* pDC)
{
    CView::OnPrepareDC(pDC);
    const CPoint position = GetScrollPosition();
    pDC->SetViewportOrg(-position.x, -position.y);
}

void CScrollView::UpdateBars()
{
    if (m_hWnd == nullptr || m_nMapMode == 0 || m_bInUpdateBars)
        return;
    m_bInUpdateBars = TRUE;
    const CPoint before = GetScrollPosition();
    // The client rectangle as it would be without bars decides whether they are needed.
    CRect client;
    GetClientRect(&client);
    if (GetStyle() & WS_VSCROLL)
        client.right += ::GetSystemMetrics(SM_CXVSCROLL);
    if (GetStyle() & WS_HSCROLL)
        client.bottom += ::GetSystemMetrics(SM_CYHSCROLL);
    const bool needHorz = m_totalLog.cx > client.Width();
    const bool needVert = m_totalLog.cy > client.Height();
    if (needVert)
        client.right -= ::GetSystemMetrics(SM_CXVSCROLL);
    if (needHorz)
        client.bottom -= ::GetSystemMetrics(SM_CYHSCROLL);

    SCROLLINFO horz = { sizeof horz, SIF_RANGE | SIF_PAGE, 0, needHorz ? m_totalLog.cx - 1 : 0,
                        static_cast<UINT>(needHorz ? std::max(0, client.Width()) : 0), 0, 0 };
    SCROLLINFO vert = { sizeof vert, SIF_RANGE | SIF_PAGE, 0, needVert ? m_totalLog.cy - 1 : 0,
                        static_cast<UINT>(needVert ? std::max(0, client.Height()) : 0), 0, 0 };
    ::SetScrollInfo(m_hWnd, SB_HORZ, &horz, TRUE);
    ::SetScrollInfo(m_hWnd, SB_VERT, &vert, TRUE);
    ::ShowScrollBar(m_hWnd, SB_HORZ, needHorz);
    ::ShowScrollBar(m_hWnd, SB_VERT, needVert);

    // A bar that went or shrank may have moved the position: the contents follow.
    const CPoint after = GetScrollPosition();
    if (after != before)
        ::ScrollWindowEx(m_hWnd, before.x - after.x, before.y - after.y, nullptr, nullptr, nullptr, nullptr,
                         SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    m_bInUpdateBars = FALSE;
}

BOOL CScrollView::OnScrollBy(CSize sizeScroll, BOOL bDoScroll)
{
    if (m_hWnd == nullptr)
        return FALSE;
    const CPoint current = GetScrollPosition();
    const int x = (GetStyle() & WS_HSCROLL) ? std::clamp(static_cast<int>(current.x + sizeScroll.cx), 0,
                                                         MaxPosition(m_hWnd, SB_HORZ))
                                            : current.x;
    const int y = (GetStyle() & WS_VSCROLL) ? std::clamp(static_cast<int>(current.y + sizeScroll.cy), 0,
                                                         MaxPosition(m_hWnd, SB_VERT))
                                            : current.y;
    if (x == current.x && y == current.y)
        return FALSE;
    if (bDoScroll)
    {
        ::SetScrollPos(m_hWnd, SB_HORZ, x, TRUE);
        ::SetScrollPos(m_hWnd, SB_VERT, y, TRUE);
        ::ScrollWindowEx(m_hWnd, current.x - x, current.y - y, nullptr, nullptr, nullptr, nullptr,
                         SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    }
    return TRUE;
}

void CScrollView::OnScroll(int nBar, UINT nSBCode)
{
    SCROLLINFO info = { sizeof info, SIF_ALL, 0, 0, 0, 0, 0 };
    if (!::GetScrollInfo(m_hWnd, nBar, &info))
        return;
    const bool horizontal = nBar == SB_HORZ;
    const int line = horizontal ? m_lineDev.cx : m_lineDev.cy;
    const int page = horizontal ? m_pageDev.cx : m_pageDev.cy;
    int target = info.nPos;
    switch (nSBCode)
    {
    case SB_LINEUP: target -= line; break;
    case SB_LINEDOWN: target += line; break;
    case SB_PAGEUP: target -= page; break;
    case SB_PAGEDOWN: target += page; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = info.nMax; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: target = info.nTrackPos; break;
    default: return;
    }
    const int delta = target - info.nPos;
    OnScrollBy(horizontal ? CSize(delta, 0) : CSize(0, delta));
}

void CScrollView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    UpdateBars();
}

void CScrollView::OnHScroll(UINT nSBCode, UINT /*nPos*/, CScrollBar* pScrollBar)
{
    // Scroll bar controls inside a form are not the view's own bars.
    if (pScrollBar != nullptr)
    {
        CView::OnHScroll(nSBCode, 0, pScrollBar);
        return;
    }
    OnScroll(SB_HORZ, nSBCode);
}

void CScrollView::OnVScroll(UINT nSBCode, UINT /*nPos*/, CScrollBar* pScrollBar)
{
    if (pScrollBar != nullptr)
    {
        CView::OnVScroll(nSBCode, 0, pScrollBar);
        return;
    }
    OnScroll(SB_VERT, nSBCode);
}
