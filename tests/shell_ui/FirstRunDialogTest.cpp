// The first-run question and the search preferences: what they show from the stored
// choices, what OK writes (and Cancel does not), in both modes.
#include <gtest/gtest.h>

#include "documents/RegistryHelpers.h"
#include "framework/CWinApp.h"
#include "res/pyraxis_resource.h"
#include "shell/CFirstrunDeviceAutoDetectConfig.h"
#include "shell/DeviceSearchSettings.h"
#include "tests/support/DialogUser.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"

using shell_test::Click;
using shell_test::DialogUser;
using shell_test::TextOf;

namespace
{
class FirstRunDialog : public testing::Test
{
protected:
    void SetUp() override { ClearChoices(); }
    void TearDown() override
    {
        ClearChoices();
        testing_support::DispatchPendingMessages();
    }
    static void ClearChoices()
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, PYRAXIS_REGISTRY_KEY, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            for (const char* name : {REG_FIRST_RUN_SCAN_DEVICES, REG_SCAN_FOR_DEVICES_SERIAL, REG_SCAN_FOR_DEVICES_NETWORK})
                ::RegDeleteValueA(key, name);
            ::RegCloseKey(key);
        }
    }
    static DWORD Stored(const char* name) { return ReadRegistryDword(PYRAXIS_REGISTRY_KEY, name, 12345); }

    CWinApp m_app{"FirstRunTest"};
};

bool Checked(HWND dialog, int id)
{
    return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void SetChecked(HWND dialog, int id, bool on)
{
    ::SendMessageA(::GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}
std::string SelectedComboText(HWND dialog)
{
    HWND combo = ::GetDlgItem(dialog, IDC_FIRSTRUN_SERIAL_PORT);
    const LRESULT row = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (row == CB_ERR)
        return "<none>";
    char text[64] = {};
    ::SendMessageA(combo, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text));
    return text;
}
bool Enabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}
bool Visible(HWND dialog, int id)
{
    return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE;
}
} // namespace

TEST_F(FirstRunDialog, TheQuestionStartsFromTheDefaultsAndOkRecordsTheAnswer)
{
    EXPECT_FALSE(GetFirstRunScanDone());
    EXPECT_EQ(-1, GetScanForDevicesSerial());
    EXPECT_TRUE(GetScanForDevicesNetwork());

    struct Seen
    {
        std::string caption, message, combo;
        bool yes = false, network = false, serial = false, radiosShown = false, noteShown = false;
        bool disabledByNo = false, enabledByYes = false;
    } seen;
    CFirstrunDeviceAutoDetectConfig dialog(FIRST_RUN_MODE_QUESTION, nullptr);
    DialogUser user(
        IDC_FIRSTRUN_SERIAL_PORT,
        [&](HWND window) {
            seen.caption = TextOf(window);
            seen.message = TextOf(::GetDlgItem(window, IDC_FIRSTRUN_MESSAGE));
            seen.combo = SelectedComboText(window);
            seen.yes = Checked(window, IDC_FIRSTRUN_YES);
            seen.network = Checked(window, IDC_FIRSTRUN_NETWORK);
            seen.serial = Checked(window, IDC_FIRSTRUN_SERIAL);
            seen.radiosShown = Visible(window, IDC_FIRSTRUN_YES) && Visible(window, IDC_FIRSTRUN_NO);
            seen.noteShown = Visible(window, IDC_FIRSTRUN_NOTE);
            SetChecked(window, IDC_FIRSTRUN_YES, false);
            SetChecked(window, IDC_FIRSTRUN_NO, true);
            Click(window, IDC_FIRSTRUN_NO);
            testing_support::PollUntil([&] { return !Enabled(window, IDC_FIRSTRUN_SERIAL_PORT); }, 10000);
            seen.disabledByNo = !Enabled(window, IDC_FIRSTRUN_NETWORK) && !Enabled(window, IDC_FIRSTRUN_SERIAL) &&
                                !Enabled(window, IDC_FIRSTRUN_SERIAL_PORT);
            Click(window, IDOK);
        },
        "shell_first_run");
    EXPECT_EQ(IDOK, dialog.DoModal());
    ASSERT_TRUE(user.Finished());
    EXPECT_EQ("Configure Device Auto-Detection", seen.caption);
    EXPECT_EQ(0u, seen.message.find("This appears to be the first time you've run this program."));
    EXPECT_EQ("all ports", seen.combo);
    EXPECT_TRUE(seen.yes);
    EXPECT_TRUE(seen.network);
    EXPECT_TRUE(seen.serial);
    EXPECT_TRUE(seen.radiosShown);
    EXPECT_TRUE(seen.noteShown);
    EXPECT_TRUE(seen.disabledByNo);
    EXPECT_EQ(FIRST_RUN_CHOICE_MANUAL, dialog.GetChoice());
    // Written whatever the choice: the boxes as they stood, and the question answered.
    EXPECT_EQ(1u, Stored(REG_SCAN_FOR_DEVICES_NETWORK));
    EXPECT_EQ(static_cast<DWORD>(-1), Stored(REG_SCAN_FOR_DEVICES_SERIAL));
    EXPECT_EQ(1u, Stored(REG_FIRST_RUN_SCAN_DEVICES));
    EXPECT_TRUE(GetFirstRunScanDone());
}

