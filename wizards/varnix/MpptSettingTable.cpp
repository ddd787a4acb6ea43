#include "wizards/varnix/MpptSettingTable.h"

#include "modbus/CModbusVariableScaled.h"
#include "modbus/CModbusVariable_Cstring.h"
#include "modbus/CModbusVariable_Cstring_writeonly.h"
#include "modbus/CModbusVariable_IP.h"
#include "modbus/CModbusVariable_Time.h"
#include "modbus/CModbusVariable_flag.h"
#include "modbus/CModbusVariable_int8.h"
#include "modbus/CModbusVariable_uint16.h"
#include "wizards/framework/ControllerAddress.h"

#include <boost/make_shared.hpp>

#include <string>

const ModbusTranslation_t MPPT_COMPARE_TYPES[MPPT_COMPARE_TYPE_COUNT] = {
    {1, "=="}, {2, "<"}, {4, ">"}, {8, "!="}, {3, "<="}, {5, ">="},
};

namespace
{
typedef boost::shared_ptr<CModbusVariable> VariablePtr;

// Battery and array voltages: 180 V full scale over 32768 counts.
const double VOLTAGE_SCALE = 180.0 / 32768.0;
const double TEMP_COMP_SCALE = -90.0 / 32768.0;
const double CURRENT_SCALE = 80.0 / 32768.0;
const double PERCENT_SCALE = 50.0 / 32768.0;
const double WIND_POWER_SCALE = 3600.0 / 32768.0;

// Private LAN addresses a controller comes with.
const char* const DEFAULT_IP_ADDRESS = "192.168.1.100";
const char* const DEFAULT_GATEWAY = "192.168.1.1";

const unsigned NOTIFICATION_FIRST_REGISTER = 0x1535;
const unsigned NOTIFICATION_REGISTER_SPAN = 15;

VariablePtr Voltage(unsigned address, const char* name, const char* description,
                    double defaultValue)
{
    return boost::make_shared<CModbusVariableScaled>(address, name, description, "V", false,
                                                     0.0, 100.0, defaultValue, 2,
                                                     VOLTAGE_SCALE);
}

VariablePtr Time(unsigned address, const char* name, const char* description,
                 WORD defaultSeconds)
{
    return boost::make_shared<CModbusVariable_Time>(address, name, description, false, 0,
                                                    65535, defaultSeconds);
}

VariablePtr Number(unsigned address, const char* name, const char* description,
                   const char* units, WORD minimum, WORD maximum, WORD defaultValue)
{
    return boost::make_shared<CModbusVariable_uint16>(address, name, description, units, false,
                                                      minimum, maximum, defaultValue);
}

VariablePtr Flag(unsigned address, unsigned bit, const char* name, const char* description,
                 bool defaultValue)
{
    return boost::make_shared<CModbusVariable_flag>(address, bit, name, description, false,
                                                    false, defaultValue);
}

VariablePtr Ip(unsigned address, const char* name, const char* description, bool allowReserved,
               const char* defaultText)
{
    return boost::make_shared<CModbusVariable_IP>(address, name, description, allowReserved,
                                                  false, defaultText);
}

VariablePtr Text(unsigned address, unsigned length, const char* name, const char* description,
                 const char* defaultText)
{
    return boost::make_shared<CModbusVariable_Cstring>(address, length, name, description,
                                                       false, defaultText);
}

VariablePtr ChargeSetting(int id)
{
    switch (id)
    {
    case 1: return Voltage(0xE000, "Regulation Voltage", "Regulation voltage at 25 deg C", 14.1);
    case 2: return Time(0xE002, "Absorption Time", "Time to spend in absorption (before float)", 9000);
    case 3: return Voltage(0xE004, "Absorption Ext. Voltage", "Absorption Extension Voltage", 12.5);
    case 4: return Time(0xE003, "Absorption Ext. Time", "Absorption Extension Time", 10800);
    case 5:
        return boost::make_shared<CModbusVariableScaled>(
            0xE00D, "Temperature Compensation", "Battery Temperature compensation", "V/degC",
            false, -1.0, 0.0, -0.03, 3, TEMP_COMP_SCALE);
    case 6:
        return boost::make_shared<CModbusVariable_int8>(
            0xE012, "Min. Compensation Temp.", "Min battery temp compensation limit", "deg C",
            false, -128, 127, -40);
    case 7:
        return boost::make_shared<CModbusVariable_int8>(
            0xE011, "Max. Compensation Temp.", "Max battery temp compensation limit", "deg C",
            false, -128, 127, 80);
    case 8: return Voltage(0xE010, "Maximum Regulation Limit", "Maximum Regulation Limit", 15.0);
    case 9: return Number(0xE00B, "Battery Service Reminder", "Battery Service Reminder", "days", 0, 255, 60);
    case 20: return Voltage(0xE001, "Float Voltage", "Float voltage at 25 deg C", 13.5);
    case 21: return Time(0xE006, "Float Timeout", "Exit float cumulative timer", 1800);
    case 22: return Voltage(0xE005, "Float Cancel Voltage", "Voltage that cancels float", 12.5);
    case 30: return Voltage(0xE007, "Equalize Voltage", "Equalize voltage @ 25 degC", 15.1);
    case 31: return Time(0xE00A, "Equalize Time", "Equalize time limit at Vreg", 3600);
    case 32: return Number(0xE008, "Auto-Equalize Interval", "Time between equalize cycles", "days", 0, 255, 28);
    case 33: return Time(0xE009, "Equalize Timeout", "Equalize time limit above Vreg", 10800);
    case 34: return Voltage(0xE00E, "HVD", "High Voltage Disconnect", 15.5);
    case 35: return Voltage(0xE00F, "HVDR", "High Voltage Reconnect", 14.0);
    case 40: return Voltage(0xE015, "LED G -> G/Y", "LED transition voltage, G to G/Y", 13.0);
    case 41: return Voltage(0xE016, "LED G/Y -> Y", "LED transition voltage, G/Y to Y", 12.5);
    case 42: return Voltage(0xE017, "LED Y -> Y/R", "LED transition voltage, Y to Y/R", 12.0);
    case 43: return Voltage(0xE018, "LED Y/R -> R", "LED transition voltage, Y/R to R", 11.5);
    case 50:
        return Number(0xE019, "Modbus ID", "Modbus ID", "", MODBUS_ADDRESS.lowest, MODBUS_ADDRESS.highest, 1);
    case 51:
        return Number(0xE01A, "Skelder ID", "Skelder ID", "", SKELDER_ADDRESS.lowest, SKELDER_ADDRESS.highest, 1);
    default: return VariablePtr();
    }
}

VariablePtr NetworkSetting(int id)
{
    switch (id)
    {
    case 52: return Flag(0x1517, 14, "DHCP enabled", "DHCP Enabled", true);
    case 53: return Ip(0x1501, "IP Address", "IP address", false, DEFAULT_IP_ADDRESS);
    case 54: return Ip(0x1503, "Subnet Mask", "IP subnet mask", true, "255.255.255.0");
    case 55: return Ip(0x1505, "Gateway", "IP Gateway", false, DEFAULT_GATEWAY);
    case 56: return Ip(0x1507, "Primary DNS Address", "Primary DNS address", false, DEFAULT_GATEWAY);
    case 57: return Ip(0x1509, "Secondary DNS Address", "Secondary DNS address", false, "0.0.0.0");
    case 58: return Number(0x151B, "HTTP TCP Port", "HTTP server TCP port", "", 1, 65535, 80);
    case 59: return Number(0x151C, "Modbus TCP Port", "Modbus TCP port", "", 1, 65535, 502);
    case 60: return Flag(0x151D, 0, "IP Bridging Enabled", "Bridge Modbus/TCP to serial", false);
    case 61: return Text(0x150F, 16, "Controller name", "Controller name", "VX-MPPT");
    case 62: return Flag(0x151F, 0, "Ethernet Power Save Mode", "Ethernet Power Save Mode", false);
    case 70: return Ip(0x1529, "SNMP Trap Receiver IP", "SNMP Trap Receiver IP", false, "0.0.0.0");
    case 71: return Text(0x16B0, 32, "SMTP server", "SMTP (outgoing mail) server", "");
    case 72: return Text(0x16C0, 32, "SMTP username", "SMTP (outgoing mail) server username", "");
    case 73:
        return boost::make_shared<CModbusVariable_Cstring_writeonly>(
            0x16F0, 32, "SMTP password", "SMTP (outgoing mail) server password", "");
    case 74:
        return Text(0x16D0, 64, "SMTP \"To\" email address", "SMTP (outgoing mail) \"To\" address", "");
    case 75: return Number(0x151E, "SNMP Trap Receiver port", "SNMP Trap Receiver port", "", 0, 65535, 162);
    default: return VariablePtr();
    }
}

// The members of one notification: the name and description after "Notif. n " and
// "Notification n ", and the member's register offset from the notification's first one.
struct NotificationMemberText
{
    const char* name;
    const char* description;
    unsigned registerOffset;
};

const NotificationMemberText NOTIFICATION_MEMBERS[] = {
    {"enabled", "enabled", 0},
    {"Modbus ID", "source Modbus ID", 1},
    {"Modbus PDU addr", "source variable PDU address", 2},
    {"compare value", "value to compare to", 3},
    {"compare type", "compare type", 4},
    {"over tresh. time", "seconds over threshold before notify sent", 5},
    {"reset time", "seconds under threshold before notify re-enabled", 6},
    {"ID", "identifier", 7},
    {"SMTP", "send via SMTP (email)", 0},
    {"SNMP", "send via SNMP", 0},
};

VariablePtr NotificationSetting(int id)
{
    const int offset = id - MPPT_SETTING_NOTIFICATION;
    if (offset < 0 || offset >= 20 * MPPT_NOTIFICATION_COUNT || offset % 20 > MPPT_NOTIFY_SNMP)
        return VariablePtr();
    const int n = offset / 20 + 1;
    const int member = offset % 20;
    const NotificationMemberText& texts = NOTIFICATION_MEMBERS[member];
    const unsigned address = NOTIFICATION_FIRST_REGISTER + NOTIFICATION_REGISTER_SPAN * (n - 1) +
                             texts.registerOffset;
    const std::string number = std::to_string(n);
    const std::string name = "Notif. " + number + " " + texts.name;
    const std::string description = "Notification " + number + " " + texts.description;
    const char* nameText = name.c_str();
    const char* descriptionText = description.c_str();

    switch (member)
    {
    case MPPT_NOTIFY_ENABLED: return Flag(address, 0, nameText, descriptionText, false);
    case MPPT_NOTIFY_SMTP: return Flag(address, 1, nameText, descriptionText, false);
    case MPPT_NOTIFY_SNMP: return Flag(address, 2, nameText, descriptionText, false);
    case MPPT_NOTIFY_SOURCE_MODBUS_ID:
    {
        // A controller's address (1..247), or 0 for none: this controller. Starts at 0.
        const boost::shared_ptr<CModbusVariable_uint16> source = boost::make_shared<CModbusVariable_uint16>(
            address, nameText, descriptionText, "", false, MODBUS_ADDRESS.lowest, MODBUS_ADDRESS.highest, 0);
        source->AcceptAlso(0);
        return source;
    }
    case MPPT_NOTIFY_PDU_ADDRESS: return Number(address, nameText, descriptionText, "", 0, 65535, 24);
    case MPPT_NOTIFY_COMPARE_VALUE: return Number(address, nameText, descriptionText, "", 0, 65535, 2093);
    case MPPT_NOTIFY_SECONDS_OVER:
    case MPPT_NOTIFY_RESET_SECONDS: return Number(address, nameText, descriptionText, "s", 0, 65535, 60);
    case MPPT_NOTIFY_COMPARE_TYPE:
        return boost::make_shared<CModbusVariable_Translated>(
            address, nameText, descriptionText, "", false, MPPT_COMPARE_TYPES,
            MPPT_COMPARE_TYPE_COUNT, "<");
    default:
        return Text(address, 16, nameText, descriptionText, ("notify" + number).c_str());
    }
}

VariablePtr LoggingSetting(EMpptModel model, int id)
{
    static const char* const LOG_TEXTS[6][2] = {
        {"Log Max Daily Va", "Log maximum daily array voltage"},
        {"Log Max Daily Pout", "Log maximum daily power out"},
        {"Log Daily Ah Charge", "Log maximum daily amp-hours charge"},
        {"Log Daily Wh Charge", "Log maximum daily watt-hours charge"},
        {"Log Daily Battery Temp.", "Log minimum and maximum daily battery temperatures"},
        {"Log Daily Regulation Times", "Log daily regulation times"},
    };
    if (id >= MPPT_SETTING_LOG_MAX_DAILY_VA && id <= MPPT_SETTING_LOG_DAILY_REGULATION_TIMES)
    {
        const int bit = id - MPPT_SETTING_LOG_MAX_DAILY_VA;
        return Flag(0xE022, bit, LOG_TEXTS[bit][0], LOG_TEXTS[bit][1], false);
    }
    if (id == MPPT_SETTING_MAX_BATTERY_CURRENT)
        return boost::make_shared<CModbusVariableScaled>(
            0xE01D, "Maximum Battery Current", "Maximum Battery Current Limit", "A", false, 0.0,
            60.0, 0.0, 2, CURRENT_SCALE);
    if (model == MPPT_MODEL_VARNIX_HV_MPPT)
        return VariablePtr();
    if (id == MPPT_SETTING_ARRAY_FIXED_TARGET)
        return boost::make_shared<CModbusVariableScaled>(
            0xE020, "Array Voltage Fixed Target", "Array Voltage Fixed Target", "V", false, 0.0,
            150.0, 0.0, 2, VOLTAGE_SCALE);
    if (id == MPPT_SETTING_ARRAY_PERCENT_VOC)
        return boost::make_shared<CModbusVariableScaled>(
            0xE021, "Array Voltage Percent of Voc Fixed Target",
            "Array Voltage Percent of Voc Fixed Target", "%", false, 0.0, 99.9, 0.0, 1,
            PERCENT_SCALE);
    return VariablePtr();
}

VariablePtr WindSetting(EMpptModel model, int id)
{
    const int voltagePoint = id - MPPT_SETTING_WIND_VOLTAGE + 1;
    if (voltagePoint >= 1 && voltagePoint <= MPPT_WIND_POINT_COUNT)
    {
        const std::string name = "Wind Setpoint " + std::to_string(voltagePoint) + " Voltage";
        return boost::make_shared<CModbusVariableScaled>(id + 0xDF57, name, name, "V", false,
                                                         0.0, 150.0, 0.0, 2, VOLTAGE_SCALE);
    }
    const int powerPoint = id - MPPT_SETTING_WIND_POWER + 1;
    if (powerPoint >= 1 && powerPoint <= MPPT_WIND_POINT_COUNT)
    {
        const std::string name = "Wind Setpoint " + std::to_string(powerPoint) + " Power";
        const bool hv = model == MPPT_MODEL_VARNIX_HV_MPPT;
        return boost::make_shared<CModbusVariableScaled>(id + 0xDF33, name, name, "W", false,
                                                         0.0, hv ? 150.0 : 7199.0, 0.0,
                                                         hv ? 2 : 1, WIND_POWER_SCALE);
    }
    return VariablePtr();
}
}

