#include "framework/SyncThreadRecord.h"

#include "framework/CMutex.h"

extern "C" BOOLEAN NTAPI RtlDllShutdownInProgress();

namespace
{
// How long a termination may take to finish after TerminateThread returned.
const DWORD kTerminationWaitMs = 5000;
// The id of a record while it is being taken, before it shows its thread's.
const LONG kTaking = -1;

// The destroyers' sleep (see SleepWhile).
SRWLOCK g_destroyersLock = SRWLOCK_INIT;
CONDITION_VARIABLE g_destroyersWakeUp = CONDITION_VARIABLE_INIT;

// An ended holder's claim on a slot: the mutex with its lowest bit set.
CMutex* Claimed(CMutex* mutex)
{
    return reinterpret_cast<CMutex*>(reinterpret_cast<uintptr_t>(mutex) | 1);
}

bool IsClaimed(const CMutex* mutex)
{
    return (reinterpret_cast<uintptr_t>(mutex) & 1) != 0;
}

// Every record there is, pushed at the front and never removed.
SyncThreadRecord* volatile g_firstRecord = nullptr;
volatile LONG g_lastId = 0;

// Fiber-local storage rather than thread_local: its callback runs when any thread
// ends, whoever started it, and hands over the record.
DWORD RecordSlot(PFLS_CALLBACK_FUNCTION threadEnds)
{
    static const DWORD slot = ::FlsAlloc(threadEnds);
    return slot;
}

// Where a thread that is about to be cut off waits for it: a wait that holds nothing of
// the process.
[[noreturn]] void Park()
{
    for (;;)
        ::Sleep(INFINITE);
}
}  // namespace

SyncThreadRecord::SyncThreadRecord() : m_id(::InterlockedIncrement(&g_lastId))
{
}

SyncThreadRecord* SyncThreadRecord::Find()
{
    return static_cast<SyncThreadRecord*>(::FlsGetValue(RecordSlot(&SyncThreadRecord::ThreadEnds)));
}

SyncThreadRecord& SyncThreadRecord::Current()
{
    SyncThreadRecord* record = Find();
    if (record != nullptr)
        return *record;
    Key key;
    KeyOf(::GetCurrentThread(), key);
    record = Take(key, 0);
    ::FlsSetValue(RecordSlot(&SyncThreadRecord::ThreadEnds), record);
    // A terminator that found no record of this thread left a frozen one of its key
    // before it looked again; this thread then stops before its first lock.
    const SyncThreadRecord* other = FindByKey(key, record);
    if (other != nullptr && (other->m_state & kFrozen) != 0)
        Park();
    return *record;
}

bool SyncThreadRecord::KeyOf(HANDLE thread, Key& key)
{
    key.threadId = ::GetThreadId(thread);
    FILETIME created, exited, kernel, user;
    if (key.threadId == 0 || !::GetThreadTimes(thread, &created, &exited, &kernel, &user))
        return false;
    key.created = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return true;
}

SyncThreadRecord* SyncThreadRecord::Take(const Key& key, LONG state)
{
    SyncThreadRecord* record = g_firstRecord;
    while (record != nullptr && !(record->m_threadId == 0 &&
                                  ::InterlockedCompareExchange(&record->m_threadId, kTaking, 0) == 0))
        record = record->m_nextRecord;
    if (record == nullptr)
    {
        record = new SyncThreadRecord();
        record->m_threadId = kTaking;
        SyncThreadRecord* first;
        do
        {
            first = g_firstRecord;
            record->m_nextRecord = first;
        } while (::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_firstRecord), record,
                                                     first) != first);
    }
    record->m_created = key.created;
    record->m_state = state;
    ::InterlockedExchange(&record->m_threadId, static_cast<LONG>(key.threadId));
    return record;
}

SyncThreadRecord* SyncThreadRecord::FindByKey(const Key& key, const SyncThreadRecord* other)
{
    for (SyncThreadRecord* record = g_firstRecord; record != nullptr; record = record->m_nextRecord)
    {
        if (record != other && record->m_threadId == static_cast<LONG>(key.threadId) &&
            record->m_created == key.created)
            return record;
    }
    return nullptr;
}

void SyncThreadRecord::Give()
{
    for (unsigned i = 0; i < kHeldSlots; ++i)
        m_held[i] = nullptr;
    m_heldEnd = 0;
    m_waitCount = 0;
    m_status = 0;
    m_frozenEvent = nullptr;
    m_state = 0;
    m_depth = 0;
    m_created = 0;
    ::InterlockedExchange(&m_threadId, 0);
}

SyncThreadRecord* SyncThreadRecord::FromId(LONG id)
{
    for (SyncThreadRecord* record = g_firstRecord; record != nullptr; record = record->m_nextRecord)
    {
        if (record->m_id == id)
            return record;
    }
    return nullptr;
}

void SyncThreadRecord::EnterBookkeeping()
{
    if (m_depth++ > 0)
        return;
    const LONG seen = ::InterlockedCompareExchange(&m_state, kInside, 0);
    if (seen == 0)
        return;
    // Outside the bookkeeping only a terminator changes the state, and it froze it.
    ASSERT((seen & kFrozen) != 0);
    Park();
}

