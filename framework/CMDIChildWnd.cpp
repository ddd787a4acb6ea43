#include "framework/CMDIChildWnd.h"
#include "framework/CDocument.h"
#include "framework/CMDIFrameWnd.h"
#include "framework/CMultiDocTemplate.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "framework/ResourceHandle.h"

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_WINDOWPOSCHANGED()
    ON_MESSAGE(WM_MDIACTIVATE, OnMDIActivateMessage)
END_MESSAGE_MAP()

CMDIChildWnd::CMDIChildWnd() = default;

BOOL CMDIChildWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= WS_CHILD;
    return CFrameWnd::PreCreateWindow(cs);
}

BOOL CMDIChildWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                          CMDIFrameWnd* pParentWnd, CCreateContext* pContext)
{
    if (pParentWnd == nullptr)
    {
        CWnd* main = AfxGetMainWnd();
        if (main != nullptr && main->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)))
            pParentWnd = static_cast<CMDIFrameWnd*>(main);
    }
    if (pParentWnd == nullptr || pParentWnd->m_hWndMDIClient == nullptr)
        return FALSE;
    if (lpszWindowName != nullptr)
        m_strTitle = lpszWindowName;

    int x = rect.left, y = rect.top;
    int cx = rect.right - rect.left, cy = rect.bottom - rect.top;
    if (rect.left == CW_USEDEFAULT)
        x = y = cx = cy = CW_USEDEFAULT;
    // The system hands the child an MDI creation record whose lParam is this parameter.
    return CreateEx(WS_EX_MDICHILD, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, x, y, cx, cy,
                    pParentWnd->m_hWndMDIClient, nullptr, pContext);
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    CString title;
    if (title.LoadString(nIDResource))
    {
        const int newline = title.Find('\n');
        m_strTitle = newline < 0 ? title : title.Left(newline);
    }
    HICON icon = ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(nIDResource));
    LPCTSTR className = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                            reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    CMDIFrameWnd* parent = nullptr;
    if (pParentWnd != nullptr && pParentWnd->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)))
        parent = static_cast<CMDIFrameWnd*>(pParentWnd);

    // The document type's menu is shown while this child is active.
    if (pContext != nullptr && pContext->m_pNewDocTemplate != nullptr &&
        pContext->m_pNewDocTemplate->IsKindOf(RUNTIME_CLASS(CMultiDocTemplate)))
        m_hMenuShared = static_cast<CMultiDocTemplate*>(pContext->m_pNewDocTemplate)->m_hMenuShared;

    bool deleted = false;
    m_pDeletedDuringLoad = &deleted;
    if (!Create(className, m_strTitle, dwDefaultStyle, rectDefault, parent, pContext))
    {
        if (!deleted)
            delete this;
        return FALSE;
    }
    m_pDeletedDuringLoad = nullptr;
    if (pContext == nullptr)
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    return TRUE;
}

int CMDIChildWnd::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    const MDICREATESTRUCT* mdi = static_cast<const MDICREATESTRUCT*>(lpCreateStruct->lpCreateParams);
    CCreateContext* context = mdi != nullptr ? reinterpret_cast<CCreateContext*>(mdi->lParam) : nullptr;
    return OnCreateHelper(lpCreateStruct, context);
}

BOOL CMDIChildWnd::DestroyWindow()
{
    CMDIFrameWnd* frame = GetMDIFrame();
    if (m_hWnd == nullptr || frame == nullptr || frame->m_hWndMDIClient == nullptr)
        return CFrameWnd::DestroyWindow();
    // Through the client, which keeps its list of children and the window menu.
    MDIDestroy();
    return TRUE;
}

void CMDIChildWnd::OnWindowPosChanged(WINDOWPOS* lpwndpos)
{
    Default();
    // A child that was listed while it showed stays listed when hidden, until a refresh.
    if ((lpwndpos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) != 0)
        if (CMDIFrameWnd* frame = GetMDIFrame())
            frame->MDIRefreshWindowList();
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefMDIChildProc(m_hWnd, message, wParam, lParam);
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    HWND client = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
    CWnd* frame = client != nullptr ? FromHandlePermanent(::GetParent(client)) : nullptr;
    if (frame == nullptr || !frame->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)))
        return nullptr;
    return static_cast<CMDIFrameWnd*>(frame);
}

