#include "framework/CSemaphore.h"
#include "framework/CResourceException.h"

IMPLEMENT_DYNAMIC(CSemaphore, CSyncObject)

CSemaphore::CSemaphore(LONG initialCount, LONG maxCount, LPCTSTR name,
                       LPSECURITY_ATTRIBUTES attributes)
{
    ASSERT(maxCount > 0 && initialCount >= 0 && initialCount <= maxCount);
    m_hObject = ::CreateSemaphoreA(attributes, initialCount, maxCount, name);
    if (m_hObject == nullptr)
        AfxThrowResourceException();
}

BOOL CSemaphore::Unlock()
{
    return Unlock(1, nullptr);
}

BOOL CSemaphore::Unlock(LONG count, LONG* prevCount)
{
    return ::ReleaseSemaphore(m_hObject, count, prevCount);
}
