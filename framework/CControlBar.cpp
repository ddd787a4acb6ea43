#include "framework/CControlBar.h"
#include "framework/CDockBar.h"
#include "framework/CDockContext.h"
#include "framework/CControlBarInfo.h"
#include "framework/CFrameWnd.h"
#include "framework/CDC.h"
#include "framework/CPaintDC.h"
#include "framework/MessageMap.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_ERASEBKGND()
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

namespace
{
// Timer that notices the cursor leaving a fly-by bar.
const UINT kFlyByTimer = 0xE000;
const UINT kFlyByInterval = 300;
// Width a gripper takes at the leading edge of a docked bar.
const int kGripperSpace = 7;
} // namespace

CControlBar::CControlBar() = default;

CControlBar::~CControlBar()
{
    // Destroy while this class's handlers still run (OnDestroy unregisters the bar).
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
    if (m_pDockBar != nullptr)
        m_pDockBar->RemoveControlBar(this);
    delete m_pDockContext;
    m_pDockContext = nullptr;
}

void CControlBar::SetBorders(int cxLeft, int cyTop, int cxRight, int cyBottom)
{
    m_cxLeftBorder = cxLeft;
    m_cyTopBorder = cyTop;
    m_cxRightBorder = cxRight;
    m_cyBottomBorder = cyBottom;
}

void CControlBar::SetBorders(LPCRECT lpRect)
{
    SetBorders(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

CRect CControlBar::GetBorders() const
{
    return CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder);
}

void CControlBar::SetBarStyle(DWORD dwStyle)
{
    if (m_dwStyle == dwStyle)
        return;
    const DWORD dwOldStyle = m_dwStyle;
    m_dwStyle = dwStyle;
    OnBarStyleChange(dwOldStyle, dwStyle);
}

void CControlBar::OnBarStyleChange(DWORD, DWORD)
{
}

void CControlBar::EnableDocking(DWORD dwDockStyle)
{
    m_dwDockStyle = dwDockStyle;
    if (m_pDockContext == nullptr && dwDockStyle != 0)
        m_pDockContext = new CDockContext(this);
    // Commands of a floating bar still go to the frame that docked it.
    if (m_hWndOwner == nullptr && m_hWnd != nullptr)
        m_hWndOwner = ::GetParent(m_hWnd);
}

CFrameWnd* CControlBar::GetDockingFrame() const
{
    if (m_pDockSite != nullptr)
        return m_pDockSite;
    return GetParentFrame();
}

BOOL CControlBar::IsFloating() const
{
    if (IsDockBar())
        return static_cast<const CDockBar*>(this)->m_bFloating;
    return m_pDockBar != nullptr && m_pDockBar->m_bFloating;
}

BOOL CControlBar::IsVisible() const
{
    if (m_nStateFlags & delayHide)
        return FALSE;
    if (m_nStateFlags & delayShow)
        return TRUE;
    return m_hWnd != nullptr && (GetStyle() & WS_VISIBLE) != 0;
}

void CControlBar::DelayShow(BOOL bShow)
{
    m_nStateFlags &= ~(delayHide | delayShow);
    const BOOL bVisibleNow = m_hWnd != nullptr && (GetStyle() & WS_VISIBLE) != 0;
    if (bShow && !bVisibleNow)
        m_nStateFlags |= delayShow;
    else if (!bShow && bVisibleNow)
        m_nStateFlags |= delayHide;
}

DWORD CControlBar::RecalcDelayShow(BOOL bQuery)
{
    DWORD dwStyle = GetStyle();
    if (m_nStateFlags & delayShow)
        dwStyle |= WS_VISIBLE;
    else if (m_nStateFlags & delayHide)
        dwStyle &= ~WS_VISIBLE;
    if (!bQuery && (m_nStateFlags & (delayShow | delayHide)) != 0)
    {
        const UINT nShow = (dwStyle & WS_VISIBLE) ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
        m_nStateFlags &= ~(delayShow | delayHide);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | nShow);
    }
    return dwStyle;
}

