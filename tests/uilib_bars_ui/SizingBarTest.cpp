// Sizing bars docked in a hidden frame: the four sides and their thickness, the edge
// bar's caption buttons, child and views, hiding and showing, two bars sharing a side
// (maximised and normalised through the caption button), the splitter between them and
// the splitter of a whole side, driven by the mouse messages the bars get.
#include "tests/uilib_bars_ui/BarsFixture.h"

#include "framework/CEdit.h"
#include "res/pyraxis_bars_resource.h"
#include "tests/support/PendingMessages.h"
#include "uilib/CBNDockBar.h"
#include "uilib/CBNMiniDockFrameWnd.h"
#include "uilib/CBNToolBar.h"

namespace {

// A plain sizing bar with an edit control as its child.
class EditBar : public CBNControlBar
{
public:
    BOOL CreateIn(CFrameWnd* pFrame, UINT nID, CSize size)
    {
        if (!Create(pFrame, nID, "Second", size, CBRS_ALIGN_LEFT, FALSE))
            return FALSE;
        if (!m_edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 10, 10), this, 1))
            return FALSE;
        SetChild(&m_edit);
        EnableDockingOnSizeBar(CBRS_ALIGN_ANY);
        return TRUE;
    }
    CEdit m_edit;
};

class SizingBarTest : public BarsFixture
{
protected:
    void SetUp() override
    {
        BarsFixture::SetUp();
        ASSERT_NE(CreateFrame(), nullptr);
    }

    // Presses a caption button of the bar (the button's click).
    static void Click(CBNControlBar& bar, UINT nButton)
    {
        bar.SendMessage(WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED),
                        reinterpret_cast<LPARAM>(bar.GetDlgItem(static_cast<int>(nButton))->m_hWnd));
    }

    // A mouse message with a point in the window's client co-ordinates.
    static void Mouse(CWnd& wnd, UINT message, CPoint point)
    {
        wnd.SendMessage(message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(point.x, point.y));
    }

    // Drags the splitter below a vertically docked bar by dy pixels.
    static void DragBarSplitter(CBNControlBar& bar, int dy)
    {
        CRect client;
        bar.GetClientRect(&client);
        const CPoint start(client.Width() / 2, client.bottom - 2);
        Mouse(bar, WM_MOUSEMOVE, start);
        ASSERT_TRUE(bar.IsOverSplitter());
        Mouse(bar, WM_LBUTTONDOWN, start);
        ASSERT_TRUE(bar.IsTracking());
        Mouse(bar, WM_MOUSEMOVE, CPoint(start.x, start.y + dy / 2));
        Mouse(bar, WM_MOUSEMOVE, CPoint(start.x, start.y + dy));
        Mouse(bar, WM_LBUTTONUP, CPoint(start.x, start.y + dy));
        EXPECT_FALSE(bar.IsTracking());
        EXPECT_EQ(CWnd::GetCapture(), nullptr);
    }

    // Drags the splitter of the left side by dx pixels.
    void DragLeftSideSplitter(int dx)
    {
        CBNSizeDockBar* pLeft = Side(kLeftID);
        CRect rect;
        pLeft->GetWindowRect(&rect);
        const CPoint screen(rect.right - 2, rect.top + rect.Height() / 2);
        ASSERT_EQ(pLeft->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)), HTBORDER);
        pLeft->SendMessage(WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(screen.x, screen.y));
        ASSERT_TRUE(pLeft->IsTracking());
        CPoint client(screen.x + dx, screen.y);
        pLeft->ScreenToClient(&client);
        Mouse(*pLeft, WM_MOUSEMOVE, client);
        Mouse(*pLeft, WM_LBUTTONUP, client);
        EXPECT_FALSE(pLeft->IsTracking());
    }
};

