#include "graphics/CGraphicObGraphLine.h"
#include "framework/CDC.h"
#include "framework/CPen.h"

#include <algorithm>
#include <cmath>

namespace
{
const COLORREF WINDOW_BODY_COLOR = 0xA0A0A0;
const COLORREF WINDOW_EDGE_COLOR = 0x808080;
const int WINDOW_EDGE_HALF_WIDTH = 2;

// Whether the next point begins a new piece.
bool PieceStartsAtEnd(const CGraphicObGraphLine::rendered_line_t& rendered)
{
    return !rendered.starts.empty() && rendered.starts.back() == rendered.count;
}

// Appends a point unless it repeats the last one of its piece.
void AppendPoint(CGraphicObGraphLine::rendered_line_t& rendered, int x, int y)
{
    if (rendered.count > 0 && !PieceStartsAtEnd(rendered) && rendered.points[rendered.count - 1].x == x &&
        rendered.points[rendered.count - 1].y == y)
        return;
    if (rendered.count >= CGraphicObGraphLine::rendered_line_t::capacity)
        return;
    rendered.points[rendered.count].x = x;
    rendered.points[rendered.count].y = y;
    ++rendered.count;
}
}  // namespace

CGraphicObGraphLine::CGraphicObGraphLine()
    : m_lineCount(0),
      m_polylineMode(true),
      m_axisPerLine(true),
      m_windowEnabled(false),
      m_windowShown(false),
      m_windowStart(0.0),
      m_windowEnd(0.0),
      m_dragLeft(false),
      m_dragRight(false),
      m_dragBody(false),
      m_dragOffset(0.0),
      m_savedCursor(nullptr),
      m_dirty(false)
{
    m_xAxis = new CGraphicObAxisNumeric();
    m_yAxes.push_back(MakeVerticalAxis());
    m_yAxis = m_yAxes[0];
    m_gridColor = 0xFFFF00;
}

CGraphicObGraphLine::~CGraphicObGraphLine()
{
    delete m_xAxis;
    for (CGraphicObAxisNumeric* axis : m_yAxes)
        delete axis;
}

CGraphicObAxisNumeric* CGraphicObGraphLine::MakeVerticalAxis()
{
    CGraphicObAxisNumeric* axis = new CGraphicObAxisNumeric();
    axis->SetDirection(AXIS_VERTICAL);
    return axis;
}

int CGraphicObGraphLine::AddLine(COLORREF color, const std::string& name, int penWidth, int penStyle)
{
    const int line = static_cast<int>(m_lines.size());
    m_lines.push_back(GraphSampleList_t());
    SetLineLegend(line, color, name);

    CGraphicObAxisNumeric* axis = nullptr;
    if (m_lineCount == 0)
    {
        axis = m_yAxes[0];
    }
    else
    {
        axis = MakeVerticalAxis();
        if (m_lineCount < static_cast<int>(m_yAxes.size()))
        {
            delete m_yAxes[m_lineCount];
            m_yAxes[m_lineCount] = axis;
        }
        else
        {
            m_yAxes.push_back(axis);
        }
    }
    axis->SetTitleText(name.c_str());
    axis->SetColor(color);

    COLORREF penColor = 0;
    GetLineColor(line, penColor);
    const PenDescription_t description = { penStyle, penWidth, penColor };
    boost::shared_ptr<CPen> pen(new CPen());
    // A one-pixel line has no end cap or join to show, and a cosmetic pen draws the same
    // pixels: a geometric pen is filled as the outline of the whole polyline, which costs
    // with every stroke a scan line crosses (a short span of a busy log: hundreds).
    pen->CreatePen(penWidth <= 1 ? (penStyle & PS_STYLE_MASK) : penStyle, penWidth, penColor);
    m_penDescriptions.push_back(description);
    m_pens.push_back(pen);
    m_renderedLines.push_back(boost::shared_ptr<rendered_line_t>(new rendered_line_t()));
    ++m_lineCount;
    m_dirty = true;
    return line;
}

bool CGraphicObGraphLine::RemoveAllLines()
{
    m_lineColors.clear();
    m_lineNames.clear();
    Invalidate();
    ClearPoints();
    m_lines.clear();
    m_renderedLines.clear();
    for (CGraphicObAxisNumeric* axis : m_yAxes)
        delete axis;
    m_yAxes.clear();
    m_pens.clear();
    m_penDescriptions.clear();
    m_yAxes.push_back(MakeVerticalAxis());
    m_yAxis = m_yAxes[0];
    m_lineCount = 0;
    return true;
}

