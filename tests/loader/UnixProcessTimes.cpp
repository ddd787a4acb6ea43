#include "tests/loader/UnixProcessTimes.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace loader_testing {

namespace {

// /proc counts in USER_HZ, which Linux keeps at 100 whatever the kernel's own tick.
const double kMsPerClockTick = 10.0;

bool AllDigits(const char* text)
{
    if (*text == '\0')
        return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9')
            return false;
    return true;
}

} // namespace

std::string UnixProcessTimes::ReadProcFile(const std::string& pid, const char* name)
{
    const std::string path = "Z:\\proc\\" + pid + "\\" + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    // These files report no size: read until the end.
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    for (int round = 0; round < 64 && ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0; ++round)
        text.append(chunk, got);
    CloseHandle(file);
    return text;
}

double UnixProcessTimes::CpuMs(const std::string& pid)
{
    const std::string stat = ReadProcFile(pid, "stat");
    // The command name in parentheses may hold spaces: fields count from its end.
    const size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string field;
    // Third field after the name is the state; utime and stime are fields 14 and 15.
    for (int number = 3; number < 14 && fields >> field; ++number) {
    }
    long long userTicks = -1, systemTicks = -1;
    if (!(fields >> userTicks >> systemTicks))
        return -1;
    return (userTicks + systemTicks) * kMsPerClockTick;
}

std::vector<std::string> UnixProcessTimes::PrefixProcesses(const std::string& programEnd)
{
    std::vector<std::string> pids;
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix == nullptr || *prefix == '\0')
        return pids;
    const std::string wanted = std::string("WINEPREFIX=") + prefix;

    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return pids;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !AllDigits(entry.cFileName))
            continue;
        const std::string pid = entry.cFileName;
        const std::string commandLine = ReadProcFile(pid, "cmdline");
        const std::string program = commandLine.substr(0, commandLine.find('\0'));
        if (program.size() < programEnd.size() ||
            _stricmp(program.c_str() + program.size() - programEnd.size(), programEnd.c_str()) != 0)
            continue;
        // The environment is NUL-separated: compare whole entries.
        const std::string environment = '\0' + ReadProcFile(pid, "environ");
        if (environment.find('\0' + wanted + '\0') != std::string::npos)
            pids.push_back(pid);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return pids;
}

std::string UnixProcessTimes::WineServerPid()
{
    for (const char* name : {"wineserver", "wineserver64"}) {
        const std::vector<std::string> pids = PrefixProcesses(name);
        if (!pids.empty())
            return pids.front();
    }
    return std::string();
}

std::string UnixProcessTimes::OwnPid()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = path;
    for (DWORD i = 0; i < length; ++i)
        if (path[i] == '\\' || path[i] == '/')
            name = path + i + 1;
    const std::vector<std::string> pids = PrefixProcesses(std::string("/") + name);
    return pids.size() == 1 ? pids.front() : std::string();
}

} // namespace loader_testing
