#include "framework/CUserSpaceSyncObject.h"

#include <algorithm>
#include <cstdio>

IMPLEMENT_DYNAMIC(CUserSpaceSyncObject, CSyncObject)

CUserSpaceSyncObject::Guard::Guard() : m_record(SyncThreadRecord::Current())
{
    m_record.EnterBookkeeping();
}

CUserSpaceSyncObject::Guard::~Guard()
{
    m_record.LeaveBookkeeping();
}

void CUserSpaceSyncObject::Wakes::Add(SyncThreadRecord& waiter)
{
    if (&waiter == m_self)
        return;
    if (m_count == kSize)
        WakeAll();
    m_records[m_count++] = &waiter;
}

void CUserSpaceSyncObject::Wakes::WakeAll()
{
    for (unsigned i = 0; i < m_count; ++i)
        m_records[i]->Wake();
    m_count = 0;
}

CUserSpaceSyncObject::Section::Section(CUserSpaceSyncObject& object)
    : m_object(object), m_wakes(&m_guard.Record())
{
    m_object.EnterSlowPath();
    m_object.LockObject();
    m_object.QueueArrivals();
}

CUserSpaceSyncObject::Section::~Section()
{
    m_object.UnlockObject();
    m_object.LeaveSlowPath();
    m_wakes.WakeAll();
}

void CUserSpaceSyncObject::Section::Offer()
{
    m_object.Offer(m_wakes);
}

void CUserSpaceSyncObject::Section::MoveWaitersToKernel()
{
    for (WaitEntry* entry = m_object.m_firstWaiter; entry != nullptr;)
    {
        WaitEntry* next = entry->next;
        SyncThreadRecord& waiter = *entry->waiter;
        if (waiter.Claim())
        {
            m_object.Dequeue(*entry);
            waiter.Finish(kMovedToKernel);
            m_wakes.Add(waiter);
        }
        entry = next;
    }
}

CUserSpaceSyncObject::CUserSpaceSyncObject() = default;

CUserSpaceSyncObject::~CUserSpaceSyncObject()
{
    WaitUntilUnused();
    ASSERT(m_firstWaiter == nullptr && m_arrivals == nullptr);
}

void CUserSpaceSyncObject::WaitUntilUnused()
{
    // The thread that handed the object to its last waiter may still be on its way out of
    // its section (or holding its lock to hand over another object): the memory is given up
    // only after it left. The lock, as a waiter's own end of its wait leaves the count
    // before it gives the lock back.
    LockObject();
    bool busy = OnSlowPath();
    UnlockObject();
    if (!busy)
        return;
    Guard guard;
    ::InterlockedOr64(&m_word, kDestroying);
    const auto onIt = [](const void* object) {
        return static_cast<const CUserSpaceSyncObject*>(object)->OnSlowPath();
    };
    bool told = false;
    while (busy)
    {
        if (!SyncThreadRecord::SleepWhile(onIt, this, told ? INFINITE : kTellWaiterAfterMs) && !told)
        {
            TellWhoIsOnIt();
            told = true;
        }
        LockObject();
        busy = OnSlowPath();
        UnlockObject();
    }
}

void CUserSpaceSyncObject::TellWhoIsOnIt()
{
    DWORD waiter = 0;
    LockObject();
    QueueArrivals();
    if (m_firstWaiter != nullptr)
        waiter = m_firstWaiter->waiter->ThreadId();
    UnlockObject();
    const char* className = GetRuntimeClass()->m_lpszClassName;
    const void* self = this;
    char text[256];
    if (waiter != 0)
        std::snprintf(text, sizeof text,
                      "%s at %p is being destroyed while thread %lu waits for it; the destruction waits until it left\n",
                      className, self, waiter);
    else
        std::snprintf(text, sizeof text,
                      "%s at %p is being destroyed while a thread is still on it; the destruction waits until it left\n",
                      className, self);
    ::OutputDebugStringA(text);
}

bool CUserSpaceSyncObject::ChangeFast(LONG from, LONG to)
{
    const LONGLONG expected = static_cast<LONGLONG>(static_cast<ULONGLONG>(static_cast<ULONG>(from)) << 32);
    const LONGLONG changed = static_cast<LONGLONG>(static_cast<ULONGLONG>(static_cast<ULONG>(to)) << 32);
    return ::InterlockedCompareExchange64(&m_word, changed, expected) == expected;
}

