#include "wizards/framework/VarnixDefaultSettings.h"

#include "wizards/framework/ControllerAddress.h"

namespace
{
// Engineering units per raw count of the controller's measurement channels.
const double BATTERY_VOLTS = 96.667 / 32768.0;
const double TEMP_COMP_VOLTS = -96.667 / 65536.0;
const double ARRAY_VOLTS = 139.15 / 32768.0;
const double LOAD_OHMS = 0.305 / 65536.0;
const double PWM_PERCENT = 100.0 / 256.0;

const INT32 U16 = SETTING_RAW_UINT16;
const INT32 I8 = SETTING_RAW_INT8;
const INT32 I16 = SETTING_RAW_INT16;
}

const SettingRow_t VARNIX_DEFAULT_SETTINGS[VARNIX_DEFAULT_SETTINGS_COUNT] = {
    SettingRow_t(0xE000, "Regulation", "Regulation voltage at 25 deg C", true, "V", BATTERY_VOLTS, 14.1, "%.2f", U16, nullptr),
    SettingRow_t(0xE001, "Float Voltage", "Float voltage at 25 deg C (zero to disable)", true, "V", BATTERY_VOLTS, 13.7, "%.2f", U16, nullptr),
    SettingRow_t(0xE002, "Time Before Float", "Time before entering float", true, "s", 1, 3600, "", U16, FormatDurationHms),
    SettingRow_t(0xE003, "Time Before Float (Low Battery)", "Time before entering float due to low battery", true, "s", 1, 7200, "", U16, FormatDurationHms),
    SettingRow_t(0xE004, "Float Low Battery Voltage", "Voltage that triggers low battery float time", true, "V", BATTERY_VOLTS, 12.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE005, "Cancel Float Voltage", "Voltage that cancels float", true, "V", BATTERY_VOLTS, 11.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE006, "Equalize Voltage", "Equalize voltage at 25 deg C (zero to disable)", true, "V", BATTERY_VOLTS, 15.1, "%.2f", U16, nullptr),
    SettingRow_t(0xE007, "Days Between Equalize", "Days between equalize cycles", true, "day", 1, 28, "%.0f", U16, nullptr),
    SettingRow_t(0xE008, "Equalize Timeout", "Equalize time limit above regulation voltage", true, "s", 1, 10800, "", U16, FormatDurationHms),
    SettingRow_t(0xE009, "Equalize Duration", "Equalize time limit at equalize voltage", true, "s", 1, 3600, "", U16, FormatDurationHms),
    SettingRow_t(0xE00A, "Temperature Compensation", "Temperature compensation", true, "V", TEMP_COMP_VOLTS, -0.03, "%05.3f", U16, nullptr),
    SettingRow_t(0xE00B, "HVD", "High voltage disconnect at 25 deg C (zero to disable)", true, "V", BATTERY_VOLTS, 15.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE00C, "HVDR", "High voltage reconnect", true, "V", BATTERY_VOLTS, 14, "%.2f", U16, nullptr),
    // A counter kept by the controller; its negative scale is what the device expects.
    SettingRow_t(0xE00D, "Last Equalize", "Days since last equalize", false, "days", -255.0, 0, "%.0f", U16, nullptr),
    SettingRow_t(0xE00E, "Float Timeout", "Exit float cumulative timer", true, "s", 1, 3600, "", U16, FormatDurationHms),
    SettingRow_t(0xE00F, "Low Voltage Disconnect", "Low voltage disconnect", true, "V", BATTERY_VOLTS, 11.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE010, "Low Voltage Reconnect", "Low voltage reconnect", true, "V", BATTERY_VOLTS, 12.6, "%.2f", U16, nullptr),
    SettingRow_t(0xE011, "Load High Voltage Disconnect", "Load high voltage disconnect (zero to disable)", true, "V", BATTERY_VOLTS, 0, "%.2f", U16, nullptr),
    SettingRow_t(0xE012, "Load High Voltage Reconnect", "Load high voltage reconnect", true, "V", BATTERY_VOLTS, 0, "%.2f", U16, nullptr),
    SettingRow_t(0xE013, "Load Current Compensation", "Load current compensation", true, "ohm", LOAD_OHMS, 0.02, "%05.3f", U16, nullptr),
    // Counted in tenths of a second.
    SettingRow_t(0xE014, "LVD Warning Period", "LVD warning timeout", true, "sec", 0.1, 300, "", U16, FormatDurationHms),
    // Signed seconds from dusk or dawn despite the unit text ("before" is negative): the
    // word is sign-extended, so that a programmed "before" reads back as one.
    SettingRow_t(0xE015, "Lighting Timer 1", "Lighting Timer 1", true, "min", 1, 3600, "%.0f", I16, nullptr),
    SettingRow_t(0xE016, "Lighting Timer 2", "Lighting Timer 2", true, "min", 1, 3600, "%.0f", I16, nullptr),
    SettingRow_t(0xE017, "Lighting Bit Field", "Lighting configuration bits", true, "", 1, 255, "%.0f", U16, nullptr),
    SettingRow_t(0xE018, "Dusk Threshold", "Night time threshold - array Voc", true, "V", ARRAY_VOLTS, 8, "%.2f", U16, nullptr),
    SettingRow_t(0xE019, "Dawn Threshold", "Morning threshold for timing - array Voc", true, "V", ARRAY_VOLTS, 10, "%.2f", U16, nullptr),
    SettingRow_t(0xE01A, "Expected Dawn Threshold", "Morning threshold for lighting - array Voc", true, "V", ARRAY_VOLTS, 7, "%.2f", U16, nullptr),
    SettingRow_t(0xE01B, "G -> G/Y", "LED green to green/yellow limit", true, "V", BATTERY_VOLTS, 13, "%.2f", U16, nullptr),
    SettingRow_t(0xE01C, "G/Y -> Y", "LED green/yellow to yellow limit", true, "V", BATTERY_VOLTS, 12.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE01D, "Y -> Y/R", "LED yellow to yellow/red limit", true, "V", BATTERY_VOLTS, 12, "%.2f", U16, nullptr),
    SettingRow_t(0xE01E, "Y/R -> R blink", "LED yellow/red to red limit", true, "V", BATTERY_VOLTS, 11.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE01F, "Temp Comp Hi", "Max battery temp compensation limit", true, "deg C", 1, 80, "%.0f", I8, nullptr),
    SettingRow_t(0xE020, "Temp Comp Lo", "Min battery temp compensation limit", true, "deg C", 1, -40, "%.0f", I8, nullptr),
    SettingRow_t(0xE021, "Server ID", "Modbus Varnix server ID", true, "", 1, 1, "%.0f", U16, nullptr, &MODBUS_ADDRESS),
    SettingRow_t(0xE022, "Battery Service", "Time between battery service intervals", true, "days", 1, 60, "%.0f", U16, nullptr),
    SettingRow_t(0xE023, "Last Battery Service", "Time since last battery service", false, "days", 1, 0, "%.0f", U16, nullptr),
    SettingRow_t(0xE040, "Skelder ID", "", true, "", 1, 1, "%.0f", U16, nullptr, &SKELDER_ADDRESS),
    SettingRow_t(0xE041, "Float PWM Threshold", "", true, "%", PWM_PERCENT, 30, "%.0f", U16, nullptr),
    SettingRow_t(0xE042, "Regulation Method", "", true, "", 1, 0, "%.0f", U16, nullptr),
    SettingRow_t(0x0000, "", "", false, "", 0, 0, "", U16, nullptr),
};
