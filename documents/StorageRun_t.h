// The items the dispatch thread took from one queue at once, handed to a target one
// at a time. A run ends early, between two items, when the dispatcher stops, or when
// the queue that goes first has items again, so that they wait no longer than one item.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/StorageQueue_t.h"

#include <atomic>

class StorageRun_t
{
public:
    // From the item at position; without a stop flag or a queue that goes first, the
    // run only ends with its items.
    StorageRun_t(const StorageBatch_t& items, size_t position, const std::atomic<bool>* stopping = nullptr,
                 const StorageQueue_t* goesFirst = nullptr);

    StorageRun_t(const StorageRun_t&) = delete;
    StorageRun_t& operator=(const StorageRun_t&) = delete;

    // The next item; false when the run has ended.
    bool Next(CStoragePtr& item);
    // The first item not handed out.
    size_t Position() const { return m_position; }
    // The items were taken from source when its clear count was clears: a later Clear
    // of the queue ends the run, and Cleared() tells the rest is to be dropped.
    void TakenFrom(const StorageQueue_t& source, unsigned clears);
    bool Cleared() const;

private:
    const StorageBatch_t& m_items;
    size_t m_position;
    const std::atomic<bool>* m_stopping;
    const StorageQueue_t* m_goesFirst;
    const StorageQueue_t* m_source = nullptr;
    unsigned m_sourceClears = 0;
};
