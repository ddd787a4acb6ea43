// A Win32 semaphore: each Lock takes one unit of the count, Unlock gives units back.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CSyncObject.h"

class CSemaphore : public CSyncObject
{
    DECLARE_DYNAMIC(CSemaphore)
public:
    explicit CSemaphore(LONG initialCount = 1, LONG maxCount = 1, LPCTSTR name = nullptr,
                        LPSECURITY_ATTRIBUTES attributes = nullptr);

    BOOL Unlock() override;
    BOOL Unlock(LONG count, LONG* prevCount = nullptr) override;
};
