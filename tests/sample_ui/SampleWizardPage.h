// A page of the sample wizard: sets the wizard buttons for its place in the sheet and
// keeps a shared log of the pages shown; the choice page exchanges its check box.
#pragma once
#include "framework/CPropertyPage.h"

#include <string>
#include <vector>

class CSampleWizardPage : public CPropertyPage
{
public:
    CSampleWizardPage(UINT nIDTemplate, std::vector<UINT>& shownPages);

    int m_fast = BST_UNCHECKED;

protected:
    BOOL OnSetActive() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    std::vector<UINT>& m_shownPages;
};
