// Paths of the source and build trees as a Windows program under Wine sees them
// (the Unix root is drive Z:).
#pragma once
#include <string>

namespace testing_support {

std::string UnixToWindowsPath(const std::string& unixPath);
std::string SourcePath(const std::string& relative);   // Windows form
std::string BuildPath(const std::string& relative);    // Windows form
std::string SourceUnixPath(const std::string& relative);
std::string BuildUnixPath(const std::string& relative);

// Creates every missing folder of a Windows path.
bool EnsureDirectory(const std::string& windowsPath);

} // namespace testing_support
