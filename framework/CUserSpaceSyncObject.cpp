#include "framework/CUserSpaceSyncObject.h"

#include "framework/SyncThreadRecord.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CUserSpaceSyncObject, CSyncObject)

namespace
{
SRWLOCK g_guard = SRWLOCK_INIT;
CONDITION_VARIABLE g_changed = CONDITION_VARIABLE_INIT;
LONG g_sleepers = 0;   // threads asleep on g_changed; changed under the guard

// How often a waiter looks whether the holder of what it waits for was terminated:
// a terminated thread never gives its mutexes back, and nothing else tells.
const DWORD kEndedHolderCheckMs = 50;
}

CUserSpaceSyncObject::Guard::Guard()
{
    ::AcquireSRWLockExclusive(&g_guard);
}

CUserSpaceSyncObject::Guard::Guard(DWORD timeout)
{
    const ULONGLONG start = ::GetTickCount64();
    while (!::TryAcquireSRWLockExclusive(&g_guard))
    {
        if (::GetTickCount64() - start >= timeout)
        {
            m_held = false;
            return;
        }
        ::Sleep(1);
    }
}

CUserSpaceSyncObject::Guard::~Guard()
{
    if (m_held)
        ::ReleaseSRWLockExclusive(&g_guard);
}

void CUserSpaceSyncObject::WakeWaiters()
{
    if (g_sleepers > 0)
        ::WakeAllConditionVariable(&g_changed);
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

        const ULONGLONG now = ::GetTickCount64();
        if (now - lastHolderCheck >= kEndedHolderCheckMs)
        {
            lastHolderCheck = now;
            ReleaseEndedHolders(objects, count);
            continue;
        }
        DWORD sleep = kEndedHolderCheckMs - static_cast<DWORD>(now - lastHolderCheck);
        if (timeout != INFINITE)
        {
            const ULONGLONG waited = now - start;
            if (waited >= timeout)
                break;
            sleep = std::min(sleep, static_cast<DWORD>(timeout - waited));
        }
        ++g_sleepers;
        ::SleepConditionVariableSRW(&g_changed, &g_guard, sleep, 0);
        --g_sleepers;
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