void CUserSpaceSyncObject::SetState(LONG state)
{
    // Threads still count themselves in and out of the slow path meanwhile.
    const LONGLONG high = static_cast<LONGLONG>(static_cast<ULONGLONG>(static_cast<ULONG>(state)) << 32);
    LONGLONG word;
    do
        word = m_word;
    while (::InterlockedCompareExchange64(&m_word, high | (word & kSlowMask), word) != word);
}

void CUserSpaceSyncObject::Arrive(WaitEntry& entry)
{
    entry.place = WaitEntry::Place::Arriving;
    WaitEntry* first;
    do
    {
        first = m_arrivals;
        entry.nextArrival = first;
    } while (::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&m_arrivals), &entry, first) !=
             first);
}

void CUserSpaceSyncObject::QueueArrivals()
{
    WaitEntry* arrivals =
        static_cast<WaitEntry*>(::InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&m_arrivals), nullptr));
    // Pushed in front of each other: the last one first.
    WaitEntry* inOrder = nullptr;
    while (arrivals != nullptr)
    {
        WaitEntry* next = arrivals->nextArrival;
        arrivals->nextArrival = inOrder;
        inOrder = arrivals;
        arrivals = next;
    }
    while (inOrder != nullptr)
    {
        WaitEntry* next = inOrder->nextArrival;
        inOrder->nextArrival = nullptr;
        Enqueue(*inOrder);
        inOrder = next;
    }
}

void CUserSpaceSyncObject::Enqueue(WaitEntry& entry)
{
    entry.previous = m_lastWaiter;
    entry.next = nullptr;
    if (m_lastWaiter != nullptr)
        m_lastWaiter->next = &entry;
    else
        m_firstWaiter = &entry;
    m_lastWaiter = &entry;
    entry.place = WaitEntry::Place::Queued;
}

void CUserSpaceSyncObject::Dequeue(WaitEntry& entry)
{
    if (entry.previous != nullptr)
        entry.previous->next = entry.next;
    else
        m_firstWaiter = entry.next;
    if (entry.next != nullptr)
        entry.next->previous = entry.previous;
    else
        m_lastWaiter = entry.previous;
    entry.next = entry.previous = nullptr;
    entry.place = WaitEntry::Place::Out;
    LeaveSlowPath();
}

void CUserSpaceSyncObject::Offer(Wakes& wakes)
{
    for (WaitEntry* entry = m_firstWaiter; entry != nullptr && IsAvailable();)
    {
        WaitEntry* next = entry->next;
        SyncThreadRecord& waiter = *entry->waiter;
        if (waiter.IsWaiting() && CanTake(waiter) && waiter.Claim())
        {
            const bool abandoned = Take(waiter);
            Dequeue(*entry);
            waiter.Finish((abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + entry->index);
            wakes.Add(waiter);
        }
        entry = next;
    }
}

BOOL CUserSpaceSyncObject::TerminateThreadOutsideLocks(HANDLE thread, DWORD exitCode)
{
    return SyncThreadRecord::TerminateOutsideLocks(thread, exitCode);
}

DWORD CUserSpaceSyncObject::WaitInUserSpace(DWORD timeout)
{
    CUserSpaceSyncObject* self = this;
    return Wait(&self, 1, TRUE, timeout);
}

DWORD CUserSpaceSyncObject::Wait(CUserSpaceSyncObject* const objects[], DWORD count, BOOL waitForAll,
                                 DWORD& timeout)
{
    if (waitForAll && count > 1)
        return WaitForAll(objects, count, timeout);
    const ULONGLONG start = ::GetTickCount64();
    DWORD result;
    {
        Guard guard;
        result = WaitForAny(guard.Record(), objects, count, timeout);
    }
    if (result == kMovedToKernel && timeout != INFINITE)
    {
        const ULONGLONG waited = ::GetTickCount64() - start;
        timeout = waited >= timeout ? 0 : static_cast<DWORD>(timeout - waited);
    }
    return result;
}

DWORD CUserSpaceSyncObject::WaitForAll(CUserSpaceSyncObject* const objects[], DWORD count, DWORD& timeout)
{
    // One object at a time: the wait takes the one that stopped it last, tries the others
    // without waiting and gives back what it took when one of them is not free, so it holds
    // nothing while it waits (and two waits for all never hold each other up).
    const ULONGLONG deadline = timeout == INFINITE ? 0 : ::GetTickCount64() + timeout;
    DWORD abandoned = count;   // the first object taken from a holder that ended
    DWORD waitFor = 0;
    for (;;)
    {
        DWORD left = INFINITE;
        if (deadline != 0)
        {
            const ULONGLONG now = ::GetTickCount64();
            left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        }
        DWORD taken[MAXIMUM_WAIT_OBJECTS];
        DWORD takenCount = 0;
        DWORD stopped = count;
        DWORD result = WAIT_OBJECT_0;
        for (DWORD n = 0; n < count && stopped == count; ++n)
        {
            // The one it waits for first, then the others in their order.
            const DWORD i = n == 0 ? waitFor : (n <= waitFor ? n - 1 : n);
            DWORD limit = n == 0 ? left : 0;
            result = Wait(&objects[i], 1, FALSE, limit);
            if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0)
            {
                taken[takenCount++] = i;
                if (result == WAIT_ABANDONED_0 && abandoned == count)
                    abandoned = i;
            }
            else
            {
                stopped = i;
            }
        }
        if (stopped == count)
            return abandoned == count ? WAIT_OBJECT_0 : WAIT_ABANDONED_0 + abandoned;
        for (DWORD i = 0; i < takenCount; ++i)
            objects[taken[i]]->GiveBack();
        if (stopped == waitFor || result == kMovedToKernel)
        {
            const ULONGLONG now = ::GetTickCount64();
            timeout = deadline == 0 ? INFINITE : (now >= deadline ? 0 : static_cast<DWORD>(deadline - now));
            return result;
        }
        waitFor = stopped;
    }
}

