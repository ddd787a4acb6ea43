#include "framework/CMapStringToString.h"

#include "framework/CArchive.h"

IMPLEMENT_SERIAL(CMapStringToString, CObject, 0)

// Each entry is its key then its value. Loading adds to (and overwrites entries of)
// what the map already holds.
void CMapStringToString::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    if (ar.IsStoring())
    {
        ar.WriteCount(static_cast<DWORD_PTR>(GetCount()));
        for (POSITION pos = GetStartPosition(); pos != nullptr;)
        {
            CString key;
            CString value;
            GetNextAssoc(pos, key, value);
            ar << key << value;
        }
        return;
    }
    const DWORD_PTR count = ar.ReadCount();
    for (DWORD_PTR i = 0; i < count; ++i)
    {
        CString key;
        CString value;
        ar >> key >> value;
        SetAt(key, value);
    }
}
