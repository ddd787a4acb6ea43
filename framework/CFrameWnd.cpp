#include "framework/CFrameWnd.h"
#include "framework/CCmdUI.h"
#include "framework/CControlBar.h"
#include "framework/CDocument.h"
#include "framework/CMenu.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "framework/ResourceHandle.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ACTIVATE()
    ON_WM_ENABLE()
    ON_WM_SHOWWINDOW()
    ON_WM_MENUSELECT()
    ON_WM_INITMENUPOPUP()
    ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
    ON_MESSAGE(WM_POPMESSAGESTRING, OnPopMessageString)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_MESSAGE(WM_RECALCPARENT, OnRecalcParent)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
    // System commands and the MDI window list have no handlers of ours, yet must stay
    // enabled when the menus are updated.
    ON_UPDATE_COMMAND_UI_RANGE(0xF000, 0xFFFF, OnUpdateSystemItem)
    ON_COMMAND(ID_HELP, OnHelp)
    ON_COMMAND(ID_HELP_FINDER, OnHelpFinder)
    ON_COMMAND(ID_DEFAULT_HELP, OnHelpFinder)
    ON_COMMAND(ID_CONTEXT_HELP, OnContextHelp)
    // No WM_HELP entry: F1 reaches a frame as its accelerator's ID_HELP, and the WM_HELP
    // that the system sends for the same key would show the help a second time.
END_MESSAGE_MAP()

namespace
{
// The part of a resource string before the first '\n'.
CString FirstField(const CString& text)
{
    const int newline = text.Find('\n');
    return newline < 0 ? text : text.Left(newline);
}

BOOL HasResource(UINT nID, LPCTSTR type)
{
    return ::FindResource(AfxGetResourceHandle(), MAKEINTRESOURCE(nID), type) != nullptr;
}
}  // namespace

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd()
{
    // The menu that is not on the window any more is ours to free.
    if (m_hMenuDefault != nullptr && (m_hWnd == nullptr || ::GetMenu(m_hWnd) != m_hMenuDefault))
        ::DestroyMenu(m_hMenuDefault);
    if (m_hAccelTable != nullptr)
        ::DestroyAcceleratorTable(m_hAccelTable);
}

BOOL CFrameWnd::IsFrameWnd() const
{
    return TRUE;
}

// --- Creation -----------------------------------------------------------------------------

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (cs.lpszClass == nullptr)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    // The bars and the client paint themselves; the frame must not paint over them.
    cs.style |= WS_CLIPCHILDREN;
    return cs.lpszClass != nullptr;
}

BOOL CFrameWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCTSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext)
{
    HMENU hMenu = nullptr;
    if (lpszMenuName != nullptr)
    {
        hMenu = ::LoadMenu(AfxGetResourceHandle(), lpszMenuName);
        if (hMenu == nullptr)
            return FALSE;
    }
    if (lpszWindowName != nullptr)
        m_strTitle = lpszWindowName;
    int x = rect.left, y = rect.top;
    int cx = rect.right - rect.left, cy = rect.bottom - rect.top;
    if (rect.left == CW_USEDEFAULT)
    {
        x = y = cx = cy = CW_USEDEFAULT;
    }
    if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, cx, cy,
                  pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, hMenu, pContext))
    {
        if (hMenu != nullptr)
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    CString title;
    if (title.LoadString(nIDResource))
        m_strTitle = FirstField(title);

    HICON icon = ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(nIDResource));
    LPCTSTR className = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                            reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    // A frame without its own menu resource (an invisible frame) is still a frame.
    LPCTSTR menuName = HasResource(nIDResource, RT_MENU) ? MAKEINTRESOURCE(nIDResource) : nullptr;
    bool deleted = false;
    m_pDeletedDuringLoad = &deleted;
    if (!Create(className, m_strTitle, dwDefaultStyle, rectDefault, pParentWnd, menuName, 0, pContext))
    {
        // A window that came into being took the object with it; otherwise it goes here,
        // so that a failed load always leaves nothing for the caller to free.
        if (!deleted)
            delete this;
        return FALSE;
    }
    m_pDeletedDuringLoad = nullptr;

    m_hMenuDefault = ::GetMenu(m_hWnd);
    if (m_hAccelTable == nullptr && HasResource(nIDResource, RT_ACCELERATOR))
        m_hAccelTable = ::LoadAccelerators(AfxGetResourceHandle(), MAKEINTRESOURCE(nIDResource));
    // Without a context nobody else runs the first update of the views and bars.
    if (pContext == nullptr)
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    return OnCreateHelper(lpCreateStruct, static_cast<CCreateContext*>(lpCreateStruct->lpCreateParams));
}

