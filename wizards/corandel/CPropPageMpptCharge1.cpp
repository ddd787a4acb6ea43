#include "wizards/corandel/CPropPageMpptCharge1.h"

#include "res/pyraxis_corandel_resource.h"
#include "wizards/corandel/CMpptSettings.h"
#include "wizards/corandel/MpptWizardFields.h"

namespace
{
// A stage is off while its voltage is zero.
const double STAGE_OFF_BELOW = 0.001;

// Bank 1's registers; bank 2's follow from the second table.
enum Field
{
    ABSORPTION, FLOAT_VOLTAGE, FLOAT_LOW_BATTERY, FLOAT_CANCEL, TIME_FLOAT, TIME_FLOAT_LOW_BATTERY,
    FLOAT_EXIT, EQUALIZE, EQUALIZE_DAYS, EQUALIZE_DURATION, EQUALIZE_TIMEOUT, FIELD_COUNT
};

const MpptWizardField BANK_FIELDS[2][FIELD_COUNT] = {
    {
        {IDC_MPPT_ABSORPTION, 0xE000, "%.2f", "Absorption voltage", 0, 1000, 1},
        {IDC_MPPT_FLOAT, 0xE001, "%.2f", "Float Voltage", 0, 1000, 1},
        {IDC_MPPT_FLOAT_LOW_BATTERY, 0xE004, "%.2f", "Float - Low Battery Threshold", 0, 1000, 1},
        {IDC_MPPT_FLOAT_CANCEL, 0xE005, "%.2f", "Float - Cancel Threshold", 0, 1000, 1},
        {IDC_MPPT_TIME_FLOAT, 0xE002, "%.0f", "Time Before Float", 0, 10000, 60},
        {IDC_MPPT_TIME_FLOAT_LOW_BATTERY, 0xE003, "%.0f", "Time Before Float - Low Battery", 0, 10000, 60},
        {IDC_MPPT_FLOAT_EXIT, 0xE006, "%.0f", "Time Until Float Exit", 0, 10000, 60},
        {IDC_MPPT_EQUALIZE, 0xE007, "%.2f", "Equalize Voltage", 0, 1000, 1},
        {IDC_MPPT_EQUALIZE_DAYS, 0xE008, "%.0f", "Days Between Equalizations", 0, 255, 1},
        {IDC_MPPT_EQUALIZE_DURATION, 0xE00A, "%.0f", "Equalize Duration", 0, 10000, 60},
        {IDC_MPPT_EQUALIZE_TIMEOUT, 0xE009, "%.0f", "Equalize Timeout", 0, 10000, 60},
    },
    {
        {IDC_MPPT_ABSORPTION, 0xE00D, "%.2f", "Absorption voltage", 0, 1000, 1},
        {IDC_MPPT_FLOAT, 0xE00E, "%.2f", "Float Voltage", 0, 1000, 1},
        {IDC_MPPT_FLOAT_LOW_BATTERY, 0xE011, "%.2f", "Float - Low Battery Threshold", 0, 1000, 1},
        {IDC_MPPT_FLOAT_CANCEL, 0xE012, "%.2f", "Float - Cancel Threshold", 0, 1000, 1},
        {IDC_MPPT_TIME_FLOAT, 0xE00F, "%.0f", "Time Before Float", 0, 10000, 60},
        {IDC_MPPT_TIME_FLOAT_LOW_BATTERY, 0xE010, "%.0f", "Time Before Float - Low Battery", 0, 10000, 60},
        {IDC_MPPT_FLOAT_EXIT, 0xE013, "%.0f", "Time Until Float Exit", 0, 10000, 60},
        {IDC_MPPT_EQUALIZE, 0xE014, "%.2f", "Equalize Voltage", 0, 1000, 1},
        {IDC_MPPT_EQUALIZE_DAYS, 0xE015, "%.0f", "Days Between Equalizations", 0, 255, 1},
        {IDC_MPPT_EQUALIZE_DURATION, 0xE017, "%.0f", "Equalize Duration", 0, 10000, 60},
        {IDC_MPPT_EQUALIZE_TIMEOUT, 0xE016, "%.0f", "Equalize Timeout", 0, 10000, 60},
    },
};

const Field FLOAT_FIELDS[] = {FLOAT_VOLTAGE, FLOAT_LOW_BATTERY, FLOAT_CANCEL, TIME_FLOAT, TIME_FLOAT_LOW_BATTERY,
                              FLOAT_EXIT};
const Field EQUALIZE_FIELDS[] = {EQUALIZE, EQUALIZE_DAYS, EQUALIZE_DURATION, EQUALIZE_TIMEOUT};
}

