#include "documents/logfiles/CsvLineFields_t.h"

void CsvLineFields_t::Split(std::string_view line, char separator, char quote)
{
    m_ends.clear();
    if (line.empty()) {
        m_text.clear();
        return;
    }
    // The unquoted fields are never longer than the line: written in place, cut once.
    m_text.resize(line.size());
    char* out = &m_text[0];
    char* const start = out;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            if (i + 1 < line.size())
                *out++ = line[++i];
        } else if (c == quote) {
            quoted = !quoted;
        } else if (c == separator && !quoted) {
            m_ends.push_back(static_cast<size_t>(out - start));
        } else {
            *out++ = c;
        }
    }
    m_ends.push_back(static_cast<size_t>(out - start));
    m_text.resize(static_cast<size_t>(out - start));
}

std::string_view CsvLineFields_t::Field(size_t index) const
{
    const size_t begin = index == 0 ? 0 : m_ends[index - 1];
    return std::string_view(m_text).substr(begin, m_ends[index] - begin);
}

std::string CsvLineFields_t::Joined() const
{
    std::string joined;
    for (size_t i = 0; i < Count(); ++i) {
        if (i)
            joined += ',';
        joined += Field(i);
    }
    return joined;
}
