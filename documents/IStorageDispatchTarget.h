// What the dispatch thread hands items to: the owner of the device and display
// document lists. Both calls run on the dispatch thread, one item at a time.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CStorage.h"

class IStorageDispatchTarget
{
public:
    virtual ~IStorageDispatchTarget() = default;
    // An item of the first queue, for every device document.
    virtual void DispatchToDevices(const CStoragePtr& item) = 0;
    // An item of the second queue, for every display document.
    virtual void DispatchToDisplays(const CStoragePtr& item) = 0;
};
