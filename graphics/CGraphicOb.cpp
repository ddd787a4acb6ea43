#include "graphics/CGraphicOb.h"

CGraphicOb::CGraphicOb() : m_left(0), m_top(0), m_right(0), m_bottom(0), m_invalid(true)
{
}

CGraphicOb::~CGraphicOb() = default;

void CGraphicOb::Draw(CDC* dc)
{
    if (m_invalid)
        Layout(dc, GetRect());
}

void CGraphicOb::Layout(CDC* dc, const CRect& rect)
{
    m_left = rect.left;
    m_top = rect.top;
    m_right = rect.right;
    m_bottom = rect.bottom;
    m_invalid = false;
}

void CGraphicOb::Reset()
{
    Invalidate();
}

void CGraphicOb::Invalidate()
{
    m_invalid = true;
}

bool CGraphicOb::IsInvalid() const
{
    return m_invalid;
}

bool CGraphicOb::OnMouseDown(UINT flags, CPoint point)
{
    return false;
}

bool CGraphicOb::OnMouseMove(UINT flags, CPoint point)
{
    return false;
}

bool CGraphicOb::OnMouseUp(UINT flags, CPoint point)
{
    return false;
}

void CGraphicOb::SetColor(COLORREF color)
{
}

void CGraphicOb::SetBackgroundColor(COLORREF color)
{
}

void CGraphicOb::Assign(const CGraphicOb& other)
{
    if (&other == this)
        return;
    m_left = other.m_left;
    m_top = other.m_top;
    m_right = other.m_right;
    m_bottom = other.m_bottom;
    m_invalid = other.m_invalid;
}
