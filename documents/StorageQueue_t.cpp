#include "documents/StorageQueue_t.h"

#include "framework/CSingleLock.h"

StorageQueue_t::StorageQueue_t()
    : m_event(CreateEventA(nullptr, TRUE, FALSE, nullptr))
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
    CSingleLock lock(&m_lock, TRUE);
    if (m_items.size() > STORAGE_QUEUE_LIMIT)
        m_items.pop_front();
    m_items.push_back(item);
    // The event already stands for a queue that was not empty; each SetEvent is a
    // kernel call, so only the first item sets it.
    if (m_items.size() == 1)
        SetEvent(m_event);
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
    if (m_items.empty())
        ResetEvent(m_event);
}

void StorageQueue_t::Clear()
{
    CSingleLock lock(&m_lock, TRUE);
    m_items.clear();
    ResetEvent(m_event);
}
