// The shared dialogs as a user meets them: the chooser, the device-type chooser, the
// message box with the program's button texts, the list box that copies to the
// clipboard, and the two data-exchange routines of the setup dialogs.
#include <gtest/gtest.h>

#include "documents/CDocumentDevicePC.h"
#include "framework/CDataExchange.h"
#include "framework/CDialog.h"
#include "framework/CUserException.h"
#include "framework/CWinApp.h"
#include "framework/FrameworkIds.h"
#include "res/pyraxis_resource.h"
#include "shell/CDialogGenericChooser.h"
#include "shell/CDialogNewDevice.h"
#include "shell/CGenericMessageBox.h"
#include "shell/CListBoxClipboard.h"
#include "shell/DialogDataExchange.h"
#include "tests/support/DialogUser.h"
#include "tests/shell_ui/ShellTestResources.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"

#include <boost/make_shared.hpp>

#include <atomic>
#include <thread>

using shell_test::Click;
using shell_test::DialogUser;
using shell_test::ListTexts;
using shell_test::SelectListRow;
using shell_test::TextOf;

namespace
{
testing_support::MessageBoxRecorder& Recorder()
{
    return testing_support::MessageBoxRecorder::Instance();
}

class SharedDialogs : public testing::Test
{
protected:
    void SetUp() override { Recorder().Clear(); }
    void TearDown() override
    {
        testing_support::DispatchPendingMessages();
        Recorder().Clear();
    }
    CWinApp m_app{"SharedDialogsTest"};
};

int FindRow(const std::vector<std::string>& rows, const std::string& text)
{
    for (size_t row = 0; row < rows.size(); ++row)
        if (rows[row] == text)
            return static_cast<int>(row);
    return -1;
}

std::string ClipboardText()
{
    std::string text;
    if (!::OpenClipboard(nullptr))
        return "<clipboard not opened>";
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        if (const char* chars = static_cast<const char*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    } else {
        text = "<no text>";
    }
    ::CloseClipboard();
    return text;
}
} // namespace

TEST_F(SharedDialogs, ChooserShowsTheTextsSortedAndAnswersWithTheVectorIndex)
{
    const std::vector<std::string> choices = {"Zeta", "Alpha", "Mid"};
    std::vector<std::string> seenRows;
    std::string seenPrompt, seenCaption;
    int selectedWhenShown = -2;
    {
        CDialogGenericChooser chooser("Pick a port", choices, 0, nullptr);
        DialogUser user(
            IDC_CHOOSER_LIST,
            [&](HWND dialog) {
                HWND list = ::GetDlgItem(dialog, IDC_CHOOSER_LIST);
                seenRows = ListTexts(list);
                seenPrompt = TextOf(::GetDlgItem(dialog, IDC_CHOOSER_PROMPT));
                seenCaption = TextOf(dialog);
                selectedWhenShown = static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0));
                SelectListRow(dialog, IDC_CHOOSER_LIST, FindRow(seenRows, "Alpha"));
                Click(dialog, IDOK);
            },
            "shared_chooser");
        EXPECT_EQ(IDOK, chooser.DoModal());
        EXPECT_TRUE(user.Finished());
        // "Alpha" is the second text of the caller's vector, whatever its row.
        EXPECT_EQ(1, chooser.m_chosenIndex);
    }
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Mid", "Zeta"}), seenRows);
    EXPECT_EQ("Pick a port", seenPrompt);
    EXPECT_EQ("Choose", seenCaption);
    EXPECT_EQ(FindRow(seenRows, "Zeta"), selectedWhenShown);

    // Cancel gives -1 even with an entry selected.
    CDialogGenericChooser cancelled("Pick", choices, 2, nullptr);
    DialogUser canceller(IDC_CHOOSER_LIST, [](HWND dialog) { Click(dialog, IDCANCEL); });
    EXPECT_EQ(IDCANCEL, cancelled.DoModal());
    EXPECT_TRUE(canceller.Finished());
    EXPECT_EQ(-1, cancelled.m_chosenIndex);
}

