// The status bar with controls in a hidden frame: panes added and removed at run time
// keep the other panes' ids, widths, styles and texts; controls on panes follow their
// panes when the bar is resized or its panes change, and the bar deletes the controls
// it owns, and only those.
#include <gtest/gtest.h>

#include "framework/CFrameWnd.h"
#include "framework/CProgressCtrl.h"
#include "framework/FrameworkIds.h"
#include "tests/support/PendingMessages.h"
#include "tests/uilib_bars_ui/BarsTestResources.h"
#include "uilib/CBNStatusBar.h"

#include <string>
#include <vector>

namespace {

// A control that counts its deletions.
class CountedControl : public CProgressCtrl
{
public:
    explicit CountedControl(int* pDeleted) : m_pDeleted(pDeleted) {}
    ~CountedControl() override { ++*m_pDeleted; }

private:
    int* m_pDeleted;
};

class StatusBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "Status bar test", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 400)));
        hFrame = frame->m_hWnd;
        bar = new CBNStatusBar;
        ASSERT_TRUE(bar->Create(frame, 0x50008200, AFX_IDW_STATUS_BAR));
        const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
        ASSERT_TRUE(bar->SetIndicators(indicators, 4));
        frame->RecalcLayout();
    }

    void TearDown() override
    {
        delete bar;
        if (::IsWindow(hFrame))
            frame->DestroyWindow();
        testing_support::DispatchPendingMessages();
    }

    struct Pane
    {
        UINT nID;
        int cx;
        UINT nStyle;
        std::string text;
    };

    std::vector<Pane> Panes()
    {
        std::vector<Pane> panes;
        CBNStatusBarPane pane;
        for (int i = 0; bar->GetStatusPane(i, pane); i++)
            panes.push_back({pane.m_nID, pane.m_cxText, pane.m_nStyle, std::string(pane.m_strText)});
        return panes;
    }

    std::vector<UINT> Ids()
    {
        std::vector<UINT> ids;
        for (const Pane& pane : Panes())
            ids.push_back(pane.nID);
        return ids;
    }

    CRect PaneRect(UINT nID)
    {
        CRect rect;
        bar->GetItemRect(bar->CommandToIndex(nID), &rect);
        return rect;
    }

    CRect ControlRect(CWnd& control)
    {
        CRect rect;
        control.GetWindowRect(&rect);
        bar->ScreenToClient(&rect);
        return rect;
    }

    CRect PaneInside(UINT nID)
    {
        int cxBorder = 0, cyBorder = 0, cxSpacing = 0;
        bar->GetStatusBarCtrl().GetBorders(cxBorder, cyBorder, cxSpacing);
        CRect rect = PaneRect(nID);
        rect.DeflateRect(cxBorder + cxSpacing, cyBorder);
        return rect;
    }

    CFrameWnd* frame = nullptr;
    HWND hFrame = nullptr;
    CBNStatusBar* bar = nullptr;
};

TEST_F(StatusBarTest, NewIndicatorsStartEmptyAndFiftyWideWhileTheOthersKeepTheirPanes)
{
    bar->SetPaneInfo(2, ID_INDICATOR_NUM, SBPS_POPOUT, 77);
    bar->SetPaneText(2, "N!");
    bar->SetPaneText(0, "Ready");
    const std::vector<Pane> before = Panes();
    ASSERT_EQ(before.size(), 4u);

    // The new pane's id has a string resource of its own; it still starts empty.
    ASSERT_TRUE(bar->AddIndicator(2, IDS_TEST_PANE_WITH_TEXT));
    std::vector<Pane> after = Panes();
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(after[2].nID, static_cast<UINT>(IDS_TEST_PANE_WITH_TEXT));
    EXPECT_EQ(after[2].cx, 50);
    EXPECT_EQ(after[2].text, "");
    for (size_t i : {0u, 1u})
    {
        EXPECT_EQ(after[i].nID, before[i].nID);
        EXPECT_EQ(after[i].cx, before[i].cx);
        EXPECT_EQ(after[i].nStyle, before[i].nStyle);
        EXPECT_EQ(after[i].text, before[i].text);
    }
    for (size_t i : {2u, 3u})
    {
        EXPECT_EQ(after[i + 1].nID, before[i].nID);
        EXPECT_EQ(after[i + 1].cx, before[i].cx);
        EXPECT_EQ(after[i + 1].nStyle, before[i].nStyle);
        EXPECT_EQ(after[i + 1].text, before[i].text);
    }
    EXPECT_EQ(after[3].text, "N!");
    EXPECT_EQ(after[3].nStyle, static_cast<UINT>(SBPS_POPOUT));
    EXPECT_EQ(after[0].text, "Ready");
    // The control shows what the panes say.
    EXPECT_EQ(std::string(bar->GetStatusBarCtrl().GetText(3)), "N!");

    // A negative index inserts at the front, one past the end or more appends, and an
    // id that is there already is refused without a change.
    ASSERT_TRUE(bar->AddIndicator(-3, IDS_TEST_PANE_PLAIN));
    ASSERT_TRUE(bar->AddIndicator(99, IDS_TEST_PANE_LAST));
    const std::vector<UINT> expected = {IDS_TEST_PANE_PLAIN, ID_SEPARATOR, ID_INDICATOR_CAPS, IDS_TEST_PANE_WITH_TEXT,
                                        ID_INDICATOR_NUM, ID_INDICATOR_SCRL, IDS_TEST_PANE_LAST};
    EXPECT_EQ(Ids(), expected);
    EXPECT_FALSE(bar->AddIndicator(0, ID_INDICATOR_NUM));
    EXPECT_EQ(Ids(), expected);

    CBNStatusBarPane pane;
    EXPECT_FALSE(bar->GetStatusPane(7, pane));
    EXPECT_FALSE(bar->GetStatusPane(-1, pane));
    bar->SetPaneWidth(6, 31);
    ASSERT_TRUE(bar->GetStatusPane(6, pane));
    EXPECT_EQ(pane.m_cxText, 31);
    EXPECT_EQ(pane.m_nID, static_cast<UINT>(IDS_TEST_PANE_LAST));
}

