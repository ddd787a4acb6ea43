#include "uilib/CBNTabCtrlBar.h"
#include "uilib/BarLayout.h"
#include "framework/CDocTemplate.h"
#include "framework/CDocument.h"
#include "framework/CFrameWnd.h"
#include "framework/CImageList.h"
#include "framework/CView.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_bars_resource.h"

IMPLEMENT_DYNAMIC(CBNTabCtrlBar, CBNControlBar)

BEGIN_MESSAGE_MAP(CBNTabCtrlBar, CBNControlBar)
    ON_WM_CREATE()
    ON_WM_WINDOWPOSCHANGED()
    ON_NOTIFY(TCN_SELCHANGE, IDC_BN_TABCTRL, OnTabSelChange)
END_MESSAGE_MAP()

namespace
{
// Height of one row of tabs below the views.
const int kTabRowHeight = 21;

CView* AsView(CWnd* pWnd)
{
    return (pWnd != nullptr && pWnd->IsKindOf(RUNTIME_CLASS(CView))) ? static_cast<CView*>(pWnd) : nullptr;
}
} // namespace

CBNTabCtrlBar::CBNTabCtrlBar() = default;

CBNTabCtrlBar::~CBNTabCtrlBar()
{
    // The views die with their windows; the records are ours.
    for (POSITION pos = m_views.GetHeadPosition(); pos != nullptr;)
        delete m_views.GetNext(pos);
    m_views.RemoveAll();
    m_tabToolTip.m_hWnd = nullptr;
}

// --- Finding tabs --------------------------------------------------------------------

POSITION CBNTabCtrlBar::FindTab(int nView) const
{
    if (nView < 0 || nView >= m_views.GetCount())
        return nullptr;
    return m_views.FindIndex(nView);
}

int CBNTabCtrlBar::FindTab(CRuntimeClass* pViewClass) const
{
    int nIndex = 0;
    for (POSITION pos = m_views.GetHeadPosition(); pos != nullptr; nIndex++)
    {
        const TCB_ITEM* pItem = m_views.GetNext(pos);
        if (pViewClass != nullptr && pItem->pWnd != nullptr && pItem->pWnd->IsKindOf(pViewClass))
            return nIndex;
    }
    return -1;
}

int CBNTabCtrlBar::FindTab(const CWnd* pWnd) const
{
    int nIndex = 0;
    for (POSITION pos = m_views.GetHeadPosition(); pos != nullptr; nIndex++)
        if (pWnd != nullptr && m_views.GetNext(pos)->pWnd == pWnd)
            return nIndex;
    return -1;
}

const TCB_ITEM* CBNTabCtrlBar::GetTabItem(int nView) const
{
    POSITION pos = FindTab(nView);
    return pos != nullptr ? m_views.GetAt(pos) : nullptr;
}

// --- Adding views --------------------------------------------------------------------

BOOL CBNTabCtrlBar::AddView(LPCTSTR lpszLabel, CRuntimeClass* pViewClass, CDocument* pDoc, int nImage,
                            CCreateContext* pContext)
{
    CView* pPreviousView = m_pActiveView;
    if (!CreateTabView(pViewClass, pDoc, pContext))
        return FALSE;
    CWnd* pWnd = m_pNewTabWnd;
    if (!CreateTabListItem(lpszLabel))
    {
        pWnd->DestroyWindow();
        m_pActiveView = pPreviousView;
        return FALSE;
    }
    ResetToolTips(GetToolTip());
    const int nTab = GetTabCount() - 1;
    if (nImage == -1)
        nImage = GetTabCount();
    if (nImage != 1)
    {
        // A tab added behind the others: the view shown before stays the active one.
        ShowTabView(pWnd, FALSE);
        m_pActiveView = pPreviousView;
    }
    else if (m_nActiveTab < 0)
    {
        m_nActiveTab = nTab;
    }

    TCITEMA item = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<LPSTR>(lpszLabel);
    item.iImage = nImage - 1;
    m_tabctrl.SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(nTab), reinterpret_cast<LPARAM>(&item));
    if (nTab == m_nActiveTab)
        m_tabctrl.SetCurSel(nTab);
    SizeTabView(pWnd);
    return TRUE;
}

