// Map over CMapStringToPtr, CMapPtrToPtr or CMapWordToPtr that takes and hands out
// KEY and VALUE (pointer or handle types) instead of the base's untyped ones.
#pragma once
#include "framework/FrameworkBase.h"

template <class BASE_CLASS, class KEY, class VALUE>
class CTypedPtrMap : public BASE_CLASS
{
public:
    explicit CTypedPtrMap(INT_PTR blockSize = 10) : BASE_CLASS(blockSize) {}

    // Leaves value untouched when the key is absent.
    BOOL Lookup(typename BASE_CLASS::BASE_ARG_KEY key, VALUE& value) const
    {
        typename BASE_CLASS::BASE_VALUE stored;
        if (!BASE_CLASS::Lookup(key, stored))
            return FALSE;
        value = static_cast<VALUE>(stored);
        return TRUE;
    }

    // The base stores pointers of the same size and representation, so the value
    // can be handed out as a VALUE reference.
    VALUE& operator[](typename BASE_CLASS::BASE_ARG_KEY key)
    {
        return reinterpret_cast<VALUE&>(BASE_CLASS::operator[](key));
    }

    void SetAt(KEY key, VALUE value) { BASE_CLASS::SetAt(key, value); }
    BOOL RemoveKey(KEY key) { return BASE_CLASS::RemoveKey(key); }

    void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const
    {
        typename BASE_CLASS::BASE_KEY storedKey;
        typename BASE_CLASS::BASE_VALUE storedValue;
        BASE_CLASS::GetNextAssoc(pos, storedKey, storedValue);
        key = static_cast<KEY>(storedKey);
        value = static_cast<VALUE>(storedValue);
    }
};
