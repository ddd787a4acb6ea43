// How the program opens the Corandel setups: the warning first and, only when it ends
// with OK, the setup dialog, both modal. The Tools commands pass the main frame as parent
// (and the device of a device's Tools entry); the command-line switches pass no parent,
// the program's icon and asMainWindow, so that the setup dialog is the program's window
// while it shows.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/ModbusEndpoint.h"

#include <boost/shared_ptr.hpp>

class CWnd;

// Each returns the setup dialog's result, or IDCANCEL when the warning was not accepted.
INT_PTR RunCorandelDuoSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon,
                            bool asMainWindow);
INT_PTR RunCorandelMpptSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon,
                             bool asMainWindow);
