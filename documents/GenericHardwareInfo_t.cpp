#include "documents/GenericHardwareInfo_t.h"

#include <cstdio>
#include <stdexcept>

namespace {

char Printable(BYTE byte)
{
    return byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : '.';
}

void AppendHex(std::string& text, BYTE byte)
{
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", byte);
    text += digits;
}

} // namespace

bool GenericHardwareInfo_t::AppendReadByte(std::string& text, WORD word) const
{
    const BYTE low = LOBYTE(word);
    const BYTE high = HIBYTE(word);
    switch (format) {
    case FORMAT_ASCII:
        // A zero byte ends the text.
        if (low == 0)
            return false;
        text += Printable(low);
        if (high == 0)
            return false;
        text += Printable(high);
        return true;
    case FORMAT_HEXASCII:
        AppendHex(text, low);
        AppendHex(text, high);
        return true;
    case FORMAT_IP:
        if (!text.empty())
            text += '.';
        text += std::to_string(low) + "." + std::to_string(high);
        return true;
    case FORMAT_BOOLEAN:
        text = word != 0 ? "true" : "false";
        return true;
    default:
        throw std::runtime_error("GenericHardwareInfo_t::AppendReadByte bad format type");
    }
}
