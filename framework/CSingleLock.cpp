#include "framework/CSingleLock.h"

CSingleLock::CSingleLock(CSyncObject* object, BOOL initialLock)
    : m_pObject(object)
{
    ASSERT(object != nullptr);
    if (initialLock)
        Lock();
}

CSingleLock::~CSingleLock()
{
    Unlock();
}

BOOL CSingleLock::Lock(DWORD timeout)
{
    if (m_bAcquired)
        return TRUE;
    m_bAcquired = m_pObject->Lock(timeout);
    return m_bAcquired;
}

BOOL CSingleLock::Unlock()
{
    if (m_bAcquired)
        m_bAcquired = !m_pObject->Unlock();
    return !m_bAcquired;
}

BOOL CSingleLock::Unlock(LONG count, LONG* prevCount)
{
    if (m_bAcquired)
        m_bAcquired = !m_pObject->Unlock(count, prevCount);
    return !m_bAcquired;
}
