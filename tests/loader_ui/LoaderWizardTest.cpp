// The loader program as a whole under Wine and Xvfb: its command-line boxes, and the
// wizard walked by a driver thread that plays the user while the application runs its
// wizard on the test's thread. Screenshots of every step go to build/screenshots.
#include <gtest/gtest.h>

#include "framework/CPropertySheet.h"
#include "loader/CVarnixLoadApp.h"
#include "loader/ProgrammingThread.h"
#include "res/tolmera_resource.h"
#include "tests/loader_ui/FirmwareFiles.h"
#include "tests/support/ControlTextFit.h"
#include "tests/support/ListedPort.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PeerHost.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SheetScript.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include "tests/support/Polling.h"

using loader_ui_testing::QvzContent;
using loader_ui_testing::WriteQvz;
using testing_support::MessageBoxRecorder;
using testing_support::Screenshot;

namespace {

// Generous: a loaded machine starts Wine programs and threads slowly.
const DWORD kWaitMs = 30000;

// Polls (bounded) until the condition holds; false on time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs)
{
    return testing_support::PollUntil(condition, timeoutMs);
}

// The user's side of one program run; records what went wrong as text.
class WizardUser {
public:
    explicit WizardUser(DWORD uiThread) : m_uiThread(uiThread) {}

    std::string failure;
    HWND sheet = nullptr;

    bool Fail(const std::string& text)
    {
        if (failure.empty())
            failure = text;
        return false;
    }

    bool WaitForSheet()
    {
        if (!WaitUntil([this] { return (sheet = FindSheet()) != nullptr && Page() != nullptr; }))
            return Fail("the wizard did not appear");
        return true;
    }

    HWND Page() const { return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }
    int PageId() const { return Page() != nullptr ? ::GetDlgCtrlID(Page()) : 0; }

    // Waits until the page with this template is current (pages have no own id: the
    // texts of a known control tell them apart).
    bool WaitForPage(int controlId, const char* name)
    {
        if (!WaitUntil([&] { return Page() != nullptr && ::GetDlgItem(Page(), controlId) != nullptr; }))
            return Fail(std::string("the wizard did not reach the ") + name + " page");
        return true;
    }

    std::string Text(HWND window) const
    {
        char text[2048] = {};
        ::GetWindowTextA(window, text, sizeof text);
        return text;
    }
    std::string ItemText(int id) const { return Text(::GetDlgItem(Page(), id)); }
    bool ItemVisible(int id) const { return ::IsWindowVisible(::GetDlgItem(Page(), id)) != FALSE; }
    bool ButtonUsable(int id) const
    {
        HWND button = ::GetDlgItem(sheet, id);
        return button != nullptr && ::IsWindowVisible(button) && ::IsWindowEnabled(button);
    }
    // Only these of Back, Next, Finish and Cancel are visible and enabled.
    bool ButtonsAre(std::vector<int> usable) const
    {
        for (int id : {ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH, IDCANCEL}) {
            bool expected = false;
            for (int u : usable)
                expected = expected || u == id;
            if (ButtonUsable(id) != expected)
                return false;
        }
        return true;
    }
    bool WaitForButtons(std::vector<int> usable, const char* what)
    {
        if (!WaitUntil([&] { return ButtonsAre(usable); }))
            return Fail(std::string("wrong buttons ") + what);
        return true;
    }
    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        HWND list = ::GetDlgItem(Page(), IDC_CONNECT_LOG);
        const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count && i < 2000; ++i) {
            char line[1100] = {};
            if (::SendMessageA(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof line))
                ::SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
            lines.push_back(line);
        }
        return lines;
    }
    void Press(int button) { ::PostMessageA(sheet, PSM_PRESSBUTTON, button, 0); }
    void Photograph(const std::string& name)
    {
        ::Sleep(300);   // let it paint
        if (Screenshot::OfWindow(sheet).Save(name).empty())
            Fail("no screenshot " + name);
    }
    bool WaitForClose()
    {
        if (!WaitUntil([this] { return !::IsWindow(sheet); }))
            return Fail("the wizard did not close");
        return true;
    }

