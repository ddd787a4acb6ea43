// Bulk register reads and writes against the test device (tests/device/qvdevice.py) over
// Modbus/TCP on loopback: how the flag map is cut into requests, what the progress
// callback hears, the failure texts, and what went on the wire according to the journal.
#include <gtest/gtest.h>

#include "modbus/CModbusException.h"
#include "modbus/CRemoteModbus.h"
#include "modbus/RegisterImageTransfer.h"
#include "tests/support/PeerHost.h"
#include "tests/support/TestPaths.h"
#include "wizards/framework/IFunctor1.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using testing_support::BuildPath;
using testing_support::BuildUnixPath;
using testing_support::PeerHost;

namespace {

const WORD kUntouched = 0xBEEF;
const int kMarkerAddress = 400;   // a read here closes every journal check

// Input registers 0..299 hold 1000 + address; 65530..65535 hold 1..6; holding registers
// 0x100..0x10F take writes, and the second write to 0x102 fails once.
std::string Profile()
{
    std::string inputs;
    for (int address = 0; address < 300; ++address)
        inputs += (address ? "," : "") + std::to_string(1000 + address);
    return R"({"units": {"1": {
      "input": {"0": [)" + inputs + R"(], "400": 4, "65530": [1, 2, 3, 4, 5, 6]},
      "holding": {"256": [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0]},
      "faults": [{"kind": "exception", "code": 6, "function": 6, "address": 258, "times": 1}]
    }}})";
}

struct Request {
    int function;
    int address;
    int count;
    int value;
};

class RecordingProgress : public IFunctor1
{
public:
    void operator()(int value) override { calls.push_back(value); }
    std::vector<int> calls;
};

class BulkRegisterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Connected()) << host.Error();
        const std::string folder = "tests/modbus/bulk-" + testing_support::ProcessTag() +
                                   "-" + std::to_string(++s_instance);
        ASSERT_TRUE(testing_support::EnsureDirectory(BuildPath(folder)));
        journalPath = BuildPath(folder + "/journal.jsonl");
        const std::string portFile = BuildPath(folder + "/ports");
        DeleteFileA(journalPath.c_str());
        DeleteFileA(portFile.c_str());
        std::ofstream(BuildPath(folder + "/profile.json")) << Profile();

        device = host.SpawnPython("qvdevice.py",
                                  {"--profile", BuildUnixPath(folder + "/profile.json"),
                                   "--journal", BuildUnixPath(folder + "/journal.jsonl"),
                                   "--port-file", BuildUnixPath(folder + "/ports"),
                                   "--tcp-port", "0", "--lifetime", "120"});
        ASSERT_NE(0, device) << host.Error();
        for (int wait = 0; wait < 100 && GetFileAttributesA(portFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
            Sleep(50);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(portFile.c_str())) << "device not ready";
        int tcpPort = 0;
        std::ifstream(portFile) >> tcpPort;
        ASSERT_GT(tcpPort, 0);
        ASSERT_TRUE(link.Connect("127.0.0.1", static_cast<WORD>(tcpPort), 3000));

        flags.assign(65536, 0);
        image.assign(65536, kUntouched);
    }

    void TearDown() override
    {
        link.Close();
        if (device)
            host.Stop(device);
    }

    void Flag(int first, int last)
    {
        for (int address = first; address <= last; ++address)
            flags[address] = 1;
    }

    // Every request the device journalled before the marker read that this sends; the
    // device journals a request before it answers it, so once the marker is answered
    // everything up to it is in the journal.
    std::vector<Request> Journal()
    {
        CWordArray words;
        EXPECT_EQ(0, link.ReadInputRegisters(1, kMarkerAddress, 1, words));
        std::vector<Request> requests;
        std::ifstream in(journalPath);
        std::string line;
        while (std::getline(in, line)) {
            Request request{std::atoi(PeerHost::Field(line, "function").c_str()),
                            std::atoi(PeerHost::Field(line, "address").c_str()),
                            std::atoi(PeerHost::Field(line, "count").c_str()),
                            std::atoi(PeerHost::Field(line, "value").c_str())};
            if (request.function == 4 && request.address == kMarkerAddress)
                return requests;
            requests.push_back(request);
        }
        ADD_FAILURE() << "the answered marker read is not in the journal";
        return requests;
    }

    static int s_instance;
    PeerHost host;
    int device = 0;
    std::string journalPath;
    CRemoteModbus link;
    std::vector<BYTE> flags;
    std::vector<WORD> image;
    RecordingProgress progress;
};

