// The archive form shared by the serializable arrays and lists: the element count in the
// archive's count encoding, then each element with the archive's own operators.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CArchive.h"

// Loading replaces the array's contents. Elements are added one by one rather than sized
// from the stored count up front, so a corrupt count ends in endOfFile instead of a huge
// allocation.
template <class Element, class Array>
void SerializeArrayElements(CArchive& ar, Array& array)
{
    if (ar.IsStoring())
    {
        ar.WriteCount(static_cast<DWORD_PTR>(array.GetSize()));
        for (INT_PTR i = 0; i < array.GetSize(); ++i)
            ar << array.GetAt(i);
        return;
    }
    const DWORD_PTR count = ar.ReadCount();
    array.RemoveAll();
    for (DWORD_PTR i = 0; i < count; ++i)
    {
        Element value{};
        ar >> value;
        array.Add(value);
    }
}

// Loading appends to what the list already holds.
template <class Element, class List>
void SerializeListElements(CArchive& ar, List& list)
{
    if (ar.IsStoring())
    {
        ar.WriteCount(static_cast<DWORD_PTR>(list.GetCount()));
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
            ar << list.GetNext(pos);
        return;
    }
    const DWORD_PTR count = ar.ReadCount();
    for (DWORD_PTR i = 0; i < count; ++i)
    {
        Element value{};
        ar >> value;
        list.AddTail(value);
    }
}
