#include "uilib/CSubclassWnd.h"

#include "framework/CWnd.h"
#include "uilib/CSubclassWndMap.h"

IMPLEMENT_DYNAMIC(CSubclassWnd, CObject)

CSubclassWnd::CSubclassWnd() : m_hWnd(nullptr), m_pOldWndProc(nullptr), m_pNext(nullptr)
{
}

CSubclassWnd::~CSubclassWnd()
{
    if (m_hWnd != nullptr)
        HookWindow(static_cast<HWND>(nullptr));
}

BOOL CSubclassWnd::HookWindow(CWnd* pRealWnd)
{
    return HookWindow(pRealWnd != nullptr ? pRealWnd->m_hWnd : nullptr);
}

BOOL CSubclassWnd::HookWindow(HWND hWnd)
{
    CSubclassWndMap& map = CSubclassWndMap::GetHookMap();
    if (hWnd != nullptr)
    {
        if (m_hWnd != nullptr)
            map.Remove(this);
        map.Add(hWnd, this);
    }
    else if (m_hWnd != nullptr)
    {
        map.Remove(this);
        m_pOldWndProc = nullptr;
    }
    m_hWnd = hWnd;
    return TRUE;
}

BOOL CSubclassWnd::IsHooked()
{
    return m_hWnd != nullptr;
}

HWND CSubclassWnd::GetHookedWindow() const
{
    return m_hWnd;
}

LRESULT CSubclassWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (m_pNext != nullptr)
        return m_pNext->WindowProc(msg, wp, lp);
    if (m_pOldWndProc == nullptr)
        return ::DefWindowProc(m_hWnd, msg, wp, lp);
    return ::CallWindowProc(m_pOldWndProc, m_hWnd, msg, wp, lp);
}

LRESULT CSubclassWnd::Default()
{
    // Passed on down the chain: a hook calls this from its own WindowProc, which must not
    // see the message again.
    const MSG* pCurrent = AfxGetCurrentMessageRecord();
    return CSubclassWnd::WindowProc(pCurrent->message, pCurrent->wParam, pCurrent->lParam);
}

LRESULT CALLBACK CSubclassWnd::HookWndProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // The hooks see this message as the one being dispatched, as framework windows do.
    MSG* pCurrent = AfxGetCurrentMessageRecord();
    const MSG saved = *pCurrent;
    pCurrent->hwnd = hWnd;
    pCurrent->message = msg;
    pCurrent->wParam = wp;
    pCurrent->lParam = lp;

    CSubclassWndMap& map = CSubclassWndMap::GetHookMap();
    CSubclassWnd* pHook = map.Lookup(hWnd);
    LRESULT lResult = 0;
    if (pHook == nullptr)
    {
        lResult = ::DefWindowProc(hWnd, msg, wp, lp);
    }
    else if (msg == WM_NCDESTROY)
    {
        // The window goes: every hook lets go, and the window's own procedure gets the
        // last message.
        WNDPROC pOldWndProc = pHook->m_pOldWndProc;
        map.RemoveAll(hWnd);
        lResult = pOldWndProc != nullptr ? ::CallWindowProc(pOldWndProc, hWnd, msg, wp, lp)
                                         : ::DefWindowProc(hWnd, msg, wp, lp);
    }
    else
    {
        lResult = pHook->WindowProc(msg, wp, lp);
    }
    *pCurrent = saved;
    return lResult;
}
