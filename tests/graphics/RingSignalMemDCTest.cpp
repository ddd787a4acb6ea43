// Rings and dials, the signal diagram and the off-screen context on memory contexts:
// segment corners, full rings, hidden rings and label positions by geometry; fills and
// bands by the pixels they cover.
#include "graphics/CGraphicObRingMulti.h"
#include "graphics/CGraphicObSignal.h"
#include "graphics/CMemDC.h"
#include "tests/support/DibCanvas.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const COLORREF White = RGB(255, 255, 255);
const COLORREF Red = RGB(255, 0, 0);
const COLORREF Green = RGB(0, 255, 0);
const COLORREF Yellow = RGB(255, 255, 0);

TEST(Ring, SegmentCornersRunClockwiseFromTwelve)
{
    DibCanvas canvas(200, 200);
    ASSERT_TRUE(canvas.IsValid());
    CGraphicObRing ring;
    ring.SetCenter(100, 100);
    ring.SetRadius(80);
    ring.SetThickness(30);
    ring.SetStartAngle(0.0f);
    ring.SetEndAngle(90.0f);
    ring.SetBackgroundColor(Red);
    EXPECT_FLOAT_EQ(DegreesToRadians(90.0f), ring.GetEndAngle());
    ring.Layout(&canvas.DC(), CRect(0, 0, 200, 200));
    EXPECT_EQ(50, ring.GetInnerRadius());
    EXPECT_EQ(CPoint(100, 50), ring.GetInnerStart());
    EXPECT_EQ(CPoint(100, 20), ring.GetOuterStart());
    EXPECT_EQ(CPoint(150, 100), ring.GetInnerEnd());
    EXPECT_EQ(CPoint(180, 100), ring.GetOuterEnd());

    // The quarter from 12 to 3 o'clock is filled, the rest of the ring is not.
    ring.Draw(&canvas.DC());
    const double middle = 65.0;
    const double half = 3.14159265 / 4;
    EXPECT_EQ(Red, canvas.Pixel(100 + static_cast<int>(middle * std::sin(half)),
                                100 - static_cast<int>(middle * std::cos(half))));
    EXPECT_EQ(White, canvas.Pixel(100 - 65, 100));
    EXPECT_EQ(White, canvas.Pixel(100, 100 + 65));
    EXPECT_EQ(White, canvas.Pixel(100 + 20, 100 - 20));   // inside the inner circle
    EXPECT_EQ(0, canvas.CountPixels(CRect(0, 101, 200, 200), Red));
}

TEST(Ring, FullRingsDiscsAndHiddenRings)
{
    DibCanvas canvas(200, 200);
    ASSERT_TRUE(canvas.IsValid());
    CGraphicObRing ring;
    ring.SetCenter(100, 100);
    ring.SetRadius(60);
    ring.SetThickness(20);
    ring.SetBackgroundColor(Green);
    ring.Layout(&canvas.DC(), CRect(0, 0, 200, 200));
    ASSERT_TRUE(ring.IsFullRing());
    EXPECT_EQ(CRect(60, 60, 140, 140), ring.GetInnerBox());
    EXPECT_EQ(CRect(40, 40, 160, 160), ring.GetOuterBox());
    ring.Draw(&canvas.DC());
    for (const CPoint& point : { CPoint(100, 50), CPoint(150, 100), CPoint(100, 150), CPoint(50, 100) })
        EXPECT_EQ(Green, canvas.Pixel(point.x, point.y));
    EXPECT_EQ(White, canvas.Pixel(100, 100));
    EXPECT_EQ(White, canvas.Pixel(10, 10));

    // Thicker than its radius: a filled disc.
    canvas.Clear(White);
    ring.SetThickness(90);
    ring.Layout(&canvas.DC(), CRect(0, 0, 200, 200));
    EXPECT_EQ(0, ring.GetInnerRadius());
    ring.Draw(&canvas.DC());
    EXPECT_EQ(Green, canvas.Pixel(100, 100));

    // Both angles negative: nothing at all.
    canvas.Clear(White);
    ring.SetStartAngle(-10.0f);
    ring.SetEndAngle(-5.0f);
    EXPECT_TRUE(ring.IsHidden());
    ring.Draw(&canvas.DC());
    EXPECT_EQ(200 * 200, canvas.CountPixels(CRect(0, 0, 200, 200), White));
}