TEST_F(FirstRunDialog, PreferencesShowTheStoredChoicesAndAPortThatIsGoneFallsBackToAllPorts)
{
    WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL, 77);
    WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_NETWORK, 0);

    // Cancel writes nothing.
    {
        CFirstrunDeviceAutoDetectConfig dialog(FIRST_RUN_MODE_PREFERENCES, nullptr);
        DialogUser user(IDC_FIRSTRUN_SERIAL_PORT, [](HWND window) { Click(window, IDCANCEL); });
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        ASSERT_TRUE(user.Finished());
        EXPECT_EQ(12345u, Stored(REG_FIRST_RUN_SCAN_DEVICES));
        EXPECT_EQ(77u, Stored(REG_SCAN_FOR_DEVICES_SERIAL));
    }

    struct Seen
    {
        std::string message, combo;
        bool network = true, serial = false, radiosHidden = false, noteHidden = false;
    } seen;
    CFirstrunDeviceAutoDetectConfig dialog(FIRST_RUN_MODE_PREFERENCES, nullptr);
    DialogUser user(
        IDC_FIRSTRUN_SERIAL_PORT,
        [&](HWND window) {
            seen.message = TextOf(::GetDlgItem(window, IDC_FIRSTRUN_MESSAGE));
            seen.combo = SelectedComboText(window);
            seen.network = Checked(window, IDC_FIRSTRUN_NETWORK);
            seen.serial = Checked(window, IDC_FIRSTRUN_SERIAL);
            seen.radiosHidden = !Visible(window, IDC_FIRSTRUN_YES) && !Visible(window, IDC_FIRSTRUN_NO);
            seen.noteHidden = !Visible(window, IDC_FIRSTRUN_NOTE);
            Click(window, IDOK);
        },
        "shell_search_preferences");
    EXPECT_EQ(IDOK, dialog.DoModal());
    ASSERT_TRUE(user.Finished());
    EXPECT_EQ("Select what interfaces should be scanned when Pyraxis is searching for connected devices.",
              seen.message);
    EXPECT_EQ("<none>", seen.combo);
    EXPECT_FALSE(seen.network);
    EXPECT_TRUE(seen.serial);
    EXPECT_TRUE(seen.radiosHidden);
    EXPECT_TRUE(seen.noteHidden);
    // No entry selected: the first ("all ports") is stored.
    EXPECT_EQ(static_cast<DWORD>(-1), Stored(REG_SCAN_FOR_DEVICES_SERIAL));
    EXPECT_EQ(0u, Stored(REG_SCAN_FOR_DEVICES_NETWORK));
    EXPECT_EQ(1u, Stored(REG_FIRST_RUN_SCAN_DEVICES));

    // "serial ports" unticked stores 0 whatever the combo box shows.
    CFirstrunDeviceAutoDetectConfig again(FIRST_RUN_MODE_PREFERENCES, nullptr);
    DialogUser unticker(IDC_FIRSTRUN_SERIAL_PORT, [](HWND window) {
        SetChecked(window, IDC_FIRSTRUN_SERIAL, false);
        SetChecked(window, IDC_FIRSTRUN_NETWORK, true);
        Click(window, IDOK);
    });
    EXPECT_EQ(IDOK, again.DoModal());
    ASSERT_TRUE(unticker.Finished());
    EXPECT_EQ(0u, Stored(REG_SCAN_FOR_DEVICES_SERIAL));
    EXPECT_EQ(1u, Stored(REG_SCAN_FOR_DEVICES_NETWORK));
    EXPECT_EQ(0, GetScanForDevicesSerial());
}
