// The toolbar on real toolbar controls: creation and its styles, buttons from a toolbar
// resource, the style words with their turned enabled bit, command updates through the
// bar and its frame, button texts shared by text, drop-down records, controls placed
// over buttons, the customisation's button information, the layout saved to and
// restored from the profile, and on the display a docked bar and a drop-down menu
// opened by a click and answered from the keyboard.
#include <gtest/gtest.h>

#include "framework/CEdit.h"
#include "framework/CFrameWnd.h"
#include "framework/CImageList.h"
#include "framework/CMenu.h"
#include "framework/CToolBar.h"
#include "framework/CWinApp.h"
#include "framework/MessageMap.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Screenshot.h"
#include "tests/uilib_menus/MenuTestResources.h"
#include "uilib/CBNFlatComboBox.h"
#include "uilib/CBNFontCombo.h"
#include "uilib/CBNMenu.h"
#include "uilib/CBNToolBar.h"
#include "uilib/CBNToolCmdUI.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const UINT kBarId = 0xE880;

// Handles Save and Print, disables Open; Copy has no handler at all.
class ToolFrame : public CFrameWnd
{
public:
    int m_nSaves = 0;
    int m_nPrints = 0;

protected:
    void OnSave() { ++m_nSaves; }
    void OnPrint() { ++m_nPrints; }
    void OnUpdateOpen(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ToolFrame, CFrameWnd)
    ON_COMMAND(ID_TEST_SAVE, OnSave)
    ON_COMMAND(ID_TEST_PRINT, OnPrint)
    ON_UPDATE_COMMAND_UI(ID_TEST_OPEN, OnUpdateOpen)
END_MESSAGE_MAP()

// A bar that answers the update of Print itself (checked), before the frame does.
class CheckingToolBar : public CBNToolBar
{
protected:
    void OnUpdatePrint(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CheckingToolBar, CBNToolBar)
    ON_UPDATE_COMMAND_UI(ID_TEST_PRINT, OnUpdatePrint)
END_MESSAGE_MAP()

std::vector<int> CommandsOf(CBNToolBar& bar)
{
    std::vector<int> commands;
    for (int i = 0; i < bar.GetButtonCount(); i++)
        commands.push_back(static_cast<int>(bar.GetItemID(i)));
    return commands;
}

class ToolBars : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.SetRegistryKey("Pyraxis Tests");
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Pyraxis Tests\\ToolBars");
        frame = new ToolFrame;
        ASSERT_TRUE(frame->Create(nullptr, "Toolbars", WS_OVERLAPPEDWINDOW, CRect(40, 40, 560, 300)));
    }
    void TearDown() override
    {
        if (frame != nullptr && ::IsWindow(frame->m_hWnd))
            frame->DestroyWindow();
        testing_support::DispatchPendingMessages();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Pyraxis Tests\\ToolBars");
    }

    CWinApp app{"ToolBars"};
    ToolFrame* frame = nullptr;
};

} // namespace

