// The toolbar's arithmetic without a window: reading toolbar resources, the inside
// rectangle its borders and gripper leave, the gripper's drawing, the height split
// into borders, and the wrapping and sizing of button rows for docked and floating
// layouts (with fixed button sizes standing in for the control's).
#include <gtest/gtest.h>

#include "framework/CToolBarResource.h"
#include "tests/support/DibCanvas.h"
#include "tests/uilib_menus/MenuTestResources.h"
#include "uilib/CBNToolBar.h"

#include <vector>

namespace {

const int kButtonWidth = 23;
const int kButtonHeight = 22;
const int kSeparator = 6;
const int kRowGap = 6;

// Buttons 23 x 22; separators as wide as their width field and, wrapped, a 6-pixel gap
// between rows; a wrapped drop-down button 0 wide, as the control reports them.
class FixedSizeToolBar : public CBNToolBar
{
public:
    CSize GetButtonSize(TBBUTTON* pData, int iButton) override
    {
        const TBBUTTON& button = pData[iButton];
        const bool wrapped = (button.fsState & TBSTATE_WRAP) != 0;
        if (button.fsStyle & TBSTYLE_SEP)
            return wrapped ? CSize(0, kRowGap) : CSize(button.iBitmap, kButtonHeight);
        if (wrapped && (button.fsStyle & TBSTYLE_DROPDOWN) && !m_bDropDownKeepWidth)
            return CSize(0, kButtonHeight);
        return CSize(kButtonWidth, kButtonHeight);
    }
    void KeepDropDownWidth() { m_bDropDownKeepWidth = 1; }
};

TBBUTTON Button(int id, BYTE style = TBSTYLE_BUTTON)
{
    TBBUTTON button = {};
    button.idCommand = id;
    button.fsStyle = style;
    button.fsState = TBSTATE_ENABLED;
    button.iBitmap = (style & TBSTYLE_SEP) ? kSeparator : 0;
    return button;
}

TBBUTTON Separator()
{
    return Button(0, TBSTYLE_SEP);
}

// A separator that stands for a control 60 pixels wide.
TBBUTTON Placeholder(int id)
{
    TBBUTTON button = Button(id, TBSTYLE_SEP);
    button.iBitmap = 60;
    return button;
}

std::vector<int> WrappedAt(const std::vector<TBBUTTON>& buttons)
{
    std::vector<int> wrapped;
    for (size_t i = 0; i < buttons.size(); i++)
        if (buttons[i].fsState & TBSTATE_WRAP)
            wrapped.push_back(static_cast<int>(i));
    return wrapped;
}

} // namespace

TEST(ToolBarResource, ReadsSizesAndCommandsAndRefusesDamagedResources)
{
    CToolBarResource resource;
    ASSERT_TRUE(resource.Load(MAKEINTRESOURCE(IDR_TEST_TOOLBAR)));
    EXPECT_EQ(resource.GetImageWidth(), 16);
    EXPECT_EQ(resource.GetImageHeight(), 15);
    ASSERT_EQ(resource.GetItemCount(), 5);
    const UINT expected[] = {ID_TEST_OPEN, ID_TEST_SAVE, 0, ID_TEST_COPY, ID_TEST_PRINT};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(resource.GetItems()[i], expected[i]) << i;
    // Images count only buttons, not separators.
    EXPECT_EQ(resource.ImageIndexOf(ID_TEST_OPEN), 0);
    EXPECT_EQ(resource.ImageIndexOf(ID_TEST_COPY), 2);
    EXPECT_EQ(resource.ImageIndexOf(ID_TEST_PRINT), 3);
    EXPECT_EQ(resource.ImageIndexOf(ID_TEST_EXIT), -1);
    EXPECT_EQ(resource.ImageIndexOf(0), -1);

    ASSERT_TRUE(resource.Load(MAKEINTRESOURCE(IDR_EMPTY_TOOLBAR)));
    EXPECT_EQ(resource.GetItemCount(), 0);
    EXPECT_EQ(resource.GetItems(), nullptr);
    EXPECT_FALSE(resource.Load(MAKEINTRESOURCE(999)));
    EXPECT_EQ(resource.GetImageWidth(), 0);

    const WORD good[] = {1, 16, 15, 2, 7, 8};
    EXPECT_TRUE(resource.Parse(good, sizeof(good)));
    EXPECT_EQ(resource.GetItemCount(), 2);
    EXPECT_FALSE(resource.Parse(good, sizeof(good) - 1));       // the last id is cut
    EXPECT_EQ(resource.GetItemCount(), 0);
    const WORD otherVersion[] = {2, 16, 15, 0};
    EXPECT_FALSE(resource.Parse(otherVersion, sizeof(otherVersion)));
    EXPECT_FALSE(resource.Parse(good, 6));                       // no count
    EXPECT_FALSE(resource.Parse(nullptr, 0));
}

