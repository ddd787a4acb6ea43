#include "wizards/relay/CPropPageRelayProgConnection.h"

#include "documents/RegistryHelpers.h"
#include "framework/CPropertySheet.h"
#include "framework/DataExchange.h"
#include "res/pyraxis_relay_resource.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/HelpCommands.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/WizardConnection.h"

IMPLEMENT_DYNAMIC(CPropPageRelayProgConnection, CPropertyPage)

BEGIN_MESSAGE_MAP(CPropPageRelayProgConnection, CPropertyPage)
    ON_CBN_SELCHANGE(IDC_WIZARD_PORT, OnPortChange)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnPageHelp)
END_MESSAGE_MAP()

CPropPageRelayProgConnection::CPropPageRelayProgConnection(CRelayProgContext* context)
    : CPropertyPage(IDD_RELAY_PROG_CONNECTION), m_modbusAddress(0), m_tcpPort(0), m_context(context)
{
}

CPropPageRelayProgConnection::~CPropPageRelayProgConnection()
{
}

void CPropPageRelayProgConnection::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WIZARD_PORT, m_port);
    DDX_Control(pDX, IDC_WIZARD_IP_ADDRESS, m_ipAddress);
    DDX_Text(pDX, IDC_WIZARD_MODBUS_ADDRESS, m_modbusAddress);
    DDX_Text(pDX, IDC_WIZARD_TCP_PORT, m_tcpPort);
}

BOOL CPropPageRelayProgConnection::OnInitDialog()
{
    // The last connection used, whatever the context held before.
    const int tcpPort = static_cast<int>(ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceTcpPort", 502));
    m_context->tcpPort = tcpPort < 0 ? 502 : tcpPort;
    m_context->modbusAddress = static_cast<int>(ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceModbusAddr", 9));
    m_context->comPort = static_cast<int>(ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceComPort", 1));
    m_context->host = ReadRegistryString(WIZARD_REGISTRY_KEY, "LastUsedDeviceIp", DEFAULT_DEVICE_IP).c_str();
    m_modbusAddress = m_context->modbusAddress;
    m_tcpPort = m_context->tcpPort;
    CPropertyPage::OnInitDialog();
    m_ipAddress.SetWindowText(m_context->host);
    FillPortsFromSystem(m_port);
    SelectPortEntry(m_port, m_context->comPort);
    UpdateTcpIpControls(this);
    return TRUE;
}

BOOL CPropPageRelayProgConnection::OnSetActive()
{
    const BOOL result = CPropertyPage::OnSetActive();
    GetSheet()->SetWizardButtons(PSWIZB_NEXT);
    return result;
}

void CPropPageRelayProgConnection::OnPortChange()
{
    UpdateTcpIpControls(this, false);
}

LRESULT CPropPageRelayProgConnection::OnPageHelp(WPARAM, LPARAM)
{
    ShowHelpTextPopup(IDD_RELAY_PROG_CONNECTION);
    return 1;
}

LRESULT CPropPageRelayProgConnection::OnWizardNext()
{
    if (!UpdateData(TRUE))
        return -1;
    const WizardConnectionFields_t fields = {m_context->comPort, m_context->host, m_context->tcpPort,
                                             m_context->modbusAddress};
    if (!StoreConnectionChoice(m_port, m_modbusAddress, m_tcpPort, MODBUS_ADDRESS_ERROR, fields))
        return -1;
    RememberConnectionInRegistry(fields);
    return CPropertyPage::OnWizardNext();
}