int BulkRegisterTest::s_instance = 0;

std::vector<std::pair<int, int>> Reads(const std::vector<Request>& requests)
{
    std::vector<std::pair<int, int>> reads;
    for (const Request& request : requests) {
        EXPECT_EQ(4, request.function);
        reads.emplace_back(request.address, request.count);
    }
    return reads;
}

} // namespace

TEST_F(BulkRegisterTest, ReadCutsRunsAt125AndReportsProgressAfterEachRun)
{
    Flag(0, 129);
    ReadRegisterImage(&link, 1, flags.data(), image.data(), &progress, 50);

    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 125}, {125, 5}}), Reads(Journal()));
    EXPECT_EQ((std::vector<int>{175, 180}), progress.calls);
    EXPECT_EQ(1000, image[0]);
    EXPECT_EQ(1124, image[124]);
    EXPECT_EQ(1125, image[125]);
    EXPECT_EQ(1129, image[129]);
    EXPECT_EQ(kUntouched, image[130]);
}

TEST_F(BulkRegisterTest, ReadOf300ConsecutiveRegistersTakesThreeRequests)
{
    Flag(0, 299);
    ReadRegisterImage(&link, 1, flags.data(), image.data(), &progress, 0);

    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 125}, {125, 125}, {250, 50}}),
              Reads(Journal()));
    EXPECT_EQ((std::vector<int>{125, 250, 300}), progress.calls);
    for (int address = 0; address < 300; ++address)
        ASSERT_EQ(1000 + address, image[address]) << address;
}

TEST_F(BulkRegisterTest, ReadSplitsAtGapsAndLeavesUnflaggedWordsAlone)
{
    Flag(10, 10);
    Flag(12, 12);
    ReadRegisterImage(&link, 1, flags.data(), image.data(), nullptr, 0);

    EXPECT_EQ((std::vector<std::pair<int, int>>{{10, 1}, {12, 1}}), Reads(Journal()));
    EXPECT_EQ(1010, image[10]);
    EXPECT_EQ(kUntouched, image[11]);
    EXPECT_EQ(1012, image[12]);
}

TEST_F(BulkRegisterTest, ReadStopsAtTheEndOfTheAddressSpace)
{
    Flag(65530, 65535);
    flags.push_back(1);   // a byte past the map, which must never be looked at
    image.push_back(kUntouched);
    ReadRegisterImage(&link, 1, flags.data(), image.data(), &progress, 0);

    EXPECT_EQ((std::vector<std::pair<int, int>>{{65530, 6}}), Reads(Journal()));
    EXPECT_EQ((std::vector<int>{6}), progress.calls);
    EXPECT_EQ(1, image[65530]);
    EXPECT_EQ(6, image[65535]);
}

TEST_F(BulkRegisterTest, EmptyFlagMapSendsNothing)
{
    ReadRegisterImage(&link, 1, flags.data(), image.data(), &progress, 0);
    WriteRegisterImage(&link, 1, flags.data(), image.data(), &progress, 0);

    EXPECT_TRUE(Journal().empty());
    EXPECT_TRUE(progress.calls.empty());
    EXPECT_EQ(kUntouched, image[0]);
}

TEST_F(BulkRegisterTest, CountsOutsideOneTo125SendNothing)
{
    CWordArray words;
    EXPECT_EQ(1000, link.ReadInputRegisters(1, 0, 0, words));
    EXPECT_EQ(1000, link.ReadInputRegisters(1, 0, 126, words));
    EXPECT_TRUE(Journal().empty());
}

