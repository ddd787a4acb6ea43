// Pyraxis started as its users start it, plain and with each setup switch, and closed
// again: it ends by itself with code 0. Its output is this test program's, so the heap
// checks made on that output cover its whole life, its exit included (a block freed twice
// at exit passes unseen under Wine but can end the program on Windows).
#include "tests/support/ProgramRun.h"
#include "tests/support/Polling.h"
#include "tests/support/UiScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::ProgramRun;
using testing_support::TextOf;

namespace {

// The visible window of the run whose caption contains the text; null when none came.
HWND WaitForWindowContaining(const ProgramRun& run, const std::string& part)
{
    HWND found = nullptr;
    testing_support::PollUntil(
        [&] {
            for (HWND window : run.Windows())
            {
                if (TextOf(window).find(part) != std::string::npos)
                    found = window;
            }
            return found != nullptr;
        },
        ProgramRun::kWaitMs);
    return found;
}

void Press(HWND window, int id)
{
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}


TEST(ProgramLifetime, PlainStartShowsTheMainWindowAndClosesCleanly)
{
    ProgramRun run(testing_support::BuildProgramCommand("pyraxis.exe"));
    ASSERT_TRUE(run.Started());
    // The first start asks how devices are found; a later one (the run's registry is
    // shared with other tests) goes straight to the main window.
    HWND window = WaitForWindowContaining(run, "");
    ASSERT_NE(nullptr, window);
    if (HWND firstRun = run.WaitForWindow("Configure Device Auto-Detection", 2000))
        Press(firstRun, IDCANCEL);
    HWND frame = WaitForWindowContaining(run, "Pyraxis");
    ASSERT_NE(nullptr, frame);
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, run.WaitForEnd());
}

// Each setup switch: its warnings answered with OK, its setup closed unchanged.
TEST(ProgramLifetime, EachSetupSwitchRunsAndEndsCleanly)
{
    struct Switch
    {
        const char* word;
        std::vector<std::string> windows;   // answered in turn: "Warning" with OK, the setup with Cancel
    };
    const Switch switches[] = {
        {"-relaywiz", {}},
        {"-varnixwiz", {"Warning", "Warning"}},
        {"-vxmpptwiz", {"Warning"}},
        {"-crduowiz", {"Warning"}},
        {"-crmpptwiz", {"Warning"}},
    };
    for (const Switch& s : switches)
    {
        SCOPED_TRACE(s.word);
        ProgramRun run(testing_support::BuildProgramCommand("pyraxis.exe", s.word));
        ASSERT_TRUE(run.Started());
        for (const std::string& caption : s.windows)
        {
            HWND warning = run.WaitForWindow(caption);
            ASSERT_NE(nullptr, warning);
            Press(warning, IDOK);
            testing_support::PollUntil([&] { return !::IsWindowVisible(warning); }, ProgramRun::kWaitMs);
        }
        // The setup is then the program's only window.
        std::vector<HWND> windows;
        ASSERT_TRUE(testing_support::PollUntil(
            [&] {
                windows = run.Windows();
                return windows.size() == 1 && TextOf(windows[0]) != "Warning";
            },
            ProgramRun::kWaitMs))
           ;
        Press(windows[0], IDCANCEL);
        EXPECT_EQ(0u, run.WaitForEnd());
    }
}

} // namespace
