#include "tests/support/FileMutator.h"

#include <cstddef>
#include <iterator>

namespace testing_support {

std::string FileMutator::Mutate(std::string text)
{
    const int edits = 1 + static_cast<int>(m_random() % 3);
    for (int edit = 0; edit < edits && !text.empty(); ++edit)
        MutateOnce(text);
    return text;
}

void FileMutator::MutateOnce(std::string& text)
{
    const size_t at = Below(text.size());
    switch (m_random() % 10) {
    case 0: text[at] = static_cast<char>(text[at] ^ (1 << Below(8))); break;
    case 1: text.resize(at); break;
    case 2:
        for (size_t count = 1 + Below(8); count > 0; --count)
            text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), static_cast<char>(m_random()));
        break;
    case 3: text.erase(at, 1 + Below(32)); break;
    case 4: DuplicateLine(text, at); break;
    case 5: ReplaceNumber(text, at); break;
    case 6: RemoveAttributeOrField(text, at); break;
    case 7: UnbalanceQuote(text, at); break;
    case 8: {
        const char fills[] = {'9', 'a', ',', '"', ' ', '\\', '<'};
        text.insert(at, 1000 + Below(20000), fills[Below(sizeof fills)]);
        break;
    }
    default:
        if (m_random() % 2)
            text[at] = '\0';
        else
            text.insert(at, 1 + Below(3), '\0');
        break;
    }
}

void FileMutator::DuplicateLine(std::string& text, size_t at)
{
    const size_t start = at == 0 ? 0 : text.rfind('\n', at - 1) + 1;  // npos + 1 is 0
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(start, end - start);
    for (size_t copies = 1 + Below(4); copies > 0; --copies)
        text.insert(end, line);
}

void FileMutator::ReplaceNumber(std::string& text, size_t at)
{
    // -1 and 0 stand for "none" in many fields; the rest do not fit them.
    static const char* const numbers[] = {"99999999999999999999", "2147483648", "-2147483649", "4294967296",
                                          "1e309", "-1e309", "18446744073709551617", "0x7FFFFFFF", "nan",
                                          "-1", "0"};
    const size_t first = text.find_first_of("0123456789", at);
    if (first == std::string::npos)
        return;
    const size_t last = text.find_first_not_of("0123456789", first);
    text.replace(first, (last == std::string::npos ? text.size() : last) - first, numbers[Below(std::size(numbers))]);
}

void FileMutator::RemoveAttributeOrField(std::string& text, size_t at)
{
    const size_t open = text.find('"', at);
    if (open == std::string::npos || open == 0)
        return;
    const size_t close = text.find('"', open + 1);
    if (close == std::string::npos)
        return;
    size_t start = open;
    if (text[open - 1] == '=') {
        const size_t space = text.rfind(' ', open);
        start = space == std::string::npos ? open - 1 : space;
    } else if (text[open - 1] == ',') {
        start = open - 1;
    }
    text.erase(start, close + 1 - start);
}

void FileMutator::UnbalanceQuote(std::string& text, size_t at)
{
    const size_t quote = text.find_first_of("\"'", at);
    if (quote == std::string::npos) {
        text.insert(at, 1, '"');
        return;
    }
    if (m_random() % 2)
        text.erase(quote, 1);
    else
        text.insert(quote, 1, text[quote]);
}

}  // namespace testing_support
