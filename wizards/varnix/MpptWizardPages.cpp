#include "wizards/varnix/MpptWizardPages.h"

#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "wizards/varnix/MpptSettingTable.h"

#define MPPT_WIND_ROW(k) \
    {IDC_VXM_WIND_VOLTAGE1 + (k), MPPT_SETTING_WIND_VOLTAGE + (k), IDC_VXM_WIND_POWER1 + (k), \
     MPPT_SETTING_WIND_POWER + (k)}

const MpptWindRow_t MPPT_WIND_ROWS[17] = {
    MPPT_WIND_ROW(0),  MPPT_WIND_ROW(1),  MPPT_WIND_ROW(2),  MPPT_WIND_ROW(3),
    MPPT_WIND_ROW(4),  MPPT_WIND_ROW(5),  MPPT_WIND_ROW(6),  MPPT_WIND_ROW(7),
    MPPT_WIND_ROW(8),  MPPT_WIND_ROW(9),  MPPT_WIND_ROW(10), MPPT_WIND_ROW(11),
    MPPT_WIND_ROW(12), MPPT_WIND_ROW(13), MPPT_WIND_ROW(14), MPPT_WIND_ROW(15),
    {0, 0, 0, 0},
};

// --- Wind --------------------------------------------------------------------------------
template <class TBase>
BOOL CPropPageMpptWizardWind<TBase>::OnSetActive()
{
    // The curve is reached only from the last charge page; Back stays off here.
    this->PostWizardButtons(PSWIZB_NEXT);
    return TBase::OnSetActive();
}

template <class TBase>
LRESULT CPropPageMpptWizardWind<TBase>::OnWizardNext()
{
    this->PostWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return TBase::OnWizardNext();
}

template <class TBase>
void CPropPageMpptWizardWind<TBase>::DoDataExchange(CDataExchange* pDX)
{
    for (const MpptWindRow_t* row = MPPT_WIND_ROWS; row->voltageControl != 0; ++row)
    {
        DDX_MpptSetting(this, pDX, row->voltageControl, row->voltageSetting);
        DDX_MpptSetting(this, pDX, row->powerControl, row->powerSetting);
    }
    if (!pDX->m_bSaveAndValidate || !this->validating)
        return;
    // Rows left at 0 V and 0 W are unused and skipped; the row after them is compared with
    // the zero row before it.
    for (const MpptWindRow_t* row = MPPT_WIND_ROWS + 1; row->voltageControl != 0; ++row)
    {
        const double power = this->SettingValue(row->powerSetting);
        if (power == 0.0 && this->SettingValue(row->voltageSetting) == 0.0)
            continue;
        if (power < this->SettingValue(row[-1].powerSetting))
            MpptCheckFailed(pDX, row->voltageControl,
                            "Error: power values must increase as you go down the list.\n"
                            "Set power and voltage to zero for unused rows.");
    }
}

// --- LED ---------------------------------------------------------------------------------
template <class TBase>
LRESULT CPropPageMpptWizardLed<TBase>::GetPrevPageId()
{
    if (this->settings->mode == 2)
        return IDD_VXMPPT_WIND;
    return TBase::HV_MODEL ? IDD_VXMPPT_CHARGE3 : IDD_VXMPPT_CHARGE4;
}

template <class TBase>
void CPropPageMpptWizardLed<TBase>::DoDataExchange(CDataExchange* pDX)
{
    for (int i = 0; i < 4; ++i)
        DDX_MpptSetting(this, pDX, IDC_LED_G_GY + i, MPPT_SETTING_LED_G_GY + i);
    if (!pDX->m_bSaveAndValidate || !this->validating)
        return;
    static const char* const MESSAGES[3] = {
        "LED green -> green/yellow voltage must be greater than green/yellow -> yellow voltage.",
        "LED green/yellow -> yellow voltage must be greater than yellow -> yellow/red voltage.",
        "LED yellow -> yellow/red voltage must be greater than yellow/red -> red voltage.",
    };
    for (int i = 0; i < 3; ++i)
        if (this->SettingValue(MPPT_SETTING_LED_G_GY + i) <=
            this->SettingValue(MPPT_SETTING_LED_G_GY + i + 1))
            MpptCheckFailed(pDX, IDC_LED_G_GY + i, MESSAGES[i]);
}