private:
    HWND FindSheet() const
    {
        struct Search { HWND found; } search = {nullptr};
        ::EnumThreadWindows(
            m_uiThread,
            [](HWND hWnd, LPARAM lParam) -> BOOL {
                char className[16] = {};
                ::GetClassNameA(hWnd, className, sizeof className);
                if (::IsWindowVisible(hWnd) && std::string(className) == "#32770") {
                    reinterpret_cast<Search*>(lParam)->found = hWnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    DWORD m_uiThread;
};

struct ProgramRun {
    int exitCode = 0;
    std::vector<UINT> pages;
    INT_PTR wizardResult = 0;
    std::string failure;
};

// Runs the program with the command line while `play` acts as the user.
ProgramRun RunLoader(const std::string& commandLine, std::function<void(WizardUser&)> play)
{
    CVarnixLoadApp app;
    WizardUser user(::GetCurrentThreadId());
    std::thread driver([&] {
        if (play)
            play(user);
    });
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    ProgramRun run;
    run.exitCode = AfxWinMain(::GetModuleHandleA(nullptr), nullptr, line.data(), SW_SHOWNORMAL);
    driver.join();
    run.pages = app.m_wizardPages;
    run.wizardResult = app.m_wizardResult;
    run.failure = user.failure;
    // The wizard ends the run with a quit request that no loop follows here.
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return run;
}

class LoaderProgram : public ::testing::Test {
protected:
    void SetUp() override { MessageBoxRecorder::Instance().Clear(); }
    void TearDown() override { MessageBoxRecorder::Instance().Clear(); }
    static std::vector<std::string> BoxTexts()
    {
        std::vector<std::string> texts;
        for (const auto& box : MessageBoxRecorder::Instance().Boxes())
            texts.push_back(box.text);
        return texts;
    }
};

const char kUsageStart[] = "Usage:\n Tolmera <options>\n";

TEST_F(LoaderProgram, CommandLineErrorsEndTheProgramWithTheirBox)
{
    struct Case {
        const char* commandLine;
        std::vector<std::string> boxStarts;
    };
    const std::string address = "Error: invalid Modbus address (must be a number above zero)";
    const std::string count = "Error: invalid number of response bytes (must be a number above zero)";
    const std::vector<Case> cases = {
        {"-h", {kUsageStart}},
        {"--help", {kUsageStart}},
        {"-a0", {address}},
        {"-a256", {"Error: Modbus control address must be a number between 1 and 247, inclusive."}},
        {"-p3 -a", {address}},
        {"--num-attention-resp=0", {count}},
        {"--num-attention-resp=2x", {count}},
        {"-x", {"unknown arg -x", kUsageStart}},
        {"-fZ:\\no\\such\\firmware.qvz", {"Unable to open file 'Z:\\no\\such\\firmware.qvz'.\n("}},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder::Instance().Clear();
        const ProgramRun run = RunLoader(c.commandLine, nullptr);
        EXPECT_TRUE(run.pages.empty()) << c.commandLine << ": no wizard";
        const std::vector<std::string> boxes = BoxTexts();
        ASSERT_EQ(boxes.size(), c.boxStarts.size()) << c.commandLine;
        for (size_t i = 0; i < boxes.size(); ++i)
            EXPECT_EQ(boxes[i].find(c.boxStarts[i]), 0u) << c.commandLine << ": " << boxes[i];
    }
}

TEST_F(LoaderProgram, FileOnlyCommandLineWalksAllFivePagesAndCancelsWhileSearching)
{
    testing_support::PeerHost peers;
    ASSERT_TRUE(peers.Connected()) << peers.Error();
    const testing_support::SerialPair pair = peers.OpenSerialPair();
    ASSERT_NE(pair.id, 0);
    // Listed with a friendly name, as the demo site's port is.
    testing_support::ListedPort listed(pair.com);
    ASSERT_TRUE(listed.Made());
    const std::string path = WriteQvz("wizard_controller.qvz", QvzContent());
    ASSERT_FALSE(path.empty());
    MessageBoxRecorder::Instance().QueueAnswer(IDNO);
    MessageBoxRecorder::Instance().QueueAnswer(IDYES);

    const ProgramRun run = RunLoader("\"" + path + "\"", [&](WizardUser& user) {
        if (!user.WaitForSheet() || !user.WaitForPage(IDC_INTRO_WARNING1, "first welcome"))
            return;
        if (user.Text(user.sheet) != "Welcome to Quorvant Firmware Update")
            user.Fail("first welcome title: " + user.Text(user.sheet));
        if (user.ItemText(IDC_INTRO_WARNING2).find("WARNING: Firmware updates may overwrite custom setpoints") != 0)
            user.Fail("second warning: " + user.ItemText(IDC_INTRO_WARNING2));
        if (!user.WaitForButtons({ID_WIZNEXT}, "on the first welcome page"))
            return;
        user.Photograph("tolmera_welcome1");
        user.Press(PSBTN_NEXT);

        if (!user.WaitForPage(IDC_INTRO_VERSION, "second welcome") ||
            !user.WaitForButtons({ID_WIZBACK, ID_WIZNEXT}, "on the second welcome page"))
            return;
        if (user.ItemText(IDC_INTRO_VERSION) != "v2.7.13")
            user.Fail("version line: " + user.ItemText(IDC_INTRO_VERSION));
        user.Photograph("tolmera_welcome2");
        user.Press(PSBTN_NEXT);

        if (!user.WaitForPage(IDC_FILE_PATH, "file") || !user.WaitForButtons({ID_WIZBACK, ID_WIZNEXT}, "on the file page"))
            return;
        if (user.Text(user.sheet) != "Step 1 - Choose QV Firmware File")
            user.Fail("file page title: " + user.Text(user.sheet));
        if (user.ItemText(IDC_FILE_PATH) != path)
            user.Fail("path field: " + user.ItemText(IDC_FILE_PATH));
        if (!user.ItemVisible(IDC_FILE_HEADER) || user.ItemText(IDC_FILE_HEADER) != "Quorvant test firmware\r\nbuild 7")
            user.Fail("header text: " + user.ItemText(IDC_FILE_HEADER));
        user.Photograph("tolmera_step1_file");
        user.Press(PSBTN_NEXT);

        if (!user.WaitForPage(IDC_PORT_LIST, "port"))
            return;
        if (user.Text(user.sheet) != "Step 2 - Choose COM Port")
            user.Fail("port page title: " + user.Text(user.sheet));
        if (user.ItemText(IDC_PORT_PROMPT) != "Please select the serial port to which the Varnix is connected.")
            user.Fail("port prompt: " + user.ItemText(IDC_PORT_PROMPT));
        if (user.ItemVisible(IDC_PORT_ADDRESS) || user.ItemVisible(IDC_PORT_METER_QUESTION))
            user.Fail("meter controls shown for a controller");
        HWND list = ::GetDlgItem(user.Page(), IDC_PORT_LIST);
        // The prefix's registry need not list the pty pair: the user's choice is put in.
        int item = -1;
        const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count && item < 0; ++i) {
            if (static_cast<int>(::SendMessageA(list, LB_GETITEMDATA, i, 0)) == pair.com)
                item = i;
        }
        if (item < 0) {
            item = static_cast<int>(::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pair.port.c_str())));
            ::SendMessageA(list, LB_SETITEMDATA, item, pair.com);
        }
        ::SendMessageA(list, LB_SETCURSEL, item, 0);
        const std::vector<std::string> ports = testing_support::ListBoxLines(list);
        if (std::find(ports.begin(), ports.end(), listed.FriendlyName()) == ports.end())
            user.Fail("the listed port is not in the list");
        for (const std::string& cut : testing_support::CutTexts(user.sheet))
            user.Fail("port page: " + cut);
        user.Photograph("tolmera_step2_port");
        user.Press(PSBTN_NEXT);

        if (!user.WaitForPage(IDC_CONNECT_PROGRESS, "connect") || !user.WaitForButtons({ID_WIZBACK}, "while searching"))
            return;
        if (user.Text(user.sheet) != "Step 3 - Connect To QV control")
            user.Fail("connect page title: " + user.Text(user.sheet));
        if (user.ItemText(IDC_CONNECT_INSTRUCTION) != "Please turn on the Varnix now.")
            user.Fail("instruction: " + user.ItemText(IDC_CONNECT_INSTRUCTION));
        if (user.ItemText(IDC_CONNECT_STATUS) != "Attempting to connect to the QV control...")
            user.Fail("status: " + user.ItemText(IDC_CONNECT_STATUS));
        if (user.ItemVisible(IDC_CONNECT_LOG) || user.ItemVisible(IDC_CONNECT_SUCCESS_ICON) ||
            user.ItemVisible(IDC_CONNECT_FAILURE_ICON))
            user.Fail("log list or icons shown without -v");
        HWND progress = ::GetDlgItem(user.Page(), IDC_CONNECT_PROGRESS);
        if (!WaitUntil([&] { return ::SendMessageA(progress, PBM_GETPOS, 0, 0) >= 5; }))
            user.Fail("the search did not move the progress bar");
        user.Photograph("tolmera_step3_searching");

        // The close box asks first: No keeps the run, Yes ends the wizard.
        ::PostMessageA(user.sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (!WaitUntil([] { return MessageBoxRecorder::Instance().Count() >= 1; }))
            user.Fail("no question on close");
        ::Sleep(300);
        if (!::IsWindow(user.sheet) || user.Page() == nullptr)
            user.Fail("No closed the wizard");
        ::PostMessageA(user.sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
        user.WaitForClose();
    });

    EXPECT_EQ(run.failure, "");
    const std::vector<UINT> allPages = {IDD_WIZ_INTRO1, IDD_WIZ_INTRO2, IDD_WIZ_LOAD_FILE, IDD_WIZ_SELECT_PORT,
                                        IDD_WIZ_CONNECT};
    EXPECT_EQ(run.pages, allPages);
    EXPECT_EQ(run.wizardResult, IDCANCEL);
    const std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "Are you sure you want to cancel the programming operation?");
    EXPECT_EQ(boxes[1], boxes[0]);
}

TEST_F(LoaderProgram, MeterAddressIsCheckedOnThePortPage)
{
    testing_support::PeerHost peers;
    ASSERT_TRUE(peers.Connected()) << peers.Error();
    const testing_support::SerialPair pair = peers.OpenSerialPair();
    ASSERT_NE(pair.id, 0);
    QvzContent meter;
    meter.productId = 7;
    const std::string path = WriteQvz("wizard_meter.qvz", meter);
    ASSERT_FALSE(path.empty());

    const ProgramRun run = RunLoader("-f" + path, [&](WizardUser& user) {
        if (!user.WaitForSheet() || !user.WaitForPage(IDC_PORT_LIST, "port") ||
            !user.WaitForButtons({ID_WIZNEXT, IDCANCEL}, "on the first page"))
            return;
        if (user.ItemText(IDC_PORT_PROMPT) != "Please select the serial port to which the VXM-2 is connected.")
            user.Fail("port prompt: " + user.ItemText(IDC_PORT_PROMPT));
        if (!user.ItemVisible(IDC_PORT_ADDRESS) || !user.ItemVisible(IDC_PORT_METER_NOTE))
            user.Fail("meter controls hidden for a meter");
        if (user.ItemText(IDC_PORT_METER_NOTE).find("Note: The VXM-2 should be disconnected from the controller.") ==
            std::string::npos)
            user.Fail("meter note: " + user.ItemText(IDC_PORT_METER_NOTE));
        if (user.ItemText(IDC_PORT_ADDRESS) != "1")
            user.Fail("address field: " + user.ItemText(IDC_PORT_ADDRESS));
        HWND list = ::GetDlgItem(user.Page(), IDC_PORT_LIST);
        const int item = static_cast<int>(::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pair.port.c_str())));
        ::SendMessageA(list, LB_SETITEMDATA, item, pair.com);
        ::SendMessageA(list, LB_SETCURSEL, item, 0);

        ::SetDlgItemTextA(user.Page(), IDC_PORT_ADDRESS, "248");
        user.Photograph("tolmera_step2_meter_port");
        user.Press(PSBTN_NEXT);
        if (!WaitUntil([] { return MessageBoxRecorder::Instance().Count() >= 1; }))
            user.Fail("address 248 was not refused");
        ::Sleep(200);
        if (::GetDlgItem(user.Page(), IDC_PORT_LIST) == nullptr)
            user.Fail("the page moved on after a refused address");

        ::SetDlgItemTextA(user.Page(), IDC_PORT_ADDRESS, "247");
        user.Press(PSBTN_NEXT);
        if (!user.WaitForPage(IDC_CONNECT_PROGRESS, "connect"))
            return;
        if (user.ItemText(IDC_CONNECT_INSTRUCTION) != "Please plug the VXM-2 into the controller now.")
            user.Fail("instruction: " + user.ItemText(IDC_CONNECT_INSTRUCTION));
        // Back stops the run; Next starts a new one.
        if (!user.WaitForButtons({ID_WIZBACK, IDCANCEL}, "while searching"))
            return;
        user.Press(PSBTN_BACK);
        if (!user.WaitForPage(IDC_PORT_LIST, "port (after Back)") ||
            !user.WaitForButtons({ID_WIZNEXT, IDCANCEL}, "back on the port page"))
            return;
        user.Press(PSBTN_NEXT);
        if (!user.WaitForPage(IDC_CONNECT_PROGRESS, "connect (again)"))
            return;
        ::PostMessageA(user.sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
        user.WaitForClose();
    });

    EXPECT_EQ(run.failure, "");
    const std::vector<UINT> pages = {IDD_WIZ_SELECT_PORT, IDD_WIZ_CONNECT};
    EXPECT_EQ(run.pages, pages);
    const std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "Error: Modbus control address must be a number between 1 and 247, inclusive.");
    EXPECT_EQ(boxes[1], "Are you sure you want to cancel the programming operation?");
}

