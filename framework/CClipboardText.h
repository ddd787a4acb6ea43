// Plain text (CF_TEXT) on the clipboard. Each call opens the clipboard for the given
// window and always closes it again.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

class CClipboardText
{
public:
    // Replaces the clipboard's contents with the text; FALSE when the clipboard could
    // not be opened, emptied or given the text.
    static BOOL Put(HWND hWndOwner, const CString& text);
    // FALSE when the clipboard could not be opened or holds no text.
    static BOOL Get(HWND hWndOwner, CString& text);
};
