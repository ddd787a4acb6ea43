#include "wizards/corandel/CPropPageMpptWizReadCon2.h"

CPropPageMpptWizReadCon2::CPropPageMpptWizReadCon2(CVarnixWizardProgContext* context, CStorageVarnixConfig* settings)
    : CPropPageRegisterListProgress(CORANDEL_MPPT_PROGRESS_PAGE, MakeCorandelMpptProgThread, context, settings)
{
}
