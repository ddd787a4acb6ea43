// One line of text fitted into its rectangle: the font height follows the rectangle
// (shrunk so that the text also fits the width), the text may be turned by any angle
// and is aligned horizontally and vertically inside the rectangle.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "graphics/CGraphicOb.h"

// Alignment values of the text object (and of the axis titles).
const int TEXT_ALIGN_LEFT = 0;
const int TEXT_ALIGN_TOP = 0;
const int TEXT_ALIGN_RIGHT = 2;
const int TEXT_ALIGN_CENTER = 6;
const int TEXT_ALIGN_BOTTOM = 8;

class CGraphicObText : public CGraphicOb
{
public:
    CGraphicObText();

    void Draw(CDC* dc) override;
    void Layout(CDC* dc, const CRect& rect) override;
    void SetColor(COLORREF color) override;
    void SetBackgroundColor(COLORREF color) override;
    // Copies the rectangle, the text, the settings and the font.
    virtual void Assign(const CGraphicObText& other);
    using CGraphicOb::Assign;
    virtual void SetText(const CString& text);
    virtual CString GetText() const;
    virtual COLORREF GetColor() const;
    virtual COLORREF GetBackgroundColor() const;

    // Tenths of a degree, counter-clockwise; takes effect at the next layout.
    void SetEscapement(int tenthsOfDegree);
    int GetEscapement() const { return m_font.lfEscapement; }
    void SetHorizontalAlignment(int alignment) { m_horizontalAlignment = alignment; }
    void SetVerticalAlignment(int alignment) { m_verticalAlignment = alignment; }
    int GetHorizontalAlignment() const { return m_horizontalAlignment; }
    int GetVerticalAlignment() const { return m_verticalAlignment; }
    // OPAQUE or TRANSPARENT.
    void SetBackgroundMode(int mode) { m_backgroundMode = mode; }

    // What the last layout computed: the font height, the size of the (turned) text's
    // box, the text's origin inside the box and where Draw writes it.
    int GetFontHeight() const { return m_font.lfHeight; }
    CSize GetBoxSize() const { return CSize(m_boxWidth, m_boxHeight); }
    CPoint GetOrigin() const { return CPoint(m_originX, m_originY); }
    CPoint GetTextPosition() const;

private:
    CString m_text;
    COLORREF m_textColor;
    int m_backgroundMode;
    COLORREF m_backgroundColor;
    int m_horizontalAlignment;
    int m_verticalAlignment;
    int m_originX;
    int m_originY;
    int m_boxWidth;
    int m_boxHeight;
    LOGFONT m_font;
};
