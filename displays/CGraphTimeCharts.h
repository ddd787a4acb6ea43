// The two strip charts of a Historical Graph and how they are filled: a main chart with
// one line per plotted column, and an overview under it that always shows the whole time
// range and carries the draggable window that chooses what the main chart shows. The view
// owns one and forwards its size, paint and mouse events to it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CRect.h"
#include "graphics/CGraphicObGraphLineStripChart.h"

class CDC;
class CDisplayGraphTimeDoc;

// Height of the overview strip below the main chart, and its inset on either side.
const int GRAPH_OVERVIEW_HEIGHT = 90;
const int GRAPH_OVERVIEW_INSET = 20;
const int GRAPH_LINE_COLOR_COUNT = 8;
extern const COLORREF GRAPH_LINE_COLORS[GRAPH_LINE_COLOR_COUNT];

class CGraphTimeCharts
{
public:
    CGraphTimeCharts();

    // Reads every plotted column from its log file again (under the display's entry
    // lock), one line per column, and sets both charts' ranges.
    void FullRebuild(CDisplayGraphTimeDoc& document);
    // The main chart shows the samples between start and end (time values).
    void WindowRebuild(double start, double end);
    // Full rebuild, then the main chart follows the overview's window when there is one.
    void Rebuild(CDisplayGraphTimeDoc& document);

    void Layout(CDC* dc, int width, int height);
    // Both charts on a white background.
    void Paint(CDC* dc, const CRect& client);

    // True when the charts changed and the window must be painted again.
    bool OnMouseDown(UINT flags, CPoint point);
    bool OnMouseMove(UINT flags, CPoint point);
    bool OnMouseUp(UINT flags, CPoint point);
    bool IsDragging() const { return m_dragging; }

    CGraphicObGraphLineStripChart& GetMainChart() { return m_main; }
    CGraphicObGraphLineStripChart& GetOverview() { return m_overview; }
    CRect GetMainRect() const { return m_mainRect; }
    CRect GetOverviewRect() const { return m_overviewRect; }

private:
    // The window as the overview shows it, with the offset of a body drag.
    double WindowStart() const;
    double WindowEnd() const;

    CGraphicObGraphLineStripChart m_main;
    CGraphicObGraphLineStripChart m_overview;
    bool m_dragging;
    CRect m_mainRect;
    CRect m_overviewRect;
};
