#include "framework/CUserSpaceSyncObject.h"

#include "framework/SyncThreadRecord.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CUserSpaceSyncObject, CSyncObject)

namespace
{
// The id of the thread holding the guard, 0 while it is free.
volatile LONG g_guardHolder = 0;

// How often a waiter looks whether the holder of a mutex it waits for was terminated:
// a terminated thread never gives its mutexes back, and nothing else tells.
const DWORD kEndedHolderCheckMs = 50;
// How long one thread may keep the guard before the threads that want it ask whether
// it still exists. Every section under the guard is a few memory operations long, so
// only a thread cut off inside one keeps it this long.
const DWORD kGuardHolderCheckMs = 250;
// How long a termination may take to finish before the guard is given back.
const DWORD kTerminationWaitMs = 5000;

// Spins of a contended guard before the waiter yields its processor, and yields
// before it sleeps a millisecond at a time.
const unsigned kGuardSpins = 100;
const unsigned kGuardYields = 200;

bool ThreadHasEnded(DWORD threadId)
{
    const HANDLE thread = ::OpenThread(SYNCHRONIZE, FALSE, threadId);
    if (thread == nullptr)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;   // no such thread any more
    const bool ended = ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    ::CloseHandle(thread);
    return ended;
}

bool TryTake(LONG self, LONG expectedHolder)
{
    return ::InterlockedCompareExchange(&g_guardHolder, self, expectedHolder) == expectedHolder;
}

// Takes the guard within the time (INFINITE: until it has it). A waiter does not queue
// anywhere, so a waiter that is terminated leaves nothing that a release would wake.
bool TakeGuard(DWORD timeout)
{
    const LONG self = static_cast<LONG>(::GetCurrentThreadId());
    if (TryTake(self, 0))
        return true;
    ASSERT(g_guardHolder != self);   // not recursive
    const ULONGLONG start = ::GetTickCount64();
    LONG watched = 0;
    ULONGLONG watchedSince = start;
    for (unsigned attempt = 1;; ++attempt)
    {
        if (attempt < kGuardSpins)
            YieldProcessor();
        else if (attempt < kGuardYields)
            ::SwitchToThread();
        else
            ::Sleep(1);
        const LONG holder = g_guardHolder;
        if (holder == 0)
        {
            if (TryTake(self, 0))
                return true;
            continue;
        }
        if (attempt < kGuardSpins)
            continue;
        const ULONGLONG now = ::GetTickCount64();
        if (timeout != INFINITE && now - start >= timeout)
            return false;
        if (holder != watched)
        {
            watched = holder;
            watchedSince = now;
        }
        else if (now - watchedSince >= kGuardHolderCheckMs)
        {
            // A holder that was cut off inside a section: its section is lost either
            // way, and every other thread would wait for it for ever.
            watchedSince = now;
            if (ThreadHasEnded(static_cast<DWORD>(holder)) && TryTake(self, holder))
                return true;
        }
    }
}

void GiveGuardBack()
{
    ::InterlockedExchange(&g_guardHolder, 0);
}
}  // namespace

CUserSpaceSyncObject::Guard::Guard()
{
    TakeGuard(INFINITE);
}

CUserSpaceSyncObject::Guard::Guard(DWORD timeout) : m_held(TakeGuard(timeout))
{
}

CUserSpaceSyncObject::Guard::~Guard()
{
    if (m_held)
        GiveGuardBack();
}

void CUserSpaceSyncObject::Guard::Leave()
{
    if (m_held)
        GiveGuardBack();
    m_held = false;
}

void CUserSpaceSyncObject::Guard::Enter()
{
    if (!m_held)
        m_held = TakeGuard(INFINITE);
}

void CUserSpaceSyncObject::WakeWaiters()
{
    SyncThreadRecord::WakeSleepers();
}

