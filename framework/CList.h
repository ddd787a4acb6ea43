// Doubly linked list walked through POSITION handles. A POSITION is the node itself,
// so inserting or removing elements leaves every other position valid.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject
{
public:
    // The block size is accepted for compatibility; nodes are allocated one by one.
    explicit CList(INT_PTR blockSize = 10) { (void)blockSize; }
    ~CList() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    BOOL IsEmpty() const { return m_count == 0; }

    TYPE& GetHead() { return NodeOf(PositionOf(m_head))->data; }
    const TYPE& GetHead() const { return NodeOf(PositionOf(m_head))->data; }
    TYPE& GetTail() { return NodeOf(PositionOf(m_tail))->data; }
    const TYPE& GetTail() const { return NodeOf(PositionOf(m_tail))->data; }

    POSITION GetHeadPosition() const { return PositionOf(m_head); }
    POSITION GetTailPosition() const { return PositionOf(m_tail); }

    // Returns the element at pos and moves pos on (to NULL after the last one).
    TYPE& GetNext(POSITION& pos)
    {
        Node* node = NodeOf(pos);
        pos = PositionOf(node->next);
        return node->data;
    }
    const TYPE& GetNext(POSITION& pos) const
    {
        const Node* node = NodeOf(pos);
        pos = PositionOf(node->next);
        return node->data;
    }
    TYPE& GetPrev(POSITION& pos)
    {
        Node* node = NodeOf(pos);
        pos = PositionOf(node->prev);
        return node->data;
    }
    const TYPE& GetPrev(POSITION& pos) const
    {
        const Node* node = NodeOf(pos);
        pos = PositionOf(node->prev);
        return node->data;
    }

    TYPE& GetAt(POSITION pos) { return NodeOf(pos)->data; }
    const TYPE& GetAt(POSITION pos) const { return NodeOf(pos)->data; }
    void SetAt(POSITION pos, ARG_TYPE element) { NodeOf(pos)->data = element; }

    POSITION AddHead(ARG_TYPE element) { return InsertBefore(PositionOf(m_head), element); }
    POSITION AddTail(ARG_TYPE element) { return InsertAfter(PositionOf(m_tail), element); }

    // A NULL position inserts at the head.
    POSITION InsertBefore(POSITION pos, ARG_TYPE element)
    {
        Node* next = pos != nullptr ? NodeOf(pos) : m_head;
        Node* node = new Node{element, next != nullptr ? next->prev : nullptr, next};
        Link(node);
        return PositionOf(node);
    }

    // A NULL position inserts at the tail.
    POSITION InsertAfter(POSITION pos, ARG_TYPE element)
    {
        Node* prev = pos != nullptr ? NodeOf(pos) : m_tail;
        Node* node = new Node{element, prev, prev != nullptr ? prev->next : nullptr};
        Link(node);
        return PositionOf(node);
    }

    TYPE RemoveHead()
    {
        ASSERT(m_head != nullptr);
        TYPE element = m_head->data;
        RemoveAt(PositionOf(m_head));
        return element;
    }

    TYPE RemoveTail()
    {
        ASSERT(m_tail != nullptr);
        TYPE element = m_tail->data;
        RemoveAt(PositionOf(m_tail));
        return element;
    }

    void RemoveAt(POSITION pos)
    {
        Node* node = NodeOf(pos);
        (node->prev != nullptr ? node->prev->next : m_head) = node->next;
        (node->next != nullptr ? node->next->prev : m_tail) = node->prev;
        delete node;
        --m_count;
    }

    void RemoveAll()
    {
        while (m_head != nullptr)
        {
            Node* next = m_head->next;
            delete m_head;
            m_head = next;
        }
        m_tail = nullptr;
        m_count = 0;
    }

    // First position after startAfter (or from the head) holding an equal element.
    POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const
    {
        const Node* node = startAfter != nullptr ? NodeOf(startAfter)->next : m_head;
        for (; node != nullptr; node = node->next)
        {
            if (node->data == value)
                return PositionOf(node);
        }
        return nullptr;
    }

    // Position of the zero-based index, NULL when out of range.
    POSITION FindIndex(INT_PTR index) const
    {
        if (index < 0 || index >= m_count)
            return nullptr;
        const Node* node = m_head;
        for (INT_PTR i = 0; i < index; ++i)
            node = node->next;
        return PositionOf(node);
    }

private:
    struct Node
    {
        TYPE data;
        Node* prev;
        Node* next;
    };

    static POSITION PositionOf(const Node* node)
    {
        return reinterpret_cast<POSITION>(const_cast<Node*>(node));
    }

    static Node* NodeOf(POSITION pos)
    {
        ASSERT(pos != nullptr);
        return reinterpret_cast<Node*>(pos);
    }

    // Splices a node whose prev/next are already set into the chain.
    void Link(Node* node)
    {
        (node->prev != nullptr ? node->prev->next : m_head) = node;
        (node->next != nullptr ? node->next->prev : m_tail) = node;
        ++m_count;
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    INT_PTR m_count = 0;
};
