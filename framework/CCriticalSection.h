// A Win32 critical section: the cheapest lock within one process, recursive for
// its owner. It has no handle, so it cannot take part in a CMultiLock, and no
// time-out: every Lock waits until it gets the section.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CSyncObject.h"

class CCriticalSection : public CSyncObject
{
    DECLARE_DYNAMIC(CCriticalSection)
public:
    CCriticalSection();
    ~CCriticalSection() override;

    operator CRITICAL_SECTION*() { return &m_sect; }

    BOOL Lock();
    // The time-out is ignored: a critical section cannot be waited for with one.
    BOOL Lock(DWORD timeout) override;
    BOOL Unlock() override;
    using CSyncObject::Unlock;

    CRITICAL_SECTION m_sect;
};
