#include "framework/CMiniDockFrameWnd.h"
#include "framework/CDockContext.h"
#include "framework/MessageMap.h"

IMPLEMENT_DYNCREATE(CMiniDockFrameWnd, CMiniFrameWnd)

BEGIN_MESSAGE_MAP(CMiniDockFrameWnd, CMiniFrameWnd)
    ON_WM_CLOSE()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_NCLBUTTONDBLCLK()
    ON_WM_NCHITTEST()
END_MESSAGE_MAP()

CMiniDockFrameWnd::CMiniDockFrameWnd() : m_wndDockBar(TRUE)
{
    // The dock bar is part of this object.
    m_wndDockBar.m_bAutoDelete = FALSE;
}

BOOL CMiniDockFrameWnd::Create(CWnd* pParent, DWORD dwBarStyle)
{
    DWORD dwStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | MFS_SYNCACTIVE | MFS_BLOCKSYSMENU;
    dwStyle |= (dwBarStyle & CBRS_SIZE_DYNAMIC) ? MFS_THICKFRAME : MFS_MOVEFRAME;
    if (!CMiniFrameWnd::CreateEx(WS_EX_TOOLWINDOW, nullptr, "", dwStyle, CRect(0, 0, 0, 0), pParent))
        return FALSE;

    // Created in the docking frame, so that frame lists it with its bars and finds it
    // when saving the arrangement; then moved in here.
    const DWORD dwBarWindowStyle = WS_CHILD | WS_VISIBLE | (dwBarStyle & CBRS_ALL);
    if (!m_wndDockBar.Create(pParent, dwBarWindowStyle, AFX_IDW_DOCKBAR_FLOAT))
    {
        DestroyWindow();
        return FALSE;
    }
    m_wndDockBar.SetParent(this);
    // Commands of the floating bars still go to the docking frame.
    m_wndDockBar.SetOwner(pParent);
    return TRUE;
}

CControlBar* CMiniDockFrameWnd::GetFirstBar() const
{
    for (INT_PTR i = 0; i < m_wndDockBar.m_arrBars.GetSize(); i++)
        if (CControlBar* pBar = m_wndDockBar.GetDockedControlBar(static_cast<int>(i)))
            return pBar;
    return nullptr;
}

void CMiniDockFrameWnd::RecalcLayout(BOOL)
{
    if (m_hWnd == nullptr || m_bInRecalcLayout || m_wndDockBar.m_hWnd == nullptr)
        return;
    m_bInRecalcLayout = TRUE;
    m_bDelayedLayout = FALSE;

    // The dock bar lays its bars out (and applies pending shows and hides).
    const BOOL bHorz = (m_wndDockBar.m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    const CSize size = m_wndDockBar.CalcFixedLayout(FALSE, bHorz);
    CRect rect(0, 0, size.cx, size.cy);
    ::AdjustWindowRectEx(&rect, GetStyle(), FALSE, static_cast<DWORD>(::GetWindowLongPtr(m_hWnd, GWL_EXSTYLE)));
    SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_wndDockBar.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);

    const BOOL bAnyVisible = m_wndDockBar.GetDockedVisibleCount() != 0;
    const BOOL bShown = (GetStyle() & WS_VISIBLE) != 0;
    if (bAnyVisible && !bShown)
        ShowWindow(SW_SHOWNA);
    else if (!bAnyVisible && bShown)
        ShowWindow(SW_HIDE);
    m_bInRecalcLayout = FALSE;
}

void CMiniDockFrameWnd::OnClose()
{
    // The bars are hidden, not destroyed: the View menu brings them back.
    for (INT_PTR i = 0; i < m_wndDockBar.m_arrBars.GetSize(); i++)
        if (CControlBar* pBar = m_wndDockBar.GetDockedControlBar(static_cast<int>(i)))
            pBar->DelayShow(FALSE);
    RecalcLayout();
    if (CFrameWnd* pDockSite = m_wndDockBar.m_pDockSite)
        pDockSite->DelayRecalcLayout();
}

void CMiniDockFrameWnd::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    CControlBar* pBar = GetFirstBar();
    const BOOL bSingleBar = (m_wndDockBar.m_dwStyle & CBRS_FLOAT_MULTI) == 0;
    if (pBar != nullptr && pBar->m_pDockContext != nullptr && bSingleBar)
    {
        if (nHitTest == HTCAPTION)
        {
            // The main frame stays the active window while its bar moves.
            if (CWnd* pDockSite = m_wndDockBar.m_pDockSite)
                pDockSite->SetActiveWindow();
            pBar->m_pDockContext->StartDrag(point);
            return;
        }
        if (nHitTest >= HTLEFT && nHitTest <= HTBOTTOMRIGHT && (pBar->m_dwStyle & CBRS_SIZE_DYNAMIC))
        {
            pBar->m_pDockContext->StartResize(static_cast<int>(nHitTest), point);
            return;
        }
    }
    CMiniFrameWnd::OnNcLButtonDown(nHitTest, point);
}

void CMiniDockFrameWnd::OnNcLButtonDblClk(UINT nHitTest, CPoint point)
{
    CControlBar* pBar = GetFirstBar();
    if (nHitTest == HTCAPTION && pBar != nullptr && pBar->m_pDockContext != nullptr &&
        (m_wndDockBar.m_dwStyle & CBRS_FLOAT_MULTI) == 0)
    {
        pBar->m_pDockContext->ToggleDocking();
        return;
    }
    CMiniFrameWnd::OnNcLButtonDblClk(nHitTest, point);
}

LRESULT CMiniDockFrameWnd::OnNcHitTest(CPoint point)
{
    const LRESULT nHit = CMiniFrameWnd::OnNcHitTest(point);
    // Only bars that can take any size offer sizing borders.
    if (nHit >= HTSIZEFIRST && nHit <= HTSIZELAST && (m_wndDockBar.m_dwStyle & CBRS_SIZE_DYNAMIC) == 0)
        return HTBORDER;
    return nHit;
}
