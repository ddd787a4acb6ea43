#include "modbus/CModbusVariable_Cstring.h"

#include <boost/make_shared.hpp>

#include <cstring>
#include <stdexcept>

CModbusVariable_Cstring::CModbusVariable_Cstring(unsigned address, unsigned maxLength,
                                                 const char* name, const char* description,
                                                 bool flag, const char* defaultText)
    : CModbusVariable(address, name, description, "", flag)
{
    for (unsigned count = 1; count < (maxLength + 1) / 2; ++count)
        AddRegister();
    FromString(defaultText);
}

std::string CModbusVariable_Cstring::ToString() const
{
    std::string text;
    for (const ModbusRegister_t& reg : m_registers)
    {
        const char low = static_cast<char>(reg.value & 0xFF);
        if (low == 0)
            break;
        text += low;
        const char high = static_cast<char>(reg.value >> 8);
        if (high == 0)
            break;
        text += high;
    }
    return text;
}

void CModbusVariable_Cstring::FromString(const char* text)
{
    const std::string value = text ? text : "";
    if (value.size() + 1 > 2 * m_registers.size())
        RaiseRangeError("is too long");
    // Characters past the text (its terminating zero included) read as 0.
    for (size_t i = 0; i < m_registers.size(); ++i)
    {
        const unsigned char low = 2 * i < value.size() ? value[2 * i] : 0;
        const unsigned char high = 2 * i + 1 < value.size() ? value[2 * i + 1] : 0;
        m_registers[i].value = static_cast<uint16_t>(high << 8 | low);
    }
}

double CModbusVariable_Cstring::AsDouble() const
{
    throw std::logic_error("CModbusVariable is a Cstring, not a double");
}

boost::shared_ptr<CModbusVariable> CModbusVariable_Cstring::Clone() const
{
    return boost::make_shared<CModbusVariable_Cstring>(*this);
}
