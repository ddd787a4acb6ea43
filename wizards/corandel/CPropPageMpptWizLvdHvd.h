// The load settings of the Corandel MPPT wizard: the low-voltage disconnect with its
// delay and current compensation, and the load's high-voltage disconnect.
#pragma once
#include "wizards/corandel/CPropPageMpptWizard.h"

class CPropPageMpptWizLvdHvd : public CPropPageMpptWizard
{
public:
    explicit CPropPageMpptWizLvdHvd(CMpptSettings* settings);

    BOOL OnSetActive() override;

protected:
    bool StoreFields(bool forward) override;
    // The delay's minutes or seconds as a whole number below the limit; false after its box.
    bool ReadDelayPart(int control, const char* name, int limit, int* value);
    afx_msg void OnEnableHvd();

    DECLARE_MESSAGE_MAP()
};
