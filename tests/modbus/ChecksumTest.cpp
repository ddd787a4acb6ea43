// CRC-16 and LRC against published Modbus frames.
#include <gtest/gtest.h>

#include "modbus/CLocalModbus.h"

#include <vector>

namespace {

WORD Crc(const std::vector<BYTE>& bytes)
{
    return ModbusCrc16(bytes.data(), static_cast<int>(bytes.size()));
}

BYTE Lrc(const std::vector<BYTE>& bytes)
{
    return ModbusLrc(bytes.data(), static_cast<int>(bytes.size()));
}

TEST(ModbusChecksum, Crc16PutsTheByteSentFirstHigh)
{
    // Read 3 registers from 0x006B of unit 0x11: the frame ends 76 87 on the wire.
    EXPECT_EQ(Crc({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}), 0x7687);
    EXPECT_EQ(Crc({0x01, 0x03, 0x00, 0x00, 0x00, 0x01}), 0x840A);
    EXPECT_EQ(Crc({0x01, 0x83, 0x02}), 0xC0F1);
}

TEST(ModbusChecksum, Crc16OfAnIntactFrameWithItsCrcIsZero)
{
    std::vector<BYTE> frame = {0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B};
    const WORD crc = Crc(frame);
    frame.push_back(HIBYTE(crc));
    frame.push_back(LOBYTE(crc));
    EXPECT_EQ(Crc(frame), 0);
    // Swapped CRC bytes no longer check out.
    std::swap(frame[7], frame[8]);
    EXPECT_NE(Crc(frame), 0);
}

TEST(ModbusChecksum, Crc16OfNothingIsTheStartValue)
{
    EXPECT_EQ(ModbusCrc16(nullptr, 0), 0xFFFF);
}

TEST(ModbusChecksum, LrcIsTheTwosComplementOfTheByteSum)
{
    EXPECT_EQ(Lrc({0xF7, 0x03, 0x13, 0x89, 0x00, 0x0A}), 0x60);
    EXPECT_EQ(Lrc({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}), 0x7E);
    EXPECT_EQ(Lrc({0x80, 0x80}), 0x00); // the sum wraps at 8 bits
    EXPECT_EQ(ModbusLrc(nullptr, 0), 0x00);
}

} // namespace