int CFrameWnd::OnCreateHelper(LPCREATESTRUCT lpcs, CCreateContext* pContext)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!OnCreateClient(lpcs, pContext))
        return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (pContext != nullptr && pContext->m_pNewViewClass != nullptr)
        return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
    if (pContext == nullptr || pContext->m_pNewViewClass == nullptr)
        return nullptr;
    CObject* object = pContext->m_pNewViewClass->CreateObject();
    if (object == nullptr)
        return nullptr;
    if (!object->IsKindOf(RUNTIME_CLASS(CWnd)))
    {
        delete object;
        return nullptr;
    }
    CWnd* view = static_cast<CWnd*>(object);
    // A view that fails in its creation has deleted itself at WM_NCDESTROY.
    if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 0, 0), this, nID, pContext))
        return nullptr;
    return view;
}

void CFrameWnd::PostNcDestroy()
{
    // Frames are always allocated with new: the object goes with its window.
    if (m_pDeletedDuringLoad != nullptr)
        *m_pDeletedDuringLoad = true;
    delete this;
}

// --- Views and documents ------------------------------------------------------------------

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify)
{
    CView* pViewOld = m_pViewActive;
    if (pViewNew == pViewOld)
        return;
    m_pViewActive = nullptr;
    if (pViewOld != nullptr && bNotify)
        pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
    // The old view may have changed the activation while it was told.
    if (m_pViewActive != nullptr)
        return;
    m_pViewActive = pViewNew;
    if (pViewNew != nullptr && bNotify)
        pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
}

CDocument* CFrameWnd::GetActiveDocument()
{
    CView* view = GetActiveView();
    return view != nullptr ? view->GetDocument() : nullptr;
}

CFrameWnd* CFrameWnd::GetActiveFrame()
{
    return this;
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1)
    {
        if (!IsWindowVisible())
            nCmdShow = SW_SHOWNORMAL;
        else if (IsIconic())
            nCmdShow = SW_RESTORE;
    }
    if (nCmdShow != -1)
        ShowWindow(nCmdShow);
    if (nCmdShow != SW_HIDE && nCmdShow != SW_MINIMIZE && nCmdShow != SW_SHOWMINNOACTIVE)
        BringWindowToTop();
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL bMakeVisible)
{
    CView* view = nullptr;
    if (GetActiveView() == nullptr)
    {
        CWnd* pane = GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE);
        if (pane != nullptr && pane->IsKindOf(RUNTIME_CLASS(CView)))
        {
            view = static_cast<CView*>(pane);
            SetActiveView(view, FALSE);
        }
    }
    if (bMakeVisible)
    {
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
        int nCmdShow = -1;
        CWinApp* app = AfxGetApp();
        if (app != nullptr && app->m_pMainWnd == this)
            nCmdShow = app->m_nCmdShow;
        ActivateFrame(nCmdShow);
        if (view != nullptr)
            view->OnActivateView(TRUE, view, view);
    }
    OnUpdateFrameTitle(TRUE);
}

// --- Layout -------------------------------------------------------------------------------

void CFrameWnd::RecalcLayout(BOOL)
{
    if (m_hWnd == nullptr || m_bInRecalcLayout)
        return;
    m_bInRecalcLayout = TRUE;
    m_bDelayedLayout = FALSE;
    CRect border = m_rectBorder;
    RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposExtra, &border);
    m_bInRecalcLayout = FALSE;
}

void CFrameWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag,
                               LPRECT lpRectParam, LPCRECT lpRectClient, BOOL bStretch)
{
    AFX_SIZEPARENTPARAMS layout;
    layout.bStretch = bStretch;
    if (lpRectClient != nullptr)
        layout.rect = *lpRectClient;
    else
        ::GetClientRect(m_hWnd, &layout.rect);
    if (nFlag != reposQuery)
        layout.hDWP = ::BeginDeferWindowPos(8);

    HWND leftOver = nullptr;
    for (HWND child = ::GetTopWindow(m_hWnd); child != nullptr; child = ::GetNextWindow(child, GW_HWNDNEXT))
    {
        const UINT id = static_cast<UINT>(::GetDlgCtrlID(child));
        if (id == nIDLeftOver)
            leftOver = child;
        else if (id >= nIDFirst && id <= nIDLast && FromHandlePermanent(child) != nullptr)
            ::SendMessage(child, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&layout));
    }

    if (nFlag == reposQuery)
    {
        if (lpRectParam != nullptr)
        {
            if (bStretch)
                *lpRectParam = layout.rect;
            else
                ::SetRect(lpRectParam, 0, 0, layout.sizeTotal.cx, layout.sizeTotal.cy);
        }
        return;
    }

    CRect rest(layout.rect);
    if (nFlag == reposExtra && lpRectParam != nullptr)
    {
        rest.left += lpRectParam->left;
        rest.top += lpRectParam->top;
        rest.right -= lpRectParam->right;
        rest.bottom -= lpRectParam->bottom;
    }
    if (leftOver != nullptr)
    {
        const int width = rest.right > rest.left ? rest.right - rest.left : 0;
        const int height = rest.bottom > rest.top ? rest.bottom - rest.top : 0;
        if (layout.hDWP != nullptr)
            layout.hDWP = ::DeferWindowPos(layout.hDWP, leftOver, nullptr, rest.left, rest.top, width, height,
                                           SWP_NOACTIVATE | SWP_NOZORDER);
        else
            ::SetWindowPos(leftOver, nullptr, rest.left, rest.top, width, height, SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (layout.hDWP != nullptr)
        ::EndDeferWindowPos(layout.hDWP);
}

void CFrameWnd::DelayRecalcLayout(BOOL bNotify)
{
    m_bDelayedLayout = TRUE;
    m_bDelayedLayoutNotify = m_bDelayedLayoutNotify || bNotify;
}

LRESULT CFrameWnd::OnRecalcParent(WPARAM, LPARAM)
{
    RecalcLayout();
    return 0;
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

// --- Title --------------------------------------------------------------------------------

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if ((GetStyle() & FWS_ADDTOTITLE) == 0)
        return;
    CDocument* doc = GetActiveDocument();
    if (bAddToTitle && doc != nullptr)
        UpdateFrameTitleForDocument(doc->GetTitle());
    else
        UpdateFrameTitleForDocument(nullptr);
}

void CFrameWnd::UpdateFrameTitleForDocument(LPCTSTR lpszDocName)
{
    CString text;
    CString docPart;
    if (lpszDocName != nullptr && *lpszDocName != '\0')
    {
        docPart = lpszDocName;
        if (m_nWindow > 0)
            docPart.AppendFormat(":%d", m_nWindow);
    }
    if (docPart.IsEmpty())
        text = m_strTitle;
    else if (m_strTitle.IsEmpty())
        text = docPart;
    else if ((GetStyle() & FWS_PREFIXTITLE) != 0)
        text = docPart + " - " + m_strTitle;
    else
        text = m_strTitle + " - " + docPart;

    // Setting an unchanged caption would repaint the frame at every idle. The window's
    // own text is not compared: the MDI frame adds the maximized child's title to it.
    if (text != m_strShownTitle || GetWindowTextLength() == 0)
    {
        m_strShownTitle = text;
        SetWindowText(text);
    }
}

// --- Status bar prompts -------------------------------------------------------------------

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const
{
    CString text;
    if (nID != 0 && text.LoadString(nID))
        rMessage = FirstField(text);
    else
        rMessage.Empty();
}

void CFrameWnd::SetMessageText(LPCTSTR lpszText)
{
    SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(lpszText));
}

void CFrameWnd::SetMessageText(UINT nID)
{
    SendMessage(WM_SETMESSAGESTRING, nID, 0);
}

CWnd* CFrameWnd::GetMessageBar()
{
    return GetDescendantWindow(AFX_IDW_STATUS_BAR, TRUE);
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam)
{
    const UINT previous = m_nIDLastMessage;
    m_nIDLastMessage = static_cast<UINT>(wParam);
    CWnd* bar = GetMessageBar();
    if (bar != nullptr)
    {
        CString message;
        if (lParam != 0)
            message = reinterpret_cast<LPCTSTR>(lParam);
        else if (wParam != 0)
            GetMessageString(static_cast<UINT>(wParam), message);
        bar->SetWindowText(message);
    }
    return previous;
}

