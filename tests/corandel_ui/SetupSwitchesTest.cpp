// The program itself started with a Corandel setup switch: its warning shows without an
// owner, and only its OK opens the setup dialog, which runs as the
// program's only window; closing it ends the program. No main frame ever shows.
#include "res/pyraxis_corandel_resource.h"
#include "tests/support/Polling.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"

#include <gtest/gtest.h>
#include <prsht.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

// What a run's windows may take on a loaded machine; every wait is for its window.
const DWORD kWindowWaitMs = 30000;
// The exit code a run that had to be ended gets; the program's own end gives 0.
const UINT kEndedByTest = 0xDEAD;

// The program started with its command line, ended when the test is done with it.
class ProgramRun
{
public:
    explicit ProgramRun(const std::string& arguments)
    {
        std::string commandLine = "\"" + BuildPath("pyraxis.exe") + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        m_started = ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &m_process) != FALSE;
    }
    ~ProgramRun()
    {
        if (!m_started)
            return;
        if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
        {
            ::TerminateProcess(m_process.hProcess, kEndedByTest);
            ::WaitForSingleObject(m_process.hProcess, kWindowWaitMs);
        }
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }

    bool Started() const { return m_started; }

    // The program's visible top-level windows.
    std::vector<HWND> Windows() const
    {
        struct Search
        {
            DWORD processId;
            std::vector<HWND> windows;
        } search = {m_process.dwProcessId, {}};
        ::EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                Search* s = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == s->processId && ::IsWindowVisible(window))
                    s->windows.push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.windows;
    }

    // Waits for the program's window with that caption; null when none came.
    HWND WaitForWindow(const std::string& caption) const
    {
        HWND found = nullptr;
        PollUntil(
            [&] {
                for (HWND window : Windows())
                {
                    if (TextOf(window) == caption)
                        found = window;
                }
                return found != nullptr;
            },
            kWindowWaitMs);
        return found;
    }

    // Waits for the program's end; its exit code, or kEndedByTest when it did not end.
    DWORD WaitForEnd() const
    {
        if (::WaitForSingleObject(m_process.hProcess, kWindowWaitMs) != WAIT_OBJECT_0)
            return kEndedByTest;
        DWORD code = kEndedByTest;
        ::GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

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
        ProgramRun run(s.arguments);
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
        EXPECT_TRUE(PollUntil([&] { return run.Windows() == std::vector<HWND>(1, setup); }, kWindowWaitMs))
            << "the warning is gone and no main frame shows";

        // A read works without the program's main frame: its wizard shows on the connection
        // page (the run's context reads the device descriptions beside the program).
        ::PostMessageA(setup, WM_COMMAND, MAKEWPARAM(IDC_CR_READ_DEVICE, BN_CLICKED), 0);
        HWND sheet = run.WaitForWindow("Read Control Settings");
        ASSERT_NE(nullptr, sheet);
        EXPECT_EQ(setup, ::GetWindow(sheet, GW_OWNER));
        ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        EXPECT_TRUE(PollUntil([&] { return run.Windows() == std::vector<HWND>(1, setup); }, kWindowWaitMs))
            << "the cancelled read leaves the setup alone";

        // Unchanged settings close without a question, and the program ends with them.
        ::PostMessageA(setup, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_EQ(0u, run.WaitForEnd());
    }
}

TEST(SetupSwitches, AWarningEndedWithCancelEndsTheProgramWithoutItsSetup)
{
    const SetupSwitch& s = SWITCHES[1];
    ProgramRun run("-crmpptwiz");
    ASSERT_TRUE(run.Started());
    HWND warning = run.WaitForWindow("Warning");
    CheckWarning(run, warning, s.caution);
    ::PostMessageA(warning, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(0u, run.WaitForEnd());
}

}  // namespace
