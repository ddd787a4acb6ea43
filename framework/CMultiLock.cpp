#include "framework/CMultiLock.h"

#include "framework/CUserSpaceSyncObject.h"

CMultiLock::CMultiLock(CSyncObject* objects[], DWORD count, BOOL initialLock)
    : m_objects(objects, objects + count), m_locked(count, false)
{
    ASSERT(count > 0 && count <= MAXIMUM_WAIT_OBJECTS);
    for (CSyncObject* object : m_objects)
    {
        ASSERT(object != nullptr);
        if (object->UserSpacePart() != nullptr)
            m_userSpace.push_back(object->UserSpacePart());
    }
    if (initialLock)
        Lock();
}

CMultiLock::~CMultiLock()
{
    Unlock();
}

DWORD CMultiLock::Lock(DWORD timeout, BOOL waitForAll, DWORD wakeMask)
{
    const DWORD count = static_cast<DWORD>(m_objects.size());
    // Objects that all wait in user space are waited for there, without a kernel call;
    // a message wake mask or any kernel object makes it a wait on handles.
    if (wakeMask == 0 && m_userSpace.size() == count)
    {
        const DWORD result = CUserSpaceSyncObject::Wait(m_userSpace.data(), count, waitForAll, timeout);
        if (result != CUserSpaceSyncObject::kMovedToKernel)
        {
            MarkAcquired(result, waitForAll);
            return result;
        }
    }
    std::vector<HANDLE> handles;
    handles.reserve(count);
    for (CSyncObject* object : m_objects)
    {
        // A user-space mutex has no handle: waited for with kernel objects, it must be
        // made with WaitedBy::Handle.
        const HANDLE handle = object->GetWaitHandle();
        ASSERT(handle != nullptr);
        if (handle == nullptr)
            return WAIT_FAILED;
        handles.push_back(handle);
    }
    DWORD result;
    if (wakeMask == 0)
        result = ::WaitForMultipleObjects(count, handles.data(), waitForAll, timeout);
    else
        result = ::MsgWaitForMultipleObjects(count, handles.data(), waitForAll, timeout,
                                             wakeMask);
    MarkAcquired(result, waitForAll);
    return result;
}

void CMultiLock::MarkAcquired(DWORD result, BOOL waitForAll)
{
    const DWORD count = static_cast<DWORD>(m_objects.size());
    DWORD index;
    if (result >= WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count)
        index = result - WAIT_OBJECT_0;
    else if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count)
        index = result - WAIT_ABANDONED_0;
    else
        return;   // time-out, failure or a message: nothing was acquired

    for (DWORD i = 0; i < count; ++i)
    {
        if (!waitForAll && i != index)
            continue;
        // A mutex this lock already held has now been taken a second time; give
        // the extra back so that one Unlock still releases it completely.
        if (m_locked[i])
            m_objects[i]->Unlock();
        m_locked[i] = true;
    }
}

BOOL CMultiLock::Unlock()
{
    BOOL allReleased = TRUE;
    for (size_t i = 0; i < m_objects.size(); ++i)
    {
        if (!m_locked[i])
            continue;
        if (m_objects[i]->Unlock())
            m_locked[i] = false;
        else
            allReleased = FALSE;
    }
    return allReleased;
}

BOOL CMultiLock::Unlock(LONG count, LONG* prevCount)
{
    BOOL allReleased = TRUE;
    for (size_t i = 0; i < m_objects.size(); ++i)
    {
        if (!m_locked[i])
            continue;
        if (m_objects[i]->Unlock(count, prevCount))
            m_locked[i] = false;
        else
            allReleased = FALSE;
    }
    return allReleased;
}

BOOL CMultiLock::IsLocked(DWORD index) const
{
    ASSERT(index < m_locked.size());
    return index < m_locked.size() && m_locked[index];
}
