// The device search against the test device: serial ports on a pty pair, answering hosts
// over Modbus/TCP on loopback, and what a stop does. (The broadcast is tested inside a
// network namespace: NetworkSearchTest.cpp.)
#include <gtest/gtest.h>

#include "tests/support/TestDevice.h"

#include "framework/CSingleLock.h"
#include "modbus/ModbusDeviceSearch.h"
#include "modbus/SharedLinks.h"
#include "tests/modbus/SearchResults.h"
#include "tests/support/PeerHost.h"
#include "tests/support/TestPaths.h"

#include <fstream>
#include <string>
#include <vector>

using search_test::kSearchMessage;
using search_test::SearchResults;
using testing_support::BuildPath;
using testing_support::BuildUnixPath;
using testing_support::PeerHost;

namespace {

class DeviceSearchTest : public ::testing::Test
{
protected:
    void StartDevice(const std::string& profile, std::vector<std::string> transport)
    {
        auto started = testing_support::StartTestDevice(host, "tests/modbus/search", profile, transport, 180);
        device = started.id;
        journalPath = started.journalPath;
        tcpPort = started.tcpPort;
        ASSERT_NE(0, device) << started.error;
        ASSERT_TRUE(started.error.empty()) << started.error;
    }

    void TearDown() override
    {
        if (device)
            host.Stop(device);
    }

    // Requests of the given transport in the journal, per unit id (index 0 unused).
    std::vector<int> RequestsPerUnit(const std::string& transport)
    {
        std::vector<int> counts(256, 0);
        std::ifstream in(journalPath);
        std::string line;
        while (std::getline(in, line)) {
            if (PeerHost::Field(line, "transport") != transport)
                continue;
            const int unit = std::atoi(PeerHost::Field(line, "unit").c_str());
            if (unit >= 0 && unit < 256)
                ++counts[unit];
        }
        return counts;
    }

    static bool LinksReleased()
    {
        CSingleLock lock(&SharedLinksLock(), TRUE);
        return SharedSerialLinks().empty() && SharedTcpLinks().empty();
    }

    PeerHost host;
    int device = 0;
    int tcpPort = 0;
    std::string journalPath;
};


TEST(DeviceSearchStart, NoPortAndNoNetworkPostsNothing)
{
    SearchResults results;
    auto search = StartModbusDeviceSearch(0, false, results.Window(), kSearchMessage);
    ASSERT_TRUE(search);
    results.Collector().PumpFor(300);
    EXPECT_EQ(0, results.Total());
    StopModbusDeviceSearch(search, 8000);
}

TEST(DeviceSearchStart, PortThatDoesNotOpenCostsOneStepAndEndsTheSearch)
{
    SearchResults results;
    auto search = StartModbusDeviceSearch(249, false, results.Window(), kSearchMessage);
    ASSERT_TRUE(results.WaitForDone(5000));
    results.Collector().PumpFor(100);
    EXPECT_EQ(1, results.Progress());
    EXPECT_EQ(1, results.Done());
    EXPECT_TRUE(results.Found().empty());
    // Stopping a search whose jobs all ended is a no-op, and so is a second stop.
    StopModbusDeviceSearch(search, 8000);
    StopModbusDeviceSearch(search, 8000);
    EXPECT_EQ(2, results.Total());
}

const char kSerialProfile[] = R"({
  "units": {
    "1": {"holding": {"0": 1}},
    "2": {"holding": {"0": 2}, "identification": {"0": "Other Corp.", "1": "XY-9"}},
    "3": {"holding": {"0": 3}, "identification": {"2": null}},
    "5": {"holding": {"0": 5}, "faults": [{"kind": "silence"}]}
  }
})";

TEST_F(DeviceSearchTest, SerialSearchReportsIdentifiedUnitsAndStopsBeforeTheNextId)
{
    testing_support::SerialPair pair = host.OpenSerialPair();
    ASSERT_NE(0, pair.id) << host.Error();
    StartDevice(kSerialProfile, {"--rtu", pair.peerPath});

    // A user of the same port that asked for three attempts: the search's count of 1
    // holds for the shared link while it runs.
    auto otherUser = OpenSharedModbusSerial(pair.com);
    otherUser->m_link->SetRetries(3);

    SearchResults results;
    auto search = StartModbusDeviceSearch(pair.com, false, results.Window(), kSearchMessage);
    // Units 1 and 2 identify themselves; 3 (two objects), 4 and 5 (silent) and 6 are misses.
    ASSERT_TRUE(results.WaitUntil([](const SearchResults& r) { return r.Progress() >= 4; }, 20000))
        << "progress " << results.Progress();
    EXPECT_EQ(1, otherUser->m_link->GetRetries());

    const DWORD stopStarted = GetTickCount();
    StopModbusDeviceSearch(search, 8000);
    EXPECT_LT(GetTickCount() - stopStarted, 2000u) << "the job did not stop at its next unit id";
    ASSERT_TRUE(results.WaitForDone(2000));
    const int lastProgress = results.Progress();
    results.Collector().PumpFor(300);
    EXPECT_EQ(lastProgress, results.Progress());
    EXPECT_EQ(1, results.Done());

    ASSERT_EQ(2u, results.Found().size());
    const ModbusEndpoint_t* first = results.FindUnit(1);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ("Quorvant Corp.", first->vendor);
    EXPECT_EQ("QV-1000", first->productCode);
    EXPECT_EQ("1.00", first->revision);
    EXPECT_FALSE(first->network);
    EXPECT_EQ(pair.com, first->port);
    EXPECT_TRUE(first->host.empty());
    EXPECT_TRUE(first->deviceText.empty());
    const ModbusEndpoint_t* other = results.FindUnit(2);
    ASSERT_NE(nullptr, other);
    EXPECT_EQ("Other Corp.", other->vendor);   // the caller decides which vendors it keeps
    EXPECT_EQ("XY-9", other->productCode);

    // One attempt per id, in order, and nothing asked after the stop took effect.
    const std::vector<int> requests = RequestsPerUnit("rtu");
    int asked = 0;
    while (asked + 1 < 256 && requests[asked + 1] == 1)
        ++asked;
    EXPECT_GE(asked, 5);
    for (int unit = asked + 1; unit < 256; ++unit)
        EXPECT_EQ(0, requests[unit]) << "unit " << unit;
    // The finds and the misses, plus the one step of the stop.
    EXPECT_EQ(asked + 1, static_cast<int>(results.Found().size()) + results.Progress());

    otherUser.reset();
    search.reset();
    EXPECT_TRUE(LinksReleased());
}

