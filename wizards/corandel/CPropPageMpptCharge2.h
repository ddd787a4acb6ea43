// The charge settings of battery bank 2 in the Corandel MPPT wizard: the bank 1 page on
// bank 2's registers.
#pragma once
#include "wizards/corandel/CPropPageMpptCharge1.h"

class CPropPageMpptCharge2 : public CPropPageMpptCharge1
{
public:
    explicit CPropPageMpptCharge2(CMpptSettings* settings);

    bool IsBankTwo() const override { return true; }
};
