// How the sizing bars and their buttons draw, on memory canvases: the flat button's
// frames in its flat, pressed and 3-D looks, alternate colours, its icon (greyed when
// disabled, except on the caption buttons, which have their own disabled image) and
// text; a bar's splitter strip, which the last bar of a side does not have, its gripper
// and its gradient caption. One visible case tracks the cursor over a flat button.
#include "tests/uilib_bars_ui/BarsFixture.h"

#include "res/pyraxis_bars_resource.h"
#include "tests/support/DibCanvas.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"
#include "uilib/CBNCBarButton.h"

#include <algorithm>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

int Brightness(COLORREF color)
{
    return GetRValue(color) + GetGValue(color) + GetBValue(color);
}

// A hidden parent with owner-drawn buttons on it.
class ButtonDrawingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "Buttons", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                    nullptr, nullptr));
        ASSERT_TRUE(flat.Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 30, 30), &parent, 1));
        ASSERT_TRUE(caption.Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(40, 10, 60, 30), &parent, 2));
        images.Create(IDB_BN_BAR_BUTTONS, 10, 1, kWhite);
        icon = images.ExtractIcon(0);
    }
    void TearDown() override
    {
        parent.DestroyWindow();
        ::DestroyIcon(icon);
        testing_support::DispatchPendingMessages();
    }

    // Draws the button into the canvas as the parent's WM_DRAWITEM would.
    static void Draw(CBNFlatButton& button, DibCanvas& canvas, UINT nState)
    {
        canvas.Clear(kWhite);
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_BUTTON;
        dis.itemState = nState;
        dis.hwndItem = button.m_hWnd;
        dis.hDC = canvas.DC().m_hDC;
        dis.rcItem = CRect(0, 0, canvas.Width(), canvas.Height());
        button.DrawItem(&dis);
    }

    CWnd parent;
    CBNFlatButton flat;
    CBNCBarButton caption;
    CImageList images;
    HICON icon = nullptr;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF darkShadow = ::GetSysColor(COLOR_3DDKSHADOW);
};

TEST_F(ButtonDrawingTest, FlatAndThreeDLooksFrameTheButtonForEachState)
{
    DibCanvas canvas(20, 20);
    ASSERT_TRUE(canvas.IsValid());
    // Flat: no frame until pressed, then a sunken one.
    Draw(flat, canvas, 0);
    EXPECT_EQ(canvas.Pixel(0, 0), face);
    EXPECT_EQ(canvas.Pixel(19, 19), face);
    EXPECT_EQ(canvas.Pixel(10, 10), face);
    Draw(flat, canvas, ODS_SELECTED);
    EXPECT_EQ(canvas.Pixel(0, 0), shadow);
    EXPECT_EQ(canvas.Pixel(19, 19), highlight);

    // 3-D: two frames, raised, or sunken while pressed.
    flat.DisableFlatLook(FALSE);
    EXPECT_FALSE(flat.IsFlatLook());
    Draw(flat, canvas, 0);
    EXPECT_EQ(canvas.Pixel(0, 0), highlight);
    EXPECT_EQ(canvas.Pixel(19, 19), darkShadow);
    EXPECT_EQ(canvas.Pixel(1, 1), face);
    EXPECT_EQ(canvas.Pixel(18, 18), shadow);
    Draw(flat, canvas, ODS_SELECTED);
    EXPECT_EQ(canvas.Pixel(0, 0), darkShadow);
    EXPECT_EQ(canvas.Pixel(19, 19), highlight);
    EXPECT_EQ(canvas.Pixel(1, 1), shadow);
    EXPECT_EQ(canvas.Pixel(18, 18), face);

    // Alternate colours replace the system's, and survive a system colour change.
    flat.SetAlternateColors(RGB(10, 20, 30), RGB(200, 0, 0), RGB(0, 0, 200), RGB(0, 200, 0));
    flat.SendMessage(WM_SYSCOLORCHANGE);
    Draw(flat, canvas, 0);
    EXPECT_EQ(canvas.Pixel(10, 10), RGB(10, 20, 30));
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(200, 0, 0));
    EXPECT_EQ(canvas.Pixel(18, 18), RGB(0, 0, 200));
}

