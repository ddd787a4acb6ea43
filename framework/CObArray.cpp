#include "framework/CObArray.h"

#include "framework/CollectionSerialization.h"

IMPLEMENT_SERIAL(CObArray, CObject, 0)

void CObArray::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    SerializeArrayElements<CObject*>(ar, *this);
}
