#include "modbus/CModbusVariable_Time.h"

#include <boost/make_shared.hpp>

#include <cctype>
#include <cstdio>

CModbusVariable_Time::CModbusVariable_Time(unsigned address, const char* name,
                                           const char* description, bool flag, WORD minimum,
                                           WORD maximum, WORD defaultSeconds)
    : CModbusVariable(address, name, description, "h:m:s", flag), m_min(minimum), m_max(maximum)
{
    SetFirstWord(defaultSeconds);
}

std::string CModbusVariable_Time::FormatSeconds(unsigned seconds)
{
    const unsigned hours = seconds / 3600;
    char text[32];
    if (hours != 0)
        std::snprintf(text, sizeof text, "%u:%02u:%02u", hours, (seconds / 60) % 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
    return text;
}

std::string CModbusVariable_Time::ToString() const
{
    return FormatSeconds(FirstWord());
}

namespace
{
// True when only blanks follow.
bool OnlyBlanks(const char* rest)
{
    while (std::isspace(static_cast<unsigned char>(*rest)))
        ++rest;
    return *rest == '\0';
}
}

void CModbusVariable_Time::FromString(const char* text)
{
    const char* input = text ? text : "";
    unsigned hours = 0, minutes = 0, seconds = 0;
    int consumed = 0;
    if (std::sscanf(input, "%u:%u:%u %*c", &hours, &minutes, &seconds) != 3)
    {
        // ToString writes M:SS under an hour; take that form back, but only whole.
        hours = 0;
        if (std::sscanf(input, "%u:%u%n", &minutes, &seconds, &consumed) != 2 ||
            !OnlyBlanks(input + consumed))
            RaiseRangeError("is not of the form HH:MM:SS");
    }
    if (minutes >= 60 || seconds >= 60)
        RaiseRangeError("minutes and seconds must be less than 60");
    // 64 bits: huge hour counts must not wrap round into range.
    const unsigned long long total = (hours * 60ULL + minutes) * 60ULL + seconds;
    if (total > 65535)
        RaiseRangeError("is too big (must be no more than " + FormatSeconds(65535) + ")");
    CheckValue(total);
    SetFirstWord(static_cast<WORD>(total));
}

void CModbusVariable_Time::CheckLimits() const
{
    CheckValue(FirstWord());
}

void CModbusVariable_Time::CheckValue(unsigned long long total) const
{
    if (total < m_min)
        RaiseRangeError("is too small (must be no less than " + FormatSeconds(m_min) + ")");
    if (total > m_max)
        RaiseRangeError("is too big (must be no more than " + FormatSeconds(m_max) + ")");
}

boost::shared_ptr<CModbusVariable> CModbusVariable_Time::Clone() const
{
    return boost::make_shared<CModbusVariable_Time>(*this);
}
