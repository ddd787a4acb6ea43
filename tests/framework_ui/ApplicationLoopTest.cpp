// The application object's loop with real windows: idle command-update, the end of the
// loop when the main window goes, the menu's command-update when a popup opens, and
// owner-drawn menu items routed to the menu object that holds them.
#include <gtest/gtest.h>

#include "framework/CCmdUI.h"
#include "framework/CDC.h"
#include "framework/CHandleMap.h"
#include "framework/CMenu.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "framework/FrameworkIds.h"
#include "tests/support/IdleCountingWnd.h"

#include <atomic>
#include <thread>

namespace {

TEST(ApplicationLoopTest, IdleUpdatesTheMainWindowAndItsChildrenThenFreesTemporaries)
{
    CWinApp app("IdleTest");
    CIdleCountingWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    CIdleCountingWnd child;
    ASSERT_TRUE(child.Create(nullptr, "child", 0, CRect(0, 0, 10, 10), &main, 1));
    CIdleCountingWnd grandChild;
    ASSERT_TRUE(grandChild.Create(nullptr, "grandchild", 0, CRect(0, 0, 5, 5), &child, 2));
    app.m_pMainWnd = &main;
    EXPECT_EQ(AfxGetMainWnd(), &main);

    EXPECT_TRUE(app.OnIdle(0));     // more idle work to do
    EXPECT_EQ(main.idleUpdates, 1);
    EXPECT_EQ(child.idleUpdates, 1);
    EXPECT_EQ(grandChild.idleUpdates, 1);

    CWnd::FromHandle(::GetDesktopWindow());
    EXPECT_GT((CHandleMap<CWnd, HWND>::TemporaryCount()), 0u);
    EXPECT_FALSE(app.OnIdle(1));
    EXPECT_EQ((CHandleMap<CWnd, HWND>::TemporaryCount()), 0u);
    app.m_pMainWnd = nullptr;
}

// Ends a loop that fails to end by itself, so that a fault fails the test instead of
// hanging it.
class QuitWatchdog
{
public:
    explicit QuitWatchdog(DWORD timeoutMs) : m_threadId(::GetCurrentThreadId())
    {
        m_thread = std::thread([this, timeoutMs] {
            for (DWORD waited = 0; waited < timeoutMs && !m_stop; waited += 10)
                ::Sleep(10);
            if (!m_stop)
                ::PostThreadMessage(m_threadId, WM_QUIT, kWatchdogExitCode, 0);
        });
    }
    ~QuitWatchdog()
    {
        m_stop = true;
        m_thread.join();
    }
    static const int kWatchdogExitCode = 99;

private:
    DWORD m_threadId;
    std::atomic<bool> m_stop{ false };
    std::thread m_thread;
};

// Closes itself at its first idle update: the loop must have gone idle to get there.
class CClosingOnIdleWnd : public CIdleCountingWnd
{
protected:
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam)
    {
        CIdleCountingWnd::OnIdleUpdateCmdUI(wParam, lParam);
        PostMessage(WM_CLOSE);  // the default handling destroys the window
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CClosingOnIdleWnd, CIdleCountingWnd)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

TEST(ApplicationLoopTest, DestroyingTheMainWindowEndsTheLoop)
{
    CWinApp app("LoopTest");
    CClosingOnIdleWnd* main = new CClosingOnIdleWnd;
    ASSERT_TRUE(main->CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    app.m_pMainWnd = main;

    int result = -1;
    {
        QuitWatchdog watchdog(5000);
        result = app.Run();
    }
    EXPECT_EQ(result, 0);   // not the watchdog's code
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    EXPECT_EQ(main->m_hWnd, nullptr);
    EXPECT_GE(main->idleUpdates, 1);
    delete main;
}

TEST(ApplicationLoopTest, AppExitClosesTheMainWindow)
{
    CWinApp app("ExitTest");
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    app.m_pMainWnd = &main;
    EXPECT_TRUE(app.OnCmdMsg(ID_APP_EXIT, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(main.m_hWnd, nullptr);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    // The quit message the destruction posted is taken out again for the next tests.
    MSG msg;
    EXPECT_TRUE(::PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

class CKeyTranslatingWnd : public CWnd
{
public:
    int asked = 0;
    BOOL PreTranslateMessage(MSG* msg) override
    {
        ++asked;
        return msg->message == WM_KEYDOWN;
    }
};

TEST(ApplicationLoopTest, MainWindowTranslatesForItsChildrenAndOtherWindows)
{
    CWinApp app("TranslateTest");
    CKeyTranslatingWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "child", 0, CRect(0, 0, 10, 10), &main, 1));
    CWnd popup;
    ASSERT_TRUE(popup.CreateEx(0, nullptr, "popup", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    app.m_pMainWnd = &main;

    MSG msg = {};
    msg.message = WM_KEYDOWN;
    msg.hwnd = child.m_hWnd;
    EXPECT_TRUE(app.PreTranslateMessage(&msg));
    EXPECT_EQ(main.asked, 1);
    msg.hwnd = popup.m_hWnd;
    EXPECT_TRUE(app.PreTranslateMessage(&msg));
    EXPECT_EQ(main.asked, 2);
    msg.message = WM_CHAR;
    EXPECT_FALSE(app.PreTranslateMessage(&msg));
    app.m_pMainWnd = nullptr;
}

// Shows the application's main window and settles what showing it left; then posts it
// the message given, asks for its repaint and runs the loop. The loop's result, or the
// watchdog's code when it never ended.
int RunWithARepaintWaiting(CWinApp& app, CWnd& main, UINT message)
{
    if (!main.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr))
        return -1;
    app.m_pMainWnd = &main;
    MSG msg;
    for (int taken = 0; taken < 1000 && ::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++taken)
        ::DispatchMessage(&msg);
    ::UpdateWindow(main.m_hWnd);
    main.PostMessage(message);
    ::InvalidateRect(main.m_hWnd, nullptr, FALSE);
    // The paint turn comes after a quarter of a second; fifty times that ends a loop that
    // never would.
    QuitWatchdog watchdog(50 * CWinApp::kPaintTurnMs);
    return app.Run();
}

// Keeps the queue busy: each posted message posts the next before it returns, so the
// queue never empties; once painted it ends the loop instead.
class CBusyWnd : public CWnd
{
public:
    static constexpr UINT kBusyMessage = WM_APP + 1;
    int handled = 0;
    int handledWhenPainted = -1;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kBusyMessage) {
            ++handled;
            if (handledWhenPainted >= 0)
                ::PostQuitMessage(0);
            else
                PostMessage(kBusyMessage);
            return 0;
        }
        if (message == WM_PAINT && handled > 0 && handledWhenPainted < 0)
            handledWhenPainted = handled;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(ApplicationLoopTest, AWindowWaitingForItsRepaintIsPaintedWhilePostedMessagesKeepComing)
{
    CWinApp app("PaintTurnTest");
    CBusyWnd main;
    const int result = RunWithARepaintWaiting(app, main, CBusyWnd::kBusyMessage);
    EXPECT_EQ(result, 0) << "never painted while " << main.handled << " posted messages were handled";
    EXPECT_GT(main.handledWhenPainted, 0);
    EXPECT_FALSE(::GetUpdateRect(main.m_hWnd, nullptr, FALSE));
    // A loop the watchdog ended left the next busy message behind.
    MSG msg;
    for (int taken = 0; taken < 10 && ::PeekMessage(&msg, main.m_hWnd, CBusyWnd::kBusyMessage,
                                                    CBusyWnd::kBusyMessage, PM_REMOVE);
         ++taken) {
    }
    app.m_pMainWnd = nullptr;
    main.DestroyWindow();
}

// Ends the loop from a posted message that took longer than a paint turn: the paint turn
// comes while the quit is pending.
class CQuittingLateWnd : public CWnd
{
public:
    static constexpr UINT kQuitMessage = WM_APP + 2;
    static constexpr int kExitCode = 5;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kQuitMessage) {
            ::PostQuitMessage(kExitCode);
            ::Sleep(2 * CWinApp::kPaintTurnMs);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(ApplicationLoopTest, APaintTurnLeavesAPendingQuitToEndTheLoop)
{
    CWinApp app("QuitTurnTest");
    CQuittingLateWnd main;
    EXPECT_EQ(RunWithARepaintWaiting(app, main, CQuittingLateWnd::kQuitMessage), CQuittingLateWnd::kExitCode);
    app.m_pMainWnd = nullptr;
    main.DestroyWindow();
}

// --- Menus -----------------------------------------------------------------------------

class CMenuOwnerWnd : public CWnd
{
public:
    BOOL checked = TRUE;

protected:
    afx_msg void OnUpdateToggle(CCmdUI* pCmdUI)
    {
        pCmdUI->SetCheck(checked);
        pCmdUI->Enable(!checked);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMenuOwnerWnd, CWnd)
    ON_UPDATE_COMMAND_UI(300, OnUpdateToggle)
END_MESSAGE_MAP()

TEST(MenuCommandUpdateTest, OpeningAPopupRunsTheUpdateHandlers)
{
    CMenuOwnerWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "menus", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuA(popup, MF_STRING, 300, "Toggle");
    ::AppendMenuA(popup, MF_STRING, 301, "No handler");

    wnd.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));
    EXPECT_EQ(::GetMenuState(popup, 300, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED), static_cast<UINT>(MF_CHECKED | MF_GRAYED));
    // A plain window does not grey the commands it has no handler for.
    EXPECT_EQ(::GetMenuState(popup, 301, MF_BYCOMMAND) & MF_GRAYED, 0u);

    wnd.checked = FALSE;
    wnd.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));
    EXPECT_EQ(::GetMenuState(popup, 300, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED), 0u);

    // The system menu is left to the system.
    wnd.checked = TRUE;
    wnd.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, TRUE));
    EXPECT_EQ(::GetMenuState(popup, 300, MF_BYCOMMAND) & MF_CHECKED, 0u);
    ::DestroyMenu(popup);
}

const COLORREF kItemColour = RGB(10, 200, 30);

class COwnerDrawMenu : public CMenu
{
public:
    UINT measuredItem = 0;
    UINT drawnItem = 0;

