#include "wizards/corandel/CPropPageMpptWizLvdHvd.h"

#include "framework/MessageBoxHook.h"
#include "res/pyraxis_corandel_resource.h"
#include "wizards/corandel/CMpptSettings.h"
#include "wizards/corandel/MpptWizardFields.h"
#include "wizards/framework/SettingText.h"

namespace
{
const UINT32 REG_LVD_DELAY = 0xE027;
const UINT32 REG_HVD = 0xE024;
const UINT32 REG_HVR = 0xE025;

const MpptWizardField LVD = {IDC_MPPT_LVD, 0xE022, "%.2f", "Low Voltage Disconnect", 0, 1000, 1};
const MpptWizardField LVR = {IDC_MPPT_LVR, 0xE023, "%.2f", "Low Voltage Reconnect", 0, 1000, 1};
const MpptWizardField COMPENSATION = {IDC_MPPT_LOAD_COMPENSATION, 0xE026, "%.3f", "Load Current Compensation",
                                      -1000, 0, 1};
const MpptWizardField HVD = {IDC_MPPT_LOAD_HVD, REG_HVD, "%.2f", "High Voltage Disconnect", 0, 1000, 1};
const MpptWizardField HVR = {IDC_MPPT_LOAD_HVR, REG_HVR, "%.2f", "High Voltage Reconnect", 0, 1000, 1};

// The delay is entered as minutes and seconds; the register counts tenths of a second.
const int DELAY_MINUTES_LIMIT = 108;
const int DELAY_SECONDS_LIMIT = 60;
}

BEGIN_MESSAGE_MAP(CPropPageMpptWizLvdHvd, CPropPageMpptWizard)
    ON_BN_CLICKED(IDC_MPPT_ENABLE_HVD, OnEnableHvd)
END_MESSAGE_MAP()

CPropPageMpptWizLvdHvd::CPropPageMpptWizLvdHvd(CMpptSettings* settings)
    : CPropPageMpptWizard(IDD_MPPT_LOAD, settings)
{
}

BOOL CPropPageMpptWizLvdHvd::OnSetActive()
{
    if (!CPropPageMpptWizard::OnSetActive())
        return FALSE;
    for (const MpptWizardField* field : {&LVD, &LVR, &COMPENSATION, &HVD, &HVR})
        SetDlgItemText(field->control, FormatWizardField(*m_settings, *field));
    const int delay = static_cast<int>(m_settings->GetValue(REG_LVD_DELAY));
    CString text;
    text.Format("%i", delay / 60);
    SetDlgItemText(IDC_MPPT_LVD_DELAY_MINUTES, text);
    text.Format("%i", delay % 60);
    SetDlgItemText(IDC_MPPT_LVD_DELAY_SECONDS, text);
    CheckDlgButton(IDC_MPPT_ENABLE_HVD, m_settings->GetValue(REG_HVD) >= 0.001 ? BST_CHECKED : BST_UNCHECKED);
    OnEnableHvd();
    return TRUE;
}

void CPropPageMpptWizLvdHvd::OnEnableHvd()
{
    const bool enabled = IsChecked(IDC_MPPT_ENABLE_HVD);
    EnableItem(HVD.control, enabled);
    EnableItem(HVR.control, enabled);
}

bool CPropPageMpptWizLvdHvd::ReadDelayPart(int control, const char* name, int limit, int* value)
{
    CString text = GetItemText(control);
    // An emptied field counts 0, as an emptied value field of these pages does.
    if (text.Trim().IsEmpty())
    {
        *value = 0;
        return true;
    }
    CString message;
    if (!ParseDecimalInteger(text, value))
        message.Format("Error: invalid characters in Delay %s", name);
    else if (*value < 0)
        message.Format("Error: Delay %s cannot be negative", name);
    else if (*value >= limit)
        message.Format("Error: Delay %s must be less than %i", name, limit);
    else
        return true;
    AfxMessageBox(message, MB_OK | MB_ICONERROR);
    return false;
}

bool CPropPageMpptWizLvdHvd::StoreFields(bool)
{
    auto check = [this](const MpptWizardField& f) {
        return CheckAndStore(f.registerAddress, GetItemText(f.control), f.lowest, f.highest, f.divisor, f.name, f.format);
    };
    if (!check(LVD) || !check(LVR))
        return false;
    int minutes = 0;
    int seconds = 0;
    if (!ReadDelayPart(IDC_MPPT_LVD_DELAY_MINUTES, "minutes", DELAY_MINUTES_LIMIT, &minutes) ||
        !ReadDelayPart(IDC_MPPT_LVD_DELAY_SECONDS, "seconds", DELAY_SECONDS_LIMIT, &seconds))
        return false;
    // Shown in whole seconds: a delay left as it was shown keeps its tenths.
    if (minutes * 60 + seconds != static_cast<int>(m_settings->GetValue(REG_LVD_DELAY)))
        m_settings->SetValue(REG_LVD_DELAY, minutes * 60 + seconds);
    if (!check(COMPENSATION))
        return false;
    if (!IsChecked(IDC_MPPT_ENABLE_HVD))
    {
        m_settings->SetValue(REG_HVD, 0);
        m_settings->SetValue(REG_HVR, 0);
        return true;
    }
    return check(HVD) && check(HVR);
}
