#include "tests/wizards/SettingsFileBytes.h"
#include "wizards/corandel/CDialogMpptSetup.h"
#include "wizards/corandel/CMpptSettings.h"
#include "wizards/framework/CorandelMpptDefaultSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using settings_test::Bytes;
using settings_test::StoreBytes;
using settings_test::RawValues;

Bytes Save(CMpptSettings& settings) { return settings_test::SaveSettings(settings); }
bool Load(CMpptSettings& settings, const Bytes& bytes) { return settings_test::LoadSettings(settings, bytes); }

const double VOLTS = 100.0 / 32768.0;

std::string Text(const CMpptSettings& settings, UINT32 reg, bool is24 = false)
{
    return settings.GetValueText(reg, is24).StdString();
}

TEST(CorandelMpptTable, FiftyThreeSetpointsInTableOrderWithTheirFactoryCounts)
{
    const UINT32 order[53] = {
        0xE000, 0xE001, 0xE002, 0xE004, 0xE003, 0xE005, 0xE006, 0xE007, 0xE008, 0xE00A, 0xE009,
        0xE00D, 0xE00E, 0xE00F, 0xE011, 0xE010, 0xE012, 0xE013, 0xE014, 0xE015, 0xE017, 0xE016,
        0xE01A, 0xE01B, 0xE01C, 0xE01D, 0xE01E, 0xE01F, 0xE022, 0xE023, 0xE024, 0xE025, 0xE026,
        0xE027, 0xE031, 0xE032, 0xE033, 0xE030, 0xE035, 0xE034, 0xE028, 0xE029, 0xE02A, 0xE02B,
        0xE02C, 0xE02D, 0xE02E, 0xE02F, 0xE03B, 0xE03C, 0xE03D, 0xE03E, 0xE03F};
    ASSERT_EQ(54, CORANDEL_MPPT_DEFAULT_SETTINGS_COUNT);
    for (int i = 0; i < 53; ++i)
    {
        const SettingRow_t& row = CORANDEL_MPPT_DEFAULT_SETTINGS[i];
        EXPECT_EQ(order[i], row.registerAddress) << "row " << i;
        EXPECT_TRUE(row.flag) << "row " << i;
        EXPECT_EQ(nullptr, row.formatter) << "row " << i;
        const bool byteRow = row.registerAddress == 0xE008 || row.registerAddress == 0xE015 ||
                             row.registerAddress == 0xE034 || row.registerAddress == 0xE035;
        const bool signedRow = row.registerAddress == 0xE01E || row.registerAddress == 0xE01F;
        EXPECT_EQ(byteRow ? SETTING_RAW_UINT8 : signedRow ? SETTING_RAW_INT8 : SETTING_RAW_UINT16, row.rawType)
            << std::hex << row.registerAddress;
    }
    EXPECT_EQ(0u, CORANDEL_MPPT_DEFAULT_SETTINGS[53].registerAddress);
    EXPECT_DOUBLE_EQ(0.0, CORANDEL_MPPT_DEFAULT_SETTINGS[53].scale);

    CMpptSettings settings;
    ASSERT_EQ(53, settings.GetRowCount());
    // 14.0 / (100/32768) is 4587.52; -0.03 / (-50/32768) is 19.66.
    EXPECT_EQ(4588, settings.GetRawValue(0xE000));
    EXPECT_EQ(20, settings.GetRawValue(0xE01A));
    EXPECT_EQ(-30, settings.GetRawValue(0xE01F));
    EXPECT_EQ(3000, settings.GetRawValue(0xE027));
    EXPECT_EQ(1038, settings.GetRawValue(0xE026)) << "-0.02 ohm at -0.6315/32768 per count";
    EXPECT_EQ(0x4848, settings.GetRawValue(0xE02B));
    EXPECT_EQ(0x3F88, settings.GetRawValue(0xE02C));
    EXPECT_EQ(0, settings.GetRawValue(0xE02D));
    EXPECT_EQ(0x8000, settings.GetRawValue(0xE02E));
    EXPECT_EQ(0x8078, settings.GetRawValue(0xE02F));
    EXPECT_EQ(0, settings.GetRawValue(0xE03B));
    EXPECT_EQ(nullptr, settings.FindRowConst(0xE00B));
    EXPECT_EQ(nullptr, settings.FindRowConst(0xE036));
    EXPECT_STREQ("Voltages that cancels float, bank 2", settings.FindRowConst(0xE012)->description.GetString());
    EXPECT_STREQ("Va sunset threshold", settings.FindRowConst(0xE02A)->shortName.GetString());
    EXPECT_EQ(1, settings.GetModbusId());
    EXPECT_EQ(1, settings.GetSkelderId());
}

