// An off-screen device context over a rectangle of a target context: filled with a
// background colour when made, drawn on like the target (same coordinates), and copied to
// the target when it goes, so that painting through it does not flicker.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CBitmap.h"
#include "framework/CDC.h"

class CMemDC : public CDC
{
public:
    // Throws std::runtime_error when the memory context or its bitmap cannot be made.
    CMemDC(CDC* target, const CRect& rect, COLORREF background);
    ~CMemDC() override;

    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    // The part of the rectangle that is copied to the target.
    CRect GetCopyRect() const { return m_copyRect; }

private:
    CDC* m_target;
    CRect m_rect;
    CRect m_copyRect;
    CBitmap m_bitmap;
    CBitmap* m_previousBitmap;
};