BOOL CUserSpaceSyncObject::TerminateThreadOutsideLocks(HANDLE thread, DWORD exitCode)
{
    Guard guard;
    if (!::TerminateThread(thread, exitCode))
        return FALSE;
    // Termination completes after the call returns; until then the thread might still
    // reach for the guard, which it must not get.
    ::WaitForSingleObject(thread, kTerminationWaitMs);
    SyncThreadRecord::EndTerminatedThread(::GetThreadId(thread));
    return TRUE;
}

void CUserSpaceSyncObject::ReleaseEndedHolders(CUserSpaceSyncObject* const objects[], DWORD count)
{
    for (DWORD i = 0; i < count; ++i)
    {
        SyncThreadRecord* record = objects[i]->Holder();
        if (record != nullptr && record->HasEnded())
            record->EndThread();
    }
}

BOOL CUserSpaceSyncObject::LockInUserSpace(DWORD timeout)
{
    CUserSpaceSyncObject* self = this;
    const DWORD result = Wait(&self, 1, TRUE, timeout);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
}

DWORD CUserSpaceSyncObject::Wait(CUserSpaceSyncObject* const objects[], DWORD count, BOOL waitForAll,
                                 DWORD& timeout)
{
    // Made before the guard is taken: a thread's first record costs kernel calls.
    SyncThreadRecord& self = SyncThreadRecord::Current();
    Guard guard;
    const ULONGLONG start = ::GetTickCount64();
    // A short wait looks at once, a longer one after its first period.
    ULONGLONG lastHolderCheck = timeout < kEndedHolderCheckMs ? start - kEndedHolderCheckMs : start;
    for (DWORD i = 0; i < count; ++i)
        objects[i]->BeginWait();

    DWORD result = WAIT_TIMEOUT;
    for (;;)
    {
        if (std::any_of(objects, objects + count,
                        [](CUserSpaceSyncObject* object) { return object->m_hObject != nullptr; }))
        {
            result = kMovedToKernel;
            break;
        }
        if (waitForAll)
        {
            if (std::all_of(objects, objects + count, [](CUserSpaceSyncObject* object) { return object->CanTake(); }))
            {
                result = WAIT_OBJECT_0;
                for (DWORD i = 0; i < count; ++i)
                    if (objects[i]->Take() && result == WAIT_OBJECT_0)
                        result = WAIT_ABANDONED_0 + i;
                break;
            }
        }
        else
        {
            const auto ready = std::find_if(objects, objects + count,
                                            [](CUserSpaceSyncObject* object) { return object->CanTake(); });
            if (ready != objects + count)
            {
                const DWORD index = static_cast<DWORD>(ready - objects);
                result = ((*ready)->Take() ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + index;
                break;
            }
        }

        // Only a held mutex can be kept by a thread that is gone; an event waits until
        // it is set.
        const bool watchHolders = std::any_of(objects, objects + count, [&self](CUserSpaceSyncObject* object) {
            return object->Holder() != nullptr && object->Holder() != &self;
        });
        const ULONGLONG now = ::GetTickCount64();
        DWORD sleep = INFINITE;
        if (watchHolders)
        {
            if (now - lastHolderCheck >= kEndedHolderCheckMs)
            {
                lastHolderCheck = now;
                ReleaseEndedHolders(objects, count);
                continue;
            }
            sleep = kEndedHolderCheckMs - static_cast<DWORD>(now - lastHolderCheck);
        }
        if (timeout != INFINITE)
        {
            const ULONGLONG waited = now - start;
            if (waited >= timeout)
                break;
            sleep = std::min(sleep, static_cast<DWORD>(timeout - waited));
        }
        self.StartSleeping();
        guard.Leave();
        ::WaitForSingleObject(self.WakeEvent(), sleep);
        guard.Enter();
        self.StopSleeping();
    }

    for (DWORD i = 0; i < count; ++i)
        objects[i]->EndWait();
    if (result == kMovedToKernel && timeout != INFINITE)
    {
        const ULONGLONG waited = ::GetTickCount64() - start;
        timeout = waited >= timeout ? 0 : static_cast<DWORD>(timeout - waited);
    }
    return result;
}
