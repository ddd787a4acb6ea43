// Queued every 100 ms by the dispatcher's timer; drives the Logger displays' interval.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CStorage.h"

class CStorageTick : public CStorage
{
public:
    CStorageTick() = default;
    DWORD GetType() const override { return STORAGE_TYPE_TICK; }
};
