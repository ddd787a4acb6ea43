// List of strings.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CList.h"
#include "framework/CString.h"

class CStringList : public CList<CString, const CString&>
{
    DECLARE_SERIAL(CStringList)
public:
    explicit CStringList(INT_PTR blockSize = 10) : CList(blockSize) {}
    void Serialize(CArchive& ar) override;
};