TEST_F(ToolBars, CreationLoadsButtonsAndTurnsTheEnabledBitIntoADisabledBit)
{
    CBNToolBar bar;
    EXPECT_EQ(bar.GetRegistryKey(), CString("Software\\Pyraxis Tests\\ToolBars\\Settings"));
    CString valueName;
    valueName.Format("BNToolBar %d", CBNToolBar::m_nBarNumber);
    EXPECT_EQ(bar.GetRegistryValueName(), valueName);
    EXPECT_EQ(bar.m_cyTopBorder, 3);
    EXPECT_EQ(bar.m_cyBottomBorder, 3);

    ASSERT_TRUE(bar.CreateEx(frame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER,
                             CRect(2, 3, 2, 3), AFX_IDW_TOOLBAR));
    EXPECT_TRUE(bar.HasRaisedGripper());
    EXPECT_EQ(bar.m_dwStyle & CBRS_HIDE_INPLACE, static_cast<DWORD>(CBRS_HIDE_INPLACE));
    const DWORD style = bar.CWnd::GetStyle();
    EXPECT_EQ(style & (TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER),
              static_cast<DWORD>(TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER));
    EXPECT_NE(CBNToolBar::GetComCtlVersion(), -1);
    EXPECT_GE(CBNToolBar::GetComCtlVersion(), 0x40000);
    EXPECT_EQ(bar.m_cxLeftBorder, 2);
    EXPECT_EQ(bar.m_cyTopBorder, 3);

    ASSERT_TRUE(bar.LoadToolBar(IDR_TEST_TOOLBAR));
    EXPECT_EQ(CommandsOf(bar), std::vector<int>({ID_TEST_OPEN, ID_TEST_SAVE, 0, ID_TEST_COPY, ID_TEST_PRINT}));
    EXPECT_EQ(bar.GetCount(), 5);
    EXPECT_EQ(bar.GetButtonSizeSetting(), CSize(23, 22));
    EXPECT_EQ(bar.GetImageSizeSetting(), CSize(16, 15));
    UINT id = 0;
    UINT buttonStyle = 0;
    int image = -1;
    bar.GetButtonInfo(3, id, buttonStyle, image);
    EXPECT_EQ(id, static_cast<UINT>(ID_TEST_COPY));
    EXPECT_EQ(buttonStyle, static_cast<UINT>(TBBS_BUTTON));   // enabled: no disabled bit
    EXPECT_EQ(image, 2);
    bar.GetButtonInfo(2, id, buttonStyle, image);
    EXPECT_EQ(buttonStyle, static_cast<UINT>(TBBS_SEPARATOR));
    EXPECT_EQ(image, 6);   // a flat bar's separator width

    // The control's enabled state is the style word's disabled bit, both ways.
    EXPECT_TRUE(bar.EnableButton(ID_TEST_SAVE, FALSE));
    EXPECT_EQ(bar.GetButtonStyle(1) & TBBS_DISABLED, static_cast<UINT>(TBBS_DISABLED));
    TBBUTTON button = {};
    ASSERT_TRUE(bar.GetButton(1, &button));
    EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);   // turned: set means disabled
    bar.SetButtonStyle(1, TBBS_BUTTON | TBBS_CHECKED);
    EXPECT_TRUE(bar.IsButtonEnabled(ID_TEST_SAVE));
    EXPECT_TRUE(bar.IsButtonChecked(ID_TEST_SAVE));
    EXPECT_TRUE(bar.IsLayoutDirty());
    bar.SetButtonStyle(4, TBBS_BUTTON | TBBS_INDETERMINATE | TBBS_DISABLED);
    EXPECT_TRUE(bar.IsButtonIndeterminate(ID_TEST_PRINT));
    EXPECT_FALSE(bar.IsButtonEnabled(ID_TEST_PRINT));

    // SetButton writes the record back with the bit turned again.
    ASSERT_TRUE(bar.GetButton(0, &button));
    button.iBitmap = 3;
    EXPECT_TRUE(bar.SetButton(0, &button));
    EXPECT_EQ(bar.GetBitmap(ID_TEST_OPEN), 3);
    EXPECT_TRUE(bar.IsButtonEnabled(ID_TEST_OPEN));
    EXPECT_EQ(CommandsOf(bar)[0], ID_TEST_OPEN);
    bar.SetButtonInfo(0, ID_TEST_OPEN, TBBS_BUTTON, 0);
    EXPECT_EQ(bar.GetBitmap(ID_TEST_OPEN), 0);
    EXPECT_EQ(bar.CommandToIndex(ID_TEST_COPY), 3);
    EXPECT_EQ(bar.CommandToIndex(ID_TEST_EXIT), -1);

    // A resource without buttons still gives a bar and loads its bitmap; one whose
    // bitmap is missing fails; one that is missing fails.
    EXPECT_TRUE(bar.LoadToolBar(IDR_EMPTY_TOOLBAR));
    EXPECT_EQ(bar.GetButtonCount(), 0);
    EXPECT_FALSE(bar.LoadToolBar(IDR_OTHER_TOOLBAR));
    EXPECT_EQ(CommandsOf(bar), std::vector<int>({ID_TEST_FIND, ID_TEST_HELP}));
    EXPECT_FALSE(bar.LoadToolBar(999));

    // A blank set of buttons to fill in later.
    EXPECT_TRUE(bar.SetButtons(nullptr, 3));
    EXPECT_EQ(bar.GetButtonCount(), 3);
    EXPECT_EQ(bar.GetItemID(2), 0u);
}

