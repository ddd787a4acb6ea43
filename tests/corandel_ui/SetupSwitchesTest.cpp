// The program itself started with a Corandel setup switch: its warning shows without an
// owner, and only its OK opens the setup dialog, which runs as the
// program's only window; closing it ends the program. No main frame ever shows.
#include "res/pyraxis_corandel_resource.h"
#include "tests/support/Polling.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"

#include <gtest/gtest.h>
#include <prsht.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

bool HasChildWithText(HWND window, const std::string& text)
{
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        if (TextOf(child) == text)
            return true;
    }
    return false;
}

// The warning of a run: no owner, its caution text. (Under Wine a window's icon cannot be
// asked for from another process: WM_GETICON sent across processes always fails, so the
// icon is checked where the setups are run in the test's own process.)
void CheckWarning(const ProgramRun& run, HWND warning, const std::string& caution)
{
    ASSERT_NE(nullptr, warning);
    EXPECT_EQ(nullptr, ::GetWindow(warning, GW_OWNER));
    EXPECT_TRUE(HasChildWithText(warning, caution)) << caution;
    EXPECT_EQ(std::vector<HWND>(1, warning), run.Windows()) << "the warning comes before any other window";
}

struct SetupSwitch
{
    const char* arguments;
    const char* caution;
    const char* setupTitle;
    const char* note;
};

const SetupSwitch SWITCHES[] = {
    {"-crduowiz",
     "Any damage resulting to the controller or the system from the Corandel Duo setpoint adjustments will not be "
     "covered under warranty.",
     "Corandel Duo Custom Setpoints Summary",
     "NOTE: DIP switch 4 must be set to the ON position to use custom setpoints."},
    {"/CRMPPTWIZ",
     "Any damage resulting to the controller or the system from the Corandel MPPT setpoint adjustments will not be "
     "covered under warranty.",
     "Corandel MMPT Custom Settings Summary",
     "NOTE: Switch 1 must be set to the ON position to use custom charge settings.\nSwitch 2 must be set to the ON "
     "position to use custom load/lighting settings."},
};

TEST(SetupSwitches, TheWarningsOkOpensTheSetupAsTheProgramsOnlyWindow)
{
    for (const SetupSwitch& s : SWITCHES)
    {
        SCOPED_TRACE(s.arguments);
        ProgramRun run("pyraxis.exe", s.arguments);
        ASSERT_TRUE(run.Started()) << BuildPath("pyraxis.exe");

        HWND warning = run.WaitForWindow("Warning");
        CheckWarning(run, warning, s.caution);
        ::PostMessageA(warning, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

        HWND setup = run.WaitForWindow(s.setupTitle);
        ASSERT_NE(nullptr, setup);
        EXPECT_EQ(nullptr, ::GetWindow(setup, GW_OWNER)) << "no parent";
        EXPECT_TRUE(HasChildWithText(setup, s.note));
        // Nothing defined yet: the address statics are empty.
        EXPECT_EQ("", ItemText(setup, IDC_CR_MODBUS_ADDRESS));
        EXPECT_TRUE(PollUntil([&] { return run.Windows() == std::vector<HWND>(1, setup); }, kProgramWaitMs))
            << "the warning is gone and no main frame shows";

        // A read works without the program's main frame: its wizard shows on the connection
        // page (the run's context reads the device descriptions beside the program).
        ::PostMessageA(setup, WM_COMMAND, MAKEWPARAM(IDC_CR_READ_DEVICE, BN_CLICKED), 0);
        HWND sheet = run.WaitForWindow("Read Control Settings");
        ASSERT_NE(nullptr, sheet);
        EXPECT_EQ(setup, ::GetWindow(sheet, GW_OWNER));
        ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        EXPECT_TRUE(PollUntil([&] { return run.Windows() == std::vector<HWND>(1, setup); }, kProgramWaitMs))
            << "the cancelled read leaves the setup alone";

        // Unchanged settings close without a question, and the program ends with them.
        ::PostMessageA(setup, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_EQ(0u, run.WaitForEnd());
    }
}

TEST(SetupSwitches, AWarningEndedWithCancelEndsTheProgramWithoutItsSetup)
{
    const SetupSwitch& s = SWITCHES[1];
    ProgramRun run("pyraxis.exe", "-crmpptwiz");
    ASSERT_TRUE(run.Started());
    HWND warning = run.WaitForWindow("Warning");
    CheckWarning(run, warning, s.caution);
    ::PostMessageA(warning, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(0u, run.WaitForEnd());
}

}  // namespace
