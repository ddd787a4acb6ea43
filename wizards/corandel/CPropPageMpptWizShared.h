// The charge settings both banks share in the Corandel MPPT wizard: temperature
// compensation and its limits, the battery high-voltage disconnect and the maximum
// regulation voltage.
#pragma once
#include "wizards/corandel/CPropPageMpptWizard.h"

class CPropPageMpptWizShared : public CPropPageMpptWizard
{
public:
    explicit CPropPageMpptWizShared(CMpptSettings* settings);

    BOOL OnSetActive() override;

protected:
    bool StoreFields(bool forward) override;
    afx_msg void OnDisableMaxLimit();

    DECLARE_MESSAGE_MAP()
};
