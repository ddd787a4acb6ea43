// Renaming documents with the real input dialog: a second thread plays the user (finds
// the dialog, reads it, types and presses a button) while the test's thread runs it.
#include <gtest/gtest.h>

#include "displays/CDocumentDisplay.h"
#include "documents/CDocumentEx.h"
#include "documents/CDocumentManager.h"
#include "framework/CFrameWnd.h"
#include "framework/CWinApp.h"
#include "res/pyraxis_resource.h"
#include "shell/CDialogGeneralInput.h"
#include "tests/documents/HubRecorders.h"
#include "tests/documents_ui/DisplayTestResources.h"
#include "tests/support/Screenshot.h"

#include <boost/make_shared.hpp>

#include <string>
#include <thread>
#include <vector>
#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"
#include <functional>

using hub_test::Describe;
using hub_test::Drain;

namespace
{
// Generous: a loaded machine shows Wine windows slowly.
const DWORD kWaitMs = 20000;

// Polls (bounded) until the condition holds; false on time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs)
{
    return testing_support::PollUntil(condition, timeoutMs);
}

std::string TextOf(HWND window)
{
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

// The visible dialog of the thread that has the input's edit control.
HWND FindInputDialog(DWORD thread)
{
    HWND found = nullptr;
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM result) -> BOOL {
            char className[16] = {};
            ::GetClassNameA(window, className, sizeof className);
            if (std::string(className) != "#32770" || !::IsWindowVisible(window) ||
                ::GetDlgItem(window, IDC_GENERAL_INPUT_TEXT) == nullptr)
                return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// What the user saw of one input dialog.
struct SeenDialog
{
    bool appeared = false;
    std::string caption;
    std::string prompt;
    std::string initialText;
    HWND owner = nullptr;
    bool editHadFocus = false;
    std::string screenshotPath;
    bool closed = false;
};

// Plays the user of the next input dialog of the constructing thread: replaces the
// edit's text by typing, then presses OK or Cancel.
class InputDialogUser
{
public:
    InputDialogUser(const std::string& typed, int button, const std::string& screenshot = "")
        : m_uiThread(::GetCurrentThreadId()), m_typed(typed), m_button(button), m_screenshot(screenshot),
          m_thread([this] { Play(); })
    {
    }
    ~InputDialogUser()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    const SeenDialog& Seen()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_seen;
    }

private:
    void Play()
    {
        HWND dialog = nullptr;
        if (!WaitUntil([&] { return (dialog = FindInputDialog(m_uiThread)) != nullptr; }))
            return;
        m_seen.appeared = true;
        HWND edit = ::GetDlgItem(dialog, IDC_GENERAL_INPUT_TEXT);
        m_seen.caption = TextOf(dialog);
        m_seen.prompt = TextOf(::GetDlgItem(dialog, IDC_GENERAL_INPUT_PROMPT));
        m_seen.initialText = TextOf(edit);
        m_seen.owner = ::GetWindow(dialog, GW_OWNER);
        m_seen.editHadFocus = WaitUntil(
            [&] {
                GUITHREADINFO info = {};
                info.cbSize = sizeof info;
                return ::GetGUIThreadInfo(m_uiThread, &info) && info.hwndFocus == edit;
            },
            2000);

        ::SendMessageA(edit, EM_SETSEL, 0, -1);
        if (m_typed.empty())
            ::SendMessageA(edit, WM_CHAR, VK_BACK, 0);
        for (char c : m_typed)
            ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
        if (!m_screenshot.empty())
        {
            ::Sleep(300);   // let it paint
            m_seen.screenshotPath = testing_support::Screenshot::OfWindow(dialog).Save(m_screenshot);
        }
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, m_button)));
        m_seen.closed = WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); });
        if (!m_seen.closed)   // never leave the test's thread in the modal loop
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

    DWORD m_uiThread;
    std::string m_typed;
    int m_button;
    std::string m_screenshot;
    SeenDialog m_seen;
    std::thread m_thread;   // last: starts once the rest is set
};

// Renames the document through the dialog, with the user typing text and pressing the button.
SeenDialog RenameAs(CDocumentEx& document, const std::string& typed, int button, const std::string& screenshot = "")
{
    InputDialogUser user(typed, button, screenshot);
    document.Rename();
    return user.Seen();
}

class DocumentRename : public testing::Test
{
protected:
    void SetUp() override
    {
        m_main = new CFrameWnd;
        ASSERT_TRUE(m_main->LoadFrame(IDR_DISPLAY_TEST_MAIN));
        m_mainHandle = m_main->GetSafeHwnd();
        m_app.m_pMainWnd = m_main;
        m_main->ShowWindow(SW_SHOW);
        // The queues are read by the tests, not by the dispatch thread.
        m_manager.GetDispatcher().Shutdown();
        Drain(m_manager.GetDispatcher().GetFirstQueue());
        Drain(m_manager.GetDispatcher().GetSecondQueue());
    }

    void TearDown() override
    {
        if (::IsWindow(m_mainHandle))
            ::DestroyWindow(m_mainHandle);
        testing_support::DispatchPendingMessages();
        m_app.m_pMainWnd = nullptr;
    }

    std::vector<std::string> FirstQueue() { return Describe(Drain(m_manager.GetDispatcher().GetFirstQueue())); }
    std::vector<std::string> SecondQueue() { return Describe(Drain(m_manager.GetDispatcher().GetSecondQueue())); }

