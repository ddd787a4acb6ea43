// The connection of a generic device: identifies the device when it opens and polls the
// described register ranges in its own thread on every time item.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CConnectionModbusLocal.h"
#include "framework/CCriticalSection.h"

#include <boost/shared_ptr.hpp>

#include <algorithm>
#include <list>
#include <utility>
#include <vector>

class CDocumentDeviceGeneric1;
class PollThread_t;

const int MODBUS_REGISTER_SPACE = 0x10000;
// How long a disconnect waits for its polling thread to end before it leaves the thread to
// end by itself: long enough for one that is idle or between requests, so that the link is
// let go when the disconnect returns, short against what a command may take.
const DWORD CONNECTION_THREAD_STOP_WAIT_MS = 150;
// Register read to confirm the device answers when the description names no poll register.
const int CONNECTION_DEFAULT_IDENTITY_REGISTER = 8;

class CConnectionGeneric1 : public CConnectionModbusLocal
{
    DECLARE_DYNAMIC(CConnectionGeneric1)
public:
    explicit CConnectionGeneric1(CDocumentDeviceGeneric1* owner);
    ~CConnectionGeneric1() override;

    void Open() override;
    bool Close() override;
    bool OnStorage(const CStoragePtr& item) override;
    void AfterOpen() override;
    // The title the open read, and the connect notice the device then waits for.
    void CompleteOpen() override;
    void AbandonOpen() override;

    void AddPollRegister(int address);
    // Registers of the configuration store, read when the connection opens.
    void AddConfigRegister(int address);
    DWORD ReadOutputValue(int lowAddress, int highAddress);

    std::list<std::pair<int, int>> GetPollRanges();

    // The owner's connect step goes to the polling thread, before its next poll; false when
    // the connection has no thread.
    bool QueueConnectStep();
    // A disconnect (or an open let go) stops the connection: what it cuts short has not failed.
    bool IsClosing() const { return m_stopping; }

private:
    void RebuildPollRanges();
    CDocumentDeviceGeneric1* GetGenericOwner() const;
    // Stops the polling thread (see PollThread_t::Stop) and lets it go; nothing when none runs.
    void StopWorker();
    // A disconnect is waiting: requests not yet sent are not sent.
    bool ReadsAbandoned() override;
    boost::shared_ptr<PollThread_t> CurrentWorker();

    // The polling thread while connected, under m_pollLock: the dispatch thread triggers it.
    boost::shared_ptr<PollThread_t> m_worker;
    volatile bool m_stopping;
    CCriticalSection m_pollLock;
    std::vector<int> m_pollAddresses;
    std::list<std::pair<int, int>> m_pollRanges;
    std::vector<int> m_configRegisters;
    // The product code the open read; the device takes it as its title on the
    // interface thread.
    CString m_openedTitle;
};
