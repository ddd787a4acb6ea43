// Docking of control bars in a frame: the dock bars' slots (rows, placeholders), their
// layout, floating and docking again (also by a drag driven through posted mouse
// messages), hiding, the bar arrangement saved to and restored from the profile, and a
// minimal toolbar with its command updates.
#include <gtest/gtest.h>

#include "framework/CCmdUI.h"
#include "framework/CControlBar.h"
#include "framework/CControlBarInfo.h"
#include "framework/CDockBar.h"
#include "framework/CDockContext.h"
#include "framework/CDockState.h"
#include "framework/CFrameWnd.h"
#include "framework/CMiniDockFrameWnd.h"
#include "framework/CToolBar.h"
#include "framework/CWinApp.h"
#include "framework/MessageMap.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// A profile file of this test program's own in the temporary folder, which every test
// run shares.
std::string TempIniPath(const std::string& name)
{
    char directory[MAX_PATH];
    ::GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + testing_support::ProcessTag() + "-" + name;
}

const UINT kBarA = 0xE880;
const UINT kBarB = 0xE881;
const UINT kBarC = 0xE882;
const UINT kCmdHandled = 0x8101;
const UINT kCmdChecked = 0x8102;
const UINT kCmdUnhandled = 0x8103;

// A bar of a fixed size (width x height when horizontal, turned when vertical).
class FixedBar : public CControlBar
{
public:
    explicit FixedBar(CSize size) : m_size(size) {}

    BOOL Create(CWnd* pParent, UINT nID, DWORD dwStyle)
    {
        m_dwStyle = dwStyle & CBRS_ALL;
        LPCTSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        return CWnd::CreateEx(0, lpszClass, "Fixed bar", (dwStyle & ~CBRS_ALL) | WS_CHILD | WS_VISIBLE,
                              CRect(0, 0, m_size.cx, m_size.cy), pParent, nID);
    }

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override
    {
        CSize size = bHorz ? m_size : CSize(m_size.cy, m_size.cx);
        if (bStretch)
            (bHorz ? size.cx : size.cy) = 32767;
        return size;
    }

    void OnUpdateCmdUI(CFrameWnd*, BOOL) override { ++m_nUpdates; }

    CSize m_size;
    int m_nUpdates = 0;
};

// A bar of a constant area (3600 pixels) that takes any width while floating.
class DynamicBar : public FixedBar
{
public:
    DynamicBar() : FixedBar(CSize(120, 30)) { m_nMRUWidth = 120; }

    CSize CalcDynamicLayout(int nLength, DWORD nMode) override
    {
        if (nLength == -1 && (nMode & (LM_HORZDOCK | LM_VERTDOCK)))
            return CalcFixedLayout((nMode & LM_STRETCH) != 0, (nMode & LM_HORZDOCK) != 0);
        int nWidth = std::max(nLength, 30);
        if (nMode & LM_MRUWIDTH)
            nWidth = m_nMRUWidth;
        else if (nMode & LM_LENGTHY)
            nWidth = std::max(3600 / std::max(nLength, 1), 30);
        if (nMode & LM_COMMIT)
            m_nMRUWidth = nWidth;
        return CSize(nWidth, 3600 / nWidth);
    }
};

// Handles one command and checks another, for the toolbar's updates.
class CommandFrame : public CFrameWnd
{
public:
    int m_nHandled = 0;

protected:
    void OnHandled() { ++m_nHandled; }
    void OnUpdateChecked(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CommandFrame, CFrameWnd)
    ON_COMMAND(kCmdHandled, OnHandled)
    ON_UPDATE_COMMAND_UI(kCmdChecked, OnUpdateChecked)
END_MESSAGE_MAP()

// Lets pending messages run (bounded: a test must not hang on a busy queue).
void Pump()
{
    MSG msg;
    for (int i = 0; i < 500 && ::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); i++)
    {
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
}

CRect WindowRectIn(CWnd* pWnd, CWnd* pReference)
{
    CRect rect;
    pWnd->GetWindowRect(&rect);
    pReference->ScreenToClient(&rect);
    return rect;
}

CRect ScreenRect(CWnd* pWnd)
{
    CRect rect;
    pWnd->GetWindowRect(&rect);
    return rect;
}

class DockingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        iniPath = TempIniPath("pyraxis-h19-docking.ini");
        ::DeleteFileA(iniPath.c_str());
        std::free(const_cast<char*>(app.m_pszProfileName));
        app.m_pszProfileName = _strdup(iniPath.c_str());

