#include "tests/wizards/SettingsFileBytes.h"
#include "wizards/corandel/CCorandelSettings.h"
#include "wizards/framework/CorandelDuoDefaultSettings.h"
#include "wizards/framework/VarnixDefaultSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using settings_test::Bytes;
using settings_test::StoreBytes;
using settings_test::RawValues;

Bytes Save(CCorandelSettings& settings) { return settings_test::SaveSettings(settings); }
bool Load(CCorandelSettings& settings, const Bytes& bytes) { return settings_test::LoadSettings(settings, bytes); }

const double VOLTS = 1.0 / 1800.0;

std::vector<UINT32> Registers(const CStorageVarnixConfig& store)
{
    std::vector<UINT32> registers;
    for (int i = 0; i < store.GetRowCount(); ++i)
        registers.push_back(store.GetRowAtConst(i)->registerAddress);
    return registers;
}

// The reason of a refused entry, "" when it was taken.
std::string Refusal(CCorandelSettings& settings, UINT32 reg, const char* text, double minimum, double maximum)
{
    try
    {
        settings.SetFromText(reg, text, minimum, maximum);
        return "";
    }
    catch (const CCorandelSettings::CSetException& e)
    {
        EXPECT_STREQ(text, e.m_text.GetString());
        EXPECT_STREQ(settings.FindRowConst(reg)->shortName.GetString(), e.m_name.GetString());
        return e.m_reason.StdString();
    }
}

TEST(CorandelDuoTable, TwentyNineSetpointsInTheirOrderWithTheirFactoryCounts)
{
    struct Expected
    {
        UINT32 reg;
        const char* shortName;
        const char* unit;
        INT32 raw;
        const char* format;
    };
    // Table order, with the raw counts of the factory values.
    const Expected rows[] = {
        {0xE000, "Skelder ID", "", 1, "%.0f"}, {0xE001, "MODBUS ID", "", 1, "%.0f"},
        {0xE006, "Absorption", "V", 25380, "%.2f"}, {0xE00C, "Absorption", "V", 25920, "%.2f"},
        {0xE008, "Float", "V", 24660, "%.2f"}, {0xE00E, "Float", "V", 24660, "%.2f"},
        {0xE007, "Equalize", "V", 0, "%.2f"}, {0xE00D, "Equalize", "V", 26370, "%.2f"},
        {0xE009, "Max. Regulation", "V", 27000, "%.2f"}, {0xE00F, "Max. Regulation", "V", 27000, "%.2f"},
        {0xE00A, "Time Until Float", "min", 60, "%.0f"}, {0xE010, "Time Until Float", "min", 120, "%.0f"},
        {0xE00B, "Equalize Duration", "min", 0, "%.0f"}, {0xE011, "Equalize Duration", "min", 180, "%.0f"},
        {0xE012, "Absorption", "V", 25380, "%.2f"}, {0xE018, "Absorption", "V", 25920, "%.2f"},
        {0xE014, "Float", "V", 24660, "%.2f"}, {0xE01A, "Float", "V", 24660, "%.2f"},
        {0xE013, "Equalize", "V", 0, "%.2f"}, {0xE019, "Equalize", "V", 26370, "%.2f"},
        {0xE015, "Max. Regulation", "V", 27000, "%.2f"}, {0xE01B, "Max. Regulation", "V", 27000, "%.2f"},
        {0xE016, "Time Until Float", "min", 60, "%.0f"}, {0xE01C, "Time Until Float", "min", 120, "%.0f"},
        {0xE017, "Equalize Duration", "min", 0, "%.0f"}, {0xE01D, "Equalize Duration", "min", 180, "%.0f"},
        {0xE002, "Charging Priority", "%", 209, "%.0f"}, {0xE003, "Charging Priority", "%", 375, "%.0f"},
        {0xE004, "Temperature Compensation", "V/degC", 54, "%.3f"},
    };
    ASSERT_EQ(30, CORANDEL_DUO_DEFAULT_SETTINGS_COUNT);
    for (int i = 0; i < 29; ++i)
    {
        const SettingRow_t& row = CORANDEL_DUO_DEFAULT_SETTINGS[i];
        EXPECT_EQ(rows[i].reg, row.registerAddress) << "row " << i;
        EXPECT_STREQ(rows[i].shortName, row.shortName.GetString()) << "row " << i;
        EXPECT_STREQ(rows[i].unit, row.unit.GetString()) << "row " << i;
        EXPECT_EQ(rows[i].raw, row.raw) << "row " << i;
        EXPECT_STREQ(rows[i].format, row.format.GetString()) << "row " << i;
        EXPECT_TRUE(row.flag) << "row " << i;
        EXPECT_EQ(SETTING_RAW_UINT16, row.rawType) << "row " << i;
        EXPECT_EQ(nullptr, row.formatter) << "row " << i;
        EXPECT_FALSE(row.modified) << "row " << i;
    }
    EXPECT_STREQ("Maximum regulation voltage, battery 2, DIP1 ON", CORANDEL_DUO_DEFAULT_SETTINGS[21].description.GetString());
    const SettingRow_t& end = CORANDEL_DUO_DEFAULT_SETTINGS[29];
    EXPECT_EQ(0u, end.registerAddress);
    EXPECT_FALSE(end.flag);
    EXPECT_DOUBLE_EQ(0.0, end.scale);
    EXPECT_TRUE(end.format.IsEmpty());
}

