#include "framework/CWordArray.h"

#include "framework/CollectionSerialization.h"

IMPLEMENT_SERIAL(CWordArray, CObject, 0)

void CWordArray::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    SerializeArrayElements<WORD>(ar, *this);
}
