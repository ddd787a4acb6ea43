#include "framework/CBrush.h"

#include "framework/CBitmap.h"
#include "framework/CResourceException.h"

IMPLEMENT_DYNAMIC(CBrush, CGdiObject)

CBrush::CBrush(COLORREF crColor)
{
    if (!CreateSolidBrush(crColor))
        AfxThrowResourceException();
}

CBrush::CBrush(int nIndex, COLORREF crColor)
{
    if (!CreateHatchBrush(nIndex, crColor))
        AfxThrowResourceException();
}

CBrush::CBrush(CBitmap* pBitmap)
{
    if (!CreatePatternBrush(pBitmap))
        AfxThrowResourceException();
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor)
{
    return Attach(::CreateSolidBrush(crColor));
}

BOOL CBrush::CreateHatchBrush(int nIndex, COLORREF crColor)
{
    return Attach(::CreateHatchBrush(nIndex, crColor));
}

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap)
{
    if (pBitmap == nullptr || pBitmap->m_hObject == nullptr)
        return FALSE;
    return Attach(::CreatePatternBrush(static_cast<HBITMAP>(pBitmap->m_hObject)));
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* lpLogBrush)
{
    return Attach(::CreateBrushIndirect(lpLogBrush));
}

BOOL CBrush::CreateSysColorBrush(int nIndex)
{
    return Attach(::GetSysColorBrush(nIndex));
}

BOOL CBrush::CreateHalftoneBrush()
{
    // Monochrome bitmaps have word-aligned rows: one WORD per row of 8 pixels.
    WORD pattern[8];
    for (int row = 0; row < 8; ++row)
        pattern[row] = static_cast<WORD>((row % 2 == 0) ? 0x5555 : 0xAAAA);
    HBITMAP hPattern = ::CreateBitmap(8, 8, 1, 1, pattern);
    if (hPattern == nullptr)
        return FALSE;
    // The brush keeps its own copy of the pattern.
    BOOL created = Attach(::CreatePatternBrush(hPattern));
    ::DeleteObject(hPattern);
    return created;
}

int CBrush::GetLogBrush(LOGBRUSH* pLogBrush) const
{
    return GetObject(sizeof(LOGBRUSH), pLogBrush);
}
