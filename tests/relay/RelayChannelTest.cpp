// The Ostrel channel record without a window: defaults and texts, the checked setters and
// their messages, the watched variable and its limits, GenStart signals and wires, the
// register blocks in both directions with the simple/advanced rule and the silent binding,
// and the .qrelay record with every version and a record cut short.
#include <gtest/gtest.h>

#include "documents/CDocumentDeviceGeneric1.h"
#include "shell/ProgramFolders.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/ErrorText.h"
#include "tests/support/TestPaths.h"
#include "wizards/framework/CRelayProgContext.h"
#include "wizards/relay/CRelayModuleChannel.h"

#include <boost/make_shared.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

using testing_support::Bytes;
using testing_support::ErrorText;

namespace {

RelayCandidateList_t ShippedDevices()
{
    const std::string folder = testing_support::BuildPath("");
    GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
    return LoadCandidateDevices();
}

// A channel watching a Varnix's battery voltage (Skelder id 2, scale 0.0029500427).
CRelayModuleChannel ThresholdChannel(const RelayCandidateList_t& devices)
{
    CRelayModuleChannel channel;
    channel.SetCandidateDevices(devices);
    channel.SetFunctionCode(RELAY_FUNCTION_THRESHOLD);
    channel.SetControlDevice(0, 2);
    channel.SetThresholdVariable(2);
    return channel;
}

Bytes Export(CRelayModuleChannel& channel)
{
    Bytes image(128, 0xEE);
    const int count = channel.ExportRegisterImage(image.data(), static_cast<int>(image.size()));
    image.resize(count < 0 ? 0 : count);
    return image;
}

Bytes Saved(const CRelayModuleChannel& channel)
{
    return testing_support::StoreToBytes([&](CArchive& ar) { channel.Save(ar); });
}

bool LoadInto(CRelayModuleChannel& channel, const Bytes& bytes)
{
    bool loaded = false;
    testing_support::LoadFromBytes(bytes, [&](CArchive& ar) { loaded = channel.Load(ar); });
    return loaded;
}

TEST(RelayChannel, ANewChannelIsDisabledWithItsDefaultBlocks)
{
    CRelayModuleChannel channel;
    EXPECT_EQ(-1, channel.GetChannelIndex());
    EXPECT_EQ(RELAY_FUNCTION_DISABLED, channel.GetFunction());
    EXPECT_EQ(2, channel.GetControlDeviceType());
    EXPECT_EQ(1, channel.GetAddress());
    EXPECT_EQ("Disabled", channel.GetDescription());
    EXPECT_TRUE(Export(channel).empty());
    // Alarm block: 10.00 s samples and output On on timeout; threshold block: the same
    // with output On while high.
    EXPECT_EQ(0xE8, channel.GetAlarmBlock()[2]);
    EXPECT_EQ(0x03, channel.GetAlarmBlock()[3]);
    EXPECT_EQ(0x02, channel.GetAlarmBlock()[26]);
    EXPECT_EQ(0xE8, channel.GetThresholdBlock()[7]);
    EXPECT_EQ(0x0A, channel.GetThresholdBlock()[31]);
    EXPECT_FLOAT_EQ(10.0f, channel.GetSamplePeriod());
    EXPECT_TRUE(channel.GetTimeoutState());
    EXPECT_FALSE(channel.GetStartupState());
    for (int function = 0; function <= 7; ++function)
        EXPECT_STREQ(function == 7 ? "unknown"
                                   : std::vector<const char*>({"Disabled", "Threshold", "Alarm/Fault", "Meter Slave",
                                                               "MODBUS Slave", "GenStart", "GenStart Slave"})[function],
                     RelayFunctionName(function));
}

TEST(RelayChannel, CheckedTimesRefuseOutOfRangeValuesAndKeepTheField)
{
    CRelayModuleChannel channel;
    channel.SetMaxOffTime(3932100);
    EXPECT_EQ(3932100u, channel.GetMaxOffTime());
    EXPECT_EQ("maximum off time must be between 0 seconds and 1092 hours, 15 minutes, 0 second",
              ErrorText([&] { channel.SetMaxOffTime(3932101); }));
    EXPECT_EQ(3932100u, channel.GetMaxOffTime());
    channel.SetMaxOffTime(119);
    EXPECT_EQ(60u, channel.GetMaxOffTime());
    EXPECT_EQ("maximum run time must be between 0 seconds and 18 hours, 12 minutes, 15 seconds",
              ErrorText([&] { channel.SetMaxRunTime(65536); }));
    EXPECT_EQ("crank time must be between 0 seconds and 4 minutes, 15 seconds",
              ErrorText([&] { channel.SetCrankTime(256); }));
    EXPECT_EQ("pre-crank time must be between 0 seconds and 4 minutes, 15 seconds",
              ErrorText([&] { channel.SetPreCrankTime(300); }));
    EXPECT_EQ("minimum off time must be between 0 seconds and 18 hours, 12 minutes, 15 seconds",
              ErrorText([&] { channel.SetMinOffTime(-1); }));
    channel.SetCooldownTime(255);
    EXPECT_EQ(255u, channel.GetCooldownTime());
    EXPECT_THROW(channel.SetWarmupTime(256), std::range_error);
    EXPECT_THROW(channel.SetStopTime(-5), std::range_error);
    EXPECT_THROW(channel.SetCrankDelay(1000), std::range_error);

    // Hundredths of a second truncate; a time whose hundredths do not fit 16 bits is
    // refused instead of being programmed wrapped (700 s would have become 44.64 s).
    channel.SetSamplePeriod(0.015f);
    EXPECT_EQ(1, channel.GetAlarmBlock()[2]);
    channel.SetSamplePeriod(655.35f);
    EXPECT_NEAR(655.35f, channel.GetSamplePeriod(), 0.01f);
    EXPECT_EQ("sample period must be between 0 and 655.35 seconds", ErrorText([&] { channel.SetSamplePeriod(700.0f); }));
    EXPECT_NEAR(655.35f, channel.GetSamplePeriod(), 0.01f);
    EXPECT_EQ("timeout must be between 0 and 655.35 seconds", ErrorText([&] { channel.SetTimeout(-1.0f); }));
    channel.SetTimeout(20.0f);
    EXPECT_FLOAT_EQ(20.0f, channel.GetTimeout());
}

TEST(RelayChannel, TheWatchedVariableGivesTheLimitsTheirScaleAndSign)
{
    const RelayCandidateList_t devices = ShippedDevices();
    CRelayModuleChannel channel;
    channel.SetCandidateDevices(devices);
    channel.SetFunctionCode(RELAY_FUNCTION_THRESHOLD);
    // Without a watched variable the limits are 0, their setters and the GenStart getters throw.
    channel.SetControlDevice(1, 5);   // a meter: bound, but none of its variables has a Skelder id
    EXPECT_EQ(0.0, channel.GetThresholdHighLimit());
    EXPECT_EQ("SetThresholdHighLimit did not find a matching variable ID",
              ErrorText([&] { channel.SetThresholdHighLimit(13.0); }));
    EXPECT_EQ("SetThresholdLowLimit did not find a matching variable ID",
              ErrorText([&] { channel.SetThresholdLowLimit(13.0); }));
    EXPECT_EQ("SetGenStartOnThreshold did not find a matching variable ID",
              ErrorText([&] { channel.SetGenStartOnThreshold(13.0); }));
    EXPECT_EQ("SetGenStartOffThreshold did not find a matching variable ID",
              ErrorText([&] { channel.SetGenStartOffThreshold(13.0); }));
    EXPECT_EQ("GetGenStartOnThreshold did not find a matching variable ID",
              ErrorText([&] { channel.GetGenStartOnThreshold(); }));
    EXPECT_EQ("GetGenStartOffThreshold did not find a matching variable ID",
              ErrorText([&] { channel.GetGenStartOffThreshold(); }));

    channel = ThresholdChannel(devices);
    ASSERT_NE(nullptr, channel.GetThresholdVariable());
    EXPECT_EQ("Battery Voltage", channel.GetThresholdVariable()->name);
    const BYTE* block = channel.GetThresholdBlock();
    EXPECT_EQ(Bytes({2, 1, 0, 16, 0}), Bytes(block + 2, block + 7));
    channel.SetThresholdHighLimit(14.0);   // 4745.69 raw, truncated
    EXPECT_EQ(4745u, static_cast<unsigned>(block[9] | block[10] << 8 | block[11] << 16 | block[12] << 24));
    EXPECT_NEAR(4745 * 0.0029500427, channel.GetThresholdHighLimit(), 1e-9);
    channel.SetThresholdLowLimit(12.5);
    channel.SetHighOutputState(false);
    EXPECT_EQ("Threshold, Varnix, simple, Battery Voltage, high(off)=14.00V, low=12.50V", channel.GetDescription());
    // An unsigned variable cannot hold a negative limit, nor one past 32 bits.
    EXPECT_THROW(channel.SetThresholdLowLimit(-1.0), std::range_error);
    EXPECT_THROW(channel.SetThresholdHighLimit(2e7), std::range_error);
    EXPECT_NEAR(4745 * 0.0029500427, channel.GetThresholdHighLimit(), 1e-9);

    // A signed variable (the heatsink temperature, Skelder id 7) reads its limits signed.
    channel.SetThresholdVariable(7);
    EXPECT_EQ(0x80, block[6] & 0x80);
    EXPECT_EQ(1, block[31] & 1);
    channel.SetThresholdLowLimit(-10.0);
    EXPECT_DOUBLE_EQ(-10.0, channel.GetThresholdLowLimit());
    channel.SetFunctionCode(RELAY_FUNCTION_GENSTART);
    channel.SetGenStartOnThreshold(-5.0);
    channel.SetGenStartOffThreshold(40.0);
    EXPECT_DOUBLE_EQ(-5.0, channel.GetGenStartOnThreshold());
    EXPECT_DOUBLE_EQ(40.0, channel.GetGenStartOffThreshold());
    // A variable the bound device does not have changes nothing.
    channel.SetThresholdVariable(99);
    EXPECT_EQ(7, channel.GetThresholdVariableId());

    std::vector<GenericVariable_t> variables;
    channel.GetControlVariables(variables);
    ASSERT_EQ(4u, variables.size());
    EXPECT_EQ("Battery Voltage", variables[0].name);
    EXPECT_EQ("Heatsink Temperature", variables[3].name);
}

// A value typed as a whole number of steps programs exactly that many steps, though its
// quotient in binary floating point falls a few units in the last place short (11.1 / 0.1
// is 110.99999999999999); real fractions still truncate.
TEST(RelayChannel, WholeStepsAreProgrammedExactlyAndFractionsTruncate)
{
    const RelayCandidateList_t devices = ShippedDevices();
    CRelayModuleChannel channel;
    channel.SetCandidateDevices(devices);
    channel.SetFunctionCode(RELAY_FUNCTION_THRESHOLD);
    channel.SetControlDevice(5, 9);   // a Varnix HV MPPT: battery voltage at 0.1 V, unsigned
    channel.SetThresholdVariable(2);
    ASSERT_NE(nullptr, channel.GetThresholdVariable());
    ASSERT_EQ(0.1, channel.GetThresholdVariable()->scaling);
    const BYTE* block = channel.GetThresholdBlock();
    auto highRaw = [block] { return static_cast<long long>(static_cast<uint32_t>(block[9] | block[10] << 8 | block[11] << 16 | static_cast<uint32_t>(block[12]) << 24)); };
    auto lowRaw = [block] { return static_cast<long long>(static_cast<int32_t>(block[19] | block[20] << 8 | block[21] << 16 | static_cast<uint32_t>(block[22]) << 24)); };
    // As the page reads the typed text.
    auto typed = [](const char* format, double value) {
        char text[64];
        std::snprintf(text, sizeof text, format, value);
        return std::strtod(text, nullptr);
    };

    int wrong = 0;
    for (int steps = 0; steps <= 600; ++steps)
    {
        channel.SetThresholdHighLimit(typed("%.1f", steps / 10.0));
        wrong += highRaw() != steps;
        if (highRaw() != steps && wrong < 5)
            ADD_FAILURE() << steps / 10.0 << " V gave " << highRaw() << " steps";
    }
    EXPECT_EQ(0, wrong) << "of the 601 voltages from 0.0 to 60.0 V";
    channel.SetThresholdHighLimit(11.1);
    channel.SetThresholdLowLimit(11.0);
    EXPECT_EQ(111, highRaw());
    EXPECT_EQ(110, lowRaw());
    // Fractions of a step still truncate, however close to the next step.
    for (const auto& fraction : std::vector<std::pair<double, long long>>{
             {11.15, 111}, {11.19, 111}, {0.05, 0}, {0.0999, 0}, {0.3, 3}, {0.7, 7}, {1e-300, 0}})
    {
        channel.SetThresholdHighLimit(fraction.first);
        EXPECT_EQ(fraction.second, highRaw()) << fraction.first;
    }
    // The 32-bit field's ends: the last step fits, a whole step beyond it is refused.
    channel.SetThresholdHighLimit(429496729.5);
    EXPECT_EQ(4294967295LL, highRaw());
    channel.SetThresholdHighLimit(429496729.4);
    EXPECT_EQ(4294967294LL, highRaw());
    EXPECT_THROW(channel.SetThresholdHighLimit(429496729.6), std::range_error);
    EXPECT_EQ(4294967294LL, highRaw());

    // A signed variable at 0.01 steps (the HV's battery current).
    channel.SetThresholdVariable(4);
    ASSERT_EQ(0.01, channel.GetThresholdVariable()->scaling);
    wrong = 0;
    for (int steps = -2000; steps <= 2000; ++steps)
    {
        channel.SetThresholdLowLimit(typed("%.2f", steps / 100.0));
        wrong += lowRaw() != steps;
    }
    EXPECT_EQ(0, wrong) << "of the 4001 currents from -20.00 to 20.00 A";
    channel.SetThresholdLowLimit(-0.055);
    EXPECT_EQ(-5, lowRaw()) << "towards zero";
    channel.SetThresholdLowLimit(-21474836.48);
    EXPECT_EQ(INT32_MIN, lowRaw());
    channel.SetThresholdLowLimit(21474836.47);
    EXPECT_EQ(INT32_MAX, lowRaw());
    EXPECT_THROW(channel.SetThresholdLowLimit(21474836.48), std::range_error);
    EXPECT_THROW(channel.SetThresholdLowLimit(-21474836.49), std::range_error);

    // Times in hundredths, typed as the page reads them (a float): every step of the field.
    CRelayModuleChannel timed;
    const BYTE* alarm = timed.GetAlarmBlock();
    wrong = 0;
    for (int hundredths = 0; hundredths <= 65535; ++hundredths)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", hundredths / 100.0);
        float seconds = 0.0f;
        ASSERT_EQ(1, std::sscanf(text, " %f", &seconds));
        timed.SetTimeout(seconds);
        timed.SetSamplePeriod(seconds);
        const int timeout = alarm[24] | alarm[25] << 8;
        const int sample = alarm[2] | alarm[3] << 8;
        wrong += timeout != hundredths || sample != hundredths;
        if ((timeout != hundredths || sample != hundredths) && wrong < 5)
            ADD_FAILURE() << text << " s gave " << timeout << " and " << sample << " hundredths";
    }
    EXPECT_EQ(0, wrong) << "of the 65536 times from 0.00 to 655.35 s";
    timed.SetTimeout(0.295f);
    EXPECT_EQ(29, alarm[24] | alarm[25] << 8);
    timed.SetTimeout(0.005f);
    EXPECT_EQ(0, alarm[24] | alarm[25] << 8);
    EXPECT_THROW(timed.SetTimeout(655.36f), std::range_error);
}

