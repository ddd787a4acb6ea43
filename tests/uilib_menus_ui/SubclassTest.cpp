// Hooks chained on one window procedure (hidden windows): the order the hooks see a
// message in, unhooking from the middle or the front of the chain, the window's own
// procedure back only when the last hook leaves, the message being dispatched as the
// hooks see it, and a destroyed window that loses all its hooks and gets WM_NCDESTROY
// through its own procedure.
#include <gtest/gtest.h>

#include "framework/CWnd.h"
#include "framework/MessageMap.h"
#include "tests/support/PendingMessages.h"
#include "uilib/CSubclassWnd.h"
#include "uilib/CSubclassWndMap.h"

#include <string>
#include <vector>

namespace {

const UINT kProbe = WM_APP + 17;

// Who saw what, in order.
std::vector<std::string> g_seen;

LRESULT CALLBACK OriginalProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == kProbe) {
        g_seen.push_back("window");
        return 1000 + static_cast<LRESULT>(wp);
    }
    if (msg == WM_NCDESTROY)
        g_seen.push_back("window:ncdestroy");
    return ::DefWindowProcA(hWnd, msg, wp, lp);
}

HWND MakeWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OriginalProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "SubclassTestWindow";
        ::RegisterClassA(&wc);
        registered = true;
    }
    return ::CreateWindowExA(0, "SubclassTestWindow", "hooked", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

WNDPROC ProcedureOf(HWND hWnd)
{
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
}

// Notes the probe (and what the dispatch record says), adds its mark to the answer.
class NamedHook : public CSubclassWnd
{
public:
    explicit NamedHook(const char* name) : m_name(name) {}

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == kProbe) {
            g_seen.push_back(m_name);
            const MSG* current = AfxGetCurrentMessageRecord();
            m_sawCurrent = current->hwnd == m_hWnd && current->message == kProbe && current->wParam == wp;
            return CSubclassWnd::WindowProc(msg, wp, lp) + 1;
        }
        if (msg == WM_NCDESTROY)
            g_seen.push_back(m_name + ":ncdestroy");
        if (msg == WM_DESTROY)
            g_seen.push_back(m_name + ":destroy");
        return CSubclassWnd::WindowProc(msg, wp, lp);
    }

    std::string m_name;
    bool m_sawCurrent = false;
};

// Answers the probe through Default(), which takes the message being dispatched.
class DefaultingHook : public CSubclassWnd
{
public:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == kProbe) {
            g_seen.push_back("defaulting");
            return Default();
        }
        return CSubclassWnd::WindowProc(msg, wp, lp);
    }
};

// A framework window whose message map answers the probe.
class MappedWindow : public CWnd
{
public:
    LRESULT OnProbe(WPARAM wp, LPARAM) { g_seen.push_back("map"); return 500 + static_cast<LRESULT>(wp); }
    void PostNcDestroy() override { m_bGone = true; }
    bool m_bGone = false;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MappedWindow, CWnd)
    ON_MESSAGE(kProbe, OnProbe)
END_MESSAGE_MAP()

} // namespace

