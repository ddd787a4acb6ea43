// The demo's simulated site (tests/device/qvdevice.py --site 7 or 16) for a window test: every
// device on one pty linked as a COM port and on a loopback Modbus/TCP port of its own,
// with the requests it answered in its journal.
#pragma once
#include "tests/support/PeerHost.h"
#include "tests/support/TestDevice.h"

#include <string>
#include <utility>
#include <vector>

namespace demo_ui {

class DemoSite
{
public:
    explicit DemoSite(testing_support::PeerHost& host) : m_host(host) {}
    ~DemoSite();
    DemoSite(const DemoSite&) = delete;
    DemoSite& operator=(const DemoSite&) = delete;

    // The site of 7 or 16 devices, their serial numbers from serialBase + 1 (sites side by
    // side must not share devices); false with the reason in Error().
    bool Start(int daySeconds, int size = 7, int serialBase = 0);
    // Ends the site's process: every device stops answering at once.
    void Kill();
    const std::string& Error() const { return m_error; }
    int ComPort() const { return m_pair.com; }
    int TcpPort(int unit) const;
    // The registers written to a unit (function 6), as (address, value) in order.
    std::vector<std::pair<int, int>> Writes(int unit) const;
    // How many requests to a unit over a transport ("rtu", "tcp") the site answered or
    // let pass unanswered on purpose; frames it refused are not counted.
    int Requests(const std::string& transport, int unit) const;

private:
    testing_support::PeerHost& m_host;
    testing_support::SerialPair m_pair;
    testing_support::StartedTestDevice m_device;
    std::string m_error;
};

} // namespace demo_ui