TEST_F(ToolBars, CommandUpdatesAskTheBarThenTheFrame)
{
    CheckingToolBar bar;
    ASSERT_TRUE(bar.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, kBarId));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TEST_TOOLBAR));
    bar.PressButton(ID_TEST_COPY, TRUE);
    bar.OnUpdateCmdUI(frame, TRUE);
    EXPECT_FALSE(bar.IsButtonEnabled(ID_TEST_OPEN));     // the frame's update handler
    EXPECT_TRUE(bar.IsButtonEnabled(ID_TEST_SAVE));      // the frame handles the command
    EXPECT_FALSE(bar.IsButtonEnabled(ID_TEST_COPY));     // nobody does
    EXPECT_FALSE(bar.IsButtonPressed(ID_TEST_COPY));     // disabling releases it
    EXPECT_TRUE(bar.IsButtonChecked(ID_TEST_PRINT));     // the bar's own handler
    EXPECT_TRUE(bar.IsButtonEnabled(ID_TEST_PRINT));
    EXPECT_EQ(bar.GetButtonStyle(4) & 0xFF, static_cast<UINT>(TBSTYLE_CHECK));

    // The update object itself.
    CBNToolCmdUI state;
    state.m_pOther = &bar;
    state.m_nIndex = 1;
    state.m_nID = ID_TEST_SAVE;
    state.SetCheck(2);
    EXPECT_TRUE(bar.IsButtonIndeterminate(ID_TEST_SAVE));
    EXPECT_FALSE(bar.IsButtonChecked(ID_TEST_SAVE));
    EXPECT_EQ(bar.GetButtonStyle(1) & 0xFF, static_cast<UINT>(TBSTYLE_CHECK));
    state.SetCheck(1);
    EXPECT_TRUE(bar.IsButtonChecked(ID_TEST_SAVE));
    EXPECT_FALSE(bar.IsButtonIndeterminate(ID_TEST_SAVE));
    state.SetCheck(0);
    EXPECT_FALSE(bar.IsButtonChecked(ID_TEST_SAVE));
    state.Enable(FALSE);
    EXPECT_FALSE(bar.IsButtonEnabled(ID_TEST_SAVE));
    state.Enable(TRUE);
    EXPECT_TRUE(bar.IsButtonEnabled(ID_TEST_SAVE));
}