// --- Logging -----------------------------------------------------------------------------
template <class TBase>
void CPropPageMpptWizardLogging<TBase>::DoDataExchange(CDataExchange* pDX)
{
    for (int i = 0; i < 6; ++i)
        DDX_MpptOptionalSetting(this, pDX, IDC_VXM_LOG_FIRST + i, 0,
                                MPPT_SETTING_LOG_MAX_DAILY_VA + i, "1");
}

// --- Comm --------------------------------------------------------------------------------
BEGIN_TEMPLATE_MESSAGE_MAP(CPropPageMpptWizardComm, TBase, TBase)
    ON_BN_CLICKED(IDC_VXM_COMM_DHCP, OnAddressingClicked)
    ON_BN_CLICKED(IDC_VXM_COMM_STATIC, OnAddressingClicked)
    ON_BN_CLICKED(IDC_VXM_COMM_BRIDGE, OnBridgeClicked)
END_MESSAGE_MAP()

namespace
{
// An IPv4 setting as a 32-bit number in host order (a.b.c.d: a in the top byte).
DWORD HostOrderAddress(const CModbusVariable* address)
{
    const std::deque<ModbusRegister_t> words = address->GetRegisters();
    const DWORD a = words[0].value & 0xFF, b = words[0].value >> 8;
    const DWORD c = words[1].value & 0xFF, d = words[1].value >> 8;
    return a << 24 | b << 16 | c << 8 | d;
}
}

template <class TBase>
BOOL CPropPageMpptWizardComm<TBase>::OnInitDialog()
{
    TBase::OnInitDialog();
    this->ShowNotReadNote({MPPT_SETTING_CONTROLLER_NAME, MPPT_SETTING_DHCP_ENABLED, MPPT_SETTING_IP_ADDRESS,
                           MPPT_SETTING_SUBNET_MASK, MPPT_SETTING_GATEWAY, MPPT_SETTING_PRIMARY_DNS,
                           MPPT_SETTING_SECONDARY_DNS, MPPT_SETTING_HTTP_PORT, MPPT_SETTING_MODBUS_TCP_PORT,
                           MPPT_SETTING_IP_BRIDGING, MPPT_SETTING_ETHERNET_POWER_SAVE});
    OnAddressingClicked();
    return TRUE;
}

