#include "wizards/corandel/MpptWizardFields.h"

#include "wizards/corandel/CMpptSettings.h"
#include "wizards/framework/SettingText.h"

CString FormatWizardField(const CMpptSettings& settings, const MpptWizardField& field)
{
    return FormatNumber(field.format, settings.GetValue(field.registerAddress) / field.divisor);
}
