// The tabbed bar's bookkeeping in a hidden frame: which view shows and which is active
// as tabs are added, chosen, deleted and removed, that tabs and their records stay in
// step, the frame's active view, tooltips, images, and the Return key.
#include "tests/uilib_bars_ui/BarsFixture.h"

#include "framework/CImageList.h"
#include "res/pyraxis_bars_resource.h"
#include "tests/support/PendingMessages.h"

#include <string>
#include <vector>

namespace {

class TabBarTest : public BarsFixture
{
protected:
    void SetUp() override
    {
        BarsFixture::SetUp();
        ASSERT_NE(CreateFrame(), nullptr);
    }

    // Labels of the tab control's tabs, and of the bar's records, in order.
    std::vector<std::string> TabTexts()
    {
        std::vector<std::string> texts;
        CBNTabCtrl& tabs = EdgeBar().GetTabCtrl();
        for (int i = 0; i < tabs.GetItemCount(); i++)
        {
            char text[64] = "";
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof(text);
            tabs.SendMessage(TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            texts.push_back(text);
        }
        return texts;
    }
    std::vector<std::string> RecordLabels()
    {
        std::vector<std::string> labels;
        for (int i = 0; i < EdgeBar().GetTabCount(); i++)
            labels.push_back(std::string(EdgeBar().GetViewName(i)));
        return labels;
    }
    // The frame is hidden: what counts is the view's own visibility.
    static bool Visible(CWnd* pWnd) { return (pWnd->GetStyle() & WS_VISIBLE) != 0; }
    static bool Shown(CWnd* pWnd) { return Visible(pWnd) && pWnd->IsWindowEnabled(); }
    static bool Hidden(CWnd* pWnd) { return !Visible(pWnd) && !pWnd->IsWindowEnabled(); }

    // Adds the third and fourth tab: "Third" and "Fourth".
    void AddTwoMore()
    {
        ASSERT_TRUE(EdgeBar().AddView("Third", RUNTIME_CLASS(DevicesTestView)));
        ASSERT_TRUE(EdgeBar().AddView("Fourth", RUNTIME_CLASS(LogFilesTestView)));
    }
};

TEST_F(TabBarTest, OnlyTheFirstViewStartsShownAndActive)
{
    CBNTabCtrlBar& bar = EdgeBar();
    ASSERT_EQ(bar.GetTabCount(), 2);
    CView* pDevices = bar.GetView(0);
    CView* pLogFiles = bar.GetView(1);
    EXPECT_TRUE(Shown(pDevices));
    EXPECT_TRUE(Hidden(pLogFiles));
    EXPECT_TRUE(pDevices->IsKindOf(RUNTIME_CLASS(DevicesTestView)));
    EXPECT_TRUE(pLogFiles->IsKindOf(RUNTIME_CLASS(LogFilesTestView)));
    // The view added behind the first does not take the activation from it.
    EXPECT_EQ(bar.GetActiveView(), pDevices);
    EXPECT_EQ(bar.GetActiveTab(), 0);
    EXPECT_EQ(bar.GetTabCtrl().GetCurSel(), 0);
    EXPECT_EQ(TabTexts(), (std::vector<std::string>{"Devices", "Log Files"}));
    // The views had their first update with the frame.
    EXPECT_EQ(static_cast<DevicesTestView*>(pDevices)->m_nInitialUpdates, 1);
    EXPECT_EQ(static_cast<DevicesTestView*>(pLogFiles)->m_nInitialUpdates, 1);
    // The tab control uses the images by position.
    TCITEMA item = {};
    item.mask = TCIF_IMAGE;
    bar.GetTabCtrl().SendMessage(TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, 1);

    EXPECT_EQ(bar.GetView(-1), nullptr);
    EXPECT_EQ(bar.GetViewName(-1), nullptr);
    EXPECT_EQ(bar.GetView(2), nullptr);
    EXPECT_EQ(bar.GetView(RUNTIME_CLASS(LogFilesTestView)), pLogFiles);
    // A class finds its first tab: LogFilesTestView is a DevicesTestView too.
    EXPECT_EQ(std::string(bar.GetViewName(RUNTIME_CLASS(DevicesTestView))), "Devices");
}

TEST_F(TabBarTest, ChoosingATabShowsItsViewAndMakesItTheFramesActiveView)
{
    CBNTabCtrlBar& bar = EdgeBar();
    CView* pDevices = bar.GetView(0);
    CView* pLogFiles = bar.GetView(1);

    bar.SetActiveView(1);
    EXPECT_TRUE(Hidden(pDevices));
    EXPECT_TRUE(Shown(pLogFiles));
    EXPECT_EQ(bar.GetActiveTab(), 1);
    EXPECT_EQ(bar.GetActiveView(), pLogFiles);
    EXPECT_EQ(frame->GetActiveView(), pLogFiles);
    EXPECT_EQ(bar.GetTabCtrl().GetCurSel(), 1);

    // Choosing it in the tab control does the same.
    bar.GetTabCtrl().SetCurSel(0);
    NMHDR header = {bar.GetTabCtrl().m_hWnd, IDC_BN_TABCTRL, static_cast<UINT>(TCN_SELCHANGE)};
    bar.SendMessage(WM_NOTIFY, IDC_BN_TABCTRL, reinterpret_cast<LPARAM>(&header));
    EXPECT_TRUE(Shown(pDevices));
    EXPECT_TRUE(Hidden(pLogFiles));
    EXPECT_EQ(frame->GetActiveView(), pDevices);

    // By class: the bar's own view changes, the frame is not told.
    bar.SetActiveView(RUNTIME_CLASS(LogFilesTestView));
    EXPECT_TRUE(Shown(pLogFiles));
    EXPECT_TRUE(Hidden(pDevices));
    EXPECT_EQ(bar.GetActiveView(), pLogFiles);
    EXPECT_EQ(bar.GetActiveTab(), 1);
    EXPECT_EQ(frame->GetActiveView(), pDevices);

    // By view: the frame is told, the tab stays.
    bar.SetActiveView(pDevices);
    EXPECT_EQ(bar.GetActiveView(), pDevices);
    EXPECT_EQ(frame->GetActiveView(), pDevices);
    EXPECT_EQ(bar.GetActiveTab(), 1);

    // The active tab, -1 and a tab that does not exist change nothing.
    bar.SetActiveView(1);
    bar.SetActiveView(-1);
    bar.SetActiveView(7);
    EXPECT_EQ(bar.GetActiveTab(), 1);
    EXPECT_TRUE(Shown(pLogFiles));
}

TEST_F(TabBarTest, DeletingTabsKeepsTheActiveTabOnItsView)
{
    CBNTabCtrlBar& bar = EdgeBar();
    AddTwoMore();
    bar.SetActiveView(2);
    CView* pThird = bar.GetView(2);
    ASSERT_EQ(bar.GetActiveView(), pThird);

    // A tab after the active one goes: nothing moves.
    bar.DeleteView(3);
    EXPECT_EQ(bar.GetActiveTab(), 2);
    EXPECT_EQ(bar.GetActiveView(), pThird);
    EXPECT_TRUE(Shown(pThird));
    // A tab before it goes: the active index follows its view.
    bar.DeleteView(0);
    EXPECT_EQ(bar.GetActiveTab(), 1);
    EXPECT_EQ(bar.GetView(1), pThird);
    EXPECT_EQ(bar.GetActiveView(), pThird);
    EXPECT_EQ(bar.GetTabCtrl().GetCurSel(), 1);
    EXPECT_EQ(TabTexts(), (std::vector<std::string>{"Log Files", "Third"}));
    EXPECT_EQ(RecordLabels(), TabTexts());

    // The active tab goes: no active tab and no active view; the frame's is cleared.
    ASSERT_EQ(frame->GetActiveView(), pThird);
    bar.DeleteView(1);
    EXPECT_EQ(bar.GetActiveTab(), -1);
    EXPECT_EQ(bar.GetActiveView(), nullptr);
    EXPECT_EQ(frame->GetActiveView(), nullptr);
    EXPECT_EQ(TabTexts(), (std::vector<std::string>{"Log Files"}));

    // Then any tab can be chosen; there is no view to hide first.
    CView* pLogFiles = bar.GetView(0);
    bar.SetActiveView(0);
    EXPECT_TRUE(Shown(pLogFiles));
    EXPECT_EQ(bar.GetActiveView(), pLogFiles);
    // Deleting by class, and a tab that does not exist.
    bar.DeleteView(5);
    bar.DeleteView(RUNTIME_CLASS(LogFilesTestView));
    EXPECT_EQ(bar.GetTabCount(), 0);
    EXPECT_EQ(bar.GetTabCtrl().GetItemCount(), 0);
}

TEST_F(TabBarTest, RemovedViewsTakeTheirTabsSoTheOthersKeepTheirViews)
{
    CBNTabCtrlBar& bar = EdgeBar();
    AddTwoMore();
    CView* pFourth = bar.GetView(3);
    const HWND hSecond = bar.GetView(1)->m_hWnd;
    bar.RemoveView(1);
    EXPECT_FALSE(::IsWindow(hSecond));
    EXPECT_EQ(TabTexts(), (std::vector<std::string>{"Devices", "Third", "Fourth"}));
    EXPECT_EQ(RecordLabels(), TabTexts());
    EXPECT_EQ(bar.GetView(2), pFourth);
    // Choosing the last tab shows the last view.
    bar.SetActiveView(2);
    EXPECT_EQ(bar.GetActiveView(), pFourth);
    EXPECT_TRUE(Shown(pFourth));

    ASSERT_TRUE(bar.RemoveAllTabs());
    EXPECT_EQ(bar.GetTabCount(), 0);
    EXPECT_EQ(bar.GetTabCtrl().GetItemCount(), 0);
    EXPECT_EQ(bar.GetActiveView(), nullptr);
    EXPECT_EQ(frame->GetActiveView(), nullptr);
    // A bar without tabs takes new ones.
    ASSERT_TRUE(bar.AddView("Again", RUNTIME_CLASS(DevicesTestView)));
    EXPECT_TRUE(Shown(bar.GetView(0)));
    EXPECT_EQ(bar.GetActiveView(), bar.GetView(0));
}

TEST_F(TabBarTest, TooltipsAreNumberedByTabAndFollowTheirTexts)
{
    CBNTabCtrlBar& bar = EdgeBar();
    CToolTipCtrl* pToolTip = bar.GetToolTip();
    ASSERT_NE(pToolTip, nullptr);
    AddTwoMore();
    for (int i = 0; i < bar.GetTabCount(); i++)
        EXPECT_EQ(bar.GetTabItem(i)->uiToolTipId, static_cast<UINT>(i));
    EXPECT_EQ(bar.GetNextToolTipId(), 4u);

    bar.SetViewToolTip(2, "The third view");
    EXPECT_EQ(std::string(bar.GetTabItem(2)->szToolTipLabel), "The third view");
    char text[80] = "";
    TOOLINFOA info = {};
    info.cbSize = sizeof info;
    info.hwnd = bar.GetTabCtrl().m_hWnd;
    info.uId = 2;
    info.lpszText = text;
    pToolTip->SendMessage(TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::string(text), "The third view");
    bar.SetViewToolTip(RUNTIME_CLASS(LogFilesTestView), "Files");
    EXPECT_EQ(std::string(bar.GetTabItem(1)->szToolTipLabel), "Files");

    // After a tab goes the others are numbered again.
    bar.DeleteView(0);
    for (int i = 0; i < bar.GetTabCount(); i++)
        EXPECT_EQ(bar.GetTabItem(i)->uiToolTipId, static_cast<UINT>(i));
    EXPECT_EQ(bar.GetNextToolTipId(), 3u);
    bar.RemoveAllTabs();
    bar.ResetToolTips(bar.GetToolTip());
    EXPECT_EQ(bar.GetNextToolTipId(), 1u);

    // Switching them off and on reports the old setting.
    EXPECT_TRUE(bar.EnableToolTips(FALSE));
    EXPECT_FALSE(bar.EnableToolTips(TRUE));
}

TEST_F(TabBarTest, ImagesAndStylesOfTheTabs)
{
    CBNTabCtrlBar& bar = EdgeBar();
    EXPECT_EQ(bar.GetImageIndexFromRuntimeClass(RUNTIME_CLASS(DevicesTestView)), -1);
    bar.AssociateImageIndexWithRuntimeClass(4, RUNTIME_CLASS(DevicesTestView));
    bar.AssociateImageIndexWithRuntimeClass(7, "LogFilesTestView");
    EXPECT_EQ(bar.GetImageIndexFromRuntimeClass(RUNTIME_CLASS(DevicesTestView)), 4);
    EXPECT_EQ(bar.GetImageIndexFromRuntimeClass(RUNTIME_CLASS(LogFilesTestView)), 7);
    EXPECT_EQ(bar.GetImageIndexFromRuntimeClass(RUNTIME_CLASS(CTreeView)), -1);

    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 1));
    EXPECT_EQ(bar.SetTabImageList(&images), nullptr);
    EXPECT_EQ(bar.SetTabImageList(nullptr), &images);