void CMDIChildWnd::MDIActivate()
{
    ::SendMessage(::GetParent(m_hWnd), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIDestroy()
{
    ::SendMessage(::GetParent(m_hWnd), WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIMaximize()
{
    ::SendMessage(::GetParent(m_hWnd), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIRestore()
{
    ::SendMessage(::GetParent(m_hWnd), WM_MDIRESTORE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::ActivateFrame(int nCmdShow)
{
    CMDIFrameWnd* frame = GetMDIFrame();
    if (nCmdShow == SW_HIDE)
    {
        ShowWindow(SW_HIDE);
        // A hidden child must not stay the active one: its menu and title would show.
        if (frame != nullptr && frame->MDIGetActive() == this)
        {
            HWND next = ::GetWindow(m_hWnd, GW_HWNDFIRST);
            for (; next != nullptr; next = ::GetWindow(next, GW_HWNDNEXT))
            {
                if (next != m_hWnd && ::IsWindowVisible(next))
                    break;
            }
            if (next != nullptr)
                ::SendMessage(::GetParent(m_hWnd), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(next), 0);
            else
                OnUpdateFrameMenu(FALSE, nullptr, nullptr);
        }
        return;
    }

    if (nCmdShow == -1)
    {
        BOOL maximized = FALSE;
        CMDIChildWnd* active = frame != nullptr ? frame->MDIGetActive(&maximized) : nullptr;
        if (!IsWindowVisible())
            nCmdShow = (active != nullptr && active != this && maximized) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
        else if (IsIconic())
            nCmdShow = SW_RESTORE;
    }
    if (nCmdShow != -1)
        ShowWindow(nCmdShow);
    MDIActivate();
    // The client does not tell a child that is active already.
    OnUpdateFrameMenu(TRUE, this, nullptr);
}

void CMDIChildWnd::OnUpdateFrameMenu(BOOL bActive, CWnd* pActivateWnd, HMENU hMenuAlt)
{
    CMDIFrameWnd* frame = GetMDIFrame();
    if (frame == nullptr)
        return;
    HMENU menu = nullptr;
    if (bActive)
        menu = hMenuAlt != nullptr ? hMenuAlt : (m_hMenuShared != nullptr ? m_hMenuShared : frame->m_hMenuDefault);
    else if (pActivateWnd == nullptr)
        menu = frame->m_hMenuDefault;   // the last child went: the frame's own menu
    // Otherwise the child being activated puts up its own menu.
    if (menu != nullptr)
        frame->MDISetMenu(menu, frame->GetWindowMenuPopup(menu));
}

LRESULT CMDIChildWnd::OnMDIActivateMessage(WPARAM wParam, LPARAM lParam)
{
    HWND activated = reinterpret_cast<HWND>(lParam);
    HWND deactivated = reinterpret_cast<HWND>(wParam);
    OnMDIActivate(activated == m_hWnd, activated != nullptr ? FromHandle(activated) : nullptr,
                  deactivated != nullptr ? FromHandle(deactivated) : nullptr);
    return 0;
}

void CMDIChildWnd::OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd*)
{
    Default();
    CView* view = GetActiveView();
    if (view != nullptr)
        view->OnActivateView(bActivate, view, view);
    // A hidden child that becomes active shows the frame's own menu, not its type's.
    if (bActivate && !IsWindowVisible())
        OnUpdateFrameMenu(FALSE, nullptr, nullptr);
    else
        OnUpdateFrameMenu(bActivate, pActivateWnd, nullptr);
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if ((GetStyle() & FWS_ADDTOTITLE) == 0)
        return;
    CDocument* doc = GetActiveDocument();
    if (!bAddToTitle || doc == nullptr)
    {
        UpdateFrameTitleForDocument(nullptr);
        return;
    }
    // A child shows the document's name alone.
    const CString title = m_strTitle;
    m_strTitle.Empty();
    UpdateFrameTitleForDocument(doc->GetTitle());
    m_strTitle = title;
}

CWnd* CMDIChildWnd::GetMessageBar()
{
    CMDIFrameWnd* frame = GetMDIFrame();
    return frame != nullptr ? frame->GetMessageBar() : nullptr;
}

BOOL CMDIChildWnd::PreTranslateMessage(MSG* pMsg)
{
    // Accelerators belong to the MDI frame, which routes their commands here.
    return CWnd::PreTranslateMessage(pMsg);
}
