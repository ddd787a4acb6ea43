#include "wizards/corandel/CPropPageCrWizBattery1.h"

#include "framework/MessageBoxHook.h"
#include "res/pyraxis_corandel_resource.h"
#include "wizards/corandel/CCorandelSettings.h"

namespace
{
// Limits of the entries: volts, and minutes.
const double MAX_VOLTS = 36.4;
const double MAX_MINUTES = 65535;
// A time until float above this turns the float stage off; leaving the page with
// "Disable Float" checked stores a whole day.
const double FLOAT_DISABLED_MINUTES = 1399.9;
const char* const FLOAT_DISABLED_TEXT = "1440";
const double EQUALIZE_DISABLED_VOLTS = 0.01;

// Battery 2's registers lie 0x0C above battery 1's.
const UINT32 BATTERY_OFFSET = 0x0C;
}

const CPropPageCrWizBattery1::SetControls CPropPageCrWizBattery1::SET_CONTROLS[2] = {
    {IDC_CRDUO_ABSORPTION_OFF, IDC_CRDUO_FLOAT_OFF, IDC_CRDUO_EQUALIZE_OFF, IDC_CRDUO_MAX_REGULATION_OFF,
     IDC_CRDUO_TIME_FLOAT_OFF, IDC_CRDUO_EQUALIZE_DURATION_OFF, IDC_CRDUO_DISABLE_EQUALIZE_OFF,
     IDC_CRDUO_DISABLE_FLOAT_OFF, IDC_CRDUO_GROUP_OFF},
    {IDC_CRDUO_ABSORPTION_ON, IDC_CRDUO_FLOAT_ON, IDC_CRDUO_EQUALIZE_ON, IDC_CRDUO_MAX_REGULATION_ON,
     IDC_CRDUO_TIME_FLOAT_ON, IDC_CRDUO_EQUALIZE_DURATION_ON, IDC_CRDUO_DISABLE_EQUALIZE_ON,
     IDC_CRDUO_DISABLE_FLOAT_ON, IDC_CRDUO_GROUP_ON},
};

BEGIN_MESSAGE_MAP(CPropPageCrWizBattery1, CPropPageCorandelWizard)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_CRDUO_DISABLE_EQUALIZE_OFF, IDC_CRDUO_DISABLE_FLOAT_ON, OnCheckBoxClicked)
END_MESSAGE_MAP()

CPropPageCrWizBattery1::CPropPageCrWizBattery1(CCorandelSettings* settings)
    : CPropPageCrWizBattery1(IDD_CORANDEL_BATTERY, settings)
{
}

CPropPageCrWizBattery1::CPropPageCrWizBattery1(UINT helpId, CCorandelSettings* settings)
    : CPropPageCorandelWizard(IDD_CORANDEL_BATTERY, settings), m_helpId(helpId)
{
}

CPropPageCrWizBattery1::SetRegisters CPropPageCrWizBattery1::GetSetRegisters(int set) const
{
    // Battery 1: OFF set 0xE006-0xE00B, ON set 0xE00C-0xE011; in each set absorption,
    // equalize, float, max. regulation, time until float, equalize duration.
    const UINT32 first = 0xE006 + (GetBatteryNumber() == 2 ? BATTERY_OFFSET : 0) + (set == 1 ? 6 : 0);
    return SetRegisters{first, first + 2, first + 1, first + 3, first + 4, first + 5};
}

BOOL CPropPageCrWizBattery1::OnSetActive()
{
    if (!CPropPageCorandelWizard::OnSetActive())
        return FALSE;
    SetSheetButtons(GetBatteryNumber() == 1 ? PSWIZB_NEXT : PSWIZB_BACK | PSWIZB_NEXT);
    FillControls();
    return TRUE;
}

