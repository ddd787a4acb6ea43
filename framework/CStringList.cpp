#include "framework/CStringList.h"

#include "framework/CollectionSerialization.h"

IMPLEMENT_SERIAL(CStringList, CObject, 0)

void CStringList::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    SerializeListElements<CString>(ar, *this);
}
