// The text object and the axes on memory contexts: fitting, turning and aligning text;
// value-to-pixel mapping both ways, nice steps, label texts, fitted label fonts, and the
// pixels of base lines and ticks (lines only: fonts differ from machine to machine).
#include "framework/CFont.h"
#include "graphics/CGraphicObAxisNumeric.h"
#include "graphics/CGraphicObAxisTime.h"
#include "graphics/CGraphicObText.h"
#include "tests/support/DibCanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const COLORREF Black = RGB(0, 0, 0);
const COLORREF White = RGB(255, 255, 255);

// The extent of a text in Arial at a height, measured as the text object measures it.
CSize ArialExtent(CDC& dc, const char* text, int height)
{
    LOGFONT logFont;
    std::memset(&logFont, 0, sizeof(logFont));
    logFont.lfHeight = height;
    logFont.lfWeight = FW_NORMAL;
    std::strcpy(logFont.lfFaceName, "Arial");
    CFont font;
    font.CreateFontIndirect(&logFont);
    CFont* previous = dc.SelectObject(&font);
    const CSize extent = dc.GetTextExtent(text, static_cast<int>(std::strlen(text)));
    dc.SelectObject(previous);
    return extent;
}

TEST(TextObject, FontFollowsTheHeightAndShrinksToTheWidth)
{
    DibCanvas canvas(400, 100);
    ASSERT_TRUE(canvas.IsValid());
    CGraphicObText text;
    text.SetText("Hi");
    text.Layout(&canvas.DC(), CRect(10, 10, 390, 30));
    EXPECT_FALSE(text.IsInvalid());
    EXPECT_EQ(20, text.GetFontHeight());
    const CSize narrow = ArialExtent(canvas.DC(), "Hi", 20);
    EXPECT_EQ(narrow.cx, text.GetBoxSize().cx);

    // Too wide for the rectangle: the font shrinks so that the text fits the width.
    text.SetText("A rather long axis title");
    EXPECT_TRUE(text.IsInvalid());
    const CSize wide = ArialExtent(canvas.DC(), "A rather long axis title", 20);
    ASSERT_GT(wide.cx, 60);
    text.Layout(&canvas.DC(), CRect(0, 0, 60, 20));
    const double scale = 60.0 / wide.cx;
    EXPECT_EQ(static_cast<int>(20 * scale), text.GetFontHeight());
    EXPECT_LE(text.GetBoxSize().cx, 60);
    EXPECT_EQ(static_cast<int>(wide.cx * scale), text.GetBoxSize().cx);

    // Nothing to lay out: the origin goes back to the corner.
    text.SetText("");
    text.Layout(&canvas.DC(), CRect(0, 0, 60, 20));
    EXPECT_EQ(CPoint(0, 0), text.GetOrigin());
}

