#include "tests/corandel_ui/SetupDialogUi.h"

#include "res/pyraxis_corandel_resource.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/ProgramFolders.h"
#include "tests/corandel_ui/PrintCapture.h"
#include "wizards/corandel/CDialogSetpointSummary.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowTest.h"

#include "wizards/framework/CStorageVarnixConfig.h"

#include <algorithm>
#include <memory>
#include <random>
#include <set>

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

void SetupDialogUi::UntouchedEditRounds(const std::string& title, CStorageVarnixConfig& settings, int pages,
                                        int rounds, std::vector<std::string>* changed)
{
    struct State
    {
        std::mt19937 random{20261211};
        std::map<UINT32, INT32> raws;   // what the round set
        HWND lastPage = nullptr;
    };
    const std::shared_ptr<State> state = std::make_shared<State>();
    const auto compare = [state, &settings, changed] {
        for (const auto& entry : state->raws)
            if (settings.FindRowConst(entry.first)->raw != entry.second)
                changed->push_back(std::to_string(entry.first) + " " + std::to_string(entry.second) + " -> " +
                                   std::to_string(settings.FindRowConst(entry.first)->raw));
        state->raws.clear();
    };
    const auto passPages = [this, state, pages](const std::string& name) {
        for (int n = 1; n <= pages; ++n)
            script.Step(name + " page " + std::to_string(n),
                        [this, state] {
                            sheet = FindWizardSheet();
                            page = CurrentPage(sheet);
                            return page != nullptr && ::IsWindowVisible(page) && page != state->lastPage;
                        },
                        [this, state, n, pages] {
                            state->lastPage = page;
                            PressWizardButton(sheet, n == pages ? PSBTN_FINISH : PSBTN_NEXT);
                        });
    };
    script.Step("dialog", DialogShows(title), [this] { Click(dialogWindow, IDC_CR_CREATE_NEW); });
    passPages("new");
    for (int round = 0; round < rounds; ++round)
    {
        script.Step("round " + std::to_string(round), [] { return FindWizardSheet() == nullptr; },
                    [this, state, &settings, compare] {
                        compare();
                        for (int index = 0; index < settings.GetRowCount(); ++index)
                        {
                            SettingRow_t* row = settings.GetRowAt(index);
                            if (!row->flag || row->scale == 1.0)
                                continue;
                            const INT32 raw = row->raw + std::uniform_int_distribution<int>(-20, 20)(state->random);
                            if (row->raw != 0 && row->RawFits(raw))
                                row->raw = raw;
                            state->raws[row->registerAddress] = row->raw;
                        }
                        state->lastPage = nullptr;
                        Click(dialogWindow, IDC_CR_EDIT);
                    });
        passPages("round " + std::to_string(round));
    }
    script.Step("close", [] { return FindWizardSheet() == nullptr; }, [this, compare] {
        compare();
        MessageBoxRecorder::Instance().QueueAnswer(IDYES);
        Click(dialogWindow, IDCANCEL);
    });
}

void SetupDialogUi::ExpectUntouchedEditsKeepRawValues(CDialogSetpointSummary& dialog, const std::string& title,
                                                      CStorageVarnixConfig& settings, int pages)
{
    std::vector<std::string> changed;
    UntouchedEditRounds(title, settings, pages, 8, &changed);
    script.Play([&] { dialog.DoModal(); });
    EXPECT_TRUE(script.Finished()) << script.Stuck();
    std::set<std::string> registers;
    for (const std::string& line : changed)
        registers.insert(line.substr(0, line.find(' ')));
    EXPECT_EQ(std::vector<std::string>(), changed)
        << changed.size() << " changed, registers " << testing::PrintToString(registers);
    // Only the question before closing: no page refused what it showed.
    EXPECT_EQ(std::vector<std::string>{"Warning: current setpoints are not saved.  Close without saving?"},
              BoxTexts());
}

} // namespace corandel_ui
