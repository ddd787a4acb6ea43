// The menu bar in a frame: its buttons from a menu resource (shared texts share a
// string), the frame without its own menu, the keyboard before any popup (Alt, F10,
// wrapping Left and Right, mnemonics, Escape, unrelated input), the mouse on the bar,
// and on the display the popups opened from it: moving between them with Left, Right
// and the mouse, a submenu that Right opens and Left closes, Escape back to button
// tracking, the open popup's own button closing it, a command chosen from a popup.
#include <gtest/gtest.h>

#include "framework/CFrameWnd.h"
#include "framework/CWinApp.h"
#include "framework/MessageMap.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Screenshot.h"
#include "tests/support/Polling.h"
#include "tests/uilib_menus/MenuTestResources.h"
#include "uilib/CBNMenuBar.h"
#include "uilib/CSubclassWnd.h"

#include <functional>
#include <string>
#include <vector>

namespace {

const UINT kMenuBarId = 0xE881;
const LPARAM kAltDown = 1 << 29;

class MenuBarFrame : public CFrameWnd
{
public:
    CBNMenuBar m_wndMenuBar;
    int m_nCopies = 0;

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (m_wndMenuBar.m_hWnd != nullptr && m_wndMenuBar.TranslateFrameMessage(pMsg))
            return TRUE;
        return CFrameWnd::PreTranslateMessage(pMsg);
    }

protected:
    void OnCopy() { ++m_nCopies; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MenuBarFrame, CFrameWnd)
    ON_COMMAND(ID_TEST_COPY, OnCopy)
END_MESSAGE_MAP()

MSG Key(HWND hWnd, UINT message, WPARAM key, LPARAM flags = 0)
{
    MSG msg = {};
    msg.hwnd = hWnd;
    msg.message = message;
    msg.wParam = key;
    msg.lParam = 1 | flags;
    return msg;
}

// Steps run inside the popups' own loop, one per timer tick once its condition holds;
// a watchdog closes whatever is open when the script does not finish in time.
struct PopupScript
{
    struct Step
    {
        std::string name;
        std::function<bool()> ready;
        std::function<void()> act;
    };
    std::vector<Step> steps;
    size_t next = 0;
    int ticks = 0;
    std::string stuck;

    static PopupScript* current;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        PopupScript& script = *current;
        if (++script.ticks > 100) {
            if (script.stuck.empty())
                script.stuck = script.next < script.steps.size() ? script.steps[script.next].name : "the end";
            if (CBNMenuBar::g_pMenuBar != nullptr)
                CBNMenuBar::g_pMenuBar->CancelMenuAndTrackNewOne(-1);
            ::EndMenu();
            return;
        }
        if (script.next < script.steps.size() && script.steps[script.next].ready()) {
            Step& step = script.steps[script.next++];
            step.act();
        }
    }
};
PopupScript* PopupScript::current = nullptr;

int VisiblePopups()
{
    struct Counter
    {
        static BOOL CALLBACK Count(HWND hWnd, LPARAM data)
        {
            char name[16] = "";
            ::GetClassNameA(hWnd, name, sizeof(name));
            if (std::string(name) == "#32768" && ::IsWindowVisible(hWnd))
                ++*reinterpret_cast<int*>(data);
            return TRUE;
        }
    };
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &Counter::Count, reinterpret_cast<LPARAM>(&count));
    return count;
}

