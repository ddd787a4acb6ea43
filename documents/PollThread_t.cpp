#include "documents/PollThread_t.h"

#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "framework/CSingleLock.h"
#include "framework/CWinThread.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
// The stopped threads that had not ended when their stop returned.
CCriticalSection& StoppedThreadsLock()
{
    static CCriticalSection lock;
    return lock;
}

std::vector<HANDLE>& StoppedThreads()
{
    static std::vector<HANDLE> threads;
    return threads;
}

HANDLE DuplicateForWaiting(HANDLE thread)
{
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), thread, ::GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0))
        return nullptr;
    return copy;
}
}  // namespace

PollThread_t::PollThread_t(CDocumentDeviceGeneric1* device, const PollPlan_t& plan)
    : m_plan(plan),
      m_stopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_refreshEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_connectStepEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_device(device)
{
}

PollThread_t::~PollThread_t()
{
    if (m_thread != nullptr)
        ::CloseHandle(m_thread);
    if (m_stopEvent != nullptr)
        ::CloseHandle(m_stopEvent);
    if (m_refreshEvent != nullptr)
        ::CloseHandle(m_refreshEvent);
    if (m_connectStepEvent != nullptr)
        ::CloseHandle(m_connectStepEvent);
}

boost::shared_ptr<PollThread_t> PollThread_t::Start(CDocumentDeviceGeneric1* device, const PollPlan_t& plan)
{
    boost::shared_ptr<PollThread_t> poller(new PollThread_t(device, plan));
    if (poller->m_stopEvent == nullptr || poller->m_refreshEvent == nullptr ||
        poller->m_connectStepEvent == nullptr || !plan.transport)
        throw std::runtime_error("unable to create connection thread");
    // The thread holds a reference of its own until it ends; its thread object deletes itself.
    std::unique_ptr<boost::shared_ptr<PollThread_t>> own(new boost::shared_ptr<PollThread_t>(poller));
    CWinThread* thread = AfxBeginThread(&PollThread_t::Run, own.get(), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (thread == nullptr)
        throw std::runtime_error("unable to create connection thread");
    own.release();
    thread->m_bAutoDelete = TRUE;
    poller->m_threadId = thread->m_nThreadID;
    poller->m_thread = DuplicateForWaiting(thread->m_hThread);
    if (poller->m_thread == nullptr)
    {
        // It ends at once, before its first wait.
        ::SetEvent(poller->m_stopEvent);
        thread->ResumeThread();
        throw std::runtime_error("unable to create connection thread");
    }
    thread->ResumeThread();
    return poller;
}

void PollThread_t::Trigger()
{
    ::SetEvent(m_refreshEvent);
}

bool PollThread_t::QueueConnectStep()
{
    CSingleLock lock(&m_lock, TRUE);
    if (m_device == nullptr)
        return false;
    ++m_queuedConnectSteps;
    ::SetEvent(m_connectStepEvent);
    return true;
}

bool PollThread_t::IsStopRequested() const
{
    return ::WaitForSingleObject(m_stopEvent, 0) == WAIT_OBJECT_0;
}

void PollThread_t::Stop(DWORD waitMs)
{
    ::SetEvent(m_stopEvent);
    {
        CSingleLock lock(&m_cancelLock, TRUE);
        if (!m_ended && !m_cancelSent)
        {
            m_plan.transport->m_link->CancelExchangesOf(m_threadId);
            m_cancelSent = true;
        }
    }
    {
        // A cycle being handed to the device, or a connect step under way, ends first
        // (its exchange is cut short); none is handed over afterwards. A step that never
        // ran must not leave the device busy.
        CSingleLock lock(&m_lock, TRUE);
        for (; m_queuedConnectSteps > 0 && m_device != nullptr; --m_queuedConnectSteps)
            m_device->DropConnectStep();
        m_device = nullptr;
    }
    if (::WaitForSingleObject(m_thread, waitMs) == WAIT_OBJECT_0)
        return;
    CSingleLock lock(&StoppedThreadsLock(), TRUE);
    std::vector<HANDLE>& threads = StoppedThreads();
    threads.erase(std::remove_if(threads.begin(), threads.end(),
                                 [](HANDLE thread) {
                                     if (::WaitForSingleObject(thread, 0) != WAIT_OBJECT_0)
                                         return false;
                                     ::CloseHandle(thread);
                                     return true;
                                 }),
                  threads.end());
    if (HANDLE copy = DuplicateForWaiting(m_thread))
        threads.push_back(copy);
}

bool PollThread_t::WaitForStoppedThreads(DWORD timeoutMs)
{
    std::vector<HANDLE> threads;
    {
        CSingleLock lock(&StoppedThreadsLock(), TRUE);
        threads.swap(StoppedThreads());
    }
    const ULONGLONG start = ::GetTickCount64();
    std::vector<HANDLE> running;
    for (HANDLE thread : threads)
    {
        const ULONGLONG waited = ::GetTickCount64() - start;
        const DWORD left = waited >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - waited);
        if (::WaitForSingleObject(thread, left) == WAIT_OBJECT_0)
            ::CloseHandle(thread);
        else
            running.push_back(thread);
    }
    if (running.empty())
        return true;
    CSingleLock lock(&StoppedThreadsLock(), TRUE);
    StoppedThreads().insert(StoppedThreads().end(), running.begin(), running.end());
    return false;
}

