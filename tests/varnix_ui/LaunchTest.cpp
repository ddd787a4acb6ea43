// How the setups open: the Tools menu's warnings before each setup dialog, and Pyraxis
// started with -varnixwiz or /VXMPPTWIZ showing the warnings and then the setup dialog as
// its only window, ending when it closes.
#include <gtest/gtest.h>

#include "framework/CDialog.h"
#include "tests/support/Polling.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowTest.h"
#include "tests/varnix_ui/SheetPlayer.h"
#include "wizards/varnix/VarnixSetupLaunch.h"

#include <string>
#include <vector>

using varnix_ui::SheetPlayer;
using varnix_ui::WindowText;

namespace
{
// A dialog by its title and the first and last of its sentences.
std::string Describe(HWND dialog)
{
    std::vector<std::string> sentences;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        if (WindowText(child).size() > 20)
            sentences.push_back(WindowText(child));
    if (sentences.empty())
        return WindowText(dialog);
    return WindowText(dialog) + ": " + sentences.front().substr(0, 30) + " | " + sentences.back();
}

const char* const VARNIX_WARNING =
    "Warning: CAUTION: There are few limits  | Any damage resulting to the controller or the system from the Varnix "
    "setpoint adjustments will not be covered under warranty.";
const char* const MPPT_WARNING =
    "Warning: CAUTION: There are few limits  | Any damage resulting to the controller or the system from the Varnix "
    "MPPT setpoint adjustments will not be covered under warranty.";
const char* const DIP_SWITCH_WARNING =
    "Warning: NOTE: The DIP switches should  | A fault will be indicated if a switch is changed with the controller "
    "powered.";
const char* const VARNIX_SETUP_DIALOG =
    "Custom Setpoints Summary: You must set the correct syste | Set the System Voltage with DIP Switches 2 && 3";

// Plays windows one after the other: each answer names the window's title and the
// button that closes it.
void PlayInTurn(DWORD uiThread, const std::vector<std::pair<std::string, int>>& answers, size_t index,
                std::vector<std::string>& seen)
{
    if (index >= answers.size())
        return;
    SheetPlayer player(answers[index].first, [&](SheetPlayer& window) {
        seen.push_back(Describe(window.Window()));
        window.ClickLater(answers[index].second);
    }, uiThread);
    if (!player.Finished())
        seen.push_back("not answered: " + answers[index].first);
    PlayInTurn(uiThread, answers, index + 1, seen);
}

class SetupLaunch : public testing_support::WindowTest
{
protected:
    SetupLaunch() : WindowTest("SetupLaunchTest") {}
};

TEST_F(SetupLaunch, MenuShowsTheWarningsBeforeEachSetup)
{
    struct Case
    {
        EVarnixSetup setup;
        std::vector<std::pair<std::string, int>> answers;
        std::vector<std::string> expected;
        bool setupRan;
    };
    const std::vector<Case> cases = {
        {VARNIX_MPPT_SETUP,
         {{"Warning", IDOK}, {"Warning", IDOK}, {"Custom Setpoints Summary", IDCANCEL}},
         {MPPT_WARNING, DIP_SWITCH_WARNING, VARNIX_SETUP_DIALOG},
         true},
        {VARNIX_SETUP,
         {{"Warning", IDOK}, {"Warning", IDCANCEL}},
         {VARNIX_WARNING, DIP_SWITCH_WARNING},
         false},
        {VARNIX_HV_MPPT_SETUP,
         {{"Warning", IDOK}, {"Custom Setpoints Summary", IDCANCEL}},
         {MPPT_WARNING, VARNIX_SETUP_DIALOG},
         true},
    };
    for (const Case& c : cases)
    {
        std::vector<std::string> seen;
        bool setupRan = false;
        std::thread user([&, uiThread = ::GetCurrentThreadId()] { PlayInTurn(uiThread, c.answers, 0, seen); });
        RunVarnixSetup(c.setup, true, nullptr, nullptr, boost::shared_ptr<ModbusEndpoint_t>(), [&](CDialog& setup) {
            setupRan = true;
            return setup.DoModal();
        });
        user.join();
        EXPECT_EQ(c.expected, seen);
        EXPECT_EQ(c.setupRan, setupRan);
    }
}

// Starts Pyraxis with the switch, answers its windows in turn and waits for it to end.
std::vector<std::string> RunPyraxisWithSwitch(const std::string& word, const std::vector<std::string>& titles,
                                              DWORD& exitCode)
{
    std::vector<std::string> seen;
    testing_support::ProgramRun run(testing_support::BuildProgramCommand("pyraxis.exe", word));
    if (!run.Started())
    {
        seen.push_back("not started");
        return seen;
    }
    for (const std::string& title : titles)
    {
        HWND window = run.WaitForWindow(title, varnix_ui::kWaitMs);
        if (window == nullptr)
        {
            seen.push_back("no window " + title);
            break;
        }
        seen.push_back(Describe(window));
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(title == "Warning" ? IDOK : IDCANCEL, BN_CLICKED), 0);
        testing_support::PollUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); },
                                   varnix_ui::kWaitMs);
    }
    exitCode = run.WaitForEnd(varnix_ui::kWaitMs);
    if (exitCode == testing_support::ProgramRun::kEndedByTest)
        seen.push_back("still running");
    return seen;
}

TEST_F(SetupLaunch, SwitchesRunTheSetupsAsThePrograms)
{
    DWORD exitCode = 1;
    EXPECT_EQ((std::vector<std::string>{VARNIX_WARNING, DIP_SWITCH_WARNING, VARNIX_SETUP_DIALOG}),
              RunPyraxisWithSwitch("-varnixwiz", {"Warning", "Warning", "Custom Setpoints Summary"}, exitCode));
    EXPECT_EQ(0u, exitCode);
    // The Varnix MPPT's switch shows one warning; the switch is read without case.
    EXPECT_EQ((std::vector<std::string>{MPPT_WARNING, VARNIX_SETUP_DIALOG}),
              RunPyraxisWithSwitch("/VXMPPTWIZ", {"Warning", "Custom Setpoints Summary"}, exitCode));
    EXPECT_EQ(0u, exitCode);
}
} // namespace
