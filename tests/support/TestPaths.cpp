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

std::string ProcessTag()
{
    FILETIME created = {}, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const unsigned long long startMs =
        ((static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime) / 10000;
    std::string tag = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(startMs);
    char run[MAX_PATH] = "";
    const DWORD length = ::GetEnvironmentVariableA("PYRAXIS_TEST_RUN", run, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const std::string path(run, length);
        tag = path.substr(path.find_last_of("/\\") + 1) + "-" + tag;
    }
    return tag;
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