TEST_F(ToolBars, TextsDropDownsAndPlacedControls)
{
    CBNToolBar bar;
    ASSERT_TRUE(bar.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, kBarId));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TEST_TOOLBAR));

    // One control string per distinct text.
    EXPECT_TRUE(bar.SetButtonText(0, "Open"));
    EXPECT_TRUE(bar.SetButtonText(3, "Open"));
    EXPECT_TRUE(bar.SetButtonText(1, "Save"));
    TBBUTTON first = {};
    TBBUTTON second = {};
    TBBUTTON third = {};
    bar.GetButton(0, &first);
    bar.GetButton(3, &second);
    bar.GetButton(1, &third);
    EXPECT_EQ(first.iString, second.iString);
    EXPECT_NE(first.iString, third.iString);
    EXPECT_STREQ(bar.GetButtonText(3), "Open");
    EXPECT_STREQ(bar.GetButtonText(1), "Save");
    EXPECT_STREQ(bar.GetButtonText(4), "");
    EXPECT_FALSE(bar.SetButtonText(9, "Nowhere"));

    // Drop-down records: a second call for the button replaces its menu.
    EXPECT_TRUE(bar.AddDropDownButton(ID_TEST_SAVE, IDR_TEST_MENU, TRUE));
    DROPDOWNBUTTON* record = bar.FindDropDownButton(ID_TEST_SAVE);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->idMenu, static_cast<UINT>(IDR_TEST_MENU));
    EXPECT_TRUE(bar.GetButtonStyle(1) & TBSTYLE_DROPDOWN);
    EXPECT_TRUE(bar.SendMessage(TB_GETEXTENDEDSTYLE) & TBSTYLE_EX_DRAWDDARROWS);
    EXPECT_TRUE(bar.AddDropDownButton(ID_TEST_SAVE, 301, FALSE));
    EXPECT_EQ(bar.FindDropDownButton(ID_TEST_SAVE), record);
    EXPECT_EQ(record->idMenu, 301u);
    EXPECT_EQ(bar.FindDropDownButton(ID_TEST_OPEN), nullptr);

    // Controls over buttons: the button becomes a place as wide as the control.
    CRect rect(0, 0, 90, 120);
    CWnd* combo = bar.InsertControl(RUNTIME_CLASS(CBNFlatComboBox), nullptr, rect, ID_TEST_COPY,
                                    CBS_DROPDOWN | WS_VSCROLL);
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->IsKindOf(RUNTIME_CLASS(CBNFlatComboBox)));
    EXPECT_EQ(combo->GetParent(), &bar);
    UINT id = 0;
    UINT style = 0;
    int width = 0;
    bar.GetButtonInfo(3, id, style, width);
    EXPECT_EQ(id, static_cast<UINT>(ID_TEST_COPY));
    EXPECT_EQ(style & 0xFF, static_cast<UINT>(TBSTYLE_SEP));
    EXPECT_EQ(width, 90);
    CRect place;
    bar.GetItemRect(3, &place);
    CRect placed;
    combo->GetWindowRect(&placed);
    bar.ScreenToClient(&placed);
    EXPECT_EQ(placed.left, place.left);
    EXPECT_EQ(bar.GetDlgItem(ID_TEST_COPY), combo);

    CRect editRect(0, 0, 50, 20);
    CWnd* edit = bar.InsertControl(RUNTIME_CLASS(CEdit), nullptr, editRect, ID_TEST_PRINT, WS_BORDER);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->IsKindOf(RUNTIME_CLASS(CEdit)));
    EXPECT_EQ(bar.GetInsertedControlCount(), 2);
    // A class that is no window gives nothing; neither does a command not on the bar.
    EXPECT_EQ(bar.InsertControl(RUNTIME_CLASS(CMenu), nullptr, editRect, ID_TEST_OPEN, 0), nullptr);
    CEdit loose;
    ASSERT_TRUE(loose.Create(WS_CHILD, CRect(0, 0, 10, 10), &bar, 0x777));
    EXPECT_EQ(bar.InsertControl(&loose, editRect, ID_TEST_EXIT), nullptr);
    EXPECT_EQ(bar.GetInsertedControlCount(), 2);

    // A layout with the control keeps it on its place.
    bar.CalcDynamicLayout(0, LM_HORZ | LM_HORZDOCK | LM_COMMIT);
    bar.GetItemRect(3, &place);
    combo->GetWindowRect(&placed);
    bar.ScreenToClient(&placed);
    EXPECT_EQ(placed.left, place.left);
}