BOOL CBNTabCtrlBar::CreateTabView(CRuntimeClass* pViewClass, CDocument* pDoc, CCreateContext* pContext)
{
    if (pViewClass == nullptr)
        return FALSE;
    CCreateContext context;
    if (pContext == nullptr)
    {
        CFrameWnd* pFrame = GetParentFrame();
        context.m_pNewViewClass = pViewClass;
        context.m_pCurrentDoc = pDoc;
        context.m_pNewDocTemplate = pDoc != nullptr ? pDoc->GetDocTemplate() : nullptr;
        context.m_pLastView = pFrame != nullptr ? pFrame->GetActiveView() : nullptr;
        context.m_pCurrentFrame = pFrame;
        pContext = &context;
    }
    CObject* pObject = pViewClass->CreateObject();
    if (pObject == nullptr)
        return FALSE;
    if (!pObject->IsKindOf(RUNTIME_CLASS(CWnd)))
    {
        delete pObject;
        return FALSE;
    }
    auto* pWnd = static_cast<CWnd*>(pObject);
    // A view that fails in its creation has deleted itself.
    if (!pWnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this, 0, pContext))
        return FALSE;
    m_pNewTabWnd = pWnd;
    m_pActiveView = AsView(pWnd);
    // A bar that starts floating is outside the frame's first update.
    if (m_bFloatingAtStart && m_pActiveView != nullptr)
        m_pActiveView->OnInitialUpdate();
    return TRUE;
}

BOOL CBNTabCtrlBar::CreateTabListItem(LPCTSTR lpszLabel)
{
    auto* pItem = new TCB_ITEM;
    pItem->pWnd = m_pNewTabWnd;
    pItem->szLabel = lpszLabel;
    pItem->szToolTipLabel = lpszLabel;
    pItem->uiToolTipId = m_nNextToolTipId++;
    m_views.AddTail(pItem);
    AddToolTip(pItem, lpszLabel);
    return TRUE;
}

void CBNTabCtrlBar::SizeTabView(CWnd* pWnd)
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return;
    CRect rect;
    GetChildRect(rect);
    rect.DeflateRect(3, 3);
    const int nRows = m_tabctrl.m_hWnd != nullptr ? static_cast<int>(m_tabctrl.SendMessage(TCM_GETROWCOUNT)) : 0;
    rect.bottom -= kTabRowHeight * nRows;
    pWnd->MoveWindow(&rect, TRUE);
    pWnd->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CBNTabCtrlBar::ShowTabView(CWnd* pWnd, BOOL bShow)
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return;
    pWnd->EnableWindow(bShow);
    pWnd->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
}

// --- Tooltips ------------------------------------------------------------------------

CToolTipCtrl* CBNTabCtrlBar::GetToolTip()
{
    if (m_tabctrl.m_hWnd == nullptr)
        return nullptr;
    m_tabToolTip.m_hWnd = reinterpret_cast<HWND>(m_tabctrl.SendMessage(TCM_GETTOOLTIPS));
    return m_tabToolTip.m_hWnd != nullptr ? &m_tabToolTip : nullptr;
}

void CBNTabCtrlBar::AddToolTip(TCB_ITEM* pItem, LPCTSTR lpszText)
{
    CToolTipCtrl* pToolTip = GetToolTip();
    if (pToolTip == nullptr)
        return;
    if (pItem->uiToolTipId != 0)
    {
        const CRect rectEmpty(0, 0, 0, 0);
        pToolTip->AddTool(&m_tabctrl, lpszText, &rectEmpty, pItem->uiToolTipId);
    }
    else
    {
        pToolTip->AddTool(&m_tabctrl, lpszText);
    }
}

