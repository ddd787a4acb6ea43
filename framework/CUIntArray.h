// Growable array of unsigned ints.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CArray.h"

class CUIntArray : public CArray<UINT, UINT>
{
    DECLARE_DYNAMIC(CUIntArray)
public:
    CUIntArray() = default;
};
