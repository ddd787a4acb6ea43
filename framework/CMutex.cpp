#include "framework/CMutex.h"

#include "framework/CResourceException.h"

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
        Section section(*this);
        Take(section.Record());
    }
}

CMutex::~CMutex()
{
    if (m_hObject != nullptr)
        return;
    // Destroyed while held: the holder's record must not keep pointing at it.
    {
        Section section(*this);
        const LONG holder = State();
        if (holder != kFree && holder != kAbandoned)
            SyncThreadRecord::FromId(holder)->Forget(this);
    }
    WaitUntilUnused();
}

CUserSpaceSyncObject* CMutex::UserSpacePart()
{
    return m_hObject == nullptr ? this : nullptr;
}

BOOL CMutex::Lock(DWORD timeout)
{
    if (m_hObject != nullptr)
        return CSyncObject::Lock(timeout);
    {
        Guard guard;
        SyncThreadRecord& self = guard.Record();
        if (State() == self.Id())
        {
            ++m_recursion;
            return TRUE;
        }
        if (ChangeFast(kFree, self.Id()))
        {
            m_recursion = 1;
            self.Hold(this);
            return TRUE;
        }
    }
    const DWORD result = WaitInUserSpace(timeout);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
}

BOOL CMutex::Unlock()
{
    if (m_hObject != nullptr)
        return ::ReleaseMutex(m_hObject);
    Guard guard;
    SyncThreadRecord& self = guard.Record();
    if (State() != self.Id())
    {
        ::SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    if (--m_recursion > 0)
        return TRUE;
    self.Release(this);
    if (!ChangeFast(self.Id(), kFree))
    {
        // Somebody waits or is about to: the mutex goes to the longest waiting one.
        Section section(*this);
        SetState(kFree);
        section.Offer();
    }
    return TRUE;
}

bool CMutex::IsAvailable() const
{
    return State() == kFree || State() == kAbandoned;
}

bool CMutex::CanTake(const SyncThreadRecord& taker) const
{
    return IsAvailable() || State() == taker.Id();
}

bool CMutex::Take(SyncThreadRecord& taker)
{
    const LONG holder = State();
    if (holder == taker.Id())
    {
        ++m_recursion;
        return false;
    }
    SetState(taker.Id());
    m_recursion = 1;
    taker.Hold(this);
    return holder == kAbandoned;
}

void CMutex::AbandonByEndedHolder(SyncThreadRecord& holder, CMutex* volatile& slot)
{
    // The holder's slot shows the claim until this thread counts among the mutex's users,
    // which keeps its memory; a destroyer that found the claim waits for that.
    EnterSlowPath();
    SyncThreadRecord::ClearClaimed(slot);
    {
        Section section(*this);
        if (State() == holder.Id())
        {
            SetState(kAbandoned);
            m_recursion = 0;
            section.Offer();
        }
    }
    LeaveSlowPath();
}
