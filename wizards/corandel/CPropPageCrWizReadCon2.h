// The progress page of a Corandel Duo read or programming run: the register-list wizards'
// progress page running the Corandel Duo thread; a read's values go into the settings.
#pragma once
#include "wizards/framework/CPropPageRegisterListProgress.h"

class CPropPageCrWizReadCon2 : public CPropPageRegisterListProgress
{
public:
    CPropPageCrWizReadCon2(CVarnixWizardProgContext* context, CStorageVarnixConfig* settings);
};
