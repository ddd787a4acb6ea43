// Processor time of Unix processes as Linux counts it, read through Wine's Z: drive
// (/proc/PID/stat): the test program itself and the wineserver that runs its Windows
// calls. Wine's own process times leave the wineserver out, and a port whose driver polls
// costs there.
#pragma once
#include <string>
#include <vector>

namespace loader_testing {

class UnixProcessTimes
{
public:
    // User plus system time of the process in milliseconds, or -1 when its stat file
    // cannot be read.
    static double CpuMs(const std::string& pid);
    // The pid of the wineserver serving this program's Wine prefix (matched by the
    // WINEPREFIX it was started with), or "" when none is found.
    static std::string WineServerPid();
    // This program's own pid: the one process of this prefix started as this program's
    // file, or "" when there is none or more than one. (Z:\proc\self is the wineserver,
    // which opens the files.)
    static std::string OwnPid();

private:
    static std::string ReadProcFile(const std::string& pid, const char* name);
    // The pids of this prefix's processes whose program's file name ends in programEnd.
    static std::vector<std::string> PrefixProcesses(const std::string& programEnd);
};

} // namespace loader_testing