    void MeasureItem(LPMEASUREITEMSTRUCT item) override
    {
        measuredItem = item->itemID;
        item->itemWidth = 120;
        item->itemHeight = 21;
    }
    void DrawItem(LPDRAWITEMSTRUCT item) override
    {
        drawnItem = item->itemID;
        HBRUSH brush = ::CreateSolidBrush(kItemColour);
        ::FillRect(item->hDC, &item->rcItem, brush);
        ::DeleteObject(brush);
    }
};

TEST(MenuOwnerDrawTest, DrawAndMeasureGoToTheMenuHoldingTheItem)
{
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "owner draw", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    HMENU bar = ::CreateMenu();
    COwnerDrawMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    ::AppendMenuA(popup.m_hMenu, MF_OWNERDRAW, 700, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(1)));
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup.m_hMenu), "&Owner");
    ASSERT_TRUE(::SetMenu(wnd.m_hWnd, bar));

    // The measure message does not name the menu: it is found through the window's bar.
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemID = 700;
    wnd.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(popup.measuredItem, 700u);
    EXPECT_EQ(measure.itemHeight, 21u);

    // Drawing into a memory context, as the tests have no printer or screen to spare.
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 40, 20);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap);
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = 700;
    draw.hwndItem = reinterpret_cast<HWND>(popup.m_hMenu);
    draw.hDC = memory;
    draw.rcItem = { 0, 0, 40, 20 };
    EXPECT_EQ(wnd.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), TRUE);
    EXPECT_EQ(popup.drawnItem, 700u);
    EXPECT_EQ(::GetPixel(memory, 20, 10), kItemColour);
    ::SelectObject(memory, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);

    ::SetMenu(wnd.m_hWnd, nullptr);
    ::RemoveMenu(bar, 0, MF_BYPOSITION);    // the popup object destroys its own menu
    ::DestroyMenu(bar);
}

}  // namespace
