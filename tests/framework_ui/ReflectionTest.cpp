// Notifications of a control go first to the control's own object (reflection); what it
// does not take goes to the parent. PreTranslateMessage walks from a window up its parents.
#include <gtest/gtest.h>

#include "framework/CCmdUI.h"
#include "framework/CDC.h"
#include "framework/CWnd.h"

#include <string>
#include <vector>

namespace {

const UINT ID_CHILD = 300;
const UINT ID_PASSING_CHILD = 301;

std::vector<std::string> g_calls;

class CReflectingChild : public CWnd
{
public:
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    UINT lastCtlColorType = 99;
    ~CReflectingChild() override { ::DeleteObject(brush); }

protected:
    afx_msg void OnReflectedClick() { g_calls.push_back("child clicked"); }
    afx_msg void OnReflectedNotify(NMHDR*, LRESULT* result)
    {
        g_calls.push_back("child notify");
        *result = 7;
    }
    afx_msg HBRUSH CtlColor(CDC*, UINT type)
    {
        lastCtlColorType = type;
        return brush;
    }
    afx_msg void DrawItem(LPDRAWITEMSTRUCT item)
    {
        g_calls.push_back("child draws item " + std::to_string(item->itemID));
    }
    afx_msg void MeasureItem(LPMEASUREITEMSTRUCT item)
    {
        item->itemHeight = 23;
        g_calls.push_back("child measures");
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingChild, CWnd)
    ON_CONTROL_REFLECT(BN_CLICKED, OnReflectedClick)
    ON_NOTIFY_REFLECT(NM_CLICK, OnReflectedNotify)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_DRAWITEM_REFLECT()
    ON_WM_MEASUREITEM_REFLECT()
END_MESSAGE_MAP()

// Takes notice of the click but lets the parent have it as well.
class CPassingChild : public CWnd
{
protected:
    afx_msg BOOL OnReflectedClick()
    {
        g_calls.push_back("passing child clicked");
        return FALSE;
    }
    afx_msg BOOL OnReflectedNotify(NMHDR*, LRESULT*)
    {
        g_calls.push_back("passing child notify");
        return FALSE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPassingChild, CWnd)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnReflectedClick)
    ON_NOTIFY_REFLECT_EX(NM_CLICK, OnReflectedNotify)
END_MESSAGE_MAP()

class CParentWnd : public CWnd
{
public:
    BOOL translateAtParent = FALSE;

    BOOL PreTranslateMessage(MSG* msg) override
    {
        g_calls.push_back("parent pretranslate");
        return translateAtParent || CWnd::PreTranslateMessage(msg);
    }

protected:
    afx_msg void OnChildClicked() { g_calls.push_back("parent got click " + std::to_string(GetCurrentMessage()->wParam & 0xFFFF)); }
    afx_msg void OnPassingChildClicked() { g_calls.push_back("parent got passed click"); }
    afx_msg void OnChildNotifyRange(UINT, NMHDR*, LRESULT* result)
    {
        g_calls.push_back("parent notify");
        *result = 9;
    }
    afx_msg HBRUSH OnCtlColor(CDC*, CWnd* control, UINT)
    {
        g_calls.push_back("parent colours " + std::to_string(control->GetDlgCtrlID()));
        return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CParentWnd, CWnd)
    ON_BN_CLICKED(ID_CHILD, OnChildClicked)
    ON_BN_CLICKED(ID_PASSING_CHILD, OnPassingChildClicked)
    ON_NOTIFY_RANGE(NM_CLICK, ID_CHILD, ID_PASSING_CHILD, OnChildNotifyRange)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

class ReflectionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_calls.clear();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
        ASSERT_TRUE(child.Create("BUTTON", "child", BS_PUSHBUTTON, CRect(0, 0, 80, 20), &parent, ID_CHILD));
        ASSERT_TRUE(passing.Create("BUTTON", "passing", BS_PUSHBUTTON, CRect(0, 30, 80, 50), &parent,
                                   ID_PASSING_CHILD));
        g_calls.clear();
    }
    void TearDown() override { g_calls.clear(); }

    LRESULT Notify(CWnd& from, UINT code)
    {
        NMHDR header = { from.m_hWnd, static_cast<UINT_PTR>(from.GetDlgCtrlID()), code };
        return parent.SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }

    CParentWnd parent;
    CReflectingChild child;
    CPassingChild passing;
};

TEST_F(ReflectionTest, ControlTakesItsOwnCommandNotification)
{
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(ID_CHILD, BN_CLICKED), reinterpret_cast<LPARAM>(child.m_hWnd));
    EXPECT_EQ(g_calls, (std::vector<std::string>{ "child clicked" }));
}

TEST_F(ReflectionTest, ExHandlerLetsTheParentHandleToo)
{
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(ID_PASSING_CHILD, BN_CLICKED),
                       reinterpret_cast<LPARAM>(passing.m_hWnd));
    EXPECT_EQ(g_calls, (std::vector<std::string>{ "passing child clicked", "parent got passed click" }));
}

TEST_F(ReflectionTest, RealButtonClickIsReflected)
{
    ::SendMessage(child.m_hWnd, BM_CLICK, 0, 0);
    EXPECT_EQ(g_calls, (std::vector<std::string>{ "child clicked" }));
}

TEST_F(ReflectionTest, NotifyGoesToControlFirst)
{
    EXPECT_EQ(Notify(child, static_cast<UINT>(NM_CLICK)), 7);
    EXPECT_EQ(Notify(passing, static_cast<UINT>(NM_CLICK)), 9);
    EXPECT_EQ(g_calls, (std::vector<std::string>{ "child notify", "passing child notify", "parent notify" }));
}

