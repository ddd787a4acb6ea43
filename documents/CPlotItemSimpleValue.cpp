#include "documents/CPlotItemSimpleValue.h"

CPlotItemSimpleValue::CPlotItemSimpleValue(BYTE deviceId, int variableId, const VARIANT& value,
                                           const CString& name, const CString& units)
    : CStorage(deviceId), m_variableId(variableId), m_value(value), m_name(name), m_units(units)
{
}

DWORD CPlotItemSimpleValue::GetVariableId() const
{
    return (DWORD)m_variableId;
}

COleVariant CPlotItemSimpleValue::GetValue() const
{
    return m_value;
}

CString CPlotItemSimpleValue::GetName() const
{
    return m_name;
}

CString CPlotItemSimpleValue::GetUnits() const
{
    return m_units;
}
