// Runs the sample application under Wine: a driver thread plays the user, answering the
// settings dialog and walking the wizard with posted messages, and photographs both.
#include <gtest/gtest.h>

#include "framework/CPropertySheet.h"
#include "tests/sample_ui/SampleApp.h"
#include "tests/sample_ui/SampleResources.h"
#include "tests/support/Screenshot.h"

#include <atomic>
#include <string>
#include <thread>
#include "tests/support/Polling.h"
#include <functional>

using testing_support::Screenshot;

namespace {

const DWORD kWaitMs = 10000;

// Polls (bounded) until the condition holds; false on time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs)
{
    return testing_support::PollUntil(condition, timeoutMs);
}

struct TopLevelSearch {
    DWORD threadId;
    HWND except;
    HWND found;
};

// A visible dialog-class window of the UI thread other than `except`.
HWND FindVisibleDialog(DWORD threadId, HWND except)
{
    TopLevelSearch search = {threadId, except, nullptr};
    ::EnumThreadWindows(
        threadId,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<TopLevelSearch*>(lParam);
            char className[16] = {};
            ::GetClassNameA(hWnd, className, sizeof className);
            if (hWnd != s->except && ::IsWindowVisible(hWnd) && std::string(className) == "#32770") {
                s->found = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int CurrentPageId(HWND sheet)
{
    HWND page = CurrentPage(sheet);
    return page != nullptr ? static_cast<int>(::SendMessageA(sheet, PSM_HWNDTOINDEX, (WPARAM)page, 0)) : -1;
}

bool ButtonEnabled(HWND sheet, int id)
{
    HWND button = ::GetDlgItem(sheet, id);
    return button != nullptr && ::IsWindowVisible(button) && ::IsWindowEnabled(button);
}

// What the user does; records failures as text so that the test thread reports them.
void PlayTheUser(DWORD uiThread, std::string& failure)
{
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = FindVisibleDialog(uiThread, nullptr)) != nullptr; })) {
        failure = "the settings dialog did not appear";
        return;
    }
    ::Sleep(300);   // let it paint
    Screenshot::OfWindow(dialog).Save("sample_settings_dialog");
    ::SetDlgItemTextA(dialog, IDC_SAMPLE_NAME, "Station 7");
    ::SetDlgItemTextA(dialog, IDC_SAMPLE_PORT, "8080");
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (!WaitUntil([&] { return !::IsWindow(dialog); })) {
        failure = "the settings dialog did not close on IDOK";
        return;
    }

    HWND sheet = nullptr;
    if (!WaitUntil([&] { return (sheet = FindVisibleDialog(uiThread, dialog)) != nullptr && CurrentPage(sheet); })) {
        failure = "the wizard did not appear";
        return;
    }
    // The buttons are posted by the page: wait for them.
    if (!WaitUntil([&] { return ButtonEnabled(sheet, ID_WIZNEXT) && !ButtonEnabled(sheet, ID_WIZBACK); })) {
        failure = "the first page did not set Next only";
        return;
    }
    ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    if (!WaitUntil([&] { return CurrentPageId(sheet) == 1 && ButtonEnabled(sheet, ID_WIZBACK); })) {
        failure = "Next did not reach the choice page";
        return;
    }
    HWND choice = CurrentPage(sheet);
    ::SendMessageA(::GetDlgItem(choice, IDC_SAMPLE_FAST), BM_SETCHECK, BST_CHECKED, 0);
    ::Sleep(300);
    Screenshot::OfWindow(sheet).Save("sample_wizard_choice_page");
    ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    if (!WaitUntil([&] { return CurrentPageId(sheet) == 2 && ButtonEnabled(sheet, ID_WIZFINISH); })) {
        failure = "Next did not reach the last page with Finish";
        return;
    }
    ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    if (!WaitUntil([&] { return !::IsWindow(sheet); }))
        failure = "Finish did not close the wizard";
}

TEST(SampleApplication, ShowsTheDialogAndThenTheWizard)
{
    CSampleApp app;
    std::string failure;
    std::thread user(PlayTheUser, ::GetCurrentThreadId(), std::ref(failure));

    char commandLine[] = "";
    const int exitCode = AfxWinMain(::GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
    user.join();

    EXPECT_EQ(failure, "");
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(app.m_dialogResult, IDOK);
    EXPECT_EQ(app.m_name, "Station 7");
    EXPECT_EQ(app.m_port, 8080);
    EXPECT_EQ(app.m_wizardResult, ID_WIZFINISH);
    EXPECT_EQ(app.m_fast, BST_CHECKED);
    const std::vector<UINT> expectedPages = {IDD_SAMPLE_PAGE_WELCOME, IDD_SAMPLE_PAGE_CHOICE, IDD_SAMPLE_PAGE_DONE};
    EXPECT_EQ(app.m_shownPages, expectedPages);
    // The wizard was the main window: its end cleared it and told the loop to quit.
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    MSG quit;
    ASSERT_EQ(app.m_wizardResult, ID_WIZFINISH);
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
