#include "modbus/SearchAnswer.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

std::deque<std::string> SplitString(const char* text, char separator)
{
    std::deque<std::string> pieces;
    std::string piece;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == separator) {
            pieces.push_back(piece);
            piece.clear();
        } else {
            piece += *c;
        }
    }
    pieces.push_back(piece);
    return pieces;
}

long ParseInteger(const char* text, int base)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, base);
    if (errno == ERANGE)
        throw std::runtime_error("string is not a number");
    // With no digits at all strtol leaves end at the start: only a blank text passes.
    for (const char* rest = end; *rest != '\0'; ++rest)
        if (!std::isspace(static_cast<unsigned char>(*rest)))
            throw std::runtime_error("string is not a number");
    return value;
}

std::unique_ptr<ModbusEndpoint_t> ParseSearchAnswer(const char* text, const char* senderAddress)
{
    std::deque<std::string> lines = SplitString(text, '\n');
    if (lines.size() < kSearchAnswerMinLines)
        return nullptr;
    // Devices that end their lines with CR LF must compare equal to those that do not.
    for (std::string& line : lines)
        if (!line.empty() && line.back() == '\r')
            line.pop_back();

    std::unique_ptr<ModbusEndpoint_t> endpoint(new ModbusEndpoint_t);
    endpoint->vendor = lines[0];
    endpoint->productCode = lines[1];
    endpoint->revision = lines[2];
    endpoint->deviceText = lines[3];
    endpoint->network = true;
    endpoint->host = senderAddress != nullptr ? senderAddress : "";
    try {
        const long tcpPort = ParseInteger(lines[5].c_str(), 10);
        const long unitId = ParseInteger(lines[6].c_str(), 10);
        endpoint->port = static_cast<int>(tcpPort);
        endpoint->unitId = static_cast<int>(unitId);
    } catch (const std::runtime_error&) {
        return nullptr;
    }
    return endpoint;
}
