// Message maps: each kind of entry reaches its handler with the parameters cracked, the
// chain of maps runs from the most derived class up, and handler exceptions stop at the
// window procedure.
#include <gtest/gtest.h>

#include "framework/CCmdUI.h"
#include "framework/CDC.h"
#include "framework/CException.h"
#include "framework/CNotSupportedException.h"
#include "framework/CWnd.h"
#include "tests/support/MessageBoxRecorder.h"

#include <stdexcept>
#include <vector>

using testing_support::MessageBoxRecorder;

namespace {

const UINT WM_TEST_VALUE = WM_APP + 1;
const UINT WM_TEST_THROW_STD = WM_APP + 2;
const UINT WM_TEST_THROW_FRAMEWORK = WM_APP + 3;
const UINT WM_TEST_DEFAULT = WM_APP + 4;
const UINT WM_TEST_NESTED = WM_APP + 5;

const UINT ID_PLAIN = 100;
const UINT ID_DISABLED = 101;
const UINT ID_EX_DECLINES = 102;
const UINT ID_RANGE_FIRST = 200;
const UINT ID_RANGE_LAST = 210;
const UINT ID_BUTTON = 300;
const UINT ID_EDIT_FIRST = 400;
const UINT ID_EDIT_LAST = 404;
const UINT ID_LIST = 500;
const UINT ID_BASE_ONLY = 600;

class CBaseTestWnd : public CWnd
{
public:
    std::vector<UINT> baseCommands;

protected:
    afx_msg void OnBaseOnly() { baseCommands.push_back(ID_BASE_ONLY); }
    afx_msg void OnPlain() { baseCommands.push_back(ID_PLAIN); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestWnd, CWnd)
    ON_COMMAND(ID_BASE_ONLY, OnBaseOnly)
    ON_COMMAND(ID_PLAIN, OnPlain)
END_MESSAGE_MAP()

class CDispatchWnd : public CBaseTestWnd
{
public:
    CCreateContext* createContext = nullptr;
    int sizeCx = -1, sizeCy = -1;
    UINT sizeType = 99;
    CPoint clickPoint{ -100, -100 };
    UINT clickFlags = 0;
    UINT_PTR timerId = 0;
    std::vector<UINT> commands;
    std::vector<UINT> controls;
    int notifyCount = 0;
    LRESULT defaultResult = 0;
    UINT nestedInnerMessage = 0;
    UINT nestedOuterMessageAfter = 0;
    int keyChar = 0, keyRepeat = 0;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs)
    {
        createContext = static_cast<CCreateContext*>(cs->lpCreateParams);
        return CWnd::OnCreate(cs);
    }
    afx_msg void OnSize(UINT type, int cx, int cy)
    {
        sizeType = type;
        sizeCx = cx;
        sizeCy = cy;
    }
    afx_msg void OnLButtonDown(UINT flags, CPoint point)
    {
        clickFlags = flags;
        clickPoint = point;
    }
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT)
    {
        keyChar = static_cast<int>(nChar);
        keyRepeat = static_cast<int>(nRepCnt);
    }
    afx_msg void OnTimer(UINT_PTR id) { timerId = id; }
    afx_msg LRESULT OnTestValue(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam * 10 + lParam); }
    afx_msg LRESULT OnThrowStd(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    afx_msg LRESULT OnThrowFramework(WPARAM, LPARAM) { throw new CNotSupportedException; }
    afx_msg LRESULT OnTestDefault(WPARAM, LPARAM)
    {
        defaultResult = Default();
        return 1;
    }
    afx_msg LRESULT OnNested(WPARAM, LPARAM)
    {
        SendMessage(WM_TEST_VALUE, 1, 2);
        nestedInnerMessage = GetCurrentMessage()->message;
        return 0;
    }
    afx_msg void OnPlain() { commands.push_back(ID_PLAIN); }
    afx_msg void OnDisabled() { commands.push_back(ID_DISABLED); }
    afx_msg void OnUpdateDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    afx_msg BOOL OnExDeclines(UINT id)
    {
        commands.push_back(id);
        return FALSE;
    }
    afx_msg void OnRange(UINT id) { commands.push_back(id); }
    afx_msg void OnButtonClicked() { controls.push_back(ID_BUTTON); }
    afx_msg void OnEditChange(UINT id) { controls.push_back(id); }
    afx_msg void OnListSelChange() { controls.push_back(ID_LIST); }
    afx_msg void OnListClick(NMHDR* header, LRESULT* result)
    {
        ++notifyCount;
        *result = static_cast<LRESULT>(header->idFrom) + 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDispatchWnd, CBaseTestWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_TIMER()
    ON_MESSAGE(WM_TEST_VALUE, OnTestValue)
    ON_MESSAGE(WM_TEST_THROW_STD, OnThrowStd)
    ON_MESSAGE(WM_TEST_THROW_FRAMEWORK, OnThrowFramework)
    ON_MESSAGE(WM_TEST_DEFAULT, OnTestDefault)
    ON_MESSAGE(WM_TEST_NESTED, OnNested)
    ON_COMMAND(ID_PLAIN, OnPlain)
    ON_COMMAND(ID_DISABLED, OnDisabled)
    ON_UPDATE_COMMAND_UI(ID_DISABLED, OnUpdateDisabled)
    ON_COMMAND_EX(ID_EX_DECLINES, OnExDeclines)
    ON_COMMAND_RANGE(ID_RANGE_FIRST, ID_RANGE_LAST, OnRange)
    ON_BN_CLICKED(ID_BUTTON, OnButtonClicked)
    ON_CONTROL_RANGE(EN_CHANGE, ID_EDIT_FIRST, ID_EDIT_LAST, OnEditChange)
    ON_LBN_SELCHANGE(ID_LIST, OnListSelChange)
    ON_NOTIFY(NM_CLICK, ID_LIST, OnListClick)
END_MESSAGE_MAP()

// Everything here runs on a hidden top-level window.
class MessageDispatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MessageBoxRecorder::Instance().Clear();
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, "dispatch", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, &context));
    }
    void TearDown() override { MessageBoxRecorder::Instance().Clear(); }

    LRESULT Command(UINT id, UINT code = 0, HWND control = nullptr)
    {
        return wnd.SendMessage(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    }

    CCreateContext context;
    CDispatchWnd wnd;
};

