#include "wizards/relay/CPropPageRelay.h"

#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "shell/HelpCommands.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"

#include <cstdio>

IMPLEMENT_DYNAMIC(CPropPageRelay, CPropertyPage)

BEGIN_MESSAGE_MAP(CPropPageRelay, CPropertyPage)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnPageHelp)
END_MESSAGE_MAP()

CPropPageRelay::CPropPageRelay(CRelayModuleChannel* channels, int channelIndex, UINT dialogId)
    : CPropertyPage(dialogId), m_channels(channels), m_channelIndex(channelIndex), m_channel(&channels[channelIndex])
{
}

CPropPageRelay::~CPropPageRelay()
{
}

bool CPropPageRelay::Store(bool)
{
    return true;
}

BOOL CPropPageRelay::OnWizardFinish()
{
    if (!Store(true))
        return FALSE;
    return CPropertyPage::OnWizardFinish();
}

void CPropPageRelay::SetButtons(DWORD buttons)
{
    ::PostMessageA(GetSheet()->GetSafeHwnd(), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
}

void CPropPageRelay::Refuse(const std::string& text)
{
    AfxMessageBox(text.c_str(), MB_ICONHAND);
}

std::string CPropPageRelay::ControlText(int id) const
{
    char text[256] = {};
    ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
    return text;
}

bool CPropPageRelay::ReadNumber(int id, double& value) const
{
    return std::sscanf(ControlText(id).c_str(), " %lf %*c", &value) == 1;
}

void CPropPageRelay::FillVariables(int comboId)
{
    HWND combo = ::GetDlgItem(m_hWnd, comboId);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    std::vector<GenericVariable_t> variables;
    Channel().GetControlVariables(variables);
    for (const GenericVariable_t& variable : variables)
    {
        const int index = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(variable.name.c_str())));
        ::SendMessageA(combo, CB_SETITEMDATA, index, variable.skelderId);
        if (variable.skelderId == Channel().GetThresholdVariableId())
            ::SendMessageA(combo, CB_SETCURSEL, index, 0);
    }
}

int CPropPageRelay::SelectedVariable(int comboId) const
{
    HWND combo = ::GetDlgItem(m_hWnd, comboId);
    const int index = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    return index == CB_ERR ? -1 : static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, index, 0));
}

void CPropPageRelay::ShowUnits(std::initializer_list<int> ids, const char* suffix)
{
    const GenericVariable_t* variable = Channel().GetThresholdVariable();
    const std::string units = (variable != nullptr ? variable->units : std::string()) + suffix;
    for (int id : ids)
        ::SetDlgItemTextA(m_hWnd, id, units.c_str());
}

LRESULT CPropPageRelay::OnPageHelp(WPARAM, LPARAM)
{
    ShowHelpTextPopup(GetDialogId());
    return 1;
}
