// The Varnix MPPT and HV MPPT controllers as the test device plays them: the registers of
// a settings model, a controller's own setpoints, and the device profile that serves them.
#pragma once
#include "wizards/varnix/CVarnixHvMpptSettings.h"
#include "wizards/varnix/CVarnixMpptSettings.h"
#include "wizards/varnix/MpptSettingTable.h"

#include <map>
#include <string>
#include <vector>

namespace mppt_device {

typedef std::map<int, int> RegisterMap;

// Registers inside the setpoint block that no setting uses; a read never asks for them.
const int SETPOINT_HOLES[] = {0xE013, 0xE014, 0xE01B, 0xE01C, 0xE01E, 0xE01F};
const int PASSWORD_FIRST = 0x16F0;
const int PASSWORD_LAST = 0x16FF;

template <class Settings>
RegisterMap RegistersOf(const Settings& settings, bool withPassword = true)
{
    RegisterMap registers;
    for (const auto& entry : settings.GetVariables())
    {
        if (!withPassword && entry.second->IsWriteOnly())
            continue;
        for (const ModbusRegister_t& reg : entry.second->GetRegisters())
            registers[reg.address] |= reg.value;
    }
    return registers;
}

// The controller's own setpoints: every setting away from its default.
template <class Settings>
Settings DeviceSettings()
{
    Settings settings;
    settings.GetVariable(MPPT_SETTING_REGULATION_VOLTAGE)->FromString("14.50");
    settings.GetVariable(MPPT_SETTING_ABSORPTION_TIME)->FromString("1:15:00");
    settings.GetVariable(MPPT_SETTING_TEMP_COMPENSATION)->FromString("-0.05");
    settings.GetVariable(MPPT_SETTING_MIN_COMP_TEMP)->FromString("-10");
    settings.GetVariable(MPPT_SETTING_FLOAT_VOLTAGE)->FromString("13.20");
    settings.GetVariable(MPPT_SETTING_MODBUS_ID)->FromString("17");
    settings.GetVariable(MPPT_SETTING_SKELDER_ID)->FromString("3");
    settings.GetVariable(MPPT_SETTING_DHCP_ENABLED)->FromString("false");
    settings.GetVariable(MPPT_SETTING_IP_ADDRESS)->FromString("10.1.2.3");
    settings.GetVariable(MPPT_SETTING_CONTROLLER_NAME)->FromString("barn");
    settings.GetVariable(MPPT_SETTING_SMTP_SERVER)->FromString("mail.example");
    settings.GetVariable(MpptNotificationSetting(2, MPPT_NOTIFY_ENABLED))->FromString("true");
    settings.GetVariable(MpptNotificationSetting(2, MPPT_NOTIFY_SNMP))->FromString("true");
    settings.GetVariable(MpptNotificationSetting(2, MPPT_NOTIFY_COMPARE_TYPE))->FromString(">=");
    settings.GetVariable(MPPT_SETTING_LOG_MAX_DAILY_VA + 1)->FromString("true");
    settings.GetVariable(MPPT_SETTING_LOG_MAX_DAILY_VA + 4)->FromString("true");
    settings.GetVariable(MPPT_SETTING_WIND_VOLTAGE + 15)->FromString("48.5");
    settings.GetVariable(MPPT_SETTING_WIND_POWER + 15)->FromString("120");
    return settings;
}

struct ProfileOptions
{
    bool withNetworkBlock = true;
    bool targetsErased = false;   // 0xFFFF in the array targets
    std::string faults = "[]";
};

// One request of a run: its first register and how many it moves.
struct RunRequest_t
{
    int address;
    int count;
};

// The requests a run makes for one set of the registers (the setpoint block at 0x2000 and
// above, or the optional set below it), in order: ascending, a read in runs of consecutive
// registers (at most 125 a request), a program run one register a write.
std::vector<RunRequest_t> RunRequests(const RegisterMap& registers, bool read, bool setpoints);

// The device serves the settings' registers (functions 3 and 4 share them), the holes of
// the setpoint block and a password the controller keeps to itself.
std::string Profile(const RegisterMap& settingsRegisters, const ProfileOptions& options);

} // namespace mppt_device
