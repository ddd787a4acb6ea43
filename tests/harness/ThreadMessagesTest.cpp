// The harness pieces every later test leans on: posted messages from worker threads are
// collected in order, and message boxes are recorded and answered instead of blocking.
#include <gtest/gtest.h>

#include "framework/MessageBoxHook.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/MessageCollector.h"

#include <process.h>

using testing_support::MessageBoxRecorder;
using testing_support::MessageCollector;

namespace {

struct PosterArgs {
    HWND target;
    int count;
    DWORD delayMs;
};

unsigned __stdcall PostNumbered(void* param)
{
    auto* args = static_cast<PosterArgs*>(param);
    for (int i = 0; i < args->count; ++i) {
        ::Sleep(args->delayMs);
        ::PostMessageA(args->target, WM_APP + 1, static_cast<WPARAM>(i), 0);
    }
    ::PostMessageA(args->target, WM_APP + 2, 0, static_cast<LPARAM>(args->count));
    return 0;
}

TEST(MessageCollectorTest, CollectsWhatAThreadPostsInOrder)
{
    MessageCollector collector;
    ASSERT_NE(collector.Window(), nullptr);
    PosterArgs args{collector.Window(), 5, 20};
    const DWORD before = ::GetTickCount();
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &PostNumbered, &args, 0, nullptr));
    ASSERT_NE(thread, nullptr);

    ASSERT_TRUE(collector.WaitFor(WM_APP + 2, 5000));
    const DWORD after = ::GetTickCount();
    auto numbered = collector.Messages(WM_APP + 1);
    ASSERT_EQ(numbered.size(), 5u);
    for (size_t i = 0; i < numbered.size(); ++i)
        EXPECT_EQ(numbered[i].wParam, i);
    EXPECT_EQ(collector.Messages(WM_APP + 2).front().lParam, 5);
    // Each message carries the time it was received: within the wait, in order.
    DWORD previous = before;
    for (const auto& message : collector.Messages()) {
        EXPECT_GE(message.tick, previous);
        previous = message.tick;
    }
    EXPECT_LE(previous, after);

    EXPECT_EQ(::WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    ::CloseHandle(thread);
}

TEST(MessageCollectorTest, WaitForGivesUpAfterItsTimeOut)
{
    MessageCollector collector;
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(collector.WaitFor(WM_APP + 3, 300));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_GE(elapsed, 250u);
    EXPECT_LT(elapsed, 3000u);
}

TEST(MessageBoxRecorderTest, RecordsAndAnswersFromTheScript)
{
    auto& recorder = MessageBoxRecorder::Instance();
    recorder.Clear();
    recorder.QueueAnswer(IDNO);

    EXPECT_EQ(AfxMessageBox("Save the changes?", MB_YESNO | MB_ICONQUESTION), IDNO);
    // Nothing queued any more: the first button of the style.
    EXPECT_EQ(ShowMessageBox(nullptr, "Retry?", "Caption", MB_RETRYCANCEL), IDRETRY);

    auto boxes = recorder.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Save the changes?");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes[0].caption, GetMessageBoxDefaultCaption());
    EXPECT_EQ(boxes[1].caption, "Caption");
    recorder.Clear();
}

} // namespace
