#include "documents/StorageQueue_t.h"

#include "framework/CSingleLock.h"

StorageQueue_t::StorageQueue_t(size_t limit)
    : m_limit(limit), m_event(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_hasItems(false), m_clears(0)
{
}

StorageQueue_t::~StorageQueue_t()
{
    CSingleLock lock(&m_lock, TRUE);
    m_items.clear();
    if (m_event != nullptr)
        CloseHandle(m_event);
}

void StorageQueue_t::Push(const CStoragePtr& item)
{
    PushRange(&item, &item + 1);
}

void StorageQueue_t::PushBatch(const StorageBatch_t& items)
{
    PushRange(items.begin(), items.end());
}

template <class Iterator>
void StorageQueue_t::PushRange(Iterator first, Iterator last)
{
    if (first == last)
        return;
    CSingleLock lock(&m_lock, TRUE);
    // The event already stands for a queue that was not empty; each SetEvent is a
    // kernel call, so only an empty queue's first items set it.
    const bool wasEmpty = m_items.empty();
    for (; first != last; ++first) {
        if (m_items.size() > m_limit)
            m_items.pop_front();
        m_items.push_back(*first);
    }
    if (wasEmpty)
        ItemsAdded();
}

// The event goes up before the flag and down after it, so that whoever sees the flag
// set finds the event set too.
void StorageQueue_t::ItemsAdded()
{
    SetEvent(m_event);
    m_hasItems.store(true, std::memory_order_release);
}

void StorageQueue_t::ItemsRemoved()
{
    if (!m_items.empty())
        return;
    m_hasItems.store(false, std::memory_order_release);
    ResetEvent(m_event);
}

CStoragePtr StorageQueue_t::Front()
{
    CSingleLock lock(&m_lock, TRUE);
    if (m_items.empty())
        return CStoragePtr();
    return m_items.front();
}

void StorageQueue_t::PopFront()
{
    CSingleLock lock(&m_lock, TRUE);
    if (m_items.empty())
        return;
    m_items.pop_front();
    ItemsRemoved();
}

CStoragePtr StorageQueue_t::TakeFront()
{
    CSingleLock lock(&m_lock, TRUE);
    if (m_items.empty())
        return CStoragePtr();
    CStoragePtr item = m_items.front();
    m_items.pop_front();
    ItemsRemoved();
    return item;
}

StorageBatch_t StorageQueue_t::TakeAll(unsigned* clears)
{
    StorageBatch_t items;
    CSingleLock lock(&m_lock, TRUE);
    if (clears != nullptr)
        *clears = ClearCount();
    if (m_items.empty())
        return items;
    items.swap(m_items);
    ItemsRemoved();
    return items;
}

void StorageQueue_t::Clear()
{
    CSingleLock lock(&m_lock, TRUE);
    m_items.clear();
    ItemsRemoved();
    m_clears.fetch_add(1, std::memory_order_acq_rel);
}
