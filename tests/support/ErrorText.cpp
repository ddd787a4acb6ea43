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

} // namespace testing_support
