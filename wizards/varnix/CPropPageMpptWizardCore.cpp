#include "wizards/varnix/CPropPageMpptWizardCore.h"

#include "framework/MessageBoxHook.h"
#include "shell/HelpCommands.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"
#include "wizards/framework/WizardPageControls.h"

BEGIN_MESSAGE_MAP(CPropPageMpptWizardCore, CPropertyPage)
    ON_MESSAGE(WM_APP_HELP_REQUEST, OnHelpRequest)
END_MESSAGE_MAP()

CPropPageMpptWizardCore::CPropPageMpptWizardCore(UINT dialogId, UINT captionId)
    : CPropertyPage(dialogId, captionId)
{
}

BOOL CPropPageMpptWizardCore::OnInitDialog()
{
    // The framework's initialisation loads the controls from the settings.
    CPropertyPage::OnInitDialog();
    return TRUE;
}

BOOL CPropPageMpptWizardCore::OnSetActive()
{
    // Only the first activation goes to the framework: a page shown again keeps what its
    // controls showed when it was left.
    if (!m_shownBefore)
    {
        m_shownBefore = true;
        if (!CPropertyPage::OnSetActive())
            return FALSE;
    }
    if (IsFirstPage() && IsLastPage())
        PostWizardButtons(PSWIZB_FINISH);
    else if (IsFirstPage())
        PostWizardButtons(PSWIZB_NEXT);
    else if (IsLastPage())
        PostWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    return TRUE;
}

BOOL CPropPageMpptWizardCore::OnKillActive()
{
    // Leaving by Back neither stores nor checks: Next and Finish do their own exchange.
    return TRUE;
}

BOOL CPropPageMpptWizardCore::OnQueryCancel()
{
    if (AfxMessageBox("Exit Varnix MPPT Wizard?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return FALSE;
    return CPropertyPage::OnQueryCancel();
}

LRESULT CPropPageMpptWizardCore::OnWizardNext()
{
    validating = true;
    if (!UpdateData(TRUE))
    {
        validating = false;
        return -1;
    }
    const LRESULT result = CPropertyPage::OnWizardNext();
    if (result < 0)
        return result;
    if (IsFirstPage())
        PostWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return GetNextPageId();
}

LRESULT CPropPageMpptWizardCore::OnWizardBack()
{
    const LRESULT result = CPropertyPage::OnWizardBack();
    if (result < 0)
        return result;
    if (IsLastPage())
        PostWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return GetPrevPageId();
}

BOOL CPropPageMpptWizardCore::OnWizardFinish()
{
    validating = true;
    if (UpdateData(TRUE))
        return CPropertyPage::OnWizardFinish();
    validating = false;
    return FALSE;
}

void CPropPageMpptWizardCore::PostWizardButtons(DWORD flags)
{
    ::PostWizardButtons(GetSafeHwnd(), flags);
}

void CPropPageMpptWizardCore::EnableControls(std::initializer_list<int> ids, bool enable)
{
    EnableDialogControls(GetSafeHwnd(), ids, enable);
}

void CPropPageMpptWizardCore::ShowControls(std::initializer_list<int> ids, bool show)
{
    ShowDialogControls(GetSafeHwnd(), ids, show);
}

LRESULT CPropPageMpptWizardCore::OnHelpRequest(WPARAM, LPARAM)
{
    ShowHelpTextPopup(GetDialogId());
    return 1;
}
