// A locked first-in first-out queue of items whose event is signalled exactly while
// the queue holds at least one item, so that a consumer can wait on it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "documents/CStorage.h"

#include <atomic>
#include <deque>

// The queues' limit: so many items are never a backlog that drains.
const size_t STORAGE_QUEUE_LIMIT = 0x1FFFFFFE;

class StorageQueue_t
{
public:
    // Above limit queued items the oldest is dropped before each push.
    explicit StorageQueue_t(size_t limit = STORAGE_QUEUE_LIMIT);
    ~StorageQueue_t();

    StorageQueue_t(const StorageQueue_t&) = delete;
    StorageQueue_t& operator=(const StorageQueue_t&) = delete;

    void Push(const CStoragePtr& item);
    // The items in their order under one lock, as if pushed one by one.
    void PushBatch(const StorageBatch_t& items);
    // The first item, or an empty pointer when the queue is empty.
    CStoragePtr Front();
    void PopFront();
    // Front and PopFront in one step.
    CStoragePtr TakeFront();
    // Everything queued, oldest first; the queue is left empty. clears, when given,
    // receives ClearCount() as it was when the items were taken.
    StorageBatch_t TakeAll(unsigned* clears = nullptr);
    // Empties the queue. Items taken from it before, and not handed on yet, count as
    // cleared too: a consumer that took them finds the clear count changed.
    void Clear();
    unsigned ClearCount() const { return m_clears.load(std::memory_order_acquire); }
    // Without a lock: whether the queue held items a moment ago.
    bool HasItems() const { return m_hasItems.load(std::memory_order_acquire); }

    HANDLE GetEvent() const { return m_event; }

private:
    template <class Iterator>
    void PushRange(Iterator first, Iterator last);
    // Under the lock.
    void ItemsAdded();
    void ItemsRemoved();

    const size_t m_limit;
    CCriticalSection m_lock;
    HANDLE m_event;
    std::deque<CStoragePtr> m_items;
    std::atomic<bool> m_hasItems;
    std::atomic<unsigned> m_clears;
};
