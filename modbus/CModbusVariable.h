// A typed device setting bound to one or more holding registers: text conversion for
// the wizard pages, validation, XML persistence and a register-image interface.
#pragma once
#include "framework/FrameworkBase.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <deque>
#include <sstream>
#include <string>

class TiXmlElement;

struct ModbusRegister_t
{
    uint32_t address;
    uint16_t value;
};

class CModbusVariable
{
public:
    CModbusVariable(unsigned address, const char* name, const char* description,
                    const char* units, bool flag);
    CModbusVariable(unsigned address, const std::string& name, const std::string& description,
                    const std::string& units, bool flag);
    virtual ~CModbusVariable();

    virtual bool IsWriteOnly() const;
    virtual bool HasValue() const;
    virtual void ClearValue();
    // Only scaled values use the multiplier; every other kind gives its plain text.
    virtual std::string ToString(double multiplier) const;
    virtual std::string ToString() const = 0;
    // Throws std::range_error ("<name> <message>") and leaves the value unchanged on bad text.
    virtual void FromString(const char* text) = 0;
    virtual double AsDouble() const;
    // One "value" element per register: attribute "addr", text the word in decimal.
    virtual void WriteXml(TiXmlElement* parent) const;
    // Takes those elements back; a value its register cannot hold, or one outside the
    // setting's limits, is refused like a bad one.
    virtual void ReadXml(TiXmlElement* parent);
    // image holds 65,536 words indexed by register address.
    virtual void SetFromRegisterImage(const WORD* image);
    virtual boost::shared_ptr<CModbusVariable> Clone() const = 0;
    // Throws std::range_error ("<name> <message>", the message FromString gives for that
    // value) when the value held lies outside the setting's limits, as a read of an odd
    // controller can leave it; kinds without limits take any value.
    virtual void CheckLimits() const;

    std::deque<ModbusRegister_t> GetRegisters() const { return m_registers; }
    bool AllRegistersZero() const;
    bool AllRegistersFFFF() const;
    std::string GetName() const { return m_name; }
    std::string GetDescription() const { return m_description; }
    std::string GetUnits() const { return m_units; }
    unsigned GetAddress() const { return m_registers.front().address; }

    // Throws std::range_error with the name, a blank and the message.
    [[noreturn]] void RaiseRangeError(const std::string& message) const;

protected:
    // Whether a setpoint file's register value is one the register can hold for this
    // kind: any 16-bit word here. A larger number is refused rather than cut to its low
    // bits, which would program another value than the file names.
    virtual bool HoldsFileValue(unsigned long long number) const;
    // Appends the register that follows the last one (value 0).
    void AddRegister();
    WORD FirstWord() const { return m_registers.front().value; }
    void SetFirstWord(WORD word) { m_registers.front().value = word; }

    // Reads one number from the text (leading blanks skipped); anything but blanks after
    // it is refused.
    template <class Number>
    Number ParseNumber(const char* text) const
    {
        std::istringstream stream(text ? text : "");
        Number value{};
        if (!(stream >> value))
            RaiseRangeError("is not a number");
        char extra = 0;
        if (stream >> extra)
            RaiseRangeError("has extra characters after the number");
        return value;
    }

    std::deque<ModbusRegister_t> m_registers;
    std::string m_name;
    std::string m_description;
    std::string m_units;
    bool m_flag;
};
