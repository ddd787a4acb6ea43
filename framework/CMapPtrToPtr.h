// Map from pointers or handles to untyped pointers.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMap.h"

class CMapPtrToPtr : public CMap<void*, void*, void*, void*>
{
    DECLARE_DYNAMIC(CMapPtrToPtr)
public:
    explicit CMapPtrToPtr(INT_PTR blockSize = 10) : CMap(blockSize) {}
};