        frame = new CommandFrame;
        ASSERT_TRUE(frame->Create(nullptr, "Docking", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 40, 680, 520)));
        hFrame = frame->m_hWnd;
        frame->EnableDocking(CBRS_ALIGN_ANY);
        ASSERT_TRUE(barA.Create(frame, kBarA, CBRS_TOP));
        ASSERT_TRUE(barB.Create(frame, kBarB, CBRS_TOP));
        ASSERT_TRUE(barC.Create(frame, kBarC, CBRS_TOP));
        for (FixedBar* pBar : {&barA, &barB, &barC})
            pBar->EnableDocking(CBRS_ALIGN_ANY);
    }

    void TearDown() override
    {
        if (::IsWindow(hFrame))
            frame->DestroyWindow();
        Pump();
        ::DeleteFileA(iniPath.c_str());
    }

    CDockBar* DockBar(UINT nID) { return static_cast<CDockBar*>(frame->GetControlBar(nID)); }

    // Slots as text: '|' a row break, a letter a bar, a lower-case letter a placeholder.
    std::string Slots(CDockBar* pDockBar)
    {
        std::string text;
        for (INT_PTR i = 0; i < pDockBar->m_arrBars.GetSize(); i++)
        {
            void* pSlot = pDockBar->m_arrBars.GetAt(i);
            if (pSlot == nullptr)
                text += '|';
            else if (CDockBar::IsPlaceHolder(pSlot))
                text += static_cast<char>('a' + (reinterpret_cast<UINT_PTR>(pSlot) - kBarA));
            else
                text += static_cast<char>('A' + (static_cast<CControlBar*>(pSlot)->GetDlgCtrlID() - kBarA));
        }
        return text;
    }

    int FloatingFrameCount()
    {
        int nCount = 0;
        for (POSITION pos = frame->m_listControlBars.GetHeadPosition(); pos != nullptr;)
        {
            auto* pBar = static_cast<CControlBar*>(frame->m_listControlBars.GetNext(pos));
            if (pBar->IsDockBar() && static_cast<CDockBar*>(pBar)->m_bFloating)
                nCount++;
        }
        return nCount;
    }

    // Drags the bar by posting the mouse messages the capture loop will read.
    void Drag(CControlBar* pBar, CPoint ptStartScreen, CPoint ptEndScreen)
    {
        CPoint ptEnd = ptEndScreen;
        pBar->ScreenToClient(&ptEnd);
        CPoint ptMid((ptStartScreen.x + ptEndScreen.x) / 2, (ptStartScreen.y + ptEndScreen.y) / 2);
        pBar->ScreenToClient(&ptMid);
        pBar->PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptMid.x, ptMid.y));
        pBar->PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptEnd.x, ptEnd.y));
        pBar->PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(ptEnd.x, ptEnd.y));
        pBar->m_pDockContext->StartDrag(ptStartScreen);
        Pump();
    }

    CWinApp app{"DockingTest"};
    std::string iniPath;
    CommandFrame* frame = nullptr;
    HWND hFrame = nullptr;
    FixedBar barA{CSize(120, 30)};
    FixedBar barB{CSize(100, 30)};
    FixedBar barC{CSize(90, 26)};
};

TEST_F(DockingTest, EnableDockingCreatesOneDockBarPerSide)
{
    for (UINT nID : {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT})
    {
        CControlBar* pBar = frame->GetControlBar(nID);
        ASSERT_NE(pBar, nullptr) << nID;
        EXPECT_TRUE(pBar->IsDockBar());
        EXPECT_FALSE(pBar->IsFloating());
    }
    EXPECT_EQ(DockBar(AFX_IDW_DOCKBAR_LEFT)->m_dwStyle & CBRS_ALIGN_ANY, static_cast<DWORD>(CBRS_ALIGN_LEFT));
    EXPECT_EQ(frame->GetControlBar(AFX_IDW_DOCKBAR_FLOAT), nullptr);
    // Asking again makes no second set.
    const INT_PTR nBars = frame->m_listControlBars.GetCount();
    frame->EnableDocking(CBRS_ALIGN_ANY);
    EXPECT_EQ(frame->m_listControlBars.GetCount(), nBars);
}