void CBNTabCtrlBar::ResetToolTips(CToolTipCtrl* pToolTip)
{
    if (pToolTip == nullptr)
        return;
    UINT nIndex = 0;
    for (POSITION pos = m_views.GetHeadPosition(); pos != nullptr; nIndex++)
    {
        TCB_ITEM* pItem = m_views.GetNext(pos);
        pItem->uiToolTipId = nIndex;
        pToolTip->UpdateTipText(pItem->szToolTipLabel, &m_tabctrl, nIndex);
    }
    m_nNextToolTipId = nIndex == 0 ? 1 : nIndex;
}

void CBNTabCtrlBar::SetViewToolTip(int nView, LPCTSTR lpszText)
{
    POSITION pos = FindTab(nView);
    if (pos == nullptr)
        return;
    TCB_ITEM* pItem = m_views.GetAt(pos);
    pItem->szToolTipLabel = lpszText;
    if (CToolTipCtrl* pToolTip = GetToolTip())
        pToolTip->UpdateTipText(lpszText, &m_tabctrl, pItem->uiToolTipId);
}

void CBNTabCtrlBar::SetViewToolTip(CRuntimeClass* pViewClass, LPCTSTR lpszText)
{
    SetViewToolTip(FindTab(pViewClass), lpszText);
}

BOOL CBNTabCtrlBar::EnableToolTips(BOOL bEnable)
{
    const BOOL bPrevious = m_bToolTipsEnabled;
    m_bToolTipsEnabled = bEnable;
    CToolTipCtrl* pToolTip = GetToolTip();
    if (pToolTip != nullptr)
        pToolTip->SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(bEnable));
    else
        m_bToolTipsEnabled = bPrevious;
    return bPrevious;
}

// --- Activating ----------------------------------------------------------------------

void CBNTabCtrlBar::SetActiveView(int nNewTab)
{
    POSITION pos = FindTab(nNewTab);
    if (nNewTab == -1 || nNewTab == m_nActiveTab || pos == nullptr)
        return;
    // After the active tab was deleted there is no view to hide.
    if (const TCB_ITEM* pPrevious = GetTabItem(m_nActiveTab))
        ShowTabView(pPrevious->pWnd, FALSE);
    CWnd* pWnd = m_views.GetAt(pos)->pWnd;
    ShowTabView(pWnd, TRUE);
    pWnd->SetFocus();
    m_nActiveTab = nNewTab;
    m_tabctrl.SetCurSel(nNewTab);
    m_pActiveView = AsView(pWnd);
    if (CFrameWnd* pFrame = GetParentFrame())
        pFrame->SetActiveView(m_pActiveView, TRUE);
}

void CBNTabCtrlBar::SetActiveView(CRuntimeClass* pViewClass)
{
    const int nTab = FindTab(pViewClass);
    if (nTab < 0)
        return;
    if (m_pActiveView != nullptr)
        ShowTabView(m_pActiveView, FALSE);
    CWnd* pWnd = GetTabItem(nTab)->pWnd;
    ShowTabView(pWnd, TRUE);
    pWnd->SetFocus();
    m_nActiveTab = nTab;
    m_tabctrl.SetCurSel(nTab);
    m_pActiveView = AsView(pWnd);
}

void CBNTabCtrlBar::SetActiveView(CView* pView)
{
    if (FindTab(pView) < 0)
        return;
    m_pActiveView = pView;
    if (CFrameWnd* pFrame = GetParentFrame())
        pFrame->SetActiveView(pView, TRUE);
}

CView* CBNTabCtrlBar::GetActiveView()
{
    return m_pActiveView;
}

CView* CBNTabCtrlBar::GetView(int nView)
{
    const TCB_ITEM* pItem = GetTabItem(nView);
    return pItem != nullptr ? AsView(pItem->pWnd) : nullptr;
}

