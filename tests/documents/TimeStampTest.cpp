#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "documents/CUtcTimestampParser.h"
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

namespace {

// The parser's reading of a stamp is ParseUtcTimestamp's: the same value and status, or
// the same error.
void ExpectParsedAlike(CUtcTimestampParser& parser, const std::string& text)
{
    std::string expectedError = "no error";
    COleDateTime expected;
    try {
        expected = ParseUtcTimestamp(text);
    } catch (const std::runtime_error& error) {
        expectedError = error.what();
    }
    std::string error = "no error";
    COleDateTime parsed;
    try {
        parsed = parser.Parse(text);
    } catch (const std::runtime_error& thrown) {
        error = thrown.what();
    }
    ASSERT_EQ(expectedError, error) << text;
    ASSERT_EQ(expected.GetStatus(), parsed.GetStatus()) << text;
    if (expected.GetStatus() == COleDateTime::valid) {
        ASSERT_EQ(DATE(expected), DATE(parsed)) << text;
    }
}

}  // namespace

TEST(UtcTimestampParser, EverySecondsFractionReadsAsTheScanfReadingDoes)
{
    // The float rounding of the seconds decides the milliseconds: all of them, on two days.
    CUtcTimestampParser parser;
    char text[40];
    for (const char* day : {"2024-01-31", "1900-03-01"}) {
        for (int milliseconds = 0; milliseconds < 60000; ++milliseconds) {
            std::snprintf(text, sizeof text, "%sT23:59:%02d.%03d+00:00", day, milliseconds / 1000,
                          milliseconds % 1000);
            ASSERT_NO_FATAL_FAILURE(ExpectParsedAlike(parser, text));
        }
    }
}

TEST(UtcTimestampParser, DatesChangingFromLineToLineAndOtherFormsReadAsBefore)
{
    CUtcTimestampParser parser;
    const char* const stamps[] = {
        "2024-02-28T23:00:00.000+00:00", "2024-02-29T00:00:00.000+00:00", "2024-02-29T13:14:15.000+00:00",
        // A day that does not exist between two that do, then its text again after another.
        "2024-02-30T01:00:00.000+00:00", "2024-03-01T01:00:00.000+00:00", "2024-02-30T02:00:00.000+00:00",
        "2023-02-29T00:00:00.000+00:00", "2023-02-28T24:00:00.000+00:00", "2023-02-28T23:60:00.000+00:00",
        "2023-02-28T23:59:60.000+00:00", "0000-00-00T00:00:00.000+00:00", "9999-12-31T23:59:59.999+00:00",
        "1899-12-30T00:00:00.000+00:00", "1601-01-01T12:00:00.500+00:00",
        // Forms the writer does not produce still take the lenient reading.
        "2024-02-29T13:14:15+00:00", "2024-2-29T1:2:3.5+00:00", "2024-02-29T13:14:15.000+02:00",
        "2024-02-29T13:14:15.0000+00:00", "2024-02-29T13:14:1e1+00:00", " 2024-02-29T13:14:15.000+00:00",
        "2024-02-29T13:14:15.000", "2024-02-29 13:14:15.000+00:00", "2024-02-29T13:14", "", "time",
        "2024-02-29T13:14:15.000+00:00"};
    for (const char* stamp : stamps)
        ASSERT_NO_FATAL_FAILURE(ExpectParsedAlike(parser, stamp));
    EXPECT_EQ(COleDateTime::invalid, parser.Parse("2024-02-30T01:00:00.000+00:00").GetStatus());
    EXPECT_EQ("2024-03-01T01:00:00.000+00:00", FormatUtcTimestamp(parser.Parse("2024-03-01T01:00:00.000+00:00")));
}