TEST_F(MessageDispatchTest, CreationContextReachesOnCreate)
{
    EXPECT_EQ(wnd.createContext, &context);
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
}

TEST_F(MessageDispatchTest, WindowMessagesArriveCracked)
{
    wnd.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
    EXPECT_EQ(wnd.sizeType, static_cast<UINT>(SIZE_MAXIMIZED));
    EXPECT_EQ(wnd.sizeCx, 640);
    EXPECT_EQ(wnd.sizeCy, 480);

    // Coordinates left of or above the client area are negative.
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(static_cast<WORD>(-3), 17));
    EXPECT_EQ(wnd.clickPoint, CPoint(-3, 17));
    EXPECT_EQ(wnd.clickFlags, static_cast<UINT>(MK_LBUTTON | MK_SHIFT));

    wnd.SendMessage(WM_KEYDOWN, 'A', MAKELPARAM(3, 0x1E));
    EXPECT_EQ(wnd.keyChar, 'A');
    EXPECT_EQ(wnd.keyRepeat, 3);

    wnd.SendMessage(WM_TIMER, 42);
    EXPECT_EQ(wnd.timerId, 42u);

    EXPECT_EQ(wnd.SendMessage(WM_TEST_VALUE, 4, 2), 42);
}

TEST_F(MessageDispatchTest, CommandsReachTheirHandlers)
{
    Command(ID_PLAIN);
    Command(ID_RANGE_FIRST);
    Command(ID_RANGE_LAST);
    Command(ID_RANGE_LAST + 1);     // outside the range: nobody
    EXPECT_EQ(wnd.commands, (std::vector<UINT>{ ID_PLAIN, ID_RANGE_FIRST, ID_RANGE_LAST }));
    // The derived map wins over the base map's entry for the same id...
    EXPECT_TRUE(wnd.baseCommands.empty());
    // ...and the base map still answers what the derived one does not list.
    Command(ID_BASE_ONLY);
    EXPECT_EQ(wnd.baseCommands, (std::vector<UINT>{ ID_BASE_ONLY }));
}

