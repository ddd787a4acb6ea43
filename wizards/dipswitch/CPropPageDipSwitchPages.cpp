#include "wizards/dipswitch/CPropPageDipSwitchPages.h"

#include "framework/CDC.h"
#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_wizards_resource.h"
#include "wizards/dipswitch/DipSwitchPrinting.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "shell/HelpCommands.h"

IMPLEMENT_DYNAMIC(CPropPageDipSwitchIntro, CPropertyPage)
IMPLEMENT_DYNAMIC(CPropPageDipSwitchMode, CPropPageDipSwitch)
IMPLEMENT_DYNAMIC(CPropPageDipSwitchBatteryV, CPropPageDipSwitch)
IMPLEMENT_DYNAMIC(CPropPageDipSwitchChargeSet, CPropPageDipSwitchSetpoint)
IMPLEMENT_DYNAMIC(CPropPageDipSwitchNoiseReduction, CPropPageDipSwitch)
IMPLEMENT_DYNAMIC(CPropPageDipSwitchLVD, CPropPageDipSwitchSetpoint)
IMPLEMENT_DYNAMIC(CPropPageDipSwitchDiversion, CPropPageDipSwitchSetpoint)
IMPLEMENT_DYNAMIC(CPropPageDipSwitchLighting, CPropPageDipSwitchSetpoint)
IMPLEMENT_DYNAMIC(CPropPageDipSwitchDiversionEq, CPropPageDipSwitch)
IMPLEMENT_DYNAMIC(CPropPageDipSwitchDone, CPropPageDipSwitch)

namespace
{
const UINT MODE_RADIOS[4] = {IDC_DIPSWITCH_MODE_FIRST, IDC_DIPSWITCH_MODE_FIRST + 1, IDC_DIPSWITCH_MODE_FIRST + 2,
                             IDC_DIPSWITCH_MODE_FIRST + 3};
const UINT BATTERY_RADIOS[5] = {IDC_DIPSWITCH_BATTERY_FIRST, IDC_DIPSWITCH_BATTERY_FIRST + 1,
                                IDC_DIPSWITCH_BATTERY_FIRST + 2, IDC_DIPSWITCH_BATTERY_FIRST + 3,
                                IDC_DIPSWITCH_BATTERY_FIRST + 4};
const UINT NOISE_RADIOS[2] = {IDC_DIPSWITCH_NOISE_FIRST, IDC_DIPSWITCH_NOISE_FIRST + 1};
const UINT EQUALIZE_RADIOS[2] = {IDC_DIPSWITCH_EQUALIZE_FIRST, IDC_DIPSWITCH_EQUALIZE_FIRST + 1};
#define EIGHT_RADIOS(first) {first, first + 1, first + 2, first + 3, first + 4, first + 5, first + 6, first + 7}
const UINT CHARGE_RADIOS[8] = EIGHT_RADIOS(IDC_DIPSWITCH_CHARGE_FIRST);
const UINT LVD_RADIOS[8] = EIGHT_RADIOS(IDC_DIPSWITCH_LVD_FIRST);
const UINT LIGHTING_RADIOS[8] = EIGHT_RADIOS(IDC_DIPSWITCH_LIGHTING_FIRST);
#undef EIGHT_RADIOS
const UINT DIVERSION_RADIOS[8] = {IDC_DIPSWITCH_DIVERSION_0, IDC_DIPSWITCH_DIVERSION_1, IDC_DIPSWITCH_DIVERSION_2,
                                  IDC_DIPSWITCH_DIVERSION_3, IDC_DIPSWITCH_DIVERSION_4, IDC_DIPSWITCH_DIVERSION_5,
                                  IDC_DIPSWITCH_DIVERSION_6, IDC_DIPSWITCH_DIVERSION_7};

const int BATTERY_AUTO = 0;
const int BATTERY_12V = 1;
const int BATTERY_48V = 3;
const int EQUALIZE_AUTOMATIC = 0;
const int EQUALIZE_MANUAL = 1;
const int NOISE_PWM = 0;
const int NOISE_ON_OFF = 1;
}

// ---------------------------------------------------------------- intro

