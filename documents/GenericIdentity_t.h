// One way to recognise a device: its product code and expected register values.
#pragma once
#include "framework/FrameworkBase.h"

#include <map>
#include <string>

struct GenericIdentity_t
{
    std::string productCode;
    std::map<unsigned short, int> outputRegisters;   // register address -> expected value
};