class MenuBars : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = new MenuBarFrame;
        ASSERT_TRUE(frame->Create(nullptr, "Menu bar", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(60, 60, 520, 360),
                                  nullptr, MAKEINTRESOURCE(IDR_TEST_MENU)));
        frame->m_bAutoMenuEnable = FALSE;
        bar = &frame->m_wndMenuBar;
        ASSERT_TRUE(bar->CreateEx(frame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER,
                                  CRect(0, 0, 0, 0), kMenuBarId));
        ASSERT_TRUE(bar->LoadMenuA(IDR_BAR_MENU));
        frame->RecalcLayout();
        frame->UpdateWindow();
        Pump();
    }
    void TearDown() override
    {
        if (frame != nullptr && ::IsWindow(frame->m_hWnd))
            frame->DestroyWindow();
        testing_support::DispatchPendingMessages();
    }

    // The frame's message loop: each message goes through the frame's translation.
    void Pump(int limit = 500)
    {
        MSG msg;
        for (int i = 0; i < limit && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); i++) {
            if (msg.message == WM_QUIT)
                continue;
            if (!CWnd::WalkPreTranslateTree(frame->m_hWnd, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    }

    BOOL Translate(UINT message, WPARAM key, LPARAM flags = 0)
    {
        MSG msg = Key(frame->m_hWnd, message, key, flags);
        return bar->TranslateFrameMessage(&msg);
    }

    CBNMenuBar::TRACKINGSTATE State()
    {
        int popup = -1;
        return bar->GetTrackingState(popup);
    }

    int OpenPopup()
    {
        int popup = -1;
        return bar->GetTrackingState(popup) == CBNMenuBar::TRACK_POPUP ? popup : -1;
    }

    CPoint ButtonCentreOnScreen(int button)
    {
        CRect rect;
        bar->SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(button), reinterpret_cast<LPARAM>(&rect));
        bar->ClientToScreen(&rect);
        return rect.CenterPoint();
    }

    // Runs the script in the popups that the key opens.
    void RunPopups(PopupScript& script, UINT message, WPARAM key, LPARAM flags = 0)
    {
        PopupScript::current = &script;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &PopupScript::Tick);
        ASSERT_NE(timer, 0u);
        frame->PostMessage(message, key, 1 | flags);
        Pump();
        ::KillTimer(nullptr, timer);
        Pump();
        EXPECT_EQ(script.stuck, "") << "the popups did not get past this step";
        EXPECT_EQ(script.next, script.steps.size());
    }

    MenuBarFrame* frame = nullptr;
    CBNMenuBar* bar = nullptr;
    CWinApp app{"MenuBars"};
};

} // namespace

TEST_F(MenuBars, ButtonsComeFromTheMenuAndTheFrameKeepsNoMenuOfItsOwn)
{
    CString text;
    bar->GetWindowText(text);
    EXPECT_STREQ(text, "Menu Bar");
    EXPECT_EQ(::GetMenu(frame->m_hWnd), nullptr);
    EXPECT_EQ(frame->m_hMenuDefault, nullptr);
    EXPECT_EQ(bar->GetMenuID(), static_cast<UINT>(IDR_BAR_MENU));
    // The bar hooks its frame.
    EXPECT_EQ(reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(frame->m_hWnd, GWLP_WNDPROC)), &CSubclassWnd::HookWndProc);

    ASSERT_EQ(bar->GetButtonCount(), 4);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(bar->GetItemID(i), static_cast<UINT>(i));
        EXPECT_TRUE(bar->GetButtonStyle(i) & TBSTYLE_AUTOSIZE);
    }
    // "&Edit" twice: one control string.
    TBBUTTON second = {};
    TBBUTTON fourth = {};
    TBBUTTON first = {};
    bar->GetButton(0, &first);
    bar->GetButton(1, &second);
    bar->GetButton(3, &fourth);
    EXPECT_EQ(second.iString, fourth.iString);
    EXPECT_NE(first.iString, second.iString);
    ASSERT_EQ(bar->GetButtonTexts().GetSize(), 3);
    EXPECT_STREQ(bar->GetButtonTexts()[second.iString], "&Edit");

    // Docked on top across the frame.
    CRect client;
    frame->GetClientRect(&client);
    CRect rect;
    bar->GetWindowRect(&rect);
    frame->ScreenToClient(&rect);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.Width(), client.Width());

    // Every button is enabled by the bar itself, whatever the frame handles.
    bar->EnableButton(2, FALSE);
    bar->OnUpdateCmdUI(frame, TRUE);
    for (int i = 0; i < 4; i++)
        EXPECT_TRUE(bar->IsButtonEnabled(i)) << i;
    testing_support::Screenshot::OfWindow(frame->m_hWnd).Save("uilib_menu_bar");

    // A popup without a text has no button; the others keep their positions as
    // commands, and the last one, whose position is the button count, is enabled too.
    ASSERT_TRUE(bar->LoadMenuA(IDR_BAR_MENU_GAP));
    ASSERT_EQ(bar->GetButtonCount(), 2);
    EXPECT_EQ(bar->GetItemID(0), 1u);
    EXPECT_EQ(bar->GetItemID(1), 2u);
    bar->OnUpdateCmdUI(frame, TRUE);
    EXPECT_TRUE(bar->IsButtonEnabled(1));
    EXPECT_TRUE(bar->IsButtonEnabled(2));
}

