// The blocking socket under the TCP link: error texts, time-outs in whole seconds and
// partial receives, on a loopback connection whose far end the test drives directly;
// each test runs on a blocking connection and on one left non-blocking.
#include <gtest/gtest.h>

#include "modbus/CBlockingSocket.h"
#include "modbus/CBlockingSocketException.h"
#include "tests/modbus/TcpTestServer.h"

#include <chrono>
#include <string>
#include <vector>

namespace {

TEST(TcpBlockingSocketException, TextNamesStepAndCode)
{
    EXPECT_STREQ("Send timeout error#10060", CBlockingSocketException("Send timeout", 10060).what());
    EXPECT_STREQ("Bind error", CBlockingSocketException("Bind", 0).what());
    EXPECT_EQ(10060, CBlockingSocketException("Send timeout", 10060).GetErrorCode());
}

// A connected pair on loopback: `socket` is ours, `peer` the raw far end. The parameter
// leaves our end non-blocking.
class TcpBlockingSocketTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        SOCKET listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        int size = sizeof(address);
        ASSERT_EQ(0, ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
        ASSERT_EQ(0, ::listen(listener, 1));
        ASSERT_EQ(0, ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size));
        socket.Create(SOCK_STREAM);
        socket.Connect(address, 2, GetParam());
        peer = ::accept(listener, nullptr, nullptr);
        ::closesocket(listener);
        ASSERT_NE(INVALID_SOCKET, peer);
    }

    void TearDown() override
    {
        if (peer != INVALID_SOCKET)
            ::closesocket(peer);
    }

    tcp_test::WinsockScope winsock;
    CBlockingSocket socket;
    SOCKET peer = INVALID_SOCKET;
};

TEST_P(TcpBlockingSocketTest, SendAllAndReceiveAllMoveEveryByte)
{
    const std::string text = "0123456789";
    EXPECT_EQ(10, socket.SendAll(text.data(), 10, 1));
    char echoed[10] = {};
    int got = 0;
    for (int attempt = 0; attempt < 10 && got < 10; ++attempt)
        got += ::recv(peer, echoed + got, 10 - got, 0);
    ASSERT_EQ(10, got);
    ::send(peer, echoed, 4, 0);
    ::send(peer, echoed + 4, 6, 0);
    char back[10] = {};
    EXPECT_EQ(10, socket.ReceiveAll(back, 10, 1));
    EXPECT_EQ(text, std::string(back, 10));
}

TEST_P(TcpBlockingSocketTest, ReceiveAllStopsWhenThePeerCloses)
{
    ::send(peer, "abc", 3, 0);
    ::closesocket(peer);
    peer = INVALID_SOCKET;
    char buffer[8] = {};
    EXPECT_EQ(3, socket.ReceiveAll(buffer, 8, 1));
    EXPECT_EQ(0, socket.ReceiveAll(buffer, 0, 1));
}

TEST_P(TcpBlockingSocketTest, ReceiveTimesOutAfterWholeSeconds)
{
    char buffer[4];
    const auto start = std::chrono::steady_clock::now();
    try {
        socket.Receive(buffer, 4, 1);
        FAIL() << "no time-out";
    } catch (const CBlockingSocketException& error) {
        EXPECT_EQ(0u, std::string(error.what()).find("Receive timeout error"));
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(elapsed, 0.8);
    EXPECT_LT(elapsed, 3.0);
}

TEST_P(TcpBlockingSocketTest, SendTimesOutWhenThePeerStopsReading)
{
    // Nothing is read at the far end, so the buffers fill and a send has to wait.
    const std::vector<char> chunk(64 * 1024, 'x');
    bool timedOut = false;
    double elapsed = 0.0;
    for (int sends = 0; sends < 1024 && !timedOut; ++sends) {
        const auto start = std::chrono::steady_clock::now();
        try {
            socket.Send(chunk.data(), static_cast<int>(chunk.size()), 1);
        } catch (const CBlockingSocketException& error) {
            elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            EXPECT_EQ(0u, std::string(error.what()).find("Send timeout error"));
            EXPECT_EQ(WSAETIMEDOUT, error.GetErrorCode());
            timedOut = true;
        }
    }
    ASSERT_TRUE(timedOut);
    EXPECT_GE(elapsed, 0.8);
    EXPECT_LT(elapsed, 3.0);
}

TEST_P(TcpBlockingSocketTest, OperationsOnAClosedSocketThrow)
{
    socket.Close();
    EXPECT_FALSE(socket.IsCreated());
    char buffer[4] = {};
    EXPECT_THROW(socket.Send(buffer, 4, 1), CBlockingSocketException);
    EXPECT_THROW(socket.Receive(buffer, 4, 1), CBlockingSocketException);
    EXPECT_NO_THROW(socket.Close());
}

INSTANTIATE_TEST_SUITE_P(Modes, TcpBlockingSocketTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "NonBlocking" : "Blocking");
                         });

TEST(TcpBlockingSocketHost, LocalhostResolvesToLoopback)
{
    tcp_test::WinsockScope winsock;
    const sockaddr_in address = CBlockingSocket::GetHostByName("localhost", 502);
    EXPECT_EQ(AF_INET, address.sin_family);
    EXPECT_EQ(::htons(502), address.sin_port);
    EXPECT_EQ(::htonl(INADDR_LOOPBACK), address.sin_addr.s_addr);
}

} // namespace
