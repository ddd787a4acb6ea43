#include "wizards/corandel/CPropPageSetpointWizard.h"

#include "framework/CPropertySheet.h"
#include "shell/HelpCommands.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"

BEGIN_MESSAGE_MAP(CPropPageSetpointWizard, CPropertyPage)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnHelpRequest)
END_MESSAGE_MAP()

CPropPageSetpointWizard::CPropPageSetpointWizard(UINT dialogId) : CPropertyPage(dialogId), m_dialogId(dialogId)
{
}

LRESULT CPropPageSetpointWizard::OnHelpRequest(WPARAM, LPARAM)
{
    ShowHelpTextPopup(GetHelpTopic());
    return 1;
}

void CPropPageSetpointWizard::SetSheetButtons(DWORD buttons)
{
    if (CPropertySheet* sheet = GetSheet())
        sheet->SetWizardButtons(buttons);
}

CString CPropPageSetpointWizard::GetItemText(int id) const
{
    CString text;
    GetDlgItemText(id, text);
    return text;
}

bool CPropPageSetpointWizard::IsChecked(int id) const
{
    return IsDlgButtonChecked(id) == BST_CHECKED;
}

void CPropPageSetpointWizard::EnableItem(int id, bool enable)
{
    if (CWnd* item = GetDlgItem(id))
        item->EnableWindow(enable ? TRUE : FALSE);
}
