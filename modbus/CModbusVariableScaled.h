// Setting whose register holds an engineering value divided by a scale.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"

class CModbusVariableScaled : public CModbusVariable
{
public:
    // The default goes through SetFromDouble: a default outside min..max throws.
    CModbusVariableScaled(unsigned address, const char* name, const char* description,
                          const char* units, bool flag, double minimum, double maximum,
                          double defaultValue, unsigned precision, double scale);
    CModbusVariableScaled(unsigned address, const std::string& name,
                          const std::string& description, const std::string& units, bool flag,
                          double minimum, double maximum, double defaultValue,
                          unsigned precision, double scale);

    std::string ToString(double multiplier) const override;
    std::string ToString() const override;
    void FromString(const char* text) override;
    double AsDouble() const override;
    boost::shared_ptr<CModbusVariable> Clone() const override;
    // A word is within the limits when some value within min..max stores it.
    void CheckLimits() const override;

    // Checks min..max, then stores value / scale rounded half away from zero.
    void SetFromDouble(double value);

    // "%.*f", at most 127 characters.
    static std::string FormatFixed(double value, unsigned precision);

private:
    [[noreturn]] void RaiseTooLow() const;
    [[noreturn]] void RaiseTooHigh() const;

    double m_min;
    double m_max;
    double m_scale;
    unsigned m_precision;
};