TEST_F(ToolBars, CustomisationInformationIsCutToTheBufferAndEnded)
{
    TOOLBARINFO info[5] = {};
    const char* texts[] = {"Open a file", "Save it", "", "Copy", "Print"};
    CBNToolBar bar;
    ASSERT_TRUE(bar.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, kBarId));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TEST_TOOLBAR));
    for (int i = 0; i < 5; i++) {
        bar.GetButton(i, &info[i].tbButton);
        info[i].tbButton.fsState ^= TBSTATE_ENABLED;   // as the control keeps it
        info[i].btnText = texts[i];
    }
    ASSERT_TRUE(bar.LoadToolBar(IDR_TEST_TOOLBAR, info));
    EXPECT_TRUE(bar.CWnd::GetStyle() & CCS_ADJUSTABLE);

    // As the customisation dialog asks: the frame gets the notification and hands it on.
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    NMTOOLBARA request = {};
    request.hdr.hwndFrom = bar.m_hWnd;
    request.hdr.idFrom = kBarId;
    request.hdr.code = TBN_GETBUTTONINFOA;
    request.iItem = 0;
    request.pszText = buffer;
    request.cchText = 4;
    EXPECT_TRUE(frame->SendMessage(WM_NOTIFY, kBarId, reinterpret_cast<LPARAM>(&request)));
    EXPECT_STREQ(buffer, "Ope");
    EXPECT_EQ(buffer[4], 'x');   // nothing written past the buffer given
    EXPECT_EQ(request.tbButton.idCommand, ID_TEST_OPEN);
    request.iItem = 1;
    request.cchText = 8;
    EXPECT_TRUE(frame->SendMessage(WM_NOTIFY, kBarId, reinterpret_cast<LPARAM>(&request)));
    EXPECT_STREQ(buffer, "Save it");
    request.iItem = 5;   // beyond the table
    EXPECT_FALSE(frame->SendMessage(WM_NOTIFY, kBarId, reinterpret_cast<LPARAM>(&request)));

    // The wide form is ended the same way.
    wchar_t wide[6];
    std::fill(std::begin(wide), std::end(wide), L'x');
    NMTOOLBARW wideRequest = {};
    wideRequest.hdr = request.hdr;
    wideRequest.hdr.code = TBN_GETBUTTONINFOW;
    wideRequest.iItem = 0;
    wideRequest.pszText = wide;
    wideRequest.cchText = 3;
    EXPECT_TRUE(frame->SendMessage(WM_NOTIFY, kBarId, reinterpret_cast<LPARAM>(&wideRequest)));
    EXPECT_EQ(std::wstring(wide), L"Op");
    EXPECT_EQ(wide[3], L'x');

    // A docked bar lets buttons be added and taken away.
    NMTOOLBARA query = {};
    query.hdr = request.hdr;
    query.hdr.code = TBN_QUERYINSERT;
    EXPECT_TRUE(frame->SendMessage(WM_NOTIFY, kBarId, reinterpret_cast<LPARAM>(&query)));
    query.hdr.code = TBN_QUERYDELETE;
    EXPECT_TRUE(frame->SendMessage(WM_NOTIFY, kBarId, reinterpret_cast<LPARAM>(&query)));
}

TEST_F(ToolBars, LayoutSavedToTheProfileComesBack)
{
    const char* key = "Software\\Pyraxis Tests\\ToolBars\\Settings";
    auto valueExists = [key](const CString& name) {
        HKEY hKey = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return false;
        const bool exists = ::RegQueryValueExA(hKey, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        ::RegCloseKey(hKey);
        return exists;
    };

    CBNToolBar* bar = new CBNToolBar;
    const CString valueName = bar->GetRegistryValueName();
    ASSERT_TRUE(bar->Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, kBarId));
    ASSERT_TRUE(bar->LoadToolBar(IDR_TEST_TOOLBAR));
    EXPECT_FALSE(valueExists(valueName));

    // Rearranged: Print first, Save gone.
    ASSERT_TRUE(bar->SendMessage(TB_MOVEBUTTON, 4, 0));
    ASSERT_TRUE(bar->DeleteButton(2));
    const std::vector<int> arranged = CommandsOf(*bar);
    ASSERT_EQ(arranged, std::vector<int>({ID_TEST_PRINT, ID_TEST_OPEN, 0, ID_TEST_COPY}));
    bar->SaveState();
    EXPECT_TRUE(valueExists(valueName));

    // Loading the resource again gives the first arrangement; restoring the saved one.
    ASSERT_TRUE(bar->LoadToolBar(IDR_TEST_TOOLBAR));
    ASSERT_EQ(bar->GetButtonCount(), 5);
    bar->RestoreState();
    EXPECT_EQ(CommandsOf(*bar), arranged);
    EXPECT_EQ(bar->GetCount(), 4);

    // A bar with the table restores by itself when it loads; the window's end saves.
    ASSERT_TRUE(bar->SendMessage(TB_MOVEBUTTON, 0, 3));
    const std::vector<int> moved = CommandsOf(*bar);
    delete bar;
    CBNToolBar second;
    second.SetRegistryState(HKEY_CURRENT_USER, key, valueName);
    ASSERT_TRUE(second.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, kBarId + 1));
    TOOLBARINFO info[5] = {};
    ASSERT_TRUE(second.LoadToolBar(IDR_TEST_TOOLBAR, info));
    EXPECT_EQ(CommandsOf(second), moved);

    // Without a value name nothing is written.
    CBNToolBar nameless;
    nameless.SetRegistryState(HKEY_CURRENT_USER, key, "");
    ASSERT_TRUE(nameless.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, kBarId + 2));
    ASSERT_TRUE(nameless.LoadToolBar(IDR_TEST_TOOLBAR));
    nameless.SaveState();
    EXPECT_FALSE(valueExists(""));
}

