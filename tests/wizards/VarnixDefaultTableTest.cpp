#include "wizards/framework/CStorageVarnixConfig.h"
#include "wizards/framework/VarnixDefaultSettings.h"

#include <gtest/gtest.h>

namespace {

const double BATTERY_VOLTS_PER_COUNT = 96.667 / 32768;

TEST(VarnixDefaultTable, HoldsThirtyNineSetpointsInRegisterOrderThenTheEndRow)
{
    const SettingRow_t& end = VARNIX_DEFAULT_SETTINGS[VARNIX_DEFAULT_SETTINGS_COUNT - 1];
    EXPECT_EQ(0u, end.registerAddress);
    EXPECT_FALSE(end.flag);
    EXPECT_EQ(0, end.raw);

    EXPECT_EQ(0xE000u, VARNIX_DEFAULT_SETTINGS[0].registerAddress);
    EXPECT_EQ(0xE023u, VARNIX_DEFAULT_SETTINGS[35].registerAddress);
    EXPECT_EQ(0xE040u, VARNIX_DEFAULT_SETTINGS[36].registerAddress);
    EXPECT_EQ(0xE042u, VARNIX_DEFAULT_SETTINGS[38].registerAddress);
    for (int i = 1; i < VARNIX_DEFAULT_SETTINGS_COUNT - 1; ++i)
    {
        EXPECT_LT(VARNIX_DEFAULT_SETTINGS[i - 1].registerAddress, VARNIX_DEFAULT_SETTINGS[i].registerAddress)
            << "row " << i;
        EXPECT_FALSE(VARNIX_DEFAULT_SETTINGS[i].modified) << "row " << i;
    }
}

TEST(VarnixDefaultTable, OnlyTheEepromCountersAreNotSetpoints)
{
    for (int i = 0; i < VARNIX_DEFAULT_SETTINGS_COUNT - 1; ++i)
    {
        const SettingRow_t& row = VARNIX_DEFAULT_SETTINGS[i];
        const bool counter = row.registerAddress == 0xE00D || row.registerAddress == 0xE023;
        EXPECT_EQ(!counter, row.flag) << std::hex << row.registerAddress;
    }
}

TEST(VarnixDefaultTable, StoreStartsWithTheTableRowsAndTheirValues)
{
    CStorageVarnixConfig store(255);
    ASSERT_EQ(39, store.GetRowCount());
    // Lookups stop before the end row.
    EXPECT_EQ(nullptr, store.FindRowConst(0));

    EXPECT_EQ(4780, store.GetRawValue(0xE000));
    EXPECT_NEAR(14.10, store.GetValue(static_cast<UINT32>(0xE000)), BATTERY_VOLTS_PER_COUNT / 2);

    // Negative scale: a negative value gives a positive count.
    EXPECT_EQ(20, store.GetRawValue(0xE00A));
    EXPECT_NEAR(-0.030, store.GetValue(static_cast<UINT32>(0xE00A)), 0.001);
    EXPECT_STREQ("%05.3f", store.FindRowConst(0xE00A)->format.GetString());

    const SettingRow_t* tempCompLo = store.FindRowConst(0xE020);
    ASSERT_NE(nullptr, tempCompLo);
    EXPECT_EQ(SETTING_RAW_INT8, tempCompLo->rawType);
    EXPECT_EQ(-40, tempCompLo->raw);
    EXPECT_STREQ("deg C", tempCompLo->unit.GetString());
    // The device word of -40 as a signed byte reads back as -40.
    ASSERT_TRUE(store.SetEntryValue(store.FindIndex(0xE020), 0x00D8));
    EXPECT_DOUBLE_EQ(-40.0, store.GetValue(static_cast<UINT32>(0xE020)));
}

TEST(VarnixDefaultTable, SpotChecksOfDefaultsScalesAndTexts)
{
    CStorageVarnixConfig store(255);
    EXPECT_DOUBLE_EQ(1.0, store.GetValue(static_cast<UINT32>(0xE021)));   // Server ID
    EXPECT_DOUBLE_EQ(1.0, store.GetValue(static_cast<UINT32>(0xE040)));   // Skelder ID
    EXPECT_DOUBLE_EQ(28.0, store.GetValue(static_cast<UINT32>(0xE007)));
    EXPECT_DOUBLE_EQ(60.0, store.GetValue(static_cast<UINT32>(0xE022)));

    const SettingRow_t* lvdWarning = store.FindRowConst(0xE014);
    ASSERT_NE(nullptr, lvdWarning);
    EXPECT_EQ(3000, lvdWarning->raw);   // tenths of a second
    EXPECT_EQ(&FormatDurationHms, lvdWarning->formatter);
    EXPECT_STREQ("", lvdWarning->format.GetString());
    EXPECT_STREQ("sec", lvdWarning->unit.GetString());

    const SettingRow_t* lastEqualize = store.FindRowConst(0xE00D);
    ASSERT_NE(nullptr, lastEqualize);
    EXPECT_DOUBLE_EQ(-255.0, lastEqualize->scale);
    EXPECT_STREQ("Days since last equalize", lastEqualize->description.GetString());

    // 30 % at 100/256 % per count is 76.8 counts.
    EXPECT_EQ(77, store.GetRawValue(0xE041));
    EXPECT_DOUBLE_EQ(0.305 / 65536, store.FindRowConst(0xE013)->scale);
    EXPECT_EQ(1884, store.GetRawValue(0xE018));   // 8 V / (139.15/32768) = 1883.9
    EXPECT_STREQ("Y/R -> R blink", store.FindRowConst(0xE01E)->shortName.GetString());
    EXPECT_STREQ("Time before entering float due to low battery",
                 store.FindRowConst(0xE003)->description.GetString());
    EXPECT_EQ(7200, store.GetRawValue(0xE003));
    EXPECT_EQ(0, store.GetRawValue(0xE011));
}

}  // namespace
