// Window objects and handles: permanent and temporary wrappers, attaching, subclassing a
// window that has a procedure of its own, and the object's end with its window.
#include <gtest/gtest.h>

#include "framework/CHandleMap.h"
#include "framework/CWnd.h"

namespace {

const UINT WM_TEST_ORIGINAL = WM_APP + 20;
const UINT WM_TEST_OVERRIDDEN = WM_APP + 21;
const UINT WM_TEST_REDIRECT = WM_APP + 22;
const LRESULT kOriginalAnswer = 1234;

// The procedure a window has before the framework subclasses it.
LRESULT CALLBACK OriginalProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TEST_ORIGINAL || message == WM_TEST_OVERRIDDEN)
        return kOriginalAnswer;
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

HWND CreatePlainWindow()
{
    static const char* className = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OriginalProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "HandleMapTestWindow";
        ::RegisterClassA(&wc);
        return "HandleMapTestWindow";
    }();
    return ::CreateWindowExA(0, className, "plain", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

class CSubclassingWnd : public CWnd
{
public:
    bool preSubclassCalled = false;
    LRESULT defaultResult = 0;
    LRESULT redirectedResult = 0;

protected:
    void PreSubclassWindow() override { preSubclassCalled = true; }
    afx_msg LRESULT OnOverridden(WPARAM, LPARAM)
    {
        defaultResult = Default();  // the original procedure's answer
        return 5;
    }
    // Default() takes the message from the thread's record, as hook chains rely on.
    afx_msg LRESULT OnRedirect(WPARAM, LPARAM)
    {
        MSG* record = AfxGetCurrentMessageRecord();
        const MSG saved = *record;
        record->message = WM_TEST_ORIGINAL;
        redirectedResult = Default();
        *record = saved;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSubclassingWnd, CWnd)
    ON_MESSAGE(WM_TEST_OVERRIDDEN, OnOverridden)
    ON_MESSAGE(WM_TEST_REDIRECT, OnRedirect)
END_MESSAGE_MAP()

TEST(HandleMapTest, FromHandleGivesATemporaryWrapperUntilIdle)
{
    HWND hWnd = CreatePlainWindow();
    ASSERT_NE(hWnd, nullptr);
    CWnd::DeleteTempMap();

    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    CWnd* wrapper = CWnd::FromHandle(hWnd);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->m_hWnd, hWnd);
    EXPECT_EQ(CWnd::FromHandle(hWnd), wrapper);     // the same wrapper until deleted
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_EQ((CHandleMap<CWnd, HWND>::TemporaryCount()), 1u);

    CWnd::DeleteTempMap();
    EXPECT_EQ((CHandleMap<CWnd, HWND>::TemporaryCount()), 0u);
    // Deleting the wrapper left the window alone.
    EXPECT_TRUE(::IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    ::DestroyWindow(hWnd);
}

TEST(HandleMapTest, AttachAndDetachOnlyMapTheHandle)
{
    HWND hWnd = CreatePlainWindow();
    ASSERT_NE(hWnd, nullptr);
    {
        CWnd wnd;
        ASSERT_TRUE(wnd.Attach(hWnd));
        EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &wnd);
        EXPECT_EQ(CWnd::FromHandle(hWnd), &wnd);
        // A second object cannot take the same window.
        CWnd other;
        EXPECT_FALSE(other.Attach(hWnd));
        // Attaching does not change the procedure: the window answers as before.
        EXPECT_EQ(::SendMessage(hWnd, WM_TEST_ORIGINAL, 0, 0), kOriginalAnswer);
        EXPECT_EQ(wnd.Detach(), hWnd);
        EXPECT_EQ(wnd.m_hWnd, nullptr);
        EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    }
    // A detached object's end leaves the window.
    EXPECT_TRUE(::IsWindow(hWnd));
    ::DestroyWindow(hWnd);
}

TEST(HandleMapTest, SubclassedWindowReachesTheMapAndFallsBackToItsProcedure)
{
    HWND hWnd = CreatePlainWindow();
    ASSERT_NE(hWnd, nullptr);
    CSubclassingWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hWnd));
    EXPECT_TRUE(wnd.preSubclassCalled);

    EXPECT_EQ(::SendMessage(hWnd, WM_TEST_OVERRIDDEN, 0, 0), 5);
    EXPECT_EQ(wnd.defaultResult, kOriginalAnswer);
    // Messages without an entry go to the original procedure.
    EXPECT_EQ(::SendMessage(hWnd, WM_TEST_ORIGINAL, 0, 0), kOriginalAnswer);
    ::SendMessage(hWnd, WM_TEST_REDIRECT, 0, 0);
    EXPECT_EQ(wnd.redirectedResult, kOriginalAnswer);

    EXPECT_EQ(wnd.UnsubclassWindow(), hWnd);
    EXPECT_EQ(::SendMessage(hWnd, WM_TEST_OVERRIDDEN, 0, 0), kOriginalAnswer);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    ::DestroyWindow(hWnd);
}

TEST(HandleMapTest, SubclassDlgItemFindsTheChildById)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    HWND edit = ::CreateWindowA("EDIT", "", WS_CHILD, 0, 0, 50, 20, parent.m_hWnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(33)), ::GetModuleHandleA(nullptr),
                                nullptr);
    ASSERT_NE(edit, nullptr);
    CWnd control;
    EXPECT_FALSE(control.SubclassDlgItem(34, &parent));
    ASSERT_TRUE(control.SubclassDlgItem(33, &parent));
    EXPECT_EQ(control.m_hWnd, edit);
    // The edit control's own procedure still does the work.
    control.SetWindowText("typed");
    CString text;
    control.GetWindowText(text);
    EXPECT_STREQ(text, "typed");
}

TEST(HandleMapTest, ObjectDestroysTheWindowItOwns)
{
    HWND hWnd = nullptr;
    {
        CWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, "owned", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
        hWnd = wnd.m_hWnd;
        EXPECT_TRUE(::IsWindow(hWnd));
    }
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

class CSelfDeletingWnd : public CWnd
{
public:
    explicit CSelfDeletingWnd(bool* deleted) : m_deleted(deleted) {}
    ~CSelfDeletingWnd() override { *m_deleted = true; }

protected:
    void PostNcDestroy() override { delete this; }

private:
    bool* m_deleted;
};

TEST(HandleMapTest, DestroyWindowDetachesAndRunsPostNcDestroy)
{
    bool deleted = false;
    CSelfDeletingWnd* wnd = new CSelfDeletingWnd(&deleted);
    ASSERT_TRUE(wnd->CreateEx(0, nullptr, "self", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    HWND hWnd = wnd->m_hWnd;
    EXPECT_TRUE(wnd->DestroyWindow());
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

TEST(HandleMapTest, RegisteredClassIsSharedForTheSameAttributes)
{
    LPCTSTR first = AfxRegisterWndClass(CS_HREDRAW, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    LPCTSTR second = AfxRegisterWndClass(CS_HREDRAW, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    LPCTSTR other = AfxRegisterWndClass(CS_VREDRAW);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, second);
    EXPECT_STRNE(first, other);
    WNDCLASSA info = {};
    ASSERT_TRUE(::GetClassInfoA(::GetModuleHandleA(nullptr), first, &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_HREDRAW));

    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, other, "classed", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr));
    char className[128] = "";
    ::GetClassNameA(wnd.m_hWnd, className, sizeof className);
    EXPECT_STREQ(className, other);
}

}  // namespace
