#include "tests/support/KeyPress.h"

#include "framework/CWinApp.h"

#include <cstring>

namespace testing_support {

bool PressWithControl(HWND window, UINT virtualKey)
{
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    BYTE withControl[256];
    std::memcpy(withControl, keys, sizeof keys);
    withControl[VK_CONTROL] = 0x80;
    ::SetKeyboardState(withControl);
    MSG press = {window, WM_KEYDOWN, virtualKey, 1, ::GetTickCount(), {0, 0}};
    CWinApp* app = AfxGetApp();
    const bool translated = app != nullptr && app->PreTranslateMessage(&press);
    if (!translated)
        ::DispatchMessageA(&press);
    ::SetKeyboardState(keys);
    return translated;
}

} // namespace testing_support
