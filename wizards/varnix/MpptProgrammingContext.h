// How the MPPT setpoint dialogs fill a read or program run's context from their settings,
// and how a completed read becomes the dialog's settings.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CWizardProgrammingContext.h"
#include "wizards/varnix/CVarnixHvMpptSettings.h"
#include "wizards/varnix/CVarnixMpptSettings.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <set>

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

// Settings a completed read did not get from the controller (a model without the
// optional set): the settings adopted from it hold only their defaults there.
typedef std::set<int> MpptSettingIdSet_t;
MpptSettingIdSet_t MpptSettingsNotRead(const CWizardProgrammingContext& context);

// A program run: every setting that has a value (the password only when one was typed),
// except those that were neither read from the controller nor set since: a default never
// takes the place of what the controller holds (its network address among them).
template <class TSettings>
void FillMpptProgramContext(const TSettings& settings, CWizardProgrammingContext& context,
                            const MpptSettingIdSet_t& notRead = MpptSettingIdSet_t())
{
    for (const auto& entry : settings.GetVariables())
    {
        if (!entry.second->HasValue())
            continue;
        if (notRead.count(entry.first))
        {
            ++context.settingsNotRead;
            continue;
        }
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

// Takes out of notRead the settings whose value differs between the two sets: the user
// has set them.
template <class TSettings>
void ForgetSettingsSetSince(const TSettings& before, const TSettings& after, MpptSettingIdSet_t& notRead)
{
    for (auto id = notRead.begin(); id != notRead.end();)
    {
        const std::deque<ModbusRegister_t> was = before.GetVariable(*id)->GetRegisters();
        const std::deque<ModbusRegister_t> now = after.GetVariable(*id)->GetRegisters();
        const bool same = std::equal(was.begin(), was.end(), now.begin(), now.end(),
                                     [](const ModbusRegister_t& a, const ModbusRegister_t& b) {
                                         return a.address == b.address && a.value == b.value;
                                     });
        id = same ? std::next(id) : notRead.erase(id);
    }
}

// The setpoint file's text of the settings without those not read: what the controller
// did not give is not written as if it were a value. Throws as SaveXml does.
template <class TSettings>
std::string MpptSetpointFileText(const TSettings& settings, const MpptSettingIdSet_t& notRead)
{
    TSettings known(settings);
    for (int id : notRead)
        known.SetVariable(id, boost::shared_ptr<CModbusVariable>());
    std::string text;
    known.SaveXml(text);
    return text;
}

// Loads a setpoint file's text into settings (LoadXml, which throws on the file's faults)
// and returns the settings the file did not hold: they hold only their defaults and count
// as not read, so a file saved after a partial read never brings defaults back as values.
// The write-only password is never read and is left to its own rule.
template <class TSettings>
MpptSettingIdSet_t LoadMpptSetpointFile(const std::string& text, TSettings& settings)
{
    MpptSettingIdSet_t held;
    settings.LoadXml(text, &held);
    MpptSettingIdSet_t notHeld;
    for (const auto& entry : settings.GetVariables())
        if (!held.count(entry.first) && !entry.second->IsWriteOnly())
            notHeld.insert(entry.first);
    return notHeld;
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
