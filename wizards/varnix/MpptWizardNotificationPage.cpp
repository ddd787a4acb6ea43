#include "wizards/varnix/MpptWizardNotificationPage.h"

#include "documents/CDocumentManager.h"
#include "documents/TextHelpers.h"
#include "documents/VariantHelpers.h"
#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "shell/ProgramFolders.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace
{
std::string WindowText(const CWnd& control)
{
    CString text;
    control.GetWindowText(text);
    return text.GetString();
}

long RoundedValue(const CModbusVariable* variable)
{
    return std::lround(variable->AsDouble());
}

// The entry whose item data equals the value, else the first.
void SelectByData(CComboBox& combo, long value)
{
    for (int i = 0; i < combo.GetCount(); ++i)
        if (static_cast<long>(static_cast<INT_PTR>(combo.GetItemData(i))) == value)
        {
            combo.SetCurSel(i);
            return;
        }
    combo.SetCurSel(combo.GetCount() > 0 ? 0 : -1);
}

int AddEntry(CComboBox& combo, const std::string& text, long data)
{
    const int index = combo.AddString(text.c_str());
    combo.SetItemData(index, static_cast<DWORD_PTR>(static_cast<INT_PTR>(data)));
    return index;
}

// A typed comparison value as the register word the controller compares with; refuses a
// text that is not a number and a value whose word does not fit the register.
std::string ComparisonWord(const GenericVariable_t& variable, const std::string& text)
{
    const char* start = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == start || (end && *end != '\0'))
        throw std::runtime_error("comparison value is not a number");
    const double scaling = variable.scaling != 0.0 ? variable.scaling : 1.0;
    const double raw = std::round(value / scaling);
    const bool isSigned = variable.min < 0.0;
    if (raw < (isSigned ? -32768.0 : 0.0) || raw > (isSigned ? 32767.0 : 65535.0))
        throw std::runtime_error("comparison value is out of range for " + variable.name);
    return std::to_string(variable.TextToRaw(text));
}
}

BEGIN_TEMPLATE_MESSAGE_MAP(CPropPageMpptWizardNotification12, TBase, TBase)
    ON_BN_CLICKED(IDC_VXM_NOTIFY_ENABLE, OnEnableClicked)
    ON_CBN_SELCHANGE(IDC_VXM_NOTIFY_SOURCE, OnSourceChanged)
    ON_CBN_SELCHANGE(IDC_VXM_NOTIFY_REGISTER_COMBO, OnRegisterChanged)
END_MESSAGE_MAP()

template <class TBase>
void CPropPageMpptWizardNotification12<TBase>::DoDataExchange(CDataExchange* pDX)
{
    // The controls are only attached; LoadNotification and StoreNotification move the values.
    DDX_Control(pDX, IDC_VXM_NOTIFY_ENABLE, m_enable);
    DDX_Control(pDX, IDC_VXM_NOTIFY_NAME, m_name);
    DDX_Control(pDX, IDC_VXM_NOTIFY_SOURCE, m_source);
    DDX_Control(pDX, IDC_VXM_NOTIFY_MODBUS_ADDRESS, m_modbusAddress);
    DDX_Control(pDX, IDC_VXM_NOTIFY_REGISTER_COMBO, m_register);
    DDX_Control(pDX, IDC_VXM_NOTIFY_REGISTER_EDIT, m_registerAddress);
    DDX_Control(pDX, IDC_VXM_NOTIFY_COMPARE_TYPE, m_compareType);
    DDX_Control(pDX, IDC_VXM_NOTIFY_VALUE, m_value);
    DDX_Control(pDX, IDC_VXM_NOTIFY_VALUE_COMBO, m_valueChoice);
    DDX_Control(pDX, IDC_VXM_NOTIFY_SECONDS, m_seconds);
    DDX_Control(pDX, IDC_VXM_NOTIFY_EMAIL, m_email);
    DDX_Control(pDX, IDC_VXM_NOTIFY_SNMP, m_snmp);
    DDX_Control(pDX, IDC_VXM_NOTIFY_RESET_SECONDS, m_resetSeconds);
}

