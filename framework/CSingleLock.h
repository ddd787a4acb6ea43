// Scoped lock on one synchronisation object: whatever it acquired is released by
// Unlock or, at the latest, by the destructor.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CSyncObject.h"

class CSingleLock
{
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE);
    ~CSingleLock();

    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    // TRUE when the object was acquired (an abandoned mutex included). Locking
    // again while locked returns TRUE without a second acquisition, so one Unlock
    // always balances it.
    BOOL Lock(DWORD timeout = INFINITE);
    // TRUE when nothing is held any more.
    BOOL Unlock();
    BOOL Unlock(LONG count, LONG* prevCount = nullptr);
    BOOL IsLocked() const { return m_bAcquired; }

private:
    CSyncObject* m_pObject;
    BOOL m_bAcquired = FALSE;
};