TEST(ToolBarInsideRect, BordersAndGripperSpaceFollowTheStyleAndTheOrientation)
{
    CBNToolBar bar;
    const int cx = ::GetSystemMetrics(SM_CXBORDER);
    const int cy = ::GetSystemMetrics(SM_CYBORDER);
    bar.SetBorders(4, 3, 2, 1);

    // Plain borders: the widths follow the bar's length.
    bar.m_dwStyle = CBRS_ALIGN_TOP;
    CRect rect(0, 0, 0, 0);
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect, CRect(4, 3, -2, -1));
    rect.SetRectEmpty();
    bar.CalcInsideRect(rect, FALSE);
    EXPECT_EQ(rect, CRect(3, 4, -1, -2));

    // Border lines take one metric each.
    bar.m_dwStyle = CBRS_ALIGN_TOP | CBRS_BORDER_ANY;
    rect.SetRectEmpty();
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect, CRect(4 + cx, 3 + cy, -2 - cx, -1 - cy));

    // A gripper: 2 more at the leading edge for a plain bar, 7 in a rebar, 10 raised.
    bar.m_dwStyle = CBRS_ALIGN_TOP | CBRS_GRIPPER;
    rect.SetRectEmpty();
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect.left, 4 + 2);
    rect.SetRectEmpty();
    bar.CalcInsideRect(rect, FALSE);
    EXPECT_EQ(rect.top, 4 + 2);
    EXPECT_EQ(rect.left, 3);
    bar.m_bInReBar = TRUE;
    rect.SetRectEmpty();
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect.left, 4 + 7);
    bar.m_bInReBar = FALSE;
    bar.m_bGripper = TRUE;
    rect.SetRectEmpty();
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect.left, 4 + 10);

    // Floating, or without the gripper style: no gripper space.
    bar.m_dwStyle = CBRS_ALIGN_TOP | CBRS_GRIPPER | CBRS_FLOATING;
    rect.SetRectEmpty();
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect.left, 4);
    bar.m_dwStyle = CBRS_ALIGN_TOP;
    rect.SetRectEmpty();
    bar.CalcInsideRect(rect, TRUE);
    EXPECT_EQ(rect.left, 4);
}

