// The newer wizards' connection pages: serial port or TCP/IP and the Modbus address of
// the device to read (dialog 604) or to program (dialog 605, CPropPageWizardProgram1).
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CPropPageWizardConnection.h"
#include "wizards/framework/CWizardProgrammingContext.h"

class CPropPageWizardRead1 : public CPropPageWizardConnection
{
    DECLARE_DYNAMIC(CPropPageWizardRead1)
public:
    CPropPageWizardRead1(const CWizardProgrammingContextPtr& context, UINT dialogId);
    ~CPropPageWizardRead1() override;

    BOOL OnInitDialog() override;
    LRESULT OnWizardNext() override;

protected:
    CWizardProgrammingContextPtr m_context;
};

class CPropPageWizardProgram1 : public CPropPageWizardRead1
{
    DECLARE_DYNAMIC(CPropPageWizardProgram1)
public:
    CPropPageWizardProgram1(const CWizardProgrammingContextPtr& context, UINT dialogId);
};
