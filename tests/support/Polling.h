// Bounded polling for tests that wait on another thread or process.
#pragma once
#include <windows.h>

#include <functional>

namespace testing_support {

// Asks the condition every intervalMs until it holds (true) or timeoutMs has passed; the
// condition is asked once more at the end, so a late success still counts.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD intervalMs = 20);

// Moves the mouse cursor and waits until the system reports it there. Under Wine a
// pointer motion that the X server delivers late can put an earlier position back, so
// the move is repeated until it holds (bounded; false when it never did).
bool MoveCursorTo(int x, int y);

} // namespace testing_support
