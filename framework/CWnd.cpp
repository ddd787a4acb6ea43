#include "framework/CWnd.h"
#include "framework/CUserException.h"
#include "framework/CDataExchange.h"
#include "framework/CCmdUI.h"
#include "framework/CException.h"
#include "framework/CFont.h"
#include "framework/CHandleMap.h"
#include "framework/CMenu.h"
#include "framework/CWinApp.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageBoxHook.h"

#include <cstdio>
#include <exception>
#include <iterator>
#include <mutex>
#include <set>
#include <string>

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_NCDESTROY()
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopupMessage)
END_MESSAGE_MAP()

typedef CHandleMap<CWnd, HWND> WindowMap;

namespace
{
thread_local MSG t_currentMessage = {};
// The object that the next window created on this thread belongs to.
thread_local CWnd* t_windowBeingCreated = nullptr;

bool IsCtlColorMessage(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

void ReportWindowProcException(const char* what)
{
    char text[512];
    std::snprintf(text, sizeof text, "Window procedure stopped an exception: %s\n", what);
    ::OutputDebugStringA(text);
}

// Result of a message whose handler threw: creation fails, everything else returns 0.
LRESULT FailureResult(UINT message)
{
    if (message == WM_CREATE)
        return -1;
    return 0;   // also FALSE for WM_NCCREATE
}

LRESULT CallWindowProcGuarded(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    try
    {
        return wnd->WindowProc(message, wParam, lParam);
    }
    catch (CException* e)
    {
        char text[512] = "framework exception";
        e->GetErrorMessage(text, sizeof text);
        ReportWindowProcException(text);
        e->ReportError(MB_ICONSTOP);
        e->Delete();
    }
    catch (const std::exception& e)
    {
        ReportWindowProcException(e.what());
        AfxMessageBox(e.what(), MB_ICONSTOP);
    }
    catch (...)
    {
        ReportWindowProcException("unknown exception");
    }
    return FailureResult(message);
}

// A command-update request that only records whether the command is enabled.
class EnabledStateProbe : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnabled = bOn;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int) override {}
    void SetRadio(BOOL) override {}
    void SetText(LPCTSTR) override {}
    BOOL m_bEnabled = TRUE;
};

BOOL IsPushButton(HWND hWnd)
{
    if ((::SendMessage(hWnd, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) == 0)
        return FALSE;
    return TRUE;
}

void SendToDescendants(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                       BOOL bOnlyPerm)
{
    for (HWND child = ::GetTopWindow(parent); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        if (!bOnlyPerm || CWnd::FromHandlePermanent(child) != nullptr)
            ::SendMessage(child, message, wParam, lParam);
        if (bDeep && ::GetTopWindow(child) != nullptr)
            SendToDescendants(child, message, wParam, lParam, bDeep, bOnlyPerm);
    }
}
}  // namespace

// Subclasses the window announced by the CBT hook before it gets its first message, so
// that WM_NCCREATE and WM_CREATE already reach the object.
class CWndCreationHook
{
public:
    explicit CWndCreationHook(CWnd* wnd) : m_previousWindow(t_windowBeingCreated), m_previousHook(t_hook)
    {
        t_windowBeingCreated = wnd;
        m_hook = ::SetWindowsHookEx(WH_CBT, &CWndCreationHook::CbtProc, nullptr, ::GetCurrentThreadId());
        t_hook = m_hook;
    }
    ~CWndCreationHook()
    {
        if (m_hook != nullptr)
            ::UnhookWindowsHookEx(m_hook);
        // A creation inside another one's (a child made in OnCreate) hands back the
        // outer hook.
        t_hook = m_previousHook;
        t_windowBeingCreated = m_previousWindow;
    }
    CWndCreationHook(const CWndCreationHook&) = delete;
    CWndCreationHook& operator=(const CWndCreationHook&) = delete;

    bool Installed() const { return m_hook != nullptr; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND && t_windowBeingCreated != nullptr)
        {
            CWnd* wnd = t_windowBeingCreated;
            t_windowBeingCreated = nullptr;
            HWND hWnd = reinterpret_cast<HWND>(wParam);
            if (wnd->Attach(hWnd))
            {
                wnd->PreSubclassWindow();
                WNDPROC old = reinterpret_cast<WNDPROC>(
                    ::SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
                if (old != &AfxWndProc)
                    wnd->m_pfnSuper = old;
            }
        }
        return ::CallNextHookEx(t_hook, code, wParam, lParam);
    }

