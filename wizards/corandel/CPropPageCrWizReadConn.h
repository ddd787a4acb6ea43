// Where the Corandel Duo is, for a read (dialog 460) or a programming run (dialog 465): the
// register-list wizards' connection page, which builds the run's register list from the
// settings when the user goes on.
#pragma once
#include "wizards/framework/CPropPageRegisterListConnection.h"

class CPropPageCrWizReadConn : public CPropPageRegisterListConnection
{
public:
    CPropPageCrWizReadConn(CVarnixWizardProgContext* context, CStorageVarnixConfig* settings);

protected:
    CPropPageCrWizReadConn(UINT dialogId, CVarnixWizardProgContext* context, CStorageVarnixConfig* settings);
};

class CPropPageCrWizProgramConn : public CPropPageCrWizReadConn
{
public:
    CPropPageCrWizProgramConn(CVarnixWizardProgContext* context, CStorageVarnixConfig* settings);
};
