// The sizing bar's state in the profile beside the frame's bar state: what it writes for
// each way it sits (a bar 120 high docked top writes 126, one 200 wide docked left
// writes 204), that nothing is written without the frame's section of the bar, and that
// a frame built again from the profile gives the bar the side and the size it was saved
// with, however often that is repeated.
#include "tests/uilib_bars_ui/BarsFixture.h"

#include "tests/support/PendingMessages.h"

#include <string>

namespace {

class BarStateTest : public BarsFixture
{
protected:
    // Saves the frame's state, builds the frame again from it and loads it back.
    void SaveAndRebuild()
    {
        frame->SaveBarState(BarsTestFrame::kBarStateProfile);
        DestroyFrame();
        ASSERT_NE(CreateFrame(), nullptr);
        frame->LoadBarState(BarsTestFrame::kBarStateProfile);
        testing_support::DispatchPendingMessages();
    }

    // Gives the side the thickness of a bar of this extent across it.
    void SetSideFor(UINT nID, int nExtent)
    {
        Side(nID)->SetActualSize(nExtent + CBNSizeDockBar::kNonClientAcross);
        frame->RecalcLayout();
    }

    std::string Sub() { return EdgeBarSection() + "\\Brannock"; }
};

TEST_F(BarStateTest, WithoutTheFramesSectionNothingIsWrittenAndTheBarKeepsItsSize)
{
    ASSERT_NE(CreateFrame(), nullptr);
    EXPECT_EQ(EdgeBarSection(), "");
    EXPECT_EQ(ProfileInt("Bar State-Bar0\\Brannock", "MRUDesiredCX"), -1);
    EXPECT_EQ(WindowSize(&EdgeBar()).cx, 225 - CBNSizeDockBar::kNonClientAcross);
    EXPECT_FALSE(EdgeBar().IsFloatingAtStart());
}

TEST_F(BarStateTest, TheBarWritesItsSizeForEachWayItSits)
{
    ASSERT_NE(CreateFrame(), nullptr);
    frame->SaveBarState(BarsTestFrame::kBarStateProfile);
    ASSERT_NE(EdgeBarSection(), "");
    // The frame's save keeps the bar's own values.
    EXPECT_EQ(ProfileInt(Sub(), "MRUDesiredCX"), 219 + 4);
    EXPECT_EQ(ProfileInt(Sub(), "MRUFloating"), 0);

    // Docked left 200 pixels wide: 204.
    SetSideFor(kLeftID, 200);
    ASSERT_EQ(WindowSize(&EdgeBar()).cx, 200);
    EXPECT_EQ(ProfileInt(Sub(), "MRUDesiredCX"), 204);
    EXPECT_EQ(ProfileInt(Sub(), "MRUDesiredCY"), WindowSize(&EdgeBar()).cy);

    // Docked top 120 pixels high: 126.
    frame->DockSizeBar(&EdgeBar(), Side(kTopID));
    SetSideFor(kTopID, 120);
    ASSERT_TRUE(EdgeBar().IsTopDocked());
    ASSERT_EQ(WindowSize(&EdgeBar()).cy, 120);
    EXPECT_EQ(ProfileInt(Sub(), "MRUDesiredCY"), 126);
    EXPECT_EQ(ProfileInt(Sub(), "MRUDesiredCX"), WindowSize(&EdgeBar()).cx);

    // Floating: the width plus 4, and the flag.
    frame->FloatControlBar(&EdgeBar(), CPoint(300, 300), CBRS_ALIGN_TOP);
    ASSERT_TRUE(EdgeBar().IsFloating());
    EXPECT_EQ(ProfileInt(Sub(), "MRUFloating"), 1);
    EXPECT_EQ(ProfileInt(Sub(), "MRUDesiredCX"), WindowSize(&EdgeBar()).cx + 4);
}

TEST_F(BarStateTest, ARestoredBarHasTheSizeItWasSavedWithOnEverySide)
{
    ASSERT_NE(CreateFrame(), nullptr);
    SetSideFor(kLeftID, 200);
    for (int round = 0; round < 3; round++)
    {
        SaveAndRebuild();
        ASSERT_TRUE(EdgeBar().IsLeftDocked()) << round;
        EXPECT_EQ(WindowSize(&EdgeBar()).cx, 200) << round;
    }

    frame->DockSizeBar(&EdgeBar(), Side(kTopID));
    SetSideFor(kTopID, 120);
    for (int round = 0; round < 3; round++)
    {
        SaveAndRebuild();
        // The bar comes back on the side it was saved on, though it is made on the left.
        ASSERT_TRUE(EdgeBar().IsTopDocked()) << round;
        EXPECT_EQ(WindowSize(&EdgeBar()).cy, 120) << round;
        EXPECT_EQ(WindowSize(Side(kLeftID)).cx, 0) << round;
    }

    frame->DockSizeBar(&EdgeBar(), Side(kRightID));
    SetSideFor(kRightID, 180);
    SaveAndRebuild();
    ASSERT_TRUE(EdgeBar().IsRightDocked());
    EXPECT_EQ(WindowSize(&EdgeBar()).cx, 180);
}

TEST_F(BarStateTest, AFloatingBarComesBackFloatingWithItsSize)
{
    ASSERT_NE(CreateFrame(), nullptr);
    frame->FloatControlBar(&EdgeBar(), CPoint(300, 260), CBRS_ALIGN_TOP);
    ASSERT_TRUE(EdgeBar().IsFloating());
    const CSize sizeFloating = WindowSize(&EdgeBar());
    SaveAndRebuild();
    EXPECT_TRUE(EdgeBar().IsFloatingAtStart());
    ASSERT_TRUE(EdgeBar().IsFloating());
    EXPECT_EQ(WindowSize(&EdgeBar()), sizeFloating);
    // Its views had their first update although the frame's did not reach them.
    auto* pDevices = static_cast<DevicesTestView*>(EdgeBar().GetView(0));
    EXPECT_GE(pDevices->m_nInitialUpdates, 1);
}

TEST_F(BarStateTest, AStoredSizeBeyondTheScreenIsHeldToTheScreen)
{
    ASSERT_NE(CreateFrame(), nullptr);
    frame->SaveBarState(BarsTestFrame::kBarStateProfile);
    ASSERT_NE(EdgeBarSection(), "");
    const CSize screen(::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    ASSERT_GT(screen.cx, 0);
    // The largest width docked; the smallest int floating (from which the floating frame's
    // part was taken, and which wrapped round to a huge width); heights the same.
    const struct
    {
        int cx;
        int cy;
        int floating;
    } stored[] = {{0x7FFFFFFF, 0x7FFFFFFF, 0}, {static_cast<int>(0x80000000), static_cast<int>(0x80000000), 1},
                  {0x7FFFFFFF, 300, 1}};
    for (const auto& values : stored)
    {
        SCOPED_TRACE(std::to_string(values.cx) + " " + std::to_string(values.floating));
        const std::string sub = Sub();
        DestroyFrame();
        ASSERT_TRUE(app.WriteProfileInt(sub.c_str(), "MRUDesiredCX", values.cx));
        ASSERT_TRUE(app.WriteProfileInt(sub.c_str(), "MRUDesiredCY", values.cy));
        ASSERT_TRUE(app.WriteProfileInt(sub.c_str(), "MRUFloating", values.floating));
        ASSERT_NE(CreateFrame(), nullptr);
        const CSize desired = EdgeBar().GetSizes().desired;
        EXPECT_GE(desired.cx, 0);
        EXPECT_LE(desired.cx, screen.cx);
        EXPECT_GE(desired.cy, 0);
        EXPECT_LE(desired.cy, screen.cy);
        EXPECT_EQ(values.floating != 0, EdgeBar().IsFloatingAtStart() != FALSE);
    }
}

} // namespace