TEST(CorandelDuoSettings, StartsWithTheFactorySetAndItsAddresses)
{
    CCorandelSettings settings;
    EXPECT_EQ(0x20001u, settings.GetType());
    EXPECT_EQ(255, settings.GetSourceId());
    ASSERT_EQ(29, settings.GetRowCount());
    for (int i = 0; i < 29; ++i)
        EXPECT_NEAR(CORANDEL_DUO_DEFAULT_SETTINGS[i].defaultValue, settings.GetValueAt(i),
                    CORANDEL_DUO_DEFAULT_SETTINGS[i].scale) << "row " << i;
    EXPECT_NEAR(50.12, settings.GetValue(static_cast<UINT32>(0xE002)), 0.005);
    EXPECT_EQ(settings.FindRow(0xE006), settings.GetRow(0xE006));
    EXPECT_EQ(nullptr, settings.GetRowConst(0xE005));
    EXPECT_EQ(1, settings.GetModbusAddress());
    EXPECT_EQ(1, settings.GetSkelderAddress());
    ASSERT_TRUE(settings.SetValue(0xE001, 246.6));
    EXPECT_EQ(247, settings.GetModbusAddress());
}

TEST(CorandelDuoSettings, ValueTextsWithUnitsAndDisabledStages)
{
    CCorandelSettings settings;
    EXPECT_STREQ("14.10", settings.FormatValue(0xE006).GetString());
    EXPECT_STREQ("14.10 V", settings.FormatDisplayValue(0xE006).GetString());
    EXPECT_STREQ("60 min", settings.FormatDisplayValue(0xE00A).GetString());
    EXPECT_STREQ("50 %", settings.FormatDisplayValue(0xE002).GetString());
    EXPECT_STREQ("0.030", settings.FormatValue(0xE004).GetString());
    EXPECT_STREQ("1", settings.FormatDisplayValue(0xE000).GetString());
    EXPECT_STREQ("", settings.FormatDisplayValue(0xE005).GetString());

    // The OFF sets start with equalize off: voltage and duration read "none".
    EXPECT_STREQ("none", settings.FormatDisplayValue(0xE007).GetString());
    EXPECT_STREQ("none", settings.FormatDisplayValue(0xE00B).GetString());
    EXPECT_STREQ("none", settings.FormatDisplayValue(0xE013).GetString());
    EXPECT_STREQ("none", settings.FormatDisplayValue(0xE017).GetString());
    EXPECT_STREQ("14.65 V", settings.FormatDisplayValue(0xE00D).GetString());
    EXPECT_STREQ("180 min", settings.FormatDisplayValue(0xE011).GetString());
    // "none" is only a text: FormatValue still gives the number.
    EXPECT_STREQ("0.00", settings.FormatValue(0xE007).GetString());

    // A time until float of a day or more turns the float stage off.
    ASSERT_TRUE(settings.SetValue(0xE00A, 1440));
    EXPECT_STREQ("none", settings.FormatDisplayValue(0xE008).GetString());
    EXPECT_STREQ("none", settings.FormatDisplayValue(0xE00A).GetString());
    EXPECT_STREQ("13.70 V", settings.FormatDisplayValue(0xE00E).GetString());
    ASSERT_TRUE(settings.SetValue(0xE00A, 1399));
    EXPECT_STREQ("13.70 V", settings.FormatDisplayValue(0xE008).GetString());
    EXPECT_STREQ("1399 min", settings.FormatDisplayValue(0xE00A).GetString());
    ASSERT_TRUE(settings.SetValue(0xE01C, 1400));
    EXPECT_STREQ("none", settings.FormatDisplayValue(0xE01A).GetString());

    ASSERT_TRUE(settings.SetValue(0xE019, 0.004));
    EXPECT_STREQ("none", settings.FormatDisplayValue(0xE01D).GetString());
    ASSERT_TRUE(settings.SetValue(0xE007, 14.5));
    EXPECT_STREQ("0 min", settings.FormatDisplayValue(0xE00B).GetString());
}

