// Every message box of the programs goes through ShowMessageBox, so that tests can
// replace the handler, record the text and style, and answer without blocking.
#pragma once
#include "framework/FrameworkBase.h"

typedef int (*MessageBoxHandler)(HWND owner, const char* text, const char* caption, UINT type);

// Installs a handler (nullptr restores the real Win32 box); returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Shows a box through the current handler and returns the button the user chose.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Caption used when a caller gives none: the application's name once one is set,
// else the executable's file title.
void SetMessageBoxDefaultCaption(const char* caption);
const char* GetMessageBoxDefaultCaption();

int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT idPrompt, UINT type = MB_OK, UINT helpId = (UINT)-1);
