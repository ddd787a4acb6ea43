// The Ostrel thread against a test device that holds an Ostrel register map: a read of
// every channel (98 single-register reads in ascending order) that imports and binds the
// channels, programming that writes only the registers each function's block covers, a
// module with a function code the program does not know, a failing write, and a module
// holding odd words whose channels are saved and opened again.
#include <gtest/gtest.h>

#include "tests/support/ArchiveBytes.h"
#include "tests/support/PeerHost.h"
#include "tests/support/RunFixtures.h"
#include "wizards/relay/CRelayProgThread.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace wizard_runs;

namespace {

const int kModuleRegisters = 2 + 4 * RELAY_BLOCK_REGISTERS;

// Threshold on a Varnix's battery voltage (advanced: 5 s samples), Alarm/Fault on the same
// Varnix (simple), GenStart on a Varnix MPPT, and a disabled channel.
void Configure(CRelayProgContext& context)
{
    CRelayModuleChannel& threshold = context.channels[0];
    threshold.SetFunctionCode(RELAY_FUNCTION_THRESHOLD);
    threshold.SetControlDevice(0, 2);
    threshold.SetThresholdVariable(2);
    threshold.SetThresholdHighLimit(14.0);
    threshold.SetThresholdLowLimit(12.5);
    threshold.SetSamplePeriod(5.0f);
    threshold.SetAdvanced(true);

    CRelayModuleChannel& alarm = context.channels[1];
    alarm.SetFunctionCode(RELAY_FUNCTION_ALARM);
    alarm.SetControlDevice(0, 2);
    alarm.SetAlarmSelected(0x5, true);
    alarm.SetFaultSelected(0x2, true);

    CRelayModuleChannel& genStart = context.channels[2];
    genStart.SetFunctionCode(RELAY_FUNCTION_GENSTART);
    genStart.SetControlDevice(4, 8);
    genStart.SetThresholdVariable(2);
    genStart.SetGenStartOnThreshold(11.5);
    genStart.SetGenStartOffThreshold(13.2);
    genStart.SetRunSignal(true);
    genStart.SetCrankSignal(true);
    genStart.SetCrankWire(1);
    genStart.SetMaxRunTime(3600);
    genStart.SetAdvanced(true);
}

// The module's registers as a profile: function codes, then each channel's exported block,
// then the odd words given by their offset from the first register.
std::string ModuleProfile(CRelayProgContext& context, int functions12 = -1, const std::string& faults = "[]",
                          const std::map<int, WORD>& odd = std::map<int, WORD>())
{
    std::vector<WORD> words(kModuleRegisters, 0);
    words[0] = functions12 >= 0 ? static_cast<WORD>(functions12)
                                : static_cast<WORD>(context.channels[1].GetFunction() << 8 | context.channels[0].GetFunction());
    words[1] = static_cast<WORD>(context.channels[3].GetFunction() << 8 | context.channels[2].GetFunction());
    for (int channel = 0; channel < 4; ++channel)
    {
        BYTE block[128] = {};
        context.channels[channel].ExportRegisterImage(block, sizeof block);
        for (int n = 0; n < RELAY_BLOCK_REGISTERS; ++n)
            words[2 + channel * RELAY_BLOCK_REGISTERS + n] = static_cast<WORD>(block[2 * n] | block[2 * n + 1] << 8);
    }
    for (const auto& entry : odd)
        words.at(entry.first) = entry.second;
    std::string list;
    for (WORD word : words)
        list += (list.empty() ? "" : ", ") + std::to_string(word);
    return "{\"units\": {\"9\": {\"holding\": {\"0xE002\": [" + list + "]}, \"input\": \"holding\", \"faults\": " +
           faults + "}}}";
}

class RelayRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Connected()) << host.Error();
        UseBuildTreeDevicesXml();
    }

    CRelayProgContext MakeContext(bool isRead)
    {
        CRelayProgContext context(nullptr, nullptr);
        context.isRead = isRead;
        context.modbusAddress = 9;
        context.comPort = -1;
        context.host = "127.0.0.1";
        context.tcpPort = device.TcpPort();
        return context;
    }


    testing_support::PeerHost host;
    DeviceUnderTest device{host};
    RunRecorder recorder;
};