TEST_F(MessageDispatchTest, DisabledMenuCommandIsNotRun)
{
    Command(ID_DISABLED);
    Command(ID_DISABLED, 1);    // as from an accelerator
    EXPECT_TRUE(wnd.commands.empty());
    // Called directly the handler is reachable: only the update handler held it back.
    EXPECT_TRUE(wnd.OnCmdMsg(ID_DISABLED, CN_COMMAND, nullptr, nullptr));
}

TEST_F(MessageDispatchTest, CommandExHandlerCanDecline)
{
    EXPECT_FALSE(wnd.OnCmdMsg(ID_EX_DECLINES, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(wnd.commands, (std::vector<UINT>{ ID_EX_DECLINES }));
    AFX_CMDHANDLERINFO info;
    EXPECT_TRUE(wnd.OnCmdMsg(ID_EX_DECLINES, CN_COMMAND, nullptr, &info));
    EXPECT_EQ(info.pTarget, &wnd);
    // Asking for the handler does not run it.
    EXPECT_EQ(wnd.commands.size(), 1u);
}

TEST_F(MessageDispatchTest, ControlNotificationsMatchCodeAndId)
{
    HWND fakeControl = wnd.m_hWnd;  // any window handle: only the id and code are looked at
    Command(ID_BUTTON, BN_CLICKED, fakeControl);
    Command(ID_EDIT_FIRST + 2, EN_CHANGE, fakeControl);
    Command(ID_EDIT_FIRST + 2, EN_UPDATE, fakeControl);     // other code: nobody
    Command(ID_LIST, LBN_SELCHANGE, fakeControl);
    Command(ID_LIST, LBN_DBLCLK, fakeControl);              // not mapped
    EXPECT_EQ(wnd.controls, (std::vector<UINT>{ ID_BUTTON, ID_EDIT_FIRST + 2, ID_LIST }));
}

TEST_F(MessageDispatchTest, NotifyHandlerSetsTheResult)
{
    NMHDR header = { wnd.m_hWnd, ID_LIST, static_cast<UINT>(NM_CLICK) };
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, ID_LIST, reinterpret_cast<LPARAM>(&header)), ID_LIST + 1);
    header.code = static_cast<UINT>(NM_DBLCLK);
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, ID_LIST, reinterpret_cast<LPARAM>(&header)), 0);
    EXPECT_EQ(wnd.notifyCount, 1);
}

TEST_F(MessageDispatchTest, DefaultPassesTheCurrentMessageOn)
{
    // DefWindowProc answers WM_APP messages with 0, WM_GETTEXTLENGTH with the length.
    wnd.SendMessage(WM_TEST_DEFAULT, 5, 6);
    EXPECT_EQ(wnd.defaultResult, 0);
}

TEST_F(MessageDispatchTest, CurrentMessageIsRestoredAfterANestedMessage)
{
    wnd.SendMessage(WM_TEST_NESTED);
    EXPECT_EQ(wnd.nestedInnerMessage, WM_TEST_NESTED);
}

TEST_F(MessageDispatchTest, StandardExceptionStopsAtTheWindowProcedure)
{
    EXPECT_EQ(wnd.SendMessage(WM_TEST_THROW_STD), 0);
    ASSERT_EQ(MessageBoxRecorder::Instance().Count(), 1u);
    EXPECT_EQ(MessageBoxRecorder::Instance().Boxes()[0].text, "handler failed");
    // The window keeps working.
    EXPECT_EQ(wnd.SendMessage(WM_TEST_VALUE, 1, 1), 11);
}

