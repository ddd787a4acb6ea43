// Opening the Varnix, Varnix MPPT and Varnix HV MPPT setups: their warnings first, and the
// setup dialog only when every warning ended with OK.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/ModbusEndpoint.h"

#include <boost/shared_ptr.hpp>

#include <functional>

class CDialog;
class CWnd;

enum EVarnixSetup
{
    VARNIX_SETUP,
    VARNIX_MPPT_SETUP,
    VARNIX_HV_MPPT_SETUP,
};

// The Tools menu shows the second DIP-switch warning before the Varnix MPPT setup too;
// the command line does not. runSetup runs the setup dialog modally (the command line
// makes it the program's main window) and warnings run modally with the same parent.
void RunVarnixSetup(EVarnixSetup which, bool fromMenu, CWnd* parent, HICON icon,
                    const boost::shared_ptr<ModbusEndpoint_t>& device,
                    const std::function<INT_PTR(CDialog&)>& runSetup);
