#include "documents/StorageRun_t.h"

StorageRun_t::StorageRun_t(const StorageBatch_t& items, size_t position, const std::atomic<bool>* stopping,
                           const StorageQueue_t* goesFirst)
    : m_items(items), m_position(position), m_stopping(stopping), m_goesFirst(goesFirst)
{
}

bool StorageRun_t::Next(CStoragePtr& item)
{
    if (m_position >= m_items.size())
        return false;
    if (m_stopping != nullptr && m_stopping->load(std::memory_order_acquire))
        return false;
    if (m_goesFirst != nullptr && m_goesFirst->HasItems())
        return false;
    if (Cleared())
        return false;
    item = m_items[m_position++];
    return true;
}

void StorageRun_t::TakenFrom(const StorageQueue_t& source, unsigned clears)
{
    m_source = &source;
    m_sourceClears = clears;
}

bool StorageRun_t::Cleared() const
{
    return m_source != nullptr && m_source->ClearCount() != m_sourceClears;
}
