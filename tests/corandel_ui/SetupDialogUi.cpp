#include "tests/corandel_ui/SetupDialogUi.h"

#include "res/pyraxis_corandel_resource.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/ProgramFolders.h"
#include "tests/corandel_ui/PrintCapture.h"
#include "wizards/corandel/CDialogSetpointSummary.h"
#include "tests/support/TestPaths.h"

#include <algorithm>

namespace corandel_ui {

using namespace testing_support;

using testing_support::MessageBoxRecorder;

const RefusedAddressEntry kRefusedAddressEntries[4] = {
    {"0", "15", "Error: invalid Modbus Address.  It must be in the range 1 to 247."},
    {"248", "15", "Error: invalid Modbus Address.  It must be in the range 1 to 247."},
    {"1", "0", "Error: invalid Skelder Address.  It must be in the range 1 to 15."},
    {"1", "16", "Error: invalid Skelder Address.  It must be in the range 1 to 15."},
};

void SetupDialogUi::SetUp()
{
    MessageBoxRecorder::Instance().Clear();
}

void SetupDialogUi::TearDown()
{
    MessageBoxRecorder::Instance().Clear();
}

std::function<bool()> SetupDialogUi::DialogShows(const std::string& title)
{
    return [this, title] { return (dialogWindow = FindTopWindow(title)) != nullptr; };
}

std::function<bool()> SetupDialogUi::PageShows(int control, const char* caption)
{
    return [this, control, caption] {
        sheet = FindWizardSheet();
        page = CurrentPage(sheet);
        return page != nullptr && ::GetDlgItem(page, control) != nullptr && ::IsWindowVisible(page) &&
               (caption == nullptr || TextOf(page) == caption);
    };
}

std::function<bool()> SetupDialogUi::BoxCount(size_t count)
{
    return [count] { return MessageBoxRecorder::Instance().Count() == count; };
}

std::function<bool()> SetupDialogUi::ProgressShows(std::function<bool(const std::vector<std::string>&)> condition)
{
    return [this, condition] {
        sheet = FindWizardSheet();
        page = CurrentPage(sheet);
        if (page == nullptr || ::GetDlgItem(page, IDC_WIZARD_PROGRESS_LIST) == nullptr)
            return false;
        return condition(ListBoxLines(page, IDC_WIZARD_PROGRESS_LIST));
    };
}

void SetupDialogUi::StartDevice(const std::string& profile, bool serial)
{
    ASSERT_TRUE(host.Connected()) << host.Error();
    const std::string folder = testing_support::BuildPath("");
    GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
    ASSERT_TRUE(device.Start(profile, serial));
}

std::map<int, int> SetupDialogUi::ProgrammedWords(size_t count)
{
    const auto writes = device.Requests(6);
    EXPECT_EQ(count, writes.size());
    EXPECT_TRUE(testing_support::AscendingOnce(writes));
    std::map<int, int> written;
    for (const auto& write : writes)
        written[write.address] = write.value;
    return written;
}

std::string SetupDialogUi::PrintSummary(CDialogSetpointSummary& dialog, const std::string& jobName)
{
    PrintCapture printer;
    ::SendMessageA(dialogWindow, WM_COMMAND, MAKEWPARAM(IDC_CR_PRINT, BN_CLICKED), 0);
    EXPECT_EQ(jobName, printer.JobName());
    EXPECT_GE(printer.Pages(), 1);
    EXPECT_TRUE(printer.Ended());
    // The text built again may say the next second in its "Printed on" line: the printed
    // characters must match it around that line, whatever time the print shows.
    const std::string text = dialog.BuildSummaryText().StdString();
    const size_t timeLine = text.find("Printed on ");
    EXPECT_NE(std::string::npos, timeLine) << text;
    const std::string head = WithoutWhiteSpace(text.substr(0, timeLine)) + "Printedon";
    const std::string tail = WithoutWhiteSpace(text.substr(text.find('\n', timeLine)));
    const std::string& printed = printer.PrintedCharacters();
    EXPECT_GT(printed.size(), head.size() + tail.size()) << printed;
    EXPECT_EQ(head, printed.substr(0, head.size()));
    EXPECT_EQ(tail, printed.substr(printed.size() - std::min(printed.size(), tail.size())));
    return text;
}

} // namespace corandel_ui
