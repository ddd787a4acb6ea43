#include "loader/FirmwareRecord.h"

#include "framework/CFile.h"
#include "loader/LoaderCrc16.h"

#include <stdexcept>

void FirmwareRecord::Read(CFile& file)
{
    if (dataSize > MaxDataSize)
        throw std::runtime_error("record size is larger than a record can hold");

    // A record cut short would otherwise be checked against bytes never read: both the
    // data and the CRC must be complete.
    if (dataSize == 0 || file.Read(data, dataSize) != dataSize)
        throw std::runtime_error("unexpected EOF reading record data");

    uint8_t crcBytes[2] = {};
    if (file.Read(crcBytes, 2) != 2)
        throw std::runtime_error("unexpected EOF reading record CRC");
    crc = static_cast<uint16_t>(crcBytes[0] * 256 + crcBytes[1]);

    if (LoaderCrc16(0, data, dataSize) != crc)
        throw std::runtime_error("invalid record checksum");
}

size_t FirmwareRecord::Serialize(uint8_t* buffer, size_t capacity) const
{
    const size_t length = static_cast<size_t>(dataSize) + 2;
    if (dataSize > MaxDataSize || length > capacity)
        return 0;
    for (uint32_t i = 0; i < dataSize; ++i)
        buffer[i] = data[i];
    buffer[dataSize] = static_cast<uint8_t>(crc >> 8);
    buffer[dataSize + 1] = static_cast<uint8_t>(crc & 0xFF);
    return length;
}
