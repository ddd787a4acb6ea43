// Sizing bars moved with the mouse in a visible frame on the tests' own desktop: dragged
// to another side and into a floating frame, docked again from the floating frame's
// caption, toggled by double clicks, a floating bar resized by its frame's border, a
// side resized by its splitter, and the bar's owner-drawn context menu. The mouse is the
// messages the capture loops read; the drag feedback on the desktop is never looked at.
// Screenshots of the docked, floating and resized bar go to the build tree.
#include "tests/uilib_bars_ui/BarsFixture.h"

#include "tests/support/PendingMessages.h"
#include "tests/support/Screenshot.h"
#include "tests/support/Polling.h"
#include "tests/uilib_bars_ui/BarsTestResources.h"
#include "uilib/CBNDockContext.h"
#include "uilib/CBNMiniDockFrameWnd.h"

#include <functional>
#include <string>

namespace {

class DockingDragTest : public BarsFixture
{
protected:
    void SetUp() override
    {
        BarsFixture::SetUp();
        ASSERT_NE(CreateFrame(true), nullptr);
        frame->SetForegroundWindow();
        testing_support::DispatchPendingMessages();
    }

    // Posts the mouse's way from start to end (screen) to the window that will hold the
    // capture, then starts the capture loop, which reads them.
    static void Drag(CWnd& capture, CPoint startScreen, CPoint endScreen, const std::function<void()>& start,
                     bool bForceFloating = false)
    {
        CPoint mid((startScreen.x + endScreen.x) / 2, (startScreen.y + endScreen.y) / 2);
        CPoint end = endScreen;
        capture.ScreenToClient(&mid);
        capture.ScreenToClient(&end);
        if (bForceFloating)
            capture.PostMessage(WM_KEYDOWN, VK_CONTROL, 0x1D0001);
        capture.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(mid.x, mid.y));
        capture.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(end.x, end.y));
        capture.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(end.x, end.y));
        start();
        EXPECT_EQ(CWnd::GetCapture(), nullptr);
        testing_support::DispatchPendingMessages();
    }

    // Presses the mouse on the bar's caption and moves it by the offset; afterDrag runs as
    // the drag ends, before anything else is dispatched.
    void DragByCaption(CPoint offset, bool bForceFloating = false, const std::function<void()>& afterDrag = nullptr)
    {
        CBNTabCtrlBar& bar = EdgeBar();
        CPoint start = bar.IsHorzDocked() ? CPoint(8, 40) : CPoint(40, 8);
        bar.ClientToScreen(&start);
        const CPoint end(start.x + offset.x, start.y + offset.y);
        Drag(bar, start, end, [&] {
            CPoint client = start;
            bar.ScreenToClient(&client);
            bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
            if (afterDrag)
                afterDrag();
        }, bForceFloating);
    }

    CBNMiniDockFrameWnd* FloatingFrame()
    {
        CFrameWnd* pParent = EdgeBar().GetParentFrame();
        return pParent != nullptr && pParent->IsKindOf(RUNTIME_CLASS(CBNMiniDockFrameWnd))
                   ? static_cast<CBNMiniDockFrameWnd*>(pParent)
                   : nullptr;
    }

    CPoint CaptionPoint(CWnd* pFrame)
    {
        CRect rect;
        pFrame->GetWindowRect(&rect);
        return CPoint(rect.left + 30, rect.top + ::GetSystemMetrics(SM_CYSMCAPTION) / 2 + 2);
    }

    void Screenshot(const std::string& name)
    {
        frame->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        if (CWnd* pFloating = FloatingFrame())
            pFloating->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        testing_support::DispatchPendingMessages();
        // The floating frame lies over the main frame; both are on the picture.
        const std::string path = testing_support::Screenshot::OfWindow(frame->m_hWnd).Save(name);
        EXPECT_FALSE(path.empty()) << name;
    }
};

