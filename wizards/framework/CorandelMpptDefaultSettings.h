// Factory setpoints of the Corandel MPPT's EEPROM: the charge settings of two battery
// banks, the shared charge, load, LED and address settings and the packed lighting block,
// closed by an end row whose register is 0.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/SettingRow_t.h"

// 53 setpoint rows and the end row.
const int CORANDEL_MPPT_DEFAULT_SETTINGS_COUNT = 54;

extern const SettingRow_t CORANDEL_MPPT_DEFAULT_SETTINGS[CORANDEL_MPPT_DEFAULT_SETTINGS_COUNT];
