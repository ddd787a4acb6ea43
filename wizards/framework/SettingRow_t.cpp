#include "wizards/framework/SettingRow_t.h"

#include "wizards/framework/ControllerAddress.h"

#include <algorithm>
#include <cmath>
#include <limits>

CString FormatDurationHms(double value)
{
    // Truncation, not rounding: 59.9 s is still under a minute.
    const long long seconds = static_cast<long long>(value);
    const int hours = static_cast<int>(seconds / 3600);
    const int minutes = static_cast<int>((seconds / 60) % 60);
    const int rest = static_cast<int>(seconds % 60);
    CString text;
    if (hours != 0)
        text.Format("%ih:%02im:%02is", hours, minutes, rest);
    else
        text.Format("%im:%02is", minutes, rest);
    return text;
}

SettingRow_t::SettingRow_t()
    : raw(0), registerAddress(0), flag(false), scale(1.0), defaultValue(0.0), modified(false),
      format("%.2f"), rawType(SETTING_RAW_UINT16), formatter(nullptr), busAddress(nullptr)
{
}

SettingRow_t::SettingRow_t(UINT32 registerAddress_, LPCTSTR shortName_, LPCTSTR description_,
                           bool flag_, LPCTSTR unit_, double scale_, double defaultValue_,
                           LPCTSTR format_, INT32 rawType_, SettingFormatter_t formatter_,
                           const ControllerAddress_t* busAddress_)
    : raw(ValueToRaw(defaultValue_, scale_)), registerAddress(registerAddress_),
      description(description_), shortName(shortName_), flag(flag_), unit(unit_), scale(scale_),
      defaultValue(defaultValue_), modified(false), format(format_), rawType(rawType_),
      formatter(formatter_), busAddress(busAddress_)
{
}

void SettingRow_t::SetValue(double value)
{
    raw = ValueToRaw(value, scale);
}

INT32 SettingRow_t::ValueToRaw(double value, double scale)
{
    // The end row of a table has scale 0; a file can hold any scale. Neither may turn
    // into an undefined conversion.
    if (scale == 0.0)
        return 0;
    const double rounded = std::round(value / scale);   // halves go away from zero
    if (std::isnan(rounded))
        return 0;
    if (rounded >= static_cast<double>(std::numeric_limits<INT32>::max()))
        return std::numeric_limits<INT32>::max();
    if (rounded <= static_cast<double>(std::numeric_limits<INT32>::min()))
        return std::numeric_limits<INT32>::min();
    return static_cast<INT32>(rounded);
}

INT32 SettingRow_t::GetRawMinimum() const
{
    switch (rawType)
    {
    case SETTING_RAW_INT8:
        return -128;
    case SETTING_RAW_INT16:
        return -32768;
    default:
        return 0;
    }
}

INT32 SettingRow_t::GetRawMaximum() const
{
    switch (rawType)
    {
    case SETTING_RAW_INT8:
        return 127;
    case SETTING_RAW_UINT8:
        return 255;
    case SETTING_RAW_INT16:
        return 32767;
    default:
        return 65535;
    }
}

bool SettingRow_t::RawFits(INT32 rawValue) const
{
    return rawValue >= GetRawMinimum() && rawValue <= GetRawMaximum();
}

bool SettingRow_t::FileRawFits(INT32 rawValue) const
{
    switch (rawType)
    {
    case SETTING_RAW_INT8:
    case SETTING_RAW_UINT8:
        return RawFits(rawValue);
    default:
        return rawValue >= -32768 && rawValue <= 65535;
    }
}

double SettingRow_t::GetMinimumValue() const
{
    // + 0.0 turns the -0.0 of a zero count at a negative scale into 0.
    return std::min(GetRawMinimum() * scale, GetRawMaximum() * scale) + 0.0;
}

double SettingRow_t::GetMaximumValue() const
{
    return std::max(GetRawMinimum() * scale, GetRawMaximum() * scale) + 0.0;
}

INT32 SettingRow_t::RawFromWord(INT32 word) const
{
    switch (rawType)
    {
    case SETTING_RAW_INT8:
        return static_cast<signed char>(word & 0xFF);
    case SETTING_RAW_INT16:
        return static_cast<short>(word & 0xFFFF);
    default:
        return word;
    }
}

std::string SettingRow_t::AddressRefusal() const
{
    if (busAddress == nullptr)
        return std::string();
    const long long value = std::llround(raw * scale);
    return busAddress->Holds(value) ? std::string() : busAddress->Refusal(value);
}
