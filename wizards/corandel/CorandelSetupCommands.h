// How the program opens the Corandel setups: the warning first and, only when it ends
// with OK, the setup dialog, both modal. The Tools commands pass the main frame as parent
// (and the device of a device's Tools entry); the command-line switches pass no parent,
// the program's icon and a run of the setup dialog as the program's main window.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/ModbusEndpoint.h"

#include <boost/shared_ptr.hpp>
#include <functional>

class CDialog;
class CWnd;

// Runs a modal dialog; empty: DoModal.
typedef std::function<INT_PTR(CDialog&)> DialogRun_t;

// Each returns the setup dialog's result, or IDCANCEL when the warning was not accepted.
INT_PTR RunCorandelDuoSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon,
                            const DialogRun_t& runSetup = DialogRun_t());
INT_PTR RunCorandelMpptSetup(boost::shared_ptr<ModbusEndpoint_t> device, CWnd* parent, HICON icon,
                             const DialogRun_t& runSetup = DialogRun_t());
