#include "documents/TimeHelpers.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

std::string FormatSystemTime(const SYSTEMTIME& time)
{
    char text[64];
    snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02u.%03u+00:00", time.wYear,
             time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
             time.wMilliseconds);
    return text;
}

COleDateTime InvalidDate()
{
    COleDateTime date;
    date.SetStatus(COleDateTime::invalid);
    return date;
}

}  // namespace

std::string FormatUtcNow()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    return FormatSystemTime(now);
}

std::string FormatUtcTimestamp(const COleDateTime& date)
{
    SYSTEMTIME time = {};
    if (date.GetStatus() != COleDateTime::valid || !date.GetAsSystemTime(time))
        throw std::runtime_error("unable to convert DateTime to system time");
    // A date value carries whole seconds only.
    time.wMilliseconds = 0;
    return FormatSystemTime(time);
}

COleDateTime ParseUtcTimestamp(const std::string& text)
{
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0;
    float seconds = 0;
    if (sscanf(text.c_str(), "%u-%u-%uT%u:%u:%f+00:00", &year, &month, &day, &hour, &minute,
               &seconds) < 6)
        throw std::runtime_error("timestamp '" + text + "' isn't a format I know");
    return UtcTimestampFromFields(year, month, day, hour, minute, seconds);
}

COleDateTime UtcTimestampFromFields(unsigned year, unsigned month, unsigned day, unsigned hour,
                                    unsigned minute, float seconds)
{
    // Fields beyond what a system time holds would wrap and could pass the round trip.
    if (year > 0xFFFF || month > 0xFFFF || day > 0xFFFF || hour > 0xFFFF || minute > 0xFFFF ||
        !std::isfinite(seconds) || seconds < 0 || seconds >= 0xFFFF)
        return InvalidDate();

    SYSTEMTIME parsed = {};
    parsed.wYear = static_cast<WORD>(year);
    parsed.wMonth = static_cast<WORD>(month);
    parsed.wDay = static_cast<WORD>(day);
    parsed.wHour = static_cast<WORD>(hour);
    parsed.wMinute = static_cast<WORD>(minute);
    parsed.wSecond = static_cast<WORD>(std::floor(seconds));
    parsed.wMilliseconds = static_cast<WORD>((seconds - std::floor(seconds)) * 1000);

    // The round trip refuses dates that do not exist, such as 30 February.
    double variantTime = 0;
    SYSTEMTIME back = {};
    if (!SystemTimeToVariantTime(&parsed, &variantTime) ||
        !VariantTimeToSystemTime(variantTime, &back) || back.wYear != parsed.wYear ||
        back.wMonth != parsed.wMonth || back.wDay != parsed.wDay || back.wHour != parsed.wHour ||
        back.wMinute != parsed.wMinute || back.wSecond != parsed.wSecond)
        return InvalidDate();
    return COleDateTime(variantTime);
}

std::string FormatDuration(unsigned seconds)
{
    std::vector<std::string> parts;
    if (seconds >= 3600) {
        parts.push_back(std::to_string(seconds / 3600) + " hours");
        seconds %= 3600;
    }
    if (seconds >= 60 || !parts.empty()) {
        parts.push_back(std::to_string(seconds / 60) + " minutes");
        seconds %= 60;
    }
    if (seconds != 0 || !parts.empty())
        parts.push_back(std::to_string(seconds) + " second" + (seconds > 1 ? "s" : ""));
    if (parts.empty())
        return "0 seconds";
    std::string text = parts[0];
    for (size_t index = 1; index < parts.size(); ++index)
        text += ", " + parts[index];
    return text;
}
