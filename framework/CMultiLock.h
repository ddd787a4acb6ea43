// Waits for several objects at once (all of them, or the first one) and releases
// whatever the wait acquired in Unlock or, at the latest, the destructor. Objects that
// all wait in user space are waited for there; otherwise each must have a handle
// (critical sections have none and cannot take part). Each object must outlive the lock's
// waits and its Unlock (see CUserSpaceSyncObject.h for who may touch an object until when).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CSyncObject.h"

#include <vector>

class CUserSpaceSyncObject;

class CMultiLock
{
public:
    CMultiLock(CSyncObject* objects[], DWORD count, BOOL initialLock = FALSE);
    ~CMultiLock();

    CMultiLock(const CMultiLock&) = delete;
    CMultiLock& operator=(const CMultiLock&) = delete;

    // Returns what the wait returned: WAIT_OBJECT_0 + i, WAIT_ABANDONED_0 + i
    // (acquired as well: the previous owner was terminated), WAIT_OBJECT_0 + count
    // when a message of the wake mask arrived, WAIT_TIMEOUT or WAIT_FAILED.
    // A non-zero wake mask also wakes up for those messages of this thread's queue.
    DWORD Lock(DWORD timeout = INFINITE, BOOL waitForAll = TRUE, DWORD wakeMask = 0);
    // Releases every object this lock holds; TRUE when all releases succeeded.
    BOOL Unlock();
    // The same, handing the count to each held object (semaphores give back that many).
    BOOL Unlock(LONG count, LONG* prevCount = nullptr);
    BOOL IsLocked(DWORD index) const;

private:
    void MarkAcquired(DWORD result, BOOL waitForAll);

    std::vector<CSyncObject*> m_objects;
    std::vector<CUserSpaceSyncObject*> m_userSpace;
    std::vector<bool> m_locked;
};
