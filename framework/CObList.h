// List of object pointers; the list does not own the objects.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CList.h"

class CObList : public CList<CObject*, CObject*>
{
    DECLARE_SERIAL(CObList)
public:
    explicit CObList(INT_PTR blockSize = 10) : CList(blockSize) {}
    void Serialize(CArchive& ar) override;
};
