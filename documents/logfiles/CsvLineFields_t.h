// The fields of one CSV line, kept in buffers that the next line reuses.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>
#include <string_view>
#include <vector>

class CsvLineFields_t
{
public:
    // A backslash makes the next character literal; quotes toggle quoted mode and are
    // dropped. An empty line has no fields.
    void Split(std::string_view line, char separator = ',', char quote = '"');

    size_t Count() const { return m_ends.size(); }
    // Valid until the next Split.
    std::string_view Field(size_t index) const;
    // The fields joined by commas, without their quotes.
    std::string Joined() const;

private:
    std::string m_text;          // the fields one after another
    std::vector<size_t> m_ends;  // where each field ends in m_text
};
