#include "tests/support/TestDevice.h"

#include "tests/support/TestPaths.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace testing_support {

StartedTestDevice StartTestDevice(PeerHost& host, const std::string& folderPrefix, const std::string& profile,
                                  const std::vector<std::string>& transportArgs, int lifetimeSeconds)
{
    static int s_instance = 0;
    StartedTestDevice started;
    if (!host.Connected()) {
        started.error = host.Error();
        return started;
    }
    const std::string folder = folderPrefix + "-" + testing_support::ProcessTag() + "-" +
                               std::to_string(++s_instance);
    if (!EnsureDirectory(BuildPath(folder))) {
        started.error = "cannot make " + folder;
        return started;
    }
    started.journalPath = BuildPath(folder + "/journal.jsonl");
    const std::string portFile = BuildPath(folder + "/ports");
    DeleteFileA(started.journalPath.c_str());
    DeleteFileA(portFile.c_str());
    std::vector<std::string> args = {"--journal", BuildUnixPath(folder + "/journal.jsonl"),
                                     "--port-file", BuildUnixPath(folder + "/ports"),
                                     "--lifetime", std::to_string(lifetimeSeconds)};
    if (!profile.empty()) {
        std::ofstream(BuildPath(folder + "/profile.json")) << profile;
        args.insert(args.end(), {"--profile", BuildUnixPath(folder + "/profile.json")});
    }
    args.insert(args.end(), transportArgs.begin(), transportArgs.end());
    started.id = host.SpawnPython("qvdevice.py", args);
    if (started.id == 0) {
        started.error = host.Error();
        return started;
    }
    // A simulated site makes its days of history first.
    for (int wait = 0; wait < 600 && GetFileAttributesA(portFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
        Sleep(50);
    if (GetFileAttributesA(portFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        started.error = "device not ready";
        return started;
    }
    // The port file is renamed into place whole: once it is there it can be read.
    std::ifstream ports(portFile);
    int udpPort = 0;
    ports >> started.tcpPort >> udpPort;
    std::string word;
    int unit = 0;
    int port = 0;
    while (ports >> word >> unit >> port && word == "unit")
        started.unitPorts[unit] = port;
    return started;
}

double JournalClockNow()
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    // 100 ns ticks since 1601; 11,644,473,600 s from then to 1970.
    return ticks.QuadPart / 1e7 - 11644473600.0;
}

double LongestLateAnswer(const std::string& journalPath)
{
    double longest = 0;
    std::ifstream in(journalPath);
    std::string line;
    while (std::getline(in, line))
        if (PeerHost::Field(line, "event") == "late_answer")
            longest = std::max(longest, std::atof(PeerHost::Field(line, "late").c_str()));
    return longest;
}

} // namespace testing_support
