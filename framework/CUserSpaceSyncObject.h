// Base of the locks and events that wait in user space: an uncontended lock, release,
// set or reset is a few memory operations, where a kernel object costs a kernel call
// (under Wine a round trip to its server). All of them keep their state under one
// process-wide guard, so that a wait for several of them at once (all of them, or the
// first one) sees them together and takes them together, as a kernel wait does.
//
// A thread may be terminated at any moment (a stuck worker is, after its stop wait), so
// nothing here may be left broken by a thread that never runs again: the guard is a
// lock word that records its holder, taken by spinning rather than by queueing in a
// wait list, and taken over when its holder has ended; a waiter sleeps on a kernel event
// of its own, so a release wakes it through the kernel and a terminated sleeper leaves
// nothing behind but its entry in the sleepers' list, which is forgotten. Only a
// contended wait pays kernel calls.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CSyncObject.h"

class SyncThreadRecord;

class CUserSpaceSyncObject : public CSyncObject
{
    DECLARE_DYNAMIC(CUserSpaceSyncObject)
public:
    // Returned by Wait when one of the objects was given a kernel handle during the
    // wait: the caller goes on waiting on the handles, for the time left.
    static const DWORD kMovedToKernel = 0xFFFFFFFE;

    // Waits for the objects as WaitForMultipleObjects does (the lowest index first when
    // any one will do) and returns what it would return. timeout is counted down to the
    // time left when the result is kMovedToKernel.
    static DWORD Wait(CUserSpaceSyncObject* const objects[], DWORD count, BOOL waitForAll,
                      DWORD& timeout);

    // Holds the guard of every user-space object for its scope. Not recursive.
    class Guard
    {
    public:
        Guard();
        // Tries for at most the time given; Held() says whether it got the guard.
        explicit Guard(DWORD timeout);
        ~Guard();
        bool Held() const { return m_held; }
        // Lets the guard go for a while (a sleep) and takes it again.
        void Leave();
        void Enter();
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        bool m_held = true;
    };
    // Wakes the waiters after a change that may let one of them go on; guard held.
    static void WakeWaiters();

    // Terminates a thread while the guard is held, so that it is cut off outside every
    // lock's bookkeeping, and forgets it as a sleeper. What it held stays held until a
    // waiter finds it ended (its mutexes are then abandoned to that waiter).
    static BOOL TerminateThreadOutsideLocks(HANDLE thread, DWORD exitCode);

    CUserSpaceSyncObject* UserSpacePart() override { return this; }

protected:
    CUserSpaceSyncObject() = default;

    // Waits for this object alone; TRUE when it was taken (from an ended holder too).
    BOOL LockInUserSpace(DWORD timeout);

    // With the guard held: whether the calling thread could take the object now, and
    // taking it (true when it was taken from a holder that ended without giving it back).
    virtual bool CanTake() = 0;
    virtual bool Take() = 0;
    // A waiter starts or stops waiting for the object.
    virtual void BeginWait() {}
    virtual void EndWait() {}
    // The thread holding the object, for the objects that have one.
    virtual SyncThreadRecord* Holder() { return nullptr; }

private:
    // Gives back what a terminated thread still held: its next waiter takes it abandoned.
    static void ReleaseEndedHolders(CUserSpaceSyncObject* const objects[], DWORD count);
};