CGraphicObAxisNumeric* CGraphicObGraphLine::GetYAxis(int i)
{
    if (i < 0 || i >= m_lineCount || i >= static_cast<int>(m_yAxes.size()))
        return m_yAxis;
    return m_yAxes[i];
}

bool CGraphicObGraphLine::SelectYAxis(int i)
{
    if (i < 0 || i >= static_cast<int>(m_yAxes.size()) || m_yAxes[i] == m_yAxis)
        return false;
    m_yAxis = m_yAxes[i];
    Invalidate();
    return true;
}

bool CGraphicObGraphLine::OnLegendClick(UINT flags, int x, int y, int line)
{
    return SelectYAxis(line);
}

void CGraphicObGraphLine::AddPoint(double x, double y, int line)
{
    CGraphicObGraph::AddPoint(x, y, line);
    m_dirty = true;
}

void CGraphicObGraphLine::ClearPoints()
{
    CGraphicObGraph::ClearPoints();
    Render();
}

bool CGraphicObGraphLine::FitToData()
{
    if (!CGraphicObGraph::FitToData())
        return false;
    if (!m_fitY)
        return true;
    double xMinimum, xMaximum, yMinimum, yMaximum;
    GetDataBounds(xMinimum, xMaximum, yMinimum, yMaximum);
    for (CGraphicObAxisNumeric* axis : m_yAxes)
    {
        if (axis == m_yAxis)
            continue;
        axis->SetRange(yMinimum, yMaximum);
        axis->SetTickStep((yMaximum - yMinimum) / 10.0);
        axis->AutoScale();
    }
    m_dirty = true;
    return true;
}

void CGraphicObGraphLine::Reset()
{
    CGraphicObGraph::Reset();
    m_windowShown = false;
    m_dragLeft = m_dragRight = m_dragBody = false;
    m_dragOffset = 0.0;
    Render();
}

void CGraphicObGraphLine::Layout(CDC* dc, const CRect& rect)
{
    CGraphicObGraph::Layout(dc, rect);
    const CRect yRect = m_yAxis->GetRect();
    for (CGraphicObAxisNumeric* axis : m_yAxes)
    {
        if (axis == m_yAxis)
            continue;
        axis->SetLabelBounds(m_yAxis->GetLabelBounds());
        axis->Layout(dc, yRect);
    }
    ComputeWindowRects();
    Render();
}

void CGraphicObGraphLine::Render()
{
    for (size_t line = 0; line < m_renderedLines.size(); ++line)
    {
        if (!m_renderedLines[line])
            m_renderedLines[line].reset(new rendered_line_t());
        RenderLine(static_cast<int>(line), *m_renderedLines[line]);
    }
    m_dirty = false;
}