TEST_F(RelayRun, ReadImportsEveryChannelWith98ReadsInAscendingOrder)
{
    CRelayProgContext configured(nullptr, nullptr);
    Configure(configured);
    ASSERT_TRUE(device.StartTcp(ModuleProfile(configured))) << device.Error();
    CRelayProgThread thread;
    RunToEnd(thread, MakeContext(true), recorder);

    EXPECT_EQ(std::vector<std::string>({"Reading configuration from Ostrel.  Please wait."}), recorder.Texts());
    EXPECT_EQ("DONE", recorder.Events().back());
    const std::vector<JournalRequest> reads = OfFunction(device.WaitForRequests(kModuleRegisters), 4);
    ASSERT_EQ(static_cast<size_t>(kModuleRegisters), reads.size());
    EXPECT_TRUE(StrictlyAscending(reads));
    EXPECT_EQ(0xE002, reads.front().address);
    EXPECT_EQ(0xE063, reads.back().address);

    CRelayProgContext& read = thread.GetContext();
    EXPECT_EQ(0, std::memcmp(configured.channels[0].GetThresholdBlock(), read.channels[0].GetThresholdBlock(),
                             RELAY_THRESHOLD_BLOCK_SIZE));
    EXPECT_EQ(0, std::memcmp(configured.channels[1].GetAlarmBlock(), read.channels[1].GetAlarmBlock(),
                             RELAY_ALARM_BLOCK_SIZE));
    EXPECT_EQ(0, std::memcmp(configured.channels[2].GetGenStartBlock(), read.channels[2].GetGenStartBlock(),
                             RELAY_GENSTART_BLOCK_SIZE));
    // One controller of each control type: every channel binds without asking.
    EXPECT_EQ(2, read.channels[0].GetControlDeviceType());
    EXPECT_EQ(8, read.channels[2].GetControlDeviceType());
    EXPECT_EQ("Threshold, Varnix, advanced, Battery Voltage, high(on)=14.00V, low=12.50V",
              read.channels[0].GetDescription());
    EXPECT_EQ("Alarm/Fault, Varnix, simple", read.channels[1].GetDescription());
    EXPECT_EQ("GenStart, Varnix MPPT, advanced", read.channels[2].GetDescription());
    EXPECT_EQ("Disabled", read.channels[3].GetDescription());
    EXPECT_NEAR(11.5, read.channels[2].GetGenStartOnThreshold(), 0.01);
    EXPECT_TRUE(read.channels[2].HasCrankSignal());
    EXPECT_EQ(1, read.channels[2].GetCrankWire());
}

TEST_F(RelayRun, ProgramWritesOnlyTheRegistersOfEachBlockAndReadsBackTheSame)
{
    CRelayProgContext blank(nullptr, nullptr);
    ASSERT_TRUE(device.StartTcp(ModuleProfile(blank))) << device.Error();
    CRelayProgContext context = MakeContext(false);
    Configure(context);
    // A source at a Skelder address outside 1..15 is refused before anything is sent.
    for (BYTE address : {0, 16})
    {
        CRelayProgContext refused = context;
        refused.channels[2].SetAddress(address);
        CRelayProgThread thread;
        RunToEnd(thread, refused, recorder);
        EXPECT_EQ(std::vector<std::string>({"TEXT * Error: Channel 3: Skelder Address " + std::to_string(address) +
                                                " is not in the range 1 to 15",
                                            "FAILED 0"}),
                  recorder.Events());
        recorder.Clear();
    }
    EXPECT_TRUE(device.Requests().empty());
    context.channels[2].SetAddress(15);
    CRelayProgThread thread;
    RunToEnd(thread, context, recorder);
    EXPECT_EQ(std::vector<std::string>({"Programming Ostrel.  Please wait."}), recorder.Texts());
    ASSERT_EQ("DONE", recorder.Events().back());

    // Functions, then 17 registers of the Threshold block, 14 of the Alarm/Fault block of
    // channel 2 and 21 of the GenStart block; nothing for the disabled channel.
    const std::vector<JournalRequest> writes = OfFunction(device.WaitForRequests(2 + 17 + 14 + 21), 6);
    ASSERT_EQ(54u, writes.size());
    EXPECT_TRUE(StrictlyAscending(writes));
    EXPECT_EQ(0xE002, writes[0].address);
    EXPECT_EQ(0x0201, writes[0].value);
    EXPECT_EQ(0x0005, writes[1].value);
    EXPECT_EQ(0xE004, writes[2].address);
    EXPECT_EQ(0xE014, writes[18].address);
    // The 17th register holds the block's 33rd byte (the flags' high byte) alone.
    EXPECT_EQ(context.channels[0].GetThresholdBlock()[32], writes[18].value);
    EXPECT_EQ(0xE01C, writes[19].address);
    EXPECT_EQ(0xE029, writes[32].address);
    EXPECT_EQ(0xE034, writes[33].address);
    EXPECT_EQ(15, writes[33].value & 0xFF) << "the GenStart source's address";
    EXPECT_EQ(0xE048, writes[53].address);

    recorder.Clear();
    CRelayProgThread reader;
    RunToEnd(reader, MakeContext(true), recorder);
    ASSERT_EQ("DONE", recorder.Events().back());
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_EQ(context.channels[channel].GetDescription(), reader.GetContext().channels[channel].GetDescription());
}

