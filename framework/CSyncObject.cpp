#include "framework/CSyncObject.h"

IMPLEMENT_DYNAMIC(CSyncObject, CObject)

CSyncObject::~CSyncObject()
{
    if (m_hObject != nullptr)
    {
        ::CloseHandle(m_hObject);
        m_hObject = nullptr;
    }
}

BOOL CSyncObject::Lock(DWORD timeout)
{
    const DWORD result = ::WaitForSingleObject(m_hObject, timeout);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

BOOL CSyncObject::Unlock(LONG /*count*/, LONG* /*prevCount*/)
{
    return Unlock();
}
