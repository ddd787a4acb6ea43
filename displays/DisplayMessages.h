// Messages the display documents post to their views.
#pragma once
#include "framework/FrameworkBase.h"
#include "displays/CDocumentDisplay.h"

// A value (State: wParam the row's entry index, 0xFFFF all rows) or the row count
// (Logger: wParam the rows written) changed.
const UINT WM_APP_DISPLAY_UPDATE = 0x8002;
const WPARAM DISPLAY_UPDATE_ALL_ROWS = 0xFFFF;
