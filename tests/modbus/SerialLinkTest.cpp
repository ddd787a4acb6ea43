// The serial link end to end: a pty pair linked as a COM port, with the test device
// (tests/device/qvdevice.py) answering RTU or ASCII at its far end.
#include <gtest/gtest.h>

#include "modbus/CLocalModbus.h"
#include "modbus/CModbusException.h"
#include "tests/support/PeerHost.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using testing_support::PeerHost;
using testing_support::SerialPair;

namespace {

// Unit 1 is healthy; each other unit has one fault on every request.
const char kProfile[] = R"({
  "units": {
    "1":  {"holding": {"0": [10, 11, 12], "100": 0}, "input": {"0": [20, 21]},
           "coils": {"0": false}},
    "2":  {"holding": {"0": [1, 2]}, "identification": {"2": null}},
    "3":  {"holding": {"0": [1, 2]}, "faults": [{"kind": "swapped_crc"}]},
    "4":  {"holding": {"0": [1, 2]}, "faults": [{"kind": "bad_crc"}]},
    "5":  {"holding": {"0": [1, 2]}, "faults": [{"kind": "wrong_unit"}]},
    "6":  {"holding": {"0": [1, 2]}, "faults": [{"kind": "short_reply"}]},
    "7":  {"holding": {"0": [1, 2]}, "faults": [{"kind": "exception", "code": 6}]},
    "8":  {"holding": {"0": [1, 2]}, "faults": [{"kind": "silence"}]},
    "9":  {"holding": {"0": [1, 2]}, "faults": [{"kind": "bad_lrc"}]},
    "10": {"holding": {"0": [1, 2]}, "faults": [{"kind": "lower_case"}]},
    "11": {"holding": {"0": [7, 8]}, "faults": [{"kind": "exception", "code": 4, "times": 1}]},
    "12": {"holding": {"0": [100, 101, 102, 103, 104, 105, 106, 107, 108, 109]},
           "faults": [{"kind": "trailing", "bytes": 300}]},
    "13": {"holding": {"0": [100, 101, 102, 103, 104, 105, 106, 107, 108, 109]},
           "faults": [{"kind": "stall", "bytes": 5, "seconds": 0.3, "times": 1}]},
    "14": {"holding": {"100": 0},
           "faults": [{"kind": "delay", "seconds": 0.45, "function": 6, "times": 1},
                      {"kind": "delay", "seconds": 0.3, "function": 6, "times": 1}]},
    "15": {"holding": {"0": [5]}, "faults": [{"kind": "delay", "seconds": 0.6}]},
    "27": {"holding": {"0": [1, 2]}, "faults": [{"kind": "exception", "code": 2, "unit": 28}]},
    "29": {"holding": {"0": [1, 2]}, "faults": [{"kind": "exception", "code": 2, "reply_function": 132}]},
    "34": {"holding": {"0": [1, 2]}, "faults": [{"kind": "exception", "code": 3, "unit": 35}]},
    "40": {"holding": {"0": [100, 101], "10": [110, 111]}, "faults": [{"kind": "late", "seconds": 0.42}]}
  }
})";

const DWORD kResponseTimeoutMs = 300;
// For exchanges that must be answered: a busy machine can delay the device well past the
// short time-out above.
const DWORD kAnsweredTimeoutMs = 5000;

