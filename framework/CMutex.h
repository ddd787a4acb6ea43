// A Win32 mutex: the owning thread may lock it again (each Lock needs its Unlock),
// and it is the lock of choice where a holder may be terminated, since the next
// waiter then still gets it (abandoned, but acquired).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CSyncObject.h"

class CMutex : public CSyncObject
{
    DECLARE_DYNAMIC(CMutex)
public:
    explicit CMutex(BOOL initiallyOwn = FALSE, LPCTSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);

    BOOL Unlock() override;
    using CSyncObject::Unlock;
};
