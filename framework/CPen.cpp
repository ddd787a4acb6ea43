#include "framework/CPen.h"

#include "framework/CResourceException.h"

IMPLEMENT_DYNAMIC(CPen, CGdiObject)

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor)
{
    if (!CreatePen(nPenStyle, nWidth, crColor))
        AfxThrowResourceException();
}

CPen::CPen(int nPenStyle, int nWidth, const LOGBRUSH* pLogBrush, int nStyleCount, const DWORD* lpStyle)
{
    if (!CreatePen(nPenStyle, nWidth, pLogBrush, nStyleCount, lpStyle))
        AfxThrowResourceException();
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
{
    const DWORD extendedBits = PS_TYPE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK;
    if ((static_cast<DWORD>(nPenStyle) & extendedBits) != 0) {
        LOGBRUSH solid = {BS_SOLID, crColor, 0};
        return CreatePen(nPenStyle, nWidth, &solid);
    }
    return Attach(::CreatePen(nPenStyle, nWidth, crColor));
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, const LOGBRUSH* pLogBrush, int nStyleCount,
                     const DWORD* lpStyle)
{
    // Cosmetic pens of the extended form must be one pixel wide.
    if ((nPenStyle & PS_TYPE_MASK) == PS_COSMETIC)
        nWidth = 1;
    return Attach(::ExtCreatePen(nPenStyle, nWidth, pLogBrush, nStyleCount, lpStyle));
}

BOOL CPen::CreatePenIndirect(LPLOGPEN lpLogPen)
{
    return Attach(::CreatePenIndirect(lpLogPen));
}

int CPen::GetLogPen(LOGPEN* pLogPen) const
{
    return GetObject(sizeof(LOGPEN), pLogPen);
}

int CPen::GetExtLogPen(EXTLOGPEN* pLogPen) const
{
    return GetObject(sizeof(EXTLOGPEN), pLogPen);
}
