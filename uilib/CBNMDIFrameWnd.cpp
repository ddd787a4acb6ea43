#include "uilib/CBNMDIFrameWnd.h"
#include "uilib/CBNControlBar.h"
#include "uilib/CBNDockBar.h"
#include "uilib/CBNMiniDockFrameWnd.h"
#include "uilib/CBNSizeDockBar.h"
#include "uilib/ContextMenus.h"
#include "framework/CControlBar.h"
#include "framework/CMultiDocTemplate.h"
#include "framework/CResourceException.h"
#include "framework/MessageMap.h"
#include "framework/ResourceHandle.h"

IMPLEMENT_DYNCREATE(CBNMDIFrameWnd, CMDIFrameWnd)

BEGIN_MESSAGE_MAP(CBNMDIFrameWnd, CMDIFrameWnd)
    ON_WM_MEASUREITEM()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

namespace
{
struct Side
{
    UINT nID;
    DWORD dwStyle;
    DWORD dwFlatBit;
};

// The sizing dock bars, in the order every walk over them takes.
const Side kSizingSides[] = {
    {0xE821, CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM, CBNMDIFrameWnd::FlatTop},
    {0xE825, CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP, CBNMDIFrameWnd::FlatBottom},
    {0xE820, CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT, CBNMDIFrameWnd::FlatLeft},
    {0xE822, CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT, CBNMDIFrameWnd::FlatRight},
};

// The framework's dock bars for toolbars.
const UINT kToolbarDockBarIDs[] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT,
                                   AFX_IDW_DOCKBAR_RIGHT};

const DWORD kDockBarWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
} // namespace

CBNMDIFrameWnd::CBNMDIFrameWnd() = default;

CBNMDIFrameWnd::~CBNMDIFrameWnd()
{
    for (POSITION pos = m_listMenus.GetHeadPosition(); pos != nullptr;)
        delete m_listMenus.GetNext(pos);
    m_listMenus.RemoveAll();
}

// --- Docking -------------------------------------------------------------------------

void CBNMDIFrameWnd::EnableDocking(DWORD dwDockStyle)
{
    CMDIFrameWnd::EnableDocking(dwDockStyle);
    // The framework's dock bars give way to ours, with the same ids and styles.
    for (UINT nID : kToolbarDockBarIDs)
    {
        CControlBar* pOld = GetControlBar(nID);
        if (pOld == nullptr || pOld->IsKindOf(RUNTIME_CLASS(CBNDockBar)) ||
            (pOld->m_dwStyle & dwDockStyle & CBRS_ALIGN_ANY) == 0)
            continue;
        const DWORD dwStyle = pOld->m_dwStyle;
        RemoveControlBar(pOld);
        const BOOL bAutoDelete = pOld->m_bAutoDelete;
        pOld->DestroyWindow();
        if (!bAutoDelete)
            delete pOld;
        auto* pDockBar = new CBNDockBar;
        if (!pDockBar->Create(this, dwStyle | kDockBarWindowStyle, nID))
        {
            delete pDockBar;
            AfxThrowResourceException();
        }
        PlaceBeforeSizingSides(pDockBar);
    }
}

