// Every setting of the Varnix MPPT and HV MPPT tables: register, kind, texts, limits,
// default and scale, checked through what each variable does.
#include "modbus/CModbusVariable.h"
#include "modbus/CModbusVariable_Time.h"
#include "modbus/CModbusVariable_Translated.h"
#include "tests/support/ErrorText.h"
#include "wizards/varnix/CVarnixHvMpptSettings.h"
#include "wizards/varnix/CVarnixMpptSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

using testing_support::ErrorText;
using testing_support::NO_EXCEPTION_TEXT;

namespace {

enum Kind { SCALED, TIME, UINT16, INT8, FLAG, IP, TEXT, TEXT_WRITEONLY, TRANSLATED };

struct ExpectedSetting
{
    int id;
    unsigned address;
    unsigned registerCount;
    Kind kind;
    const char* name;
    const char* description;
    const char* units;
    const char* defaultText;
    // Scaled: engineering limits, decimals and the engineering value of one count;
    // uint16, int8 and time: limits; flag: the bit.
    double minimum;
    double maximum;
    int decimals;
    double scale;
};

const double V = 180.0 / 32768;

// Ids 1-75 as the controller's documentation lists them.
const std::vector<ExpectedSetting> FIXED_SETTINGS = {
    {1, 0xE000, 1, SCALED, "Regulation Voltage", "Regulation voltage at 25 deg C", "V", "14.10", 0, 100, 2, V},
    {2, 0xE002, 1, TIME, "Absorption Time", "Time to spend in absorption (before float)", "h:m:s", "2:30:00", 0, 65535, 0, 0},
    {3, 0xE004, 1, SCALED, "Absorption Ext. Voltage", "Absorption Extension Voltage", "V", "12.50", 0, 100, 2, V},
    {4, 0xE003, 1, TIME, "Absorption Ext. Time", "Absorption Extension Time", "h:m:s", "3:00:00", 0, 65535, 0, 0},
    {5, 0xE00D, 1, SCALED, "Temperature Compensation", "Battery Temperature compensation", "V/degC", "-0.030", -1, 0, 3, -90.0 / 32768},
    {6, 0xE012, 1, INT8, "Min. Compensation Temp.", "Min battery temp compensation limit", "deg C", "-40", -128, 127, 0, 0},
    {7, 0xE011, 1, INT8, "Max. Compensation Temp.", "Max battery temp compensation limit", "deg C", "80", -128, 127, 0, 0},
    {8, 0xE010, 1, SCALED, "Maximum Regulation Limit", "Maximum Regulation Limit", "V", "15.00", 0, 100, 2, V},
    {9, 0xE00B, 1, UINT16, "Battery Service Reminder", "Battery Service Reminder", "days", "60", 0, 255, 0, 0},
    {20, 0xE001, 1, SCALED, "Float Voltage", "Float voltage at 25 deg C", "V", "13.50", 0, 100, 2, V},
    {21, 0xE006, 1, TIME, "Float Timeout", "Exit float cumulative timer", "h:m:s", "30:00", 0, 65535, 0, 0},
    {22, 0xE005, 1, SCALED, "Float Cancel Voltage", "Voltage that cancels float", "V", "12.50", 0, 100, 2, V},
    {30, 0xE007, 1, SCALED, "Equalize Voltage", "Equalize voltage @ 25 degC", "V", "15.10", 0, 100, 2, V},
    {31, 0xE00A, 1, TIME, "Equalize Time", "Equalize time limit at Vreg", "h:m:s", "1:00:00", 0, 65535, 0, 0},
    {32, 0xE008, 1, UINT16, "Auto-Equalize Interval", "Time between equalize cycles", "days", "28", 0, 255, 0, 0},
    {33, 0xE009, 1, TIME, "Equalize Timeout", "Equalize time limit above Vreg", "h:m:s", "3:00:00", 0, 65535, 0, 0},
    {34, 0xE00E, 1, SCALED, "HVD", "High Voltage Disconnect", "V", "15.50", 0, 100, 2, V},
    {35, 0xE00F, 1, SCALED, "HVDR", "High Voltage Reconnect", "V", "14.00", 0, 100, 2, V},
    {40, 0xE015, 1, SCALED, "LED G -> G/Y", "LED transition voltage, G to G/Y", "V", "13.00", 0, 100, 2, V},
    {41, 0xE016, 1, SCALED, "LED G/Y -> Y", "LED transition voltage, G/Y to Y", "V", "12.50", 0, 100, 2, V},
    {42, 0xE017, 1, SCALED, "LED Y -> Y/R", "LED transition voltage, Y to Y/R", "V", "12.00", 0, 100, 2, V},
    {43, 0xE018, 1, SCALED, "LED Y/R -> R", "LED transition voltage, Y/R to R", "V", "11.50", 0, 100, 2, V},
    {50, 0xE019, 1, UINT16, "Modbus ID", "Modbus ID", "", "1", 1, 247, 0, 0},
    {51, 0xE01A, 1, UINT16, "Skelder ID", "Skelder ID", "", "1", 1, 15, 0, 0},
    {52, 0x1517, 1, FLAG, "DHCP enabled", "DHCP Enabled", "", "true", 14, 0, 0, 0},
    {53, 0x1501, 2, IP, "IP Address", "IP address", "", nullptr, 0, 0, 0, 0},
    {54, 0x1503, 2, IP, "Subnet Mask", "IP subnet mask", "", "255.255.255.0", 0, 0, 0, 0},
    {55, 0x1505, 2, IP, "Gateway", "IP Gateway", "", nullptr, 0, 0, 0, 0},
    {56, 0x1507, 2, IP, "Primary DNS Address", "Primary DNS address", "", nullptr, 0, 0, 0, 0},
    {57, 0x1509, 2, IP, "Secondary DNS Address", "Secondary DNS address", "", "0.0.0.0", 0, 0, 0, 0},
    {58, 0x151B, 1, UINT16, "HTTP TCP Port", "HTTP server TCP port", "", "80", 1, 65535, 0, 0},
    {59, 0x151C, 1, UINT16, "Modbus TCP Port", "Modbus TCP port", "", "502", 1, 65535, 0, 0},
    {60, 0x151D, 1, FLAG, "IP Bridging Enabled", "Bridge Modbus/TCP to serial", "", "false", 0, 0, 0, 0},
    {61, 0x150F, 8, TEXT, "Controller name", "Controller name", "", "VX-MPPT", 0, 0, 0, 0},
    {62, 0x151F, 1, FLAG, "Ethernet Power Save Mode", "Ethernet Power Save Mode", "", "false", 0, 0, 0, 0},
    {70, 0x1529, 2, IP, "SNMP Trap Receiver IP", "SNMP Trap Receiver IP", "", "0.0.0.0", 0, 0, 0, 0},
    {71, 0x16B0, 16, TEXT, "SMTP server", "SMTP (outgoing mail) server", "", "", 0, 0, 0, 0},
    {72, 0x16C0, 16, TEXT, "SMTP username", "SMTP (outgoing mail) server username", "", "", 0, 0, 0, 0},
    {73, 0x16F0, 16, TEXT_WRITEONLY, "SMTP password", "SMTP (outgoing mail) server password", "", "", 0, 0, 0, 0},
    {74, 0x16D0, 32, TEXT, "SMTP \"To\" email address", "SMTP (outgoing mail) \"To\" address", "", "", 0, 0, 0, 0},
    {75, 0x151E, 1, UINT16, "SNMP Trap Receiver port", "SNMP Trap Receiver port", "", "162", 0, 65535, 0, 0},
    {200, 0xE022, 1, FLAG, "Log Max Daily Va", "Log maximum daily array voltage", "", "false", 0, 0, 0, 0},
    {201, 0xE022, 1, FLAG, "Log Max Daily Pout", "Log maximum daily power out", "", "false", 1, 0, 0, 0},
    {202, 0xE022, 1, FLAG, "Log Daily Ah Charge", "Log maximum daily amp-hours charge", "", "false", 2, 0, 0, 0},
    {203, 0xE022, 1, FLAG, "Log Daily Wh Charge", "Log maximum daily watt-hours charge", "", "false", 3, 0, 0, 0},
    {204, 0xE022, 1, FLAG, "Log Daily Battery Temp.", "Log minimum and maximum daily battery temperatures", "", "false", 4, 0, 0, 0},
    {205, 0xE022, 1, FLAG, "Log Daily Regulation Times", "Log daily regulation times", "", "false", 5, 0, 0, 0},
    {208, 0xE01D, 1, SCALED, "Maximum Battery Current", "Maximum Battery Current Limit", "A", "0.00", 0, 60, 2, 80.0 / 32768},
    {209, 0xE020, 1, SCALED, "Array Voltage Fixed Target", "Array Voltage Fixed Target", "V", "0.00", 0, 150, 2, V},
    {210, 0xE021, 1, SCALED, "Array Voltage Percent of Voc Fixed Target", "Array Voltage Percent of Voc Fixed Target", "%", "0.0", 0, 99.9, 1, 50.0 / 32768},
};

// The notification and wind-curve rows, built the way the documentation describes them.
std::vector<ExpectedSetting> AllSettings(bool hv)
{
    static std::vector<std::string> texts;   // keeps the built names alive
    texts.reserve(2000);
    auto keep = [](const std::string& text) {
        texts.push_back(text);
        return texts.back().c_str();
    };
    std::vector<ExpectedSetting> all;
    for (const ExpectedSetting& row : FIXED_SETTINGS)
        if (!hv || (row.id != 209 && row.id != 210))
            all.push_back(row);
    for (int n = 1; n <= 4; ++n)
    {
        const int b = 80 + 20 * (n - 1);
        const unsigned r = 0x1535 + 15 * (n - 1);
        const std::string N = std::to_string(n);
        auto name = [&](const char* tail) { return keep("Notif. " + N + " " + tail); };
        auto description = [&](const char* tail) { return keep("Notification " + N + " " + tail); };
        all.push_back({b, r, 1, FLAG, name("enabled"), description("enabled"), "", "false", 0, 0, 0, 0});
        all.push_back({b + 1, r + 1, 1, UINT16, name("Modbus ID"), description("source Modbus ID"), "", "0", 1, 247, 0, 0});
        all.push_back({b + 2, r + 2, 1, UINT16, name("Modbus PDU addr"), description("source variable PDU address"), "", "24", 0, 65535, 0, 0});
        all.push_back({b + 3, r + 3, 1, UINT16, name("compare value"), description("value to compare to"), "", "2093", 0, 65535, 0, 0});
        all.push_back({b + 4, r + 4, 1, TRANSLATED, name("compare type"), description("compare type"), "", "<", 0, 0, 0, 0});
        all.push_back({b + 5, r + 5, 1, UINT16, name("over tresh. time"), description("seconds over threshold before notify sent"), "s", "60", 0, 65535, 0, 0});
        all.push_back({b + 6, r + 6, 1, UINT16, name("reset time"), description("seconds under threshold before notify re-enabled"), "s", "60", 0, 65535, 0, 0});
        all.push_back({b + 7, r + 7, 8, TEXT, name("ID"), description("identifier"), "", keep("notify" + N), 0, 0, 0, 0});
        all.push_back({b + 8, r, 1, FLAG, name("SMTP"), description("send via SMTP (email)"), "", "false", 1, 0, 0, 0});
        all.push_back({b + 9, r, 1, FLAG, name("SNMP"), description("send via SNMP"), "", "false", 2, 0, 0, 0});
    }
    for (int point = 1; point <= 16; ++point)
    {
        const char* voltage = keep("Wind Setpoint " + std::to_string(point) + " Voltage");
        const char* power = keep("Wind Setpoint " + std::to_string(point) + " Power");
        all.push_back({219 + point, 0xE032u + point, 1, SCALED, voltage, voltage, "V", "0.00", 0, 150, 2, V});
        if (hv)
            all.push_back({239 + point, 0xE022u + point, 1, SCALED, power, power, "W", "0.00", 0, 150, 2, 3600.0 / 32768});
        else
            all.push_back({239 + point, 0xE022u + point, 1, SCALED, power, power, "W", "0.0", 0, 7199, 1, 3600.0 / 32768});
    }
    return all;
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// What the kind does with its limits, default and scale.
void CheckBehaviour(const ExpectedSetting& row, CModbusVariable& variable)
{
    const std::string name = row.name;
    switch (row.kind)
    {
    case SCALED: {
        // The default is stored as the nearest count.
        const double defaultValue = std::stod(row.defaultText);
        EXPECT_EQ(std::lround(defaultValue / row.scale), variable.GetRegisters().front().value);
        variable.FromString(Fixed(row.maximum, row.decimals).c_str());
        EXPECT_NEAR(row.maximum, variable.AsDouble(), std::fabs(row.scale));
        variable.FromString(Fixed(row.minimum, row.decimals).c_str());
        EXPECT_NEAR(row.minimum, variable.AsDouble(), std::fabs(row.scale));
        EXPECT_EQ(name + " is too high (must be no more than " + Fixed(row.maximum, row.decimals) + ")",
                  ErrorText([&] { variable.FromString(Fixed(row.maximum + 1, row.decimals).c_str()); }));
        EXPECT_EQ(name + " is too low (must be at least " + Fixed(row.minimum, row.decimals) + ")",
                  ErrorText([&] { variable.FromString(Fixed(row.minimum - 1, row.decimals).c_str()); }));
        // One count shows with the row's decimals.
        EXPECT_EQ(Fixed(row.minimum, row.decimals), variable.ToString());
        break;
    }
    case TIME:
        variable.FromString("18:12:15");
        EXPECT_EQ(65535.0, variable.AsDouble());
        EXPECT_NE(NO_EXCEPTION_TEXT, ErrorText([&] { variable.FromString("18:12:16"); }));
        EXPECT_NE(nullptr, dynamic_cast<CModbusVariable_Time*>(&variable));
        break;
    case UINT16: {
        // The table's limits are applied; the notification source also takes 0, "this
        // controller" (its default).
        const long minimum = static_cast<long>(row.minimum), maximum = static_cast<long>(row.maximum);
        variable.FromString(std::to_string(maximum).c_str());
        EXPECT_EQ(maximum, variable.AsDouble());
        variable.FromString(std::to_string(minimum).c_str());
        EXPECT_EQ(minimum, variable.AsDouble());
        if (maximum < 65535)
        {
            EXPECT_EQ(name + " is too high (must be no more than " + std::to_string(maximum) + ")",
                      ErrorText([&] { variable.FromString(std::to_string(maximum + 1).c_str()); }));
        }
        if (minimum > 0)
        {
            EXPECT_EQ(std::string(row.defaultText) == "0" ? NO_EXCEPTION_TEXT
                                                          : name + " is too low (must be at least " + std::to_string(minimum) + ")",
                      ErrorText([&] { variable.FromString("0"); }));
        }
        EXPECT_EQ(name + " is not a number", ErrorText([&] { variable.FromString("x"); }));
        break;
    }
    case INT8:
        variable.FromString("-128");
        EXPECT_EQ(0xFF80, variable.GetRegisters().front().value);
        EXPECT_EQ(name + " is too large for a single byte (can be no greater than 127)",
                  ErrorText([&] { variable.FromString("128"); }));
        break;
    case FLAG: {
        // Only the row's bit of the shared register moves.
        variable.FromString("false");
        EXPECT_EQ(0, variable.GetRegisters().front().value);
        variable.FromString("true");
        EXPECT_EQ(1u << static_cast<int>(row.minimum), variable.GetRegisters().front().value);
        break;
    }
    case IP:
        variable.FromString("10.1.2.3");
        EXPECT_EQ(0x010A, variable.GetRegisters()[0].value);
        EXPECT_EQ(0x0302, variable.GetRegisters()[1].value);
        break;
    case TEXT:
    case TEXT_WRITEONLY: {
        const std::string longest(2 * row.registerCount - 1, 'a');
        variable.FromString(longest.c_str());
        EXPECT_EQ(longest, variable.ToString());
        EXPECT_EQ(name + " is too long", ErrorText([&] { variable.FromString((longest + "a").c_str()); }));
        EXPECT_EQ(row.kind == TEXT_WRITEONLY, variable.IsWriteOnly());
        break;
    }
    case TRANSLATED: {
        auto* translated = dynamic_cast<CModbusVariable_Translated*>(&variable);
        ASSERT_NE(nullptr, translated);
        const std::map<uint16_t, std::string> expected = {
            {1, "=="}, {2, "<"}, {4, ">"}, {8, "!="}, {3, "<="}, {5, ">="}};
        EXPECT_EQ(expected, translated->GetTranslations());
        EXPECT_EQ(2, variable.GetRegisters().front().value);
        break;
    }
    }
}

template <class Settings>
void CheckTable(const Settings& settings, bool hv)
{
    const std::vector<ExpectedSetting> expected = AllSettings(hv);
    const std::list<int> ids = settings.GetSettingIds();
    ASSERT_EQ(hv ? 120u : 122u, expected.size());
    ASSERT_EQ(expected.size(), ids.size());
    EXPECT_EQ(ids.size(), std::set<int>(ids.begin(), ids.end()).size()) << "duplicate ids";

    for (const ExpectedSetting& row : expected)
    {
        SCOPED_TRACE("setting " + std::to_string(row.id));
        const boost::shared_ptr<CModbusVariable> variable = settings.VariableFactory(row.id);
        ASSERT_TRUE(variable);
        EXPECT_NE(variable.get(), settings.VariableFactory(row.id).get());
        EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), row.id));

