// Text setting packed two characters a register (first character in the low byte),
// always with room for its terminating zero.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"

class CModbusVariable_Cstring : public CModbusVariable
{
public:
    // (maxLength + 1) / 2 registers, at least one; the default goes through FromString.
    CModbusVariable_Cstring(unsigned address, unsigned maxLength, const char* name,
                            const char* description, bool flag, const char* defaultText);

    using CModbusVariable::ToString;
    std::string ToString() const override;
    void FromString(const char* text) override;
    double AsDouble() const override;
    boost::shared_ptr<CModbusVariable> Clone() const override;
};
