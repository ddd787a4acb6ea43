// Factory setpoints of the Varnix controller's EEPROM (holding registers 0xE000 and up),
// in register order and closed by an end row whose register is 0.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/SettingRow_t.h"

// 39 setpoint rows and the end row.
const int VARNIX_DEFAULT_SETTINGS_COUNT = 40;

extern const SettingRow_t VARNIX_DEFAULT_SETTINGS[VARNIX_DEFAULT_SETTINGS_COUNT];
