#include "wizards/framework/CPropPageRegisterListConnection.h"

#include "framework/DataExchange.h"
#include "res/pyraxis_wizards_resource.h"
#include "wizards/framework/SettingsRegisterList.h"

// The runtime class chain goes on at CPropertyPage (the connection page base has none).
IMPLEMENT_DYNAMIC(CPropPageRegisterListConnection, CPropertyPage)

CPropPageRegisterListConnection::CPropPageRegisterListConnection(UINT dialogId, CVarnixWizardProgContext* context,
                                                                 CStorageVarnixConfig* settings, bool showModeChoice)
    : CPropPageWizardConnection(dialogId, {context->comPort, context->host, context->tcpPort, context->modbusAddress},
                                MODBUS_ADDRESS_ERROR_OLDER),
      m_modeChoice(0), m_showModeChoice(showModeChoice), m_context(context), m_settings(settings)
{
}

CPropPageRegisterListConnection::~CPropPageRegisterListConnection()
{
}

void CPropPageRegisterListConnection::DoDataExchange(CDataExchange* pDX)
{
    CPropPageWizardConnection::DoDataExchange(pDX);
    if (m_showModeChoice)
        DDX_Radio(pDX, IDC_WIZARD_SETTINGS_CHARGE, m_modeChoice);
}

BOOL CPropPageRegisterListConnection::OnInitDialog()
{
    // The older wizards: their own port list and no default TCP port.
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

void CPropPageRegisterListConnection::OnModeChosen(int index)
{
    m_context->programChoice = index;
}

LRESULT CPropPageRegisterListConnection::OnWizardNext()
{
    if (!StoreConnection())
        return -1;
    if (m_showModeChoice)
        OnModeChosen(m_modeChoice);
    FillRegisterList(*m_settings, m_context->isRead, m_context->registers, &m_context->registerNames);
    RememberLastWizardConnection(m_connection);
    return CPropertyPage::OnWizardNext();
}
