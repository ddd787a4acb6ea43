#include "wizards/dipswitch/CPropPageDipSwitch.h"

#include "framework/CPaintDC.h"
#include "framework/CPropertySheet.h"
#include "res/pyraxis_wizards_resource.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "shell/HelpCommands.h"

IMPLEMENT_DYNAMIC(CPropPageDipSwitch, CPropertyPage)
IMPLEMENT_DYNAMIC(CPropPageDipSwitchSetpoint, CPropPageDipSwitch)

namespace
{
const int SETPOINT_CODES = 8;
// Every radio of the wizard's pages lies in this range.
const UINT FIRST_RADIO_ID = 1051;
const UINT LAST_RADIO_ID = 3099;
}

BEGIN_MESSAGE_MAP(CPropPageDipSwitch, CPropertyPage)
    ON_WM_PAINT()
    ON_CONTROL_RANGE(BN_CLICKED, FIRST_RADIO_ID, LAST_RADIO_ID, OnRadio)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnPageHelp)
END_MESSAGE_MAP()

CPropPageDipSwitch::CPropPageDipSwitch(UINT dialogId, DipSwitchState_t* state, const UINT* radioIds, int radioCount)
    : CPropertyPage(dialogId), m_state(state), m_choice(-1), m_dialogId(dialogId), m_radioIds(radioIds),
      m_radioCount(radioCount)
{
}

CPropPageDipSwitch::~CPropPageDipSwitch()
{
}

BOOL CPropPageDipSwitch::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CWnd* image = GetDlgItem(IDC_DIPSWITCH_IMAGE);
    if (image != nullptr)
    {
        image->GetWindowRect(&m_bankRect);
        ScreenToClient(&m_bankRect);
    }
    return TRUE;
}

void CPropPageDipSwitch::OnPaint()
{
    CPaintDC dc(this);
    if (!m_bankRect.IsRectEmpty())
        DrawDipSwitchBank(dc, m_bankRect, *m_state);
}

void CPropPageDipSwitch::RepaintBank()
{
    if (GetSafeHwnd() != nullptr && !m_bankRect.IsRectEmpty())
        InvalidateRect(&m_bankRect, FALSE);
}

void CPropPageDipSwitch::SetSetpointCode(int code)
{
    if (code < 0 || code >= SETPOINT_CODES)
        return;
    ApplyDipSwitchSetpointCode(*m_state, code);
    RepaintBank();
}

void CPropPageDipSwitch::ShowChoice()
{
    for (int i = 0; i < m_radioCount; ++i)
        CheckDlgButton(m_radioIds[i], i == m_choice ? BST_CHECKED : BST_UNCHECKED);
}

void CPropPageDipSwitch::OnChoice(int index)
{
    m_choice = index;
}

void CPropPageDipSwitch::OnRadio(UINT id)
{
    for (int i = 0; i < m_radioCount; ++i)
    {
        if (m_radioIds[i] == id)
        {
            OnChoice(i);
            RepaintBank();
            return;
        }
    }
}

LRESULT CPropPageDipSwitch::OnPageHelp(WPARAM, LPARAM)
{
    ShowHelpTextPopup(m_dialogId);
    return 1;
}

CPropPageDipSwitchSetpoint::CPropPageDipSwitchSetpoint(UINT dialogId, DipSwitchState_t* state, const UINT* radioIds,
                                                       UINT nextPage)
    : CPropPageDipSwitch(dialogId, state, radioIds, SETPOINT_CODES), m_nextPage(nextPage)
{
}

BOOL CPropPageDipSwitchSetpoint::OnSetActive()
{
    const BOOL result = CPropPageDipSwitch::OnSetActive();
    for (int k = 4; k <= 6; ++k)
        m_state->SetActive(k, true);
    if (m_choice < 0 || m_choice > 6)
        m_choice = 0;
    // The current answer is applied on every entry, so that another page that set the
    // same switches meanwhile cannot leave its positions behind.
    SetSetpointCode(m_choice);
    ShowChoice();
    RepaintBank();
    return result;
}

void CPropPageDipSwitchSetpoint::OnChoice(int index)
{
    if (index < 0 || index > 6)
        return;   // "Custom" is never offered
    m_choice = index;
    SetSetpointCode(index);
}

LRESULT CPropPageDipSwitchSetpoint::OnWizardNext()
{
    m_state->DecideActive(4, 6);
    return m_nextPage;
}

LRESULT CPropPageDipSwitchSetpoint::OnWizardBack()
{
    m_state->ClearMarks(4, 6);
    return IDD_DIPSWITCH_BATTERY;
}
