// The wizard sheet and its shared pages under Xvfb, played as a user would: the newer
// connection page's port list, checks and the registry values it writes; the progress
// page running real reads and programs against the test device over loopback TCP, with
// its list, bar and buttons, the failure texts and boxes, the list's limits, Back stopping
// a run and help requests that never count as failures; the older wizards' pages; and the
// progress page of every wizard family showing a run that lost its controller.
#include <gtest/gtest.h>

#include "documents/RegistryHelpers.h"
#include "framework/CComboBox.h"
#include "framework/CWinApp.h"
#include "modbus/CModbusVariable_uint16.h"
#include "res/pyraxis_relay_resource.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/CListBoxClipboard.h"
#include "shell/HelpCommands.h"
#include "shell/ProgramFolders.h"
#include "tests/support/HelpTopics.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/MpptDeviceProfile.h"
#include "tests/support/PeerHost.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SheetScript.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowTest.h"
#include "wizards/framework/CPropPageRegisterListConnection.h"
#include "wizards/framework/CPropPageRegisterListProgress.h"
#include "wizards/framework/CPropPageWizardProgram2.h"
#include "wizards/framework/CPropPageWizardRead1.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/ProgrammingMessages.h"
#include "wizards/framework/SettingsRegisterList.h"
#include "wizards/framework/WizardConnection.h"
#include "wizards/corandel/CCorandelSettings.h"
#include "wizards/corandel/CMpptSettings.h"
#include "wizards/relay/CPropPageRelayProgProgress.h"
#include "wizards/relay/CRelayProgThread.h"
#include "wizards/varnix/CVarnixSettings.h"
#include "wizards/varnix/MpptProgrammingContext.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace testing_support;

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class WizardSheetUi : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MessageBoxRecorder::Instance().Clear();
        const std::string folder = BuildPath("");
        GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
    }
    void TearDown() override
    {
        MessageBoxRecorder::Instance().Clear();
    }

    void StartDevice(const std::string& profile)
    {
        ASSERT_TRUE(host.Connected()) << host.Error();
        device = StartTestDevice(host, "tests/wizard_sheet_ui/device", profile, {"--tcp-port", "0"}, 180);
        ASSERT_TRUE(device.error.empty()) << device.error;
    }

    CWizardProgrammingContextPtr TcpContext(bool isRead)
    {
        CWizardProgrammingContextPtr context = boost::make_shared<CWizardProgrammingContext>(nullptr);
        context->isRead = isRead;
        context->comPort = -1;
        context->host = "127.0.0.1";
        context->tcpPort = device.tcpPort;
        context->modbusAddress = 1;
        context->variables[1] = boost::make_shared<CModbusVariable_uint16>(0xE000, "First", "", "", false, 0, 65535, 1);
        context->variables[2] = boost::make_shared<CModbusVariable_uint16>(0xE001, "Second", "", "", false, 0, 65535, 2);
        return context;
    }

    // A sheet of one progress page, played until its run failed: the success text hidden
    // and Finish disabled. Returns the page's list.
    std::vector<std::string> PlayFailedRun(CPropertyPage& page, UINT listId, UINT doneId)
    {
        CPropertySheetDipSwitch sheet("Program Test", nullptr, 0);
        sheet.AddPage(&page);
        sheet.SetWizardMode();
        SheetScript run;
        std::vector<std::string> lines;
        run.WaitFor(
            [&] {
                if (page.GetSafeHwnd() != nullptr)
                    lines = ListBoxLines(::GetDlgItem(page.GetSafeHwnd(), listId));
                return Contains(lines, "If the problem persists, contact Quorvant Technical Support.");
            },
            "the failed run");
        run.Do([&] {
            EXPECT_FALSE(ControlVisible(page.GetSafeHwnd(), doneId));
            EXPECT_FALSE(ControlEnabled(sheet.GetSafeHwnd(), ID_WIZFINISH));
            sheet.PressButton(PSBTN_CANCEL);
        });
        EXPECT_EQ(IDCANCEL, run.Run(sheet));
        EXPECT_TRUE(run.AllDone()) << run.Stuck();
        return lines;
    }

    CWinApp app{"WizardSheetTest"};
    HelpTopics help{app};
    PeerHost host;
    StartedTestDevice device;
    SheetScript script;
};

