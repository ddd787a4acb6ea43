// Growable array of strings.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CArray.h"
#include "framework/CString.h"

class CStringArray : public CArray<CString, const CString&>
{
    DECLARE_SERIAL(CStringArray)
public:
    CStringArray() = default;
    void Serialize(CArchive& ar) override;
};
