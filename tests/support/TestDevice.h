// Starts the test device (tests/device/qvdevice.py) for a test: its profile, journal and
// port file in a fresh folder of the build tree, waiting (bounded) until it is ready.
#pragma once
#include "tests/support/PeerHost.h"

#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct StartedTestDevice {
    int id = 0;                 // the peer host's id; 0 when it did not start
    std::string journalPath;    // Windows path of its journal
    int tcpPort = 0;            // its Modbus/TCP port, 0 when it serves none
    std::map<int, int> unitPorts;   // unit id -> its own Modbus/TCP port (--unit-tcp-base)
    std::string error;          // why it did not start
};

// folderPrefix names the folder under the build tree ("tests/modbus/search"); the process
// id and a counter make it unique. transportArgs are qvdevice's other options; an empty
// profile passes none (the simulated site takes --site instead).
StartedTestDevice StartTestDevice(PeerHost& host, const std::string& folderPrefix, const std::string& profile,
                                  const std::vector<std::string>& transportArgs, int lifetimeSeconds);

// Unix seconds now, as the journal stamps the requests.
double JournalClockNow();

// The longest the test device of the journal wrote an answer late, its process kept from
// running (the journal's late answers), in seconds; 0 when none.
double LongestLateAnswer(const std::string& journalPath);

} // namespace testing_support
