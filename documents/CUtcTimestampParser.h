// Parses the time stamps of a log file line after line, as ParseUtcTimestamp does, without
// its scanf: the stamps the writer puts down are read digit by digit, and the date fields of
// the previous stamp are reused while its date text is the same.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>
#include <string_view>

#include "framework/COleDateTime.h"

class CUtcTimestampParser
{
public:
    // The result and the errors of ParseUtcTimestamp for every text.
    COleDateTime Parse(std::string_view text);

private:
    // "2012-03-04T": the text the cached date fields come from.
    std::string m_dateText;
    unsigned m_year = 0;
    unsigned m_month = 0;
    unsigned m_day = 0;
};