void CControlBar::CalcBorderInsets(CRect& rect, BOOL bHorz) const
{
    const int cxBorder = ::GetSystemMetrics(SM_CXBORDER);
    const int cyBorder = ::GetSystemMetrics(SM_CYBORDER);
    if (m_dwStyle & CBRS_BORDER_LEFT)
        rect.left += cxBorder;
    if (m_dwStyle & CBRS_BORDER_TOP)
        rect.top += cyBorder;
    if (m_dwStyle & CBRS_BORDER_RIGHT)
        rect.right -= cxBorder;
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
        rect.bottom -= cyBorder;

    // The borders follow the bar: the left one leads along its length.
    if (bHorz)
    {
        rect.left += m_cxLeftBorder;
        rect.top += m_cyTopBorder;
        rect.right -= m_cxRightBorder;
        rect.bottom -= m_cyBottomBorder;
    }
    else
    {
        rect.left += m_cyTopBorder;
        rect.top += m_cxLeftBorder;
        rect.right -= m_cyBottomBorder;
        rect.bottom -= m_cxRightBorder;
    }
}

void CControlBar::CalcInsideRect(CRect& rect, BOOL bHorz) const
{
    CalcBorderInsets(rect, bHorz);
    if ((m_dwStyle & (CBRS_GRIPPER | CBRS_FLOATING)) == CBRS_GRIPPER)
    {
        if (bHorz)
            rect.left += kGripperSpace;
        else
            rect.top += kGripperSpace;
    }
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    CSize size((bStretch && bHorz) ? 32767 : 0, (bStretch && !bHorz) ? 32767 : 0);
    CRect rect(0, 0, 0, 0);
    CalcInsideRect(rect, bHorz);
    // The insets alone give the size of an empty bar.
    size.cx = std::max<LONG>(size.cx, -rect.Width());
    size.cy = std::max<LONG>(size.cy, -rect.Height());
    return size;
}

CSize CControlBar::CalcDynamicLayout(int, DWORD nMode)
{
    return CalcFixedLayout((nMode & LM_STRETCH) != 0, (nMode & LM_HORZ) != 0);
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    auto* pLayout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    const DWORD dwWindowStyle = RecalcDelayShow(pLayout->hDWP == nullptr);
    if ((dwWindowStyle & WS_VISIBLE) == 0 || (m_dwStyle & CBRS_ALIGN_ANY) == 0)
        return 0;

    CRect rect(pLayout->rect);
    const CSize sizeAvail = rect.Size();
    DWORD dwMode = pLayout->bStretch ? LM_STRETCH : 0;
    if ((m_dwStyle & CBRS_SIZE_DYNAMIC) && (m_dwStyle & CBRS_FLOATING))
        dwMode |= LM_HORZ | LM_MRUWIDTH;
    else if (m_dwStyle & CBRS_ORIENT_HORZ)
        dwMode |= LM_HORZ | LM_HORZDOCK;
    else
        dwMode |= LM_VERTDOCK;

    CSize size = CalcDynamicLayout(-1, dwMode);
    size.cx = std::min(size.cx, sizeAvail.cx);
    size.cy = std::min(size.cy, sizeAvail.cy);

    if (m_dwStyle & CBRS_ORIENT_HORZ)
    {
        pLayout->sizeTotal.cy += size.cy;
        pLayout->sizeTotal.cx = std::max(pLayout->sizeTotal.cx, size.cx);
        if (m_dwStyle & CBRS_ALIGN_TOP)
        {
            pLayout->rect.top += size.cy;
        }
        else
        {
            rect.top = rect.bottom - size.cy;
            pLayout->rect.bottom -= size.cy;
        }
    }
    else
    {
        pLayout->sizeTotal.cx += size.cx;
        pLayout->sizeTotal.cy = std::max(pLayout->sizeTotal.cy, size.cy);
        if (m_dwStyle & CBRS_ALIGN_LEFT)
        {
            pLayout->rect.left += size.cx;
        }
        else
        {
            rect.left = rect.right - size.cx;
            pLayout->rect.right -= size.cx;
        }
    }
    rect.right = rect.left + size.cx;
    rect.bottom = rect.top + size.cy;

    if (pLayout->hDWP != nullptr)
    {
        CRect rectOld;
        ::GetWindowRect(m_hWnd, &rectOld);
        ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&rectOld), 2);
        if (rectOld != rect)
            pLayout->hDWP = ::DeferWindowPos(pLayout->hDWP, m_hWnd, nullptr, rect.left, rect.top,
                                             rect.Width(), rect.Height(),
                                             SWP_NOACTIVATE | SWP_NOZORDER);
    }
    return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    if ((GetStyle() & WS_VISIBLE) == 0)
        return 0;
    // The owner (the frame that docked the bar) handles the commands of its items.
    CFrameWnd* pTarget = nullptr;
    CWnd* pOwner = m_hWndOwner != nullptr ? CWnd::FromHandlePermanent(m_hWndOwner) : nullptr;
    if (pOwner != nullptr && pOwner->IsFrameWnd())
        pTarget = static_cast<CFrameWnd*>(pOwner);
    if (pTarget == nullptr)
        pTarget = GetParentFrame();
    if (pTarget != nullptr)
        OnUpdateCmdUI(pTarget, static_cast<BOOL>(wParam));
    return 0;
}

