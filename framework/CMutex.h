// A mutex: the owning thread may lock it again (each Lock needs its Unlock), and a
// thread that ends holding it, by returning or terminated, leaves it abandoned: the
// next waiter still gets it. A release hands it to the thread that has waited longest.
// An unnamed mutex without security attributes waits in user space; a named one, one
// with attributes, and one made to be waited on by its handle (WaitedBy::Handle) is a
// Win32 mutex.
// Who may touch it until when (unlock, wait, destroy, a holder's end): see
// CUserSpaceSyncObject.h; in short, its holder may destroy it while held, and a holder that
// ends is done with it before its destructor returns.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CUserSpaceSyncObject.h"

class CMutex : public CUserSpaceSyncObject
{
    DECLARE_DYNAMIC(CMutex)
public:
    explicit CMutex(BOOL initiallyOwn = FALSE, LPCTSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr, WaitedBy waitedBy = WaitedBy::OwnLocks);
    ~CMutex() override;

    CUserSpaceSyncObject* UserSpacePart() override;
    BOOL Lock(DWORD timeout = INFINITE) override;
    // FALSE when the calling thread does not hold the mutex.
    BOOL Unlock() override;
    using CSyncObject::Unlock;

protected:
    bool IsAvailable() const override;
    bool CanTake(const SyncThreadRecord& taker) const override;
    bool Take(SyncThreadRecord& taker) override;
    void GiveBack() override { Unlock(); }

private:
    friend class SyncThreadRecord;
    // The holder ended without giving the mutex back; it goes to the next waiter.
    void AbandonByEndedHolder(SyncThreadRecord& holder, CMutex* volatile& slot);

    // The state: the holder's record id, or one of these.
    static const LONG kFree = 0;
    static const LONG kAbandoned = -1;
    // Changed by the holder only.
    LONG m_recursion = 0;
};
