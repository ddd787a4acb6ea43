// Toolbar and menu bitmaps drawn in the four button colours of the classic palette
// (black, dark grey, light grey, white) follow the user's colour scheme: the loader
// maps those colour-table entries to the current system colours.
#pragma once
#include "framework/FrameworkBase.h"

// Loads the bitmap resource hRsrc of hInst as a bitmap compatible with the screen, with
// the first 16 colour-table entries mapped: black to COLOR_BTNTEXT, 0x808080 to
// COLOR_BTNSHADOW, 0xC0C0C0 to COLOR_BTNFACE, white to COLOR_BTNHIGHLIGHT. In the
// monochrome form every mapped entry but the text colour becomes white. NULL when the
// resource is missing or not a bitmap the loader understands.
HBITMAP AfxLoadSysColorBitmap(HINSTANCE hInst, HRSRC hRsrc, BOOL bMono = FALSE);
