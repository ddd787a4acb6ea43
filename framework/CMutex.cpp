#include "framework/CMutex.h"
#include "framework/CResourceException.h"

IMPLEMENT_DYNAMIC(CMutex, CSyncObject)

CMutex::CMutex(BOOL initiallyOwn, LPCTSTR name, LPSECURITY_ATTRIBUTES attributes)
{
    m_hObject = ::CreateMutexA(attributes, initiallyOwn, name);
    if (m_hObject == nullptr)
        AfxThrowResourceException();
}

BOOL CMutex::Unlock()
{
    return ::ReleaseMutex(m_hObject);
}