    static thread_local HHOOK t_hook;
    HHOOK m_hook = nullptr;
    CWnd* m_previousWindow;
    HHOOK m_previousHook;
};

thread_local HHOOK CWndCreationHook::t_hook = nullptr;

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr)
        return ::DefWindowProc(hWnd, message, wParam, lParam);

    const MSG saved = t_currentMessage;
    t_currentMessage.hwnd = hWnd;
    t_currentMessage.message = message;
    t_currentMessage.wParam = wParam;
    t_currentMessage.lParam = lParam;

    const LRESULT result = CallWindowProcGuarded(wnd, message, wParam, lParam);
    // A handler that did not reach CWnd::OnNcDestroy still leaves the object detached.
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == wnd)
        wnd->FinishNcDestroy();

    t_currentMessage = saved;
    return result;
}

MSG* AfxGetCurrentMessageRecord()
{
    return &t_currentMessage;
}

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static std::mutex lock;
    static std::set<std::string> registered;

    char name[128];
    std::snprintf(name, sizeof name, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()),
                  nClassStyle, static_cast<void*>(hCursor), static_cast<void*>(hbrBackground),
                  static_cast<void*>(hIcon));

    std::lock_guard<std::mutex> guard(lock);
    auto found = registered.find(name);
    if (found != registered.end())
        return found->c_str();

    WNDCLASS wc = {};
    wc.style = nClassStyle;
    wc.lpfnWndProc = ::DefWindowProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = name;
    if (!::RegisterClass(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return registered.insert(name).first->c_str();
}

// --- Construction and handle maps ------------------------------------------------------

CWnd::CWnd() = default;

CWnd::CWnd(HWND hWnd) : m_hWnd(hWnd)
{
}

CWnd::~CWnd()
{
    if (m_hWnd != nullptr && WindowMap::LookupPermanent(m_hWnd) == this)
        DestroyWindow();
    if (m_hWnd != nullptr)
        WindowMap::RemoveTemporary(m_hWnd, this);
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* permanent = WindowMap::LookupPermanent(hWnd))
        return permanent;
    if (CWnd* temporary = WindowMap::LookupTemporary(hWnd))
        return temporary;
    CWnd* wrapper = new CWnd(hWnd);
    WindowMap::AddTemporary(hWnd, wrapper);
    return wrapper;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd == nullptr ? nullptr : WindowMap::LookupPermanent(hWnd);
}

void CWnd::DeleteTempMap()
{
    for (CWnd* wrapper : WindowMap::TakeTemporaries())
    {
        wrapper->m_hWnd = nullptr;  // the window is not ours to destroy
        delete wrapper;
    }
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (hWndNew == nullptr || m_hWnd != nullptr || WindowMap::LookupPermanent(hWndNew) != nullptr)
        return FALSE;
    WindowMap::SetPermanent(hWndNew, this);
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr)
        WindowMap::RemovePermanent(hWnd, this);
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC old = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (old != &AfxWndProc)
        m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (pParent == nullptr)
        return FALSE;
    HWND control = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
    return control != nullptr && SubclassWindow(control);
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd == nullptr)
        return nullptr;
    if (m_pfnSuper != nullptr)
        ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

void CWnd::PreSubclassWindow()
{
}

// --- Creation and destruction ----------------------------------------------------------

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (cs.lpszClass == nullptr)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return cs.lpszClass != nullptr;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID,
                    pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam)
{
    if (m_hWnd != nullptr)
        return FALSE;

    CREATESTRUCT cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs))
        return FALSE;

    CWndCreationHook hook(this);
    if (!hook.Installed())
        return FALSE;
    HWND hWnd = ::CreateWindowEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                                 cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance,
                                 cs.lpCreateParams);
    // A failed creation already detached the object at WM_NCDESTROY (and PostNcDestroy
    // may have deleted it), so it is not touched again.
    return hWnd != nullptr;
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    HWND hWnd = m_hWnd;
    const bool permanent = WindowMap::LookupPermanent(hWnd) == this;
    const BOOL destroyed = ::DestroyWindow(hWnd);
    // A permanent object was detached at WM_NCDESTROY and may be gone; a wrapper is not
    // told, so it lets go of the handle here.
    if (!permanent && destroyed)
        m_hWnd = nullptr;
    return destroyed;
}

