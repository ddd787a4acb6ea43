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
    Guard guard;
    if (m_hObject == nullptr)
    {
        m_hObject = ::CreateEventA(nullptr, m_manualReset, m_signalled, nullptr);
        if (m_hObject == nullptr)
            AfxThrowResourceException();
        // Whoever waits in user space now goes on waiting on the handle.
        WakeWaiters();
    }
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
