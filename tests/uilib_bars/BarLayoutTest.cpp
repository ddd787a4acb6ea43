// The arithmetic of the sizing bars apart from any window: the sizes a bar keeps for
// each way it sits and how it answers layout requests, its caption, button, child and
// splitter rectangles, the values it stores in the profile, a side's row and splitter,
// and the bookkeeping of tabs and status bar panes.
#include <gtest/gtest.h>

#include "framework/CControlBar.h"
#include "uilib/BarLayout.h"

#include <vector>

using namespace pyraxis::uilib;

namespace {

const DockSide kAllSides[] = {DockSide::Left, DockSide::Top, DockSide::Right, DockSide::Bottom};

std::string Text(const CRect& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

std::string Text(const CSize& size)
{
    return std::to_string(size.cx) + "x" + std::to_string(size.cy);
}

TEST(BarLayout, SidesFollowTheSizingDockBarIds)
{
    EXPECT_EQ(DockSideOfId(59424), DockSide::Left);
    EXPECT_EQ(DockSideOfId(59425), DockSide::Top);
    EXPECT_EQ(DockSideOfId(59426), DockSide::Right);
    EXPECT_EQ(DockSideOfId(59429), DockSide::Bottom);
    // The framework's own dock bars and the floating one are not sides of sizing bars.
    for (int nID : {0xE81B, 0xE81C, 0xE81D, 0xE81E, 0xE81F, 0})
        EXPECT_EQ(DockSideOfId(nID), DockSide::Floating) << nID;
}

TEST(BarLayout, MaximiseMinimiseAndNormaliseWorkAlongTheRow)
{
    // Along the row is the width on the top and bottom, the height on the left and right.
    BarSizes horz(CSize(200, 100));
    horz.Maximize(DockSide::Top, 640);
    EXPECT_EQ(Text(horz.desired), "640x100");
    EXPECT_EQ(Text(horz.normal), "200x100");
    EXPECT_TRUE(horz.maximized);
    horz.Normalize(DockSide::Bottom);
    EXPECT_EQ(Text(horz.desired), "200x100");
    EXPECT_FALSE(horz.maximized);
    horz.Minimize(DockSide::Top, 23);
    EXPECT_EQ(Text(horz.desired), "23x100");
    EXPECT_EQ(Text(horz.normal), "200x100");
    horz.Normalize(DockSide::Top);
    EXPECT_EQ(Text(horz.desired), "200x100");

    BarSizes vert(CSize(225, 300));
    vert.Maximize(DockSide::Left, 500);
    EXPECT_EQ(Text(vert.desired), "225x500");
    vert.Minimize(DockSide::Right, 6);
    // Minimising from the maximised state remembers the maximised length as normal.
    EXPECT_EQ(Text(vert.normal), "225x500");
    EXPECT_EQ(Text(vert.desired), "225x6");
    EXPECT_FALSE(vert.maximized);

    // A floating bar keeps its length.
    BarSizes floating(CSize(150, 80));
    floating.Maximize(DockSide::Floating, 999);
    floating.Minimize(DockSide::Floating, 23);
    EXPECT_EQ(Text(floating.desired), "150x80");
}

TEST(BarLayout, DynamicLayoutAnswersEachRequest)
{
    BarSizes sizes(CSize(200, 100));
    sizes.horz = CSize(300, 60);
    sizes.vert = CSize(120, 400);
    const CSize window(210, 90);

    // A length of 0 asks for the window's size, or for the size of the orientation the
    // bar is dragged into.
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Left, window, 0, LM_VERTDOCK)), "210x90");
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Left, window, 0, LM_HORZ | LM_HORZDOCK)), "300x60");
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Top, window, 0, LM_HORZ | LM_HORZDOCK)), "210x90");
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Top, window, 0, LM_HORZDOCK | LM_VERTDOCK)), "120x400");
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Floating, window, 0, LM_HORZ | LM_MRUWIDTH)), "210x90");
    // Any other length: the desired size, whatever the side.
    for (DockSide side : kAllSides)
        EXPECT_EQ(Text(sizes.DynamicLayout(side, window, -1, LM_HORZ | LM_HORZDOCK)), "200x100");

    // A floating bar takes the width or the height a resized frame asks for, 50 at least.
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Floating, window, 260, LM_HORZ)), "260x100");
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Floating, window, 20, LM_HORZ)), "50x100");
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Floating, window, 140, LM_HORZ | LM_LENGTHY)), "50x140");
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Floating, window, 3, LM_HORZ | LM_LENGTHY)), "50x50");
    EXPECT_EQ(Text(sizes.desired), "50x50");
    // Requests with more bits than that leave the size alone (a frame laid out or a
    // resize committed), and a docked bar never takes them.
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Floating, window, 400, LM_HORZ | LM_COMMIT)), "50x50");
    EXPECT_EQ(Text(sizes.DynamicLayout(DockSide::Top, window, 400, LM_HORZ)), "50x50");
    EXPECT_EQ(Text(sizes.desired), "50x50");
}

