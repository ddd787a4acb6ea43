// Resource ids of Pyraxis' dialogs and their controls.
#pragma once

// The one-line text input (renaming documents)
#define IDD_GENERAL_INPUT 136
#define IDC_GENERAL_INPUT_TEXT 1002
#define IDC_GENERAL_INPUT_PROMPT 1003

#include "res/pyraxis_bars_resource.h"
