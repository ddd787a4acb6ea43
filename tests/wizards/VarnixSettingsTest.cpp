#include "tests/wizards/SettingsFileBytes.h"
#include "wizards/framework/VarnixDefaultSettings.h"
#include "wizards/varnix/CVarnixSettings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using settings_test::Bytes;
using settings_test::StoreBytes;
using settings_test::RawValues;

Bytes Save(CVarnixSettings& settings) { return settings_test::SaveSettings(settings); }
bool Load(CVarnixSettings& settings, const Bytes& bytes) { return settings_test::LoadSettings(settings, bytes); }

const UINT32 REG_TIMER_1 = 0xE015;
const UINT32 REG_TIMER_2 = 0xE016;
const UINT32 REG_LIGHTING_BITS = 0xE017;

std::set<UINT32> UsedRegisters(const CVarnixSettings& settings)
{
    std::set<UINT32> used;
    for (int i = 0; i < settings.GetRowCount(); ++i)
    {
        const UINT32 reg = settings.GetRowAtConst(i)->registerAddress;
        if (settings.IsUsed(reg))
            used.insert(reg);
    }
    return used;
}

std::string Text(const CVarnixSettings& settings, UINT32 reg, int system = VARNIX_SYSTEM_12V)
{
    return settings.GetValueText(reg, system).StdString();
}

TEST(VarnixSettings, NewSettingsHaveNoModeAndShowNothing)
{
    CVarnixSettings settings;
    EXPECT_EQ(VARNIX_MODE_NONE, settings.GetMode());
    EXPECT_STREQ("unknown", settings.GetModeName().GetString());
    EXPECT_EQ(39, settings.GetRowCount());
    EXPECT_EQ(255, settings.GetSourceId());
    EXPECT_TRUE(UsedRegisters(settings).empty());
    EXPECT_EQ(1, settings.GetModbusId());
    EXPECT_EQ(1, settings.GetSkelderId());

    const char* names[] = {"unknown", "Solar Charge", "Load", "Diversion", "Lighting", "unknown"};
    for (int mode = 0; mode <= 5; ++mode)
    {
        settings.SetMode(mode);
        EXPECT_STREQ(names[mode], settings.GetModeName().GetString()) << mode;
    }
    settings.SetMode(-1);
    EXPECT_TRUE(UsedRegisters(settings).empty());
}