UINT __cdecl PollThread_t::Run(LPVOID self)
{
    boost::shared_ptr<PollThread_t> poller;
    {
        std::unique_ptr<boost::shared_ptr<PollThread_t>> own(static_cast<boost::shared_ptr<PollThread_t>*>(self));
        poller.swap(*own);
    }
    poller->Loop();
    poller->Ended();
    // The last reference may go here: the link handle with it, and the link when no one
    // else holds it.
    return 0;
}

void PollThread_t::Loop()
{
    std::vector<WORD> image(MODBUS_REGISTER_SPACE);
    std::vector<BYTE> valid(MODBUS_REGISTER_SPACE);
    HANDLE events[3] = { m_stopEvent, m_refreshEvent, m_connectStepEvent };
    for (;;)
    {
        const DWORD result = ::WaitForMultipleObjects(3, events, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0)
            return;
        if (result == WAIT_OBJECT_0 + 2)
        {
            ::ResetEvent(m_connectStepEvent);
            RunConnectSteps();
        }
        else if (result == WAIT_OBJECT_0 + 1)
        {
            ::ResetEvent(m_refreshEvent);
            PollOnce(image.data(), valid.data());
        }
        else
        {
            // A failed wait: try again without spinning.
            ::Sleep(1);
        }
    }
}

void PollThread_t::RunConnectSteps()
{
    CSingleLock lock(&m_lock, TRUE);
    for (; m_queuedConnectSteps > 0 && m_device != nullptr && !IsStopRequested(); --m_queuedConnectSteps)
        m_device->RunConnectStep();
}

void PollThread_t::Ended()
{
    CSingleLock lock(&m_cancelLock, TRUE);
    m_ended = true;
    // Thread ids are reused: a later thread with ours must not find itself cancelled.
    if (m_cancelSent)
        m_plan.transport->m_link->EndCancelOf(m_threadId);
}

void PollThread_t::TellFailure(const std::string& text)
{
    CSingleLock lock(&m_lock, TRUE);
    if (m_device != nullptr && !IsStopRequested())
        m_device->PollFailed(text);
}

void PollThread_t::PollOnce(WORD* image, BYTE* valid)
{
    std::fill(valid, valid + MODBUS_REGISTER_SPACE, BYTE(0));
    std::string failure;
    bool convert = true;
    try
    {
        // The device's ranges go back to back: on a line shared with others each would wait
        // a round for its turn, and the first range's values would reach the displays a
        // round after they were read.
        CModbus::Turn turn(*m_plan.transport->m_link);
        if (!turn.Taken())
            return;
        for (const std::pair<int, int>& range : m_plan.ranges)
        {
            const int start = range.first;
            const int count = range.second;
            if (start + count > MODBUS_REGISTER_SPACE)
                throw std::runtime_error("Modbus read output register request too long");
            // A stop is waiting: the rest of the cycle would only delay it.
            if (IsStopRequested())
                return;
            try
            {
                CConnectionModbusLocal::ReadThrough(*m_plan.transport->m_link, m_plan.unitId, m_plan.maxReadCount,
                                                    start, image + start, count,
                                                    [this] { return IsStopRequested(); });
                std::fill(valid + start, valid + start + count, BYTE(1));
            }
            catch (const std::exception& error)
            {
                // The other ranges are still read and converted, but the device is judged
                // by its own request at once, not after the rest of its cycle.
                if (failure.empty())
                {
                    failure = error.what();
                    TellFailure(failure);
                }
            }
        }
    }
    catch (const std::exception& error)
    {
        failure = error.what();
        convert = false;
    }

    CSingleLock lock(&m_lock, TRUE);
    if (m_device == nullptr || IsStopRequested())
        return;
    try
    {
        if (convert)
            m_device->ConvertRegisterImage(image, valid);
        // A device that stopped answering keeps that as its message until it answers again.
        if (failure.empty())
            m_device->PollAnswered();
        else
            m_device->PollFailed(failure);
    }
    catch (const std::exception& error)
    {
        m_device->PollFailed(error.what());
    }
}
