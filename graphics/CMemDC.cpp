#include "graphics/CMemDC.h"

#include <stdexcept>

CMemDC::CMemDC(CDC* target, const CRect& rect, COLORREF background)
    : m_target(target), m_rect(rect), m_copyRect(rect), m_previousBitmap(nullptr)
{
    if (!CreateCompatibleDC(target))
        throw std::runtime_error("unable to create compatible device context for memDC");
    if (!m_bitmap.CreateCompatibleBitmap(target, rect.Width(), rect.Height()))
    {
        DeleteDC();
        throw std::runtime_error("unable to create compatible bitmap for memDC");
    }
    m_previousBitmap = SelectObject(&m_bitmap);
    // The bitmap's first pixel is the rectangle's top-left corner.
    SetWindowOrg(rect.left, rect.top);

    CRect clip;
    const int clipKind = target->GetClipBox(&clip);
    if (clipKind != NULLREGION && clipKind != ERROR && clip.IntersectRect(&clip, &rect))
        m_copyRect = clip;
    IntersectClipRect(m_copyRect);
    FillSolidRect(rect, background);
}

CMemDC::~CMemDC()
{
    m_target->BitBlt(m_copyRect.left, m_copyRect.top, m_copyRect.Width(), m_copyRect.Height(), this, m_copyRect.left,
                     m_copyRect.top, SRCCOPY);
    SelectObject(m_previousBitmap);
    DeleteDC();
}
