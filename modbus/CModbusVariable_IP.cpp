#include "modbus/CModbusVariable_IP.h"

#include <winsock2.h>

#include <boost/make_shared.hpp>

#include <cstdio>
#include <stdexcept>

CModbusVariable_IP::CModbusVariable_IP(unsigned address, const char* name,
                                       const char* description, bool allowReserved, bool flag,
                                       const char* defaultText)
    : CModbusVariable(address, name, description, "", flag), m_allowReserved(allowReserved)
{
    AddRegister();
    FromString(defaultText);
}

std::string CModbusVariable_IP::ToString() const
{
    const unsigned first = m_registers[0].value;
    const unsigned second = m_registers[1].value;
    char text[20];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", first & 0xFF, first >> 8, second & 0xFF,
                  second >> 8);
    return text;
}

void CModbusVariable_IP::FromString(const char* text)
{
    // inet_addr answers INADDR_NONE for bad text and for 255.255.255.255 alike.
    const unsigned long address = inet_addr(text ? text : "");
    if (address == INADDR_NONE)
        RaiseRangeError("is not a valid IP address");
    // Network order: the first octet is the lowest byte in memory.
    const unsigned a = address & 0xFF;
    const unsigned b = (address >> 8) & 0xFF;
    const unsigned c = (address >> 16) & 0xFF;
    const unsigned d = (address >> 24) & 0xFF;

    if (!m_allowReserved)
    {
        if (a == 127)
            RaiseRangeError("cannot be 127.b.c.d; they are reserved");
        if (a == 128 && b == 0)
            RaiseRangeError("cannot be 128.0.c.d; they are reserved");
        if (a == 191 && b == 255)
            RaiseRangeError("cannot be 191.255.c.d; they are reserved");
        if (a == 192 && b == 0 && c == 0)
            RaiseRangeError("cannot be 192.0.0.d; they are reserved");
        if (a == 192 && b == 0 && c == 2)
            RaiseRangeError("cannot be cannot be 192.0.2.d; they are reserved");
        if (a == 223 && b == 255 && c == 255)
            RaiseRangeError("cannot be 223.255.255.d; they are reserved");
        if (a >= 224 && a <= 239)
            RaiseRangeError("cannot be a multicast address; they are reserved");
        if (a == 240)
            RaiseRangeError("cannot be 240.b.c.d; they are reserved");
    }
    m_registers[0].value = static_cast<uint16_t>(b << 8 | a);
    m_registers[1].value = static_cast<uint16_t>(d << 8 | c);
}

double CModbusVariable_IP::AsDouble() const
{
    throw std::logic_error("CModbusVariable is an IP, not a double");
}

boost::shared_ptr<CModbusVariable> CModbusVariable_IP::Clone() const
{
    return boost::make_shared<CModbusVariable_IP>(*this);
}
