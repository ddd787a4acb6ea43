#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "documents/TimeHelpers.h"

namespace {

std::string ParseErrorOf(const std::string& text)
{
    try {
        ParseUtcTimestamp(text);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace

TEST(UtcTimestamp, ParsesWholeSecondsOfAValidStamp)
{
    const COleDateTime date = ParseUtcTimestamp("2012-03-04T05:06:07.500+00:00");
    ASSERT_EQ(COleDateTime::valid, date.GetStatus());
    EXPECT_EQ(2012, date.GetYear());
    EXPECT_EQ(3, date.GetMonth());
    EXPECT_EQ(4, date.GetDay());
    EXPECT_EQ(5, date.GetHour());
    EXPECT_EQ(6, date.GetMinute());
    EXPECT_EQ(7, date.GetSecond());
}

TEST(UtcTimestamp, FormatsParsedValueWithZeroMilliseconds)
{
    EXPECT_EQ("2012-03-04T05:06:07.000+00:00",
              FormatUtcTimestamp(ParseUtcTimestamp("2012-03-04T05:06:07.999+00:00")));
    EXPECT_EQ("0999-12-31T23:59:59.000+00:00",
              FormatUtcTimestamp(ParseUtcTimestamp("999-12-31T23:59:59+00:00")));
}

TEST(UtcTimestamp, DaysAndTimesThatDoNotExistGiveInvalidDates)
{
    EXPECT_EQ(COleDateTime::invalid, ParseUtcTimestamp("2011-02-30T00:00:00.000+00:00").GetStatus());
    EXPECT_EQ(COleDateTime::invalid, ParseUtcTimestamp("2011-02-29T00:00:00.000+00:00").GetStatus());
    EXPECT_EQ(COleDateTime::valid, ParseUtcTimestamp("2012-02-29T00:00:00.000+00:00").GetStatus());
    EXPECT_EQ(COleDateTime::invalid, ParseUtcTimestamp("2012-13-01T00:00:00.000+00:00").GetStatus());
    EXPECT_EQ(COleDateTime::invalid, ParseUtcTimestamp("2012-01-01T24:00:00.000+00:00").GetStatus());
    EXPECT_EQ(COleDateTime::invalid, ParseUtcTimestamp("2012-01-01T10:60:00.000+00:00").GetStatus());
    EXPECT_EQ(COleDateTime::invalid, ParseUtcTimestamp("2012-01-01T10:00:60.000+00:00").GetStatus());
}

TEST(UtcTimestamp, FieldsTooLargeForASystemTimeDoNotWrapIntoValidDates)
{
    // 67548 wraps to 2012 in a 16-bit year field.
    EXPECT_EQ(COleDateTime::invalid, ParseUtcTimestamp("67548-03-04T05:06:07+00:00").GetStatus());
    EXPECT_EQ(COleDateTime::invalid, ParseUtcTimestamp("2012-65539-04T05:06:07+00:00").GetStatus());
    EXPECT_EQ(COleDateTime::invalid, ParseUtcTimestamp("2012-03-04T05:06:1e30+00:00").GetStatus());
    EXPECT_EQ(COleDateTime::invalid, ParseUtcTimestamp("2012-03-04T05:06:nan+00:00").GetStatus());
}

TEST(UtcTimestamp, TextThatIsNotAStampThrowsWithTheTextQuoted)
{
    EXPECT_EQ("timestamp '2012-03-04 05:06:07.000+00:00' isn't a format I know",
              ParseErrorOf("2012-03-04 05:06:07.000+00:00"));
    EXPECT_EQ("timestamp '' isn't a format I know", ParseErrorOf(""));
    EXPECT_EQ("timestamp '2012-03-04T05:06' isn't a format I know",
              ParseErrorOf("2012-03-04T05:06"));
    EXPECT_EQ("timestamp 'time' isn't a format I know", ParseErrorOf("time"));
}

TEST(UtcTimestamp, WhatFollowsTheSecondsIsNotExamined)
{
    const COleDateTime date = ParseUtcTimestamp("2012-03-04T05:06:07.000+02:00");
    EXPECT_EQ(5, date.GetHour());
}

TEST(UtcTimestamp, FormattingAnInvalidOrNullDateThrows)
{
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    COleDateTime null;
    null.SetStatus(COleDateTime::null);
    for (const COleDateTime& date : {invalid, null}) {
        try {
            FormatUtcTimestamp(date);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ("unable to convert DateTime to system time", error.what());
        }
    }
}

TEST(UtcTimestamp, NowHasTheFileFormAndIsTheCurrentUtcTime)
{
    SYSTEMTIME before;
    GetSystemTime(&before);
    const std::string now = FormatUtcNow();
    ASSERT_EQ(29u, now.size());
    EXPECT_EQ('T', now[10]);
    EXPECT_EQ('.', now[19]);
    EXPECT_EQ("+00:00", now.substr(23));
    for (size_t index : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u, 20u, 21u, 22u})
        EXPECT_TRUE(isdigit(static_cast<unsigned char>(now[index]))) << now;

    const COleDateTime parsed = ParseUtcTimestamp(now);
    ASSERT_EQ(COleDateTime::valid, parsed.GetStatus());
    const COleDateTimeSpan difference = parsed - COleDateTime(before);
    EXPECT_LE(std::abs(difference.GetTotalSeconds()), 5.0);
}

TEST(Duration, NamesHoursMinutesAndSeconds)
{
    EXPECT_EQ("0 seconds", FormatDuration(0));
    EXPECT_EQ("1 second", FormatDuration(1));
    EXPECT_EQ("2 seconds", FormatDuration(2));
    EXPECT_EQ("59 seconds", FormatDuration(59));
    EXPECT_EQ("1 minutes, 0 second", FormatDuration(60));
    EXPECT_EQ("1 minutes, 1 second", FormatDuration(61));
    EXPECT_EQ("2 minutes, 5 seconds", FormatDuration(125));
    EXPECT_EQ("1 hours, 0 minutes, 0 second", FormatDuration(3600));
    EXPECT_EQ("2 hours, 2 minutes, 2 seconds", FormatDuration(7322));
    EXPECT_EQ("1193046 hours, 28 minutes, 15 seconds", FormatDuration(4294967295u));
}
