#include "wizards/corandel/CorandelSetupCommands.h"

#include "framework/CWinApp.h"
#include "wizards/corandel/CDialogCorandelSetup.h"
#include "wizards/corandel/CDialogCorandelWarn.h"
#include "wizards/corandel/CDialogMpptSetup.h"
#include "wizards/corandel/CDialogMpptWarn.h"

namespace
{
template <class Warning, class Setup>
INT_PTR RunSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon, bool asMainWindow)
{
    Warning warning(parent, icon);
    if (warning.DoModal() != IDOK)
        return IDCANCEL;
    Setup setup(device, parent, icon);
    CWinApp* app = asMainWindow ? AfxGetApp() : nullptr;
    CWnd* previousMain = app != nullptr ? app->m_pMainWnd : nullptr;
    if (app != nullptr)
        app->m_pMainWnd = &setup;
    const INT_PTR result = setup.DoModal();
    if (app != nullptr)
        app->m_pMainWnd = previousMain;
    return result;
}
}

INT_PTR RunCorandelDuoSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon, bool asMainWindow)
{
    return RunSetup<CDialogCorandelWarn, CDialogCorandelSetup>(device, parent, icon, asMainWindow);
}

INT_PTR RunCorandelMpptSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon, bool asMainWindow)
{
    return RunSetup<CDialogMpptWarn, CDialogMpptSetup>(device, parent, icon, asMainWindow);
}
