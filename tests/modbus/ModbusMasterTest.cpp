// The master's request building, reply checks, retries and result codes, over a
// scripted transport that records the queries and plays back prepared replies.
#include <gtest/gtest.h>

#include "modbus/CModbus.h"
#include "modbus/CModbusException.h"

#include <deque>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

struct ScriptedReply {
    int code = MODBUS_SUCCESS;
    Bytes bytes; // unit id + PDU
};

// Plays back one reply per exchange; like the TCP and ASCII transports it keeps the
// caller's reply buffer at its size and reports the bytes that came.
class ScriptedLink : public CModbus
{
public:
    BOOL IsOpen() override { return TRUE; }
    int TxRxMessage(CByteArray& query, int queryLength, CByteArray& reply, int expectedLength,
                    int* receivedLength) override
    {
        Bytes sent(query.GetData(), query.GetData() + queryLength);
        queries.push_back(sent);
        expectedLengths.push_back(expectedLength);
        if (replies.empty())
            return MODBUS_ERROR_TIMEOUT;
        ScriptedReply next = replies.front();
        replies.pop_front();
        if (next.code != MODBUS_SUCCESS)
            return next.code;
        if (reply.GetSize() < static_cast<INT_PTR>(next.bytes.size()))
            reply.SetSize(static_cast<INT_PTR>(next.bytes.size()));
        for (size_t i = 0; i < next.bytes.size(); ++i)
            reply[static_cast<INT_PTR>(i)] = next.bytes[i];
        if (receivedLength)
            *receivedLength = static_cast<int>(next.bytes.size());
        return MODBUS_SUCCESS;
    }

    void Reply(const Bytes& bytes) { replies.push_back({MODBUS_SUCCESS, bytes}); }
    void Fail(int code) { replies.push_back({code, {}}); }

    std::deque<ScriptedReply> replies;
    std::vector<Bytes> queries;
    std::vector<int> expectedLengths;
};

Bytes IdentificationReply(const std::vector<std::pair<BYTE, std::string>>& objects, BYTE unit = 1)
{
    Bytes reply = {unit, 0x2B, 0x0E, 0x01, 0x01, 0x00, 0x00, static_cast<BYTE>(objects.size())};
    for (const auto& object : objects) {
        reply.push_back(object.first);
        reply.push_back(static_cast<BYTE>(object.second.size()));
        reply.insert(reply.end(), object.second.begin(), object.second.end());
    }
    return reply;
}

TEST(ModbusMasterRegisters, HoldingReadSendsSixBytesAndTakesWordsBigEndian)
{
    ScriptedLink link;
    link.Reply({0x07, 0x03, 0x04, 0x12, 0x34, 0xAB, 0xCD});
    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(7, 0x1234, 2, words), MODBUS_SUCCESS);
    ASSERT_EQ(link.queries.size(), 1u);
    EXPECT_EQ(link.queries[0], (Bytes{0x07, 0x03, 0x12, 0x34, 0x00, 0x02}));
    EXPECT_EQ(link.expectedLengths[0], 0) << "function 3 takes the reply as it arrives";
    ASSERT_GE(words.GetSize(), 2);
    EXPECT_EQ(words[0], 0x1234);
    EXPECT_EQ(words[1], 0xABCD);
}

TEST(ModbusMasterRegisters, InputReadStatesTheReplyLength)
{
    ScriptedLink link;
    link.Reply({0x01, 0x04, 0x06, 0, 1, 0, 2, 0, 3});
    CWordArray words;
    EXPECT_EQ(link.ReadInputRegisters(1, 100, 3, words), MODBUS_SUCCESS);
    EXPECT_EQ(link.queries[0], (Bytes{0x01, 0x04, 0x00, 0x64, 0x00, 0x03}));
    EXPECT_EQ(link.expectedLengths[0], 9);
    EXPECT_EQ(words[2], 3);
}