TEST(CorandelDuoSettings, EnteredTextsAreParsedCheckedAndMustFitTheRegister)
{
    CCorandelSettings settings;
    EXPECT_EQ("", Refusal(settings, 0xE006, "14.4 ", 0, 36.4));
    EXPECT_EQ(25920, settings.GetRawValue(0xE006));
    EXPECT_EQ("", Refusal(settings, 0xE006, "  13.9\t", 0, 36.4));
    EXPECT_EQ(25020, settings.GetRawValue(0xE006));

    EXPECT_EQ("non-numeric character in the value", Refusal(settings, 0xE006, "14.4V", 0, 36.4));
    EXPECT_EQ("non-numeric character in the value", Refusal(settings, 0xE006, "0x10", 0, 36.4));
    EXPECT_EQ("non-numeric character in the value", Refusal(settings, 0xE006, "abc", 0, 36.4));
    EXPECT_EQ("value must be no more than 36.40", Refusal(settings, 0xE006, "40", 0, 36.4));
    EXPECT_EQ("value must be no more than 36.40", Refusal(settings, 0xE006, "36.41", 0, 36.4));
    EXPECT_EQ("value must be at least 0.00", Refusal(settings, 0xE006, "-1", 0, 36.4));
    EXPECT_EQ("value must be at least 5", Refusal(settings, 0xE00A, "4", 5, 65535));
    EXPECT_EQ(25020, settings.GetRawValue(0xE006)) << "refused entries store nothing";

    // An empty text is zero.
    EXPECT_EQ("", Refusal(settings, 0xE007, "", 0, 36.4));
    EXPECT_EQ(0, settings.GetRawValue(0xE007));

    // The temperature compensation has no upper bound of its own, but its register holds
    // at most 65535 counts of 1/1800 V: a larger entry is refused, not wrapped.
    EXPECT_EQ("", Refusal(settings, 0xE004, "36.408", 0, 1e9));
    EXPECT_EQ(65534, settings.GetRawValue(0xE004));
    EXPECT_EQ("value must be no more than 36.408", Refusal(settings, 0xE004, "40", 0, 1e9));
    EXPECT_EQ("value must be no more than 36.408", Refusal(settings, 0xE004, "36.409", 0, 1e9));
    EXPECT_EQ(65534, settings.GetRawValue(0xE004));
    EXPECT_EQ("value must be at least 0.000", Refusal(settings, 0xE004, "-0.001", -5, 1e9));
    EXPECT_EQ("", Refusal(settings, 0xE00B, "65535", 0, 65535));
    EXPECT_EQ(65535, settings.GetRawValue(0xE00B));
}

