#include "tests/support/TestDevice.h"

#include "tests/support/TestPaths.h"

#include <windows.h>

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
    std::ofstream(BuildPath(folder + "/profile.json")) << profile;

    std::vector<std::string> args = {"--profile", BuildUnixPath(folder + "/profile.json"),
                                     "--journal", BuildUnixPath(folder + "/journal.jsonl"),
                                     "--port-file", BuildUnixPath(folder + "/ports"),
                                     "--lifetime", std::to_string(lifetimeSeconds)};
    args.insert(args.end(), transportArgs.begin(), transportArgs.end());
    started.id = host.SpawnPython("qvdevice.py", args);
    if (started.id == 0) {
        started.error = host.Error();
        return started;
    }
    for (int wait = 0; wait < 100 && GetFileAttributesA(portFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
        Sleep(50);
    if (GetFileAttributesA(portFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        started.error = "device not ready";
        return started;
    }
    // The port file is renamed into place whole: once it is there it can be read.
    std::ifstream(portFile) >> started.tcpPort;
    return started;
}

} // namespace testing_support
