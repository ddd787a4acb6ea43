#include "modbus/CModbusVariable_Cstring_writeonly.h"

#include <boost/make_shared.hpp>

#include <tinyxml.h>

CModbusVariable_Cstring_writeonly::CModbusVariable_Cstring_writeonly(unsigned address,
                                                                     unsigned maxLength,
                                                                     const char* name,
                                                                     const char* description,
                                                                     const char* defaultText)
    : CModbusVariable_Cstring(address, maxLength, name, description, false, defaultText)
{
    // The base constructor stored the default through the base FromString only.
    m_written = false;
}

bool CModbusVariable_Cstring_writeonly::IsWriteOnly() const
{
    return true;
}

bool CModbusVariable_Cstring_writeonly::HasValue() const
{
    return m_written;
}

void CModbusVariable_Cstring_writeonly::ClearValue()
{
    m_written = false;
}

void CModbusVariable_Cstring_writeonly::FromString(const char* text)
{
    CModbusVariable_Cstring::FromString(text);
    m_written = true;
}

void CModbusVariable_Cstring_writeonly::ReadXml(TiXmlElement* parent)
{
    const bool hasValues = parent->FirstChildElement("value") != nullptr;
    CModbusVariable_Cstring::ReadXml(parent);
    if (hasValues)
        m_written = true;
}

boost::shared_ptr<CModbusVariable> CModbusVariable_Cstring_writeonly::Clone() const
{
    return boost::make_shared<CModbusVariable_Cstring_writeonly>(*this);
}
