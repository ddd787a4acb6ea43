#include "modbus/CModbusVariable.h"

#include <tinyxml.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

CModbusVariable::CModbusVariable(unsigned address, const char* name, const char* description,
                                 const char* units, bool flag)
    : m_name(name ? name : ""), m_description(description ? description : ""),
      m_units(units ? units : ""), m_flag(flag)
{
    m_registers.push_back(ModbusRegister_t{address, 0});
}

CModbusVariable::CModbusVariable(unsigned address, const std::string& name,
                                 const std::string& description, const std::string& units,
                                 bool flag)
    : m_name(name), m_description(description), m_units(units), m_flag(flag)
{
    m_registers.push_back(ModbusRegister_t{address, 0});
}

CModbusVariable::~CModbusVariable() = default;

bool CModbusVariable::IsWriteOnly() const
{
    return false;
}

bool CModbusVariable::HasValue() const
{
    return true;
}

void CModbusVariable::ClearValue()
{
}

std::string CModbusVariable::ToString(double) const
{
    return ToString();
}

double CModbusVariable::AsDouble() const
{
    return FirstWord();
}

void CModbusVariable::WriteXml(TiXmlElement* parent) const
{
    for (const ModbusRegister_t& reg : m_registers)
    {
        TiXmlElement* element = new TiXmlElement("value");
        element->SetAttribute("addr", static_cast<int>(reg.address));
        element->LinkEndChild(new TiXmlText(std::to_string(reg.value)));
        parent->LinkEndChild(element);
    }
}

void CModbusVariable::ReadXml(TiXmlElement* parent)
{
    const std::deque<ModbusRegister_t> before = m_registers;
    for (TiXmlElement* element = parent->FirstChildElement("value"); element;
         element = element->NextSiblingElement("value"))
    {
        int address = 0;
        const int attributeResult = element->QueryIntAttribute("addr", &address);
        if (attributeResult == TIXML_NO_ATTRIBUTE)
            RaiseRangeError("missing 'addr' attribute");
        const char* text = element->GetText();
        if (!text)
            RaiseRangeError("no text value for variable");

        while (std::isspace(static_cast<unsigned char>(*text)))
            ++text;
        // strtoul would wrap a minus sign round to a huge number.
        if (!std::isdigit(static_cast<unsigned char>(*text)))
            RaiseRangeError("bad value");
        errno = 0;
        const unsigned long long number = std::strtoull(text, nullptr, 10);
        if (errno == ERANGE)
            RaiseRangeError("bad value");

        ModbusRegister_t* target = nullptr;
        for (ModbusRegister_t& reg : m_registers)
            if (attributeResult == TIXML_SUCCESS && address >= 0 &&
                reg.address == static_cast<uint32_t>(address))
                target = &reg;
        if (!target)
            RaiseRangeError("had bad (unmatched) address");
        if (!HoldsFileValue(number))
            RaiseRangeError("value does not fit its register");
        target->value = static_cast<uint16_t>(number);
    }
    // A value outside the limits leaves the variable as it was.
    try
    {
        CheckLimits();
    }
    catch (const std::range_error&)
    {
        m_registers = before;
        throw;
    }
}

void CModbusVariable::CheckLimits() const
{
}

bool CModbusVariable::HoldsFileValue(unsigned long long number) const
{
    return number <= 0xFFFF;
}

void CModbusVariable::SetFromRegisterImage(const WORD* image)
{
    for (ModbusRegister_t& reg : m_registers)
        reg.value = image[reg.address & 0xFFFF];
}

bool CModbusVariable::AllRegistersZero() const
{
    for (const ModbusRegister_t& reg : m_registers)
        if (reg.value != 0)
            return false;
    return true;
}

bool CModbusVariable::AllRegistersFFFF() const
{
    for (const ModbusRegister_t& reg : m_registers)
        if (reg.value != 0xFFFF)
            return false;
    return true;
}

void CModbusVariable::RaiseRangeError(const std::string& message) const
{
    throw std::range_error(m_name + " " + message);
}

void CModbusVariable::AddRegister()
{
    m_registers.push_back(ModbusRegister_t{m_registers.back().address + 1, 0});
}
