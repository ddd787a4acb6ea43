// Map from strings (case-sensitive) to untyped pointers.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMap.h"

class CMapStringToPtr : public CMap<CString, LPCTSTR, void*, void*>
{
    DECLARE_DYNAMIC(CMapStringToPtr)
public:
    explicit CMapStringToPtr(INT_PTR blockSize = 10) : CMap(blockSize) {}
};