TEST_F(DockingTest, BarsDockedWithoutAPlaceGetARowEachAndRowsCloseWhenEmptied)
{
    CDockBar* pLeft = DockBar(AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barB, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barC, AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(Slots(pLeft), "|A|B|C|");
    EXPECT_EQ(pLeft->GetDockedCount(), 3);
    EXPECT_EQ(pLeft->FindBar(&barB), 3);
    EXPECT_EQ(pLeft->FindBar(&barB, 3), -1);
    EXPECT_EQ(barB.m_pDockBar, pLeft);
    EXPECT_EQ(barB.GetParent(), pLeft);
    // The bar takes the side's orientation.
    EXPECT_EQ(barB.GetBarStyle() & CBRS_ALIGN_ANY, static_cast<DWORD>(CBRS_ALIGN_LEFT));

    EXPECT_TRUE(pLeft->RemoveControlBar(&barB));
    EXPECT_EQ(Slots(pLeft), "|A|C|");
    EXPECT_EQ(barB.m_pDockBar, nullptr);
    EXPECT_FALSE(pLeft->RemoveControlBar(&barB));
}

TEST_F(DockingTest, PlaceholderKeepsTheSlotOfABarThatLeftAndReDockFillsIt)
{
    CDockBar* pLeft = DockBar(AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barB, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barC, AFX_IDW_DOCKBAR_LEFT);

    pLeft->RemoveControlBar(&barB, -1, 1);
    EXPECT_EQ(Slots(pLeft), "|A|b|C|");
    EXPECT_EQ(pLeft->FindPlaceHolder(kBarB), 3);
    EXPECT_EQ(pLeft->GetDockedCount(), 2);
    EXPECT_EQ(pLeft->GetDockedControlBar(3), nullptr);

    pLeft->ReDockControlBar(&barB);
    EXPECT_EQ(Slots(pLeft), "|A|B|C|");
    EXPECT_EQ(pLeft->FindPlaceHolder(kBarB), -1);

    // A placeholder at the end, then docking anew replaces it instead of doubling the bar.
    pLeft->RemoveControlBar(&barA, -1, -1);
    EXPECT_EQ(Slots(pLeft), "|B|C|a|");
    pLeft->DockControlBar(&barA);
    EXPECT_EQ(Slots(pLeft), "|B|C|A|");
}

TEST_F(DockingTest, DockingAtARectangleChoosesTheRowAndThePlaceInIt)
{
    CDockBar* pTop = DockBar(AFX_IDW_DOCKBAR_TOP);
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_TOP);
    frame->RecalcLayout();
    const CRect rectA = ScreenRect(&barA);

    // Right of A in its row.
    CRect rectB(CPoint(rectA.right + 20, rectA.top), CSize(100, 30));
    frame->DockControlBar(&barB, pTop, &rectB);
    frame->RecalcLayout();
    EXPECT_EQ(Slots(pTop), "|AB|");
    EXPECT_EQ(ScreenRect(&barB).left, rectB.left);   // stays where it was dropped
    EXPECT_EQ(ScreenRect(&barB).top, rectA.top);

    // Across the start of the row: before A.
    CRect rectC(CPoint(rectA.left - 5, rectA.top + 2), CSize(90, 26));
    frame->DockControlBar(&barC, pTop, &rectC);
    EXPECT_EQ(Slots(pTop), "|CAB|");

    // Below every row: a new last row.
    CRect rectBelow(CPoint(rectA.left, rectA.bottom + 40), CSize(90, 26));
    frame->DockControlBar(&barC, pTop, &rectBelow);
    EXPECT_EQ(Slots(pTop), "|AB|C|");

    // Above the first row: a new first row.
    frame->RecalcLayout();
    CRect rectAbove(CPoint(rectA.left, rectA.top - 40), CSize(90, 26));
    frame->DockControlBar(&barC, pTop, &rectAbove);
    EXPECT_EQ(Slots(pTop), "|C|AB|");
}

TEST_F(DockingTest, LayoutStacksTheSidesBarsAndLeavesTheRestToTheClient)
{
    CDockBar* pLeft = DockBar(AFX_IDW_DOCKBAR_LEFT);
    CDockBar* pTop = DockBar(AFX_IDW_DOCKBAR_TOP);
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barB, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barC, AFX_IDW_DOCKBAR_TOP);
    frame->RecalcLayout();

    CRect rectClient;
    frame->GetClientRect(&rectClient);
    const CRect rectTop = WindowRectIn(pTop, frame);
    const CRect rectLeft = WindowRectIn(pLeft, frame);
    // Top spans the width with its one row and its bottom border; left fills the
    // height below it.
    EXPECT_EQ(rectTop, CRect(0, 0, rectClient.right, 26 + 1));
    EXPECT_EQ(rectLeft.left, 0);
    EXPECT_EQ(rectLeft.top, 27);
    EXPECT_EQ(rectLeft.bottom, rectClient.bottom);
    // The left side is two columns of vertical bars (30 wide, overlapping by 2) and
    // its right border.
    EXPECT_EQ(rectLeft.Width(), 2 * 30 - 2 + 1);
    const CRect rectA = WindowRectIn(&barA, pLeft);
    const CRect rectB = WindowRectIn(&barB, pLeft);
    EXPECT_EQ(rectA, CRect(0, 0, 30, 120));
    EXPECT_EQ(rectB, CRect(28, 0, 58, 100));

    // A query moves nothing and tells what is left for the client.
    CRect rectRest;
    frame->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposQuery, &rectRest);
    EXPECT_EQ(rectRest, CRect(59, 27, rectClient.right, rectClient.bottom));
}

