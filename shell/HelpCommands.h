// The program's help file: its table of contents and its text pop-ups, through HTML help.
#pragma once
#include "framework/FrameworkBase.h"

// The HTML help call (hwndCaller, file, command, data); tests replace it to see what is
// asked of the help system.
typedef HWND(WINAPI* HtmlHelpCall)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
HtmlHelpCall SetHtmlHelpCall(HtmlHelpCall call);

// The help file's table of contents, owned by the main window.
void ShowHelpContents();
// The active window's own help: it is sent WM_APP_HELP_REQUEST (wParam the command,
// lParam the data), which dialogs and wizard pages answer with their pop-up; when there
// is no active window or it does not answer, the table of contents.
void ShowActiveWindowHelp(UINT command, DWORD_PTR data);
// Text topic number topic of the help file as a pop-up at the foreground window's
// top-left corner.
void ShowHelpTextPopup(UINT topic);
