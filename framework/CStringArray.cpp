#include "framework/CStringArray.h"

#include "framework/CollectionSerialization.h"

IMPLEMENT_SERIAL(CStringArray, CObject, 0)

void CStringArray::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    SerializeArrayElements<CString>(ar, *this);
}