TEST(CorandelMpptSettings, ValueTextsAtTwelveAndTwentyFourVolts)
{
    CMpptSettings settings;
    EXPECT_EQ("14.00 V", Text(settings, 0xE000));
    EXPECT_EQ("28.00 V", Text(settings, 0xE000, true));
    EXPECT_EQ("28 days", Text(settings, 0xE008));
    EXPECT_EQ("28 days", Text(settings, 0xE008, true));
    EXPECT_EQ("60 min", Text(settings, 0xE002));
    EXPECT_EQ("180 min", Text(settings, 0xE009));
    EXPECT_EQ("5 min", Text(settings, 0xE027)) << "tenths of a second";
    EXPECT_EQ("-0.031 V/degC", Text(settings, 0xE01A)) << "20 counts of -50/32768";
    EXPECT_EQ("-0.061 V/degC", Text(settings, 0xE01A, true));
    EXPECT_EQ("-0.020 ohm", Text(settings, 0xE026));
    EXPECT_EQ("-0.040 ohm", Text(settings, 0xE026, true));
    EXPECT_EQ("80 degC", Text(settings, 0xE01E, true));
    EXPECT_EQ("-30 degC", Text(settings, 0xE01F));
    EXPECT_EQ("53.0 %", Text(settings, 0xE029, true));
    EXPECT_EQ("1", Text(settings, 0xE034, true));
    EXPECT_EQ("1", Text(settings, 0xE035, true));
    EXPECT_EQ("disabled", Text(settings, 0xE028));
    EXPECT_EQ("disabled", Text(settings, 0xE024)) << "load HVD defaults to off";
    EXPECT_EQ("", Text(settings, 0xE025));
    EXPECT_EQ("15.30 V", Text(settings, 0xE01B));
    EXPECT_EQ("13.80 V", Text(settings, 0xE01C));

    ASSERT_TRUE(settings.SetValue(0xE002, 90));
    EXPECT_EQ("1:30 min", Text(settings, 0xE002));
    ASSERT_TRUE(settings.SetValue(0xE002, 45));
    EXPECT_EQ("45 sec", Text(settings, 0xE002));
    EXPECT_EQ("45", settings.GetNumberText(0xE002, true).StdString());
    EXPECT_EQ("14.00", settings.GetNumberText(0xE000, false).StdString());
    EXPECT_EQ("0.00", settings.GetNumberText(0xE024, false).StdString());

    // Float off: the switch reads "disabled", the float rows of its bank read empty.
    ASSERT_TRUE(settings.SetValue(0xE001, 0));
    EXPECT_EQ("disabled", Text(settings, 0xE001));
    for (UINT32 reg = 0xE002; reg <= 0xE006; ++reg)
        EXPECT_EQ("", Text(settings, reg)) << std::hex << reg;
    EXPECT_EQ("14.10 V", Text(settings, 0xE007));
    EXPECT_EQ("13.70 V", Text(settings, 0xE00E)) << "bank 2 is not affected";

    ASSERT_TRUE(settings.SetValue(0xE014, 0.005));
    EXPECT_EQ("disabled", Text(settings, 0xE014));
    EXPECT_EQ("", Text(settings, 0xE015));
    EXPECT_EQ("", Text(settings, 0xE017));
    ASSERT_TRUE(settings.SetValue(0xE01D, 0));
    EXPECT_EQ("disabled", Text(settings, 0xE01D));
    ASSERT_TRUE(settings.SetValue(0xE028, 1));
    EXPECT_EQ("enabled", Text(settings, 0xE028));
}

