#include "wizards/corandel/CPropPageCrWizCommon.h"

#include "framework/MessageBoxHook.h"
#include "res/pyraxis_corandel_resource.h"
#include "wizards/corandel/CCorandelSettings.h"
#include "wizards/framework/ControllerAddress.h"
#include "wizards/framework/SettingText.h"

namespace
{
const UINT32 REG_SKELDER = 0xE000;
const UINT32 REG_MODBUS = 0xE001;
const UINT32 REG_PRIORITY_OFF = 0xE002;
const UINT32 REG_PRIORITY_ON = 0xE003;
const UINT32 REG_TEMP_COMP = 0xE004;

void ShowError(const char* text, bool quiet)
{
    if (!quiet)
        AfxMessageBox(text, MB_OK | MB_ICONERROR);
}
}

BEGIN_MESSAGE_MAP(CPropPageCrWizCommon, CPropPageCorandelWizard)
    ON_EN_CHANGE(IDC_CRDUO_PRIORITY1_OFF, OnPriorityChanged)
    ON_EN_CHANGE(IDC_CRDUO_PRIORITY1_ON, OnPriorityChanged)
END_MESSAGE_MAP()

CPropPageCrWizCommon::CPropPageCrWizCommon(CCorandelSettings* settings)
    : CPropPageCorandelWizard(IDD_CORANDEL_COMMON, settings), m_filled(false)
{
}

BOOL CPropPageCrWizCommon::OnSetActive()
{
    if (!CPropPageCorandelWizard::OnSetActive())
        return FALSE;
    SetSheetButtons(PSWIZB_BACK | PSWIZB_FINISH);
    m_filled = false;
    SetDlgItemText(IDC_CRDUO_PRIORITY1_OFF, m_settings->FormatValue(REG_PRIORITY_OFF));
    SetDlgItemText(IDC_CRDUO_PRIORITY1_ON, m_settings->FormatValue(REG_PRIORITY_ON));
    SetDlgItemText(IDC_CRDUO_SKELDER, m_settings->FormatValue(REG_SKELDER));
    SetDlgItemText(IDC_CRDUO_MODBUS, m_settings->FormatValue(REG_MODBUS));
    SetDlgItemText(IDC_CRDUO_COMMON_TEMP_COMP, m_settings->FormatValue(REG_TEMP_COMP));
    m_filled = true;
    UpdateBattery2Priorities();
    return TRUE;
}

void CPropPageCrWizCommon::OnPriorityChanged()
{
    if (m_filled)
        UpdateBattery2Priorities();
}

void CPropPageCrWizCommon::UpdateBattery2Priorities()
{
    CString off;
    CString on;
    if (CheckAndStore(true))
    {
        off.Format("%.0f", 100 - m_settings->GetValue(REG_PRIORITY_OFF));
        on.Format("%.0f", 100 - m_settings->GetValue(REG_PRIORITY_ON));
    }
    SetDlgItemText(IDC_CRDUO_PRIORITY2_OFF, off);
    SetDlgItemText(IDC_CRDUO_PRIORITY2_ON, on);
}

bool CPropPageCrWizCommon::CheckAndStore(bool quiet)
{
    struct IntegerField
    {
        int control;
        UINT32 reg;
        int lowest;
        int highest;
        const char* notANumber;
        const char* outOfRange;
    };
    static const IntegerField PRIORITIES[2] = {
        {IDC_CRDUO_PRIORITY1_OFF, REG_PRIORITY_OFF, 0, 100,
         "Error: invalid Battery 1 Priority OFF.  It must be a number.",
         "Error: invalid Battery 1 Priority OFF.  It must be in the range 0 to 100."},
        {IDC_CRDUO_PRIORITY1_ON, REG_PRIORITY_ON, 0, 100,
         "Error: invalid Battery 1 Priority ON.  It must be a number.",
         "Error: invalid Battery 1 Priority ON.  It must be in the range 0 to 100."},
    };
    auto storeInteger = [this, quiet](const IntegerField& field) {
        int value = 0;
        if (!ParseDecimalInteger(GetItemText(field.control), &value))
        {
            ShowError(field.notANumber, quiet);
            return false;
        }
        if (value < field.lowest || value > field.highest)
        {
            ShowError(field.outOfRange, quiet);
            return false;
        }
        // Left as the page showed it, the priority keeps its count: the text is rounded.
        if (GetItemText(field.control) != m_settings->FormatValue(field.reg))
            m_settings->SetValue(field.reg, value);
        return true;
    };

    for (const IntegerField& field : PRIORITIES)
    {
        if (!storeInteger(field))
            return false;
    }
    if (quiet)
        return true;

    double compensation = 0.0;
    CString compensationText = GetItemText(IDC_CRDUO_COMMON_TEMP_COMP);
    if (compensationText.Trim().IsEmpty() || !ParseDecimal(compensationText, &compensation))
    {
        ShowError("Error: invalid Temperature Compensation.  It must be a number.", false);
        return false;
    }
    if (compensation < 0)
    {
        ShowError("Error: invalid Temperature Compensation.  It cannot be negative", false);
        return false;
    }
    // No upper bound of its own, but the register holds 16 bits: a larger value would
    // be programmed wrapped.
    const SettingRow_t* row = m_settings->FindRowConst(REG_TEMP_COMP);
    if (!row->RawFits(SettingRow_t::ValueToRaw(compensation, row->scale)))
    {
        CString message;
        message.Format("Error: invalid Temperature Compensation.  It must be no more than %.3f.",
                       row->GetMaximumValue());
        ShowError(message, false);
        return false;
    }
    // Left as the page showed it, the setting keeps its count (the text is rounded).
    if (GetItemText(IDC_CRDUO_COMMON_TEMP_COMP) != m_settings->FormatValue(REG_TEMP_COMP))
        m_settings->SetValue(REG_TEMP_COMP, compensation);

    const struct
    {
        int control;
        UINT32 reg;
        const ControllerAddress_t& address;
    } addresses[2] = {{IDC_CRDUO_MODBUS, REG_MODBUS, MODBUS_ADDRESS}, {IDC_CRDUO_SKELDER, REG_SKELDER, SKELDER_ADDRESS}};
    for (const auto& field : addresses)
    {
        int value = 0;
        CString error;
        if (!field.address.ParseEntry(GetItemText(field.control), &value, &error))
        {
            ShowError(error, false);
            return false;
        }
        m_settings->SetValue(field.reg, value);
    }
    return true;
}

LRESULT CPropPageCrWizCommon::OnWizardNext()
{
    const LRESULT result = CPropPageCorandelWizard::OnWizardNext();
    return CheckAndStore(false) ? result : -1;
}

LRESULT CPropPageCrWizCommon::OnWizardBack()
{
    const LRESULT result = CPropPageCorandelWizard::OnWizardBack();
    return CheckAndStore(false) ? result : -1;
}

BOOL CPropPageCrWizCommon::OnWizardFinish()
{
    const BOOL finished = CPropPageCorandelWizard::OnWizardFinish();
    return finished && CheckAndStore(false);
}
