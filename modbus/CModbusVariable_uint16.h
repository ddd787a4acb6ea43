// Unsigned 16-bit setting within its own limits (a Modbus ID 1..247, a port not 0).
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
    void CheckLimits() const override;

    WORD GetMin() const { return m_min; }
    WORD GetMax() const { return m_max; }
    // A word outside the limits that still means something to the controller (0 for
    // "this controller" as a notification's source); taken like a value within them.
    void AcceptAlso(WORD word) { m_alsoAccepted = word; }

private:
    void CheckValue(unsigned long value) const;

    WORD m_min;
    WORD m_max;
    long m_alsoAccepted;
};
