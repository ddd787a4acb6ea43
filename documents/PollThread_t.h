// The polling thread of one generic device's connection. A stop does not wait for it: it
// ends by itself soon after (its exchange is cut short, its wait for the link's turn given
// up), holding its own handle on the link and copies of what it reads, and reaches its
// device only until the stop. So a disconnect, a delete or the program's close returns at
// once however long others keep the link, and neither the connection nor the device has to
// outlive the thread.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "modbus/CSharedModbus.h"

#include <boost/noncopyable.hpp>
#include <boost/shared_ptr.hpp>

#include <list>
#include <string>
#include <utility>

class CDocumentDeviceGeneric1;

// What a poll reads and through which link.
struct PollPlan_t
{
    boost::shared_ptr<CSharedModbus> transport;
    int unitId = 0;
    int maxReadCount = 1;
    std::list<std::pair<int, int>> ranges;   // start, count
};

class PollThread_t : private boost::noncopyable
{
public:
    // Throws std::runtime_error when the thread cannot be made.
    static boost::shared_ptr<PollThread_t> Start(CDocumentDeviceGeneric1* device, const PollPlan_t& plan);
    ~PollThread_t();

    // A poll cycle soon; one asked for during a cycle follows it.
    void Trigger();
    // The device's connect step (its log download) runs on this thread before its next
    // poll; false once stopped. A step still queued at the stop is dropped then.
    bool QueueConnectStep();
    // No request is sent any more and the device is not reached again once this returns,
    // which is at the latest after waitMs, whether or not the thread has ended by then.
    void Stop(DWORD waitMs);
    bool IsStopRequested() const;

    // Waits for the stopped threads that had not ended when their stop returned; false when
    // one still runs after timeoutMs. The program waits for them before it ends.
    static bool WaitForStoppedThreads(DWORD timeoutMs);

private:
    PollThread_t(CDocumentDeviceGeneric1* device, const PollPlan_t& plan);
    static UINT __cdecl Run(LPVOID self);
    void Loop();
    void PollOnce(WORD* image, BYTE* valid);
    // A request of the cycle went unanswered: the device hears it now.
    void TellFailure(const std::string& text);
    void RunConnectSteps();
    void Ended();

    const PollPlan_t m_plan;
    HANDLE m_stopEvent;
    HANDLE m_refreshEvent;
    HANDLE m_connectStepEvent;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    // Guards the device pointer and the queued connect steps, held while the thread hands a
    // cycle to the device or runs a step of it.
    CCriticalSection m_lock;
    CDocumentDeviceGeneric1* m_device;
    LONG m_queuedConnectSteps = 0;
    // Guards the cancel bookkeeping of the link: a stop cuts a step's exchange short before
    // it waits for m_lock.
    CCriticalSection m_cancelLock;
    bool m_cancelSent = false;
    bool m_ended = false;
};