        const std::deque<ModbusRegister_t> registers = variable->GetRegisters();
        ASSERT_EQ(row.registerCount, registers.size());
        for (unsigned i = 0; i < registers.size(); ++i)
            EXPECT_EQ(row.address + i, registers[i].address);
        EXPECT_EQ(row.name, variable->GetName());
        EXPECT_EQ(row.description, variable->GetDescription());
        EXPECT_EQ(row.units, variable->GetUnits());
        if (row.defaultText)
        {
            EXPECT_EQ(row.defaultText, variable->ToString());
        }
        EXPECT_EQ(row.kind != TEXT_WRITEONLY, variable->HasValue());
        CheckBehaviour(row, *variable);
    }
}

TEST(MpptSettingTable, EverySettingOfTheVarnixMppt)
{
    CheckTable(CVarnixMpptSettings(), false);
}

TEST(MpptSettingTable, EverySettingOfTheVarnixHvMppt)
{
    CheckTable(CVarnixHvMpptSettings(), true);
}

TEST(MpptSettingTable, ListOrderOfBothModels)
{
    const std::list<int> mppt = CVarnixMpptSettings().GetSettingIds();
    const std::vector<int> mpptHead(mppt.begin(), std::next(mppt.begin(), 44));
    EXPECT_EQ((std::vector<int>{1, 5, 7, 6, 2, 3, 4, 9, 20, 21, 22, 30, 31, 32, 33, 34, 35, 8,
                                208, 209, 210, 40, 41, 42, 43, 51, 50, 61, 52, 53, 54, 55, 56, 57,
                                58, 59, 60, 62, 71, 72, 73, 74, 70, 75}),
              mpptHead);
    const std::vector<int> notification(std::next(mppt.begin(), 54), std::next(mppt.begin(), 64));
    EXPECT_EQ((std::vector<int>{100, 107, 101, 102, 103, 104, 105, 106, 108, 109}), notification);
    const std::vector<int> tail(std::next(mppt.begin(), 84), mppt.end());
    std::vector<int> expectedTail = {200, 201, 202, 203, 204, 205};
    for (int k = 0; k < 16; ++k)
    {
        expectedTail.push_back(220 + k);
        expectedTail.push_back(240 + k);
    }
    EXPECT_EQ(expectedTail, tail);

    const std::list<int> hv = CVarnixHvMpptSettings().GetSettingIds();
    const std::vector<int> hvHead(hv.begin(), std::next(hv.begin(), 24));
    EXPECT_EQ((std::vector<int>{1, 5, 6, 7, 2, 3, 4, 8, 208, 9, 20, 21, 22, 30, 31, 32, 33, 34,
                                35, 40, 41, 42, 43, 51}),
              hvHead);
    EXPECT_EQ(expectedTail, std::vector<int>(std::next(hv.begin(), 82), hv.end()));
}