TEST(VarnixSettings, EachModeListsItsSetpoints)
{
    CVarnixSettings settings;
    const std::set<UINT32> leds = {0xE01B, 0xE01C, 0xE01D, 0xE01E};
    auto with = [&leds](std::set<UINT32> registers) {
        registers.insert(leds.begin(), leds.end());
        return registers;
    };

    settings.SetMode(VARNIX_MODE_SOLAR_CHARGE);
    EXPECT_EQ(with({0xE000, 0xE001, 0xE002, 0xE003, 0xE004, 0xE005, 0xE006, 0xE007, 0xE008, 0xE009, 0xE00A,
                    0xE00E, 0xE01F, 0xE020, 0xE022, 0xE041}),
              UsedRegisters(settings));
    settings.SetMode(VARNIX_MODE_LOAD);
    EXPECT_EQ(with({0xE00F, 0xE010, 0xE013, 0xE014}), UsedRegisters(settings));
    settings.SetMode(VARNIX_MODE_DIVERSION);
    EXPECT_EQ(with({0xE000, 0xE001, 0xE002, 0xE006, 0xE007, 0xE008, 0xE009, 0xE00A, 0xE00B, 0xE00C, 0xE00E,
                    0xE01F, 0xE020, 0xE022}),
              UsedRegisters(settings));
    settings.SetMode(VARNIX_MODE_LIGHTING);
    EXPECT_EQ(with({0xE00F, 0xE010, 0xE013, 0xE014, 0xE015, 0xE016, 0xE018, 0xE019, 0xE01A}),
              UsedRegisters(settings));

    // Stages switched off by a zero take their dependants with them.
    settings.SetMode(VARNIX_MODE_SOLAR_CHARGE);
    ASSERT_TRUE(settings.SetValue(0xE004, 0));
    ASSERT_TRUE(settings.SetValue(0xE006, 0));
    EXPECT_EQ(with({0xE000, 0xE001, 0xE002, 0xE005, 0xE00A, 0xE00E, 0xE01F, 0xE020, 0xE022, 0xE041}),
              UsedRegisters(settings));
    ASSERT_TRUE(settings.SetValue(0xE001, 0));
    EXPECT_EQ(with({0xE000, 0xE00A, 0xE01F, 0xE020, 0xE022, 0xE041}), UsedRegisters(settings));

    settings.SetMode(VARNIX_MODE_DIVERSION);
    ASSERT_TRUE(settings.SetValue(0xE00B, 0));
    EXPECT_FALSE(settings.IsUsed(0xE00C));

    settings.SetMode(VARNIX_MODE_LOAD);
    ASSERT_TRUE(settings.SetValue(0xE011, 15.0));
    ASSERT_TRUE(settings.SetValue(0xE013, 0));
    EXPECT_EQ(with({0xE00F, 0xE010, 0xE011, 0xE012, 0xE014}), UsedRegisters(settings));

    // Lighting timer 2 is listed unless the bits say dusk to dawn with timer 2 at zero.
    settings.SetMode(VARNIX_MODE_LIGHTING);
    ASSERT_TRUE(settings.SetValue(REG_TIMER_2, 0));
    EXPECT_FALSE(settings.IsUsed(REG_TIMER_2));
    ASSERT_TRUE(settings.SetValue(REG_LIGHTING_BITS, 3));
    EXPECT_TRUE(settings.IsUsed(REG_TIMER_2));
    ASSERT_TRUE(settings.SetValue(REG_TIMER_1, 0));
    EXPECT_FALSE(settings.IsUsed(REG_TIMER_1));
    // Addresses and counters are never listed.
    for (UINT32 reg : {0xE00Du, 0xE017u, 0xE021u, 0xE023u, 0xE040u, 0xE042u})
    {
        for (int mode = 1; mode <= 4; ++mode)
        {
            settings.SetMode(mode);
            EXPECT_FALSE(settings.IsUsed(reg)) << std::hex << reg << " mode " << mode;
        }
    }
}

TEST(VarnixSettings, ValueTextsAtTheThreeSystemVoltages)
{
    CVarnixSettings settings;
    EXPECT_EQ("14.10", Text(settings, 0xE000, VARNIX_SYSTEM_12V));
    EXPECT_EQ("28.20", Text(settings, 0xE000, VARNIX_SYSTEM_24V));
    EXPECT_EQ("56.40", Text(settings, 0xE000, VARNIX_SYSTEM_48V));
    for (int s = 0; s < 3; ++s)
    {
        EXPECT_EQ("28", Text(settings, 0xE007, s)) << "unit day";
        EXPECT_EQ("1h:00m:00s", Text(settings, 0xE002, s)) << "formatter, no factor";
        EXPECT_EQ("80", Text(settings, 0xE01F, s));
        EXPECT_EQ("0.020", Text(settings, 0xE013, s)) << "unit ohm";
        EXPECT_EQ("30", Text(settings, 0xE041, s)) << "unit %";
    }
    EXPECT_EQ("5m:00s", Text(settings, 0xE014)) << "tenths of a second";
    EXPECT_EQ("3h:00m:00s", Text(settings, 0xE008));
    EXPECT_EQ("-0.030", Text(settings, 0xE00A));
    EXPECT_EQ("-0.059", Text(settings, 0xE00A, VARNIX_SYSTEM_24V));
    EXPECT_EQ("-0.118", Text(settings, 0xE00A, VARNIX_SYSTEM_48V));
    EXPECT_EQ("-40", Text(settings, 0xE020));
}

