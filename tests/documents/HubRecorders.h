// Documents for the hub's tests that record the items the dispatcher hands them, and
// helpers to read what a dispatcher queued when its thread is stopped.
#pragma once
#include "displays/CDocumentDisplay.h"
#include "documents/CConnection.h"
#include "documents/CDocumentDevice.h"
#include "documents/CStorageConnectionInfo.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/StorageDispatcher_t.h"

#include <windows.h>

#include <boost/make_shared.hpp>

#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>
#include "tests/support/Polling.h"

namespace hub_test {

// Holds a handler's thread until opened, and tells when a thread is held there; the
// hold is bounded, so that a failed test still ends.
class Gate
{
public:
    explicit Gate(bool open = false)
        : m_open(CreateEventA(nullptr, TRUE, open ? TRUE : FALSE, nullptr)),
          m_held(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~Gate()
    {
        CloseHandle(m_open);
        CloseHandle(m_held);
    }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

    void Pass()
    {
        SetEvent(m_held);
        WaitForSingleObject(m_open, 10000);
    }
    void Open() { SetEvent(m_open); }
    void Close() { ResetEvent(m_open); }
    bool WaitUntilHeld(DWORD timeoutMs) const { return WaitForSingleObject(m_held, timeoutMs) == WAIT_OBJECT_0; }

private:
    HANDLE m_open;
    HANDLE m_held;
};

// The items one document was handed, in order; any thread may add.
class ItemLog
{
public:
    void Add(const CStoragePtr& item)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_items.push_back(item);
    }
    std::vector<CStoragePtr> Items() const
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_items;
    }
    // Waits, bounded, until the items satisfy the predicate.
    bool WaitUntil(const std::function<bool(const std::vector<CStoragePtr>&)>& done, DWORD timeoutMs) const
    {
        return testing_support::PollUntil([&] { return done(Items()); }, timeoutMs);
    }

private:
    mutable std::mutex m_lock;
    std::vector<CStoragePtr> m_items;
};

// Takes what a device takes, or every kind of item when asked to.
class RecordingDevice : public CDocumentDevice
{
public:
    explicit RecordingDevice(bool everyKind = false) : m_everyKind(everyKind) {}
    bool OnStorage(const CStoragePtr& item) override
    {
        log.Add(item);
        return CDocumentDevice::OnStorage(item);
    }
    bool TakesItemsOf(DWORD type) override { return m_everyKind || CDocumentDevice::TakesItemsOf(type); }
    ItemLog log;

private:
    const bool m_everyKind;
};

class RecordingDisplay : public CDocumentDisplay
{
public:
    bool OnStorage(const CStoragePtr& item) override
    {
        log.Add(item);
        return CDocumentDisplay::OnStorage(item);
    }
    ItemLog log;
};

// A connection without a wire: Open succeeds unless an error text is set, Close
// succeeds while connected, and the items it is handed are recorded.
class FakeConnection : public CConnection
{
public:
    explicit FakeConnection(CDocumentDevice* owner = nullptr) : CConnection(owner) {}
    void Open() override
    {
        ++opens;
        if (!openError.empty())
            throw std::runtime_error(openError);
    }
    bool Close() override
    {
        ++closes;
        return m_connected;
    }
    void AfterOpen() override {}
    bool ReleaseTransport() override { return true; }
    bool OnStorage(const CStoragePtr& item) override
    {
        log.Add(item);
        return true;
    }
    std::string openError;
    int opens = 0;
    int closes = 0;
    ItemLog log;
};

// Everything left in a queue, oldest first.
inline std::vector<CStoragePtr> Drain(StorageQueue_t& queue)
{
    std::vector<CStoragePtr> items;
    for (CStoragePtr item = queue.Front(); item; item = queue.Front()) {
        items.push_back(item);
        queue.PopFront();
    }
    return items;
}

// The state items in order as text: "info:<id>:<0|1>" and "refresh:<code>:<id>"; other
// kinds are left out.
inline std::vector<std::string> Describe(const std::vector<CStoragePtr>& items)
{
    std::vector<std::string> texts;
    for (const CStoragePtr& item : items) {
        if (item->GetType() == STORAGE_TYPE_CONNECTION_INFO) {
            const auto& info = static_cast<const CStorageConnectionInfo&>(*item);
            texts.push_back("info:" + std::to_string(info.GetSourceId()) + ":" + (info.IsConnected() ? "1" : "0"));
        } else if (item->GetType() == STORAGE_TYPE_REFRESH_EVENT) {
            const auto& refresh = static_cast<const CStorageRefreshEvent&>(*item);
            texts.push_back("refresh:" + std::to_string(refresh.GetCode()) + ":" + std::to_string(refresh.GetId()));
        }
    }
    return texts;
}

// The items of a given type whose variable id matches (any when -1).
inline std::vector<CStoragePtr> OfType(const std::vector<CStoragePtr>& items, DWORD type, int variableId = -1)
{
    std::vector<CStoragePtr> found;
    for (const CStoragePtr& item : items)
        if (item->GetType() == type && (variableId < 0 || item->GetVariableId() == DWORD(variableId)))
            found.push_back(item);
    return found;
}

} // namespace hub_test
