// Several hooks on one window procedure: each hook sees the window's messages before
// the window does, and passes them on to the next hook and finally to the procedure the
// window had before the first hook came. Hooks come and go in any order; a destroyed
// window loses them all and gets WM_NCDESTROY through its own procedure.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"
#include "uilib/UiLibExport.h"

class CWnd;

class UILIB_API CSubclassWnd : public CObject
{
    DECLARE_DYNAMIC(CSubclassWnd)
public:
    CSubclassWnd();
    // Unhooks while hooked.
    ~CSubclassWnd() override;

    // Hooks the window (a hook already on another window leaves it first); NULL
    // unhooks. Always TRUE.
    virtual BOOL HookWindow(CWnd* pRealWnd);
    virtual BOOL HookWindow(HWND hWnd);
    virtual BOOL IsHooked();
    // The hook's handling of a message: by default the next hook's, or at the end of
    // the chain the window's own procedure.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // The message being dispatched, passed on to the next hook (or the window).
    virtual LRESULT Default();

    HWND GetHookedWindow() const;

    HWND m_hWnd;              // the hooked window, NULL when none
    WNDPROC m_pOldWndProc;    // the window's procedure before the first hook
    CSubclassWnd* m_pNext;    // the next hook of the same window

    // The procedure every hooked window gets.
    static LRESULT CALLBACK HookWndProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp);
};
