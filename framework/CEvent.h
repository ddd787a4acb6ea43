// A Win32 event. Locking an event waits until it is signalled (an auto-reset event
// is reset again by that wait); there is nothing to give back, so Unlock does nothing.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CSyncObject.h"

class CEvent : public CSyncObject
{
    DECLARE_DYNAMIC(CEvent)
public:
    explicit CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE, LPCTSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);

    BOOL SetEvent();
    BOOL ResetEvent();
    BOOL PulseEvent();

    BOOL Unlock() override;
    using CSyncObject::Unlock;
};
