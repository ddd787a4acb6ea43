// Everything one device element of the description file says about a kind of device.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>
#include <vector>

#include "documents/GenericCoil_t.h"
#include "documents/GenericHardwareInfo_t.h"
#include "documents/GenericIdentity_t.h"
#include "documents/GenericLoggedData_t.h"
#include "documents/GenericVariable_t.h"

struct GenericDeviceDescription_t
{
    std::string defaultName;
    int model = 0;
    int type = 0;
    int set = 0;
    int defaultModbusAddr = 0;
    int skelderType = 0;
    std::vector<GenericIdentity_t> identities;
    std::vector<GenericVariable_t> variables;
    std::vector<GenericCoil_t> coils;
    std::vector<GenericHardwareInfo_t> hardwareInfo;
    GenericLoggedData_t loggedData;
};