TEST(RelayChannel, GenStartSignalsFillTheirTimesAndWiresAreCounted)
{
    CRelayModuleChannel channel;
    channel.SetFunctionCode(RELAY_FUNCTION_GENSTART);
    channel.SetStopSignal(true);
    EXPECT_EQ(10u, channel.GetStopTime());
    channel.SetStopTime(30);
    channel.SetStopSignal(true);
    EXPECT_EQ(30u, channel.GetStopTime());
    channel.SetLoadSignal(true);
    EXPECT_EQ(60u, channel.GetWarmupTime());
    EXPECT_EQ(60u, channel.GetCooldownTime());
    channel.SetPreCrankSignal(true);
    EXPECT_EQ(10u, channel.GetPreCrankTime());
    EXPECT_EQ(10u, channel.GetCrankDelay());
    EXPECT_TRUE(channel.HasPreCrankSignal());
    channel.SetCrankSignal(true);
    EXPECT_TRUE(channel.HasCrankSignal());
    channel.SetRunSignal(true);
    EXPECT_TRUE(channel.HasRunSignal() && channel.HasStopSignal() && channel.HasLoadSignal());

    // Every signal on wire 1 (field 0) counts one wire; then Stop on 2 and Crank on 3.
    EXPECT_EQ(1, channel.CountGenStartWires());
    channel.SetStopWire(1);
    channel.SetCrankWire(2);
    EXPECT_EQ(3, channel.CountGenStartWires());
    EXPECT_EQ(1, channel.GetStopWire());
    EXPECT_EQ(2, channel.GetCrankWire());
    EXPECT_EQ(0, channel.GetRunWire());
    const BYTE* block = channel.GetGenStartBlock();
    EXPECT_EQ(0x8100, block[38] | block[39] << 8);   // Stop in bits 8-9, Crank in bits 14-15
    // A signal switched off no longer counts, and its times are cleared.
    channel.SetCrankSignal(false);
    EXPECT_EQ(0u, channel.GetCrankTime());
    EXPECT_EQ(2, channel.CountGenStartWires());
    channel.SetStopSignal(false);
    EXPECT_EQ(0u, channel.GetStopTime());
    channel.SetLoadSignal(false);
    EXPECT_EQ(0u, channel.GetWarmupTime() + channel.GetCooldownTime());
    EXPECT_EQ(1, channel.CountGenStartWires());
    EXPECT_EQ(Bytes({1, 0}), Bytes(block + 40, block + 42));
}

