#include "wizards/framework/CPropPageRegisterListConnection.h"

#include "framework/CPropertySheet.h"
#include "framework/DataExchange.h"
#include "res/pyraxis_wizards_resource.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/SettingsRegisterList.h"
#include "wizards/framework/WizardConnection.h"
#include "shell/HelpCommands.h"

IMPLEMENT_DYNAMIC(CPropPageRegisterListConnection, CPropertyPage)

BEGIN_MESSAGE_MAP(CPropPageRegisterListConnection, CPropertyPage)
    ON_CBN_SELCHANGE(IDC_WIZARD_PORT, OnPortChange)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnPageHelp)
END_MESSAGE_MAP()

CPropPageRegisterListConnection::CPropPageRegisterListConnection(UINT dialogId, CVarnixWizardProgContext* context,
                                                                 CStorageVarnixConfig* settings, bool showModeChoice)
    : CPropertyPage(dialogId), m_modbusAddress(0), m_tcpPort(0), m_modeChoice(0), m_dialogId(dialogId),
      m_showModeChoice(showModeChoice), m_context(context), m_settings(settings)
{
}

CPropPageRegisterListConnection::~CPropPageRegisterListConnection()
{
}

void CPropPageRegisterListConnection::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WIZARD_PORT, m_port);
    DDX_Control(pDX, IDC_WIZARD_IP_ADDRESS, m_ipAddress);
    DDX_Text(pDX, IDC_WIZARD_MODBUS_ADDRESS, m_modbusAddress);
    DDX_Text(pDX, IDC_WIZARD_TCP_PORT, m_tcpPort);
    if (m_showModeChoice)
        DDX_Radio(pDX, IDC_WIZARD_SETTINGS_CHARGE, m_modeChoice);
}

BOOL CPropPageRegisterListConnection::OnInitDialog()
{
    m_modbusAddress = m_context->modbusAddress;
    m_tcpPort = m_context->tcpPort;
    m_modeChoice = 0;
    CPropertyPage::OnInitDialog();
    if (!m_showModeChoice)
    {
        const int hidden[5] = {IDC_WIZARD_SETTINGS_GROUP, IDC_WIZARD_SETTINGS_CHARGE, IDC_WIZARD_SETTINGS_LOAD,
                               IDC_WIZARD_SETTINGS_DIVERSION, IDC_WIZARD_SETTINGS_LIGHTING};
        for (int id : hidden)
        {
            HWND control = ::GetDlgItem(m_hWnd, id);
            if (control != nullptr)
                ::ShowWindow(control, SW_HIDE);
        }
    }
    FillPortsCom1To32(m_port);
    SelectPortEntry(m_port, m_context->comPort);
    m_ipAddress.SetWindowText(m_context->host);
    UpdateTcpIpControls(this);
    return TRUE;
}

BOOL CPropPageRegisterListConnection::OnSetActive()
{
    const BOOL result = CPropertyPage::OnSetActive();
    GetSheet()->SetWizardButtons(PSWIZB_NEXT);
    return result;
}

void CPropPageRegisterListConnection::OnPortChange()
{
    UpdateTcpIpControls(this, false);
}

LRESULT CPropPageRegisterListConnection::OnPageHelp(WPARAM, LPARAM)
{
    ShowHelpTextPopup(m_dialogId);
    return 1;
}

void CPropPageRegisterListConnection::OnModeChosen(int index)
{
    m_context->programChoice = index;
}

LRESULT CPropPageRegisterListConnection::OnWizardNext()
{
    if (!UpdateData(TRUE))
        return -1;
    const WizardConnectionFields_t fields = {m_context->comPort, m_context->host, m_context->tcpPort,
                                             m_context->modbusAddress};
    if (!StoreConnectionChoice(m_port, m_modbusAddress, m_tcpPort, MODBUS_ADDRESS_ERROR_OLDER, fields))
        return -1;
    if (m_showModeChoice)
        OnModeChosen(m_modeChoice);
    FillRegisterList(*m_settings, m_context->isRead, m_context->registers);
    RememberLastWizardConnection(fields);
    return CPropertyPage::OnWizardNext();
}
