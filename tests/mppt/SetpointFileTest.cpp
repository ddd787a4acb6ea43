// The XML setpoint files of the Varnix MPPT (".vxmppt") and of the HV MPPT: layout, round
// trips, defaults for what a file leaves out, and every error a damaged file gives.
#include "tests/support/ErrorText.h"
#include "wizards/varnix/CVarnixHvMpptSettings.h"
#include "wizards/varnix/CVarnixMpptSettings.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using testing_support::ErrorText;
using testing_support::NO_EXCEPTION_TEXT;

namespace {

int Count(const std::string& text, const std::string& what)
{
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

template <class Settings>
std::map<int, std::deque<ModbusRegister_t>> RegisterValues(const Settings& settings)
{
    std::map<int, std::deque<ModbusRegister_t>> values;
    for (const auto& entry : settings.GetVariables())
        values[entry.first] = entry.second->GetRegisters();
    return values;
}

bool SameRegisters(const std::map<int, std::deque<ModbusRegister_t>>& a,
                   const std::map<int, std::deque<ModbusRegister_t>>& b)
{
    if (a.size() != b.size())
        return false;
    for (const auto& entry : a)
    {
        const auto other = b.find(entry.first);
        if (other == b.end() || other->second.size() != entry.second.size())
            return false;
        for (size_t i = 0; i < entry.second.size(); ++i)
            if (other->second[i].address != entry.second[i].address ||
                other->second[i].value != entry.second[i].value)
                return false;
    }
    return true;
}

// A file with the given body under "settings".
std::string MpptFile(const std::string& settingsBody, const std::string& product = "varnixmppt")
{
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\n<quorvant><" +
           product + "><settings version=\"2\">" + settingsBody + "</settings></" + product +
           "></quorvant>\n";
}

// Every setting moved away from its default, as a user's edits would.
template <class Settings>
void ChangeEverySetting(Settings& settings)
{
    for (int id : settings.GetSettingIds())
    {
        CModbusVariable* variable = settings.GetVariable(id);
        std::deque<ModbusRegister_t> registers = variable->GetRegisters();
        const std::string name = variable->GetName();
        if (id == 73)
            variable->FromString("secret");
        else if (variable->GetUnits() == "h:m:s")
            variable->FromString("1:02:03");
        else if (id >= 53 && id <= 70 && registers.size() == 2)
            variable->FromString(("10.0.0." + std::to_string(id)).c_str());
        else if (name.find("compare type") != std::string::npos)
            variable->FromString(">=");
        else if (registers.size() > 2)
            variable->FromString(("n" + std::to_string(id)).c_str());
        else if (variable->ToString() == "true" || variable->ToString() == "false")
            variable->FromString(variable->ToString() == "true" ? "false" : "true");
        else if (id == 5)
            variable->FromString("-0.5");
        else if (id == 6 || id == 7)
            variable->FromString(id == 6 ? "-5" : "45");
        else
            variable->FromString("7");
    }
}

TEST(MpptSetpointFile, NewSettingsSaveModeZeroAnd121VariablesInIdOrder)
{
    CVarnixMpptSettings settings;
    std::string text;
    settings.SaveXml(text);

    EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\n"
                            "<quorvant>\n"
                            "  <varnixmppt>\n"
                            "    <settings version=\"2\">\n"
                            "      <mode>0</mode>\n"
                            "      <variable id=\"1\">\n"
                            "        <value addr=\"57344\">2567</value>\n"
                            "      </variable>\n"
                            "      <variable id=\"2\">\n"
                            "        <value addr=\"57346\">9000</value>\n"))
        << text;
    EXPECT_EQ(121, Count(text, "<variable id="));
    // Every setting but the never-set password, ascending by id.
    EXPECT_EQ(std::string::npos, text.find("<variable id=\"73\""));
    EXPECT_LT(text.find("<variable id=\"9\""), text.find("<variable id=\"20\""));
    EXPECT_LT(text.find("<variable id=\"210\""), text.find("<variable id=\"220\""));
    // Flags write their register with only their own bit: DHCP is bit 14 of 0x1517.
    EXPECT_NE(std::string::npos, text.find("<variable id=\"52\">\n        <value addr=\"5399\">16384</value>"));
    // A text gives one value per register in ascending order.
    EXPECT_NE(std::string::npos, text.find("<value addr=\"5391\">22614</value>"));   // "VX"
    EXPECT_EQ(text.size() - 1, text.rfind("</quorvant>\n") + 11);
}