void SyncThreadRecord::LeaveBookkeeping()
{
    if (--m_depth > 0)
        return;
    if (::InterlockedCompareExchange(&m_state, 0, kInside) != kInside)
        FreezeAndPark();   // a terminator waits for this moment
}

void SyncThreadRecord::BeginWait(CUserSpaceSyncObject* const objects[], DWORD count)
{
    ASSERT(count > 0 && count <= MAXIMUM_WAIT_OBJECTS);
    m_waitCount = count;
    for (DWORD i = 0; i < count; ++i)
    {
        WaitEntry& entry = m_entries[i];
        entry.waiter = this;
        entry.object = objects[i];
        entry.index = i;
        entry.next = entry.previous = entry.nextArrival = nullptr;
        entry.place = WaitEntry::Place::None;
    }
    ::InterlockedExchange(&m_status, kWaiting);
}

bool SyncThreadRecord::Claim()
{
    return ::InterlockedCompareExchange(&m_status, kClaimed, kWaiting) == kWaiting;
}

void SyncThreadRecord::Finish(DWORD result)
{
    // Under the lock that the sleeper looks at it with, so that no wake-up is lost.
    ::AcquireSRWLockExclusive(&m_lock);
    m_status = static_cast<LONG>(result);
    ::ReleaseSRWLockExclusive(&m_lock);
}

void SyncThreadRecord::Wake()
{
    ::WakeConditionVariable(&m_wakeUp);
}

SyncThreadRecord::Woken SyncThreadRecord::Sleep(ULONGLONG deadline)
{
    ASSERT(m_depth == 1);   // nothing around the wait may keep the thread in the bookkeeping
    // A thread that a terminator waits for does not sleep, but for a claimer to finish.
    const bool asleep = ::InterlockedCompareExchange(&m_state, kAsleep, kInside) == kInside;
    const DWORD lastError = ::GetLastError();
    Woken woken;
    ::AcquireSRWLockExclusive(&m_lock);
    for (;;)
    {
        // Read once: a claim does not wait for this lock.
        const LONG status = m_status;
        if (status == kClaimed)
        {
            // Its claimer is taking the objects: the result follows at once.
            ::SleepConditionVariableSRW(&m_wakeUp, &m_lock, INFINITE, 0);
            continue;
        }
        if (status != kWaiting)
        {
            woken = Woken::Finished;
            break;
        }
        if (!asleep || (m_state & kTerminating) != 0)
        {
            woken = Woken::Terminating;
            break;
        }
        DWORD sleep = INFINITE;
        if (deadline != 0)
        {
            const ULONGLONG now = ::GetTickCount64();
            if (now >= deadline)
            {
                woken = Woken::TimeUp;
                break;
            }
            sleep = static_cast<DWORD>(deadline - now);
        }
        ::SleepConditionVariableSRW(&m_wakeUp, &m_lock, sleep, 0);
    }
    ::ReleaseSRWLockExclusive(&m_lock);
    if (asleep && ::InterlockedCompareExchange(&m_state, kInside, kAsleep) != kAsleep)
        ::InterlockedExchange(&m_state, kInside | kTerminating);   // it parks when it leaves
    ::SetLastError(lastError);
    return woken;
}

void SyncThreadRecord::Hold(CMutex* mutex)
{
    // Only the thread, or whoever claimed its wait, writes a free slot.
    for (unsigned i = 0; i < kHeldSlots; ++i)
    {
        if (m_held[i] == nullptr)
        {
            m_held[i] = mutex;
            if (i >= m_heldEnd)
                m_heldEnd = i + 1;
            return;
        }
    }
    ASSERT(!"a thread holds more mutexes than it has slots for");
}

void SyncThreadRecord::Release(CMutex* mutex)
{
    const unsigned end = m_heldEnd;
    for (unsigned i = 0; i < end; ++i)
    {
        if (m_held[i] == mutex &&
            ::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&m_held[i]), nullptr, mutex) == mutex)
            return;
    }
}

void SyncThreadRecord::Forget(CMutex* mutex)
{
    const unsigned end = m_heldEnd;
    for (unsigned i = 0; i < end; ++i)
    {
        CMutex* seen = m_held[i];
        if (seen == mutex)
            seen = static_cast<CMutex*>(
                ::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&m_held[i]), nullptr, mutex));
        if (seen == mutex)
            return;
        if (seen == Claimed(mutex))
        {
            // Its ended holder is about to count itself among its users (a step inside the
            // bookkeeping, so it cannot be cut off in between).
            CMutex* volatile* slot = &m_held[i];
            SleepWhile([](const void* context) {
                CMutex* volatile* const* claimed = static_cast<CMutex* volatile* const*>(context);
                return IsClaimed(*claimed[0]);
            }, &slot, INFINITE);
            return;
        }
    }
}

void SyncThreadRecord::ClearClaimed(CMutex* volatile& slot)
{
    ::InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&slot), nullptr);
    WakeDestroyers();
}

