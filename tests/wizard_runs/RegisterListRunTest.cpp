// The older wizards' register-list threads against the test device over the program's
// shared links: read and program runs with their texts and ticks, a register that fails,
// the empty list, stopping, and how the contexts are made, copied and handed over.
#include <gtest/gtest.h>

#include "modbus/ModbusEndpoint.h"
#include "modbus/SharedLinks.h"
#include "tests/support/PeerHost.h"
#include "tests/support/RunFixtures.h"
#include "wizards/framework/CRegisterListProgThread.h"
#include "wizards/framework/CWizardProgrammingContext.h"

#include <memory>

using namespace wizard_runs;

namespace {

std::string Profile(const std::string& faults = "[]")
{
    return "{\"units\": {\"3\": {\"holding\": {\"0xE000\": [10, 20, 30, 40], \"0xE010\": 500}, \"input\": \"holding\", "
           "\"faults\": " + faults + "}}}";
}

class RegisterListRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Connected()) << host.Error();
        UseBuildTreeDevicesXml();
    }

    void UseTcp(CVarnixWizardProgContext& context)
    {
        context.comPort = -1;
        context.host = "127.0.0.1";
        context.tcpPort = device.TcpPort();
    }

    CVarnixWizardProgContext MakeContext(bool isRead)
    {
        CVarnixWizardProgContext context(nullptr);
        context.isRead = isRead;
        context.modbusAddress = 3;
        const WORD addresses[5] = {0xE010, 0xE000, 0xE002, 0xE001, 0xE003};   // kept in ascending order
        for (WORD address : addresses)
            context.registers[address] = isRead ? 0 : static_cast<WORD>(address - 0xE000 + 1000);
        return context;
    }


    testing_support::PeerHost host;
    DeviceUnderTest device{host};
    RunRecorder recorder;
};

TEST_F(RegisterListRun, ReadOverAPtyTicksOncePerRegisterInAscendingOrder)
{
    ASSERT_TRUE(device.StartSerial(Profile())) << device.Error();
    CVarnixWizardProgContext context = MakeContext(true);
    context.comPort = device.ComPort();
    // A device document holding the port's shared link meanwhile.
    const boost::shared_ptr<CSharedModbusLocal> held = OpenSharedModbusSerial(device.ComPort());
    CCorandelWizProgThread thread;
    RunToEnd(thread, context, recorder);

    std::vector<std::string> expected = {"CONNECTED", "TEXT Reading configuration from Corandel Duo.  Please wait."};
    expected.insert(expected.end(), 5, "TICK");
    expected.push_back("TEXT Finished.");
    expected.push_back("DONE");
    EXPECT_EQ(expected, recorder.Events());
    // The values are in the thread's copy; the page takes them from there.
    const WizardRegisterMap_t& read = static_cast<CVarnixWizardProgContext&>(thread.GetContext()).registers;
    EXPECT_EQ(WizardRegisterMap_t({{0xE000, 10}, {0xE001, 20}, {0xE002, 30}, {0xE003, 40}, {0xE010, 500}}), read);
    EXPECT_EQ(0, context.registers[0xE010]);

    const std::vector<JournalRequest> reads = OfFunction(device.WaitForRequests(5), 4);
    ASSERT_EQ(5u, reads.size());
    EXPECT_TRUE(StrictlyAscending(reads));
    for (const JournalRequest& request : reads)
        EXPECT_EQ(1, request.count);
    // The shared link of the port now makes two attempts for every user.
    EXPECT_EQ(2, held->m_link->GetRetries());
}

TEST_F(RegisterListRun, ProgramOverTcpWritesEveryRegisterAndAFailingRegisterEndsTheRun)
{
    ASSERT_TRUE(device.StartTcp(Profile("[{\"kind\": \"exception\", \"function\": 6, \"address\": 57347}]")))
        << device.Error();
    CVarnixWizardProgContext context = MakeContext(false);
    UseTcp(context);
    CCorandelMpptProgThread thread;
    RunToEnd(thread, context, recorder);

    EXPECT_EQ(std::vector<std::string>(
                  {"CONNECTED", "TEXT Programming Corandel MPPT.  Please wait.", "TICK", "TICK", "TICK",
                   "TEXT * Error: control refused the Modbus write request with exception code 4 (slave device failure).",
                   "TEXT Stopped at register 0xe003: 3 of 5 writes confirmed.", "FAILED 0"}),
              recorder.Events());
    // The shared link makes two attempts at the failing register; the run stops there and
    // never reaches 0xE010.
    recorder.Drain(300);
    const std::vector<JournalRequest> writes = OfFunction(device.WaitForRequests(5), 6);
    ASSERT_EQ(5u, writes.size());
    EXPECT_EQ(0xE000, writes[0].address);
    EXPECT_EQ(1000, writes[0].value);
    EXPECT_EQ(0xE003, writes[3].address);
    EXPECT_EQ(1003, writes[3].value);
    EXPECT_EQ(0xE003, writes[4].address);
}