TEST_F(ReflectionTest, ControlColoursItself)
{
    HDC dc = ::GetDC(parent.m_hWnd);
    const LRESULT childBrush =
        parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child.m_hWnd));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(childBrush), child.brush);
    EXPECT_EQ(child.lastCtlColorType, static_cast<UINT>(CTLCOLOR_BTN));
    // A control without its own colours leaves them to the parent's handler.
    const LRESULT parentBrush = parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                   reinterpret_cast<LPARAM>(passing.m_hWnd));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(parentBrush), static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::ReleaseDC(parent.m_hWnd, dc);
    EXPECT_EQ(g_calls, (std::vector<std::string>{ "parent colours " + std::to_string(ID_PASSING_CHILD) }));
}

TEST_F(ReflectionTest, OwnerDrawGoesToTheControlObject)
{
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = ID_CHILD;
    draw.itemID = 5;
    draw.hwndItem = child.m_hWnd;
    EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, ID_CHILD, reinterpret_cast<LPARAM>(&draw)), TRUE);

    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_LISTBOX;
    measure.CtlID = ID_CHILD;   // the measure message names the control by id only
    parent.SendMessage(WM_MEASUREITEM, ID_CHILD, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemHeight, 23u);
    EXPECT_EQ(g_calls, (std::vector<std::string>{ "child draws item 5", "child measures" }));
}

// --- PreTranslateMessage ---------------------------------------------------------------

class CTranslatingChild : public CWnd
{
public:
    BOOL translate = FALSE;
    BOOL PreTranslateMessage(MSG*) override
    {
        g_calls.push_back("child pretranslate");
        return translate;
    }
};

TEST(PreTranslateTest, WalksFromTheWindowUpToTheStopWindow)
{
    g_calls.clear();
    CParentWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "top", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    CWnd middle;    // plain objects answer FALSE
    ASSERT_TRUE(middle.Create(nullptr, "middle", 0, CRect(0, 0, 100, 100), &top, 1));
    CTranslatingChild leaf;
    ASSERT_TRUE(leaf.Create(nullptr, "leaf", 0, CRect(0, 0, 50, 50), &middle, 2));

    MSG msg = {};
    msg.hwnd = leaf.m_hWnd;
    msg.message = WM_KEYDOWN;
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(top.m_hWnd, &msg));
    EXPECT_EQ(g_calls, (std::vector<std::string>{ "child pretranslate", "parent pretranslate" }));

    // The stop window is the last one asked.
    g_calls.clear();
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(middle.m_hWnd, &msg));
    EXPECT_EQ(g_calls, (std::vector<std::string>{ "child pretranslate" }));

    // A window that translates ends the walk.
    g_calls.clear();
    leaf.translate = TRUE;
    EXPECT_TRUE(CWnd::WalkPreTranslateTree(top.m_hWnd, &msg));
    EXPECT_EQ(g_calls, (std::vector<std::string>{ "child pretranslate" }));

    g_calls.clear();
    leaf.translate = FALSE;
    top.translateAtParent = TRUE;
    EXPECT_TRUE(CWnd::WalkPreTranslateTree(top.m_hWnd, &msg));
    EXPECT_EQ(g_calls.size(), 2u);
    g_calls.clear();
}

// --- UpdateDialogControls ----------------------------------------------------------------

class CControlStateTarget : public CCmdTarget
{
protected:
    afx_msg void OnUpdateFirst(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    afx_msg void OnUpdateCheck(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    afx_msg void OnUpdateText(CCmdUI* pCmdUI) { pCmdUI->SetText("renamed"); }
    afx_msg void OnHandled() {}
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CControlStateTarget, CCmdTarget)
    ON_UPDATE_COMMAND_UI(11, OnUpdateFirst)
    ON_UPDATE_COMMAND_UI(12, OnUpdateCheck)
    ON_UPDATE_COMMAND_UI(13, OnUpdateText)
    ON_COMMAND(14, OnHandled)
END_MESSAGE_MAP()

TEST(UpdateDialogControlsTest, ControlsFollowTheUpdateHandlers)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "bar", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    HINSTANCE instance = ::GetModuleHandle(nullptr);
    auto makeButton = [&](int id, DWORD style) {
        return ::CreateWindowA("BUTTON", "button", WS_CHILD | style, 0, 0, 50, 20, parent.m_hWnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    HWND first = makeButton(11, BS_PUSHBUTTON);
    HWND check = makeButton(12, BS_CHECKBOX);
    HWND text = makeButton(13, BS_PUSHBUTTON);
    HWND handled = makeButton(14, BS_PUSHBUTTON);
    HWND orphan = makeButton(15, BS_PUSHBUTTON);
    HWND orphanCheck = makeButton(16, BS_CHECKBOX);

    CControlStateTarget target;
    parent.UpdateDialogControls(&target, TRUE);
    EXPECT_FALSE(::IsWindowEnabled(first));
    EXPECT_EQ(::SendMessage(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    char buffer[32] = "";
    ::GetWindowTextA(text, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "renamed");
    EXPECT_TRUE(::IsWindowEnabled(handled));
    // Push buttons without any handler are disabled; other controls are left alone.
    EXPECT_FALSE(::IsWindowEnabled(orphan));
    EXPECT_TRUE(::IsWindowEnabled(orphanCheck));
}

}  // namespace
