#include "graphics/CGraphicObGraph.h"
#include "framework/CDC.h"
#include "framework/CFont.h"
#include "framework/CPen.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

CGraphicObGraph::CGraphicObGraph()
    : m_xGrid(false),
      m_yGrid(false),
      m_gridColor(0),
      m_xAxisHeight(40),
      m_yAxisWidth(60),
      m_legendWidth(60),
      m_legendBoxSize(20),
      m_legendSpacing(10),
      m_legendTextColor(0),
      m_legendShown(false),
      m_fitX(true),
      m_fitY(true),
      m_legendFontSize(10),
      m_xAxis(nullptr),
      m_yAxis(nullptr),
      m_legendRowHeight(1),
      m_legendColumnWidth(1)
{
    std::memset(&m_legendFont, 0, sizeof(m_legendFont));
}

// The axes belong to the line graph, which deletes them.
CGraphicObGraph::~CGraphicObGraph() = default;

void CGraphicObGraph::Layout(CDC* dc, const CRect& rect)
{
    CGraphicOb::Layout(dc, rect);
    m_plotRect = rect;
    m_legendRect = CRect();
    if (m_legendShown)
    {
        m_legendRect = CRect(m_plotRect.right - m_legendWidth, m_plotRect.top, m_plotRect.right, m_plotRect.bottom);
        m_plotRect.right -= m_legendWidth;
        const int rows = std::max<int>(1, static_cast<int>(m_lineColors.size()));
        m_legendRowHeight = m_legendRect.Height() / rows;
        m_legendColumnWidth = m_legendWidth;
    }
    // Labels near the ends reach beyond their axis: they stay inside the graph, clear of
    // the legend.
    CRect labelBounds = rect;
    if (m_legendShown)
        labelBounds.right = m_legendRect.left;
    if (m_yAxis != nullptr)
    {
        m_yAxis->SetLabelBounds(labelBounds);
        m_yAxis->Layout(dc, CRect(m_plotRect.left, m_plotRect.top, m_plotRect.left + m_yAxisWidth,
                                  std::min(rect.bottom, m_plotRect.bottom - m_xAxisHeight)));
    }
    if (m_xAxis != nullptr)
    {
        m_xAxis->SetLabelBounds(labelBounds);
        m_xAxis->Layout(dc, CRect(m_plotRect.left + m_yAxisWidth, m_plotRect.bottom - m_xAxisHeight,
                                  m_plotRect.right, m_plotRect.bottom));
    }
    m_plotRect.left += m_yAxisWidth;
    m_plotRect.bottom -= m_xAxisHeight;
    if (m_legendShown)
        FitLegendFont(dc);
}

CRect CGraphicObGraph::GetLegendTextRect(int line) const
{
    const CRect row = GetLegendRowRect(line);
    if (row.IsRectEmpty())
        return CRect();
    const int half = m_legendSpacing / 2;
    return CRect(row.left + half + m_legendBoxSize + m_legendSpacing, row.top + half, m_legendRect.right, row.bottom);
}

void CGraphicObGraph::FitLegendFont(CDC* dc)
{
    CFont pointFont;
    pointFont.CreatePointFont(m_legendFontSize * 10, "Arial", dc);
    pointFont.GetLogFont(&m_legendFont);
    // The largest font up to the legend's size at which every name, wrapped at its words,
    // fits its row.
    for (int height = std::abs(m_legendFont.lfHeight); height > 1; --height)
    {
        m_legendFont.lfHeight = -height;
        CFont font;
        font.CreateFontIndirect(&m_legendFont);
        CFont* previous = dc->SelectObject(&font);
        bool fits = true;
        for (int line : LegendLinesFromTop())
        {
            const CRect room = GetLegendTextRect(line);
            CRect needed(0, 0, room.Width(), 0);
            dc->DrawText(CString(m_lineNames[line].c_str()), needed, DT_CALCRECT | DT_WORDBREAK | DT_LEFT | DT_TOP);
            if (needed.Width() > room.Width() || needed.Height() > room.Height())
            {
                fits = false;
                break;
            }
        }
        dc->SelectObject(previous);
        if (fits)
            break;
    }
}