TEST_F(SharedDialogs, ChooserRefusesOkWithoutASelectionAndStaysOpen)
{
    CDialogGenericChooser chooser("Pick", {"one", "two"}, -1, nullptr);
    std::atomic<bool> stayedOpen{false};
    DialogUser user(IDC_CHOOSER_LIST, [&](HWND dialog) {
        Click(dialog, IDOK);
        // The refusal is a message box; the dialog is still there after it.
        testing_support::PollUntil([] { return Recorder().Count() > 0; }, shell_test::kDialogWaitMs);
        stayedOpen = ::IsWindowVisible(dialog) != FALSE;
        SelectListRow(dialog, IDC_CHOOSER_LIST, 1);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(IDOK, chooser.DoModal());
    EXPECT_TRUE(user.Finished());
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("You must make a selection.", Recorder().Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), Recorder().Boxes()[0].type & MB_ICONMASK);
    EXPECT_EQ(1, chooser.m_chosenIndex);
}

TEST_F(SharedDialogs, NewDeviceChoosesByNameAndTheLaterOfTwoEqualNamesWins)
{
    const CDocumentDevicePtr first = boost::make_shared<CDocumentDevicePC>();
    const CDocumentDevicePtr varnixA = boost::make_shared<CDocumentDevicePC>();
    const CDocumentDevicePtr varnixB = boost::make_shared<CDocumentDevicePC>();
    const NamedDeviceList_t devices = {{"Varnix", varnixA}, {"Corandel Duo", first}, {"Varnix", varnixB}};

    CDialogNewDevice dialog(nullptr);
    std::vector<std::string> rows;
    std::string caption;
    DialogUser user(
        IDC_NEW_DEVICE_LIST,
        [&](HWND window) {
            rows = ListTexts(::GetDlgItem(window, IDC_NEW_DEVICE_LIST));
            caption = TextOf(window);
            Click(window, IDOK);
        },
        "shared_new_device");
    EXPECT_EQ(IDOK, dialog.DoModalWithDevices(devices));
    EXPECT_TRUE(user.Finished());
    EXPECT_EQ("New Device", caption);
    EXPECT_EQ((std::vector<std::string>{"Corandel Duo", "Varnix", "Varnix"}), rows);
    // The first row is selected when the dialog opens.
    EXPECT_EQ(first, dialog.GetChosenDevice());

    // A double click on a "Varnix" row picks the later of the two and closes the dialog.
    DialogUser doubleClicker(IDC_NEW_DEVICE_LIST, [](HWND window) {
        SelectListRow(window, IDC_NEW_DEVICE_LIST, 1);
        HWND list = ::GetDlgItem(window, IDC_NEW_DEVICE_LIST);
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_NEW_DEVICE_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    });
    EXPECT_EQ(IDOK, dialog.DoModalWithDevices(devices));
    EXPECT_TRUE(doubleClicker.Finished());
    EXPECT_EQ(varnixB, dialog.GetChosenDevice());

    // With no devices at all nothing is chosen.
    DialogUser emptyUser(IDC_NEW_DEVICE_LIST, [](HWND window) { Click(window, IDOK); });
    EXPECT_EQ(IDOK, dialog.DoModalWithDevices(NamedDeviceList_t()));
    EXPECT_TRUE(emptyUser.Finished());
    EXPECT_FALSE(dialog.GetChosenDevice());
}

TEST_F(SharedDialogs, MessageBoxShowsItsTextsAndIconAndAnswersPerButton)
{
    struct Seen
    {
        std::string message, button1, button2;
        HICON icon = nullptr;
    } seen;
    DialogUser user(
        IDC_GENERIC_MESSAGE_TEXT,
        [&](HWND dialog) {
            seen.message = TextOf(::GetDlgItem(dialog, IDC_GENERIC_MESSAGE_TEXT));
            seen.button1 = TextOf(::GetDlgItem(dialog, IDOK));
            seen.button2 = TextOf(::GetDlgItem(dialog, IDCANCEL));
            seen.icon = reinterpret_cast<HICON>(
                ::SendMessageA(::GetDlgItem(dialog, IDC_GENERIC_MESSAGE_ICON), STM_GETICON, 0, 0));
            Click(dialog, IDCANCEL);
        },
        "shared_message_box");
    EXPECT_EQ(IDCANCEL, ShowGenericMessageBox("Program the controller now?", MB_ICONQUESTION, "&Program",
                                              "&Not now", nullptr));
    EXPECT_TRUE(user.Finished());
    EXPECT_EQ("Program the controller now?", seen.message);
    EXPECT_EQ("&Program", seen.button1);
    EXPECT_EQ("&Not now", seen.button2);
    EXPECT_EQ(::LoadIcon(nullptr, IDI_QUESTION), seen.icon);

    DialogUser okUser(IDC_GENERIC_MESSAGE_TEXT, [](HWND dialog) { Click(dialog, IDOK); });
    EXPECT_EQ(IDOK, ShowGenericMessageBox("Go on?", MB_ICONEXCLAMATION, "Yes", "No", nullptr));
    EXPECT_TRUE(okUser.Finished());

    // The close box answers as the second button.
    DialogUser closer(IDC_GENERIC_MESSAGE_TEXT, [](HWND dialog) { ::PostMessageA(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(IDCANCEL, ShowGenericMessageBox("Closed", MB_ICONASTERISK, "A", "B", nullptr));
    EXPECT_TRUE(closer.Finished());

    // Flags without an icon of their own (the stop flag 16, none at all) show the stop icon.
    const HICON stop = ::LoadIcon(nullptr, IDI_HAND);
    EXPECT_EQ(stop, CGenericMessageBox("x", MB_ICONHAND, "a", "b", nullptr).GetIconHandle());
    EXPECT_EQ(stop, CGenericMessageBox("x", 0, "a", "b", nullptr).GetIconHandle());
    EXPECT_EQ(::LoadIcon(nullptr, IDI_EXCLAMATION),
              CGenericMessageBox("x", MB_ICONEXCLAMATION, "a", "b", nullptr).GetIconHandle());
    EXPECT_EQ(::LoadIcon(nullptr, IDI_ASTERISK),
              CGenericMessageBox("x", MB_ICONASTERISK, "a", "b", nullptr).GetIconHandle());
}

namespace
{
// A list box on a plain window, as the debug console's output list is used.
class ClipboardListWindow
{
public:
    ClipboardListWindow()
    {
        m_parent = ::CreateWindowExA(0, "STATIC", "list host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200,
                                     nullptr, nullptr, nullptr, nullptr);
        m_list.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, CRect(0, 0, 280, 160),
                      CWnd::FromHandle(m_parent), 1370);
    }
    ~ClipboardListWindow()
    {
        m_list.DestroyWindow();
        ::DestroyWindow(m_parent);
    }
    void SetLines(const std::vector<std::string>& lines)
    {
        m_list.ResetContent();
        for (const std::string& line : lines)
            m_list.AddString(line.c_str());
    }
    CListBoxClipboard m_list;
    HWND m_parent = nullptr;
};
} // namespace

TEST_F(SharedDialogs, ClipboardListCopiesItsLinesJoinedByCrLf)
{
    ClipboardListWindow window;
    ASSERT_NE(nullptr, window.m_list.GetSafeHwnd());

    window.SetLines({"a", "", "b"});
    ASSERT_TRUE(window.m_list.CopyToClipboard());
    EXPECT_EQ("a\r\n\r\nb", ClipboardText());

    // Nothing gathered yet: a leading empty line adds no separator.
    window.SetLines({"", "b"});
    ASSERT_TRUE(window.m_list.CopyToClipboard());
    EXPECT_EQ("b", ClipboardText());

    window.SetLines({});
    ASSERT_TRUE(window.m_list.CopyToClipboard());
    EXPECT_EQ("", ClipboardText());

    // The context menu's command copies too.
    window.SetLines({"0x0010: 0x4142, 16706, \"BA\""});
    window.m_list.SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_COPY, 0), 0);
    EXPECT_EQ("0x0010: 0x4142, 16706, \"BA\"", ClipboardText());
    EXPECT_EQ(0u, Recorder().Count());
}

TEST_F(SharedDialogs, ClipboardListReportsAClipboardHeldByAnotherWindow)
{
    ClipboardListWindow window;
    window.SetLines({"kept"});
    ASSERT_TRUE(window.m_list.CopyToClipboard());

    // Another thread holds the clipboard open until told to let go.
    HANDLE opened = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HWND owner = ::CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        const BOOL ok = ::OpenClipboard(owner);
        ::SetEvent(opened);
        ::WaitForSingleObject(release, shell_test::kDialogWaitMs);
        if (ok)
            ::CloseClipboard();
        ::DestroyWindow(owner);
    });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(opened, shell_test::kDialogWaitMs));
    window.SetLines({"new"});
    EXPECT_FALSE(window.m_list.CopyToClipboard());
    ::SetEvent(release);
    holder.join();
    ::CloseHandle(opened);
    ::CloseHandle(release);

    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("Cannot open the clipboard", Recorder().Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), Recorder().Boxes()[0].type & MB_ICONMASK);
    // The clipboard was left as it was, and closed: it can be read again.
    EXPECT_EQ("kept", ClipboardText());
}