LRESULT CFrameWnd::OnPopMessageString(WPARAM wParam, LPARAM lParam)
{
    if (wParam == 0 && lParam == 0)
        wParam = AFX_IDS_IDLEMESSAGE;
    return OnSetMessageString(wParam, lParam);
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu)
{
    if (nFlags == 0xFFFF && hSysMenu == nullptr)
        m_nIDTracking = AFX_IDS_IDLEMESSAGE;    // the menu closed
    else if (nItemID == 0 || (nFlags & (MF_SEPARATOR | MF_POPUP)) != 0 || nItemID >= 0xF000)
        m_nIDTracking = 0;                      // nothing to say about these
    else
        m_nIDTracking = nItemID;
    SendMessage(WM_SETMESSAGESTRING, m_nIDTracking);
}

void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu)
{
    Default();
    if (!bSysMenu && pPopupMenu != nullptr)
        UpdateMenuCmdUI(pPopupMenu->m_hMenu, this, m_bAutoMenuEnable);
}

void CFrameWnd::OnUpdateSystemItem(CCmdUI*)
{
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI)
{
    int key = 0;
    switch (pCmdUI->m_nID)
    {
    case ID_INDICATOR_CAPS: key = VK_CAPITAL; break;
    case ID_INDICATOR_NUM: key = VK_NUMLOCK; break;
    case ID_INDICATOR_SCRL: key = VK_SCROLL; break;
    default:
        pCmdUI->ContinueRouting();
        return;
    }
    // The indicator's text shows while the key's toggle is on.
    pCmdUI->Enable((::GetKeyState(key) & 1) != 0);
}

// --- Control bars -------------------------------------------------------------------------

void CFrameWnd::AddControlBar(CControlBar* pBar)
{
    if (pBar != nullptr && m_listControlBars.Find(pBar) == nullptr)
        m_listControlBars.AddTail(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    POSITION pos = m_listControlBars.Find(pBar);
    if (pos != nullptr)
        m_listControlBars.RemoveAt(pos);
}

CControlBar* CFrameWnd::GetControlBar(UINT nID)
{
    if (nID == 0)
        return nullptr;
    for (POSITION pos = m_listControlBars.GetHeadPosition(); pos != nullptr;)
    {
        CControlBar* bar = static_cast<CControlBar*>(m_listControlBars.GetNext(pos));
        if (bar->m_hWnd != nullptr && static_cast<UINT>(bar->GetDlgCtrlID()) == nID)
            return bar;
    }
    return nullptr;
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* bar = GetControlBar(nID);
    if (bar == nullptr)
        return FALSE;
    ShowControlBar(bar, (bar->GetStyle() & WS_VISIBLE) == 0, FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* bar = GetControlBar(pCmdUI->m_nID);
    if (bar == nullptr)
    {
        pCmdUI->ContinueRouting();
        return;
    }
    pCmdUI->SetCheck((bar->GetStyle() & WS_VISIBLE) != 0);
}

void CFrameWnd::NotifyFloatingWindows(DWORD dwFlags)
{
    // Floating frames are popups owned by this frame; only framework frames are told.
    for (HWND popup = ::GetWindow(::GetDesktopWindow(), GW_CHILD); popup != nullptr;
         popup = ::GetWindow(popup, GW_HWNDNEXT))
    {
        if (::GetWindow(popup, GW_OWNER) != m_hWnd)
            continue;
        CWnd* wnd = FromHandlePermanent(popup);
        if (wnd != nullptr && wnd->IsFrameWnd())
            wnd->SendMessage(WM_FLOATSTATUS, dwFlags);
    }
}

// --- Routing ------------------------------------------------------------------------------

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    CView* view = GetActiveView();
    if (view != nullptr && view->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    // A child frame's parent frame asks the application itself, after its own handlers.
    if ((GetStyle() & WS_CHILD) != 0)
        return FALSE;
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable != nullptr)
        return ::TranslateAccelerator(m_hWnd, m_hAccelTable, pMsg);
    return FALSE;
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    if (m_bDelayedLayout)
        RecalcLayout(m_bDelayedLayoutNotify);
    m_bDelayedLayoutNotify = FALSE;
    OnUpdateFrameTitle(TRUE);
    // The application's idle pass reaches only the main window's family; floating
    // frames are owned popups and get it from here.
    if (::GetParent(m_hWnd) == nullptr)
    {
        for (HWND popup = ::GetWindow(::GetDesktopWindow(), GW_CHILD); popup != nullptr;
             popup = ::GetWindow(popup, GW_HWNDNEXT))
        {
            CWnd* wnd = ::GetWindow(popup, GW_OWNER) == m_hWnd ? FromHandlePermanent(popup) : nullptr;
            if (wnd != nullptr && wnd->IsFrameWnd() && wnd->IsWindowVisible())
            {
                wnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
                wnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
            }
        }
    }
    return 0;
}

// --- Activation, focus, closing -----------------------------------------------------------

void CFrameWnd::OnSetFocus(CWnd* pOldWnd)
{
    if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr)
        m_pViewActive->SetFocus();
    else
        CWnd::OnSetFocus(pOldWnd);
}

