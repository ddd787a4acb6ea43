#include "modbus/CModbusVariable_uint16.h"

#include <boost/make_shared.hpp>

CModbusVariable_uint16::CModbusVariable_uint16(unsigned address, const char* name,
                                               const char* description, const char* units,
                                               bool flag, WORD minimum, WORD maximum,
                                               WORD defaultValue)
    : CModbusVariable(address, name, description, units, flag), m_min(minimum), m_max(maximum),
      m_alsoAccepted(-1)
{
    SetFirstWord(defaultValue);
}

std::string CModbusVariable_uint16::ToString() const
{
    return std::to_string(FirstWord());
}

void CModbusVariable_uint16::FromString(const char* text)
{
    // The stream would wrap "-1" round to 65535.
    const char* first = text ? text : "";
    while (*first == ' ' || (*first >= '\t' && *first <= '\r'))
        ++first;
    if (*first == '-')
        RaiseRangeError("is not a number");
    // Parsed completely before anything is stored, so "12abc" leaves the value alone.
    const unsigned short value = ParseNumber<unsigned short>(first);
    CheckValue(value);
    SetFirstWord(value);
}

void CModbusVariable_uint16::CheckLimits() const
{
    CheckValue(FirstWord());
}

void CModbusVariable_uint16::CheckValue(unsigned long value) const
{
    if (static_cast<long>(value) == m_alsoAccepted)
        return;
    if (value < m_min)
        RaiseRangeError("is too low (must be at least " + std::to_string(m_min) + ")");
    if (value > m_max)
        RaiseRangeError("is too high (must be no more than " + std::to_string(m_max) + ")");
}

boost::shared_ptr<CModbusVariable> CModbusVariable_uint16::Clone() const
{
    return boost::make_shared<CModbusVariable_uint16>(*this);
}
