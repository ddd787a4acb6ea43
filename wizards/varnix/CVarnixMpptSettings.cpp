#include "wizards/varnix/CVarnixMpptSettings.h"

#include "wizards/framework/SetpointXml.h"
#include "wizards/varnix/MpptSettingTable.h"

#include <stdexcept>

namespace
{
const MpptRuleOptions RULES = {true};
const SetpointXmlLayout XML_LAYOUT = {"varnixmppt", 2, false};
}

CVarnixMpptSettings::CVarnixMpptSettings() : mode(0)
{
    CreateVariables();
}

CVarnixMpptSettings::CVarnixMpptSettings(const CVarnixMpptSettings& other) : mode(other.mode)
{
    for (const auto& entry : other.variables)
        variables[entry.first] = entry.second ? entry.second->Clone() : entry.second;
}

CVarnixMpptSettings& CVarnixMpptSettings::operator=(const CVarnixMpptSettings& other)
{
    if (&other == this)
        return *this;
    CVarnixMpptSettings copy(other);
    mode = copy.mode;
    variables.swap(copy.variables);
    return *this;
}

CVarnixMpptSettings::~CVarnixMpptSettings()
{
}

boost::shared_ptr<CModbusVariable> CVarnixMpptSettings::VariableFactory(int id) const
{
    boost::shared_ptr<CModbusVariable> variable =
        MakeMpptSettingVariable(MPPT_MODEL_VARNIX_MPPT, id);
    if (!variable)
        throw std::range_error("CVarnixMpptSettings::VariableFactory unknown setting");
    return variable;
}

std::list<int> CVarnixMpptSettings::GetSettingIds() const
{
    return MpptSettingIds(MPPT_MODEL_VARNIX_MPPT);
}

CModbusVariable* CVarnixMpptSettings::GetVariable(int id) const
{
    return GetVariableShared(id).get();
}

boost::shared_ptr<CModbusVariable> CVarnixMpptSettings::GetVariableShared(int id) const
{
    const auto found = variables.find(id);
    if (found == variables.end())
        throw std::range_error("setting " + std::to_string(id) + " not found in map");
    return found->second;
}

void CVarnixMpptSettings::SetVariable(int id, const boost::shared_ptr<CModbusVariable>& variable)
{
    variables[id] = variable;
}

CString CVarnixMpptSettings::GetModeName() const
{
    switch (mode)
    {
    case 1: return CString("Solar Charge");
    case 2: return CString("Wind Charge");
    default: return CString("unknown");
    }
}

bool CVarnixMpptSettings::IsSettingUsed(int id) const
{
    return MpptIsSettingUsed(RULES, mode, id, [this](int other) { return GetVariable(other); });
}

std::string CVarnixMpptSettings::FormatValue(int id, ESysVoltage system) const
{
    return MpptFormatValue(RULES, id, system, *GetVariable(id));
}

bool CVarnixMpptSettings::IsEepromSetting(int id) const
{
    return MpptIsEepromSetting(*GetVariable(id));
}

void CVarnixMpptSettings::SaveXml(std::string& out) const
{
    out = SaveSetpointXml(XML_LAYOUT, mode, variables);
}

void CVarnixMpptSettings::LoadXml(const std::string& text, std::set<int>* held)
{
    variables.clear();
    CreateVariables();
    LoadSetpointXml(XML_LAYOUT, text, mode, variables, SetpointXmlHook(), held);
}

void CVarnixMpptSettings::CreateVariables()
{
    for (int id : GetSettingIds())
        variables[id] = VariableFactory(id);
}
