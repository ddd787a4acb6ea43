// Our master against an independent server: Debian's pymodbus (tests/device/pymodbus_peer.py)
// over Modbus/TCP, RTU and ASCII, with register contents chosen here. Catches faults that
// the test device, written together with the master, would share with it.
#include <gtest/gtest.h>

#include "modbus/CLocalModbus.h"
#include "modbus/CModbusException.h"
#include "modbus/CRemoteModbus.h"
#include "tests/support/PeerHost.h"
#include "tests/support/TestPaths.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using testing_support::BuildPath;
using testing_support::BuildUnixPath;
using testing_support::PeerHost;

namespace {

// Unit 1: registers 0..124 of holding hold 1000 + address, so a full-size read shows
// every word in its place; 200 is left free for writes. Unit 2 exists to show that the
// unit id selects the map. Unit 3 is not served: no server answers it, not even on TCP
// (the test device is told so; pymodbus does not answer unknown units anyway).
std::string FullProfile()
{
    std::string ramp;
    for (int address = 0; address < 125; ++address)
        ramp += (address ? ", " : "") + std::to_string(1000 + address);
    return R"({"tcp_unknown_unit": "silence", "units": {
      "1": {"holding": {"0": [)" + ramp + R"(], "200": 0, "201": 65535},
            "input": {"10": [7, 0, 40000]}, "coils": {"3": false}},
      "2": {"holding": {"0": [4242]}}
    }, "identification": {"0": "Quorvant Corp.", "1": "QV-1000", "2": "1.00"}})";
}

const char kTwoObjectProfile[] = R"({"units": {"1": {"holding": {"0": 1}}},
    "identification": {"0": "Other Vendor", "1": "X-7", "2": null}})";

const int kServedUnit = 1;
const int kOtherUnit = 2;
const int kUnservedUnit = 3;

const char kPymodbusServer[] = "pymodbus_peer.py";
const char kTestDevice[] = "qvdevice.py";

// One server (pymodbus, or our test device for comparison) and our link to it.
class PeerServer
{
public:
    // transport: "tcp", "rtu" or "ascii". Failures are reported through gtest.
    void Start(const std::string& transport, const std::string& profile,
               const std::string& script = kPymodbusServer)
    {
        ASSERT_TRUE(m_host.Connected()) << m_host.Error();
        const std::string folder = "tests/modbus/pymodbus-" + testing_support::ProcessTag() +
                                   "-" + std::to_string(++s_instance);
        ASSERT_TRUE(testing_support::EnsureDirectory(BuildPath(folder)));
        m_folder = BuildPath(folder);
        std::ofstream(m_folder + "/profile.json") << profile;
        const std::string portFile = m_folder + "/ports";
        DeleteFileA(portFile.c_str());

        std::vector<std::string> args = {"--profile", BuildUnixPath(folder + "/profile.json"),
                                         "--port-file", BuildUnixPath(folder + "/ports"),
                                         "--lifetime", "120"};
        testing_support::SerialPair pair;
        if (transport == "tcp") {
            args.insert(args.end(), {"--tcp-port", "0"});
        } else {
            pair = m_host.OpenSerialPair();
            ASSERT_NE(0, pair.id) << m_host.Error();
            args.insert(args.end(), {"--" + transport, pair.peerPath});
        }
        m_server = m_host.SpawnPython(script, args);
        ASSERT_NE(0, m_server) << m_host.Error();
        // pymodbus takes a while to import; give it up to 20 s.
        for (int wait = 0; wait < 400 && GetFileAttributesA(portFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
            Sleep(50);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(portFile.c_str()))
            << script << " not ready (is python3-pymodbus installed?)";

        if (transport == "tcp") {
            int port = 0;
            std::ifstream(portFile) >> port;
            ASSERT_GT(port, 0);
            auto remote = std::make_unique<CRemoteModbus>();
            ASSERT_TRUE(remote->Connect("127.0.0.1", static_cast<WORD>(port), 2000));
            m_link = std::move(remote);
        } else {
            auto local = std::make_unique<CLocalModbus>();
            local->SetComPort(pair.com);
            local->SetMode(transport == "ascii" ? CLocalModbus::MODE_ASCII : CLocalModbus::MODE_RTU);
            local->SetTimeout(1000);
            ASSERT_TRUE(local->Open(0, 9600, 0));
            m_link = std::move(local);
        }
    }

    ~PeerServer()
    {
        m_link.reset();   // closes the port or socket before the far end goes
        if (m_server)
            m_host.Stop(m_server);
        if (!m_folder.empty()) {
            for (const char* file : {"/profile.json", "/ports"})
                DeleteFileA((m_folder + file).c_str());
            RemoveDirectoryA(m_folder.c_str());
        }
    }

    CModbus& Link() { return *m_link; }

private:
    static int s_instance;
    PeerHost m_host;
    int m_server = 0;
    std::string m_folder;
    std::unique_ptr<CModbus> m_link;
};

int PeerServer::s_instance = 0;

class PymodbusPeerTest : public ::testing::TestWithParam<std::string>
{
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(peer.Start(GetParam(), FullProfile())); }