TEST_F(DockingDragTest, ABarDraggedToTheTopDocksThereAndTheLeftSideEmpties)
{
    Screenshot("uilib_bars_docked_left");
    // The application was told to quit just before the drag: the quit outlives the drag.
    MSG quit = {};
    BOOL quitKept = FALSE;
    ::PostQuitMessage(7);
    DragByCaption(CPoint(300, -15), false, [&] { quitKept = ::PeekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE); });
    EXPECT_TRUE(quitKept);
    EXPECT_EQ(quit.wParam, 7u);
    CBNTabCtrlBar& bar = EdgeBar();
    ASSERT_TRUE(bar.IsTopDocked());
    EXPECT_EQ(WindowSize(Side(kLeftID)).cx, 0);
    EXPECT_EQ(WindowSize(Side(kTopID)).cy, Side(kTopID)->GetActualSize());
    EXPECT_EQ(WindowSize(&bar).cy, Side(kTopID)->GetActualSize() - CBNSizeDockBar::kNonClientAcross);
    EXPECT_EQ(ClientArea().top, WindowSize(Side(kTopID)).cy);
    // Its caption runs down its left edge now, the buttons stacked at the top.
    EXPECT_EQ(RectIn(&bar.GetCloseButton(), &bar), CRect(2, 3, 14, 15));
    EXPECT_EQ(RectIn(&bar.GetMinimizeButton(), &bar), CRect(2, 17, 14, 29));
    Screenshot("uilib_bars_docked_top");

    // Released where it was pressed, a drag changes nothing.
    DragByCaption(CPoint(0, 0));
    EXPECT_TRUE(bar.IsTopDocked());
}

TEST_F(DockingDragTest, ABarDroppedAwayFromTheSidesFloatsAndDocksBackFromItsCaption)
{
    CBNTabCtrlBar& bar = EdgeBar();
    const CSize sizeDesired = bar.GetDesiredSize();
    DragByCaption(CPoint(300, 100));
    CBNMiniDockFrameWnd* pFloating = FloatingFrame();
    ASSERT_NE(pFloating, nullptr);
    ASSERT_TRUE(bar.IsFloating());
    EXPECT_TRUE(pFloating->IsWindowVisible());
    EXPECT_EQ(WindowSize(&bar), sizeDesired);
    EXPECT_EQ(WindowSize(Side(kLeftID)).cx, 0);
    // Floating, the caption buttons go (the frame has its own caption).
    EXPECT_FALSE(bar.GetCloseButton().IsWindowVisible());
    Screenshot("uilib_bars_floating");

    // The floating frame's caption drags it back onto the left side.
    CRect rectLeft;
    Side(kLeftID)->GetWindowRect(&rectLeft);
    const CPoint start = CaptionPoint(pFloating);
    const CPoint end(rectLeft.left + 20, start.y);
    Drag(bar, start, end, [&] { pFloating->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(start.x, start.y)); });
    ASSERT_TRUE(bar.IsLeftDocked());
    EXPECT_EQ(FloatingFrame(), nullptr);
    EXPECT_EQ(WindowSize(Side(kLeftID)).cx, 225);
    EXPECT_EQ(WindowSize(&bar).cx, 219);
}

TEST_F(DockingDragTest, DoubleClicksToggleBetweenDockedAndFloating)
{
    CBNTabCtrlBar& bar = EdgeBar();
    // A Ctrl drag floats the bar wherever it is dropped; it remembers where.
    DragByCaption(CPoint(250, 60), true);
    CBNMiniDockFrameWnd* pFloating = FloatingFrame();
    ASSERT_NE(pFloating, nullptr);
    CRect rectFloating;
    pFloating->GetWindowRect(&rectFloating);

    // A double click on the floating frame's caption docks it where it was.
    const CPoint caption = CaptionPoint(pFloating);
    pFloating->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(caption.x, caption.y));
    testing_support::DispatchPendingMessages();
    ASSERT_TRUE(bar.IsLeftDocked());
    EXPECT_EQ(WindowSize(&bar).cx, 219);

    // A double click on the docked bar floats it where it floated before.
    bar.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 8));
    testing_support::DispatchPendingMessages();
    pFloating = FloatingFrame();
    ASSERT_NE(pFloating, nullptr);
    CRect rectAgain;
    pFloating->GetWindowRect(&rectAgain);
    EXPECT_EQ(rectAgain.TopLeft(), rectFloating.TopLeft());

    const CPoint captionAgain = CaptionPoint(pFloating);
    pFloating->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(captionAgain.x, captionAgain.y));
    testing_support::DispatchPendingMessages();
    EXPECT_TRUE(bar.IsLeftDocked());
}

