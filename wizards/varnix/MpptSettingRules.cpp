#include "wizards/varnix/MpptSettingRules.h"

#include "wizards/varnix/MpptSettingTable.h"

namespace
{
bool IsWindCurve(int id)
{
    return id >= MPPT_SETTING_WIND_VOLTAGE && id < MPPT_SETTING_WIND_POWER + MPPT_WIND_POINT_COUNT;
}

// The setting that switches this one on, or 0 when it has none.
int MasterOf(int id)
{
    switch (id)
    {
    case MPPT_SETTING_ABSORPTION_EXT_TIME: return MPPT_SETTING_ABSORPTION_EXT_VOLTAGE;
    case MPPT_SETTING_FLOAT_TIMEOUT:
    case MPPT_SETTING_FLOAT_CANCEL_VOLTAGE: return MPPT_SETTING_FLOAT_VOLTAGE;
    case MPPT_SETTING_EQUALIZE_TIME:
    case MPPT_SETTING_EQUALIZE_INTERVAL:
    case MPPT_SETTING_EQUALIZE_TIMEOUT: return MPPT_SETTING_EQUALIZE_VOLTAGE;
    case MPPT_SETTING_HVDR: return MPPT_SETTING_HVD;
    default: break;
    }
    const int offset = id - MPPT_SETTING_NOTIFICATION;
    if (offset >= 0 && offset < 20 * MPPT_NOTIFICATION_COUNT && offset % 20 >= 1 &&
        offset % 20 <= MPPT_NOTIFY_SNMP)
        return id - offset % 20;
    return 0;
}
}

bool MpptIsSettingUsed(const MpptRuleOptions& options, int mode, int id,
                       const MpptSettingLookup& lookup)
{
    if (mode == 0)
        return false;
    if (IsWindCurve(id))
        return mode == 2;
    auto on = [&](int settingId) { return lookup(settingId)->AsDouble() != 0.0; };

    if (id >= MPPT_SETTING_IP_ADDRESS && id <= MPPT_SETTING_SECONDARY_DNS)
        return !on(MPPT_SETTING_DHCP_ENABLED);
    if (options.hasArrayTargets)
    {
        // Exactly one of the two array targets shows: the fixed one unless only the
        // percentage is set.
        if (id == MPPT_SETTING_ARRAY_FIXED_TARGET)
            return on(MPPT_SETTING_ARRAY_FIXED_TARGET) || !on(MPPT_SETTING_ARRAY_PERCENT_VOC);
        if (id == MPPT_SETTING_ARRAY_PERCENT_VOC)
            return !on(MPPT_SETTING_ARRAY_FIXED_TARGET) && on(MPPT_SETTING_ARRAY_PERCENT_VOC);
    }
    const int master = MasterOf(id);
    return master == 0 || on(master);
}

std::string MpptFormatValue(const MpptRuleOptions& options, int id, ESysVoltage system,
                            const CModbusVariable& variable)
{
    const bool fixedTarget = options.hasArrayTargets && id == MPPT_SETTING_ARRAY_FIXED_TARGET;
    switch (id)
    {
    case MPPT_SETTING_ABSORPTION_EXT_VOLTAGE:
    case MPPT_SETTING_BATTERY_SERVICE_REMINDER:
    case MPPT_SETTING_FLOAT_VOLTAGE:
    case MPPT_SETTING_FLOAT_CANCEL_VOLTAGE:
    case MPPT_SETTING_EQUALIZE_VOLTAGE:
    case MPPT_SETTING_HVD:
        if (variable.AllRegistersZero())
            return "disabled";
        break;
    default:
        if (fixedTarget && variable.AllRegistersZero())
            return "disabled";
        break;
    }
    if (IsWindCurve(id) || fixedTarget)
        return variable.ToString(1.0);
    const std::string units = variable.GetUnits();
    if (units == "V" || units.compare(0, 2, "V/") == 0)
    {
        static const double MULTIPLIERS[] = {1.0, 2.0, 4.0};
        const int column = system >= SYS_VOLTAGE_12 && system <= SYS_VOLTAGE_48 ? system : 0;
        return variable.ToString(MULTIPLIERS[column]);
    }
    return variable.ToString();
}

bool MpptIsEepromSetting(const CModbusVariable& variable)
{
    return variable.GetAddress() >= 0x2000;
}
