// A graph: its rectangle divided into a plot area, an X axis below it, a Y axis on its
// left and an optional legend on its right, with one list of (x, y) samples per line.
// Line graphs (CGraphicObGraphLine) make the axes and draw the samples.
#pragma once
#include "framework/FrameworkBase.h"
#include "graphics/CGraphicOb.h"
#include "graphics/CGraphicObAxisNumeric.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

typedef std::pair<double, double> GraphSample_t;
typedef std::vector<GraphSample_t> GraphSampleList_t;

class CGraphicObGraph : public CGraphicOb
{
public:
    CGraphicObGraph();
    ~CGraphicObGraph() override;

    void Draw(CDC* dc) override;
    void Layout(CDC* dc, const CRect& rect) override;
    // Invalidates and drops every line's samples.
    void Reset() override;
    // A press on a legend row goes to OnLegendClick with that row's line.
    bool OnMouseDown(UINT flags, CPoint point) override;
    void SetColor(COLORREF color) override;
    void SetBackgroundColor(COLORREF color) override;

    // A line index not below the number of lines adds nothing. A y of NaN is a gap: the
    // line is not drawn across it.
    virtual void AddPoint(double x, double y, int line);
    // Drops the samples without invalidating.
    virtual void ClearPoints();
    // Rescales the Y axis to the samples' bounds; false when both fit flags are off.
    virtual bool FitToData();
    virtual CGraphicObAxisNumeric* GetXAxis();
    virtual CGraphicObAxisNumeric* GetYAxis();
    // x and y relative to the legend's top-left corner.
    virtual bool OnLegendClick(UINT flags, int x, int y, int line);
    virtual void DrawXGrid(CDC* dc);
    virtual void DrawYGrid(CDC* dc);

    void SetLineLegend(int line, COLORREF color, const std::string& name);
    bool GetLineColor(int line, COLORREF& color) const;
    std::string GetLineName(int line) const;
    // The extremes over every sample of every line, gaps left out; all 0 without samples.
    void GetDataBounds(double& xMinimum, double& xMaximum, double& yMinimum, double& yMaximum) const;

    void SetXAxisHeight(int pixels) { m_xAxisHeight = pixels; Invalidate(); }
    void SetYAxisWidth(int pixels) { m_yAxisWidth = pixels; Invalidate(); }
    void SetLegendWidth(int pixels) { m_legendWidth = pixels; Invalidate(); }
    void SetLegendBoxSize(int pixels) { m_legendBoxSize = pixels; Invalidate(); }
    void SetLegendSpacing(int pixels) { m_legendSpacing = pixels; Invalidate(); }
    void SetLegendShown(bool shown) { m_legendShown = shown; Invalidate(); }
    void SetLegendFontSize(int points) { m_legendFontSize = points; Invalidate(); }
    void SetGrid(bool xGrid, bool yGrid) { m_xGrid = xGrid; m_yGrid = yGrid; Invalidate(); }
    void SetGridColor(COLORREF color) { m_gridColor = color; }
    void SetFit(bool fitX, bool fitY) { m_fitX = fitX; m_fitY = fitY; }
    int GetXAxisHeight() const { return m_xAxisHeight; }
    int GetYAxisWidth() const { return m_yAxisWidth; }
    int GetLegendWidth() const { return m_legendWidth; }
    bool IsLegendShown() const { return m_legendShown; }
    COLORREF GetGridColor() const { return m_gridColor; }
    COLORREF GetLegendTextColor() const { return m_legendTextColor; }
    CRect GetPlotRect() const { return m_plotRect; }
    CRect GetLegendRect() const { return m_legendRect; }
    int GetLegendRowHeight() const { return m_legendRowHeight; }
    // The rectangle of the legend row of a line (empty when the line has no row).
    CRect GetLegendRowRect(int line) const;
    // Where the row's name is written, beside its colour.
    CRect GetLegendTextRect(int line) const;
    // The font the last layout found for the names: the legend's size, or smaller where a
    // name would not fit its row.
    const LOGFONT& GetLegendFont() const { return m_legendFont; }
    // The line whose legend row holds the point, or -1.
    int LegendLineAt(CPoint point) const;
    int GetSampleLineCount() const { return static_cast<int>(m_lines.size()); }
    const GraphSampleList_t& GetSamples(int line) const { return m_lines.at(line); }

protected:
    void DrawLegend(CDC* dc);
    void FitLegendFont(CDC* dc);
    // Dotted grid lines: vertical at the X ticks, or horizontal at the Y ticks.
    void DrawGridLines(CDC* dc, bool vertical);
    // Legend rows from the top: the first line first (the most recent lowest).
    std::vector<int> LegendLinesFromTop() const;

    bool m_xGrid;
    bool m_yGrid;
    COLORREF m_gridColor;
    int m_xAxisHeight;
    int m_yAxisWidth;
    int m_legendWidth;
    int m_legendBoxSize;
    int m_legendSpacing;
    COLORREF m_legendTextColor;
    bool m_legendShown;
    bool m_fitX;
    bool m_fitY;
    std::map<int, COLORREF> m_lineColors;
    std::map<int, std::string> m_lineNames;
    CRect m_legendRect;
    int m_legendFontSize;
    LOGFONT m_legendFont;
    CGraphicObAxisNumeric* m_xAxis;
    CGraphicObAxisNumeric* m_yAxis;
    CRect m_plotRect;
    int m_legendRowHeight;
    int m_legendColumnWidth;
    std::vector<GraphSampleList_t> m_lines;
};