BEGIN_MESSAGE_MAP(CPropPageDipSwitchIntro, CPropertyPage)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnPageHelp)
END_MESSAGE_MAP()

CPropPageDipSwitchIntro::CPropPageDipSwitchIntro() : CPropertyPage(IDD_DIPSWITCH_INTRO)
{
}

UINT CPropPageDipSwitchIntro::GetHelpId() const
{
    return IDD_DIPSWITCH_INTRO;
}

LRESULT CPropPageDipSwitchIntro::OnPageHelp(WPARAM, LPARAM)
{
    ShowHelpTextPopup(IDD_DIPSWITCH_INTRO);
    return 1;
}

// ---------------------------------------------------------------- mode

CPropPageDipSwitchMode::CPropPageDipSwitchMode(DipSwitchState_t* state)
    : CPropPageDipSwitch(IDD_DIPSWITCH_MODE, state, MODE_RADIOS, 4)
{
}

BOOL CPropPageDipSwitchMode::OnSetActive()
{
    const BOOL result = CPropPageDipSwitch::OnSetActive();
    GetSheet()->SetWizardButtons(PSWIZB_NEXT);
    if (m_choice < DIP_MODE_CHARGE || m_choice > DIP_MODE_LIGHTING)
    {
        m_choice = DIP_MODE_CHARGE;
        m_state->mode = DIP_MODE_CHARGE;
    }
    ApplyDipSwitchMode(*m_state, m_choice);
    ShowChoice();
    RepaintBank();
    return result;
}

void CPropPageDipSwitchMode::OnChoice(int index)
{
    m_choice = index;
    ApplyDipSwitchMode(*m_state, index);
}

LRESULT CPropPageDipSwitchMode::OnWizardNext()
{
    m_state->mode = m_choice;
    m_state->DecideActive(1, 1);
    m_state->DecideActive(7, 8);
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return 0;
}

// ---------------------------------------------------------------- battery

CPropPageDipSwitchBatteryV::CPropPageDipSwitchBatteryV(DipSwitchState_t* state)
    : CPropPageDipSwitch(IDD_DIPSWITCH_BATTERY, state, BATTERY_RADIOS, 5)
{
}

BOOL CPropPageDipSwitchBatteryV::OnSetActive()
{
    const BOOL result = CPropPageDipSwitch::OnSetActive();
    m_state->SetActive(2, true);
    m_state->SetActive(3, true);
    if (m_choice < BATTERY_AUTO || m_choice > BATTERY_48V)
        m_choice = BATTERY_12V;
    ApplyDipSwitchBattery(*m_state, m_choice);
    ShowChoice();
    RepaintBank();
    return result;
}

void CPropPageDipSwitchBatteryV::OnChoice(int index)
{
    if (index < BATTERY_AUTO || index > BATTERY_48V)
        return;   // "Other" is never offered
    m_choice = index;
    if (index == BATTERY_AUTO)
        AfxMessageBox("Only use Auto Voltage Select feature if uncertain about the system\nvoltage.  Specify exact "
                      "system voltage whenever possible.",
                      MB_ICONEXCLAMATION);
    else if (index == BATTERY_48V && m_state->mode == DIP_MODE_LIGHTING)
        AfxMessageBox("A divider is required on the sense input for 48 V systems.\nRefer to \"Varnix Lighting "
                      "Documentation.\"",
                      MB_ICONEXCLAMATION);
    ApplyDipSwitchBattery(*m_state, index);
}

LRESULT CPropPageDipSwitchBatteryV::OnWizardNext()
{
    m_state->DecideActive(2, 3);
    switch (m_state->mode)
    {
    case DIP_MODE_LOAD: return IDD_DIPSWITCH_LVD;
    case DIP_MODE_DIVERSION: return IDD_DIPSWITCH_DIVERSION;
    case DIP_MODE_LIGHTING: return IDD_DIPSWITCH_LIGHTING;
    default: return IDD_DIPSWITCH_CHARGE;
    }
}

LRESULT CPropPageDipSwitchBatteryV::OnWizardBack()
{
    m_state->ClearMarks(2, 3);
    return 0;
}