TEST(CorandelMpptSettings, LightingTextsOfTheFactorySet)
{
    CMpptSettings settings;
    EXPECT_EQ("turn on 2:00 before sunrise; turn off at sunrise", Text(settings, 0xE02C));
    EXPECT_EQ("turn on at sunset; turn off 2:00 after sunset", Text(settings, 0xE02E));
    EXPECT_EQ("OR with previous channel", Text(settings, 0xE02B));
    EXPECT_EQ("OR with previous channel", Text(settings, 0xE02D));
    EXPECT_EQ("", Text(settings, 0xE03C)) << "channels 2 and 3 do nothing";
    EXPECT_EQ("", Text(settings, 0xE02F));
    EXPECT_EQ("", Text(settings, 0xE03F));

    settings.SetConfigByte(2, 0x01 | 0x02 | (LIGHTING_ACTION_OFF << 3) | (LIGHTING_ACTION_ON << 5));
    settings.SetTimerEvent(2, 0, LIGHTING_EVENT_MIDNIGHT);
    settings.SetTimerOffset(2, 0, 95);
    settings.SetTimerEvent(2, 1, LIGHTING_EVENT_MIDDAY);
    settings.SetTimerOffset(2, 1, -5);
    EXPECT_EQ("invert; AND with previous channel", Text(settings, 0xE03B));
    EXPECT_EQ("turn off 1:35 after midnight; turn on 0:05 before midday", Text(settings, 0xE03C));
}

TEST(CorandelMpptSettings, LightingFieldsPackIntoTheirBitsOnly)
{
    CMpptSettings settings;
    // The two configuration bytes of 0xE02B are independent.
    settings.SetConfigByte(1, 0xA5);
    EXPECT_EQ(0xA548, settings.GetRawValue(0xE02B));
    EXPECT_EQ(0x48, settings.GetConfigByte(0));
    settings.SetConfigByte(0, 0x13);
    EXPECT_EQ(0xA513, settings.GetRawValue(0xE02B));
    EXPECT_EQ(0xA5, settings.GetConfigByte(1));
    settings.SetConfigByte(3, 0x7F);
    EXPECT_EQ(0x7F00, settings.GetRawValue(0xE03B));
    EXPECT_EQ(0, settings.GetConfigByte(2));

    // Bit 7 and the invert bit ride along with every field setter.
    settings.SetConfigByte(1, 0x81);
    settings.SetCombineMode(1, 1);
    EXPECT_EQ(0x83, settings.GetConfigByte(1));
    EXPECT_EQ(1, settings.GetCombineMode(1));
    EXPECT_TRUE(settings.IsInverted(1));
    settings.SetTimerAction(1, 0, LIGHTING_ACTION_ON);
    settings.SetTimerAction(1, 1, LIGHTING_ACTION_OFF);
    EXPECT_EQ(0x83 | 0x08 | 0x40, settings.GetConfigByte(1));
    settings.SetTimerAction(1, 0, LIGHTING_ACTION_NOTHING);
    EXPECT_EQ(LIGHTING_ACTION_NOTHING, settings.GetTimerAction(1, 0));
    EXPECT_EQ(LIGHTING_ACTION_OFF, settings.GetTimerAction(1, 1));
    settings.SetCombineMode(1, 0);
    EXPECT_EQ(0x81 | 0x40, settings.GetConfigByte(1));
    EXPECT_EQ(0x13, settings.GetConfigByte(0));

    // Timer words: event in bits 14-15, signed 14-bit minutes below.
    EXPECT_EQ(LIGHTING_EVENT_SUNSET, settings.GetTimerEvent(1, 1));
    EXPECT_EQ(120, settings.GetTimerOffset(1, 1));
    EXPECT_EQ(LIGHTING_EVENT_SUNRISE, settings.GetTimerEvent(0, 0));
    EXPECT_EQ(-120, settings.GetTimerOffset(0, 0));
    settings.SetTimerOffset(1, 0, -1);
    EXPECT_EQ(0xBFFF, settings.GetRawValue(0xE02E));
    EXPECT_EQ(-1, settings.GetTimerOffset(1, 0));
    EXPECT_EQ(LIGHTING_EVENT_SUNSET, settings.GetTimerEvent(1, 0));
    settings.SetTimerEvent(1, 0, LIGHTING_EVENT_MIDNIGHT);
    EXPECT_EQ(0xFFFF, settings.GetRawValue(0xE02E));
    EXPECT_EQ(-1, settings.GetTimerOffset(1, 0));
    settings.SetTimerOffset(3, 1, 8191);
    EXPECT_EQ(0x9FFF, settings.GetRawValue(0xE03F));
    EXPECT_EQ(8191, settings.GetTimerOffset(3, 1));
    settings.SetTimerOffset(3, 1, -8192);
    EXPECT_EQ(-8192, settings.GetTimerOffset(3, 1));

    // An offset beyond 14 bits is clamped instead of turning into another offset.
    settings.SetTimerOffset(2, 0, 30 * 60);
    EXPECT_EQ(1800, settings.GetTimerOffset(2, 0));
    settings.SetTimerOffset(2, 0, 9000);
    EXPECT_EQ(8191, settings.GetTimerOffset(2, 0));
    settings.SetTimerOffset(2, 0, -20000);
    EXPECT_EQ(-8192, settings.GetTimerOffset(2, 0));
    EXPECT_EQ(LIGHTING_EVENT_SUNRISE, settings.GetTimerEvent(2, 0));

    // Channels outside 0 to 3 change nothing.
    const std::vector<INT32> before = RawValues(settings);
    settings.SetConfigByte(4, 0xFF);
    settings.SetTimerOffset(-1, 0, 5);
    settings.SetTimerEvent(7, 1, 2);
    EXPECT_EQ(before, RawValues(settings));
    EXPECT_EQ(0, settings.GetConfigByte(4));
}