std::string ReadWholeFile(const std::string& windowsPath)
{
    std::ifstream in(windowsPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class SerialLinkTest : public ::testing::Test {
protected:
    // Starts the device on a new pair in "rtu" or "ascii" mode and opens the link. Tests of
    // what a time-out does ask for the short one; the others wait as long as a busy machine's
    // device may take.
    void Start(const std::string& mode, DWORD responseTimeoutMs = kAnsweredTimeoutMs,
               const std::string& profileText = kProfile)
    {
        ASSERT_TRUE(host.Connected()) << host.Error();
        pair = host.OpenSerialPair();
        ASSERT_NE(pair.id, 0) << host.Error();

        const std::string folder = "tests/modbus/serial-" + testing_support::ProcessTag() +
                                   "-" + std::to_string(pair.com);
        ASSERT_TRUE(testing_support::EnsureDirectory(testing_support::BuildPath(folder)));
        const std::string profile = folder + "/profile.json";
        folderPath = testing_support::BuildPath(folder);
        journalPath = testing_support::BuildPath(folder + "/journal.jsonl");
        portFilePath = testing_support::BuildPath(folder + "/ports");
        DeleteFileA(journalPath.c_str());
        DeleteFileA(portFilePath.c_str());
        std::ofstream(testing_support::BuildPath(profile)) << profileText;

        device = host.SpawnPython("qvdevice.py",
                                  {"--profile", testing_support::BuildUnixPath(profile), "--" + mode,
                                   pair.peerPath, "--journal", testing_support::BuildUnixPath(folder + "/journal.jsonl"),
                                   "--port-file", testing_support::BuildUnixPath(folder + "/ports"),
                                   "--lifetime", "120"});
        ASSERT_NE(device, 0) << host.Error();
        for (int wait = 0; wait < 100 && GetFileAttributesA(portFilePath.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
            Sleep(50);
        ASSERT_NE(GetFileAttributesA(portFilePath.c_str()), INVALID_FILE_ATTRIBUTES) << "device not ready";

        link.SetComPort(pair.com);
        link.SetMode(mode == "ascii" ? CLocalModbus::MODE_ASCII : CLocalModbus::MODE_RTU);
        link.SetStopBits(2);
        link.SetTimeout(responseTimeoutMs);
        ASSERT_TRUE(link.Open(0, 9600, 0));
    }

    void TearDown() override
    {
        link.Close();
        if (device)
            host.Stop(device);
        device = 0;
        if (!folderPath.empty()) {
            for (const char* file : {"/profile.json", "/journal.jsonl", "/ports"})
                DeleteFileA((folderPath + file).c_str());
            RemoveDirectoryA(folderPath.c_str());
        }
    }

    // Journal lines of requests that reached the device for one unit.
    std::vector<std::string> JournalFor(int unit)
    {
        std::vector<std::string> lines;
        std::istringstream journal(ReadWholeFile(journalPath));
        std::string line;
        while (std::getline(journal, line))
            if (PeerHost::Field(line, "unit") == std::to_string(unit))
                lines.push_back(line);
        return lines;
    }

    PeerHost host;
    SerialPair pair;
    int device = 0;
    std::string folderPath;
    std::string journalPath;
    std::string portFilePath;
    CLocalModbus link;
};

// Reads, writes and identification work the same in both framings.
void CheckHealthyUnit(CLocalModbus& link)
{
    CWordArray words;
    ASSERT_EQ(link.ReadHoldingRegisters(1, 0, 3, words), MODBUS_SUCCESS);
    EXPECT_EQ(words[0], 10);
    EXPECT_EQ(words[2], 12);
    ASSERT_EQ(link.ReadInputRegisters(1, 0, 2, words), MODBUS_SUCCESS);
    EXPECT_EQ(words[0], 20);
    EXPECT_EQ(words[1], 21);

    EXPECT_EQ(link.WriteSingleRegister(1, 100, 0xBEEF), MODBUS_SUCCESS);
    ASSERT_EQ(link.ReadHoldingRegisters(1, 100, 1, words), MODBUS_SUCCESS);
    EXPECT_EQ(words[0], 0xBEEF);
    EXPECT_EQ(link.WriteSingleCoil(1, 0, 1), MODBUS_SUCCESS);

    CString vendor, product, revision;
    EXPECT_TRUE(link.ReadDeviceIdentification(1, vendor, product, revision));
    EXPECT_STREQ(vendor, "Quorvant Corp.");
    EXPECT_STREQ(product, "QV-1000");
    EXPECT_STREQ(revision, "1.00");

    // Objects 0 and 1 only.
    EXPECT_FALSE(link.ReadDeviceIdentification(2, vendor, product, revision));
    EXPECT_STREQ(vendor, "Quorvant Corp.");
    EXPECT_STREQ(product, "QV-1000");
    EXPECT_STREQ(revision, "");

    EXPECT_EQ(link.ReadHoldingRegisters(1, 5000, 1, words), MODBUS_EXCEPTION_BASE | 2);
    EXPECT_EQ(link.ReadHoldingRegisters(7, 0, 2, words), MODBUS_EXCEPTION_BASE | 6);
    EXPECT_EQ(link.ReadHoldingRegisters(5, 0, 2, words), MODBUS_ERROR_INVALID_RESPONSE);
    EXPECT_EQ(link.ReadHoldingRegisters(6, 0, 2, words), MODBUS_ERROR_INVALID_RESPONSE);

    // Function 0 is refused with exception 1 behind the function byte 0x80 exactly: an
    // exception, never a reply.
    std::vector<BYTE> reply;
    try {
        link.TransactRaw({1, 0x00}, reply);
        ADD_FAILURE() << "an exception reply read as success";
    } catch (const CModbusException& error) {
        EXPECT_EQ(error.GetCode(), MODBUS_EXCEPTION_BASE | 1);
    }
}

TEST_F(SerialLinkTest, RtuExchangesWithAHealthyDevice)
{
    Start("rtu");
    CheckHealthyUnit(link);
}

TEST_F(SerialLinkTest, AsciiExchangesWithAHealthyDevice)
{
    Start("ascii");
    CheckHealthyUnit(link);
}

TEST_F(SerialLinkTest, RtuReadWithoutExpectedLengthCutsTheCrc)
{
    Start("rtu");
    CByteArray query;
    query.SetSize(6);
    const BYTE request[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x02};
    for (int i = 0; i < 6; ++i)
        query[i] = request[i];
    CByteArray reply;
    reply.SetSize(7);
    int received = -1;
    ASSERT_EQ(link.TxRxMessage(query, 6, reply, 0, &received), MODBUS_SUCCESS);
    EXPECT_EQ(received, 7);
    EXPECT_EQ(reply.GetSize(), 7);
    EXPECT_EQ(reply[2], 4);
    EXPECT_EQ(reply[6], 11);

    const std::vector<std::string> journal = JournalFor(1);
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(PeerHost::Field(journal[0], "request"), "010300000002c40b");
    EXPECT_EQ(PeerHost::Field(journal[0], "reply").size(), 18u) << "9 bytes on the wire";
}

TEST_F(SerialLinkTest, TraceShowsEveryFrameWrittenAndEveryRtuReply)
{
    Start("rtu");
    link.Close();
    FILE* trace = tmpfile();
    ASSERT_NE(trace, nullptr);
    {
        CLocalModbus traced(trace);
        traced.SetComPort(pair.com);
        traced.SetTimeout(kAnsweredTimeoutMs);
        ASSERT_TRUE(traced.Open(0));
        CWordArray words;
        ASSERT_EQ(traced.ReadHoldingRegisters(1, 0, 1, words), MODBUS_SUCCESS);
    }
    rewind(trace);
    char text[1024] = {};
    const size_t length = fread(text, 1, sizeof text - 1, trace);
    fclose(trace);
    const std::string lines(text, length);
    EXPECT_NE(lines.find(" WriteQuery (  8 bytes): 0x01 0x03 0x00 0x00 0x00 0x01 0x84 0x0a \n"),
              std::string::npos) << lines;
    EXPECT_NE(lines.find(" ReadResponse (  7 bytes): 0x01 0x03 0x02 0x00 0x0a "), std::string::npos) << lines;
}

TEST_F(SerialLinkTest, NoRequestOfACancelledThreadLeavesOnceTheCancelHasReturned)
{
    // What a Disconnect or a workspace change needs of a line: the thread whose exchanges it
    // cancels may be anywhere in its exchange, also just past the check and waiting for the
    // line to fall quiet before it writes; once the cancel has returned, it writes nothing.
    // The link's trace shows every request written, as it is written.
    Start("rtu");
    link.Close();
    const std::string tracePath = folderPath + "/trace.txt";
    FILE* trace = std::fopen(tracePath.c_str(), "w");
    ASSERT_NE(trace, nullptr);
    const auto requestsWritten = [&] {
        std::fflush(trace);
        const std::string text = ReadWholeFile(tracePath);
        size_t count = 0;
        for (size_t at = text.find(" WriteQuery"); at != std::string::npos && count < 1000000;
             at = text.find(" WriteQuery", at + 1))
            ++count;
        return count;
    };
    int lateRequests = 0, cycles = 0, answered = 0;
    {
        CLocalModbus traced(trace);
        traced.SetComPort(pair.com);
        traced.SetStopBits(2);
        traced.SetTimeout(kAnsweredTimeoutMs);
        ASSERT_TRUE(traced.Open(0, 9600, 0));
        volatile LONG stop = 0;
        volatile LONG exchanges = 0;
        HANDLE exchanger = nullptr;
        struct Exchanger
        {
            CLocalModbus* link;
            volatile LONG* stop;
            volatile LONG* exchanges;
            volatile LONG* answered;
        };
        volatile LONG answeredCount = 0;
        Exchanger context{&traced, &stop, &exchanges, &answeredCount};
        DWORD exchangerId = 0;
        exchanger = ::CreateThread(
            nullptr, 0,
            [](void* argument) -> DWORD {
                Exchanger& self = *static_cast<Exchanger*>(argument);
                CWordArray words;
                for (int i = 0; i < 100000 && *self.stop == 0; ++i) {
                    if (self.link->ReadHoldingRegisters(1, 0, 1, words) == MODBUS_SUCCESS)
                        ::InterlockedIncrement(self.answered);
                    else
                        ::Sleep(1);   // cancelled: tried again until the cancel ends
                    ::InterlockedIncrement(self.exchanges);
                }
                return 0;
            },
            &context, 0, &exchangerId);
        ASSERT_NE(exchanger, nullptr);
        // Each cycle lets the thread exchange for a while, lands a cancel somewhere in its
        // exchange, and watches the line for longer than an exchange takes.
        const int kCycles = 40;
        for (; cycles < kCycles; ++cycles) {
            traced.EndCancelOf(exchangerId);
            const LONG before = exchanges;
            for (int wait = 0; wait < 5000 && exchanges < before + 2; ++wait)
                ::Sleep(1);
            ::Sleep(static_cast<DWORD>(cycles * 7 % 23));
            traced.CancelExchangesOf(exchangerId);
            const size_t atReturn = requestsWritten();
            ::Sleep(100);
            if (requestsWritten() != atReturn)
                ++lateRequests;
        }
        ::InterlockedExchange(&stop, 1);
        traced.EndCancelOf(exchangerId);
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(exchanger, 60000));
        ::CloseHandle(exchanger);
        answered = answeredCount;
    }
    std::fclose(trace);
    ::DeleteFileA(tracePath.c_str());
    EXPECT_EQ(0, lateRequests) << "of " << cycles << " cancels were followed by a request";
    EXPECT_GT(answered, cycles) << "the thread exchanged between the cancels";
}

// An exception is the refusal of a request only when it carries the request's unit and
// function: another unit's, or another function's, is an invalid reply, asked again.
TEST_F(SerialLinkTest, OnlyTheRequestsOwnExceptionIsItsRefusal)
{
    for (const char* mode : {"rtu", "ascii"}) {
        SCOPED_TRACE(mode);
        Start(mode);
        link.SetRetries(2);
        CWordArray words;
        EXPECT_EQ(link.ReadHoldingRegisters(27, 0, 2, words), MODBUS_ERROR_INVALID_RESPONSE) << "unit 28's";
        EXPECT_EQ(link.WriteSingleRegister(27, 0, 5), MODBUS_ERROR_INVALID_RESPONSE) << "unit 28's";
        EXPECT_EQ(link.ReadHoldingRegisters(29, 0, 2, words), MODBUS_ERROR_INVALID_RESPONSE) << "function 4's";
        EXPECT_EQ(link.WriteSingleRegister(29, 0, 5), MODBUS_ERROR_INVALID_RESPONSE) << "function 4's";
        EXPECT_EQ(link.ReadInputRegisters(29, 0, 2, words), MODBUS_EXCEPTION_BASE | 2) << "its own";
        EXPECT_EQ(link.WriteSingleRegister(34, 0, 5), MODBUS_ERROR_INVALID_RESPONSE) << "unit 35's";
        EXPECT_EQ(link.ReadInputRegisters(34, 0, 2, words), MODBUS_ERROR_INVALID_RESPONSE) << "unit 35's";
        std::vector<BYTE> reply;
        try {
            link.TransactRaw({34, 0x03, 0, 0, 0, 1}, reply);
            ADD_FAILURE() << "another unit's exception read as success";
        } catch (const CModbusException& error) {
            EXPECT_EQ(error.GetCode(), MODBUS_ERROR_INVALID_RESPONSE);
        }
        EXPECT_EQ(JournalFor(27).size(), 4u);
        EXPECT_EQ(JournalFor(29).size(), 6u);
        EXPECT_EQ(JournalFor(34).size(), 5u);
        TearDown();
    }
}

TEST_F(SerialLinkTest, RtuChecksumFaultsGiveCode3)
{
    Start("rtu");
    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(3, 0, 2, words), MODBUS_ERROR_CRC);
    EXPECT_EQ(link.ReadHoldingRegisters(4, 0, 2, words), MODBUS_ERROR_CRC);
    EXPECT_EQ(link.ReadInputRegisters(4, 0, 2, words), MODBUS_ERROR_CRC) << "with expected length";
    EXPECT_EQ(link.WriteSingleRegister(3, 0, 1), MODBUS_ERROR_CRC);
}

TEST_F(SerialLinkTest, AsciiLrcFaultsGiveCode3)
{
    Start("ascii");
    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(9, 0, 2, words), MODBUS_ERROR_CRC);
    EXPECT_EQ(link.ReadHoldingRegisters(10, 0, 2, words), MODBUS_ERROR_CRC) << "lower-case hexadecimal";
}

TEST_F(SerialLinkTest, SilenceTimesOutAfterTheResponseTimeoutInBothModes)
{
    for (const char* mode : {"rtu", "ascii"}) {
        SCOPED_TRACE(mode);
        Start(mode, kResponseTimeoutMs);
        CWordArray words;
        for (int unit : {8, 20}) { // a silent fault, and a unit the device does not serve
            const DWORD start = GetTickCount();
            EXPECT_EQ(link.ReadHoldingRegisters(unit, 0, 2, words), MODBUS_ERROR_TIMEOUT) << unit;
            const DWORD elapsed = GetTickCount() - start;
            // Not early: an RTU read ends by the port's total time-out, which Wine's
            // serial driver may end some tens of ms before the time set.
            EXPECT_GE(elapsed, kResponseTimeoutMs * 3 / 4) << unit;
            EXPECT_LT(elapsed, kResponseTimeoutMs + 1500) << unit;
        }
        TearDown();
    }
}

TEST_F(SerialLinkTest, RetriesAskAgainAndTheLastAnswerCounts)
{
    Start("rtu", kResponseTimeoutMs);
    link.SetRetries(3);
    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(8, 0, 2, words), MODBUS_ERROR_TIMEOUT);
    link.SetTimeout(kAnsweredTimeoutMs);
    ASSERT_TRUE(link.Open(0));

    // Exception once, then the answer.
    ASSERT_EQ(link.ReadHoldingRegisters(11, 0, 2, words), MODBUS_SUCCESS);
    EXPECT_EQ(words[0], 7);
    EXPECT_EQ(JournalFor(11).size(), 2u);
    // Journalled before that answer went out, as the line keeps their order.
    EXPECT_EQ(JournalFor(8).size(), 3u);

    // Counts the device never sees: the read after them, once answered, is journalled
    // (the device journals before it answers), and is the only one of unit 1.
    EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 0, words), MODBUS_ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 126, words), MODBUS_ERROR_BUFFER_OVERFLOW);
    ASSERT_EQ(link.ReadHoldingRegisters(1, 0, 2, words), MODBUS_SUCCESS);
    const std::vector<std::string> unitOne = JournalFor(1);
    ASSERT_EQ(unitOne.size(), 1u);
    EXPECT_EQ(PeerHost::Field(unitOne[0], "count"), "2");
}

