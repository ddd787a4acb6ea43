// Window tests end by destroying their main window, whose end posts WM_QUIT: the
// thread's pending messages are dispatched, the quit dropped, so the next test starts clean.
#pragma once

#include <windows.h>

#include <functional>

class CWinApp;

namespace testing_support {

// Dispatches at most `limit` pending messages of this thread, dropping WM_QUIT.
void DispatchPendingMessages(int limit = 500);

// The same as the program's loop reads them: the application's PreTranslateMessage first
// (the main frame's accelerators among it), then translated and dispatched; each message
// is shown to `seen` before.
void DispatchPendingMessages(CWinApp& app, const std::function<void(const MSG&)>& seen = nullptr, int limit = 500);

} // namespace testing_support