void CBNMDIFrameWnd::PlaceBeforeSizingSides(CWnd* pDockBar)
{
    // The layout visits the bars in their window order: toolbars come first, so they
    // take the frame's outer edges and the sizing sides what is left inside them, even
    // when the sizing sides were made first.
    for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != nullptr; hChild = ::GetNextWindow(hChild, GW_HWNDNEXT))
    {
        CWnd* pChild = CWnd::FromHandlePermanent(hChild);
        if (pChild == nullptr || !pChild->IsKindOf(RUNTIME_CLASS(CBNSizeDockBar)))
            continue;
        HWND hBefore = ::GetWindow(hChild, GW_HWNDPREV);
        if (hBefore != pDockBar->m_hWnd)
            ::SetWindowPos(pDockBar->m_hWnd, hBefore != nullptr ? hBefore : HWND_TOP, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
}

void CBNMDIFrameWnd::EnableDockingSizeBar(DWORD dwDockStyle, DWORD dwFlatBorders)
{
    m_pFloatingFrameClass = RUNTIME_CLASS(CBNMiniDockFrameWnd);
    for (const Side& side : kSizingSides)
    {
        if ((dwDockStyle & side.dwStyle & CBRS_ALIGN_ANY) == 0 || GetControlBar(side.nID) != nullptr)
            continue;
        auto* pDockBar = new CBNSizeDockBar;
        if (!pDockBar->Create(this, side.dwStyle | kDockBarWindowStyle, side.nID))
        {
            delete pDockBar;
            AfxThrowResourceException();
        }
        pDockBar->FlatBorder((dwFlatBorders & side.dwFlatBit) != 0);
    }
}

void CBNMDIFrameWnd::DockSizeBar(CControlBar* pBar, CBNSizeDockBar* pDockBar, LPCRECT lpRect)
{
    auto* pSizingBar = pBar->IsKindOf(RUNTIME_CLASS(CBNControlBar)) ? static_cast<CBNControlBar*>(pBar) : nullptr;
    if (pDockBar == nullptr)
    {
        pDockBar = CBNSizeDockBar::FindForAlignment(this, pBar->m_dwStyle & CBRS_ALIGN_ANY);
        if (pDockBar == nullptr)
            return;
        // The side takes the bar's thickness.
        if (pSizingBar != nullptr)
            pDockBar->SetActualSize(pDockBar->IsHorzSide() ? pSizingBar->GetHorzSize() : pSizingBar->GetVertSize());
    }
    if (pSizingBar != nullptr)
        pSizingBar->Normalize();
    DockControlBar(pBar, pDockBar, lpRect);
}

void CBNMDIFrameWnd::DockControlBarLeftOf(CControlBar* pBar, CControlBar* pLeftOf)
{
    RecalcLayout(TRUE);
    CRect rect;
    pLeftOf->GetWindowRect(&rect);
    rect.OffsetRect(1, 0);
    const DWORD dwStyle = pLeftOf->GetBarStyle();
    UINT nID = 0;
    if (dwStyle & CBRS_ALIGN_TOP)
        nID = AFX_IDW_DOCKBAR_TOP;
    else if (dwStyle & CBRS_ALIGN_BOTTOM)
        nID = AFX_IDW_DOCKBAR_BOTTOM;
    else if (dwStyle & CBRS_ALIGN_LEFT)
        nID = AFX_IDW_DOCKBAR_LEFT;
    else if (dwStyle & CBRS_ALIGN_RIGHT)
        nID = AFX_IDW_DOCKBAR_RIGHT;
    DockControlBar(pBar, nID, &rect);
}

void CBNMDIFrameWnd::RecalcLayout(BOOL bNotify)
{
    CMDIFrameWnd::RecalcLayout(bNotify);
    RecalcAllExcept(nullptr);
}

void CBNMDIFrameWnd::RecalcAllExcept(CBNSizeDockBar* pExcept)
{
    CBNSizeDockBar::RecalcFrameExcept(this, pExcept);
}

void CBNMDIFrameWnd::FitSidesToBars()
{
    for (const Side& side : kSizingSides)
    {
        CControlBar* pBar = GetControlBar(side.nID);
        if (pBar == nullptr || !pBar->IsKindOf(RUNTIME_CLASS(CBNSizeDockBar)))
            continue;
        auto* pDockBar = static_cast<CBNSizeDockBar*>(pBar);
        for (INT_PTR i = 0; i < pDockBar->m_arrBars.GetSize(); i++)
        {
            CBNControlBar* pSizingBar = pDockBar->GetDockedSizeBar(static_cast<int>(i));
            if (pSizingBar == nullptr || !pSizingBar->IsVisible())
                continue;
            pDockBar->SetActualSize(pDockBar->IsHorzSide() ? pSizingBar->GetHorzSize() : pSizingBar->GetVertSize());
            break;
        }
    }
}

void CBNMDIFrameWnd::LoadBarState(LPCTSTR lpszProfileName)
{
    CBNSizeDockBar::m_bDockBarMode = TRUE;
    CMDIFrameWnd::LoadBarState(lpszProfileName);
    CBNSizeDockBar::m_bDockBarMode = FALSE;
    // A bar restored on another side than the one it was created on brings its size.
    FitSidesToBars();
    RecalcLayout();
}

void CBNMDIFrameWnd::SaveBarState(LPCTSTR lpszProfileName)
{
    CBNSizeDockBar::m_bDockBarMode = TRUE;
    CMDIFrameWnd::SaveBarState(lpszProfileName);
    CBNSizeDockBar::m_bDockBarMode = FALSE;
    // Writing the frame's state empties each bar's section, and with it the sizes the
    // sizing bars keep there: they write them again.
    for (POSITION pos = m_listControlBars.GetHeadPosition(); pos != nullptr;)
    {
        auto* pBar = static_cast<CControlBar*>(m_listControlBars.GetNext(pos));
        if (!pBar->IsKindOf(RUNTIME_CLASS(CBNControlBar)) || pBar->m_hWnd == nullptr)
            continue;
        CRect rect;
        pBar->GetWindowRect(&rect);
        CSize size = rect.Size();
        static_cast<CBNControlBar*>(pBar)->SaveBarState(size);
    }
}

// --- Owner-drawn menus ---------------------------------------------------------------

HMENU CBNMDIFrameWnd::NewMenu(UINT nMenuID, UINT nToolbarID)
{
    return NewMenu(nMenuID, nToolbarID != 0 ? &nToolbarID : nullptr, nToolbarID != 0 ? 1 : 0);
}

HMENU CBNMDIFrameWnd::NewMenu(UINT nMenuID, const UINT* pToolbarIDs, int nCount)
{
    auto* pMenu = new CBNMenu;
    if (!pMenu->LoadMenuA(static_cast<int>(nMenuID)))
    {
        delete pMenu;
        return nullptr;
    }
    for (int i = 0; i < nCount && pToolbarIDs != nullptr; i++)
        pMenu->LoadToolbar(pToolbarIDs[i]);
    m_listMenus.AddTail(pMenu);
    return pMenu->Detach();
}

BOOL CBNMDIFrameWnd::InitializeMenu(HMENU* phMenu, UINT nMenuID, const UINT* pToolbarIDs, int nCount)
{
    if (phMenu == nullptr)
        return FALSE;
    *phMenu = NewMenu(nMenuID, pToolbarIDs, nCount);
    return *phMenu != nullptr;
}

BOOL CBNMDIFrameWnd::InitializeMenu(HMENU* phMenu, UINT nMenuID, UINT nToolbarID)
{
    return InitializeMenu(phMenu, nMenuID, nToolbarID != 0 ? &nToolbarID : nullptr, nToolbarID != 0 ? 1 : 0);
}

BOOL CBNMDIFrameWnd::InitializeMenu(CDocTemplate* pTemplate, UINT nMenuID, UINT nToolbarID, UINT nDefaultMenuID)
{
    return InitializeMenu(pTemplate, nMenuID, nToolbarID != 0 ? &nToolbarID : nullptr, nToolbarID != 0 ? 1 : 0,
                          nDefaultMenuID);
}

BOOL CBNMDIFrameWnd::InitializeMenu(CDocTemplate* pTemplate, UINT nMenuID, const UINT* pToolbarIDs, int nCount,
                                    UINT nDefaultMenuID)
{
    if (m_listMenus.IsEmpty())
    {
        HMENU hOldDefault = m_hMenuDefault;
        m_hMenuDefault = NewMenu(nDefaultMenuID, pToolbarIDs, nCount);
        if (m_hWnd != nullptr)
            OnUpdateFrameMenu(m_hMenuDefault);
        // The menu the frame was loaded with is no longer shown anywhere.
        if (hOldDefault != nullptr && hOldDefault != m_hMenuDefault && ::GetMenu(m_hWnd) != hOldDefault)
            ::DestroyMenu(hOldDefault);
    }
    if (pTemplate != nullptr && pTemplate->IsKindOf(RUNTIME_CLASS(CMultiDocTemplate)))
    {
        auto* pMultiTemplate = static_cast<CMultiDocTemplate*>(pTemplate);
        HMENU hOldShared = pMultiTemplate->m_hMenuShared;
        pMultiTemplate->m_hMenuShared = NewMenu(nMenuID, pToolbarIDs, nCount);
        if (hOldShared != nullptr && hOldShared != pMultiTemplate->m_hMenuShared && ::GetMenu(m_hWnd) != hOldShared)
            ::DestroyMenu(hOldShared);
    }
    return TRUE;
}

void CBNMDIFrameWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (!m_listMenus.IsEmpty() && MeasureContextMenuItem(this, lpMeasureItemStruct, m_listMenus.GetHead()))
        return;
    CMDIFrameWnd::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

LRESULT CBNMDIFrameWnd::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    LRESULT lResult = 0;
    if (!m_listMenus.IsEmpty() && ContextMenuChar(nChar, nFlags, pMenu, lResult))
        return lResult;
    return CMDIFrameWnd::OnMenuChar(nChar, nFlags, pMenu);
}

void CBNMDIFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CMDIFrameWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    if (!m_listMenus.IsEmpty())
        UpdateContextMenuPopup(pPopupMenu, bSysMenu);
}

void CBNMDIFrameWnd::OnClose()
{
    SetActiveView(nullptr, TRUE);
    CMDIFrameWnd::OnClose();
}

// --- Creation ------------------------------------------------------------------------

BOOL CBNMDIFrameWnd::PreCreateWindow(CREATESTRUCT& cs, UINT nIconID)
{
    cs.lpszClass = AfxRegisterWndClass(0, nullptr, nullptr, ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(nIconID)));
    return CMDIFrameWnd::PreCreateWindow(cs);
}

BOOL CBNMDIFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    return CMDIFrameWnd::PreCreateWindow(cs);
}

// --- Accessors ---------------------------------------------------------------------

INT_PTR CBNMDIFrameWnd::GetMenuCount() const
{
    return m_listMenus.GetCount();
}

CBNMenuBar& CBNMDIFrameWnd::GetMenuBar()
{
    return m_wndMenuBar;
}