TEST_F(WizardSheetUi, ConnectionPageListsPortsChecksItsFieldsAndRemembersTheConnection)
{
    WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceTcpPort", 1234);
    CWizardProgrammingContextPtr context = boost::make_shared<CWizardProgrammingContext>(nullptr);
    context->host = "10.1.1.1";
    context->modbusAddress = 3;
    CPropPageWizardRead1 connection(context, IDD_WIZARD_READ_CONNECTION);
    CPropPageWizardProgram1 next(context, IDD_WIZARD_PROGRAM_CONNECTION);
    CPropertySheetDipSwitch sheet("Read Test", nullptr, 0);
    sheet.AddPage(&connection);
    sheet.AddPage(&next);
    sheet.SetWizardMode();
    HWND page = nullptr;

    script.Do([&] {
        page = connection.GetSafeHwnd();
        HWND combo = ::GetDlgItem(page, IDC_WIZARD_PORT);
        const std::vector<std::string> ports = ComboLines(combo);
        ASSERT_FALSE(ports.empty());
        EXPECT_EQ("TCP/IP", ports[0]);
        EXPECT_EQ(0, ::SendMessageA(combo, CB_GETCURSEL, 0, 0));   // comPort -1
        EXPECT_EQ(-1, static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, 0, 0)));
        EXPECT_EQ("10.1.1.1", WindowText(::GetDlgItem(page, IDC_WIZARD_IP_ADDRESS)));
        EXPECT_EQ("502", WindowText(::GetDlgItem(page, IDC_WIZARD_TCP_PORT)));   // -1 shows the default
        EXPECT_EQ("3", WindowText(::GetDlgItem(page, IDC_WIZARD_MODBUS_ADDRESS)));
        EXPECT_TRUE(ControlVisible(page, IDC_WIZARD_IP_ADDRESS));
        EXPECT_TRUE(ControlVisible(page, IDC_WIZARD_TCP_PORT_LABEL));
        EXPECT_FALSE(ControlEnabled(sheet.GetSafeHwnd(), ID_WIZBACK));
        EXPECT_NE("", Screenshot::OfWindow(sheet.GetSafeHwnd()).Save("wizard_sheet_connection_tcp"));
        ::SendMessageA(sheet.GetSafeHwnd(), WM_APP_HELP_REQUEST, 0, 0);
        SetEditText(page, IDC_WIZARD_MODBUS_ADDRESS, "0");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.Do([&] {
        EXPECT_EQ(&connection, sheet.GetActivePage());
        SetEditText(page, IDC_WIZARD_MODBUS_ADDRESS, "248");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.Do([&] {
        EXPECT_EQ(&connection, sheet.GetActivePage());
        SetEditText(page, IDC_WIZARD_MODBUS_ADDRESS, "5");
        SetEditText(page, IDC_WIZARD_IP_ADDRESS, "127.0.0.1");
        SetEditText(page, IDC_WIZARD_TCP_PORT, "65536");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.Do([&] {
        EXPECT_EQ(&connection, sheet.GetActivePage());
        EXPECT_EQ(-1, context->comPort);
        EXPECT_EQ("127.0.0.1", std::string(context->host));   // written before the port was refused
        SetEditText(page, IDC_WIZARD_TCP_PORT, "65535");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.WaitFor([&] { return sheet.GetActivePage() == &next; }, "the second page");
    script.Do([&] {
        EXPECT_EQ(65535, context->tcpPort);
        EXPECT_EQ(5, context->modbusAddress);
        EXPECT_EQ(0xFFFFFFFFu, ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceComPort", 7));
        EXPECT_EQ("127.0.0.1", ReadRegistryString(WIZARD_REGISTRY_KEY, "LastUsedDeviceIp", ""));
        EXPECT_EQ(65535u, ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceTcpPort", 7));
        EXPECT_EQ(5u, ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceModbusAddr", 7));
        sheet.PressButton(PSBTN_BACK);
    });
    script.WaitFor([&] { return sheet.GetActivePage() == &connection; }, "back on the connection page");
    script.Do([&] {
        // A serial port hides the network fields and keeps the host and TCP port.
        SelectComboRow(page, IDC_WIZARD_PORT, 1);
        EXPECT_FALSE(ControlVisible(page, IDC_WIZARD_IP_ADDRESS));
        EXPECT_FALSE(ControlVisible(page, IDC_WIZARD_TCP_PORT));
        EXPECT_FALSE(ControlVisible(page, IDC_WIZARD_IP_LABEL));
        EXPECT_NE("", Screenshot::OfWindow(sheet.GetSafeHwnd()).Save("wizard_sheet_connection_serial"));
        sheet.PressButton(PSBTN_NEXT);
    });
    script.WaitFor([&] { return sheet.GetActivePage() == &next; }, "the second page again");
    script.Do([&] {
        HWND combo = ::GetDlgItem(page, IDC_WIZARD_PORT);
        EXPECT_EQ(static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, 1, 0)), context->comPort);
        EXPECT_EQ(65535, context->tcpPort);
        sheet.PressButton(PSBTN_BACK);
    });
    script.WaitFor([&] { return sheet.GetActivePage() == &connection; }, "back once more");
    script.Do([&] {
        // Port 0 is taken but not remembered.
        SelectComboRow(page, IDC_WIZARD_PORT, 0);
        EXPECT_TRUE(ControlVisible(page, IDC_WIZARD_IP_ADDRESS));
        SetEditText(page, IDC_WIZARD_TCP_PORT, "0");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.WaitFor([&] { return sheet.GetActivePage() == &next; }, "the second page with port 0");
    script.Do([&] {
        EXPECT_EQ(0, context->tcpPort);
        EXPECT_EQ(65535u, ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceTcpPort", 7));
        // The port list itself: listed ports by friendly name and number (a name without a
        // digit is left out); the COM1-COM32 fallback; no matching entry selects the first.
        CComboBox& combo = *static_cast<CComboBox*>(CWnd::FromHandle(::GetDlgItem(page, IDC_WIZARD_PORT)));
        std::vector<SerialPortInfo_t> ports(3);
        ports[0].portName = "COM3";
        ports[0].friendlyName = "Three";
        ports[1].portName = "COM17";
        ports[1].friendlyName = "USB serial (COM17)";
        ports[2].portName = "LPT";
        ports[2].friendlyName = "Printer";
        FillPortEntries(combo, ports, true);
        EXPECT_EQ(std::vector<std::string>({"TCP/IP", "Three", "USB serial (COM17)"}), ComboLines(combo.GetSafeHwnd()));
        EXPECT_EQ(17, static_cast<int>(static_cast<INT_PTR>(combo.GetItemData(2))));
        SelectPortEntry(combo, 17);
        EXPECT_EQ(2, combo.GetCurSel());
        SelectPortEntry(combo, 9);
        EXPECT_EQ(0, combo.GetCurSel());
        FillPortEntries(combo, {}, false);
        const std::vector<std::string> fallback = ComboLines(combo.GetSafeHwnd());
        ASSERT_EQ(33u, fallback.size());
        EXPECT_EQ("COM1", fallback[1]);
        EXPECT_EQ("COM32", fallback[32]);
        EXPECT_EQ(32, static_cast<int>(static_cast<INT_PTR>(combo.GetItemData(32))));
        sheet.PressButton(PSBTN_CANCEL);
    });
    EXPECT_EQ(IDCANCEL, script.Run(sheet));
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(std::vector<UINT>({IDD_WIZARD_READ_CONNECTION}), help.Popups());
    EXPECT_EQ(std::vector<std::string>({"Error: Modbus address must be between 1 and 247.",
                                        "Error: Modbus address must be between 1 and 247.",
                                        "Error: invalid TCP port given (must be between 0 and 65535)."}),
              BoxTexts());
}

TEST_F(WizardSheetUi, ProgressPageShowsARunToItsEndAndHelpAddsNoLine)
{
    StartDevice(R"({"units": {"1": {"holding": {"0xE000": [41, 42]}, "input": "holding"}}})");
    CWizardProgrammingContextPtr context = TcpContext(true);
    CPropPageWizardRead1 connection(context, IDD_WIZARD_READ_CONNECTION);
    CPropPageWizardProgram2 progress(context);
    CPropertySheetDipSwitch sheet("Read Test", nullptr, 0);
    sheet.AddPage(&connection);
    sheet.AddPage(&progress);
    sheet.SetWizardMode();
    auto lines = [&] { return ListBoxLines(::GetDlgItem(progress.GetSafeHwnd(), IDC_WIZARD_PROGRESS_LIST)); };

    script.Do([&] { sheet.PressButton(PSBTN_NEXT); });
    script.WaitFor([&] { return progress.GetSafeHwnd() != nullptr && Contains(lines(), "Finished."); }, "the read");
    script.Do([&] {
        // Help on the progress page during or after a run adds nothing to the list.
        ::SendMessageA(sheet.GetSafeHwnd(), WM_APP_HELP_REQUEST, 0, 0);
    });
    script.WaitFor([&] { return Contains(lines(), "Quorvant device reading completed successfully."); }, "done");
    script.Do([&] {
        HWND page = progress.GetSafeHwnd();
        EXPECT_EQ(std::vector<std::string>({"Connecting to control...", "Reading configuration from device.  Please wait.",
                                            "Finished.", "", "Quorvant device reading completed successfully."}),
                  lines());
        EXPECT_EQ("Reading Quorvant device configuration.", WindowText(::GetDlgItem(page, IDC_WIZARD_PROGRESS_TITLE)));
        EXPECT_EQ(100, ::SendMessageA(::GetDlgItem(page, IDC_WIZARD_PROGRESS_BAR), PBM_GETPOS, 0, 0));
        EXPECT_FALSE(ControlEnabled(sheet.GetSafeHwnd(), IDCANCEL));
        EXPECT_TRUE(ControlEnabled(sheet.GetSafeHwnd(), ID_WIZFINISH));
        // A read wrote nothing: "...successfully programmed." is not said.
        EXPECT_FALSE(ControlVisible(page, IDC_WIZARD_PROGRESS_DONE));
        EXPECT_EQ("Finish", WindowText(::GetDlgItem(sheet.GetSafeHwnd(), ID_WIZFINISH)));
        EXPECT_NE("", Screenshot::OfWindow(sheet.GetSafeHwnd()).Save("wizard_sheet_progress_done"));

        // The list drops its oldest line past 1,025 lines; a line of 511 characters (512
        // bytes with its NUL) is not shown, one of 510 is.
        for (int i = 0; i < 1100; ++i)
            PostProgrammingText(page, ("line " + std::to_string(i)).c_str());
        PostProgrammingText(page, std::string(511, 'x').c_str());
        PostProgrammingText(page, std::string(510, 'y').c_str());
        ::PostMessageA(page, WM_APP_PROG_TEXT, 0, 5);   // a null buffer is ignored
    });
    script.WaitFor([&] { return !lines().empty() && lines().back() == std::string(510, 'y'); }, "the posted lines");
    script.Do([&] {
        const std::vector<std::string> all = lines();
        EXPECT_EQ(1025u, all.size());
        EXPECT_EQ("line 1099", all[all.size() - 2]);
        EXPECT_FALSE(Contains(all, std::string(511, 'x')));
        sheet.PressButton(PSBTN_FINISH);
    });
    EXPECT_EQ(ID_WIZFINISH, script.Run(sheet));
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(std::vector<UINT>({IDD_WIZARD_PROGRESS}), help.Popups());
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ("41", context->variables[1]->ToString());
    EXPECT_EQ("42", context->variables[2]->ToString());
}

// A program sheet of the newer pages: the connection page and the progress page.
struct ProgramSheet
{
    explicit ProgramSheet(const CWizardProgrammingContextPtr& context)
        : connection(context, IDD_WIZARD_PROGRAM_CONNECTION), progress(context), sheet("Program Test", nullptr, 0)
    {
        sheet.AddPage(&connection);
        sheet.AddPage(&progress);
        sheet.SetWizardMode();
    }
    std::vector<std::string> Lines() const
    {
        return ListBoxLines(::GetDlgItem(progress.GetSafeHwnd(), IDC_WIZARD_PROGRESS_LIST));
    }

    CPropPageWizardProgram1 connection;
    CPropPageWizardProgram2 progress;
    CPropertySheetDipSwitch sheet;
};

TEST_F(WizardSheetUi, TheSuccessTextStandsOnlyAfterAProgrammingRunEndedWell)
{
    // Every write takes two seconds, so that the run can be seen while it goes.
    StartDevice(R"({"units": {"1": {"holding": {"0xE000": [0, 0]}, "input": "holding", "faults": [
        {"kind": "delay", "function": 6, "seconds": 2.0}]}}})");
    CWizardProgrammingContextPtr context = TcpContext(false);
    ProgramSheet program(context);
    CPropPageWizardProgram2& progress = program.progress;
    CPropertySheetDipSwitch& sheet = program.sheet;
    auto lines = [&] { return program.Lines(); };
    auto doneShown = [&] { return ControlVisible(progress.GetSafeHwnd(), IDC_WIZARD_PROGRESS_DONE); };
    const std::string going = "Programming Quorvant device.  Please wait.";
    const std::string ended = "Quorvant device programming completed successfully.";

    script.Do([&] { sheet.PressButton(PSBTN_NEXT); });
    script.WaitFor([&] { return progress.GetSafeHwnd() != nullptr && Contains(lines(), going); }, "the run going");
    script.Do([&] {
        EXPECT_FALSE(Contains(lines(), ended)) << "a write takes two seconds: the run is still going";
        EXPECT_FALSE(doneShown());
    });
    script.WaitFor([&] { return Contains(lines(), ended); }, "the run ended");
    script.Do([&] {
        EXPECT_TRUE(doneShown());
        EXPECT_NE("", Screenshot::OfWindow(sheet.GetSafeHwnd()).Save("wizard_sheet_programmed"));
    });
    script.Do([&] { sheet.PressButton(PSBTN_FINISH); });
    EXPECT_EQ(ID_WIZFINISH, script.Run(sheet));
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(WizardSheetUi, FailuresShowTheirLinesAndBoxAndBackStopsARun)
{
    // Writes are refused with exception 1 (read-only over Ethernet); reads of 0xE001 take
    // three seconds.
    StartDevice(R"({"units": {"1": {"holding": {"0xE000": [1, 2]}, "input": "holding", "faults": [
        {"kind": "exception", "code": 1, "function": 6},
        {"kind": "delay", "function": 4, "seconds": 3.0}]}}})");
    CWizardProgrammingContextPtr context = TcpContext(false);
    context->deviceText = "Varnix MPPT";
    ProgramSheet program(context);
    CPropPageWizardProgram1& connection = program.connection;
    CPropPageWizardProgram2& progress = program.progress;
    CPropertySheetDipSwitch& sheet = program.sheet;
    auto lines = [&] { return program.Lines(); };

    script.Do([&] { sheet.PressButton(PSBTN_NEXT); });
    script.WaitFor([&] { return progress.GetSafeHwnd() != nullptr && lines().size() >= 6; }, "the refused write");
    script.Do([&] {
        EXPECT_EQ(std::vector<std::string>(
                      {"Connecting to control...", "Programming Varnix MPPT.  Please wait.",
                       "* Error: control refused the Modbus write request with exception code 1 (illegal function).",
                       "Stopped at First (register 0xe000): 0 of 2 writes confirmed.", "Unable to program the Varnix MPPT.",
                       "Control appears to be in read-only mode via Ethernet."}),
                  lines());
        EXPECT_EQ("Writing Varnix MPPT configuration.",
                  WindowText(::GetDlgItem(progress.GetSafeHwnd(), IDC_WIZARD_PROGRESS_TITLE)));
        EXPECT_TRUE(ControlEnabled(sheet.GetSafeHwnd(), ID_WIZBACK));
        EXPECT_TRUE(ControlEnabled(sheet.GetSafeHwnd(), IDCANCEL));
        EXPECT_FALSE(ControlVisible(progress.GetSafeHwnd(), IDC_WIZARD_PROGRESS_DONE));
        EXPECT_NE("", Screenshot::OfWindow(sheet.GetSafeHwnd()).Save("wizard_sheet_progress_failed"));
        sheet.PressButton(PSBTN_BACK);
    });
    script.WaitFor([&] { return sheet.GetActivePage() == &connection; }, "back after the failure");
    script.Do([&] {
        // A read that cannot get its registers: the restart lines and box instead.
        context->isRead = true;
        context->variables[3] = boost::make_shared<CModbusVariable_uint16>(0xE007, "Missing", "", "", false, 0, 9, 0);
        sheet.PressButton(PSBTN_NEXT);
    });
    script.WaitFor([&] { return Contains(lines(), "If the problem persists, contact Quorvant Technical Support."); },
                   "the failed read");
    script.Do([&] {
        const std::vector<std::string> all = lines();
        ASSERT_EQ(7u, all.size());
        EXPECT_EQ("Stopped at Missing (register 0xe007): 2 of 3 registers read.", all[3]);
        EXPECT_EQ("Unable to read the configuration of the Varnix MPPT.", all[4]);
        EXPECT_EQ("Please restart the program and try again.", all[5]);
        sheet.PressButton(PSBTN_BACK);
    });
    script.WaitFor([&] { return sheet.GetActivePage() == &connection; }, "back after the read");
    script.Do([&] {
        // A slow read, left with Back while it runs: the thread ends by itself.
        context->variables.erase(3);
        sheet.PressButton(PSBTN_NEXT);
    });
    script.WaitFor([&] { return Contains(lines(), "Reading configuration from device.  Please wait."); }, "the slow read");
    script.Do([&] { sheet.PressButton(PSBTN_BACK); });
    script.WaitFor([&] { return sheet.GetActivePage() == &connection; }, "back during the read");
    script.Do([&] {
        ASSERT_NE(nullptr, progress.GetThread());
        EXPECT_FALSE(progress.GetThread()->IsRunning());
        EXPECT_TRUE(progress.GetThread()->EndedWithoutTermination());
        sheet.PressButton(PSBTN_CANCEL);
    });
    EXPECT_EQ(IDCANCEL, script.Run(sheet));
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(std::vector<std::string>(
                  {"Error: it appears the Varnix MPPT has writes via Ethernet\ndisabled with its security DIP switch.  "
                   "Please see the\nproduct documentation about changing the security switch.",
                   "Error: Unable to read the configuration of the Varnix MPPT.\nPlease restart the program and try "
                   "again.  If the problem\npersists, contact Quorvant Technical Support."}),
              BoxTexts());
}

// A read sheet of the older wizards: the connection page and the Corandel Duo progress page.
struct OlderReadSheet
{
    OlderReadSheet(CStorageVarnixConfig& settings, int tcpPort)
        : context(nullptr), connection(IDD_OLDER_READ_CONNECTION, &context, &settings, false),
          progress(CORANDEL_DUO_PROGRESS_PAGE, MakeCorandelDuoProgThread, &context, &settings),
          sheet("Read CRD", nullptr, 0)
    {
        context.isRead = true;
        context.modbusAddress = 1;
        context.tcpPort = tcpPort;
        sheet.AddPage(&connection);
        sheet.AddPage(&progress);
        sheet.SetWizardMode();
    }
    HWND List() const { return ::GetDlgItem(progress.GetSafeHwnd(), IDC_WIZARD_PROGRESS_LIST); }

    CVarnixWizardProgContext context;
    CPropPageRegisterListConnection connection;
    CPropPageRegisterListProgress progress;
    CPropertySheetDipSwitch sheet;
};

TEST_F(WizardSheetUi, OlderWizardPagesBuildTheRegisterListAndReadIntoTheSettings)
{
    CStorageVarnixConfig settings(1);
    std::string words;
    for (int i = 0; i < settings.GetRowCount(); ++i)
        words += std::string(i ? ", " : "") + "\"" + std::to_string(settings.GetRowAtConst(i)->registerAddress) +
                 "\": " + std::to_string(60 + i);
    StartDevice("{\"units\": {\"1\": {\"holding\": {" + words + "}, \"input\": \"holding\"}}}");
    OlderReadSheet older(settings, device.tcpPort);
    CVarnixWizardProgContext& context = older.context;
    CPropPageRegisterListConnection& connection = older.connection;
    CPropPageRegisterListProgress& progress = older.progress;
    CPropertySheetDipSwitch& sheet = older.sheet;
    context.comPort = 5;
    auto lines = [&] { return ListBoxLines(older.List()); };

    script.Do([&] {
        HWND page = connection.GetSafeHwnd();
        const std::vector<std::string> ports = ComboLines(::GetDlgItem(page, IDC_WIZARD_PORT));
        ASSERT_EQ(33u, ports.size());
        EXPECT_EQ("COM 1", ports[1]);
        EXPECT_EQ(5, ::SendMessageA(::GetDlgItem(page, IDC_WIZARD_PORT), CB_GETCURSEL, 0, 0));
        EXPECT_FALSE(ControlVisible(page, IDC_WIZARD_SETTINGS_GROUP));
        EXPECT_FALSE(ControlVisible(page, IDC_WIZARD_SETTINGS_LIGHTING));
        EXPECT_FALSE(ControlVisible(page, IDC_WIZARD_IP_ADDRESS));
        SetEditText(page, IDC_WIZARD_MODBUS_ADDRESS, "0");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.Do([&] {
        HWND page = connection.GetSafeHwnd();
        EXPECT_EQ(&connection, sheet.GetActivePage());
        SetEditText(page, IDC_WIZARD_MODBUS_ADDRESS, "1");
        SelectComboRow(page, IDC_WIZARD_PORT, 0);
        SetEditText(page, IDC_WIZARD_IP_ADDRESS, "127.0.0.1");
        sheet.PressButton(PSBTN_NEXT);
    });
    std::vector<std::string> seen;
    script.WaitFor(
        [&] {
            if (progress.GetSafeHwnd() != nullptr)
                seen = lines();
            return Contains(seen, "Corandel Duo reading completed successfully.");
        },
        "the read of every row");
    script.Do([&] {
        EXPECT_EQ("Reading Corandel Duo configuration.",
                  WindowText(::GetDlgItem(progress.GetSafeHwnd(), IDC_WIZARD_PROGRESS_TITLE)));
        EXPECT_FALSE(ControlVisible(progress.GetSafeHwnd(), IDC_WIZARD_PROGRESS_DONE));
        EXPECT_FALSE(ControlEnabled(sheet.GetSafeHwnd(), IDCANCEL));
        EXPECT_NE("", Screenshot::OfWindow(sheet.GetSafeHwnd()).Save("wizard_sheet_older_progress_done"));
        sheet.PressButton(PSBTN_FINISH);
    });
    EXPECT_EQ(ID_WIZFINISH, script.Run(sheet));
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(std::vector<std::string>({"Error: MODBUS address must be between 1 and 247."}), BoxTexts());
    EXPECT_EQ(static_cast<size_t>(settings.GetRowCount()), context.registers.size());
    for (int i = 0; i < settings.GetRowCount(); ++i)
        EXPECT_EQ(60 + i, settings.GetEntryValue(i)) << i;
    EXPECT_EQ(-1, LastWizardConnection().comPort);
    EXPECT_EQ("127.0.0.1", std::string(LastWizardConnection().host));
}

TEST_F(WizardSheetUi, ProgressListsShowTheThreadsLinesWithoutTheirLineEnds)
{
    // No register answers: the run fails at its first.
    StartDevice(R"({"units": {"1": {"holding": {}, "input": "holding"}}})");
    CStorageVarnixConfig settings(1);
    OlderReadSheet older(settings, device.tcpPort);
    CPropPageRegisterListConnection& connection = older.connection;
    CPropPageRegisterListProgress& progress = older.progress;
    CPropertySheetDipSwitch& sheet = older.sheet;
    auto list = [&] { return older.List(); };
    const std::string failure =
        "* Error: control refused the Modbus read request with exception code 2 (illegal data address).";

    script.Do([&] {
        HWND page = connection.GetSafeHwnd();
        SelectComboRow(page, IDC_WIZARD_PORT, 0);
        SetEditText(page, IDC_WIZARD_IP_ADDRESS, "127.0.0.1");
        SetEditText(page, IDC_WIZARD_MODBUS_ADDRESS, "1");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.WaitFor(
        [&] {
            return progress.GetSafeHwnd() != nullptr &&
                   Contains(ListBoxLines(list()), "If the problem persists, contact Quorvant Technical Support.");
        },
        "the failed read");
    script.Do([&] {
        // The lines as a thread may post them: closed by CR LF, two lines in one text, a
        // bare line feed and a carriage return alone.
        HWND page = progress.GetSafeHwnd();
        PostProgrammingText(page, "ends in CR LF\r\n");
        PostProgrammingText(page, "first of two\nsecond of two\n");
        PostProgrammingText(page, "\n");
        PostProgrammingText(page, "carriage return\r");
        PostProgrammingText(page, "last");
    });
    script.WaitFor([&] { return !ListBoxLines(list()).empty() && ListBoxLines(list()).back() == "last"; },
                   "the posted lines");
    script.Do([&] {
        const std::vector<std::string> lines = ListBoxLines(list());
        ASSERT_GE(lines.size(), 7u);
        EXPECT_EQ(1, std::count(lines.begin(), lines.end(), failure)) << testing::PrintToString(lines);
        EXPECT_EQ(std::vector<std::string>(
                      {"ends in CR LF", "first of two", "second of two", "", "carriage return", "last"}),
                  std::vector<std::string>(lines.end() - 6, lines.end()));
        for (const std::string& line : lines)
            EXPECT_EQ(std::string::npos, line.find_first_of("\r\n")) << line;
        // What the list copies to the clipboard: the lines joined by single CR LFs.
        CListBoxClipboard* clipboardList = dynamic_cast<CListBoxClipboard*>(CWnd::FromHandlePermanent(list()));
        ASSERT_NE(nullptr, clipboardList);
        const std::string all = clipboardList->GetAllText().StdString();
        EXPECT_NE(std::string::npos, all.find(failure + "\r\n"));
        EXPECT_NE(std::string::npos, all.find("ends in CR LF\r\nfirst of two\r\nsecond of two\r\n\r\ncarriage return\r\nlast"))
            << all;
        EXPECT_NE("", Screenshot::OfWindow(sheet.GetSafeHwnd()).Save("wizard_sheet_progress_line_ends"));
        sheet.PressButton(PSBTN_CANCEL);
    });
    EXPECT_EQ(IDCANCEL, script.Run(sheet));
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(std::vector<std::string>({"Error: Unable to read the configuration of the Corandel Duo.\nPlease restart "
                                        "the program and try again.  If the problem\npersists, contact Quorvant "
                                        "Technical Support."}),
              BoxTexts());
}

// The rows of a register-list wizard's settings as a device profile of unit 1.
std::string RowsProfile(const CStorageVarnixConfig& settings, const std::string& faults)
{
    std::string holding;
    for (int i = 0; i < settings.GetRowCount(); ++i)
        holding += std::string(i ? ", " : "") + "\"" + std::to_string(settings.GetRowAtConst(i)->registerAddress) +
                   "\": " + std::to_string(settings.GetRowAtConst(i)->RawToWord());
    return "{\"units\": {\"1\": {\"input\": \"holding\", \"holding\": {" + holding + "}, \"faults\": " + faults + "}}}";
}

// Every wizard family's progress page on a program run whose controller resets the
// connection after some of its writes: the page ends with the reason, the register the run
// stopped at and how many of how many writes were made, then the failure lines, and never
// says "...completed successfully" nor shows the success text.
TEST_F(WizardSheetUi, EveryFamilysPageShowsARunThatLostItsControllerAsFailed)
{
    ASSERT_TRUE(host.Connected()) << host.Error();
    const auto lostAfter = [](int writes) {
        return "[{\"kind\": \"reset\", \"after_writes\": " + std::to_string(writes) + "}]";
    };
    // The program sheet of one progress page, played until its run failed.
    const auto runPage = [&](const std::string& family, CPropertyPage& page, UINT listId, UINT doneId,
                             const std::string& device, int writes, int total) {
        SCOPED_TRACE(family);
        const std::vector<std::string> lines = PlayFailedRun(page, listId, doneId);
        ASSERT_GE(lines.size(), 5u);
        const std::vector<std::string> last(lines.end() - 5, lines.end());
        EXPECT_EQ("* Error: the connection was closed during the Modbus write request.", last[0]);
        const std::string count = ": " + std::to_string(writes) + " of " + std::to_string(total) + " writes confirmed.";
        EXPECT_EQ(0u, last[1].find("Stopped at ")) << last[1];
        EXPECT_EQ(last[1].size() - count.size(), last[1].rfind(count)) << last[1];
        EXPECT_EQ("Unable to program the " + device + ".", last[2]);
        for (const std::string& line : lines)
            EXPECT_TRUE(line.find("successfully") == std::string::npos && line != "Finished.") << line;
        for (const std::string& line : last)
            std::printf("%s: %s\n", family.c_str(), line.c_str());
    };
    // One device at a time: the family's controller.
    const auto startDevice = [&](const std::string& profile) {
        if (device.id != 0)
            host.Stop(device.id);
        StartDevice(profile);
        return device.tcpPort;
    };

    // The two MPPT families, lost in their optional (60-amp) set.
    const auto mpptFamily = [&](const std::string& family, const auto& settings, int writes) {
        const mppt_device::RegisterMap registers = mppt_device::RegistersOf(settings, false);
        mppt_device::ProfileOptions options;
        options.faults = lostAfter(writes);
        const std::string profile = mppt_device::Profile(registers, options);
        CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
        context->comPort = -1;
        context->host = "127.0.0.1";
        context->tcpPort = startDevice(profile);
        context->modbusAddress = 1;
        FillMpptProgramContext(settings, *context);
        CPropPageWizardProgram2 page(context);
        runPage(family, page, IDC_WIZARD_PROGRESS_LIST, IDC_WIZARD_PROGRESS_DONE, "Varnix MPPT", writes,
                static_cast<int>(registers.size()));
    };
    mpptFamily("Varnix MPPT", mppt_device::DeviceSettings<CVarnixMpptSettings>(), 109);
    mpptFamily("Varnix HV MPPT", mppt_device::DeviceSettings<CVarnixHvMpptSettings>(), 150);

    // The register-list families, through the register list their connection page makes.
    const auto registerListFamily = [&](const std::string& family, CStorageVarnixConfig& settings,
                                        const OlderProgressPage_t& texts,
                                        CPropPageRegisterListProgress::ThreadFactory_t makeThread) {
        const std::string profile = RowsProfile(settings, lostAfter(10));
        CVarnixWizardProgContext context(nullptr);
        context.comPort = -1;
        context.host = "127.0.0.1";
        context.tcpPort = startDevice(profile);
        context.modbusAddress = 1;
        FillRegisterList(settings, false, context.registers, &context.registerNames);
        CPropPageRegisterListProgress page(texts, makeThread, &context, &settings);
        runPage(family, page, IDC_WIZARD_PROGRESS_LIST, IDC_WIZARD_PROGRESS_DONE, texts.failureName, 10,
                static_cast<int>(context.registers.size()));
    };
    CVarnixSettings varnix;
    registerListFamily("Varnix", varnix, VARNIX_PROGRESS_PAGE, MakeVarnixProgThread);
    CCorandelSettings duo;
    registerListFamily("Corandel Duo", duo, CORANDEL_DUO_PROGRESS_PAGE, MakeCorandelDuoProgThread);
    CMpptSettings corandelMppt;
    registerListFamily("Corandel MPPT", corandelMppt, CORANDEL_MPPT_PROGRESS_PAGE, MakeCorandelMpptProgThread);

    // The Ostrel: channel 1 an Alarm/Fault on a Varnix (the function codes, then 14
    // registers of its block).
    CRelayProgContext relay(nullptr, nullptr);
    relay.channels[0].SetFunctionCode(RELAY_FUNCTION_ALARM);
    relay.channels[0].SetControlDevice(0, 2);
    relay.channels[0].SetAlarmSelected(1, true);
    std::string words;
    for (int n = 0; n < 2 + RELAY_CHANNEL_COUNT * RELAY_BLOCK_REGISTERS; ++n)
        words += n ? ", 0" : "0";
    const std::string profile =
        "{\"units\": {\"1\": {\"input\": \"holding\", \"holding\": {\"0xE002\": [" + words + "]}, \"faults\": " +
        lostAfter(5) + "}}}";
    relay.comPort = -1;
    relay.host = "127.0.0.1";
    relay.tcpPort = startDevice(profile);
    relay.modbusAddress = 1;
    CPropPageRelayProgProgress relayPage(&relay);
    runPage("Ostrel", relayPage, IDC_RELAY_PROGRESS_LIST, IDC_RELAY_PROGRESS_DONE, "ostrel", 5, 16);

    EXPECT_EQ(6u, BoxTexts().size());
}

// Both MPPT families' progress page on a program run whose controller refuses one write of
// the optional (60-amp) set after its first with exception 2: a failed run with the
// setting refused and the writes confirmed, never a 45-amp model, the error box as for any
// failure; a refusal of the set's first write is such a model and ends well.
TEST_F(WizardSheetUi, AnOptionalSetRefusedAfterItsFirstWriteShowsAsFailed)
{
    ASSERT_TRUE(host.Connected()) << host.Error();
    const auto programPage = [&](const mppt_device::RegisterMap& registers, int refusedWrite) {
        mppt_device::ProfileOptions options;
        options.faults = "[{\"kind\": \"exception\", \"code\": 2, \"function\": 6, \"after_writes\": " +
                         std::to_string(refusedWrite) + "}]";
        if (device.id != 0)
            host.Stop(device.id);
        StartDevice(mppt_device::Profile(registers, options));
        CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
        context->comPort = -1;
        context->host = "127.0.0.1";
        context->tcpPort = device.tcpPort;
        context->modbusAddress = 1;
        return context;
    };
    const auto family = [&](const std::string& name, const auto& settings) {
        SCOPED_TRACE(name);
        const mppt_device::RegisterMap registers = mppt_device::RegistersOf(settings, false);
        const int required = static_cast<int>(mppt_device::RunRequests(registers, false, true).size());
        const std::vector<mppt_device::RunRequest_t> optional = mppt_device::RunRequests(registers, false, false);
        const size_t boxes = BoxTexts().size();

        const int middle = static_cast<int>(optional.size() / 2);
        CWizardProgrammingContextPtr context = programPage(registers, required + middle);
        FillMpptProgramContext(settings, *context);
        CPropPageWizardProgram2 page(context);
        const std::vector<std::string> lines = PlayFailedRun(page, IDC_WIZARD_PROGRESS_LIST, IDC_WIZARD_PROGRESS_DONE);
        ASSERT_GE(lines.size(), 5u);
        char stopped[64];
        std::snprintf(stopped, sizeof stopped, " (register 0x%04x): %d of %d writes confirmed.", optional[middle].address,
                      required + middle, static_cast<int>(registers.size()));
        const std::vector<std::string> last(lines.end() - 5, lines.end());
        EXPECT_EQ("* Error: control refused the Modbus write request with exception code 2 (illegal data address).",
                  last[0]);
        EXPECT_EQ(0u, last[1].find("Stopped at ")) << last[1];
        EXPECT_EQ(last[1].size() - std::strlen(stopped), last[1].rfind(stopped)) << last[1];
        EXPECT_EQ("Unable to program the Varnix MPPT.", last[2]);
        for (const std::string& line : lines)
            EXPECT_TRUE(line.find("VX-MPPT-45") == std::string::npos && line.find("successfully") == std::string::npos &&
                        line != "Finished.")
                << line;
        for (const std::string& line : last)
            std::printf("%s: %s\n", name.c_str(), line.c_str());
        ASSERT_EQ(boxes + 1, BoxTexts().size());
        EXPECT_EQ("Error: Unable to program the Varnix MPPT.\nPlease restart the program and try again.  If the "
                  "problem\npersists, contact Quorvant Technical Support.",
                  BoxTexts().back());

        // Refused at the set's first write: a model without the set, the run ends well.
        CWizardProgrammingContextPtr small = programPage(registers, required);
        FillMpptProgramContext(settings, *small);
        ProgramSheet program(small);
        SheetScript wellEnded;
        wellEnded.Do([&] { program.sheet.PressButton(PSBTN_NEXT); });
        wellEnded.WaitFor([&] { return program.progress.GetSafeHwnd() != nullptr &&
                                    Contains(program.Lines(), "Varnix MPPT programming completed successfully."); },
                       "the run without the set");
        wellEnded.Do([&] {
            EXPECT_TRUE(Contains(program.Lines(), "The control appears to be a VX-MPPT-45; 60-amp settings not written."));
            EXPECT_TRUE(ControlVisible(program.progress.GetSafeHwnd(), IDC_WIZARD_PROGRESS_DONE));
            program.sheet.PressButton(PSBTN_FINISH);
        });
        EXPECT_EQ(ID_WIZFINISH, wellEnded.Run(program.sheet));
        EXPECT_TRUE(wellEnded.AllDone()) << wellEnded.Stuck();
        EXPECT_EQ(boxes + 1, BoxTexts().size());
    };
    family("Varnix MPPT", mppt_device::DeviceSettings<CVarnixMpptSettings>());
    family("Varnix HV MPPT", mppt_device::DeviceSettings<CVarnixHvMpptSettings>());
}

} // namespace