TEST(RingMulti, SegmentsLabelsAndPens)
{
    DibCanvas canvas(300, 300);
    ASSERT_TRUE(canvas.IsValid());
    CGraphicObRingMulti dial;
    dial.SetRingCount(3);
    ASSERT_EQ(3, dial.GetRingCount());
    // New segments stay at radius 0, unseen until their owner sets them.
    EXPECT_EQ(0, dial.GetRing(2).GetRadius());
    dial.SetCenter(150, 150);
    dial.SetRadius(100);
    dial.SetThickness(25);
    dial.SetPen(1, RGB(0, 0, 128));
    dial.SetFillColor(Red);
    dial.SetBackgroundColor(Green);
    EXPECT_EQ(RGB(0, 0, 128), dial.GetLabelColor());
    EXPECT_EQ(Red, dial.GetRing(0).GetFillColor());
    EXPECT_EQ(Green, dial.GetBackgroundRing().GetFillColor());
    EXPECT_EQ(100, dial.GetRing(1).GetRadius());
    dial.SetRingStartAngle(0, 90.0f);
    dial.SetRingEndAngle(0, 180.0f);
    dial.SetRingStartAngle(1, -1.0f);
    dial.SetRingEndAngle(1, -1.0f);
    dial.SetRingStartAngle(2, -1.0f);
    dial.SetRingEndAngle(2, -1.0f);

    dial.AddLabel(90.0f, 0.2f, "6:00", false);
    dial.AddStaticLabel(0.0f, 0.5f, "noon", true);
    dial.Layout(&canvas.DC(), CRect(0, 0, 300, 300));
    // At 3 o'clock: the line leaves the ring's edge to the right, the text right of its end
    // at the ring point's height less one.
    const CGraphicObRingMulti::Label_t& label = dial.GetLabels().front();
    EXPECT_EQ(250, label.lineStartX);
    EXPECT_EQ(150, label.lineStartY);
    EXPECT_EQ(270, label.lineEndX);
    EXPECT_EQ(150, label.lineEndY);
    EXPECT_EQ(271, label.textX);
    EXPECT_EQ(149, label.textY);
    // A fixed label moved down by its own height.
    const CGraphicObRingMulti::Label_t& fixed = dial.GetStaticLabels().front();
    EXPECT_EQ(150, fixed.textX);
    EXPECT_GT(fixed.textY, 150 - 50);
    EXPECT_LT(fixed.textY, 150);

    dial.Draw(&canvas.DC());
    // The background ring all round, the segment from 3 to 6 o'clock over it.
    EXPECT_EQ(Green, canvas.Pixel(150, 150 - 88));
    EXPECT_EQ(Red, canvas.Pixel(150 + 62, 150 + 62));
    EXPECT_EQ(Green, canvas.Pixel(150 - 62, 150 + 62));

    dial.ClearLabels();
    EXPECT_TRUE(dial.GetLabels().empty());
    dial.SetRingCount(0);
    EXPECT_EQ(0, dial.GetRingCount());
}

TEST(SignalDiagram, WiresStackAndTheBandIsHighlighted)
{
    DibCanvas canvas(400, 200);
    ASSERT_TRUE(canvas.IsValid());
    CGraphicObSignal signal;
    EXPECT_EQ(3, signal.GetLineCount());
    EXPECT_EQ("wire 2", signal.GetLineName(1));
    EXPECT_EQ(0, signal.GetXAxisHeight());
    EXPECT_EQ(0, signal.GetYAxisWidth());
    EXPECT_FALSE(signal.IsLegendShown());
    EXPECT_FALSE(signal.GetXAxis()->IsVisible());
    EXPECT_DOUBLE_EQ(4.0, signal.GetYAxis(2)->GetMax());

    signal.AddWireSample(1, 2.0, true);
    signal.AddWireSample(0, 2.0, false);
    signal.AddWireSample(2, 2.0, true);
    EXPECT_DOUBLE_EQ(2.5, signal.GetSamples(1).front().second);
    EXPECT_DOUBLE_EQ(3.0, signal.GetSamples(0).front().second);
    EXPECT_DOUBLE_EQ(1.0, signal.GetSamples(2).front().second);

    signal.SetBand(5.0, 5.0);
    signal.Layout(&canvas.DC(), CRect(0, 0, 400, 200));
    EXPECT_EQ(-1, signal.GetBandLeft());
    signal.Draw(&canvas.DC());
    EXPECT_EQ(0, canvas.CountPixels(CRect(0, 0, 400, 200), Yellow));

    // The plot is the whole rectangle: no axes, no legend.
    EXPECT_EQ(CRect(0, 0, 400, 200), signal.GetPlotRect());
    signal.SetBand(2.0, 4.0);
    signal.Draw(&canvas.DC());
    const int left = signal.GetXAxis()->ValueToPixel(2.0);
    const int right = signal.GetXAxis()->ValueToPixel(4.0);
    EXPECT_EQ(left, signal.GetBandLeft());
    EXPECT_EQ(right, signal.GetBandRight());
    EXPECT_EQ((right + 1 - left) * 200, canvas.CountPixels(CRect(0, 0, 400, 200), Yellow));

    // A band that starts in the context's first column is not drawn.
    canvas.Clear(White);
    signal.SetBand(0.0, 4.0);
    signal.Draw(&canvas.DC());
    EXPECT_EQ(0, signal.GetBandLeft());
    EXPECT_EQ(0, canvas.CountPixels(CRect(0, 0, 400, 200), Yellow));
}

TEST(MemoryContext, DrawsOffScreenAndCopiesWhenItGoes)
{
    DibCanvas canvas(200, 150);
    ASSERT_TRUE(canvas.IsValid());
    {
        CMemDC memory(&canvas.DC(), CRect(50, 40, 150, 120), Green);
        // Same coordinates as the target.
        memory.FillSolidRect(CRect(60, 50, 70, 60), Red);
        EXPECT_EQ(White, canvas.Pixel(55, 45));
        EXPECT_EQ(CRect(50, 40, 150, 120), memory.GetCopyRect());
    }
    EXPECT_EQ(Green, canvas.Pixel(55, 45));
    EXPECT_EQ(Red, canvas.Pixel(65, 55));
    EXPECT_EQ(White, canvas.Pixel(45, 45));
    EXPECT_EQ(White, canvas.Pixel(150, 120));

    // Only what the target's clipping lets through is copied.
    canvas.Clear(White);
    canvas.DC().IntersectClipRect(0, 0, 100, 150);
    {
        CMemDC memory(&canvas.DC(), CRect(50, 40, 150, 120), Green);
        EXPECT_EQ(CRect(50, 40, 100, 120), memory.GetCopyRect());
    }
    canvas.DC().SelectClipRgn(nullptr);
    EXPECT_EQ(Green, canvas.Pixel(99, 60));
    EXPECT_EQ(White, canvas.Pixel(101, 60));
}
}  // namespace