TEST(TextObject, TurnedTextSwapsItsBoxAndAlignsInside)
{
    DibCanvas canvas(200, 200);
    ASSERT_TRUE(canvas.IsValid());
    CGraphicObText text;
    text.SetText("Volts");
    text.SetEscapement(900);
    text.Layout(&canvas.DC(), CRect(0, 0, 200, 30));
    const CSize box = text.GetBoxSize();
    // Turned upwards: as wide as the text is high, starting at the box's bottom-left corner.
    EXPECT_GT(box.cy, box.cx);
    EXPECT_EQ(CPoint(0, box.cy), text.GetOrigin());

    text.SetEscapement(1800);
    text.Layout(&canvas.DC(), CRect(0, 0, 200, 30));
    EXPECT_EQ(CPoint(text.GetBoxSize().cx, text.GetBoxSize().cy), text.GetOrigin());
    text.SetEscapement(2700);
    text.Layout(&canvas.DC(), CRect(0, 0, 200, 30));
    EXPECT_EQ(CPoint(text.GetBoxSize().cx, 0), text.GetOrigin());

    // 45 degrees: the box holds every corner of the turned text.
    text.SetEscapement(450);
    text.Layout(&canvas.DC(), CRect(0, 0, 200, 200));
    const CSize turned = text.GetBoxSize();
    const CSize flat = ArialExtent(canvas.DC(), "Volts", text.GetFontHeight());
    EXPECT_NEAR((flat.cx + flat.cy) * std::sqrt(0.5), turned.cx, 0.05 * turned.cx);
    EXPECT_EQ(turned.cx, turned.cy);
    EXPECT_EQ(0, text.GetOrigin().x);
    EXPECT_NEAR(flat.cx * std::sqrt(0.5), text.GetOrigin().y, 0.05 * turned.cy);

    // Left alignment writes at the left edge even when the origin is not the corner.
    text.SetEscapement(1800);
    text.SetHorizontalAlignment(TEXT_ALIGN_LEFT);
    text.Layout(&canvas.DC(), CRect(20, 40, 180, 70));
    EXPECT_NE(0, text.GetOrigin().x);
    EXPECT_EQ(20, text.GetTextPosition().x);
    EXPECT_EQ(40, text.GetTextPosition().y);
    text.SetHorizontalAlignment(TEXT_ALIGN_RIGHT);
    text.SetVerticalAlignment(TEXT_ALIGN_BOTTOM);
    EXPECT_EQ(180 - text.GetBoxSize().cx + text.GetOrigin().x, text.GetTextPosition().x);
    EXPECT_EQ(40 + text.GetOrigin().y + 30 - text.GetBoxSize().cy, text.GetTextPosition().y);
    text.SetHorizontalAlignment(TEXT_ALIGN_CENTER);
    text.SetVerticalAlignment(TEXT_ALIGN_CENTER);
    EXPECT_EQ(20 + text.GetOrigin().x + ((160 - text.GetBoxSize().cx) >> 1), text.GetTextPosition().x);

    // A copy takes the text, the settings and the font.
    CGraphicObText copy;
    copy.Assign(text);
    EXPECT_EQ(CString("Volts"), copy.GetText());
    EXPECT_EQ(1800, copy.GetEscapement());
    EXPECT_EQ(text.GetFontHeight(), copy.GetFontHeight());
    EXPECT_EQ(text.GetTextPosition(), copy.GetTextPosition());
}

TEST(TextObject, DrawsInsideItsRectangleAndRestoresTheContext)
{
    DibCanvas canvas(200, 60);
    ASSERT_TRUE(canvas.IsValid());
    CGraphicObText text;
    text.SetText("MMMM");
    text.SetColor(Black);
    text.SetHorizontalAlignment(TEXT_ALIGN_CENTER);
    text.Layout(&canvas.DC(), CRect(50, 10, 150, 40));
    const UINT align = canvas.DC().SetTextAlign(TA_RIGHT | TA_BASELINE);
    const COLORREF color = canvas.DC().SetTextColor(RGB(1, 2, 3));
    text.Draw(&canvas.DC());
    EXPECT_EQ(static_cast<UINT>(TA_RIGHT | TA_BASELINE), canvas.DC().GetTextAlign());
    EXPECT_EQ(RGB(1, 2, 3), canvas.DC().GetTextColor());
    canvas.DC().SetTextAlign(align);
    canvas.DC().SetTextColor(color);
    EXPECT_GT(canvas.CountPixels(CRect(50, 10, 150, 40), Black), 20);
    EXPECT_EQ(0, canvas.CountPixels(CRect(0, 0, 45, 60), Black));
    EXPECT_EQ(0, canvas.CountPixels(CRect(155, 0, 200, 60), Black));
}

