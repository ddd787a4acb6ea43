// The fonts the system uses for menus and message boxes, as the library's bars and
// menus draw with them.
#pragma once
#include "framework/FrameworkBase.h"
#include "uilib/UiLibExport.h"

// The non-client metrics' menu font; FALSE (and a zeroed font) when the system has none.
UILIB_API BOOL GetSystemMenuLogFont(LOGFONTW& font);
UILIB_API BOOL GetSystemMenuLogFontA(LOGFONTA& font);
// The non-client metrics' message font.
UILIB_API BOOL GetSystemMessageLogFontA(LOGFONTA& font);
