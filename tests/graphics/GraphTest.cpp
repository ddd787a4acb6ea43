// Line graphs and strip charts on memory contexts: the layout of plot area, axes and
// legend; samples turned into pixel polylines (bars, skipped samples, long lines merged);
// the legend choosing the shown Y axis; fitting; and the X window dragged by the mouse.
#include "graphics/CGraphicObAxisTime.h"
#include "graphics/CGraphicObGraphLine.h"
#include "graphics/CGraphicObGraphLineStripChart.h"
#include "tests/support/DibCanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
const COLORREF White = RGB(255, 255, 255);
const COLORREF Red = RGB(255, 0, 0);
const COLORREF Blue = RGB(0, 0, 255);

class LineGraphTest : public ::testing::Test
{
protected:
    LineGraphTest() : canvas(640, 480) {}

    void LayOut() { graph.Layout(&canvas.DC(), CRect(0, 0, 600, 400)); }

    DibCanvas canvas;
    CGraphicObGraphLine graph;
};

TEST_F(LineGraphTest, DividesItsRectangleIntoPlotAxesAndLegend)
{
    ASSERT_TRUE(canvas.IsValid());
    graph.AddLine(Red, "first", 1, 0);
    graph.AddLine(Blue, "second", 1, 0);
    graph.SetLegendShown(true);
    graph.SetLegendWidth(140);
    graph.SetXAxisHeight(60);
    graph.SetYAxisWidth(80);
    LayOut();
    EXPECT_EQ(CRect(460, 0, 600, 400), graph.GetLegendRect());
    EXPECT_EQ(CRect(80, 0, 460, 340), graph.GetPlotRect());
    EXPECT_EQ(CRect(0, 0, 80, 340), graph.GetYAxis()->GetRect());
    EXPECT_EQ(CRect(80, 340, 460, 400), graph.GetXAxis()->GetRect());
    // Every line's axis lies where the shown one does.
    EXPECT_EQ(CRect(0, 0, 80, 340), graph.GetYAxis(1)->GetRect());
    EXPECT_EQ(200, graph.GetLegendRowHeight());
    // The first line on top, the most recent lowest.
    EXPECT_EQ(CRect(460, 0, 600, 200), graph.GetLegendRowRect(0));
    EXPECT_EQ(CRect(460, 200, 600, 400), graph.GetLegendRowRect(1));

    // The legend's colour squares are drawn.
    graph.Draw(&canvas.DC());
    EXPECT_EQ(Red, canvas.Pixel(460 + 5 + 10, 5 + 10));
    EXPECT_EQ(Blue, canvas.Pixel(460 + 5 + 10, 200 + 5 + 10));
}

TEST_F(LineGraphTest, SamplesBecomePixelPolylines)
{
    ASSERT_TRUE(canvas.IsValid());
    double x0, x1, y0, y1;
    graph.GetDataBounds(x0, x1, y0, y1);
    EXPECT_EQ(0.0, x0);
    EXPECT_EQ(0.0, x1);
    EXPECT_EQ(0.0, y0);
    EXPECT_EQ(0.0, y1);

    const int line = graph.AddLine(Red, "volts", 1, PS_GEOMETRIC | PS_ENDCAP_FLAT);
    EXPECT_EQ(0, line);
    // An index equal to the number of lines adds nothing.
    graph.AddPoint(1.0, 1.0, 1);
    EXPECT_EQ(1, graph.GetSampleLineCount());
    graph.GetXAxis()->SetRange(0.0, 10.0);
    graph.GetYAxis(0)->SetRange(0.0, 10.0);
    for (int i = 0; i <= 12; ++i)
        graph.AddPoint(i, i % 3, 0);
    LayOut();
    const CGraphicObGraphLine::rendered_line_t* rendered = graph.GetRenderedLine(0);
    ASSERT_NE(nullptr, rendered);
    // x 11 and 12 lie beyond the X range and are skipped.
    ASSERT_EQ(11, rendered->count);
    for (int i = 0; i <= 10; ++i)
    {
        EXPECT_EQ(graph.GetXAxis()->ValueToPixel(i), rendered->points[i].x);
        EXPECT_EQ(graph.GetYAxis(0)->ValueToPixel(i % 3), rendered->points[i].y);
    }
    graph.GetDataBounds(x0, x1, y0, y1);
    EXPECT_EQ(0.0, x0);
    EXPECT_EQ(12.0, x1);
    EXPECT_EQ(2.0, y1);

    // Bars: two points a sample, from the plot's bottom row up to the sample.
    graph.SetPolylineMode(false);
    rendered = graph.GetRenderedLine(0);
    ASSERT_EQ(22, rendered->count);
    EXPECT_EQ(graph.GetPlotRect().bottom - 1, rendered->points[2].y);
    EXPECT_EQ(graph.GetYAxis(0)->ValueToPixel(1.0), rendered->points[3].y);

    // Drawn with the line's pen in the plot.
    graph.SetPolylineMode(true);
    graph.Draw(&canvas.DC());
    EXPECT_GT(canvas.CountPixels(graph.GetPlotRect(), Red), 100);

    // Cleared: nothing to draw.
    graph.ClearPoints();
    EXPECT_EQ(0, graph.GetRenderedLine(0)->count);

    // Grids: dotted lines in the grid colour at the X ticks (across the Y axis' height)
    // and at the Y ticks (across the X axis' width), none between the ticks (the ends of
    // both ranges are ticks too: the plot's top row and right column hold grid lines).
    canvas.Clear(White);
    graph.GetXAxis()->SetTickStep(5.0);
    graph.GetYAxis(0)->SetTickStep(5.0);
    graph.SetGrid(true, true);
    graph.Draw(&canvas.DC());
    const COLORREF grid = graph.GetGridColor();
    const CRect plot = graph.GetPlotRect();
    const int xTick = graph.GetXAxis()->ValueToPixel(5.0);
    const int yTick = graph.GetYAxis(0)->ValueToPixel(5.0);
    EXPECT_GT(canvas.CountPixels(CRect(xTick, plot.top, xTick + 1, plot.bottom), grid), plot.Height() / 4);
    EXPECT_GT(canvas.CountPixels(CRect(plot.left, yTick, plot.right, yTick + 1), grid), plot.Width() / 4);
    const int xBetween = graph.GetXAxis()->ValueToPixel(2.5);
    const int yBetween = graph.GetYAxis(0)->ValueToPixel(2.5);
    EXPECT_EQ(0, canvas.CountPixels(CRect(xBetween, plot.top + 1, xBetween + 1, yTick), grid));
    EXPECT_EQ(0, canvas.CountPixels(CRect(xTick + 1, yBetween, plot.right - 1, yBetween + 1), grid));
}