void CGraphicObGraph::Draw(CDC* dc)
{
    CGraphicOb::Draw(dc);
    if (m_xAxis != nullptr && m_xAxisHeight != 0)
        m_xAxis->Draw(dc);
    if (m_yAxis != nullptr && m_yAxisWidth != 0)
        m_yAxis->Draw(dc);
    if (m_legendShown && !m_lineColors.empty())
        DrawLegend(dc);
    if (m_xGrid)
        DrawXGrid(dc);
    if (m_yGrid)
        DrawYGrid(dc);
}

std::vector<int> CGraphicObGraph::LegendLinesFromTop() const
{
    std::vector<int> lines;
    for (const auto& entry : m_lineColors)
        lines.push_back(entry.first);
    return lines;
}

CRect CGraphicObGraph::GetLegendRowRect(int line) const
{
    const std::vector<int> lines = LegendLinesFromTop();
    const auto found = std::find(lines.begin(), lines.end(), line);
    if (found == lines.end())
        return CRect();
    // Stacked from the bottom upwards, the last line lowest.
    const int fromBottom = static_cast<int>(lines.end() - found) - 1;
    const int top = m_legendRect.bottom - (fromBottom + 1) * m_legendRowHeight;
    return CRect(m_legendRect.right - m_legendColumnWidth, top, m_legendRect.right, top + m_legendRowHeight);
}

int CGraphicObGraph::LegendLineAt(CPoint point) const
{
    if (!m_legendShown || m_lineColors.empty() || !m_legendRect.PtInRect(point))
        return -1;
    for (int line : LegendLinesFromTop())
    {
        if (GetLegendRowRect(line).PtInRect(point))
            return line;
    }
    return -1;
}

void CGraphicObGraph::DrawLegend(CDC* dc)
{
    CFont font;
    font.CreateFontIndirect(&m_legendFont);
    CFont* previousFont = dc->SelectObject(&font);
    const UINT previousAlign = dc->SetTextAlign(TA_LEFT | TA_TOP);
    const COLORREF previousColor = dc->SetTextColor(m_legendTextColor);
    const int previousMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF previousBackground = dc->GetBkColor();
    for (int line : LegendLinesFromTop())
    {
        const CRect row = GetLegendRowRect(line);
        const int half = m_legendSpacing / 2;
        dc->FillSolidRect(row.left + half, row.top + half, m_legendBoxSize, m_legendBoxSize, m_lineColors[line]);
        CRect textRect = GetLegendTextRect(line);
        dc->DrawText(CString(m_lineNames[line].c_str()), textRect, DT_WORDBREAK | DT_LEFT | DT_TOP);
    }
    dc->SetBkColor(previousBackground);
    dc->SetBkMode(previousMode);
    dc->SetTextColor(previousColor);
    dc->SetTextAlign(previousAlign);
    dc->SelectObject(previousFont);
}

bool CGraphicObGraph::OnMouseDown(UINT flags, CPoint point)
{
    const int line = LegendLineAt(point);
    if (line < 0)
        return false;
    return OnLegendClick(flags, point.x - m_legendRect.left, point.y - m_legendRect.top, line);
}

void CGraphicObGraph::SetColor(COLORREF color)
{
    if (m_xAxis != nullptr)
        m_xAxis->SetColor(color);
    if (m_yAxis != nullptr)
        m_yAxis->SetColor(color);
    m_legendTextColor = color;
    m_gridColor = color;
}

void CGraphicObGraph::SetBackgroundColor(COLORREF color)
{
    if (m_xAxis != nullptr)
        m_xAxis->SetBackgroundColor(color);
    if (m_yAxis != nullptr)
        m_yAxis->SetBackgroundColor(color);
}

void CGraphicObGraph::Reset()
{
    Invalidate();
    for (GraphSampleList_t& samples : m_lines)
        samples.clear();
}

