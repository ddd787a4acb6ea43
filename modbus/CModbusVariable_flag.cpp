#include "modbus/CModbusVariable_flag.h"

#include <boost/make_shared.hpp>

#include <strings.h>

CModbusVariable_flag::CModbusVariable_flag(unsigned address, unsigned bitNumber,
                                           const char* name, const char* description,
                                           bool invert, bool flag, bool defaultValue)
    : CModbusVariable(address, name, description, "", flag), m_bitNumber(bitNumber & 15),
      m_invert(invert)
{
    SetBit(defaultValue);
}

void CModbusVariable_flag::SetBit(bool value)
{
    if (value != m_invert)
        SetFirstWord(FirstWord() | Mask());
    else
        SetFirstWord(FirstWord() & ~Mask());
}

bool CModbusVariable_flag::GetBit() const
{
    return ((FirstWord() & Mask()) != 0) != m_invert;
}

std::string CModbusVariable_flag::ToString() const
{
    return GetBit() ? "true" : "false";
}

void CModbusVariable_flag::FromString(const char* text)
{
    const char* value = text ? text : "";
    if (strcasecmp(value, "1") == 0 || strcasecmp(value, "true") == 0)
        SetBit(true);
    else if (strcasecmp(value, "0") == 0 || strcasecmp(value, "false") == 0)
        SetBit(false);
    else
        RaiseRangeError("is neither true/1 nor false/0");
}

double CModbusVariable_flag::AsDouble() const
{
    return GetBit() ? 1.0 : 0.0;
}

void CModbusVariable_flag::SetFromRegisterImage(const WORD* image)
{
    SetFirstWord(image[GetAddress() & 0xFFFF] & Mask());
}

void CModbusVariable_flag::ReadXml(TiXmlElement* parent)
{
    CModbusVariable::ReadXml(parent);
    SetFirstWord(FirstWord() & Mask());
}

boost::shared_ptr<CModbusVariable> CModbusVariable_flag::Clone() const
{
    return boost::make_shared<CModbusVariable_flag>(*this);
}
