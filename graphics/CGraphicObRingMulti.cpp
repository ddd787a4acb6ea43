#include "graphics/CGraphicObRingMulti.h"
#include "framework/CDC.h"
#include "framework/CFont.h"

#include <cmath>
#include <cstring>

namespace
{
const COLORREF STATIC_LABEL_COLOR = 0xFFFFFF;
}

CGraphicObRingMulti::CGraphicObRingMulti() : m_labelColor(m_background.GetPenColor())
{
    std::memset(&m_labelFont, 0, sizeof(m_labelFont));
    m_labelFont.lfHeight = 14;
    m_labelFont.lfWeight = FW_NORMAL;
    std::strcpy(m_labelFont.lfFaceName, "Arial");
}

void CGraphicObRingMulti::SetBackgroundColor(COLORREF color)
{
    m_background.SetBackgroundColor(color);
}

int CGraphicObRingMulti::GetRingCount() const
{
    return static_cast<int>(m_rings.size());
}

void CGraphicObRingMulti::SetRingCount(int count)
{
    if (count < 0)
        count = 0;
    while (static_cast<int>(m_rings.size()) > count)
        m_rings.pop_back();
    while (static_cast<int>(m_rings.size()) < count)
        m_rings.push_back(boost::shared_ptr<CGraphicObRing>(new CGraphicObRing()));
}

void CGraphicObRingMulti::SetRingStartAngle(int index, float degrees)
{
    m_rings.at(index)->SetStartAngle(degrees);
}

void CGraphicObRingMulti::SetRingEndAngle(int index, float degrees)
{
    m_rings.at(index)->SetEndAngle(degrees);
}

void CGraphicObRingMulti::SetCenter(int x, int y)
{
    m_background.SetCenter(x, y);
    for (const auto& ring : m_rings)
        ring->SetCenter(x, y);
}

void CGraphicObRingMulti::SetRadius(int radius)
{
    m_background.SetRadius(radius);
    for (const auto& ring : m_rings)
        ring->SetRadius(radius);
}

void CGraphicObRingMulti::SetThickness(int thickness)
{
    m_background.SetThickness(thickness);
    for (const auto& ring : m_rings)
        ring->SetThickness(thickness);
}

void CGraphicObRingMulti::SetPen(int width, COLORREF color)
{
    m_background.SetPen(width, color);
    for (const auto& ring : m_rings)
        ring->SetPen(width, color);
    m_labelColor = color;
}

void CGraphicObRingMulti::SetFillColor(COLORREF color)
{
    for (const auto& ring : m_rings)
        ring->SetBackgroundColor(color);
}

CGraphicObRingMulti::Label_t CGraphicObRingMulti::MakeLabel(float degrees, float radiusFraction,
                                                             const std::string& text, bool flag)
{
    Label_t label;
    label.angle = DegreesToRadians(degrees);
    label.radiusFraction = radiusFraction;
    label.text = text;
    label.flag = flag;
    return label;
}

void CGraphicObRingMulti::AddStaticLabel(float degrees, float radiusFraction, const std::string& text, bool moveDown)
{
    m_staticLabels.push_back(MakeLabel(degrees, radiusFraction, text, moveDown));
}

void CGraphicObRingMulti::AddLabel(float degrees, float radiusFraction, const std::string& text, bool flag)
{
    m_labels.push_back(MakeLabel(degrees, radiusFraction, text, flag));
    Invalidate();
}

void CGraphicObRingMulti::ClearLabels()
{
    m_labels.clear();
}

void CGraphicObRingMulti::Layout(CDC* dc, const CRect& rect)
{
    CGraphicOb::Layout(dc, rect);
    m_background.Layout(dc, rect);
    for (const auto& ring : m_rings)
        ring->Layout(dc, rect);

    CFont font;
    font.CreateFontIndirect(&m_labelFont);
    CFont* previous = dc->SelectObject(&font);
    const float radius = static_cast<float>(m_background.GetRadius());
    const int mx = (rect.left + rect.right) / 2;
    const int my = (rect.top + rect.bottom) / 2;

    for (Label_t& label : m_staticLabels)
    {
        label.textX = mx + static_cast<int>(radius * std::sin(label.angle) * label.radiusFraction);
        label.textY = my - static_cast<int>(radius * std::cos(label.angle) * label.radiusFraction);
        if (label.flag)
            label.textY += dc->GetTextExtent(label.text.c_str(), static_cast<int>(label.text.size())).cy;
    }
    for (Label_t& label : m_labels)
    {
        const float sine = std::sin(label.angle);
        const float cosine = std::cos(label.angle);
        label.lineStartX = mx + static_cast<int>(radius * sine);
        label.lineStartY = my - static_cast<int>(radius * cosine);
        // Radially outwards from the outer edge, a fraction of the radius long.
        label.lineEndX = label.lineStartX + static_cast<int>(label.radiusFraction * radius * sine);
        label.lineEndY = label.lineStartY - static_cast<int>(label.radiusFraction * radius * cosine);
        const CSize size = dc->GetTextExtent(label.text.c_str(), static_cast<int>(label.text.size()));
        label.textX = label.lineStartX > label.lineEndX ? label.lineEndX - size.cx - 1 : label.lineEndX + 1;
        label.textY = label.lineStartY < label.lineEndY ? label.lineStartY + size.cy + 1 : label.lineStartY - 1;
    }
    dc->SelectObject(previous);
}

void CGraphicObRingMulti::Draw(CDC* dc)
{
    CGraphicOb::Draw(dc);
    m_background.Draw(dc);
    for (const auto& ring : m_rings)
        ring->Draw(dc);

    CFont font;
    font.CreateFontIndirect(&m_labelFont);
    CFont* previousFont = dc->SelectObject(&font);
    const int previousMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF previousColor = dc->SetTextColor(STATIC_LABEL_COLOR);
    const UINT previousAlign = dc->SetTextAlign(TA_CENTER | TA_BASELINE);
    for (const Label_t& label : m_staticLabels)
        dc->TextOut(label.textX, label.textY, label.text.c_str(), static_cast<int>(label.text.size()));

    dc->SetTextColor(m_labelColor);
    dc->SetTextAlign(TA_LEFT | TA_BOTTOM);
    for (const Label_t& label : m_labels)
    {
        dc->MoveTo(label.lineStartX, label.lineStartY);
        dc->LineTo(label.lineEndX, label.lineEndY);
        dc->TextOut(label.textX, label.textY, label.text.c_str(), static_cast<int>(label.text.size()));
    }
    dc->SetTextAlign(previousAlign);
    dc->SetTextColor(previousColor);
    dc->SetBkMode(previousMode);
    dc->SelectObject(previousFont);
}
