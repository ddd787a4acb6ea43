// A data item that moves between the threads: a type id, the id of the device that
// produced it and a value. Items are immutable once made and always held by a
// shared pointer, so any thread may read one without a lock.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/COleVariant.h"

#include <boost/shared_ptr.hpp>
#include <deque>

// Source id of items that no device produced.
const BYTE STORAGE_SOURCE_NONE = 255;

// Type ids; the high bit marks the hub's own events.
const DWORD STORAGE_TYPE_TICK = 0x80000000u;
const DWORD STORAGE_TYPE_TIME = 0x80000001u;
const DWORD STORAGE_TYPE_CONNECTION_INFO = 0x80000101u;
const DWORD STORAGE_TYPE_REFRESH_EVENT = 0x80000200u;
const DWORD STORAGE_TYPE_SIMPLE_VALUE = 0x10002u;
const DWORD STORAGE_TYPE_CONFIG = 0x20001u;
// Not an item kind: names a log-file column in variable identifiers.
const DWORD STORAGE_TYPE_LOG_COLUMN = 0x30002u;

class CStorage
{
public:
    explicit CStorage(BYTE sourceId = STORAGE_SOURCE_NONE) : m_sourceId(sourceId) {}
    virtual ~CStorage() = default;

    CStorage(const CStorage&) = delete;
    CStorage& operator=(const CStorage&) = delete;

    virtual DWORD GetType() const = 0;
    // Only value items name a variable; every other kind answers 1.
    virtual DWORD GetVariableId() const;
    virtual int GetSourceId() const;
    // Empty (VT_EMPTY) unless the kind carries a value.
    virtual COleVariant GetValue() const;

private:
    BYTE m_sourceId;
};

typedef boost::shared_ptr<CStorage> CStoragePtr;
// Items handed over together, oldest first.
typedef std::deque<CStoragePtr> StorageBatch_t;
