#include "documents/CUtcTimestampParser.h"

#include <charconv>
#include <cstring>

#include "documents/TimeHelpers.h"

namespace {

// "2012-03-04T05:06:07.000+00:00", the only form the log writers produce.
const size_t STAMP_LENGTH = 29;
const size_t DATE_LENGTH = 11;
const char STAMP_PATTERN[] = "dddd-dd-ddTdd:dd:dd.ddd+00:00";

bool IsWriterStamp(std::string_view text)
{
    if (text.size() != STAMP_LENGTH)
        return false;
    for (size_t i = 0; i < STAMP_LENGTH; ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (STAMP_PATTERN[i] == 'd' ? !digit : text[i] != STAMP_PATTERN[i])
            return false;
    }
    return true;
}

unsigned Digits(std::string_view text, size_t at, size_t count)
{
    unsigned value = 0;
    for (size_t i = at; i < at + count; ++i)
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    return value;
}

}  // namespace

COleDateTime CUtcTimestampParser::Parse(std::string_view text)
{
    // Any other form, however rare, takes the scanf reading with all its leniency.
    if (!IsWriterStamp(text))
        return ParseUtcTimestamp(std::string(text));
    if (text.compare(0, DATE_LENGTH, m_dateText) != 0) {
        m_year = Digits(text, 0, 4);
        m_month = Digits(text, 5, 2);
        m_day = Digits(text, 8, 2);
        m_dateText.assign(text.data(), DATE_LENGTH);
    }
    // Seconds and their fraction as a float, rounded as scanf's %f rounds them.
    float seconds = 0;
    std::from_chars(text.data() + 17, text.data() + 23, seconds);
    return UtcTimestampFromFields(m_year, m_month, m_day, Digits(text, 11, 2), Digits(text, 14, 2), seconds);
}