void CGraphicObGraphLine::RenderLine(int line, rendered_line_t& rendered)
{
    rendered.count = 0;
    rendered.starts.clear();
    if (line >= static_cast<int>(m_lines.size()))
        return;
    const GraphSampleList_t& samples = m_lines[line];
    CGraphicObAxisNumeric* yAxis = m_axisPerLine ? GetYAxis(line) : m_yAxis;
    const int barBottom = m_plotRect.bottom - 1;

    // While every sample fits, each one is a point (two in bar mode). A longer line is
    // merged column by column (first, lowest, highest and last point of a pixel column, or
    // one bar to the column's top), so that the whole line shows within the capacity.
    size_t inRangeCount = 0;
    for (const GraphSample_t& sample : samples)
    {
        bool inRange = false;
        m_xAxis->ValueToPixel(sample.first, &inRange);
        if (inRange)
            ++inRangeCount;
    }
    const size_t pointsPerSample = m_polylineMode ? 1 : 2;
    const bool merge = inRangeCount * pointsPerSample > static_cast<size_t>(rendered_line_t::capacity);

    bool haveColumn = false;
    int column = 0;
    int firstY = 0, lowestY = 0, highestY = 0, lastY = 0;
    auto flushColumn = [&]() {
        if (!haveColumn)
            return;
        if (m_polylineMode)
        {
            AppendPoint(rendered, column, firstY);
            AppendPoint(rendered, column, lowestY);
            AppendPoint(rendered, column, highestY);
            AppendPoint(rendered, column, lastY);
        }
        else if (rendered.count + 2 <= rendered_line_t::capacity)
        {
            // Bars rise from the bottom row: the column's tallest covers the others.
            rendered.points[rendered.count].x = column;
            rendered.points[rendered.count].y = barBottom;
            rendered.points[rendered.count + 1].x = column;
            rendered.points[rendered.count + 1].y = std::min(lowestY, highestY);
            rendered.count += 2;
        }
    };

    // A gap ends the piece: the points after it start a new one.
    const auto breakPiece = [&]() {
        flushColumn();
        haveColumn = false;
        if (rendered.count > 0 && !PieceStartsAtEnd(rendered))
            rendered.starts.push_back(rendered.count);
    };

    for (const GraphSample_t& sample : samples)
    {
        if (rendered.count >= rendered_line_t::capacity)
            break;
        bool inRange = false;
        const int px = m_xAxis->ValueToPixel(sample.first, &inRange);
        if (!inRange)
            continue;
        if (std::isnan(sample.second))
        {
            breakPiece();
            continue;
        }
        const int py = yAxis->ValueToPixel(sample.second);
        if (!merge)
        {
            if (m_polylineMode)
            {
                rendered.points[rendered.count].x = px;
                rendered.points[rendered.count].y = py;
                ++rendered.count;
            }
            else if (rendered.count + 2 <= rendered_line_t::capacity)
            {
                rendered.points[rendered.count].x = px;
                rendered.points[rendered.count].y = barBottom;
                rendered.points[rendered.count + 1].x = px;
                rendered.points[rendered.count + 1].y = py;
                rendered.count += 2;
            }
            continue;
        }
        if (haveColumn && px == column)
        {
            lowestY = std::min(lowestY, py);
            highestY = std::max(highestY, py);
            lastY = py;
            continue;
        }
        flushColumn();
        haveColumn = true;
        column = px;
        firstY = lowestY = highestY = lastY = py;
    }
    flushColumn();
    // A gap at the end starts no piece.
    if (PieceStartsAtEnd(rendered))
        rendered.starts.pop_back();
}

const CGraphicObGraphLine::rendered_line_t* CGraphicObGraphLine::GetRenderedLine(int line)
{
    if (m_dirty)
        Render();
    if (line < 0 || line >= static_cast<int>(m_renderedLines.size()))
        return nullptr;
    return m_renderedLines[line].get();
}

void CGraphicObGraphLine::Draw(CDC* dc)
{
    CGraphicObGraph::Draw(dc);
    if (m_dirty)
        Render();
    if (m_windowShown)
    {
        const COLORREF previousBackground = dc->GetBkColor();
        dc->FillSolidRect(m_windowRects[2], WINDOW_BODY_COLOR);
        dc->FillSolidRect(m_windowRects[0], WINDOW_EDGE_COLOR);
        dc->FillSolidRect(m_windowRects[1], WINDOW_EDGE_COLOR);
        dc->SetBkColor(previousBackground);
    }
    CPen* previous = nullptr;
    for (size_t line = 0; line < m_renderedLines.size() && line < m_pens.size(); ++line)
    {
        const rendered_line_t& rendered = *m_renderedLines[line];
        if (rendered.count == 0)
            continue;
        CPen* selected = dc->SelectObject(m_pens[line].get());
        if (previous == nullptr)
            previous = selected;
        int start = 0;
        for (size_t piece = 0; piece <= rendered.starts.size(); ++piece)
        {
            const int end = piece < rendered.starts.size() ? rendered.starts[piece] : rendered.count;
            // A lone value next to a gap still shows, as a dot.
            if (end - start == 1 && m_polylineMode && !rendered.starts.empty())
            {
                dc->MoveTo(rendered.points[start]);
                dc->LineTo(rendered.points[start].x + 1, rendered.points[start].y);
            }
            else if (end > start)
            {
                dc->Polyline(rendered.points + start, end - start);
            }
            start = end;
        }
    }
    if (previous != nullptr)
        dc->SelectObject(previous);
}

void CGraphicObGraphLine::SetWindow(double start, double end)
{
    m_windowStart = start;
    m_windowEnd = end;
    m_windowShown = m_windowEnabled;
    ComputeWindowRects();
}

