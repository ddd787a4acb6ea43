// The loader's serial port over a real pty pair, with a small Python peer at the far end
// that echoes, floods or stays silent.
#include <gtest/gtest.h>

#include <cstdio>

#include "loader/CComPort.h"
#include "tests/loader/UnixProcessTimes.h"
#include "tests/support/PeerHost.h"
#include "tests/support/Polling.h"

#include <string>
#include <vector>

using testing_support::PeerHost;
using testing_support::SerialPair;
using loader_testing::UnixProcessTimes;

namespace {

const DWORD kCollectTimeoutMs = 5000;
const DWORD kQuietMs = 500;

DWORD Elapsed(DWORD since)
{
    return GetTickCount() - since;
}

// Takes bytes from the receive queue until count have come or the time is up; the
// receive event is reset before each look so that no arrival is missed.
std::vector<int> Collect(CComPort& port, size_t count, DWORD timeoutMs)
{
    std::vector<int> bytes;
    const DWORD start = GetTickCount();
    while (bytes.size() < count && Elapsed(start) < timeoutMs) {
        ResetEvent(port.GetRxEvent());
        for (int byte = port.GetByteFromRxBuffer(100); byte >= 0; byte = port.GetByteFromRxBuffer(100))
            bytes.push_back(byte);
        if (bytes.size() < count)
            WaitForSingleObject(port.GetRxEvent(), 100);
    }
    return bytes;
}

// Takes bytes until none has arrived for quietMs (bounded by timeoutMs overall).
size_t DrainUntilQuiet(CComPort& port, DWORD quietMs, DWORD timeoutMs)
{
    size_t total = 0;
    const DWORD start = GetTickCount();
    DWORD lastByte = GetTickCount();
    while (Elapsed(lastByte) < quietMs && Elapsed(start) < timeoutMs) {
        ResetEvent(port.GetRxEvent());
        bool any = false;
        while (port.GetByteFromRxBuffer(100) >= 0) {
            ++total;
            any = true;
        }
        if (any)
            lastByte = GetTickCount();
        WaitForSingleObject(port.GetRxEvent(), 50);
    }
    return total;
}

class LoaderSerialPortTest : public ::testing::Test {
protected:
    // Makes a pair and starts the peer in the given mode.
    void StartPeer(const std::string& mode)
    {
        ASSERT_TRUE(host.Connected()) << host.Error();
        pair = host.OpenSerialPair();
        ASSERT_NE(pair.id, 0) << host.Error();
        portName = "\\\\.\\" + pair.port;
        // tests/device/pty_peer.py echoes, floods or stays silent as the mode says.
        ASSERT_NE(host.SpawnPython("pty_peer.py", {pair.peerPath, mode}), 0)
            << host.Error();
    }

    PeerHost host;
    SerialPair pair;
    std::string portName;
};

std::vector<int> Sequence(size_t count)
{
    std::vector<int> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<int>((i * 7 + 3) % 256);
    return bytes;
}

std::vector<BYTE> AsBytes(const std::vector<int>& values)
{
    return std::vector<BYTE>(values.begin(), values.end());
}

} // namespace

TEST(LoaderSerialPortClosed, ErrorTextsOfEveryCode)
{
    EXPECT_STREQ(CComPort::GetErrorText(COMPORT_OK), "No error");
    EXPECT_STREQ(CComPort::GetErrorText(COMPORT_ERR_CLOSE), "Could not close port");
    EXPECT_STREQ(CComPort::GetErrorText(COMPORT_ERR_OPEN), "Cannot open port");
    EXPECT_STREQ(CComPort::GetErrorText(COMPORT_ERR_SYNC), "Could not create sync object");
    EXPECT_STREQ(CComPort::GetErrorText(COMPORT_ERR_CONFIG), "Cannot configure COM port as requested");
    EXPECT_STREQ(CComPort::GetErrorText(COMPORT_ERR_ACCESS), "Error accessing com port");
    EXPECT_STREQ(CComPort::GetErrorText(COMPORT_ERR_THREAD), "Cannot create thread");
    EXPECT_STREQ(CComPort::GetErrorText(-7), "Unknown error");
    EXPECT_STREQ(CComPort::GetErrorText(1), "Unknown error");
}

TEST(LoaderSerialPortClosed, ClosedPortRefusesEverythingQuietly)
{
    CComPort port;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Close(), COMPORT_OK);
    EXPECT_EQ(port.Close(), COMPORT_OK);
    EXPECT_EQ(port.GetByteFromRxBuffer(10), -1);
    EXPECT_TRUE(port.IsRxBufferEmpty(10));
    EXPECT_FALSE(port.PutByte(0x55, 10));
    const BYTE data[2] = {1, 2};
    EXPECT_EQ(port.PutBytes(data, 2, 10), -2);
    EXPECT_EQ(port.ReadSpBytes(1, nullptr), -1);
    EXPECT_EQ(port.WriteSpBytes(1, data), -1);
}

TEST(LoaderSerialPortClosed, MissingDeviceFailsToOpenAndStaysClosed)
{
    CComPort port;
    EXPECT_EQ(port.Open("\\\\.\\COM250", 9600), COMPORT_ERR_OPEN);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.GetRxEvent(), nullptr);
    EXPECT_EQ(port.Close(), COMPORT_OK);
}