TEST(BarLayout, ASplitterBetweenBarsMovesByTheTravelAndStopsAtTheMinimum)
{
    BarSizes vert(CSize(225, 180));
    vert.ReleaseSplitter(DockSide::Left, 35, 23);
    EXPECT_EQ(Text(vert.desired), "225x215");
    EXPECT_EQ(Text(vert.vert), "225x215");
    EXPECT_EQ(Text(vert.normal), "225x215");
    vert.ReleaseSplitter(DockSide::Right, -500, 23);
    EXPECT_EQ(Text(vert.desired), "225x23");

    BarSizes horz(CSize(300, 120));
    horz.ReleaseSplitter(DockSide::Bottom, -50, 6);
    EXPECT_EQ(Text(horz.desired), "250x120");
    EXPECT_EQ(Text(horz.horz), "250x120");
    horz.ReleaseSplitter(DockSide::Top, -400, 6);
    EXPECT_EQ(Text(horz.desired), "6x120");
}

TEST(BarLayout, CaptionButtonsChildAndSplitterOfEachSide)
{
    const CRect client(0, 0, 219, 300);
    // Docked left or right: caption across the top, buttons at its right end.
    EXPECT_EQ(Text(ButtonRect(client, DockSide::Left)), "188,3,200,15");
    EXPECT_EQ(Text(GripperRect(client, DockSide::Left, true)), "4,6,185,9");
    EXPECT_EQ(Text(GripperRect(client, DockSide::Right, false)), "4,6,213,9");
    EXPECT_EQ(Text(ChildRect(client, DockSide::Left, 23, false, 5)), "5,18,214,292");
    EXPECT_EQ(Text(ChildRect(client, DockSide::Right, 23, true, 5)), "5,18,214,296");
    EXPECT_EQ(Text(SplitterStrip(client, DockSide::Left)), "0,294,219,299");

    // Docked top or bottom: caption down the left, buttons stacked at its top.
    const CRect wide(0, 0, 400, 94);
    EXPECT_EQ(Text(ButtonRect(wide, DockSide::Top)), "2,3,14,15");
    EXPECT_EQ(Text(GripperRect(wide, DockSide::Bottom, true)), "4,33,7,90");
    EXPECT_EQ(Text(GripperRect(wide, DockSide::Top, false)), "4,4,7,90");
    EXPECT_EQ(Text(ChildRect(wide, DockSide::Top, 6, false, 5)), "1,5,392,89");
    EXPECT_EQ(Text(ChildRect(wide, DockSide::Bottom, 23, true, 5)), "18,5,396,89");
    EXPECT_EQ(Text(SplitterStrip(wide, DockSide::Top)), "394,0,399,94");

    // Floating: a 3-pixel margin all round; too small a bar leaves no room at all.
    EXPECT_EQ(Text(ChildRect(client, DockSide::Floating, 23, false, 5)), "3,3,216,297");
    EXPECT_TRUE(ChildRect(CRect(0, 0, 8, 8), DockSide::Left, 23, false, 5).IsRectEmpty());
    EXPECT_TRUE(ChildRect(CRect(0, 0, 4, 4), DockSide::Floating, 23, false, 5).IsRectEmpty());
}