bool SyncThreadRecord::SleepWhile(bool (*busy)(const void* context), const void* context, DWORD timeoutMs)
{
    const ULONGLONG deadline = timeoutMs == INFINITE ? 0 : ::GetTickCount64() + timeoutMs;
    ::AcquireSRWLockExclusive(&g_destroyersLock);
    bool still;
    while ((still = busy(context)))
    {
        DWORD sleep = INFINITE;
        if (deadline != 0)
        {
            const ULONGLONG now = ::GetTickCount64();
            if (now >= deadline)
                break;
            sleep = static_cast<DWORD>(deadline - now);
        }
        ::SleepConditionVariableSRW(&g_destroyersWakeUp, &g_destroyersLock, sleep, 0);
    }
    ::ReleaseSRWLockExclusive(&g_destroyersLock);
    return !still;
}

void SyncThreadRecord::WakeDestroyers()
{
    // Taken once, so that a destroyer either sees the change before it sleeps or is already
    // asleep for the wake-up.
    ::AcquireSRWLockExclusive(&g_destroyersLock);
    ::ReleaseSRWLockExclusive(&g_destroyersLock);
    ::WakeAllConditionVariable(&g_destroyersWakeUp);
}

void SyncThreadRecord::Freeze(HANDLE frozenEvent)
{
    m_frozenEvent = frozenEvent;
    for (;;)
    {
        const LONG state = m_state;
        ASSERT((state & kTerminating) == 0);   // one terminator at a time
        if ((state & kFrozen) != 0)
            return;
        if (state == 0)
        {
            // Outside: it parks if it tries to enter, so it may be cut off at once.
            if (::InterlockedCompareExchange(&m_state, kFrozen | kTerminating, 0) == 0)
                return;
            continue;
        }
        if (::InterlockedCompareExchange(&m_state, state | kTerminating, state) != state)
            continue;
        if ((state & kAsleep) != 0)
        {
            // Taken once, so that the sleeper either sees the request before it sleeps or
            // is already asleep for the wake-up.
            ::AcquireSRWLockExclusive(&m_lock);
            ::ReleaseSRWLockExclusive(&m_lock);
            ::WakeConditionVariable(&m_wakeUp);
        }
        // Every section is short and waits only for other sections: this ends.
        ::WaitForSingleObject(frozenEvent, INFINITE);
        return;
    }
}

void SyncThreadRecord::FreezeAndPark()
{
    const HANDLE frozenEvent = m_frozenEvent;
    ::InterlockedExchange(&m_state, kFrozen | kTerminating);
    // A kernel call, which a thread may be cut off in or right after.
    ::SetEvent(frozenEvent);
    Park();
}

void SyncThreadRecord::EndThread(SyncThreadRecord& caller)
{
    // Inside the bookkeeping of the thread that does it (the ending one, or its terminator):
    // a slot it claimed is always cleared again, which a destroyer of that mutex waits for.
    caller.EnterBookkeeping();
    // The last taken first, as they are mostly given back. A slot is claimed before the
    // mutex is touched: its destroyer may be clearing it right now and give up its memory.
    for (unsigned i = m_heldEnd; i > 0; --i)
    {
        CMutex* volatile& slot = m_held[i - 1];
        CMutex* held = slot;
        if (held == nullptr || IsClaimed(held) ||
            ::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&slot), Claimed(held), held) != held)
            continue;
        held->AbandonByEndedHolder(*this, slot);
    }
    caller.LeaveBookkeeping();
    Give();
}

BOOL SyncThreadRecord::TerminateOutsideLocks(HANDLE thread, DWORD exitCode)
{
    Key key;
    if (!KeyOf(thread, key))
        return ::TerminateThread(thread, exitCode);
    const HANDLE frozenEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SyncThreadRecord* own = FindByKey(key, nullptr);
    SyncThreadRecord* placeholder = nullptr;
    if (own == nullptr)
    {
        // The thread may be taking its record right now: a frozen one of its key stops
        // it before its first lock, and one it took before this is found now.
        placeholder = Take(key, kFrozen | kTerminating);
        own = FindByKey(key, placeholder);
    }
    if (own != nullptr)
        own->Freeze(frozenEvent);
    const BOOL terminated = ::TerminateThread(thread, exitCode);
    // Termination completes after the call returns.
    const bool ended = ::WaitForSingleObject(thread, terminated ? kTerminationWaitMs : 0) == WAIT_OBJECT_0;
    if (ended)
    {
        while (SyncThreadRecord* record = FindByKey(key, nullptr))
            record->EndThread(Current());
    }
    else if (placeholder != nullptr)
    {
        placeholder->Give();
    }
    ::CloseHandle(frozenEvent);
    return terminated;
}

void WINAPI SyncThreadRecord::ThreadEnds(void* data)
{
    SyncThreadRecord* record = static_cast<SyncThreadRecord*>(data);
    // While the process ends, its other threads were cut off wherever they were: nothing
    // they held may be waited for, and nobody waits any more.
    if (record == nullptr || RtlDllShutdownInProgress())
        return;
    if (record->m_threadId == static_cast<LONG>(::GetCurrentThreadId()))
        record->EndThread(*record);
}
