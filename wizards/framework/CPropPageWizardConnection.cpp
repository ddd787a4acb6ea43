#include "wizards/framework/CPropPageWizardConnection.h"

#include "framework/CPropertySheet.h"
#include "framework/DataExchange.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/HelpCommands.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"

BEGIN_MESSAGE_MAP(CPropPageWizardConnection, CPropertyPage)
    ON_CBN_SELCHANGE(IDC_WIZARD_PORT, OnPortChange)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnPageHelp)
END_MESSAGE_MAP()

CPropPageWizardConnection::CPropPageWizardConnection(UINT dialogId, const WizardConnectionFields_t& connection,
                                                     const char* addressError)
    : CPropertyPage(dialogId), m_modbusAddress(0), m_tcpPort(0), m_dialogId(dialogId), m_connection(connection),
      m_addressError(addressError)
{
}

CPropPageWizardConnection::~CPropPageWizardConnection()
{
}

void CPropPageWizardConnection::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WIZARD_PORT, m_port);
    DDX_Control(pDX, IDC_WIZARD_IP_ADDRESS, m_ipAddress);
    DDX_Text(pDX, IDC_WIZARD_MODBUS_ADDRESS, m_modbusAddress);
    DDX_Text(pDX, IDC_WIZARD_TCP_PORT, m_tcpPort);
}

BOOL CPropPageWizardConnection::ShowConnection()
{
    m_tcpPort = m_connection.tcpPort < 0 ? 502 : m_connection.tcpPort;
    m_modbusAddress = m_connection.modbusAddress;
    CPropertyPage::OnInitDialog();
    m_ipAddress.SetWindowText(m_connection.host);
    FillPortsFromSystem(m_port);
    SelectPortEntry(m_port, m_connection.comPort);
    UpdateTcpIpControls(this);
    return TRUE;
}

BOOL CPropPageWizardConnection::OnSetActive()
{
    const BOOL result = CPropertyPage::OnSetActive();
    GetSheet()->SetWizardButtons(PSWIZB_NEXT);
    return result;
}

void CPropPageWizardConnection::OnPortChange()
{
    UpdateTcpIpControls(this, false);
}

LRESULT CPropPageWizardConnection::OnPageHelp(WPARAM, LPARAM)
{
    ShowHelpTextPopup(m_dialogId);
    return 1;
}

bool CPropPageWizardConnection::StoreConnection()
{
    if (!UpdateData(TRUE))
        return false;
    return StoreConnectionChoice(m_port, m_modbusAddress, m_tcpPort, m_addressError, m_connection);
}
