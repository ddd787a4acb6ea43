// The progress page of a Corandel MPPT read or programming run: the register-list wizards'
// progress page running the Corandel MPPT thread; a read's values go into the settings.
#pragma once
#include "wizards/framework/CPropPageRegisterListProgress.h"

class CPropPageMpptWizReadCon2 : public CPropPageRegisterListProgress
{
public:
    CPropPageMpptWizReadCon2(CVarnixWizardProgContext* context, CStorageVarnixConfig* settings);
};
