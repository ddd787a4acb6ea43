// The texts that only the running program puts into its windows fit them too: a port
// with the friendly name the demo site's port has in the wizards' port list, the question
// before programming a connected device with its own button texts, and the Ostrel setup's
// summary of the demo site's channels. Screenshots go to build/screenshots (texts_fit_*).
#include <gtest/gtest.h>

#include "framework/CWinApp.h"
#include "res/pyraxis_relay_resource.h"
#include "res/pyraxis_resource.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/CGenericMessageBox.h"
#include "shell/ProgramFolders.h"
#include "tests/support/ControlTextFit.h"
#include "tests/support/DialogUser.h"
#include "tests/support/ListedPort.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SheetScript.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowTest.h"
#include "wizards/framework/CPropPageWizardRead1.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/relay/CDialogRelayModuleSetup.h"

#include <boost/make_shared.hpp>

#include <algorithm>

using namespace testing_support;

namespace {

std::string Lines(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

class RunningTexts : public WindowTest
{
protected:
    RunningTexts() : WindowTest("RunningTextsTest") {}
    void SetUp() override
    {
        WindowTest::SetUp();
        const std::string folder = BuildPath("");
        GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
    }

    // What does not fit in the window, with its picture saved.
    std::vector<std::string> Check(HWND window, const std::string& name)
    {
        ::UpdateWindow(window);
        EXPECT_NE("", Screenshot::OfWindow(window).Save("texts_fit_" + name)) << name;
        return CutTexts(window);
    }

    SheetScript script;
};

TEST_F(RunningTexts, ThePortListShowsTheDemoSitesPortWhole)
{
    ListedPort listed(20);
    ASSERT_TRUE(listed.Made());
    CWizardProgrammingContextPtr context = boost::make_shared<CWizardProgrammingContext>(nullptr);
    context->isRead = true;
    context->modbusAddress = 1;
    CPropPageWizardRead1 connection(context, IDD_WIZARD_READ_CONNECTION);
    CPropertySheetDipSwitch sheet("Read Settings", nullptr, 0);
    sheet.AddPage(&connection);
    sheet.SetWizardMode();
    std::vector<std::string> ports;
    std::vector<std::string> cut;
    script.Do([&] {
        HWND page = connection.GetSafeHwnd();
        ports = ComboLines(::GetDlgItem(page, IDC_WIZARD_PORT));
        const auto row = std::find(ports.begin(), ports.end(), listed.FriendlyName());
        if (row != ports.end())
            SelectComboRow(page, IDC_WIZARD_PORT, static_cast<int>(row - ports.begin()));
        cut = Check(sheet.GetSafeHwnd(), "wizard_port_list");
        sheet.PressButton(PSBTN_CANCEL);
    });
    script.Run(sheet);
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_NE(ports.end(), std::find(ports.begin(), ports.end(), listed.FriendlyName()));
    EXPECT_TRUE(cut.empty()) << Lines(cut);
}

TEST_F(RunningTexts, TheQuestionBeforeProgrammingShowsItsButtonsWhole)
{
    std::vector<std::string> cut;
    shell_test::DialogUser user(IDC_GENERIC_MESSAGE_TEXT, [&](HWND box) {
        cut = Check(box, "program_question");
        shell_test::Click(box, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, ShowGenericMessageBox(
                            "Pyraxis must disconnect from the device before you can program it with these settings.",
                            MB_ICONQUESTION, "Disconnect and program", "Cancel", nullptr));
    EXPECT_TRUE(user.Finished());
    EXPECT_TRUE(cut.empty()) << Lines(cut);
}

TEST_F(RunningTexts, TheOstrelSummaryShowsEveryChannelOfTheDemoSiteWhole)
{
    CDialogRelayModuleSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    // The demo site's channel 3: a fan on the module's own temperature, the longest line.
    CRelayModuleChannel& fan = dialog.GetChannels()[2];
    fan.SetFunctionCode(RELAY_FUNCTION_THRESHOLD);
    fan.SetAdvanced(true);
    fan.SetControlDevice(2, 3);   // the Ostrel's own variables (devices.xml)
    fan.SetAddress(RELAY_ADDRESS_STANDALONE);
    fan.SetThresholdVariable(8);
    fan.SetThresholdHighLimit(28.0);
    fan.SetThresholdLowLimit(24.0);
    fan.SetHighOutputState(true);
    std::string line;
    std::vector<std::string> cut;
    script.Do([&] {
        line = WindowText(::GetDlgItem(dialog.GetSafeHwnd(), IDC_RELAY_SUMMARY_3));
        cut = Check(dialog.GetSafeHwnd(), "ostrel_summary");
        dialog.EndDialog(IDCANCEL);
    });
    script.Run(dialog);
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_NE(std::string::npos, line.find("low=24.00")) << line;
    EXPECT_TRUE(cut.empty()) << Lines(cut);
}

} // namespace
