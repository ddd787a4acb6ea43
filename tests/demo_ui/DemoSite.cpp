#include "tests/demo_ui/DemoSite.h"

#include <cstdlib>
#include <fstream>

namespace demo_ui {

namespace {
const int kLifetimeSeconds = 600;
}

DemoSite::~DemoSite()
{
    if (m_device.id)
        m_host.Stop(m_device.id);
    if (m_pair.id)
        m_host.Stop(m_pair.id);
}

void DemoSite::Kill()
{
    if (m_device.id)
        m_host.Stop(m_device.id);
    m_device.id = 0;
}

bool DemoSite::Start(int daySeconds, int size, int serialBase)
{
    if (!m_host.Connected()) {
        m_error = m_host.Error();
        return false;
    }
    m_pair = m_host.OpenSerialPair();
    if (m_pair.id == 0) {
        m_error = "no serial pair: " + m_host.Error();
        return false;
    }
    m_device = testing_support::StartTestDevice(
        m_host, "tests/demo_ui/site", "",
        {"--site", std::to_string(size), "--rtu", m_pair.peerPath, "--unit-tcp-base", "0", "--day-seconds", std::to_string(daySeconds),
         "--serial-base", std::to_string(serialBase)},
        kLifetimeSeconds);
    m_error = m_device.error;
    return m_device.id != 0 && m_error.empty();
}

int DemoSite::TcpPort(int unit) const
{
    const auto found = m_device.unitPorts.find(unit);
    return found != m_device.unitPorts.end() ? found->second : 0;
}

std::vector<std::pair<int, int>> DemoSite::Writes(int unit) const
{
    std::vector<std::pair<int, int>> writes;
    std::ifstream journal(m_device.journalPath);
    std::string line;
    while (std::getline(journal, line)) {
        using testing_support::PeerHost;
        if (PeerHost::Field(line, "function") == "6" && std::atoi(PeerHost::Field(line, "unit").c_str()) == unit)
            writes.emplace_back(std::atoi(PeerHost::Field(line, "address").c_str()),
                                std::atoi(PeerHost::Field(line, "value").c_str()));
    }
    return writes;
}

int DemoSite::Requests(const std::string& transport, int unit) const
{
    using testing_support::PeerHost;
    int requests = 0;
    std::ifstream journal(m_device.journalPath);
    std::string line;
    while (std::getline(journal, line)) {
        const std::string error = PeerHost::Field(line, "error");
        const std::string function = PeerHost::Field(line, "function");
        if (PeerHost::Field(line, "transport") == transport && PeerHost::Field(line, "event").empty() &&
            (error.empty() || error == "null") && !function.empty() && function != "null" &&
            std::atoi(PeerHost::Field(line, "unit").c_str()) == unit)
            ++requests;
    }
    return requests;
}

} // namespace demo_ui