TEST(MpptSetpointFile, EverySettingRoundTripsWithTheMode)
{
    CVarnixMpptSettings settings;
    settings.mode = 2;
    ChangeEverySetting(settings);
    std::string text;
    settings.SaveXml(text);
    EXPECT_EQ(122, Count(text, "<variable id="));   // the password was typed

    CVarnixMpptSettings loaded;
    loaded.LoadXml(text);
    EXPECT_EQ(2, loaded.mode);
    EXPECT_TRUE(SameRegisters(RegisterValues(settings), RegisterValues(loaded)));
    EXPECT_TRUE(loaded.GetVariable(73)->HasValue());
    EXPECT_EQ("secret", loaded.GetVariable(73)->ToString());
    EXPECT_EQ(">=", loaded.GetVariable(104)->ToString());

    // A second save writes the same text.
    std::string again;
    loaded.SaveXml(again);
    EXPECT_EQ(text, again);
}

TEST(MpptSetpointFile, WhatTheFileLeavesOutTakesItsDefault)
{
    CVarnixMpptSettings settings;
    settings.mode = 2;
    ChangeEverySetting(settings);
    // The load resets first, so a file of one setting leaves the rest at their defaults.
    settings.LoadXml(MpptFile("<mode>1</mode><variable id=\"20\"><value addr=\"57345\">2000</value></variable>"));
    EXPECT_EQ(1, settings.mode);
    EXPECT_EQ(2000, settings.GetVariable(20)->GetRegisters().front().value);
    const CVarnixMpptSettings defaults;
    for (int id : defaults.GetSettingIds())
    {
        if (id != 20)
        {
            EXPECT_EQ(defaults.GetVariable(id)->GetRegisters().front().value,
                      settings.GetVariable(id)->GetRegisters().front().value)
                << id;
        }
    }
    EXPECT_FALSE(settings.GetVariable(73)->HasValue());
    EXPECT_EQ(122u, settings.GetVariables().size());
}

TEST(MpptSetpointFile, ModeRules)
{
    CVarnixMpptSettings settings;
    // No mode element: solar charge.
    settings.LoadXml(MpptFile(""));
    EXPECT_EQ(1, settings.mode);
    settings.LoadXml(MpptFile("<mode>7</mode>"));
    EXPECT_EQ(7, settings.mode);
    EXPECT_STREQ("unknown", settings.GetModeName().GetString());
    settings.LoadXml(MpptFile("<mode> 2x</mode>"));
    EXPECT_EQ(2, settings.mode);
    settings.LoadXml(MpptFile("<mode>abc</mode>"));
    EXPECT_EQ(0, settings.mode);
    EXPECT_EQ("bad 'mode' value", ErrorText([&] { settings.LoadXml(MpptFile("<mode></mode>")); }));
    // Without the version attribute the file reads the same way.
    settings.LoadXml("<quorvant><varnixmppt><settings><mode>2</mode></settings></varnixmppt></quorvant>");
    EXPECT_EQ(2, settings.mode);
}

TEST(MpptSetpointFile, EveryErrorText)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "file did not contain 'quorvant' element"},
        {"not xml at all", "file did not contain 'quorvant' element"},
        {"<other><varnixmppt><settings/></varnixmppt></other>", "file did not contain 'quorvant' element"},
        {"<quorvant><varnixhvmppt><settings><mode>1</mode></settings></varnixhvmppt></quorvant>",
         "file did not contain 'varnixmppt' element"},
        {"<quorvant><varnixmppt></varnixmppt></quorvant>", "file did not contain 'settings' element"},
        {MpptFile("<mode/>"), "bad 'mode' value"},
        {MpptFile("<mode>1</mode><variable><value addr=\"57344\">1</value></variable>"), "missing 'id' attribute"},
        {MpptFile("<variable id=\"1\"><value>1</value></variable>"), "Regulation Voltage missing 'addr' attribute"},
        {MpptFile("<variable id=\"1\"><value addr=\"57344\"/></variable>"), "Regulation Voltage no text value for variable"},
        {MpptFile("<variable id=\"1\"><value addr=\"57344\">volts</value></variable>"), "Regulation Voltage bad value"},
        {MpptFile("<variable id=\"1\"><value addr=\"57345\">1</value></variable>"), "Regulation Voltage had bad (unmatched) address"},
        {MpptFile("<variable id=\"one\"><value addr=\"57344\">1</value></variable>"), "bad 'id' attribute (one)"},
        {MpptFile("<variable id=\"1x\"><value addr=\"57344\">1</value></variable>"), "bad 'id' attribute (1x)"},
    };
    for (const auto& c : cases)
    {
        CVarnixMpptSettings settings;
        EXPECT_EQ(c.second, ErrorText([&] { settings.LoadXml(c.first); })) << c.first;
    }
    // A file cut short is refused as a whole, also where the cut falls between two
    // complete variables, which the parser would otherwise hand over as a smaller file.
    std::string whole;
    CVarnixMpptSettings written;
    written.mode = 2;
    written.GetVariable(240)->FromString("500");
    written.SaveXml(whole);
    CVarnixMpptSettings settings;
    for (size_t cut : {whole.size() / 2, whole.find("      <variable id=\"100\""), whole.size() - 2})
    {
        EXPECT_EQ("file did not contain 'quorvant' element",
                  ErrorText([&] { settings.LoadXml(whole.substr(0, cut)); }))
            << cut;
    }
    settings.LoadXml(whole);
    EXPECT_EQ("500.0", settings.GetVariable(240)->ToString());
    // Nesting deep enough to overflow the parser is refused without parsing.
    std::string deep = "<quorvant><varnixmppt><settings>";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_EQ("file did not contain 'quorvant' element", ErrorText([&] { settings.LoadXml(deep); }));
}

