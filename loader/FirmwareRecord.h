// One record of a firmware file: its data bytes and their CRC, as read from the file and
// as sent on the wire.
#pragma once
#include "framework/FrameworkBase.h"

#include <cstdint>

class CFile;

struct FirmwareRecord
{
    static constexpr uint32_t MaxDataSize = 16;

    uint32_t dataSize = 0;              // number of valid bytes in data
    uint8_t data[MaxDataSize] = {};
    uint16_t crc = 0;                   // high byte first in the file and on the wire

    // Reads dataSize data bytes and the two CRC bytes and checks the CRC. Throws
    // std::runtime_error with the reader's error text on a short read or a bad CRC.
    void Read(CFile& file);

    // Writes data, CRC high, CRC low; returns dataSize + 2, or 0 when that exceeds capacity.
    size_t Serialize(uint8_t* buffer, size_t capacity) const;
};
