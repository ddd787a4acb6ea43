#include "tests/loader/QvzFixtures.h"

#include "tests/support/PeerHost.h"
#include "tests/support/TestPaths.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace loader_testing {

namespace {

const DWORD GeneratorWaitMs = 20000;
const DWORD PollMs = 50;

std::string SuiteFolder()
{
    return "tests/loader/qvz-" + testing_support::ProcessTag();
}

} // namespace

std::string QvzPath(const std::string& name)
{
    return testing_support::BuildPath(SuiteFolder() + "/" + name);
}

std::string PrepareQvzSuite()
{
    static std::string result = [] {
        testing_support::PeerHost host;
        if (!host.Connected())
            return "no peer host: " + host.Error();
        const int id = host.SpawnPython("qvzgen.py", {"suite", testing_support::BuildUnixPath(SuiteFolder())});
        if (id == 0)
            return "qvzgen.py did not start: " + host.Error();
        const std::string marker = QvzPath("done");
        for (DWORD waited = 0; waited < GeneratorWaitMs; waited += PollMs) {
            if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES)
                return std::string();
            if (!host.Alive(id) && GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES)
                return std::string("qvzgen.py ended without writing its files");
            Sleep(PollMs);
        }
        return std::string("qvzgen.py did not finish in time");
    }();
    return result;
}

std::string ReadQvzBytes(const std::string& name)
{
    std::ifstream in(QvzPath(name), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace loader_testing
