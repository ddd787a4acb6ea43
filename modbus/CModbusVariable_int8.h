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
    // The register holds one byte: the word's low byte, sign-extended, whatever a device
    // hands back above it.
    void SetFromRegisterImage(const WORD* image) override;
    boost::shared_ptr<CModbusVariable> Clone() const override;
    void CheckLimits() const override;

    signed char GetValue() const { return static_cast<signed char>(FirstWord() & 0xFF); }

protected:
    // A signed byte: 0..127, or -128..-1 sign-extended (0xFF80..0xFFFF) as Store keeps it,
    // or as the byte alone (0x80..0xFF) as a device may hand it back.
    bool HoldsFileValue(unsigned long long number) const override;

private:
    void CheckValue(int value) const;
    void Store(int value) { SetFirstWord(static_cast<WORD>(static_cast<short>(value))); }

    signed char m_min;
    signed char m_max;
};
