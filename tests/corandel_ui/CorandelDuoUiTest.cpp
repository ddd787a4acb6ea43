// The Corandel Duo setup dialog and its wizard under a real display: the empty dialog,
// the three wizard pages with their check boxes and checks, help on F1 and the Help
// buttons, the summary list, the unsaved question, files through the real file dialogs,
// and the printed summary.
#include "framework/CFile.h"
#include "framework/CPropertySheet.h"
#include "res/pyraxis_corandel_resource.h"
#include "shell/SummaryPrinting.h"
#include "res/pyraxis_wizards_resource.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "tests/corandel_ui/SetupDialogUi.h"
#include "tests/support/ControlTextFit.h"
#include "tests/support/HelpTopics.h"
#include "tests/support/RegisterDevice.h"
#include "tests/support/FileText.h"
#include "tests/support/TestPaths.h"
#include "wizards/corandel/CDialogCorandelSetup.h"
#include "wizards/corandel/CDialogCorandelWarn.h"

#include <gtest/gtest.h>

#include <prsht.h>

#include <regex>

using namespace corandel_ui;
using namespace testing_support;
using testing_support::MessageBoxRecorder;

namespace {

const char* const SETUP_TITLE = "Corandel Duo Custom Setpoints Summary";
const char* const NO_SETPOINTS =
    "Error: no setpoints are defined.  Please create new setpoints or load them from a file or Corandel Duo.";

class CorandelDuoUi : public SetupDialogUi
{
protected:
    std::function<bool()> DialogShows() { return SetupDialogUi::DialogShows(SETUP_TITLE); }
    // The battery page whose OFF group has that caption.
    std::function<bool()> PageCaption(const std::string& caption)
    {
        return [this, caption] {
            sheet = FindWizardSheet();
            page = CurrentPage(sheet);
            return page != nullptr && ItemText(page, IDC_CRDUO_GROUP_OFF) == caption;
        };
    }
};

// Every scaled setpoint through untouched edits keeps its raw value: the pages show
// rounded texts, and converting them back could move a setting by a count. Seeded rounds of
// raw values around the defaults (the pages' checks keep their order).
TEST_F(CorandelDuoUi, AnUntouchedEditKeepsEveryScaledSettingsRawValue)
{
    CWinApp app("CorandelUiTest");
    CDialogCorandelSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    ExpectUntouchedEditsKeepRawValues(dialog, SETUP_TITLE, dialog.GetSettings(), 3);
}

TEST_F(CorandelDuoUi, NewSetpointsThroughTheThreePagesWithTheirChecks)
{
    CWinApp app("CorandelUiTest");
    HelpTopics help(app);
    CDialogCorandelSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);

