#include "framework/CEvent.h"

#include "framework/CResourceException.h"

IMPLEMENT_DYNAMIC(CEvent, CUserSpaceSyncObject)

CEvent::CEvent(BOOL initiallyOwn, BOOL manualReset, LPCTSTR name,
               LPSECURITY_ATTRIBUTES attributes)
    : m_manualReset(manualReset != FALSE), m_signalled(initiallyOwn != FALSE)
{
    if (name != nullptr || attributes != nullptr)
    {
        m_hObject = ::CreateEventA(attributes, manualReset, initiallyOwn, name);
        if (m_hObject == nullptr)
            AfxThrowResourceException();
    }
}

HANDLE CEvent::GetWaitHandle()
{
    bool signalled;
    {
        Guard guard;
        if (m_hObject != nullptr)
            return m_hObject;
        signalled = m_signalled;
    }
    // Made outside the guard, which is held across a kernel call only when the event
    // changed in between.
    const HANDLE made = ::CreateEventA(nullptr, m_manualReset, signalled, nullptr);
    if (made == nullptr)
        AfxThrowResourceException();
    {
        Guard guard;
        if (m_hObject == nullptr)
        {
            if (m_signalled != signalled)
                m_signalled ? ::SetEvent(made) : ::ResetEvent(made);
            m_hObject = made;
            // Whoever waits in user space now goes on waiting on the handle.
            WakeWaiters();
            return m_hObject;
        }
    }
    ::CloseHandle(made);   // another thread gave it its handle first
    return m_hObject;
}

BOOL CEvent::SetEvent()
{
    {
        Guard guard;
        if (m_hObject == nullptr)
        {
            m_signalled = true;
            WakeWaiters();
            return TRUE;
        }
    }
    return ::SetEvent(m_hObject);
}

BOOL CEvent::ResetEvent()
{
    {
        Guard guard;
        if (m_hObject == nullptr)
        {
            m_signalled = false;
            return TRUE;
        }
    }
    return ::ResetEvent(m_hObject);
}

BOOL CEvent::PulseEvent()
{
    {
        Guard guard;
        if (m_hObject == nullptr)
        {
            m_signalled = false;
            m_pulseReleases = m_manualReset ? m_waiters : (m_waiters > 0 ? 1 : 0);
            WakeWaiters();
            return TRUE;
        }
    }
    return ::PulseEvent(m_hObject);
}

BOOL CEvent::Lock(DWORD timeout)
{
    CUserSpaceSyncObject* self = this;
    const DWORD result = Wait(&self, 1, TRUE, timeout);
    if (result == kMovedToKernel)
        return CSyncObject::Lock(timeout);
    return result == WAIT_OBJECT_0;
}

BOOL CEvent::Unlock()
{
    return TRUE;
}

bool CEvent::Take()
{
    if (m_signalled)
    {
        if (!m_manualReset)
            m_signalled = false;
    }
    else
    {
        --m_pulseReleases;
    }
    return false;
}

void CEvent::EndWait()
{
    if (--m_waiters == 0)
        m_pulseReleases = 0;
}