CView* CBNTabCtrlBar::GetView(CRuntimeClass* pViewClass)
{
    return GetView(FindTab(pViewClass));
}

LPCTSTR CBNTabCtrlBar::GetViewName(int nView)
{
    const TCB_ITEM* pItem = GetTabItem(nView);
    return pItem != nullptr ? static_cast<LPCTSTR>(pItem->szLabel) : nullptr;
}

LPCTSTR CBNTabCtrlBar::GetViewName(CRuntimeClass* pViewClass)
{
    return GetViewName(FindTab(pViewClass));
}

// --- Removing views ------------------------------------------------------------------

void CBNTabCtrlBar::RemoveListItem(POSITION pos)
{
    if (pos == nullptr)
        return;
    TCB_ITEM* pItem = m_views.GetAt(pos);
    if (pItem->pWnd != nullptr && pItem->pWnd->m_hWnd != nullptr)
        pItem->pWnd->DestroyWindow();
    m_views.RemoveAt(pos);
    delete pItem;
}

void CBNTabCtrlBar::RemoveView(int nView)
{
    POSITION pos = FindTab(nView);
    if (pos == nullptr)
        return;
    // The tab goes with its record, so the tabs after it keep their views.
    const CWnd* pWnd = m_views.GetAt(pos)->pWnd;
    if (pWnd == m_pActiveView)
        m_pActiveView = nullptr;
    RemoveListItem(pos);
    m_tabctrl.DeleteItem(nView);
    m_nActiveTab = pyraxis::uilib::ActiveTabAfterDelete(m_nActiveTab, nView);
    if (m_nActiveTab < 0)
        m_pActiveView = nullptr;
    else
        m_tabctrl.SetCurSel(m_nActiveTab);
}

void CBNTabCtrlBar::DeleteView(int nView)
{
    POSITION pos = FindTab(nView);
    if (pos == nullptr)
        return;
    CFrameWnd* pFrame = GetParentFrame();
    if (pFrame != nullptr && pFrame->GetActiveView() == m_views.GetAt(pos)->pWnd)
        pFrame->SetActiveView(nullptr, FALSE);
    RemoveView(nView);
    ResetToolTips(GetToolTip());
}

void CBNTabCtrlBar::DeleteView(CRuntimeClass* pViewClass)
{
    DeleteView(FindTab(pViewClass));
}

BOOL CBNTabCtrlBar::RemoveAllTabs()
{
    for (int nGuard = 0; GetTabCount() > 0 && nGuard < 0x10000; nGuard++)
        RemoveView(0);
    m_pActiveView = nullptr;
    if (CFrameWnd* pFrame = GetParentFrame())
        pFrame->SetActiveView(nullptr, TRUE);
    Invalidate();
    return TRUE;
}

// --- Images, styles, hit testing -------------------------------------------------------

CImageList* CBNTabCtrlBar::SetTabImageList(CImageList* pImageList)
{
    const LRESULT hPrevious = m_tabctrl.SendMessage(TCM_SETIMAGELIST, 0,
                                                    reinterpret_cast<LPARAM>(pImageList != nullptr ? pImageList->m_hImageList : nullptr));
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(hPrevious));
}

BOOL CBNTabCtrlBar::ModifyTabStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return m_tabctrl.ModifyStyle(dwRemove, dwAdd, nFlags);
}

void CBNTabCtrlBar::SetTabMenuID(UINT nMenuID, UINT nToolbarID, int nSubMenu)
{
    m_tabctrl.SetMenuID(nMenuID, nToolbarID, nSubMenu);
}

void CBNTabCtrlBar::AssociateImageIndexWithRuntimeClass(int nIndex, CRuntimeClass* pRuntimeClass)
{
    if (pRuntimeClass != nullptr)
        AssociateImageIndexWithRuntimeClass(nIndex, pRuntimeClass->m_lpszClassName);
}

