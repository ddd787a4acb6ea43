// The text of the exception an action throws, for tests that compare error messages.
#pragma once
#include <functional>
#include <string>

namespace testing_support {

// The std::exception's what(), or NO_EXCEPTION_TEXT when the action returned normally.
std::string ErrorText(const std::function<void()>& action);
extern const char* const NO_EXCEPTION_TEXT;

// True when the text is the pattern, where each '*' stands for any run of characters.
bool MatchesPattern(const std::string& text, const std::string& pattern);

} // namespace testing_support
