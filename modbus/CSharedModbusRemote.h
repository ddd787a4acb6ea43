// Handle on the shared Modbus/TCP link of one host and port.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CRemoteModbus.h"
#include "modbus/CSharedModbus.h"

#include <string>

class CSharedModbusRemote : public CSharedModbus
{
public:
    CSharedModbusRemote(const boost::shared_ptr<CRemoteModbus>& link, const std::string& key);
    // Closes the socket and drops its registry entry when this was the last user.
    ~CSharedModbusRemote() override;

    const std::string& GetKey() const { return m_key; }

private:
    std::string m_key;
};
