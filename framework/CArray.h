// Growable array of values, the common ground of the framework's typed arrays.
// Indexes past the end are tolerated where growing or clamping is the sensible
// reading (InsertAt, SetAtGrow, RemoveAt); plain element access asserts.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"

#include <type_traits>
#include <utility>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject
{
public:
    CArray() = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_elements.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    BOOL IsEmpty() const { return m_elements.empty(); }

    // growBy is accepted for compatibility; the storage chooses its own growth.
    void SetSize(INT_PTR newSize, INT_PTR growBy = -1)
    {
        (void)growBy;
        m_elements.resize(newSize > 0 ? static_cast<size_t>(newSize) : 0);
    }

    void FreeExtra() { m_elements.shrink_to_fit(); }
    void RemoveAll() { m_elements.clear(); }

    const TYPE& GetAt(INT_PTR index) const { return m_elements[CheckedIndex(index)]; }
    TYPE& ElementAt(INT_PTR index) { return m_elements[CheckedIndex(index)]; }
    void SetAt(INT_PTR index, ARG_TYPE element) { m_elements[CheckedIndex(index)] = element; }
    const TYPE& operator[](INT_PTR index) const { return GetAt(index); }
    TYPE& operator[](INT_PTR index) { return ElementAt(index); }

    const TYPE* GetData() const { return m_elements.empty() ? nullptr : m_elements.data(); }
    TYPE* GetData() { return m_elements.empty() ? nullptr : m_elements.data(); }

    // Grows the array (with default elements) so that index exists.
    void SetAtGrow(INT_PTR index, ARG_TYPE element)
    {
        if (index < 0)
            return;
        if (index >= GetSize())
        {
            // Copy first: element may refer into the storage the resize moves.
            TYPE value(element);
            m_elements.resize(static_cast<size_t>(index) + 1);
            m_elements[static_cast<size_t>(index)] = std::move(value);
            return;
        }
        m_elements[static_cast<size_t>(index)] = element;
    }

    INT_PTR Add(ARG_TYPE element)
    {
        m_elements.push_back(element);
        return GetUpperBound();
    }

    // Returns the index of the first appended element.
    INT_PTR Append(const CArray& source)
    {
        const INT_PTR oldSize = GetSize();
        if (&source == this)
        {
            const std::vector<TYPE> copy(m_elements);
            m_elements.insert(m_elements.end(), copy.begin(), copy.end());
        }
        else
        {
            m_elements.insert(m_elements.end(), source.m_elements.begin(), source.m_elements.end());
        }
        return oldSize;
    }

    void Copy(const CArray& source)
    {
        if (&source != this)
            m_elements = source.m_elements;
    }

    // An index past the end first grows the array with default elements up to it.
    void InsertAt(INT_PTR index, ARG_TYPE element, INT_PTR count = 1)
    {
        if (index < 0 || count <= 0)
            return;
        TYPE value(element);
        if (index > GetSize())
            m_elements.resize(static_cast<size_t>(index));
        m_elements.insert(m_elements.begin() + index, static_cast<size_t>(count), value);
    }

    // A template so that a literal 0 element value never reads as a null array.
    template <class ARRAY, typename = std::enable_if_t<std::is_base_of<CArray, ARRAY>::value>>
    void InsertAt(INT_PTR startIndex, const ARRAY* newElements)
    {
        if (newElements == nullptr || newElements->IsEmpty() || startIndex < 0)
            return;
        const std::vector<TYPE> copy(newElements->m_elements);
        if (startIndex > GetSize())
            m_elements.resize(static_cast<size_t>(startIndex));
        m_elements.insert(m_elements.begin() + startIndex, copy.begin(), copy.end());
    }

    // Removes up to count elements; a count running past the end stops there.
    void RemoveAt(INT_PTR index, INT_PTR count = 1)
    {
        if (index < 0 || index >= GetSize() || count <= 0)
            return;
        const INT_PTR removed = count < GetSize() - index ? count : GetSize() - index;
        m_elements.erase(m_elements.begin() + index, m_elements.begin() + index + removed);
    }

private:
    size_t CheckedIndex(INT_PTR index) const
    {
        ASSERT(index >= 0 && index < GetSize());
        return static_cast<size_t>(index);
    }

    std::vector<TYPE> m_elements;
};
