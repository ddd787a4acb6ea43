// CRC-16/XMODEM (polynomial 0x1021, MSB first, no reflection, no final XOR) that guards
// every firmware record in the file and on the wire. The two steps are exposed so that
// code feeding bytes one at a time can use them.
#pragma once
#include "framework/FrameworkBase.h"

#include <cstdint>

// Shifts the byte's 8 bits, most significant first, into the register.
uint16_t LoaderCrc16Update(uint16_t crc, uint8_t byte);
// Pushes 16 zero bits through the register; the result is the CRC.
uint16_t LoaderCrc16Finish(uint16_t crc);
// Update over every byte, then Finish. With initial value 0 this is CRC-16/XMODEM.
uint16_t LoaderCrc16(uint16_t initial, const uint8_t* data, size_t length);