TEST(ModbusMasterRegisters, CountsOutsideOneTo125SendNothing)
{
    ScriptedLink link;
    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 0, words), MODBUS_ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(link.ReadInputRegisters(1, 0, 126, words), MODBUS_ERROR_BUFFER_OVERFLOW);
    EXPECT_TRUE(link.queries.empty());

    link.Reply(Bytes(3 + 250, 0));
    link.replies.back().bytes[0] = 1;
    link.replies.back().bytes[1] = 3;
    link.replies.back().bytes[2] = 250;
    EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 125, words), MODBUS_SUCCESS);
}

TEST(ModbusMasterRegisters, RepliesThatDoNotMatchGiveCode2)
{
    struct Case {
        const char* what;
        Bytes reply;
    } cases[] = {
        {"other unit", {0x02, 0x03, 0x04, 0, 1, 0, 2}},
        {"other function", {0x01, 0x04, 0x04, 0, 1, 0, 2}},
        // A short reply must not turn into zeros in a buffer kept at full size.
        {"one word of two", {0x01, 0x03, 0x02, 0, 1}},
        {"byte count says one word", {0x01, 0x03, 0x02, 0, 1, 0, 2}},
        {"unit only", {0x01}},
    };
    for (const Case& c : cases) {
        ScriptedLink link;
        link.Reply(c.reply);
        CWordArray words;
        EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 2, words), MODBUS_ERROR_INVALID_RESPONSE) << c.what;
    }
}

TEST(ModbusMasterRegisters, RetriesRepeatTheWholeExchangeUntilOneSucceeds)
{
    ScriptedLink link;
    link.SetRetries(3);
    link.Fail(MODBUS_ERROR_TIMEOUT);
    link.Reply({0x09, 0x03, 0x02, 0, 5}); // wrong unit
    link.Reply({0x01, 0x03, 0x02, 0, 5});
    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 1, words), MODBUS_SUCCESS);
    EXPECT_EQ(link.queries.size(), 3u);
    EXPECT_EQ(words[0], 5);
}

TEST(ModbusMasterRegisters, TheLastCodeOfTheLastAttemptIsReturned)
{
    ScriptedLink link;
    link.SetRetries(2);
    link.Fail(MODBUS_ERROR_CRC);
    link.Fail(MODBUS_EXCEPTION_BASE | 2);
    link.Reply({0x01, 0x03, 0x02, 0, 5}); // never asked for
    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 1, words), MODBUS_EXCEPTION_BASE | 2);
    EXPECT_EQ(link.queries.size(), 2u);
}

TEST(ModbusMasterWrites, SingleWritesMustEchoTheRequest)
{
    ScriptedLink link;
    link.Reply({0x05, 0x06, 0x00, 0x10, 0xBE, 0xEF});
    EXPECT_EQ(link.WriteSingleRegister(5, 0x10, 0xBEEF), MODBUS_SUCCESS);
    EXPECT_EQ(link.queries[0], (Bytes{0x05, 0x06, 0x00, 0x10, 0xBE, 0xEF}));
    EXPECT_EQ(link.expectedLengths[0], 6);

    link.Reply({0x05, 0x06, 0x00, 0x10, 0xBE, 0xEE});
    EXPECT_EQ(link.WriteSingleRegister(5, 0x10, 0xBEEF), MODBUS_ERROR_INVALID_RESPONSE);
    link.Reply({0x05, 0x06, 0x00, 0x10});
    EXPECT_EQ(link.WriteSingleRegister(5, 0x10, 0xBEEF), MODBUS_ERROR_INVALID_RESPONSE);
}

TEST(ModbusMasterWrites, CoilsAreOnOnlyForOne)
{
    EXPECT_EQ(CModbus::CoilValue(1), 0xFF00);
    EXPECT_EQ(CModbus::CoilValue(0), 0x0000);
    EXPECT_EQ(CModbus::CoilValue(2), 0x0000);

    ScriptedLink link;
    link.Reply({0x01, 0x05, 0x00, 0x03, 0xFF, 0x00});
    EXPECT_EQ(link.WriteSingleCoil(1, 3, 1), MODBUS_SUCCESS);
    EXPECT_EQ(link.queries[0], (Bytes{0x01, 0x05, 0x00, 0x03, 0xFF, 0x00}));
}