TEST_F(DockingTest, BarsThatDoNotFitInTheRowWrapToANewRow)
{
    CDockBar* pTop = DockBar(AFX_IDW_DOCKBAR_TOP);
    barA.m_size = CSize(300, 30);
    barB.m_size = CSize(300, 30);
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_TOP);
    frame->RecalcLayout();
    CRect rectB(CPoint(ScreenRect(&barA).right + 1, ScreenRect(&barA).top), CSize(300, 30));
    frame->DockControlBar(&barB, pTop, &rectB);
    EXPECT_EQ(Slots(pTop), "|AB|");

    // Narrower than both: B starts a row of its own.
    frame->SetWindowPos(nullptr, 0, 0, 450, 300, SWP_NOMOVE | SWP_NOZORDER);
    frame->RecalcLayout();
    EXPECT_EQ(Slots(pTop), "|A|B|");
    EXPECT_EQ(WindowRectIn(&barB, pTop).top, 30 - 2);
    EXPECT_EQ(WindowRectIn(pTop, frame).Height(), 2 * 30 - 2 + 1);
}

TEST_F(DockingTest, FloatingAndTogglingBackRestoresTheDockedPlace)
{
    CDockBar* pLeft = DockBar(AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barB, AFX_IDW_DOCKBAR_LEFT);
    frame->RecalcLayout();

    frame->FloatControlBar(&barA, CPoint(300, 250));
    ASSERT_TRUE(barA.IsFloating());
    EXPECT_EQ(Slots(pLeft), "|a|B|");
    CFrameWnd* pFloating = barA.GetParentFrame();
    ASSERT_NE(pFloating, nullptr);
    EXPECT_TRUE(pFloating->IsKindOf(RUNTIME_CLASS(CMiniDockFrameWnd)));
    EXPECT_NE(pFloating, frame);
    EXPECT_TRUE(pFloating->IsWindowVisible());
    EXPECT_EQ(ScreenRect(pFloating).TopLeft(), CPoint(300, 250));
    EXPECT_EQ(FloatingFrameCount(), 1);
    // The floating bar is laid out horizontally and its frame fits it.
    EXPECT_EQ(barA.GetBarStyle() & (CBRS_ALIGN_ANY | CBRS_FLOATING),
              static_cast<DWORD>(CBRS_ALIGN_TOP | CBRS_FLOATING));
    CRect rectClient;
    pFloating->GetClientRect(&rectClient);
    EXPECT_EQ(rectClient.Size(), CSize(120, 30));
    EXPECT_EQ(WindowRectIn(pLeft, frame).Width(), 30 + 1);   // only B is left

    // Floating again only moves the frame.
    frame->FloatControlBar(&barA, CPoint(320, 260));
    EXPECT_EQ(barA.GetParentFrame(), pFloating);
    EXPECT_EQ(ScreenRect(pFloating).TopLeft(), CPoint(320, 260));

    const HWND hFloating = pFloating->m_hWnd;
    barA.m_pDockContext->ToggleDocking();
    EXPECT_FALSE(barA.IsFloating());
    EXPECT_EQ(Slots(pLeft), "|A|B|");
    EXPECT_FALSE(::IsWindow(hFloating));   // the empty floating frame is gone
    EXPECT_EQ(FloatingFrameCount(), 0);
    EXPECT_EQ(barA.GetParent(), pLeft);
    frame->RecalcLayout();
    EXPECT_EQ(WindowRectIn(&barA, pLeft), CRect(0, 0, 30, 120));

    // And out again to where it floated last.
    barA.m_pDockContext->ToggleDocking();
    ASSERT_TRUE(barA.IsFloating());
    EXPECT_EQ(ScreenRect(barA.GetParentFrame()).TopLeft(), CPoint(320, 260));
}