void CGraphicObGraph::AddPoint(double x, double y, int line)
{
    if (line < 0 || line >= static_cast<int>(m_lines.size()))
        return;
    m_lines[line].push_back(GraphSample_t(x, y));
}

void CGraphicObGraph::ClearPoints()
{
    for (GraphSampleList_t& samples : m_lines)
        samples.clear();
}

void CGraphicObGraph::GetDataBounds(double& xMinimum, double& xMaximum, double& yMinimum, double& yMaximum) const
{
    bool any = false;
    xMinimum = xMaximum = yMinimum = yMaximum = 0.0;
    for (const GraphSampleList_t& samples : m_lines)
    {
        for (const GraphSample_t& sample : samples)
        {
            if (std::isnan(sample.second))
                continue;
            if (!any)
            {
                xMinimum = xMaximum = sample.first;
                yMinimum = yMaximum = sample.second;
                any = true;
                continue;
            }
            xMinimum = std::min(xMinimum, sample.first);
            xMaximum = std::max(xMaximum, sample.first);
            yMinimum = std::min(yMinimum, sample.second);
            yMaximum = std::max(yMaximum, sample.second);
        }
    }
}

bool CGraphicObGraph::FitToData()
{
    if (!m_fitX && !m_fitY)
        return false;
    double xMinimum, xMaximum, yMinimum, yMaximum;
    GetDataBounds(xMinimum, xMaximum, yMinimum, yMaximum);
    if (m_yAxis != nullptr && m_fitY)
    {
        m_yAxis->SetRange(yMinimum, yMaximum);
        m_yAxis->SetTickStep((yMaximum - yMinimum) / 10.0);
        // A flat range is widened there.
        m_yAxis->AutoScale();
        Invalidate();
    }
    return true;
}

CGraphicObAxisNumeric* CGraphicObGraph::GetXAxis()
{
    return m_xAxis;
}

CGraphicObAxisNumeric* CGraphicObGraph::GetYAxis()
{
    return m_yAxis;
}

bool CGraphicObGraph::OnLegendClick(UINT flags, int x, int y, int line)
{
    return false;
}

void CGraphicObGraph::SetLineLegend(int line, COLORREF color, const std::string& name)
{
    m_lineColors[line] = color;
    m_lineNames[line] = name;
    Invalidate();
}

bool CGraphicObGraph::GetLineColor(int line, COLORREF& color) const
{
    const auto found = m_lineColors.find(line);
    if (found == m_lineColors.end())
        return false;
    color = found->second;
    return true;
}

std::string CGraphicObGraph::GetLineName(int line) const
{
    const auto found = m_lineNames.find(line);
    return found == m_lineNames.end() ? std::string() : found->second;
}

void CGraphicObGraph::DrawGridLines(CDC* dc, bool vertical)
{
    if (m_xAxis == nullptr || m_yAxis == nullptr)
        return;
    CPen pen(PS_DOT, 1, m_gridColor);
    CPen* previous = dc->SelectObject(&pen);
    const int previousMode = dc->SetBkMode(TRANSPARENT);
    // Vertical lines at the X ticks span the Y axis; horizontal ones at the Y ticks the X axis.
    const CGraphicObAxisNumeric& ticks = vertical ? *m_xAxis : *m_yAxis;
    const CRect across = vertical ? m_yAxis->GetRect() : m_xAxis->GetRect();
    for (double value : ticks.GetTickValues())
    {
        const int at = ticks.ValueToPixel(value);
        if (vertical)
        {
            dc->MoveTo(at, across.bottom - 1);
            dc->LineTo(at, across.top);
        }
        else
        {
            dc->MoveTo(across.left, at);
            dc->LineTo(across.right - 1, at);
        }
    }
    dc->SetBkMode(previousMode);
    dc->SelectObject(previous);
}

void CGraphicObGraph::DrawXGrid(CDC* dc)
{
    DrawGridLines(dc, true);
}

void CGraphicObGraph::DrawYGrid(CDC* dc)
{
    DrawGridLines(dc, false);
}