TEST(MpptSetpointFile, PartlyReadFilesAndIdsOfNoSetting)
{
    CVarnixMpptSettings settings;
    // Variables before the fault keep what they read; the mode was read too.
    EXPECT_EQ("missing 'id' attribute",
              ErrorText([&] {
                  settings.LoadXml(MpptFile("<mode>2</mode><variable id=\"20\"><value addr=\"57345\">1234</value></variable><variable/>"));
              }));
    EXPECT_EQ(2, settings.mode);
    EXPECT_EQ(1234, settings.GetVariable(20)->GetRegisters().front().value);

    // An id the table lacks adds nothing and stops nothing; a variable without values
    // changes nothing. Only a setting that got a value counts as held by the file.
    std::set<int> held;
    settings.LoadXml(MpptFile("<mode>1</mode><variable id=\"999\"><value addr=\"1\">5</value></variable>"
                              "<variable id=\"30\"/>"
                              "<variable id=\"21\"><value addr=\"57350\">65535</value></variable>"),
                     &held);
    EXPECT_EQ(std::set<int>{21}, held);
    EXPECT_EQ(122u, settings.GetVariables().size());
    EXPECT_EQ("15.10", settings.GetVariable(30)->ToString());
    EXPECT_EQ(65535, settings.GetVariable(21)->GetRegisters().front().value);
}

// The saved text with the value of one register replaced.
std::string WithValue(const std::string& text, unsigned address, const std::string& value)
{
    const std::string open = "<value addr=\"" + std::to_string(address) + "\">";
    const size_t start = text.find(open);
    const size_t end = start == std::string::npos ? start : text.find("</value>", start);
    if (end == std::string::npos)
        return "no register " + std::to_string(address);
    return text.substr(0, start + open.size()) + value + text.substr(end);
}

unsigned AddressOf(const CVarnixMpptSettings& settings, int id, size_t reg = 0)
{
    return settings.GetVariable(id)->GetRegisters().at(reg).address;
}

unsigned AddressOf(const CVarnixHvMpptSettings& settings, int id, size_t reg = 0)
{
    return settings.GetVariable(id)->GetRegisters().at(reg).address;
}

