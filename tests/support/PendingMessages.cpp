#include "tests/support/PendingMessages.h"

#include "framework/CWinApp.h"

namespace testing_support {

void DispatchPendingMessages(int limit)
{
    MSG msg;
    for (int drained = 0; drained < limit && ::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++drained) {
        if (msg.message != WM_QUIT)
            ::DispatchMessage(&msg);
    }
}

void DispatchPendingMessages(CWinApp& app, const std::function<void(const MSG&)>& seen, int limit)
{
    MSG msg;
    for (int drained = 0; drained < limit && ::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++drained) {
        if (seen)
            seen(msg);
        if (msg.message != WM_QUIT && !app.PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessage(&msg);
        }
    }
}

} // namespace testing_support
