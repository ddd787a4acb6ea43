#include "framework/CEvent.h"
#include "framework/CResourceException.h"

IMPLEMENT_DYNAMIC(CEvent, CSyncObject)

CEvent::CEvent(BOOL initiallyOwn, BOOL manualReset, LPCTSTR name,
               LPSECURITY_ATTRIBUTES attributes)
{
    m_hObject = ::CreateEventA(attributes, manualReset, initiallyOwn, name);
    if (m_hObject == nullptr)
        AfxThrowResourceException();
}

BOOL CEvent::SetEvent()
{
    return ::SetEvent(m_hObject);
}

BOOL CEvent::ResetEvent()
{
    return ::ResetEvent(m_hObject);
}

BOOL CEvent::PulseEvent()
{
    return ::PulseEvent(m_hObject);
}

BOOL CEvent::Unlock()
{
    return TRUE;
}
