// An event. Locking an event waits until it is signalled (an auto-reset event is reset
// again by that wait); there is nothing to give back, so Unlock does nothing.
// An unnamed event without security attributes waits in user space until somebody asks
// for its handle (to wait on it with other handles): it then becomes a Win32 event in
// the state it has, for good. A named one or one with attributes is one from the start.
// Who may touch it until when (set, wait, destroy): see CUserSpaceSyncObject.h; in short,
// the thread a set lets go may destroy it at once, while the set is still returning.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CUserSpaceSyncObject.h"

class CEvent : public CUserSpaceSyncObject
{
    DECLARE_DYNAMIC(CEvent)
public:
    explicit CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE, LPCTSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);
    ~CEvent() override;

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
    bool IsAvailable() const override { return State() == kSignalled; }
    bool CanTake(const SyncThreadRecord&) const override { return State() == kSignalled; }
    bool Take(SyncThreadRecord& taker) override;
    void GiveBack() override;

private:
    // The state; once moved, the kernel event holds it and every change goes there.
    static const LONG kReset = 0;
    static const LONG kSignalled = 1;
    static const LONG kMoved = 2;

    const bool m_manualReset;
};