TEST_F(LineGraphTest, AGapIsNotDrawnAcrossNorCountedInTheRange)
{
    ASSERT_TRUE(canvas.IsValid());
    const double gap = std::nan("");
    graph.AddLine(Red, "volts", 1, 0);
    graph.GetXAxis()->SetRange(0.0, 10.0);
    graph.GetYAxis(0)->SetRange(0.0, 10.0);
    // Values at 0-3, gaps at 4-5, a lone value at 7 between gaps, values at 9-10.
    for (int i = 0; i <= 10; ++i)
        graph.AddPoint(i, i == 4 || i == 5 || i == 6 || i == 8 ? gap : 5.0, 0);
    LayOut();
    double x0, x1, y0, y1;
    graph.GetDataBounds(x0, x1, y0, y1);
    EXPECT_EQ(5.0, y0);
    EXPECT_EQ(5.0, y1);
    const CGraphicObGraphLine::rendered_line_t* rendered = graph.GetRenderedLine(0);
    ASSERT_EQ(7, rendered->count);
    EXPECT_EQ((std::vector<int>{4, 5}), rendered->starts);
    graph.Draw(&canvas.DC());
    const int row = graph.GetYAxis(0)->ValueToPixel(5.0);
    const auto drawn = [&](double from, double to) {
        return canvas.CountPixels(CRect(graph.GetXAxis()->ValueToPixel(from), row - 1,
                                        graph.GetXAxis()->ValueToPixel(to), row + 2), Red);
    };
    EXPECT_GT(drawn(0.0, 3.0), 0);
    EXPECT_EQ(0, drawn(3.2, 6.8));
    EXPECT_GT(drawn(6.9, 7.1), 0);
    EXPECT_EQ(0, drawn(7.2, 8.8));
    EXPECT_GT(drawn(9.0, 10.0), 0);

    // A line merged per pixel column breaks at a gap too, and a gap at the end starts no
    // piece.
    graph.ClearPoints();
    graph.GetXAxis()->SetRange(0.0, 40000.0);
    for (int i = 0; i <= 40000; ++i)
        graph.AddPoint(i, i >= 20000 && i < 30000 ? gap : 5.0, 0);
    graph.AddPoint(40000.0, gap, 0);
    rendered = graph.GetRenderedLine(0);
    ASSERT_EQ(1u, rendered->starts.size());
    const int start = rendered->starts[0];
    EXPECT_LE(rendered->points[start - 1].x, graph.GetXAxis()->ValueToPixel(20000.0));
    EXPECT_GE(rendered->points[start].x, graph.GetXAxis()->ValueToPixel(30000.0));
}