template <class TBase>
void CPropPageMpptWizardComm<TBase>::DoDataExchange(CDataExchange* pDX)
{
    DDX_MpptSetting(this, pDX, IDC_VXM_COMM_SKELDER, MPPT_SETTING_SKELDER_ID);
    DDX_MpptSetting(this, pDX, IDC_VXM_COMM_MODBUS, MPPT_SETTING_MODBUS_ID);
    DDX_MpptSetting(this, pDX, IDC_VXM_COMM_NAME, MPPT_SETTING_CONTROLLER_NAME);

    auto dhcp = [this] { return this->settings->GetVariable(MPPT_SETTING_DHCP_ENABLED); };
    // Neither choice is shown for a controller that did not say which it uses.
    int addressing = this->IsNotRead(MPPT_SETTING_DHCP_ENABLED) ? -1
                     : this->SettingOn(MPPT_SETTING_DHCP_ENABLED) ? 0
                                                                  : 1;
    DDX_Radio(pDX, IDC_VXM_COMM_DHCP, addressing);
    const bool staticAddress = addressing == 1;
    if (pDX->m_bSaveAndValidate && addressing != -1)
    {
        MpptExchangeAssign(pDX, dhcp, staticAddress ? "false" : "true");
        this->MarkSet(MPPT_SETTING_DHCP_ENABLED);
    }
    static const int ADDRESS_CONTROLS[5] = {IDC_VXM_COMM_IP, IDC_VXM_COMM_MASK, IDC_VXM_COMM_GATEWAY,
                                            IDC_VXM_COMM_DNS1, IDC_VXM_COMM_DNS2};
    if (!pDX->m_bSaveAndValidate || staticAddress)
        for (int i = 0; i < 5; ++i)
            DDX_MpptSetting(this, pDX, ADDRESS_CONTROLS[i], MPPT_SETTING_IP_ADDRESS + i);

    DDX_MpptSetting(this, pDX, IDC_VXM_COMM_HTTP_PORT, MPPT_SETTING_HTTP_PORT);
    DDX_MpptSetting(this, pDX, IDC_VXM_COMM_MODBUS_PORT, MPPT_SETTING_MODBUS_TCP_PORT);
    DDX_MpptOptionalSetting(this, pDX, IDC_VXM_COMM_BRIDGE, 0, MPPT_SETTING_IP_BRIDGING, "1");
    DDX_MpptOptionalSetting(this, pDX, IDC_VXM_COMM_POWER_SAVE, 0,
                            MPPT_SETTING_ETHERNET_POWER_SAVE, "1");

    if (!pDX->m_bSaveAndValidate || !this->validating)
        return;
    if (staticAddress)
    {
        // A static address puts all five into effect: none may be one nobody was shown.
        for (int i = 0; i < 5; ++i)
            if (this->IsNotRead(MPPT_SETTING_IP_ADDRESS + i))
                MpptCheckFailed(pDX, ADDRESS_CONTROLS[i],
                                "Error: the static IP address settings were not read from the controller;\n"
                                "enter the IP address, subnet mask, gateway and DNS addresses to use.");
        const DWORD ip = HostOrderAddress(this->settings->GetVariable(MPPT_SETTING_IP_ADDRESS));
        const DWORD mask = HostOrderAddress(this->settings->GetVariable(MPPT_SETTING_SUBNET_MASK));
        const DWORD gateway = HostOrderAddress(this->settings->GetVariable(MPPT_SETTING_GATEWAY));
        if (gateway != 0 && (gateway & mask) != (ip & mask))
            MpptCheckFailed(pDX, IDC_VXM_COMM_MASK,
                            "Error: the given subnet mask will make the gateway unreachable;\n"
                            "you either have the wrong IP, subnet mask, or gateway.");
    }
    if (this->SettingValue(MPPT_SETTING_HTTP_PORT) == this->SettingValue(MPPT_SETTING_MODBUS_TCP_PORT))
        MpptCheckFailed(pDX, IDC_VXM_COMM_HTTP_PORT,
                        "Error: HTTP port and Modbus/TCP port cannot be the same");
}

template <class TBase>
void CPropPageMpptWizardComm<TBase>::OnAddressingClicked()
{
    this->UpdateData(TRUE);
    this->EnableControls({IDC_VXM_COMM_IP, IDC_VXM_COMM_IP_LABEL, IDC_VXM_COMM_MASK,
                          IDC_VXM_COMM_MASK_LABEL, IDC_VXM_COMM_GATEWAY,
                          IDC_VXM_COMM_GATEWAY_LABEL, IDC_VXM_COMM_DNS1,
                          IDC_VXM_COMM_DNS1_LABEL, IDC_VXM_COMM_DNS2, IDC_VXM_COMM_DNS2_LABEL},
                         !this->SettingOn(MPPT_SETTING_DHCP_ENABLED));
}

template <class TBase>
void CPropPageMpptWizardComm<TBase>::OnBridgeClicked()
{
    const bool bridgingBefore = this->SettingOn(MPPT_SETTING_IP_BRIDGING);
    this->UpdateData(TRUE);
    if (!bridgingBefore && this->SettingOn(MPPT_SETTING_IP_BRIDGING))
        AfxMessageBox("Warning: enabling bridging causes all Modbus requests, both\n"
                      "reads and writes, to be bridged, even if the TCP/IP security\n"
                      "settings switch is set to read-only!",
                      MB_OK | MB_ICONEXCLAMATION);
}

