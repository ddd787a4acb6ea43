// Where the Ostrel is (serial port or TCP/IP) and its Modbus address, for a read or a
// program run (dialog 166). It starts from the connection the wizards used last.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CPropPageWizardConnection.h"
#include "wizards/framework/CRelayProgContext.h"

class CPropPageRelayProgConnection : public CPropPageWizardConnection
{
    DECLARE_DYNAMIC(CPropPageRelayProgConnection)
public:
    explicit CPropPageRelayProgConnection(CRelayProgContext* context);
    ~CPropPageRelayProgConnection() override;

    BOOL OnInitDialog() override;
    LRESULT OnWizardNext() override;

protected:
    CRelayProgContext* m_context;
};