TEST_F(DockingDragTest, ABarDroppedOnASideItMayNotDockOnFloatsWhereItWasDropped)
{
    CBNTabCtrlBar& bar = EdgeBar();
    bar.EnableDockingOnSizeBar(CBRS_ALIGN_LEFT);
    DragByCaption(CPoint(300, -15));
    CBNMiniDockFrameWnd* pFloating = FloatingFrame();
    ASSERT_NE(pFloating, nullptr);
    EXPECT_FALSE(bar.IsTopDocked());
    CRect rect;
    pFloating->GetWindowRect(&rect);
    EXPECT_EQ(rect.TopLeft(), bar.m_pDockContext->m_ptMRUFloatPos);
}

TEST_F(DockingDragTest, AFloatingFrameOfSeveralBarsNeitherDragsNorTogglesThem)
{
    CBNTabCtrlBar& bar = EdgeBar();
    bar.EnableDockingOnSizeBar(0xF000 | CBRS_FLOAT_MULTI);
    DragByCaption(CPoint(250, 60), true);
    CBNMiniDockFrameWnd* pFloating = FloatingFrame();
    ASSERT_NE(pFloating, nullptr);
    ASSERT_NE(pFloating->m_wndDockBar.m_dwStyle & CBRS_FLOAT_MULTI, 0u);
    const CPoint caption = CaptionPoint(pFloating);
    pFloating->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(caption.x, caption.y));
    testing_support::DispatchPendingMessages();
    EXPECT_EQ(FloatingFrame(), pFloating);
    EXPECT_TRUE(bar.IsFloating());
    // Other parts of the frame do nothing on a double click either.
    pFloating->SendMessage(WM_NCLBUTTONDBLCLK, HTBORDER, MAKELPARAM(caption.x, caption.y));
    EXPECT_TRUE(bar.IsFloating());
}

TEST_F(DockingDragTest, AFloatingBarIsResizedByItsFramesBorderDownToFifty)
{
    CBNTabCtrlBar& bar = EdgeBar();
    DragByCaption(CPoint(300, 60), true);
    CBNMiniDockFrameWnd* pFloating = FloatingFrame();
    ASSERT_NE(pFloating, nullptr);
    const CSize sizeBefore = WindowSize(&bar);

    CRect rect;
    pFloating->GetWindowRect(&rect);
    const CPoint right(rect.right - 2, rect.top + rect.Height() / 2);
    Drag(bar, right, CPoint(right.x + 70, right.y),
         [&] { pFloating->SendMessage(WM_NCLBUTTONDOWN, HTRIGHT, MAKELPARAM(right.x, right.y)); });
    ASSERT_EQ(FloatingFrame(), pFloating);
    EXPECT_EQ(WindowSize(&bar).cx, sizeBefore.cx + 70);
    EXPECT_EQ(WindowSize(&bar).cy, sizeBefore.cy);

    pFloating->GetWindowRect(&rect);
    const CPoint bottom(rect.left + rect.Width() / 2, rect.bottom - 2);
    Drag(bar, bottom, CPoint(bottom.x, bottom.y - 400),
         [&] { pFloating->SendMessage(WM_NCLBUTTONDOWN, HTBOTTOM, MAKELPARAM(bottom.x, bottom.y)); });
    EXPECT_EQ(WindowSize(&bar).cy, 50);
    EXPECT_EQ(WindowSize(&bar).cx, sizeBefore.cx + 70);

    // A corner takes both the width and the height.
    pFloating->GetWindowRect(&rect);
    const CPoint corner(rect.right - 2, rect.bottom - 2);
    Drag(bar, corner, CPoint(corner.x + 30, corner.y + 40),
         [&] { pFloating->SendMessage(WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, MAKELPARAM(corner.x, corner.y)); });
    EXPECT_EQ(WindowSize(&bar).cx, sizeBefore.cx + 100);
    EXPECT_EQ(WindowSize(&bar).cy, 90);
}

