// Handle on the shared link of one COM port.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CLocalModbus.h"
#include "modbus/CSharedModbus.h"

class CSharedModbusLocal : public CSharedModbus
{
public:
    CSharedModbusLocal(const boost::shared_ptr<CLocalModbus>& link, int comPort);
    // Closes the port and drops its registry entry when this was the last user.
    ~CSharedModbusLocal() override;

    int GetComPort() const { return m_comPort; }

private:
    int m_comPort;
};
