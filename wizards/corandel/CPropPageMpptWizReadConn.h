// Where the Corandel MPPT is, for a read (dialog 460) or a programming run (dialog 465): the
// register-list wizards' connection page, which builds the run's register list from the
// settings when the user goes on.
#pragma once
#include "wizards/framework/CPropPageRegisterListConnection.h"

class CPropPageMpptWizReadConn : public CPropPageRegisterListConnection
{
public:
    CPropPageMpptWizReadConn(CVarnixWizardProgContext* context, CStorageVarnixConfig* settings);

protected:
    CPropPageMpptWizReadConn(UINT dialogId, CVarnixWizardProgContext* context, CStorageVarnixConfig* settings);
};

class CPropPageMpptWizProgramConn : public CPropPageMpptWizReadConn
{
public:
    CPropPageMpptWizProgramConn(CVarnixWizardProgContext* context, CStorageVarnixConfig* settings);
};