TEST(RelayChannel, RegisterImagesByFunctionWithTheSimpleRuleAndSilentBinding)
{
    const RelayCandidateList_t devices = ShippedDevices();
    CRelayModuleChannel channel = ThresholdChannel(devices);
    channel.SetAddress(1);
    channel.SetSamplePeriod(10.0f);
    channel.SetTimeout(0.0f);
    Bytes image = Export(channel);
    ASSERT_EQ(33u, image.size());
    EXPECT_EQ(1, image[0]);
    EXPECT_EQ(0, image[1]);
    Bytes small(20);
    EXPECT_EQ(-1, channel.ExportRegisterImage(small.data(), 20));

    // Address 1, no delays, start-up Off, 10 s, no timeout, On on timeout: simple; any
    // one of them changed: advanced.
    CRelayModuleChannel imported;
    imported.SetCandidateDevices(devices);
    imported.SetFunction(RELAY_FUNCTION_THRESHOLD);
    ASSERT_TRUE(imported.ImportRegisterImage(image.data(), 48));
    EXPECT_FALSE(imported.IsAdvanced());
    EXPECT_EQ(2, imported.GetControlDeviceType());   // the one controller of Skelder type 0
    ASSERT_NE(nullptr, imported.GetBoundDevice());
    const int offsets[] = {0, 7, 13, 15, 17, 23, 25, 27, 29, 31};
    for (int offset : offsets)
    {
        Bytes changed = image;
        changed[offset] ^= offset == 31 ? 0x0C : 0x01;   // start-up On and timeout Off in the flags
        imported.ImportRegisterImage(changed.data(), 33);
        EXPECT_TRUE(imported.IsAdvanced()) << offset;
    }
    EXPECT_FALSE(imported.ImportRegisterImage(image.data(), 32));

    // Alarm/Fault exports 28 bytes; the slave functions the alarm block's first byte alone.
    channel.SetFunctionCode(RELAY_FUNCTION_ALARM);
    EXPECT_EQ(28u, Export(channel).size());
    channel.SetFunctionCode(RELAY_FUNCTION_METER_SLAVE);
    EXPECT_EQ(Bytes({1}), Export(channel));   // written by the Alarm/Fault export before
    CRelayModuleChannel slave;
    slave.SetFunctionCode(RELAY_FUNCTION_MODBUS_SLAVE);
    EXPECT_EQ(Bytes({0}), Export(slave));
    channel.SetFunctionCode(RELAY_FUNCTION_GENSTART);
    EXPECT_EQ(42u, Export(channel).size());
    channel.SetFunctionCode(RELAY_FUNCTION_GENSTART_SLAVE);
    EXPECT_EQ(0u, Export(channel).size());

    // GenStart takes its watched variable's id into the threshold block; advanced unless
    // address 1 and no run or off times.
    Bytes genStart(42, 0);
    genStart[0] = 1;
    genStart[1] = 4;   // Varnix MPPT
    genStart[2] = 3;
    CRelayModuleChannel generator;
    generator.SetCandidateDevices(devices);
    generator.SetFunction(RELAY_FUNCTION_GENSTART);
    ASSERT_TRUE(generator.ImportRegisterImage(genStart.data(), 42));
    EXPECT_FALSE(generator.IsAdvanced());
    EXPECT_EQ(3, generator.GetThresholdVariableId());
    EXPECT_EQ(8, generator.GetControlDeviceType());
    genStart[36] = 1;   // a maximum off time
    generator.ImportRegisterImage(genStart.data(), 42);
    EXPECT_TRUE(generator.IsAdvanced());

    // Two candidates of one Skelder type leave the channel unresolved; no candidate too.
    RelayCandidateList_t twice = devices;
    twice.push_back(devices.front());
    CRelayModuleChannel ambiguous;
    ambiguous.SetCandidateDevices(twice);
    ambiguous.SetFunction(RELAY_FUNCTION_THRESHOLD);
    ASSERT_TRUE(ambiguous.ImportRegisterImage(image.data(), 33));
    EXPECT_EQ(-1, ambiguous.GetControlDeviceType());
    EXPECT_EQ(nullptr, ambiguous.GetBoundDevice());

    // An Alarm/Fault read from a module whose channel names the module itself re-binds
    // to the Varnix; a code above 6 is not taken.
    CRelayModuleChannel alarm;
    alarm.SetCandidateDevices(devices);
    alarm.SetControlDevice(RELAY_CONTROL_TYPE_STANDALONE, RELAY_DEVICE_TYPE_STANDALONE);
    alarm.SetFunction(RELAY_FUNCTION_ALARM);
    EXPECT_EQ(0, alarm.GetControlType());
    EXPECT_EQ(2, alarm.GetControlDeviceType());
    alarm.SetFunction(9);
    EXPECT_EQ(RELAY_FUNCTION_ALARM, alarm.GetFunction());
    alarm.SetFunctionCode(9);
    EXPECT_EQ(RELAY_FUNCTION_ALARM, alarm.GetFunction());
    CRelayModuleChannel unknown;
    unknown.SetFunctionCode(RELAY_FUNCTION_THRESHOLD);
    Bytes unknownImage(48, 0);
    CRelayModuleChannel disabled;
    EXPECT_TRUE(disabled.ImportRegisterImage(unknownImage.data(), 0));
    EXPECT_EQ(-1, disabled.GetControlDeviceType());
}

