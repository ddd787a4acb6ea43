// The module whose resources (string tables, dialogs, menus) the framework loads from.
#pragma once
#include "framework/FrameworkBase.h"

// The executable's own module until a caller sets another one.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resourceModule);
