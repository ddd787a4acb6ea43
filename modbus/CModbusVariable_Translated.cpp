#include "modbus/CModbusVariable_Translated.h"

#include <boost/make_shared.hpp>

CModbusVariable_Translated::CModbusVariable_Translated(unsigned address, const char* name,
                                                       const char* description,
                                                       const char* units, bool flag,
                                                       const ModbusTranslation_t* table,
                                                       size_t rowCount, const char* defaultText)
    : CModbusVariable(address, name, description, units, flag)
{
    for (size_t row = 0; row < rowCount; ++row)
        m_translations[table[row].value] = table[row].text ? table[row].text : "";
    FromString(defaultText);
}

std::string CModbusVariable_Translated::ToString() const
{
    const auto found = m_translations.find(FirstWord());
    return found == m_translations.end() ? "unknown" : found->second;
}

void CModbusVariable_Translated::FromString(const char* text)
{
    const std::string value = text ? text : "";
    for (const auto& entry : m_translations)
    {
        if (entry.second == value)
        {
            SetFirstWord(entry.first);
            return;
        }
    }
    RaiseRangeError("value is out of range (no translation)");
}

void CModbusVariable_Translated::CheckLimits() const
{
    if (m_translations.count(FirstWord()) == 0)
        RaiseRangeError("value is out of range (no translation)");
}

boost::shared_ptr<CModbusVariable> CModbusVariable_Translated::Clone() const
{
    return boost::make_shared<CModbusVariable_Translated>(*this);
}