// --- Notification servers ---------------------------------------------------------------
BEGIN_TEMPLATE_MESSAGE_MAP(CPropPageMpptWizardNotification, TBase, TBase)
    ON_BN_CLICKED(IDC_VXM_SMTP_CHANGE_PASSWORD, OnChangePasswordClicked)
END_MESSAGE_MAP()

template <class TBase>
BOOL CPropPageMpptWizardNotification<TBase>::OnInitDialog()
{
    TBase::OnInitDialog();
    this->ShowNotReadNote({MPPT_SETTING_SMTP_SERVER, MPPT_SETTING_SMTP_USERNAME, MPPT_SETTING_SMTP_TO_ADDRESS,
                           MPPT_SETTING_SNMP_TRAP_IP, MPPT_SETTING_SNMP_TRAP_PORT});
    OnChangePasswordClicked();
    return TRUE;
}

template <class TBase>
void CPropPageMpptWizardNotification<TBase>::DoDataExchange(CDataExchange* pDX)
{
    DDX_MpptSetting(this, pDX, IDC_VXM_SMTP_SERVER, MPPT_SETTING_SMTP_SERVER);
    DDX_MpptSetting(this, pDX, IDC_VXM_SMTP_USER, MPPT_SETTING_SMTP_USERNAME);

    // The controller never gives its password back: it is sent only when the user
    // typed one here.
    CModbusVariable* password = this->settings->GetVariable(MPPT_SETTING_SMTP_PASSWORD);
    int changePassword = password->HasValue() ? BST_CHECKED : BST_UNCHECKED;
    DDX_Check(pDX, IDC_VXM_SMTP_CHANGE_PASSWORD, changePassword);
    if (!pDX->m_bSaveAndValidate)
    {
        if (password->HasValue())
            DDX_MpptSetting(this, pDX, IDC_VXM_SMTP_PASSWORD, MPPT_SETTING_SMTP_PASSWORD);
    }
    else if (changePassword == BST_CHECKED)
    {
        DDX_MpptSetting(this, pDX, IDC_VXM_SMTP_PASSWORD, MPPT_SETTING_SMTP_PASSWORD);
    }
    else
    {
        password->ClearValue();
    }

    DDX_MpptSetting(this, pDX, IDC_VXM_SMTP_TO, MPPT_SETTING_SMTP_TO_ADDRESS);
    DDX_MpptSetting(this, pDX, IDC_VXM_SNMP_IP, MPPT_SETTING_SNMP_TRAP_IP);
    DDX_MpptSetting(this, pDX, IDC_VXM_SNMP_PORT, MPPT_SETTING_SNMP_TRAP_PORT);
}

template <class TBase>
void CPropPageMpptWizardNotification<TBase>::OnChangePasswordClicked()
{
    this->UpdateData(TRUE);
    this->EnableControls({IDC_VXM_SMTP_PASSWORD},
                         this->settings->GetVariable(MPPT_SETTING_SMTP_PASSWORD)->HasValue());
}

template class CPropPageMpptWizardWind<CPropPageVarnixMpptWizard>;
template class CPropPageMpptWizardWind<CPropPageVarnixHvMpptWizard>;
template class CPropPageMpptWizardLed<CPropPageVarnixMpptWizard>;
template class CPropPageMpptWizardLed<CPropPageVarnixHvMpptWizard>;
template class CPropPageMpptWizardLogging<CPropPageVarnixMpptWizard>;
template class CPropPageMpptWizardLogging<CPropPageVarnixHvMpptWizard>;
template class CPropPageMpptWizardComm<CPropPageVarnixMpptWizard>;
template class CPropPageMpptWizardComm<CPropPageVarnixHvMpptWizard>;
template class CPropPageMpptWizardNotification<CPropPageVarnixMpptWizard>;
template class CPropPageMpptWizardNotification<CPropPageVarnixHvMpptWizard>;
