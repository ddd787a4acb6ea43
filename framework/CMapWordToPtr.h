// Map from 16-bit words to untyped pointers.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMap.h"

class CMapWordToPtr : public CMap<WORD, WORD, void*, void*>
{
    DECLARE_DYNAMIC(CMapWordToPtr)
public:
    explicit CMapWordToPtr(INT_PTR blockSize = 10) : CMap(blockSize) {}
};