TEST(CorandelMpptSettings, TabsListTheirRegistersAndTheLightingRowsOnlyWhileLightingIsOn)
{
    CMpptSettings settings;
    const std::vector<UINT32> charge2 = {0xE00D, 0xE00E, 0xE00F, 0xE011, 0xE010, 0xE012,
                                         0xE013, 0xE014, 0xE015, 0xE017, 0xE016};
    EXPECT_EQ(charge2, CDialogMpptSetup::GetTabRegisters(settings, 1));
    EXPECT_EQ(std::vector<UINT32>({0xE031, 0xE032, 0xE033, 0xE030}), CDialogMpptSetup::GetTabRegisters(settings, 5));
    EXPECT_EQ(std::vector<UINT32>({0xE028}), CDialogMpptSetup::GetTabRegisters(settings, 4)) << "lighting off";
    ASSERT_TRUE(settings.SetValue(0xE028, 1));
    const std::vector<UINT32> lighting = {0xE028, 0xE029, 0xE02A, 0xE02B, 0xE02C, 0xE02D,
                                          0xE02E, 0xE03B, 0xE03C, 0xE03D, 0xE03E};
    EXPECT_EQ(lighting, CDialogMpptSetup::GetTabRegisters(settings, 4));
    EXPECT_TRUE(CDialogMpptSetup::GetTabRegisters(settings, 6).empty());
    EXPECT_TRUE(CDialogMpptSetup::GetTabRegisters(settings, -1).empty());
}

