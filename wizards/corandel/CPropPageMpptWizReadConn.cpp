#include "wizards/corandel/CPropPageMpptWizReadConn.h"

#include "res/pyraxis_wizards_resource.h"

CPropPageMpptWizReadConn::CPropPageMpptWizReadConn(CVarnixWizardProgContext* context, CStorageVarnixConfig* settings)
    : CPropPageMpptWizReadConn(IDD_OLDER_READ_CONNECTION, context, settings)
{
}

CPropPageMpptWizReadConn::CPropPageMpptWizReadConn(UINT dialogId, CVarnixWizardProgContext* context,
                                               CStorageVarnixConfig* settings)
    : CPropPageRegisterListConnection(dialogId, context, settings, false)
{
}

CPropPageMpptWizProgramConn::CPropPageMpptWizProgramConn(CVarnixWizardProgContext* context,
                                                     CStorageVarnixConfig* settings)
    : CPropPageMpptWizReadConn(IDD_OLDER_PROGRAM_CONNECTION, context, settings)
{
}