void CControlBar::DoPaint(CDC* pDC)
{
    CRect rect;
    GetClientRect(&rect);
    DrawBorders(pDC, rect);
    DrawGripper(pDC, rect);
}

void CControlBar::DrawBorders(CDC* pDC, CRect& rect)
{
    const DWORD dwBorders = m_dwStyle & CBRS_BORDER_ANY;
    if (dwBorders == 0)
        return;
    const COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF clrHilite = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const int cx = ::GetSystemMetrics(SM_CXBORDER);
    const int cy = ::GetSystemMetrics(SM_CYBORDER);

    // Shadow on the outer edge of each flagged side, a highlight inside it with 3-D.
    if (dwBorders & CBRS_BORDER_TOP)
        pDC->FillSolidRect(rect.left, rect.top, rect.Width(), cy, clrShadow);
    if (dwBorders & CBRS_BORDER_BOTTOM)
        pDC->FillSolidRect(rect.left, rect.bottom - cy, rect.Width(), cy, clrShadow);
    if (dwBorders & CBRS_BORDER_LEFT)
        pDC->FillSolidRect(rect.left, rect.top, cx, rect.Height(), clrShadow);
    if (dwBorders & CBRS_BORDER_RIGHT)
        pDC->FillSolidRect(rect.right - cx, rect.top, cx, rect.Height(), clrShadow);
    if (m_dwStyle & CBRS_BORDER_3D)
    {
        if (dwBorders & CBRS_BORDER_TOP)
            pDC->FillSolidRect(rect.left, rect.top + cy, rect.Width(), cy, clrHilite);
        if (dwBorders & CBRS_BORDER_LEFT)
            pDC->FillSolidRect(rect.left + cx, rect.top, cx, rect.Height(), clrHilite);
    }
    const int nDepth = (m_dwStyle & CBRS_BORDER_3D) ? 2 : 1;
    if (dwBorders & CBRS_BORDER_TOP)
        rect.top += cy * nDepth;
    if (dwBorders & CBRS_BORDER_BOTTOM)
        rect.bottom -= cy;
    if (dwBorders & CBRS_BORDER_LEFT)
        rect.left += cx * nDepth;
    if (dwBorders & CBRS_BORDER_RIGHT)
        rect.right -= cx;
}

void CControlBar::DrawGripper(CDC* pDC, const CRect& rect)
{
    if ((m_dwStyle & (CBRS_GRIPPER | CBRS_FLOATING)) != CBRS_GRIPPER)
        return;
    const COLORREF clrHilite = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    // Two raised 3-pixel bars across the leading edge.
    for (int nOffset = 2; nOffset <= 5; nOffset += 3)
    {
        CRect rectBar;
        if (m_dwStyle & CBRS_ORIENT_HORZ)
            rectBar = CRect(rect.left + nOffset, rect.top + 2, rect.left + nOffset + 3, rect.bottom - 2);
        else
            rectBar = CRect(rect.left + 2, rect.top + nOffset, rect.right - 2, rect.top + nOffset + 3);
        pDC->Draw3dRect(&rectBar, clrHilite, clrShadow);
    }
}

