#include "wizards/corandel/CPropPageCrWizReadCon2.h"

CPropPageCrWizReadCon2::CPropPageCrWizReadCon2(CVarnixWizardProgContext* context, CStorageVarnixConfig* settings)
    : CPropPageRegisterListProgress(CORANDEL_DUO_PROGRESS_PAGE, MakeCorandelDuoProgThread, context, settings)
{
}