TEST_F(LoaderSerialPortTest, BytesGoOutInOrderAndComeBackThroughTheReceiveQueue)
{
    StartPeer("echo");
    CComPort port;
    ASSERT_EQ(port.Open(portName.c_str(), 9600), COMPORT_OK);
    EXPECT_TRUE(port.IsRxBufferEmpty(100));

    EXPECT_TRUE(port.PutByte(0xFE, 1000));
    EXPECT_EQ(Collect(port, 1, kCollectTimeoutMs), std::vector<int>{0xFE});

    const std::vector<int> sent = Sequence(700);
    const std::vector<BYTE> raw = AsBytes(sent);
    EXPECT_EQ(port.PutBytes(raw.data(), static_cast<int>(raw.size()), 1000), 700);
    EXPECT_EQ(Collect(port, sent.size(), kCollectTimeoutMs), sent);
    EXPECT_EQ(port.GetByteFromRxBuffer(100), -1);
    EXPECT_EQ(port.Close(), COMPORT_OK);
}

TEST_F(LoaderSerialPortTest, PutBytesIsCutToTheRoomOfTheTransmitQueue)
{
    StartPeer("echo");
    CComPort port;
    ASSERT_EQ(port.Open(portName.c_str(), 115200), COMPORT_OK);
    const std::vector<BYTE> raw = AsBytes(Sequence(1500));
    EXPECT_EQ(port.PutBytes(raw.data(), 1500, 1000), 1024);
    const std::vector<int> back = Collect(port, 1024, kCollectTimeoutMs);
    EXPECT_EQ(back, std::vector<int>(Sequence(1024)));
    EXPECT_EQ(DrainUntilQuiet(port, 300, 2000), 0u);   // nothing beyond the 1024

    EXPECT_EQ(port.PutBytes(raw.data(), -1, 100), -1);
    EXPECT_EQ(port.PutBytes(nullptr, 3, 100), -1);
    EXPECT_EQ(port.PutBytes(raw.data(), 0, 100), 0);
}

TEST_F(LoaderSerialPortTest, ReceiveQueueHoldsAtMost2048Bytes)
{
    StartPeer("3000");
    CComPort port;
    ASSERT_EQ(port.Open(portName.c_str(), 9600), COMPORT_OK);
    ASSERT_TRUE(port.PutByte(0x01, 1000));

    // Let everything arrive without taking any byte out: what did not fit is counted.
    const long overflow = 3000 - static_cast<long>(CComPort::RxQueueCapacity);
    EXPECT_TRUE(testing_support::PollUntil([&] { return port.GetDroppedRxByteCount(100) >= overflow; },
                                           kCollectTimeoutMs));
    EXPECT_EQ(port.GetDroppedRxByteCount(100), overflow);
    std::vector<int> kept;
    for (int byte = port.GetByteFromRxBuffer(100); byte >= 0 && kept.size() < 4000;
         byte = port.GetByteFromRxBuffer(100))
        kept.push_back(byte);
    ASSERT_EQ(kept.size(), CComPort::RxQueueCapacity);
    for (size_t i = 0; i < kept.size(); ++i)
        ASSERT_EQ(kept[i], static_cast<int>(i % 251)) << "at " << i;   // the oldest are kept
}