void CControlBar::EraseNonClient()
{
    // Nothing is drawn outside the client area of a plain bar; derived bars with
    // non-client borders paint them here.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void CControlBar::GetNonClientRects(CRect& rectWindow, CRect& rectClient) const
{
    GetWindowRect(&rectWindow);
    GetClientRect(&rectClient);
    ClientToScreen(&rectClient);
    rectClient.OffsetRect(-rectWindow.left, -rectWindow.top);
    rectWindow.OffsetRect(-rectWindow.left, -rectWindow.top);
}

CRect CControlBar::ExcludeClientArea(CDC* pDC) const
{
    CRect rectWindow;
    CRect rectClient;
    GetNonClientRects(rectWindow, rectClient);
    ::ExcludeClipRect(pDC->m_hDC, rectClient.left, rectClient.top, rectClient.right, rectClient.bottom);
    return rectWindow;
}

void CControlBar::ResetTimer(UINT nEvent, UINT nTime)
{
    KillTimer(kFlyByTimer);
    if (nEvent != 0)
        SetTimer(nEvent, nTime);
}

BOOL CControlBar::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;

    // Fly-by: the prompt of the item under the cursor goes to the status bar.
    if ((m_dwStyle & CBRS_FLYBY) && pMsg->message == WM_MOUSEMOVE)
    {
        CFrameWnd* pFrame = GetDockingFrame();
        POINT ptScreen = pMsg->pt;
        CPoint point(ptScreen);
        ScreenToClient(&point);
        const INT_PTR nHit = OnToolHitTest(point, nullptr);
        if (pFrame != nullptr && nHit > 0)
        {
            pFrame->SetMessageText(static_cast<UINT>(nHit));
            m_nStateFlags |= statusSet;
            ResetTimer(kFlyByTimer, kFlyByInterval);
        }
        else if (pFrame != nullptr && (m_nStateFlags & statusSet))
        {
            pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
            m_nStateFlags &= ~statusSet;
            ResetTimer(0, 0);
        }
    }
    return FALSE;
}

void CControlBar::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kFlyByTimer)
    {
        Default();
        return;
    }
    POINT pt;
    ::GetCursorPos(&pt);
    CRect rect;
    GetWindowRect(&rect);
    if (!rect.PtInRect(pt) && (m_nStateFlags & statusSet))
    {
        if (CFrameWnd* pFrame = GetDockingFrame())
            pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
        m_nStateFlags &= ~statusSet;
        ResetTimer(0, 0);
    }
}

