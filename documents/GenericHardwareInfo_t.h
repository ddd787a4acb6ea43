// A hardware-information field read from the device's registers when it connects.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

struct GenericHardwareInfo_t
{
    enum Format { FORMAT_ASCII = 0, FORMAT_IP = 1, FORMAT_HEXASCII = 2, FORMAT_BOOLEAN = 3 };

    std::string name;
    int address = 0;   // first register
    int width = 0;     // number of registers
    int format = FORMAT_ASCII;

    // Appends one register's word to the text in the entry's format; false when the
    // text is complete and no further register should be read.
    bool AppendReadByte(std::string& text, WORD word) const;
};
