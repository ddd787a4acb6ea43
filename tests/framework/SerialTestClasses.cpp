#include "tests/framework/SerialTestClasses.h"

IMPLEMENT_SERIAL(CShape, CObject, 1)
IMPLEMENT_SERIAL(CCircle, CShape, 1)
IMPLEMENT_SERIAL(CSquare, CShape, VERSIONABLE_SCHEMA | 2)
IMPLEMENT_SERIAL(CGroup, CObject, 1)
IMPLEMENT_SERIAL(CCounted, CObject, 1)
IMPLEMENT_DYNCREATE(CCreatableOnly, CObject)
IMPLEMENT_DYNAMIC(CDynamicOnly, CObject)

int CCounted::s_live = 0;

void CShape::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        ar << m_id;
    else
        ar >> m_id;
}

void CCircle::Serialize(CArchive& ar)
{
    CShape::Serialize(ar);
    if (ar.IsStoring())
        ar << m_radius;
    else
        ar >> m_radius;
}

void CSquare::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        CShape::Serialize(ar);
        ar << m_side << m_label;
        return;
    }
    m_loadedSchema = ar.GetObjectSchema();
    CShape::Serialize(ar);
    ar >> m_side;
    if (m_loadedSchema >= 2)
        ar >> m_label;
}

void CGroup::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar.WriteCount(m_children.size());
        for (CObject* child : m_children)
            ar << child;
        return;
    }
    const DWORD_PTR count = ar.ReadCount();
    m_children.clear();
    for (DWORD_PTR i = 0; i < count; ++i)
    {
        CObject* child = nullptr;
        ar >> child;
        m_children.push_back(child);
    }
}

void CCounted::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        ar << m_value;
    else
        ar >> m_value;
}