TEST(ToolBarGripper, DrawsRaisedPlainOrNoBarsAtTheirOffsets)
{
    CBNToolBar bar;
    DibCanvas canvas(40, 30);
    ASSERT_TRUE(canvas.IsValid());
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF paper = RGB(1, 2, 3);
    const CRect all(0, 0, 40, 30);
    auto drawn = [&](DWORD style) {
        bar.m_dwStyle = style;
        canvas.Clear(paper);
        bar.DrawGripper(&canvas.DC(), all);
        return 40 * 30 - canvas.CountPixels(all, paper);
    };

    // Plain: bars at 1 and 5, from y = 2 for the bar's height less 4.
    EXPECT_GT(drawn(CBRS_ALIGN_TOP | CBRS_GRIPPER), 0);
    EXPECT_EQ(canvas.Pixel(1, 2), highlight);
    EXPECT_EQ(canvas.Pixel(3, 2 + 25), shadow);
    EXPECT_EQ(canvas.Pixel(5, 10), highlight);
    EXPECT_EQ(canvas.Pixel(7, 10), shadow);
    EXPECT_EQ(canvas.Pixel(4, 10), paper);
    EXPECT_EQ(canvas.Pixel(1, 1), paper);
    EXPECT_EQ(canvas.Pixel(1, 2 + 26), paper);
    // Vertical bar: the bars lie across at the same offsets from the top.
    EXPECT_GT(drawn(CBRS_ALIGN_LEFT | CBRS_GRIPPER), 0);
    EXPECT_EQ(canvas.Pixel(10, 1), highlight);
    EXPECT_EQ(canvas.Pixel(10, 5), highlight);
    EXPECT_EQ(canvas.Pixel(1, 1), paper);

    // Raised: bars at 3 and 6, each with a light pixel 3 before its end.
    bar.m_bGripper = TRUE;
    EXPECT_GT(drawn(CBRS_ALIGN_TOP | CBRS_GRIPPER), 0);
    EXPECT_EQ(canvas.Pixel(3, 10), highlight);
    EXPECT_EQ(canvas.Pixel(6, 10), highlight);
    EXPECT_EQ(canvas.Pixel(5, 2 + 26 - 3), highlight);   // on the dark edge
    EXPECT_EQ(canvas.Pixel(5, 2 + 26 - 6), shadow);
    EXPECT_EQ(canvas.Pixel(2, 10), paper);

    // None without the style, or while floating.
    EXPECT_EQ(drawn(CBRS_ALIGN_TOP), 0);
    EXPECT_EQ(drawn(CBRS_ALIGN_TOP | CBRS_GRIPPER | CBRS_FLOATING), 0);
}

TEST(ToolBarHeight, SplitsTheRestIntoBordersAndGivesANegativeRemainderToTheBottom)
{
    CBNToolBar bar;   // buttons 22 high, no window yet
    const int cy = ::GetSystemMetrics(SM_CYBORDER);
    bar.m_dwStyle = CBRS_ALIGN_TOP;
    bar.SetHeight(31);   // 9 to share: bottom 4, top 5
    EXPECT_EQ(bar.m_cyBottomBorder, 4);
    EXPECT_EQ(bar.m_cyTopBorder, 5);
    bar.m_dwStyle = CBRS_ALIGN_TOP | CBRS_BORDER_TOP | CBRS_BORDER_BOTTOM;
    bar.SetHeight(30);   // 8 - 2 border lines
    EXPECT_EQ(bar.m_cyBottomBorder, (8 - 2 * cy) / 2);
    EXPECT_EQ(bar.m_cyTopBorder, 8 - 2 * cy - (8 - 2 * cy) / 2);
    // Lower than a button: top 0, the bottom takes the whole shortfall.
    bar.m_dwStyle = CBRS_ALIGN_TOP;
    bar.SetHeight(17);
    EXPECT_EQ(bar.m_cyTopBorder, 0);
    EXPECT_EQ(bar.m_cyBottomBorder, -5);
    bar.SetHeight(21);
    EXPECT_EQ(bar.m_cyTopBorder, 0);
    EXPECT_EQ(bar.m_cyBottomBorder, -1);
}

