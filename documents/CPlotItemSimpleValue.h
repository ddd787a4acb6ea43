// One variable's value from one poll of a device, with the name and units shown beside it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/COleVariant.h"
#include "framework/CString.h"
#include "documents/CStorage.h"

class CPlotItemSimpleValue : public CStorage
{
public:
    CPlotItemSimpleValue(BYTE deviceId, int variableId, const VARIANT& value,
                         const CString& name, const CString& units);

    DWORD GetType() const override { return STORAGE_TYPE_SIMPLE_VALUE; }
    DWORD GetVariableId() const override;
    COleVariant GetValue() const override;
    virtual CString GetName() const;
    virtual CString GetUnits() const;

private:
    int m_variableId;
    COleVariant m_value;   // an owned copy, cleared with the item
    CString m_name;
    CString m_units;
};