BEGIN_MESSAGE_MAP(CPropPageMpptCharge1, CPropPageMpptWizard)
    ON_BN_CLICKED(IDC_MPPT_DISABLE_FLOAT, OnCheckBoxClicked)
    ON_BN_CLICKED(IDC_MPPT_DISABLE_EQUALIZE, OnCheckBoxClicked)
END_MESSAGE_MAP()

CPropPageMpptCharge1::CPropPageMpptCharge1(CMpptSettings* settings)
    : CPropPageMpptCharge1(IDD_MPPT_CHARGE1, settings)
{
}

CPropPageMpptCharge1::CPropPageMpptCharge1(UINT dialogId, CMpptSettings* settings)
    : CPropPageMpptWizard(dialogId, settings)
{
}

BOOL CPropPageMpptCharge1::OnSetActive()
{
    if (!CPropPageMpptWizard::OnSetActive())
        return FALSE;
    const MpptWizardField* fields = BANK_FIELDS[IsBankTwo() ? 1 : 0];
    for (int i = 0; i < FIELD_COUNT; ++i)
        SetDlgItemText(fields[i].control, FormatWizardField(*m_settings, fields[i]));
    CheckDlgButton(IDC_MPPT_DISABLE_FLOAT,
                   m_settings->GetValue(fields[FLOAT_VOLTAGE].registerAddress) < STAGE_OFF_BELOW ? BST_CHECKED
                                                                                                : BST_UNCHECKED);
    CheckDlgButton(IDC_MPPT_DISABLE_EQUALIZE,
                   m_settings->GetValue(fields[EQUALIZE].registerAddress) < STAGE_OFF_BELOW ? BST_CHECKED
                                                                                           : BST_UNCHECKED);
    ApplyCheckBoxes();
    return TRUE;
}

void CPropPageMpptCharge1::ApplyCheckBoxes()
{
    const MpptWizardField* fields = BANK_FIELDS[IsBankTwo() ? 1 : 0];
    const bool floatOff = IsChecked(IDC_MPPT_DISABLE_FLOAT);
    for (Field field : FLOAT_FIELDS)
        EnableItem(fields[field].control, !floatOff);
    const bool equalizeOff = IsChecked(IDC_MPPT_DISABLE_EQUALIZE);
    for (Field field : EQUALIZE_FIELDS)
        EnableItem(fields[field].control, !equalizeOff);
}

void CPropPageMpptCharge1::OnCheckBoxClicked()
{
    ApplyCheckBoxes();
}

bool CPropPageMpptCharge1::StoreFields(bool)
{
    const MpptWizardField* fields = BANK_FIELDS[IsBankTwo() ? 1 : 0];
    auto check = [this, fields](Field field) {
        const MpptWizardField& f = fields[field];
        return CheckAndStore(f.registerAddress, GetItemText(f.control), f.lowest, f.highest, f.divisor, f.name, f.format);
    };

    if (!check(ABSORPTION))
        return false;
    if (IsChecked(IDC_MPPT_DISABLE_FLOAT))
    {
        m_settings->SetValue(fields[FLOAT_VOLTAGE].registerAddress, 0);
    }
    else
    {
        for (Field field : FLOAT_FIELDS)
        {
            if (!check(field))
                return false;
        }
    }
    if (IsChecked(IDC_MPPT_DISABLE_EQUALIZE))
    {
        m_settings->SetValue(fields[EQUALIZE].registerAddress, 0);
        return true;
    }
    for (Field field : EQUALIZE_FIELDS)
    {
        if (!check(field))
            return false;
    }
    return true;
}
