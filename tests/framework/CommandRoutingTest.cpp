// Command routing through message maps and the command-update of menu items, without
// any window: a command target and a menu handle are all it takes.
#include <gtest/gtest.h>

#include "framework/CCmdUI.h"
#include "framework/CWinApp.h"
#include "tests/framework/FileTestHelpers.h"
#include "framework/CWnd.h"
#include "framework/FrameworkIds.h"

#include <string>
#include <vector>

namespace {

const UINT ID_ENABLED_OFF = 1001;
const UINT ID_CHECKED = 1002;
const UINT ID_RENAMED = 1003;
const UINT ID_NO_HANDLER = 1004;
const UINT ID_COMMAND_ONLY = 1005;
const UINT ID_ROUTED_ON = 1006;
const UINT ID_RADIO = 1007;
const UINT ID_SYSTEM_LIKE = 0xF100;

class CFirstTarget : public CCmdTarget
{
public:
    std::vector<std::string> calls;

protected:
    afx_msg void OnUpdateEnabledOff(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    afx_msg void OnUpdateChecked(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    afx_msg void OnUpdateRenamed(CCmdUI* pCmdUI)
    {
        pCmdUI->SetText("&Renamed");
        pCmdUI->Enable(FALSE);
    }
    afx_msg void OnCommandOnly() { calls.push_back("command only"); }
    afx_msg void OnUpdateRoutedOn(CCmdUI* pCmdUI)
    {
        calls.push_back("first asked");
        pCmdUI->ContinueRouting();
    }
    afx_msg void OnUpdateRadio(CCmdUI* pCmdUI) { pCmdUI->SetRadio(TRUE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFirstTarget, CCmdTarget)
    ON_UPDATE_COMMAND_UI(ID_ENABLED_OFF, OnUpdateEnabledOff)
    ON_UPDATE_COMMAND_UI(ID_CHECKED, OnUpdateChecked)
    ON_UPDATE_COMMAND_UI(ID_RENAMED, OnUpdateRenamed)
    ON_COMMAND(ID_COMMAND_ONLY, OnCommandOnly)
    ON_UPDATE_COMMAND_UI(ID_ROUTED_ON, OnUpdateRoutedOn)
    ON_UPDATE_COMMAND_UI(ID_RADIO, OnUpdateRadio)
END_MESSAGE_MAP()

// Stands for the next target of a route (a frame after its view, the application).
class CSecondTarget : public CCmdTarget
{
public:
    std::vector<std::string> calls;

protected:
    afx_msg void OnUpdateRoutedOn(CCmdUI* pCmdUI)
    {
        calls.push_back("second asked");
        pCmdUI->SetCheck(1);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSecondTarget, CCmdTarget)
    ON_UPDATE_COMMAND_UI(ID_ROUTED_ON, OnUpdateRoutedOn)
END_MESSAGE_MAP()

class MenuCommandUpdateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        menu = ::CreatePopupMenu();
        ::AppendMenuA(menu, MF_STRING, ID_ENABLED_OFF, "Enabled off");
        ::AppendMenuA(menu, MF_STRING, ID_CHECKED, "Checked");
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(menu, MF_STRING | MF_CHECKED, ID_RENAMED, "Original");
        ::AppendMenuA(menu, MF_STRING, ID_NO_HANDLER, "No handler");
        ::AppendMenuA(menu, MF_STRING, ID_COMMAND_ONLY, "Command only");
        ::AppendMenuA(menu, MF_STRING, ID_RADIO, "Radio");
        ::AppendMenuA(menu, MF_STRING, ID_SYSTEM_LIKE, "System-like");
    }
    void TearDown() override { ::DestroyMenu(menu); }

    UINT State(UINT id) const { return ::GetMenuState(menu, id, MF_BYCOMMAND); }
    std::string Text(UINT id) const
    {
        char text[64] = "";
        ::GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
        return text;
    }

    HMENU menu = nullptr;
    CFirstTarget target;
};

TEST_F(MenuCommandUpdateTest, HandlersSetEnableCheckAndText)
{
    CWnd::UpdateMenuCmdUI(menu, &target, TRUE);
    EXPECT_NE(State(ID_ENABLED_OFF) & MF_GRAYED, 0u);
    EXPECT_NE(State(ID_CHECKED) & MF_CHECKED, 0u);
    // Its handler left the enable state alone and nobody runs the command: greyed.
    EXPECT_NE(State(ID_CHECKED) & MF_GRAYED, 0u);
    EXPECT_EQ(Text(ID_RENAMED), "&Renamed");
    // A new text keeps the item's check mark and takes the new enable state.
    EXPECT_NE(State(ID_RENAMED) & MF_CHECKED, 0u);
    EXPECT_NE(State(ID_RENAMED) & MF_GRAYED, 0u);
    EXPECT_TRUE(target.calls.empty());  // updating never runs a command
}

TEST_F(MenuCommandUpdateTest, ItemsWithoutAnyHandlerAreGreyedOnlyWhenAsked)
{
    CWnd::UpdateMenuCmdUI(menu, &target, FALSE);
    EXPECT_EQ(State(ID_NO_HANDLER) & MF_GRAYED, 0u);

    CWnd::UpdateMenuCmdUI(menu, &target, TRUE);
    EXPECT_NE(State(ID_NO_HANDLER) & MF_GRAYED, 0u);
    // A command handler alone keeps the item enabled.
    EXPECT_EQ(State(ID_COMMAND_ONLY) & MF_GRAYED, 0u);
    // System commands are the system's business.
    EXPECT_EQ(State(ID_SYSTEM_LIKE) & MF_GRAYED, 0u);
}

TEST_F(MenuCommandUpdateTest, RadioItemGetsTheRadioMark)
{
    CWnd::UpdateMenuCmdUI(menu, &target, TRUE);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    ASSERT_TRUE(::GetMenuItemInfoA(menu, ID_RADIO, FALSE, &info));
    EXPECT_NE(info.fType & MFT_RADIOCHECK, 0u);
    EXPECT_NE(info.fState & MFS_CHECKED, 0u);
}

TEST(CommandRoutingTest, ContinueRoutingAsksTheNextTarget)
{
    CFirstTarget first;
    CSecondTarget second;
    CCmdUI state;
    state.m_nID = ID_ROUTED_ON;
    // The first target lets the request go on: a route tries the next one.
    EXPECT_FALSE(state.DoUpdate(&first, FALSE));
    EXPECT_TRUE(state.DoUpdate(&second, FALSE));
    EXPECT_EQ(first.calls, (std::vector<std::string>{ "first asked" }));
    EXPECT_EQ(second.calls, (std::vector<std::string>{ "second asked" }));
}

TEST(CommandRoutingTest, UnknownCommandIsNotHandled)
{
    CFirstTarget first;
    EXPECT_FALSE(first.OnCmdMsg(ID_NO_HANDLER, CN_COMMAND, nullptr, nullptr));
    EXPECT_TRUE(first.OnCmdMsg(ID_COMMAND_ONLY, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(first.calls, (std::vector<std::string>{ "command only" }));
    // The notification code is part of the match.
    EXPECT_FALSE(first.OnCmdMsg(ID_COMMAND_ONLY, BN_DOUBLECLICKED, nullptr, nullptr));
}

class CNotifyTarget : public CCmdTarget
{
public:
    UINT lastId = 0;

protected:
    afx_msg BOOL OnToolTipText(UINT id, NMHDR* header, LRESULT* result)
    {
        lastId = id;
        reinterpret_cast<NMTTDISPINFOA*>(header)->lpszText = const_cast<char*>("tip");
        *result = 0;
        return id != 3;     // declines tool 3
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNotifyTarget, CCmdTarget)
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0, 0xFFFF, OnToolTipText)
END_MESSAGE_MAP()

TEST(CommandRoutingTest, NegativeNotificationCodesRouteThroughOnCmdMsg)
{
    CNotifyTarget target;
    NMTTDISPINFOA info = {};
    info.hdr.code = TTN_NEEDTEXTA;
    info.hdr.idFrom = 12;
    LRESULT result = -1;
    AFX_NOTIFY notify = { &result, &info.hdr };
    EXPECT_TRUE(target.OnCmdMsg(12, static_cast<int>(MAKELONG(TTN_NEEDTEXTA, WM_NOTIFY)), &notify, nullptr));
    EXPECT_EQ(target.lastId, 12u);
    EXPECT_STREQ(info.lpszText, "tip");
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(target.OnCmdMsg(3, static_cast<int>(MAKELONG(TTN_NEEDTEXTA, WM_NOTIFY)), &notify, nullptr));
    // Another notification code finds nothing.
    EXPECT_FALSE(target.OnCmdMsg(12, static_cast<int>(MAKELONG(TTN_SHOW, WM_NOTIFY)), &notify, nullptr));
}

// --- The recent-file list in a menu -----------------------------------------------------

class RecentFileMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        iniPath = file_test::TempPath("pyraxis-h10-mru.ini");
        ::DeleteFileA(iniPath.c_str());
        std::free(const_cast<char*>(app.m_pszProfileName));
        app.m_pszProfileName = _strdup(iniPath.c_str());

        menu = ::CreatePopupMenu();
        ::AppendMenuA(menu, MF_STRING, ID_FILE_OPEN, "&Open");
        ::AppendMenuA(menu, MF_STRING, ID_FILE_MRU_FILE1, "Recent File");
        ::AppendMenuA(menu, MF_STRING, ID_NO_HANDLER, "Unhandled");
        ::AppendMenuA(menu, MF_STRING, ID_APP_EXIT, "E&xit");
    }
    void TearDown() override
    {
        ::DestroyMenu(menu);
        ::DeleteFileA(iniPath.c_str());
    }
    std::string Text(int position) const
    {
        char text[MAX_PATH + 8] = "";
        ::GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
        return text;
    }

    CWinApp app{ "RecentFileTest" };
    std::string iniPath;
    HMENU menu = nullptr;
};

TEST_F(RecentFileMenuTest, EmptyListShowsTheDisabledPlaceholder)
{
    app.LoadStdProfileSettings(4);
    CWnd::UpdateMenuCmdUI(menu, &app, TRUE);
    EXPECT_EQ(::GetMenuItemCount(menu), 4);
    EXPECT_EQ(Text(1), "Recent File");
    EXPECT_NE(::GetMenuState(menu, 1, MF_BYPOSITION) & MF_GRAYED, 0u);
}

TEST_F(RecentFileMenuTest, FilesReplaceThePlaceholderMostRecentFirst)
{
    app.LoadStdProfileSettings(4);
    app.AddToRecentFileList("C:\\data\\first.pxs");
    app.AddToRecentFileList("C:\\data\\second.pxs");
    app.AddToRecentFileList("c:\\DATA\\FIRST.pxs");    // the same file moves up
    CWnd::UpdateMenuCmdUI(menu, &app, TRUE);

    ASSERT_EQ(::GetMenuItemCount(menu), 5);
    EXPECT_EQ(Text(0), "&Open");
    EXPECT_EQ(Text(1), "&1 c:\\DATA\\FIRST.pxs");
    EXPECT_EQ(Text(2), "&2 C:\\data\\second.pxs");
    EXPECT_EQ(Text(3), "Unhandled");
    EXPECT_EQ(Text(4), "E&xit");
    EXPECT_EQ(::GetMenuItemID(menu, 2), static_cast<UINT>(ID_FILE_MRU_FILE1 + 1));
    // The items after the list were still updated.
    EXPECT_NE(::GetMenuState(menu, 3, MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_EQ(::GetMenuState(menu, 4, MF_BYPOSITION) & MF_GRAYED, 0u);
    // Opening the menu again gives the same items, not a second copy.
    CWnd::UpdateMenuCmdUI(menu, &app, TRUE);
    EXPECT_EQ(::GetMenuItemCount(menu), 5);

    // When the list empties, the placeholder comes back alone.
    app.m_pRecentFileList->Remove(0);
    app.m_pRecentFileList->Remove(0);
    CWnd::UpdateMenuCmdUI(menu, &app, TRUE);
    ASSERT_EQ(::GetMenuItemCount(menu), 4);
    EXPECT_EQ(Text(1), "Recent File");
    EXPECT_NE(::GetMenuState(menu, 2, MF_BYPOSITION) & MF_GRAYED, 0u);
}

TEST_F(RecentFileMenuTest, ListIsKeptInTheProfileAndLimited)
{
    app.LoadStdProfileSettings(2);
    app.AddToRecentFileList("C:\\a.pxs");
    app.AddToRecentFileList("C:\\b.pxs");
    app.AddToRecentFileList("C:\\c.pxs");
    app.ExitInstance();     // writes the list

    EXPECT_STREQ(app.GetProfileString("Recent File List", "File1"), "C:\\c.pxs");
    EXPECT_STREQ(app.GetProfileString("Recent File List", "File2"), "C:\\b.pxs");
    EXPECT_STREQ(app.GetProfileString("Recent File List", "File3"), "");

    app.LoadStdProfileSettings(4);
    ASSERT_NE(app.m_pRecentFileList, nullptr);
    ASSERT_EQ(app.m_pRecentFileList->GetSize(), 2);
    EXPECT_STREQ((*app.m_pRecentFileList)[0], "C:\\c.pxs");
}

TEST_F(RecentFileMenuTest, OpeningAFileThatCannotBeOpenedDropsIt)
{
    app.LoadStdProfileSettings(4);
    app.AddToRecentFileList("C:\\gone.pxs");
    // Without documents nothing opens: the entry goes from the list.
    EXPECT_TRUE(app.OnCmdMsg(ID_FILE_MRU_FILE1, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(app.m_pRecentFileList->GetSize(), 0);
}

}  // namespace
