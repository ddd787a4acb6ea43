// Pointer list that hands out TYPE instead of the base's untyped element, over
// CPtrList (void*) or CObList (CObject*).
#pragma once
#include "framework/FrameworkBase.h"

template <class BASE_CLASS, class TYPE>
class CTypedPtrList : public BASE_CLASS
{
public:
    explicit CTypedPtrList(INT_PTR blockSize = 10) : BASE_CLASS(blockSize) {}

    // The base stores pointers of the same size and representation, so elements can
    // be handed out as TYPE references.
    TYPE& GetHead() { return reinterpret_cast<TYPE&>(BASE_CLASS::GetHead()); }
    TYPE GetHead() const { return static_cast<TYPE>(BASE_CLASS::GetHead()); }
    TYPE& GetTail() { return reinterpret_cast<TYPE&>(BASE_CLASS::GetTail()); }
    TYPE GetTail() const { return static_cast<TYPE>(BASE_CLASS::GetTail()); }
    TYPE& GetNext(POSITION& pos) { return reinterpret_cast<TYPE&>(BASE_CLASS::GetNext(pos)); }
    TYPE GetNext(POSITION& pos) const { return static_cast<TYPE>(BASE_CLASS::GetNext(pos)); }
    TYPE& GetPrev(POSITION& pos) { return reinterpret_cast<TYPE&>(BASE_CLASS::GetPrev(pos)); }
    TYPE GetPrev(POSITION& pos) const { return static_cast<TYPE>(BASE_CLASS::GetPrev(pos)); }
    TYPE& GetAt(POSITION pos) { return reinterpret_cast<TYPE&>(BASE_CLASS::GetAt(pos)); }
    TYPE GetAt(POSITION pos) const { return static_cast<TYPE>(BASE_CLASS::GetAt(pos)); }

    TYPE RemoveHead() { return static_cast<TYPE>(BASE_CLASS::RemoveHead()); }
    TYPE RemoveTail() { return static_cast<TYPE>(BASE_CLASS::RemoveTail()); }
    POSITION AddHead(TYPE element) { return BASE_CLASS::AddHead(element); }
    POSITION AddTail(TYPE element) { return BASE_CLASS::AddTail(element); }
    void SetAt(POSITION pos, TYPE element) { BASE_CLASS::SetAt(pos, element); }
    POSITION InsertBefore(POSITION pos, TYPE element) { return BASE_CLASS::InsertBefore(pos, element); }
    POSITION InsertAfter(POSITION pos, TYPE element) { return BASE_CLASS::InsertAfter(pos, element); }
};