void CWnd::PostNcDestroy()
{
}

void CWnd::FinishNcDestroy()
{
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this)
    {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    CWinThread* thread = AfxGetThread();
    if (thread != nullptr && thread->m_pMainWnd == this)
        thread->m_pMainWnd = nullptr;

    m_hWndToolTip = nullptr;   // destroyed with its owner
    m_lastToolId = static_cast<UINT_PTR>(-1);
    if (m_pfnSuper != nullptr && m_hWnd != nullptr)
        ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    Detach();
    PostNcDestroy();
}

// --- Message handling ------------------------------------------------------------------

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProc(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& current = t_currentMessage;
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

const MSG* CWnd::GetCurrentMessage()
{
    t_currentMessage.time = static_cast<DWORD>(::GetMessageTime());
    const DWORD pos = ::GetMessagePos();
    t_currentMessage.pt.x = static_cast<short>(LOWORD(pos));
    t_currentMessage.pt.y = static_cast<short>(HIWORD(pos));
    return &t_currentMessage;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT result = 0;
    switch (message)
    {
    case WM_COMMAND:
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 0;
        return TRUE;
    case WM_NOTIFY:
    {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header == nullptr || header->hwndFrom == nullptr)
            return FALSE;
        return OnNotify(wParam, lParam, pResult);
    }
    case WM_DRAWITEM:
    {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU && ReflectMessage(item->hwndItem, message, wParam, lParam, &result))
        {
            *pResult = TRUE;
            return TRUE;
        }
        break;
    }
    case WM_MEASUREITEM:
    {
        const MEASUREITEMSTRUCT* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU &&
            ReflectMessage(::GetDlgItem(m_hWnd, static_cast<int>(item->CtlID)), message, wParam, lParam, &result))
        {
            *pResult = TRUE;
            return TRUE;
        }
        break;
    }
    case WM_COMPAREITEM:
        if (ReflectMessage(reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem, message, wParam,
                           lParam, pResult))
            return TRUE;
        break;
    case WM_DELETEITEM:
        if (ReflectMessage(reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem, message, wParam,
                           lParam, pResult))
            return TRUE;
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        if (lParam != 0 && ReflectMessage(reinterpret_cast<HWND>(lParam), message, wParam, lParam, pResult))
            return TRUE;
        break;
    default:
        if (IsCtlColorMessage(message) &&
            ReflectMessage(reinterpret_cast<HWND>(lParam), message, wParam, lParam, pResult))
            return TRUE;
        break;
    }

    AFX_MSG_CALL call = {};
    call.message = IsCtlColorMessage(message) ? AFX_WM_CTLCOLOR : message;
    call.wParam = wParam;
    call.lParam = lParam;
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(call.message, 0, 0);
    if (entry == nullptr)
        return FALSE;
    if (call.message == AFX_WM_CTLCOLOR)
        call.nCode = message - WM_CTLCOLORMSGBOX;
    if (!entry->pfnAdapter(this, call))
        return FALSE;
    *pResult = call.result;
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG* pMsg)
{
    if (m_hWndToolTip != nullptr)
        RelayToolTipMessage(pMsg);
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd))
    {
        CWnd* wnd = FromHandlePermanent(hWnd);
        if (wnd != nullptr && wnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    int nCode = HIWORD(wParam);

    if (control == nullptr)
    {
        // A menu item or accelerator: a command that its update handler disables is
        // not run (an accelerator still fires while its menu item is grey).
        EnabledStateProbe probe;
        probe.m_nID = nID;
        OnCmdMsg(nID, static_cast<int>(CN_UPDATE_COMMAND_UI), &probe, nullptr);
        if (!probe.m_bEnabled)
            return TRUE;
        nCode = CN_COMMAND;
    }
    else
    {
        LRESULT result = 0;
        if (ReflectMessage(control, WM_COMMAND, wParam, lParam, &result))
            return TRUE;
        if (nID == 0)
            return FALSE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM /*wParam*/, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (ReflectMessage(header->hwndFrom, WM_NOTIFY, 0, lParam, pResult))
        return TRUE;
    AFX_NOTIFY notify = { pResult, header };
    if (OnCmdMsg(static_cast<UINT>(header->idFrom), static_cast<int>(MAKELONG(header->code, WM_NOTIFY)),
                 &notify, nullptr))
        return TRUE;
    if (IsFrameWnd() && (header->code == TTN_NEEDTEXTA || header->code == TTN_NEEDTEXTW))
        return SetDefaultToolTipText(header, pResult);
    return FALSE;
}

BOOL CWnd::LoadCommandToolTipText(UINT nID, CString& rText)
{
    rText.Empty();
    CString full;
    if (nID == 0 || !full.LoadString(nID))
        return FALSE;
    const int newline = full.Find('\n');
    if (newline < 0)
        return FALSE;
    rText = full.Mid(newline + 1);
    return !rText.IsEmpty();
}

BOOL CWnd::SetDefaultToolTipText(NMHDR* pNMHDR, LRESULT* pResult)
{
    const bool wide = pNMHDR->code == TTN_NEEDTEXTW;
    NMTTDISPINFOA* narrowInfo = reinterpret_cast<NMTTDISPINFOA*>(pNMHDR);
    NMTTDISPINFOW* wideInfo = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
    UINT_PTR id = pNMHDR->idFrom;
    const UINT flags = wide ? wideInfo->uFlags : narrowInfo->uFlags;
    if ((flags & TTF_IDISHWND) != 0)
        id = static_cast<UINT_PTR>(::GetDlgCtrlID(reinterpret_cast<HWND>(id)));

    CString tip;
    if (id > 0xFFFF || !LoadCommandToolTipText(static_cast<UINT>(id), tip))
        return FALSE;
    if (wide)
    {
        ::MultiByteToWideChar(CP_ACP, 0, tip, -1, wideInfo->szText, static_cast<int>(std::size(wideInfo->szText)));
        wideInfo->szText[std::size(wideInfo->szText) - 1] = L'\0';
        wideInfo->lpszText = wideInfo->szText;
    }
    else
    {
        ::lstrcpynA(narrowInfo->szText, tip, static_cast<int>(sizeof narrowInfo->szText));
        narrowInfo->lpszText = narrowInfo->szText;
    }
    if (pResult != nullptr)
        *pResult = 0;
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    AFX_MSG_CALL call = {};
    call.wParam = wParam;
    call.lParam = lParam;
    UINT lookupCode = 0;
    if (message == WM_COMMAND)
    {
        call.message = WM_REFLECT_BASE + WM_COMMAND;
        lookupCode = call.nCode = HIWORD(wParam);
    }
    else if (message == WM_NOTIFY)
    {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        call.message = WM_REFLECT_BASE + WM_NOTIFY;
        lookupCode = call.nCode = header->code;
        call.pExtra = header;
    }
    else if (IsCtlColorMessage(message))
    {
        call.message = WM_REFLECT_BASE + AFX_WM_CTLCOLOR;
        call.nCode = message - WM_CTLCOLORMSGBOX;
    }
    else
    {
        call.message = WM_REFLECT_BASE + message;
    }

    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(call.message, lookupCode, 0);
    if (entry == nullptr || !entry->pfnAdapter(this, call))
        return FALSE;
    if (pResult != nullptr)
        *pResult = call.result;
    return TRUE;
}

BOOL CWnd::ReflectMessage(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    CWnd* child = FromHandlePermanent(hWndChild);
    return child != nullptr && child->OnChildNotify(message, wParam, lParam, pResult);
}

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    CCmdUI state;
    for (HWND child = ::GetTopWindow(m_hWnd); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        const UINT id = static_cast<UINT>(::GetDlgCtrlID(child));
        if (id == 0 || id == 0xFFFF)    // no id, or a static text's
            continue;
        state.m_nID = id;
        state.m_pOther = FromHandle(child);
        // The control's own object answers first.
        CWnd* control = FromHandlePermanent(child);
        if (control != nullptr &&
            control->OnCmdMsg(id, static_cast<int>(CN_UPDATE_COMMAND_UI), &state, nullptr))
            continue;
        // Only push buttons are commands: check boxes and edits stay as they are.
        state.DoUpdate(pTarget, bDisableIfNoHndler && IsPushButton(child));
    }
}

void CWnd::UpdateMenuCmdUI(HMENU hMenu, CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    if (hMenu == nullptr || pTarget == nullptr)
        return;
    CCmdUI state;
    state.m_hMenu = hMenu;
    state.m_nIndexMax = static_cast<UINT>(::GetMenuItemCount(hMenu));
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex)
    {
        state.m_nID = ::GetMenuItemID(hMenu, static_cast<int>(state.m_nIndex));
        if (state.m_nID == 0 || state.m_nID == static_cast<UINT>(-1))
            continue;   // separator or popup
        state.m_hSubMenu = nullptr;
        // System commands are never disabled for want of a handler.
        state.DoUpdate(pTarget, bDisableIfNoHndler && state.m_nID < 0xF000);

        // A handler that inserts items (the recent-file list) moves m_nIndex and
        // m_nIndexMax past them itself; one that removed items leaves fewer behind.
        const UINT count = static_cast<UINT>(::GetMenuItemCount(hMenu));
        if (count < state.m_nIndexMax)
        {
            const UINT removed = state.m_nIndexMax - count;
            state.m_nIndex = state.m_nIndex >= removed ? state.m_nIndex - removed : 0;
            while (state.m_nIndex < count &&
                   ::GetMenuItemID(hMenu, static_cast<int>(state.m_nIndex)) == state.m_nID)
                ++state.m_nIndex;
            // Back by one so that the loop's increment lands on that item (from 0 it
            // wraps around to 0, unsigned arithmetic being modular).
            --state.m_nIndex;
        }
        state.m_nIndexMax = count;
    }
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm)
{
    SendToDescendants(m_hWnd, message, wParam, lParam, bDeep, bOnlyPerm);
}

