// The Common page of the Corandel Duo wizard: the charging priority of both DIP switch #3
// positions, the temperature compensation and the two bus addresses. It is the last page.
#pragma once
#include "wizards/corandel/CPropPageCorandelWizard.h"

class CPropPageCrWizCommon : public CPropPageCorandelWizard
{
public:
    explicit CPropPageCrWizCommon(CCorandelSettings* settings);

    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    BOOL OnWizardFinish() override;

    // Checks and stores the page's fields in order; with quiet set only the two
    // priorities, without boxes. False at the first refused field.
    bool CheckAndStore(bool quiet);

protected:
    // Battery 2 has what battery 1 leaves: both shown after every priority change.
    void UpdateBattery2Priorities();
    afx_msg void OnPriorityChanged();

    bool m_filled;   // false while the page fills its own edits

    DECLARE_MESSAGE_MAP()
};
