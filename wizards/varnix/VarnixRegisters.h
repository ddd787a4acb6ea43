// The Varnix setpoint registers the wizard pages edit (the rows of the Varnix default
// table), and the hours-minutes-seconds entries of their times.
#pragma once
#include "framework/FrameworkBase.h"

namespace varnix_registers
{
const UINT32 REG_REGULATION = 0xE000;
const UINT32 REG_FLOAT = 0xE001;
const UINT32 REG_TIME_BEFORE_FLOAT = 0xE002;
const UINT32 REG_LOW_BATTERY_TIME = 0xE003;
const UINT32 REG_LOW_BATTERY_VOLTAGE = 0xE004;
const UINT32 REG_CANCEL_FLOAT = 0xE005;
const UINT32 REG_EQUALIZE = 0xE006;
const UINT32 REG_EQUALIZE_DAYS = 0xE007;
const UINT32 REG_EQUALIZE_TIMEOUT = 0xE008;
const UINT32 REG_EQUALIZE_DURATION = 0xE009;
const UINT32 REG_TEMP_COMP = 0xE00A;
const UINT32 REG_HVD = 0xE00B;
const UINT32 REG_HVDR = 0xE00C;
const UINT32 REG_FLOAT_TIMEOUT = 0xE00E;
const UINT32 REG_LVD = 0xE00F;
const UINT32 REG_LVR = 0xE010;
const UINT32 REG_LOAD_HVD = 0xE011;
const UINT32 REG_LOAD_HVR = 0xE012;
const UINT32 REG_LOAD_COMPENSATION = 0xE013;
const UINT32 REG_LVD_WARNING = 0xE014;
const UINT32 REG_TIMER_1 = 0xE015;
const UINT32 REG_TIMER_2 = 0xE016;
const UINT32 REG_LIGHTING_BITS = 0xE017;
const UINT32 REG_DUSK = 0xE018;
const UINT32 REG_DAWN = 0xE019;
const UINT32 REG_EXPECTED_DAWN = 0xE01A;
const UINT32 REG_LED_FIRST = 0xE01B;
const UINT32 REG_TEMP_COMP_HI = 0xE01F;
const UINT32 REG_TEMP_COMP_LO = 0xE020;
const UINT32 REG_BATTERY_SERVICE = 0xE022;
const UINT32 REG_FLOAT_PWM = 0xE041;
const UINT32 REG_REGULATION_METHOD = 0xE042;
}

// The longest time the setpoint registers hold, in seconds (18 h 12 m 15 s).
const long MAX_REGISTER_SECONDS = 65535;

// A time entered as hours, minutes and seconds.
struct VarnixTimeEntry
{
    int hours = 0;
    int minutes = 0;
    int seconds = 0;

    long TotalSeconds() const { return hours * 3600L + minutes * 60L + seconds; }
    // From a stored time in seconds (rounded to whole seconds).
    void SetSeconds(double value)
    {
        const long total = static_cast<long>(value + 0.5);
        hours = static_cast<int>(total / 3600);
        minutes = static_cast<int>(total % 3600 / 60);
        seconds = static_cast<int>(total % 60);
    }
};