TEST_F(DockingTest, ProgrammedDragFloatsTheBarAndDragsItBackToTheLeftSide)
{
    CDockBar* pLeft = DockBar(AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->RecalcLayout();
    Pump();

    const CRect rectA = ScreenRect(&barA);
    const CPoint ptStart(rectA.left + 5, rectA.top + 5);
    CRect rectFrameClient;
    frame->GetClientRect(&rectFrameClient);
    frame->ClientToScreen(&rectFrameClient);
    const CPoint ptDrop(rectFrameClient.left + 300, rectFrameClient.top + 200);
    Drag(&barA, ptStart, ptDrop);

    ASSERT_TRUE(barA.IsFloating());
    EXPECT_EQ(::GetCapture(), nullptr);
    CFrameWnd* pFloating = barA.GetParentFrame();
    EXPECT_TRUE(ScreenRect(pFloating).PtInRect(ptDrop));
    EXPECT_EQ(Slots(pLeft), "|a|");

    // Back: dropped on the frame's left edge it docks there.
    const CRect rectFloating = ScreenRect(&barA);
    const CPoint ptGrip(rectFloating.left + 5, rectFloating.top + 5);
    const CPoint ptEdge(rectFrameClient.left + 2, rectFrameClient.top + 150);
    Drag(&barA, ptGrip, ptEdge);
    EXPECT_FALSE(barA.IsFloating());
    EXPECT_EQ(barA.m_pDockBar, pLeft);
    EXPECT_EQ(Slots(pLeft), "|A|");
    EXPECT_EQ(FloatingFrameCount(), 0);
}

TEST_F(DockingTest, EscapeCancelsADragAndCtrlKeepsTheBarFromDocking)
{
    CDockBar* pLeft = DockBar(AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->RecalcLayout();
    Pump();
    const CRect rectBefore = ScreenRect(&barA);
    const CPoint ptStart(rectBefore.left + 5, rectBefore.top + 5);

    CPoint ptFar(200, 150);
    barA.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptFar.x, ptFar.y));
    barA.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    barA.m_pDockContext->StartDrag(ptStart);
    Pump();
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_FALSE(barA.IsFloating());
    EXPECT_EQ(ScreenRect(&barA), rectBefore);
    EXPECT_EQ(Slots(pLeft), "|A|");

    // With Ctrl held a drop on the left edge floats instead of docking.
    CRect rectFrameClient;
    frame->GetClientRect(&rectFrameClient);
    frame->ClientToScreen(&rectFrameClient);
    CPoint ptEdge(rectFrameClient.left + 2, rectFrameClient.top + 150);
    barA.ScreenToClient(&ptEdge);
    barA.PostMessage(WM_KEYDOWN, VK_CONTROL, 0);
    barA.PostMessage(WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(ptEdge.x, ptEdge.y));
    barA.PostMessage(WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(ptEdge.x, ptEdge.y));
    barA.m_pDockContext->StartDrag(ptStart);
    Pump();
    EXPECT_TRUE(barA.IsFloating());
    EXPECT_EQ(Slots(pLeft), "|a|");
}

TEST_F(DockingTest, DoubleClicksToggleBetweenDockedAndFloating)
{
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->RecalcLayout();
    barA.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(3, 3));
    ASSERT_TRUE(barA.IsFloating());

    // On the floating frame's caption.
    CFrameWnd* pFloating = barA.GetParentFrame();
    CRect rectFloating = ScreenRect(pFloating);
    pFloating->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(rectFloating.left + 10, rectFloating.top + 5));
    EXPECT_FALSE(barA.IsFloating());
    EXPECT_EQ(barA.m_pDockBar, DockBar(AFX_IDW_DOCKBAR_LEFT));

    // A bar that may not dock anywhere ignores the double click.
    barB.EnableDocking(0);
    frame->DockControlBar(&barB, AFX_IDW_DOCKBAR_TOP);
    barB.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(3, 3));
    EXPECT_FALSE(barB.IsFloating());
}

TEST_F(DockingTest, ResizingAFloatingDynamicBarKeepsItsNewWidth)
{
    DynamicBar bar;
    ASSERT_TRUE(bar.Create(frame, kBarC + 1, CBRS_TOP | CBRS_SIZE_DYNAMIC));
    bar.EnableDocking(CBRS_ALIGN_ANY);
    frame->FloatControlBar(&bar, CPoint(200, 200));
    CFrameWnd* pFloating = bar.GetParentFrame();
    CRect rectClient;
    pFloating->GetClientRect(&rectClient);
    ASSERT_EQ(rectClient.Size(), CSize(120, 30));

    // Dragging the right border 80 pixels further.
    const CRect rectBar = ScreenRect(&bar);
    const CPoint ptStart(rectBar.right, rectBar.top + 10);
    CPoint ptEnd(ptStart.x + 80, ptStart.y);
    bar.ScreenToClient(&ptEnd);
    bar.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ptEnd.x, ptEnd.y));
    bar.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(ptEnd.x, ptEnd.y));
    bar.m_pDockContext->StartResize(HTRIGHT, ptStart);
    Pump();

    EXPECT_EQ(bar.m_nMRUWidth, 200);
    EXPECT_EQ(bar.GetParentFrame(), pFloating);
    pFloating->GetClientRect(&rectClient);
    EXPECT_EQ(rectClient.Size(), CSize(200, 18));
    frame->ShowControlBar(&bar, FALSE, FALSE);   // gone before the bar object goes
    EXPECT_FALSE(pFloating->IsWindowVisible());
}