TEST(ToolBarWrapping, WrapsOnSeparatorsThenButtonsButNeverOnAControlsPlace)
{
    FixedSizeToolBar bar;
    // 23 23 | 6 | 23 23: at width 60 the third button overflows; the separator wraps.
    std::vector<TBBUTTON> buttons = {Button(1), Button(2), Separator(), Button(3), Button(4)};
    EXPECT_EQ(bar.WrapToolBar(buttons.data(), 5, 60), 2);
    EXPECT_EQ(WrappedAt(buttons), std::vector<int>({2}));
    // Rows: 46 wide; the second starts below the first plus the separator's gap.
    EXPECT_EQ(bar.CalcSize(buttons.data(), 5), CSize(46, kButtonHeight + kRowGap + kButtonHeight));
    // Wide enough: one row and the flags from before are cleared.
    EXPECT_EQ(bar.WrapToolBar(buttons.data(), 5, 1000), 1);
    EXPECT_TRUE(WrappedAt(buttons).empty());
    EXPECT_EQ(bar.CalcSize(buttons.data(), 5), CSize(4 * kButtonWidth + kSeparator, kButtonHeight));

    // No separator: the button before the one that overflows wraps.
    std::vector<TBBUTTON> plain = {Button(1), Button(2), Button(3), Button(4), Button(5)};
    EXPECT_EQ(bar.WrapToolBar(plain.data(), 5, 50), 3);
    EXPECT_EQ(WrappedAt(plain), std::vector<int>({1, 3}));
    EXPECT_EQ(bar.CalcSize(plain.data(), 5), CSize(46, 3 * kButtonHeight));
    // Width 0: every button is a row of its own.
    EXPECT_EQ(bar.WrapToolBar(plain.data(), 5, 0), 5);
    EXPECT_EQ(WrappedAt(plain), std::vector<int>({0, 1, 2, 3}));

    // A control's place is never where a row breaks; the button before it is.
    std::vector<TBBUTTON> control = {Button(1), Button(2), Placeholder(77), Button(3)};
    EXPECT_EQ(bar.WrapToolBar(control.data(), 4, 100), 2);
    EXPECT_EQ(WrappedAt(control), std::vector<int>({1}));
    // Narrower still: the button after the place would have to break there, so it stays.
    EXPECT_EQ(bar.WrapToolBar(control.data(), 4, 50), 2);
    EXPECT_EQ(WrappedAt(control), std::vector<int>({1}));

    // Hidden buttons take no room and never wrap.
    std::vector<TBBUTTON> hidden = {Button(1), Button(2), Button(3)};
    hidden[1].fsState |= TBSTATE_HIDDEN;
    EXPECT_EQ(bar.WrapToolBar(hidden.data(), 3, 46), 1);
    EXPECT_EQ(bar.CalcSize(hidden.data(), 3), CSize(46, kButtonHeight));

    // A wrapped drop-down button takes no width unless told to keep it.
    std::vector<TBBUTTON> dropDown = {Button(1), Button(2, TBSTYLE_DROPDOWN), Button(3)};
    EXPECT_EQ(bar.WrapToolBar(dropDown.data(), 3, 50), 2);
    EXPECT_EQ(WrappedAt(dropDown), std::vector<int>({1}));
    EXPECT_EQ(bar.CalcSize(dropDown.data(), 3), CSize(23, 2 * kButtonHeight));
    bar.KeepDropDownWidth();
    EXPECT_EQ(bar.CalcSize(dropDown.data(), 3), CSize(46, 2 * kButtonHeight));
}

TEST(ToolBarSizing, FindsTheNarrowestWidthForTheRowsAndTheWidthForAHeight)
{
    FixedSizeToolBar bar;
    std::vector<TBBUTTON> buttons;
    for (int i = 1; i <= 6; i++)
        buttons.push_back(Button(i));

    // By width: 100 gives 2 rows (4 + 2 buttons); the narrowest with 2 rows is 3 + 3.
    bar.SizeToolBar(buttons.data(), 6, 100);
    EXPECT_EQ(WrappedAt(buttons), std::vector<int>({2}));
    EXPECT_EQ(bar.CalcSize(buttons.data(), 6), CSize(3 * kButtonWidth, 2 * kButtonHeight));
    // Wide: one row; zero: a column.
    bar.SizeToolBar(buttons.data(), 6, 32767);
    EXPECT_TRUE(WrappedAt(buttons).empty());
    bar.SizeToolBar(buttons.data(), 6, 0);
    EXPECT_EQ(bar.CalcSize(buttons.data(), 6), CSize(kButtonWidth, 6 * kButtonHeight));

    // By height: 44 pixels hold two rows.
    bar.SizeToolBar(buttons.data(), 6, 2 * kButtonHeight, TRUE);
    EXPECT_EQ(bar.CalcSize(buttons.data(), 6).cy, 2 * kButtonHeight);
    EXPECT_EQ(bar.CalcSize(buttons.data(), 6).cx, 3 * kButtonWidth);
    // 70 pixels: no three-row layout is exactly that high; the result is no taller.
    bar.SizeToolBar(buttons.data(), 6, 70, TRUE);
    EXPECT_LE(bar.CalcSize(buttons.data(), 6).cy, 70);
    // Taller than a column: the narrowest layout.
    bar.SizeToolBar(buttons.data(), 6, 1000, TRUE);
    EXPECT_EQ(bar.CalcSize(buttons.data(), 6).cx, kButtonWidth);
}
