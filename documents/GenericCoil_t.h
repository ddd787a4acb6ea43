// A coil of a generic device.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

struct GenericCoil_t
{
    std::string name;
    int address = 0;
    bool writable = false;
    bool readable = false;
};
