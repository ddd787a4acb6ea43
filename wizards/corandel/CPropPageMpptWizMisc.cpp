#include "wizards/corandel/CPropPageMpptWizMisc.h"

#include "framework/MessageBoxHook.h"
#include "res/pyraxis_corandel_resource.h"
#include "wizards/corandel/CMpptSettings.h"
#include "wizards/corandel/MpptWizardFields.h"
#include "wizards/framework/ControllerAddress.h"
#include "wizards/framework/SettingText.h"

namespace
{
// Whole numbers in the controller's address ranges: after a Modbus ID of 0, the broadcast
// address, the controller would answer at none.
struct AddressField
{
    int control;
    UINT32 registerAddress;
    const ControllerAddress_t& address;
};
const AddressField ADDRESSES[] = {
    {IDC_MPPT_MODBUS, 0xE034, MODBUS_ADDRESS},
    {IDC_MPPT_SKELDER, 0xE035, SKELDER_ADDRESS},
};

const MpptWizardField FIELDS[] = {
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
    for (const AddressField& field : ADDRESSES)
        SetDlgItemText(field.control, FormatNumber("%.0f", m_settings->GetValue(field.registerAddress)));
    for (const MpptWizardField& field : FIELDS)
        SetDlgItemText(field.control, FormatWizardField(*m_settings, field));
    return CPropPageMpptWizard::OnSetActive();
}

bool CPropPageMpptWizMisc::StoreFields(bool)
{
    for (const AddressField& field : ADDRESSES)
    {
        int value = 0;
        CString error;
        if (!field.address.ParseEntry(GetItemText(field.control), &value, &error))
        {
            AfxMessageBox(error, MB_OK | MB_ICONERROR);
            return false;
        }
        m_settings->SetValue(field.registerAddress, value);
    }
    for (const MpptWizardField& field : FIELDS)
    {
        if (!CheckAndStore(field.registerAddress, GetItemText(field.control), field.lowest, field.highest,
                           field.divisor, field.name, field.format))
            return false;
    }
    return true;
}
