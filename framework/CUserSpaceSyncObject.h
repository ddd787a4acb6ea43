// Base of the locks and events that wait in user space: an uncontended lock, release,
// set or reset is a few memory operations, where a kernel object costs a kernel call
// (under Wine a round trip to its server). All of them keep their state under one
// process-wide guard, so that a wait for several of them at once (all of them, or the
// first one) sees them together and takes them together, as a kernel wait does.
// Waiters sleep on one condition variable; a release wakes them only when some wait.
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

    // Holds the guard of every user-space object for its scope.
    class Guard
    {
    public:
        Guard();
        // Tries for at most the time given; Held() says whether it got the guard.
        explicit Guard(DWORD timeout);
        ~Guard();
        bool Held() const { return m_held; }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        bool m_held = true;
    };
    // Wakes the waiters after a change that may let one of them go on; guard held.
    static void WakeWaiters();

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