TEST_F(SerialLinkTest, InterCharacterTimeoutCoversTwentyCharacterTimes)
{
    Start("rtu");
    // 9600 baud, 8 data bits, stop code 2: 11 bits, 20 characters take 22 ms.
    EXPECT_EQ(link.GetInterCharTimeout(), 22u);
    EXPECT_EQ(link.GetStopBits(), 2);

    link.SetInterCharTimeout(50);
    ASSERT_TRUE(link.Open(0));
    EXPECT_EQ(link.GetInterCharTimeout(), 50u) << "a longer time-out stays";
    link.SetInterCharTimeout(0);
    EXPECT_EQ(link.GetInterCharTimeout(), 50u) << "0 is ignored";

    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 1, words), MODBUS_SUCCESS) << "reopened link works";
}

// Microseconds of the quickest of `rounds` calls, each after a pause longer than the gap
// between two frames, so that the line is quiet when it starts.
template <typename Call>
DWORD QuickestOf(int rounds, Call call)
{
    DWORD quickest = MAXDWORD;
    for (int round = 0; round < rounds; ++round) {
        Sleep(10);
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        call();
        QueryPerformanceCounter(&end);
        quickest = std::min<DWORD>(quickest, DWORD((end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart));
    }
    return quickest;
}

TEST_F(SerialLinkTest, RtuRepliesEndAtTheirLastByte)
{
    Start("rtu");
    CWordArray words;
    // Another talker's bytes right behind each reply: a read that waited for the line to
    // fall silent would take them as part of the reply.
    ASSERT_EQ(link.ReadHoldingRegisters(12, 0, 10, words), MODBUS_SUCCESS);
    EXPECT_EQ(words[0], 100);
    EXPECT_EQ(words[9], 109);
    CString vendor, product, revision;
    EXPECT_TRUE(link.ReadDeviceIdentification(12, vendor, product, revision)) << "objects walked to the end";
    EXPECT_STREQ(revision, "1.00");
    EXPECT_EQ(link.WriteSingleRegister(12, 0, 5), MODBUS_SUCCESS);
    // What followed is dropped before the next request goes out.
    ASSERT_EQ(link.ReadHoldingRegisters(1, 0, 3, words), MODBUS_SUCCESS);
    EXPECT_EQ(words[2], 12);

    // Not the inter-character time-out after each reply, whether a whole read or an exception:
    // the quickest of a few takes under half of it (each took all of it and more before).
    const DWORD limit = link.GetInterCharTimeout() * 1000 / 2;
    const DWORD read = QuickestOf(20, [&] { EXPECT_EQ(link.ReadHoldingRegisters(12, 0, 10, words), MODBUS_SUCCESS); });
    const DWORD refused = QuickestOf(20, [&] { EXPECT_EQ(link.ReadHoldingRegisters(1, 5000, 1, words), MODBUS_EXCEPTION_BASE | 2); });
    std::printf("quickest exchange over the pty: read of 10 registers %lu us, exception %lu us\n", read, refused);
    EXPECT_LT(read, limit);
    EXPECT_LT(refused, limit);
}

// A unit that has answered after its time-out (1.4 time-outs late, every time): a request of
// it that went unanswered is awaited before the next one, even on a link that asks once.
TEST_F(SerialLinkTest, AUnitThatAnsweredLateHasItsOwedAnswersAwaited)
{
    for (const char* mode : {"rtu", "ascii"}) {
        SCOPED_TRACE(mode);
        Start(mode, kResponseTimeoutMs);
        link.SetRetries(2);
        CWordArray words;
        // The first answer comes in the repeat's time: the unit is known to answer late.
        ASSERT_EQ(link.ReadHoldingRegisters(40, 0, 2, words), MODBUS_SUCCESS);
        EXPECT_EQ(words[1], 101);
        ASSERT_EQ(link.ReadHoldingRegisters(1, 0, 3, words), MODBUS_SUCCESS);
        EXPECT_EQ(words[2], 12);

        link.SetRetries(1);
        EXPECT_EQ(link.ReadHoldingRegisters(40, 0, 2, words), MODBUS_ERROR_TIMEOUT);
        // Its answer comes while the next read could be answered: it must not be taken for it.
        const int code = link.ReadHoldingRegisters(40, 10, 2, words);
        EXPECT_TRUE(code == MODBUS_ERROR_TIMEOUT || code == MODBUS_SUCCESS) << code;
        if (code == MODBUS_SUCCESS) {
            EXPECT_EQ(words[0], 110);
            EXPECT_EQ(words[1], 111);
        }
        ASSERT_EQ(link.ReadHoldingRegisters(1, 0, 3, words), MODBUS_SUCCESS);
        EXPECT_EQ(words[0], 10);
        TearDown();
    }
}

// RTU frames are told apart by the silence between them, ASCII frames by their ':' and CR LF:
// only RTU waits the 3.5 characters after the last frame before a request (at 1,200 baud,
// 11 bits a character, 32.1 ms; the pty itself has no line speed).
TEST_F(SerialLinkTest, OnlyRtuWaitsTheFrameGapBeforeARequest)
{
    const DWORD gapMs = 32;
    for (const char* mode : {"rtu", "ascii"}) {
        SCOPED_TRACE(mode);
        Start(mode);
        ASSERT_TRUE(link.Open(0, 1200));
        CWordArray words;
        ASSERT_EQ(link.ReadHoldingRegisters(1, 0, 3, words), MODBUS_SUCCESS);
        // Back to back: each read starts as the one before ended.
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        double quickestMs = 1e9;
        for (int round = 0; round < 20; ++round) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 3, words), MODBUS_SUCCESS);
            QueryPerformanceCounter(&end);
            quickestMs = std::min(quickestMs, double(end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
        }
        std::printf("%s at 1,200 baud: quickest of 20 reads back to back %.2f ms\n", mode, quickestMs);
        if (std::string(mode) == "rtu")
            EXPECT_GE(quickestMs, gapMs - 2);
        else
            EXPECT_LT(quickestMs, gapMs / 2);
        TearDown();
    }
}

