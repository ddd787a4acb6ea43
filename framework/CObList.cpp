#include "framework/CObList.h"

#include "framework/CollectionSerialization.h"

IMPLEMENT_SERIAL(CObList, CObject, 0)

void CObList::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    SerializeListElements<CObject*>(ar, *this);
}
