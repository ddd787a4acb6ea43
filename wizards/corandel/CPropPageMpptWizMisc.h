// The last page of the Corandel MPPT wizard: the bus addresses and the LED thresholds.
#pragma once
#include "wizards/corandel/CPropPageMpptWizard.h"

class CPropPageMpptWizMisc : public CPropPageMpptWizard
{
public:
    explicit CPropPageMpptWizMisc(CMpptSettings* settings);

    bool IsLastPage() const override { return true; }
    BOOL OnSetActive() override;

protected:
    bool StoreFields(bool forward) override;
};
