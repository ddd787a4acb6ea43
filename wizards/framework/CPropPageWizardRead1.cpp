#include "wizards/framework/CPropPageWizardRead1.h"

// The runtime class chain goes on at CPropertyPage: the shared connection page base has
// no runtime class of its own.
IMPLEMENT_DYNAMIC(CPropPageWizardRead1, CPropertyPage)
IMPLEMENT_DYNAMIC(CPropPageWizardProgram1, CPropPageWizardRead1)

CPropPageWizardRead1::CPropPageWizardRead1(const CWizardProgrammingContextPtr& context, UINT dialogId)
    : CPropPageWizardConnection(dialogId, {context->comPort, context->host, context->tcpPort, context->modbusAddress},
                                MODBUS_ADDRESS_ERROR),
      m_context(context)
{
}

CPropPageWizardRead1::~CPropPageWizardRead1()
{
}

BOOL CPropPageWizardRead1::OnInitDialog()
{
    return ShowConnection();
}

LRESULT CPropPageWizardRead1::OnWizardNext()
{
    if (!StoreConnection())
        return -1;
    RememberConnectionInRegistry(m_connection);
    return CPropertyPage::OnWizardNext();
}

CPropPageWizardProgram1::CPropPageWizardProgram1(const CWizardProgrammingContextPtr& context, UINT dialogId)
    : CPropPageWizardRead1(context, dialogId)
{
}
