#include "uilib/BufferedPaint.h"
#include "framework/CWnd.h"

BufferedPaint::BufferedPaint(CWnd* pWnd, COLORREF clrFill) : m_pWnd(pWnd), m_paintDC(pWnd)
{
    pWnd->GetClientRect(&m_rectClient);
    m_paintDC.GetClipBox(&m_rectClip);
    if (Empty())
        return;
    m_memDC.CreateCompatibleDC(&m_paintDC);
    m_bitmap.CreateCompatibleBitmap(&m_paintDC, m_rectClient.Width(), m_rectClient.Height());
    m_pOldBitmap = m_memDC.SelectObject(&m_bitmap);
    m_memDC.FillSolidRect(&m_rectClient, clrFill);
}

BufferedPaint::~BufferedPaint()
{
    if (Empty())
        return;
    m_paintDC.BitBlt(m_rectClip.left, m_rectClip.top, m_rectClip.Width(), m_rectClip.Height(), &m_memDC,
                     m_rectClip.left, m_rectClip.top, SRCCOPY);
    m_memDC.SelectObject(m_pOldBitmap);
}

void BufferedPaint::PaintDefault()
{
    if (!Empty())
        m_pWnd->DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(m_memDC.m_hDC), 0);
}