TEST(CorandelMpptSettings, RangesFollowTheRawType)
{
    CMpptSettings settings;
    EXPECT_DOUBLE_EQ(0.0, settings.GetMinimum(0xE000));
    EXPECT_DOUBLE_EQ(65535 * VOLTS, settings.GetMaximum(0xE000));
    EXPECT_DOUBLE_EQ(0.0, settings.GetMinimum(0xE008));
    EXPECT_DOUBLE_EQ(255.0, settings.GetMaximum(0xE008));
    EXPECT_DOUBLE_EQ(-128.0, settings.GetMinimum(0xE01E));
    EXPECT_DOUBLE_EQ(127.0, settings.GetMaximum(0xE01E));
    // A negative scale turns the range below zero.
    EXPECT_DOUBLE_EQ(65535 * -50.0 / 32768, settings.GetMinimum(0xE01A));
    EXPECT_DOUBLE_EQ(0.0, settings.GetMaximum(0xE01A));
    EXPECT_DOUBLE_EQ(6553.5, settings.GetMaximum(0xE027));
    EXPECT_DOUBLE_EQ(0.0, settings.GetMaximum(0xE036));
    EXPECT_EQ(0x4848, settings.GetRegisterWord(0xE02B));
    ASSERT_TRUE(settings.SetValue(0xE034, 246.5));
    EXPECT_EQ(247, settings.GetModbusId());
}

TEST(CorandelMpptFile, QcrpptBytesRoundTripAndFailedLoadsChangeNothing)
{
    CMpptSettings original;
    ASSERT_TRUE(original.SetValue(0xE000, 14.4));
    original.SetTimerOffset(0, 0, -90);
    const Bytes bytes = Save(original);

    StoreBytes head;
    head.Int(1).Int(1).Int(53)
        .Row(0xE000, "Absorption Voltage", "Absorption voltage, bank 1", 1, "V", VOLTS, 14.0, 4719);
    ASSERT_GE(bytes.size(), head.bytes.size());
    EXPECT_EQ(head.bytes, Bytes(bytes.begin(), bytes.begin() + head.bytes.size()));
    StoreBytes tail;
    tail.Row(0xE03F, "Lighting chan 3 timer 1", "", 1, "min", 1.0, 32888.0, 32888);
    EXPECT_EQ(tail.bytes, Bytes(bytes.end() - tail.bytes.size(), bytes.end()));

    CMpptSettings loaded;
    ASSERT_TRUE(Load(loaded, bytes));
    EXPECT_EQ(RawValues(original), RawValues(loaded));
    EXPECT_EQ(-90, loaded.GetTimerOffset(0, 0));
    EXPECT_EQ(bytes, Save(loaded));

    CMpptSettings settings;
    const std::vector<INT32> before = RawValues(settings);
    for (size_t length = 0; length < bytes.size(); ++length)
    {
        EXPECT_FALSE(Load(settings, Bytes(bytes.begin(), bytes.begin() + length))) << "cut at " << length;
        ASSERT_EQ(before, RawValues(settings)) << "cut at " << length;
    }
    Bytes version2 = bytes;
    version2[0] = 2;
    EXPECT_FALSE(Load(settings, version2));
    Bytes storeVersion2 = bytes;
    storeVersion2[4] = 2;
    EXPECT_FALSE(Load(settings, storeVersion2));
    EXPECT_EQ(before, RawValues(settings));
}