    PeerServer peer;
};

TEST_P(PymodbusPeerTest, HoldingRegisterReadsTakeEveryWordInOrder)
{
    CModbus& link = peer.Link();
    CWordArray words;
    ASSERT_EQ(MODBUS_SUCCESS, link.ReadHoldingRegisters(kServedUnit, 0, 3, words));
    EXPECT_EQ(1000, words[0]);
    EXPECT_EQ(1002, words[2]);
    ASSERT_EQ(MODBUS_SUCCESS, link.ReadHoldingRegisters(kServedUnit, 124, 1, words));
    EXPECT_EQ(1124, words[0]);
    ASSERT_EQ(MODBUS_SUCCESS, link.ReadHoldingRegisters(kServedUnit, 200, 2, words));
    EXPECT_EQ(0, words[0]);
    EXPECT_EQ(0xFFFF, words[1]);
    ASSERT_EQ(MODBUS_SUCCESS, link.ReadHoldingRegisters(kOtherUnit, 0, 1, words));
    EXPECT_EQ(4242, words[0]);
}

// The largest read: a 255-byte RTU frame, 503 characters in ASCII.
TEST_P(PymodbusPeerTest, FullSizeReadsTakeEveryWordInOrder)
{
    CModbus& link = peer.Link();
    CWordArray words;
    ASSERT_EQ(MODBUS_SUCCESS, link.ReadHoldingRegisters(kServedUnit, 0, 125, words));
    ASSERT_EQ(125, words.GetSize());
    for (int k = 0; k < 125; ++k)
        ASSERT_EQ(1000 + k, words[k]) << "word " << k;
}

TEST_P(PymodbusPeerTest, InputRegisterReadsUseTheInputTable)
{
    CModbus& link = peer.Link();
    CWordArray words;
    ASSERT_EQ(MODBUS_SUCCESS, link.ReadInputRegisters(kServedUnit, 10, 3, words));
    EXPECT_EQ(7, words[0]);
    EXPECT_EQ(0, words[1]);
    EXPECT_EQ(40000, words[2]);
    // Holding address 0 exists, input address 0 does not: the function picks the table.
    EXPECT_EQ(MODBUS_EXCEPTION_BASE | 2, link.ReadInputRegisters(kServedUnit, 0, 1, words));
}

TEST_P(PymodbusPeerTest, RegisterWritesAreEchoedAndStored)
{
    CModbus& link = peer.Link();
    ASSERT_EQ(MODBUS_SUCCESS, link.WriteSingleRegister(kServedUnit, 200, 0xBEEF));
    ASSERT_EQ(MODBUS_SUCCESS, link.WriteSingleRegister(kServedUnit, 201, 0));
    CWordArray words;
    ASSERT_EQ(MODBUS_SUCCESS, link.ReadHoldingRegisters(kServedUnit, 200, 2, words));
    EXPECT_EQ(0xBEEF, words[0]);
    EXPECT_EQ(0, words[1]);
    // Another unit's map is untouched.
    ASSERT_EQ(MODBUS_SUCCESS, link.ReadHoldingRegisters(kOtherUnit, 0, 1, words));
    EXPECT_EQ(4242, words[0]);
}