TEST(ModbusMasterIdentification, AllThreeObjectsFillTheTexts)
{
    ScriptedLink link;
    link.Reply(IdentificationReply({{0, "Quorvant Corp."}, {1, "QV-1000"}, {2, "1.00"}}));
    CString vendor, product, revision;
    EXPECT_TRUE(link.ReadDeviceIdentification(1, vendor, product, revision));
    EXPECT_EQ(link.queries[0], (Bytes{0x01, 0x2B, 0x0E, 0x01, 0x00}));
    EXPECT_EQ(link.expectedLengths[0], 0);
    EXPECT_STREQ(vendor, "Quorvant Corp.");
    EXPECT_STREQ(product, "QV-1000");
    EXPECT_STREQ(revision, "1.00");
}

TEST(ModbusMasterIdentification, MissingOrCutObjectsGiveFalse)
{
    ScriptedLink link;
    link.Reply(IdentificationReply({{0, "Quorvant Corp."}, {1, "QV-1000"}}));
    CString vendor = "old", product, revision = "old";
    EXPECT_FALSE(link.ReadDeviceIdentification(1, vendor, product, revision));
    EXPECT_STREQ(vendor, "Quorvant Corp.");
    EXPECT_STREQ(product, "QV-1000");
    EXPECT_STREQ(revision, "") << "the texts are emptied first";

    // The last object announces more text than came: the walk ends before it.
    Bytes cut = IdentificationReply({{0, "Quorvant Corp."}, {1, "QV-1000"}, {2, "1.00"}});
    cut.resize(cut.size() - 2);
    link.Reply(cut);
    EXPECT_FALSE(link.ReadDeviceIdentification(1, vendor, product, revision));
    EXPECT_STREQ(revision, "");

    // The same object three times is not three objects.
    link.Reply(IdentificationReply({{0, "A"}, {0, "B"}, {0, "C"}}));
    EXPECT_FALSE(link.ReadDeviceIdentification(1, vendor, product, revision));
}

TEST(ModbusMasterIdentification, ForeignObjectsAreSkipped)
{
    ScriptedLink link;
    link.Reply(IdentificationReply({{0, "Quorvant Corp."}, {0x80, "extra"}, {1, "P"}, {2, "R"}}));
    CString vendor, product, revision;
    EXPECT_TRUE(link.ReadDeviceIdentification(1, vendor, product, revision));
    EXPECT_STREQ(product, "P");
}

TEST(ModbusMasterIdentification, BadHeadersGiveFalse)
{
    const Bytes bad[] = {
        {0x01, 0x2B, 0x0E, 0x01, 0x01, 0x00, 0x00}, // no object count
        {0x02, 0x2B, 0x0E, 0x01, 0x01, 0x00, 0x00, 0x00},
        {0x01, 0x2C, 0x0E, 0x01, 0x01, 0x00, 0x00, 0x00},
        {0x01, 0x2B, 0x0E, 0x02, 0x01, 0x00, 0x00, 0x00},
    };
    for (const Bytes& reply : bad) {
        ScriptedLink link;
        link.Reply(reply);
        CString vendor, product, revision;
        EXPECT_FALSE(link.ReadDeviceIdentification(1, vendor, product, revision));
    }
}

TEST(ModbusMasterIdentification, RetriesPauseOneSecondEach)
{
    ScriptedLink link;
    link.SetRetries(3);
    CString vendor, product, revision;
    const DWORD start = GetTickCount();
    EXPECT_FALSE(link.ReadDeviceIdentification(1, vendor, product, revision));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(link.queries.size(), 3u);
    EXPECT_GE(elapsed, 1950u);
    EXPECT_LT(elapsed, 6000u);
}

