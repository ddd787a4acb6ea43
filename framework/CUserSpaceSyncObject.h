// Base of the locks and events that wait in user space: an uncontended lock, release,
// set or reset is one atomic change of the object's word, where a kernel object costs a
// kernel call (under Wine a round trip to its server).
//
// Each object has a word of its own: its state (a mutex's holder, an event's signal) and
// the count of threads on its slow path. While that count is not zero every change goes
// through the object's lock, and the waiters queue in the order they came: a thread
// announces itself (counts itself in, then pushes its entry on the object's arrivals
// without a lock) before it takes the lock, so a thread that takes and gives back the
// object again and again cannot pass it. A release or a set hands the object to the
// queued waiters that can take it now (a mutex to the longest waiting one) and wakes only
// those. A waiter sleeps on its own condition variable (a futex under Wine) and is never
// woken to look around.
//
// Who may touch an object, until when:
// - Lock, set, reset, pulse, unlock: any thread, as long as its owner will not have begun to
//   destroy the object before the call begins. A call under way when the destructor begins
//   may still finish: the destructor waits for it, and the call touches nothing of the
//   object once the destructor can return.
// - Wait: only for an object that outlives the wait. Once the wait has returned, the thread
//   touches nothing of the object for it: whoever the wait let go (the thread itself
//   included) may destroy it at once.
// - Destroy: its owner, once nobody waits for it or will call it (a held mutex may be
//   destroyed). A destruction under a waiter is the caller's error: it sleeps until the
//   waiter left, and names the object and the thread in the debug output.
// - A holder's end: a thread that ends holding a mutex (returning, or terminated through
//   TerminateThreadOutsideLocks) abandons it to its next waiter; when the mutex is being
//   destroyed meanwhile, the ending thread finds it forgotten or counts among its users
//   until it is done with it, which the destructor waits for.
//
// A thread may be terminated, but only through TerminateThreadOutsideLocks, which waits
// until the thread is outside every object's bookkeeping and its sleep (it makes a
// sleeper step out and park) and then abandons what it held to the next waiters.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CSyncObject.h"
#include "framework/SyncThreadRecord.h"

class CUserSpaceSyncObject : public CSyncObject
{
    DECLARE_DYNAMIC(CUserSpaceSyncObject)
public:
    // Returned by Wait when one of the objects was given a kernel handle during the
    // wait: the caller goes on waiting on the handles, for the time left.
    static const DWORD kMovedToKernel = 0xFFFFFFFE;

    // Waits for the objects as WaitForMultipleObjects does (the lowest index first when
    // any one will do) and returns what it would return. timeout is counted down to the
    // time left when the result is kMovedToKernel. A wait for all holds none of them while
    // it waits: it takes them one at a time and gives back what it took when one is not free.
    static DWORD Wait(CUserSpaceSyncObject* const objects[], DWORD count, BOOL waitForAll,
                      DWORD& timeout);

    // The calling thread is inside the locks' bookkeeping for its scope: a terminator
    // waits until it has left. Nested ones count as one; nothing in it may wait for long.
    class Guard
    {
    public:
        Guard();
        ~Guard();
        SyncThreadRecord& Record() const { return m_record; }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        SyncThreadRecord& m_record;
    };

    // Terminates a thread once it is outside every object's bookkeeping; its mutexes are
    // abandoned to their next waiters.
    static BOOL TerminateThreadOutsideLocks(HANDLE thread, DWORD exitCode);

    CUserSpaceSyncObject* UserSpacePart() override { return this; }

protected:
    CUserSpaceSyncObject();
    ~CUserSpaceSyncObject() override;

    // The object's state, and changing it. A fast change succeeds only while nobody is on
    // the slow path; SetState is for a section.
    LONG State() const { return static_cast<LONG>(m_word >> 32); }
    bool ChangeFast(LONG from, LONG to);
    void SetState(LONG state);

    // Waits for this object alone, past its fast path; the result as Wait's.
    DWORD WaitInUserSpace(DWORD timeout);

    // The threads a change lets go, woken after the object's lock is given back (a
    // record is never freed: one whose wait has ended since is only woken for nothing).
    class Wakes
    {
    public:
        explicit Wakes(const SyncThreadRecord* self) : m_self(self) {}
        ~Wakes() { WakeAll(); }
        void Add(SyncThreadRecord& waiter);
        void WakeAll();
        Wakes(const Wakes&) = delete;
        Wakes& operator=(const Wakes&) = delete;