TEST(CorandelDuoFile, QcrduoBytesAreTheFileVersionAndTheStoreArchive)
{
    CCorandelSettings settings;
    ASSERT_TRUE(settings.SetValue(0xE006, 14.4));
    const Bytes bytes = Save(settings);

    StoreBytes head;
    head.Int(1).Int(1).Int(29)
        .Row(0xE000, "Skelder ID", "Skelder ID (address)", 1, "", 1.0, 1.0, 1)
        .Row(0xE001, "MODBUS ID", "MODBUS ID (address)", 1, "", 1.0, 1.0, 1)
        .Row(0xE006, "Absorption", "Absorption voltage, battery 1, DIP1 OFF", 1, "V", VOLTS, 14.1, 25920);
    ASSERT_GE(bytes.size(), head.bytes.size());
    EXPECT_EQ(head.bytes, Bytes(bytes.begin(), bytes.begin() + head.bytes.size()));

    StoreBytes tail;
    tail.Row(0xE004, "Temperature Compensation", "Temperature Compensation", 1, "V/degC", VOLTS, 0.03, 54);
    EXPECT_EQ(tail.bytes, Bytes(bytes.end() - tail.bytes.size(), bytes.end()));

    StoreBytes whole;
    whole.Int(1).Int(1).Int(29);
    for (int i = 0; i < 29; ++i)
        whole.TableRow(CORANDEL_DUO_DEFAULT_SETTINGS[i], settings.GetEntryValue(i));
    EXPECT_EQ(whole.bytes, bytes);
}

TEST(CorandelDuoFile, RoundTripRestoresEveryValue)
{
    CCorandelSettings original;
    ASSERT_TRUE(original.SetValue(0xE001, 17));
    ASSERT_TRUE(original.SetValue(0xE00A, 1440));
    ASSERT_TRUE(original.SetValue(0xE004, 0.05));
    const Bytes bytes = Save(original);

    CCorandelSettings loaded;
    ASSERT_TRUE(Load(loaded, bytes));
    EXPECT_EQ(RawValues(original), RawValues(loaded));
    EXPECT_EQ(Registers(original), Registers(loaded));
    EXPECT_EQ(17, loaded.GetModbusAddress());
    EXPECT_STREQ("none", loaded.FormatDisplayValue(0xE008).GetString());
    EXPECT_EQ(bytes, Save(loaded));
}

TEST(CorandelDuoFile, FailedLoadsAndAddressesOutsideTheirRangesLeaveTheSettingsWhole)
{
    CCorandelSettings source;
    ASSERT_TRUE(source.SetValue(0xE006, 14.8));
    const Bytes good = Save(source);

    CCorandelSettings settings;
    ASSERT_TRUE(settings.SetValue(0xE00C, 15.0));
    const std::vector<INT32> before = RawValues(settings);

    // Every cut of the file fails and changes nothing.
    for (size_t length = 0; length < good.size(); ++length)
    {
        const Bytes cut(good.begin(), good.begin() + length);
        EXPECT_FALSE(Load(settings, cut)) << "cut at " << length;
        ASSERT_EQ(before, RawValues(settings)) << "cut at " << length;
    }

    Bytes version2 = good;
    version2[0] = 2;
    EXPECT_FALSE(Load(settings, version2));
    Bytes storeVersion2 = good;
    storeVersion2[4] = 2;
    EXPECT_FALSE(Load(settings, storeVersion2));
    EXPECT_EQ(before, RawValues(settings));

    // A raw value that no 16-bit register holds marks a damaged file.
    StoreBytes wide;
    wide.Int(1).Int(1).Int(1).TableRow(CORANDEL_DUO_DEFAULT_SETTINGS[2], 70000);
    EXPECT_FALSE(Load(settings, wide.bytes));
    EXPECT_EQ(before, RawValues(settings));

    ASSERT_TRUE(Load(settings, good));
    EXPECT_EQ(RawValues(source), RawValues(settings));

    // The bus addresses at both ends of their ranges and past them.
    auto file = [](UINT32 reg, INT32 raw) {
        StoreBytes bytes;
        bytes.Int(1).Int(1).Int(settings_test::TableRowCount(CORANDEL_DUO_DEFAULT_SETTINGS))
            .TableRowsWith(CORANDEL_DUO_DEFAULT_SETTINGS, reg, raw);
        return bytes.bytes;
    };
    settings_test::ExpectAddressCases<CCorandelSettings>(
        file, {{0xE001, 1, nullptr}, {0xE001, 247, nullptr},
               {0xE001, 0, "Modbus Address 0 is not in the range 1 to 247"},
               {0xE001, 248, "Modbus Address 248 is not in the range 1 to 247"},
               {0xE000, 1, nullptr}, {0xE000, 15, nullptr},
               {0xE000, 0, "Skelder Address 0 is not in the range 1 to 15"},
               {0xE000, 16, "Skelder Address 16 is not in the range 1 to 15"}});
}