TEST(VarnixSettings, LightingTimersCountSignedSecondsFromDuskOrDawn)
{
    CVarnixSettings settings;
    settings.SetMode(VARNIX_MODE_LIGHTING);
    ASSERT_TRUE(settings.SetValue(REG_LIGHTING_BITS, 15));
    ASSERT_TRUE(settings.SetValue(REG_TIMER_2, 0));
    EXPECT_EQ("Dusk To Dawn", Text(settings, REG_TIMER_1));
    EXPECT_FALSE(settings.IsUsed(REG_TIMER_2));

    ASSERT_TRUE(settings.SetValue(REG_LIGHTING_BITS, 3));
    ASSERT_TRUE(settings.SetValue(REG_TIMER_1, -5400));
    EXPECT_EQ("1h:30m:00s before dawn", Text(settings, REG_TIMER_1));
    ASSERT_TRUE(settings.SetValue(REG_LIGHTING_BITS, 4));
    EXPECT_EQ("1h:30m:00s before dusk", Text(settings, REG_TIMER_1, VARNIX_SYSTEM_48V));
    ASSERT_TRUE(settings.SetValue(REG_TIMER_2, 9000));
    EXPECT_EQ("2h:30m:00s after dusk", Text(settings, REG_TIMER_2));
    ASSERT_TRUE(settings.SetValue(REG_LIGHTING_BITS, 8));
    EXPECT_EQ("2h:30m:00s after dawn", Text(settings, REG_TIMER_2));
    ASSERT_TRUE(settings.SetValue(REG_TIMER_2, -59));
    EXPECT_EQ("0h:00m:59s before dawn", Text(settings, REG_TIMER_2));

    // A "before" programmed as a 16-bit word reads back as the same "before".
    const int index = settings.FindIndex(REG_TIMER_1);
    const SettingRow_t* timer = settings.GetRowAtConst(index);
    EXPECT_EQ(SETTING_RAW_INT16, timer->rawType);
    EXPECT_EQ(0xEAE8, timer->RawToWord());
    CVarnixSettings readBack;
    readBack.SetMode(VARNIX_MODE_LIGHTING);
    ASSERT_TRUE(readBack.SetValue(REG_LIGHTING_BITS, 3));
    ASSERT_TRUE(readBack.SetEntryValue(index, timer->RawToWord()));
    EXPECT_EQ(-5400, readBack.GetRawValue(REG_TIMER_1));
    EXPECT_EQ("1h:30m:00s before dawn", Text(readBack, REG_TIMER_1));
    ASSERT_TRUE(readBack.SetEntryValue(index, 0x7FFF));
    EXPECT_EQ(32767, readBack.GetRawValue(REG_TIMER_1));
    // A timer holds what a signed 16-bit register holds.
    EXPECT_TRUE(timer->RawFits(-32768));
    EXPECT_FALSE(timer->RawFits(32768));
    EXPECT_FALSE(timer->RawFits(86400));
}

TEST(VarnixSettings, AddressesAndAssignment)
{
    CVarnixSettings settings;
    ASSERT_TRUE(settings.SetModbusId(42));
    ASSERT_TRUE(settings.SetSkelderId(7));
    EXPECT_EQ(42, settings.GetModbusId());
    EXPECT_EQ(7, settings.GetSkelderId());
    EXPECT_EQ(42, settings.GetRawValue(0xE021));
    EXPECT_EQ(7, settings.GetRawValue(0xE040));
    settings.SetMode(VARNIX_MODE_DIVERSION);

    CVarnixSettings copy;
    copy.AssignSettings(settings);
    EXPECT_EQ(VARNIX_MODE_DIVERSION, copy.GetMode());
    EXPECT_EQ(RawValues(settings), RawValues(copy));
    ASSERT_TRUE(settings.SetModbusId(3));
    EXPECT_EQ(42, copy.GetModbusId());
    copy.AssignSettings(copy);
    EXPECT_EQ(VARNIX_MODE_DIVERSION, copy.GetMode());
    EXPECT_EQ(39, copy.GetRowCount());
}

