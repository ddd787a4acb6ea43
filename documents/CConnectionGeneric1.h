// The connection of a generic device: identifies the device when it opens and polls the
// described register ranges in its own thread on every time item.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CConnectionModbusLocal.h"
#include "framework/CCriticalSection.h"

#include <algorithm>
#include <atomic>
#include <list>
#include <utility>
#include <vector>

class CDocumentDeviceGeneric1;
class CWinThread;

const int MODBUS_REGISTER_SPACE = 0x10000;
// A disconnect ends the polling thread well within this time.
const DWORD CONNECTION_THREAD_STOP_WAIT_MS = 10000;
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

    static UINT __cdecl WorkerThread(LPVOID connection);
    UINT WorkerLoop();

private:
    void RebuildPollRanges();
    CDocumentDeviceGeneric1* GetGenericOwner() const;
    // Sets the stop event, cuts short the link exchange the thread waits on, waits for
    // the thread to end and deletes its object; nothing when no thread runs.
    void StopWorker();
    // A disconnect is waiting: requests not yet sent are not sent.
    bool ReadsAbandoned() override;
    bool IsStopRequested() const;
    // One refresh cycle: reads the poll ranges into the image and hands it to the owner.
    void PollOnce(WORD* image, BYTE* valid);
    // The connect steps queued: run, or dropped when the thread ends without them.
    void RunConnectSteps();
    void DropConnectSteps();

    CWinThread* m_worker;
    HANDLE m_stopEvent;
    HANDLE m_refreshEvent;
    HANDLE m_connectStepEvent;
    std::atomic<LONG> m_queuedConnectSteps;
    // Set while the polling thread runs: steps are queued only then.
    std::atomic<bool> m_workerRunning;
    CCriticalSection m_pollLock;
    std::vector<int> m_pollAddresses;
    std::list<std::pair<int, int>> m_pollRanges;
    std::vector<int> m_configRegisters;
    // The product code the open read; the device takes it as its title on the
    // interface thread.
    CString m_openedTitle;
};
