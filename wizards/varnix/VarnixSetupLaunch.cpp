#include "wizards/varnix/VarnixSetupLaunch.h"

#include "wizards/varnix/CDialogMpptSetup.h"
#include "wizards/varnix/CDialogVarnixSetup.h"

void RunVarnixSetup(EVarnixSetup which, bool fromMenu, CWnd* parent, HICON icon,
                    const boost::shared_ptr<ModbusEndpoint_t>& device,
                    const std::function<INT_PTR(CDialog&)>& runSetup)
{
    switch (which)
    {
    case VARNIX_SETUP: {
        CDialogVxWizWarn1 first(parent, icon);
        if (first.DoModal() != IDOK)
            return;
        CDialogVxWizWarn2 second(parent, icon);
        if (second.DoModal() != IDOK)
            return;
        CDialogVarnixSetup setup(device, parent, icon);
        runSetup(setup);
        return;
    }
    case VARNIX_MPPT_SETUP: {
        CDialogVarnixMpptWarn first(parent, icon);
        if (first.DoModal() != IDOK)
            return;
        if (fromMenu)
        {
            CDialogVxWizWarn2 second(parent, icon);
            if (second.DoModal() != IDOK)
                return;
        }
        CDialogVarnixMpptSummary setup(device, parent, icon);
        runSetup(setup);
        return;
    }
    case VARNIX_HV_MPPT_SETUP: {
        CDialogVarnixHvMpptWarn warning(parent, icon);
        if (warning.DoModal() != IDOK)
            return;
        CDialogVarnixHvMpptSummary setup(device, parent, icon);
        runSetup(setup);
        return;
    }
    }
}