// --- Styles and family -----------------------------------------------------------------

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const
{
    return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_EXSTYLE));
}

static BOOL ModifyWindowLong(HWND hWnd, int index, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD style = static_cast<DWORD>(::GetWindowLong(hWnd, index));
    const DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLong(hWnd, index, static_cast<LONG>(newStyle));
    if (nFlags != 0)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyWindowLong(hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyWindowLong(hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyStyle(m_hWnd, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyStyleEx(m_hWnd, dwRemove, dwAdd, nFlags);
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::SetParent(CWnd* pWndNewParent)
{
    return FromHandle(::SetParent(m_hWnd, pWndNewParent != nullptr ? pWndNewParent->m_hWnd : nullptr));
}

CWnd* CWnd::GetOwner() const
{
    return m_hWndOwner != nullptr ? FromHandle(m_hWndOwner) : GetParent();
}

void CWnd::SetOwner(CWnd* pOwnerWnd)
{
    m_hWndOwner = pOwnerWnd != nullptr ? pOwnerWnd->m_hWnd : nullptr;
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND hWnd = m_hWnd;
    while (hWnd != nullptr && (::GetWindowLong(hWnd, GWL_STYLE) & WS_CHILD) != 0)
    {
        HWND parent = ::GetParent(hWnd);
        if (parent == nullptr)
            break;
        hWnd = parent;
    }
    return FromHandle(hWnd);
}

void CWnd::RequestHelpCommand() const
{
    CWnd* mainWnd = AfxGetMainWnd();
    HWND target = mainWnd != nullptr ? mainWnd->GetSafeHwnd() : nullptr;
    if (target == nullptr && m_hWnd != nullptr) {
        target = ::GetAncestor(m_hWnd, GA_ROOT);
        while (::GetWindow(target, GW_OWNER) != nullptr)
            target = ::GetWindow(target, GW_OWNER);
    }
    if (target != nullptr)
        ::SendMessageA(target, WM_COMMAND, ID_HELP, 0);
}

BOOL CWnd::OnHelpInfo(HELPINFO*)
{
    if ((GetStyle() & WS_CHILD) != 0)
        return static_cast<BOOL>(Default());
    RequestHelpCommand();
    return TRUE;
}

BOOL CWnd::IsFrameWnd() const
{
    return FALSE;
}

CFrameWnd* CWnd::GetParentFrame() const
{
    for (HWND hWnd = ::GetParent(m_hWnd); hWnd != nullptr; hWnd = ::GetParent(hWnd))
    {
        CWnd* wnd = FromHandlePermanent(hWnd);
        // Frames derive from CWnd alone, so the object's address is the frame's.
        if (wnd != nullptr && wnd->IsFrameWnd())
            return reinterpret_cast<CFrameWnd*>(wnd);
    }
    return nullptr;
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}

int CWnd::GetDlgCtrlID() const
{
    return ::GetDlgCtrlID(m_hWnd);
}

int CWnd::SetDlgCtrlID(int nID)
{
    return static_cast<int>(::SetWindowLongPtr(m_hWnd, GWLP_ID, nID));
}

CWnd* CWnd::GetWindow(UINT nCmd) const
{
    return FromHandle(::GetWindow(m_hWnd, nCmd));
}

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const
{
    for (HWND child = ::GetTopWindow(m_hWnd); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        if (::GetDlgCtrlID(child) == nID && (!bOnlyPerm || FromHandlePermanent(child) != nullptr))
            return FromHandle(child);
        CWnd wrapper(child);
        CWnd* found = wrapper.GetDescendantWindow(nID, bOnlyPerm);
        wrapper.m_hWnd = nullptr;
        if (found != nullptr)
            return found;
    }
    return nullptr;
}

BOOL CWnd::IsChild(const CWnd* pWnd) const
{
    return pWnd != nullptr && ::IsChild(m_hWnd, pWnd->m_hWnd);
}

// --- Tooltips --------------------------------------------------------------------------

BOOL CWnd::EnableToolTips(BOOL bEnable)
{
    if (!bEnable)
    {
        if (m_hWndToolTip != nullptr)
            ::DestroyWindow(m_hWndToolTip);
        m_hWndToolTip = nullptr;
        m_lastToolId = static_cast<UINT_PTR>(-1);
        return TRUE;
    }
    if (m_hWndToolTip == nullptr)
        m_hWndToolTip = ::CreateWindowEx(WS_EX_TOPMOST, TOOLTIPS_CLASS, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd,
                                         nullptr, AfxGetInstanceHandle(), nullptr);
    return m_hWndToolTip != nullptr;
}

INT_PTR CWnd::OnToolHitTest(CPoint point, TOOLINFO* pTI) const
{
    HWND child = ::ChildWindowFromPointEx(m_hWnd, point, CWP_SKIPINVISIBLE);
    if (child == nullptr || child == m_hWnd)
        return -1;
    const int id = ::GetDlgCtrlID(child);
    if (id == 0 || id == 0xFFFF)
        return -1;
    if (pTI != nullptr)
    {
        pTI->hwnd = m_hWnd;
        pTI->uId = static_cast<UINT_PTR>(id);
        ::GetWindowRect(child, &pTI->rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(&pTI->rect), 2);
        pTI->lpszText = LPSTR_TEXTCALLBACK;
    }
    return id;
}

void CWnd::RelayToolTipMessage(MSG* pMsg)
{
    const bool mouseMessage = (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    if (!mouseMessage || (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)))
        return;

    POINT point = pMsg->pt;
    ::ScreenToClient(m_hWnd, &point);
    TOOLINFO info = {};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    const INT_PTR id = OnToolHitTest(CPoint(point), &info);
    if (static_cast<UINT_PTR>(id) != m_lastToolId)
    {
        if (m_lastToolId != static_cast<UINT_PTR>(-1))
        {
            TOOLINFO old = {};
            old.cbSize = TTTOOLINFOA_V2_SIZE;
            old.hwnd = m_hWnd;
            old.uId = m_lastToolId;
            ::SendMessage(m_hWndToolTip, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&old));
        }
        if (id != -1)
        {
            info.hwnd = m_hWnd;
            ::SendMessage(m_hWndToolTip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&info));
        }
        m_lastToolId = static_cast<UINT_PTR>(id);
    }
    if (id != -1)
    {
        MSG relayed = *pMsg;
        relayed.hwnd = m_hWnd;
        relayed.lParam = MAKELPARAM(point.x, point.y);
        ::SendMessage(m_hWndToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
}

// --- Thin members ----------------------------------------------------------------------

void CWnd::SetWindowText(LPCTSTR lpszString)
{
    ::SetWindowText(m_hWnd, lpszString);
}

int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const
{
    return ::GetWindowText(m_hWnd, lpszStringBuf, nMaxCount);
}

void CWnd::GetWindowText(CString& rString) const
{
    const int length = ::GetWindowTextLength(m_hWnd);
    char* buffer = rString.GetBufferSetLength(length);
    const int copied = ::GetWindowText(m_hWnd, buffer, length + 1);
    rString.ReleaseBuffer(copied);
}

int CWnd::GetWindowTextLength() const
{
    return ::GetWindowTextLength(m_hWnd);
}

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString)
{
    ::SetDlgItemText(m_hWnd, nID, lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    HWND item = ::GetDlgItem(m_hWnd, nID);
    if (item == nullptr)
        return 0;
    CWnd wrapper(item);
    wrapper.GetWindowText(rString);
    wrapper.m_hWnd = nullptr;
    return rString.GetLength();
}

void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned)
{
    ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned);
}

UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const
{
    return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck)
{
    ::CheckDlgButton(m_hWnd, nIDButton, nCheck);
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const
{
    return ::IsDlgButtonChecked(m_hWnd, nIDButton);
}

void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton)
{
    ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton);
}

LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendDlgItemMessage(m_hWnd, nID, message, wParam, lParam);
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    return ::EnableWindow(m_hWnd, bEnable);
}

