#include <gtest/gtest.h>

#include <vector>

#include "documents/BitReader_t.h"

TEST(BitReader, ReadsTheBitsOfEachByteInItsOrder)
{
    const std::vector<BYTE> bytes = {0xA5, 0x3C};
    BitReader_t lowFirst(bytes, BitReader_t::LEAST_SIGNIFICANT_FIRST);
    EXPECT_EQ(0x5u, lowFirst.ReadBits(4));
    EXPECT_EQ(0xCAu, lowFirst.ReadBits(8));   // the upper half of 0xA5 below the lower half of 0x3C
    EXPECT_FALSE(lowFirst.AtEnd());
    EXPECT_EQ(0x3u, lowFirst.ReadBits(4));
    EXPECT_TRUE(lowFirst.AtEnd());

    BitReader_t highFirst(bytes, BitReader_t::MOST_SIGNIFICANT_FIRST);
    EXPECT_EQ(0xAu, highFirst.ReadBits(4));
    EXPECT_EQ(0x53u, highFirst.ReadBits(8));
    EXPECT_EQ(0xCu, highFirst.ReadBits(4));
    EXPECT_TRUE(highFirst.AtEnd());
    EXPECT_FALSE(lowFirst.Failed() || highFirst.Failed());

    const std::vector<BYTE> word = {0x78, 0x56, 0x34, 0x12};
    EXPECT_EQ(0x12345678u, BitReader_t(word, BitReader_t::LEAST_SIGNIFICANT_FIRST).ReadBits(32));
    EXPECT_EQ(0x78563412u, BitReader_t(word, BitReader_t::MOST_SIGNIFICANT_FIRST).ReadBits(32));
}

TEST(BitReader, ReadingPastTheEndOrMoreThanThirtyTwoBitsFails)
{
    BitReader_t lowFirst({0xFF}, BitReader_t::LEAST_SIGNIFICANT_FIRST);
    EXPECT_EQ(0x0FFu, lowFirst.ReadBits(12));   // bits past the end are 0
    EXPECT_TRUE(lowFirst.Failed());
    BitReader_t highFirst({0xFF}, BitReader_t::MOST_SIGNIFICANT_FIRST);
    EXPECT_EQ(0xFF0u, highFirst.ReadBits(12));
    EXPECT_TRUE(highFirst.Failed());

    BitReader_t empty({}, BitReader_t::LEAST_SIGNIFICANT_FIRST);
    EXPECT_EQ(0u, empty.ReadBits(0));
    EXPECT_FALSE(empty.Failed());

    for (int count : {33, -1}) {
        BitReader_t reader(std::vector<BYTE>(8, 0xFF), BitReader_t::LEAST_SIGNIFICANT_FIRST);
        EXPECT_EQ(0u, reader.ReadBits(count)) << count;
        EXPECT_TRUE(reader.Failed()) << count;
    }
}
