#include "graphics/CGraphicObText.h"
#include "framework/CDC.h"
#include "framework/CFont.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
const double TEXT_PI = 3.1415927;

LOGFONT DefaultTextFont()
{
    LOGFONT font;
    std::memset(&font, 0, sizeof(font));
    font.lfWeight = FW_NORMAL;
    std::strcpy(font.lfFaceName, "Arial");
    return font;
}
}  // namespace

CGraphicObText::CGraphicObText()
    : m_textColor(0),
      m_backgroundMode(TRANSPARENT),
      m_backgroundColor(0xFFFFFF),
      m_horizontalAlignment(TEXT_ALIGN_LEFT),
      m_verticalAlignment(TEXT_ALIGN_TOP),
      m_originX(0),
      m_originY(0),
      m_boxWidth(0),
      m_boxHeight(0),
      m_font(DefaultTextFont())
{
}

void CGraphicObText::SetColor(COLORREF color)
{
    m_textColor = color;
}

void CGraphicObText::SetBackgroundColor(COLORREF color)
{
    m_backgroundColor = color;
}

void CGraphicObText::Assign(const CGraphicObText& other)
{
    if (&other == this)
        return;
    CGraphicOb::Assign(other);
    m_text = other.m_text;
    m_textColor = other.m_textColor;
    m_backgroundMode = other.m_backgroundMode;
    m_backgroundColor = other.m_backgroundColor;
    m_horizontalAlignment = other.m_horizontalAlignment;
    m_verticalAlignment = other.m_verticalAlignment;
    m_originX = other.m_originX;
    m_originY = other.m_originY;
    m_boxWidth = other.m_boxWidth;
    m_boxHeight = other.m_boxHeight;
    m_font = other.m_font;
}

void CGraphicObText::SetText(const CString& text)
{
    m_text = text;
    Invalidate();
}

CString CGraphicObText::GetText() const
{
    return m_text;
}

COLORREF CGraphicObText::GetColor() const
{
    return m_textColor;
}

COLORREF CGraphicObText::GetBackgroundColor() const
{
    return m_backgroundColor;
}

void CGraphicObText::SetEscapement(int tenthsOfDegree)
{
    m_font.lfEscapement = tenthsOfDegree;
    m_font.lfOrientation = tenthsOfDegree;
}

void CGraphicObText::Layout(CDC* dc, const CRect& rect)
{
    CGraphicOb::Layout(dc, rect);
    if (m_text.IsEmpty())
    {
        m_originX = 0;
        m_originY = 0;
        return;
    }

    m_font.lfHeight = rect.Height();
    m_font.lfWidth = 0;
    // Measured along the base line: the unturned extent.
    LOGFONT measuring = m_font;
    measuring.lfEscapement = 0;
    measuring.lfOrientation = 0;
    CFont font;
    font.CreateFontIndirect(&measuring);
    CFont* previous = dc->SelectObject(&font);
    const CSize extent = dc->GetTextExtent(m_text);
    dc->SelectObject(previous);

    const int escapement = m_font.lfEscapement;
    const double theta = escapement / 10.0 * TEXT_PI / 180.0;
    double boxWidth = extent.cx;
    double boxHeight = extent.cy;
    if (escapement == 900 || escapement == 2700)
    {
        boxWidth = extent.cy;
        boxHeight = extent.cx;
    }
    else if (escapement != 0 && escapement != 1800)
    {
        boxWidth = static_cast<int>(std::fabs(extent.cx * std::cos(theta)) + std::fabs(extent.cy * std::sin(theta)));
        boxHeight = static_cast<int>(std::fabs(extent.cx * std::sin(theta)) + std::fabs(extent.cy * std::cos(theta)));
    }

    double widthScale = 1.0;
    double heightScale = 1.0;
    if (boxWidth > rect.Width() && boxWidth > 0)
        widthScale = rect.Width() / boxWidth;
    if (boxHeight > rect.Height() && boxHeight > 0)
        heightScale = rect.Height() / boxHeight;
    const double scale = std::min(widthScale, heightScale);

    m_font.lfHeight = static_cast<int>(m_font.lfHeight * scale);
    m_boxWidth = static_cast<int>(boxWidth * scale);
    m_boxHeight = static_cast<int>(boxHeight * scale);

    switch (escapement)
    {
    case 0:
        m_originX = 0;
        m_originY = 0;
        break;
    case 900:
        m_originX = 0;
        m_originY = m_boxHeight;
        break;
    case 1800:
        m_originX = m_boxWidth;
        m_originY = m_boxHeight;
        break;
    case 2700:
        m_originX = m_boxWidth;
        m_originY = 0;
        break;
    default:
    {
        // Every corner of the turned text lies inside the box, as in the right angles.
        const double a = extent.cx * scale;
        const double b = extent.cy * scale;
        m_originX = std::max(0, -static_cast<int>(a * std::cos(theta))) +
                    std::max(0, -static_cast<int>(b * std::sin(theta)));
        m_originY = std::max(0, static_cast<int>(a * std::sin(theta))) +
                    std::max(0, -static_cast<int>(b * std::cos(theta)));
        break;
    }
    }
}

CPoint CGraphicObText::GetTextPosition() const
{
    int x = m_left;
    if (m_horizontalAlignment == TEXT_ALIGN_RIGHT)
        x = m_right - m_boxWidth + m_originX;
    else if (m_horizontalAlignment == TEXT_ALIGN_CENTER)
        x = m_left + m_originX + ((m_right - m_left - m_boxWidth) >> 1);
    int y = m_top;
    if (m_verticalAlignment == TEXT_ALIGN_CENTER)
        y = m_top + m_originY + ((m_bottom - m_top - m_boxHeight) >> 1);
    else if (m_verticalAlignment == TEXT_ALIGN_BOTTOM)
        y = m_top + m_originY + (m_bottom - m_top - m_boxHeight);
    return CPoint(x, y);
}

void CGraphicObText::Draw(CDC* dc)
{
    CGraphicOb::Draw(dc);
    if (m_text.IsEmpty())
        return;
    CFont font;
    font.CreateFontIndirect(&m_font);
    CFont* previousFont = dc->SelectObject(&font);
    const UINT previousAlign = dc->SetTextAlign(TA_LEFT | TA_TOP);
    const COLORREF previousColor = dc->SetTextColor(m_textColor);
    const COLORREF previousBackground = dc->SetBkColor(m_backgroundColor);
    const int previousMode = dc->SetBkMode(m_backgroundMode);

    const CPoint position = GetTextPosition();
    dc->TextOut(position.x, position.y, m_text);

    dc->SetBkMode(previousMode);
    dc->SetBkColor(previousBackground);
    dc->SetTextColor(previousColor);
    dc->SetTextAlign(previousAlign);
    dc->SelectObject(previousFont);
}