// A saved file with one value too large for its variable's registers, or outside its
// setting's limits, fails to load; the same file with the largest and smallest values
// that fit loads them. Settings holding a value outside the limits (as a read of an odd
// controller leaves them) are not saved.
template <class Settings>
void RefusesValuesTheRegistersOrLimitsCannotHold()
{
    Settings saved;
    saved.mode = 2;
    std::string text;
    saved.SaveXml(text);
    {
        Settings loaded;
        loaded.LoadXml(text);
        ASSERT_TRUE(SameRegisters(RegisterValues(saved), RegisterValues(loaded)));
    }

    const struct { int id; size_t reg; const char* value; } damaged[] = {
        {50, 0, "70000"},        // Modbus ID, one unsigned word: not 4464
        {50, 0, "65536"},
        {1, 0, "4294967296"},    // a scaled voltage
        {52, 0, "81920"},        // DHCP, bit 14: 0x14000
        {53, 1, "16909060"},     // the second word of a two-register IP address
        {53, 0, "4294967295"},
        {6, 0, "256"},           // Min. Compensation Temp., a signed byte
        {6, 0, "65407"},
    };
    for (const auto& c : damaged)
    {
        Settings settings;
        const std::string file = WithValue(text, AddressOf(settings, c.id, c.reg), c.value);
        EXPECT_EQ(settings.GetVariable(c.id)->GetName() + " value does not fit its register",
                  ErrorText([&] { settings.LoadXml(file); }))
            << c.id << " " << c.value;
    }

    const int source = MpptNotificationSetting(3, MPPT_NOTIFY_SOURCE_MODBUS_ID);
    const struct { int id; const char* value; const char* message; } outside[] = {
        {50, "0", "Modbus ID is too low (must be at least 1)"},
        {50, "248", "Modbus ID is too high (must be no more than 247)"},
        {50, "300", "Modbus ID is too high (must be no more than 247)"},
        {51, "0", "Skelder ID is too low (must be at least 1)"},
        {51, "16", "Skelder ID is too high (must be no more than 15)"},
        {58, "0", "HTTP TCP Port is too low (must be at least 1)"},
        {59, "0", "Modbus TCP Port is too low (must be at least 1)"},
        {9, "256", "Battery Service Reminder is too high (must be no more than 255)"},
        {32, "1000", "Auto-Equalize Interval is too high (must be no more than 255)"},
        {source, "248", "Notif. 3 Modbus ID is too high (must be no more than 247)"},
        {source, "255", "Notif. 3 Modbus ID is too high (must be no more than 247)"},
        {source, "256", "Notif. 3 Modbus ID is too high (must be no more than 247)"},
        {1, "40000", "Regulation Voltage is too high (must be no more than 100.00)"},   // about 220 V
        {5, "365", "Temperature Compensation is too low (must be at least -1.000)"},
        {MpptNotificationSetting(1, MPPT_NOTIFY_COMPARE_TYPE), "6", "Notif. 1 compare type value is out of range (no translation)"},
    };
    for (const auto& c : outside)
    {
        Settings settings;
        const std::string file = WithValue(text, AddressOf(settings, c.id), c.value);
        EXPECT_EQ(c.message, ErrorText([&] { settings.LoadXml(file); })) << c.id << " " << c.value;

        // The same value read from a controller is shown, and refused at Save.
        Settings read;
        std::vector<WORD> image(65536, 0);
        image[AddressOf(read, c.id)] = static_cast<WORD>(std::stoul(c.value));
        read.GetVariable(c.id)->SetFromRegisterImage(image.data());
        std::string refused = "unchanged";
        EXPECT_EQ(c.message, ErrorText([&] { read.SaveXml(refused); })) << c.id << " " << c.value;
        EXPECT_TRUE(refused == "unchanged") << "a file was written";
    }

    const struct { int id; size_t reg; const char* value; const char* shown; } valid[] = {
        {50, 0, "247", "247"}, {50, 0, "1", "1"}, {53, 1, "65535", "1.2.255.255"},
        {6, 0, "65408", "-128"}, {6, 0, "127", "127"}, {6, 0, "216", "-40"},
        {75, 0, "0", "0"}, {75, 0, "65535", "65535"}, {58, 0, "65535", "65535"}, {51, 0, "15", "15"}, {51, 0, "1", "1"},
        {source, 0, "0", "0"}, {source, 0, "1", "1"}, {source, 0, "247", "247"}, {1, 0, "18204", "100.00"},
    };
    for (const auto& c : valid)
    {
        Settings settings;
        std::string file = WithValue(text, AddressOf(settings, c.id, c.reg), c.value);
        if (c.id == 53)
            file = WithValue(file, AddressOf(settings, 53, 0), "513");
        EXPECT_EQ(NO_EXCEPTION_TEXT, ErrorText([&] { settings.LoadXml(file); })) << c.id << " " << c.value;
        EXPECT_EQ(c.shown, settings.GetVariable(c.id)->ToString()) << c.id << " " << c.value;
        EXPECT_EQ(2, settings.mode);
    }
}

TEST(MpptSetpointFile, ValuesTheRegistersOrLimitsCannotHoldAreRefused)
{
    RefusesValuesTheRegistersOrLimitsCannotHold<CVarnixMpptSettings>();
}

TEST(HvMpptSetpointFile, ValuesTheRegistersOrLimitsCannotHoldAreRefused)
{
    RefusesValuesTheRegistersOrLimitsCannotHold<CVarnixHvMpptSettings>();
}

