#include "graphics/CGraphicObAxis.h"
#include "framework/CDC.h"
#include "framework/CPen.h"

#include <algorithm>
#include <cstring>

namespace
{
const int AXIS_TICK_LENGTH = 6;
const int AXIS_LABEL_GAP = 2;

LOGPEN SolidPen()
{
    LOGPEN pen;
    pen.lopnStyle = PS_SOLID;
    pen.lopnWidth.x = 0;
    pen.lopnWidth.y = 0;
    pen.lopnColor = 0;
    return pen;
}
}  // namespace

CGraphicObAxis::CGraphicObAxis()
    : m_tickFraction(0.2f),
      m_thirdFraction(0.1f),
      m_labelFraction(0.7f),
      m_fourthFraction(0.0f),
      m_titleFraction(0.0f),
      m_endMargin(0),
      m_axisPen(SolidPen()),
      m_labelOrientation(AXIS_LABEL_HORIZONTAL),
      m_textColor(0),
      m_direction(AXIS_HORIZONTAL),
      m_tickPen(SolidPen()),
      m_tickLength(AXIS_TICK_LENGTH),
      m_labelGap(AXIS_LABEL_GAP),
      m_visible(true)
{
    std::memset(&m_labelFont, 0, sizeof(m_labelFont));
    m_labelFont.lfWeight = FW_NORMAL;
    std::strcpy(m_labelFont.lfFaceName, "Arial");
    m_title.SetColor(0);
    SetDirection(AXIS_HORIZONTAL);
}

void CGraphicObAxis::SetOrientation(int orientation)
{
    m_labelOrientation = orientation;
    int angle = orientation;
    if (orientation == AXIS_LABEL_HORIZONTAL)
        angle = 0;
    else if (orientation == AXIS_LABEL_TURNED)
        angle = 2700;
    m_labelFont.lfEscapement = angle;
    m_labelFont.lfOrientation = angle;
    Invalidate();
}

void CGraphicObAxis::SetEndMargin(int pixels)
{
    m_endMargin = pixels;
    Invalidate();
}

int CGraphicObAxis::GetEndMargin() const
{
    return m_endMargin;
}

void CGraphicObAxis::SetDirection(int direction)
{
    m_direction = direction;
    if (direction == AXIS_VERTICAL)
    {
        m_title.SetEscapement(900);
        m_title.SetHorizontalAlignment(TEXT_ALIGN_LEFT);
        m_title.SetVerticalAlignment(TEXT_ALIGN_CENTER);
    }
    else
    {
        m_title.SetEscapement(0);
        m_title.SetHorizontalAlignment(TEXT_ALIGN_CENTER);
        m_title.SetVerticalAlignment(TEXT_ALIGN_BOTTOM);
    }
    Invalidate();
}

COLORREF CGraphicObAxis::SetPenColor(COLORREF color)
{
    const COLORREF previous = m_axisPen.lopnColor;
    m_axisPen.lopnColor = color;
    m_tickPen.lopnColor = color;
    return previous;
}

COLORREF CGraphicObAxis::SetTextColor(COLORREF color)
{
    const COLORREF previous = m_textColor;
    m_textColor = color;
    return previous;
}

void CGraphicObAxis::SetColor(COLORREF color)
{
    SetPenColor(color);
    SetTextColor(color);
    m_title.SetColor(color);
}

void CGraphicObAxis::SetBackgroundColor(COLORREF color)
{
    m_title.SetBackgroundColor(color);
}

void CGraphicObAxis::SetFractions(float tick, float third, float label, float fourth, float title)
{
    m_tickFraction = tick;
    m_thirdFraction = third;
    m_labelFraction = label;
    m_fourthFraction = fourth;
    m_titleFraction = title;
    Invalidate();
}

void CGraphicObAxis::SetTickFraction(float fraction)
{
    m_tickFraction = fraction;
    Invalidate();
}

void CGraphicObAxis::SetLabelFraction(float fraction)
{
    m_labelFraction = fraction;
    Invalidate();
}

void CGraphicObAxis::SetTitleFraction(float fraction)
{
    m_titleFraction = fraction;
    Invalidate();
}

void CGraphicObAxis::SetTitleText(const CString& text)
{
    m_title.SetText(text);
    Invalidate();
}

void CGraphicObAxis::SetVisible(bool visible)
{
    m_visible = visible;
    Invalidate();
}

int CGraphicObAxis::Thickness() const
{
    return m_direction == AXIS_VERTICAL ? m_right - m_left : m_bottom - m_top;
}

void CGraphicObAxis::Layout(CDC* dc, const CRect& rect)
{
    CGraphicOb::Layout(dc, rect);
    m_tickLength = AXIS_TICK_LENGTH;
    m_labelGap = AXIS_LABEL_GAP;
    int thickness = Thickness();
    if (m_titleFraction > 0)
    {
        const int strip = static_cast<int>(m_titleFraction * thickness);
        if (m_direction == AXIS_VERTICAL)
            m_title.Layout(dc, CRect(rect.left, rect.top, rect.left + strip, rect.bottom));
        else
            m_title.Layout(dc, CRect(rect.left, rect.bottom - strip, rect.right, rect.bottom));
    }
    if (m_labelOrientation == 900 && m_labelOrientation != m_direction)
        thickness = std::max(1, static_cast<int>(std::min(rect.Width(), rect.Height())));
    m_labelFont.lfHeight = static_cast<int>(m_labelFraction * thickness);
}

void CGraphicObAxis::Draw(CDC* dc)
{
    CGraphicOb::Draw(dc);
    if (!m_visible)
        return;
    CPen pen;
    pen.CreatePenIndirect(&m_axisPen);
    CPen* previous = dc->SelectObject(&pen);
    if (m_direction == AXIS_VERTICAL)
    {
        dc->MoveTo(m_right - 1, m_top + m_endMargin);
        dc->LineTo(m_right - 1, m_bottom - 1);
    }
    else
    {
        dc->MoveTo(m_left, m_top);
        dc->LineTo(m_right - m_endMargin - 1, m_top);
    }
    dc->SelectObject(previous);
    if (m_titleFraction > 0)
        m_title.Draw(dc);
}
