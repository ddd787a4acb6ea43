// Window tests end by destroying their main window, whose end posts WM_QUIT: the
// thread's pending messages are dispatched, the quit dropped, so the next test starts clean.
#pragma once

namespace testing_support {

// Dispatches at most `limit` pending messages of this thread, dropping WM_QUIT.
void DispatchPendingMessages(int limit = 500);

} // namespace testing_support
