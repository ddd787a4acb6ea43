#include "framework/SyncThreadRecord.h"

#include "framework/CMutex.h"
#include "framework/CUserSpaceSyncObject.h"

#include <algorithm>

namespace
{
const DWORD kThreadEndGuardWaitMs = 200;

SyncThreadRecord* g_firstRecord = nullptr;
SyncThreadRecord* g_firstSleeper = nullptr;

// Fiber-local storage rather than thread_local: its callback runs when any thread
// ends, whoever started it, and hands over the record.
DWORD RecordSlot(PFLS_CALLBACK_FUNCTION threadEnds)
{
    static const DWORD slot = ::FlsAlloc(threadEnds);
    return slot;
}
}

SyncThreadRecord* SyncThreadRecord::Find()
{
    return static_cast<SyncThreadRecord*>(::FlsGetValue(RecordSlot(&SyncThreadRecord::ThreadEnds)));
}

SyncThreadRecord& SyncThreadRecord::Current()
{
    SyncThreadRecord* record = Find();
    if (record == nullptr)
    {
        record = new SyncThreadRecord();   // its kernel calls outside the guard
        ::FlsSetValue(RecordSlot(&SyncThreadRecord::ThreadEnds), record);
        CUserSpaceSyncObject::Guard guard;
        Link(g_firstRecord, record, &SyncThreadRecord::m_recordLinks);
    }
    return *record;
}

SyncThreadRecord::SyncThreadRecord() : m_threadId(::GetCurrentThreadId())
{
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &m_thread,
                      SYNCHRONIZE, FALSE, 0);
    m_wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

SyncThreadRecord::~SyncThreadRecord()
{
    if (m_thread != nullptr)
        ::CloseHandle(m_thread);
    if (m_wake != nullptr)
        ::CloseHandle(m_wake);
}

void SyncThreadRecord::Link(SyncThreadRecord*& first, SyncThreadRecord* record, Links SyncThreadRecord::*links)
{
    (record->*links).previous = nullptr;
    (record->*links).next = first;
    if (first != nullptr)
        (first->*links).previous = record;
    first = record;
}

void SyncThreadRecord::Unlink(SyncThreadRecord*& first, SyncThreadRecord* record, Links SyncThreadRecord::*links)
{
    Links& own = record->*links;
    if (own.previous != nullptr)
        (own.previous->*links).next = own.next;
    else
        first = own.next;
    if (own.next != nullptr)
        (own.next->*links).previous = own.previous;
    own = Links();
}

void SyncThreadRecord::Release(CMutex* mutex)
{
    // Mutexes are mostly given back in the reverse order of taking them.
    const auto found = std::find(m_held.rbegin(), m_held.rend(), mutex);
    if (found != m_held.rend())
        m_held.erase(std::next(found).base());
}

bool SyncThreadRecord::HasEnded() const
{
    return m_thread != nullptr && ::WaitForSingleObject(m_thread, 0) == WAIT_OBJECT_0;
}

void SyncThreadRecord::EndThread()
{
    for (CMutex* mutex : m_held)
        mutex->AbandonByEndedHolder();
    if (!m_held.empty())
        CUserSpaceSyncObject::WakeWaiters();
    StopSleeping();
    Unlink(g_firstRecord, this, &SyncThreadRecord::m_recordLinks);
    delete this;
}

void SyncThreadRecord::EndTerminatedThread(DWORD threadId)
{
    for (SyncThreadRecord* record = g_firstRecord; record != nullptr; record = record->m_recordLinks.next)
    {
        if (record->m_threadId == threadId && record->HasEnded())
        {
            record->EndThread();
            return;
        }
    }
}

void SyncThreadRecord::StartSleeping()
{
    if (m_asleep)
        return;
    m_asleep = true;
    Link(g_firstSleeper, this, &SyncThreadRecord::m_sleeperLinks);
}

void SyncThreadRecord::StopSleeping()
{
    if (!m_asleep)
        return;
    m_asleep = false;
    Unlink(g_firstSleeper, this, &SyncThreadRecord::m_sleeperLinks);
}

void SyncThreadRecord::WakeSleepers()
{
    while (g_firstSleeper != nullptr)
    {
        SyncThreadRecord* sleeper = g_firstSleeper;
        sleeper->StopSleeping();
        ::SetEvent(sleeper->m_wake);
    }
}

void WINAPI SyncThreadRecord::ThreadEnds(void* record)
{
    if (record == nullptr)
        return;
    // This runs for the last thread too, while the process ends: the other threads are
    // gone by then, and one may have been cut off holding the guard. Waiting for it would
    // hang the exit for ever, so the wait is bounded; a record left behind is harmless, as
    // waiters find an ended holder by its thread handle as well.
    CUserSpaceSyncObject::Guard guard(kThreadEndGuardWaitMs);
    if (guard.Held())
        static_cast<SyncThreadRecord*>(record)->EndThread();
}