template <class TBase>
BOOL CPropPageMpptWizardNotification12<TBase>::OnInitDialog()
{
    TBase::OnInitDialog();
    CString enableText;
    enableText.Format("Enable Notification %i", m_index);
    m_enable.SetWindowText(enableText);
    m_name.SetLimitText(15);

    const std::wstring path = GetProgramFolders().GetDevicesXmlPath();
    try
    {
        m_devices = LoadGenericDevices(path, CDocumentManager::GetApplicationManager(), -1, -1,
                                       nullptr, nullptr);
    }
    catch (const std::exception& error)
    {
        m_devices.clear();
        const std::string message = "Error: unable to load devices from " + WideToNarrow(path) +
                                    "\n(" + error.what() + ")";
        AfxMessageBox(message.c_str(), MB_OK | MB_ICONSTOP);
    }

    m_source.SetCurSel(AddEntry(m_source, "this Varnix MPPT", MPPT_SOURCE_THIS_CONTROLLER));
    AddEntry(m_source, "generic Modbus variable", MPPT_SOURCE_GENERIC);
    for (const CDocumentDeviceGeneric1Ptr& device : m_devices)
        AddEntry(m_source, device->GetName().GetString(), device->GetDeviceType());

    sourceKind = Member(MPPT_NOTIFY_SOURCE_MODBUS_ID)->AsDouble() != 0.0 ? MPPT_SOURCE_GENERIC
                                                                          : MPPT_SOURCE_THIS_CONTROLLER;
    for (const ModbusTranslation_t& type : MPPT_COMPARE_TYPES)
        m_compareType.AddString(type.text);

    FillAddressCombo(sourceKind);
    LoadNotification();
    return TRUE;
}

template <class TBase>
LRESULT CPropPageMpptWizardNotification12<TBase>::OnWizardNext()
{
    const LRESULT result = TBase::OnWizardNext();
    if (result == -1)
        return -1;
    return StoreNotification() ? result : -1;
}

template <class TBase>
BOOL CPropPageMpptWizardNotification12<TBase>::OnWizardFinish()
{
    this->validating = true;
    if (!this->UpdateData(TRUE) || !StoreNotification())
    {
        this->validating = false;
        return FALSE;
    }
    return TBase::OnWizardFinish();
}

template <class TBase>
int CPropPageMpptWizardNotification12<TBase>::SelectedSource() const
{
    const int selection = m_source.GetCurSel();
    if (selection < 0)
        return MPPT_SOURCE_THIS_CONTROLLER;
    return static_cast<int>(static_cast<INT_PTR>(m_source.GetItemData(selection)));
}

template <class TBase>
const CDocumentDeviceGeneric1* CPropPageMpptWizardNotification12<TBase>::SourceDevice(int kind) const
{
    if (kind == MPPT_SOURCE_GENERIC)
        return nullptr;
    const int type = kind == MPPT_SOURCE_THIS_CONTROLLER ? MPPT_THIS_CONTROLLER_DEVICE_TYPE : kind;
    for (const CDocumentDeviceGeneric1Ptr& device : m_devices)
        if (device->GetDeviceType() == type)
            return device.get();
    return nullptr;
}

template <class TBase>
const GenericVariable_t* CPropPageMpptWizardNotification12<TBase>::FindSourceVariable() const
{
    const CDocumentDeviceGeneric1* device = SourceDevice(SelectedSource());
    const int selection = m_register.GetCurSel();
    if (!device || selection < 0)
        return nullptr;
    const int address = static_cast<int>(static_cast<INT_PTR>(m_register.GetItemData(selection)));
    for (const GenericVariable_t& variable : device->GetVariables())
        if (variable.addressHigh == -1 && variable.addressLow == address)
            return &variable;
    return nullptr;
}

