// The Battery 2 page of the Corandel Duo wizard: the Battery 1 page on battery 2's
// registers, with its own help topic.
#pragma once
#include "wizards/corandel/CPropPageCrWizBattery1.h"

class CPropPageCrWizBattery2 : public CPropPageCrWizBattery1
{
public:
    explicit CPropPageCrWizBattery2(CCorandelSettings* settings);

    int GetBatteryNumber() const override { return 2; }
};
