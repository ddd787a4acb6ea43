#include "wizards/corandel/CPropPageCorandelWizard.h"

CPropPageCorandelWizard::CPropPageCorandelWizard(UINT dialogId, CCorandelSettings* settings)
    : CPropPageSetpointWizard(dialogId), m_settings(settings)
{
}
