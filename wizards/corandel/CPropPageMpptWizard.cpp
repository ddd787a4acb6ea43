#include "wizards/corandel/CPropPageMpptWizard.h"

#include "framework/MessageBoxHook.h"
#include "wizards/corandel/CMpptSettings.h"
#include "wizards/framework/SettingText.h"

#include <algorithm>

CPropPageMpptWizard::CPropPageMpptWizard(UINT dialogId, CMpptSettings* settings)
    : CPropPageSetpointWizard(dialogId), m_settings(settings)
{
}

BOOL CPropPageMpptWizard::OnSetActive()
{
    if (!CPropPageSetpointWizard::OnSetActive())
        return FALSE;
    const bool first = IsFirstPage();
    const bool last = IsLastPage();
    if (first && last)
        SetSheetButtons(PSWIZB_FINISH);
    else if (first)
        SetSheetButtons(PSWIZB_NEXT);
    else if (last)
        SetSheetButtons(PSWIZB_BACK | PSWIZB_FINISH);
    else
        SetSheetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return TRUE;
}

LRESULT CPropPageMpptWizard::OnWizardNext()
{
    if (!StoreFields(true))
        return -1;
    if (IsFirstPage())
        SetSheetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return GetNextPageId();
}

LRESULT CPropPageMpptWizard::OnWizardBack()
{
    if (!StoreFields(false))
        return -1;
    if (IsLastPage())
        SetSheetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return GetPrevPageId();
}

BOOL CPropPageMpptWizard::OnWizardFinish()
{
    return StoreFields(true) ? CPropPageSetpointWizard::OnWizardFinish() : FALSE;
}

BOOL CPropPageMpptWizard::OnQueryCancel()
{
    return AfxMessageBox("Exit CR MPPT Wizard?", MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

bool CPropPageMpptWizard::CheckAndStore(UINT32 registerAddress, const CString& text, double lowest,
                                        double highest, double divisor, const char* name, const char* format)
{
    CString message;
    double value = 0.0;
    if (!ParseDecimal(text, &value))
    {
        message.Format("Error: invalid characters in %s", name);
        AfxMessageBox(message, MB_OK | MB_ICONERROR);
        return false;
    }
    // The bounds in single precision, as the controller's tools have always shown them.
    const float lower = std::max(static_cast<float>(m_settings->GetMinimum(registerAddress) / divisor),
                                 static_cast<float>(lowest));
    const float upper = std::min(static_cast<float>(m_settings->GetMaximum(registerAddress) / divisor),
                                 static_cast<float>(highest));
    // The rounded count must also fit the register: an entry at the very edge of the
    // range could otherwise round one count past it and be programmed wrapped.
    bool aboveRegister = false;
    bool belowRegister = false;
    if (const SettingRow_t* row = m_settings->FindRowConst(registerAddress))
    {
        if (!row->RawFits(SettingRow_t::ValueToRaw(divisor * value, row->scale)))
        {
            const double middle = (row->GetMinimumValue() + row->GetMaximumValue()) / 2;
            aboveRegister = divisor * value > middle;
            belowRegister = !aboveRegister;
        }
    }
    // The entry is compared in the bounds' precision too, so that a bound itself (-0.38)
    // is accepted although its single-precision form lies a little inside it.
    const float entry = static_cast<float>(value);
    if (entry < lower || belowRegister)
    {
        message.Format("%s must be at least %.2f", name, lower);
        AfxMessageBox(message, MB_OK | MB_ICONERROR);
        return false;
    }
    if (entry > upper || aboveRegister)
    {
        message.Format("%s must be no more than %.2f", name, upper);
        AfxMessageBox(message, MB_OK | MB_ICONERROR);
        return false;
    }
    if (text == FormatNumber(format, m_settings->GetValue(registerAddress) / divisor))
        return true;
    m_settings->SetValue(registerAddress, divisor * value);
    return true;
}
