#include "wizards/varnix/CPropPageVxWiz.h"

#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "shell/DialogDataExchange.h"
#include "shell/HelpCommands.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/SettingText.h"
#include "wizards/framework/WizardPageControls.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CPropPageVxWiz, CPropertyPage)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnHelpRequest)
END_MESSAGE_MAP()

CPropPageVxWiz::CPropPageVxWiz(UINT dialogId, CVarnixSettings* settings)
    : CPropertyPage(dialogId), m_settings(settings), m_dialogId(dialogId)
{
}

BOOL CPropPageVxWiz::OnSetActive()
{
    CPropertyPage::OnSetActive();
    LoadPage();
    return TRUE;
}

BOOL CPropPageVxWiz::OnKillActive()
{
    // Next and Finish store with their checks; leaving by Back keeps the entries unstored.
    return TRUE;
}

BOOL CPropPageVxWiz::OnQueryCancel()
{
    return AfxMessageBox("Exit Varnix Setup Wizard?", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
}

LRESULT CPropPageVxWiz::OnWizardNext()
{
    if (!StorePage())
        return -1;
    return NextPage();
}

LRESULT CPropPageVxWiz::OnWizardBack()
{
    return PreviousPage();
}

BOOL CPropPageVxWiz::OnWizardFinish()
{
    return StorePage() ? TRUE : FALSE;
}

double CPropPageVxWiz::Value(UINT32 registerAddress) const
{
    return m_settings->GetValue(registerAddress);
}

const char* CPropPageVxWiz::Format(UINT32 registerAddress) const
{
    const SettingRow_t* row = m_settings->FindRowConst(registerAddress);
    return row != nullptr && !row->format.IsEmpty() ? row->format.GetString() : "%.2f";
}

bool CPropPageVxWiz::ShowsAsHeld(UINT32 registerAddress, double value) const
{
    if (m_settings->FindRowConst(registerAddress) == nullptr)
        return false;
    const char* format = Format(registerAddress);
    return FormatNumber(format, value) == FormatNumber(format, Value(registerAddress));
}

double CPropPageVxWiz::Held(UINT32 registerAddress, double value) const
{
    const SettingRow_t* row = m_settings->FindRowConst(registerAddress);
    if (row == nullptr)
        return value;
    if (ShowsAsHeld(registerAddress, value))
        return Value(registerAddress);
    return SettingRow_t::ValueToRaw(value, row->scale) * row->scale;
}

void CPropPageVxWiz::Write(UINT32 registerAddress, double value)
{
    if (ShowsAsHeld(registerAddress, value))
        return;
    m_settings->SetValue(registerAddress, value);
}

float CPropPageVxWiz::MaximumFor(UINT32 registerAddress, float maximum, bool negated) const
{
    const SettingRow_t* row = m_settings->FindRowConst(registerAddress);
    if (row == nullptr)
        return maximum;
    const double held = negated ? -row->GetMinimumValue() : row->GetMaximumValue();
    return static_cast<float>(std::min<double>(maximum, held));
}

float CPropPageVxWiz::MinimumFor(UINT32 registerAddress, float minimum, bool negated) const
{
    const SettingRow_t* row = m_settings->FindRowConst(registerAddress);
    if (row == nullptr)
        return minimum;
    const double held = negated ? -row->GetMaximumValue() : row->GetMinimumValue();
    return static_cast<float>(std::max<double>(minimum, held));
}

void CPropPageVxWiz::ExchangeValue(CDataExchange* pDX, int id, float& value, UINT32 registerAddress,
                                   float minimum, float maximum, bool negated)
{
    DDX_FloatFormat(pDX, id, value, Format(registerAddress));
    DDV_MinMaxFloat(pDX, value, MinimumFor(registerAddress, minimum, negated),
                    MaximumFor(registerAddress, maximum, negated));
}

void CPropPageVxWiz::ExchangeTime(CDataExchange* pDX, int hoursId, int minutesId, int secondsId,
                                  VarnixTimeEntry& time, int maxHours)
{
    DDX_Text(pDX, hoursId, time.hours);
    DDV_MinMaxInt(pDX, time.hours, 0, maxHours);
    DDX_Text(pDX, minutesId, time.minutes);
    DDV_MinMaxInt(pDX, time.minutes, 0, 59);
    DDX_Text(pDX, secondsId, time.seconds);
    DDV_MinMaxInt(pDX, time.seconds, 0, 59);
}

void CPropPageVxWiz::ShowError(const char* text)
{
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
}

void CPropPageVxWiz::EnableControls(std::initializer_list<int> ids, bool enable)
{
    EnableDialogControls(GetSafeHwnd(), ids, enable);
}

bool CPropPageVxWiz::IsChecked(int id) const
{
    return IsDlgButtonChecked(id) == BST_CHECKED;
}

void CPropPageVxWiz::SetChecked(int id, bool checked)
{
    CheckDlgButton(id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CPropPageVxWiz::PostWizardButtons(DWORD flags)
{
    ::PostWizardButtons(GetSafeHwnd(), flags);
}

LRESULT CPropPageVxWiz::OnHelpRequest(WPARAM, LPARAM)
{
    ShowHelpTextPopup(GetDialogId());
    return 1;
}
