#include "graphics/CGraphicObRing.h"
#include "framework/CBrush.h"
#include "framework/CDC.h"
#include "framework/CPen.h"
#include "framework/CRgn.h"

#include <algorithm>
#include <cmath>

CGraphicObRing::CGraphicObRing()
    : m_centerX(0),
      m_centerY(0),
      m_radius(0),
      m_thickness(10),
      m_startAngle(0.0f),
      m_endAngle(0.0f),
      m_penWidth(2),
      m_penColor(0xFF0000),
      m_fillColor(0x0000FF),
      m_innerRadius(0),
      m_points()
{
}

void CGraphicObRing::SetBackgroundColor(COLORREF color)
{
    m_fillColor = color;
}

void CGraphicObRing::SetPen(int width, COLORREF color)
{
    m_penWidth = width;
    m_penColor = color;
}

void CGraphicObRing::SetStartAngle(float degrees)
{
    m_startAngle = DegreesToRadians(degrees);
    Invalidate();
}

void CGraphicObRing::SetEndAngle(float degrees)
{
    m_endAngle = DegreesToRadians(degrees);
    Invalidate();
}

void CGraphicObRing::SetCenter(int x, int y)
{
    m_centerX = x;
    m_centerY = y;
    Invalidate();
}

void CGraphicObRing::SetRadius(int radius)
{
    m_radius = radius;
    Invalidate();
}

void CGraphicObRing::SetThickness(int thickness)
{
    m_thickness = thickness;
    Invalidate();
}

CPoint CGraphicObRing::PointAt(float angle, int radius) const
{
    const float r = static_cast<float>(radius);
    return CPoint(m_centerX + static_cast<int>(std::sin(angle) * r), m_centerY - static_cast<int>(std::cos(angle) * r));
}

void CGraphicObRing::Layout(CDC* dc, const CRect& rect)
{
    CGraphicOb::Layout(dc, rect);
    m_innerRadius = std::max(m_radius - m_thickness, 0);
    if (IsHidden())
        return;
    if (!IsFullRing())
    {
        const CPoint points[4] = { PointAt(m_startAngle, m_innerRadius), PointAt(m_startAngle, m_radius),
                                   PointAt(m_endAngle, m_innerRadius), PointAt(m_endAngle, m_radius) };
        for (int i = 0; i < 4; ++i)
        {
            m_points[2 * i] = points[i].x;
            m_points[2 * i + 1] = points[i].y;
        }
        return;
    }
    const int inner = m_innerRadius;
    m_points[0] = m_centerX - inner;
    m_points[1] = m_centerY - inner;
    m_points[4] = m_centerX + inner;
    m_points[5] = m_centerY + inner;
    m_points[2] = m_centerX - m_radius;
    m_points[3] = m_centerY - m_radius;
    m_points[6] = m_centerX + m_radius;
    m_points[7] = m_centerY + m_radius;
}

void CGraphicObRing::MakeSegmentPath(CDC* dc) const
{
    const HDC hdc = dc->m_hDC;
    const int inner = m_innerRadius;
    const int previousDirection = ::GetArcDirection(hdc);
    dc->BeginPath();
    dc->MoveTo(GetInnerEnd());
    // Back along the outer circle from the end to the start, then forward along the inner one.
    ::SetArcDirection(hdc, AD_COUNTERCLOCKWISE);
    ::ArcTo(hdc, m_centerX - m_radius, m_centerY - m_radius, m_centerX + m_radius, m_centerY + m_radius,
            GetOuterEnd().x, GetOuterEnd().y, GetOuterStart().x, GetOuterStart().y);
    if (inner > 0)
    {
        ::SetArcDirection(hdc, AD_CLOCKWISE);
        ::ArcTo(hdc, m_centerX - inner, m_centerY - inner, m_centerX + inner, m_centerY + inner, GetInnerStart().x,
                GetInnerStart().y, GetInnerEnd().x, GetInnerEnd().y);
    }
    else
    {
        dc->LineTo(m_centerX, m_centerY);
    }
    dc->CloseFigure();
    dc->EndPath();
    ::SetArcDirection(hdc, previousDirection);
}

void CGraphicObRing::Draw(CDC* dc)
{
    CGraphicOb::Draw(dc);
    if (m_radius == 0 || IsHidden())
        return;
    CPen pen(PS_SOLID, m_penWidth, m_penColor);
    const CRect area = GetRect();
    if (!IsFullRing())
    {
        // Selecting the path as the clip region uses it up: it is made again for the outline.
        const int saved = dc->SaveDC();
        MakeSegmentPath(dc);
        dc->SelectClipPath(RGN_COPY);
        dc->FillSolidRect(area, m_fillColor);
        dc->RestoreDC(saved);
        MakeSegmentPath(dc);
        CPen* previous = dc->SelectObject(&pen);
        dc->StrokePath();
        dc->SelectObject(previous);
        return;
    }

    const int saved = dc->SaveDC();
    CRgn outer;
    outer.CreateEllipticRgnIndirect(GetOuterBox());
    if (m_innerRadius != 0)
    {
        CRgn inner;
        inner.CreateEllipticRgnIndirect(GetInnerBox());
        outer.CombineRgn(&outer, &inner, RGN_DIFF);
    }
    dc->SelectClipRgn(&outer);
    dc->FillSolidRect(area, m_fillColor);
    dc->RestoreDC(saved);

    CPen* previousPen = dc->SelectObject(&pen);
    CGdiObject* previousBrush = dc->SelectStockObject(NULL_BRUSH);
    dc->Ellipse(GetOuterBox());
    if (m_innerRadius != 0)
        dc->Ellipse(GetInnerBox());
    dc->SelectObject(previousBrush);
    dc->SelectObject(previousPen);
}