TEST_P(PymodbusPeerTest, CoilWritesAreAcceptedBothWays)
{
    CModbus& link = peer.Link();
    EXPECT_EQ(MODBUS_SUCCESS, link.WriteSingleCoil(kServedUnit, 3, 1));
    EXPECT_EQ(MODBUS_SUCCESS, link.WriteSingleCoil(kServedUnit, 3, 0));
    EXPECT_EQ(MODBUS_EXCEPTION_BASE | 2, link.WriteSingleCoil(kServedUnit, 4, 1));
}

TEST_P(PymodbusPeerTest, IdentificationTakesTheThreeBasicObjects)
{
    CString vendor, product, revision;
    EXPECT_TRUE(peer.Link().ReadDeviceIdentification(kServedUnit, vendor, product, revision));
    EXPECT_STREQ("Quorvant Corp.", vendor);
    EXPECT_STREQ("QV-1000", product);
    EXPECT_STREQ("1.00", revision);
}

TEST_P(PymodbusPeerTest, ExceptionRepliesBecomeCodes)
{
    CModbus& link = peer.Link();
    CWordArray words;
    // Range running past the mapped registers, and a register that is not there.
    EXPECT_EQ(MODBUS_EXCEPTION_BASE | 2, link.ReadHoldingRegisters(kServedUnit, 100, 30, words));
    EXPECT_EQ(MODBUS_EXCEPTION_BASE | 2, link.ReadHoldingRegisters(kServedUnit, 500, 1, words));
    EXPECT_EQ(MODBUS_EXCEPTION_BASE | 2, link.WriteSingleRegister(kServedUnit, 500, 1));

    // The link stays usable after an exception.
    ASSERT_EQ(MODBUS_SUCCESS, link.ReadHoldingRegisters(kServedUnit, 5, 1, words));
    EXPECT_EQ(1005, words[0]);
}

TEST_P(PymodbusPeerTest, UnservedUnitGetsNoReply)
{
    CModbus& link = peer.Link();
    CWordArray words;
    if (GetParam() == "tcp") {
        // The timed-out socket is dropped; the link works again once reconnected.
        EXPECT_EQ(MODBUS_ERROR_SOCKET, link.ReadHoldingRegisters(kUnservedUnit, 0, 1, words));
        ASSERT_TRUE(static_cast<CRemoteModbus&>(link).Connect());
    } else {
        EXPECT_EQ(MODBUS_ERROR_TIMEOUT, link.ReadHoldingRegisters(kUnservedUnit, 0, 1, words));
    }
    // The next exchange is not confused by the missing reply.
    ASSERT_EQ(MODBUS_SUCCESS, link.ReadHoldingRegisters(kServedUnit, 1, 1, words));
    EXPECT_EQ(1001, words[0]);
}

