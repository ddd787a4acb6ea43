// A pen: cosmetic (one pixel, dashed styles) or geometric (any width, end caps and joins).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CGdiObject.h"

class CPen : public CGdiObject
{
    DECLARE_DYNAMIC(CPen)
public:
    CPen() = default;
    // These throw CResourceException* when the pen cannot be made.
    CPen(int nPenStyle, int nWidth, COLORREF crColor);
    CPen(int nPenStyle, int nWidth, const LOGBRUSH* pLogBrush, int nStyleCount = 0,
         const DWORD* lpStyle = nullptr);

    static CPen* FromHandle(HPEN hPen) { return static_cast<CPen*>(CGdiObject::FromHandle(hPen)); }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }

    // A style with PS_GEOMETRIC, an end cap or a join is made with ExtCreatePen and a
    // solid brush of the colour, since CreatePen ignores those bits.
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    BOOL CreatePen(int nPenStyle, int nWidth, const LOGBRUSH* pLogBrush, int nStyleCount = 0,
                   const DWORD* lpStyle = nullptr);
    BOOL CreatePenIndirect(LPLOGPEN lpLogPen);

    int GetLogPen(LOGPEN* pLogPen) const;
    int GetExtLogPen(EXTLOGPEN* pLogPen) const;
};