DWORD CUserSpaceSyncObject::WaitForAny(SyncThreadRecord& self, CUserSpaceSyncObject* const objects[], DWORD count,
                                       DWORD timeout)
{
    self.BeginWait(objects, count);
    // Each object in turn: the waiter queues on it and it is offered to its queue, which
    // hands it over in the order the waiters came (to this one, when it is first). One
    // queued on before may already have been handed over, which ends the round.
    for (DWORD i = 0; i < count && self.IsWaiting(); ++i)
    {
        CUserSpaceSyncObject& object = *objects[i];
        Wakes wakes(&self);
        object.EnterSlowPath();
        object.Arrive(self.Entry(i));
        object.LockObject();
        object.QueueArrivals();
        if (self.IsWaiting())
        {
            if (object.m_hObject != nullptr)
            {
                if (self.Claim())
                    self.FinishOwn(kMovedToKernel);
            }
            else if (!object.IsAvailable() && object.CanTake(self))
            {
                // A mutex this thread holds already: taken again, whoever else waits.
                if (self.Claim())
                {
                    object.Take(self);
                    object.Dequeue(self.Entry(i));
                    self.FinishOwn(WAIT_OBJECT_0 + i);
                }
            }
            else
            {
                object.Offer(wakes);
            }
        }
        object.UnlockObject();
    }
    if (timeout == 0 && self.Claim())
        self.FinishOwn(WAIT_TIMEOUT);
    if (!self.IsFinished())
        SleepUntilFinished(self, timeout);
    EndWait(self);
    return self.Result();
}

void CUserSpaceSyncObject::SleepUntilFinished(SyncThreadRecord& self, DWORD timeout)
{
    const ULONGLONG deadline = timeout == INFINITE ? 0 : ::GetTickCount64() + timeout;
    for (;;)
    {
        switch (self.Sleep(deadline))
        {
        case SyncThreadRecord::Woken::Finished:
            return;
        case SyncThreadRecord::Woken::TimeUp:
        case SyncThreadRecord::Woken::Terminating:
            // A claimer that came first hands over what it took; the next sleep waits
            // for its result.
            if (self.Claim())
            {
                self.FinishOwn(WAIT_TIMEOUT);
                return;
            }
            break;
        }
    }
}

void CUserSpaceSyncObject::EndWait(SyncThreadRecord& self)
{
    // The wait is finished: nobody else takes its entries out now. One that is still on
    // an object's arrivals (its wait was finished by another object before this thread
    // looked at that one) is queued first.
    for (DWORD i = 0; i < self.WaitCount(); ++i)
    {
        WaitEntry& entry = self.Entry(i);
        if (entry.place != WaitEntry::Place::Arriving && entry.place != WaitEntry::Place::Queued)
            continue;
        entry.object->LockObject();
        entry.object->QueueArrivals();
        entry.object->Dequeue(entry);
        entry.object->UnlockObject();
    }
}