TEST_F(MenuBars, KeyboardWithoutPopupsMovesTheHotButtonWithWrapAround)
{
    const HWND hFrame = frame->m_hWnd;
    EXPECT_TRUE(Translate(WM_SYSKEYDOWN, VK_MENU, kAltDown));
    EXPECT_EQ(State(), CBNMenuBar::TRACK_NONE);
    EXPECT_TRUE(Translate(WM_SYSKEYUP, VK_MENU, kAltDown));
    EXPECT_EQ(State(), CBNMenuBar::TRACK_BUTTON);
    EXPECT_EQ(bar->GetHotItem(), 0);

    EXPECT_TRUE(Translate(WM_KEYDOWN, VK_LEFT));
    EXPECT_EQ(bar->GetHotItem(), 3);   // from the first to the last
    EXPECT_TRUE(Translate(WM_KEYDOWN, VK_RIGHT));
    EXPECT_EQ(bar->GetHotItem(), 0);   // from the last to the first
    EXPECT_TRUE(Translate(WM_KEYDOWN, VK_RIGHT));
    EXPECT_EQ(bar->GetHotItem(), 1);
    // A letter that is no mnemonic only beeps while tracking; the state stays.
    EXPECT_TRUE(Translate(WM_KEYDOWN, 'Q'));
    EXPECT_EQ(State(), CBNMenuBar::TRACK_BUTTON);
    // Function and numeric-pad keys share their codes with lower-case letters
    // (F1 is 'p'), but are no mnemonics: they end tracking and go on to the frame.
    EXPECT_FALSE(Translate(WM_KEYDOWN, VK_F1));
    EXPECT_EQ(State(), CBNMenuBar::TRACK_NONE);
    bar->ToggleTrackButtonMode();
    EXPECT_TRUE(Translate(WM_KEYDOWN, VK_ESCAPE));
    EXPECT_EQ(State(), CBNMenuBar::TRACK_NONE);
    EXPECT_EQ(bar->GetHotItem(), -1);

    // F10 toggles as Alt does; Alt up in button tracking ends it.
    EXPECT_TRUE(Translate(WM_SYSKEYDOWN, VK_F10));
    EXPECT_TRUE(Translate(WM_SYSKEYUP, VK_F10));
    EXPECT_EQ(State(), CBNMenuBar::TRACK_BUTTON);
    EXPECT_TRUE(Translate(WM_SYSKEYUP, VK_MENU, kAltDown));
    EXPECT_EQ(State(), CBNMenuBar::TRACK_NONE);

    // In button tracking the mouse over a button makes it hot.
    bar->ToggleTrackButtonMode();
    EXPECT_EQ(State(), CBNMenuBar::TRACK_BUTTON);
    CRect third;
    bar->SendMessage(TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&third));
    bar->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(third.CenterPoint().x, third.CenterPoint().y));
    EXPECT_EQ(bar->GetHotItem(), 2);
    EXPECT_EQ(bar->HitTest(third.CenterPoint()), 2);
    EXPECT_EQ(bar->HitTest(CPoint(-5, -5)), -1);

    // A click on the bar itself changes nothing; any other key or click ends tracking
    // and goes on.
    MSG click = Key(bar->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_FALSE(bar->TranslateFrameMessage(&click));
    EXPECT_EQ(State(), CBNMenuBar::TRACK_BUTTON);
    click.hwnd = hFrame;
    EXPECT_FALSE(bar->TranslateFrameMessage(&click));
    EXPECT_EQ(State(), CBNMenuBar::TRACK_NONE);
    bar->ToggleTrackButtonMode();
    EXPECT_FALSE(Translate(WM_KEYUP, 'A'));
    EXPECT_EQ(State(), CBNMenuBar::TRACK_NONE);

    // Without tracking and without Alt, letters are the frame's.
    EXPECT_FALSE(Translate(WM_KEYDOWN, 'F'));
    EXPECT_FALSE(Translate(WM_CHAR, 'f'));
    EXPECT_EQ(bar->GetNextOrPrevButton(0, TRUE), 3);
    EXPECT_EQ(bar->GetNextOrPrevButton(3, FALSE), 0);
    EXPECT_FALSE(bar->IsValidButton(4));
    EXPECT_FALSE(bar->IsValidButton(-1));
}

