// A line graph: each line a polyline through its samples (or a bar per sample), each line
// with a vertical axis of its own (the legend chooses which one is shown), and an X window
// that the user can show and drag with the mouse.
#pragma once
#include "framework/FrameworkBase.h"
#include "graphics/CGraphicObGraph.h"

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

class CPen;

class CGraphicObGraphLine : public CGraphicObGraph
{
public:
    // The pixel polyline of one line; a gap in the samples starts a new piece at each of
    // the starts (in ascending order; the first piece starts at 0).
    struct rendered_line_t
    {
        static constexpr int capacity = 16384;
        int count = 0;
        POINT points[capacity];
        std::vector<int> starts;
    };

    CGraphicObGraphLine();
    ~CGraphicObGraphLine() override;

    void Draw(CDC* dc) override;
    void Layout(CDC* dc, const CRect& rect) override;
    // Also hides the X window.
    void Reset() override;
    bool OnMouseDown(UINT flags, CPoint point) override;
    bool OnMouseMove(UINT flags, CPoint point) override;
    bool OnMouseUp(UINT flags, CPoint point) override;
    void AddPoint(double x, double y, int line) override;
    void ClearPoints() override;
    bool FitToData() override;
    bool OnLegendClick(UINT flags, int x, int y, int line) override;
    using CGraphicObGraph::GetYAxis;

    // The new line's index; the first line takes Y axis 0, every further line a new axis.
    int AddLine(COLORREF color, const std::string& name, int penWidth, int penStyle);
    // Back to the constructed state: one Y axis, no lines.
    bool RemoveAllLines();
    // Y axis i; the graph's Y axis for an i that names no line.
    CGraphicObAxisNumeric* GetYAxis(int i);
    // False when there is no axis i or it is already the shown one.
    bool SelectYAxis(int i);
    int GetLineCount() const { return m_lineCount; }
    int GetYAxisCount() const { return static_cast<int>(m_yAxes.size()); }

    void SetPolylineMode(bool polyline) { m_polylineMode = polyline; m_dirty = true; }
    void SetAxisPerLine(bool perLine) { m_axisPerLine = perLine; m_dirty = true; }
    bool IsAxisPerLine() const { return m_axisPerLine; }

    // The X window: its owner enables it and reads or sets its interval.
    void EnableWindow(bool enabled) { m_windowEnabled = enabled; }
    bool IsWindowEnabled() const { return m_windowEnabled; }
    bool IsWindowShown() const { return m_windowShown; }
    double GetWindowStart() const { return m_windowStart; }
    double GetWindowEnd() const { return m_windowEnd; }
    // Set while the body is dragged; zero otherwise.
    double GetDragOffset() const { return m_dragOffset; }
    void SetWindow(double start, double end);
    bool IsDragging() const { return m_dragLeft || m_dragRight || m_dragBody; }
    CRect GetWindowLeftEdge() const { return m_windowRects[0]; }
    CRect GetWindowRightEdge() const { return m_windowRects[1]; }
    CRect GetWindowBody() const { return m_windowRects[2]; }

    // Renders when samples changed since the last rendering.
    const rendered_line_t* GetRenderedLine(int line);

protected:
    struct PenDescription_t
    {
        int style;
        int width;
        COLORREF color;
    };

    // Turns the samples into pixel polylines.
    void Render();
    void RenderLine(int line, rendered_line_t& rendered);
    void ComputeWindowRects();
    void RestoreCursor();
    CGraphicObAxisNumeric* MakeVerticalAxis();

    int m_lineCount;
    bool m_polylineMode;
    bool m_axisPerLine;
    std::vector<PenDescription_t> m_penDescriptions;
    std::vector<boost::shared_ptr<CPen>> m_pens;
    std::vector<CGraphicObAxisNumeric*> m_yAxes;
    bool m_windowEnabled;
    bool m_windowShown;
    double m_windowStart;
    double m_windowEnd;
    CRect m_windowRects[3];
    bool m_dragLeft;
    bool m_dragRight;
    bool m_dragBody;
    CPoint m_dragStart;
    double m_dragOffset;
    HCURSOR m_savedCursor;
    std::vector<boost::shared_ptr<rendered_line_t>> m_renderedLines;
    bool m_dirty;
};
