#include "wizards/varnix/CVarnixHvMpptSettings.h"

#include <stdexcept>

namespace
{
const MpptRuleOptions RULES = {false};
}

CVarnixHvMpptSettings::CVarnixHvMpptSettings()
{
    CreateVariables();
}

const char* CVarnixHvMpptSettings::GetXmlElementName() const
{
    return "varnixhvmppt";
}

std::list<int> CVarnixHvMpptSettings::GetSettingIds() const
{
    return MpptSettingIds(MPPT_MODEL_VARNIX_HV_MPPT);
}

boost::shared_ptr<CModbusVariable> CVarnixHvMpptSettings::VariableFactory(int id) const
{
    boost::shared_ptr<CModbusVariable> variable =
        MakeMpptSettingVariable(MPPT_MODEL_VARNIX_HV_MPPT, id);
    if (!variable)
        throw std::range_error("CVarnixHvMpptSettings::VariableFactory unknown setting");
    return variable;
}

CString CVarnixHvMpptSettings::GetModeName(int modeValue) const
{
    switch (modeValue)
    {
    case VARNIX_HV_MPPT_MODE_CHARGE: return CString("charge");
    case VARNIX_HV_MPPT_MODE_WIND: return CString("wind");
    default: return CString("unknown");
    }
}

bool CVarnixHvMpptSettings::IsSettingUsed(int id) const
{
    return MpptIsSettingUsed(RULES, mode, id, [this](int other) { return GetVariable(other); });
}

bool CVarnixHvMpptSettings::IsEepromSetting(int id) const
{
    return MpptIsEepromSetting(*GetVariable(id));
}

std::string CVarnixHvMpptSettings::FormatValue(int id, ESysVoltage system) const
{
    return MpptFormatValue(RULES, id, system, *GetVariable(id));
}
