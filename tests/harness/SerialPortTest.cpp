// A Windows program reaches a serial device through a pseudo-terminal pair that the
// peer host links into the Wine prefix as a COM port.
#include <gtest/gtest.h>

#include "tests/support/PeerHost.h"

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

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Connected()) << host.Error();
        pair = host.OpenSerialPair();
        ASSERT_NE(pair.id, 0) << host.Error();
        peer = host.SpawnPython("serial_echo.py", {pair.peerPath, "60"});
        ASSERT_NE(peer, 0) << host.Error();
    }

    PeerHost host;
    SerialPair pair;
    int peer = 0;
};

TEST_F(SerialPortTest, BytesGoThroughThePeerAndBack)
{
    HANDLE port = OpenPort(pair.port);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << pair.port << " error " << ::GetLastError();
    ASSERT_TRUE(SetLine(port, CBR_9600));

    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(::GetCommState(port, &dcb));
    EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(CBR_9600));
    EXPECT_EQ(dcb.ByteSize, 8);

    const std::string request = "ping:\x01\x7f";
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(port, request.data(), static_cast<DWORD>(request.size()), &written, nullptr));
    EXPECT_EQ(written, request.size());
    EXPECT_EQ(ReadSome(port, request.size()), "PING:\x01\x7f");
    ::CloseHandle(port);
}

TEST_F(SerialPortTest, PortReopensAndNothingArrivesUnasked)
{
    for (int round = 0; round < 2; ++round) {
        HANDLE port = OpenPort(pair.port);
        ASSERT_NE(port, INVALID_HANDLE_VALUE) << "round " << round;
        ASSERT_TRUE(SetLine(port, CBR_19200));
        ASSERT_TRUE(::PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR));
        EXPECT_EQ(ReadSome(port, 1, 2).size(), 0u) << "the peer only answers";
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(port, "ab", 2, &written, nullptr));
        EXPECT_EQ(ReadSome(port, 2), "AB");
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
