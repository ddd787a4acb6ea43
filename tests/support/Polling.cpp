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

} // namespace testing_support