TEST_F(DockingTest, HiddenBarsTakeNoSpaceAndAClosedFloatingFrameHidesItsBar)
{
    CDockBar* pLeft = DockBar(AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barB, AFX_IDW_DOCKBAR_LEFT);
    frame->RecalcLayout();

    frame->ShowControlBar(&barA, FALSE, FALSE);
    EXPECT_FALSE(barA.IsVisible());
    EXPECT_EQ(pLeft->GetDockedCount(), 2);
    EXPECT_EQ(pLeft->GetDockedVisibleCount(), 1);
    EXPECT_EQ(WindowRectIn(pLeft, frame).Width(), 30 + 1);

    // A delayed show counts as visible before the layout applies it.
    frame->ShowControlBar(&barA, TRUE, TRUE);
    EXPECT_TRUE(barA.IsVisible());
    EXPECT_FALSE(barA.IsWindowVisible());
    frame->RecalcLayout();
    EXPECT_TRUE(barA.IsWindowVisible());
    EXPECT_EQ(WindowRectIn(pLeft, frame).Width(), 58 + 1);

    frame->FloatControlBar(&barB, CPoint(200, 200));
    CFrameWnd* pFloating = barB.GetParentFrame();
    pFloating->SendMessage(WM_CLOSE);
    EXPECT_FALSE(barB.IsWindowVisible());
    EXPECT_FALSE(pFloating->IsWindowVisible());
    EXPECT_TRUE(barB.IsFloating());   // hidden, not destroyed

    frame->ShowControlBar(&barB, TRUE, FALSE);
    EXPECT_TRUE(pFloating->IsWindowVisible());
}

TEST_F(DockingTest, BarStateRoundTripsThroughTheProfile)
{
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barB, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barC, AFX_IDW_DOCKBAR_TOP);
    frame->RecalcLayout();
    frame->FloatControlBar(&barB, CPoint(330, 270));
    frame->ShowControlBar(&barC, FALSE, FALSE);
    frame->SaveBarState("Layout");

    // The profile has one section per bar, each with its id.
    EXPECT_GT(::GetPrivateProfileIntA("Layout-Summary", "Bars", 0, iniPath.c_str()), 4);
    bool bFoundA = false;
    for (int i = 0; i < 10; i++)
    {
        const std::string strSection = "Layout-Bar" + std::to_string(i);
        if (::GetPrivateProfileIntA(strSection.c_str(), "BarID", 0, iniPath.c_str()) == static_cast<int>(kBarA))
            bFoundA = true;
    }
    EXPECT_TRUE(bFoundA);

    // Everything elsewhere, then back from the profile.
    barA.m_pDockContext->ToggleDocking();
    barB.m_pDockContext->ToggleDocking();
    frame->ShowControlBar(&barC, TRUE, FALSE);
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_BOTTOM);
    ASSERT_FALSE(barB.IsFloating());
    ASSERT_EQ(FloatingFrameCount(), 0);

    frame->LoadBarState("Layout");
    EXPECT_EQ(barA.m_pDockBar, DockBar(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_EQ(Slots(DockBar(AFX_IDW_DOCKBAR_LEFT)), "|A|b|");
    EXPECT_EQ(Slots(DockBar(AFX_IDW_DOCKBAR_BOTTOM)), "|");
    ASSERT_TRUE(barB.IsFloating());
    EXPECT_EQ(ScreenRect(barB.GetParentFrame()).TopLeft(), CPoint(330, 270));
    EXPECT_TRUE(barB.GetParentFrame()->IsWindowVisible());
    EXPECT_EQ(barC.m_pDockBar, DockBar(AFX_IDW_DOCKBAR_TOP));
    EXPECT_FALSE(barC.IsWindowVisible());
    EXPECT_EQ(FloatingFrameCount(), 1);

    // The restored floating bar still goes back to its docked place.
    barB.m_pDockContext->ToggleDocking();
    EXPECT_EQ(Slots(DockBar(AFX_IDW_DOCKBAR_LEFT)), "|A|B|");
}

TEST_F(DockingTest, ScreenshotWithDockedAndFloatingBar)
{
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barC, AFX_IDW_DOCKBAR_TOP);
    frame->RecalcLayout();
    CRect rectClient;
    frame->GetClientRect(&rectClient);
    frame->ClientToScreen(&rectClient);
    frame->FloatControlBar(&barB, CPoint(rectClient.left + 250, rectClient.top + 150));
    ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    barB.GetParentFrame()->UpdateWindow();
    for (int i = 0; i < 5; i++)
    {
        Pump();
        ::Sleep(50);
    }

    const auto shot = testing_support::Screenshot::OfWindow(frame->m_hWnd);
    ASSERT_FALSE(shot.Empty());
    EXPECT_FALSE(shot.Save("docking-docked-and-floating").empty());
}