    EXPECT_NE(bar.GetTabCtrl().GetStyle() & TCS_BOTTOM, 0u);
    EXPECT_TRUE(bar.ModifyTabStyle(TCS_BOTTOM, 0));
    EXPECT_EQ(bar.GetTabCtrl().GetStyle() & TCS_BOTTOM, 0u);

    // The tab under a point of the tab control.
    CRect rectTab;
    bar.GetTabCtrl().GetItemRect(1, &rectTab);
    EXPECT_EQ(bar.GetTabFromPoint(rectTab.CenterPoint()), 1);
    EXPECT_EQ(bar.GetLastHitTab(), 1);
    EXPECT_EQ(bar.GetTabFromPoint(CPoint(rectTab.right + 300, rectTab.top)), -1);
    EXPECT_EQ(bar.GetLastHitTab(), 1);
}

TEST_F(TabBarTest, ReturnGoesToTheActiveViewAndIsLeftAloneWithoutOne)
{
    CBNTabCtrlBar& bar = EdgeBar();
    auto* pDevices = static_cast<DevicesTestView*>(bar.GetView(0));
    MSG msg = {pDevices->m_hWnd, WM_KEYDOWN, VK_RETURN, 0x1C0001, 0, {0, 0}};
    EXPECT_TRUE(bar.PreTranslateMessage(&msg));
    EXPECT_EQ(pDevices->m_nReturns, 1);
    // Other keys take their own way.
    MSG other = {pDevices->m_hWnd, WM_KEYDOWN, VK_DOWN, 0x500001, 0, {0, 0}};
    EXPECT_FALSE(bar.PreTranslateMessage(&other));

    bar.DeleteView(0);
    ASSERT_EQ(bar.GetActiveView(), nullptr);
    auto* pLogFiles = static_cast<DevicesTestView*>(bar.GetView(0));
    msg.hwnd = pLogFiles->m_hWnd;
    EXPECT_FALSE(bar.PreTranslateMessage(&msg));
    EXPECT_EQ(pLogFiles->m_nReturns, 0);
}

} // namespace
