#include "documents/logfiles/LogValueNumber.h"

#include <charconv>
#include <cstdlib>
#include <string>

namespace {

// Digits or a point first (after a minus): from_chars then reads the same decimal forms as
// strtod, and cannot take "inf" or "nan", which strtod may spell differently.
bool StartsAsPlainDecimal(std::string_view text)
{
    size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
    return at < text.size() && ((text[at] >= '0' && text[at] <= '9') || text[at] == '.');
}

// A letter that starts no "inf" or "nan": text such as a charge state, which strtod refuses.
bool StartsAsWord(std::string_view text)
{
    const char first = text.empty() ? '\0' : static_cast<char>(text[0] | 0x20);
    return first >= 'a' && first <= 'z' && first != 'i' && first != 'n';
}

}  // namespace

bool ParseWholeNumber(std::string_view text, double& value)
{
    // from_chars rounds correctly, as strtod does, at a fraction of its cost. Whatever it
    // does not read whole (signs, spaces, hex, a value out of range) strtod decides.
    if (StartsAsPlainDecimal(text)) {
        const std::from_chars_result read = std::from_chars(text.data(), text.data() + text.size(), value);
        if (read.ec == std::errc() && read.ptr == text.data() + text.size())
            return true;
    }
    if (StartsAsWord(text)) {
        value = 0;
        return false;
    }
    const std::string terminated(text);
    char* end = nullptr;
    value = std::strtod(terminated.c_str(), &end);
    if (terminated.empty() || end != terminated.c_str() + terminated.size()) {
        value = 0;
        return false;
    }
    return true;
}