TEST_F(LineGraphTest, LongLinesShowWholeWithinTheCapacity)
{
    ASSERT_TRUE(canvas.IsValid());
    graph.AddLine(Red, "many", 1, 0);
    graph.GetXAxis()->SetRange(0.0, 20000.0);
    graph.GetYAxis(0)->SetRange(-1.0, 1.0);
    for (int i = 0; i < 20000; ++i)
        graph.AddPoint(i, std::sin(i / 50.0), 0);
    graph.AddPoint(20000.0, 1.0, 0);
    LayOut();
    const CGraphicObGraphLine::rendered_line_t* rendered = graph.GetRenderedLine(0);
    ASSERT_GT(rendered->count, 0);
    EXPECT_LE(rendered->count, CGraphicObGraphLine::rendered_line_t::capacity);
    // From the first sample to the last one: the whole line, not its first 16,384 samples.
    EXPECT_EQ(graph.GetXAxis()->ValueToPixel(0.0), rendered->points[0].x);
    EXPECT_EQ(graph.GetXAxis()->ValueToPixel(20000.0), rendered->points[rendered->count - 1].x);
    EXPECT_EQ(graph.GetYAxis(0)->ValueToPixel(1.0), rendered->points[rendered->count - 1].y);
    // Each pixel column keeps the column's extremes.
    int top = graph.GetPlotRect().bottom;
    int bottom = graph.GetPlotRect().top;
    for (int i = 0; i < rendered->count; ++i)
    {
        top = std::min<int>(top, rendered->points[i].y);
        bottom = std::max<int>(bottom, rendered->points[i].y);
        if (i > 0)
        {
            EXPECT_LE(rendered->points[i - 1].x, rendered->points[i].x);
        }
    }
    EXPECT_EQ(graph.GetYAxis(0)->ValueToPixel(1.0), top);
    EXPECT_EQ(graph.GetYAxis(0)->ValueToPixel(-1.0), bottom);
}

TEST_F(LineGraphTest, LegendChoosesTheShownYAxis)
{
    ASSERT_TRUE(canvas.IsValid());
    graph.AddLine(Red, "first", 1, 0);
    graph.AddLine(Blue, "second", 1, 0);
    EXPECT_EQ(2, graph.GetYAxisCount());
    EXPECT_EQ(graph.GetYAxis(0), graph.GetYAxis());
    EXPECT_EQ(CString("second"), graph.GetYAxis(1)->GetTitle().GetText());
    graph.SetLegendShown(true);
    LayOut();
    const CRect bottomRow = graph.GetLegendRowRect(1);
    EXPECT_TRUE(graph.OnMouseDown(0, bottomRow.CenterPoint()));
    EXPECT_EQ(graph.GetYAxis(1), graph.GetYAxis());
    // The row of the axis already shown changes nothing.
    EXPECT_FALSE(graph.OnMouseDown(0, bottomRow.CenterPoint()));
    EXPECT_TRUE(graph.OnMouseDown(0, graph.GetLegendRowRect(0).CenterPoint()));
    EXPECT_EQ(graph.GetYAxis(0), graph.GetYAxis());
    // Outside the legend: not the legend's press.
    EXPECT_FALSE(graph.OnMouseDown(0, CPoint(100, 100)));
    EXPECT_FALSE(graph.SelectYAxis(2));
    // Beyond the lines, the shown axis.
    EXPECT_EQ(graph.GetYAxis(), graph.GetYAxis(7));

    // Fitting rescales every Y axis to all samples, a flat set included.
    graph.AddPoint(0.0, 3.0, 0);
    graph.AddPoint(1.0, 3.0, 1);
    EXPECT_TRUE(graph.FitToData());
    for (int axis = 0; axis < 2; ++axis)
    {
        EXPECT_LT(graph.GetYAxis(axis)->GetMin(), 3.0);
        EXPECT_GT(graph.GetYAxis(axis)->GetMax(), 3.0);
    }
    graph.SetFit(false, false);
    EXPECT_FALSE(graph.FitToData());

    graph.RemoveAllLines();
    EXPECT_EQ(0, graph.GetLineCount());
    EXPECT_EQ(1, graph.GetYAxisCount());
    EXPECT_EQ(0, graph.GetSampleLineCount());
    EXPECT_EQ(-1, graph.LegendLineAt(bottomRow.CenterPoint()));
}