TEST(RelayChannel, DescriptionsNameTheSource)
{
    const RelayCandidateList_t devices = ShippedDevices();
    CRelayModuleChannel channel;
    channel.SetCandidateDevices(devices);
    channel.SetFunctionCode(RELAY_FUNCTION_ALARM);
    channel.SetControlDevice(RELAY_CONTROL_TYPE_STANDALONE, RELAY_DEVICE_TYPE_STANDALONE);
    channel.SetAddress(RELAY_ADDRESS_STANDALONE);
    EXPECT_EQ("Alarm/Fault, Standalone, simple", channel.GetDescription());
    channel.SetAddress(3);
    EXPECT_EQ("Alarm/Fault, Ostrel Relay Module, simple", channel.GetDescription());
    channel.SetControlDevice(1, 99);   // no such meter: named by its control type
    channel.SetAdvanced(true);
    EXPECT_EQ("Alarm/Fault, Varnix Meter, advanced", channel.GetDescription());
    channel.SetControlDevice(3, 99);
    EXPECT_EQ("Alarm/Fault, MODBUS Logger, advanced", channel.GetDescription());
    channel.SetControlDevice(9, 99);
    EXPECT_EQ("Alarm/Fault, unknown, advanced", channel.GetDescription());
    channel.SetFunctionCode(RELAY_FUNCTION_GENSTART_SLAVE);
    EXPECT_EQ("GenStart Slave", channel.GetDescription());
    channel.SetFunctionCode(RELAY_FUNCTION_METER_SLAVE);
    EXPECT_EQ("Meter Slave", channel.GetDescription());
    channel.SetControlDeviceType(8);
    EXPECT_EQ(4, channel.GetControlType());
    channel.SetControlDeviceType(77);
    EXPECT_EQ(255, channel.GetControlType());
}