TEST(NumericAxis, MapsValuesToPixelsAndBack)
{
    DibCanvas canvas(600, 400);
    ASSERT_TRUE(canvas.IsValid());
    CGraphicObAxisNumeric axis;
    axis.SetRange(0, 100);
    axis.Layout(&canvas.DC(), CRect(100, 300, 501, 340));
    bool inRange = false;
    EXPECT_EQ(300, axis.ValueToPixel(50, &inRange));
    EXPECT_TRUE(inRange);
    EXPECT_EQ(100, axis.ValueToPixel(0));
    EXPECT_EQ(500, axis.ValueToPixel(100));
    // Beyond the range: the end it lies beyond, reported out of range.
    EXPECT_EQ(500, axis.ValueToPixel(250, &inRange));
    EXPECT_FALSE(inRange);
    EXPECT_EQ(100, axis.ValueToPixel(-3, &inRange));
    EXPECT_FALSE(inRange);
    EXPECT_DOUBLE_EQ(50.0, axis.PixelToValue(300, &inRange));
    EXPECT_TRUE(inRange);
    EXPECT_DOUBLE_EQ(100.0, axis.PixelToValue(500, &inRange));
    EXPECT_FALSE(inRange);
    EXPECT_DOUBLE_EQ(0.0, axis.PixelToValue(99, &inRange));
    EXPECT_FALSE(inRange);
    for (int pixel = 100; pixel < 500; pixel += 37)
        EXPECT_EQ(pixel, axis.ValueToPixel(axis.PixelToValue(pixel))) << pixel;

    // The end margin shortens the far end.
    axis.SetEndMargin(100);
    axis.Layout(&canvas.DC(), CRect(100, 300, 501, 340));
    EXPECT_EQ(400, axis.ValueToPixel(100));
    EXPECT_EQ(250, axis.ValueToPixel(50));

    // Vertical: the minimum on the bottom row, growing upwards to below the end margin.
    CGraphicObAxisNumeric vertical;
    vertical.SetDirection(AXIS_VERTICAL);
    vertical.SetRange(-10, 10);
    vertical.SetEndMargin(20);
    vertical.Layout(&canvas.DC(), CRect(0, 0, 80, 221));
    EXPECT_EQ(220, vertical.ValueToPixel(-10));
    EXPECT_EQ(20, vertical.ValueToPixel(10));
    EXPECT_EQ(120, vertical.ValueToPixel(0));
    EXPECT_DOUBLE_EQ(0.0, vertical.PixelToValue(120, &inRange));
    EXPECT_TRUE(inRange);
    EXPECT_DOUBLE_EQ(-10.0, vertical.PixelToValue(230, &inRange));
    EXPECT_FALSE(inRange);
    EXPECT_DOUBLE_EQ(10.0, vertical.PixelToValue(5, &inRange));
    EXPECT_FALSE(inRange);
}

TEST(NumericAxis, AutoScaleChoosesNiceStepsAndWidensToWholeSteps)
{
    struct Case
    {
        double minimum, maximum, rough, step, low, high;
    };
    const Case cases[] = {
        { 0.3, 27.4, 2.71, 2.0, 0.0, 28.0 },
        { 0.0, 1.0, 0.037, 0.05, 0.0, 1.0 },
        { 3.0, 61.0, 7.0, 10.0, 0.0, 70.0 },
        { 3.0, 61.0, 6.99, 5.0, 0.0, 65.0 },
        { -7.5, 12.2, 1.4, 1.0, -8.0, 13.0 },
    };
    for (const Case& c : cases)
    {
        CGraphicObAxisNumeric axis;
        axis.SetRange(c.minimum, c.maximum);
        axis.SetTickStep(c.rough);
        axis.AutoScale();
        EXPECT_NEAR(c.step, axis.GetTickStep(), 1e-12) << c.rough;
        EXPECT_NEAR(c.low, axis.GetMin(), 1e-9) << c.rough;
        EXPECT_NEAR(c.high, axis.GetMax(), 1e-9) << c.rough;
    }
}

TEST(NumericAxis, EmptyRangesAndStepsStayDrawable)
{
    DibCanvas canvas(300, 100);
    ASSERT_TRUE(canvas.IsValid());
    // One value, no step: a range around the value with a positive step.
    CGraphicObAxisNumeric flat;
    flat.SetRange(12.0, 12.0);
    flat.SetTickStep(0.0);
    flat.AutoScale();
    EXPECT_LT(flat.GetMin(), 12.0);
    EXPECT_GT(flat.GetMax(), 12.0);
    EXPECT_GT(flat.GetTickStep(), 0.0);
    CGraphicObAxisNumeric zero;
    zero.SetRange(0.0, 0.0);
    zero.SetTickStep(0.0);
    zero.AutoScale();
    EXPECT_LT(zero.GetMin(), 0.0);
    EXPECT_GT(zero.GetMax(), 0.0);
    EXPECT_TRUE(std::isfinite(zero.GetTickStep()));

    // Unscaled, an empty range maps to its near end and has one tick.
    CGraphicObAxisNumeric unscaled;
    unscaled.SetRange(5.0, 5.0);
    unscaled.SetTickStep(0.0);
    unscaled.Layout(&canvas.DC(), CRect(10, 10, 290, 60));
    EXPECT_EQ(10, unscaled.ValueToPixel(5.0));
    EXPECT_EQ(1u, unscaled.GetTickValues().size());
    unscaled.Draw(&canvas.DC());

    // A step far below the range: the ticks are bounded, and auto-scale coarsens the step.
    CGraphicObAxisNumeric dense;
    dense.SetRange(0.0, 1e6);
    dense.SetTickStep(1e-6);
    EXPECT_EQ(static_cast<size_t>(AXIS_MAX_TICKS), dense.GetTickValues().size());
    dense.Layout(&canvas.DC(), CRect(10, 10, 290, 60));
    dense.Draw(&canvas.DC());
    dense.AutoScale();
    EXPECT_LE(dense.GetTickValues().size(), static_cast<size_t>(AXIS_MAX_TICKS) + 1);
}