TEST_F(MessageDispatchTest, FrameworkExceptionIsReportedAndFreed)
{
    EXPECT_EQ(wnd.SendMessage(WM_TEST_THROW_FRAMEWORK), 0);
    EXPECT_EQ(MessageBoxRecorder::Instance().Count(), 1u);
    EXPECT_TRUE(::IsWindow(wnd.m_hWnd));
}

class CFailingCreateWnd : public CWnd
{
public:
    bool postNcDestroyCalled = false;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT) { throw std::runtime_error("cannot create"); }
    void PostNcDestroy() override { postNcDestroyCalled = true; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFailingCreateWnd, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST(WindowCreationTest, ThrowInOnCreateFailsTheCreation)
{
    MessageBoxRecorder::Instance().Clear();
    CFailingCreateWnd wnd;
    EXPECT_FALSE(wnd.CreateEx(0, nullptr, "fails", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_TRUE(wnd.postNcDestroyCalled);
    EXPECT_EQ(MessageBoxRecorder::Instance().Count(), 1u);
    MessageBoxRecorder::Instance().Clear();
}

class CRefusingCreateWnd : public CWnd
{
protected:
    BOOL PreCreateWindow(CREATESTRUCT&) override { return FALSE; }
};

TEST(WindowCreationTest, PreCreateWindowCanRefuse)
{
    CRefusingCreateWnd wnd;
    EXPECT_FALSE(wnd.CreateEx(0, nullptr, "refused", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

class CCreatedFlagWnd : public CWnd
{
public:
    bool created = false;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs)
    {
        created = true;
        return CWnd::OnCreate(cs);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCreatedFlagWnd, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

// Makes its child while it is being created itself, as frames make their bars.
class CNestingWnd : public CCreatedFlagWnd
{
public:
    CCreatedFlagWnd child;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs)
    {
        if (CCreatedFlagWnd::OnCreate(cs) == -1)
            return -1;
        return child.Create(nullptr, "child", 0, CRect(0, 0, 10, 10), this, 9) ? 0 : -1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNestingWnd, CCreatedFlagWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST(WindowCreationTest, WindowCreatedDuringAnotherCreationGetsItsOwnObject)
{
    CNestingWnd outer;
    ASSERT_TRUE(outer.CreateEx(0, nullptr, "outer", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    EXPECT_TRUE(outer.created);
    EXPECT_TRUE(outer.child.created);
    EXPECT_EQ(CWnd::FromHandlePermanent(outer.m_hWnd), &outer);
    EXPECT_EQ(CWnd::FromHandlePermanent(outer.child.m_hWnd), &outer.child);
    EXPECT_EQ(::GetParent(outer.child.m_hWnd), outer.m_hWnd);
    // Later creations on the thread still work after the nested hooks are gone.
    CCreatedFlagWnd after;
    ASSERT_TRUE(after.CreateEx(0, nullptr, "after", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_TRUE(after.created);
}

TEST(WindowCreationTest, ChildGetsItsIdAndParent)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr));
    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "child", WS_VISIBLE, CRect(1, 2, 51, 32), &parent, 77));
    EXPECT_EQ(child.GetDlgCtrlID(), 77);
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_EQ(parent.GetDlgItem(77), &child);
    EXPECT_NE(child.GetStyle() & WS_CHILD, 0u);
    CRect rect;
    child.GetClientRect(&rect);
    EXPECT_EQ(rect, CRect(0, 0, 50, 30));

    EXPECT_TRUE(child.ModifyStyle(0, WS_BORDER));
    EXPECT_FALSE(child.ModifyStyle(0, WS_BORDER));  // nothing changes
    EXPECT_NE(child.GetStyle() & WS_BORDER, 0u);
    EXPECT_TRUE(child.ModifyStyleEx(0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED));
    EXPECT_NE(child.GetExStyle() & WS_EX_CLIENTEDGE, 0u);

    child.SetWindowText("text of child");
    CString text;
    child.GetWindowText(text);
    EXPECT_STREQ(text, "text of child");
    CString itemText;
    EXPECT_EQ(parent.GetDlgItemText(77, itemText), 13);
    EXPECT_STREQ(itemText, "text of child");
}

}  // namespace
