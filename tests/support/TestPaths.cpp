#include "tests/support/TestPaths.h"

#include <windows.h>

namespace testing_support {

std::string UnixToWindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string SourceUnixPath(const std::string& relative)
{
    return std::string(TEST_SOURCE_DIR) + "/" + relative;
}

std::string BuildUnixPath(const std::string& relative)
{
    return std::string(TEST_BUILD_DIR) + "/" + relative;
}

std::string SourcePath(const std::string& relative)
{
    return UnixToWindowsPath(SourceUnixPath(relative));
}

std::string BuildPath(const std::string& relative)
{
    return UnixToWindowsPath(BuildUnixPath(relative));
}

bool EnsureDirectory(const std::string& windowsPath)
{
    for (size_t i = 3; i <= windowsPath.size(); ++i) {
        if (i == windowsPath.size() || windowsPath[i] == '\\') {
            std::string part = windowsPath.substr(0, i);
            if (!::CreateDirectoryA(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        }
    }
    return true;
}

} // namespace testing_support
