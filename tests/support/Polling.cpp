#include "tests/support/Polling.h"

namespace testing_support {

bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD intervalMs)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return condition();
        ::Sleep(intervalMs);
    }
    return true;
}

bool MoveCursorTo(int x, int y)
{
    const DWORD start = ::GetTickCount();
    int heldChecks = 0;
    ::SetCursorPos(x, y);
    while (::GetTickCount() - start < 5000) {
        ::Sleep(10);
        POINT now = {};
        if (::GetCursorPos(&now) && now.x == x && now.y == y) {
            // Twice in a row, so that a late motion has had its chance to arrive.
            if (++heldChecks == 2)
                return true;
        } else {
            heldChecks = 0;
            ::SetCursorPos(x, y);
        }
    }
    return false;
}

} // namespace testing_support