TEST(ControlBarTest, InsideRectLeavesRoomForBordersAndTheGripperOfADockedBar)
{
    FixedBar bar(CSize(50, 20));
    bar.SetBorders(2, 3, 4, 5);
    const int cx = ::GetSystemMetrics(SM_CXBORDER);
    const int cy = ::GetSystemMetrics(SM_CYBORDER);

    bar.m_dwStyle = CBRS_ALIGN_TOP | CBRS_BORDER_TOP | CBRS_BORDER_LEFT;
    CRect rect(0, 0, 100, 40);
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect, CRect(cx + 2, cy + 3, 100 - 4, 40 - 5));

    // Vertical: the borders turn with the bar.
    rect = CRect(0, 0, 40, 100);
    bar.CalcInsideRect(rect, FALSE);
    EXPECT_EQ(rect, CRect(cx + 3, cy + 2, 40 - 5, 100 - 4));

    // The gripper takes the leading edge, but not while floating.
    bar.m_dwStyle = CBRS_ALIGN_TOP | CBRS_GRIPPER;
    rect = CRect(0, 0, 100, 40);
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect.left, 2 + 7);
    bar.m_dwStyle |= CBRS_FLOATING;
    rect = CRect(0, 0, 100, 40);
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect.left, 2);

    // A bar that was never docked is not floating; stretched it takes the whole length.
    EXPECT_FALSE(bar.IsFloating());
    EXPECT_EQ(bar.CControlBar::CalcFixedLayout(TRUE, TRUE), CSize(32767, 3 + 5));
}

TEST(DockStateTest, DockBarSlotsAndPlaceholdersRoundTripThroughTheProfile)
{
    const std::string iniPath = TempIniPath("pyraxis-h19-dockstate.ini");
    ::DeleteFileA(iniPath.c_str());
    CWinApp app("DockStateTest");
    std::free(const_cast<char*>(app.m_pszProfileName));
    app.m_pszProfileName = _strdup(iniPath.c_str());

    CDockState saved;
    auto* pInfo = new CControlBarInfo;
    pInfo->m_nBarID = AFX_IDW_DOCKBAR_LEFT;
    pInfo->m_bDockBar = TRUE;
    pInfo->m_bVisible = TRUE;
    pInfo->m_arrBarID.Add(reinterpret_cast<void*>(static_cast<UINT_PTR>(kBarA)));
    pInfo->m_arrBarID.Add(nullptr);
    pInfo->m_arrBarID.Add(reinterpret_cast<void*>(static_cast<UINT_PTR>(kBarB | 0x10000)));
    pInfo->m_arrBarID.Add(nullptr);
    saved.m_arrBarInfo.Add(pInfo);
    auto* pBarInfo = new CControlBarInfo;
    pBarInfo->m_nBarID = kBarA;
    pBarInfo->m_bVisible = FALSE;
    pBarInfo->m_bDocking = TRUE;
    pBarInfo->m_uMRUDockID = AFX_IDW_DOCKBAR_RIGHT;
    pBarInfo->m_rectMRUDockPos = CRect(1, 2, 31, 122);
    pBarInfo->m_ptMRUFloatPos = CPoint(-5, 40);
    saved.m_arrBarInfo.Add(pBarInfo);
    saved.SaveState("State");

    CDockState loaded;
    loaded.LoadState("State");
    ASSERT_EQ(loaded.m_arrBarInfo.GetSize(), 2);
    auto* pDock = static_cast<CControlBarInfo*>(loaded.m_arrBarInfo.GetAt(0));
    EXPECT_EQ(pDock->m_nBarID, static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_TRUE(pDock->m_bDockBar);
    ASSERT_EQ(pDock->m_arrBarID.GetSize(), 4);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(pDock->m_arrBarID.GetAt(0)), kBarA);
    EXPECT_EQ(pDock->m_arrBarID.GetAt(1), nullptr);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(pDock->m_arrBarID.GetAt(2)), kBarB | 0x10000u);
    auto* pBar = static_cast<CControlBarInfo*>(loaded.m_arrBarInfo.GetAt(1));
    EXPECT_FALSE(pBar->m_bDockBar);
    EXPECT_FALSE(pBar->m_bVisible);
    EXPECT_EQ(pBar->m_uMRUDockID, static_cast<UINT>(AFX_IDW_DOCKBAR_RIGHT));
    EXPECT_EQ(pBar->m_rectMRUDockPos, CRect(1, 2, 31, 122));
    EXPECT_EQ(pBar->m_ptMRUFloatPos, CPoint(-5, 40));

    // Saving fewer slots leaves none of the old ones behind.
    pInfo->m_arrBarID.RemoveAt(2, 2);
    saved.SaveState("State");
    loaded.LoadState("State");
    EXPECT_EQ(static_cast<CControlBarInfo*>(loaded.m_arrBarInfo.GetAt(0))->m_arrBarID.GetSize(), 2);
    EXPECT_EQ(::GetPrivateProfileIntA("State-Bar0", "Bar#2", -1, iniPath.c_str()), -1);

    // Nothing saved under another name: an empty state, not stale bars.
    CDockState missing;
    missing.LoadState("Other");
    EXPECT_EQ(missing.m_arrBarInfo.GetSize(), 0);
    CControlBarInfo absent;
    EXPECT_FALSE(absent.LoadState("Other", 0));
    ::DeleteFileA(iniPath.c_str());
}