// On the display: the bar docked in its frame, then a click on a drop-down button opens
// the owner-drawn menu below it, whose item is chosen with the keyboard.
TEST_F(ToolBars, DropDownButtonOpensItsMenuBelowTheButton)
{
    CBNToolBar bar;
    ASSERT_TRUE(bar.CreateEx(frame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS,
                             CRect(4, 2, 4, 2), kBarId));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TEST_TOOLBAR));
    bar.SetButtonText(0, "Open");
    ASSERT_TRUE(bar.AddDropDownButton(ID_TEST_OPEN, IDR_TEST_MENU, FALSE));
    CRect comboRect(0, 0, 100, 150);
    ASSERT_NE(bar.InsertControl(RUNTIME_CLASS(CBNFlatComboBox), nullptr, comboRect, ID_TEST_COPY, CBS_DROPDOWN), nullptr);
    frame->m_bAutoMenuEnable = FALSE;
    frame->ShowWindow(SW_SHOW);
    frame->RecalcLayout();
    frame->UpdateWindow();
    testing_support::DispatchPendingMessages();

    // Docked on top, as wide as the frame.
    CRect client;
    frame->GetClientRect(&client);
    CRect barRect;
    bar.GetWindowRect(&barRect);
    frame->ScreenToClient(&barRect);
    EXPECT_EQ(barRect.top, 0);
    EXPECT_EQ(barRect.Width(), client.Width());
    EXPECT_GE(barRect.Height(), 22);
    testing_support::Screenshot::OfWindow(frame->m_hWnd).Save("uilib_toolbar_docked");

    struct Observation
    {
        int ticks = 0;
        bool seen = false;
        RECT popup = {};
        std::string path;
    };
    static Observation seen;
    seen = Observation();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        if (++seen.ticks > 60) {
            ::EndMenu();
            return;
        }
        HWND popup = ::FindWindowA("#32768", nullptr);
        if (popup == nullptr || !::IsWindowVisible(popup) || seen.seen)
            return;
        seen.seen = true;
        ::GetWindowRect(popup, &seen.popup);
        seen.path = testing_support::Screenshot::OfWindow(popup).Save("uilib_toolbar_dropdown");
        // Down to the second item (Save), then choose it.
        ::PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 1);
        ::PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 1);
        ::PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 1);
    });
    ASSERT_NE(timer, 0u);
    CRect button;
    bar.GetItemRect(0, &button);
    const CPoint middle = button.CenterPoint();
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(middle.x, middle.y));
    bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(middle.x, middle.y));
    ::KillTimer(nullptr, timer);
    testing_support::DispatchPendingMessages();

    ASSERT_TRUE(seen.seen) << "the drop-down menu never showed";
    CRect buttonOnScreen(button);
    bar.ClientToScreen(&buttonOnScreen);
    EXPECT_EQ(seen.popup.left, buttonOnScreen.left);
    EXPECT_GE(seen.popup.top, buttonOnScreen.bottom - 1);
    EXPECT_LE(seen.popup.top, buttonOnScreen.bottom + 1);
    EXPECT_EQ(frame->m_nSaves, 1);
}

