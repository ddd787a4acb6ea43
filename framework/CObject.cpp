#include "framework/CObject.h"

CRuntimeClass CObject::classCObject = {
    "CObject", (int)sizeof(CObject), AFX_NOT_SERIALIZABLE_SCHEMA, nullptr, nullptr, nullptr };

CRuntimeClass* CObject::GetThisClass()
{
    return &CObject::classCObject;
}

CRuntimeClass* CObject::GetRuntimeClass() const
{
    return &CObject::classCObject;
}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

BOOL CObject::IsSerializable() const
{
    return GetRuntimeClass()->IsSerializable();
}

void CObject::Serialize(CArchive& /*ar*/)
{
}