void CFrameWnd::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CWnd::OnActivate(nState, pWndOther, bMinimized);
    if (::GetParent(m_hWnd) != nullptr)
        return;
    if (nState == WA_INACTIVE)
    {
        // Going to one of our floating frames keeps the caption lit, as for one window.
        if (pWndOther != nullptr && ::GetWindow(pWndOther->m_hWnd, GW_OWNER) == m_hWnd)
            CWnd::DefWindowProc(WM_NCACTIVATE, TRUE, 0);
        else
            NotifyFloatingWindows(FS_DEACTIVATE);
    }
    else
    {
        NotifyFloatingWindows(FS_ACTIVATE);
    }
}

void CFrameWnd::OnEnable(BOOL bEnable)
{
    CWnd::OnEnable(bEnable);
    if (::GetParent(m_hWnd) == nullptr)
        NotifyFloatingWindows(bEnable ? FS_ENABLE : FS_DISABLE);
}

void CFrameWnd::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CWnd::OnShowWindow(bShow, nStatus);
    if (::GetParent(m_hWnd) == nullptr && nStatus == 0)
        NotifyFloatingWindows(bShow ? FS_SHOW : FS_HIDE);
}

void CFrameWnd::OnClose()
{
    // The frame's own view: an MDI frame's children answer for their documents below.
    CDocument* doc = m_pViewActive != nullptr ? m_pViewActive->GetDocument() : nullptr;
    if (doc != nullptr && !doc->CanCloseFrame(this))
        return;

    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this)
    {
        // The main window takes every document with it; any of them may refuse.
        if (doc == nullptr && !app->SaveAllModified())
            return;
        app->CloseAllDocuments(FALSE);
        DestroyWindow();
        return;
    }

    // The last frame of an auto-delete document closes the document (and itself with it).
    if (doc != nullptr && doc->m_bAutoDelete)
    {
        bool otherFrame = false;
        for (POSITION pos = doc->GetFirstViewPosition(); pos != nullptr && !otherFrame;)
        {
            CView* view = doc->GetNextView(pos);
            otherFrame = view->GetParentFrame() != this;
        }
        if (!otherFrame)
        {
            doc->OnCloseDocument();
            return;
        }
        doc->PreCloseFrame(this);
    }
    DestroyWindow();
}

void CFrameWnd::OnDestroy()
{
    // A document type's shared menu on the window must not be destroyed with it.
    if (m_hMenuDefault != nullptr && ::GetMenu(m_hWnd) != m_hMenuDefault)
        ::SetMenu(m_hWnd, m_hMenuDefault);
    m_pViewActive = nullptr;
    CWnd::OnDestroy();
}

// --- Help ---------------------------------------------------------------------------------

void CFrameWnd::HtmlHelp(DWORD_PTR dwData, UINT nCmd)
{
    // The base application's call, which shows the topic: an application's override
    // routes help, and a frame that overrides this one may hand the request to it.
    if (CWinApp* app = AfxGetApp())
        app->CWinApp::HtmlHelp(dwData, nCmd);
}

CFrameWnd* CFrameWnd::GetHelpFrame()
{
    CFrameWnd* frame = this;
    while ((frame->GetStyle() & WS_CHILD) != 0 && frame->GetParentFrame() != nullptr)
        frame = frame->GetParentFrame();
    return frame;
}

void CFrameWnd::OnHelp()
{
    GetHelpFrame()->HtmlHelp(m_nIDHelp, 0x000F /* HH_HELP_CONTEXT */);
}

void CFrameWnd::OnHelpFinder()
{
    GetHelpFrame()->HtmlHelp(0, 0x0001 /* HH_DISPLAY_TOC */);
}

void CFrameWnd::OnContextHelp()
{
    OnHelp();
}
