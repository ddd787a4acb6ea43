#include "shell/HelpCommands.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "shell/ShellCommands.h"

#include <htmlhelp.h>

namespace
{
HtmlHelpCall g_call = nullptr;

// hhctrl.ocx, loaded at first use; no help at all where it is missing.
HtmlHelpCall SystemHtmlHelp()
{
    static HMODULE module = ::LoadLibraryA("hhctrl.ocx");
    static HtmlHelpCall call =
        module != nullptr
            ? reinterpret_cast<HtmlHelpCall>(reinterpret_cast<void*>(::GetProcAddress(module, "HtmlHelpA")))
            : nullptr;
    return call;
}

void CallHelp(UINT command, DWORD_PTR data)
{
    HtmlHelpCall call = g_call != nullptr ? g_call : SystemHtmlHelp();
    CWinApp* app = AfxGetApp();
    if (call == nullptr || app == nullptr || app->m_pszHelpFilePath == nullptr)
        return;
    CWnd* main = AfxGetMainWnd();
    call(main != nullptr ? main->GetSafeHwnd() : nullptr, app->m_pszHelpFilePath, command, data);
}
} // namespace

HtmlHelpCall SetHtmlHelpCall(HtmlHelpCall call)
{
    HtmlHelpCall previous = g_call;
    g_call = call;
    return previous;
}

void ShowHelpContents()
{
    CallHelp(HH_DISPLAY_TOC, 0);
}

void ShowActiveWindowHelp(UINT command, DWORD_PTR data)
{
    HWND active = ::GetActiveWindow();
    if (active != nullptr && ::SendMessageA(active, WM_APP_HELP_REQUEST, command, static_cast<LPARAM>(data)) != 0)
        return;
    ShowHelpContents();
}

void ShowHelpTextPopup(UINT topic)
{
    HH_POPUP popup = {};
    popup.cbStruct = sizeof popup;
    popup.hinst = nullptr;
    popup.idString = topic;
    popup.pszText = nullptr;
    RECT foreground = {};
    if (HWND window = ::GetForegroundWindow())
        ::GetWindowRect(window, &foreground);
    popup.pt.x = foreground.left;
    popup.pt.y = foreground.top;
    popup.clrForeground = static_cast<COLORREF>(-1);
    popup.clrBackground = static_cast<COLORREF>(-1);
    popup.rcMargins.left = popup.rcMargins.top = popup.rcMargins.right = popup.rcMargins.bottom = -1;
    popup.pszFont = "MS Sans Serif,10";
    CallHelp(HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
}
