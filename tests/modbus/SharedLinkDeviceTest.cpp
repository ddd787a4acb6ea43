// Shared links against the test device (tests/device/qvdevice.py): a COM port shared by
// several handles and closed by the last, a port that does not open, and a shared TCP
// link that survives a device dropping its connection.
#include <gtest/gtest.h>

#include "tests/support/TestDevice.h"

#include "modbus/SharedLinks.h"
#include "tests/support/PeerHost.h"
#include "tests/support/TestPaths.h"

#include <boost/weak_ptr.hpp>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

using testing_support::BuildPath;
using testing_support::BuildUnixPath;
using testing_support::PeerHost;

namespace {

const char kProfile[] = R"({
  "units": {
    "1": {"holding": {"0": [100, 101, 102]}},
    "2": {"holding": {"0": [200, 201]}},
    "3": {"holding": {"0": [300]}, "faults": [{"kind": "drop", "times": 1}]}
  }
})";

class SharedLinkDeviceTest : public ::testing::Test
{
protected:
    // Starts the device with the given transport arguments; fills tcpPort when it serves TCP.
    void StartDevice(std::vector<std::string> transport)
    {
        auto started = testing_support::StartTestDevice(host, "tests/modbus/shared", kProfile, transport, 120);
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
        EXPECT_TRUE(SharedSerialLinks().empty());
        EXPECT_TRUE(SharedTcpLinks().empty());
    }

    int JournalCount(const std::string& transport, int unit)
    {
        std::ifstream in(journalPath);
        std::string line;
        int count = 0;
        while (std::getline(in, line))
            if (PeerHost::Field(line, "transport") == transport &&
                PeerHost::Field(line, "unit") == std::to_string(unit))
                ++count;
        return count;
    }

    PeerHost host;
    int device = 0;
    int tcpPort = 0;
    std::string journalPath;
};


TEST_F(SharedLinkDeviceTest, ComPortIsSharedAndClosedByTheLastHandle)
{
    testing_support::SerialPair pair = host.OpenSerialPair();
    ASSERT_NE(0, pair.id) << host.Error();
    StartDevice({"--rtu", pair.peerPath});

    auto unit1 = OpenSharedModbusSerial(pair.com);
    auto unit2 = OpenSharedModbusSerial(pair.com);
    EXPECT_EQ(unit1->m_link.get(), unit2->m_link.get());
    EXPECT_EQ(pair.com, unit1->GetComPort());
    ASSERT_EQ(1u, SharedSerialLinks().count(pair.com));

    CWordArray words;
    ASSERT_EQ(0, unit1->m_link->ReadHoldingRegisters(1, 0, 3, words));
    EXPECT_EQ(102, words[2]);

    boost::weak_ptr<CModbus> watched = unit1->m_link;
    unit1.reset();
    ASSERT_TRUE(unit2->m_link->IsOpen());
    ASSERT_EQ(0, unit2->m_link->ReadHoldingRegisters(2, 0, 2, words));
    EXPECT_EQ(201, words[1]);

    unit2.reset();
    EXPECT_TRUE(SharedSerialLinks().empty());
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(1, JournalCount("rtu", 1));
    EXPECT_EQ(1, JournalCount("rtu", 2));

    // The port was really released: a new open succeeds and works.
    auto again = OpenSharedModbusSerial(pair.com);
    EXPECT_EQ(0, again->m_link->ReadHoldingRegisters(1, 0, 1, words));
}

TEST_F(SharedLinkDeviceTest, MissingComPortThrowsAndIsTriedAgain)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            OpenSharedModbusSerial(249);
            FAIL() << "COM249 opened";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ("unable to open COM249", error.what());
        }
        EXPECT_TRUE(SharedSerialLinks().empty()) << "attempt " << attempt;
    }
}

TEST_F(SharedLinkDeviceTest, TcpLinkReadsEachUnitOverFreshConnections)
{
    StartDevice({"--tcp-port", "0"});
    ASSERT_GT(tcpPort, 0);
    auto unit1 = OpenSharedModbusTcp("127.0.0.1", tcpPort);
    auto unit2 = OpenSharedModbusTcp("127.0.0.1", tcpPort);
    EXPECT_EQ(unit1->m_link.get(), unit2->m_link.get());

    CWordArray words;
    ASSERT_EQ(0, unit1->m_link->ReadHoldingRegisters(1, 0, 3, words));
    EXPECT_EQ(100, words[0]);
    ASSERT_EQ(0, unit2->m_link->ReadHoldingRegisters(2, 0, 2, words));
    EXPECT_EQ(200, words[0]);
    EXPECT_EQ(0, unit2->m_link->WriteSingleRegister(2, 1, 777));
    ASSERT_EQ(0, unit1->m_link->ReadHoldingRegisters(2, 1, 1, words));
    EXPECT_EQ(777, words[0]);
    EXPECT_EQ(1, JournalCount("tcp", 1));
    EXPECT_EQ(3, JournalCount("tcp", 2));
}

TEST_F(SharedLinkDeviceTest, TcpLinkSurvivesADroppedConnection)
{
    StartDevice({"--tcp-port", "0"});
    auto handle = OpenSharedModbusTcp("127.0.0.1", tcpPort);
    CWordArray words;
    EXPECT_EQ(1003, handle->m_link->ReadHoldingRegisters(3, 0, 1, words));
    ASSERT_EQ(0, handle->m_link->ReadHoldingRegisters(3, 0, 1, words));
    EXPECT_EQ(300, words[0]);
}

} // namespace
