#include "wizards/framework/CorandelDuoDefaultSettings.h"

#include "wizards/framework/ControllerAddress.h"

namespace
{
// Volts (and volts per degree) per raw count, and percent of charge per count.
const double VOLTS = 1.0 / 1800.0;
const double PRIORITY_PERCENT = 100.0 / 417.0;

const INT32 U16 = SETTING_RAW_UINT16;
}

// Table order is the order of the store, of its archive and of the .qcrduo file. Within a
// set the registers run absorption, equalize, float, max. regulation, time until float,
// equalize duration; the rows list float before equalize.
const SettingRow_t CORANDEL_DUO_DEFAULT_SETTINGS[CORANDEL_DUO_DEFAULT_SETTINGS_COUNT] = {
    SettingRow_t(0xE000, "Skelder ID", "Skelder ID (address)", true, "", 1, 1, "%.0f", U16, nullptr, &SKELDER_ADDRESS),
    SettingRow_t(0xE001, "MODBUS ID", "MODBUS ID (address)", true, "", 1, 1, "%.0f", U16, nullptr, &MODBUS_ADDRESS),
    SettingRow_t(0xE006, "Absorption", "Absorption voltage, battery 1, DIP1 OFF", true, "V", VOLTS, 14.1, "%.2f", U16, nullptr),
    SettingRow_t(0xE00C, "Absorption", "Absorption voltage, battery 1, DIP1 ON", true, "V", VOLTS, 14.4, "%.2f", U16, nullptr),
    SettingRow_t(0xE008, "Float", "Float voltage, battery 1, DIP1 OFF", true, "V", VOLTS, 13.7, "%.2f", U16, nullptr),
    SettingRow_t(0xE00E, "Float", "Float voltage, battery 1, DIP1 ON", true, "V", VOLTS, 13.7, "%.2f", U16, nullptr),
    SettingRow_t(0xE007, "Equalize", "Equalize voltage, battery 1, DIP1 OFF", true, "V", VOLTS, 0.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE00D, "Equalize", "Equalize voltage, battery 1, DIP1 ON", true, "V", VOLTS, 14.65, "%.2f", U16, nullptr),
    SettingRow_t(0xE009, "Max. Regulation", "Maximum regulation voltage, battery 1, DIP1 OFF", true, "V", VOLTS, 15.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE00F, "Max. Regulation", "Maximum regulation voltage, battery 1, DIP1 ON", true, "V", VOLTS, 15.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE00A, "Time Until Float", "Time until float, battery 1, DIP1 OFF", true, "min", 1, 60, "%.0f", U16, nullptr),
    SettingRow_t(0xE010, "Time Until Float", "Time until float, battery 1, DIP1 ON", true, "min", 1, 120, "%.0f", U16, nullptr),
    SettingRow_t(0xE00B, "Equalize Duration", "Equalize duration, battery 1, DIP1 OFF", true, "min", 1, 0, "%.0f", U16, nullptr),
    SettingRow_t(0xE011, "Equalize Duration", "Equalize duration, battery 1, DIP1 ON", true, "min", 1, 180, "%.0f", U16, nullptr),
    SettingRow_t(0xE012, "Absorption", "Absorption voltage, battery 2, DIP1 OFF", true, "V", VOLTS, 14.1, "%.2f", U16, nullptr),
    SettingRow_t(0xE018, "Absorption", "Absorption voltage, battery 2, DIP1 ON", true, "V", VOLTS, 14.4, "%.2f", U16, nullptr),
    SettingRow_t(0xE014, "Float", "Float voltage, battery 2, DIP1 OFF", true, "V", VOLTS, 13.7, "%.2f", U16, nullptr),
    SettingRow_t(0xE01A, "Float", "Float voltage, battery 2, DIP1 ON", true, "V", VOLTS, 13.7, "%.2f", U16, nullptr),
    SettingRow_t(0xE013, "Equalize", "Equalize voltage, battery 2, DIP1 OFF", true, "V", VOLTS, 0.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE019, "Equalize", "Equalize voltage, battery 2, DIP1 ON", true, "V", VOLTS, 14.65, "%.2f", U16, nullptr),
    SettingRow_t(0xE015, "Max. Regulation", "Maximum regulation voltage, battery 2, DIP1 OFF", true, "V", VOLTS, 15.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE01B, "Max. Regulation", "Maximum regulation voltage, battery 2, DIP1 ON", true, "V", VOLTS, 15.0, "%.2f", U16, nullptr),
    SettingRow_t(0xE016, "Time Until Float", "Time until float, battery 2, DIP1 OFF", true, "min", 1, 60, "%.0f", U16, nullptr),
    SettingRow_t(0xE01C, "Time Until Float", "Time until float, battery 2, DIP1 ON", true, "min", 1, 120, "%.0f", U16, nullptr),
    SettingRow_t(0xE017, "Equalize Duration", "Equalize duration, battery 2, DIP1 OFF", true, "min", 1, 0, "%.0f", U16, nullptr),
    SettingRow_t(0xE01D, "Equalize Duration", "Equalize duration, battery 2, DIP1 ON", true, "min", 1, 180, "%.0f", U16, nullptr),
    SettingRow_t(0xE002, "Charging Priority", "Charging priority, battery 1, DIP1 OFF", true, "%", PRIORITY_PERCENT, 50, "%.0f", U16, nullptr),
    SettingRow_t(0xE003, "Charging Priority", "Charging priority, battery 1, DIP1 ON", true, "%", PRIORITY_PERCENT, 90, "%.0f", U16, nullptr),
    SettingRow_t(0xE004, "Temperature Compensation", "Temperature Compensation", true, "V/degC", VOLTS, 0.03, "%.3f", U16, nullptr),
    SettingRow_t(0x0000, "", "", false, "", 0, 0, "", U16, nullptr),
};
