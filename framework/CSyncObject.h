// Base of the objects that threads lock: mutexes, critical sections, events and
// semaphores. Objects with a kernel handle keep it in m_hObject, so that
// CMultiLock can wait on several of them at once.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"

class CSyncObject : public CObject
{
    DECLARE_DYNAMIC(CSyncObject)
public:
    ~CSyncObject() override;

    operator HANDLE() const { return m_hObject; }

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