TEST_F(BulkRegisterTest, FailedReadNamesTheRunAndKeepsWhatWasRead)
{
    Flag(5, 5);
    Flag(0x1000, 0x1002);
    try {
        ReadRegisterImage(&link, 1, flags.data(), image.data(), &progress, 7);
        FAIL() << "no exception";
    } catch (const CModbusException& error) {
        EXPECT_EQ(0x8002, error.GetCode());
        EXPECT_STREQ("unable to read Modbus PDU 0x1000 for length 3: Modbus device return an "
                     "exception code 2 (illegal data address) error #32770",
                     error.what());
    }
    EXPECT_EQ((std::vector<std::pair<int, int>>{{5, 1}, {0x1000, 3}}), Reads(Journal()));
    EXPECT_EQ(1005, image[5]);
    EXPECT_EQ(kUntouched, image[0x1000]);
    EXPECT_EQ((std::vector<int>{8}), progress.calls);
}

TEST_F(BulkRegisterTest, LinkThatThrowsItselfGivesItsOwnText)
{
    link.SetThrowOnError(true);
    Flag(0xABCD, 0xABCD);
    try {
        ReadRegisterImage(&link, 1, flags.data(), image.data(), nullptr, 0);
        FAIL() << "no exception";
    } catch (const CModbusException& error) {
        EXPECT_EQ(0x8002, error.GetCode());
        EXPECT_STREQ("Modbus device return an exception code 2 (illegal data address) error #32770",
                     error.what());
    }
    link.SetThrowOnError(false);
}

TEST_F(BulkRegisterTest, WriteSendsOneRequestPerFlaggedRegisterWithRetries)
{
    link.SetRetries(2);
    Flag(0x100, 0x100);
    Flag(0x102, 0x103);
    Flag(0x10F, 0x10F);
    image[0x100] = 11;
    image[0x101] = 99;   // not flagged: never written
    image[0x102] = 0xFFFF;
    image[0x103] = 13;
    image[0x10F] = 15;
    WriteRegisterImage(&link, 1, flags.data(), image.data(), &progress, 100);

    EXPECT_EQ((std::vector<int>{101, 102, 103, 104}), progress.calls);
    std::vector<std::pair<int, int>> writes;
    for (const Request& request : Journal()) {
        EXPECT_EQ(6, request.function);
        writes.emplace_back(request.address, request.value);
    }
    // The device refused the first write to 0x102 once; the link's second attempt went through.
    EXPECT_EQ((std::vector<std::pair<int, int>>{
                  {0x100, 11}, {0x102, 0xFFFF}, {0x102, 0xFFFF}, {0x103, 13}, {0x10F, 15}}),
              writes);

    CWordArray words;
    ASSERT_EQ(0, link.ReadHoldingRegisters(1, 0x100, 16, words));
    EXPECT_EQ(11, words[0]);
    EXPECT_EQ(0, words[1]);
    EXPECT_EQ(0xFFFF, words[2]);
    EXPECT_EQ(13, words[3]);
    EXPECT_EQ(15, words[15]);
}

TEST_F(BulkRegisterTest, FailedWriteNamesTheRegisterAndKeepsEarlierWrites)
{
    Flag(0x101, 0x101);
    Flag(0x3000, 0x3000);
    Flag(0x3001, 0x3001);
    image[0x101] = 7;
    try {
        WriteRegisterImage(&link, 1, flags.data(), image.data(), &progress, 0);
        FAIL() << "no exception";
    } catch (const CModbusException& error) {
        EXPECT_EQ(0x8002, error.GetCode());
        EXPECT_STREQ("unable to write Modbus PDU 0x3000: Modbus device return an exception "
                     "code 2 (illegal data address) error #32770",
                     error.what());
    }
    EXPECT_EQ((std::vector<int>{1}), progress.calls);
    const std::vector<Request> requests = Journal();
    ASSERT_EQ(2u, requests.size());   // nothing after the failure
    EXPECT_EQ(0x3000, requests[1].address);

    CWordArray words;
    ASSERT_EQ(0, link.ReadHoldingRegisters(1, 0x101, 1, words));
    EXPECT_EQ(7, words[0]);
}
