#include "framework/CRect.h"

BOOL CRect::PtInRect(POINT point) const
{
    return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
}

void CRect::CopyRect(LPCRECT lpSrcRect)
{
    left = lpSrcRect->left;
    top = lpSrcRect->top;
    right = lpSrcRect->right;
    bottom = lpSrcRect->bottom;
}

BOOL CRect::EqualRect(LPCRECT lpRect) const
{
    return left == lpRect->left && top == lpRect->top && right == lpRect->right && bottom == lpRect->bottom;
}

void CRect::InflateRect(int l, int t, int r, int b)
{
    left -= l;
    top -= t;
    right += r;
    bottom += b;
}

void CRect::NormalizeRect()
{
    if (left > right) {
        LONG swap = left;
        left = right;
        right = swap;
    }
    if (top > bottom) {
        LONG swap = top;
        top = bottom;
        bottom = swap;
    }
}

// The Win32 calls copy the inputs before writing, so this rectangle may be one of the operands.
BOOL CRect::IntersectRect(LPCRECT lpRect1, LPCRECT lpRect2)
{
    return ::IntersectRect(this, lpRect1, lpRect2);
}

BOOL CRect::UnionRect(LPCRECT lpRect1, LPCRECT lpRect2)
{
    return ::UnionRect(this, lpRect1, lpRect2);
}

BOOL CRect::SubtractRect(LPCRECT lpRectSrc1, LPCRECT lpRectSrc2)
{
    return ::SubtractRect(this, lpRectSrc1, lpRectSrc2);
}
