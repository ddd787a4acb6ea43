#include "documents/logfiles/CLogFileIn.h"

#include <cmath>
#include <limits>

double LogGapValue()
{
    return std::numeric_limits<double>::quiet_NaN();
}

bool IsLogGap(double value)
{
    return std::isnan(value);
}

void CLogFileIn::ClearColumns()
{
    m_columns.clear();
}

bool CLogFileIn::HasColumn(int key) const
{
    return m_columns.count(key) != 0;
}

VARTYPE CLogFileIn::GetColumnValueType(int key) const
{
    const auto found = m_columns.find(key);
    return found == m_columns.end() ? VARTYPE(VT_NULL) : found->second.valueType;
}

void CLogFileIn::AddColumn(int key, const std::string& name, VARTYPE valueType)
{
    m_columns[key] = Column_t{name, valueType};
}

void CLogFileIn::SetColumnValueType(int key, VARTYPE valueType)
{
    const auto found = m_columns.find(key);
    if (found != m_columns.end())
        found->second.valueType = valueType;
}
