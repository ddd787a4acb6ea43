// The newer wizards' programming thread against the test device, over loopback TCP and
// over a pty: read and program runs of a variable set with an optional set, every posted
// message with its texts and counts, the device's journal (each register once per set, in
// ascending order, flags of one register merged), failures and stopping a run.
#include <gtest/gtest.h>

#include "modbus/CModbusVariableScaled.h"
#include "modbus/CModbusVariable_IP.h"
#include "modbus/CModbusVariable_flag.h"
#include "modbus/CModbusVariable_uint16.h"
#include "tests/support/PeerHost.h"
#include "tests/support/RunFixtures.h"
#include "wizards/framework/CWizardProgrammingThread.h"

#include <tinyxml.h>

#include <boost/make_shared.hpp>

using namespace wizard_runs;

namespace {

const char* const kOptionalText = "The control appears to be a VX-MPPT-45; 60-amp settings not read.";

// Unit 1 serves its setpoints at 0xE000 from holding registers for reads and writes;
// the optional register 0xE020 only when asked for.
std::string Profile(bool withOptional, const std::string& faults = "[]", const std::string& missing = "")
{
    std::string holding = "\"0xE000\": [111, 1440, 25, 0, 43200, 2561]";
    if (withOptional)
        holding += ", \"0xE020\": 77";
    if (!missing.empty())
        holding = "\"0xE000\": 111, \"0xE002\": 25, \"0xE004\": [43200, 2561]";
    return "{\"units\": {\"1\": {\"holding\": {" + holding + "}, \"input\": \"holding\", \"faults\": " + faults +
           "}}}";
}

class WizardThreadRun : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(host.Connected()) << host.Error(); }

    // Required: a number, a scaled value, two flags of one register and an IP address over
    // two registers. Optional: one register of its own and the flags' register again.
    CWizardProgrammingContextPtr MakeContext(bool isRead)
    {
        CWizardProgrammingContextPtr context = boost::make_shared<CWizardProgrammingContext>(nullptr);
        context->isRead = isRead;
        context->deviceText = "Varnix MPPT";
        context->modbusAddress = 1;
        context->variables[1] = boost::make_shared<CModbusVariable_uint16>(0xE000, "Absorb time", "", "min", false, 0,
                                                                          65535, 5);
        context->variables[2] = boost::make_shared<CModbusVariableScaled>(0xE001, "Absorb voltage", "", "V", false, 0.0,
                                                                         100.0, 13.5, 2, 0.01);
        context->variables[3] = boost::make_shared<CModbusVariable_flag>(0xE002, 0, "Equalize", "", false, false, false);
        context->variables[4] = boost::make_shared<CModbusVariable_flag>(0xE002, 3, "Night light", "", false, false, false);
        context->variables[5] = boost::make_shared<CModbusVariable_IP>(0xE004, "Address", "", true, false, "10.0.0.1");
        context->optionalVariables[10] =
            std::make_pair(boost::make_shared<CModbusVariable_uint16>(0xE020, "Current limit", "", "A", false, 0, 65535, 3),
                           false);
        context->optionalVariables[11] = std::make_pair(
            boost::make_shared<CModbusVariable_flag>(0xE002, 4, "Optional flag", "", false, false, false), false);
        return context;
    }

    void UseTcp(CWizardProgrammingContext& context)
    {
        context.comPort = -1;
        context.host = "127.0.0.1";
        context.tcpPort = device.TcpPort();
    }

    void UseSerial(CWizardProgrammingContext& context) { context.comPort = device.ComPort(); }


    testing_support::PeerHost host;
    DeviceUnderTest device{host};
    RunRecorder recorder;
    CWizardProgrammingThread thread;
};

