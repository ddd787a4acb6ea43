// The application object: the About box with the program's version, the help request
// that a window may answer itself, and a setup dialog run as the program's main window.
#include <gtest/gtest.h>

#include "framework/FrameworkIds.h"
#include "res/pyraxis_resource.h"
#include "shell/CDialogMainWindow.h"
#include "shell/CVarnixViewApp.h"
#include "shell/HelpCommands.h"
#include "shell/ShellCommands.h"
#include "tests/support/DialogUser.h"
#include "tests/shell_ui/ShellTestResources.h"
#include "tests/support/ImportPatch.h"
#include "tests/support/PendingMessages.h"

#include <string>


namespace
{
// The HTML help commands (htmlhelp.h would rename the application's HtmlHelp member).
const UINT kDisplayContents = 0x0001;
const UINT kHelpContext = 0x000F;

int g_contentsShown = 0;
HWND WINAPI CountContents(HWND, LPCSTR, UINT command, DWORD_PTR)
{
    if (command == kDisplayContents)
        ++g_contentsShown;
    return nullptr;
}

// Counts the C library's frees of one block.
const void* g_watchedBlock = nullptr;
int g_watchedFrees = 0;
void (*g_originalFree)(void*) = nullptr;
void CountingFree(void* block)
{
    if (block != nullptr && block == g_watchedBlock)
        ++g_watchedFrees;
    g_originalFree(block);
}

// A window that answers help requests when told to.
LRESULT CALLBACK HelpAnswering(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP_HELP_REQUEST)
        return ::GetWindowLongPtrA(window, GWLP_USERDATA);
    return ::DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

TEST(Application, AboutBoxShowsTheProductVersion)
{
    CVarnixViewApp app;
    std::string version = GetProductVersionText();
    std::string line;
    shell_test::DialogUser user(IDC_ABOUT_VERSION, [&](HWND dialog) {
        line = shell_test::TextOf(::GetDlgItem(dialog, IDC_ABOUT_VERSION));
        shell_test::Click(dialog, IDOK);
    });
    app.OnCmdMsg(ID_APP_ABOUT, CN_COMMAND, nullptr, nullptr);
    ASSERT_TRUE(user.Finished());
    // The test program carries no version resource: the format shows an empty version.
    EXPECT_EQ("Pyraxis Version " + version, line);
}

TEST(Application, HelpGoesToTheActiveWindowFirstAndToTheContentsWhenItDeclines)
{
    CVarnixViewApp app;
    const char helpPath[] = "C:\\Pyraxis\\pyraxis.chm";
    app.SetHelpFilePath(helpPath);
    HtmlHelpCall previous = SetHtmlHelpCall(CountContents);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HelpAnswering;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PyraxisHelpAnswering";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(0, "PyraxisHelpAnswering", "help", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                                    100, nullptr, nullptr, windowClass.hInstance, nullptr);
    ::SetActiveWindow(window);
    g_contentsShown = 0;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 1);
    app.HtmlHelp(42, kHelpContext);
    EXPECT_EQ(0, g_contentsShown);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    app.HtmlHelp(42, kHelpContext);
    EXPECT_EQ(1, g_contentsShown);
    ::DestroyWindow(window);
    SetHtmlHelpCall(previous);
}

TEST(Application, TheHtmlHelpPathIsTheFrameworksOwnTextAndFreedOnce)
{
    testing_support::ImportPatch patch("msvcrt.dll", "free", reinterpret_cast<void*>(&CountingFree));
    ASSERT_TRUE(patch.Installed());
    g_originalFree = reinterpret_cast<void (*)(void*)>(patch.Original());
    g_watchedFrees = 0;
    {
        CVarnixViewApp app;
        ASSERT_NE(nullptr, app.m_pszHelpFilePath);
        const std::string helpPath = app.m_pszHelpFilePath;
        ASSERT_EQ(".HLP", helpPath.substr(helpPath.size() - 4));
        app.UseHtmlHelpFile();
        EXPECT_EQ(helpPath.substr(0, helpPath.size() - 3) + "chm", app.m_pszHelpFilePath);
        g_watchedBlock = app.m_pszHelpFilePath;
    }
    // The framework frees its help path when the application ends; nothing else may.
    EXPECT_EQ(1, g_watchedFrees);
    g_watchedBlock = nullptr;
}

TEST(Application, ASetupDialogIsTheMainWindowOnlyWhileItRuns)
{
    CVarnixViewApp app;
    CWnd* seenMainWindow = nullptr;
    {
        CDialogMainWindow dialog(IDD_SHELL_TEST_EXCHANGE, nullptr, app.LoadAppIcon(IDR_MAINFRAME));
        shell_test::DialogUser user(IDC_SHELL_TEST_FLOAT, [&](HWND window) {
            seenMainWindow = AfxGetMainWnd();
            ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        EXPECT_EQ(IDCANCEL, app.RunDialogAsMainWindow(dialog));
        ASSERT_TRUE(user.Finished());
        EXPECT_EQ(&dialog, seenMainWindow);
        EXPECT_EQ(nullptr, app.m_pMainWnd);
    }
    // With the dialog gone from the stack, the end of the program deletes nothing.
    app.ExitInstance();
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    testing_support::DispatchPendingMessages();
}
