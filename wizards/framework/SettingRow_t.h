// One setpoint of a controller's EEPROM as the settings stores keep it: the register it
// lives in, its texts, and how its raw register word maps to an engineering value.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

#include <string>

struct ControllerAddress_t;

// How the register word maps to the raw value.
enum
{
    SETTING_RAW_INT8 = 0,    // low byte, sign-extended
    SETTING_RAW_UINT16 = 1,
    SETTING_RAW_UINT8 = 2,
    SETTING_RAW_INT16 = 3    // the whole word, sign-extended
};

// Text of an engineering value, used instead of the printf format where set.
typedef CString (*SettingFormatter_t)(double value);

// "1h:02m:05s" or "0m:59s"; the value is taken in whole seconds.
CString FormatDurationHms(double value);

struct SettingRow_t
{
    SettingRow_t();
    SettingRow_t(UINT32 registerAddress, LPCTSTR shortName, LPCTSTR description, bool flag,
                 LPCTSTR unit, double scale, double defaultValue, LPCTSTR format, INT32 rawType,
                 SettingFormatter_t formatter, const ControllerAddress_t* busAddress = nullptr);

    // Sets raw from an engineering value.
    void SetValue(double value);

    // value / scale rounded half away from zero; 0 for a zero scale, clamped to 32 bits.
    static INT32 ValueToRaw(double value, double scale);

    // The raw values the register can hold for this row's raw type.
    INT32 GetRawMinimum() const;
    INT32 GetRawMaximum() const;
    bool RawFits(INT32 rawValue) const;
    // Whether a setpoint file's raw value is one this row's register can hold: a one-byte
    // row only its own byte range; a 16-bit row either reading of its word, since files
    // keep signed timers both as negative counts and as the device's unsigned word.
    bool FileRawFits(INT32 rawValue) const;
    // The engineering values of the register's lowest and highest raw value, the smaller
    // one first (a negative scale turns the range round).
    double GetMinimumValue() const;
    double GetMaximumValue() const;
    // The raw value that a word read from the device means: an INT8 row takes the low
    // byte and an INT16 row the whole word, sign-extended; other rows the value as it is.
    INT32 RawFromWord(INT32 word) const;
    // The register word that programs the raw value.
    WORD RawToWord() const { return static_cast<WORD>(raw & 0xFFFF); }
    // For a row holding one of the controller's bus addresses, what refuses its value;
    // empty within the address's range and for every other row.
    std::string AddressRefusal() const;

    INT32 raw;                   // engineering value = raw * scale
    UINT32 registerAddress;      // 0 marks the end row of a default table
    CString description;
    CString shortName;
    bool flag;                   // a setpoint the user edits (false for counters and the end row)
    CString unit;
    double scale;
    double defaultValue;
    bool modified;
    CString format;
    INT32 rawType;
    SettingFormatter_t formatter;
    const ControllerAddress_t* busAddress;   // the bus address the row holds, if any
};