TEST(ModbusMasterRaw, RawExchangeReturnsTheReplyAndThrowsOnFailure)
{
    ScriptedLink link;
    link.Reply({0x01, 0x65, 0x00});
    std::vector<BYTE> reply = {0xEE};
    link.TransactRaw({0x01, 0x65}, reply);
    EXPECT_EQ(link.queries[0], (Bytes{0x01, 0x65}));
    EXPECT_EQ(reply, (Bytes{0x01, 0x65, 0x00}));

    link.Fail(MODBUS_EXCEPTION_BASE | 1);
    try {
        link.TransactRaw({0x01, 0x65}, reply);
        ADD_FAILURE() << "no exception";
    } catch (const CModbusException& e) {
        EXPECT_EQ(e.GetCode(), 0x8001);
        EXPECT_TRUE(reply.empty());
    }
}

TEST(ModbusMasterThrowFlag, OnlyTheThrowFlagTurnsCodesIntoExceptions)
{
    ScriptedLink link;
    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 1, words), MODBUS_ERROR_TIMEOUT);
    link.SetThrowOnError(true);
    try {
        link.ReadHoldingRegisters(1, 0, 0, words);
        ADD_FAILURE() << "no exception";
    } catch (const CModbusException& e) {
        EXPECT_EQ(e.GetCode(), MODBUS_ERROR_BUFFER_OVERFLOW);
        EXPECT_STREQ(e.what(), " error #1000"); // 1000 has no text on this link
    }
    EXPECT_NO_THROW(link.ThrowIfError(MODBUS_SUCCESS));
}

TEST(ModbusResultTexts, CodesReadAsTheirTexts)
{
    ScriptedLink link;
    EXPECT_STREQ(link.GetErrorText(0), "okay");
    EXPECT_STREQ(link.GetErrorText(1), "time out error");
    EXPECT_STREQ(link.GetErrorText(2), "invalid response from device");
    EXPECT_STREQ(link.GetErrorText(3), "CRC error");
    EXPECT_STREQ(link.GetErrorText(8), "write communication error");
    EXPECT_STREQ(link.GetErrorText(9), "read communication error");
    EXPECT_STREQ(link.GetErrorText(10), "comm port not opened");
    EXPECT_STREQ(link.GetErrorText(11), "critical section lock time-out error");
    for (int code : {4, 5, 6, 7, 12, 1000, 1004})
        EXPECT_STREQ(link.GetErrorText(code), "") << code;
    EXPECT_STREQ(link.GetErrorText(0x8002),
                 "Modbus device return an exception code 2 (illegal data address)");
    EXPECT_STREQ(link.GetErrorText(0x8006),
                 "Modbus device return an exception code 6 (slave device busy)");
    EXPECT_STREQ(link.GetErrorText(0x8007), "Modbus device return an exception code 7 (unknown)");
}

TEST(ModbusResultTexts, ExceptionNames)
{
    EXPECT_EQ(ModbusExceptionText(1), "illegal function");
    EXPECT_EQ(ModbusExceptionText(3), "illegal data value");
    EXPECT_EQ(ModbusExceptionText(4), "slave device failure");
    EXPECT_EQ(ModbusExceptionText(5), "acknowledge");
    EXPECT_EQ(ModbusExceptionText(8), "memory parity error");
    EXPECT_EQ(ModbusExceptionText(10), "gateway path unavailable");
    EXPECT_EQ(ModbusExceptionText(11), "gateway target device failed to respond");
    for (int code : {0, 7, 9, 12, 255})
        EXPECT_EQ(ModbusExceptionText(code), "unknown") << code;
}

TEST(ModbusExceptionClass, CodeZeroHasNoNumber)
{
    EXPECT_STREQ(CModbusException("read", 0).what(), "read error");
    const CModbusException seven("read", 7);
    EXPECT_STREQ(seven.what(), "read error #7");
    const CModbusException copy(seven);
    EXPECT_EQ(copy.GetCode(), 7);
    EXPECT_STREQ(copy.what(), "read error #7");
}

} // namespace