TEST_F(DockingDragTest, ASideResizedByItsSplitterKeepsItsBarFilled)
{
    CBNSizeDockBar* pLeft = Side(kLeftID);
    CRect rect;
    pLeft->GetWindowRect(&rect);
    const CPoint start(rect.right - 2, rect.top + rect.Height() / 2);
    ASSERT_EQ(pLeft->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(start.x, start.y)), HTBORDER);
    CPoint end(start.x + 90, start.y);
    CPoint endClient = end;
    pLeft->ScreenToClient(&endClient);
    pLeft->SendMessage(WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(start.x, start.y));
    ASSERT_EQ(CWnd::GetCapture(), pLeft);
    pLeft->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(endClient.x, endClient.y));
    pLeft->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(endClient.x, endClient.y));
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_EQ(WindowSize(pLeft).cx, 315);
    EXPECT_EQ(WindowSize(&EdgeBar()).cx, 309);
    // The views follow the bar.
    EXPECT_GT(WindowSize(EdgeBar().GetView(0)).cx, 290);
    Screenshot("uilib_bars_resized");
}

TEST_F(DockingDragTest, TheContextMenusSendTheirCommandsToTheFrame)
{
    // The keys wait for the popup: the first entry is chosen, then the second.
    frame->PostMessage(WM_KEYDOWN, VK_DOWN, 0x500001);
    frame->PostMessage(WM_KEYDOWN, VK_RETURN, 0x1C0001);
    EdgeBar().SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 8));
    testing_support::DispatchPendingMessages();
    EXPECT_EQ(frame->m_nLastCommand, static_cast<UINT>(ID_TEST_CONTEXT_FIRST));
    EXPECT_EQ(CWnd::GetCapture(), nullptr);

    // A floating bar's menu still goes to the frame it floats over.
    DragByCaption(CPoint(300, 100));
    ASSERT_NE(FloatingFrame(), nullptr);
    frame->m_nLastCommand = 0;
    frame->PostMessage(WM_KEYDOWN, VK_DOWN, 0x500001);
    frame->PostMessage(WM_KEYDOWN, VK_DOWN, 0x500001);
    frame->PostMessage(WM_KEYDOWN, VK_RETURN, 0x1C0001);
    EdgeBar().SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    testing_support::DispatchPendingMessages();
    EXPECT_EQ(frame->m_nLastCommand, static_cast<UINT>(ID_TEST_CONTEXT_SECOND));

    // The tab control's menu goes to the program's main window.
    app.m_pMainWnd = frame;
    EdgeBar().SetTabMenuID(BarsTestFrame::kFrameID, 0, 1);
    frame->m_nLastCommand = 0;
    frame->PostMessage(WM_KEYDOWN, VK_DOWN, 0x500001);
    frame->PostMessage(WM_KEYDOWN, VK_RETURN, 0x1C0001);
    EdgeBar().GetTabCtrl().SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    testing_support::DispatchPendingMessages();
    app.m_pMainWnd = nullptr;
    EXPECT_EQ(frame->m_nLastCommand, static_cast<UINT>(ID_TEST_CONTEXT_FIRST));
}

TEST_F(DockingDragTest, TheTabUnderTheCursorIsFound)
{
    CBNTabCtrl& tabs = EdgeBar().GetTabCtrl();
    CRect rectTab;
    ASSERT_TRUE(tabs.GetItemRect(1, &rectTab));
    tabs.ClientToScreen(&rectTab);
    ASSERT_TRUE(testing_support::MoveCursorTo(rectTab.CenterPoint().x, rectTab.CenterPoint().y));
    EXPECT_EQ(EdgeBar().GetTabFromPoint(CPoint(0, 0)), 1);
    EXPECT_EQ(EdgeBar().GetLastHitTab(), 1);
}

} // namespace
