// Flicker-free painting for the library's windows: a WM_PAINT handler draws into a
// memory bitmap of the client size (Dc()), filled with a colour first, and the part
// the system asked for is copied to the screen when the object goes.
#pragma once
#include "framework/CBitmap.h"
#include "framework/CDC.h"
#include "framework/CPaintDC.h"
#include "framework/CRect.h"

class CWnd;

class BufferedPaint
{
public:
    BufferedPaint(CWnd* pWnd, COLORREF clrFill);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;

    // Nothing to paint on (an empty client area).
    bool Empty() const { return m_rectClient.IsRectEmpty(); }
    CDC& Dc() { return m_memDC; }
    const CRect& ClientRect() const { return m_rectClient; }
    const CRect& ClipRect() const { return m_rectClip; }
    // The window's own painting (its default procedure's WM_PAINT) into the bitmap.
    void PaintDefault();

private:
    CWnd* m_pWnd;
    CPaintDC m_paintDC;
    CDC m_memDC;
    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap = nullptr;
    CRect m_rectClient;
    CRect m_rectClip;
};