template <class TBase>
void CPropPageMpptWizardNotification12<TBase>::FillAddressCombo(int kind)
{
    m_register.ResetContent();
    if (kind == MPPT_SOURCE_GENERIC)
    {
        this->SetDlgItemText(IDC_VXM_NOTIFY_UNITS, "");
        this->ShowControls({IDC_VXM_NOTIFY_VALUE_COMBO}, false);
        // The value is then typed as a number; a choice list of the earlier source must
        // not leave the page without a value control.
        this->ShowControls({IDC_VXM_NOTIFY_VALUE, IDC_VXM_NOTIFY_UNITS}, true);
        return;
    }
    const CDocumentDeviceGeneric1* device = SourceDevice(kind);
    if (!device)
        return;
    // Whole registers only: a 32-bit value cannot be compared with one word.
    for (const GenericVariable_t& variable : device->GetVariables())
        if (variable.addressHigh == -1)
            AddEntry(m_register, variable.name, variable.addressLow);
    SelectByData(m_register, RoundedValue(Member(MPPT_NOTIFY_PDU_ADDRESS)));
    UpdateUnits();
}

template <class TBase>
void CPropPageMpptWizardNotification12<TBase>::FillValueCombo(const GenericVariable_t& variable)
{
    m_valueChoice.ResetContent();
    for (const auto& translation : variable.translations)
        AddEntry(m_valueChoice, translation.second, static_cast<long>(translation.first));
    SelectByData(m_valueChoice, RoundedValue(Member(MPPT_NOTIFY_COMPARE_VALUE)));
}

template <class TBase>
void CPropPageMpptWizardNotification12<TBase>::UpdateUnits()
{
    const GenericVariable_t* variable = FindSourceVariable();
    if (!variable)
        return;
    this->SetDlgItemText(IDC_VXM_NOTIFY_UNITS, variable->units.c_str());
    const bool choices = variable->hasTranslations;
    if (choices)
        FillValueCombo(*variable);
    this->ShowControls({IDC_VXM_NOTIFY_VALUE_COMBO}, choices);
    this->ShowControls({IDC_VXM_NOTIFY_VALUE, IDC_VXM_NOTIFY_UNITS}, !choices);
}

template <class TBase>
void CPropPageMpptWizardNotification12<TBase>::LoadNotification()
{
    if (NotRead())
    {
        // Undecided until the user picks on or off; a click then leaves that state.
        m_enable.SetButtonStyle(BS_AUTO3STATE);
        m_enable.SetCheck(BST_INDETERMINATE);
        for (CEdit* edit : {&m_name, &m_modbusAddress, &m_registerAddress, &m_value, &m_seconds, &m_resetSeconds})
            edit->SetWindowText("");
        m_email.SetCheck(BST_UNCHECKED);
        m_snmp.SetCheck(BST_UNCHECKED);
        this->ShowControls({IDC_VXM_NOT_READ_NOTE}, true);
        this->UpdateData(FALSE);
        OnEnableClicked();
        OnSourceChanged();
        return;
    }
    m_enable.SetCheck(Member(MPPT_NOTIFY_ENABLED)->AsDouble() != 0.0 ? BST_CHECKED : BST_UNCHECKED);
    m_name.SetWindowText(Member(MPPT_NOTIFY_IDENTIFIER)->ToString().c_str());
    SelectByData(m_source, sourceKind);
    m_modbusAddress.SetWindowText(sourceKind == MPPT_SOURCE_THIS_CONTROLLER
                                      ? "0"
                                      : Member(MPPT_NOTIFY_SOURCE_MODBUS_ID)->ToString().c_str());
    if (sourceKind == MPPT_SOURCE_GENERIC)
        m_registerAddress.SetWindowText(Member(MPPT_NOTIFY_PDU_ADDRESS)->ToString().c_str());
    else
        SelectByData(m_register, RoundedValue(Member(MPPT_NOTIFY_PDU_ADDRESS)));

    const std::string compareType = Member(MPPT_NOTIFY_COMPARE_TYPE)->ToString();
    const int typeIndex = m_compareType.FindStringExact(-1, compareType.c_str());
    m_compareType.SetCurSel(typeIndex >= 0 ? typeIndex : 0);

    const GenericVariable_t* variable =
        sourceKind == MPPT_SOURCE_GENERIC ? nullptr : FindSourceVariable();
    if (variable && variable->hasTranslations)
        FillValueCombo(*variable);
    else if (variable)
        m_value.SetWindowText(
            FormatVariant(variable->RawToVariant(RoundedValue(Member(MPPT_NOTIFY_COMPARE_VALUE))))
                .c_str());
    else
        // Without a description (a generic source, or no devices.xml) the value is the
        // register word itself.
        m_value.SetWindowText(Member(MPPT_NOTIFY_COMPARE_VALUE)->ToString().c_str());

    m_seconds.SetWindowText(Member(MPPT_NOTIFY_SECONDS_OVER)->ToString().c_str());
    m_resetSeconds.SetWindowText(Member(MPPT_NOTIFY_RESET_SECONDS)->ToString().c_str());
    m_email.SetCheck(Member(MPPT_NOTIFY_SMTP)->AsDouble() != 0.0 ? BST_CHECKED : BST_UNCHECKED);
    m_snmp.SetCheck(Member(MPPT_NOTIFY_SNMP)->AsDouble() != 0.0 ? BST_CHECKED : BST_UNCHECKED);
    this->UpdateData(FALSE);
    OnEnableClicked();
    OnSourceChanged();
}

