// Growable array of 16-bit words, e.g. Modbus registers.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CArray.h"

class CWordArray : public CArray<WORD, WORD>
{
    DECLARE_SERIAL(CWordArray)
public:
    CWordArray() = default;
    void Serialize(CArchive& ar) override;
};