TEST_F(StatusBarTest, ControlsSitOnTheirPanesAndFollowThem)
{
    CProgressCtrl* progress = new CProgressCtrl;
    ASSERT_TRUE(progress->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), bar, 1));
    ASSERT_TRUE(bar->AddControl(progress, ID_INDICATOR_NUM, TRUE));
    EXPECT_EQ(ControlRect(*progress), PaneInside(ID_INDICATOR_NUM));

    // A pane without borders gives its control the whole pane.
    CProgressCtrl* wide = new CProgressCtrl;
    ASSERT_TRUE(wide->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), bar, 2));
    bar->SetPaneStyle(1, SBPS_NOBORDERS);
    ASSERT_TRUE(bar->AddControl(wide, ID_INDICATOR_CAPS, TRUE));
    EXPECT_EQ(ControlRect(*wide), PaneRect(ID_INDICATOR_CAPS));

    // A pane carries one control, and only a pane that exists carries one.
    CProgressCtrl spare;
    ASSERT_TRUE(spare.Create(WS_CHILD, CRect(0, 0, 10, 10), bar, 3));
    EXPECT_FALSE(bar->AddControl(&spare, ID_INDICATOR_NUM, FALSE));
    EXPECT_FALSE(bar->AddControl(&spare, 0x7777, FALSE));
    EXPECT_EQ(bar->GetControlCount(), 2);
    EXPECT_EQ(bar->GetPanControl(ID_INDICATOR_NUM)->m_pWnd, progress);
    EXPECT_EQ(bar->GetPanControl(ID_INDICATOR_SCRL), nullptr);

    // A wider frame stretches the message pane, and the panes after it move right.
    const CRect before = ControlRect(*progress);
    frame->SetWindowPos(nullptr, 0, 0, 900, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    frame->RecalcLayout();
    const CRect moved = ControlRect(*progress);
    EXPECT_GT(moved.left, before.left + 200);
    EXPECT_EQ(moved, PaneInside(ID_INDICATOR_NUM));

    // So do panes added in front of it.
    ASSERT_TRUE(bar->AddIndicator(1, IDS_TEST_PANE_PLAIN));
    EXPECT_EQ(ControlRect(*progress), PaneInside(ID_INDICATOR_NUM));
    EXPECT_EQ(ControlRect(*wide), PaneRect(ID_INDICATOR_CAPS));
}

TEST_F(StatusBarTest, RemovingAPaneDeletesOnlyTheControlsTheBarOwns)
{
    int deleted = 0;
    auto* owned = new CountedControl(&deleted);
    ASSERT_TRUE(owned->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), bar, 1));
    const HWND hOwned = owned->m_hWnd;
    CountedControl kept(&deleted);
    ASSERT_TRUE(kept.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), bar, 2));
    ASSERT_TRUE(bar->AddControl(owned, ID_INDICATOR_NUM, TRUE));
    ASSERT_TRUE(bar->AddControl(&kept, ID_INDICATOR_SCRL, FALSE));
    bar->SetPaneText(1, "caps text");

    bar->RemovePane(ID_INDICATOR_NUM);
    EXPECT_EQ(deleted, 1);
    EXPECT_FALSE(::IsWindow(hOwned));
    const std::vector<UINT> expected = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_SCRL};
    EXPECT_EQ(Ids(), expected);
    EXPECT_EQ(Panes()[1].text, "caps text");
    EXPECT_EQ(bar->GetControlCount(), 1);
    // The control that stays moved with its pane.
    EXPECT_EQ(ControlRect(kept), PaneInside(ID_INDICATOR_SCRL));

    bar->RemovePane(ID_INDICATOR_SCRL);
    EXPECT_EQ(deleted, 1);
    EXPECT_TRUE(::IsWindow(kept.m_hWnd));
    EXPECT_EQ(bar->GetControlCount(), 0);
    EXPECT_EQ(Panes().size(), 2u);

    // The bar deletes the controls it still owns when it goes.
    auto* last = new CountedControl(&deleted);
    ASSERT_TRUE(last->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), bar, 3));
    ASSERT_TRUE(bar->AddControl(last, ID_INDICATOR_CAPS, TRUE));
    delete bar;
    bar = nullptr;
    EXPECT_EQ(deleted, 2);
}

} // namespace
