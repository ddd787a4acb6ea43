#include "loader/CWizIntro1.h"

#include "framework/CPropertySheet.h"
#include "loader/EmphasisFont.h"
#include "res/tolmera_resource.h"

CWizIntro1::CWizIntro1(ProgrammingSettings* settings)
    : CPropertyPage(IDD_WIZ_INTRO1), m_settings(settings)
{
}

void CWizIntro1::HideSheetCancelAndHelp(const CWnd& page)
{
    HWND sheet = ::GetParent(page.GetSafeHwnd());
    const int buttons[] = {IDCANCEL, IDHELP};
    for (int id : buttons) {
        HWND button = ::GetDlgItem(sheet, id);
        if (button != nullptr)
            ::ShowWindow(button, SW_HIDE);
    }
}

BOOL CWizIntro1::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    if (CreateEmphasisFont(*this, m_warningFont)) {
        SendDlgItemMessage(IDC_INTRO_WARNING1, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_warningFont)), TRUE);
        SendDlgItemMessage(IDC_INTRO_WARNING2, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_warningFont)), TRUE);
    }
    HideSheetCancelAndHelp(*this);
    return TRUE;
}

BOOL CWizIntro1::OnSetActive()
{
    GetSheet()->SetWizardButtons(PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}
