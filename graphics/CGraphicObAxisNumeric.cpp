#include "graphics/CGraphicObAxisNumeric.h"
#include "framework/CDC.h"
#include "framework/CFont.h"
#include "framework/CPen.h"

#include <algorithm>
#include <cmath>

namespace
{
bool IsUsable(double value)
{
    return std::isfinite(value);
}

// Width of the first line and height of one line of a label at the selected font.
struct LabelExtent_t
{
    int firstLineWidth = 0;
    int widestLineWidth = 0;
    int lineHeight = 0;
    int lines = 1;
};

LabelExtent_t MeasureLabel(CDC* dc, const CString& label)
{
    LabelExtent_t extent;
    std::string text = static_cast<LPCTSTR>(label);
    size_t start = 0;
    bool first = true;
    extent.lines = 0;
    while (true)
    {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const CSize size = dc->GetTextExtent(line.c_str(), static_cast<int>(line.size()));
        if (first)
            extent.firstLineWidth = size.cx;
        first = false;
        extent.widestLineWidth = std::max(extent.widestLineWidth, static_cast<int>(size.cx));
        extent.lineHeight = std::max(extent.lineHeight, static_cast<int>(size.cy));
        ++extent.lines;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return extent;
}

// The whole label as one line (its line breaks as blanks).
CSize MeasureAsOneLine(CDC* dc, const CString& label)
{
    CString oneLine = label;
    oneLine.Replace('\n', ' ');
    return dc->GetTextExtent(oneLine);
}

// Moves the box inside the bounds (its top-left corner first when it is larger); the move.
CPoint ShiftInside(CRect& box, const CRect& bounds)
{
    CPoint shift(0, 0);
    if (bounds.IsRectEmpty())
        return shift;
    if (box.right > bounds.right)
        shift.x = bounds.right - box.right;
    if (box.left + shift.x < bounds.left)
        shift.x = bounds.left - box.left;
    if (box.bottom > bounds.bottom)
        shift.y = bounds.bottom - box.bottom;
    if (box.top + shift.y < bounds.top)
        shift.y = bounds.top - box.top;
    box.OffsetRect(shift);
    return shift;
}
}  // namespace

CGraphicObAxisNumeric::CGraphicObAxisNumeric()
    : m_labelWidth(3),
      m_decimals(AXIS_DECIMALS_AUTO),
      m_minimum(0.0),
      m_maximum(10.0),
      m_tickStep(10.0),
      m_labelPrecision(-1)
{
}

void CGraphicObAxisNumeric::LabelsChanged()
{
    m_labelPrecision = -1;
    Invalidate();
}

void CGraphicObAxisNumeric::SetRange(double minimum, double maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
    LabelsChanged();
}

void CGraphicObAxisNumeric::SetDecimals(int decimals)
{
    m_decimals = decimals;
    LabelsChanged();
}

void CGraphicObAxisNumeric::SetLabelBounds(const CRect& bounds)
{
    m_labelBounds = bounds;
    Invalidate();
}

double CGraphicObAxisNumeric::GetMin() const
{
    return m_minimum;
}

double CGraphicObAxisNumeric::GetMax() const
{
    return m_maximum;
}

void CGraphicObAxisNumeric::SetTickStep(double step)
{
    m_tickStep = step;
    LabelsChanged();
}

double CGraphicObAxisNumeric::NiceStep(double roughStep)
{
    if (!(roughStep > 0) || !IsUsable(roughStep))
        return 1.0;
    const double exponent = std::floor(std::log10(roughStep));
    const double power = std::pow(10.0, exponent);
    const double mantissa = roughStep / power;
    double nice = 10.0;
    if (mantissa < 1.5)
        nice = 1.0;
    else if (mantissa < 3.5)
        nice = 2.0;
    else if (mantissa < 7.0)
        nice = 5.0;
    return nice * power;
}

void CGraphicObAxisNumeric::AutoScale()
{
    double minimum = m_minimum;
    double maximum = m_maximum;
    if (!IsUsable(minimum) || !IsUsable(maximum))
    {
        minimum = 0.0;
        maximum = 10.0;
    }
    if (minimum > maximum)
        std::swap(minimum, maximum);
    if (minimum == maximum)
    {
        // One value: a range around it, so that it shows in the middle.
        const double half = minimum != 0.0 ? std::fabs(minimum) * 0.1 : 1.0;
        minimum -= half;
        maximum += half;
    }
    double rough = m_tickStep;
    if (!(rough > 0) || !IsUsable(rough))
        rough = (maximum - minimum) / 10.0;
    // A step far below the range would make more ticks than any axis can show.
    rough = std::max(rough, (maximum - minimum) / AXIS_MAX_TICKS);

    const double step = NiceStep(rough);
    const double low = std::floor(minimum / step) * step;
    const long long k = static_cast<long long>(std::ceil((maximum - low) / step));
    double high = low + k * step;
    if (maximum > high)
        high += step;
    SetRange(low, high);
    m_tickStep = step;
    LabelsChanged();
}

int CGraphicObAxisNumeric::GetPixelSpan() const
{
    if (m_direction == AXIS_VERTICAL)
        return m_bottom - m_top - m_endMargin - 1;
    return m_right - m_endMargin - m_left - 1;
}

int CGraphicObAxisNumeric::ValueToPixel(double value, bool* inRange) const
{
    if (inRange != nullptr)
        *inRange = true;
    const double low = std::min(m_minimum, m_maximum);
    const double high = std::max(m_minimum, m_maximum);
    if (value > high || value < low || !IsUsable(value))
    {
        // Clamped to the end it lies beyond.
        value = value > high ? high : low;
        if (inRange != nullptr)
            *inRange = false;
    }
    const double range = m_maximum - m_minimum;
    // A range of one value maps everything to its near end.
    const double g = range != 0.0 ? GetPixelSpan() / range * (value - m_minimum) : 0.0;
    if (m_direction == AXIS_VERTICAL)
        return m_bottom - static_cast<int>(g) - 1;
    return m_left + static_cast<int>(g);
}

double CGraphicObAxisNumeric::PixelToValue(int pixel, bool* inRange) const
{
    if (inRange != nullptr)
        *inRange = true;
    const double range = std::fabs(m_maximum - m_minimum);
    const int span = GetPixelSpan();
    if (m_direction == AXIS_VERTICAL)
    {
        // The bottom row is the minimum, the top row below the end margin the maximum.
        if (pixel <= m_top + m_endMargin || pixel > m_bottom - 1)
        {
            if (inRange != nullptr)
                *inRange = false;
            return pixel > m_bottom - 1 ? m_minimum : m_maximum;
        }
        if (span <= 0 || range == 0.0)
            return m_minimum;
        return m_minimum + (m_bottom - 1 - pixel) / (span / range);
    }
    if (pixel >= m_right - 1 || pixel < m_left)
    {
        if (inRange != nullptr)
            *inRange = false;
        return pixel < m_left ? m_minimum : m_maximum;
    }
    if (span <= 0 || range == 0.0)
        return m_minimum;
    return m_minimum + (pixel - m_left) / (span / range);
}

void CGraphicObAxisNumeric::FormatLabel(CString& text, double value) const
{
    FormatLabelAt(text, value, GetLabelPrecision());
}

void CGraphicObAxisNumeric::FormatLabelAt(CString& text, double value, int decimals) const
{
    // A tick a rounding error below zero is zero, not "-0.0".
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0.0;
    const int width = m_labelWidth + (decimals > 0 ? decimals + 1 : 0);
    text.Format("%*.*lf", width, decimals, value);
}

int CGraphicObAxisNumeric::GetLabelPrecision() const
{
    if (m_decimals >= 0)
        return m_decimals;
    if (m_labelPrecision >= 0)
        return m_labelPrecision;
    const std::vector<double> ticks = GetTickValues();
    m_labelPrecision = GetMaxLabelPrecision();
    for (int precision = 0; precision < GetMaxLabelPrecision(); ++precision)
    {
        // Ticks ascend: neighbours that differ tell every tick apart.
        bool distinct = true;
        CString previous;
        CString text;
        for (size_t tick = 0; tick < ticks.size() && distinct; ++tick)
        {
            FormatLabelAt(text, ticks[tick], precision);
            distinct = tick == 0 || text != previous;
            previous = text;
        }
        if (distinct)
        {
            m_labelPrecision = precision;
            break;
        }
    }
    return m_labelPrecision;
}

std::vector<double> CGraphicObAxisNumeric::GetTickValues() const
{
    std::vector<double> values;
    if (!IsUsable(m_minimum) || !IsUsable(m_maximum))
        return values;
    if (!(m_tickStep > 0) || !IsUsable(m_tickStep))
    {
        values.push_back(m_minimum);
        return values;
    }
    // Counted, not summed up, so that rounding cannot drop or add the last tick.
    const double tolerance = m_tickStep * 1e-9;
    for (int i = 0; i < AXIS_MAX_TICKS; ++i)
    {
        const double value = m_minimum + i * m_tickStep;
        if (value > m_maximum + tolerance)
            break;
        values.push_back(value);
    }
    return values;
}

void CGraphicObAxisNumeric::Layout(CDC* dc, const CRect& rect)
{
    CGraphicObAxis::Layout(dc, rect);
    const bool vertical = m_direction == AXIS_VERTICAL;
    const int along = vertical ? rect.Height() : rect.Width();
    const int across = vertical ? rect.Width() : rect.Height();
    const int h0 = static_cast<int>(m_labelFraction * across);

    // The room of a label is counted from the ticks a whole step apart that cover the range
    // (one more than the range holds whole steps when it ends between two ticks).
    const std::vector<double> ticks = GetTickValues();
    int n = 1;
    if (m_tickStep > 0 && IsUsable(m_tickStep))
    {
        const double steps = std::ceil((m_maximum - m_minimum) / m_tickStep - 1e-9);
        n = static_cast<int>(std::min<double>(std::max(0.0, steps), AXIS_MAX_TICKS)) + 1;
    }
    CString widest = "1";
    if (m_tickStep > 0)
    {
        widest.Empty();
        for (double value : ticks)
        {
            CString label;
            FormatLabel(label, value);
            if (label.GetLength() > widest.GetLength())
                widest = label;
        }
    }

    LOGFONT measuring = m_labelFont;
    measuring.lfHeight = h0;
    measuring.lfEscapement = 0;
    measuring.lfOrientation = 0;
    CFont font;
    font.CreateFontIndirect(&measuring);
    CFont* previous = dc->SelectObject(&font);
    int w = 0;
    int h = 0;
    if (m_labelOrientation == m_direction)
    {
        const LabelExtent_t extent = MeasureLabel(dc, widest);
        w = extent.firstLineWidth;
        h = extent.lineHeight * extent.lines;
    }
    else
    {
        const CSize extent = MeasureAsOneLine(dc, widest);
        w = extent.cx;
        h = extent.cy;
    }
    dc->SelectObject(previous);

    double f2 = 1.0;
    const int extentAlong = m_labelOrientation == m_direction ? w : h;
    const int room = along / n;
    if (extentAlong > 0 && room < extentAlong)
        f2 = static_cast<double>(room) / extentAlong;
    const int r = m_labelOrientation == AXIS_LABEL_TURNED ? h : w;
    const double f1 = r > h0 ? static_cast<double>(h0) / r : 1.0;
    // Across the axis the label must fit between its tick and the far edge.
    const int extentAcross = m_labelOrientation == m_direction ? h : w;
    const int roomAcross = std::max(1, across - m_tickLength - m_labelGap);
    const double f3 = extentAcross > roomAcross ? static_cast<double>(roomAcross) / extentAcross : 1.0;
    m_labelFont.lfHeight = static_cast<int>(h0 * std::min(std::min(f1, f2), f3));

    m_labels.clear();
    if (!m_visible || m_labelFraction <= 0.0001f || m_labelFont.lfHeight <= 0)
        return;
    // Labels moved inside the bounds at the ends may reach their neighbours: a smaller font.
    PlaceLabels(dc);
    for (int pass = 0; pass < 3; ++pass)
    {
        const double scale = OverlapScale();
        if (scale >= 1.0 || m_labelFont.lfHeight <= 1)
            break;
        m_labelFont.lfHeight = std::max(1, static_cast<int>(m_labelFont.lfHeight * scale));
        PlaceLabels(dc);
    }
}

void CGraphicObAxisNumeric::PlaceLabels(CDC* dc)
{
    m_labels.clear();
    CFont font;
    font.CreateFontIndirect(&m_labelFont);
    CFont* previous = dc->SelectObject(&font);
    const bool vertical = m_direction == AXIS_VERTICAL;
    for (double value : GetTickValues())
    {
        AxisLabel_t label;
        FormatLabel(label.text, value);
        const int p = ValueToPixel(value);
        if (m_labelOrientation == AXIS_LABEL_HORIZONTAL)
        {
            const LabelExtent_t extent = MeasureLabel(dc, label.text);
            const int w = extent.widestLineWidth;
            const int h = extent.lineHeight * extent.lines;
            if (vertical)
            {
                const int x = m_right - m_labelGap - m_tickLength - w - 1;
                const int y = p - extent.lineHeight / 2;
                label.box = CRect(x, y, x + w, y + h);
            }
            else
            {
                const int y = m_top + m_tickLength + m_labelGap;
                label.box = CRect(p - w / 2, y, p - w / 2 + w, y + h);
            }
        }
        else
        {
            // Turned text runs down from its origin, its cell on the origin's left.
            const CSize extent = MeasureAsOneLine(dc, label.text);
            label.origin = vertical ? CPoint(m_right - m_labelGap - m_tickLength - 2, p - extent.cx / 2)
                                    : CPoint(p + extent.cy / 2 - 1, m_top + m_tickLength + m_labelGap);
            label.box = CRect(label.origin.x - extent.cy, label.origin.y, label.origin.x, label.origin.y + extent.cx);
        }
        label.origin += ShiftInside(label.box, m_labelBounds);
        m_labels.push_back(label);
    }
    dc->SelectObject(previous);
}

double CGraphicObAxisNumeric::OverlapScale() const
{
    const bool vertical = m_direction == AXIS_VERTICAL;
    double scale = 1.0;
    for (size_t i = 1; i < m_labels.size(); ++i)
    {
        const CRect& a = m_labels[i - 1].box;
        const CRect& b = m_labels[i].box;
        const int overlap = vertical ? std::min(a.bottom, b.bottom) - std::max(a.top, b.top)
                                     : std::min(a.right, b.right) - std::max(a.left, b.left);
        const int extents = vertical ? a.Height() + b.Height() : a.Width() + b.Width();
        if (overlap > 0 && extents > 0)
            scale = std::min(scale, std::max(0.1, 1.0 - 2.0 * overlap / extents));
    }
    return scale;
}

void CGraphicObAxisNumeric::Draw(CDC* dc)
{
    CGraphicObAxis::Draw(dc);
    if (!m_visible)
        return;

    CPen tickPen;
    tickPen.CreatePenIndirect(&m_tickPen);
    CFont font;
    font.CreateFontIndirect(&m_labelFont);
    CPen* previousPen = dc->SelectObject(&tickPen);
    CFont* previousFont = dc->SelectObject(&font);
    const int previousMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF previousColor = dc->SetTextColor(m_textColor);
    const UINT previousAlign = dc->SetTextAlign(TA_LEFT | TA_TOP);
    const bool vertical = m_direction == AXIS_VERTICAL;

    if (m_tickFraction > 0.0001f)
    {
        for (double value : GetTickValues())
        {
            const int p = ValueToPixel(value);
            if (vertical)
            {
                dc->MoveTo(m_right - 1, p);
                dc->LineTo(m_right - m_tickLength - 1, p);
            }
            else
            {
                dc->MoveTo(p, m_top);
                dc->LineTo(p, m_top + m_tickLength);
            }
        }
    }
    // Formatted, measured and placed by the layout.
    for (const AxisLabel_t& label : m_labels)
    {
        if (m_labelOrientation != AXIS_LABEL_HORIZONTAL)
        {
            dc->TextOut(label.origin.x, label.origin.y, label.text);
            continue;
        }
        CRect box = label.box;
        dc->DrawText(label.text, box, (vertical ? DT_LEFT : DT_CENTER) | DT_NOCLIP);
    }

    dc->SetTextAlign(previousAlign);
    dc->SetTextColor(previousColor);
    dc->SetBkMode(previousMode);
    dc->SelectObject(previousFont);
    dc->SelectObject(previousPen);
}
