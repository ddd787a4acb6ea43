// List of untyped pointers; the list does not own them.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CList.h"

class CPtrList : public CList<void*, void*>
{
    DECLARE_DYNAMIC(CPtrList)
public:
    explicit CPtrList(INT_PTR blockSize = 10) : CList(blockSize) {}
};
