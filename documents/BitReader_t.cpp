#include "documents/BitReader_t.h"

#include <utility>

namespace {
const int MAX_BITS_PER_READ = 32;
const int BITS_PER_BYTE = 8;
}  // namespace

BitReader_t::BitReader_t(std::vector<BYTE> bytes, BitOrder_t order)
    : m_bytes(std::move(bytes)), m_order(order)
{
}

bool BitReader_t::NextBit()
{
    if (m_byteIndex >= m_bytes.size()) {
        m_failed = true;
        return false;
    }
    const int shift = m_order == LEAST_SIGNIFICANT_FIRST ? m_bitsTakenInByte
                                                         : BITS_PER_BYTE - 1 - m_bitsTakenInByte;
    const bool bit = ((m_bytes[m_byteIndex] >> shift) & 1) != 0;
    if (++m_bitsTakenInByte == BITS_PER_BYTE) {
        m_bitsTakenInByte = 0;
        ++m_byteIndex;
    }
    return bit;
}

DWORD BitReader_t::ReadBits(int count)
{
    if (count < 0 || count > MAX_BITS_PER_READ) {
        m_failed = true;
        return 0;
    }
    DWORD result = 0;
    for (int i = 0; i < count; ++i) {
        const DWORD bit = NextBit() ? 1u : 0u;
        if (m_order == LEAST_SIGNIFICANT_FIRST)
            result |= bit << i;
        else
            result = (result << 1) | bit;
    }
    return result;
}