TEST_F(LoaderProgram, FileAndPortGoStraightToProgrammingAndReportAFailedPort)
{
    const std::string path = WriteQvz("wizard_direct.qvz", QvzContent());
    ASSERT_FALSE(path.empty());
    // No COM port 201 exists in the test prefix: the run fails as it opens the port.
    const ProgramRun run = RunLoader("-v -f" + path + " -p201", [&](WizardUser& user) {
        if (!user.WaitForSheet() || !user.WaitForPage(IDC_CONNECT_PROGRESS, "connect"))
            return;
        if (!WaitUntil([&] { return user.Text(user.sheet) == "Step 5 - Varnix Update Failed"; }))
            user.Fail("title after the failure: " + user.Text(user.sheet));
        if (!user.WaitForButtons({ID_WIZFINISH}, "after the failure"))
            return;
        if (user.Text(::GetDlgItem(user.sheet, ID_WIZFINISH)) != "Exit")
            user.Fail("finish label: " + user.Text(::GetDlgItem(user.sheet, ID_WIZFINISH)));
        if (user.ItemText(IDC_CONNECT_INSTRUCTION) != "Varnix update failed!")
            user.Fail("instruction: " + user.ItemText(IDC_CONNECT_INSTRUCTION));
        if (user.ItemText(IDC_CONNECT_STATUS) != "Please turn off product, check cable connections, and try again.")
            user.Fail("status: " + user.ItemText(IDC_CONNECT_STATUS));
        if (user.ItemVisible(IDC_CONNECT_PROGRESS) || !user.ItemVisible(IDC_CONNECT_FAILURE_ICON) ||
            user.ItemVisible(IDC_CONNECT_SUCCESS_ICON) || !user.ItemVisible(IDC_CONNECT_LOG))
            user.Fail("wrong controls shown after the failure");
        const std::vector<std::string> lines = user.LogLines();
        const std::vector<std::string> tail = {"Unable to program the QV control.",
                                               "Please restart the program and try again.",
                                               "If the problem persists, contact Quorvant Technical Support."};
        if (lines.size() < 4 || std::vector<std::string>(lines.end() - 3, lines.end()) != tail)
            user.Fail("log lines do not end with the failure text");
        else if (lines[lines.size() - 4].size() < 53 ||
                 lines[lines.size() - 4].substr(lines[lines.size() - 4].size() - 53) !=
                     ": * Error: unable to open COM port (Cannot open port)")
            user.Fail("log line before the failure text: " + lines[lines.size() - 4]);
        user.Photograph("tolmera_step5_failed");

        // The log keeps its last 1025 lines and never shows texts of 512 characters or more.
        auto postLine = [&](const std::string& text) {
            char* copy = new char[text.size() + 1];
            memcpy(copy, text.c_str(), text.size() + 1);
            ::PostMessageA(user.Page(), WM_APP_LOAD_LOG, reinterpret_cast<WPARAM>(copy), static_cast<LPARAM>(text.size()));
        };
        postLine(std::string(512, 'x'));
        postLine(std::string(511, 'y'));
        for (int i = 0; i < 1100; ++i)
            postLine("line " + std::to_string(i));
        HWND list = ::GetDlgItem(user.Page(), IDC_CONNECT_LOG);
        auto lastLine = [list] {
            char line[64] = {};
            const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
            if (count > 0 && ::SendMessageA(list, LB_GETTEXTLEN, count - 1, 0) < static_cast<LRESULT>(sizeof line))
                ::SendMessageA(list, LB_GETTEXT, count - 1, reinterpret_cast<LPARAM>(line));
            return std::string(line);
        };
        if (!WaitUntil([&] { return lastLine() == "line 1099"; }))
            user.Fail("the posted log lines did not arrive");
        const std::vector<std::string> kept = user.LogLines();
        if (kept.size() != 1025u || kept.front() != "line 75")
            user.Fail("log list holds " + std::to_string(kept.size()) + " lines from " + kept.front());
        user.Press(PSBTN_FINISH);
        user.WaitForClose();
    });

    EXPECT_EQ(run.failure, "");
    const std::vector<UINT> pages = {IDD_WIZ_CONNECT};
    EXPECT_EQ(run.pages, pages);
    EXPECT_EQ(run.wizardResult, ID_WIZFINISH);
    EXPECT_EQ(MessageBoxRecorder::Instance().Count(), 0u);
}