TEST_F(LineGraphTest, WindowIsShownAndDraggedInsideTheRange)
{
    ASSERT_TRUE(canvas.IsValid());
    graph.AddLine(Red, "line", 1, 0);
    graph.GetXAxis()->SetRange(0.0, 100.0);
    LayOut();
    CGraphicObAxisNumeric& x = *graph.GetXAxis();
    // Not enabled: a press in the plot is not the window's.
    EXPECT_FALSE(graph.OnMouseDown(0, CPoint(x.ValueToPixel(50.0), 100)));
    EXPECT_FALSE(graph.IsWindowShown());

    graph.EnableWindow(true);
    const int pressX = x.ValueToPixel(40.0);
    EXPECT_TRUE(graph.OnMouseDown(0, CPoint(pressX, 100)));
    EXPECT_TRUE(graph.IsWindowShown());
    // The press lands on the new window's right edge: dragging sizes it.
    EXPECT_TRUE(graph.OnMouseMove(MK_LBUTTON, CPoint(x.ValueToPixel(60.0), 100)));
    EXPECT_TRUE(graph.OnMouseUp(0, CPoint(x.ValueToPixel(60.0), 100)));
    EXPECT_NEAR(40.0, graph.GetWindowStart(), 0.5);
    EXPECT_NEAR(60.0, graph.GetWindowEnd(), 0.5);
    EXPECT_FALSE(graph.OnMouseUp(0, CPoint(10, 10)));

    // The left edge cannot pass the right one.
    EXPECT_TRUE(graph.OnMouseDown(0, graph.GetWindowLeftEdge().CenterPoint()));
    graph.OnMouseMove(MK_LBUTTON, CPoint(x.ValueToPixel(80.0), 100));
    graph.OnMouseUp(0, CPoint(x.ValueToPixel(80.0), 100));
    EXPECT_NEAR(40.0, graph.GetWindowStart(), 0.5);

    // The body moves by an offset while dragged and by the whole move when released.
    const CPoint body = graph.GetWindowBody().CenterPoint();
    EXPECT_TRUE(graph.OnMouseDown(0, body));
    EXPECT_TRUE(graph.OnMouseMove(MK_LBUTTON, CPoint(body.x + (x.ValueToPixel(10.0) - x.ValueToPixel(0.0)), body.y)));
    EXPECT_NEAR(10.0, graph.GetDragOffset(), 0.5);
    EXPECT_NEAR(40.0, graph.GetWindowStart(), 0.5);
    // A move that would leave the range changes nothing.
    EXPECT_FALSE(graph.OnMouseMove(MK_LBUTTON, CPoint(body.x + (x.ValueToPixel(70.0) - x.ValueToPixel(0.0)), body.y)));
    EXPECT_NEAR(10.0, graph.GetDragOffset(), 0.5);
    // Released beyond the maximum: the window stops at the maximum.
    EXPECT_TRUE(graph.OnMouseUp(0, CPoint(body.x + (x.ValueToPixel(70.0) - x.ValueToPixel(0.0)), body.y)));
    EXPECT_DOUBLE_EQ(100.0, graph.GetWindowEnd());
    EXPECT_NEAR(80.0, graph.GetWindowStart(), 0.5);
    EXPECT_EQ(0.0, graph.GetDragOffset());
    EXPECT_FALSE(graph.IsDragging());

    // Drawn grey over the plot; a reset hides it.
    graph.Draw(&canvas.DC());
    EXPECT_EQ(RGB(0xA0, 0xA0, 0xA0), canvas.Pixel(graph.GetWindowBody().CenterPoint().x, 100));
    EXPECT_EQ(RGB(0x80, 0x80, 0x80), canvas.Pixel(graph.GetWindowRightEdge().CenterPoint().x, 100));
    graph.Reset();
    EXPECT_FALSE(graph.IsWindowShown());
}

TEST(StripChart, HasATimeAxis)
{
    DibCanvas canvas(400, 300);
    ASSERT_TRUE(canvas.IsValid());
    CGraphicObGraphLineStripChart chart;
    ASSERT_NE(nullptr, dynamic_cast<CGraphicObAxisTime*>(chart.GetXAxis()));
    chart.AddLine(Red, "temperature", 1, PS_GEOMETRIC | PS_ENDCAP_FLAT);
    chart.GetXAxis()->SetRange(40000.0, 40001.0);
    chart.GetXAxis()->SetTickStep(1.0 / 5.01);
    chart.AddPoint(40000.5, 5.0, 0);
    chart.GetYAxis(0)->SetRange(0.0, 10.0);
    chart.Layout(&canvas.DC(), CRect(0, 0, 400, 300));
    CString label;
    chart.GetXAxis()->FormatLabel(label, chart.GetXAxis()->GetMin());
    EXPECT_EQ(CString("2009-07-06\n00:00"), label);
    ASSERT_EQ(1, chart.GetRenderedLine(0)->count);
    EXPECT_EQ(chart.GetXAxis()->ValueToPixel(40000.5), chart.GetRenderedLine(0)->points[0].x);
    chart.Draw(&canvas.DC());
}
}  // namespace
