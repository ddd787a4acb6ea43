// One set of Varnix HV MPPT setpoints: the Varnix MPPT settings without the array-voltage
// targets and with smaller wind-curve powers, on the generic settings template, so its map,
// copies and XML setpoint file (product element "varnixhvmppt") come from there.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CGenericSettings.h"
#include "wizards/varnix/MpptSettingRules.h"
#include "wizards/varnix/MpptSettingTable.h"

typedef EVarnixMpptSetting EVarnixHvMpptSetting;

enum EVarnixHvMpptMode
{
    VARNIX_HV_MPPT_MODE_CHARGE = 1,
    VARNIX_HV_MPPT_MODE_WIND = 2,
};

class CVarnixHvMpptSettings
    : public CGenericSettings<EVarnixHvMpptSetting, EVarnixHvMpptMode, 0, ESysVoltage>
{
public:
    CVarnixHvMpptSettings();

    const char* GetXmlElementName() const override;
    std::list<int> GetSettingIds() const override;
    // Throws std::range_error for an id the table does not have.
    boost::shared_ptr<CModbusVariable> VariableFactory(int id) const override;
    using CGenericSettings::GetModeName;
    // "charge", "wind" or "unknown".
    CString GetModeName(int modeValue) const override;
    bool IsSettingUsed(int id) const override;
    bool IsEepromSetting(int id) const override;
    std::string FormatValue(int id, ESysVoltage system) const override;
};
