// Factory setpoints of the Corandel Duo's EEPROM: two charging sets (DIP switch OFF and
// ON) per battery, the charging priority, the temperature compensation and the two bus
// addresses, closed by an end row whose register is 0.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/SettingRow_t.h"

// 29 setpoint rows and the end row.
const int CORANDEL_DUO_DEFAULT_SETTINGS_COUNT = 30;

extern const SettingRow_t CORANDEL_DUO_DEFAULT_SETTINGS[CORANDEL_DUO_DEFAULT_SETTINGS_COUNT];