template <class TBase>
bool CPropPageMpptWizardNotification12<TBase>::StoreNotification()
{
    this->UpdateData(TRUE);
    // What the page stores the user has decided: it is set, whether it was read or not.
    auto store = [this](EMpptNotificationMember member, const std::string& text) {
        Member(member)->FromString(text.c_str());
        this->MarkSet(MpptNotificationSetting(m_index, member));
    };
    try
    {
        if (NotRead() && m_enable.GetCheck() == BST_INDETERMINATE)
            return true;
        // A notification sent to a server the controller did not give would go where nobody
        // saw; asked before anything is stored.
        if (m_enable.GetCheck() == BST_CHECKED && m_email.GetCheck() == BST_CHECKED &&
            (this->IsNotRead(MPPT_SETTING_SMTP_SERVER) || this->IsNotRead(MPPT_SETTING_SMTP_TO_ADDRESS)))
            throw std::runtime_error("you requested email notification, but the email server and \"To\" address "
                                     "were not read from the controller; set them on the earlier page");
        if (m_enable.GetCheck() == BST_CHECKED && m_snmp.GetCheck() == BST_CHECKED &&
            (this->IsNotRead(MPPT_SETTING_SNMP_TRAP_IP) || this->IsNotRead(MPPT_SETTING_SNMP_TRAP_PORT)))
            throw std::runtime_error("you requested SNMP notification, but the SNMP trap receiver was not read "
                                     "from the controller; set it on the earlier page");
        m_enable.SetButtonStyle(BS_AUTOCHECKBOX);
        if (m_enable.GetCheck() != BST_CHECKED)
        {
            store(MPPT_NOTIFY_ENABLED, "false");
            return true;
        }
        store(MPPT_NOTIFY_ENABLED, "true");
        store(MPPT_NOTIFY_IDENTIFIER, WindowText(m_name));
        const int kind = SelectedSource();
        if (kind == MPPT_SOURCE_THIS_CONTROLLER)
        {
            store(MPPT_NOTIFY_SOURCE_MODBUS_ID, "0");
        }
        else
        {
            store(MPPT_NOTIFY_SOURCE_MODBUS_ID, WindowText(m_modbusAddress));
            if (Member(MPPT_NOTIFY_SOURCE_MODBUS_ID)->AsDouble() == 0.0)
                throw std::runtime_error("zero is not a valid remote Modbus address");
        }
        if (kind == MPPT_SOURCE_GENERIC)
            store(MPPT_NOTIFY_PDU_ADDRESS, WindowText(m_registerAddress));
        else if (m_register.GetCurSel() >= 0)
            store(MPPT_NOTIFY_PDU_ADDRESS,
                  std::to_string(static_cast<INT_PTR>(m_register.GetItemData(m_register.GetCurSel()))));

        CString compareType;
        if (m_compareType.GetCurSel() >= 0)
            m_compareType.GetLBText(m_compareType.GetCurSel(), compareType);
        store(MPPT_NOTIFY_COMPARE_TYPE, compareType.GetString());

        const GenericVariable_t* variable = kind == MPPT_SOURCE_GENERIC ? nullptr : FindSourceVariable();
        if (variable && variable->hasTranslations)
        {
            if (m_valueChoice.GetCurSel() >= 0)
                store(MPPT_NOTIFY_COMPARE_VALUE,
                      std::to_string(static_cast<INT_PTR>(m_valueChoice.GetItemData(m_valueChoice.GetCurSel()))));
        }
        else if (variable)
        {
            store(MPPT_NOTIFY_COMPARE_VALUE, ComparisonWord(*variable, WindowText(m_value)));
        }
        else
        {
            store(MPPT_NOTIFY_COMPARE_VALUE, WindowText(m_value));
        }

        store(MPPT_NOTIFY_SECONDS_OVER, WindowText(m_seconds));
        const bool email = m_email.GetCheck() == BST_CHECKED;
        const bool snmp = m_snmp.GetCheck() == BST_CHECKED;
        store(MPPT_NOTIFY_SMTP, email ? "true" : "false");
        store(MPPT_NOTIFY_SNMP, snmp ? "true" : "false");
        store(MPPT_NOTIFY_RESET_SECONDS, WindowText(m_resetSeconds));

        if (email && this->settings->GetVariable(MPPT_SETTING_SMTP_SERVER)->ToString().empty())
            throw std::runtime_error("you requested email notification, but did not set an email server on the earlier page");
        if (snmp && this->settings->GetVariable(MPPT_SETTING_SNMP_TRAP_IP)->ToString() == "0.0.0.0")
            throw std::runtime_error("you requested SNMP notification, but did not set an SNMP trap server on the earlier page");
        if (!email && !snmp)
            throw std::runtime_error("you enabled the notification, but did not pick at least one notification method (email and/or SNMP)");
        return true;
    }
    catch (const std::exception& error)
    {
        AfxMessageBox(("Error: " + std::string(error.what())).c_str(), MB_OK | MB_ICONSTOP);
        return false;
    }
}

