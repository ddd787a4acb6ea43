#include "tests/wizards/CorandelSaveDialogs.h"

#include "wizards/corandel/CDialogCorandelSetup.h"
#include "wizards/corandel/CDialogMpptSetup.h"

namespace settings_test {

std::unique_ptr<CDialogSetpointSummary> MakeCorandelMpptDialog()
{
    return std::unique_ptr<CDialogSetpointSummary>(
        new CDialogMpptSetup(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr));
}

std::unique_ptr<CDialogSetpointSummary> MakeCorandelDuoDialog()
{
    return std::unique_ptr<CDialogSetpointSummary>(
        new CDialogCorandelSetup(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr));
}

} // namespace settings_test
