// What the newer wizards hand to their programming thread: where the device is, whether
// to read or program, and the settings (required and optional) as Modbus variables. The
// wizard's pages and the thread share one context; the pages leave it alone while a run
// is active.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "modbus/CModbusVariable.h"
#include "modbus/ModbusEndpoint.h"

#include <boost/noncopyable.hpp>
#include <boost/shared_ptr.hpp>

#include <map>
#include <string>
#include <utility>

typedef std::map<int, boost::shared_ptr<CModbusVariable>> WizardVariableMap_t;
// The flag tells whether the set was read in the last run.
typedef std::map<int, std::pair<boost::shared_ptr<CModbusVariable>, bool>> WizardOptionalVariableMap_t;

class CWizardProgrammingContext : private boost::noncopyable
{
public:
    // Without a device every connection field is "none" (-1 or empty).
    explicit CWizardProgrammingContext(const ModbusEndpoint_t* device);
    virtual ~CWizardProgrammingContext();

    int comPort;            // -1 for TCP/IP or no device
    CString host;
    int modbusAddress;
    int tcpPort;            // -1 unless the device is on the network
    bool isRead;            // set by the wizard
    std::string deviceText; // the device's name in messages
    WizardVariableMap_t variables;
    WizardOptionalVariableMap_t optionalVariables;
    std::string optionalFailureText;
    // A program run's settings left out because they were never read from the controller;
    // the run's list names their number.
    int settingsNotRead = 0;
};

typedef boost::shared_ptr<CWizardProgrammingContext> CWizardProgrammingContextPtr;
