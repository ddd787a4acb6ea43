#include "wizards/corandel/CPropPageMpptWizMisc.h"

#include "res/pyraxis_corandel_resource.h"
#include "wizards/corandel/CMpptSettings.h"
#include "wizards/corandel/MpptWizardFields.h"

namespace
{
const MpptWizardField FIELDS[] = {
    {IDC_MPPT_MODBUS, 0xE034, "%.0f", "MOSBUS Address (ID)", 0, 247, 1},
    {IDC_MPPT_SKELDER, 0xE035, "%.0f", "Skelder Address", 0, 15, 1},
    {IDC_MPPT_LED_RISING_Y_G, 0xE030, "%.2f", "LED Threshold, Rising Y to G", 0, 200, 1},
    {IDC_MPPT_LED_RISING_R_Y, 0xE033, "%.2f", "LED Threshold, Rising R to Y", 0, 200, 1},
    {IDC_MPPT_LED_FALLING_G_Y, 0xE031, "%.2f", "LED Threshold, Falling G to Y", 0, 200, 1},
    {IDC_MPPT_LED_FALLING_Y_R, 0xE032, "%.2f", "LED Threshold, Falling Y to R", 0, 200, 1},
};
}

CPropPageMpptWizMisc::CPropPageMpptWizMisc(CMpptSettings* settings)
    : CPropPageMpptWizard(IDD_MPPT_MISC, settings)
{
}

BOOL CPropPageMpptWizMisc::OnSetActive()
{
    for (const MpptWizardField& field : FIELDS)
        SetDlgItemText(field.control, FormatWizardField(*m_settings, field));
    return CPropPageMpptWizard::OnSetActive();
}

bool CPropPageMpptWizMisc::StoreFields(bool)
{
    for (const MpptWizardField& field : FIELDS)
    {
        if (!CheckAndStore(field.registerAddress, GetItemText(field.control), field.lowest, field.highest,
                           field.divisor, field.name))
            return false;
    }
    return true;
}