void CBNTabCtrlBar::AssociateImageIndexWithRuntimeClass(int nIndex, LPCTSTR lpszRuntimeClassName)
{
    m_mapImages.SetAt(lpszRuntimeClassName, reinterpret_cast<void*>(static_cast<INT_PTR>(nIndex)));
}

int CBNTabCtrlBar::GetImageIndexFromRuntimeClass(CRuntimeClass* pRuntimeClass)
{
    void* pValue = nullptr;
    if (pRuntimeClass == nullptr || !m_mapImages.Lookup(pRuntimeClass->m_lpszClassName, pValue))
        return -1;
    return static_cast<int>(reinterpret_cast<INT_PTR>(pValue));
}

void CBNTabCtrlBar::OverkillAssert(CRuntimeClass*)
{
}

int CBNTabCtrlBar::GetTabFromPoint(CPoint point)
{
    if (m_tabctrl.m_hWnd == nullptr)
        return -1;
    if (point == CPoint(0, 0))
    {
        ::GetCursorPos(&point);
        m_tabctrl.ScreenToClient(&point);
    }
    TCHITTESTINFO hit = {};
    hit.pt = point;
    const int nTab = static_cast<int>(m_tabctrl.SendMessage(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (nTab != -1)
        m_nLastHit = nTab;
    return nTab;
}

// --- Messages ------------------------------------------------------------------------

int CBNTabCtrlBar::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CBNControlBar::OnCreate(lpCreateStruct) == -1)
        return -1;
    const DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TCS_TOOLTIPS | TCS_BOTTOM;
    if (!m_tabctrl.Create(this, IDC_BN_TABCTRL, dwStyle, CRect(0, 0, 0, 0)))
        return -1;
    SetChild(&m_tabctrl);
    return 0;
}

void CBNTabCtrlBar::OnWindowPosChanged(WINDOWPOS* lpWndPos)
{
    CFrameWnd* pFrame = GetParentFrame();
    for (POSITION pos = m_views.GetHeadPosition(); pos != nullptr;)
    {
        CWnd* pWnd = m_views.GetNext(pos)->pWnd;
        if (pFrame != nullptr && pWnd != nullptr && pFrame->GetActiveView() == pWnd)
            pFrame->SetActiveView(nullptr, TRUE);
        SizeTabView(pWnd);
    }
    CBNControlBar::OnWindowPosChanged(lpWndPos);
}

void CBNTabCtrlBar::OnTabSelChange(NMHDR*, LRESULT* pResult)
{
    SetActiveView(m_tabctrl.GetCurSel());
    *pResult = 0;
}

BOOL CBNTabCtrlBar::PreTranslateMessage(MSG* pMsg)
{
    // Return goes to the active view itself (a tree view in a bar gets no Return from
    // the dialog keys); without an active view it is left alone.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && m_pActiveView != nullptr &&
        m_pActiveView->m_hWnd != nullptr)
    {
        m_pActiveView->SendMessage(WM_KEYDOWN, VK_RETURN, pMsg->lParam);
        return TRUE;
    }
    return CBNControlBar::PreTranslateMessage(pMsg);
}

void CBNTabCtrlBar::GetChildRect(CRect& rect)
{
    CBNControlBar::GetChildRect(rect);
    if (IsFloating())
        rect.DeflateRect(2, 2);
}

// --- Accessors ---------------------------------------------------------------------

int CBNTabCtrlBar::GetTabCount() const
{
    return static_cast<int>(m_views.GetCount());
}

int CBNTabCtrlBar::GetActiveTab() const
{
    return m_nActiveTab;
}

int CBNTabCtrlBar::GetLastHitTab() const
{
    return m_nLastHit;
}

UINT CBNTabCtrlBar::GetNextToolTipId() const
{
    return m_nNextToolTipId;
}

CBNTabCtrl& CBNTabCtrlBar::GetTabCtrl()
{
    return m_tabctrl;
}
