// One ring of a clock-like dial, or the segment of it between two angles, filled with a
// colour and outlined with a pen. Angles run clockwise from 12 o'clock; a ring whose start
// equals its end is a full annulus, and one whose two angles are both negative is hidden.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/TextHelpers.h"
#include "graphics/CGraphicOb.h"

class CGraphicObRing : public CGraphicOb
{
public:
    CGraphicObRing();

    void Draw(CDC* dc) override;
    void Layout(CDC* dc, const CRect& rect) override;
    // The fill colour.
    void SetBackgroundColor(COLORREF color) override;

    // A new solid pen replaces the old one.
    void SetPen(int width, COLORREF color);
    void SetStartAngle(float degrees);
    void SetEndAngle(float degrees);
    void SetCenter(int x, int y);
    void SetRadius(int radius);
    void SetThickness(int thickness);

    float GetStartAngle() const { return m_startAngle; }
    float GetEndAngle() const { return m_endAngle; }
    int GetRadius() const { return m_radius; }
    int GetThickness() const { return m_thickness; }
    CPoint GetCenter() const { return CPoint(m_centerX, m_centerY); }
    COLORREF GetFillColor() const { return m_fillColor; }
    int GetPenWidth() const { return m_penWidth; }
    COLORREF GetPenColor() const { return m_penColor; }
    // Computed by Layout.
    int GetInnerRadius() const { return m_innerRadius; }
    bool IsFullRing() const { return m_startAngle == m_endAngle; }
    bool IsHidden() const { return m_startAngle < 0 && m_endAngle < 0; }
    // A segment's corners: inner and outer point at the start angle, then at the end angle.
    CPoint GetInnerStart() const { return CPoint(m_points[0], m_points[1]); }
    CPoint GetOuterStart() const { return CPoint(m_points[2], m_points[3]); }
    CPoint GetInnerEnd() const { return CPoint(m_points[4], m_points[5]); }
    CPoint GetOuterEnd() const { return CPoint(m_points[6], m_points[7]); }
    // A full ring's circles.
    CRect GetInnerBox() const { return CRect(m_points[0], m_points[1], m_points[4], m_points[5]); }
    CRect GetOuterBox() const { return CRect(m_points[2], m_points[3], m_points[6], m_points[7]); }

private:
    // The segment's outline as the context's current path.
    void MakeSegmentPath(CDC* dc) const;
    CPoint PointAt(float angle, int radius) const;

    int m_centerX;
    int m_centerY;
    int m_radius;
    int m_thickness;
    float m_startAngle;
    float m_endAngle;
    int m_penWidth;
    COLORREF m_penColor;
    COLORREF m_fillColor;
    int m_innerRadius;
    int m_points[8];
};
