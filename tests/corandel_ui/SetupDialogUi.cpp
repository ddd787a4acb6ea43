#include "tests/corandel_ui/SetupDialogUi.h"

#include "shell/ProgramFolders.h"
#include "tests/support/TestPaths.h"

namespace corandel_ui {

using testing_support::MessageBoxRecorder;

std::string LastBox()
{
    const auto boxes = MessageBoxRecorder::Instance().Boxes();
    return boxes.empty() ? "" : boxes.back().text;
}

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

void SetupDialogUi::StartDevice(const std::string& profile, bool serial)
{
    ASSERT_TRUE(host.Connected()) << host.Error();
    const std::string folder = testing_support::BuildPath("");
    GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
    ASSERT_TRUE(device.Start(profile, serial));
}

} // namespace corandel_ui
