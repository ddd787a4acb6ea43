// The summary of one set of Varnix MPPT or HV MPPT setpoints: the rows the setup dialog
// lists and the text it prints. Only the settings that apply in the mode are shown, each
// at 12, 24 and 48 V.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/varnix/MpptSettingRules.h"

#include <set>
#include <string>
#include <vector>

struct MpptSummaryRow_t
{
    int id;
    std::string name;
    std::string values[3];   // 12, 24 and 48 V systems
    std::string units;
};

// What a setting that was not read from the controller shows in place of a value.
extern const char* const MPPT_NOT_READ_TEXT;

// notRead: settings that hold only a default because the controller did not give them.
template <class TSettings>
std::vector<MpptSummaryRow_t> MpptSummaryRows(const TSettings& settings,
                                              const std::set<int>& notRead = std::set<int>())
{
    std::vector<MpptSummaryRow_t> rows;
    for (int id : settings.GetSettingIds())
    {
        if (!settings.IsSettingUsed(id))
            continue;
        const CModbusVariable* variable = settings.GetVariable(id);
        MpptSummaryRow_t row;
        row.id = id;
        row.name = variable->GetName();
        for (int system = SYS_VOLTAGE_12; system <= SYS_VOLTAGE_48; ++system)
            row.values[system] = notRead.count(id) ? std::string(MPPT_NOT_READ_TEXT)
                                                   : settings.FormatValue(id, static_cast<ESysVoltage>(system));
        row.units = notRead.count(id) ? std::string() : variable->GetUnits();
        rows.push_back(row);
    }
    return rows;
}

// The printed text; printedOn is the local date and time as the user reads them.
std::string MpptSummaryText(const std::string& modeName, const std::vector<MpptSummaryRow_t>& rows,
                            const std::string& printedOn);

template <class TSettings>
std::string MpptSummaryText(const TSettings& settings, const std::string& printedOn,
                            const std::set<int>& notRead = std::set<int>())
{
    return MpptSummaryText(settings.GetModeName().GetString(), MpptSummaryRows(settings, notRead), printedOn);
}
