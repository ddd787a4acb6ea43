// Growable array of object pointers; the array does not own the objects.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CArray.h"

class CObArray : public CArray<CObject*, CObject*>
{
    DECLARE_SERIAL(CObArray)
public:
    CObArray() = default;
    void Serialize(CArchive& ar) override;
};