TEST_F(LoaderProgram, ProgramsAControllerToSuccessAgainstTheTestBootloader)
{
    testing_support::PeerHost peers;
    ASSERT_TRUE(peers.Connected()) << peers.Error();
    const testing_support::SerialPair pair = peers.OpenSerialPair();
    ASSERT_NE(pair.id, 0);
    QvzContent firmware;
    firmware.records = 20;
    const std::string path = WriteQvz("success_controller.qvz", firmware);
    ASSERT_FALSE(path.empty());
    // A late answer shows the search; delayed retries of the first records keep the
    // programming step on the screen long enough to be seen.
    std::string script = "{\"attention_delay\": 1.5, \"replies\": {";
    for (int record = 1; record <= 10; ++record)
        script += (record > 1 ? ", \"" : "\"") + std::to_string(record) + "\": [33, 33, 16]";
    script += "}}";
    const std::string scriptPath = testing_support::BuildPath("loader_ui\\success_script.json");
    const std::string portFile = testing_support::BuildPath("loader_ui\\success_ports");
    {
        FILE* file = fopen(scriptPath.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        fputs(script.c_str(), file);
        fclose(file);
    }
    ::DeleteFileA(portFile.c_str());
    const int device = peers.SpawnPython(
        "qvdevice.py", {"--bootloader", pair.peerPath, "--firmware",
                        testing_support::BuildUnixPath("loader_ui/success_controller.qvz"), "--script",
                        testing_support::BuildUnixPath("loader_ui/success_script.json"), "--port-file",
                        testing_support::BuildUnixPath("loader_ui/success_ports"), "--lifetime", "120"});
    ASSERT_NE(device, 0) << peers.Error();
    ASSERT_TRUE(WaitUntil([&] { return ::GetFileAttributesA(portFile.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        << "the bootloader did not get ready";

    std::vector<std::string> log;
    const ProgramRun run = RunLoader("-v -f" + path + " -p" + std::to_string(pair.com), [&](WizardUser& user) {
        if (!user.WaitForSheet() || !user.WaitForPage(IDC_CONNECT_PROGRESS, "connect"))
            return;
        if (user.Text(user.sheet) != "Step 3 - Connect To QV control")
            user.Fail("connect page title: " + user.Text(user.sheet));
        user.Photograph("tolmera_run_step3_connect");

        if (!WaitUntil([&] { return user.Text(user.sheet) == "Step 4 - Updaing Varnix"; }))
            user.Fail("no programming step: " + user.Text(user.sheet));
        if (user.ItemText(IDC_CONNECT_INSTRUCTION) != "Updating Varnix")
            user.Fail("instruction while programming: " + user.ItemText(IDC_CONNECT_INSTRUCTION));
        if (user.ItemText(IDC_CONNECT_STATUS) != "This will take approximately 1 minute.")
            user.Fail("estimate: " + user.ItemText(IDC_CONNECT_STATUS));
        if (!user.ButtonsAre({IDCANCEL}))
            user.Fail("wizard buttons usable while programming");
        user.Photograph("tolmera_run_step4_updating");

        if (!WaitUntil([&] { return user.Text(user.sheet) == "Step 5 - Varnix Updated Successfully"; }, 30000)) {
            user.Fail("no success: " + user.Text(user.sheet));
            return;
        }
        if (!user.WaitForButtons({ID_WIZFINISH}, "after the success"))
            return;
        if (user.Text(::GetDlgItem(user.sheet, ID_WIZFINISH)) != "Exit")
            user.Fail("finish label: " + user.Text(::GetDlgItem(user.sheet, ID_WIZFINISH)));
        if (user.ItemText(IDC_CONNECT_INSTRUCTION) != "Varnix updated successfully")
            user.Fail("instruction: " + user.ItemText(IDC_CONNECT_INSTRUCTION));
        if (user.ItemText(IDC_CONNECT_STATUS) !=
            "Important: Remember to turn product off and then back on to resume normal operation.")
            user.Fail("status: " + user.ItemText(IDC_CONNECT_STATUS));
        if (user.ItemVisible(IDC_CONNECT_PROGRESS) || !user.ItemVisible(IDC_CONNECT_SUCCESS_ICON) ||
            user.ItemVisible(IDC_CONNECT_FAILURE_ICON))
            user.Fail("wrong controls shown after the success");
        // The run's closing lines follow its end message.
        WaitUntil([&] {
            const auto lines = user.LogLines();
            return !lines.empty() && lines.back().find("Programming time: ") != std::string::npos;
        });
        log = user.LogLines();
        user.Photograph("tolmera_run_step5_success");
        user.Press(PSBTN_FINISH);
        user.WaitForClose();
    });
    peers.Stop(device);

    EXPECT_EQ(run.failure, "");
    EXPECT_EQ(run.wizardResult, ID_WIZFINISH);
    const std::vector<UINT> pages = {IDD_WIZ_CONNECT};
    EXPECT_EQ(run.pages, pages);
    // The thread's lines carry the time prefix; the page's own lines do not.
    auto has = [&log](const std::string& ending) {
        for (const std::string& line : log) {
            if (line.size() >= ending.size() && line.compare(line.size() - ending.size(), ending.size(), ending) == 0)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(has(": Searching for QV control..."));
    EXPECT_TRUE(has(": Connected to Varnix control"));
    EXPECT_TRUE(has(": Programming QV control."));
    EXPECT_TRUE(has(": Total records: 20"));
    const std::vector<std::string> success = {"", "Varnix programming completed successfully",
                                              "Your Varnix has now been upgraded."};
    EXPECT_NE(std::search(log.begin(), log.end(), success.begin(), success.end()), log.end());
    EXPECT_FALSE(has("* Error")) << "no error line in a successful run";
}

} // namespace