TEST(BarLayout, OnlyTheLastFourPixelsOfAnInnerEdgeAreTheSplitter)
{
    const CRect client(0, 0, 200, 150);
    EXPECT_TRUE(IsOnSplitter(client, DockSide::Left, false, CPoint(50, 146)));
    EXPECT_TRUE(IsOnSplitter(client, DockSide::Left, false, CPoint(50, 149)));
    EXPECT_FALSE(IsOnSplitter(client, DockSide::Left, false, CPoint(50, 145)));
    EXPECT_FALSE(IsOnSplitter(client, DockSide::Left, false, CPoint(50, 150)));
    EXPECT_FALSE(IsOnSplitter(client, DockSide::Left, false, CPoint(198, 20)));
    EXPECT_TRUE(IsOnSplitter(client, DockSide::Bottom, false, CPoint(196, 20)));
    EXPECT_FALSE(IsOnSplitter(client, DockSide::Bottom, false, CPoint(195, 20)));
    // The last bar of a row, and a floating bar, have none.
    EXPECT_FALSE(IsOnSplitter(client, DockSide::Top, true, CPoint(198, 20)));
    EXPECT_FALSE(IsOnSplitter(client, DockSide::Floating, false, CPoint(198, 148)));
}

TEST(BarLayout, StoredSizesKeepTheirMeaningAndRestoreTheSavedSize)
{
    // A horizontally docked bar 120 pixels high stores 126, a vertically docked one
    // 200 wide stores 204; the other extent is stored as it is.
    EXPECT_EQ(Text(SavedBarSize(CSize(400, 120), DockSide::Top)), "400x126");
    EXPECT_EQ(Text(SavedBarSize(CSize(400, 120), DockSide::Bottom)), "400x126");
    EXPECT_EQ(Text(SavedBarSize(CSize(200, 300), DockSide::Left)), "204x300");
    EXPECT_EQ(Text(SavedBarSize(CSize(200, 300), DockSide::Right)), "204x300");
    EXPECT_EQ(Text(SavedBarSize(CSize(180, 90), DockSide::Floating)), "184x90");

    // Restored, the size across a side is the side's thickness: the bar plus the
    // side's 6-pixel strip, so a bar docked again has the extent it was saved with.
    const int kStrip = 6;
    EXPECT_EQ(Text(RestoredBarSize(SavedBarSize(CSize(400, 120), DockSide::Top), false, true)),
              Text(CSize(400, 120 + kStrip)));
    EXPECT_EQ(Text(RestoredBarSize(SavedBarSize(CSize(200, 300), DockSide::Left), false, false)),
              Text(CSize(200 + kStrip, 300)));
    // A floating bar gets its own size back.
    EXPECT_EQ(Text(RestoredBarSize(SavedBarSize(CSize(180, 90), DockSide::Floating), true, true)), "180x90");
    // Repeating save and restore changes nothing: a side 206 pixels thick (its bar
    // 200 wide) stays so.
    CSize size(206, 300);
    for (int i = 0; i < 5; i++)
        size = RestoredBarSize(SavedBarSize(CSize(size.cx - kStrip, size.cy), DockSide::Right), false, false);
    EXPECT_EQ(Text(size), "206x300");
    // A stored size is held to the screen; without a screen size it is left as it is.
    EXPECT_EQ(Text(HeldToScreen(CSize(0x7FFFFFFF, -5), CSize(1024, 768))), "1024x0");
    EXPECT_EQ(Text(HeldToScreen(CSize(300, 200), CSize(1024, 768))), "300x200");
    EXPECT_EQ(Text(HeldToScreen(CSize(3000, 2000), CSize(0, 0))), "3000x2000");
}

TEST(BarLayout, ARowFillsItsSideAndFlagsItsLastAndOnlyBar)
{
    const CRect client(0, 0, 600, 94);
    std::vector<RowBar> row(3);
    row[0].desired = CSize(150, 100);
    row[0].rectOld = CRect(0, 0, 150, 94);
    row[1].desired = CSize(200, 100);
    row[1].rectOld = CRect(150, 0, 350, 94);
    row[2].desired = CSize(50, 100);
    LayoutRow(row, client, true);
    EXPECT_EQ(Text(row[0].rect), "0,0,150,94");
    EXPECT_EQ(Text(row[1].rect), "150,0,350,94");
    // The last bar reaches the end of the side whatever its length.
    EXPECT_EQ(Text(row[2].rect), "350,0,600,94");
    EXPECT_FALSE(row[0].bLastInRow);
    EXPECT_FALSE(row[0].bOnlyInRow);
    EXPECT_TRUE(row[2].bLastInRow);
    EXPECT_FALSE(row[2].bOnlyInRow);

    // A bar not last whose window reaches the end gives up a quarter of its length.
    row[1].rectOld = CRect(150, 0, 600, 94);
    LayoutRow(row, client, true);
    EXPECT_EQ(Text(row[1].rect), "150,0,300,94");

    std::vector<RowBar> single(1);
    single[0].desired = CSize(225, 40);
    single[0].rectOld = CRect(0, 0, 219, 500);
    LayoutRow(single, CRect(0, 0, 219, 500), false);
    EXPECT_EQ(Text(single[0].rect), "0,0,219,500");
    EXPECT_TRUE(single[0].bLastInRow);
    EXPECT_TRUE(single[0].bOnlyInRow);

    std::vector<RowBar> column(2);
    column[0].desired = CSize(225, 120);
    column[1].desired = CSize(225, 10);
    LayoutRow(column, CRect(0, 0, 219, 500), false);
    EXPECT_EQ(Text(column[0].rect), "0,0,219,120");
    EXPECT_EQ(Text(column[1].rect), "0,120,219,500");
}