LRESULT CControlBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    {
        // The bar's own handlers and reflection first, then the owner: buttons and
        // controls on a bar send their commands to the frame.
        LRESULT lResult = 0;
        if (OnWndMsg(message, wParam, lParam, &lResult))
            return lResult;
        CWnd* pOwner = GetOwner();
        if (pOwner != nullptr && pOwner->m_hWnd != nullptr)
            return ::SendMessage(pOwner->m_hWnd, message, wParam, lParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

INT_PTR CControlBar::OnToolHitTest(CPoint point, TOOLINFO* pTI) const
{
    if ((m_dwStyle & (CBRS_TOOLTIPS | CBRS_FLYBY)) == 0)
        return -1;
    return CWnd::OnToolHitTest(point, pTI);
}

int CControlBar::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    // Bars register with the frame they are created in: the frame lays them out and
    // finds them by id.
    CWnd* pParent = GetParent();
    if (pParent != nullptr && pParent->IsFrameWnd())
    {
        m_pDockSite = static_cast<CFrameWnd*>(pParent);
        m_pDockSite->AddControlBar(this);
    }
    return 0;
}

void CControlBar::OnDestroy()
{
    KillTimer(kFlyByTimer);
    if (m_pDockSite != nullptr)
    {
        m_pDockSite->RemoveControlBar(this);
        m_pDockSite = nullptr;
    }
    CWnd::OnDestroy();
}

void CControlBar::PostNcDestroy()
{
    CWnd::PostNcDestroy();
    if (m_bAutoDelete)
        delete this;
}

void CControlBar::OnPaint()
{
    CPaintDC dc(this);
    DoPaint(&dc);
}

BOOL CControlBar::OnEraseBkgnd(CDC* pDC)
{
    CRect rect;
    GetClientRect(&rect);
    pDC->FillSolidRect(&rect, ::GetSysColor(COLOR_BTNFACE));
    return TRUE;
}

void CControlBar::OnWindowPosChanging(WINDOWPOS* lpWndPos)
{
    CWnd::OnWindowPosChanging(lpWndPos);
    // A resized bar repaints its borders and gripper, which depend on the size.
    if ((lpWndPos->flags & SWP_NOSIZE) == 0 && m_hWnd != nullptr)
        Invalidate();
}

void CControlBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    // A click on one of the bar's tools (a button) is the tool's; the rest drags the bar.
    if (m_pDockContext != nullptr && (m_dwDockStyle & CBRS_ALIGN_ANY) != 0 && OnToolHitTest(point, nullptr) == -1)
    {
        ClientToScreen(&point);
        m_pDockContext->StartDrag(point);
        return;
    }
    CWnd::OnLButtonDown(nFlags, point);
}

void CControlBar::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    if (m_pDockContext != nullptr && (m_dwDockStyle & CBRS_ALIGN_ANY) != 0 && OnToolHitTest(point, nullptr) == -1)
    {
        m_pDockContext->ToggleDocking();
        return;
    }
    CWnd::OnLButtonDblClk(nFlags, point);
}

void CControlBar::SetBarInfo(CControlBarInfo* pInfo, CFrameWnd* pFrameWnd)
{
    (void)pFrameWnd;
    if (pInfo->m_nMRUWidth != 0)
        m_nMRUWidth = static_cast<int>(pInfo->m_nMRUWidth);
    if (!IsDockBar())
        DelayShow(pInfo->m_bVisible);
    if (m_pDockContext != nullptr && pInfo->m_bDocking)
    {
        m_pDockContext->m_uMRUDockID = pInfo->m_uMRUDockID;
        m_pDockContext->m_rectMRUDockPos = pInfo->m_rectMRUDockPos;
        m_pDockContext->m_dwMRUFloatStyle = pInfo->m_dwMRUFloatStyle;
        m_pDockContext->m_ptMRUFloatPos = pInfo->m_ptMRUFloatPos;
    }
    // A docked bar keeps its place along the row; the dock bar's layout reads it.
    if (!pInfo->m_bFloating && pInfo->m_pointPos.x >= 0 && m_hWnd != nullptr)
        ::SetWindowPos(m_hWnd, nullptr, pInfo->m_pointPos.x, pInfo->m_pointPos.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CControlBar::GetBarInfo(CControlBarInfo* pInfo)
{
    pInfo->m_pBar = this;
    pInfo->m_nBarID = static_cast<UINT>(GetDlgCtrlID());
    pInfo->m_bVisible = IsVisible();
    pInfo->m_nMRUWidth = static_cast<UINT>(m_nMRUWidth);
    pInfo->m_bFloating = IsFloating();
    pInfo->m_bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    CRect rect;
    GetWindowRect(&rect);
    if (CWnd* pParent = GetParent())
        pParent->ScreenToClient(&rect);
    pInfo->m_pointPos = rect.TopLeft();
    pInfo->m_bDocking = m_pDockContext != nullptr;
    if (m_pDockContext != nullptr)
    {
        pInfo->m_uMRUDockID = m_pDockContext->m_uMRUDockID;
        pInfo->m_rectMRUDockPos = m_pDockContext->m_rectMRUDockPos;
        pInfo->m_dwMRUFloatStyle = m_pDockContext->m_dwMRUFloatStyle;
        pInfo->m_ptMRUFloatPos = m_pDockContext->m_ptMRUFloatPos;
    }
}