TEST_F(SharedDialogs, ClipboardListOffersItsCopyEntryOnRightButtonRelease)
{
    ClipboardListWindow window;
    window.SetLines({"line"});
    std::string entry;
    std::thread user([&] {
        HWND menuWindow = nullptr;
        testing_support::PollUntil(
            [&] { return (menuWindow = ::FindWindowA("#32768", nullptr)) != nullptr && ::IsWindowVisible(menuWindow); },
            shell_test::kDialogWaitMs);
        if (menuWindow != nullptr) {
            HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
            char text[64] = {};
            if (menu != nullptr && ::GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION) > 0)
                entry = text;
        }
        // Ends the menu's tracking without choosing.
        ::PostMessageA(window.m_list.GetSafeHwnd(), WM_CANCELMODE, 0, 0);
        if (menuWindow != nullptr)
            ::PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    window.m_list.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    user.join();
    EXPECT_EQ("&Copy to Clipboard", entry);
}

namespace
{
// A modeless dialog with a float edit and a three-state check box.
class ExchangeDialog : public CDialog
{
public:
    ExchangeDialog() : CDialog(IDD_SHELL_TEST_EXCHANGE) {}
};

// Runs one exchange; false when it failed with the framework's user exception.
template <class Exchange>
bool RunExchange(CWnd& dialog, BOOL save, Exchange exchange)
{
    CDataExchange dx(&dialog, save);
    try {
        exchange(&dx);
        return true;
    } catch (CUserException* e) {
        e->Delete();
        return false;
    }
}
} // namespace

TEST_F(SharedDialogs, FloatAndBoolExchangesFormatReadAndSkipMissingControls)
{
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_SHELL_TEST_EXCHANGE));
    HWND edit = dialog.GetDlgItem(IDC_SHELL_TEST_FLOAT)->GetSafeHwnd();
    HWND check = dialog.GetDlgItem(IDC_SHELL_TEST_CHECK)->GetSafeHwnd();

    float value = 1.5f;
    ASSERT_TRUE(RunExchange(dialog, FALSE, [&](CDataExchange* dx) { DDX_FloatFormat(dx, IDC_SHELL_TEST_FLOAT, value, "%.1f"); }));
    EXPECT_EQ("1.5", TextOf(edit));
    ASSERT_TRUE(RunExchange(dialog, FALSE, [&](CDataExchange* dx) { DDX_FloatFormat(dx, IDC_SHELL_TEST_FLOAT, value, nullptr); }));
    EXPECT_EQ("1.500", TextOf(edit));

    ::SetWindowTextA(edit, "  2.25");
    ASSERT_TRUE(RunExchange(dialog, TRUE, [&](CDataExchange* dx) { DDX_FloatFormat(dx, IDC_SHELL_TEST_FLOAT, value, "%.1f"); }));
    EXPECT_FLOAT_EQ(2.25f, value);

    // A bad entry is refused with the framework's own message and leaves the value.
    ::SetWindowTextA(edit, "2.2.5");
    EXPECT_FALSE(RunExchange(dialog, TRUE, [&](CDataExchange* dx) { DDX_FloatFormat(dx, IDC_SHELL_TEST_FLOAT, value, nullptr); }));
    EXPECT_FLOAT_EQ(2.25f, value);
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("Please enter a number.", Recorder().Boxes()[0].text);

    // A control the dialog lacks is skipped both ways.
    float untouched = 7.0f;
    bool flag = true;
    EXPECT_TRUE(RunExchange(dialog, TRUE, [&](CDataExchange* dx) {
        DDX_FloatFormat(dx, IDC_SHELL_TEST_MISSING, untouched, nullptr);
        DDX_CheckBool(dx, IDC_SHELL_TEST_MISSING, flag);
    }));
    EXPECT_TRUE(RunExchange(dialog, FALSE, [&](CDataExchange* dx) {
        DDX_FloatFormat(dx, IDC_SHELL_TEST_MISSING, untouched, nullptr);
        DDX_CheckBool(dx, IDC_SHELL_TEST_MISSING, flag);
    }));
    EXPECT_FLOAT_EQ(7.0f, untouched);
    EXPECT_TRUE(flag);

    // Check box: loading ticks or clears; saving reads any state but cleared as true.
    bool on = true;
    ASSERT_TRUE(RunExchange(dialog, FALSE, [&](CDataExchange* dx) { DDX_CheckBool(dx, IDC_SHELL_TEST_CHECK, on); }));
    EXPECT_EQ(BST_CHECKED, ::SendMessageA(check, BM_GETCHECK, 0, 0));
    on = false;
    ASSERT_TRUE(RunExchange(dialog, FALSE, [&](CDataExchange* dx) { DDX_CheckBool(dx, IDC_SHELL_TEST_CHECK, on); }));
    EXPECT_EQ(BST_UNCHECKED, ::SendMessageA(check, BM_GETCHECK, 0, 0));
    ::SendMessageA(check, BM_SETCHECK, BST_INDETERMINATE, 0);
    ASSERT_TRUE(RunExchange(dialog, TRUE, [&](CDataExchange* dx) { DDX_CheckBool(dx, IDC_SHELL_TEST_CHECK, on); }));
    EXPECT_TRUE(on);
    ::SendMessageA(check, BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(RunExchange(dialog, TRUE, [&](CDataExchange* dx) { DDX_CheckBool(dx, IDC_SHELL_TEST_CHECK, on); }));
    EXPECT_FALSE(on);
    dialog.DestroyWindow();
}
