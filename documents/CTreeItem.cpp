#include "documents/CTreeItem.h"
#include "framework/CArchive.h"

namespace
{
const int TREE_ITEM_SCHEMA = 2;
// The first schema that stores a description.
const int TREE_ITEM_SCHEMA_WITH_DESCRIPTION = 2;
}

CTreeItem::CTreeItem(int itemTypeId, int variableId, int documentId)
    : CPlotVariableId(itemTypeId, variableId, documentId)
{
}

CTreeItem::CTreeItem(const CString& name, const CString& units, int itemTypeId, int variableId, int documentId,
                     const CString& description)
    : CPlotVariableId(itemTypeId, variableId, documentId), m_name(name), m_units(units),
      m_description(description)
{
}

CTreeItem::CTreeItem(const CTreeItem& other) : CPlotVariableId(other)
{
    *this = other;
}

CTreeItem& CTreeItem::operator=(const CTreeItem& other)
{
    if (this == &other)
        return *this;
    CPlotVariableId::operator=(other);
    m_name = other.m_name;
    m_units = other.m_units;
    m_description = other.m_description;
    m_associated = other.m_associated;
    m_plotItems.clear();
    for (const CTreeItemPtr& item : other.m_plotItems)
        m_plotItems.push_back(item);
    return *this;
}

void CTreeItem::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << TREE_ITEM_SCHEMA;
        CPlotVariableId::Serialize(ar);
        ar << m_name << m_units << m_description;
        return;
    }
    int schema = 0;
    ar >> schema;
    CPlotVariableId::Serialize(ar);
    ar >> m_name >> m_units;
    m_plotItems.clear();
    m_associated.reset();
    if (schema < TREE_ITEM_SCHEMA_WITH_DESCRIPTION)
        m_description = m_name;
    else
        ar >> m_description;
}
