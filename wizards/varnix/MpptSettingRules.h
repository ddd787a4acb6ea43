// What the Varnix MPPT and Varnix HV MPPT models have in common beyond their tables: which
// settings apply in a mode with the chosen master switches, how a value reads for a 12, 24
// or 48 V system, and which settings live in the setpoint block at 0x2000 and above.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"

#include <functional>
#include <string>

// The column of a value: 12, 24 or 48 V system.
enum ESysVoltage
{
    SYS_VOLTAGE_12 = 0,
    SYS_VOLTAGE_24 = 1,
    SYS_VOLTAGE_48 = 2,
};

// Looks a setting up by id (throws std::range_error for an id the model lacks).
typedef std::function<const CModbusVariable*(int)> MpptSettingLookup;

struct MpptRuleOptions
{
    // The Varnix MPPT has the array-voltage targets 209 and 210; the HV model has not.
    bool hasArrayTargets;
};

bool MpptIsSettingUsed(const MpptRuleOptions& options, int mode, int id,
                       const MpptSettingLookup& lookup);

// The value text; units are shown apart.
std::string MpptFormatValue(const MpptRuleOptions& options, int id, ESysVoltage system,
                            const CModbusVariable& variable);

// True for the settings at register 0x2000 and above; the network, server and
// notification settings below are read and programmed as an optional set.
bool MpptIsEepromSetting(const CModbusVariable& variable);