TEST(HvMpptSetpointFile, NewSettingsSave119VariablesAndLoadBackUnchanged)
{
    CVarnixHvMpptSettings settings;
    std::string text;
    settings.SaveXml(text);
    EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\n"
                            "<quorvant>\n"
                            "  <varnixhvmppt>\n"
                            "    <settings>\n"
                            "      <mode>0</mode>\n"))
        << text;
    EXPECT_EQ(119, Count(text, "<variable id="));
    EXPECT_EQ(std::string::npos, text.find("<variable id=\"209\""));

    CVarnixHvMpptSettings loaded;
    loaded.mode = 2;
    loaded.LoadXml(text);
    EXPECT_EQ(0, loaded.mode);
    EXPECT_TRUE(SameRegisters(RegisterValues(settings), RegisterValues(loaded)));
}

TEST(HvMpptSetpointFile, RoundTripAndErrors)
{
    CVarnixHvMpptSettings settings;
    settings.mode = 1;
    ChangeEverySetting(settings);
    std::string text;
    settings.SaveXml(text);
    CVarnixHvMpptSettings loaded;
    loaded.LoadXml(text);
    EXPECT_EQ(1, loaded.mode);
    EXPECT_TRUE(SameRegisters(RegisterValues(settings), RegisterValues(loaded)));

    const std::string noMode =
        "<quorvant><varnixhvmppt><settings><variable id=\"1\"><value addr=\"57344\">99</value></variable></settings></varnixhvmppt></quorvant>";
    EXPECT_EQ("file did not contain 'mode' element", ErrorText([&] { loaded.LoadXml(noMode); }));
    // The mode stays what it was when its element was not reached.
    EXPECT_EQ(1, loaded.mode);

    std::string mpptText;
    CVarnixMpptSettings().SaveXml(mpptText);
    EXPECT_EQ("file did not contain 'varnixhvmppt' element", ErrorText([&] { loaded.LoadXml(mpptText); }));
    EXPECT_EQ("file did not contain 'varnixmppt' element",
              ErrorText([&] { CVarnixMpptSettings().LoadXml(text); }));
    EXPECT_EQ("missing 'id' attribute",
              ErrorText([&] {
                  loaded.LoadXml("<quorvant><varnixhvmppt><settings><mode>2x</mode><variable id=\"1\"><value addr=\"57344\">99</value></variable><variable/></settings></varnixhvmppt></quorvant>");
              }));
    EXPECT_EQ(2, loaded.mode);
    EXPECT_EQ(99, loaded.GetVariable(1)->GetRegisters().front().value);
    // Ids of the Varnix MPPT that the HV model lacks are skipped.
    std::set<int> held;
    loaded.LoadXml("<quorvant><varnixhvmppt><settings><mode>1</mode><variable id=\"209\"><value addr=\"57376\">5</value></variable>"
                   "<variable id=\"30\"/><variable id=\"59\"><value addr=\"5404\">1502</value></variable></settings></varnixhvmppt></quorvant>",
                   &held);
    EXPECT_EQ(std::set<int>{59}, held);
    EXPECT_EQ("1502", loaded.GetVariable(59)->ToString());
    EXPECT_EQ(120u, loaded.GetVariables().size());
}

// The template's hooks run with the "settings" element after the variables.
class HookedSettings : public CVarnixHvMpptSettings
{
public:
    void OnSaveXml(TiXmlElement* settings) override
    {
        savedVariables = CountChildren(settings);
        settings->SetAttribute("extra", "1");
    }
    void OnLoadXml(TiXmlElement* settings) override
    {
        loadedVariables = CountChildren(settings);
        loadedExtra = settings->Attribute("extra") != nullptr;
        valueWhenLoaded = GetVariable(1)->GetRegisters().front().value;
    }
    static int CountChildren(TiXmlElement* settings)
    {
        int count = 0;
        for (TiXmlElement* e = settings->FirstChildElement("variable"); e; e = e->NextSiblingElement("variable"))
            ++count;
        return count;
    }
    int savedVariables = -1;
    int loadedVariables = -1;
    bool loadedExtra = false;
    int valueWhenLoaded = -1;
};

TEST(HvMpptSetpointFile, TemplateHooksSeeTheSettingsElement)
{
    HookedSettings settings;
    settings.GetVariable(1)->FromString("13.00");
    std::string text;
    settings.SaveXml(text);
    EXPECT_EQ(119, settings.savedVariables);
    EXPECT_NE(std::string::npos, text.find("<settings extra=\"1\">"));

    HookedSettings loaded;
    loaded.LoadXml(text);
    EXPECT_EQ(119, loaded.loadedVariables);
    EXPECT_TRUE(loaded.loadedExtra);
    EXPECT_EQ(settings.GetVariable(1)->GetRegisters().front().value, loaded.valueWhenLoaded);
}

} // namespace
