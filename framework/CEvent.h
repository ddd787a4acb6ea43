// An event. Locking an event waits until it is signalled (an auto-reset event is reset
// again by that wait); there is nothing to give back, so Unlock does nothing.
// An unnamed event without security attributes waits in user space until somebody asks
// for its handle (to wait on it with other handles): it then becomes a Win32 event in
// the state it has, for good. A named one or one with attributes is one from the start.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CUserSpaceSyncObject.h"

class CEvent : public CUserSpaceSyncObject
{
    DECLARE_DYNAMIC(CEvent)
public:
    explicit CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE, LPCTSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);

    BOOL SetEvent();
    BOOL ResetEvent();
    // Lets go the threads waiting now (an auto-reset event: one of them) and leaves the
    // event reset.
    BOOL PulseEvent();

    HANDLE GetWaitHandle() override;
    BOOL Lock(DWORD timeout = INFINITE) override;
    BOOL Unlock() override;
    using CSyncObject::Unlock;

protected:
    bool CanTake() override { return m_signalled || m_pulseReleases > 0; }
    bool Take() override;
    void BeginWait() override { ++m_waiters; }
    void EndWait() override;

private:
    const bool m_manualReset;
    bool m_signalled;
    LONG m_waiters = 0;
    // Waiters a pulse still lets go; only threads already waiting use them.
    LONG m_pulseReleases = 0;
};
