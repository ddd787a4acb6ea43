// Pyraxis started as its users start it, plain and with each setup switch, and closed
// again: it ends by itself with code 0, at once. Its output is this test program's, so the
// heap checks made on that output cover its whole life, its exit included (a block freed
// twice at exit passes unseen under Wine but can end the program on Windows).
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "documents/GenericDevices.h"
#include "documents/workspace/CDocumentWorkspace.h"
#include "modbus/ModbusEndpoint.h"
#include "shell/ShellCommands.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/Polling.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"

#include <gtest/gtest.h>
#include <winsock2.h>

#include <cstdio>
#include <memory>
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

// A hidden window (a box answered, a dialog, the main window as it closes) must not hold
// the program up: Wine waits 2 s for a window manager at each one it lets a manager handle,
// and the test display has none. Without that wait the window answers within 5-70 ms of
// its box and the program ends within 30 ms of its close here (0.1-0.2 s with the whole
// heap checked at every free); the limits keep three times that and more for a loaded
// machine and stay well under the wait.
const DWORD kAnswerLimitMs = 600;
const DWORD kCheckedEndLimitMs = 1000;

// Whether the window answers a message sent to it (its thread back in a message loop).
bool Answers(HWND window)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, ProgramRun::kWaitMs, &result) != 0;
}

// The program's main window, once the first start's question (the run's registry is shared
// with other tests, so only the first start asks) is answered and the window answers again.
HWND MainWindowOf(const ProgramRun& run)
{
    HWND window = WaitForWindowContaining(run, "");
    if (window == nullptr)
        return nullptr;
    if (HWND firstRun = run.WaitForWindow("Configure Device Auto-Detection", 2000))
        Press(firstRun, IDCANCEL);
    HWND frame = WaitForWindowContaining(run, "Pyraxis");
    return frame != nullptr && Answers(frame) ? frame : nullptr;
}

// How long the program takes to end after its main window is told to close; its exit code
// in code.
DWORD MsToEndAfterClose(ProgramRun& run, HWND frame, DWORD& code)
{
    const DWORD closing = ::GetTickCount();
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    code = run.WaitForEnd();
    return ::GetTickCount() - closing;
}


TEST(ProgramLifetime, PlainStartShowsTheMainWindowAndClosesCleanly)
{
    ProgramRun run(testing_support::BuildProgramCommand("pyraxis.exe"));
    ASSERT_TRUE(run.Started());
    HWND frame = MainWindowOf(run);
    ASSERT_NE(nullptr, frame);
    DWORD code = ProgramRun::kEndedByTest;
    const DWORD ending = MsToEndAfterClose(run, frame, code);
    std::printf("ended %lu ms after its close\n", static_cast<unsigned long>(ending));
    EXPECT_EQ(0u, code);
    EXPECT_LT(ending, kCheckedEndLimitMs);
}

// A workspace of one Modbus/TCP device on a loopback port where nothing listens.
void WriteWorkspaceOfARefusedDevice(const std::string& path)
{
    WSADATA data;
    ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 2), &data));
    SOCKET probe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    const bool bound = probe != INVALID_SOCKET && ::bind(probe, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                       ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (probe != INVALID_SOCKET)
        ::closesocket(probe);
    ::WSACleanup();
    ASSERT_TRUE(bound);

    const std::unique_ptr<CDocumentManager> manager(new CDocumentManager);
    CDocumentManager::SetApplicationManager(manager.get());
    const std::string devicesXml = testing_support::BuildPath("devices.xml");
    const std::wstring devicesXmlPath(devicesXml.begin(), devicesXml.end());
    // A Varnix (model 10, type 2 of the description file).
    CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(10, 2, 255, manager.get()));
    LoadGenericDevices(devicesXmlPath, manager.get(), 10, 2, device.get(), nullptr);
    ModbusEndpoint_t endpoint;
    endpoint.network = true;
    endpoint.host = "127.0.0.1";
    endpoint.port = ntohs(address.sin_port);
    endpoint.unitId = 1;
    device->ApplyEndpoint(endpoint);
    const bool added = manager->AddDevice(device) > 0;
    bool saved = false;
    if (added) {
        CDocumentWorkspace workspace;
        saved = workspace.OnSaveDocument(path.c_str()) != FALSE;
    }
    CDocumentManager::SetApplicationManager(nullptr);
    ASSERT_TRUE(added);
    ASSERT_TRUE(saved) << path;
}

// The program's visible box whose text holds the part; null when none came.
HWND WaitForBoxWith(const ProgramRun& run, const std::string& part)
{
    HWND found = nullptr;
    testing_support::PollUntil(
        [&] {
            for (HWND window : run.Windows()) {
                for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr && found == nullptr;
                     child = ::GetWindow(child, GW_HWNDNEXT))
                    if (TextOf(child).find(part) != std::string::npos)
                        found = window;
            }
            return found != nullptr;
        },
        ProgramRun::kWaitMs);
    return found;
}

// Connect All of a device that cannot be reached: its failure box, once answered, leaves
// the window answering at once, and the program closes at once.
TEST(ProgramLifetime, AnAnsweredConnectFailureBoxAndTheCloseHoldNothingUp)
{
    const std::string folder = testing_support::BuildPath("tests/shell_ui/lifetime-" + testing_support::ProcessTag());
    ASSERT_TRUE(testing_support::EnsureDirectory(folder));
    const std::string workspace = folder + "\\refused.pxs";
    ASSERT_NO_FATAL_FAILURE(WriteWorkspaceOfARefusedDevice(workspace));
    // The whole heap checked at every free makes the end of a program that held a device
    // cost some 0.3-0.5 s here; the plain start covers the end with those checks.
    ProgramRun run(testing_support::BuildProgramCommand("pyraxis.exe", "\"" + workspace + "\""),
                   ProgramRun::HeapChecks::AsTheTest);
    ASSERT_TRUE(run.Started());
    HWND frame = MainWindowOf(run);
    ASSERT_NE(nullptr, frame);
    ::PostMessageA(frame, WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
    HWND box = WaitForBoxWith(run, "unable to open connection to");
    ASSERT_NE(nullptr, box);

    const DWORD answered = ::GetTickCount();
    Press(box, IDOK);
    EXPECT_TRUE(testing_support::PollUntil([&] { return !::IsWindowVisible(box); }, ProgramRun::kWaitMs, 5));
    EXPECT_TRUE(Answers(frame));
    const DWORD answering = ::GetTickCount() - answered;
    DWORD code = ProgramRun::kEndedByTest;
    const DWORD ending = MsToEndAfterClose(run, frame, code);
    std::printf("the window answered %lu ms after its box; the program ended %lu ms after its close\n",
                static_cast<unsigned long>(answering), static_cast<unsigned long>(ending));
    EXPECT_LT(answering, kAnswerLimitMs);
    EXPECT_EQ(0u, code);
    EXPECT_LT(ending, kAnswerLimitMs);
    ::DeleteFileA(workspace.c_str());
    ::RemoveDirectoryA(folder.c_str());
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
