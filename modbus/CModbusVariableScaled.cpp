#include "modbus/CModbusVariableScaled.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

CModbusVariableScaled::CModbusVariableScaled(unsigned address, const char* name,
                                             const char* description, const char* units,
                                             bool flag, double minimum, double maximum,
                                             double defaultValue, unsigned precision,
                                             double scale)
    : CModbusVariable(address, name, description, units, flag), m_min(minimum), m_max(maximum),
      m_scale(scale), m_precision(precision)
{
    SetFromDouble(defaultValue);
}

CModbusVariableScaled::CModbusVariableScaled(unsigned address, const std::string& name,
                                             const std::string& description,
                                             const std::string& units, bool flag, double minimum,
                                             double maximum, double defaultValue,
                                             unsigned precision, double scale)
    : CModbusVariable(address, name, description, units, flag), m_min(minimum), m_max(maximum),
      m_scale(scale), m_precision(precision)
{
    SetFromDouble(defaultValue);
}

std::string CModbusVariableScaled::FormatFixed(double value, unsigned precision)
{
    char text[128];
    std::snprintf(text, sizeof text, "%.*f", static_cast<int>(precision), value);
    return text;
}

std::string CModbusVariableScaled::ToString(double multiplier) const
{
    return FormatFixed(AsDouble() * multiplier, m_precision);
}

std::string CModbusVariableScaled::ToString() const
{
    return FormatFixed(AsDouble(), m_precision);
}

void CModbusVariableScaled::FromString(const char* text)
{
    SetFromDouble(ParseNumber<double>(text));
}

double CModbusVariableScaled::AsDouble() const
{
    return FirstWord() * m_scale;
}

void CModbusVariableScaled::SetFromDouble(double value)
{
    if (value < m_min)
        RaiseTooLow();
    if (value > m_max)
        RaiseTooHigh();
    const long long raw = std::llround(value / m_scale);
    SetFirstWord(static_cast<WORD>(raw & 0xFFFF));
}

void CModbusVariableScaled::CheckLimits() const
{
    // The counts SetFromDouble stores for min and max bound the ones it can store; a
    // negative scale turns them round, and a range below zero keeps its counts as
    // 16-bit two's complement words.
    const long long fromMin = std::llround(m_min / m_scale);
    const long long fromMax = std::llround(m_max / m_scale);
    const long long word = std::min(fromMin, fromMax) < 0 ? static_cast<short>(FirstWord()) : FirstWord();
    if (word < std::min(fromMin, fromMax))
        m_scale > 0 ? RaiseTooLow() : RaiseTooHigh();
    if (word > std::max(fromMin, fromMax))
        m_scale > 0 ? RaiseTooHigh() : RaiseTooLow();
}

void CModbusVariableScaled::RaiseTooLow() const
{
    RaiseRangeError("is too low (must be at least " + FormatFixed(m_min, m_precision) + ")");
}

void CModbusVariableScaled::RaiseTooHigh() const
{
    RaiseRangeError("is too high (must be no more than " + FormatFixed(m_max, m_precision) + ")");
}

boost::shared_ptr<CModbusVariable> CModbusVariableScaled::Clone() const
{
    return boost::make_shared<CModbusVariableScaled>(*this);
}
