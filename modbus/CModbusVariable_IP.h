// IPv4 address in two registers: a.b.c.d as b * 256 + a, then d * 256 + c.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"

class CModbusVariable_IP : public CModbusVariable
{
public:
    // The default goes through FromString.
    CModbusVariable_IP(unsigned address, const char* name, const char* description,
                       bool allowReserved, bool flag, const char* defaultText);

    using CModbusVariable::ToString;
    std::string ToString() const override;
    void FromString(const char* text) override;
    double AsDouble() const override;
    boost::shared_ptr<CModbusVariable> Clone() const override;

private:
    bool m_allowReserved;
};