TEST(VarnixFile, QvarnixBytesAreVersionModeAndTheStore)
{
    CVarnixSettings settings;
    settings.SetMode(VARNIX_MODE_LIGHTING);
    ASSERT_TRUE(settings.SetValue(REG_TIMER_1, -5400));
    const Bytes bytes = Save(settings);

    StoreBytes head;
    head.Int(1).Int(4).Int(1).Int(39)
        .Row(0xE000, "Regulation", "Regulation voltage at 25 deg C", 1, "V", 96.667 / 32768, 14.1, 4780);
    ASSERT_GE(bytes.size(), head.bytes.size());
    EXPECT_EQ(head.bytes, Bytes(bytes.begin(), bytes.begin() + head.bytes.size()));

    StoreBytes whole;
    whole.Int(1).Int(4).Int(1).Int(39);
    for (int i = 0; i < 39; ++i)
        whole.TableRow(VARNIX_DEFAULT_SETTINGS[i], settings.GetEntryValue(i));
    EXPECT_EQ(whole.bytes, bytes);
    // The "before" is stored as a negative count.
    EXPECT_EQ(-5400, settings.GetRawValue(REG_TIMER_1));

    CVarnixSettings loaded;
    ASSERT_TRUE(Load(loaded, bytes));
    EXPECT_EQ(VARNIX_MODE_LIGHTING, loaded.GetMode());
    EXPECT_EQ(RawValues(settings), RawValues(loaded));
    EXPECT_EQ(bytes, Save(loaded));
}

TEST(VarnixFile, FailedLoadsKeepModeAndRows)
{
    CVarnixSettings source;
    source.SetMode(VARNIX_MODE_LOAD);
    ASSERT_TRUE(source.SetValue(0xE00F, 11.0));
    const Bytes good = Save(source);

    CVarnixSettings settings;
    settings.SetMode(VARNIX_MODE_SOLAR_CHARGE);
    ASSERT_TRUE(settings.SetValue(0xE000, 14.4));
    const std::vector<INT32> before = RawValues(settings);
    auto unchanged = [&](const char* what) {
        EXPECT_EQ(VARNIX_MODE_SOLAR_CHARGE, settings.GetMode()) << what;
        EXPECT_EQ(before, RawValues(settings)) << what;
    };

    for (size_t length = 0; length < good.size(); ++length)
    {
        EXPECT_FALSE(Load(settings, Bytes(good.begin(), good.begin() + length))) << "cut at " << length;
        ASSERT_EQ(VARNIX_MODE_SOLAR_CHARGE, settings.GetMode()) << "cut at " << length;
        ASSERT_EQ(before, RawValues(settings)) << "cut at " << length;
    }
    Bytes version2 = good;
    version2[0] = 2;
    EXPECT_FALSE(Load(settings, version2));
    unchanged("file version 2");
    // The store's own version is reported too, not taken for success.
    Bytes storeVersion2 = good;
    storeVersion2[8] = 2;
    EXPECT_FALSE(Load(settings, storeVersion2));
    unchanged("store version 2");
    Bytes mode9 = good;
    mode9[4] = 9;
    EXPECT_FALSE(Load(settings, mode9));
    unchanged("mode 9");

    ASSERT_TRUE(Load(settings, good));
    EXPECT_EQ(VARNIX_MODE_LOAD, settings.GetMode());
    EXPECT_EQ(RawValues(source), RawValues(settings));
}

