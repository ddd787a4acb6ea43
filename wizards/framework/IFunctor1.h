// One-argument callback: the programming threads and the bulk register transfers report
// their progress through it without knowing who listens.
#pragma once
#include "framework/FrameworkBase.h"

class IFunctor1
{
public:
    virtual ~IFunctor1() {}
    virtual void operator()(int value) = 0;
};
