#include "wizards/framework/SettingRow_t.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingRow, DefaultConstructedRowHasDocumentedDefaults)
{
    SettingRow_t row;
    EXPECT_EQ(0, row.raw);
    EXPECT_EQ(0u, row.registerAddress);
    EXPECT_TRUE(row.description.IsEmpty());
    EXPECT_TRUE(row.shortName.IsEmpty());
    EXPECT_FALSE(row.flag);
    EXPECT_TRUE(row.unit.IsEmpty());
    EXPECT_DOUBLE_EQ(1.0, row.scale);
    EXPECT_DOUBLE_EQ(0.0, row.defaultValue);
    EXPECT_FALSE(row.modified);
    EXPECT_STREQ("%.2f", row.format.GetString());
    EXPECT_EQ(SETTING_RAW_UINT16, row.rawType);
    EXPECT_EQ(nullptr, row.formatter);
}

TEST(SettingRow, ConstructorDerivesRawFromDefaultRoundingHalfAwayFromZero)
{
    // 50 / (100/417) is 208.5: a half that must go up, not to the even 208.
    SettingRow_t percent(0xE100, "Duty", "Duty cycle", true, "%", 100.0 / 417.0, 50.0, "%.0f",
                         SETTING_RAW_UINT16, nullptr);
    EXPECT_EQ(209, percent.raw);
    EXPECT_FALSE(percent.modified);
    EXPECT_EQ(0xE100u, percent.registerAddress);
    EXPECT_STREQ("Duty", percent.shortName.GetString());
    EXPECT_STREQ("Duty cycle", percent.description.GetString());
    EXPECT_STREQ("%", percent.unit.GetString());

    SettingRow_t negativeHalf(0xE101, "N", "", true, "", 1.0, -0.5, "%.0f", SETTING_RAW_UINT16,
                              nullptr);
    EXPECT_EQ(-1, negativeHalf.raw);
}

TEST(SettingRow, SetValueRoundsHalfAwayFromZeroBothWays)
{
    SettingRow_t row(0xE000, "R", "", true, "", 1.0, 0.0, "%.2f", SETTING_RAW_UINT16, nullptr);
    row.SetValue(2.5);
    EXPECT_EQ(3, row.raw);
    row.SetValue(-2.5);
    EXPECT_EQ(-3, row.raw);
    row.SetValue(2.49);
    EXPECT_EQ(2, row.raw);
    row.SetValue(-2.49);
    EXPECT_EQ(-2, row.raw);

    // A fractional scale: 1.25 / 0.5 = 2.5 counts.
    row.scale = 0.5;
    row.SetValue(1.25);
    EXPECT_EQ(3, row.raw);
}

TEST(SettingRow, DegenerateScalesGiveDefinedRawValues)
{
    // The end row of a table has scale 0; a file may carry any scale at all.
    SettingRow_t endRow(0, "", "", false, "", 0.0, 0.0, "", SETTING_RAW_UINT16, nullptr);
    EXPECT_EQ(0, endRow.raw);
    EXPECT_EQ(0, SettingRow_t::ValueToRaw(5.0, 0.0));
    EXPECT_EQ(2147483647, SettingRow_t::ValueToRaw(1e12, 1.0));
    EXPECT_EQ(-2147483647 - 1, SettingRow_t::ValueToRaw(-1e12, 1.0));
}

TEST(SettingRow, CopyKeepsEveryField)
{
    SettingRow_t original(0xE002, "Time", "Time before", true, "s", 0.1, 300.0, "", SETTING_RAW_INT8,
                          FormatDurationHms);
    original.modified = true;
    SettingRow_t copy(original);
    EXPECT_EQ(3000, copy.raw);
    EXPECT_TRUE(copy.modified);
    EXPECT_EQ(SETTING_RAW_INT8, copy.rawType);
    EXPECT_EQ(&FormatDurationHms, copy.formatter);
    EXPECT_DOUBLE_EQ(0.1, copy.scale);
    EXPECT_DOUBLE_EQ(300.0, copy.defaultValue);
    EXPECT_STREQ("Time before", copy.description.GetString());
}

TEST(SettingRow, RegisterRangeAndDeviceWordsByRawType)
{
    struct Case
    {
        INT32 rawType;
        INT32 lowest;
        INT32 highest;
        INT32 fromWordFFF6;
        INT32 fromWord1F7F;
    };
    const Case cases[] = {
        {SETTING_RAW_INT8, -128, 127, -10, 127},
        {SETTING_RAW_UINT16, 0, 65535, 0xFFF6, 0x1F7F},
        {SETTING_RAW_UINT8, 0, 255, 0xFFF6, 0x1F7F},
        {SETTING_RAW_INT16, -32768, 32767, -10, 0x1F7F},
    };
    for (const Case& c : cases)
    {
        SettingRow_t row(0xE000, "R", "", true, "V", 0.5, 0.0, "%.2f", c.rawType, nullptr);
        EXPECT_EQ(c.lowest, row.GetRawMinimum()) << c.rawType;
        EXPECT_EQ(c.highest, row.GetRawMaximum()) << c.rawType;
        EXPECT_TRUE(row.RawFits(c.lowest)) << c.rawType;
        EXPECT_TRUE(row.RawFits(c.highest)) << c.rawType;
        EXPECT_FALSE(row.RawFits(c.lowest - 1)) << c.rawType;
        EXPECT_FALSE(row.RawFits(c.highest + 1)) << c.rawType;
        EXPECT_DOUBLE_EQ(c.lowest * 0.5, row.GetMinimumValue()) << c.rawType;
        EXPECT_DOUBLE_EQ(c.highest * 0.5, row.GetMaximumValue()) << c.rawType;
        EXPECT_EQ(c.fromWordFFF6, row.RawFromWord(0xFFF6)) << c.rawType;
        EXPECT_EQ(c.fromWord1F7F, row.RawFromWord(0x1F7F)) << c.rawType;
        row.raw = -10;
        EXPECT_EQ(0xFFF6, row.RawToWord()) << c.rawType;
    }
    // A negative scale turns the engineering range round.
    SettingRow_t negative(0xE000, "R", "", true, "V", -2.0, 0.0, "%.2f", SETTING_RAW_UINT16, nullptr);
    EXPECT_DOUBLE_EQ(-131070.0, negative.GetMinimumValue());
    EXPECT_DOUBLE_EQ(0.0, negative.GetMaximumValue());
}

TEST(FormatDurationHms, ShowsHoursOnlyWhenThereAreAny)
{
    EXPECT_STREQ("1h:02m:05s", FormatDurationHms(3725).GetString());
    EXPECT_STREQ("0m:59s", FormatDurationHms(59).GetString());
    EXPECT_STREQ("3h:00m:00s", FormatDurationHms(10800).GetString());
    EXPECT_STREQ("59m:59s", FormatDurationHms(3599).GetString());
    EXPECT_STREQ("0m:00s", FormatDurationHms(0).GetString());
}

TEST(FormatDurationHms, TruncatesToWholeSeconds)
{
    EXPECT_STREQ("0m:59s", FormatDurationHms(59.9).GetString());
    EXPECT_STREQ("1m:00s", FormatDurationHms(60.0).GetString());
}

}  // namespace