TEST_F(ToolBars, InARebarTheBarBelongsToTheFrameAndHasThePlainGripper)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_COOL_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    const HWND rebar = ::CreateWindowExA(0, REBARCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 300, 40,
                                         frame->m_hWnd, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(rebar, nullptr);
    CBNToolBar bar;
    ASSERT_TRUE(bar.CreateEx(CWnd::FromHandle(rebar), TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER,
                             CRect(1, 1, 1, 1), kBarId));
    EXPECT_TRUE(bar.IsInReBar());
    EXPECT_FALSE(bar.HasRaisedGripper());   // a rebar draws its own bands' grippers
    EXPECT_EQ(bar.GetOwner(), frame);
    CRect rect(0, 0, 0, 0);
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect.left, 1 + 7);
    ::DestroyWindow(rebar);
}

TEST_F(ToolBars, RightClickOffersCustomisationOnlyWithATable)
{
    CBNToolBar bar;
    ASSERT_TRUE(bar.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, kBarId));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TEST_TOOLBAR));
    frame->ShowWindow(SW_SHOW);
    frame->RecalcLayout();

    struct Observation
    {
        int ticks = 0;
        int items = -1;
        std::wstring text;
    };
    static Observation seen;
    auto rightClick = [&bar]() {
        seen = Observation();
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
            HWND popup = ::FindWindowA("#32768", nullptr);
            if (++seen.ticks > 30 || (popup != nullptr && ::IsWindowVisible(popup))) {
                if (popup != nullptr) {
                    HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
                    seen.items = ::GetMenuItemCount(menu);
                    MENUITEMINFOA info = {};
                    info.cbSize = sizeof(info);
                    info.fMask = MIIM_DATA | MIIM_ID;
                    if (::GetMenuItemInfoA(menu, 0, TRUE, &info) && info.wID == ID_BNTOOLBAR_CUSTOMIZE)
                        seen.text = reinterpret_cast<CBNMenuData*>(info.dwItemData)->GetWideString();
                }
                ::EndMenu();
            }
        });
        bar.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        ::KillTimer(nullptr, timer);
        testing_support::DispatchPendingMessages();
    };

    // Without a customisation table the click is the control's.
    rightClick();
    EXPECT_EQ(seen.items, -1);

    TOOLBARINFO info[5] = {};
    ASSERT_TRUE(bar.LoadToolBar(IDR_TEST_TOOLBAR, info));
    rightClick();
    EXPECT_EQ(seen.items, 1);
    EXPECT_EQ(seen.text, L"&Customize...");
}

TEST_F(ToolBars, OwnerDrawnMenusTakeTheImagesOfALiveToolbar)
{
    CToolBar toolbar;
    ASSERT_TRUE(toolbar.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, kBarId));
    ASSERT_TRUE(toolbar.LoadToolBar(IDR_TEST_TOOLBAR));
    CBNMenu menu;
    ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));
    EXPECT_TRUE(menu.AddFromToolBar(&toolbar, IDR_TEST_TOOLBAR));
    int position = -1;
    CBNMenu* file = menu.FindMenuOption(ID_TEST_PRINT, position);
    ASSERT_NE(file, nullptr);
    CBNMenuData* print = file->GetItemData(static_cast<UINT>(position));
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->m_nImageIndex, 3);   // the button's own image
    EXPECT_EQ(print->m_nImageSource, IDR_TEST_TOOLBAR);
    ASSERT_NE(print->GetImageList(), nullptr);
    EXPECT_EQ(print->GetImageList()->GetImageCount(), 4);
    CBNMenu* same = menu.FindMenuOption(ID_TEST_EXIT, position);
    ASSERT_NE(same, nullptr);
    EXPECT_FALSE(same->GetItemData(static_cast<UINT>(position))->HasImage());
    EXPECT_FALSE(menu.AddFromToolBar(nullptr, IDR_TEST_TOOLBAR));
}
