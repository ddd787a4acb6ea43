// The Modbus/TCP link against a scripted loopback peer: the bytes on the wire, reply
// and exception handling, socket failures and reconnecting before every exchange.
#include <gtest/gtest.h>

#include "modbus/CModbusException.h"
#include "modbus/CRemoteModbus.h"
#include "tests/modbus/TcpTestServer.h"

#include <chrono>

using tcp_test::Bytes;
using tcp_test::ServerReply;
using tcp_test::TcpTestServer;

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class TcpLinkTest : public ::testing::Test
{
protected:
    tcp_test::WinsockScope winsock;
};

TEST_F(TcpLinkTest, ReadSendsMbapFrameAndDecodesWords)
{
    TcpTestServer server(&TcpTestServer::RegisterAnswer);
    CRemoteModbus link;
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 2000));
    ASSERT_TRUE(link.IsOpen());

    CWordArray words;
    EXPECT_EQ(0, link.ReadHoldingRegisters(1, 0, 2, words));
    ASSERT_EQ(2, words.GetSize());
    EXPECT_EQ(0x0100, words[0]);
    EXPECT_EQ(0x0101, words[1]);

    const auto requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ((Bytes{0, 0, 0, 0, 0, 6, 1, 3, 0, 0, 0, 2}), requests[0].frame);
}

TEST_F(TcpLinkTest, WriteAndInputReadUseTheirFunctionCodes)
{
    TcpTestServer server([](const Bytes& request) {
        if (request[7] == 6)
            return TcpTestServer::Answer(Bytes(request.begin() + 6, request.end()));
        return TcpTestServer::RegisterAnswer(request);
    });
    CRemoteModbus link;
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 2000));

    EXPECT_EQ(0, link.WriteSingleRegister(7, 0x1234, 0xBEEF));
    CWordArray words;
    EXPECT_EQ(0, link.ReadInputRegisters(7, 0x10, 125, words));
    EXPECT_EQ(125, words.GetSize());

    const auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ((Bytes{0, 0, 0, 0, 0, 6, 7, 6, 0x12, 0x34, 0xBE, 0xEF}), requests[0].frame);
    EXPECT_EQ((Bytes{0, 0, 0, 0, 0, 6, 7, 4, 0x00, 0x10, 0x00, 125}), requests[1].frame);
}

TEST_F(TcpLinkTest, ExceptionRepliesBecomeCodes)
{
    BYTE exceptionCode = 2;
    // Set, the unit id and the function byte the exception carries instead of the request's.
    BYTE otherUnit = 0;
    BYTE otherFunction = 0;
    TcpTestServer server([&](const Bytes& request) {
        return TcpTestServer::Answer({otherUnit ? otherUnit : request[6],
                                      otherFunction ? otherFunction : static_cast<unsigned char>(request[7] | 0x80),
                                      exceptionCode});
    });
    CRemoteModbus link;
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 2000));
    CWordArray words;

    EXPECT_EQ(0x8002, link.ReadHoldingRegisters(1, 0, 2, words));
    EXPECT_STREQ("Modbus device return an exception code 2 (illegal data address)",
                 link.GetErrorText(0x8002));

    // Codes above the threshold lose it: 0x81 reads as 1, 0x83 as 3.
    exceptionCode = 0x81;
    EXPECT_EQ(1, link.ReadHoldingRegisters(1, 0, 2, words));
    exceptionCode = 0x83;
    EXPECT_EQ(3, link.WriteSingleRegister(1, 0, 5));
    EXPECT_TRUE(link.GetExceptionOffsetFlag());
    EXPECT_EQ(128, link.GetExceptionThreshold());

    // The threshold itself would lose all of it and read as success: it stays an exception.
    exceptionCode = 0x80;
    EXPECT_EQ(MODBUS_EXCEPTION_BASE | 0x80, link.ReadHoldingRegisters(1, 0, 2, words));
    // So does the exception of function 0, whose function byte is 0x80 exactly.
    exceptionCode = 1;
    std::vector<BYTE> reply;
    try {
        link.TransactRaw({1, 0x00}, reply);
        ADD_FAILURE() << "an exception reply read as success";
    } catch (const CModbusException& error) {
        EXPECT_EQ(MODBUS_EXCEPTION_BASE | 1, error.GetCode());
    }

    // Another unit's exception, or one of another function, is no refusal of this request.
    link.SetRetries(2);
    exceptionCode = 2;
    otherUnit = 28;
    EXPECT_EQ(MODBUS_ERROR_INVALID_RESPONSE, link.ReadHoldingRegisters(27, 0, 2, words));
    EXPECT_EQ(MODBUS_ERROR_INVALID_RESPONSE, link.WriteSingleRegister(27, 0, 5));
    exceptionCode = 3;
    otherUnit = 35;
    EXPECT_EQ(MODBUS_ERROR_INVALID_RESPONSE, link.WriteSingleRegister(34, 0, 5));
    EXPECT_EQ(MODBUS_ERROR_INVALID_RESPONSE, link.ReadInputRegisters(34, 0, 2, words));
    otherUnit = 0;
    otherFunction = 0x84;
    EXPECT_EQ(MODBUS_ERROR_INVALID_RESPONSE, link.ReadHoldingRegisters(27, 0, 2, words));
    EXPECT_EQ(MODBUS_ERROR_INVALID_RESPONSE, link.WriteSingleRegister(27, 0, 5));
    try {
        link.TransactRaw({27, 0x03, 0, 0, 0, 1}, reply);
        ADD_FAILURE() << "another function's exception read as success";
    } catch (const CModbusException& error) {
        EXPECT_EQ(MODBUS_ERROR_INVALID_RESPONSE, error.GetCode());
    }
    otherFunction = 0x83;
    EXPECT_EQ(MODBUS_EXCEPTION_BASE | 3, link.ReadHoldingRegisters(27, 0, 2, words)) << "its own";
    EXPECT_EQ(server.Requests().size(), 20u) << "each asked twice";
}