TEST_F(SerialLinkTest, AReplyCutShortFailsAndTheRetryWaitsUntilItsRestHasPassed)
{
    Start("rtu");
    // A wide inter-character time-out, so that the rest comes while the link waits for a
    // quiet line (the reply stops for 300 ms, the read ends 200 ms after its last byte).
    link.SetInterCharTimeout(200);
    ASSERT_TRUE(link.Open(0));
    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(13, 0, 10, words), MODBUS_ERROR_CRC) << "a reply cut short";
    const std::vector<std::string> cut = JournalFor(13);
    ASSERT_EQ(cut.size(), 1u);

    link.SetRetries(2);
    ASSERT_EQ(link.ReadHoldingRegisters(13, 0, 10, words), MODBUS_SUCCESS);
    EXPECT_EQ(words[9], 109);
    // No request of the link was sent into the rest of a reply.
    std::istringstream journal(ReadWholeFile(journalPath));
    std::string line;
    int entries = 0;
    while (std::getline(journal, line)) {
        ++entries;
        EXPECT_NE(PeerHost::Field(line, "error"), "collision") << line;
    }
    EXPECT_EQ(entries, 2);
}

TEST_F(SerialLinkTest, ALateAnswerToARepeatedWriteIsNotTakenForTheNextReply)
{
    Start("rtu", kResponseTimeoutMs);
    link.SetRetries(2);
    // Answered 450 ms late: the link asks again after 300 ms, and the device carries the
    // write out twice (the same value) and answers both, the second 300 ms after the first.
    EXPECT_EQ(link.WriteSingleRegister(14, 100, 7), MODBUS_SUCCESS);
    link.SetRetries(1);
    CWordArray words;
    ASSERT_EQ(link.ReadHoldingRegisters(14, 100, 1, words), MODBUS_SUCCESS) << "the second echo taken for the reply";
    EXPECT_EQ(words[0], 7);
    const std::vector<std::string> journal = JournalFor(14);
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(PeerHost::Field(journal[0], "function"), "6");
    EXPECT_EQ(PeerHost::Field(journal[1], "function"), "6");
}