TEST(VarnixFile, ValuesTheRegistersOrAddressRangesCannotHoldAreRefused)
{
    // A lighting-mode file of the factory set with the raw value of one row changed.
    auto file = [](UINT32 reg, INT32 raw) {
        StoreBytes bytes;
        bytes.Int(1).Int(VARNIX_MODE_LIGHTING).Int(1).Int(settings_test::TableRowCount(VARNIX_DEFAULT_SETTINGS))
            .TableRowsWith(VARNIX_DEFAULT_SETTINGS, reg, raw);
        return bytes.bytes;
    };
    CVarnixSettings factory;
    factory.SetMode(VARNIX_MODE_LIGHTING);
    ASSERT_EQ(Save(factory), file(0xE021, 1));

    CVarnixSettings settings;
    settings.SetMode(VARNIX_MODE_LOAD);
    ASSERT_TRUE(settings.SetValue(0xE020, -20));
    const std::vector<INT32> before = RawValues(settings);
    const struct { UINT32 reg; INT32 raw; } damaged[] = {
        // Temp Comp Hi and Lo hold signed bytes.
        {0xE01F, 128}, {0xE01F, 200}, {0xE01F, 65535}, {0xE020, -129}, {0xE020, 0xFFD8},
        // The signed lighting timer and an unsigned word.
        {REG_TIMER_1, 65536}, {REG_TIMER_2, -32769}, {0xE021, 70000},
    };
    for (const auto& c : damaged)
    {
        EXPECT_FALSE(Load(settings, file(c.reg, c.raw))) << std::hex << c.reg << std::dec << " raw " << c.raw;
        ASSERT_EQ(before, RawValues(settings)) << std::hex << c.reg << std::dec << " raw " << c.raw;
        ASSERT_EQ(VARNIX_MODE_LOAD, settings.GetMode());
    }

    const struct { UINT32 reg; INT32 raw; INT32 loaded; } valid[] = {
        {0xE01F, 127, 127}, {0xE020, -128, -128}, {REG_TIMER_1, -32768, -32768}, {REG_TIMER_1, 32768, -32768},
    };
    for (const auto& c : valid)
    {
        CVarnixSettings loaded;
        ASSERT_TRUE(Load(loaded, file(c.reg, c.raw))) << std::hex << c.reg << std::dec << " raw " << c.raw;
        EXPECT_EQ(c.loaded, loaded.GetRawValue(c.reg)) << std::hex << c.reg << std::dec << " raw " << c.raw;
        EXPECT_EQ(VARNIX_MODE_LIGHTING, loaded.GetMode());
    }

    // The server ID and the Skelder ID at both ends of their ranges and past them.
    settings_test::ExpectAddressCases<CVarnixSettings>(
        file, {{0xE021, 1, nullptr}, {0xE021, 247, nullptr},
               {0xE021, 0, "Modbus Address 0 is not in the range 1 to 247"},
               {0xE021, 248, "Modbus Address 248 is not in the range 1 to 247"},
               {0xE021, 300, "Modbus Address 300 is not in the range 1 to 247"},
               {0xE021, 65535, "Modbus Address 65535 is not in the range 1 to 247"},
               {0xE040, 1, nullptr}, {0xE040, 15, nullptr},
               {0xE040, 0, "Skelder Address 0 is not in the range 1 to 15"},
               {0xE040, 16, "Skelder Address 16 is not in the range 1 to 15"}});
    CVarnixSettings refused;
    refused.SetMode(VARNIX_MODE_LOAD);
    EXPECT_FALSE(Load(refused, file(0xE021, 0)));
    EXPECT_EQ(VARNIX_MODE_LOAD, refused.GetMode()) << "the mode stays with the rows";
}

TEST(VarnixFile, OlderFilesWithUnsignedTimerWordsReadAsTheDeviceWould)
{
    // A file whose timer holds the unsigned form of a "before" (0xEAE8 = -5400 s) and a
    // voltage row with a scale of 0: the timer reads as the signed word, the row takes
    // the table's scale, and the rows the file lacks come with their defaults.
    StoreBytes file;
    file.Int(1).Int(4).Int(1).Int(2)
        .TableRow(VARNIX_DEFAULT_SETTINGS[21], 0xEAE8)
        .Row(0xE000, "Regulation", "", 1, "V", 0.0, 14.1, 4881);
    CVarnixSettings settings;
    ASSERT_TRUE(Load(settings, file.bytes));
    EXPECT_EQ(39, settings.GetRowCount());
    EXPECT_EQ(-5400, settings.GetRawValue(REG_TIMER_1));
    EXPECT_NEAR(14.4, settings.GetValue(static_cast<UINT32>(0xE000)), 0.002);
    EXPECT_EQ(3600, settings.GetRawValue(REG_TIMER_2));
    EXPECT_EQ(VARNIX_MODE_LIGHTING, settings.GetMode());
}

}  // namespace
