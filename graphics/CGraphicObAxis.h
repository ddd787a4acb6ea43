// What every axis draws: a base line along one edge of a graph, an optional title, the
// pens and the label font, and the direction (horizontal or vertical). Numeric and time
// axes add the values, ticks and labels.
#pragma once
#include "framework/FrameworkBase.h"
#include "graphics/CGraphicOb.h"
#include "graphics/CGraphicObText.h"

const int AXIS_HORIZONTAL = 1;
const int AXIS_VERTICAL = 2;
// Label orientations: 1 horizontal text, 2 text turned by 270 degrees, any other value
// the angle in tenths of a degree.
const int AXIS_LABEL_HORIZONTAL = 1;
const int AXIS_LABEL_TURNED = 2;

class CGraphicObAxis : public CGraphicOb
{
public:
    CGraphicObAxis();

    void Draw(CDC* dc) override;
    void Layout(CDC* dc, const CRect& rect) override;
    void SetColor(COLORREF color) override;
    void SetBackgroundColor(COLORREF color) override;
    virtual void SetOrientation(int orientation);
    virtual void SetEndMargin(int pixels);
    virtual int GetEndMargin() const;

    void SetDirection(int direction);
    int GetDirection() const { return m_direction; }
    int GetOrientation() const { return m_labelOrientation; }
    // Both pens; returns the axis pen's previous colour.
    COLORREF SetPenColor(COLORREF color);
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const { return m_textColor; }
    // In field order: tick, third, label, fourth and title fraction.
    void SetFractions(float tick, float third, float label, float fourth, float title);
    void SetTickFraction(float fraction);
    void SetLabelFraction(float fraction);
    void SetTitleFraction(float fraction);
    float GetTickFraction() const { return m_tickFraction; }
    float GetThirdFraction() const { return m_thirdFraction; }
    float GetLabelFraction() const { return m_labelFraction; }
    float GetFourthFraction() const { return m_fourthFraction; }
    float GetTitleFraction() const { return m_titleFraction; }
    void SetTitleText(const CString& text);
    CGraphicObText& GetTitle() { return m_title; }
    void SetVisible(bool visible);
    bool IsVisible() const { return m_visible; }
    int GetLabelFontHeight() const { return m_labelFont.lfHeight; }
    const LOGFONT& GetLabelFont() const { return m_labelFont; }

protected:
    // Thickness across the axis: the height of a horizontal axis, the width of a vertical one.
    int Thickness() const;

    float m_tickFraction;
    float m_thirdFraction;
    float m_labelFraction;
    float m_fourthFraction;
    float m_titleFraction;
    int m_endMargin;
    LOGPEN m_axisPen;
    CGraphicObText m_title;
    int m_labelOrientation;
    LOGFONT m_labelFont;
    COLORREF m_textColor;
    int m_direction;
    LOGPEN m_tickPen;
    int m_tickLength;
    int m_labelGap;
    bool m_visible;
};
