#include "modbus/CBlockingSocketException.h"

#include <winsock2.h>

namespace {

std::string FormatSocketError(const char* text, int code)
{
    std::string formatted = text ? text : "";
    formatted += " error";
    if (code != 0)
        formatted += "#" + std::to_string(code);
    return formatted;
}

} // namespace

CBlockingSocketException::CBlockingSocketException(const char* text)
    : CBlockingSocketException(text, ::WSAGetLastError())
{
}

CBlockingSocketException::CBlockingSocketException(const char* text, int code)
    : m_code(code), m_text(FormatSocketError(text, code))
{
}