TEST_F(ButtonDrawingTest, IconsAreKeptByTheButtonAndGreyedOnlyOnPlainButtons)
{
    flat.SetIcon(icon, CSize(10, 10));
    caption.SetIcon(icon, CSize(10, 10));
    // The button keeps its icon itself: the system does not for owner-drawn buttons.
    EXPECT_EQ(flat.GetIcon(), icon);
    EXPECT_EQ(flat.GetIconSize(), CSize(10, 10));

    DibCanvas enabled(20, 20);
    DibCanvas disabled(20, 20);
    const CRect iconArea(5, 5, 15, 15);
    Draw(flat, enabled, 0);
    const int nDrawn = iconArea.Width() * iconArea.Height() - enabled.CountPixels(iconArea, face);
    EXPECT_GT(nDrawn, 10);
    // Outside the centred icon the face is untouched.
    EXPECT_EQ(enabled.CountPixels(CRect(1, 1, 19, 5), face), 18 * 4);

    Draw(flat, disabled, ODS_DISABLED);
    int nDifferent = 0;
    for (int y = iconArea.top; y < iconArea.bottom; y++)
        for (int x = iconArea.left; x < iconArea.right; x++)
            nDifferent += enabled.Pixel(x, y) != disabled.Pixel(x, y);
    EXPECT_GT(nDifferent, 5);

    // A caption button draws the icon it has, disabled or not.
    DibCanvas captionEnabled(20, 20);
    DibCanvas captionDisabled(20, 20);
    Draw(caption, captionEnabled, 0);
    Draw(caption, captionDisabled, ODS_DISABLED);
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 20; x++)
            ASSERT_EQ(captionEnabled.Pixel(x, y), captionDisabled.Pixel(x, y)) << x << "," << y;

    // Pressed, the icon moves a pixel right and down.
    DibCanvas pressed(20, 20);
    Draw(caption, pressed, ODS_SELECTED);
    for (int y = 2; y < 17; y++)
        for (int x = 2; x < 17; x++)
            ASSERT_EQ(pressed.Pixel(x + 1, y + 1), captionEnabled.Pixel(x, y)) << x << "," << y;
}

TEST_F(ButtonDrawingTest, TextIsDrawnInTheTextColourOrGreyWhenDisabled)
{
    flat.SetWindowText("Go");
    flat.SetAlternateColors(RGB(200, 200, 200), RGB(255, 255, 255), RGB(90, 90, 90), RGB(0, 0, 255));
    DibCanvas canvas(40, 20);
    Draw(flat, canvas, 0);
    const CRect all(0, 0, 40, 20);
    EXPECT_GT(canvas.CountPixels(all, RGB(0, 0, 255)), 5);
    Draw(flat, canvas, ODS_DISABLED);
    EXPECT_EQ(canvas.CountPixels(all, RGB(0, 0, 255)), 0);
    EXPECT_GT(canvas.CountPixels(all, ::GetSysColor(COLOR_GRAYTEXT)), 5);
}

class BarDrawingTest : public BarsFixture
{
protected:
    void SetUp() override
    {
        BarsFixture::SetUp();
        ASSERT_NE(CreateFrame(), nullptr);
    }
};

TEST_F(BarDrawingTest, OnlyABarFollowedByAnotherDrawsItsSplitterStrip)
{
    CBNTabCtrlBar& bar = EdgeBar();
    CRect client;
    bar.GetClientRect(&client);
    DibCanvas canvas(client.Width(), client.Height());
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);

    // Alone on its side the bar is last: no strip along its bottom.
    ASSERT_TRUE(bar.m_bLastInRow);
    canvas.Clear(kWhite);
    CRect rect = client;
    bar.DrawBorders(&canvas.DC(), rect);
    EXPECT_EQ(canvas.CountPixels(CRect(0, client.bottom - 6, client.right, client.bottom), kWhite), client.Width() * 6);

    // Followed by another bar it has a raised strip 6 pixels from its bottom.
    bar.m_bLastInRow = FALSE;
    canvas.Clear(kWhite);
    rect = client;
    bar.DrawBorders(&canvas.DC(), rect);
    EXPECT_EQ(canvas.Pixel(client.Width() / 2, client.bottom - 6), highlight);
    EXPECT_EQ(canvas.Pixel(client.Width() / 2, client.bottom - 2), shadow);
    EXPECT_EQ(canvas.Pixel(client.Width() / 2, client.bottom - 1), kWhite);

    // The flat look fills it with the face colour instead.
    bar.EnableFlatLook(TRUE);
    canvas.Clear(kWhite);
    rect = client;
    bar.DrawBorders(&canvas.DC(), rect);
    EXPECT_EQ(canvas.Pixel(client.Width() / 2, client.bottom - 6), ::GetSysColor(COLOR_BTNFACE));
    bar.m_bLastInRow = TRUE;
}

