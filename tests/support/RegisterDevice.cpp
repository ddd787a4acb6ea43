#include "tests/support/RegisterDevice.h"

#include "tests/support/FileText.h"
#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <fstream>

namespace testing_support {

RegisterDevice::~RegisterDevice()
{
    if (m_device.id)
        m_host.Stop(m_device.id);
    if (m_pair.id)
        m_host.Stop(m_pair.id);
}

bool RegisterDevice::Start(const std::string& profileFile, bool serial)
{
    return StartProfile(ReadFileText(SourcePath(profileFile)), serial);
}

bool RegisterDevice::StartProfile(const std::string& profile, bool serial)
{
    std::vector<std::string> transport = {"--tcp-port", "0"};
    if (serial) {
        m_pair = m_host.OpenSerialPair();
        if (m_pair.id == 0)
            return false;
        transport = {"--rtu", m_pair.peerPath};
    }
    m_device = StartTestDevice(m_host, "tests/register-device", profile, transport, 180);
    return !profile.empty() && m_device.error.empty() && m_device.id != 0;
}

std::vector<RegisterRequest> RegisterDevice::Requests(int function) const
{
    std::vector<RegisterRequest> requests;
    std::ifstream in(m_device.journalPath);
    std::string line;
    while (std::getline(in, line)) {
        RegisterRequest request;
        request.function = std::atoi(PeerHost::Field(line, "function").c_str());
        if (request.function != function)
            continue;
        request.address = std::atoi(PeerHost::Field(line, "address").c_str());
        request.value = std::atoi(PeerHost::Field(line, "value").c_str());
        requests.push_back(request);
    }
    return requests;
}

bool AscendingOnce(const std::vector<RegisterRequest>& requests)
{
    for (size_t i = 1; i < requests.size(); ++i)
        if (requests[i].address <= requests[i - 1].address)
            return false;
    return true;
}

} // namespace testing_support