TEST(MpptSettingTable, UnknownIdsAndMissingSettings)
{
    CVarnixMpptSettings mppt;
    CVarnixHvMpptSettings hv;
    for (int id : {0, 10, 23, 76, 90, 110, 150, 206, 211, 236, 256})
    {
        EXPECT_EQ("CVarnixMpptSettings::VariableFactory unknown setting",
                  ErrorText([&] { mppt.VariableFactory(id); }))
            << id;
        EXPECT_EQ("CVarnixHvMpptSettings::VariableFactory unknown setting",
                  ErrorText([&] { hv.VariableFactory(id); }))
            << id;
    }
    for (int id : {209, 210})
    {
        EXPECT_EQ("CVarnixHvMpptSettings::VariableFactory unknown setting",
                  ErrorText([&] { hv.VariableFactory(id); }));
        EXPECT_EQ("setting " + std::to_string(id) + " not found in map",
                  ErrorText([&] { hv.GetVariable(id); }));
        EXPECT_EQ("setting " + std::to_string(id) + " not found in map",
                  ErrorText([&] { hv.GetVariableShared(id); }));
    }
    EXPECT_EQ("setting 99 not found in map", ErrorText([&] { mppt.GetVariable(99); }));
    EXPECT_EQ("setting 99 not found in map", ErrorText([&] { mppt.GetVariableShared(99); }));
    EXPECT_EQ(122u, mppt.GetVariables().size());
    EXPECT_EQ(120u, hv.GetVariables().size());
}

TEST(MpptSettingTable, WindPowerLimitsDifferBetweenTheModels)
{
    CVarnixMpptSettings mppt;
    CVarnixHvMpptSettings hv;
    hv.GetVariable(255)->FromString("150");
    // 150 W is 1365 counts of 3600/32768 W.
    EXPECT_EQ("149.96", hv.GetVariable(255)->ToString());
    EXPECT_EQ("Wind Setpoint 16 Power is too high (must be no more than 150.00)",
              ErrorText([&] { hv.GetVariable(255)->FromString("160"); }));
    mppt.GetVariable(255)->FromString("7199");
    EXPECT_EQ("7199.0", mppt.GetVariable(255)->ToString());
    // 7199 W is 65527 counts: the largest wind power still fits its register.
    EXPECT_EQ(65527, mppt.GetVariable(255)->GetRegisters().front().value);
}

} // namespace
