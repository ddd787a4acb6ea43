// The Varnix MPPT and HV MPPT models: which settings apply, their value texts per system
// voltage, the setpoint block, deep copies and the generic template's lookups.
#include "modbus/CModbusVariable_IP.h"
#include "tests/support/ErrorText.h"
#include "wizards/varnix/CVarnixHvMpptSettings.h"
#include "wizards/varnix/CVarnixMpptSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::ErrorText;

namespace {

template <class Settings>
std::vector<int> UsedIds(const Settings& settings)
{
    std::vector<int> used;
    for (int id : settings.GetSettingIds())
        if (settings.IsSettingUsed(id))
            used.push_back(id);
    return used;
}

bool Contains(const std::vector<int>& ids, int id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

template <class Settings>
class MpptModelRules : public testing::Test
{
};

typedef testing::Types<CVarnixMpptSettings, CVarnixHvMpptSettings> BothModels;
TYPED_TEST_SUITE(MpptModelRules, BothModels);

TYPED_TEST(MpptModelRules, NothingAppliesWithoutAMode)
{
    TypeParam settings;
    EXPECT_EQ(0, settings.mode);
    EXPECT_TRUE(UsedIds(settings).empty());
    EXPECT_STREQ("unknown", settings.GetModeName().GetString());
}

TYPED_TEST(MpptModelRules, WindCurveOnlyInWindModeAndMastersHideTheirSettings)
{
    TypeParam settings;
    settings.mode = 1;
    std::vector<int> used = UsedIds(settings);
    for (int id = 220; id <= 255; ++id)
        EXPECT_FALSE(Contains(used, id)) << id;
    // Defaults: DHCP on hides the five addresses; all notifications off hide their rules.
    for (int id : {53, 54, 55, 56, 57, 81, 89, 101, 109, 121, 129, 141, 149})
        EXPECT_FALSE(Contains(used, id)) << id;
    for (int id : {1, 2, 3, 4, 20, 21, 22, 30, 31, 32, 33, 34, 35, 50, 51, 52, 73, 80, 100, 120, 140, 208})
        EXPECT_TRUE(Contains(used, id)) << id;

    settings.mode = 2;
    used = UsedIds(settings);
    for (int id = 220; id <= 235; ++id)
        EXPECT_TRUE(Contains(used, id)) << id;
    for (int id = 240; id <= 255; ++id)
        EXPECT_TRUE(Contains(used, id)) << id;

    // Each master switched off hides exactly its dependants.
    const std::vector<std::pair<int, std::vector<int>>> masters = {
        {3, {4}}, {20, {21, 22}}, {30, {31, 32, 33}}, {34, {35}}};
    for (const auto& master : masters)
    {
        TypeParam copy(settings);
        copy.GetVariable(master.first)->FromString("0");
        const std::vector<int> usedNow = UsedIds(copy);
        EXPECT_TRUE(Contains(usedNow, master.first));
        for (int dependant : master.second)
            EXPECT_FALSE(Contains(usedNow, dependant)) << master.first << " hides " << dependant;
        EXPECT_EQ(used.size() - master.second.size(), usedNow.size());
    }

    settings.GetVariable(52)->FromString("false");
    settings.GetVariable(100)->FromString("true");
    used = UsedIds(settings);
    for (int id : {53, 54, 55, 56, 57, 101, 102, 103, 104, 105, 106, 107, 108, 109})
        EXPECT_TRUE(Contains(used, id)) << id;
    EXPECT_FALSE(Contains(used, 81));
    EXPECT_FALSE(Contains(used, 149));
}

TYPED_TEST(MpptModelRules, ValueTextsPerSystemVoltage)
{
    TypeParam settings;
    settings.mode = 2;
    // Battery voltages double and quadruple, with their own decimals.
    EXPECT_EQ("14.10", settings.FormatValue(1, SYS_VOLTAGE_12));
    EXPECT_EQ("28.20", settings.FormatValue(1, SYS_VOLTAGE_24));
    EXPECT_EQ("56.40", settings.FormatValue(1, SYS_VOLTAGE_48));
    // So does the temperature compensation ("V/degC").
    EXPECT_EQ("-0.030", settings.FormatValue(5, SYS_VOLTAGE_12));
    EXPECT_EQ("-0.060", settings.FormatValue(5, SYS_VOLTAGE_24));
    EXPECT_EQ("-0.121", settings.FormatValue(5, SYS_VOLTAGE_48));
    // Currents, times, counts and the wind curve are never multiplied.
    settings.GetVariable(208)->FromString("12.5");
    settings.GetVariable(220)->FromString("40");
    for (ESysVoltage system : {SYS_VOLTAGE_12, SYS_VOLTAGE_24, SYS_VOLTAGE_48})
    {
        EXPECT_EQ("12.50", settings.FormatValue(208, system));
        EXPECT_EQ("40.00", settings.FormatValue(220, system));
        EXPECT_EQ("2:30:00", settings.FormatValue(2, system));
        EXPECT_EQ("28", settings.FormatValue(32, system));
        EXPECT_EQ("true", settings.FormatValue(52, system));
    }
    // A zero switch reads "disabled" in every column.
    for (int id : {3, 9, 20, 22, 30, 34})
    {
        settings.GetVariable(id)->FromString("0");
        for (ESysVoltage system : {SYS_VOLTAGE_12, SYS_VOLTAGE_24, SYS_VOLTAGE_48})
            EXPECT_EQ("disabled", settings.FormatValue(id, system)) << id;
    }
    // Other zero settings show their value.
    settings.GetVariable(35)->FromString("0");
    EXPECT_EQ("0.00", settings.FormatValue(35, SYS_VOLTAGE_24));
}

TYPED_TEST(MpptModelRules, SetpointBlockAndDefaults)
{
    TypeParam settings;
    for (int id : settings.GetSettingIds())
    {
        const bool network = (id >= 52 && id <= 75) || (id >= 80 && id < 150);
        EXPECT_EQ(!network, settings.IsEepromSetting(id)) << id;
    }
    // The controller's own address defaults are private LAN addresses the checks accept.
    const std::string ip = settings.GetVariable(53)->ToString();
    const std::string gateway = settings.GetVariable(55)->ToString();
    EXPECT_EQ(gateway, settings.GetVariable(56)->ToString());
    for (const std::string& address : {ip, gateway})
    {
        CModbusVariable_IP check(0x1501, "check", "check", false, false, "0.0.0.0");
        check.FromString(address.c_str());
        EXPECT_TRUE(address.compare(0, 8, "192.168.") == 0 || address.compare(0, 3, "10.") == 0)
            << address;
    }
    // The defaults pass the gateway's own subnet check.
    EXPECT_EQ(ip.substr(0, ip.rfind('.')), gateway.substr(0, gateway.rfind('.')));
}

TYPED_TEST(MpptModelRules, CopiesAreDeep)
{
    TypeParam source;
    source.mode = 2;
    source.GetVariable(1)->FromString("14.5");
    TypeParam copy(source);
    EXPECT_EQ(2, copy.mode);
    EXPECT_EQ("14.50", copy.GetVariable(1)->ToString());
    EXPECT_NE(source.GetVariable(1), copy.GetVariable(1));
    copy.GetVariable(1)->FromString("13.0");
    EXPECT_EQ("14.50", source.GetVariable(1)->ToString());

    TypeParam assigned;
    assigned = source;
    EXPECT_EQ(2, assigned.mode);
    EXPECT_NE(source.GetVariable(20), assigned.GetVariable(20));
    EXPECT_EQ(source.GetVariables().size(), assigned.GetVariables().size());

    // Self-assignment keeps the very same variables.
    CModbusVariable* before = assigned.GetVariable(1);
    TypeParam& alias = assigned;
    assigned = alias;
    EXPECT_EQ(before, assigned.GetVariable(1));
    EXPECT_EQ("14.50", assigned.GetVariable(1)->ToString());

    // A variable put into the map replaces the old one; a held shared pointer outlives it.
    boost::shared_ptr<CModbusVariable> held = source.GetVariableShared(21);
    source.SetVariable(21, source.VariableFactory(21));
    EXPECT_NE(held.get(), source.GetVariable(21));
    EXPECT_EQ("30:00", held->ToString());
}

TEST(MpptModelRules, ArrayTargetsShowExactlyOne)
{
    CVarnixMpptSettings settings;
    settings.mode = 1;
    auto shown = [&] {
        const std::vector<int> used = UsedIds(settings);
        return std::make_pair(Contains(used, 209), Contains(used, 210));
    };
    EXPECT_EQ(std::make_pair(true, false), shown());   // both 0
    EXPECT_EQ("disabled", settings.FormatValue(209, SYS_VOLTAGE_48));
    settings.GetVariable(210)->FromString("80");
    EXPECT_EQ(std::make_pair(false, true), shown());
    settings.GetVariable(209)->FromString("60");
    EXPECT_EQ(std::make_pair(true, false), shown());
    // The array target is not a battery voltage.
    EXPECT_EQ("60.00", settings.FormatValue(209, SYS_VOLTAGE_48));
    EXPECT_EQ("80.0", settings.FormatValue(210, SYS_VOLTAGE_48));

    EXPECT_STREQ("Solar Charge", (settings.mode = 1, settings.GetModeName()).GetString());
    EXPECT_STREQ("Wind Charge", (settings.mode = 2, settings.GetModeName()).GetString());
    EXPECT_STREQ("unknown", (settings.mode = 7, settings.GetModeName()).GetString());
}

TEST(MpptModelRules, HvModeNamesAndItsOwnUsedRules)
{
    CVarnixHvMpptSettings settings;
    EXPECT_STREQ("charge", settings.GetModeName(1).GetString());
    EXPECT_STREQ("wind", settings.GetModeName(2).GetString());
    EXPECT_STREQ("unknown", settings.GetModeName(0).GetString());
    settings.mode = 2;
    EXPECT_STREQ("wind", settings.GetModeName().GetString());
    // 208 and 8 apply even at 0 (no switch of their own in the summary).
    settings.GetVariable(208)->FromString("0");
    settings.GetVariable(8)->FromString("0");
    EXPECT_TRUE(settings.IsSettingUsed(208));
    EXPECT_TRUE(settings.IsSettingUsed(8));
    EXPECT_EQ("0.00", settings.FormatValue(8, SYS_VOLTAGE_12));
}

} // namespace

#include "wizards/varnix/MpptSummary.h"

namespace {

TEST(MpptSummary, PrintedTextListsTheUsedSettingsWithTheirUnits)
{
    CVarnixMpptSettings settings;
    EXPECT_EQ("Quorvant Corp. Varnix MPPT Setup Summary\nPrinted on 1/2/2025 10:00:00 AM\nMode: unknown\n"
              "\nSetpoints (set the System Voltage with DIP switches 2 & 3):\n",
              MpptSummaryText(settings, "1/2/2025 10:00:00 AM"));

    settings.mode = 1;
    settings.GetVariable(MPPT_SETTING_FLOAT_VOLTAGE)->FromString("0");
    const std::string text = MpptSummaryText(settings, "now");
    // A voltage on one line at three system voltages; a time once; a disabled voltage keeps
    // its units; a setting without units has no trailing blank.
    EXPECT_NE(std::string::npos, text.find("\nRegulation Voltage: 14.10 V (12V), 28.20 V (24V), 56.40 V (48V)\n"));
    EXPECT_NE(std::string::npos, text.find("\nAbsorption Time: 2:30:00 h:m:s\n"));
    EXPECT_NE(std::string::npos, text.find("\nFloat Voltage: disabled V\n"));
    EXPECT_NE(std::string::npos, text.find("\nModbus ID: 1\n"));
    EXPECT_NE(std::string::npos, text.find("\nSkelder ID: 1\n"));
    // The float's dependants and the wind curve do not apply.
    EXPECT_EQ(std::string::npos, text.find("Float Timeout"));
    EXPECT_EQ(std::string::npos, text.find("Wind Setpoint"));
    EXPECT_LT(text.find("\nTemperature Compensation: "), text.find("\nMax. Compensation Temp.: "));

    // The rows of the dialog's list are the same settings in the same order.
    const std::vector<MpptSummaryRow_t> rows = MpptSummaryRows(settings);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(MPPT_SETTING_REGULATION_VOLTAGE, rows.front().id);
    EXPECT_EQ("Regulation Voltage", rows.front().name);
    EXPECT_EQ("56.40", rows.front().values[2]);
    EXPECT_EQ("V", rows.front().units);

    CVarnixHvMpptSettings hv;
    hv.mode = 2;
    const std::string hvText = MpptSummaryText(hv, "now");
    EXPECT_NE(std::string::npos, hvText.find("\nMode: wind\n"));
    EXPECT_NE(std::string::npos, hvText.find("\nWind Setpoint 16 Power: 0.00 W\n"));
    EXPECT_EQ(0u, hvText.find("Quorvant Corp. Varnix MPPT Setup Summary\n"));
}

} // namespace
