// Layout of the log a device keeps in its own memory.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>
#include <vector>

#include "documents/GenericVariable_t.h"

struct GenericLoggedData_t
{
    int bufferStart = -1;          // -1: the device keeps no log
    int bufferStop = -1;
    int endPointerRegister = -1;   // -1: fixed-length records ending at the buffer's end
    int hourmeterDiscontinuityId = -1;
    std::string hourmeterDiscontinuityValue;
    std::vector<GenericVariable_t> recordVariables;
    int hourmeterVariableId = -1;
};
