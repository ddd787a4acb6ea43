// The network search: the "QVID?" broadcast and the hosts that answer it. The broadcast
// goes to 255.255.255.255, so these cases run only inside the private network namespace
// of tests/device/netns.sh, which starts the answering test devices; anywhere else they
// skip and say why. Inside it they fail when the devices are not those of their scenario.
#include <gtest/gtest.h>

#include <winsock2.h>

#include "modbus/ModbusDeviceSearch.h"
#include "tests/modbus/SearchResults.h"
#include "tests/support/PeerHost.h"
#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <fstream>
#include <string>

using search_test::kSearchMessage;
using search_test::SearchResults;

namespace {

class NetworkSearchFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WSADATA data;
        ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &data));
    }
    void TearDown() override { WSACleanup(); }

    static bool InsideTheNamespace()
    {
        const char* inside = std::getenv("PYRAXIS_NETNS");
        return inside != nullptr && std::string(inside) == "1";
    }

    static std::string Scenario()
    {
        const char* current = std::getenv("PYRAXIS_NETNS_SCENARIO");
        return current != nullptr ? current : "";
    }

    static std::string StateFile(const std::string& name)
    {
        return testing_support::UnixToWindowsPath(std::getenv("PYRAXIS_NETNS_DIR")) + "\\" + name;
    }

    static int DeviceTcpPort(int device)
    {
        int port = 0;
        std::ifstream(StateFile("ports-" + std::to_string(device))) >> port;
        return port;
    }

    static int TcpRequests(int device, int unit)
    {
        std::ifstream in(StateFile("journal-" + std::to_string(device) + ".jsonl"));
        std::string line;
        int count = 0;
        while (std::getline(in, line))
            if (testing_support::PeerHost::Field(line, "transport") == "tcp" &&
                testing_support::PeerHost::Field(line, "unit") == std::to_string(unit))
                ++count;
        return count;
    }
};

#define SKIP_UNLESS_INSIDE(scenario)                                                     \
    do {                                                                                 \
        if (!InsideTheNamespace())                                                       \
            GTEST_SKIP() << "broadcasts run only inside the namespace of tests/device/netns.sh"; \
        ASSERT_EQ(scenario, Scenario()) << "the namespace's devices are those of another scenario"; \
    } while (false)

using NetworkSearch = NetworkSearchFixture;
using NetworkSearchOversize = NetworkSearchFixture;

bool FoundBroadcastAnswer(const SearchResults& results)
{
    for (const ModbusEndpoint_t& endpoint : results.Found())
        if (!endpoint.deviceText.empty())
            return true;
    return false;
}

TEST_F(NetworkSearch, AnswerIsReportedAndItsHostAskedForTheOtherUnits)
{
    SKIP_UNLESS_INSIDE("answers");
    SearchResults results;
    auto search = StartModbusDeviceSearch(0, true, results.Window(), kSearchMessage);
    ASSERT_TRUE(results.WaitForDone(60000));
    results.Collector().PumpFor(100);

    // The six-line answer and the one with a letter in its port line are ignored.
    ASSERT_EQ(2u, results.Found().size());
    const ModbusEndpoint_t* answer = results.FindUnit(1);
    ASSERT_NE(nullptr, answer);
    EXPECT_EQ("Quorvant Corp.", answer->vendor);   // its CR LF line ends are gone
    EXPECT_EQ("QV-1000", answer->productCode);
    EXPECT_EQ("1.00", answer->revision);
    EXPECT_EQ("Barn controller", answer->deviceText);
    EXPECT_TRUE(answer->network);
    EXPECT_EQ("127.0.0.1", answer->host);
    EXPECT_EQ(DeviceTcpPort(0), answer->port);

    const ModbusEndpoint_t* asked = results.FindUnit(2);
    ASSERT_NE(nullptr, asked);
    EXPECT_EQ("QV-2000", asked->productCode);
    EXPECT_EQ("127.0.0.1", asked->host);
    EXPECT_EQ(DeviceTcpPort(0), asked->port);
    EXPECT_TRUE(asked->deviceText.empty());

    // The host job skips the id the answer gave; the other answers started no job.
    EXPECT_EQ(0, TcpRequests(0, 1));
    EXPECT_EQ(1, TcpRequests(0, 2));
    EXPECT_EQ(0, TcpRequests(1, 2));
    EXPECT_EQ(0, TcpRequests(2, 2));
    // One step per 500 ms wait for about six seconds, plus the host job's.
    EXPECT_GE(results.Progress(), 10);
    EXPECT_EQ(1, results.Done());
}

TEST_F(NetworkSearch, ListenPortInUseMovesToTheNextPort)
{
    SKIP_UNLESS_INSIDE("answers");
    SOCKET taken = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_NE(INVALID_SOCKET, taken);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(MODBUS_SEARCH_LISTEN_PORT);
    ASSERT_EQ(0, bind(taken, reinterpret_cast<sockaddr*>(&local), sizeof(local)));

    SearchResults results;
    auto search = StartModbusDeviceSearch(0, true, results.Window(), kSearchMessage);
    EXPECT_TRUE(results.WaitUntil(FoundBroadcastAnswer, 10000));
    StopModbusDeviceSearch(search, 8000);
    closesocket(taken);
}

TEST_F(NetworkSearch, StopEndsTheNetworkJobWithinItsWait)
{
    SKIP_UNLESS_INSIDE("answers");
    SearchResults results;
    auto search = StartModbusDeviceSearch(0, true, results.Window(), kSearchMessage);
    results.Collector().PumpFor(700);
    const DWORD stopStarted = GetTickCount();
    StopModbusDeviceSearch(search, 8000);
    EXPECT_LT(GetTickCount() - stopStarted, 1500u);
    results.Collector().PumpFor(200);
    const int afterStop = results.Total();
    results.Collector().PumpFor(1000);
    EXPECT_EQ(afterStop, results.Total());
    EXPECT_LE(results.Done(), 1);
}

TEST_F(NetworkSearchOversize, AnswerOfMoreThan511BytesEndsTheNetworkJob)
{
    SKIP_UNLESS_INSIDE("oversize");
    SearchResults results;
    const DWORD started = GetTickCount();
    auto search = StartModbusDeviceSearch(0, true, results.Window(), kSearchMessage);
    ASSERT_TRUE(results.WaitForDone(10000));
    // Ended by the failed receive, not by the six-second deadline.
    EXPECT_LT(GetTickCount() - started, 4000u);
    EXPECT_TRUE(results.Found().empty());
    // The probe went out and one wait saw the answer: the receive, not the send, failed.
    EXPECT_EQ(1, results.Progress());
}

} // namespace
