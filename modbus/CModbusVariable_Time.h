// Duration in seconds, shown and entered as hours, minutes and seconds.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"

class CModbusVariable_Time : public CModbusVariable
{
public:
    CModbusVariable_Time(unsigned address, const char* name, const char* description, bool flag,
                         WORD minimum, WORD maximum, WORD defaultSeconds);

    using CModbusVariable::ToString;
    std::string ToString() const override;
    // H:M:S, or M:S as ToString writes values under an hour.
    void FromString(const char* text) override;
    boost::shared_ptr<CModbusVariable> Clone() const override;
    void CheckLimits() const override;

    unsigned GetHours() const { return FirstWord() / 3600; }
    unsigned GetMinutes() const { return (FirstWord() / 60) % 60; }
    unsigned GetSeconds() const { return FirstWord() % 60; }

    // "H:MM:SS", or "M:SS" under an hour.
    static std::string FormatSeconds(unsigned seconds);

private:
    void CheckValue(unsigned long long total) const;

    WORD m_min;
    WORD m_max;
};
