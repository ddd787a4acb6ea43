// How the MPPT setpoint dialogs fill a read or program run's context from their settings,
// and how a completed read becomes the dialog's settings.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CWizardProgrammingContext.h"
#include "wizards/varnix/CVarnixHvMpptSettings.h"
#include "wizards/varnix/CVarnixMpptSettings.h"

// The device the connection pages last stored in the registry.
boost::shared_ptr<ModbusEndpoint_t> MakeLastUsedEndpoint();

// A run's context for the dialog's device, or without one for the device last used, with
// the Varnix MPPT's texts.
CWizardProgrammingContextPtr MakeMpptProgrammingContext(const boost::shared_ptr<ModbusEndpoint_t>& device,
                                                        bool isRead);

// A read: copies of every readable setting (the write-only password left out); the
// setpoint block is required, the network and notification settings optional.
template <class TSettings>
void FillMpptReadContext(const TSettings& settings, CWizardProgrammingContext& context)
{
    for (const auto& entry : settings.GetVariables())
    {
        if (entry.second->IsWriteOnly())
            continue;
        const boost::shared_ptr<CModbusVariable> copy = entry.second->Clone();
        if (settings.IsEepromSetting(entry.first))
            context.variables[entry.first] = copy;
        else
            context.optionalVariables[entry.first] = std::make_pair(copy, false);
    }
}

// A program run: every setting that has a value (the password only when one was typed).
template <class TSettings>
void FillMpptProgramContext(const TSettings& settings, CWizardProgrammingContext& context)
{
    for (const auto& entry : settings.GetVariables())
    {
        if (!entry.second->HasValue())
            continue;
        if (settings.IsEepromSetting(entry.first))
            context.variables[entry.first] = entry.second;
        else
            context.optionalVariables[entry.first] = std::make_pair(entry.second, false);
    }
}

// A controller without the array targets answers 0xFFFF for them: they read as off.
void CorrectMpptReadResult(CVarnixMpptSettings& settings);
inline void CorrectMpptReadResult(CVarnixHvMpptSettings&)
{
}

// New settings in the chosen mode with what the run read: the required set and the
// optional settings that were read; the rest keep their defaults.
template <class TSettings>
TSettings AdoptMpptReadResult(const CWizardProgrammingContext& context, int mode)
{
    TSettings result;
    result.mode = mode;
    for (const auto& entry : context.variables)
        result.SetVariable(entry.first, entry.second);
    for (const auto& entry : context.optionalVariables)
        if (entry.second.second)
            result.SetVariable(entry.first, entry.second.first);
    CorrectMpptReadResult(result);
    return result;
}
