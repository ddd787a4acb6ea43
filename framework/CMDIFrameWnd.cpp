#include "framework/CMDIFrameWnd.h"
#include "framework/CCmdUI.h"
#include "framework/CDocTemplate.h"
#include "framework/CDocument.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CMenu.h"
#include "framework/CWinApp.h"

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
    ON_WM_SIZE()
    ON_COMMAND_EX(ID_WINDOW_ARRANGE, OnMDIWindowCmd)
    ON_COMMAND_EX(ID_WINDOW_CASCADE, OnMDIWindowCmd)
    ON_COMMAND_EX(ID_WINDOW_TILE_HORZ, OnMDIWindowCmd)
    ON_COMMAND_EX(ID_WINDOW_TILE_VERT, OnMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_ARRANGE, OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_CASCADE, OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_HORZ, OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_VERT, OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_NEW, OnUpdateMDIWindowCmd)
    ON_COMMAND(ID_WINDOW_NEW, OnWindowNew)
END_MESSAGE_MAP()

namespace
{
BOOL IsWindowCommand(UINT nID)
{
    return nID >= ID_WINDOW_NEW && nID <= ID_WINDOW_TILE_VERT;
}
}  // namespace

CMDIFrameWnd::CMDIFrameWnd() = default;

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext*)
{
    HMENU windowPopup = GetWindowMenuPopup(::GetMenu(m_hWnd));
    return CreateClient(lpcs, windowPopup != nullptr ? CMenu::FromHandle(windowPopup) : nullptr);
}

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCT, CMenu* pWindowMenu)
{
    CLIENTCREATESTRUCT client = {};
    client.hWindowMenu = pWindowMenu != nullptr ? pWindowMenu->m_hMenu : nullptr;
    client.idFirstChild = AFX_IDM_FIRST_MDICHILD;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL;
    // The client is the leftover pane of the layout: it carries the first pane's id.
    m_hWndMDIClient = ::CreateWindowEx(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr, style, 0, 0, 0, 0, m_hWnd,
                                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)),
                                       AfxGetInstanceHandle(), &client);
    return m_hWndMDIClient != nullptr;
}

HMENU CMDIFrameWnd::GetWindowMenuPopup(HMENU hMenuBar)
{
    if (hMenuBar == nullptr)
        return nullptr;
    const int count = ::GetMenuItemCount(hMenuBar);
    for (int index = 0; index < count; ++index)
    {
        HMENU popup = ::GetSubMenu(hMenuBar, index);
        if (popup == nullptr)
            continue;
        const int items = ::GetMenuItemCount(popup);
        for (int item = 0; item < items; ++item)
        {
            if (IsWindowCommand(::GetMenuItemID(popup, item)))
                return popup;
        }
    }
    // Programs put the Window menu before Help.
    return count >= 2 ? ::GetSubMenu(hMenuBar, count - 2) : nullptr;
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefFrameProc(m_hWnd, m_hWndMDIClient, message, wParam, lParam);
}

void CMDIFrameWnd::OnSize(UINT nType, int, int)
{
    // Not the default handling: it would stretch the client over the bars.
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

// --- The children -------------------------------------------------------------------------

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* pbMaximized) const
{
    BOOL maximized = FALSE;
    HWND active = m_hWndMDIClient != nullptr
        ? reinterpret_cast<HWND>(::SendMessage(m_hWndMDIClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)))
        : nullptr;
    if (pbMaximized != nullptr)
        *pbMaximized = maximized;
    CWnd* wnd = active != nullptr ? FromHandlePermanent(active) : nullptr;
    if (wnd == nullptr || !wnd->IsKindOf(RUNTIME_CLASS(CMDIChildWnd)))
        return nullptr;
    return static_cast<CMDIChildWnd*>(wnd);
}

void CMDIFrameWnd::MDIActivate(CWnd* pWndActivate)
{
    if (pWndActivate != nullptr)
        ::SendMessage(m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(pWndActivate->m_hWnd), 0);
}

void CMDIFrameWnd::MDICascade()
{
    ::SendMessage(m_hWndMDIClient, WM_MDICASCADE, 0, 0);
}

void CMDIFrameWnd::MDITile(int nType)
{
    ::SendMessage(m_hWndMDIClient, WM_MDITILE, static_cast<WPARAM>(nType), 0);
}

void CMDIFrameWnd::MDIIconArrange()
{
    ::SendMessage(m_hWndMDIClient, WM_MDIICONARRANGE, 0, 0);
}

void CMDIFrameWnd::MDIMaximize(CWnd* pWnd)
{
    if (pWnd != nullptr)
        ::SendMessage(m_hWndMDIClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(pWnd->m_hWnd), 0);
}

