#pragma once
#include "framework/FrameworkBase.h"

// Extent in logical units; a SIZE that can be passed wherever Win32 wants one.
class CSize : public tagSIZE {
public:
    CSize() { cx = 0; cy = 0; }
    CSize(int initCx, int initCy) { cx = initCx; cy = initCy; }
    CSize(SIZE initSize) { cx = initSize.cx; cy = initSize.cy; }
    explicit CSize(POINT initPt) { cx = initPt.x; cy = initPt.y; }
    // Low word is the width, high word the height, as in a message parameter.
    explicit CSize(DWORD dwSize);

    void SetSize(int newCx, int newCy) { cx = newCx; cy = newCy; }

    BOOL operator==(SIZE size) const { return cx == size.cx && cy == size.cy; }
    BOOL operator!=(SIZE size) const { return !(*this == size); }
    void operator+=(SIZE size) { cx += size.cx; cy += size.cy; }
    void operator-=(SIZE size) { cx -= size.cx; cy -= size.cy; }
    CSize operator+(SIZE size) const { return CSize(cx + size.cx, cy + size.cy); }
    CSize operator-(SIZE size) const { return CSize(cx - size.cx, cy - size.cy); }
    CSize operator-() const { return CSize(-cx, -cy); }
};