TEST_F(DockingTest, ToolBarButtonsFollowTheirCommands)
{
    CToolBar toolBar;
    ASSERT_TRUE(toolBar.Create(frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, AFX_IDW_TOOLBAR));
    const UINT buttons[] = {kCmdHandled, ID_SEPARATOR, kCmdChecked, kCmdUnhandled};
    ASSERT_TRUE(toolBar.SetButtons(buttons, 4));
    EXPECT_EQ(toolBar.GetCount(), 4);
    EXPECT_EQ(toolBar.CommandToIndex(kCmdChecked), 2);
    EXPECT_EQ(toolBar.CommandToIndex(0x9999), -1);
    EXPECT_EQ(toolBar.GetItemID(3), kCmdUnhandled);

    UINT nID = 0;
    UINT nStyle = 0;
    int iImage = -1;
    toolBar.GetButtonInfo(2, nID, nStyle, iImage);
    EXPECT_EQ(nID, kCmdChecked);
    EXPECT_EQ(iImage, 1);   // separators take no image
    EXPECT_EQ(nStyle & TBBS_DISABLED, 0u);
    toolBar.GetButtonInfo(1, nID, nStyle, iImage);
    EXPECT_EQ(nStyle & 0xFF, static_cast<UINT>(TBSTYLE_SEP));

    toolBar.OnUpdateCmdUI(frame, TRUE);
    EXPECT_EQ(toolBar.GetButtonStyle(0) & TBBS_DISABLED, 0u);
    EXPECT_NE(toolBar.GetButtonStyle(2) & TBBS_CHECKED, 0u);
    EXPECT_NE(toolBar.GetButtonStyle(3) & TBBS_DISABLED, 0u);

    // A button's command reaches the frame through the dock bar it sits on.
    frame->DockControlBar(&toolBar, AFX_IDW_DOCKBAR_TOP);
    frame->RecalcLayout();
    EXPECT_GT(toolBar.CalcFixedLayout(FALSE, TRUE).cx, 3 * 23);
    toolBar.GetParent()->SendMessage(WM_COMMAND, MAKEWPARAM(kCmdHandled, BN_CLICKED),
                                     reinterpret_cast<LPARAM>(toolBar.m_hWnd));
    EXPECT_EQ(frame->m_nHandled, 1);
}

TEST_F(DockingTest, IdleUpdateReachesVisibleBarsOnly)
{
    frame->DockControlBar(&barA, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&barB, AFX_IDW_DOCKBAR_LEFT);
    frame->RecalcLayout();
    frame->ShowControlBar(&barB, FALSE, FALSE);
    barA.SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    barB.SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    EXPECT_EQ(barA.m_nUpdates, 1);
    EXPECT_EQ(barB.m_nUpdates, 0);
}

} // namespace
