#include "framework/CEvent.h"

#include "framework/CResourceException.h"

IMPLEMENT_DYNAMIC(CEvent, CUserSpaceSyncObject)

CEvent::CEvent(BOOL initiallyOwn, BOOL manualReset, LPCTSTR name,
               LPSECURITY_ATTRIBUTES attributes)
    : m_manualReset(manualReset != FALSE)
{
    if (name != nullptr || attributes != nullptr)
    {
        m_hObject = ::CreateEventA(attributes, manualReset, initiallyOwn, name);
        if (m_hObject == nullptr)
            AfxThrowResourceException();
    }
    else if (initiallyOwn)
    {
        ChangeFast(kReset, kSignalled);
    }
}

CEvent::~CEvent()
{
    WaitUntilUnused();
}

HANDLE CEvent::GetWaitHandle()
{
    bool signalled;
    {
        Section section(*this);
        if (m_hObject != nullptr)
            return m_hObject;
        signalled = State() == kSignalled;
    }
    // Made outside the object's lock, which is held across a kernel call only when the
    // event changed in between.
    const HANDLE made = ::CreateEventA(nullptr, m_manualReset, signalled, nullptr);
    if (made == nullptr)
        AfxThrowResourceException();
    {
        Section section(*this);
        if (m_hObject == nullptr)
        {
            if ((State() == kSignalled) != signalled)
                signalled ? ::ResetEvent(made) : ::SetEvent(made);
            m_hObject = made;
            SetState(kMoved);
            section.MoveWaitersToKernel();
            return m_hObject;
        }
    }
    ::CloseHandle(made);   // another thread gave it its handle first
    return m_hObject;
}

BOOL CEvent::SetEvent()
{
    if (m_hObject == nullptr)
    {
        if (State() == kSignalled || ChangeFast(kReset, kSignalled))
            return TRUE;
        Section section(*this);
        if (m_hObject == nullptr)
        {
            SetState(kSignalled);
            section.Offer();
            return TRUE;
        }
    }
    return ::SetEvent(m_hObject);
}

BOOL CEvent::ResetEvent()
{
    if (m_hObject == nullptr)
    {
        if (State() == kReset || ChangeFast(kSignalled, kReset))
            return TRUE;
        Section section(*this);
        if (m_hObject == nullptr)
        {
            SetState(kReset);
            return TRUE;
        }
    }
    return ::ResetEvent(m_hObject);
}

BOOL CEvent::PulseEvent()
{
    if (m_hObject == nullptr)
    {
        // Nobody on the slow path: nobody waits, and a pulse only resets.
        if (ChangeFast(kSignalled, kReset) || ChangeFast(kReset, kReset))
            return TRUE;
        Section section(*this);
        if (m_hObject == nullptr)
        {
            // Whoever waits now and can take it does; nobody after.
            SetState(kSignalled);
            section.Offer();
            SetState(kReset);
            return TRUE;
        }
    }
    return ::PulseEvent(m_hObject);
}

BOOL CEvent::Lock(DWORD timeout)
{
    if (m_hObject == nullptr)
    {
        const LONG state = State();
        if (state == kSignalled && (m_manualReset || ChangeFast(kSignalled, kReset)))
            return TRUE;
        if (state == kReset && timeout == 0)
            return FALSE;
    }
    const DWORD result = WaitInUserSpace(timeout);
    if (result == kMovedToKernel)
        return CSyncObject::Lock(timeout);
    return result == WAIT_OBJECT_0;
}

BOOL CEvent::Unlock()
{
    return TRUE;
}

void CEvent::GiveBack()
{
    if (!m_manualReset)
        SetEvent();
}

bool CEvent::Take(SyncThreadRecord&)
{
    if (!m_manualReset)
        SetState(kReset);
    return false;
}
