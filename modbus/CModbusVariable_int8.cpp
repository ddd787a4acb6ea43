#include "modbus/CModbusVariable_int8.h"

#include <boost/make_shared.hpp>

CModbusVariable_int8::CModbusVariable_int8(unsigned address, const char* name,
                                           const char* description, const char* units, bool flag,
                                           signed char minimum, signed char maximum,
                                           signed char defaultValue)
    : CModbusVariable(address, name, description, units, flag), m_min(minimum), m_max(maximum)
{
    Store(defaultValue);
}

std::string CModbusVariable_int8::ToString() const
{
    return std::to_string(static_cast<int>(GetValue()));
}

void CModbusVariable_int8::FromString(const char* text)
{
    const int value = ParseNumber<int>(text);
    if (value < -128)
        RaiseRangeError("is too small for a single byte (can be no less than -128)");
    if (value > 127)
        RaiseRangeError("is too large for a single byte (can be no greater than 127)");
    CheckValue(value);
    Store(value);
}

void CModbusVariable_int8::CheckLimits() const
{
    CheckValue(GetValue());
}

void CModbusVariable_int8::CheckValue(int value) const
{
    if (value < m_min)
        RaiseRangeError("is too low (must be at least " + std::to_string(m_min) + ")");
    if (value > m_max)
        RaiseRangeError("is too high (must be no more than " + std::to_string(m_max) + ")");
}

void CModbusVariable_int8::SetFromRegisterImage(const WORD* image)
{
    Store(static_cast<signed char>(image[GetAddress() & 0xFFFF] & 0xFF));
}

double CModbusVariable_int8::AsDouble() const
{
    return GetValue();
}

bool CModbusVariable_int8::HoldsFileValue(unsigned long long number) const
{
    return number <= 0xFF || (number >= 0xFF80 && number <= 0xFFFF);
}

boost::shared_ptr<CModbusVariable> CModbusVariable_int8::Clone() const
{
    return boost::make_shared<CModbusVariable_int8>(*this);
}