TEST(CorandelMpptFile, ValuesTheRegistersOrAddressRangesCannotHoldAreRefused)
{
    // The factory file with the raw value of one row changed.
    auto file = [](UINT32 reg, INT32 raw) {
        StoreBytes bytes;
        bytes.Int(1).Int(1).Int(settings_test::TableRowCount(CORANDEL_MPPT_DEFAULT_SETTINGS))
            .TableRowsWith(CORANDEL_MPPT_DEFAULT_SETTINGS, reg, raw);
        return bytes.bytes;
    };
    CMpptSettings factory;
    ASSERT_EQ(Save(factory), file(0xE034, 1));

    CMpptSettings settings;
    ASSERT_TRUE(settings.SetValue(0xE034, 7));
    ASSERT_TRUE(settings.SetValue(0xE000, 14.4));
    const std::vector<INT32> before = RawValues(settings);
    const struct { UINT32 reg; INT32 raw; } damaged[] = {
        // One-byte rows: MODBUS ID, Skelder ID and both Days Between Equalize.
        {0xE034, 65535}, {0xE034, -128}, {0xE034, 256}, {0xE034, -1},
        {0xE035, 65535}, {0xE008, -128}, {0xE015, 300},
        // Signed bytes: Max. and Min. Temperature Compensation.
        {0xE01E, 128}, {0xE01E, -129}, {0xE01F, 65535}, {0xE01F, 0xFFD8},
        // A 16-bit row.
        {0xE000, 65536}, {0xE000, -32769},
    };
    for (const auto& c : damaged)
    {
        EXPECT_FALSE(Load(settings, file(c.reg, c.raw))) << std::hex << c.reg << std::dec << " raw " << c.raw;
        ASSERT_EQ(before, RawValues(settings)) << std::hex << c.reg << std::dec << " raw " << c.raw;
    }
    EXPECT_EQ(7, settings.GetModbusId());

    const struct { UINT32 reg; INT32 raw; INT32 loaded; } valid[] = {
        {0xE008, 255, 255}, {0xE015, 0, 0},
        {0xE01E, 127, 127}, {0xE01F, -128, -128},
        {0xE000, 65535, 65535}, {0xE000, 0, 0},
        // A 16-bit row takes either reading of its word.
        {0xE02C, -1, 65535},
    };
    for (const auto& c : valid)
    {
        CMpptSettings loaded;
        ASSERT_TRUE(Load(loaded, file(c.reg, c.raw))) << std::hex << c.reg << std::dec << " raw " << c.raw;
        EXPECT_EQ(c.loaded, loaded.GetRawValue(c.reg)) << std::hex << c.reg << std::dec << " raw " << c.raw;
    }

    // The one-byte addresses at both ends of their ranges and past them.
    settings_test::ExpectAddressCases<CMpptSettings>(
        file, {{0xE034, 1, nullptr}, {0xE034, 247, nullptr},
               {0xE034, 0, "Modbus Address 0 is not in the range 1 to 247"},
               {0xE034, 248, "Modbus Address 248 is not in the range 1 to 247"},
               {0xE034, 250, "Modbus Address 250 is not in the range 1 to 247"},
               {0xE034, 255, "Modbus Address 255 is not in the range 1 to 247"},
               {0xE035, 1, nullptr}, {0xE035, 15, nullptr},
               {0xE035, 0, "Skelder Address 0 is not in the range 1 to 15"},
               {0xE035, 16, "Skelder Address 16 is not in the range 1 to 15"}});
    // Files holding what the one-byte registers cannot hold name the setting and its range
    // all the same (a read keeps only the low byte, so no settings hold these).
    settings_test::ExpectFileAddressCases<CMpptSettings>(
        file, {{0xE034, 256, "Modbus Address 256 is not in the range 1 to 247"},
               {0xE034, 257, "Modbus Address 257 is not in the range 1 to 247"},
               {0xE034, 504, "Modbus Address 504 is not in the range 1 to 247"},
               {0xE034, -1, "Modbus Address -1 is not in the range 1 to 247"},
               {0xE035, 256, "Skelder Address 256 is not in the range 1 to 15"},
               {0xE035, 504, "Skelder Address 504 is not in the range 1 to 15"}});
}

TEST(CorandelMpptFile, AFileWithoutTheLightingRowsGainsThemWithTheirDefaults)
{
    StoreBytes file;
    file.Int(1).Int(1).Int(40);
    for (int i = 0; i < 40; ++i)
        file.TableRow(CORANDEL_MPPT_DEFAULT_SETTINGS[i], i == 0 ? 4000 : CORANDEL_MPPT_DEFAULT_SETTINGS[i].raw);
    CMpptSettings settings;
    ASSERT_TRUE(Load(settings, file.bytes));
    ASSERT_EQ(53, settings.GetRowCount());
    EXPECT_EQ(4000, settings.GetRawValue(0xE000));
    for (int i = 40; i < 53; ++i)
    {
        EXPECT_EQ(CORANDEL_MPPT_DEFAULT_SETTINGS[i].registerAddress, settings.GetRowAtConst(i)->registerAddress);
        EXPECT_EQ(CORANDEL_MPPT_DEFAULT_SETTINGS[i].raw, settings.GetEntryValue(i));
    }
    EXPECT_EQ("turn on at sunset; turn off 2:00 after sunset", Text(settings, 0xE02E));
}

}  // namespace
