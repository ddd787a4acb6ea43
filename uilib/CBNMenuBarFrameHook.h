// Tells a menu bar what happens in its frame: menu selections while a popup is open,
// and changes of the system colours (and so of the menu font).
#pragma once
#include "framework/FrameworkBase.h"
#include "uilib/CSubclassWnd.h"
#include "uilib/UiLibExport.h"

class CBNMenuBar;

class UILIB_API CBNMenuBarFrameHook : public CSubclassWnd
{
public:
    CBNMenuBarFrameHook();
    ~CBNMenuBarFrameHook() override;

    BOOL Install(CBNMenuBar* pMenuBar, HWND hWndToHook);
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    CBNMenuBar* m_pMenuBar;
};
