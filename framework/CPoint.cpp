#include "framework/CPoint.h"

CPoint::CPoint(LPARAM dwPoint)
{
    x = static_cast<short>(LOWORD(dwPoint));
    y = static_cast<short>(HIWORD(dwPoint));
}
