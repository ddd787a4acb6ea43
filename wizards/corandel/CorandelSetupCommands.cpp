#include "wizards/corandel/CorandelSetupCommands.h"

#include "wizards/corandel/CDialogCorandelSetup.h"
#include "wizards/corandel/CDialogCorandelWarn.h"
#include "wizards/corandel/CDialogMpptSetup.h"
#include "wizards/corandel/CDialogMpptWarn.h"

namespace
{
template <class Warning, class Setup>
INT_PTR RunSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon, const DialogRun_t& runSetup)
{
    Warning warning(parent, icon);
    if (warning.DoModal() != IDOK)
        return IDCANCEL;
    Setup setup(device, parent, icon);
    return runSetup ? runSetup(setup) : setup.DoModal();
}
}

INT_PTR RunCorandelDuoSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon, const DialogRun_t& runSetup)
{
    return RunSetup<CDialogCorandelWarn, CDialogCorandelSetup>(device, parent, icon, runSetup);
}

INT_PTR RunCorandelMpptSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon, const DialogRun_t& runSetup)
{
    return RunSetup<CDialogMpptWarn, CDialogMpptSetup>(device, parent, icon, runSetup);
}