TEST_F(SizingBarTest, TheFrameHasFourSizingSidesAndTheEdgeBarFillsTheLeftOne)
{
    const struct
    {
        UINT nID;
        DWORD dwStyle;
    } sides[] = {{kTopID, 0x2800}, {kBottomID, 0x8200}, {kLeftID, 0x1400}, {kRightID, 0x4100}};
    for (const auto& side : sides)
    {
        CBNSizeDockBar* pSide = Side(side.nID);
        ASSERT_NE(pSide, nullptr) << side.nID;
        EXPECT_EQ(pSide->m_dwStyle & 0xFF00, side.dwStyle) << side.nID;
        EXPECT_TRUE(pSide->IsDockSizeBar());
        // Only while the frame loads or saves its bar state are they dock bars.
        EXPECT_FALSE(pSide->IsDockBar());
        EXPECT_FALSE(pSide->IsFlatBorder());
    }
    // Asking again makes no second set.
    const INT_PTR nBars = frame->m_listControlBars.GetCount();
    frame->EnableDockingSizeBar(0xF000, BarsTestFrame::FlatTop);
    EXPECT_EQ(frame->m_listControlBars.GetCount(), nBars);
    EXPECT_EQ(frame->m_pFloatingFrameClass, RUNTIME_CLASS(CBNMiniDockFrameWnd));

    // The edge bar is as wide as it was made; its side adds its 6-pixel strip.
    CBNTabCtrlBar& bar = EdgeBar();
    ASSERT_TRUE(bar.IsLeftDocked());
    EXPECT_TRUE(bar.IsVertDocked());
    EXPECT_FALSE(bar.IsFloating());
    EXPECT_EQ(bar.GetSizeDockBar(), Side(kLeftID));
    EXPECT_EQ(Side(kLeftID)->GetActualSize(), 225);
    EXPECT_EQ(WindowSize(Side(kLeftID)).cx, 225);
    EXPECT_EQ(WindowSize(&bar).cx, 225 - CBNSizeDockBar::kNonClientAcross);
    CRect rectSideClient;
    Side(kLeftID)->GetClientRect(&rectSideClient);
    EXPECT_EQ(WindowSize(&bar).cy, rectSideClient.Height());
    EXPECT_TRUE(bar.m_bOnlyBarInRow);
    EXPECT_TRUE(bar.m_bLastInRow);
    // The client area starts where the side ends; the empty sides take no room.
    EXPECT_EQ(ClientArea().left, RectIn(Side(kLeftID), frame).right);
    EXPECT_EQ(WindowSize(Side(kTopID)).cy, 0);
    EXPECT_EQ(Side(kTopID)->CalcDynamicLayout(-1, LM_HORZDOCK | LM_STRETCH), CSize(32767, 0));
    EXPECT_EQ(Side(kLeftID)->CalcDynamicLayout(-1, LM_VERTDOCK | LM_STRETCH), CSize(225, 32767));

    // A bar alone on its side has its minimise button disabled and shows it so.
    IdleUpdate();
    EXPECT_EQ(bar.GetMinimizeImage(), 3);
    EXPECT_FALSE(bar.GetMinimizeButton().IsWindowEnabled());
    EXPECT_TRUE(bar.GetCloseButton().IsWindowEnabled());
    // The buttons sit at the caption's right end, the close button rightmost.
    EXPECT_EQ(RectIn(&bar.GetMinimizeButton(), &bar), bar.GetButtonRect());
    CRect rectClose = bar.GetButtonRect();
    rectClose.OffsetRect(14, 0);
    EXPECT_EQ(RectIn(&bar.GetCloseButton(), &bar), rectClose);

    // The tab control fills the child area; the views fill the tab control above the tabs.
    CRect rectChild;
    bar.GetChildRect(rectChild);
    rectChild.DeflateRect(1, 1);
    EXPECT_EQ(RectIn(&bar.GetTabCtrl(), &bar), rectChild);
    CView* pDevices = bar.GetView(0);
    CView* pLogFiles = bar.GetView(1);
    ASSERT_NE(pDevices, nullptr);
    ASSERT_NE(pLogFiles, nullptr);
    const CRect rectView = RectIn(pDevices, &bar);
    EXPECT_GT(rectView.Height(), 100);
    EXPECT_LT(rectView.bottom, rectChild.bottom - 15);
    EXPECT_EQ(RectIn(pLogFiles, &bar), rectView);
}

TEST_F(SizingBarTest, TheCloseButtonHidesTheBarAndEmptiesItsSide)
{
    CBNTabCtrlBar& bar = EdgeBar();
    Click(bar, IDC_BN_BUTTON_CLOSE);
    EXPECT_EQ(bar.GetStyle() & WS_VISIBLE, 0u);
    EXPECT_EQ(WindowSize(Side(kLeftID)).cx, 0);
    EXPECT_EQ(ClientArea().left, 0);

    frame->ShowControlBar(&bar, TRUE, FALSE);
    EXPECT_NE(bar.GetStyle() & WS_VISIBLE, 0u);
    EXPECT_EQ(WindowSize(Side(kLeftID)).cx, 225);
    EXPECT_EQ(ClientArea().left, 225);
}

