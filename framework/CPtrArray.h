// Growable array of untyped pointers; the array does not own them.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CArray.h"

class CPtrArray : public CArray<void*, void*>
{
    DECLARE_DYNAMIC(CPtrArray)
public:
    CPtrArray() = default;
};
