#include "uilib/CBNMiniDockFrameWnd.h"
#include "uilib/CBNControlBar.h"
#include "uilib/CBNDockContext.h"
#include "framework/MessageMap.h"

IMPLEMENT_DYNCREATE(CBNMiniDockFrameWnd, CMiniDockFrameWnd)

BEGIN_MESSAGE_MAP(CBNMiniDockFrameWnd, CMiniDockFrameWnd)
    ON_WM_NCLBUTTONDOWN()
    ON_WM_NCLBUTTONDBLCLK()
END_MESSAGE_MAP()

BOOL CBNMiniDockFrameWnd::Create(CWnd* pParent, DWORD dwBarStyle)
{
    if (!CMiniDockFrameWnd::Create(pParent, dwBarStyle))
        return FALSE;
    // Sizing bars are sized from all four corners.
    ModifyStyle(MFS_4THICKFRAME, 0);
    return TRUE;
}

CBNControlBar* CBNMiniDockFrameWnd::GetSingleSizingBar() const
{
    if (m_wndDockBar.m_dwStyle & CBRS_FLOAT_MULTI)
        return nullptr;
    CControlBar* pBar = GetFirstBar();
    if (pBar == nullptr || !pBar->IsKindOf(RUNTIME_CLASS(CBNControlBar)))
        return nullptr;
    return static_cast<CBNControlBar*>(pBar);
}

void CBNMiniDockFrameWnd::ActivateTopParent()
{
    CWnd* pParent = GetTopLevelParent();
    if (pParent != nullptr && pParent != this)
        pParent->SetActiveWindow();
    else if (CWnd* pDockSite = m_wndDockBar.m_pDockSite)
        pDockSite->SetActiveWindow();
}

void CBNMiniDockFrameWnd::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    const BOOL bCaption = nHitTest == HTCAPTION;
    const BOOL bBorder = nHitTest >= HTLEFT && nHitTest <= HTBOTTOMRIGHT;
    if (!bCaption && !bBorder)
    {
        CMiniFrameWnd::OnNcLButtonDown(nHitTest, point);
        return;
    }
    ActivateTopParent();
    CBNControlBar* pBar = GetSingleSizingBar();
    auto* pContext = pBar != nullptr ? dynamic_cast<CBNDockContext*>(pBar->m_pDockContext) : nullptr;
    if (pContext == nullptr)
    {
        // Other bars, and frames of several bars, as the framework handles them.
        CMiniDockFrameWnd::OnNcLButtonDown(nHitTest, point);
        return;
    }
    if (bCaption)
    {
        pContext->StartDragDockBar(point);
        pBar->SetFocus();
    }
    else
    {
        pContext->StartResize(static_cast<int>(nHitTest), point);
    }
}

void CBNMiniDockFrameWnd::OnNcLButtonDblClk(UINT nHitTest, CPoint point)
{
    if (nHitTest != HTCAPTION)
        return;
    ActivateTopParent();
    CBNControlBar* pBar = GetSingleSizingBar();
    if (pBar == nullptr || pBar->m_pDockContext == nullptr)
    {
        CMiniDockFrameWnd::OnNcLButtonDblClk(nHitTest, point);
        return;
    }
    pBar->m_pDockContext->ToggleDocking();
}