const char kTcpProfile[] = R"({
  "units": {
    "1": {"holding": {"0": 1}},
    "2": {"holding": {"0": 2}},
    "3": {"holding": {"0": 3}, "identification": {"0": "Other Corp."}}
  }
})";

TEST_F(DeviceSearchTest, HostJobAsksEveryIdButTheOneTheBroadcastReported)
{
    StartDevice(kTcpProfile, {"--tcp-port", "0"});
    ASSERT_GT(tcpPort, 0);

    SearchResults results;
    auto search = StartModbusDeviceSearch(0, false, results.Window(), kSearchMessage);
    {
        // As the network job does: listed under the lock before the thread can end.
        CSingleLock lock(&search->m_lock, TRUE);
        ModbusSearchJob_t* job = search->StartTcpJob("127.0.0.1", static_cast<WORD>(tcpPort), 2,
                                                     results.Window(), kSearchMessage);
        ASSERT_NE(nullptr, job);
        search->m_jobs.push_back(job);
    }
    ASSERT_TRUE(results.WaitForDone(120000));
    results.Collector().PumpFor(100);

    ASSERT_EQ(2u, results.Found().size());
    for (int unit : {1, 3}) {
        const ModbusEndpoint_t* endpoint = results.FindUnit(unit);
        ASSERT_NE(nullptr, endpoint) << "unit " << unit;
        EXPECT_TRUE(endpoint->network);
        EXPECT_EQ("127.0.0.1", endpoint->host);
        EXPECT_EQ(tcpPort, endpoint->port);
    }
    EXPECT_EQ("Other Corp.", results.FindUnit(3)->vendor);
    // Misses report progress at 10, 20, ..., 240 only.
    EXPECT_EQ(24, results.Progress());
    EXPECT_EQ(1, results.Done());

    const std::vector<int> requests = RequestsPerUnit("tcp");
    EXPECT_EQ(0, requests[2]);
    for (int unit : {1, 3, 10, 247})
        EXPECT_EQ(1, requests[unit]) << "unit " << unit;
    EXPECT_EQ(0, requests[248]);
    EXPECT_TRUE(LinksReleased());
}

const char kSilentTcpProfile[] = R"({
  "units": {"1": {"holding": {"0": 1}, "faults": [{"kind": "silence"}]}},
  "tcp_unknown_unit": "silence"
})";

TEST_F(DeviceSearchTest, JobThatOutlivesTheStopIsAbandonedNotTerminated)
{
    StartDevice(kSilentTcpProfile, {"--tcp-port", "0"});
    SearchResults results;
    auto search = StartModbusDeviceSearch(0, false, results.Window(), kSearchMessage);
    {
        CSingleLock lock(&search->m_lock, TRUE);
        ModbusSearchJob_t* job = search->StartTcpJob("127.0.0.1", static_cast<WORD>(tcpPort), 0,
                                                     results.Window(), kSearchMessage);
        ASSERT_NE(nullptr, job);
        search->m_jobs.push_back(job);
    }
    // Let the job's first exchange start: it waits the link's 5 s for a reply.
    for (int wait = 0; wait < 100 && RequestsPerUnit("tcp")[1] == 0; ++wait)
        Sleep(50);
    ASSERT_EQ(1, RequestsPerUnit("tcp")[1]);

    const DWORD stopStarted = GetTickCount();
    StopModbusDeviceSearch(search, 300);
    EXPECT_LT(GetTickCount() - stopStarted, 1500u);
    search.reset();   // the last reference: a second, bounded stop

    // The job ends by itself after its request and releases its link (and so the
    // shared-links lock was never held by a killed thread); it posts nothing more.
    const DWORD released = GetTickCount();
    while (!LinksReleased() && GetTickCount() - released < 10000)
        results.Collector().PumpFor(50);
    EXPECT_TRUE(LinksReleased());
    results.Collector().PumpFor(200);
    EXPECT_EQ(0, results.Total());
    EXPECT_EQ(0, RequestsPerUnit("tcp")[2]);

    // The registry lock is free: another link opens at once.
    auto again = OpenSharedModbusTcp("127.0.0.1", tcpPort);
    EXPECT_TRUE(again->m_link->IsOpen());
}

} // namespace