std::list<int> MpptSettingIds(EMpptModel model)
{
    std::list<int> ids;
    if (model == MPPT_MODEL_VARNIX_HV_MPPT)
        ids = {1, 5, 6, 7, 2, 3, 4, 8, 208, 9, 20, 21, 22, 30, 31, 32, 33, 34, 35, 40, 41, 42, 43};
    else
        ids = {1, 5, 7, 6, 2, 3, 4, 9, 20, 21, 22, 30, 31, 32, 33, 34, 35, 8, 208, 209, 210,
               40, 41, 42, 43};
    for (int id : {51, 50, 61, 52, 53, 54, 55, 56, 57, 58, 59, 60, 62, 71, 72, 73, 74, 70, 75})
        ids.push_back(id);
    for (int n = 1; n <= MPPT_NOTIFICATION_COUNT; ++n)
    {
        for (EMpptNotificationMember member :
             {MPPT_NOTIFY_ENABLED, MPPT_NOTIFY_IDENTIFIER, MPPT_NOTIFY_SOURCE_MODBUS_ID,
              MPPT_NOTIFY_PDU_ADDRESS, MPPT_NOTIFY_COMPARE_VALUE, MPPT_NOTIFY_COMPARE_TYPE,
              MPPT_NOTIFY_SECONDS_OVER, MPPT_NOTIFY_RESET_SECONDS, MPPT_NOTIFY_SMTP,
              MPPT_NOTIFY_SNMP})
            ids.push_back(MpptNotificationSetting(n, member));
    }
    for (int id = MPPT_SETTING_LOG_MAX_DAILY_VA; id <= MPPT_SETTING_LOG_DAILY_REGULATION_TIMES; ++id)
        ids.push_back(id);
    for (int point = 0; point < MPPT_WIND_POINT_COUNT; ++point)
    {
        ids.push_back(MPPT_SETTING_WIND_VOLTAGE + point);
        ids.push_back(MPPT_SETTING_WIND_POWER + point);
    }
    return ids;
}

VariablePtr MakeMpptSettingVariable(EMpptModel model, int id)
{
    if (id < 52)
        return ChargeSetting(id);
    if (id < MPPT_SETTING_NOTIFICATION)
        return NetworkSetting(id);
    if (id < MPPT_SETTING_LOG_MAX_DAILY_VA)
        return NotificationSetting(id);
    if (id < MPPT_SETTING_WIND_VOLTAGE)
        return LoggingSetting(model, id);
    return WindSetting(model, id);
}
