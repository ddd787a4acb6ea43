// Text the device only takes (a password): it has a value only once one was entered,
// so reads and setpoint files leave it out until then.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable_Cstring.h"

class CModbusVariable_Cstring_writeonly : public CModbusVariable_Cstring
{
public:
    CModbusVariable_Cstring_writeonly(unsigned address, unsigned maxLength, const char* name,
                                      const char* description, const char* defaultText);

    bool IsWriteOnly() const override;
    bool HasValue() const override;
    void ClearValue() override;
    void FromString(const char* text) override;
    // A text read back from a setpoint file has a value, as one typed in has: saving or
    // programming the loaded settings keeps it.
    void ReadXml(TiXmlElement* parent) override;
    boost::shared_ptr<CModbusVariable> Clone() const override;

private:
    bool m_written = false;
};
