#include "tests/sample_ui/SampleWizardPage.h"

#include "framework/CPropertySheet.h"
#include "framework/DataExchange.h"
#include "tests/sample_ui/SampleResources.h"

CSampleWizardPage::CSampleWizardPage(UINT nIDTemplate, std::vector<UINT>& shownPages)
    : CPropertyPage(nIDTemplate), m_shownPages(shownPages)
{
}

BOOL CSampleWizardPage::OnSetActive()
{
    m_shownPages.push_back(m_nIDHelp);
    CPropertySheet* sheet = GetSheet();
    const int index = sheet->GetPageIndex(this);
    DWORD buttons = PSWIZB_BACK | PSWIZB_NEXT;
    if (index == 0)
        buttons = PSWIZB_NEXT;
    else if (index == sheet->GetPageCount() - 1)
        buttons = PSWIZB_BACK | PSWIZB_FINISH;
    sheet->SetWizardButtons(buttons);
    return CPropertyPage::OnSetActive();
}

void CSampleWizardPage::DoDataExchange(CDataExchange* pDX)
{
    if (m_nIDHelp == IDD_SAMPLE_PAGE_CHOICE)
        DDX_Check(pDX, IDC_SAMPLE_FAST, m_fast);
}