TEST_F(WizardThreadRun, ReadOverTcpFillsBothSetsInFewRequests)
{
    ASSERT_TRUE(device.StartTcp(Profile(true))) << device.Error();
    CWizardProgrammingContextPtr context = MakeContext(true);
    UseTcp(*context);
    RunToEnd(thread, context, recorder);

    const std::vector<std::string> expected = {"TEXT Connecting to control...", "CONNECTED",
                                               "TEXT Reading configuration from device.  Please wait.",
                                               "PROGRESS 3/7", "PROGRESS 5/7", "PROGRESS 6/7", "PROGRESS 7/7",
                                               "TEXT Finished.", "DONE"};
    EXPECT_EQ(expected, recorder.Events());
    EXPECT_EQ("111", context->variables[1]->ToString());
    EXPECT_EQ("14.40", context->variables[2]->ToString());
    EXPECT_EQ("true", context->variables[3]->ToString());    // 25 = bits 0, 3 and 4
    EXPECT_EQ("true", context->variables[4]->ToString());
    // Each flag keeps only its own bit of the shared register.
    EXPECT_EQ(0x0001, context->variables[3]->GetRegisters().front().value);
    EXPECT_EQ(0x0008, context->variables[4]->GetRegisters().front().value);
    EXPECT_EQ(0x0010, context->optionalVariables[11].first->GetRegisters().front().value);
    EXPECT_EQ("192.168.1.10", context->variables[5]->ToString());
    EXPECT_EQ("77", context->optionalVariables[10].first->ToString());
    EXPECT_TRUE(context->optionalVariables[10].second);
    EXPECT_TRUE(context->optionalVariables[11].second);

    // The required set in two runs of consecutive registers, then the optional set, each
    // register once in its set.
    const std::vector<JournalRequest> reads = OfFunction(device.WaitForRequests(4), 4);
    ASSERT_EQ(4u, reads.size());
    EXPECT_EQ(0xE000, reads[0].address);
    EXPECT_EQ(3, reads[0].count);
    EXPECT_EQ(0xE004, reads[1].address);
    EXPECT_EQ(2, reads[1].count);
    EXPECT_EQ(0xE002, reads[2].address);
    EXPECT_EQ(1, reads[2].count);
    EXPECT_EQ(0xE020, reads[3].address);
}

TEST_F(WizardThreadRun, ProgramOverAPtyWritesEachRegisterOnceWithTheFlagsMerged)
{
    ASSERT_TRUE(device.StartSerial(Profile(true))) << device.Error();
    CWizardProgrammingContextPtr context = MakeContext(false);
    UseSerial(*context);
    context->variables[1]->FromString("90");
    context->variables[2]->FromString("14.75");
    context->variables[3]->FromString("true");
    context->variables[5]->FromString("10.1.2.3");
    // A setpoint file whose word for the flag has every bit set: the flag keeps its own.
    TiXmlElement fromFile("variable");
    TiXmlElement value("value");
    value.SetAttribute("addr", 0xE002);
    value.InsertEndChild(TiXmlText("65535"));
    fromFile.InsertEndChild(value);
    context->variables[4]->ReadXml(&fromFile);
    context->optionalVariables[10].first->FromString("12");
    context->optionalVariables[11].first->FromString("true");
    RunToEnd(thread, context, recorder);

    const std::vector<std::string> expected = {
        "TEXT Connecting to control...", "CONNECTED", "TEXT Programming Varnix MPPT.  Please wait.",
        "PROGRESS 1/7", "PROGRESS 2/7", "PROGRESS 3/7", "PROGRESS 4/7", "PROGRESS 5/7",
        "PROGRESS 6/7", "PROGRESS 7/7", "TEXT Finished.", "DONE"};
    EXPECT_EQ(expected, recorder.Events());

    const std::vector<JournalRequest> writes = OfFunction(device.WaitForRequests(7), 6);
    ASSERT_EQ(7u, writes.size());
    const std::vector<JournalRequest> required(writes.begin(), writes.begin() + 5);
    const std::vector<JournalRequest> optional(writes.begin() + 5, writes.end());
    EXPECT_TRUE(StrictlyAscending(required));
    EXPECT_TRUE(StrictlyAscending(optional));
    const int expectedAddresses[7] = {0xE000, 0xE001, 0xE002, 0xE004, 0xE005, 0xE002, 0xE020};
    const int expectedValues[7] = {90, 1475, 0x0009, 0x010A, 0x0302, 0x0010, 12};
    for (int i = 0; i < 7; ++i)
    {
        EXPECT_EQ(expectedAddresses[i], writes[i].address) << i;
        EXPECT_EQ(expectedValues[i], writes[i].value) << i;
    }
}