// A controller lost after two writes, by a reset of its connection and by silence on a
// pty: the run fails naming the setting it stopped at and how much was written.
TEST_F(RegisterListRun, ARunThatLostItsControllerSaysWhatHappenedAndWhereItStopped)
{
    const struct
    {
        bool serial;
        const char* kind;
        const char* reason;
    } cases[] = {{false, "reset", "* Error: the connection was closed during the Modbus write request."},
                 {true, "silence", "* Error: control did not respond to Modbus write request."}};
    for (const auto& test : cases)
    {
        recorder.Clear();
        DeviceUnderTest cut(host);
        const std::string profile = Profile(std::string("[{\"kind\": \"") + test.kind + "\", \"after_writes\": 2}]");
        ASSERT_TRUE(test.serial ? cut.StartSerial(profile) : cut.StartTcp(profile)) << cut.Error();
        CVarnixWizardProgContext context = MakeContext(false);
        context.registerNames[0xE002] = "Time Before Float";
        if (test.serial)
            context.comPort = cut.ComPort();
        else
        {
            context.comPort = -1;
            context.host = "127.0.0.1";
            context.tcpPort = cut.TcpPort();
        }
        CVarnixWizProgThread thread;
        RunToEnd(thread, context, recorder);
        EXPECT_EQ((std::vector<std::string>{"Programming Varnix.  Please wait.", test.reason,
                                            "Stopped at Time Before Float (register 0xe002): 2 of 5 writes confirmed."}),
                  recorder.Texts());
        EXPECT_EQ("FAILED 0", recorder.Events().back());
    }
}

TEST_F(RegisterListRun, AFailingReadNamesItsRegisterAndAnEmptyListFinishesAtOnce)
{
    ASSERT_TRUE(device.StartTcp(Profile("[{\"kind\": \"exception\", \"function\": 4, \"address\": 57346}]")))
        << device.Error();
    CVarnixWizardProgContext context = MakeContext(true);
    UseTcp(context);
    {
        CVarnixWizProgThread thread;
        RunToEnd(thread, context, recorder);
        EXPECT_EQ(std::vector<std::string>(
                      {"Reading configuration from Varnix.  Please wait.",
                       "* Error: control refused the Modbus read request with exception code 4 (slave device failure).",
                       "Stopped at register 0xe002: 2 of 5 registers read."}),
                  recorder.Texts());
        EXPECT_EQ("FAILED 0", recorder.Events().back());
        EXPECT_EQ(2, recorder.Count("TICK"));
    }
    recorder.Clear();
    context.registers.clear();
    CVarnixWizProgThread thread;
    RunToEnd(thread, context, recorder);
    EXPECT_EQ(std::vector<std::string>({"CONNECTED", "TEXT Reading configuration from Varnix.  Please wait.",
                                        "TEXT Finished.", "DONE"}),
              recorder.Events());
}

TEST_F(RegisterListRun, NoLinkAndNoIdentificationAnswer)
{
    ASSERT_TRUE(device.StartSerial(Profile())) << device.Error();
    CVarnixWizardProgContext context = MakeContext(true);
    context.comPort = 198;
    CCorandelWizProgThread thread;
    RunToEnd(thread, context, recorder);
    EXPECT_EQ(std::vector<std::string>({"TEXT * Error: unable to open Modbus connection to device: unable to open COM198",
                                        "FAILED 1"}),
              recorder.Events());

    recorder.Clear();
    context.comPort = device.ComPort();
    context.modbusAddress = 4;   // nobody answers there
    RunToEnd(thread, context, recorder);
    EXPECT_EQ(std::vector<std::string>({"* Error: Quorvant device did not respond to device identification query.",
                                        "The MODBUS address given may be incorrect or there may be",
                                        "a problem with the connection or device."}),
              recorder.Texts());
    EXPECT_EQ("FAILED 2", recorder.Events().back());
}

