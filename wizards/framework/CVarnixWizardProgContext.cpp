#include "wizards/framework/CVarnixWizardProgContext.h"

CVarnixWizardProgContext::CVarnixWizardProgContext(const ModbusEndpoint_t* device)
    : CRelayProgContext(device, nullptr), programChoice(0)
{
}

CVarnixWizardProgContext::~CVarnixWizardProgContext()
{
}

CVarnixWizardProgContext::CVarnixWizardProgContext(const CVarnixWizardProgContext& other)
    : CRelayProgContext(other), programChoice(other.programChoice), registers(other.registers),
      registerNames(other.registerNames)
{
}

CVarnixWizardProgContext& CVarnixWizardProgContext::operator=(const CVarnixWizardProgContext& other)
{
    Assign(other);
    return *this;
}

void CVarnixWizardProgContext::Assign(const CRelayProgContext& other)
{
    const CVarnixWizardProgContext* registerList = dynamic_cast<const CVarnixWizardProgContext*>(&other);
    if (registerList != nullptr)
        Assign(*registerList);
    else
        CRelayProgContext::Assign(other);
}

void CVarnixWizardProgContext::Assign(const CVarnixWizardProgContext& other)
{
    if (&other == this)
        return;
    CRelayProgContext::Assign(other);
    programChoice = other.programChoice;
    registers = other.registers;
    registerNames = other.registerNames;
}