// A controller without the optional set refuses its first request with exception 2 (here
// the set's first register, which the required set reads in a longer run).
TEST_F(WizardThreadRun, AMissingOptionalSetPostsOnlyItsTextAndTheRunSucceeds)
{
    ASSERT_TRUE(device.StartTcp(Profile(true, R"([{"kind": "exception", "code": 2, "function": 4, "address": 57346}])")))
        << device.Error();
    CWizardProgrammingContextPtr context = MakeContext(true);
    UseTcp(*context);
    context->optionalFailureText = kOptionalText;
    context->optionalVariables[10].second = true;   // from an earlier run
    RunToEnd(thread, context, recorder);
    const std::vector<std::string> expected = {"TEXT Connecting to control...", "CONNECTED",
                                               "TEXT Reading configuration from device.  Please wait.",
                                               "PROGRESS 3/7", "PROGRESS 5/7",
                                               std::string("TEXT ") + kOptionalText, "TEXT Finished.", "DONE"};
    EXPECT_EQ(expected, recorder.Events());
    EXPECT_FALSE(context->optionalVariables[10].second);
    EXPECT_EQ("3", context->optionalVariables[10].first->ToString());
    EXPECT_EQ("111", context->variables[1]->ToString());

    // Without a text the failing set says nothing at all.
    recorder.Clear();
    context->optionalFailureText.clear();
    RunToEnd(thread, context, recorder);
    EXPECT_EQ(0, recorder.Count(std::string("TEXT ") + kOptionalText));
    EXPECT_EQ(std::vector<std::string>({"Connecting to control...", "Reading configuration from device.  Please wait.",
                                        "Finished."}),
              recorder.Texts());
    EXPECT_TRUE(recorder.Has("DONE"));

    // A controller that gave the set's first request and refuses the second has the set:
    // the read fails there, changes no variable and never counts as one without the set.
    DeviceUnderTest refusing(host);
    ASSERT_TRUE(refusing.StartTcp(Profile(false))) << refusing.Error();
    recorder.Clear();
    context = MakeContext(true);
    UseTcp(*context);
    context->tcpPort = refusing.TcpPort();
    context->optionalFailureText = kOptionalText;
    RunToEnd(thread, context, recorder);
    EXPECT_EQ((std::vector<std::string>{
                  "TEXT Connecting to control...", "CONNECTED", "TEXT Reading configuration from device.  Please wait.",
                  "PROGRESS 3/7", "PROGRESS 5/7", "PROGRESS 6/7",
                  "TEXT * Error: control refused the Modbus read request with exception code 2 (illegal data address).",
                  "TEXT Stopped at Current limit (register 0xe020): 6 of 7 registers read.", "FAILED 32770"}),
              recorder.Events());
    EXPECT_FALSE(context->optionalVariables[10].second);
    EXPECT_EQ("3", context->optionalVariables[10].first->ToString());
    EXPECT_EQ("5", context->variables[1]->ToString());
}

// Only the controller's exception 2 means the optional set is not there: a connection
// reset, any other exception or garbage there fails the run, says where it stopped, and
// a read leaves every variable as it was.
TEST_F(WizardThreadRun, AnOptionalSetThatLostItsControllerFailsTheRun)
{
    {
        DeviceUnderTest cut(host);
        ASSERT_TRUE(cut.StartTcp(Profile(true, R"([{"kind": "reset", "function": 4, "address": 57376}])")))
            << cut.Error();
        CWizardProgrammingContextPtr context = MakeContext(true);
        context->optionalFailureText = kOptionalText;
        context->comPort = -1;
        context->host = "127.0.0.1";
        context->tcpPort = cut.TcpPort();
        RunToEnd(thread, context, recorder);
        const std::vector<std::string> texts = recorder.Texts();
        ASSERT_EQ(4u, texts.size());
        EXPECT_EQ("* Error: the connection was closed during the Modbus read request.", texts[2]);
        EXPECT_EQ("Stopped at Current limit (register 0xe020): 6 of 7 registers read.", texts[3]);
        // A reset reads as either socket code under Wine.
        EXPECT_EQ(0u, recorder.Events().back().find("FAILED 100"));
        EXPECT_FALSE(recorder.Has("DONE"));
        EXPECT_EQ("5", context->variables[1]->ToString());
        EXPECT_EQ("3", context->optionalVariables[10].first->ToString());
        EXPECT_FALSE(context->optionalVariables[11].second);
    }
    const struct
    {
        bool serial;
        const char* fault;
        const char* reason;
    } cases[] = {
        {false, R"({"kind": "exception", "code": 4, "function": 6, "address": 57376})",
         "* Error: control refused the Modbus write request with exception code 4 (slave device failure)."},
        {true, R"({"kind": "bad_crc", "function": 6, "address": 57376})", "* Error: Modbus write request failed: CRC error."},
    };
    for (const auto& test : cases)
    {
        recorder.Clear();
        DeviceUnderTest cut(host);
        const std::string profile = Profile(true, std::string("[") + test.fault + "]");
        ASSERT_TRUE(test.serial ? cut.StartSerial(profile) : cut.StartTcp(profile)) << cut.Error();
        CWizardProgrammingContextPtr context = MakeContext(false);
        context->optionalFailureText = kOptionalText;
        if (test.serial)
            context->comPort = cut.ComPort();
        else
        {
            context->host = "127.0.0.1";
            context->tcpPort = cut.TcpPort();
        }
        RunToEnd(thread, context, recorder);
        const std::vector<std::string> texts = recorder.Texts();
        ASSERT_EQ(4u, texts.size()) << test.fault;
        EXPECT_EQ(test.reason, texts[2]);
        EXPECT_EQ("Stopped at Current limit (register 0xe020): 6 of 7 writes confirmed.", texts[3]);
        EXPECT_FALSE(recorder.Has("DONE")) << test.fault;
    }
}

