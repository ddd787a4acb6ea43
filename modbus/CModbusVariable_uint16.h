// Unsigned 16-bit setting. Its limits travel with it for the pages, but the text
// conversion accepts any number from 0 to 65535.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"

class CModbusVariable_uint16 : public CModbusVariable
{
public:
    CModbusVariable_uint16(unsigned address, const char* name, const char* description,
                           const char* units, bool flag, WORD minimum, WORD maximum,
                           WORD defaultValue);

    using CModbusVariable::ToString;
    std::string ToString() const override;
    void FromString(const char* text) override;
    boost::shared_ptr<CModbusVariable> Clone() const override;

    WORD GetMin() const { return m_min; }
    WORD GetMax() const { return m_max; }

private:
    WORD m_min;
    WORD m_max;
};
