#include "framework/SyncThreadRecord.h"

#include "framework/CMutex.h"
#include "framework/CUserSpaceSyncObject.h"

#include <algorithm>

namespace
{
const DWORD kThreadEndGuardWaitMs = 200;

// Fiber-local storage rather than thread_local: its callback runs when any thread
// ends, whoever started it, and hands over the record.
DWORD RecordSlot(PFLS_CALLBACK_FUNCTION threadEnds)
{
    static const DWORD slot = ::FlsAlloc(threadEnds);
    return slot;
}
}

SyncThreadRecord& SyncThreadRecord::Current()
{
    const DWORD slot = RecordSlot(&SyncThreadRecord::ThreadEnds);
    auto* record = static_cast<SyncThreadRecord*>(::FlsGetValue(slot));
    if (record == nullptr)
    {
        record = new SyncThreadRecord();
        ::FlsSetValue(slot, record);
    }
    return *record;
}

SyncThreadRecord::SyncThreadRecord()
{
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &m_thread,
                      SYNCHRONIZE, FALSE, 0);
}

SyncThreadRecord::~SyncThreadRecord()
{
    if (m_thread != nullptr)
        ::CloseHandle(m_thread);
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
    delete this;
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
