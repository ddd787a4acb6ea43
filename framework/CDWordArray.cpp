#include "framework/CDWordArray.h"

#include "framework/CollectionSerialization.h"

IMPLEMENT_SERIAL(CDWordArray, CObject, 0)

void CDWordArray::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    SerializeArrayElements<DWORD>(ar, *this);
}
