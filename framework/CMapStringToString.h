// Map from strings to strings (keys case-sensitive).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMap.h"

class CMapStringToString : public CMap<CString, LPCTSTR, CString, LPCTSTR>
{
    DECLARE_SERIAL(CMapStringToString)
public:
    explicit CMapStringToString(INT_PTR blockSize = 10) : CMap(blockSize) {}
    void Serialize(CArchive& ar) override;
};
