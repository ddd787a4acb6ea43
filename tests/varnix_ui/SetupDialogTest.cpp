// The Varnix and Varnix MPPT setup dialogs as a user works with them: their summary,
// setpoint files through the real file dialogs, the setup wizard on new or current
// setpoints, reading and programming a controller through the read and program wizards
// (the test device on loopback TCP or a pty), the unsaved-changes questions, the printed
// summary through the print seam, the warnings and the last connection's registry values.
#include <gtest/gtest.h>

#include "documents/RegistryHelpers.h"
#include "framework/CMemFile.h"
#include "framework/CPropertySheet.h"
#include "res/pyraxis_varnix_resource.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/SummaryPrinting.h"
#include "tests/support/FileText.h"
#include "tests/support/HelpTopics.h"
#include "tests/support/MpptDeviceProfile.h"
#include "tests/support/PeerHost.h"
#include "tests/support/Polling.h"
#include "tests/support/RunFixtures.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"
#include "tests/support/WindowTest.h"
#include "tests/varnix_ui/SheetPlayer.h"
#include "wizards/framework/WizardConnection.h"
#include "wizards/varnix/CDialogMpptSetup.h"
#include "wizards/varnix/CDialogVarnixSetup.h"
#include "wizards/varnix/MpptProgrammingContext.h"

#include <commctrl.h>

#include <boost/make_shared.hpp>

#include <map>
#include <sstream>
#include <string>
#include <vector>

using testing_support::LastBox;
using testing_support::Recorder;
using varnix_ui::SheetPlayer;
using varnix_ui::WindowText;

namespace
{
const char* const SETUP_TITLE = "Custom Setpoints Summary";

// A printer made of a bitmap: counts the pages and whether anything was drawn on them.
class BitmapPrinter : public CSummaryPrintTarget
{
public:
    HDC ChoosePrinter() override
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = WIDTH;
        info.bmiHeader.biHeight = -HEIGHT;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pixels), nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        return m_dc;
    }
    RECT GetPageRect(HDC) override { return RECT{0, 0, WIDTH, HEIGHT}; }
    int StartJob(HDC, const char* jobName) override
    {
        jobs.push_back(jobName);
        return 1;
    }
    int StartPage(HDC) override
    {
        std::fill(m_pixels, m_pixels + WIDTH * HEIGHT, 0x00FFFFFFu);
        return 1;
    }
    int EndPage(HDC) override
    {
        ::GdiFlush();
        inkedPages += std::count_if(m_pixels, m_pixels + WIDTH * HEIGHT,
                                    [](DWORD pixel) { return (pixel & 0xFFFFFF) != 0xFFFFFF; }) > 0;
        ++pages;
        return 1;
    }
    int EndJob(HDC) override { return 1; }
    int AbortJob(HDC) override { return 1; }
    void ReleasePrinter(HDC dc) override
    {
        ::SelectObject(dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(dc);
    }

    std::vector<std::string> jobs;
    int pages = 0;
    int inkedPages = 0;

private:
    static const int WIDTH = 800;
    static const int HEIGHT = 1000;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_pixels = nullptr;
};