// A unit answers the first sending of a read and its repeat each late by a part of the
// response time-out (every pair of the lateness below): whatever each answer is taken for,
// every read returns the values of its own registers or fails. Reads of one unit with the
// same count are alike on the wire, so only the time a reply comes tells them apart.
TEST_F(SerialLinkTest, LateAnswersAreNeverTakenForTheReplyToAnotherRequest)
{
    const double lateness[] = {0.5, 1.1, 1.4, 1.8, 1.95};
    const int kinds = sizeof lateness / sizeof lateness[0];
    std::string profile = R"({"units": {)";
    for (int first = 0; first < kinds; ++first)
        for (int repeat = 0; repeat < kinds; ++repeat) {
            char unit[400];
            std::snprintf(unit, sizeof unit,
                          R"(%s"%d": {"holding": {"0": [100, 101], "10": [110, 111]}, "faults": [)"
                          R"({"kind": "late", "seconds": %.3f, "address": 0, "index": 0},)"
                          R"({"kind": "late", "seconds": %.3f, "address": 0, "index": 1}]})",
                          first + repeat == 0 ? "" : ",", 100 + first * kinds + repeat,
                          lateness[first] * kResponseTimeoutMs / 1000.0, lateness[repeat] * kResponseTimeoutMs / 1000.0);
            profile += unit;
        }
    profile += "}}";

    for (const char* mode : {"rtu", "ascii"}) {
        SCOPED_TRACE(mode);
        Start(mode, kResponseTimeoutMs, profile);
        link.SetRetries(2);
        for (int first = 0; first < kinds; ++first)
            for (int repeat = 0; repeat < kinds; ++repeat) {
                const int unit = 100 + first * kinds + repeat;
                SCOPED_TRACE(unit);
                CWordArray low, high;
                const int lowCode = link.ReadHoldingRegisters(unit, 0, 2, low);
                const int highCode = link.ReadHoldingRegisters(unit, 10, 2, high);
                std::printf("%s late %.2f then %.2f: registers 0-1 code %d (%u, %u), registers 10-11 code %d (%u, %u)\n",
                            mode, lateness[first], lateness[repeat], lowCode, lowCode == 0 ? low[0] : 0u,
                            lowCode == 0 ? low[1] : 0u, highCode, highCode == 0 ? high[0] : 0u,
                            highCode == 0 ? high[1] : 0u);
                if (lowCode == MODBUS_SUCCESS) {
                    EXPECT_EQ(low[0], 100);
                    EXPECT_EQ(low[1], 101);
                }
                EXPECT_EQ(highCode, MODBUS_SUCCESS) << "answered at once";
                if (highCode == MODBUS_SUCCESS) {
                    EXPECT_EQ(high[0], 110);
                    EXPECT_EQ(high[1], 111);
                }
                // What is still to come of this unit is past before the next unit is asked.
                Sleep(2 * kResponseTimeoutMs);
            }
        TearDown();
    }
}

