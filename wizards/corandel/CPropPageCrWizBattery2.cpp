#include "wizards/corandel/CPropPageCrWizBattery2.h"

#include "res/pyraxis_corandel_resource.h"

CPropPageCrWizBattery2::CPropPageCrWizBattery2(CCorandelSettings* settings)
    : CPropPageCrWizBattery1(IDD_CORANDEL_BATTERY2_HELP, settings)
{
}
