// Signed byte setting kept sign-extended in its register.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"

class CModbusVariable_int8 : public CModbusVariable
{
public:
    CModbusVariable_int8(unsigned address, const char* name, const char* description,
                         const char* units, bool flag, signed char minimum, signed char maximum,
                         signed char defaultValue);

    using CModbusVariable::ToString;
    std::string ToString() const override;
    void FromString(const char* text) override;
    double AsDouble() const override;
    boost::shared_ptr<CModbusVariable> Clone() const override;

    signed char GetValue() const { return static_cast<signed char>(FirstWord() & 0xFF); }

private:
    void Store(int value) { SetFirstWord(static_cast<WORD>(static_cast<short>(value))); }

    signed char m_min;
    signed char m_max;
};
