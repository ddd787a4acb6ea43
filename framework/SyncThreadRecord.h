// What the user-space locks know of one thread: whether it is inside their bookkeeping
// (where it must not be cut off), its wait (one entry per object, queued on the objects),
// how it sleeps and is woken, and the mutexes it holds. A thread that ends holding some,
// by returning or by being terminated through CUserSpaceSyncObject::
// TerminateThreadOutsideLocks, leaves them abandoned to their next waiter.
//
// A thread sleeps on a condition variable of its record, which under Wine waits in the
// process (a futex) where a kernel event costs a server round trip each way. A thread
// must never be cut off inside those primitives, so a terminator first makes the thread
// step out of its sleep and park where nothing of the process is held.
//
// Records are never freed: a record of an ended thread is taken again by a new thread, so
// a pointer to one (in a queue, in a list of threads to wake) is always safe to follow.
// Who may touch a lock object until when: see CUserSpaceSyncObject.h.
#pragma once
#include "framework/FrameworkBase.h"


class CMutex;
class CUserSpaceSyncObject;

class SyncThreadRecord
{
public:
    // One object of a wait, queued on it in the order the waiters came.
    struct WaitEntry
    {
        SyncThreadRecord* waiter = nullptr;
        CUserSpaceSyncObject* object = nullptr;
        DWORD index = 0;
        WaitEntry* next = nullptr;
        WaitEntry* previous = nullptr;
        WaitEntry* nextArrival = nullptr;
        // Where it is: not pushed, on the arrivals, queued, or out again.
        enum class Place { None, Arriving, Queued, Out };
        Place place = Place::None;
    };

    // The calling thread's record, taken at its first use of these locks (the only Wine
    // server call a thread pays for them: its creation time, which tells it from an ended
    // thread of the same id; a contended wait costs futex calls only).
    static SyncThreadRecord& Current();

    // What a mutex's word holds of its holder: never 0, the same for the record's life.
    LONG Id() const { return m_id; }

    // The thread enters and leaves the locks' bookkeeping (nested sections count as one).
    // A thread that a terminator waits for parks when it leaves, and one already frozen
    // parks when it tries to enter.
    void EnterBookkeeping();
    void LeaveBookkeeping();

    // The wait, set up by its thread inside the bookkeeping. Whoever claims a waiting
    // wait (with the lock of an object it waits for held) takes the objects for it and
    // finishes it with the result.
    void BeginWait(CUserSpaceSyncObject* const objects[], DWORD count);
    DWORD WaitCount() const { return m_waitCount; }
    WaitEntry& Entry(DWORD i) { return m_entries[i]; }
    const WaitEntry& Entry(DWORD i) const { return m_entries[i]; }
    bool IsWaiting() const { return m_status == kWaiting; }
    bool IsFinished() const
    {
        const LONG status = m_status;
        return status != kWaiting && status != kClaimed;
    }
    bool Claim();
    // Finishes a claimed wait: by another thread, which then wakes the waiter, or by the
    // waiting thread itself (also a wait that nobody could claim yet).
    void Finish(DWORD result);
    void FinishOwn(DWORD result) { m_status = static_cast<LONG>(result); }
    DWORD Result() const { return static_cast<DWORD>(m_status); }
    void Wake();

    enum class Woken { Finished, TimeUp, Terminating };
    // Sleeps until the wait is finished, the time is up (deadline
    // in GetTickCount64 time, 0 for none) or a terminator asks the thread to stop.
    Woken Sleep(ULONGLONG deadline);

    // The mutexes held. Changed by the thread itself, by whoever claimed its wait, after it
    // ended, and by whoever destroys a mutex it holds (a slot is written only while free
    // and cleared with one atomic change). An ended holder claims a slot before it touches
    // the mutex and clears it once it counts among the mutex's users (ClearClaimed).
    void Hold(CMutex* mutex);
    void Release(CMutex* mutex);
    // The mutex is being destroyed: its slot is cleared, or, when its ended holder has
    // claimed it, this waits until that holder counts among the mutex's users.
    void Forget(CMutex* mutex);
    static void ClearClaimed(CMutex* volatile& slot);
    static SyncThreadRecord* FromId(LONG id);
    DWORD ThreadId() const { return static_cast<DWORD>(m_threadId); }

    // Where the destroyer of an object sleeps until the last thread on it left (rare: a
    // hand-over on its way out, an ended holder abandoning it, a waiter that should not be
    // there). Whoever leaves while a destroyer waits wakes them all, touching nothing of
    // the object. SleepWhile returns false when the time was up first.
    static bool SleepWhile(bool (*busy)(const void* context), const void* context, DWORD timeoutMs);
    static void WakeDestroyers();

    // The calling thread terminates another one so that it is cut off outside every
    // object's bookkeeping; what it held is abandoned to the next waiters.
    static BOOL TerminateOutsideLocks(HANDLE thread, DWORD exitCode);

    SyncThreadRecord(const SyncThreadRecord&) = delete;
    SyncThreadRecord& operator=(const SyncThreadRecord&) = delete;

private:
    SyncThreadRecord();
    // The calling thread's record, or null before it has one.
    static SyncThreadRecord* Find();

    static const LONG kWaiting = static_cast<LONG>(0xFFFFFFF0);
    static const LONG kClaimed = static_cast<LONG>(0xFFFFFFF1);

    // m_state: what a terminator must know.
    static const LONG kInside = 1;        // in an object's bookkeeping
    static const LONG kAsleep = 2;        // in its sleep
    static const LONG kTerminating = 4;   // a terminator waits for it to step out
    static const LONG kFrozen = 8;        // outside everything for good: may be cut off

    // Which thread a record belongs to: its id and creation time.
    struct Key
    {
        DWORD threadId = 0;
        ULONGLONG created = 0;
    };
    static bool KeyOf(HANDLE thread, Key& key);
    static SyncThreadRecord* Take(const Key& key, LONG state);
    static SyncThreadRecord* FindByKey(const Key& key, const SyncThreadRecord* other);
    void Give();

    // The terminator's side: returns once the thread is frozen.
    void Freeze(HANDLE frozenEvent);
    // The thread's side: it is outside every object's bookkeeping and stays there.
    [[noreturn]] void FreezeAndPark();
    // Abandons what an ended thread still held and gives the record back; caller is the
    // record of the thread doing it.
    void EndThread(SyncThreadRecord& caller);
    static void WINAPI ThreadEnds(void* record);

    const LONG m_id;
    volatile LONG m_threadId = 0;   // 0: free
    ULONGLONG m_created = 0;
    volatile LONG m_state = 0;
    int m_depth = 0;   // nested bookkeeping sections, changed only by the thread
    HANDLE m_frozenEvent = nullptr;   // the terminator's, set while it waits

    SRWLOCK m_lock = SRWLOCK_INIT;   // the sleep, m_status once claimed
    CONDITION_VARIABLE m_wakeUp = CONDITION_VARIABLE_INIT;
    volatile LONG m_status = 0;
    DWORD m_waitCount = 0;
    WaitEntry m_entries[MAXIMUM_WAIT_OBJECTS];

    // More than a thread ever holds at once (the program holds a handful); one held beyond
    // them is not abandoned when its holder ends.
    static const unsigned kHeldSlots = 64;
    CMutex* volatile m_held[kHeldSlots] = {};
    volatile unsigned m_heldEnd = 0;   // past the last slot written
    SyncThreadRecord* m_nextRecord = nullptr;
};