BOOL CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    return ::ShowWindow(m_hWnd, nCmdShow);
}

BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

BOOL CWnd::IsZoomed() const
{
    return ::IsZoomed(m_hWnd);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint)
{
    MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    // The special positions (&CWnd::wndTop and the like) are passed as HWND values.
    HWND insertAfter = pWndInsertAfter != nullptr ? pWndInsertAfter->m_hWnd : nullptr;
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, nFlags);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    HWND centerOn = pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if ((GetStyle() & WS_CHILD) != 0)
        centerOn = ::GetParent(m_hWnd);
    RECT area;
    if (centerOn != nullptr && ::IsWindowVisible(centerOn) && !::IsIconic(centerOn))
        ::GetWindowRect(centerOn, &area);
    else
        ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    RECT own;
    ::GetWindowRect(m_hWnd, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    POINT topLeft = { area.left + (area.right - area.left - width) / 2,
                      area.top + (area.bottom - area.top - height) / 2 };
    if ((GetStyle() & WS_CHILD) != 0)
        ::ScreenToClient(centerOn, &topLeft);
    ::SetWindowPos(m_hWnd, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::BringWindowToTop()
{
    ::BringWindowToTop(m_hWnd);
}

BOOL CWnd::SetForegroundWindow()
{
    return ::SetForegroundWindow(m_hWnd);
}

CWnd* CWnd::SetActiveWindow()
{
    return FromHandle(::SetActiveWindow(m_hWnd));
}

CWnd* CWnd::GetActiveWindow()
{
    return FromHandle(::GetActiveWindow());
}

CWnd* CWnd::GetForegroundWindow()
{
    return FromHandle(::GetForegroundWindow());
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    ::GetWindowRect(m_hWnd, lpRect);
}

void CWnd::GetClientRect(LPRECT lpRect) const
{
    ::GetClientRect(m_hWnd, lpRect);
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const
{
    ::ClientToScreen(m_hWnd, lpPoint);
}

void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(lpRect), 2);
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const
{
    ::ScreenToClient(m_hWnd, lpPoint);
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2);
}

void CWnd::MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const
{
    ::MapWindowPoints(m_hWnd, pwndTo != nullptr ? pwndTo->m_hWnd : nullptr, reinterpret_cast<LPPOINT>(lpRect), 2);
}

void CWnd::MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const
{
    ::MapWindowPoints(m_hWnd, pwndTo != nullptr ? pwndTo->m_hWnd : nullptr, lpPoint, nCount);
}

void CWnd::Invalidate(BOOL bErase)
{
    ::InvalidateRect(m_hWnd, nullptr, bErase);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase)
{
    ::InvalidateRect(m_hWnd, lpRect, bErase);
}

void CWnd::ValidateRect(LPCRECT lpRect)
{
    ::ValidateRect(m_hWnd, lpRect);
}

void CWnd::UpdateWindow()
{
    ::UpdateWindow(m_hWnd);
}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, HRGN hrgnUpdate, UINT flags)
{
    return ::RedrawWindow(m_hWnd, lpRectUpdate, hrgnUpdate, flags);
}

