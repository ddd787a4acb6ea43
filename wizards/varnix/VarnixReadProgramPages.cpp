#include "wizards/varnix/VarnixReadProgramPages.h"

#include "res/pyraxis_wizards_resource.h"

CPropPageVxWizReadConn::CPropPageVxWizReadConn(CVarnixWizardProgContext* context, CVarnixSettings* settings)
    : CPropPageVxWizReadConn(IDD_OLDER_READ_CONNECTION, context, settings)
{
}

CPropPageVxWizReadConn::CPropPageVxWizReadConn(UINT dialogId, CVarnixWizardProgContext* context,
                                               CVarnixSettings* settings)
    : CPropPageRegisterListConnection(dialogId, context, settings, true), m_varnixSettings(settings)
{
}

void CPropPageVxWizReadConn::OnModeChosen(int index)
{
    CPropPageRegisterListConnection::OnModeChosen(index);
    m_varnixSettings->SetMode(index + VARNIX_MODE_SOLAR_CHARGE);
}

CPropPageVxWizProgramConn::CPropPageVxWizProgramConn(CVarnixWizardProgContext* context,
                                                     CVarnixSettings* settings)
    : CPropPageVxWizReadConn(IDD_OLDER_PROGRAM_CONNECTION, context, settings)
{
}

CPropPageVxWizReadCon2::CPropPageVxWizReadCon2(CVarnixWizardProgContext* context, CVarnixSettings* settings)
    : CPropPageRegisterListProgress(VARNIX_PROGRESS_PAGE, &MakeVarnixProgThread, context, settings)
{
}
