// Queued after every tenth tick, about once a second; makes connected devices poll.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CStorage.h"

class CStorageTime : public CStorage
{
public:
    CStorageTime() = default;
    DWORD GetType() const override { return STORAGE_TYPE_TIME; }
};