int ListRows(HWND dialog)
{
    return static_cast<int>(::SendDlgItemMessageA(dialog, IDC_SETUP_LIST, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListCell(HWND dialog, int row, int column)
{
    char text[256] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendDlgItemMessageA(dialog, IDC_SETUP_LIST, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> Columns(HWND dialog)
{
    std::vector<std::string> columns;
    for (int column = 0; column < 8; ++column)
    {
        char text[64] = {};
        LVCOLUMNA info = {};
        info.mask = LVCF_TEXT;
        info.pszText = text;
        info.cchTextMax = sizeof text;
        if (!::SendDlgItemMessageA(dialog, IDC_SETUP_LIST, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                                   reinterpret_cast<LPARAM>(&info)))
            break;
        columns.push_back(text);
    }
    return columns;
}

// The row of a setting name, -1 when the list does not show it.
int FindRow(HWND dialog, const std::string& name)
{
    for (int row = 0; row < ListRows(dialog); ++row)
        if (ListCell(dialog, row, 0) == name)
            return row;
    return -1;
}

std::string Statics(SheetPlayer& dialog)
{
    return dialog.Text(IDC_SETUP_MODE) + " / " + dialog.Text(IDC_SETUP_MODBUS_ADDRESS) + " / " +
           dialog.Text(IDC_SETUP_SKELDER_ADDRESS);
}

// Plays a nested wizard the dialog opened and waits for it to end.
void PlayWizard(SheetPlayer& dialog, const std::function<void(SheetPlayer&)>& script)
{
    SheetPlayer wizard(varnix_ui::kWizardSheet, script, dialog.UiThread());
    if (!wizard.Finished())
        dialog.Note("wizard not finished");
    for (const std::string& line : wizard.Log())
        dialog.Note("  " + line);
}

// Unit 1 of the test device on a loopback TCP port.
// No exchange of the run timed out: the test device answered every request.
void ExpectNoTimeout(const SheetPlayer& player)
{
    for (const std::string& line : player.Log())
        EXPECT_EQ(std::string::npos, line.find("timeout")) << line;
}

boost::shared_ptr<ModbusEndpoint_t> LoopbackController(int port)
{
    boost::shared_ptr<ModbusEndpoint_t> endpoint = boost::make_shared<ModbusEndpoint_t>();
    endpoint->network = true;
    endpoint->host = "127.0.0.1";
    endpoint->port = port;
    endpoint->unitId = 1;
    return endpoint;
}

class SetupDialogs : public testing_support::WindowTest
{
protected:
    SetupDialogs() : WindowTest("SetupDialogsTest") {}
    void SetUp() override
    {
        WindowTest::SetUp();
        wizard_runs::UseBuildTreeDevicesXml();
        m_folder = testing_support::BuildPath("tests/varnix_ui/files-" + testing_support::ProcessTag());
        ASSERT_TRUE(testing_support::EnsureDirectory(m_folder));
        m_previousPrinter = SetSummaryPrintTarget(&m_printer);
    }
    void TearDown() override
    {
        SetSummaryPrintTarget(m_previousPrinter);
        WindowTest::TearDown();
    }

    std::string m_folder;
    BitmapPrinter m_printer;
    CSummaryPrintTarget* m_previousPrinter = nullptr;
};

TEST_F(SetupDialogs, MpptDialogFilesWizardAndUnsavedChanges)
{
    const std::string saved = m_folder + "\\mppt_saved";
    const std::string empty = m_folder + "\\empty.vxmppt";
    const std::string damaged = m_folder + "\\damaged.vxmppt";
    ::DeleteFileA((saved + ".vxmppt").c_str());
    ASSERT_TRUE(testing_support::WriteFileText(empty, ""));
    ASSERT_TRUE(testing_support::WriteFileText(damaged, "<quorvant><varnixhvmppt/></quorvant>"));
    // A wind-mode file whose Modbus ID (0xE019) is larger than its register holds.
    const std::string tooLarge = m_folder + "\\too_large.vxmppt";
    {
        CVarnixMpptSettings wind;
        wind.mode = 2;
        std::string text;
        wind.SaveXml(text);
        const std::string modbusId = "<value addr=\"57369\">1</value>";
        ASSERT_NE(std::string::npos, text.find(modbusId));
        text.replace(text.find(modbusId), modbusId.size(), "<value addr=\"57369\">70000</value>");
        ASSERT_TRUE(testing_support::WriteFileText(tooLarge, text));
    }

    CDialogVarnixMpptSummary dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    std::vector<std::string> seen;
    SheetPlayer player(SETUP_TITLE, [&](SheetPlayer& d) {
        HWND window = d.Window();
        seen.push_back("new: " + Statics(d) + " rows " + std::to_string(ListRows(window)));
        seen.push_back("columns: " + testing::PrintToString(Columns(window)));
        // Without setpoints: nothing to write or program; printing works.
        d.Click(IDC_SETUP_WRITE_FILE);
        seen.push_back(LastBox());
        d.Click(IDC_SETUP_PROGRAM_DEVICE);
        seen.push_back(LastBox());
        d.Click(IDC_SETUP_PRINT);

        // New setpoints through the wizard.
        d.ClickLater(IDC_SETUP_CREATE_NEW);
        PlayWizard(d, [](SheetPlayer& sheet) { sheet.NextToFinish(); });
        d.WaitFor([&] { return ListRows(window) > 0; }, "the summary");
        const int regulation = FindRow(window, "Regulation Voltage");
        seen.push_back("created: " + Statics(d) + " " + ListCell(window, regulation, 1) + "/" +
                       ListCell(window, regulation, 2) + "/" + ListCell(window, regulation, 3) + " " +
                       ListCell(window, regulation, 4) + " wind rows " +
                       std::to_string(FindRow(window, "Wind Setpoint 1 Voltage")));
        d.Screenshot("mppt_setup_dialog");

        // Closing with unsaved setpoints asks; No keeps the dialog.
        Recorder().QueueAnswer(IDNO);
        d.Click(IDCANCEL);
        seen.push_back(LastBox());

        // Saved under a name typed without extension.
        d.ClickLater(IDC_SETUP_WRITE_FILE);
        d.AnswerFileDialog(saved);
        d.WaitFor([&] { return ::GetFileAttributesA((saved + ".vxmppt").c_str()) != INVALID_FILE_ATTRIBUTES; },
                  "the saved file");

        // Damaged files: the settings stay.
        d.ClickLater(IDC_SETUP_READ_FILE);
        d.AnswerFileDialog(empty);
        d.WaitFor([&] { return LastBox() == "Unable to get the status of the specified file for reading"; },
                  "the empty file's error");
        d.ClickLater(IDC_SETUP_READ_FILE);
        d.AnswerFileDialog(damaged);
        d.WaitFor([&] { return LastBox().find("file did not contain") != std::string::npos; },
                  "the damaged file's error");
        seen.push_back(LastBox());
        d.ClickLater(IDC_SETUP_READ_FILE);
        d.AnswerFileDialog(tooLarge);
        d.WaitFor([&] { return LastBox().find("does not fit") != std::string::npos; }, "the too large value's error");
        seen.push_back(LastBox());
        seen.push_back("after damaged files: " + Statics(d));

        // Editing in wind mode, then reading the saved file back after the question.
        d.ClickLater(IDC_SETUP_EDIT);
        PlayWizard(d, [](SheetPlayer& sheet) {
            sheet.Click(IDC_VXM_MODE_WIND);
            sheet.NextToFinish();
        });
        d.WaitFor([&] { return d.Text(IDC_SETUP_MODE) == "Wind Charge"; }, "wind mode");
        seen.push_back("edited: " + Statics(d) + " wind row " + std::to_string(FindRow(window, "Wind Setpoint 1 Voltage") >= 0));
        Recorder().QueueAnswer(IDNO);
        d.Click(IDC_SETUP_READ_FILE);
        seen.push_back(LastBox());
        Recorder().QueueAnswer(IDYES);
        d.ClickLater(IDC_SETUP_READ_FILE);
        d.AnswerFileDialog(saved + ".vxmppt");
        d.WaitFor([&] { return d.Text(IDC_SETUP_MODE) == "Solar Charge"; }, "the loaded file");
        // Loaded: nothing unsaved, so Close asks nothing.
        const size_t boxes = Recorder().Count();
        d.Click(IDCANCEL);
        seen.push_back("boxes on close " + std::to_string(Recorder().Count() - boxes));
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ((std::vector<std::string>{
                  "new: unknown / 1 / 1 rows 0",
                  "columns: { \"Setpoint\", \"12 V\", \"24 V\", \"48 V\", \"units\" }",
                  "Error: no setpoints are defined.  Please create new setpoints or load them from a file or Varnix.",
                  "Error: no setpoints are defined.  Please create new setpoints or load them from a file or Varnix.",
                  "created: Solar Charge / 1 / 1 14.10/28.20/56.40 V wind rows -1",
                  "Warning: current setpoints are not saved.  Close without saving?",
                  "Error: unable to read configuration from file (file did not contain 'varnixmppt' element)",
                  "Error: unable to read configuration from file (Modbus ID value does not fit its register)",
                  "after damaged files: Solar Charge / 1 / 1", "edited: Wind Charge / 1 / 1 wind row 1",
                  "Warning: current setpoints are not saved.  Read new settings without saving?", "boxes on close 0"}),
              seen);
    ExpectNoTimeout(player);
    // The file holds the wizard's setpoints.
    CVarnixMpptSettings fromFile;
    fromFile.LoadXml(testing_support::ReadFileText(saved + ".vxmppt"));
    EXPECT_EQ(1, fromFile.mode);
    EXPECT_EQ(1, dialog.GetSettings().mode);
    EXPECT_FALSE(dialog.modified);
    // The print in mode 0 printed one page with the header lines.
    ASSERT_EQ(1u, m_printer.jobs.size());
    EXPECT_EQ(1, m_printer.pages);
    EXPECT_EQ(1, m_printer.inkedPages);
}

TEST_F(SetupDialogs, MpptDialogReadsAndProgramsAController)
{
    testing_support::PeerHost host;
    ASSERT_TRUE(host.Connected()) << host.Error();
    wizard_runs::DeviceUnderTest device(host);
    mppt_device::ProfileOptions options;
    options.faults = "[{\"kind\": \"exception\", \"code\": 1, \"function\": 6, \"transport\": \"tcp\"}]";
    const CVarnixMpptSettings controller = mppt_device::DeviceSettings<CVarnixMpptSettings>();
    ASSERT_TRUE(device.StartTcp(mppt_device::Profile(mppt_device::RegistersOf(controller), options))) << device.Error();

    CDialogVarnixMpptSummary dialog(LoopbackController(device.TcpPort()), nullptr, nullptr);
    std::vector<std::string> seen;
    SheetPlayer player(SETUP_TITLE, [&](SheetPlayer& d) {
        HWND window = d.Window();
        // A cancelled read changes nothing.
        d.ClickLater(IDC_SETUP_READ_DEVICE);
        PlayWizard(d, [](SheetPlayer& sheet) { sheet.Cancel(IDYES); });
        seen.push_back("cancelled: " + Statics(d) + " rows " + std::to_string(ListRows(window)));

        d.ClickLater(IDC_SETUP_READ_DEVICE);
        PlayWizard(d, [&](SheetPlayer& sheet) {
            sheet.Click(IDC_VXM_MODE_WIND);
            sheet.Next();
            seen.push_back("connection: " + sheet.ComboSelection(IDC_WIZARD_PORT) + " " +
                           sheet.Text(IDC_WIZARD_IP_ADDRESS) + " " +
                           (sheet.Text(IDC_WIZARD_TCP_PORT) == std::to_string(device.TcpPort()) ? "port" : "other port"));
            sheet.Next();
            sheet.WaitWizardButton(ID_WIZFINISH, true);
            sheet.Screenshot("mppt_read_progress");
            seen.push_back("progress: " + sheet.Text(IDC_WIZARD_PROGRESS_TITLE));
            sheet.Finish();
        });
        d.WaitFor([&] { return d.Text(IDC_SETUP_MODE) == "Wind Charge"; }, "the read setpoints");
        seen.push_back("read: " + Statics(d) + " " + ListCell(window, FindRow(window, "Regulation Voltage"), 1));
        seen.push_back(LastBox().substr(0, 60));
        seen.push_back("box icon " + std::to_string(Recorder().Boxes().back().type & MB_ICONMASK));

        // Programming over Ethernet with writes switched off names the security switch.
        d.ClickLater(IDC_SETUP_PROGRAM_DEVICE);
        PlayWizard(d, [&](SheetPlayer& sheet) {
            sheet.Next();
            sheet.WaitFor([&] { return LastBox().find("security DIP switch") != std::string::npos; },
                          "the read-only message");
            seen.push_back(LastBox());
            sheet.Press(PSBTN_CANCEL);
        });
        Recorder().QueueAnswer(IDYES);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ((std::vector<std::string>{
                  "cancelled: unknown / 1 / 1 rows 0", "connection: TCP/IP 127.0.0.1 port",
                  "progress: Reading Varnix MPPT configuration.", "read: Wind Charge / 17 / 3 14.50",
                  "Warning: it looks like this control has SMTP (email) enabled",
                  "box icon " + std::to_string(MB_ICONEXCLAMATION),
                  "Error: it appears the Varnix MPPT has writes via Ethernet\ndisabled with its security DIP switch.  "
                  "Please see the\nproduct documentation about changing the security switch."}),
              seen);
    ExpectNoTimeout(player);
    EXPECT_EQ(2, dialog.GetSettings().mode);
    EXPECT_TRUE(dialog.modified);
    EXPECT_FALSE(dialog.GetSettings().GetVariable(MPPT_SETTING_SMTP_PASSWORD)->HasValue());
}

// The read that lost part of the optional set, then a program run: the controller holds IP
// address 10.1.2.3 and Modbus TCP port 1502, and refuses one read request of the optional
// set with exception 2 at the third request of the set (a failed read: the dialog keeps
// what it had), then at the first (a model without the set: the read ends well without
// it). Program then leaves the settings not read alone, and so does Program after the
// settings were saved to a file and opened again; a read afterwards finds the controller's
// own network settings.
TEST_F(SetupDialogs, MpptDialogNeverProgramsDefaultsForSettingsItDidNotRead)
{
    testing_support::PeerHost host;
    ASSERT_TRUE(host.Connected()) << host.Error();
    wizard_runs::DeviceUnderTest device(host);
    CVarnixMpptSettings controller = mppt_device::DeviceSettings<CVarnixMpptSettings>();
    controller.GetVariable(MPPT_SETTING_MODBUS_TCP_PORT)->FromString("1502");
    const mppt_device::RegisterMap registers = mppt_device::RegistersOf(controller, false);
    const int required = static_cast<int>(mppt_device::RunRequests(registers, true, true).size());
    const std::vector<mppt_device::RunRequest_t> optional = mppt_device::RunRequests(registers, true, false);
    ASSERT_GE(optional.size(), 3u);
    // The first read answers its required requests and two optional ones, the second its
    // required ones: each fault matches its read's one request, every try of it.
    const auto refuse = [](int answered, int address) {
        return "{\"kind\": \"exception\", \"code\": 2, \"function\": 4, \"at_read\": " + std::to_string(answered) +
               ", \"address\": " + std::to_string(address) + "}";
    };
    mppt_device::ProfileOptions options;
    options.faults = "[" + refuse(required + 2, optional[2].address) + ", " +
                     refuse(2 * required + 2, optional[0].address) + "]";
    ASSERT_TRUE(device.StartTcp(mppt_device::Profile(mppt_device::RegistersOf(controller), options))) << device.Error();

    const std::string saved = m_folder + "\\mppt_read_without_the_set";
    ::DeleteFileA((saved + ".vxmppt").c_str());

    CDialogVarnixMpptSummary dialog(LoopbackController(device.TcpPort()), nullptr, nullptr);
    std::vector<std::string> seen;
    size_t writesBeforeProgram = 0;
    SheetPlayer player(SETUP_TITLE, [&](SheetPlayer& d) {
        HWND window = d.Window();
        const auto progressLines = [](SheetPlayer& sheet) {
            return testing_support::ListBoxLines(sheet.Page(), IDC_WIZARD_PROGRESS_LIST);
        };
        const auto lastLines = [&](SheetPlayer& sheet, size_t count) {
            const std::vector<std::string> lines = progressLines(sheet);
            std::string text;
            for (size_t n = lines.size() > count ? lines.size() - count : 0; n < lines.size(); ++n)
                text += " | " + lines[n];
            return text;
        };
        const auto row = [&](const std::string& name) {
            const int at = FindRow(window, name);
            return at < 0 ? std::string("(no row)") : ListCell(window, at, 1) + " " + ListCell(window, at, 4);
        };
        d.ClickLater(IDC_SETUP_READ_DEVICE);
        PlayWizard(d, [&](SheetPlayer& sheet) {
            sheet.Click(IDC_VXM_MODE_SOLAR);
            sheet.Next();
            sheet.Next();
            sheet.WaitFor([&] { return LastBox().find("Unable to read") != std::string::npos; }, "the failed read");
            seen.push_back("failed read" + lastLines(sheet, 5));
            seen.push_back(std::string("finish ") + (sheet.WizardButtonEnabled(ID_WIZFINISH) ? "enabled" : "disabled"));
            sheet.Press(PSBTN_CANCEL);
        });
        seen.push_back("after the failed read: " + Statics(d) + " rows " + std::to_string(ListRows(window)));

        // A read in solar mode that ends well; `label` names its last lines in what was seen.
        const auto readToFinish = [&](const std::string& label) {
            d.ClickLater(IDC_SETUP_READ_DEVICE);
            PlayWizard(d, [&](SheetPlayer& sheet) {
                sheet.Click(IDC_VXM_MODE_SOLAR);
                sheet.Next();
                sheet.Next();
                sheet.WaitWizardButton(ID_WIZFINISH, true);
                if (!label.empty())
                    seen.push_back(label + lastLines(sheet, 4));
                sheet.Finish();
            });
        };
        const auto settings = [&] {
            return Statics(d) + " " + row("Regulation Voltage") + "/ " + row("Modbus TCP Port") + "/ " +
                   row("HTTP TCP Port");
        };
        readToFinish("read without the set");
        d.WaitFor([&] { return d.Text(IDC_SETUP_MODE) == "Solar Charge"; }, "the read setpoints");
        seen.push_back("read: " + settings());

        writesBeforeProgram = wizard_runs::OfFunction(device.Requests(), 6).size();
        const auto program = [&] {
            d.ClickLater(IDC_SETUP_PROGRAM_DEVICE);
            PlayWizard(d, [&](SheetPlayer& sheet) {
                sheet.Next();
                sheet.WaitWizardButton(ID_WIZFINISH, true);
                seen.push_back("programmed" + lastLines(sheet, 2));
                sheet.Finish();
            });
        };
        program();

        // Saved, changed to wind mode and opened again: what the file does not hold stays not
        // read, and the next program run leaves it out too.
        d.ClickLater(IDC_SETUP_WRITE_FILE);
        d.AnswerFileDialog(saved);
        d.WaitFor([&] { return ::GetFileAttributesA((saved + ".vxmppt").c_str()) != INVALID_FILE_ATTRIBUTES; },
                  "the saved file");
        d.ClickLater(IDC_SETUP_EDIT);
        PlayWizard(d, [](SheetPlayer& sheet) {
            sheet.Click(IDC_VXM_MODE_WIND);
            sheet.NextToFinish();
        });
        d.WaitFor([&] { return d.Text(IDC_SETUP_MODE) == "Wind Charge"; }, "wind mode");
        Recorder().QueueAnswer(IDYES);   // the wind mode is not saved
        d.ClickLater(IDC_SETUP_READ_FILE);
        d.AnswerFileDialog(saved + ".vxmppt");
        d.WaitFor([&] { return d.Text(IDC_SETUP_MODE) == "Solar Charge"; }, "the opened file");
        seen.push_back("opened: " + settings());
        program();

        // What the controller holds now (the opened settings are saved: no question).
        readToFinish("");
        d.WaitFor([&] { return row("Modbus TCP Port") != "not read "; }, "the controller's settings");
        seen.push_back("read back: " + row("IP Address") + "/ " + row("Modbus TCP Port"));
        Recorder().QueueAnswer(IDYES);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_TRUE(player.Finished());
    char refusedRegister[32];
    std::snprintf(refusedRegister, sizeof refusedRegister, " (register 0x%04x): ", optional[2].address);
    ASSERT_EQ(9u, seen.size()) << testing::PrintToString(seen);
    EXPECT_EQ(0u, seen[0].find("failed read | * Error: control refused the Modbus read request with exception code 2 (illegal "
                                "data address). | Stopped at "))
        << seen[0];
    EXPECT_NE(std::string::npos, seen[0].find(refusedRegister)) << seen[0];
    EXPECT_NE(std::string::npos, seen[0].find(" registers read. | Unable to read the configuration of the Varnix MPPT. | "))
        << seen[0];
    EXPECT_EQ(std::string::npos, seen[0].find("successfully")) << seen[0];
    EXPECT_EQ((std::vector<std::string>{
                  "finish disabled", "after the failed read: unknown / 1 / 1 rows 0",
                  "read without the set | The control appears to be a VX-MPPT-45; 60-amp settings not read. | Finished. |  | "
                  "Varnix MPPT reading completed successfully.",
                  "read: Solar Charge / 17 / 3 14.50 V/ not read / not read ",
                  "programmed |  | Varnix MPPT programming completed successfully.",
                  "opened: Solar Charge / 17 / 3 14.50 V/ not read / not read ",
                  "programmed |  | Varnix MPPT programming completed successfully."}),
              std::vector<std::string>(seen.begin() + 1, seen.begin() + 8));
    EXPECT_EQ("read back: 10.1.2.3 / 1502 ", seen.back());
    const std::string file = testing_support::ReadFileText(saved + ".vxmppt");
    EXPECT_NE(std::string::npos, file.find("<variable id=\"50\">")) << file;
    EXPECT_EQ(std::string::npos, file.find("<variable id=\"59\">")) << file;
    ExpectNoTimeout(player);
    // Each program run wrote the setpoint block and nothing of the optional set.
    const std::vector<wizard_runs::JournalRequest> writes = wizard_runs::OfFunction(device.Requests(), 6);
    EXPECT_EQ(2 * mppt_device::RunRequests(registers, false, true).size(), writes.size() - writesBeforeProgram);
    for (const wizard_runs::JournalRequest& write : writes)
        EXPECT_GE(write.address, 0x2000) << std::hex << write.address;
    std::printf("%s\n", testing::PrintToString(seen).c_str());
}

// A read without the optional set from a controller with DHCP on, static address 10.1.2.3
// and HTTP port 8081, then Edit: the Communication page shows what was not read empty and
// says why, refuses the static choice until its addresses are entered, and sets what is
// typed even where it equals the stand-in (HTTP port 80). Program writes exactly what was
// entered, says how many settings it left out, and the controller then holds them.
template <class TDialog, class TSettings>
void AsksForWhatItDidNotReadAndSetsWhatIsTyped()
{
    testing_support::PeerHost host;
    ASSERT_TRUE(host.Connected()) << host.Error();
    wizard_runs::DeviceUnderTest device(host);
    TSettings controller = mppt_device::DeviceSettings<TSettings>();
    controller.GetVariable(MPPT_SETTING_DHCP_ENABLED)->FromString("true");
    controller.GetVariable(MPPT_SETTING_HTTP_PORT)->FromString("8081");
    const mppt_device::RegisterMap registers = mppt_device::RegistersOf(controller, false);
    const int required = static_cast<int>(mppt_device::RunRequests(registers, true, true).size());
    const std::vector<mppt_device::RunRequest_t> optional = mppt_device::RunRequests(registers, true, false);
    ASSERT_FALSE(optional.empty());
    // The first read's first optional request is refused: a model without the set.
    mppt_device::ProfileOptions options;
    options.faults = "[{\"kind\": \"exception\", \"code\": 2, \"function\": 4, \"at_read\": " +
                     std::to_string(required) + ", \"address\": " + std::to_string(optional[0].address) + "}]";
    ASSERT_TRUE(device.StartTcp(mppt_device::Profile(mppt_device::RegistersOf(controller), options))) << device.Error();

    TDialog dialog(LoopbackController(device.TcpPort()), nullptr, nullptr);
    std::vector<std::string> seen;
    SheetPlayer player(SETUP_TITLE, [&](SheetPlayer& d) {
        HWND window = d.Window();
        const auto row = [&](const std::string& name) {
            const int at = FindRow(window, name);
            return at < 0 ? std::string("(no row)") : ListCell(window, at, 1) + " " + ListCell(window, at, 4);
        };
        const auto comm = [](SheetPlayer& sheet) {
            return std::string("ip '") + sheet.Text(IDC_VXM_COMM_IP) + "' http '" + sheet.Text(IDC_VXM_COMM_HTTP_PORT) +
                   "' modbus '" + sheet.Text(IDC_VXM_COMM_MODBUS_PORT) + "' dhcp " +
                   (sheet.Checked(IDC_VXM_COMM_DHCP) ? "on" : "off") + " static " +
                   (sheet.Checked(IDC_VXM_COMM_STATIC) ? "on" : "off") + " note " +
                   (sheet.Visible(IDC_VXM_NOT_READ_NOTE) ? "shown" : "hidden");
        };
        d.ClickLater(IDC_SETUP_READ_DEVICE);
        PlayWizard(d, [&](SheetPlayer& sheet) {
            sheet.Click(IDC_VXM_MODE_SOLAR);
            sheet.Next();
            sheet.Next();
            sheet.WaitWizardButton(ID_WIZFINISH, true);
            sheet.Finish();
        });
        d.WaitFor([&] { return d.Text(IDC_SETUP_MODE) != "unknown"; }, "the read setpoints");
        seen.push_back("read: " + row("SMTP \"To\" email address") + "/ " + row("SMTP server") + "/ " +
                       row("HTTP TCP Port"));

        d.ClickLater(IDC_SETUP_EDIT);
        PlayWizard(d, [&](SheetPlayer& sheet) {
            for (int step = 0; step < 12 && sheet.PageId() != IDD_VXMPPT_COMM; ++step)
                sheet.Next();
            seen.push_back("comm: " + comm(sheet));
            sheet.Click(IDC_VXM_COMM_STATIC);
            seen.push_back(sheet.Next());
            sheet.SetText(IDC_VXM_COMM_IP, "10.9.8.7");
            sheet.SetText(IDC_VXM_COMM_MASK, "255.255.255.0");
            sheet.SetText(IDC_VXM_COMM_GATEWAY, "10.9.8.1");
            sheet.SetText(IDC_VXM_COMM_DNS1, "10.9.8.1");
            sheet.SetText(IDC_VXM_COMM_DNS2, "0.0.0.0");
            sheet.SetText(IDC_VXM_COMM_HTTP_PORT, "80");
            seen.push_back(sheet.Next());
            seen.push_back("notification note " +
                           std::string(sheet.Visible(IDC_VXM_NOT_READ_NOTE) ? "shown" : "hidden"));
            // A notification by email to a server nobody was shown is asked for; left
            // undecided, the notification stays as the controller has it.
            sheet.Next();
            const auto enable = [&] {
                const LRESULT state = ::SendDlgItemMessageA(sheet.Page(), IDC_VXM_NOTIFY_ENABLE, BM_GETCHECK, 0, 0);
                return std::string(state == BST_INDETERMINATE ? "undecided" : state == BST_CHECKED ? "on" : "off");
            };
            seen.push_back("notification 1 " + enable() + " name '" + sheet.Text(IDC_VXM_NOTIFY_NAME) + "' note " +
                           (sheet.Visible(IDC_VXM_NOT_READ_NOTE) ? "shown" : "hidden"));
            sheet.Click(IDC_VXM_NOTIFY_ENABLE);
            sheet.Click(IDC_VXM_NOTIFY_ENABLE);
            sheet.Click(IDC_VXM_NOTIFY_EMAIL);
            seen.push_back(enable() + " " + sheet.Next());
            sheet.Click(IDC_VXM_NOTIFY_ENABLE);
            seen.push_back(enable() + " " + sheet.Next());
            sheet.NextToFinish();
        });
        d.WaitFor([&] { return row("IP Address") != "(no row)"; }, "the edited setpoints");
        seen.push_back("edited: " + row("IP Address") + "/ " + row("Gateway") + "/ " + row("HTTP TCP Port") + "/ " +
                       row("Modbus TCP Port") + "/ " + row("SMTP \"To\" email address"));

        d.ClickLater(IDC_SETUP_PROGRAM_DEVICE);
        PlayWizard(d, [&](SheetPlayer& sheet) {
            sheet.Next();
            sheet.WaitWizardButton(ID_WIZFINISH, true);
            const std::vector<std::string> lines = testing_support::ListBoxLines(sheet.Page(), IDC_WIZARD_PROGRESS_LIST);
            std::string text = "programmed";
            for (size_t n = lines.size() > 4 ? lines.size() - 4 : 0; n < lines.size(); ++n)
                text += " | " + lines[n];
            seen.push_back(text);
            sheet.Finish();
        });
        Recorder().QueueAnswer(IDYES);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_TRUE(player.Finished());
    ExpectNoTimeout(player);

    // The settings the controller was not asked for: the optional set but the ones entered.
    TSettings entered;
    int notWritten = 0;
    for (const auto& entry : entered.GetVariables())
        if (!entered.IsEepromSetting(entry.first) && !entry.second->IsWriteOnly())
            ++notWritten;
    notWritten -= 7;   // DHCP, the five addresses and the HTTP port
    EXPECT_EQ((std::vector<std::string>{
                  "read: not read / not read / not read ",
                  "comm: ip '' http '' modbus '' dhcp off static off note shown",
                  "box Error: the static IP address settings were not read from the controller;\n"
                  "enter the IP address, subnet mask, gateway and DNS addresses to use.",
                  "page " + std::to_string(IDD_VXMPPT_NOTIFICATION),
                  "notification note shown",
                  "notification 1 undecided name '' note shown",
                  "on box Error: you requested email notification, but the email server and \"To\" address were not "
                  "read from the controller; set them on the earlier page",
                  "undecided page " + std::to_string(IDD_VXMPPT_NOTIFICATION_N),
                  "edited: 10.9.8.7 / 10.9.8.1 / 80 / not read / not read ",
                  "programmed | " + std::to_string(notWritten) +
                      " settings were not written because they were not read from the controller. | Finished. |  | "
                      "Varnix MPPT programming completed successfully."}),
              seen);

    // What the controller holds now: the entered settings, and its own for the rest.
    std::map<int, int> written;
    for (const wizard_runs::JournalRequest& write : wizard_runs::OfFunction(device.Requests(), 6))
        written[write.address] = write.value;
    entered.GetVariable(MPPT_SETTING_IP_ADDRESS)->FromString("10.9.8.7");
    for (const ModbusRegister_t& reg : entered.GetVariable(MPPT_SETTING_IP_ADDRESS)->GetRegisters())
    {
        ASSERT_EQ(1u, written.count(reg.address)) << std::hex << reg.address;
        EXPECT_EQ(reg.value, written[reg.address]) << std::hex << reg.address;
    }
    ASSERT_EQ(1u, written.count(0x151B));
    EXPECT_EQ(80, written[0x151B]);
    ASSERT_EQ(1u, written.count(0x1517));
    EXPECT_EQ(0, written[0x1517] & 0x4000);
    EXPECT_EQ(0u, written.count(0x151C));   // the Modbus TCP port, not read and not entered
    EXPECT_EQ(0u, written.count(0x16D0));   // the "To" address
    EXPECT_EQ(0u, written.count(0x1535));   // notification 1, left undecided
    std::printf("%s\n", testing::PrintToString(seen).c_str());
}

TEST_F(SetupDialogs, MpptDialogAsksForWhatItDidNotReadAndSetsWhatIsTyped)
{
    {
        SCOPED_TRACE("Varnix MPPT");
        AsksForWhatItDidNotReadAndSetsWhatIsTyped<CDialogVarnixMpptSummary, CVarnixMpptSettings>();
    }
    SCOPED_TRACE("Varnix HV MPPT");
    AsksForWhatItDidNotReadAndSetsWhatIsTyped<CDialogVarnixHvMpptSummary, CVarnixHvMpptSettings>();
}

// The Varnix controller's 39 setpoint registers on a pty, read and written as one map.
std::string VarnixProfile()
{
    CVarnixSettings defaults;
    std::ostringstream json;
    json << "{\"units\": {\"1\": {\"input\": \"holding\", \"holding\": {";
    for (int index = 0; index < defaults.GetRowCount(); ++index)
    {
        const SettingRow_t* row = defaults.GetRowAtConst(index);
        json << (index ? ", " : "") << "\"" << row->registerAddress << "\": " << row->RawToWord();
    }
    json << "}}}}";
    return json.str();
}

TEST_F(SetupDialogs, VarnixDialogProgramsAndReadsBackLightingTimers)
{
    testing_support::PeerHost host;
    ASSERT_TRUE(host.Connected()) << host.Error();
    wizard_runs::DeviceUnderTest device(host);
    ASSERT_TRUE(device.StartSerial(VarnixProfile())) << device.Error();
    const std::string comEntry = "COM " + std::to_string(device.ComPort());
    // A lighting file whose server ID is 0, the broadcast address.
    const std::string broadcast = m_folder + "\\broadcast.qvarnix";
    {
        CVarnixSettings lighting;
        lighting.SetMode(VARNIX_MODE_LIGHTING);
        CMemFile memory;
        ASSERT_TRUE(lighting.SaveToFile(&memory));
        std::string bytes(static_cast<size_t>(memory.GetLength()), '\0');
        memory.SeekToBegin();
        memory.Read(&bytes[0], static_cast<UINT>(bytes.size()));
        // The raw value follows the row's description, flag, empty unit, scale and default.
        const std::string description = "Modbus Varnix server ID";
        const size_t raw = bytes.find(description) + description.size() + 4 + 1 + 8 + 8;
        ASSERT_EQ(std::string("\x01\0\0\0", 4), bytes.substr(raw, 4));
        ASSERT_TRUE(testing_support::WriteFileText(broadcast, bytes.substr(0, raw) + std::string(4, '\0') + bytes.substr(raw + 4)));
    }

    CDialogVarnixSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    std::vector<std::string> seen;
    SheetPlayer player(SETUP_TITLE, [&](SheetPlayer& d) {
        HWND window = d.Window();
        d.ClickLater(IDC_SETUP_READ_FILE);
        d.AnswerFileDialog(broadcast);
        d.WaitFor([&] { return LastBox().find("Modbus Address") != std::string::npos; }, "the broadcast file's error");
        seen.push_back(LastBox() + " / mode " + d.Text(IDC_SETUP_MODE));
        auto timers = [&] {
            const int second = FindRow(window, "Lighting Timer 2");
            return ListCell(window, FindRow(window, "Lighting Timer 1"), 1) + " / " +
                   (second < 0 ? std::string("no timer 2") : ListCell(window, second, 1));
        };
        // The lighting registers through the program wizard, then back through the read
        // wizard after agreeing to drop the unsaved setpoints; the timer 1 cell is marked
        // first, so that its text shows when the dialog has shown what was read.
        auto programThenRead = [&](const std::string& expected) {
            for (const int button : {IDC_SETUP_PROGRAM_DEVICE, IDC_SETUP_READ_DEVICE}) {
                if (button == IDC_SETUP_READ_DEVICE) {
                    Recorder().QueueAnswer(IDYES);
                    char stale[] = "stale";
                    LVITEMA cell = {};
                    cell.iSubItem = 1;
                    cell.pszText = stale;
                    ::SendDlgItemMessageA(window, IDC_SETUP_LIST, LVM_SETITEMTEXTA,
                                          static_cast<WPARAM>(FindRow(window, "Lighting Timer 1")),
                                          reinterpret_cast<LPARAM>(&cell));
                }
                d.ClickLater(button);
                PlayWizard(d, [&](SheetPlayer& sheet) {
                    sheet.SelectComboEntry(IDC_WIZARD_PORT, comEntry);
                    sheet.SetText(IDC_WIZARD_MODBUS_ADDRESS, "1");
                    sheet.Click(IDC_WIZARD_SETTINGS_LIGHTING);
                    sheet.Next();
                    sheet.WaitWizardButton(ID_WIZFINISH, true);
                    if (button == IDC_SETUP_PROGRAM_DEVICE)
                        sheet.Screenshot("varnix_program_progress");
                    sheet.Finish();
                });
            }
            d.WaitFor([&] { return timers() == expected; }, "the read");
            seen.push_back("read: " + d.Text(IDC_SETUP_MODE) + " " + timers());
        };
        seen.push_back("columns: " + testing::PrintToString(Columns(window)));
        // Lighting: load on 1 h 30 m before dawn, then 2 h after dusk.
        d.ClickLater(IDC_SETUP_CREATE_NEW);
        PlayWizard(d, [](SheetPlayer& sheet) {
            sheet.Click(IDC_VXW_MODE_LIGHTING);
            sheet.Next();
            sheet.SetText(IDC_VXW_T1_H, "1");
            sheet.SetText(IDC_VXW_T1_M, "30");
            sheet.SelectComboEntry(IDC_VXW_T1_SIGN, "before");
            sheet.SelectComboEntry(IDC_VXW_T1_REFERENCE, "dawn");
            sheet.SetText(IDC_VXW_T2_H, "2");
            sheet.NextToFinish();
        });
        d.WaitFor([&] { return d.Text(IDC_SETUP_MODE) == "Lighting"; }, "the new setpoints");
        seen.push_back("created: " + timers());
        d.Screenshot("varnix_setup_dialog");
        programThenRead("1h:30m:00s before dawn / 2h:00m:00s after dawn");
        d.Click(IDC_SETUP_PRINT);
        const std::string printed = dialog.BuildSummaryText("today");

        // Dusk to dawn: what the wizard stores goes to the controller and comes back as
        // dusk to dawn, in the summary and on the wizard's page.
        d.ClickLater(IDC_SETUP_EDIT);
        PlayWizard(d, [](SheetPlayer& sheet) {
            sheet.Next();
            sheet.Click(IDC_VXW_DUSK_TO_DAWN);
            sheet.NextToFinish();
        });
        d.WaitFor([&] { return ListCell(window, FindRow(window, "Lighting Timer 1"), 1) == "Dusk To Dawn"; },
                  "dusk to dawn");
        seen.push_back("edited: " + timers());
        programThenRead("Dusk To Dawn / no timer 2");
        d.ClickLater(IDC_SETUP_EDIT);
        PlayWizard(d, [&](SheetPlayer& sheet) {
            sheet.Next();
            seen.push_back(std::string("page: ") + (sheet.Checked(IDC_VXW_DUSK_TO_DAWN) ? "dusk to dawn" : "timers") +
                           (sheet.Enabled(IDC_VXW_T1_H) ? " free" : " locked"));
            seen.push_back(sheet.Cancel(IDYES));
        });
        seen.push_back(printed);
        Recorder().QueueAnswer(IDYES);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_TRUE(player.Finished());
    ExpectNoTimeout(player);
    ASSERT_EQ(9u, seen.size()) << testing::PrintToString(seen);
    const std::string printed = seen.back();
    seen.pop_back();
    EXPECT_EQ((std::vector<std::string>{"Error: unable to read configuration from file (Modbus Address 0 is not in the "
                                        "range 1 to 247) / mode unknown",
                                        "columns: { \"Setpoint\", \"12 V\", \"24 V\", \"48 V\" }",
                                        "created: 1h:30m:00s before dawn / 2h:00m:00s after dawn",
                                        "read: Lighting 1h:30m:00s before dawn / 2h:00m:00s after dawn",
                                        "edited: Dusk To Dawn / no timer 2", "read: Lighting Dusk To Dawn / no timer 2",
                                        "page: dusk to dawn locked", "box Exit Varnix Setup Wizard?"}),
              seen);
    // The controller got the "before" as a negative word, then dusk to dawn as the
    // longest timer its signed register holds, timer 2 at zero and all four bits.
    std::vector<std::pair<int, int>> lightingWrites;
    for (const wizard_runs::JournalRequest& write : wizard_runs::OfFunction(device.Requests(), 6))
        if (write.address >= 0xE015 && write.address <= 0xE017)
            lightingWrites.emplace_back(write.address, write.value);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0xE015, 0xEAE8}, {0xE016, 7200}, {0xE017, 11},
                                                {0xE015, 0x7FFF}, {0xE016, 0}, {0xE017, 15}}),
              lightingWrites);
    ASSERT_EQ(1u, m_printer.jobs.size());
    EXPECT_GE(m_printer.inkedPages, 1);

    // The printed text: addresses, then each used row at the three system voltages.
    const std::string& text = printed;
    EXPECT_EQ(0u, text.find("Quorvant Corp. Varnix Setup Summary\nPrinted on today\nMode: Lighting\n"
                            "MODBUS Address: 1\nSkelder Address: 1\n"
                            "Setpoints (set the System Voltage with DIP switches 2 & 3):\n"))
        << text;
    EXPECT_NE(std::string::npos, text.find("\nLighting Timer 1: -5400.00 (12V), -5400.00 (24V), -5400.00 (48V)\n"));
    EXPECT_NE(std::string::npos, text.find("\nLow Voltage Disconnect: 11.50 (12V), 23.00 (24V), 46.00 (48V)\n"));
}

TEST_F(SetupDialogs, F1AndTheHelpButtonsShowTheSetupsAndThePagesHelp)
{
    using namespace testing_support;
    HelpTopics help(m_app);
    CDialogVarnixSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    HWND window = nullptr;
    HWND sheet = nullptr;
    UiScript script;
    script.Step("the Help button and F1", [&] { return (window = dialog.GetSafeHwnd()) != nullptr; }, [&] {
        ::SendMessageA(::GetDlgItem(window, IDHELP), BM_CLICK, 0, 0);
        ASSERT_TRUE(PressKey(::GetDlgItem(window, IDC_SETUP_CREATE_NEW), VK_F1));
    });
    script.Step("the wizard", [&] { return help.Popups().size() == 2; }, [&] { Click(window, IDC_SETUP_CREATE_NEW); });
    script.Step("F1 on its first page", [&] { return (sheet = FindWizardSheet()) != nullptr; }, [&] {
        ASSERT_TRUE(PressKey(::GetNextDlgTabItem(CurrentPage(sheet), nullptr, FALSE), VK_F1));
    });
    script.Step("the sheet's Help button", [&] { return help.Popups().size() == 3; },
                [&] { ::SendMessageA(::GetDlgItem(sheet, IDHELP), BM_CLICK, 0, 0); });
    script.Step("cancel", [&] { return help.Popups().size() == 4; }, [&] {
        Recorder().QueueAnswer(IDYES);
        PressWizardButton(sheet, PSBTN_CANCEL);
    });
    script.Step("close", [&] { return FindWizardSheet() == nullptr; }, [&] { Click(window, IDCANCEL); });
    script.Play([&] { dialog.DoModal(); });
    EXPECT_EQ(std::vector<UINT>({IDD_VARNIX_SETUP, IDD_VARNIX_SETUP, IDD_VX_WIZ_MODE, IDD_VX_WIZ_MODE}), help.Popups());
    EXPECT_EQ(std::vector<std::string>({"Exit Varnix Setup Wizard?"}), testing_support::BoxTexts());
}

TEST_F(SetupDialogs, WarningsAndTheLastConnection)
{
    std::vector<std::vector<std::string>> texts;
    auto collect = [&](SheetPlayer& d) {
        std::vector<std::string> lines = {WindowText(d.Window())};
        for (HWND child = ::GetWindow(d.Window(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        {
            char className[16] = {};
            ::GetClassNameA(child, className, sizeof className);
            const std::string text = WindowText(child);
            if (std::string(className) == "Static" && text.size() > 20)
                lines.push_back(text);
        }
        texts.push_back(lines);
        d.Click(IDOK);
    };
    {
        CDialogVxWizWarn1 first(nullptr, nullptr);
        SheetPlayer player("Warning", collect);
        EXPECT_EQ(IDOK, first.DoModal());
        EXPECT_TRUE(player.Finished());
    }
    {
        CDialogVxWizWarn2 second(nullptr, nullptr);
        SheetPlayer player("Warning", collect);
        EXPECT_EQ(IDOK, second.DoModal());
        EXPECT_TRUE(player.Finished());
    }
    {
        CDialogVarnixHvMpptWarn hv(nullptr, nullptr);
        SheetPlayer player("Warning", collect);
        EXPECT_EQ(IDOK, hv.DoModal());
        EXPECT_TRUE(player.Finished());
    }
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ((std::vector<std::string>{
                  "Warning",
                  "CAUTION: There are few limits to the changes that can be made.  It is the responsibility of the "
                  "operator to be certain all changes are appropriate.",
                  "Any damage resulting to the controller or the system from the Varnix setpoint adjustments will not "
                  "be covered under warranty."}),
              texts[0]);
    EXPECT_EQ("A fault will be indicated if a switch is changed with the controller powered.", texts[1].back());
    EXPECT_EQ("Any damage resulting to the controller or the system from the Varnix MPPT setpoint adjustments will "
              "not be covered under warranty.",
              texts[2].back());

    // Without a device the runs go to the connection the pages last stored.
    WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceComPort", static_cast<DWORD>(-1));
    WriteRegistryString(WIZARD_REGISTRY_KEY, "LastUsedDeviceIp", "10.9.8.7");
    WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceTcpPort", 1502);
    WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceModbusAddr", 42);
    CWizardProgrammingContextPtr network = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), true);
    EXPECT_EQ(-1, network->comPort);
    EXPECT_STREQ("10.9.8.7", network->host.GetString());
    EXPECT_EQ(1502, network->tcpPort);
    EXPECT_EQ(42, network->modbusAddress);
    EXPECT_EQ("Varnix MPPT", network->deviceText);
    WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceComPort", 7);
    CWizardProgrammingContextPtr serial = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
    EXPECT_EQ(7, serial->comPort);
    EXPECT_EQ(42, serial->modbusAddress);
    EXPECT_EQ("The control appears to be a VX-MPPT-45; 60-amp settings not written.", serial->optionalFailureText);
}
} // namespace
