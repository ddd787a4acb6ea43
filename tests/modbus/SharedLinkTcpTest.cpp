// Shared Modbus/TCP links: one link per host and port text, counted handles, the last
// handle closing the link, failures that register nothing, and opens that do not wait
// for another user's slow connect.
#include <gtest/gtest.h>

#include "modbus/SharedLinks.h"
#include "tests/modbus/TcpTestServer.h"
#include "tests/support/Polling.h"

#include <boost/weak_ptr.hpp>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using tcp_test::TcpTestServer;

namespace {

class SharedLinkTcpTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(SharedTcpLinks().empty()); }
    void TearDown() override { EXPECT_TRUE(SharedTcpLinks().empty()); }

    tcp_test::WinsockScope winsock;
};

std::string KeyFor(const char* host, unsigned short port)
{
    return std::string(host) + ":" + std::to_string(port);
}

TEST_F(SharedLinkTcpTest, SameHostAndPortShareOneLinkUntilTheLastHandle)
{
    TcpTestServer server(&TcpTestServer::RegisterAnswer);
    auto first = OpenSharedModbusTcp("127.0.0.1", server.Port());
    auto second = OpenSharedModbusTcp("127.0.0.1", server.Port());
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->m_link.get(), second->m_link.get());
    EXPECT_EQ(KeyFor("127.0.0.1", server.Port()), first->GetKey());
    ASSERT_EQ(1u, SharedTcpLinks().count(first->GetKey()));

    boost::weak_ptr<CModbus> watched = first->m_link;
    first.reset();
    EXPECT_EQ(1u, SharedTcpLinks().size());
    EXPECT_TRUE(second->m_link->IsOpen());
    CWordArray words;
    EXPECT_EQ(0, second->m_link->ReadHoldingRegisters(1, 0, 2, words));

    second.reset();
    EXPECT_TRUE(SharedTcpLinks().empty());
    EXPECT_TRUE(watched.expired());
}

TEST_F(SharedLinkTcpTest, KeysAreTextualPerHostAndPort)
{
    TcpTestServer serverA(&TcpTestServer::RegisterAnswer);
    TcpTestServer serverB(&TcpTestServer::RegisterAnswer);
    auto onA = OpenSharedModbusTcp("127.0.0.1", serverA.Port());
    auto onB = OpenSharedModbusTcp("127.0.0.1", serverB.Port());
    auto byName = OpenSharedModbusTcp("localhost", serverA.Port());
    EXPECT_NE(onA->m_link.get(), onB->m_link.get());
    EXPECT_NE(onA->m_link.get(), byName->m_link.get());
    EXPECT_EQ(3u, SharedTcpLinks().size());
    EXPECT_EQ(KeyFor("localhost", serverA.Port()), byName->GetKey());
}

TEST_F(SharedLinkTcpTest, NewLinkReconnectsEveryExchangeWithFiveSecondTimeout)
{
    TcpTestServer server(&TcpTestServer::RegisterAnswer);
    auto handle = OpenSharedModbusTcp("127.0.0.1", server.Port());
    auto* link = dynamic_cast<CRemoteModbus*>(handle->m_link.get());
    ASSERT_NE(nullptr, link);
    EXPECT_EQ(5000, link->GetTimeout());
    CWordArray words;
    EXPECT_EQ(0, link->ReadHoldingRegisters(1, 0, 4, words));
    EXPECT_EQ(0, link->ReadHoldingRegisters(1, 4, 4, words));
    EXPECT_EQ(3, server.Connections());
}

TEST_F(SharedLinkTcpTest, LocalPortIsBoundForEveryExchange)
{
    TcpTestServer server(&TcpTestServer::RegisterAnswer);
    const unsigned short localPort = tcp_test::UnusedLoopbackPort();
    auto handle = OpenSharedModbusTcp("127.0.0.1", server.Port(), localPort);
    CWordArray words;
    for (int exchange = 0; exchange < 3; ++exchange)
        ASSERT_EQ(0, handle->m_link->ReadHoldingRegisters(1, 0, 1, words)) << "exchange " << exchange;
    for (const auto& request : server.Requests())
        EXPECT_EQ(localPort, request.clientPort);
}