    private:
        static const unsigned kSize = 8;
        const SyncThreadRecord* m_self;
        SyncThreadRecord* m_records[kSize];
        unsigned m_count = 0;
    };

    // A change on the slow path: the bookkeeping, a place among the object's slow
    // threads and its lock for its scope.
    class Section
    {
    public:
        explicit Section(CUserSpaceSyncObject& object);
        ~Section();
        // Hands the object to the queued waiters that can take it now.
        void Offer();
        // The object got a kernel handle: its waiters go on waiting on that.
        void MoveWaitersToKernel();
        SyncThreadRecord& Record() const { return m_guard.Record(); }
        Section(const Section&) = delete;
        Section& operator=(const Section&) = delete;

    private:
        Guard m_guard;
        CUserSpaceSyncObject& m_object;
        Wakes m_wakes;
    };

    // With the object's lock held: whether any waiter could take it now, whether this
    // one could, and taking it (true when it was taken from a holder that ended without
    // giving it back).
    virtual bool IsAvailable() const = 0;
    virtual bool CanTake(const SyncThreadRecord& taker) const = 0;
    virtual bool Take(SyncThreadRecord& taker) = 0;
    // Undoes a wait's taking of the object, for a wait for all that could not take the rest.
    virtual void GiveBack() = 0;

    // A thread counts itself among the object's users, which keeps its memory (its
    // destructor waits until the count is back to nothing); the last thing it does with it
    // is to leave.
    void EnterSlowPath() { ::InterlockedExchangeAdd64(&m_word, kSlowOne); }
    void LeaveSlowPath()
    {
        if ((::InterlockedExchangeAdd64(&m_word, -kSlowOne) & kDestroying) != 0)
            SyncThreadRecord::WakeDestroyers();
    }
    // Called by the destructors, while the object's class is still known: returns once
    // nobody is on the object. Nobody may wait for an object being destroyed; one who does
    // is named in the debug output, and the destruction sleeps until it left.
    void WaitUntilUnused();

private:
    using WaitEntry = SyncThreadRecord::WaitEntry;

    static const LONGLONG kSlowOne = 1;
    static const LONGLONG kSlowMask = 0xFFFFFFFF;
    static const LONGLONG kCountMask = 0x7FFFFFFF;
    static const LONGLONG kDestroying = 0x80000000;   // a destroyer waits for the count's end
    bool OnSlowPath() const { return (m_word & kCountMask) != 0; }
    void LockObject() { ::AcquireSRWLockExclusive(&m_lock); }
    void UnlockObject() { ::ReleaseSRWLockExclusive(&m_lock); }

    // Entries are pushed on the arrivals without the lock and queued, in the order they
    // came, by whoever holds it next. A waiter is on the slow path of each object it
    // waits for from its arrival until its entry is taken out of the queue, by whoever
    // does that, so that a waiter never touches an object that let it go (its owner may
    // destroy it at once).
    void Arrive(WaitEntry& entry);
    void QueueArrivals();
    void Enqueue(WaitEntry& entry);
    void Dequeue(WaitEntry& entry);
    // Hands the object (lock held) to the queued waiters that can take it now.
    void Offer(Wakes& wakes);

    // How long a destruction waits before it names the thread still on the object.
    static const DWORD kTellWaiterAfterMs = 1000;
    void TellWhoIsOnIt();

    static DWORD WaitForAny(SyncThreadRecord& self, CUserSpaceSyncObject* const objects[], DWORD count,
                            DWORD timeout);
    static DWORD WaitForAll(CUserSpaceSyncObject* const objects[], DWORD count, DWORD& timeout);
    // Sleeps until the wait is finished, asking for the result when time is up.
    static void SleepUntilFinished(SyncThreadRecord& self, DWORD timeout);
    // Takes the entries that nobody else took out of their queues.
    static void EndWait(SyncThreadRecord& self);

    // The state in the high half, the count of threads on the slow path in the low one.
    volatile LONGLONG m_word = 0;
    SRWLOCK m_lock = SRWLOCK_INIT;
    WaitEntry* volatile m_arrivals = nullptr;
    WaitEntry* m_firstWaiter = nullptr;
    WaitEntry* m_lastWaiter = nullptr;
};