TEST_F(TcpLinkTest, ShortOrMismatchedRegisterRepliesAreInvalid)
{
    Bytes pdu;
    TcpTestServer server([&pdu](const Bytes&) { return TcpTestServer::Answer(pdu); });
    CRemoteModbus link;
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 2000));
    CWordArray words;

    // One word where two were asked for: must not pass with a zero second word.
    pdu = {1, 3, 2, 0x12, 0x34};
    EXPECT_EQ(2, link.ReadHoldingRegisters(1, 0, 2, words));
    pdu = {2, 3, 4, 0, 1, 0, 2};
    EXPECT_EQ(2, link.ReadHoldingRegisters(1, 0, 2, words));
    pdu = {1, 3, 4, 0, 1, 0, 2};
    EXPECT_EQ(0, link.ReadHoldingRegisters(1, 0, 2, words));
}

TEST_F(TcpLinkTest, SocketCodesHaveTcpTexts)
{
    CRemoteModbus link;
    EXPECT_STREQ("Buffer Overflow", link.GetErrorText(1000));
    EXPECT_STREQ("Socket Error", link.GetErrorText(1001));
    EXPECT_STREQ("Write Socket Error", link.GetErrorText(1002));
    EXPECT_STREQ("Read Socket Error", link.GetErrorText(1003));
    EXPECT_STREQ("Socket not connected", link.GetErrorText(1004));
    EXPECT_STREQ("okay", link.GetErrorText(0));
    EXPECT_STREQ("", link.GetErrorText(5));
}

TEST_F(TcpLinkTest, LengthFieldLargerThanDataTimesOut)
{
    // Announces 9 bytes, sends 5, then keeps the connection open.
    TcpTestServer server([](const Bytes&) {
        return ServerReply{{0, 0, 0, 0, 0, 9, 1, 3, 4, 0, 1}};
    });
    CRemoteModbus link;
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 1000));
    CWordArray words;

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(1001, link.ReadHoldingRegisters(1, 0, 2, words));
    EXPECT_EQ(CModbus::EXCHANGE_END_TIMEOUT, link.LastExchangeEnd());
    const double elapsed = SecondsSince(start);
    EXPECT_GE(elapsed, 0.8);
    EXPECT_LT(elapsed, 5.0);
}

TEST_F(TcpLinkTest, BytesPastAReplyStartTheNextOne)
{
    // The first request gets two replies in one send, the second none.
    int answered = 0;
    TcpTestServer server([&answered](const Bytes&) {
        if (++answered > 1)
            return ServerReply{};
        Bytes both = TcpTestServer::Frame({1, 3, 4, 0, 1, 0, 2});
        const Bytes second = TcpTestServer::Frame({1, 3, 4, 0, 3, 0, 4});
        both.insert(both.end(), second.begin(), second.end());
        return ServerReply{both};
    });
    CRemoteModbus link;
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 1000));
    CWordArray words;
    ASSERT_EQ(0, link.ReadHoldingRegisters(1, 0, 2, words));
    EXPECT_EQ(1, words[0]);
    EXPECT_EQ(2, words[1]);
    ASSERT_EQ(0, link.ReadHoldingRegisters(1, 0, 2, words));
    EXPECT_EQ(3, words[0]);
    EXPECT_EQ(4, words[1]);
}

TEST_F(TcpLinkTest, PeerClosingMidReplyIsShortReceive)
{
    TcpTestServer server([](const Bytes&) {
        ServerReply reply{{0, 0, 0, 0, 0, 9, 1, 3, 4, 0, 1}};
        reply.closeAfter = true;
        return reply;
    });
    CRemoteModbus link;
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 2000));
    CWordArray words;
    EXPECT_EQ(1003, link.ReadHoldingRegisters(1, 0, 2, words));
    EXPECT_EQ(CModbus::EXCHANGE_END_CLOSED, link.LastExchangeEnd());
}