void CPropPageCrWizBattery1::FillControls()
{
    const int battery = GetBatteryNumber();
    static const char* const CAPTIONS[2] = {"Battery %i Custom Setpoints - DIP Switch #%i in OFF position",
                                            "Battery %i Custom Setpoints - DIP Switch #%i in ON position"};
    for (int set = 0; set < 2; ++set)
    {
        const SetControls& c = SET_CONTROLS[set];
        const SetRegisters r = GetSetRegisters(set);
        CString caption;
        caption.Format(CAPTIONS[set], battery, battery);
        SetDlgItemText(c.group, caption);
        SetDlgItemText(c.absorption, m_settings->FormatValue(r.absorption));
        SetDlgItemText(c.floatVoltage, m_settings->FormatValue(r.floatVoltage));
        SetDlgItemText(c.equalize, m_settings->FormatValue(r.equalize));
        SetDlgItemText(c.maxRegulation, m_settings->FormatValue(r.maxRegulation));
        SetDlgItemText(c.timeBeforeFloat, m_settings->FormatValue(r.timeBeforeFloat));
        SetDlgItemText(c.equalizeDuration, m_settings->FormatValue(r.equalizeDuration));
        CheckDlgButton(c.disableFloat,
                       m_settings->GetValue(r.timeBeforeFloat) > FLOAT_DISABLED_MINUTES ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(c.disableEqualize,
                       m_settings->GetValue(r.equalize) < EQUALIZE_DISABLED_VOLTS ? BST_CHECKED : BST_UNCHECKED);
        ApplyCheckBoxes(set);
    }
}

void CPropPageCrWizBattery1::ApplyCheckBoxes(int set)
{
    const SetControls& c = SET_CONTROLS[set];
    const SetRegisters r = GetSetRegisters(set);
    const bool floatOff = IsDlgButtonChecked(c.disableFloat) == BST_CHECKED;
    GetDlgItem(c.floatVoltage)->EnableWindow(!floatOff);
    GetDlgItem(c.timeBeforeFloat)->EnableWindow(!floatOff);
    SetDlgItemText(c.timeBeforeFloat, floatOff ? CString() : m_settings->FormatValue(r.timeBeforeFloat));

    const bool equalizeOff = IsDlgButtonChecked(c.disableEqualize) == BST_CHECKED;
    GetDlgItem(c.equalize)->EnableWindow(!equalizeOff);
    GetDlgItem(c.equalizeDuration)->EnableWindow(!equalizeOff);
    SetDlgItemText(c.equalize, equalizeOff ? CString() : m_settings->FormatValue(r.equalize));
}

void CPropPageCrWizBattery1::OnCheckBoxClicked(UINT id)
{
    for (int set = 0; set < 2; ++set)
    {
        if (static_cast<int>(id) == SET_CONTROLS[set].disableFloat ||
            static_cast<int>(id) == SET_CONTROLS[set].disableEqualize)
            ApplyCheckBoxes(set);
    }
}

bool CPropPageCrWizBattery1::StoreControls()
{
    try
    {
        for (int set = 0; set < 2; ++set)
        {
            const SetControls& c = SET_CONTROLS[set];
            const SetRegisters r = GetSetRegisters(set);
            const bool floatOff = IsDlgButtonChecked(c.disableFloat) == BST_CHECKED;
            const bool equalizeOff = IsDlgButtonChecked(c.disableEqualize) == BST_CHECKED;
            m_settings->SetFromText(r.absorption, GetItemText(c.absorption), 0, MAX_VOLTS);
            if (!floatOff)
                m_settings->SetFromText(r.floatVoltage, GetItemText(c.floatVoltage), 0, MAX_VOLTS);
            m_settings->SetFromText(r.equalize, equalizeOff ? CString("0") : GetItemText(c.equalize), 0, MAX_VOLTS);
            m_settings->SetFromText(r.maxRegulation, GetItemText(c.maxRegulation), 0, MAX_VOLTS);
            m_settings->SetFromText(r.timeBeforeFloat,
                                    floatOff ? CString(FLOAT_DISABLED_TEXT) : GetItemText(c.timeBeforeFloat), 0,
                                    MAX_MINUTES);
            if (!equalizeOff)
                m_settings->SetFromText(r.equalizeDuration, GetItemText(c.equalizeDuration), 0, MAX_MINUTES);
        }
    }
    catch (const CCorandelSettings::CSetException& e)
    {
        CString message;
        message.Format("Error: %s is not a valid value for %s (%s)", e.m_text.GetString(), e.m_name.GetString(),
                       e.m_reason.GetString());
        AfxMessageBox(message, MB_OK);
        return false;
    }
    return true;
}

LRESULT CPropPageCrWizBattery1::OnWizardNext()
{
    const LRESULT result = CPropPageCorandelWizard::OnWizardNext();
    return StoreControls() ? result : -1;
}

LRESULT CPropPageCrWizBattery1::OnWizardBack()
{
    const LRESULT result = CPropPageCorandelWizard::OnWizardBack();
    return StoreControls() ? result : -1;
}