INSTANTIATE_TEST_SUITE_P(Transports, PymodbusPeerTest, ::testing::Values("tcp", "rtu", "ascii"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// An unknown function: pymodbus can only frame RTU requests of functions it knows, so
// the raw exchange runs over TCP and ASCII.
TEST(PymodbusPeerRawTest, UnknownFunctionGetsIllegalFunction)
{
    for (const char* transport : {"tcp", "ascii"}) {
        PeerServer peer;
        ASSERT_NO_FATAL_FAILURE(peer.Start(transport, FullProfile()));
        std::vector<BYTE> reply = {0xEE};
        try {
            peer.Link().TransactRaw({kServedUnit, 0x41, 0x00, 0x00}, reply);
            ADD_FAILURE() << transport << ": no exception";
        } catch (const CModbusException& error) {
            EXPECT_EQ(MODBUS_EXCEPTION_BASE | 1, error.GetCode()) << transport;
            EXPECT_TRUE(reply.empty()) << transport;
        }
    }
}

// Identity is process-wide in pymodbus, so a server without object 2 is a server of its own.
TEST(PymodbusPeerIdentificationTest, TwoOfThreeObjectsIsNotAnIdentification)
{
    PeerServer peer;
    ASSERT_NO_FATAL_FAILURE(peer.Start("tcp", kTwoObjectProfile));
    CString vendor, product, revision;
    EXPECT_FALSE(peer.Link().ReadDeviceIdentification(kServedUnit, vendor, product, revision));
    EXPECT_STREQ("Other Vendor", vendor);
    EXPECT_STREQ("X-7", product);
    EXPECT_STREQ("", revision);
}


std::string Hex(const std::vector<BYTE>& bytes)
{
    std::string hex;
    char digits[3];
    for (BYTE byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return hex;
}

// Unit id + PDU of the reply, or "exception N" / "code N" when the exchange failed.
std::string RawAnswer(CModbus& link, const std::vector<BYTE>& query)
{
    std::vector<BYTE> reply;
    try {
        link.TransactRaw(query, reply);
    } catch (const CModbusException& error) {
        const int code = error.GetCode();
        return code >= MODBUS_EXCEPTION_BASE ? "exception " + std::to_string(code - MODBUS_EXCEPTION_BASE)
                                             : "code " + std::to_string(code);
    }
    return Hex(reply);
}

// The test device, written here, must answer as the independent server does, byte for
// byte, wherever both follow the protocol.
TEST(PymodbusPeerAgreementTest, TestDeviceAnswersLikePymodbus)
{
    const std::vector<std::vector<BYTE>> queries = {
        {1, 3, 0, 0, 0, 3},       {1, 3, 0, 0, 0, 125},  {1, 4, 0, 10, 0, 3},
        {2, 3, 0, 0, 0, 1},       {1, 3, 0, 100, 0, 30}, {1, 4, 0, 0, 0, 1},
        {1, 3, 0, 0, 0, 0},       {1, 3, 0, 0, 0, 126},  {1, 6, 0, 200, 0xAB, 0xCD},
        {1, 3, 0, 200, 0, 1},     {1, 6, 1, 244, 0, 1},  {1, 5, 0, 3, 0xFF, 0},
        {1, 5, 0, 3, 0, 0},       {1, 5, 0, 4, 0xFF, 0}, {1, 0x41, 0, 0}};
    PeerServer independent, ours;
    ASSERT_NO_FATAL_FAILURE(independent.Start("tcp", FullProfile()));
    ASSERT_NO_FATAL_FAILURE(ours.Start("tcp", FullProfile(), kTestDevice));
    for (const std::vector<BYTE>& query : queries) {
        const std::string expected = RawAnswer(independent.Link(), query);
        // A reply or an exception reply; a broken link on both sides proves nothing.
        ASSERT_NE(0u, expected.rfind("code ", 0)) << "query " << Hex(query) << ": " << expected;
        EXPECT_EQ(expected, RawAnswer(ours.Link(), query)) << "query " << Hex(query);
    }

    // Identification: the same objects; only the conformity level (byte 4) may differ,
    // as pymodbus also offers the regular and extended objects.
    std::string expected = RawAnswer(independent.Link(), {1, 0x2B, 0x0E, 1, 0});
    std::string actual = RawAnswer(ours.Link(), {1, 0x2B, 0x0E, 1, 0});
    ASSERT_EQ(expected.size(), actual.size()) << expected << " / " << actual;
    ASSERT_GT(expected.size(), 10u);
    EXPECT_EQ(expected.substr(0, 8), actual.substr(0, 8));
    EXPECT_EQ(expected.substr(10), actual.substr(10));
}

// Where pymodbus departs from the Modbus application protocol, the test device follows the
// protocol: a coil value other than FF00 or 0000 is exception 03 (pymodbus writes 0000),
// and a basic identification starting at an unknown object starts again at object 0
// (pymodbus sends no objects).
TEST(PymodbusPeerAgreementTest, TestDeviceFollowsTheProtocolWherePymodbusDoesNot)
{
    PeerServer ours;
    ASSERT_NO_FATAL_FAILURE(ours.Start("tcp", FullProfile(), kTestDevice));
    EXPECT_EQ("exception 3", RawAnswer(ours.Link(), {1, 5, 0, 3, 0x12, 0x34}));
    const std::string restart = RawAnswer(ours.Link(), {1, 0x2B, 0x0E, 1, 5});
    ASSERT_GT(restart.size(), 16u) << restart;
    EXPECT_EQ("03", restart.substr(14, 2)) << "three objects: " << restart;
}

} // namespace