// On the display: Alt, then Down opens the first popup; the script moves through them.
TEST_F(MenuBars, PopupsFollowLeftRightAndTheMouseAndTheirOwnButtonClosesThem)
{
    ASSERT_TRUE(Translate(WM_SYSKEYDOWN, VK_MENU, kAltDown));
    ASSERT_TRUE(Translate(WM_SYSKEYUP, VK_MENU, kAltDown));
    std::string shot;
    PopupScript script;
    auto popupIs = [this](int button) { return [this, button] { return OpenPopup() == button && VisiblePopups() == 1; }; };
    auto post = [this](WPARAM key) { return [this, key] { frame->PostMessage(WM_KEYDOWN, key, 1); }; };
    script.steps = {
        {"first popup open", popupIs(0), [this, post] {
             EXPECT_EQ(CBNMenuBar::g_pMenuBar, bar);
             EXPECT_NE(CBNMenuBar::g_hMsgHook, nullptr);
             EXPECT_TRUE(bar->IsButtonPressed(0));
             post(VK_RIGHT)();
         }},
        {"right to the second", popupIs(1), [&] {
             shot = testing_support::Screenshot::OfWindow(frame->m_hWnd).Save("uilib_menu_bar_tracking");
             HWND popup = ::FindWindowA("#32768", nullptr);
             testing_support::Screenshot::OfWindow(popup).Save("uilib_menu_bar_popup");
             post(VK_LEFT)();
         }},
        {"left back to the first", popupIs(0), post(VK_LEFT)},
        {"left from the first to the last", popupIs(3), post(VK_RIGHT)},
        {"right from the last to the first", popupIs(0), [this] {
             const CPoint target = ButtonCentreOnScreen(2);
             testing_support::MoveCursorTo(target.x, target.y);
             frame->PostMessage(WM_MOUSEMOVE, 0, 0);
         }},
        {"the mouse over the third", popupIs(2), [this] {
             const CPoint target = ButtonCentreOnScreen(2);
             testing_support::MoveCursorTo(target.x, target.y);
             frame->PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0);
         }},
    };
    RunPopups(script, WM_KEYDOWN, VK_DOWN);
    // The open popup's own button closed it and opened nothing.
    EXPECT_EQ(State(), CBNMenuBar::TRACK_NONE);
    EXPECT_EQ(CBNMenuBar::g_pMenuBar, nullptr);
    EXPECT_EQ(CBNMenuBar::g_hMsgHook, nullptr);
    EXPECT_FALSE(bar->IsButtonPressed(2));
    EXPECT_EQ(VisiblePopups(), 0);
    EXPECT_FALSE(shot.empty());
    testing_support::MoveCursorTo(0, 0);
}

TEST_F(MenuBars, SubmenusKeepLeftAndRightAndEscapeLeavesButtonTracking)
{
    PopupScript script;
    auto post = [this](WPARAM key) { return [this, key] { frame->PostMessage(WM_KEYDOWN, key, 1); }; };
    script.steps = {
        // Alt+E opens "Edit" (the first button with that mnemonic).
        {"edit open", [this] { return OpenPopup() == 1 && VisiblePopups() == 1; }, post(VK_DOWN)},
        {"on paste special", [] { return true; }, post(VK_RIGHT)},
        // Right on an item with a submenu opens it instead of the next popup.
        {"submenu open", [this] { return OpenPopup() == 1 && VisiblePopups() == 2; }, post(VK_LEFT)},
        // Left in the submenu closes it and stays in "Edit".
        {"submenu closed", [this] { return OpenPopup() == 1 && VisiblePopups() == 1; }, post(VK_ESCAPE)},
    };
    RunPopups(script, WM_SYSKEYDOWN, 'E', kAltDown);
    EXPECT_EQ(State(), CBNMenuBar::TRACK_BUTTON);
    EXPECT_EQ(bar->GetHotItem(), 1);
    EXPECT_EQ(VisiblePopups(), 0);

    // From button tracking, Down opens the hot button's popup; Return runs its first item.
    PopupScript choose;
    choose.steps = {
        {"edit open again", [this] { return OpenPopup() == 1 && VisiblePopups() == 1; }, post(VK_RETURN)},
    };
    RunPopups(choose, WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(frame->m_nCopies, 1);
    EXPECT_EQ(State(), CBNMenuBar::TRACK_NONE);
}
