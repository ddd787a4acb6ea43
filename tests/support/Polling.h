// Bounded polling for tests that wait on another thread or process.
#pragma once
#include <windows.h>

#include <functional>

namespace testing_support {

// Asks the condition every intervalMs until it holds (true) or timeoutMs has passed; the
// condition is asked once more at the end, so a late success still counts.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD intervalMs = 20);

} // namespace testing_support
