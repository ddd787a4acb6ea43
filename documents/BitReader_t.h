// Reads bit fields out of the bytes of one logged record, in either bit order.
#pragma once
#include "framework/FrameworkBase.h"

#include <cstddef>
#include <vector>

class BitReader_t
{
public:
    enum BitOrder_t
    {
        // The i-th bit read becomes bit i of the result; bits run upward in each byte.
        LEAST_SIGNIFICANT_FIRST,
        // Each bit read enters the result at the bottom; bits run downward in each byte.
        MOST_SIGNIFICANT_FIRST
    };

    BitReader_t(std::vector<BYTE> bytes, BitOrder_t order);

    // Up to 32 bits; more sets the error flag and gives 0. Bits past the end read as 0 and
    // set the error flag.
    DWORD ReadBits(int count);

    bool Failed() const { return m_failed; }
    // True when every bit of every byte has been read.
    bool AtEnd() const { return m_byteIndex >= m_bytes.size(); }

private:
    bool NextBit();

    std::vector<BYTE> m_bytes;
    BitOrder_t m_order;
    size_t m_byteIndex = 0;
    int m_bitsTakenInByte = 0;
    bool m_failed = false;
};
