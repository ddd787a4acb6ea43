// The context of the register-list wizards (Varnix, Corandel Duo, Corandel MPPT): every
// register to read or program, in ascending address order, and a choice of the wizard's
// own that travels with the context.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CRelayProgContext.h"

#include <map>
#include <string>

typedef std::map<WORD, WORD> WizardRegisterMap_t;
// The setting a register holds, for the texts of a run that fails there.
typedef std::map<WORD, std::string> WizardRegisterNames_t;

class CVarnixWizardProgContext : public CRelayProgContext
{
public:
    explicit CVarnixWizardProgContext(const ModbusEndpoint_t* device);
    ~CVarnixWizardProgContext() override;
    CVarnixWizardProgContext(const CVarnixWizardProgContext& other);
    CVarnixWizardProgContext& operator=(const CVarnixWizardProgContext& other);

    using CRelayProgContext::Assign;
    // The base's part and, when other is a register-list context too, its own fields.
    void Assign(const CRelayProgContext& other) override;
    virtual void Assign(const CVarnixWizardProgContext& other);

    int programChoice;
    WizardRegisterMap_t registers;
    WizardRegisterNames_t registerNames;
};
