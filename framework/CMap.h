// Hash map walked through POSITION handles. A POSITION points at an entry; removing
// other entries (the current one included, once GetNextAssoc has moved past it)
// leaves it valid, so a walk may delete as it goes.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <functional>
#include <string>
#include <unordered_map>

template <class KEY>
struct CMapKeyHash
{
    size_t operator()(const KEY& key) const { return std::hash<KEY>()(key); }
};

template <>
struct CMapKeyHash<CString>
{
    size_t operator()(const CString& key) const { return std::hash<std::string>()(key.StdString()); }
};

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject
{
public:
    typedef KEY BASE_KEY;
    typedef ARG_KEY BASE_ARG_KEY;
    typedef VALUE BASE_VALUE;
    typedef ARG_VALUE BASE_ARG_VALUE;

    // The block size is accepted for compatibility and ignored.
    explicit CMap(INT_PTR blockSize = 10) { (void)blockSize; }

    INT_PTR GetCount() const { return static_cast<INT_PTR>(m_entries.size()); }
    INT_PTR GetSize() const { return GetCount(); }
    BOOL IsEmpty() const { return m_entries.empty(); }

    // Leaves value untouched when the key is absent.
    BOOL Lookup(ARG_KEY key, VALUE& value) const
    {
        const auto found = m_entries.find(KEY(key));
        if (found == m_entries.end())
            return FALSE;
        value = found->second;
        return TRUE;
    }

    void SetAt(ARG_KEY key, ARG_VALUE value) { m_entries[KEY(key)] = value; }

    // Adds a default value when the key is absent.
    VALUE& operator[](ARG_KEY key) { return m_entries[KEY(key)]; }

    BOOL RemoveKey(ARG_KEY key) { return m_entries.erase(KEY(key)) != 0 ? TRUE : FALSE; }
    void RemoveAll() { m_entries.clear(); }

    void InitHashTable(UINT hashSize, BOOL allocNow = TRUE)
    {
        (void)allocNow;
        m_entries.reserve(hashSize);
    }

    POSITION GetStartPosition() const
    {
        return m_entries.empty() ? nullptr : PositionOf(*m_entries.begin());
    }

    // Returns the entry at pos and moves pos to the next one (NULL after the last).
    void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const
    {
        ASSERT(pos != nullptr);
        const Entry& entry = *reinterpret_cast<const Entry*>(pos);
        auto next = m_entries.find(entry.first);
        ++next;
        key = entry.first;
        value = entry.second;
        pos = next == m_entries.end() ? nullptr : PositionOf(*next);
    }

private:
    typedef std::unordered_map<KEY, VALUE, CMapKeyHash<KEY>> Entries;
    typedef typename Entries::value_type Entry;

    static POSITION PositionOf(const Entry& entry)
    {
        return reinterpret_cast<POSITION>(const_cast<Entry*>(&entry));
    }

    Entries m_entries;
};
