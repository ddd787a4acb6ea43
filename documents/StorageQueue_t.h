// A locked first-in first-out queue of items whose event is signalled exactly while
// the queue holds at least one item, so that a consumer can wait on it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "documents/CStorage.h"

#include <deque>

// Above this many queued items the oldest is dropped before a push.
const size_t STORAGE_QUEUE_LIMIT = 0x1FFFFFFE;

class StorageQueue_t
{
public:
    StorageQueue_t();
    ~StorageQueue_t();

    StorageQueue_t(const StorageQueue_t&) = delete;
    StorageQueue_t& operator=(const StorageQueue_t&) = delete;

    void Push(const CStoragePtr& item);
    // The first item, or an empty pointer when the queue is empty.
    CStoragePtr Front();
    void PopFront();
    void Clear();

    HANDLE GetEvent() const { return m_event; }
    // Held around Front and PopFront by a consumer that takes an item in one step.
    CCriticalSection& GetLock() { return m_lock; }

private:
    CCriticalSection m_lock;
    HANDLE m_event;
    std::deque<CStoragePtr> m_items;
};
