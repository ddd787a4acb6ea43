#include "tests/support/PendingMessages.h"

#include <windows.h>

namespace testing_support {

void DispatchPendingMessages(int limit)
{
    MSG msg;
    for (int drained = 0; drained < limit && ::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++drained) {
        if (msg.message != WM_QUIT)
            ::DispatchMessage(&msg);
    }
}

} // namespace testing_support