TEST(BarLayout, AMaximisedBarTakesWhatItsNeighboursMinimaLeave)
{
    EXPECT_EQ(MaximizedExtent(500, {23, 23}), 454);
    EXPECT_EQ(MaximizedExtent(500, {6}), 494);
    EXPECT_EQ(MaximizedExtent(500, {}), 500);
}

TEST(BarLayout, ASidesSplitterKeepsClientRoomAndAMinimumThickness)
{
    // The free client area from x 231 to 800 and y 0 to 550; the left side is 231
    // pixels thick.
    const CRect avail(231, 0, 800, 550);
    EXPECT_EQ(ClampSideSplitter(DockSide::Left, CPoint(900, 10), avail, 231).x, 800);
    EXPECT_EQ(ClampSideSplitter(DockSide::Left, CPoint(-40, 10), avail, 231).x, -40);
    EXPECT_EQ(ClampSideSplitter(DockSide::Top, CPoint(10, 700), avail, 100).y, 550);
    EXPECT_EQ(ClampSideSplitter(DockSide::Right, CPoint(100, 10), avail, 120).x, 231);
    EXPECT_EQ(ClampSideSplitter(DockSide::Right, CPoint(990, 10), avail, 120).x, 916);
    EXPECT_EQ(ClampSideSplitter(DockSide::Bottom, CPoint(10, 999), avail, 90).y, 636);

    const CSize window(231, 550);
    // Dragged far towards the client area: 25 pixels of it remain.
    EXPECT_EQ(SideThicknessAfterDrag(DockSide::Left, 900, avail, window, 25), 231 + 569 - 25);
    EXPECT_EQ(SideThicknessAfterDrag(DockSide::Left, 40, avail, window, 25), 271);
    // Dragged far the other way: the splitter's 4 pixels remain.
    EXPECT_EQ(SideThicknessAfterDrag(DockSide::Left, -400, avail, window, 25), 4);
    EXPECT_EQ(SideThicknessAfterDrag(DockSide::Bottom, 30, avail, CSize(800, 90), 25), 120);
    EXPECT_EQ(SideThicknessAfterDrag(DockSide::Top, 900, avail, CSize(800, 90), 25), 90 + 550 - 25);
}

TEST(BarLayout, DeletingATabMovesTheActiveIndexOnlyWhenATabBelowItGoes)
{
    EXPECT_EQ(ActiveTabAfterDelete(2, 0), 1);
    EXPECT_EQ(ActiveTabAfterDelete(2, 1), 1);
    EXPECT_EQ(ActiveTabAfterDelete(2, 2), -1);
    EXPECT_EQ(ActiveTabAfterDelete(0, 1), 0);
    EXPECT_EQ(ActiveTabAfterDelete(1, 3), 1);
    EXPECT_EQ(ActiveTabAfterDelete(-1, 0), -1);
}

TEST(BarLayout, NewIndicatorsGoAtTheFrontForNegativeIndexesAndAtTheEndPastIt)
{
    EXPECT_EQ(IndicatorInsertIndex(-3, 4), 0);
    EXPECT_EQ(IndicatorInsertIndex(0, 4), 0);
    EXPECT_EQ(IndicatorInsertIndex(2, 4), 2);
    EXPECT_EQ(IndicatorInsertIndex(4, 4), 4);
    EXPECT_EQ(IndicatorInsertIndex(9, 4), 4);
    EXPECT_EQ(IndicatorInsertIndex(5, 0), 0);
}

} // namespace