void CWnd::SetRedraw(BOOL bRedraw)
{
    ::SendMessage(m_hWnd, WM_SETREDRAW, bRedraw, 0);
}

CWnd* CWnd::SetCapture()
{
    return FromHandle(::SetCapture(m_hWnd));
}

CWnd* CWnd::GetCapture()
{
    return FromHandle(::GetCapture());
}

CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

CWnd* CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
{
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    return ::KillTimer(m_hWnd, nIDEvent);
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    ::SendMessage(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(pFont != nullptr ? pFont->m_hObject : nullptr),
                  bRedraw);
}

CFont* CWnd::GetFont() const
{
    HFONT font = reinterpret_cast<HFONT>(::SendMessage(m_hWnd, WM_GETFONT, 0, 0));
    return font != nullptr ? CFont::FromHandle(font) : nullptr;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(::SendMessage(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                 reinterpret_cast<LPARAM>(hIcon)));
}

HICON CWnd::GetIcon(BOOL bBigIcon) const
{
    return reinterpret_cast<HICON>(::SendMessage(m_hWnd, WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessage(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    return ShowMessageBox(m_hWnd, lpszText, lpszCaption, nType);
}

// --- Default handlers ------------------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnNcPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSysColorChange() { Default(); }
void CWnd::OnSettingChange(UINT, LPCTSTR) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
BOOL CWnd::OnNcActivate(BOOL) { return static_cast<BOOL>(Default()); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return static_cast<int>(Default()); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
BOOL CWnd::OnNcCreate(LPCREATESTRUCT) { return static_cast<BOOL>(Default()); }
void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*) { Default(); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnCancelMode() { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnNcMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
int CWnd::OnVKeyToItem(UINT, CListBox*, UINT) { return static_cast<int>(Default()); }
int CWnd::OnCharToItem(UINT, CListBox*, UINT) { return static_cast<int>(Default()); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
void CWnd::OnMenuSelect(UINT, UINT, HMENU) { Default(); }
LRESULT CWnd::OnMenuChar(UINT, UINT, CMenu*) { return Default(); }

void CWnd::OnNcDestroy()
{
    Default();
    FinishNcDestroy();
}

void CWnd::OnDrawItem(int /*nIDCtl*/, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct->CtlType == ODT_MENU)
    {
        HMENU menu = reinterpret_cast<HMENU>(lpDrawItemStruct->hwndItem);
        CMenu* holder = CMenu::FromHandlePermanent(menu);
        if (holder == nullptr)
            holder = CMenu::FindPermanentMenuOfItem(menu, lpDrawItemStruct->itemID);
        if (holder != nullptr)
        {
            holder->DrawItem(lpDrawItemStruct);
            return;
        }
    }
    Default();
}

void CWnd::OnMeasureItem(int /*nIDCtl*/, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (lpMeasureItemStruct->CtlType == ODT_MENU)
    {
        // The message does not name the menu: look in the popup being tracked, then in
        // the window's menu bar and its system menu.
        const UINT item = lpMeasureItemStruct->itemID;
        CMenu* holder = CMenu::FindPermanentMenuOfItem(CMenu::GetTrackedPopup(), item);
        if (holder == nullptr)
            holder = CMenu::FindPermanentMenuOfItem(::GetMenu(m_hWnd), item);
        if (holder == nullptr)
            holder = CMenu::FindPermanentMenuOfItem(::GetSystemMenu(m_hWnd, FALSE), item);
        if (holder != nullptr)
        {
            holder->MeasureItem(lpMeasureItemStruct);
            return;
        }
    }
    Default();
}

void CWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT /*nIndex*/, BOOL bSysMenu)
{
    Default();
    if (!bSysMenu && pPopupMenu != nullptr)
        UpdateMenuCmdUI(pPopupMenu->m_hMenu, this, FALSE);
}

LRESULT CWnd::OnInitMenuPopupMessage(WPARAM wParam, LPARAM lParam)
{
    OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)), LOWORD(lParam), HIWORD(lParam));
    return 0;
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
        return TRUE;
    } catch (CUserException* e) {
        // The user has been told already (DDV message).
        e->Delete();
    } catch (CException* e) {
        // A programming error such as a missing control: no half-done exchange counts.
        e->Delete();
    }
    return FALSE;
}