TEST(CorandelDuoFile, RowsOfAnotherTableKeepOnlyTheDuoRegistersWithTheDuoScales)
{
    // A file holding Varnix rows, one of them with a scale of 0 and one repeated: only
    // registers of the Duo table are taken, each with the Duo's scale and presentation,
    // and the Duo rows the file lacks come with their defaults.
    StoreBytes file;
    file.Int(1).Int(1).Int(5)
        .Row(0xE006, "Equalize Voltage", "Equalize voltage at 25 deg C", 1, "V", 0.0, 15.1, 25200)
        .Row(0xE00A, "Temperature Compensation", "Temperature compensation", 1, "V", -96.667 / 65536, -0.03, 90)
        .Row(0xE005, "Cancel Float Voltage", "Voltage that cancels float", 1, "V", 96.667 / 32768, 11.5, 3898)
        .Row(0xE041, "Float PWM Threshold", "", 1, "%", 100.0 / 256, 30, 77)
        .Row(0xE006, "Again", "", 1, "V", 1.0, 0, 5);
    CCorandelSettings settings;
    ASSERT_TRUE(Load(settings, file.bytes));
    ASSERT_EQ(29, settings.GetRowCount());

    const SettingRow_t* absorption = settings.GetRowAtConst(0);
    EXPECT_EQ(0xE006u, absorption->registerAddress);
    EXPECT_STREQ("Equalize Voltage", absorption->shortName.GetString());
    EXPECT_DOUBLE_EQ(VOLTS, absorption->scale);
    EXPECT_EQ(25200, absorption->raw);
    EXPECT_NEAR(14.0, settings.GetValue(static_cast<UINT32>(0xE006)), 1e-9);
    EXPECT_STREQ("%.2f", absorption->format.GetString());

    const SettingRow_t* time = settings.GetRowAtConst(1);
    EXPECT_EQ(0xE00Au, time->registerAddress);
    EXPECT_DOUBLE_EQ(1.0, time->scale);
    EXPECT_STREQ("%.0f", time->format.GetString());
    EXPECT_EQ(90, time->raw);
    // The file's own texts are kept.
    EXPECT_STREQ("V", time->unit.GetString());
    EXPECT_STREQ("Temperature Compensation", time->shortName.GetString());

    EXPECT_EQ(nullptr, settings.FindRowConst(0xE005));
    EXPECT_EQ(nullptr, settings.FindRowConst(0xE041));
    // The rest follow in table order with their factory values.
    EXPECT_EQ(0xE000u, settings.GetRowAtConst(2)->registerAddress);
    EXPECT_EQ(0xE001u, settings.GetRowAtConst(3)->registerAddress);
    EXPECT_EQ(0xE00Cu, settings.GetRowAtConst(4)->registerAddress);
    EXPECT_EQ(0xE004u, settings.GetRowAtConst(28)->registerAddress);
    EXPECT_EQ(54, settings.GetRawValue(0xE004));
    EXPECT_STREQ("Time until float, battery 1, DIP1 ON", settings.FindRowConst(0xE010)->description.GetString());
}

}  // namespace