// The labels' texts of an axis, from its ticks.
std::vector<std::string> LabelTexts(const CGraphicObAxisNumeric& axis)
{
    std::vector<std::string> texts;
    CString label;
    for (double value : axis.GetTickValues())
    {
        axis.FormatLabel(label, value);
        texts.push_back(static_cast<LPCTSTR>(label));
    }
    return texts;
}

TEST(NumericAxis, LabelTextsAndTicks)
{
    CGraphicObAxisNumeric axis;
    CString label;
    axis.SetDecimals(1);
    axis.FormatLabel(label, 2.5);
    EXPECT_EQ(CString("  2.5"), label);
    axis.SetDecimals(0);
    axis.FormatLabel(label, 2.5);
    EXPECT_EQ(CString("  2"), label);
    axis.SetDecimals(2);
    axis.SetLabelWidth(1);
    axis.FormatLabel(label, -12.345);
    EXPECT_EQ(CString("-12.35"), label);

    axis.SetRange(0.0, 1.0);
    axis.SetTickStep(0.1);
    const std::vector<double> ticks = axis.GetTickValues();
    ASSERT_EQ(11u, ticks.size());
    EXPECT_DOUBLE_EQ(1.0, ticks.back());

    // Unless fixed, as many decimals as tell the ticks apart, and no more.
    CGraphicObAxisNumeric chosen;
    chosen.SetRange(14.2, 14.3);
    chosen.SetTickStep(0.02);
    EXPECT_EQ((std::vector<std::string>{ " 14.20", " 14.22", " 14.24", " 14.26", " 14.28", " 14.30" }), LabelTexts(chosen));
    chosen.SetRange(0.0, 100.0);
    chosen.SetTickStep(25.0);
    EXPECT_EQ((std::vector<std::string>{ "  0", " 25", " 50", " 75", "100" }), LabelTexts(chosen));
    // A range that starts between whole steps; a tick a rounding error off zero is zero.
    chosen.SetRange(-0.3, 0.3);
    chosen.SetTickStep(0.1);
    EXPECT_EQ((std::vector<std::string>{ " -0.3", " -0.2", " -0.1", "  0.0", "  0.1", "  0.2", "  0.3" }),
              LabelTexts(chosen));

    // Time labels: the date, and the time to the minute or as finely as the ticks need.
    CGraphicObAxisTime time;
    time.FormatLabel(label, 40000.5);
    EXPECT_EQ(CString("2009-07-06\n12:00"), label);
    time.FormatLabel(label, 1e9);
    EXPECT_EQ(CString("Invalid DateTime"), label);
    const double second = 1.0 / 86400;
    time.SetRange(40000.5, 40000.5 + 100 * second);
    time.SetTickStep(100 * second / 5.01);
    EXPECT_EQ((std::vector<std::string>{ "2009-07-06\n12:00:00", "2009-07-06\n12:00:20", "2009-07-06\n12:00:40",
                                         "2009-07-06\n12:01:00", "2009-07-06\n12:01:20", "2009-07-06\n12:01:40" }),
              LabelTexts(time));
    time.SetRange(40000.5, 40000.5 + 2 * second);
    time.SetTickStep(2 * second / 5.01);
    EXPECT_EQ((std::vector<std::string>{ "2009-07-06\n12:00:00.0", "2009-07-06\n12:00:00.4", "2009-07-06\n12:00:00.8",
                                         "2009-07-06\n12:00:01.2", "2009-07-06\n12:00:01.6", "2009-07-06\n12:00:02.0" }),
              LabelTexts(time));
    // Rounding to the minute carries into the next day.
    time.SetRange(40000.0 - 20 * second, 40005.0);
    time.SetTickStep(1.0);
    EXPECT_EQ("2009-07-06\n00:00", LabelTexts(time)[0]);
}

