// Growable array of 32-bit unsigned values.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CArray.h"

class CDWordArray : public CArray<DWORD, DWORD>
{
    DECLARE_SERIAL(CDWordArray)
public:
    CDWordArray() = default;
    void Serialize(CArchive& ar) override;
};