TEST_F(SizingBarTest, TwoBarsShareASideAndOneMaximisesOverTheOther)
{
    CBNTabCtrlBar& first = EdgeBar();
    EditBar second;
    ASSERT_TRUE(second.CreateIn(frame, 0xE8F0, CSize(260, 150)));
    // Docked without a dock bar, the bar's own side takes its width.
    frame->DockSizeBar(&second);
    frame->RecalcLayout();
    ASSERT_TRUE(second.IsLeftDocked());
    EXPECT_EQ(Side(kLeftID)->GetActualSize(), 260);

    CRect rectSide;
    Side(kLeftID)->GetClientRect(&rectSide);
    EXPECT_EQ(RectIn(&first, Side(kLeftID)), CRect(0, 0, rectSide.right, 100));
    EXPECT_EQ(RectIn(&second, Side(kLeftID)), CRect(0, 100, rectSide.right, rectSide.bottom));
    EXPECT_FALSE(first.m_bLastInRow);
    EXPECT_FALSE(first.m_bOnlyBarInRow);
    EXPECT_TRUE(second.m_bLastInRow);
    EXPECT_FALSE(second.m_bOnlyBarInRow);
    // Its child follows it.
    CRect rectChild;
    second.GetChildRect(rectChild);
    rectChild.DeflateRect(1, 1);
    EXPECT_EQ(RectIn(&second.m_edit, &second), rectChild);

    IdleUpdate();
    EXPECT_EQ(first.GetMinimizeImage(), 4);
    EXPECT_TRUE(first.GetMinimizeButton().IsWindowEnabled());

    // Maximised, the first bar leaves the second its minimum of 23 pixels.
    Click(first, IDC_BN_BUTTON_MINIMIZE);
    EXPECT_TRUE(first.IsMaximized());
    EXPECT_EQ(WindowSize(&second).cy, 23);
    EXPECT_EQ(WindowSize(&first).cy, rectSide.Height() - 23);
    IdleUpdate();
    EXPECT_EQ(first.GetMinimizeImage(), 8);

    // The button again gives both their lengths back.
    Click(first, IDC_BN_BUTTON_MINIMIZE);
    EXPECT_FALSE(first.IsMaximized());
    EXPECT_EQ(WindowSize(&first).cy, 100);
    EXPECT_EQ(RectIn(&second, Side(kLeftID)).top, 100);
    IdleUpdate();
    EXPECT_EQ(first.GetMinimizeImage(), 4);

    // Without the second bar the first is alone again.
    frame->ShowControlBar(&second, FALSE, FALSE);
    EXPECT_TRUE(first.m_bOnlyBarInRow);
    EXPECT_EQ(WindowSize(&first).cy, rectSide.Height());
    second.DestroyWindow();
}

TEST_F(SizingBarTest, TheSplitterBetweenTwoBarsMovesAsFarAsTheMouse)
{
    CBNTabCtrlBar& first = EdgeBar();
    EditBar second;
    ASSERT_TRUE(second.CreateIn(frame, 0xE8F0, CSize(225, 150)));
    frame->DockSizeBar(&second);
    frame->RecalcLayout();
    ASSERT_EQ(WindowSize(&first).cy, 100);

    DragBarSplitter(first, 30);
    EXPECT_EQ(WindowSize(&first).cy, 130);
    EXPECT_EQ(RectIn(&second, Side(kLeftID)).top, 130);
    EXPECT_EQ(first.GetDesiredSize().cy, 130);
    // Across the side the bar keeps the width it has.
    EXPECT_EQ(first.GetDesiredSize().cx, WindowSize(&first).cx);

    // Released where it was pressed, nothing changes.
    DragBarSplitter(first, 0);
    EXPECT_EQ(WindowSize(&first).cy, 130);

    // Never below the bar's minimum.
    DragBarSplitter(first, -400);
    EXPECT_EQ(WindowSize(&first).cy, first.GetMinExt());
    EXPECT_EQ(first.GetMinExt(), 23);

    // The last bar of a side has no splitter.
    CRect client;
    second.GetClientRect(&client);
    Mouse(second, WM_MOUSEMOVE, CPoint(20, client.bottom - 2));
    EXPECT_FALSE(second.IsOverSplitter());
    second.DestroyWindow();
}

