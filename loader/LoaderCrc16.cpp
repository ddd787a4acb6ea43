#include "loader/LoaderCrc16.h"

uint16_t LoaderCrc16Update(uint16_t crc, uint8_t byte)
{
    for (int bit = 7; bit >= 0; --bit) {
        const bool carry = (crc & 0x8000) != 0;
        crc = static_cast<uint16_t>((crc << 1) | ((byte >> bit) & 1));
        if (carry)
            crc ^= 0x1021;
    }
    return crc;
}

uint16_t LoaderCrc16Finish(uint16_t crc)
{
    crc = LoaderCrc16Update(crc, 0);
    return LoaderCrc16Update(crc, 0);
}

uint16_t LoaderCrc16(uint16_t initial, const uint8_t* data, size_t length)
{
    uint16_t crc = initial;
    for (size_t i = 0; i < length; ++i)
        crc = LoaderCrc16Update(crc, data[i]);
    return LoaderCrc16Finish(crc);
}
