#include "uilib/CBNMenuBarFrameHook.h"

#include "uilib/CBNMenuBar.h"

CBNMenuBarFrameHook::CBNMenuBarFrameHook() : m_pMenuBar(nullptr)
{
}

CBNMenuBarFrameHook::~CBNMenuBarFrameHook()
{
}

BOOL CBNMenuBarFrameHook::Install(CBNMenuBar* pMenuBar, HWND hWndToHook)
{
    m_pMenuBar = pMenuBar;
    return HookWindow(hWndToHook);
}

LRESULT CBNMenuBarFrameHook::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (m_pMenuBar != nullptr)
    {
        switch (msg)
        {
        case WM_SYSCOLORCHANGE:
            m_pMenuBar->UpdateFont();
            break;
        case WM_MENUSELECT:
            m_pMenuBar->OnMenuSelect(reinterpret_cast<HMENU>(lp), LOWORD(wp));
            break;
        default:
            break;
        }
    }
    return CSubclassWnd::WindowProc(msg, wp, lp);
}
