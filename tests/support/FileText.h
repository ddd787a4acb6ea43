// Whole files as text, for tests that write fixtures and read back what code wrote.
#pragma once
#include <string>

namespace testing_support {

std::string ReadFileText(const std::string& path);   // "" when the file cannot be read
bool WriteFileText(const std::string& path, const std::string& text);

} // namespace testing_support