TEST_F(LoaderSerialPortTest, EmptyReceiveQueueAnswersAtOnceWhateverTheTimeGiven)
{
    StartPeer("sink");
    CComPort port;
    ASSERT_EQ(port.Open(portName.c_str(), 9600), COMPORT_OK);
    const DWORD start = GetTickCount();
    EXPECT_EQ(port.GetByteFromRxBuffer(5000), -1);
    EXPECT_TRUE(port.IsRxBufferEmpty(5000));
    EXPECT_LT(Elapsed(start), 500u);

    // Nothing arrives: a wait on the receive event runs into its time-out.
    EXPECT_EQ(WaitForSingleObject(port.GetRxEvent(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(LoaderSerialPortTest, CancelEventEndsAWaitForReceivedBytes)
{
    StartPeer("sink");
    CComPort port;
    ASSERT_EQ(port.Open(portName.c_str(), 9600), COMPORT_OK);
    HANDLE cancel = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(cancel, nullptr);
    HANDLE canceller = CreateThread(nullptr, 0, [](LPVOID event) -> DWORD {
        Sleep(200);
        SetEvent(static_cast<HANDLE>(event));
        return 0;
    }, cancel, 0, nullptr);
    ASSERT_NE(canceller, nullptr);

    HANDLE waits[2] = {port.GetRxEvent(), cancel};
    const DWORD start = GetTickCount();
    EXPECT_EQ(WaitForMultipleObjects(2, waits, FALSE, 10000), static_cast<DWORD>(WAIT_OBJECT_0 + 1));
    EXPECT_LT(Elapsed(start), 2000u);
    WaitForSingleObject(canceller, 5000);
    CloseHandle(canceller);
    CloseHandle(cancel);

    const DWORD closeStart = GetTickCount();
    EXPECT_EQ(port.Close(), COMPORT_OK);
    EXPECT_LT(Elapsed(closeStart), 1000u);
}

TEST_F(LoaderSerialPortTest, CloseEndsBothThreadsWellWithinTheirWaits)
{
    StartPeer("echo");
    CComPort port;
    const std::vector<BYTE> raw = AsBytes(Sequence(64));
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(port.Open(portName.c_str(), 9600), COMPORT_OK);
        ASSERT_EQ(port.PutBytes(raw.data(), 64, 1000), 64);
        ASSERT_EQ(Collect(port, 64, kCollectTimeoutMs).size(), 64u);
        // A terminated thread would cost 2,000 ms here.
        const DWORD start = GetTickCount();
        EXPECT_EQ(port.Close(), COMPORT_OK);
        EXPECT_LT(Elapsed(start), 1000u);
        EXPECT_FALSE(port.IsOpen());
    }
}

TEST_F(LoaderSerialPortTest, CloseWithBytesStillQueuedReturnsPromptly)
{
    StartPeer("sink");
    CComPort port;
    ASSERT_EQ(port.Open(portName.c_str(), 110), COMPORT_OK);
    const std::vector<BYTE> raw = AsBytes(Sequence(1024));
    ASSERT_EQ(port.PutBytes(raw.data(), 1024, 1000), 1024);
    const DWORD start = GetTickCount();
    port.Close();
    EXPECT_LT(Elapsed(start), 4500u);   // two waits of 2,000 ms at worst
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(LoaderSerialPortTest, OpeningAnOpenPortReopensIt)
{
    StartPeer("echo");
    CComPort port;
    ASSERT_EQ(port.Open(portName.c_str(), 9600), COMPORT_OK);
    ASSERT_TRUE(port.PutByte(0x11, 1000));
    ASSERT_EQ(Collect(port, 1, kCollectTimeoutMs), std::vector<int>{0x11});
    ASSERT_TRUE(port.PutByte(0x22, 1000));
    // The echo of 0x22 is in the queue and goes with the reopen.
    ASSERT_TRUE(testing_support::PollUntil([&] { return !port.IsRxBufferEmpty(100); }, kCollectTimeoutMs));

    ASSERT_EQ(port.Open(portName.c_str(), 19200), COMPORT_OK);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(port.IsRxBufferEmpty(100));
    ASSERT_TRUE(port.PutByte(0x33, 1000));
    EXPECT_EQ(Collect(port, 1, kCollectTimeoutMs), std::vector<int>{0x33});
}

TEST_F(LoaderSerialPortTest, CloseRestoresTheEarlierSettings)
{
    StartPeer("sink");
    HANDLE handle = CreateFileA(portName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    DCB before = {};
    before.DCBlength = sizeof(before);
    ASSERT_TRUE(GetCommState(handle, &before));
    before.BaudRate = 19200;
    before.StopBits = TWOSTOPBITS;
    ASSERT_TRUE(SetCommState(handle, &before));
    CloseHandle(handle);

    {
        CComPort port;
        ASSERT_EQ(port.Open(portName.c_str(), 4321), COMPORT_OK);
        EXPECT_EQ(port.Close(), COMPORT_OK);
    }

    handle = CreateFileA(portName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    DCB after = {};
    after.DCBlength = sizeof(after);
    ASSERT_TRUE(GetCommState(handle, &after));
    CloseHandle(handle);
    EXPECT_EQ(after.BaudRate, 19200u);
    EXPECT_EQ(after.StopBits, TWOSTOPBITS);
}

// An open port with nothing arriving: its threads wait in calls that the wineserver ends
// when a byte comes, so neither this process nor the server does work meanwhile. A driver
// wait that polls the line, or a thread that spins, shows as a share of a processor here.
// Only this process's share is checked: other test programs may share the wineserver.
TEST_F(LoaderSerialPortTest, IdlePortThreadsDoNotSpin)
{
    StartPeer("sink");
    CComPort port;
    ASSERT_EQ(port.Open(portName.c_str(), 9600), COMPORT_OK);
    const std::string self = UnixProcessTimes::OwnPid();
    const std::string server = UnixProcessTimes::WineServerPid();
    ASSERT_FALSE(self.empty()) << "this program's process not found in /proc through Z:";
    const double ownBefore = UnixProcessTimes::CpuMs(self);
    const double serverBefore = server.empty() ? -1 : UnixProcessTimes::CpuMs(server);
    ASSERT_GE(ownBefore, 0);
    const DWORD windowMs = 2000;
    Sleep(windowMs);
    const double ownMs = UnixProcessTimes::CpuMs(self) - ownBefore;
    const double serverMs = serverBefore < 0 ? -1 : UnixProcessTimes::CpuMs(server) - serverBefore;
    std::printf("idle port: %.0f ms of processor time in %.0f s, wineserver %.0f ms\n", ownMs,
                windowMs / 1000.0, serverMs);
    // Under load this measures at most one 10 ms tick; a polled wait costs 140 ms and more.
    EXPECT_LE(ownMs, 30.0);
}
