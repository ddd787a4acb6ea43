#include "wizards/framework/CWizardProgrammingContext.h"

CWizardProgrammingContext::CWizardProgrammingContext(const ModbusEndpoint_t* device)
    : comPort(-1), modbusAddress(-1), tcpPort(-1), isRead(false), deviceText("Quorvant device")
{
    if (device == nullptr)
        return;
    if (device->network)
    {
        host = device->host.c_str();
        tcpPort = device->port;
    }
    else
        comPort = device->port;
    modbusAddress = device->unitId;
}

CWizardProgrammingContext::~CWizardProgrammingContext()
{
}