    script.Step("empty dialog", DialogShows(), [&] {
        EXPECT_TRUE(ListViewRows(dialogWindow, IDC_CR_SUMMARY_LIST).empty());
        EXPECT_EQ("", ItemText(dialogWindow, IDC_CRDUO_TEMP_COMP));
        EXPECT_EQ("", ItemText(dialogWindow, IDC_CR_MODBUS_ADDRESS));
        EXPECT_EQ("", ItemText(dialogWindow, IDC_CR_SKELDER_ADDRESS));
        EXPECT_TRUE(SaveScreenshot(dialogWindow, "corandel_duo_setup_empty"));
        ::SendMessageA(::GetDlgItem(dialogWindow, IDHELP), BM_CLICK, 0, 0);
        ASSERT_TRUE(PressKey(::GetDlgItem(dialogWindow, IDC_CR_EDIT), VK_F1));
    });
    script.Step("F1's help", [&] { return help.Popups().size() == 2; }, [&] {
        for (int id : {IDC_CR_EDIT, IDC_CR_PROGRAM_DEVICE, IDC_CR_WRITE_FILE, IDC_CR_PRINT})
            Click(dialogWindow, id);
    });
    script.Step("refusals", [&] { return MessageBoxRecorder::Instance().Count() >= 4; }, [&] {
        EXPECT_EQ(std::vector<std::string>(4, NO_SETPOINTS), BoxTexts());
        for (const auto& box : MessageBoxRecorder::Instance().Boxes())
            EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), box.type & MB_ICONMASK);
        MessageBoxRecorder::Instance().Clear();
        Click(dialogWindow, IDC_CR_CREATE_NEW);
    });
    script.Step("F1 on battery 1", PageShows(IDC_CRDUO_GROUP_OFF),
                [&] { ASSERT_TRUE(PressKey(::GetDlgItem(page, IDC_CRDUO_ABSORPTION_OFF), VK_F1)); });
    script.Step("battery 1", [&] { return help.Popups().size() == 3; }, [&] {
        EXPECT_EQ("Battery 1 Custom Setpoints - DIP Switch #1 in OFF position", ItemText(page, IDC_CRDUO_GROUP_OFF));
        EXPECT_EQ("Battery 1 Custom Setpoints - DIP Switch #1 in ON position", ItemText(page, IDC_CRDUO_GROUP_ON));
        EXPECT_EQ("14.10", ItemText(page, IDC_CRDUO_ABSORPTION_OFF));
        EXPECT_EQ("13.70", ItemText(page, IDC_CRDUO_FLOAT_OFF));
        EXPECT_EQ("15.00", ItemText(page, IDC_CRDUO_MAX_REGULATION_OFF));
        EXPECT_EQ("60", ItemText(page, IDC_CRDUO_TIME_FLOAT_OFF));
        // The OFF set starts with equalize off: box checked, its edits disabled, voltage empty.
        EXPECT_TRUE(IsChecked(page, IDC_CRDUO_DISABLE_EQUALIZE_OFF));
        EXPECT_EQ("", ItemText(page, IDC_CRDUO_EQUALIZE_OFF));
        EXPECT_FALSE(IsItemEnabled(page, IDC_CRDUO_EQUALIZE_OFF));
        EXPECT_FALSE(IsItemEnabled(page, IDC_CRDUO_EQUALIZE_DURATION_OFF));
        EXPECT_FALSE(IsChecked(page, IDC_CRDUO_DISABLE_EQUALIZE_ON));
        EXPECT_EQ("14.65", ItemText(page, IDC_CRDUO_EQUALIZE_ON));
        EXPECT_EQ("180", ItemText(page, IDC_CRDUO_EQUALIZE_DURATION_ON));
        EXPECT_FALSE(IsChecked(page, IDC_CRDUO_DISABLE_FLOAT_OFF));
        EXPECT_FALSE(IsWizardButtonEnabled(sheet, ID_WIZBACK));
        EXPECT_TRUE(IsWizardButtonEnabled(sheet, ID_WIZNEXT));
        EXPECT_TRUE(SaveScreenshot(sheet, "corandel_duo_wizard_battery1"));
        EXPECT_EQ(std::vector<std::string>(), CutTexts(sheet));
        Toggle(page, IDC_CRDUO_DISABLE_FLOAT_OFF);
        EXPECT_EQ("", ItemText(page, IDC_CRDUO_TIME_FLOAT_OFF));
        EXPECT_FALSE(IsItemEnabled(page, IDC_CRDUO_TIME_FLOAT_OFF));
        EXPECT_FALSE(IsItemEnabled(page, IDC_CRDUO_FLOAT_OFF));
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("battery 2", PageCaption("Battery 2 Custom Setpoints - DIP Switch #2 in OFF position"),
                [&] {
                    EXPECT_EQ("14.10", ItemText(page, IDC_CRDUO_ABSORPTION_OFF));
                    EXPECT_TRUE(IsWizardButtonEnabled(sheet, ID_WIZBACK));
                    EXPECT_TRUE(SaveScreenshot(sheet, "corandel_duo_wizard_battery2"));
                    EXPECT_EQ(std::vector<std::string>(), CutTexts(sheet));
                    ::SendMessageA(::GetDlgItem(sheet, IDHELP), BM_CLICK, 0, 0);
                    PressWizardButton(sheet, PSBTN_BACK);
                });
    script.Step("battery 1 again",
                PageCaption("Battery 1 Custom Setpoints - DIP Switch #1 in OFF position"), [&] {
                    // Float off stored a whole day: the box comes back checked, the time empty.
                    EXPECT_TRUE(IsChecked(page, IDC_CRDUO_DISABLE_FLOAT_OFF));
                    EXPECT_EQ("", ItemText(page, IDC_CRDUO_TIME_FLOAT_OFF));
                    EXPECT_EQ("13.70", ItemText(page, IDC_CRDUO_FLOAT_OFF));
                    Type(page, IDC_CRDUO_ABSORPTION_OFF, "36.41");
                    PressWizardButton(sheet, PSBTN_NEXT);
                });
    script.Step("absorption refused", [&] { return MessageBoxRecorder::Instance().Count() == 1; }, [&] {
        EXPECT_EQ("Error: 36.41 is not a valid value for Absorption (value must be no more than 36.40)", LastBox());
        EXPECT_EQ(0u, MessageBoxRecorder::Instance().Boxes()[0].type & MB_ICONMASK) << "no icon";
        EXPECT_EQ(page, CurrentPage(sheet)) << "the page stays";
        Type(page, IDC_CRDUO_ABSORPTION_OFF, "14.2");
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("battery 2 once more",
                PageCaption("Battery 2 Custom Setpoints - DIP Switch #2 in OFF position"),
                [&] { PressWizardButton(sheet, PSBTN_NEXT); });
    script.Step("common", PageShows(IDC_CRDUO_SKELDER), [&] {
        EXPECT_EQ("50", ItemText(page, IDC_CRDUO_PRIORITY1_OFF));
        EXPECT_EQ("90", ItemText(page, IDC_CRDUO_PRIORITY1_ON));
        EXPECT_EQ("50", ItemText(page, IDC_CRDUO_PRIORITY2_OFF));
        EXPECT_EQ("10", ItemText(page, IDC_CRDUO_PRIORITY2_ON));
        EXPECT_EQ("0.030", ItemText(page, IDC_CRDUO_COMMON_TEMP_COMP));
        EXPECT_EQ("1", ItemText(page, IDC_CRDUO_MODBUS));
        EXPECT_EQ("1", ItemText(page, IDC_CRDUO_SKELDER));
        EXPECT_TRUE(IsWizardButtonEnabled(sheet, ID_WIZFINISH));
        EXPECT_TRUE(SaveScreenshot(sheet, "corandel_duo_wizard_common"));
        EXPECT_EQ(std::vector<std::string>(), CutTexts(sheet));
        ::SendMessageA(::GetDlgItem(sheet, IDHELP), BM_CLICK, 0, 0);
        Type(page, IDC_CRDUO_PRIORITY1_OFF, "30");
        EXPECT_EQ("70", ItemText(page, IDC_CRDUO_PRIORITY2_OFF));
        Type(page, IDC_CRDUO_PRIORITY1_OFF, "30x");
        EXPECT_EQ("", ItemText(page, IDC_CRDUO_PRIORITY2_OFF));
        EXPECT_EQ("", ItemText(page, IDC_CRDUO_PRIORITY2_ON));
        EXPECT_EQ(1u, MessageBoxRecorder::Instance().Count()) << "the battery 2 fields update without a box";
        Type(page, IDC_CRDUO_PRIORITY1_OFF, "30");
        // The addresses at the top of their ranges are stored on the way back.
        Type(page, IDC_CRDUO_MODBUS, "247");
        Type(page, IDC_CRDUO_SKELDER, "15");
        PressWizardButton(sheet, PSBTN_BACK);
    });
    script.Step("battery 2, from common", PageCaption("Battery 2 Custom Setpoints - DIP Switch #2 in OFF position"),
                [&] { PressWizardButton(sheet, PSBTN_NEXT); });
    // Then each one step past its range, and the bottom of both ranges.
    const auto& refused = kRefusedAddressEntries;
    script.Step("common again", PageShows(IDC_CRDUO_SKELDER), [&] {
        EXPECT_EQ("247", ItemText(page, IDC_CRDUO_MODBUS));
        EXPECT_EQ("15", ItemText(page, IDC_CRDUO_SKELDER));
        Type(page, IDC_CRDUO_MODBUS, refused[0].modbus);
        Type(page, IDC_CRDUO_SKELDER, refused[0].skelder);
        PressWizardButton(sheet, PSBTN_FINISH);
    });
    for (size_t i = 0; i < 4; ++i)
    {
        script.Step("address refused", [&, i] { return MessageBoxRecorder::Instance().Count() == i + 2; }, [&, i] {
            EXPECT_EQ(refused[i].box, LastBox()) << refused[i].modbus << " " << refused[i].skelder;
            Type(page, IDC_CRDUO_MODBUS, i < 3 ? refused[i + 1].modbus : "1");
            Type(page, IDC_CRDUO_SKELDER, i < 3 ? refused[i + 1].skelder : "1");
            // No upper bound of its own, but what the register holds.
            if (i == 3)
                Type(page, IDC_CRDUO_COMMON_TEMP_COMP, "40");
            PressWizardButton(sheet, PSBTN_FINISH);
        });
    }
    script.Step("compensation refused", [&] { return MessageBoxRecorder::Instance().Count() == 6; }, [&] {
        EXPECT_EQ("Error: invalid Temperature Compensation.  It must be no more than 36.408.", LastBox());
        Type(page, IDC_CRDUO_COMMON_TEMP_COMP, "0.05");
        PressWizardButton(sheet, PSBTN_FINISH);
    });
    script.Step("summary", [&] { return ListViewRows(dialogWindow, IDC_CR_SUMMARY_LIST).size() == 13; }, [&] {
        const auto rows = ListViewRows(dialogWindow, IDC_CR_SUMMARY_LIST);
        EXPECT_EQ(std::vector<std::string>({"Absorption", "1", "1", "14.20 V", "14.40 V"}), rows[0]);
        EXPECT_EQ(std::vector<std::string>({"Float", "1", "1", "none", "13.70 V"}), rows[1]);
        EXPECT_EQ(std::vector<std::string>({"Equalize", "1", "1", "none", "14.65 V"}), rows[2]);
        EXPECT_EQ(std::vector<std::string>({"Time Until Float", "1", "1", "none", "120 min"}), rows[4]);
        EXPECT_EQ(std::vector<std::string>({"Equalize Duration", "1", "1", "none", "180 min"}), rows[5]);
        EXPECT_EQ(std::vector<std::string>({"Equalize", "2", "2", "none", "14.65 V"}), rows[8]);
        EXPECT_EQ(std::vector<std::string>({"Charging Priority", "1", "3", "30 %", "90 %"}), rows[12]);
        EXPECT_EQ("-0.050", ItemText(dialogWindow, IDC_CRDUO_TEMP_COMP));
        EXPECT_EQ("1", ItemText(dialogWindow, IDC_CR_MODBUS_ADDRESS));
        EXPECT_EQ("1", ItemText(dialogWindow, IDC_CR_SKELDER_ADDRESS));
        EXPECT_TRUE(dialog.IsUnsaved());
        EXPECT_FALSE(dialog.IsEmpty());
        EXPECT_TRUE(SaveScreenshot(dialogWindow, "corandel_duo_setup_summary"));
        MessageBoxRecorder::Instance().Clear();
        // Enter in the list sends IDOK: the dialog has no OK button and stays.
        Click(dialogWindow, IDOK);
        MessageBoxRecorder::Instance().QueueAnswer(IDNO);
        Click(dialogWindow, IDCANCEL);
    });
    script.Step("close refused", [&] { return MessageBoxRecorder::Instance().Count() == 1; }, [&] {
        EXPECT_EQ("Warning: current setpoints are not saved.  Close without saving?", LastBox());
        EXPECT_EQ(static_cast<UINT>(MB_YESNO), MessageBoxRecorder::Instance().Boxes()[0].type);
        EXPECT_TRUE(::IsWindowVisible(dialogWindow));
        MessageBoxRecorder::Instance().QueueAnswer(IDYES);
        Click(dialogWindow, IDCANCEL);
    });
    script.Play([&] { EXPECT_EQ(IDCANCEL, dialog.DoModal()); });
    EXPECT_EQ(2u, MessageBoxRecorder::Instance().Count());
    EXPECT_EQ(25560, dialog.GetSettings().GetRawValue(0xE006)) << "14.2 V stays after the refused 36.41";
    EXPECT_EQ(1440, dialog.GetSettings().GetRawValue(0xE00A));
    // The Help button and F1 in the dialog, then F1 and the sheet's Help button on the pages.
    EXPECT_EQ(std::vector<UINT>({582u, 582u, 583u, 584u, 585u}), help.Popups()) << "each page its own topic";
}


// Reading and programming the device, files and the printed summary, on one dialog.
class CorandelDuoDeviceUi : public CorandelDuoUi
{
protected:
    void SetUp() override
    {
        CorandelDuoUi::SetUp();
        StartDevice("tests/corandel/CorandelDuoDevice.json", true);
        testing_support::EnsureDirectory(testing_support::BuildPath("tests/corandel_ui"));
    }

    // The connection page: the device's COM port and a Modbus address, then Next.
    void Connect(int address)
    {
        EXPECT_EQ(33, ::SendDlgItemMessageA(page, IDC_WIZARD_PORT, CB_GETCOUNT, 0, 0)) << "TCP/IP and COM 1 to 32";
        EXPECT_FALSE(IsItemVisible(page, IDC_WIZARD_SETTINGS_GROUP));
        EXPECT_FALSE(IsItemVisible(page, IDC_WIZARD_SETTINGS_CHARGE));
        SelectCombo(page, IDC_WIZARD_PORT, device.ComPort());
        Type(page, IDC_WIZARD_MODBUS_ADDRESS, std::to_string(address));
        PressWizardButton(sheet, PSBTN_NEXT);
    }
    std::function<bool()> ProgressEnds()
    {
        return ProgressShows([](const std::vector<std::string>& lines) {
            for (const std::string& line : lines)
            {
                if (line.find("completed successfully") != std::string::npos ||
                    line.find("If the problem persists") != std::string::npos)
                    return true;
            }
            return false;
        });
    }
};

TEST_F(CorandelDuoDeviceUi, ReadFromTheDeviceSaveLoadProgramAndPrint)
{
    CDialogCorandelSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    const std::string saved = testing_support::BuildPath("tests/corandel_ui/duo-read.qcrduo");
    const std::string damaged = testing_support::BuildPath("tests/corandel_ui/duo-damaged.qcrduo");
    const std::string broadcast = testing_support::BuildPath("tests/corandel_ui/duo-broadcast.qcrduo");
    const std::string refused = testing_support::BuildPath("tests/corandel_ui/duo-refused.qcrduo");
    ::DeleteFileA(saved.c_str());
    ::DeleteFileA(refused.c_str());

    script.Step("dialog", DialogShows(), [&] { Click(dialogWindow, IDC_CR_READ_DEVICE); });
    script.Step("read connection", PageShows(IDC_WIZARD_PORT), [&] {
        EXPECT_TRUE(SaveScreenshot(sheet, "corandel_duo_read_connection"));
        Connect(9);   // no device answers there
    });
    script.Step("read fails", ProgressEnds(), [&] {
        const auto lines = ListBoxLines(page, IDC_WIZARD_PROGRESS_LIST);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ("Unable to read the configuration of the Corandel Duo.", lines[lines.size() - 3]);
        EXPECT_EQ("Please restart the program and try again.", lines[lines.size() - 2]);
        EXPECT_EQ("If the problem persists, contact Quorvant Technical Support.", lines.back());
        EXPECT_EQ("Error: Unable to read the configuration of the Corandel Duo.\nPlease restart the program and "
                  "try again.  If the problem\npersists, contact Quorvant Technical Support.",
                  LastBox());
        EXPECT_TRUE(IsWizardButtonEnabled(sheet, ID_WIZBACK));
        EXPECT_FALSE(IsWizardButtonEnabled(sheet, ID_WIZFINISH));
        PressWizardButton(sheet, PSBTN_BACK);
    });
    script.Step("read again", PageShows(IDC_WIZARD_PORT), [&] { Connect(7); });
    script.Step("read ends", ProgressEnds(), [&] {
        const auto lines = ListBoxLines(page, IDC_WIZARD_PROGRESS_LIST);
        EXPECT_EQ("Corandel Duo reading completed successfully.", lines.back());
        EXPECT_EQ("Reading Corandel Duo configuration.", ItemText(page, IDC_WIZARD_PROGRESS_TITLE));
        EXPECT_FALSE(IsWizardButtonEnabled(sheet, IDCANCEL));
        EXPECT_TRUE(IsWizardButtonEnabled(sheet, ID_WIZFINISH));
        EXPECT_TRUE(SaveScreenshot(sheet, "corandel_duo_read_done"));
        PressWizardButton(sheet, PSBTN_FINISH);
    });
    script.Step("device values", [&] { return !ListViewRows(dialogWindow, IDC_CR_SUMMARY_LIST).empty(); }, [&] {
        const auto rows = ListViewRows(dialogWindow, IDC_CR_SUMMARY_LIST);
        EXPECT_EQ(std::vector<std::string>({"Absorption", "1", "1", "14.00 V", "14.40 V"}), rows[0]);
        EXPECT_EQ(std::vector<std::string>({"Float", "2", "2", "13.70 V", "none"}), rows[7]);
        EXPECT_EQ(std::vector<std::string>({"Charging Priority", "1", "3", "58 %", "72 %"}), rows[12]);
        EXPECT_EQ("7", ItemText(dialogWindow, IDC_CR_MODBUS_ADDRESS));
        EXPECT_EQ("3", ItemText(dialogWindow, IDC_CR_SKELDER_ADDRESS));
        EXPECT_TRUE(dialog.IsUnsaved());
        EXPECT_EQ(29u, device.Requests(4).size()) << "the whole list was read";
        Click(dialogWindow, IDC_CR_WRITE_FILE);
    });
    script.Step("save dialog", [] { return FindFileDialog() != nullptr; }, [&] { AnswerFileDialog(saved); });
    script.Step("saved", [&] { return FindFileDialog() == nullptr && !dialog.IsUnsaved(); }, [&] {
        const std::string bytes = testing_support::ReadFileText(saved);
        ASSERT_GT(bytes.size(), 12u);
        EXPECT_EQ(std::string("\x01\0\0\0\x01\0\0\0\x1d\0\0\0", 12), bytes.substr(0, 12));
        testing_support::WriteFileText(damaged, bytes.substr(0, bytes.size() - 5));
        // The MODBUS ID row's raw value follows its description, flag, empty unit, scale and default.
        const std::string description = "MODBUS ID (address)";
        const size_t raw = bytes.find(description) + description.size() + 4 + 1 + 8 + 8;
        ASSERT_EQ(std::string("\x07\0\0\0", 4), bytes.substr(raw, 4));
        testing_support::WriteFileText(broadcast, bytes.substr(0, raw) + std::string(4, '\0') + bytes.substr(raw + 4));
        Click(dialogWindow, IDC_CR_READ_FILE);
    });
    script.Step("open damaged", [] { return FindFileDialog() != nullptr; }, [&] { AnswerFileDialog(damaged); });
    script.Step("damaged refused", [&] { return LastBox() == "Error: unable to read configuration from file."; },
                [&] {
                    EXPECT_EQ(7, dialog.GetSettings().GetModbusAddress());
                    EXPECT_EQ(25200, dialog.GetSettings().GetRawValue(0xE006));
                    Click(dialogWindow, IDC_CR_READ_FILE);
                });
    script.Step("open broadcast", [] { return FindFileDialog() != nullptr; }, [&] { AnswerFileDialog(broadcast); });
    script.Step("broadcast refused",
                [&] {
                    return LastBox() ==
                           "Error: unable to read configuration from file (Modbus Address 0 is not in the range 1 to 247)";
                },
                [&] {
                    EXPECT_EQ(7, dialog.GetSettings().GetModbusAddress());
                    EXPECT_EQ(3, dialog.GetSettings().GetSkelderAddress());
                    dialog.GetSettings().SetValue(0xE001, 200);
                    Click(dialogWindow, IDC_CR_READ_FILE);
                });
    script.Step("open saved", [] { return FindFileDialog() != nullptr; }, [&] { AnswerFileDialog(saved); });
    script.Step("loaded", [&] { return FindFileDialog() == nullptr && dialog.GetSettings().GetModbusAddress() == 7; },
                [&] {
                    EXPECT_FALSE(dialog.IsUnsaved());
                    dialog.GetSettings().SetFromText(0xE006, "14.25", 0, 36.4);
                    // Settings holding an address no controller answers at, as a read can
                    // leave them: Save and Program refuse them.
                    dialog.GetSettings().SetValue(0xE000, 16);
                    Click(dialogWindow, IDC_CR_WRITE_FILE);
                });
    script.Step("save refused dialog", [] { return FindFileDialog() != nullptr; }, [&] { AnswerFileDialog(refused); });
    script.Step("save refused",
                [&] { return LastBox() == "Error: unable to save settings to file (Skelder Address 16 is not in the range 1 to 15)"; },
                [&] {
                    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(refused.c_str()));
                    Click(dialogWindow, IDC_CR_PROGRAM_DEVICE);
                });
    script.Step("refused connection", PageShows(IDC_WIZARD_PORT), [&] { Connect(7); });
    script.Step("program refused", ProgressEnds(), [&] {
        const auto lines = ListBoxLines(page, IDC_WIZARD_PROGRESS_LIST);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ("* Error: Skelder Address 16 is not in the range 1 to 15", lines[lines.size() - 4]);
        EXPECT_EQ("Unable to program the Corandel Duo.", lines[lines.size() - 3]);
        dialog.GetSettings().SetValue(0xE000, 3);
        PressWizardButton(sheet, PSBTN_BACK);
    });
    script.Step("program connection", PageShows(IDC_WIZARD_PORT), [&] { Connect(7); });
    script.Step("programmed", ProgressEnds(), [&] {
        EXPECT_EQ("Corandel Duo programming completed successfully.",
                  ListBoxLines(page, IDC_WIZARD_PROGRESS_LIST).back());
        EXPECT_EQ("Writing Corandel Duo configuration.", ItemText(page, IDC_WIZARD_PROGRESS_TITLE));
        PressWizardButton(sheet, PSBTN_FINISH);
    });
    script.Step("print", [&] { return FindWizardSheet() == nullptr; }, [&] {
        EXPECT_EQ(25650, ProgrammedWords(29)[0xE006]) << "14.25 V";
        const std::string text = PrintSummary(dialog, "Corandel Duo Summary");
        const std::regex expected(
            "Quorvant Corp\\. Corandel Duo Setup Summary\n"
            "Printed on [^\n]+\n"
            "MODBUS Address: 7\n"
            "Skelder Address: 3\n"
            " \nBattery 1, DIP Switch #1 OFF\n======================\n"
            "Absorption = 14\\.25 V\nFloat = 13\\.60 V\nEqualize = none\nMax\\. Regulation = 15\\.00 V\n"
            "Time Until Float = 90 min\nEqualize Duration = none\n"
            " \nBattery 1, DIP Switch #1 ON\n======================\n"
            "Absorption = 14\\.40 V\nFloat = 13\\.70 V\nEqualize = 14\\.65 V\nMax\\. Regulation = 15\\.00 V\n"
            "Time Until Float = 120 min\nEqualize Duration = 180 min\n"
            " \nBattery 2, DIP Switch #2 OFF\n(.*\n){7}"
            " \nBattery 2, DIP Switch #2 ON\n======================\n"
            "Absorption = 14\\.40 V\nFloat = none\nEqualize = 14\\.65 V\nMax\\. Regulation = 15\\.00 V\n"
            "Time Until Float = none\nEqualize Duration = 180 min\n"
            " \nPriority, DIP Switch #3 OFF = 58 %\nPriority, DIP Switch #3 ON = 72 %\n"
            "\nNOTE: DIP SWITCH #4 MUST BE IN THE ON POSITION TO ENABLE THE USE OF CUSTOM SETPOINTS\\.\n");
        EXPECT_TRUE(std::regex_match(text, expected)) << text;
        EXPECT_EQ(std::string::npos, text.find("Temperature")) << "the compensation is not printed";
        Click(dialogWindow, IDCANCEL);
    });
    script.Play([&] { dialog.DoModal(); });
}

}  // namespace
