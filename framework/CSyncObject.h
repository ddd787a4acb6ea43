// Base of the objects that threads lock: mutexes, critical sections, events and
// semaphores. Objects with a kernel handle keep it in m_hObject, so that
// CMultiLock can wait on several of them at once.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"

class CUserSpaceSyncObject;

class CSyncObject : public CObject
{
    DECLARE_DYNAMIC(CSyncObject)
public:
    // Who waits for an object: only our own Lock, CSingleLock and CMultiLock (it may then
    // wait in user space), or also a kernel wait on its handle, together with other
    // handles (it is then a kernel object from the start).
    enum class WaitedBy { OwnLocks, Handle };

    ~CSyncObject() override;

    // The kernel handle to wait on; null for an object that has none.
    operator HANDLE() { return GetWaitHandle(); }
    virtual HANDLE GetWaitHandle() { return m_hObject; }
    // The object's user-space side when it waits in user space, else null.
    virtual CUserSpaceSyncObject* UserSpacePart() { return nullptr; }

    // Waits for the object. An abandoned mutex counts as acquired: its previous
    // owner may have been terminated while holding it.
    virtual BOOL Lock(DWORD timeout = INFINITE);
    virtual BOOL Unlock() = 0;
    // Release with a count; only semaphores use the count, the others release once.
    virtual BOOL Unlock(LONG count, LONG* prevCount = nullptr);

    HANDLE m_hObject = nullptr;   // null for objects without a kernel handle

protected:
    CSyncObject() = default;
};