TEST(SubclassChain, TwoHooksSeeMessagesInTurnAndLeaveInAnyOrder)
{
    const HWND hWnd = MakeWindow();
    ASSERT_NE(hWnd, nullptr);
    const WNDPROC original = ProcedureOf(hWnd);
    NamedHook first("first");
    NamedHook second("second");

    EXPECT_TRUE(first.HookWindow(hWnd));
    EXPECT_TRUE(first.IsHooked());
    EXPECT_EQ(ProcedureOf(hWnd), &CSubclassWnd::HookWndProc);
    EXPECT_EQ(first.m_pOldWndProc, original);
    EXPECT_TRUE(second.HookWindow(hWnd));
    EXPECT_EQ(second.m_pOldWndProc, original);
    EXPECT_EQ(second.m_pNext, &first);
    EXPECT_EQ(CSubclassWndMap::GetHookMap().Lookup(hWnd), &second);

    // The newest hook first, the window last; each adds its mark to the answer.
    g_seen.clear();
    const MSG before = *AfxGetCurrentMessageRecord();
    EXPECT_EQ(::SendMessageA(hWnd, kProbe, 7, 0), 1000 + 7 + 2);
    EXPECT_EQ(g_seen, std::vector<std::string>({"second", "first", "window"}));
    EXPECT_TRUE(first.m_sawCurrent);
    EXPECT_TRUE(second.m_sawCurrent);
    // The record of the message being dispatched is the caller's again afterwards.
    EXPECT_EQ(AfxGetCurrentMessageRecord()->message, before.message);
    EXPECT_EQ(AfxGetCurrentMessageRecord()->hwnd, before.hwnd);

    // The first hook (at the end of the chain) leaves: the second still works, the
    // window keeps the hook procedure.
    EXPECT_TRUE(first.HookWindow(static_cast<HWND>(nullptr)));
    EXPECT_FALSE(first.IsHooked());
    EXPECT_EQ(ProcedureOf(hWnd), &CSubclassWnd::HookWndProc);
    g_seen.clear();
    EXPECT_EQ(::SendMessageA(hWnd, kProbe, 1, 0), 1000 + 1 + 1);
    EXPECT_EQ(g_seen, std::vector<std::string>({"second", "window"}));

    // Back on, then the front hook leaves: the other becomes the front.
    first.HookWindow(hWnd);
    EXPECT_TRUE(second.HookWindow(static_cast<HWND>(nullptr)));
    EXPECT_EQ(CSubclassWndMap::GetHookMap().Lookup(hWnd), &first);
    g_seen.clear();
    EXPECT_EQ(::SendMessageA(hWnd, kProbe, 2, 0), 1000 + 2 + 1);
    EXPECT_EQ(g_seen, std::vector<std::string>({"first", "window"}));

    // The last one leaves: the window has its own procedure again.
    first.HookWindow(static_cast<HWND>(nullptr));
    EXPECT_EQ(ProcedureOf(hWnd), original);
    EXPECT_EQ(CSubclassWndMap::GetHookMap().Lookup(hWnd), nullptr);
    g_seen.clear();
    EXPECT_EQ(::SendMessageA(hWnd, kProbe, 3, 0), 1003);
    EXPECT_EQ(g_seen, std::vector<std::string>({"window"}));

    // A hook that goes away unhooks itself.
    {
        NamedHook passing("passing");
        passing.HookWindow(hWnd);
        EXPECT_EQ(ProcedureOf(hWnd), &CSubclassWnd::HookWndProc);
    }
    EXPECT_EQ(ProcedureOf(hWnd), original);
    ::DestroyWindow(hWnd);
}

TEST(SubclassChain, DefaultPassesTheMessageBeingDispatchedOn)
{
    const HWND hWnd = MakeWindow();
    ASSERT_NE(hWnd, nullptr);
    NamedHook inner("inner");
    DefaultingHook outer;
    inner.HookWindow(hWnd);
    outer.HookWindow(hWnd);
    g_seen.clear();
    EXPECT_EQ(::SendMessageA(hWnd, kProbe, 4, 0), 1000 + 4 + 1);
    EXPECT_EQ(g_seen, std::vector<std::string>({"defaulting", "inner", "window"}));
    ::DestroyWindow(hWnd);
}

TEST(SubclassChain, DestroyedWindowLosesEveryHookAndGetsItsLastMessageItself)
{
    const HWND hWnd = MakeWindow();
    ASSERT_NE(hWnd, nullptr);
    NamedHook first("first");
    NamedHook second("second");
    first.HookWindow(hWnd);
    second.HookWindow(hWnd);
    g_seen.clear();
    ASSERT_TRUE(::DestroyWindow(hWnd));
    // WM_DESTROY still came through the chain; WM_NCDESTROY went to the window only.
    EXPECT_EQ(g_seen, std::vector<std::string>({"second:destroy", "first:destroy", "window:ncdestroy"}));
    EXPECT_FALSE(first.IsHooked());
    EXPECT_FALSE(second.IsHooked());
    EXPECT_EQ(first.m_pNext, nullptr);
    EXPECT_EQ(second.m_pNext, nullptr);
    EXPECT_EQ(CSubclassWndMap::GetHookMap().Lookup(hWnd), nullptr);

    // The hooks can go on to another window.
    const HWND other = MakeWindow();
    ASSERT_NE(other, nullptr);
    first.HookWindow(other);
    g_seen.clear();
    EXPECT_EQ(::SendMessageA(other, kProbe, 5, 0), 1006);
    EXPECT_EQ(g_seen, std::vector<std::string>({"first", "window"}));
    ::DestroyWindow(other);
    EXPECT_FALSE(first.IsHooked());
}

TEST(SubclassChain, HookedFrameworkWindowKeepsItsMessageMapAndItsEnd)
{
    MappedWindow window;
    ASSERT_TRUE(window.CreateEx(0, AfxRegisterWndClass(0), "mapped", WS_OVERLAPPED, CRect(0, 0, 50, 50), nullptr, 0));
    NamedHook hook("hook");
    hook.HookWindow(&window);
    g_seen.clear();
    EXPECT_EQ(window.SendMessage(kProbe, 8), 500 + 8 + 1);
    EXPECT_EQ(g_seen, std::vector<std::string>({"hook", "map"}));
    const HWND hWnd = window.m_hWnd;
    window.DestroyWindow();
    // The framework saw the window's end and let go of it.
    EXPECT_TRUE(window.m_bGone);
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_FALSE(hook.IsHooked());
    testing_support::DispatchPendingMessages();
}
