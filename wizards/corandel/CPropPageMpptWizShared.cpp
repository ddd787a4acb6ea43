#include "wizards/corandel/CPropPageMpptWizShared.h"

#include "res/pyraxis_corandel_resource.h"
#include "wizards/corandel/CMpptSettings.h"
#include "wizards/corandel/MpptWizardFields.h"

namespace
{
const UINT32 REG_MAX_REGULATION = 0xE01D;

const MpptWizardField FIELDS[] = {
    {IDC_MPPT_TEMP_COMP, 0xE01A, "%.3f", "Temperature Compensation", -0.38, 0, 1},
    {IDC_MPPT_HVD, 0xE01B, "%.2f", "Battery High Voltage Disconnect", 0, 1000, 1},
    {IDC_MPPT_HVR, 0xE01C, "%.2f", "Battery High Voltage Reconnect", 0, 1000, 1},
    {IDC_MPPT_MAX_REGULATION, REG_MAX_REGULATION, "%.2f", "Max. Regulation Voltage Limit", 0, 1000, 1},
    {IDC_MPPT_TEMP_COMP_MAX, 0xE01E, "%.1f", "Max. Temp. Compensation Limit", -128, 127, 1},
    {IDC_MPPT_TEMP_COMP_MIN, 0xE01F, "%.1f", "Min. Temp. Compensation Limit", -128, 127, 1},
};
}

BEGIN_MESSAGE_MAP(CPropPageMpptWizShared, CPropPageMpptWizard)
    ON_BN_CLICKED(IDC_MPPT_DISABLE_MAX_LIMIT, OnDisableMaxLimit)
END_MESSAGE_MAP()

CPropPageMpptWizShared::CPropPageMpptWizShared(CMpptSettings* settings)
    : CPropPageMpptWizard(IDD_MPPT_SHARED, settings)
{
}

BOOL CPropPageMpptWizShared::OnSetActive()
{
    if (!CPropPageMpptWizard::OnSetActive())
        return FALSE;
    for (const MpptWizardField& field : FIELDS)
        SetDlgItemText(field.control, FormatWizardField(*m_settings, field));
    CheckDlgButton(IDC_MPPT_DISABLE_MAX_LIMIT,
                   m_settings->GetValue(REG_MAX_REGULATION) < 0.001 ? BST_CHECKED : BST_UNCHECKED);
    OnDisableMaxLimit();
    return TRUE;
}

void CPropPageMpptWizShared::OnDisableMaxLimit()
{
    EnableItem(IDC_MPPT_MAX_REGULATION, !IsChecked(IDC_MPPT_DISABLE_MAX_LIMIT));
}

bool CPropPageMpptWizShared::StoreFields(bool)
{
    for (const MpptWizardField& field : FIELDS)
    {
        if (field.registerAddress == REG_MAX_REGULATION && IsChecked(IDC_MPPT_DISABLE_MAX_LIMIT))
        {
            m_settings->SetValue(REG_MAX_REGULATION, 0);
            continue;
        }
        if (!CheckAndStore(field.registerAddress, GetItemText(field.control), field.lowest, field.highest,
                           field.divisor, field.name, field.format))
            return false;
    }
    return true;
}