    CWinApp m_app{"RenameTest"};
    CFrameWnd* m_main = nullptr;
    HWND m_mainHandle = nullptr;
    CDocumentManager m_manager;
};
}  // namespace

TEST_F(DocumentRename, NameFollowsTitleThenRenameAndAnEmptyRenameBringsTheTitleBack)
{
    CDocumentEx document;
    EXPECT_STREQ("Base Document", document.GetName());
    document.SetTitle("Roof panel");
    EXPECT_STREQ("Roof panel", document.GetName());

    SeenDialog seen = RenameAs(document, "Boiler panel", IDOK);
    ASSERT_TRUE(seen.appeared);
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ("Roof panel", seen.initialText);
    EXPECT_STREQ("Boiler panel", document.GetName());
    EXPECT_STREQ("Boiler panel", document.GetTitle());

    // The dialog offers the default name, not the user's, and an empty entry restores it.
    seen = RenameAs(document, "", IDOK);
    ASSERT_TRUE(seen.appeared);
    EXPECT_EQ("Roof panel", seen.initialText);
    EXPECT_STREQ("Roof panel", document.GetName());
    EXPECT_STREQ("Roof panel", document.GetTitle());
    EXPECT_FALSE(document.HasUserName());
}

TEST_F(DocumentRename, DialogShowsPromptAndBaseNameWithTheFocusInTheEdit)
{
    CDocumentEx document;
    document.SetUserName("Mine");

    const SeenDialog seen = RenameAs(document, "Typed but cancelled", IDCANCEL, "rename_dialog");
    ASSERT_TRUE(seen.appeared);
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ("Dialog", seen.caption);
    EXPECT_EQ("Please enter a new name", seen.prompt);
    EXPECT_EQ("Base Document", seen.initialText);
    EXPECT_EQ(m_mainHandle, seen.owner);
    EXPECT_TRUE(seen.editHadFocus);
    EXPECT_FALSE(seen.screenshotPath.empty());
    EXPECT_STREQ("Mine", document.GetName());
}

TEST_F(DocumentRename, CancelKeepsTheNamesAndPostsNothing)
{
    CDocumentEx document(&m_manager);
    document.SetId(9);
    document.SetTitle("Feed pump");

    const SeenDialog seen = RenameAs(document, "Ignored", IDCANCEL);
    ASSERT_TRUE(seen.appeared);
    EXPECT_STREQ("Feed pump", document.GetName());
    EXPECT_STREQ("Feed pump", document.GetTitle());
    EXPECT_FALSE(document.HasUserName());
    // Still no user name: a new title shows through.
    document.SetTitle("Feed pump 2");
    EXPECT_STREQ("Feed pump 2", document.GetName());
    EXPECT_TRUE(FirstQueue().empty());
    EXPECT_TRUE(SecondQueue().empty());
}

TEST_F(DocumentRename, OkPostsAStateRefreshWithTheDocumentIdIntoBothQueues)
{
    CDocumentEx document(&m_manager);
    document.SetId(12);

    ASSERT_TRUE(RenameAs(document, "Well pump", IDOK).appeared);
    EXPECT_STREQ("Well pump", document.GetName());
    const std::vector<std::string> expected = {"refresh:4:12"};
    EXPECT_EQ(expected, FirstQueue());
    EXPECT_EQ(expected, SecondQueue());
}

TEST_F(DocumentRename, DisplayRenameEntryRenamesTheDisplay)
{
    auto display = boost::make_shared<CDocumentDisplay>();
    display->SetDocumentManager(&m_manager);
    const int id = m_manager.AddDisplay(display);
    ASSERT_GT(id, 0);
    display->SetTitle("Panel");

    int renameEntry = -1;
    for (int index = 0; index < display->GetPopupMenuEntryCount() && renameEntry < 0; ++index)
    {
        CString text;
        bool enabled = false;
        bool checked = false;
        display->GetPopupMenuEntry(index, text, enabled, checked);
        if (text == "&Rename...")
            renameEntry = index;
    }
    ASSERT_GE(renameEntry, 0);

    InputDialogUser user("South array", IDOK);
    EXPECT_EQ(renameEntry, display->OnPopupMenuCommand(renameEntry));
    const SeenDialog seen = user.Seen();
    ASSERT_TRUE(seen.appeared);
    EXPECT_EQ("Panel", seen.initialText);
    EXPECT_STREQ("South array", display->GetName());
    const std::vector<std::string> expected = {"refresh:4:" + std::to_string(id)};
    EXPECT_EQ(expected, FirstQueue());
    EXPECT_EQ(expected, SecondQueue());
}

TEST_F(DocumentRename, InputDialogHandsBackTheTextOnlyOnOk)
{
    CString text = "untouched";
    {
        CDialogGeneralInput dialog(nullptr, "first", "Name?");
        InputDialogUser user("cancelled", IDCANCEL);
        EXPECT_EQ(IDCANCEL, dialog.DoModalGetText(text));
        EXPECT_EQ("Name?", user.Seen().prompt);
    }
    EXPECT_STREQ("untouched", text);

    CDialogGeneralInput dialog(nullptr, "second", "Name?");
    InputDialogUser user("accepted", IDOK);
    EXPECT_EQ(IDOK, dialog.DoModalGetText(text));
    EXPECT_EQ("second", user.Seen().initialText);
    EXPECT_STREQ("accepted", text);
}
