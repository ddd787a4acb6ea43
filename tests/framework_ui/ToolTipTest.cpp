// Tooltips of a window's child controls: the hit test finds the control under the
// mouse, and the mouse messages passing PreTranslateMessage give the tooltip its tool.
#include <gtest/gtest.h>

#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "tests/framework_ui/ToolTipTestResources.h"

#include <commctrl.h>

#include <cstring>
#include <string>

namespace {

class CToolTipOwner : public CWnd
{
public:
    HWND ToolTip() const { return m_hWndToolTip; }
};

class ToolTipTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "tips", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                   nullptr, nullptr));
        ASSERT_TRUE(button.Create("BUTTON", "tool", WS_VISIBLE | BS_PUSHBUTTON, CRect(20, 20, 120, 50), &owner, 55));
        ASSERT_TRUE(label.Create("STATIC", "no id", WS_VISIBLE, CRect(20, 80, 120, 100), &owner, 0xFFFF));
    }

    MSG MouseMoveAt(int x, int y)
    {
        MSG msg = {};
        msg.hwnd = owner.m_hWnd;
        msg.message = WM_MOUSEMOVE;
        msg.lParam = MAKELPARAM(x, y);
        POINT screen = { x, y };
        ::ClientToScreen(owner.m_hWnd, &screen);
        msg.pt = screen;
        return msg;
    }

    LRESULT ToolCount() { return ::SendMessage(owner.ToolTip(), TTM_GETTOOLCOUNT, 0, 0); }

    CToolTipOwner owner;
    CWnd button;
    CWnd label;
};

TEST_F(ToolTipTest, HitTestFindsControlsWithAnId)
{
    TOOLINFO info = {};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    EXPECT_EQ(owner.OnToolHitTest(CPoint(30, 30), &info), 55);
    EXPECT_EQ(info.uId, 55u);
    EXPECT_EQ(info.hwnd, owner.m_hWnd);
    EXPECT_EQ(info.lpszText, LPSTR_TEXTCALLBACK);
    EXPECT_EQ(CRect(info.rect), CRect(20, 20, 120, 50));
    // Static texts (no id) and empty space have no tool.
    EXPECT_EQ(owner.OnToolHitTest(CPoint(30, 90), nullptr), -1);
    EXPECT_EQ(owner.OnToolHitTest(CPoint(250, 150), nullptr), -1);
}

TEST_F(ToolTipTest, MouseMovesGiveTheToolTipTheToolUnderTheMouse)
{
    ASSERT_TRUE(owner.EnableToolTips(TRUE));
    ASSERT_NE(owner.ToolTip(), nullptr);
    EXPECT_EQ(ToolCount(), 0);

    MSG over = MouseMoveAt(40, 30);
    EXPECT_FALSE(owner.PreTranslateMessage(&over));     // relayed, never swallowed
    EXPECT_EQ(ToolCount(), 1);
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    ASSERT_TRUE(::SendMessage(owner.ToolTip(), TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(tool.uId, 55u);

    MSG away = MouseMoveAt(250, 150);
    owner.PreTranslateMessage(&away);
    EXPECT_EQ(ToolCount(), 0);

    EXPECT_TRUE(owner.EnableToolTips(FALSE));
    EXPECT_EQ(owner.ToolTip(), nullptr);
}

// Stands for a frame window, which answers tooltip requests from the command strings.
class CFrameLikeWnd : public CWnd
{
public:
    BOOL IsFrameWnd() const override { return TRUE; }
};

class DefaultToolTipTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
        ASSERT_TRUE(plain.CreateEx(0, nullptr, "plain", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    }

    // Asks the window for the text of a tool, as a tooltip control does.
    std::string Ask(CWnd& wnd, UINT_PTR id, UINT flags = 0)
    {
        NMTTDISPINFOA info = {};
        info.hdr.hwndFrom = ::GetDesktopWindow();   // no object of ours: nothing to reflect to
        info.hdr.idFrom = id;
        info.hdr.code = TTN_NEEDTEXTA;
        info.uFlags = flags;
        std::strcpy(info.szText, "untouched");
        wnd.SendMessage(WM_NOTIFY, id, reinterpret_cast<LPARAM>(&info));
        return info.lpszText == info.szText ? info.szText : "untouched";
    }

    CFrameLikeWnd frame;
    CWnd plain;
};

TEST_F(DefaultToolTipTextTest, FrameTakesTheTipFromTheCommandString)
{
    EXPECT_EQ(Ask(frame, IDS_TOOLTIP_COMMAND), "Search for devices");
    CString tip;
    EXPECT_TRUE(CWnd::LoadCommandToolTipText(IDS_TOOLTIP_COMMAND, tip));
    EXPECT_STREQ(tip, "Search for devices");
}

TEST_F(DefaultToolTipTextTest, ToolGivenByWindowHandleUsesTheControlId)
{
    CWnd button;
    ASSERT_TRUE(button.Create("BUTTON", "b", BS_PUSHBUTTON, CRect(0, 0, 10, 10), &frame, IDS_TOOLTIP_COMMAND));
    EXPECT_EQ(Ask(frame, reinterpret_cast<UINT_PTR>(button.m_hWnd), TTF_IDISHWND), "Search for devices");
}

TEST_F(DefaultToolTipTextTest, NoTipWithoutTheSecondPartOrOutsideFrames)
{
    EXPECT_EQ(Ask(frame, IDS_TOOLTIP_PROMPT_ONLY), "untouched");
    EXPECT_EQ(Ask(frame, 4999), "untouched");   // no string at all
    EXPECT_EQ(Ask(plain, IDS_TOOLTIP_COMMAND), "untouched");
}

TEST_F(DefaultToolTipTextTest, WideRequestGetsTheSameText)
{
    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = ::GetDesktopWindow();
    info.hdr.idFrom = IDS_TOOLTIP_COMMAND;
    info.hdr.code = TTN_NEEDTEXTW;
    frame.SendMessage(WM_NOTIFY, IDS_TOOLTIP_COMMAND, reinterpret_cast<LPARAM>(&info));
    ASSERT_EQ(info.lpszText, info.szText);
    EXPECT_EQ(std::wstring(info.szText), L"Search for devices");
}

}  // namespace