TEST_F(SharedLinkTcpTest, FailedConnectThrowsAndRegistersNothing)
{
    const unsigned short port = tcp_test::UnusedLoopbackPort();
    try {
        OpenSharedModbusTcp("127.0.0.1", port);
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ("unable to open Modbus TCP/IP connection to " + KeyFor("127.0.0.1", port),
                  std::string(error.what()));
    }
    EXPECT_TRUE(SharedTcpLinks().empty());
}

TEST_F(SharedLinkTcpTest, RetryCountBelongsToTheLink)
{
    TcpTestServer server([](const tcp_test::Bytes& request) {
        tcp_test::ServerReply reply = TcpTestServer::RegisterAnswer(request);
        reply.bytes[6] = 42;   // wrong unit: every attempt fails
        return reply;
    });
    auto search = OpenSharedModbusTcp("127.0.0.1", server.Port());
    auto connection = OpenSharedModbusTcp("127.0.0.1", server.Port());
    search->m_link->SetRetries(1);
    CWordArray words;
    EXPECT_EQ(2, connection->m_link->ReadHoldingRegisters(1, 0, 1, words));
    EXPECT_EQ(1u, server.Requests().size());
    connection->m_link->SetRetries(2);
    EXPECT_EQ(2, search->m_link->ReadHoldingRegisters(1, 0, 1, words));
    EXPECT_EQ(3u, server.Requests().size());
}

TEST_F(SharedLinkTcpTest, SlowConnectDoesNotBlockOtherOpens)
{
    tcp_test::BlackHoleListener blackHole;
    if (!blackHole.Ready())
        GTEST_SKIP() << "the loopback accept queue could not be filled";
    TcpTestServer server(&TcpTestServer::RegisterAnswer);

    std::atomic<bool> slowOpenStarted(false), slowOpenEnded(false);
    bool slowOpenThrew = false;
    std::thread slowOpen([&] {
        slowOpenStarted = true;
        try {
            OpenSharedModbusTcp("127.0.0.1", blackHole.Port());
        } catch (const std::runtime_error&) {
            slowOpenThrew = true;
        }
        slowOpenEnded = true;
    });
    const bool started = testing_support::PollUntil([&] { return slowOpenStarted.load(); }, 10000, 1);
    const auto start = std::chrono::steady_clock::now();
    auto handle = OpenSharedModbusTcp("127.0.0.1", server.Port());
    handle.reset();
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The two opens overlapped: the slow one was still connecting when the other ended.
    const bool overlapped = !slowOpenEnded;
    slowOpen.join();

    ASSERT_TRUE(started);
    EXPECT_TRUE(overlapped);
    EXPECT_LT(elapsed, 2.0);
    EXPECT_TRUE(slowOpenThrew);
}

TEST_F(SharedLinkTcpTest, ThreadsShareOneLinkWithoutMixingReplies)
{
    TcpTestServer server(&TcpTestServer::RegisterAnswer);
    const int kThreads = 4;
    const int kReadsPerThread = 10;
    int failures[kThreads] = {};
    std::vector<std::thread> users;
    for (int t = 0; t < kThreads; ++t) {
        users.emplace_back([&, t] {
            auto handle = OpenSharedModbusTcp("127.0.0.1", server.Port());
            CWordArray words;
            const WORD count = static_cast<WORD>(t + 1);
            for (int read = 0; read < kReadsPerThread; ++read) {
                if (handle->m_link->ReadHoldingRegisters(1, 0, count, words) != 0 ||
                    words.GetSize() != count || words[count - 1] != 0x0100 + count - 1)
                    ++failures[t];
            }
        });
    }
    for (auto& user : users)
        user.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(0, failures[t]) << "thread " << t;
    EXPECT_EQ(static_cast<size_t>(kThreads * kReadsPerThread), server.Requests().size());
}

} // namespace
