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

// This test program's tag among every test run on the machine, for the names of its
// own files: the run, the process id and the process's start. Wine counts process ids per
// Wine server and gives freed ones out again, and each test run has its own server (the
// times of `tools/test --repeat` one after another under the same name), so the id alone
// repeats, and a test would find the files an earlier program of its id left.
std::string ProcessTag();

// Creates every missing folder of a Windows path.
bool EnsureDirectory(const std::string& windowsPath);

} // namespace testing_support
