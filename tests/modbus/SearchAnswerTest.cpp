// Reading the answer to the network search probe, and the text helpers it uses.
#include <gtest/gtest.h>

#include "modbus/SearchAnswer.h"

#include <stdexcept>
#include <string>

namespace {

TEST(SearchAnswerText, SplitKeepsEmptyPiecesAndTheTextAfterTheLastSeparator)
{
    const std::deque<std::string> pieces = SplitString("a\n\nb\n", '\n');
    ASSERT_EQ(4u, pieces.size());
    EXPECT_EQ("a", pieces[0]);
    EXPECT_EQ("", pieces[1]);
    EXPECT_EQ("b", pieces[2]);
    EXPECT_EQ("", pieces[3]);

    EXPECT_EQ(1u, SplitString("", '\n').size());
    EXPECT_EQ(1u, SplitString("no separator", '\n').size());
}

TEST(SearchAnswerText, ParseIntegerTakesBlanksAroundDigitsOnly)
{
    EXPECT_EQ(502, ParseInteger("502", 10));
    EXPECT_EQ(502, ParseInteger("502\r", 10));
    EXPECT_EQ(-7, ParseInteger("  -7 ", 10));
    EXPECT_EQ(0, ParseInteger("", 10));
    EXPECT_EQ(0, ParseInteger(" \r", 10));
    for (const char* bad : {"5x2", "x", "-", "12 3", "99999999999999999999"}) {
        try {
            ParseInteger(bad, 10);
            ADD_FAILURE() << "accepted \"" << bad << "\"";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ("string is not a number", error.what());
        }
    }
}

std::unique_ptr<ModbusEndpoint_t> Parse(const std::string& text)
{
    return ParseSearchAnswer(text.c_str(), "192.0.2.9");
}

TEST(SearchAnswer, SevenLinesDescribeOneNetworkDevice)
{
    auto endpoint = Parse("Quorvant Corp.\nQV-1000\n1.00\nBarn controller\nignored\n502\n3");
    ASSERT_TRUE(endpoint);
    EXPECT_EQ("Quorvant Corp.", endpoint->vendor);
    EXPECT_EQ("QV-1000", endpoint->productCode);
    EXPECT_EQ("1.00", endpoint->revision);
    EXPECT_EQ("Barn controller", endpoint->deviceText);
    EXPECT_TRUE(endpoint->network);
    EXPECT_EQ("192.0.2.9", endpoint->host);
    EXPECT_EQ(502, endpoint->port);
    EXPECT_EQ(3, endpoint->unitId);
}

TEST(SearchAnswer, CarriageReturnsAreStrippedFromEveryLine)
{
    auto endpoint = Parse("Quorvant Corp.\r\nQV-1000\r\n1.00\r\nText\r\n\r\n502\r\n3\r\n");
    ASSERT_TRUE(endpoint);
    EXPECT_EQ("Quorvant Corp.", endpoint->vendor);
    EXPECT_EQ("QV-1000", endpoint->productCode);
    EXPECT_EQ("1.00", endpoint->revision);
    EXPECT_EQ("Text", endpoint->deviceText);
    EXPECT_EQ(502, endpoint->port);
    EXPECT_EQ(3, endpoint->unitId);
}

TEST(SearchAnswer, ShortOrMalformedAnswersAreIgnored)
{
    EXPECT_FALSE(Parse("Quorvant Corp.\nQV-1000\n1.00\nText\n\n502"));          // 6 lines
    EXPECT_FALSE(Parse(""));
    EXPECT_FALSE(Parse("Quorvant Corp.\nQV-1000\n1.00\nText\n\n5O2\n3"));       // letter in port
    EXPECT_FALSE(Parse("Quorvant Corp.\nQV-1000\n1.00\nText\n\n502\nunit"));
    // A trailing line feed makes the seventh, empty line: unit id 0.
    auto endpoint = Parse("Quorvant Corp.\nQV-1000\n1.00\nText\n\n502\n");
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(0, endpoint->unitId);
}

TEST(SearchAnswer, LinesAfterTheSeventhAreIgnored)
{
    auto endpoint = Parse("V\nP\nR\nD\nx\n1502\n9\nmore\nand more");
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(1502, endpoint->port);
    EXPECT_EQ(9, endpoint->unitId);
}

} // namespace
