// A Windows program reaches a serial device through a pseudo-terminal pair that the
// peer host links into the Wine prefix as a COM port; the test device answers at the
// far end.
#include <gtest/gtest.h>

#include "tests/support/PeerHost.h"
#include "tests/support/TestPaths.h"

#include <fstream>
#include <string>

using testing_support::PeerHost;
using testing_support::SerialPair;

namespace {

HANDLE OpenPort(const std::string& port)
{
    std::string name = "\\\\.\\" + port;
    return ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool SetLine(HANDLE port, DWORD baud)
{
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(port, &dcb))
        return false;
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    if (!::SetCommState(port, &dcb))
        return false;
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = 50;
    timeouts.ReadTotalTimeoutConstant = 200;
    timeouts.WriteTotalTimeoutConstant = 1000;
    return ::SetCommTimeouts(port, &timeouts) != 0;
}

// Reads until `wanted` bytes came or the attempts ran out (each read waits at most 200 ms).
std::string ReadSome(HANDLE port, size_t wanted, int attempts = 25)
{
    std::string data;
    for (int attempt = 0; attempt < attempts && data.size() < wanted; ++attempt) {
        char buffer[64];
        DWORD got = 0;
        if (!::ReadFile(port, buffer, sizeof buffer, &got, nullptr))
            break;
        data.append(buffer, got);
    }
    return data;
}

std::string Exchange(HANDLE port, const std::string& request, size_t replyLength)
{
    DWORD written = 0;
    if (!::WriteFile(port, request.data(), static_cast<DWORD>(request.size()), &written, nullptr) ||
        written != request.size())
        return "write failed";
    return ReadSome(port, replyLength);
}

// RTU frames with their CRCs (unit 1): read one holding register at 0, and its answer.
const std::string kReadRegister0("\x01\x03\x00\x00\x00\x01\x84\x0a", 8);
const std::string kRegister0Is1234("\x01\x03\x02\x12\x34\xb5\x33", 7);

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Connected()) << host.Error();
        pair = host.OpenSerialPair();
        ASSERT_NE(pair.id, 0) << host.Error();
        const std::string profile = "serial-smoke-" + std::to_string(pair.com) + ".json";
        std::ofstream(testing_support::BuildPath(profile))
            << R"({"units": {"1": {"holding": {"0": 4660}}}})";
        device = host.SpawnPython("qvdevice.py", {"--profile", testing_support::BuildUnixPath(profile),
                                                  "--rtu", pair.peerPath, "--lifetime", "120"});
        ASSERT_NE(device, 0) << host.Error();
    }

    PeerHost host;
    SerialPair pair;
    int device = 0;
};

TEST_F(SerialPortTest, ARequestGoesToTheDeviceAndItsAnswerComesBack)
{
    HANDLE port = OpenPort(pair.port);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << pair.port << " error " << ::GetLastError();
    ASSERT_TRUE(SetLine(port, CBR_9600));

    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(::GetCommState(port, &dcb));
    EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(CBR_9600));
    EXPECT_EQ(dcb.ByteSize, 8);

    // The device may still be starting: ask again, a bounded number of times.
    std::string reply;
    for (int attempt = 0; attempt < 10 && reply.empty(); ++attempt)
        reply = Exchange(port, kReadRegister0, kRegister0Is1234.size());
    EXPECT_EQ(reply, kRegister0Is1234);
    ::CloseHandle(port);
}

TEST_F(SerialPortTest, PortReopensAndNothingArrivesUnasked)
{
    for (int round = 0; round < 2; ++round) {
        HANDLE port = OpenPort(pair.port);
        ASSERT_NE(port, INVALID_HANDLE_VALUE) << "round " << round;
        ASSERT_TRUE(SetLine(port, CBR_19200));
        ASSERT_TRUE(::PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR));
        EXPECT_EQ(ReadSome(port, 1, 2).size(), 0u) << "the device only answers";
        std::string reply;
        for (int attempt = 0; attempt < 10 && reply.empty(); ++attempt)
            reply = Exchange(port, kReadRegister0, kRegister0Is1234.size());
        EXPECT_EQ(reply, kRegister0Is1234) << "round " << round;
        ::CloseHandle(port);
    }
}

TEST(SerialPortListing, AMissingPortCannotBeOpened)
{
    HANDLE port = OpenPort("COM251");
    EXPECT_EQ(port, INVALID_HANDLE_VALUE);
    if (port != INVALID_HANDLE_VALUE)
        ::CloseHandle(port);
}

} // namespace