// ---------------------------------------------------------------- setpoint pages

CPropPageDipSwitchChargeSet::CPropPageDipSwitchChargeSet(DipSwitchState_t* state)
    : CPropPageDipSwitchSetpoint(IDD_DIPSWITCH_CHARGE, state, CHARGE_RADIOS, IDD_DIPSWITCH_EQUALIZE)
{
}

CPropPageDipSwitchLVD::CPropPageDipSwitchLVD(DipSwitchState_t* state)
    : CPropPageDipSwitchSetpoint(IDD_DIPSWITCH_LVD, state, LVD_RADIOS, IDD_DIPSWITCH_DONE)
{
}

CPropPageDipSwitchDiversion::CPropPageDipSwitchDiversion(DipSwitchState_t* state)
    : CPropPageDipSwitchSetpoint(IDD_DIPSWITCH_DIVERSION, state, DIVERSION_RADIOS, IDD_DIPSWITCH_EQUALIZE)
{
}

CPropPageDipSwitchLighting::CPropPageDipSwitchLighting(DipSwitchState_t* state)
    : CPropPageDipSwitchSetpoint(IDD_DIPSWITCH_LIGHTING, state, LIGHTING_RADIOS, IDD_DIPSWITCH_DONE)
{
}

// ---------------------------------------------------------------- noise reduction

CPropPageDipSwitchNoiseReduction::CPropPageDipSwitchNoiseReduction(DipSwitchState_t* state)
    : CPropPageDipSwitch(IDD_DIPSWITCH_NOISE, state, NOISE_RADIOS, 2)
{
}

BOOL CPropPageDipSwitchNoiseReduction::OnSetActive()
{
    const BOOL result = CPropPageDipSwitch::OnSetActive();
    m_state->SetActive(8, true);
    if (m_choice != NOISE_PWM && m_choice != NOISE_ON_OFF)
        m_choice = NOISE_PWM;
    m_state->SetOn(8, m_choice == NOISE_ON_OFF);
    ShowChoice();
    RepaintBank();
    return result;
}

void CPropPageDipSwitchNoiseReduction::OnChoice(int index)
{
    m_choice = index;
    if (index == NOISE_ON_OFF)
        AfxMessageBox("In some installations, the PWM charging may cause audible noise in certain\nequipment.  If this "
                      "occurs, the PWM can be changed to \"On-Off\" solar charging\nto reduce the noise.  However, it "
                      "is strongly recommended to try to remedy\nthe noise problem with grounding or filtering first, "
                      "because the benefits\nfrom PWM battery charging are significant.",
                      MB_OK);
    m_state->SetOn(8, index == NOISE_ON_OFF);
}

LRESULT CPropPageDipSwitchNoiseReduction::OnWizardNext()
{
    m_state->DecideActive(8, 8);
    return IDD_DIPSWITCH_DONE;
}

LRESULT CPropPageDipSwitchNoiseReduction::OnWizardBack()
{
    m_state->ClearMarks(8, 8);
    return IDD_DIPSWITCH_EQUALIZE;
}

// ---------------------------------------------------------------- equalization

BEGIN_MESSAGE_MAP(CPropPageDipSwitchDiversionEq, CPropPageDipSwitch)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CPropPageDipSwitchDiversionEq::CPropPageDipSwitchDiversionEq(DipSwitchState_t* state)
    : CPropPageDipSwitch(IDD_DIPSWITCH_EQUALIZE, state, EQUALIZE_RADIOS, 2)
{
}

bool CPropPageDipSwitchDiversionEq::AutomaticOffered() const
{
    return !(m_state->mode == DIP_MODE_CHARGE && DipSwitchSetpointCode(*m_state) == 0);
}

void CPropPageDipSwitchDiversionEq::SetEqualizeSwitch(bool on)
{
    m_state->SetOn(DipSwitchEqualizeSwitch(m_state->mode), on);
}

