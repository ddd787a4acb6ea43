// Paints a window without flicker: a WM_PAINT handler draws into a memory bitmap of
// the client size (DC()), the window's own painting included (PaintDefault), and the
// result reaches the screen in one copy when the object goes.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CBitmap.h"
#include "framework/CDC.h"
#include "framework/CPaintDC.h"
#include "framework/CRect.h"
#include "uilib/UiLibExport.h"

class CWnd;

class UILIB_API CBNBufferedPaint
{
public:
    explicit CBNBufferedPaint(CWnd* pWnd);
    ~CBNBufferedPaint();
    CBNBufferedPaint(const CBNBufferedPaint&) = delete;
    CBNBufferedPaint& operator=(const CBNBufferedPaint&) = delete;

    CDC& DC();
    const CRect& ClientRect() const;
    // The window's default painting (WM_PAINT with the memory context).
    void PaintDefault();

private:
    CWnd* m_pWnd;
    CPaintDC m_paintDC;
    CDC m_memDC;
    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap;
    CRect m_rectClient;
};
