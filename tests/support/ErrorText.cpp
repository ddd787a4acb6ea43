#include "tests/support/ErrorText.h"

#include <exception>

namespace testing_support {

const char* const NO_EXCEPTION_TEXT = "(no exception)";

std::string ErrorText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return NO_EXCEPTION_TEXT;
}

bool MatchesPattern(const std::string& text, const std::string& pattern)
{
    const size_t star = pattern.find('*');
    if (star == std::string::npos)
        return text == pattern;
    if (text.compare(0, star, pattern, 0, star) != 0)
        return false;
    const std::string rest = pattern.substr(star + 1);
    for (size_t at = star; at <= text.size(); ++at) {
        if (MatchesPattern(text.substr(at), rest))
            return true;
    }
    return false;
}

} // namespace testing_support
