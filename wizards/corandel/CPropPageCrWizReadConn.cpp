#include "wizards/corandel/CPropPageCrWizReadConn.h"

#include "res/pyraxis_wizards_resource.h"

CPropPageCrWizReadConn::CPropPageCrWizReadConn(CVarnixWizardProgContext* context, CStorageVarnixConfig* settings)
    : CPropPageCrWizReadConn(IDD_OLDER_READ_CONNECTION, context, settings)
{
}

CPropPageCrWizReadConn::CPropPageCrWizReadConn(UINT dialogId, CVarnixWizardProgContext* context,
                                               CStorageVarnixConfig* settings)
    : CPropPageRegisterListConnection(dialogId, context, settings, false)
{
}

CPropPageCrWizProgramConn::CPropPageCrWizProgramConn(CVarnixWizardProgContext* context,
                                                     CStorageVarnixConfig* settings)
    : CPropPageCrWizReadConn(IDD_OLDER_PROGRAM_CONNECTION, context, settings)
{
}
