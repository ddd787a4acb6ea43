#include "documents/CPlotVariableId.h"
#include "framework/CArchive.h"

#include <tuple>

namespace
{
const int PLOT_VARIABLE_ID_SCHEMA = 1;
}

void CPlotVariableId::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << PLOT_VARIABLE_ID_SCHEMA << m_itemTypeId << m_variableId << m_documentId;
    }
    else
    {
        int schema = 0;
        ar >> schema >> m_itemTypeId >> m_variableId >> m_documentId;
    }
}

bool CPlotVariableId::operator==(const CPlotVariableId& other) const
{
    return m_itemTypeId == other.m_itemTypeId && m_variableId == other.m_variableId &&
           m_documentId == other.m_documentId;
}

bool CPlotVariableId::operator<(const CPlotVariableId& other) const
{
    return std::tie(m_itemTypeId, m_variableId, m_documentId) <
           std::tie(other.m_itemTypeId, other.m_variableId, other.m_documentId);
}
