// One bit of a register, optionally inverted; the register's other bits are kept.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"

class CModbusVariable_flag : public CModbusVariable
{
public:
    CModbusVariable_flag(unsigned address, unsigned bitNumber, const char* name,
                         const char* description, bool invert, bool flag, bool defaultValue);

    using CModbusVariable::ToString;
    std::string ToString() const override;
    void FromString(const char* text) override;
    double AsDouble() const override;
    // Takes the word, keeping only this variable's bit.
    void SetFromRegisterImage(const WORD* image) override;
    // A file's word keeps only this variable's bit too: the programming thread ORs the
    // words of the flags that share a register, so a stray bit would set a neighbour.
    void ReadXml(TiXmlElement* parent) override;
    boost::shared_ptr<CModbusVariable> Clone() const override;

    // The value as the user sees it (the invert flag applied).
    void SetBit(bool value);
    bool GetBit() const;

private:
    WORD Mask() const { return static_cast<WORD>(1u << m_bitNumber); }

    unsigned m_bitNumber;
    bool m_invert;
};