TEST(NumericAxis, LabelFontFitsTheAxis)
{
    DibCanvas canvas(800, 200);
    ASSERT_TRUE(canvas.IsValid());
    // Eleven labels along 400 pixels: each label gets at most 400 / 11 pixels.
    CGraphicObAxisNumeric axis;
    axis.SetDecimals(1);
    axis.SetRange(0.0, 1000.0);
    axis.SetTickStep(100.0);
    axis.Layout(&canvas.DC(), CRect(0, 0, 400, 40));
    const int height = axis.GetLabelFontHeight();
    EXPECT_GT(height, 0);
    EXPECT_LE(height, static_cast<int>(0.7f * 40));
    EXPECT_LE(ArialExtent(canvas.DC(), "1000.0", height).cx, 400 / 11 + 3);

    // A range that ends between two ticks counts the tick after it too: 0 to 1000 in steps
    // of 300 gives each label a fifth of 120 pixels (its widest label being "  0.0").
    CGraphicObAxisNumeric between;
    between.SetDecimals(1);
    between.SetRange(0.0, 1000.0);
    between.SetTickStep(300.0);
    between.Layout(&canvas.DC(), CRect(0, 0, 120, 40));
    ASSERT_GT(ArialExtent(canvas.DC(), "  0.0", static_cast<int>(0.7f * 40)).cx, 120 / 4);
    EXPECT_GT(between.GetLabelFontHeight(), 0);
    EXPECT_LE(ArialExtent(canvas.DC(), "  0.0", between.GetLabelFontHeight()).cx, 120 / 5 + 1);

    // Plenty of room: the label's width is held to the share of the thickness.
    CGraphicObAxisNumeric roomy;
    roomy.SetDecimals(1);
    roomy.SetRange(0.0, 1.0);
    roomy.SetTickStep(1.0);
    roomy.Layout(&canvas.DC(), CRect(0, 0, 800, 40));
    const int roomyHeight = roomy.GetLabelFontHeight();
    EXPECT_LE(ArialExtent(canvas.DC(), "  1.0", roomyHeight).cx, static_cast<int>(0.7f * 40) + 3);

    // A time axis measures only the first line of its two-line labels.
    CGraphicObAxisTime time;
    time.SetRange(40000.0, 40005.0);
    time.SetTickStep(1.0);
    time.SetFractions(0.1f, 0.05f, 0.85f, 0.0f, 0.0f);
    time.Layout(&canvas.DC(), CRect(0, 0, 800, 60));
    EXPECT_GT(time.GetLabelFontHeight(), 0);
    EXPECT_LE(ArialExtent(canvas.DC(), "2009-07-06", time.GetLabelFontHeight()).cx, 800 / 6 + 3);
}

TEST(NumericAxis, DrawsItsBaseLineAndTicks)
{
    DibCanvas canvas(300, 200);
    ASSERT_TRUE(canvas.IsValid());
    CGraphicObAxisNumeric axis;
    axis.SetRange(0.0, 100.0);
    axis.SetTickStep(25.0);
    axis.SetLabelFraction(0.0f);
    axis.SetEndMargin(40);
    axis.Layout(&canvas.DC(), CRect(20, 50, 281, 90));
    axis.Draw(&canvas.DC());
    // The base line runs to the end margin, the ticks hang below it.
    EXPECT_EQ(Black, canvas.Pixel(20, 50));
    EXPECT_EQ(Black, canvas.Pixel(239, 50));
    EXPECT_EQ(White, canvas.Pixel(245, 50));
    for (double value : { 0.0, 25.0, 50.0, 75.0, 100.0 })
    {
        const int x = axis.ValueToPixel(value);
        EXPECT_EQ(Black, canvas.Pixel(x, 54)) << value;
    }
    EXPECT_EQ(White, canvas.Pixel(axis.ValueToPixel(12.5), 54));

    // Vertical: the line on the right edge, ticks pointing left; an invisible axis draws nothing.
    canvas.Clear(White);
    CGraphicObAxisNumeric vertical;
    vertical.SetDirection(AXIS_VERTICAL);
    vertical.SetRange(0.0, 10.0);
    vertical.SetTickStep(5.0);
    vertical.SetLabelFraction(0.0f);
    vertical.Layout(&canvas.DC(), CRect(0, 0, 60, 101));
    vertical.Draw(&canvas.DC());
    EXPECT_EQ(Black, canvas.Pixel(59, 10));
    EXPECT_EQ(Black, canvas.Pixel(55, vertical.ValueToPixel(5.0)));
    EXPECT_EQ(White, canvas.Pixel(55, vertical.ValueToPixel(2.5)));
    canvas.Clear(White);
    vertical.SetVisible(false);
    vertical.Draw(&canvas.DC());
    EXPECT_EQ(0, canvas.CountPixels(CRect(0, 0, 300, 200), Black));
}
}  // namespace
