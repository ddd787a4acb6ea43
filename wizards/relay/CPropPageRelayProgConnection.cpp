#include "wizards/relay/CPropPageRelayProgConnection.h"

#include "documents/RegistryHelpers.h"
#include "res/pyraxis_relay_resource.h"

// The runtime class chain goes on at CPropertyPage (the connection page base has none).
IMPLEMENT_DYNAMIC(CPropPageRelayProgConnection, CPropertyPage)

CPropPageRelayProgConnection::CPropPageRelayProgConnection(CRelayProgContext* context)
    : CPropPageWizardConnection(IDD_RELAY_PROG_CONNECTION,
                                {context->comPort, context->host, context->tcpPort, context->modbusAddress},
                                MODBUS_ADDRESS_ERROR),
      m_context(context)
{
}

CPropPageRelayProgConnection::~CPropPageRelayProgConnection()
{
}

BOOL CPropPageRelayProgConnection::OnInitDialog()
{
    // The last connection used, whatever the context held before.
    const int tcpPort = static_cast<int>(ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceTcpPort", 502));
    m_context->tcpPort = tcpPort < 0 ? 502 : tcpPort;
    m_context->modbusAddress = static_cast<int>(ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceModbusAddr", 9));
    m_context->comPort = static_cast<int>(ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceComPort", 1));
    m_context->host = ReadRegistryString(WIZARD_REGISTRY_KEY, "LastUsedDeviceIp", DEFAULT_DEVICE_IP).c_str();
    return ShowConnection();
}

LRESULT CPropPageRelayProgConnection::OnWizardNext()
{
    if (!StoreConnection())
        return -1;
    RememberConnectionInRegistry(m_connection);
    return CPropertyPage::OnWizardNext();
}
