#include "framework/CMutex.h"

#include "framework/CResourceException.h"
#include "framework/SyncThreadRecord.h"

IMPLEMENT_DYNAMIC(CMutex, CUserSpaceSyncObject)

CMutex::CMutex(BOOL initiallyOwn, LPCTSTR name, LPSECURITY_ATTRIBUTES attributes, WaitedBy waitedBy)
{
    if (name != nullptr || attributes != nullptr || waitedBy == WaitedBy::Handle)
    {
        m_hObject = ::CreateMutexA(attributes, initiallyOwn, name);
        if (m_hObject == nullptr)
            AfxThrowResourceException();
    }
    else if (initiallyOwn)
    {
        SyncThreadRecord::Current();   // made outside the guard
        Guard guard;
        Take();
    }
}

CMutex::~CMutex()
{
    if (m_hObject != nullptr)
        return;
    // Destroyed while held: the holder's record must not keep pointing at it.
    Guard guard;
    if (m_holder != nullptr)
        m_holder->Release(this);
}

CUserSpaceSyncObject* CMutex::UserSpacePart()
{
    return m_hObject == nullptr ? this : nullptr;
}

BOOL CMutex::Lock(DWORD timeout)
{
    if (m_hObject != nullptr)
        return CSyncObject::Lock(timeout);
    return LockInUserSpace(timeout);
}

BOOL CMutex::Unlock()
{
    if (m_hObject != nullptr)
        return ::ReleaseMutex(m_hObject);
    Guard guard;
    if (m_holder == nullptr || m_holder != SyncThreadRecord::Find())
    {
        ::SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    if (--m_recursion == 0)
    {
        m_holder->Release(this);
        m_holder = nullptr;
        WakeWaiters();
    }
    return TRUE;
}

bool CMutex::CanTake()
{
    return m_holder == nullptr || m_holder == SyncThreadRecord::Find();
}

bool CMutex::Take()
{
    // Every taker made its record before it took the guard.
    SyncThreadRecord& self = *SyncThreadRecord::Find();
    if (m_holder == &self)
    {
        ++m_recursion;
        return false;
    }
    m_holder = &self;
    m_recursion = 1;
    self.Hold(this);
    const bool abandoned = m_abandoned;
    m_abandoned = false;
    return abandoned;
}

void CMutex::AbandonByEndedHolder()
{
    m_holder = nullptr;
    m_recursion = 0;
    m_abandoned = true;
}