TEST_F(WizardThreadRun, FailuresOfTheRequiredSetTheLinkAndTheIdentification)
{
    ASSERT_TRUE(device.StartTcp(Profile(true, "[]", "no 0xE001"))) << device.Error();
    CWizardProgrammingContextPtr context = MakeContext(true);
    UseTcp(*context);
    RunToEnd(thread, context, recorder);
    const std::vector<std::string> texts = recorder.Texts();
    ASSERT_EQ(4u, texts.size());
    EXPECT_EQ("* Error: control refused the Modbus read request with exception code 2 (illegal data address).", texts[2]);
    EXPECT_EQ("Stopped at Absorb time (register 0xe000): 0 of 7 registers read.", texts[3]);
    EXPECT_TRUE(recorder.Has("FAILED 32770"));
    EXPECT_FALSE(recorder.Has("DONE"));
    EXPECT_EQ("5", context->variables[1]->ToString());   // nothing of the set changed

    // A unit that is not there does not answer the identification.
    recorder.Clear();
    context->modbusAddress = 7;
    RunToEnd(thread, context, recorder);
    EXPECT_EQ(std::vector<std::string>({"Connecting to control...",
                                        "* Error: Varnix MPPT did not respond to device identification query.",
                                        "The Modbus address given may be incorrect or there may be",
                                        "a problem with the connection or device."}),
              recorder.Texts());
    EXPECT_EQ("FAILED 2", recorder.Events().back());

    // A port that does not exist.
    recorder.Clear();
    context->comPort = 199;
    context->deviceText = "Quorvant device";
    RunToEnd(thread, context, recorder);
    EXPECT_EQ(std::vector<std::string>({"TEXT Connecting to control...",
                                        "TEXT * Error: unable to open Modbus port to Quorvant device", "FAILED 1"}),
              recorder.Events());
}

TEST_F(WizardThreadRun, StopEndsARunBetweenRequestsWithoutTerminatingIt)
{
    // Every write takes the device a second to answer.
    ASSERT_TRUE(device.StartTcp(Profile(true, "[{\"kind\": \"delay\", \"function\": 6, \"seconds\": 1.0}]")))
        << device.Error();
    CWizardProgrammingContextPtr context = MakeContext(false);
    UseTcp(*context);
    ASSERT_TRUE(thread.Start(recorder.Window(), context));
    EXPECT_FALSE(thread.Start(recorder.Window(), context));   // one run at a time
    ASSERT_FALSE(device.WaitForRequests(1).empty());           // the first write is under way
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(thread.Stop(5000));
    EXPECT_TRUE(thread.EndedWithoutTermination());
    EXPECT_LT(::GetTickCount() - start, 5000u);
    EXPECT_FALSE(thread.IsRunning());
    recorder.Drain(300);
    EXPECT_FALSE(recorder.Has("DONE"));
    EXPECT_EQ(0, recorder.Count("TEXT Finished."));
    // The run ended after the request in flight: the device saw at most one more write.
    recorder.Drain(1500);
    EXPECT_LE(OfFunction(device.Requests(), 6).size(), 2u);
    // A stopped thread object can run again.
    EXPECT_TRUE(thread.Stop(100));
}

} // namespace
