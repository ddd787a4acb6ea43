// What the dispatch thread hands items to: the owner of the device and display
// document lists. Both calls run on the dispatch thread; each gets a run of the items
// one queue held and takes them with run.Next until it answers false, so that the
// lists need locking only once a run.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/StorageRun_t.h"

class IStorageDispatchTarget
{
public:
    virtual ~IStorageDispatchTarget() = default;
    // Items of the first queue, for every device document that takes their kind.
    virtual void DispatchToDevices(StorageRun_t& run) = 0;
    // Items of the second queue, for every display document.
    virtual void DispatchToDisplays(StorageRun_t& run) = 0;
};
