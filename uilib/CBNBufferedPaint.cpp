#include "uilib/CBNBufferedPaint.h"

#include "framework/CWnd.h"

CBNBufferedPaint::CBNBufferedPaint(CWnd* pWnd) : m_pWnd(pWnd), m_paintDC(pWnd), m_pOldBitmap(nullptr)
{
    pWnd->GetClientRect(&m_rectClient);
    m_memDC.CreateCompatibleDC(&m_paintDC);
    m_bitmap.CreateCompatibleBitmap(&m_paintDC, m_rectClient.Width(), m_rectClient.Height());
    m_pOldBitmap = m_memDC.SelectObject(&m_bitmap);
}

CBNBufferedPaint::~CBNBufferedPaint()
{
    CRect clip;
    m_paintDC.GetClipBox(&clip);
    m_paintDC.BitBlt(clip.left, clip.top, clip.Width(), clip.Height(), &m_memDC, clip.left, clip.top, SRCCOPY);
    m_memDC.SelectObject(m_pOldBitmap);
}

CDC& CBNBufferedPaint::DC()
{
    return m_memDC;
}

const CRect& CBNBufferedPaint::ClientRect() const
{
    return m_rectClient;
}

void CBNBufferedPaint::PaintDefault()
{
    m_pWnd->DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(m_memDC.m_hDC), 0);
}