TEST_F(BarDrawingTest, TheGripperIsTwoRaisedLinesOrAGradientCaption)
{
    CBNTabCtrlBar& bar = EdgeBar();
    CRect client;
    bar.GetClientRect(&client);
    DibCanvas canvas(client.Width(), client.Height());
    const CRect gripper = bar.GetGripperRect();
    ASSERT_EQ(gripper.Height(), 3);

    canvas.Clear(kWhite);
    bar.DrawGripper(&canvas.DC());
    const int x = gripper.left + gripper.Width() / 2;
    EXPECT_EQ(canvas.Pixel(x, gripper.top), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.Pixel(x, gripper.top + 1), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.Pixel(x, gripper.top + 4), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.Pixel(x, gripper.top + 3), kWhite);

    // The gradient runs from black at the left to the caption colour at the right,
    // never getting darker on its way.
    bar.EnableFlatLook(TRUE, FALSE, FALSE);
    canvas.Clear(kWhite);
    bar.DrawGripper(&canvas.DC());
    const int y = gripper.top + 3;
    const COLORREF caption = ::GetSysColor(COLOR_ACTIVECAPTION);
    EXPECT_EQ(canvas.Pixel(gripper.left, y), RGB(0, 0, 0));
    const COLORREF end = canvas.Pixel(gripper.right - 1, y);
    EXPECT_NEAR(GetRValue(end), GetRValue(caption), 2);
    EXPECT_NEAR(GetGValue(end), GetGValue(caption), 2);
    EXPECT_NEAR(GetBValue(end), GetBValue(caption), 2);
    int nLast = -1;
    for (int px = gripper.left; px < gripper.right; px++)
    {
        const int nBrightness = Brightness(canvas.Pixel(px, y));
        ASSERT_GE(nBrightness, nLast) << px;
        nLast = nBrightness;
    }
    // It covers the two lines and 2 pixels above and below them.
    EXPECT_EQ(canvas.Pixel(x, gripper.top - 2) != kWhite, true);
    EXPECT_EQ(canvas.Pixel(x, gripper.top + 8 + 1), kWhite);

    // Without a gripper nothing is drawn.
    bar.ShowFrameControls(FALSE, TRUE);
    canvas.Clear(kWhite);
    bar.DrawGripper(&canvas.DC());
    EXPECT_EQ(canvas.CountPixels(CRect(0, 0, client.Width(), client.Height()), kWhite), client.Width() * client.Height());
    EXPECT_EQ(bar.GetMinExt(), 23);
    bar.ShowFrameControls(FALSE, FALSE);
    EXPECT_EQ(bar.GetMinExt(), 6);
}

TEST(FlatButtonTracking, TheFrameRisesWhileTheCursorIsOverTheButton)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "Tracking", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                300, 200, nullptr, nullptr));
    CBNFlatButton button;
    ASSERT_TRUE(button.Create("Hot", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(20, 20, 100, 50), &parent, 1));
    testing_support::DispatchPendingMessages();
    CRect rect;
    button.GetWindowRect(&rect);
    ASSERT_TRUE(testing_support::MoveCursorTo(rect.CenterPoint().x, rect.CenterPoint().y));
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(40, 15));
    EXPECT_TRUE(button.IsHot());

    // The timer notices the cursor leaving.
    ASSERT_TRUE(testing_support::MoveCursorTo(rect.right + 80, rect.bottom + 60));
    EXPECT_TRUE(testing_support::PollUntil(
        [&] {
            testing_support::DispatchPendingMessages();
            return !button.IsHot();
        },
        3000));
    // Pressed, it is never hot.
    ASSERT_TRUE(testing_support::MoveCursorTo(rect.CenterPoint().x, rect.CenterPoint().y));
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 15));
    EXPECT_TRUE(button.IsPressed());
    button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 15));
    EXPECT_FALSE(button.IsHot());
    button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(40, 15));
    EXPECT_FALSE(button.IsPressed());
    parent.DestroyWindow();
    testing_support::DispatchPendingMessages();
}

} // namespace
