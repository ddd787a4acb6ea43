#include "wizards/corandel/CPropPageMpptCharge2.h"

#include "res/pyraxis_corandel_resource.h"

CPropPageMpptCharge2::CPropPageMpptCharge2(CMpptSettings* settings)
    : CPropPageMpptCharge1(IDD_MPPT_CHARGE2, settings)
{
}
