#include "loader/CWizIntro2.h"

#include "framework/CPropertySheet.h"
#include "loader/CWizIntro1.h"
#include "res/tolmera_resource.h"

CWizIntro2::CWizIntro2(ProgrammingSettings* settings)
    : CPropertyPage(IDD_WIZ_INTRO2), m_settings(settings)
{
}

BOOL CWizIntro2::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    SetDlgItemText(IDC_INTRO_VERSION, "v" + m_settings->programVersion);
    CWizIntro1::HideSheetCancelAndHelp(*this);
    return TRUE;
}

BOOL CWizIntro2::OnSetActive()
{
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}

LRESULT CWizIntro2::OnWizardNext()
{
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return 0;
}
