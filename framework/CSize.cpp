#include "framework/CSize.h"

CSize::CSize(DWORD dwSize)
{
    // Signed words: a packed extent may be negative.
    cx = static_cast<short>(LOWORD(dwSize));
    cy = static_cast<short>(HIWORD(dwSize));
}
