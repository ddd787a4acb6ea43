#include "wizards/framework/CorandelMpptDefaultSettings.h"

#include "wizards/framework/ControllerAddress.h"

namespace
{
// Engineering units per raw count.
const double VOLTS = 100.0 / 32768.0;
const double TEMP_COMP_VOLTS = -50.0 / 32768.0;
const double LOAD_OHMS = -0.6315 / 32768.0;
const double PERCENT = 50.0 / 32768.0;

const INT32 U16 = SETTING_RAW_UINT16;
const INT32 U8 = SETTING_RAW_UINT8;
const INT32 I8 = SETTING_RAW_INT8;
}

// Row order is the order of a new settings set and of the rows a file load appends. The
// lighting block (0xE02B to 0xE03F) holds packed configuration bytes and timer words; the
// settings class decodes them.
const SettingRow_t CORANDEL_MPPT_DEFAULT_SETTINGS[CORANDEL_MPPT_DEFAULT_SETTINGS_COUNT] = {
    SettingRow_t(0xE000, "Absorption Voltage", "Absorption voltage, bank 1", true, "V", VOLTS, 14.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE001, "Float Voltage", "Float voltage, bank 1", true, "V", VOLTS, 13.7, "%.2f", U16, nullptr),
    SettingRow_t(0xE002, "Time Before Float", "Time before entering float, bank 1", true, "s", 1, 3600, "%.0f", U16, nullptr),
    SettingRow_t(0xE004, "Float Low Battery Threshold", "Voltage that triggers low battery float time, bank 1", true, "V", VOLTS, 12.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE003, "Time Before Float (low battery)", "Time before entering float due to low battery, bank 1", true, "s", 1, 7200, "%.0f", U16, nullptr),
    SettingRow_t(0xE005, "Float Cancel Threshold", "Voltages that cancels float, bank 1", true, "V", VOLTS, 12.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE006, "Exit Float Timer", "Time before exiting float, bank 1", true, "s", 1, 3600, "%.0f", U16, nullptr),
    SettingRow_t(0xE007, "Equalize Voltage", "Equalize voltage @ 25 degC, bank 1", true, "V", VOLTS, 14.1, "%.2f", U16, nullptr),
    SettingRow_t(0xE008, "Days Between Equalize", "Days between equalize cycles, bank 1", true, "days", 1, 28, "%.0f", U8, nullptr),
    SettingRow_t(0xE00A, "Equalization Duration", "Equalize time limit above Vreg, bank 1", true, "s", 1, 3600, "%.0f", U16, nullptr),
    SettingRow_t(0xE009, "Equalize Timeout", "Equalize time limit at Vreg, bank 1", true, "s", 1, 10800, "%.0f", U16, nullptr),
    SettingRow_t(0xE00D, "Absorption Voltage", "Absorption voltage, bank 2", true, "V", VOLTS, 14.3, "%.2f", U16, nullptr),
    SettingRow_t(0xE00E, "Float Voltage", "Float voltage, bank 2", true, "V", VOLTS, 13.7, "%.2f", U16, nullptr),
    SettingRow_t(0xE00F, "Time Before Float", "Time before entering float, bank 2", true, "s", 1, 3600, "%.0f", U16, nullptr),
    SettingRow_t(0xE011, "Float Low Battery Threshold", "Voltage that triggers low battery float time, bank 2", true, "V", VOLTS, 12.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE010, "Time Before Float (low battery)", "Time before entering float due to low battery, bank 2", true, "s", 1, 7200, "%.0f", U16, nullptr),
    SettingRow_t(0xE012, "Float Cancel Threshold", "Voltages that cancels float, bank 2", true, "V", VOLTS, 12.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE013, "Exit Float Timer", "Time before exiting float, bank 2", true, "s", 1, 3600, "%.0f", U16, nullptr),
    SettingRow_t(0xE014, "Equalize Voltage", "Equalize voltage @ 25 degC, bank 2", true, "V", VOLTS, 14.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE015, "Days Between Equalize", "Days between equalize cycles, bank 2", true, "days", 1, 28, "%.0f", U8, nullptr),
    SettingRow_t(0xE017, "Equalization Duration", "Equalize time limit above Vreg, bank 2", true, "s", 1, 3600, "%.0f", U16, nullptr),
    SettingRow_t(0xE016, "Equalize Timeout", "Equalize time limit at Vreg, bank 2", true, "s", 1, 10800, "%.0f", U16, nullptr),
    SettingRow_t(0xE01A, "Temperature Compensation", "Temperature compensation", true, "V/degC", TEMP_COMP_VOLTS, -0.03, "%.3f", U16, nullptr),
    SettingRow_t(0xE01B, "Battery High Voltage Disconnect", "High Voltage Disconnect at 25 degC", true, "V", VOLTS, 15.3, "%.2f", U16, nullptr),
    SettingRow_t(0xE01C, "Battery High Voltage Reconnect", "High Voltage Reconnect", true, "V", VOLTS, 13.8, "%.2f", U16, nullptr),
    SettingRow_t(0xE01D, "Max. Regulation Limit", "Maximum charge reference", true, "V", VOLTS, 15.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE01E, "Max. Temperature Compensation", "Maximum battery temperature compensation limit", true, "degC", 1, 80, "%.0f", I8, nullptr),
    SettingRow_t(0xE01F, "Min. Temperature Compensation", "Minimum battery temperature compensation limit", true, "degC", 1, -30, "%.0f", I8, nullptr),
    SettingRow_t(0xE022, "Low Voltage Disconnect", "Low Voltage Disconnect", true, "V", VOLTS, 11.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE023, "Low Voltage Reconnect", "Low Voltage Reconnect", true, "V", VOLTS, 12.6, "%.2f", U16, nullptr),
    SettingRow_t(0xE024, "Load High Voltage Disconnect", "Load High Voltage Disconnect", true, "V", VOLTS, 0.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE025, "Load High Voltage Reconnect", "Load High Voltage Reconnect", true, "V", VOLTS, 0.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE026, "Load Current Compensation", "LVD Load Current Compensation", true, "ohm", LOAD_OHMS, -0.02, "%.3f", U16, nullptr),
    // Counted in tenths of a second.
    SettingRow_t(0xE027, "LVD Warning Timeout", "LVD Warning Timeout", true, "s", 0.1, 300, "%.1f", U16, nullptr),
    SettingRow_t(0xE031, "LED Green to Yellow Threshold", "LED Green to Yellow Limit", true, "V", VOLTS, 12.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE032, "LED Yellow to Red Threshold", "LED Yellow to Red Limit", true, "V", VOLTS, 11.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE033, "LED Red to Yellow Threshold", "LED Red to Yellow Limit", true, "V", VOLTS, 12.5, "%.2f", U16, nullptr),
    SettingRow_t(0xE030, "LED Yellow to Green Threshold", "LED Yellow to Green Limit", true, "V", VOLTS, 13.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE035, "Skelder ID", "Skelder ID (address)", true, "", 1, 1, "%.0f", U8, nullptr, &SKELDER_ADDRESS),
    SettingRow_t(0xE034, "MODBUS ID", "MODBUS ID (address)", true, "", 1, 1, "%.0f", U8, nullptr, &MODBUS_ADDRESS),
    SettingRow_t(0xE028, "Lighting Enabled", "", true, "", 1, 0, "%.0f", U16, nullptr),
    SettingRow_t(0xE029, "Va sunrise threshold", "", true, "%", PERCENT, 53, "%.1f", U16, nullptr),
    SettingRow_t(0xE02A, "Va sunset threshold", "", true, "%", PERCENT, 42, "%.1f", U16, nullptr),
    // Channel 0's configuration in the low byte, channel 1's in the high byte.
    SettingRow_t(0xE02B, "Lighting chan 0 config", "", true, "", 1, 18504, "%.0f", U16, nullptr),
    SettingRow_t(0xE02C, "Lighting chan 0 timers", "", true, "min", 1, 16264, "%.0f", U16, nullptr),
    SettingRow_t(0xE02D, "Lighting chan 1 config", "", true, "min", 1, 0, "%.0f", U16, nullptr),
    SettingRow_t(0xE02E, "Lighting chan 1 timers", "", true, "min", 1, 32768, "%.0f", U16, nullptr),
    SettingRow_t(0xE02F, "Lighting chan 1 timer 1", "", true, "min", 1, 32888, "%.0f", U16, nullptr),
    SettingRow_t(0xE03B, "Lighting chan 2 config", "", true, "", 1, 0, "%.0f", U16, nullptr),
    SettingRow_t(0xE03C, "Lighting chan 2 timers", "", true, "min", 1, 16264, "%.0f", U16, nullptr),
    SettingRow_t(0xE03D, "Lighting chan 3 config", "", true, "min", 1, 0, "%.0f", U16, nullptr),
    SettingRow_t(0xE03E, "Lighting chan 3 timers", "", true, "min", 1, 32768, "%.0f", U16, nullptr),
    SettingRow_t(0xE03F, "Lighting chan 3 timer 1", "", true, "min", 1, 32888, "%.0f", U16, nullptr),
    SettingRow_t(0x0000, "", "", false, "", 0, 0, "", U16, nullptr),
};