void CGraphicObGraphLine::ComputeWindowRects()
{
    const int x1 = m_xAxis->ValueToPixel(m_windowStart + m_dragOffset);
    const int x2 = m_xAxis->ValueToPixel(m_windowEnd + m_dragOffset);
    const int half = WINDOW_EDGE_HALF_WIDTH;
    m_windowRects[0] = CRect(x1 - half, m_plotRect.top, x1 + half, m_plotRect.bottom);
    m_windowRects[1] = CRect(x2 - half, m_plotRect.top, x2 + half, m_plotRect.bottom);
    m_windowRects[2] = CRect(x1 + half, m_plotRect.top, x2 - half, m_plotRect.bottom);
}

void CGraphicObGraphLine::RestoreCursor()
{
    if (m_savedCursor != nullptr)
        ::SetCursor(m_savedCursor);
    m_savedCursor = nullptr;
}

bool CGraphicObGraphLine::OnMouseDown(UINT flags, CPoint point)
{
    if (m_windowEnabled && !m_windowShown)
    {
        // A new window whose right edge lies under the press.
        m_windowShown = true;
        m_windowStart = m_xAxis->PixelToValue(point.x - 1);
        m_windowEnd = m_xAxis->PixelToValue(point.x);
        m_dragOffset = 0.0;
        ComputeWindowRects();
    }
    if (m_windowShown)
    {
        HCURSOR cursor = nullptr;
        if (m_windowRects[1].PtInRect(point))
        {
            m_dragRight = true;
            cursor = ::LoadCursor(nullptr, IDC_SIZEWE);
        }
        else if (m_windowRects[0].PtInRect(point))
        {
            m_dragLeft = true;
            cursor = ::LoadCursor(nullptr, IDC_SIZEWE);
        }
        else if (m_windowRects[2].PtInRect(point))
        {
            m_dragBody = true;
            m_dragStart = point;
            m_dragOffset = 0.0;
            cursor = ::LoadCursor(nullptr, IDC_SIZEALL);
        }
        if (cursor != nullptr)
        {
            HCURSOR previous = ::SetCursor(cursor);
            if (m_savedCursor == nullptr)
                m_savedCursor = previous;
            return true;
        }
    }
    return CGraphicObGraph::OnMouseDown(flags, point);
}

bool CGraphicObGraphLine::OnMouseMove(UINT flags, CPoint point)
{
    if (!IsDragging())
    {
        // Only the cursor follows the mouse: nothing to redraw.
        if (m_windowShown && (m_windowRects[0].PtInRect(point) || m_windowRects[1].PtInRect(point)))
        {
            HCURSOR previous = ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
            if (m_savedCursor == nullptr)
                m_savedCursor = previous;
        }
        else if (m_windowShown && m_windowRects[2].PtInRect(point))
        {
            HCURSOR previous = ::SetCursor(::LoadCursor(nullptr, IDC_SIZEALL));
            if (m_savedCursor == nullptr)
                m_savedCursor = previous;
        }
        else
        {
            RestoreCursor();
        }
        return false;
    }
    const double value = m_xAxis->PixelToValue(point.x);
    if (m_dragLeft)
    {
        if (value < m_dragOffset + m_windowEnd)
            m_windowStart = value;
    }
    else if (m_dragRight)
    {
        if (value > m_dragOffset + m_windowStart)
            m_windowEnd = value;
    }
    else
    {
        const double d = value - m_xAxis->PixelToValue(m_dragStart.x);
        if (m_windowStart + d < m_xAxis->GetMin() || m_windowEnd + d > m_xAxis->GetMax())
            return false;
        m_dragOffset = d;
    }
    ComputeWindowRects();
    return true;
}

bool CGraphicObGraphLine::OnMouseUp(UINT flags, CPoint point)
{
    if (!IsDragging())
        return false;
    if (m_dragBody)
    {
        double d = m_xAxis->PixelToValue(point.x) - m_xAxis->PixelToValue(m_dragStart.x);
        // The window stays inside the axis' range.
        if (m_windowEnd + d > m_xAxis->GetMax())
            d = m_xAxis->GetMax() - m_windowEnd;
        if (m_windowStart + d < m_xAxis->GetMin())
            d = m_xAxis->GetMin() - m_windowStart;
        m_windowStart += d;
        m_windowEnd += d;
        m_dragOffset = 0.0;
    }
    m_dragLeft = m_dragRight = m_dragBody = false;
    RestoreCursor();
    ComputeWindowRects();
    return true;
}