TEST(RelayChannel, QrelayRecordsOfEveryVersionAndACutRecord)
{
    const RelayCandidateList_t devices = ShippedDevices();
    CRelayModuleChannel channel = ThresholdChannel(devices);
    channel.SetChannelIndex(2);
    channel.SetAdvanced(true);
    channel.SetThresholdHighLimit(14.0);
    const Bytes saved = Saved(channel);
    ASSERT_EQ(122u, saved.size());
    EXPECT_EQ(testing_support::Int32Bytes(4), Bytes(saved.begin(), saved.begin() + 4));
    EXPECT_EQ(testing_support::Int32Bytes(1), Bytes(saved.begin() + 4, saved.begin() + 8));
    EXPECT_EQ(Bytes({RELAY_FUNCTION_THRESHOLD, 0, 1}), Bytes(saved.begin() + 8, saved.begin() + 11));
    EXPECT_EQ(Bytes(channel.GetThresholdBlock(), channel.GetThresholdBlock() + 33),
              Bytes(saved.begin() + 39, saved.begin() + 72));
    EXPECT_EQ(testing_support::Int32Bytes(2), Bytes(saved.begin() + 114, saved.begin() + 118));
    EXPECT_EQ(testing_support::Int32Bytes(2), Bytes(saved.end() - 4, saved.end()));

    CRelayModuleChannel loaded;
    loaded.SetCandidateDevices(devices);
    ASSERT_TRUE(LoadInto(loaded, saved));
    EXPECT_EQ(channel.GetDescription(), loaded.GetDescription());
    EXPECT_EQ(2, loaded.GetChannelIndex());
    EXPECT_NE(nullptr, loaded.GetBoundDevice());
    EXPECT_EQ(saved, Saved(loaded));

    // Version 3 has no control device type: known for control types 0 and 2 only.
    Bytes version3(saved.begin(), saved.end() - 4);
    version3[0] = 3;
    CRelayModuleChannel old;
    old.SetCandidateDevices(devices);
    ASSERT_TRUE(LoadInto(old, version3));
    EXPECT_EQ(2, old.GetControlDeviceType());
    version3[9] = 1;   // control type 1
    const Bytes before = Saved(old);
    EXPECT_FALSE(LoadInto(old, version3));
    EXPECT_EQ(before, Saved(old));   // a failed load changes nothing
    Bytes version4 = saved;
    version4[9] = 1;
    version4[118] = 5;   // the meter's device type
    ASSERT_TRUE(LoadInto(old, version4));
    EXPECT_NE(nullptr, old.GetBoundDevice());

    // Version 2 has no channel index; version 1 no GenStart block either.
    Bytes version2(saved.begin(), saved.end() - 8);
    version2[0] = 2;
    ASSERT_TRUE(LoadInto(old, version2));
    EXPECT_EQ(-1, old.GetChannelIndex());
    Bytes version1(saved.begin(), saved.begin() + 72);
    version1[0] = 1;
    ASSERT_TRUE(LoadInto(old, version1));

    // A function the module does not have is refused like a damaged record.
    for (BYTE function : {BYTE(RELAY_FUNCTION_LAST + 1), BYTE(0x80), BYTE(0xFF)})
    {
        Bytes unknown = saved;
        unknown[8] = function;
        const Bytes unchanged = Saved(old);
        EXPECT_FALSE(LoadInto(old, unknown)) << int(function);
        EXPECT_EQ(unchanged, Saved(old)) << int(function);
    }
    Bytes lastFunction = saved;
    lastFunction[8] = RELAY_FUNCTION_LAST;
    EXPECT_TRUE(LoadInto(old, lastFunction));

    // A later version, and every cut of the record, fail and leave the channel as it was.
    Bytes version5 = saved;
    version5[0] = 5;
    EXPECT_FALSE(LoadInto(old, version5));
    Bytes negative = saved;
    negative[3] = 0xFF;
    EXPECT_FALSE(LoadInto(old, negative));
    const Bytes kept = Saved(old);
    for (size_t length = 0; length < saved.size(); ++length)
    {
        EXPECT_FALSE(LoadInto(old, Bytes(saved.begin(), saved.begin() + length))) << length;
        EXPECT_EQ(kept, Saved(old)) << length;
    }
}

} // namespace