TEST_F(RegisterListRun, AProgramRunWithAnAddressOutsideItsRangeSendsNothing)
{
    ASSERT_TRUE(device.StartTcp("{\"units\": {\"3\": {\"holding\": {\"0xE000\": [1, 1], \"0xE021\": 1, "
                                "\"0xE034\": [1, 1], \"0xE040\": 1}, \"input\": \"holding\"}}}"))
        << device.Error();
    struct Case
    {
        WORD reg;
        WORD word;
        const char* refusal;   // null: the run programs the device
    };
    struct Product
    {
        CRegisterListProgThread* (*make)();
        WORD modbus;
        WORD skelder;
        std::vector<Case> cases;
    };
    const Product products[] = {
        {[]() -> CRegisterListProgThread* { return new CVarnixWizProgThread; }, 0xE021, 0xE040,
         {{0xE021, 0, "Modbus Address 0 is not in the range 1 to 247"},
          {0xE021, 248, "Modbus Address 248 is not in the range 1 to 247"},
          {0xE040, 0, "Skelder Address 0 is not in the range 1 to 15"},
          {0xE040, 16, "Skelder Address 16 is not in the range 1 to 15"}, {0xE021, 247, nullptr}}},
        {[]() -> CRegisterListProgThread* { return new CCorandelWizProgThread; }, 0xE001, 0xE000,
         {{0xE001, 0, "Modbus Address 0 is not in the range 1 to 247"},
          {0xE001, 248, "Modbus Address 248 is not in the range 1 to 247"},
          {0xE000, 0, "Skelder Address 0 is not in the range 1 to 15"},
          {0xE000, 16, "Skelder Address 16 is not in the range 1 to 15"}, {0xE000, 15, nullptr}}},
        // One-byte registers: the controller takes the low byte of the word.
        {[]() -> CRegisterListProgThread* { return new CCorandelMpptProgThread; }, 0xE034, 0xE035,
         {{0xE034, 0, "Modbus Address 0 is not in the range 1 to 247"},
          {0xE034, 248, "Modbus Address 248 is not in the range 1 to 247"},
          {0xE034, 0x0100, "Modbus Address 0 is not in the range 1 to 247"},
          {0xE035, 0, "Skelder Address 0 is not in the range 1 to 15"},
          {0xE035, 16, "Skelder Address 16 is not in the range 1 to 15"}, {0xE034, 0x01F7, nullptr}}},
    };
    size_t programmed = 0;
    for (const Product& product : products)
    {
        for (const Case& c : product.cases)
        {
            SCOPED_TRACE(testing::Message() << std::hex << c.reg << " word " << c.word);
            CVarnixWizardProgContext context(nullptr);
            UseTcp(context);
            context.modbusAddress = 3;
            context.registers = {{product.modbus, 1}, {product.skelder, 1}};
            context.registers[c.reg] = c.word;
            const std::unique_ptr<CRegisterListProgThread> thread(product.make());
            recorder.Clear();
            RunToEnd(*thread, context, recorder);
            if (c.refusal == nullptr)
            {
                EXPECT_EQ("DONE", recorder.Events().back());
                programmed += 2;
                EXPECT_EQ(programmed, OfFunction(device.Requests(), 6).size());
                continue;
            }
            // Refused before it connected: no identification (CONNECTED), no write.
            EXPECT_EQ(std::vector<std::string>({std::string("TEXT * Error: ") + c.refusal, "FAILED 0"}),
                      recorder.Events());
            EXPECT_EQ(programmed, OfFunction(device.Requests(), 6).size());
        }
    }
    EXPECT_EQ(6u, device.Requests().size()) << "only the runs that programmed reached the device";
}

TEST_F(RegisterListRun, StopDuringARunEndsItAfterTheRegisterInFlight)
{
    ASSERT_TRUE(device.StartTcp(Profile("[{\"kind\": \"delay\", \"function\": 4, \"seconds\": 0.8}]")))
        << device.Error();
    CVarnixWizardProgContext context = MakeContext(true);
    UseTcp(context);
    CCorandelWizProgThread thread;
    ASSERT_TRUE(thread.Start(recorder.Window(), context));
    EXPECT_FALSE(thread.Start(recorder.Window(), context));
    ASSERT_FALSE(device.WaitForRequests(1).empty());
    EXPECT_TRUE(thread.Stop(5000));
    EXPECT_TRUE(thread.EndedWithoutTermination());
    recorder.Drain(1200);
    EXPECT_FALSE(recorder.Has("DONE"));
    EXPECT_FALSE(recorder.Has("TEXT Finished."));
    EXPECT_LE(OfFunction(device.Requests(), 4).size(), 2u);
}

