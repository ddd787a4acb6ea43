// Keys pressed as the program's message loop hands them on, for tests that drive
// accelerators without a real keyboard.
#pragma once
#include <windows.h>

namespace testing_support {

// The key pressed in the window with Ctrl held in this thread's key state (only while the
// key goes through): the application's PreTranslateMessage first, as the loop does, else
// the window itself. True when it was translated (an accelerator took it).
bool PressWithControl(HWND window, UINT virtualKey);

} // namespace testing_support