TEST_F(SizingBarTest, ASidesSplitterChangesItsThicknessWithinItsLimits)
{
    // Off the strip the side is no splitter.
    CRect rect;
    Side(kLeftID)->GetWindowRect(&rect);
    EXPECT_NE(Side(kLeftID)->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(rect.right - 5, rect.top + 10)), HTBORDER);

    DragLeftSideSplitter(40);
    EXPECT_EQ(Side(kLeftID)->GetActualSize(), 265);
    EXPECT_EQ(WindowSize(&EdgeBar()).cx, 265 - CBNSizeDockBar::kNonClientAcross);
    EXPECT_EQ(ClientArea().left, 265);

    // Far towards the client area, 25 pixels of it remain.
    DragLeftSideSplitter(2000);
    EXPECT_EQ(ClientArea().Width(), 25);

    // Far the other way, the side keeps its 4 pixels.
    DragLeftSideSplitter(-2000);
    EXPECT_EQ(Side(kLeftID)->GetActualSize(), 4);
    EXPECT_EQ(ClientArea().left, 4);
}

} // namespace

namespace {

// A bar of a fixed size that is no toolbar.
class PlainBar : public CControlBar
{
public:
    BOOL CreateIn(CFrameWnd* pFrame, UINT nID)
    {
        m_dwStyle = CBRS_TOP;
        return CWnd::CreateEx(0, AfxRegisterWndClass(0), "Plain", WS_CHILD | WS_VISIBLE, CRect(0, 0, 80, 26), pFrame,
                              nID);
    }
    CSize CalcFixedLayout(BOOL, BOOL bHorz) override { return bHorz ? CSize(80, 26) : CSize(26, 80); }
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
};

TEST_F(SizingBarTest, ToolbarDockBarsSetFlatToolbarsEdgeToEdge)
{
    frame->EnableDocking(CBRS_ALIGN_ANY);
    for (UINT nID : {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT})
    {
        CControlBar* pDockBar = frame->GetControlBar(nID);
        ASSERT_NE(pDockBar, nullptr) << nID;
        EXPECT_TRUE(pDockBar->IsKindOf(RUNTIME_CLASS(CBNDockBar))) << nID;
        EXPECT_TRUE(pDockBar->IsDockBar());
    }
    // Asked again, it keeps its dock bars and what they hold.
    CControlBar* pTop = frame->GetControlBar(AFX_IDW_DOCKBAR_TOP);
    frame->EnableDocking(CBRS_ALIGN_ANY);
    EXPECT_EQ(frame->GetControlBar(AFX_IDW_DOCKBAR_TOP), pTop);

    const UINT buttons[] = {0x9201, 0x9202, 0, 0x9203};
    CBNToolBar first;
    CBNToolBar second;
    ASSERT_TRUE(first.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, 0xE8F1));
    ASSERT_TRUE(second.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, 0xE8F2));
    ASSERT_TRUE(first.SetButtons(buttons, 4));
    ASSERT_TRUE(second.SetButtons(buttons, 4));
    first.EnableDocking(CBRS_ALIGN_ANY);
    second.EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(&first, AFX_IDW_DOCKBAR_TOP);
    frame->DockControlBarLeftOf(&second, &first);
    frame->RecalcLayout();
    ASSERT_EQ(second.GetParent(), pTop);
    EXPECT_EQ(RectIn(&second, pTop).left, RectIn(&first, pTop).right);
    EXPECT_EQ(RectIn(&second, pTop).top, RectIn(&first, pTop).top);

    // Other bars overlap their neighbour by their shared border.
    PlainBar plain;
    ASSERT_TRUE(plain.CreateIn(frame, 0xE8F3));
    plain.EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBarLeftOf(&plain, &second);
    frame->RecalcLayout();
    EXPECT_EQ(RectIn(&plain, pTop).left, RectIn(&second, pTop).right);
    PlainBar after;
    ASSERT_TRUE(after.CreateIn(frame, 0xE8F4));
    after.EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBarLeftOf(&after, &plain);
    frame->RecalcLayout();
    EXPECT_EQ(RectIn(&after, pTop).left, RectIn(&plain, pTop).right - 2);

    // The sizing bars live on their own sides, not on these.
    EXPECT_TRUE(EdgeBar().IsLeftDocked());
}

} // namespace
