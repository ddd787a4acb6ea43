// Pointer array that hands out TYPE instead of the base's untyped element, over
// CPtrArray (void*) or CObArray (CObject*).
#pragma once
#include "framework/FrameworkBase.h"

template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS
{
public:
    TYPE GetAt(INT_PTR index) const { return static_cast<TYPE>(BASE_CLASS::GetAt(index)); }
    // The base stores pointers of the same size and representation, so the element
    // can be handed out as a TYPE reference.
    TYPE& ElementAt(INT_PTR index) { return reinterpret_cast<TYPE&>(BASE_CLASS::ElementAt(index)); }
    TYPE operator[](INT_PTR index) const { return GetAt(index); }
    TYPE& operator[](INT_PTR index) { return ElementAt(index); }
    const TYPE* GetData() const { return reinterpret_cast<const TYPE*>(BASE_CLASS::GetData()); }
    TYPE* GetData() { return reinterpret_cast<TYPE*>(BASE_CLASS::GetData()); }

    void SetAt(INT_PTR index, TYPE element) { BASE_CLASS::SetAt(index, element); }
    void SetAtGrow(INT_PTR index, TYPE element) { BASE_CLASS::SetAtGrow(index, element); }
    INT_PTR Add(TYPE element) { return BASE_CLASS::Add(element); }
    void InsertAt(INT_PTR index, TYPE element, INT_PTR count = 1)
    {
        BASE_CLASS::InsertAt(index, element, count);
    }
    INT_PTR Append(const CTypedPtrArray& source) { return BASE_CLASS::Append(source); }
    void Copy(const CTypedPtrArray& source) { BASE_CLASS::Copy(source); }
};