// A module whose blocks hold odd words (every byte after the source fields 0xFF): the
// channels read, saved as a .qrelay file and opened again are the same.
TEST_F(RelayRun, OddWordsReadSaveAndOpenAgain)
{
    CRelayProgContext configured(nullptr, nullptr);
    Configure(configured);
    std::map<int, WORD> odd;
    for (int channel : {0, 1, 2})
        for (int n = 4; n < RELAY_BLOCK_REGISTERS; ++n)
            odd[2 + channel * RELAY_BLOCK_REGISTERS + n] = 0xFFFF;
    ASSERT_TRUE(device.StartTcp(ModuleProfile(configured, -1, "[]", odd))) << device.Error();
    CRelayProgThread thread;
    RunToEnd(thread, MakeContext(true), recorder);
    ASSERT_EQ("DONE", recorder.Events().back());

    const CRelayProgContext& read = thread.GetContext();
    const BYTE* threshold = read.channels[0].GetThresholdBlock();
    EXPECT_EQ(testing_support::Bytes(4, 0xFF), testing_support::Bytes(threshold + 9, threshold + 13)) << "the high limit";
    EXPECT_EQ(65535u, read.channels[2].GetMaxRunTime());
    const testing_support::Bytes saved = testing_support::StoreToBytes([&](CArchive& ar) {
        for (const CRelayModuleChannel& channel : read.channels)
            channel.Save(ar);
    });
    CRelayModuleChannel opened[4];
    bool loaded = true;
    testing_support::LoadFromBytes(saved, [&](CArchive& ar) {
        for (CRelayModuleChannel& channel : opened)
            loaded = loaded && channel.Load(ar);
    });
    ASSERT_TRUE(loaded) << "the file saved after a read does not open";
    for (int channel = 0; channel < 4; ++channel)
    {
        EXPECT_EQ(read.channels[channel].GetFunction(), opened[channel].GetFunction()) << channel;
        EXPECT_EQ(0, std::memcmp(read.channels[channel].GetThresholdBlock(), opened[channel].GetThresholdBlock(),
                                 RELAY_THRESHOLD_BLOCK_SIZE)) << channel;
        EXPECT_EQ(0, std::memcmp(read.channels[channel].GetAlarmBlock(), opened[channel].GetAlarmBlock(),
                                 RELAY_ALARM_BLOCK_SIZE)) << channel;
        EXPECT_EQ(0, std::memcmp(read.channels[channel].GetGenStartBlock(), opened[channel].GetGenStartBlock(),
                                 RELAY_GENSTART_BLOCK_SIZE)) << channel;
    }
}

TEST_F(RelayRun, FourDisabledChannelsWriteOnlyTheFunctionRegisters)
{
    CRelayProgContext blank(nullptr, nullptr);
    ASSERT_TRUE(device.StartTcp(ModuleProfile(blank))) << device.Error();
    CRelayProgThread thread;
    RunToEnd(thread, MakeContext(false), recorder);
    ASSERT_EQ("DONE", recorder.Events().back());
    recorder.Drain(300);
    const std::vector<JournalRequest> writes = OfFunction(device.Requests(), 6);
    ASSERT_EQ(2u, writes.size());
    EXPECT_EQ(0xE002, writes[0].address);
    EXPECT_EQ(0, writes[0].value);
    EXPECT_EQ(0xE003, writes[1].address);
    EXPECT_EQ(0, writes[1].value);
}

TEST_F(RelayRun, AnUnknownFunctionCodeFailsTheReadAndAFailingWriteEndsTheRun)
{
    CRelayProgContext configured(nullptr, nullptr);
    Configure(configured);
    // Channel 2 reports function 7.
    ASSERT_TRUE(device.StartTcp(ModuleProfile(configured, 0x0701,
                                              "[{\"kind\": \"exception\", \"function\": 6, \"address\": 57350}]")))
        << device.Error();
    CRelayProgThread thread;
    RunToEnd(thread, MakeContext(true), recorder);
    EXPECT_EQ(std::vector<std::string>({"Reading configuration from Ostrel.  Please wait.",
                                        "* Error: unable to determine channel configuration from ostrel data."}),
              recorder.Texts());
    EXPECT_EQ("FAILED 0", recorder.Events().back());
    // The thread's copy keeps the function it had: nothing was imported under it.
    EXPECT_EQ(RELAY_FUNCTION_DISABLED, thread.GetContext().channels[1].GetFunction());

    recorder.Clear();
    CRelayProgContext context = MakeContext(false);
    Configure(context);
    RunToEnd(thread, context, recorder);
    EXPECT_EQ(std::vector<std::string>(
                  {"Programming Ostrel.  Please wait.",
                   "* Error: control refused the Modbus write request with exception code 4 (slave device failure).",
                   "Stopped at channel 1 (register 0xe006): 4 of 54 writes confirmed."}),
              recorder.Texts());
    EXPECT_EQ("FAILED 0", recorder.Events().back());
}

} // namespace