BOOL CPropPageDipSwitchDiversionEq::OnSetActive()
{
    const BOOL result = CPropPageDipSwitch::OnSetActive();
    m_state->SetActive(DipSwitchEqualizeSwitch(m_state->mode), true);
    if (!AutomaticOffered())
    {
        // Manual is forced, not chosen: with another charge setpoint the page offers
        // Automatic first again.
        m_choice = -1;
        ShowManualOnly();
    }
    else
    {
        if (m_choice != EQUALIZE_AUTOMATIC && m_choice != EQUALIZE_MANUAL)
            m_choice = EQUALIZE_AUTOMATIC;
        SetEqualizeSwitch(m_choice == EQUALIZE_AUTOMATIC);
        ShowChoice();
    }
    // The "Automatic" radio's text colour follows whether it is offered.
    Invalidate();
    return result;
}

void CPropPageDipSwitchDiversionEq::OnChoice(int index)
{
    if (index == EQUALIZE_AUTOMATIC && !AutomaticOffered())
    {
        AfxMessageBox("Auto Equalize is not available for the selected charge setpoint.", MB_ICONEXCLAMATION);
        ShowManualOnly();
        return;
    }
    m_choice = index;
    SetEqualizeSwitch(index == EQUALIZE_AUTOMATIC);
}

void CPropPageDipSwitchDiversionEq::ShowManualOnly()
{
    CheckDlgButton(RadioId(EQUALIZE_AUTOMATIC), BST_UNCHECKED);
    CheckDlgButton(RadioId(EQUALIZE_MANUAL), BST_CHECKED);
    SetEqualizeSwitch(false);
}

HBRUSH CPropPageDipSwitchDiversionEq::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH brush = CPropPageDipSwitch::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd != nullptr && pWnd->GetDlgCtrlID() == static_cast<int>(EQUALIZE_RADIOS[EQUALIZE_AUTOMATIC]) &&
        !AutomaticOffered())
        pDC->SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    return brush;
}

LRESULT CPropPageDipSwitchDiversionEq::OnWizardNext()
{
    const int equalize = DipSwitchEqualizeSwitch(m_state->mode);
    m_state->DecideActive(equalize, equalize);
    return m_state->mode == DIP_MODE_CHARGE ? IDD_DIPSWITCH_NOISE : IDD_DIPSWITCH_DONE;
}

LRESULT CPropPageDipSwitchDiversionEq::OnWizardBack()
{
    const int equalize = DipSwitchEqualizeSwitch(m_state->mode);
    m_state->ClearMarks(equalize, equalize);
    return m_state->mode == DIP_MODE_CHARGE ? IDD_DIPSWITCH_CHARGE : IDD_DIPSWITCH_DIVERSION;
}

// ---------------------------------------------------------------- summary

BEGIN_MESSAGE_MAP(CPropPageDipSwitchDone, CPropPageDipSwitch)
    ON_BN_CLICKED(IDC_DIPSWITCH_PRINT, OnPrintSummary)
END_MESSAGE_MAP()

CPropPageDipSwitchDone::CPropPageDipSwitchDone(DipSwitchState_t* state)
    : CPropPageDipSwitch(IDD_DIPSWITCH_DONE, state, nullptr, 0)
{
}

std::string CPropPageDipSwitchDone::GetSummaryText() const
{
    return DipSwitchSummaryText(*m_state);
}

BOOL CPropPageDipSwitchDone::OnSetActive()
{
    const BOOL result = CPropPageDipSwitch::OnSetActive();
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    m_state->SetAllActive(true);
    SetDlgItemText(IDC_DIPSWITCH_SUMMARY, GetSummaryText().c_str());
    RepaintBank();
    return result;
}

LRESULT CPropPageDipSwitchDone::OnWizardBack()
{
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    m_state->SetAllActive(false);
    switch (m_state->mode)
    {
    case DIP_MODE_LOAD: return IDD_DIPSWITCH_LVD;
    case DIP_MODE_DIVERSION: return IDD_DIPSWITCH_EQUALIZE;
    case DIP_MODE_LIGHTING: return IDD_DIPSWITCH_LIGHTING;
    default: return IDD_DIPSWITCH_NOISE;
    }
}

void CPropPageDipSwitchDone::OnPrintSummary()
{
    PrintDipSwitchSummary(*m_state);
}