TEST_F(TcpLinkTest, UnconnectedLinkGivesNotConnectedWithoutTraffic)
{
    TcpTestServer server(&TcpTestServer::RegisterAnswer);
    CRemoteModbus link;
    EXPECT_FALSE(link.IsOpen());
    CWordArray words;
    EXPECT_EQ(1004, link.ReadHoldingRegisters(1, 0, 2, words));

    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 2000));
    EXPECT_EQ(1, link.Close());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(1004, link.ReadHoldingRegisters(1, 0, 2, words));
    EXPECT_LE(server.Connections(), 1);
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(TcpLinkTest, ConnectFailuresReturnFalse)
{
    CRemoteModbus link;
    EXPECT_FALSE(link.Connect("127.0.0.1", tcp_test::UnusedLoopbackPort(), 2000));
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(TcpLinkTest, HostNameIsResolved)
{
    TcpTestServer server(&TcpTestServer::RegisterAnswer);
    CRemoteModbus link;
    ASSERT_TRUE(link.Connect("localhost", server.Port(), 2000));
    CWordArray words;
    EXPECT_EQ(0, link.ReadHoldingRegisters(1, 0, 1, words));
}

TEST_F(TcpLinkTest, ConnectToUnansweringHostEndsAfterTimeout)
{
    tcp_test::BlackHoleListener blackHole;
    if (!blackHole.Ready())
        GTEST_SKIP() << "the loopback accept queue could not be filled";
    CRemoteModbus link;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.Connect("127.0.0.1", blackHole.Port(), 1000));
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(TcpLinkTest, ReconnectEachExchangeOpensNewConnections)
{
    TcpTestServer server(&TcpTestServer::RegisterAnswer);
    CRemoteModbus link;
    link.SetReconnectEachTransaction(TRUE);
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 2000));
    CWordArray words;
    for (int exchange = 0; exchange < 3; ++exchange)
        EXPECT_EQ(0, link.ReadHoldingRegisters(1, 0, 3, words)) << "exchange " << exchange;
    EXPECT_EQ(3u, server.Requests().size());
    // The connect of Connect() itself plus one per exchange.
    EXPECT_EQ(4, server.Connections());
}

TEST_F(TcpLinkTest, ReconnectEachExchangeRebindsTheSameLocalPort)
{
    TcpTestServer server(&TcpTestServer::RegisterAnswer);
    const unsigned short localPort = tcp_test::UnusedLoopbackPort();
    CRemoteModbus link;
    link.SetReconnectEachTransaction(TRUE);
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 2000, localPort));
    CWordArray words;
    for (int exchange = 0; exchange < 3; ++exchange)
        ASSERT_EQ(0, link.ReadHoldingRegisters(1, 0, 1, words)) << "exchange " << exchange;
    const auto requests = server.Requests();
    ASSERT_EQ(3u, requests.size());
    for (const auto& request : requests)
        EXPECT_EQ(localPort, request.clientPort);
}

TEST_F(TcpLinkTest, FailedReconnectGivesNotConnected)
{
    auto server = std::make_unique<TcpTestServer>(&TcpTestServer::RegisterAnswer);
    CRemoteModbus link;
    link.SetReconnectEachTransaction(TRUE);
    ASSERT_TRUE(link.Connect("127.0.0.1", server->Port(), 1000));
    server.reset();
    CWordArray words;
    EXPECT_EQ(1004, link.ReadHoldingRegisters(1, 0, 1, words));
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(TcpLinkTest, RetriesRepeatTheWholeExchange)
{
    int answered = 0;
    TcpTestServer server([&answered](const Bytes& request) {
        // The first two requests get a wrong unit id.
        ServerReply reply = TcpTestServer::RegisterAnswer(request);
        if (++answered <= 2)
            reply.bytes[6] = 99;
        return reply;
    });
    CRemoteModbus link;
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 2000));
    link.SetRetries(3);
    CWordArray words;
    EXPECT_EQ(0, link.ReadHoldingRegisters(1, 0, 1, words));
    EXPECT_EQ(3u, server.Requests().size());
}

TEST_F(TcpLinkTest, RawReplyLongerThanTheCallersArrayIsKeptWhole)
{
    TcpTestServer server([](const Bytes&) {
        return TcpTestServer::Answer({1, 0x41, 1, 2, 3, 4, 5, 6, 7, 8});
    });
    CRemoteModbus link;
    ASSERT_TRUE(link.Connect("127.0.0.1", server.Port(), 2000));
    CByteArray query;
    query.Add(1);
    query.Add(0x41);
    CByteArray reply;
    reply.SetSize(4);
    int received = 0;
    ASSERT_EQ(0, link.TxRxMessage(query, 2, reply, 0, &received));
    EXPECT_EQ(10, received);
    ASSERT_EQ(10, reply.GetSize());
    EXPECT_EQ(8, reply[9]);
}

} // namespace
