// Messages the display documents post to their views.
#pragma once
#include "framework/FrameworkBase.h"
#include "displays/CDocumentDisplay.h"

// Values (State: wParam DISPLAY_UPDATE_CHANGED_ROWS for the rows its document marked
// changed, DISPLAY_UPDATE_ALL_ROWS for every row) or the row count (Logger: wParam the
// rows written) changed.
const UINT WM_APP_DISPLAY_UPDATE = 0x8002;
const WPARAM DISPLAY_UPDATE_ALL_ROWS = 0xFFFF;
const WPARAM DISPLAY_UPDATE_CHANGED_ROWS = 0xFFFE;