template <class TBase>
void CPropPageMpptWizardNotification12<TBase>::OnEnableClicked()
{
    this->EnableControls({IDC_VXM_NOTIFY_NAME, IDC_VXM_NOTIFY_SOURCE, IDC_VXM_NOTIFY_MODBUS_ADDRESS,
                          IDC_VXM_NOTIFY_REGISTER_COMBO, IDC_VXM_NOTIFY_REGISTER_EDIT,
                          IDC_VXM_NOTIFY_COMPARE_TYPE, IDC_VXM_NOTIFY_VALUE,
                          IDC_VXM_NOTIFY_VALUE_COMBO, IDC_VXM_NOTIFY_SECONDS, IDC_VXM_NOTIFY_EMAIL,
                          IDC_VXM_NOTIFY_SNMP, IDC_VXM_NOTIFY_RESET_SECONDS},
                         m_enable.GetCheck() == BST_CHECKED);
}

template <class TBase>
void CPropPageMpptWizardNotification12<TBase>::OnSourceChanged()
{
    this->UpdateData(TRUE);
    const int kind = SelectedSource();
    this->ShowControls({IDC_VXM_NOTIFY_MODBUS_LABEL, IDC_VXM_NOTIFY_MODBUS_ADDRESS},
                       kind != MPPT_SOURCE_THIS_CONTROLLER);
    this->ShowControls({IDC_VXM_NOTIFY_REGISTER_COMBO}, kind != MPPT_SOURCE_GENERIC);
    this->ShowControls({IDC_VXM_NOTIFY_PDU_LABEL, IDC_VXM_NOTIFY_REGISTER_EDIT},
                       kind == MPPT_SOURCE_GENERIC);
    FillAddressCombo(kind);
}

template <class TBase>
void CPropPageMpptWizardNotification12<TBase>::OnRegisterChanged()
{
    UpdateUnits();
}

template class CPropPageMpptWizardNotification12<CPropPageVarnixMpptWizard>;
template class CPropPageMpptWizardNotification12<CPropPageVarnixHvMpptWizard>;
