// The test device serving one register map for a test, on a pty pair (serial) or on
// loopback TCP, with the register requests it journalled.
#pragma once
#include "tests/support/PeerHost.h"
#include "tests/support/TestDevice.h"

#include <string>
#include <vector>

namespace testing_support {

struct RegisterRequest {
    int function = 0;
    int address = 0;
    int value = 0;
};

class RegisterDevice {
public:
    explicit RegisterDevice(PeerHost& host) : m_host(host) {}
    ~RegisterDevice();
    RegisterDevice(const RegisterDevice&) = delete;
    RegisterDevice& operator=(const RegisterDevice&) = delete;

    // profileFile: a JSON profile of the source tree (tests/...). False when it did not start.
    bool Start(const std::string& profileFile, bool serial);
    // The same with the profile's JSON text itself.
    bool StartProfile(const std::string& profile, bool serial);
    bool IsSerial() const { return m_pair.id != 0; }
    int ComPort() const { return m_pair.com; }
    int TcpPort() const { return m_device.tcpPort; }

    // The journalled requests of one function, in order.
    std::vector<RegisterRequest> Requests(int function) const;

private:
    PeerHost& m_host;
    SerialPair m_pair;
    StartedTestDevice m_device;
};

bool AscendingOnce(const std::vector<RegisterRequest>& requests);

} // namespace testing_support
