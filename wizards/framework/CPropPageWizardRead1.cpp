#include "wizards/framework/CPropPageWizardRead1.h"

#include "framework/CPropertySheet.h"
#include "framework/DataExchange.h"
#include "res/pyraxis_wizards_resource.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/WizardConnection.h"
#include "shell/HelpCommands.h"

IMPLEMENT_DYNAMIC(CPropPageWizardRead1, CPropertyPage)
IMPLEMENT_DYNAMIC(CPropPageWizardProgram1, CPropPageWizardRead1)

BEGIN_MESSAGE_MAP(CPropPageWizardRead1, CPropertyPage)
    ON_CBN_SELCHANGE(IDC_WIZARD_PORT, OnPortChange)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnPageHelp)
END_MESSAGE_MAP()

CPropPageWizardRead1::CPropPageWizardRead1(const CWizardProgrammingContextPtr& context, UINT dialogId)
    : CPropertyPage(dialogId), m_modbusAddress(0), m_tcpPort(0), m_dialogId(dialogId), m_context(context)
{
}

CPropPageWizardRead1::~CPropPageWizardRead1()
{
}

void CPropPageWizardRead1::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WIZARD_PORT, m_port);
    DDX_Control(pDX, IDC_WIZARD_IP_ADDRESS, m_ipAddress);
    DDX_Text(pDX, IDC_WIZARD_MODBUS_ADDRESS, m_modbusAddress);
    DDX_Text(pDX, IDC_WIZARD_TCP_PORT, m_tcpPort);
}

BOOL CPropPageWizardRead1::OnInitDialog()
{
    m_tcpPort = m_context->tcpPort < 0 ? 502 : m_context->tcpPort;
    m_modbusAddress = m_context->modbusAddress;
    CPropertyPage::OnInitDialog();
    m_ipAddress.SetWindowText(m_context->host);
    FillPortsFromSystem(m_port);
    SelectPortEntry(m_port, m_context->comPort);
    UpdateTcpIpControls(this);
    return TRUE;
}

BOOL CPropPageWizardRead1::OnSetActive()
{
    const BOOL result = CPropertyPage::OnSetActive();
    GetSheet()->SetWizardButtons(PSWIZB_NEXT);
    return result;
}

void CPropPageWizardRead1::OnPortChange()
{
    UpdateTcpIpControls(this, false);
}

LRESULT CPropPageWizardRead1::OnPageHelp(WPARAM, LPARAM)
{
    ShowHelpTextPopup(m_dialogId);
    return 1;
}

LRESULT CPropPageWizardRead1::OnWizardNext()
{
    if (!UpdateData(TRUE))
        return -1;
    CWizardProgrammingContext& context = *m_context;
    const WizardConnectionFields_t fields = {context.comPort, context.host, context.tcpPort, context.modbusAddress};
    if (!StoreConnectionChoice(m_port, m_modbusAddress, m_tcpPort, MODBUS_ADDRESS_ERROR, fields))
        return -1;
    RememberConnectionInRegistry(fields);
    return CPropertyPage::OnWizardNext();
}

CPropPageWizardProgram1::CPropPageWizardProgram1(const CWizardProgrammingContextPtr& context, UINT dialogId)
    : CPropPageWizardRead1(context, dialogId)
{
}
