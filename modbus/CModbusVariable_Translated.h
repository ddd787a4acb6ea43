// A register value named by a table of texts.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"

#include <map>

struct ModbusTranslation_t
{
    uint16_t value;
    const char* text;
};

class CModbusVariable_Translated : public CModbusVariable
{
public:
    // The default text goes through FromString, so it must be one of the table's.
    CModbusVariable_Translated(unsigned address, const char* name, const char* description,
                               const char* units, bool flag, const ModbusTranslation_t* table,
                               size_t rowCount, const char* defaultText);

    using CModbusVariable::ToString;
    std::string ToString() const override;
    void FromString(const char* text) override;
    boost::shared_ptr<CModbusVariable> Clone() const override;
    // Only the table's values: another one shows as "unknown".
    void CheckLimits() const override;

    std::map<uint16_t, std::string> GetTranslations() const { return m_translations; }

private:
    std::map<uint16_t, std::string> m_translations;
};