TEST(ProgContexts, ConnectionFieldsComeFromTheDeviceOrTheLastConnection)
{
    UseBuildTreeDevicesXml();
    LastWizardConnection_t& last = LastWizardConnection();
    const LastWizardConnection_t saved = last;
    last = {6, "10.9.8.7", 1502, 17};
    const CVarnixWizardProgContext fromLast(nullptr);
    EXPECT_EQ(6, fromLast.comPort);
    EXPECT_EQ("10.9.8.7", std::string(fromLast.host));
    EXPECT_EQ(1502, fromLast.tcpPort);
    EXPECT_EQ(17, fromLast.modbusAddress);
    EXPECT_EQ(0, fromLast.programChoice);
    EXPECT_TRUE(fromLast.registers.empty());
    last = saved;

    ModbusEndpoint_t serial;
    serial.port = 4;
    serial.unitId = 9;
    const RelayCandidateList_t none;
    const CRelayProgContext relay(&serial, &none);
    EXPECT_EQ(4, relay.comPort);
    EXPECT_EQ("", std::string(relay.host));
    EXPECT_EQ(502, relay.tcpPort);   // a serial device keeps the default
    EXPECT_EQ(9, relay.modbusAddress);
    for (int i = 0; i < RELAY_CHANNEL_COUNT; ++i)
        EXPECT_EQ(i, relay.channels[i].GetChannelIndex());

    ModbusEndpoint_t network;
    network.network = true;
    network.host = "127.0.0.1";
    network.port = 1503;
    network.unitId = 2;
    CVarnixWizardProgContext fromNetwork(&network);
    EXPECT_EQ(-1, fromNetwork.comPort);
    EXPECT_EQ("127.0.0.1", std::string(fromNetwork.host));
    EXPECT_EQ(1503, fromNetwork.tcpPort);
    // The list of device descriptions came from devices.xml.
    EXPECT_EQ(8u, fromNetwork.channels[0].GetCandidateDevices().size());

    // The newer wizards' context: the device's connection, or nothing without one.
    const CWizardProgrammingContext fromSerial(&serial);
    EXPECT_EQ(4, fromSerial.comPort);
    EXPECT_EQ("", std::string(fromSerial.host));
    EXPECT_EQ(-1, fromSerial.tcpPort);
    EXPECT_EQ(9, fromSerial.modbusAddress);
    EXPECT_EQ("Quorvant device", fromSerial.deviceText);
    const CWizardProgrammingContext overNetwork(&network);
    EXPECT_EQ(-1, overNetwork.comPort);
    EXPECT_EQ("127.0.0.1", std::string(overNetwork.host));
    EXPECT_EQ(1503, overNetwork.tcpPort);
    const CWizardProgrammingContext noDevice(nullptr);
    EXPECT_EQ(-1, noDevice.comPort);
    EXPECT_EQ(-1, noDevice.tcpPort);
    EXPECT_EQ(-1, noDevice.modbusAddress);
    EXPECT_EQ("", std::string(noDevice.host));
    EXPECT_TRUE(noDevice.variables.empty() && noDevice.optionalVariables.empty());
    EXPECT_TRUE(noDevice.optionalFailureText.empty());

    // Assign copies everything of its own kind, and only the base part from the base.
    fromNetwork.programChoice = 3;
    fromNetwork.registers[0xE005] = 7;
    CVarnixWizardProgContext copy(nullptr);
    CRelayProgContext& asBase = copy;
    asBase.Assign(fromNetwork);
    EXPECT_EQ(3, copy.programChoice);
    EXPECT_EQ(7, copy.registers[0xE005]);
    copy.Assign(relay);
    EXPECT_EQ(4, copy.comPort);
    EXPECT_EQ(3, copy.programChoice);
}

TEST(ProgContexts, AContextOfTheWrongKindIsIgnoredAndTheThreadStillStarts)
{
    UseBuildTreeDevicesXml();
    RunRecorder recorder;
    CCorandelMpptProgThread thread;
    CVarnixWizardProgContext& own = static_cast<CVarnixWizardProgContext&>(thread.GetContext());
    own.comPort = 197;   // no such port: the run fails at once
    own.registers[0xE000] = 5;
    const RelayCandidateList_t none;
    CRelayProgContext relay(nullptr, &none);
    relay.comPort = 3;
    ASSERT_TRUE(thread.Start(recorder.Window(), relay));
    ASSERT_TRUE(recorder.WaitForEnd());
    EXPECT_TRUE(thread.Stop(5000));
    EXPECT_EQ(197, own.comPort);
    EXPECT_EQ(1u, own.registers.size());
    EXPECT_EQ("FAILED 1", recorder.Events().back());
}

} // namespace