void CMDIFrameWnd::MDIRestore(CWnd* pWnd)
{
    if (pWnd != nullptr)
        ::SendMessage(m_hWndMDIClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(pWnd->m_hWnd), 0);
}

void CMDIFrameWnd::MDINext()
{
    ::SendMessage(m_hWndMDIClient, WM_MDINEXT, 0, 0);
}

void CMDIFrameWnd::MDIPrev()
{
    ::SendMessage(m_hWndMDIClient, WM_MDINEXT, 0, 1);
}

HMENU CMDIFrameWnd::MDISetMenu(HMENU hFrameMenu, HMENU hWindowMenu)
{
    HMENU previous = reinterpret_cast<HMENU>(::SendMessage(m_hWndMDIClient, WM_MDISETMENU,
                                                           reinterpret_cast<WPARAM>(hFrameMenu),
                                                           reinterpret_cast<LPARAM>(hWindowMenu)));
    ::DrawMenuBar(m_hWnd);
    return previous;
}

void CMDIFrameWnd::MDIRefreshWindowList()
{
    if (m_hWndMDIClient == nullptr)
        return;
    ::SendMessage(m_hWndMDIClient, WM_MDIREFRESHMENU, 0, 0);
    ::DrawMenuBar(m_hWnd);
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame()
{
    CMDIChildWnd* child = MDIGetActive();
    return child != nullptr ? static_cast<CFrameWnd*>(child) : this;
}

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if ((GetStyle() & FWS_ADDTOTITLE) == 0)
        return;
    BOOL maximized = FALSE;
    CMDIChildWnd* child = MDIGetActive(&maximized);
    // A maximized child's title is added by the MDI frame's default handling.
    CDocument* doc = nullptr;
    if (bAddToTitle && child != nullptr && !maximized && child->IsWindowVisible())
        doc = child->GetActiveDocument();
    UpdateFrameTitleForDocument(doc != nullptr ? static_cast<LPCTSTR>(doc->GetTitle()) : nullptr);
}

void CMDIFrameWnd::OnUpdateFrameMenu(HMENU hMenuAlt)
{
    CMDIChildWnd* child = MDIGetActive();
    if (child != nullptr && child->IsWindowVisible())
    {
        child->OnUpdateFrameMenu(TRUE, child, hMenuAlt);
        return;
    }
    HMENU menu = hMenuAlt != nullptr ? hMenuAlt : m_hMenuDefault;
    if (menu != nullptr)
        MDISetMenu(menu, GetWindowMenuPopup(menu));
}

// --- Commands -----------------------------------------------------------------------------

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    // The active child (its view and document first), then this frame and the application.
    CMDIChildWnd* child = MDIGetActive();
    if (child != nullptr && child->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMDIFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The window list's entries are the MDI client's own commands.
    if (lParam == 0 && LOWORD(wParam) >= AFX_IDM_FIRST_MDICHILD)
        return FALSE;
    return CFrameWnd::OnCommand(wParam, lParam);
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    if (MDIGetActive() != nullptr && ::TranslateMDISysAccel(m_hWndMDIClient, pMsg))
        return TRUE;
    // Accelerators reach this frame, which routes the command to the active child.
    return m_hAccelTable != nullptr && ::TranslateAccelerator(m_hWnd, m_hAccelTable, pMsg);
}

BOOL CMDIFrameWnd::OnMDIWindowCmd(UINT nID)
{
    switch (nID)
    {
    case ID_WINDOW_ARRANGE: MDIIconArrange(); break;
    case ID_WINDOW_CASCADE: MDICascade(); break;
    case ID_WINDOW_TILE_HORZ: MDITile(MDITILE_HORIZONTAL); break;
    case ID_WINDOW_TILE_VERT: MDITile(MDITILE_VERTICAL); break;
    default: return FALSE;
    }
    return TRUE;
}

void CMDIFrameWnd::OnUpdateMDIWindowCmd(CCmdUI* pCmdUI)
{
    CMDIChildWnd* child = MDIGetActive();
    if (pCmdUI->m_nID == ID_WINDOW_NEW)
        pCmdUI->Enable(child != nullptr && child->GetActiveDocument() != nullptr);
    else
        pCmdUI->Enable(child != nullptr);
}

void CMDIFrameWnd::OnWindowNew()
{
    CMDIChildWnd* child = MDIGetActive();
    CDocument* doc = child != nullptr ? child->GetActiveDocument() : nullptr;
    CDocTemplate* docTemplate = doc != nullptr ? doc->GetDocTemplate() : nullptr;
    if (docTemplate == nullptr)
        return;
    CFrameWnd* frame = docTemplate->CreateNewFrame(doc, child);
    if (frame != nullptr)
        docTemplate->InitialUpdateFrame(frame, doc);
}