TEST_F(SerialLinkTest, AFailedLineSetUpClosesThePort)
{
    Start("rtu");
    link.SetDataBits(3); // the driver refuses the line
    EXPECT_FALSE(link.Open(0));
    EXPECT_FALSE(link.IsOpen()) << "a half-opened port must not stay held";

    link.SetDataBits(8);
    link.SetBaudRate(0); // no division by a zero baud rate either
    EXPECT_FALSE(link.Open(0));
    EXPECT_FALSE(link.IsOpen());

    // The line set up after the failures takes every setting, its time-out too: a reply
    // later than the short time-out is taken.
    link.SetTimeout(kAnsweredTimeoutMs);
    ASSERT_TRUE(link.Open(0, 9600));
    CWordArray words;
    EXPECT_EQ(link.ReadHoldingRegisters(1, 0, 1, words), MODBUS_SUCCESS);
    ASSERT_EQ(link.ReadHoldingRegisters(15, 0, 1, words), MODBUS_SUCCESS);
    EXPECT_EQ(words[0], 5);
}

TEST_F(SerialLinkTest, AClosedOrMissingPortGivesCode10)
{
    CLocalModbus closed;
    CWordArray words;
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_EQ(closed.ReadHoldingRegisters(1, 0, 1, words), MODBUS_ERROR_PORT_CLOSED);
    EXPECT_EQ(closed.WriteSingleRegister(1, 0, 1), MODBUS_ERROR_PORT_CLOSED);

    closed.SetComPort(251);
    EXPECT_FALSE(closed.Open(0));
    EXPECT_TRUE(closed.Close()) << "closing a closed link succeeds";
}

TEST_F(SerialLinkTest, TwoDigitPortNumbersOpen)
{
    ASSERT_TRUE(host.Connected()) << host.Error();
    const SerialPair high = host.OpenSerialPair(12);
    if (high.id == 0)
        GTEST_SKIP() << "COM12 is taken: " << host.Error();
    CLocalModbus port12;
    port12.SetComPort(12);
    EXPECT_TRUE(port12.Open(0));
    EXPECT_TRUE(port12.IsOpen());
}

} // namespace
