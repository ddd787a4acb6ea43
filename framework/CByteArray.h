// Growable array of bytes; frames and raw buffers.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CArray.h"

class CByteArray : public CArray<BYTE, BYTE>
{
    DECLARE_SERIAL(CByteArray)
public:
    CByteArray() = default;
    void Serialize(CArchive& ar) override;
};
