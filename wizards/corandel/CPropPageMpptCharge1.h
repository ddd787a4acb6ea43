// The charge settings of battery bank 1 in the Corandel MPPT wizard (its first page), with
// check boxes that turn the float and the equalize stage off.
#pragma once
#include "wizards/corandel/CPropPageMpptWizard.h"

class CPropPageMpptCharge1 : public CPropPageMpptWizard
{
public:
    explicit CPropPageMpptCharge1(CMpptSettings* settings);

    // Selects the bank's registers.
    virtual bool IsBankTwo() const { return false; }
    bool IsFirstPage() const override { return !IsBankTwo(); }

    BOOL OnSetActive() override;

protected:
    CPropPageMpptCharge1(UINT dialogId, CMpptSettings* settings);

    bool StoreFields(bool forward) override;
    // Fields disabled while their stage is off.
    void ApplyCheckBoxes();
    afx_msg void OnCheckBoxClicked();

    DECLARE_MESSAGE_MAP()
};
