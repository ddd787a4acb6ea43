// Reading and programming Varnix MPPT and HV MPPT setpoints as the setup dialogs do it, on
// the programming thread against the test device (loopback TCP and a pty): what the device
// is asked (each register once, ascending, the holes and the password never read), what a
// read brings back into copies of the dialog's settings, the controller without the
// optional set, the array targets a controller without them answers with 0xFFFF, a
// controller whose Ethernet writes are switched off, and one holding odd words.
#include <gtest/gtest.h>

#include "tests/support/ErrorText.h"
#include "tests/support/LinkRetries.h"
#include "tests/support/MpptDeviceProfile.h"
#include "tests/support/PeerHost.h"
#include "tests/support/Polling.h"
#include "tests/support/RunFixtures.h"
#include "tests/support/StallWatch.h"
#include "modbus/SharedLinks.h"
#include "wizards/varnix/MpptSummary.h"
#include "wizards/framework/CWizardProgrammingThread.h"
#include "wizards/varnix/MpptProgrammingContext.h"
#include "wizards/varnix/MpptSettingTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <type_traits>

using namespace wizard_runs;
using namespace mppt_device;
using testing_support::ErrorText;
using testing_support::NO_EXCEPTION_TEXT;

namespace {

// The program's serial link makes two attempts at a request.
const int kSerialAttempts = 2;

bool InSetpointHoles(int address)
{
    for (int hole : SETPOINT_HOLES)
        if (hole == address)
            return true;
    return false;
}

class MpptRun : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(host.Connected()) << host.Error(); }

    // The fixture's device, or another one the test started.
    void UseDevice(CWizardProgrammingContext& context, bool tcp, const DeviceUnderTest* other = nullptr)
    {
        const DeviceUnderTest& at = other != nullptr ? *other : device;
        context.modbusAddress = 1;
        if (tcp)
        {
            context.comPort = -1;
            context.host = "127.0.0.1";
            context.tcpPort = at.TcpPort();
        }
        else
        {
            context.comPort = at.ComPort();
        }
    }

    void Run(const CWizardProgrammingContextPtr& context)
    {
        ASSERT_TRUE(thread.Start(recorder.Window(), context));
        ASSERT_TRUE(recorder.WaitForEnd(120000)) << "the run neither finished nor failed";
        recorder.Drain(100);
        EXPECT_TRUE(thread.Stop(5000));
    }

    // Every address the run read with function 4, with the number of times.
    std::map<int, int> ReadAddresses() const
    {
        std::map<int, int> addresses;
        for (const JournalRequest& request : OfFunction(device.Requests(), 4))
            for (int offset = 0; offset < request.count; ++offset)
                ++addresses[request.address + offset];
        return addresses;
    }

    // A controller holding odd words: one-byte registers with words above their byte, and
    // values outside their settings' limits. What a read shows, that Save and Program
    // refuse them naming the setting (nothing reaches the controller), and that once they
    // are mended the saved file opens to the same settings.
    template <class Settings>
    void OddControllerRoundTrip()
    {
        RegisterMap odd = RegistersOf(DeviceSettings<Settings>());
        odd[0xE011] = 500;      // Max. Compensation Temp., one signed byte: 0xF4
        odd[0xE012] = 0x01D8;   // Min. Compensation Temp.: 0xD8
        odd[0xE00B] = 500;      // Battery Service Reminder, 0..255 days
        odd[0xE019] = 300;      // Modbus ID, 1..247
        ASSERT_TRUE(device.StartTcp(Profile(odd, ProfileOptions()))) << device.Error();

        CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), true);
        UseDevice(*context, true);
        FillMpptReadContext(Settings(), *context);
        Run(context);
        ASSERT_TRUE(recorder.Has("DONE"));
        Settings read = AdoptMpptReadResult<Settings>(*context, 1);
        EXPECT_EQ("-12", read.GetVariable(MPPT_SETTING_MAX_COMP_TEMP)->ToString());
        EXPECT_EQ(0xFFF4, read.GetVariable(MPPT_SETTING_MAX_COMP_TEMP)->GetRegisters().front().value);
        EXPECT_EQ("-40", read.GetVariable(MPPT_SETTING_MIN_COMP_TEMP)->ToString());
        EXPECT_EQ(0xFFD8, read.GetVariable(MPPT_SETTING_MIN_COMP_TEMP)->GetRegisters().front().value);
        EXPECT_EQ("500", read.GetVariable(MPPT_SETTING_BATTERY_SERVICE_REMINDER)->ToString());
        EXPECT_EQ("300", read.GetVariable(MPPT_SETTING_MODBUS_ID)->ToString());

        std::string text = "unchanged";
        EXPECT_EQ("Battery Service Reminder is too high (must be no more than 255)", ErrorText([&] { read.SaveXml(text); }));
        EXPECT_TRUE(text == "unchanged") << "a file was written";

        recorder.Clear();
        const size_t requestsBefore = device.Requests().size();
        CWizardProgrammingContextPtr program = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
        UseDevice(*program, true);
        FillMpptProgramContext(read, *program);
        Run(program);
        ASSERT_FALSE(recorder.Events().empty());
        EXPECT_EQ("FAILED 0", recorder.Events().back());
        EXPECT_FALSE(recorder.Has("DONE"));
        EXPECT_EQ((std::vector<std::string>{"* Error: Battery Service Reminder is too high (must be no more than 255)"}),
                  recorder.Texts());
        EXPECT_EQ(requestsBefore, device.Requests().size()) << "nothing was sent to the controller";

        read.GetVariable(MPPT_SETTING_BATTERY_SERVICE_REMINDER)->FromString("255");
        EXPECT_EQ("Modbus ID is too high (must be no more than 247)", ErrorText([&] { read.SaveXml(text); }));
        read.GetVariable(MPPT_SETTING_MODBUS_ID)->FromString("247");
        ASSERT_EQ(NO_EXCEPTION_TEXT, ErrorText([&] { read.SaveXml(text); }));
        Settings opened;
        ASSERT_EQ(NO_EXCEPTION_TEXT, ErrorText([&] { opened.LoadXml(text); }));
        EXPECT_EQ(1, opened.mode);
        EXPECT_EQ(RegistersOf(read, false), RegistersOf(opened, false));
        EXPECT_EQ("-12", opened.GetVariable(MPPT_SETTING_MAX_COMP_TEMP)->ToString());
    }

    // A program run of the settings against a controller that is lost once it has taken
    // `writes` writes (a reset connection over TCP, or silence). The run must fail with the
    // reason and the register it stopped at: the first one not written. One that stopped
    // sooner because the machine stalled longer than a request's time-out (the device wrote
    // its answer that late, or this process was not run that long) is run again, and fails
    // saying so when every run stalled.
    template <class Settings>
    void ProgramLostAfter(const Settings& settings, bool tcp, const char* kind, int writes, const char* reason)
    {
        SCOPED_TRACE(std::string(tcp ? "tcp " : "pty ") + kind + " after " + std::to_string(writes));
        // The run writes the setpoint block first, then the optional set, each ascending.
        const RegisterMap registers = RegistersOf(settings);
        std::vector<int> order;
        for (const bool setpoints : {true, false})
            for (const auto& reg : registers)
                if ((reg.first >= 0x2000) == setpoints)
                    order.push_back(reg.first);
        ASSERT_LT(writes, static_cast<int>(order.size()));

        const double timeoutS = (tcp ? SHARED_TCP_TIMEOUT_MS : SHARED_SERIAL_TIMEOUT_MS) / 1000.0;
        const DWORD LATE_ANSWER_WAIT_MS = 10000;
        const int MAX_RUNS = 3;
        for (int runs = 1;; ++runs) {
            ProfileOptions options;
            options.faults = std::string("[{\"kind\": \"") + kind + "\", \"after_writes\": " + std::to_string(writes) + "}]";
            DeviceUnderTest cut(host);
            const std::string profile = Profile(registers, options);
            ASSERT_TRUE(tcp ? cut.StartTcp(profile) : cut.StartSerial(profile)) << cut.Error();
            recorder.Clear();
            CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
            UseDevice(*context, tcp, &cut);
            FillMpptProgramContext(settings, *context);
            const testing_support::StallWatch stalls;
            Run(context);
            if (ConfirmedWrites() >= writes)
                break;
            // A device kept from running journals its late answer only once it runs again.
            double stalled = stalls.Longest();
            testing_support::PollUntil([&] {
                stalled = std::max(stalls.Longest(), cut.LongestLateAnswer());
                return stalled >= timeoutS;
            }, LATE_ANSWER_WAIT_MS, 100);
            if (stalled < timeoutS)
                break;
            if (runs == MAX_RUNS) {
                ADD_FAILURE() << "the machine stalled in each of " << MAX_RUNS << " runs, longer than a request's "
                              << "time-out (" << stalled << " s the last time), and the run stopped before the fault";
                return;
            }
            std::printf("stopped at write %d of %d before the fault: the machine stalled %.2f s; run again\n",
                        ConfirmedWrites(), writes, stalled);
        }

        EXPECT_FALSE(recorder.Has("DONE"));
        EXPECT_EQ(0u, recorder.Events().back().find("FAILED "));
        const std::vector<std::string> texts = recorder.Texts();
        ASSERT_EQ(4u, texts.size()) << testing::PrintToString(texts);
        EXPECT_EQ(std::string("* Error: ") + reason + ".", texts[2]);
        char stopped[96];
        std::snprintf(stopped, sizeof stopped, " (register 0x%04x): %d of %d writes confirmed.", order[writes], writes,
                      static_cast<int>(order.size()));
        EXPECT_EQ(0u, texts[3].find("Stopped at ")) << texts[3];
        EXPECT_EQ(texts[3].size() - std::strlen(stopped), texts[3].rfind(stopped)) << texts[3];
    }

    // The writes the last run's stop text says were confirmed; -1 when it has none.
    int ConfirmedWrites() const
    {
        const std::vector<std::string> texts = recorder.Texts();
        for (auto text = texts.rbegin(); text != texts.rend(); ++text) {
            const size_t at = text->rfind("): ");
            int confirmed = -1;
            if (text->compare(0, 11, "Stopped at ") == 0 && at != std::string::npos &&
                std::sscanf(text->c_str() + at + 3, "%d of", &confirmed) == 1)
                return confirmed;
        }
        return -1;
    }

    testing_support::PeerHost host;
    DeviceUnderTest device{host};
    RunRecorder recorder;
    CWizardProgrammingThread thread;
};

TEST_F(MpptRun, ReadBringsTheDeviceValuesIntoCopiesOfTheDialogSettings)
{
    const CVarnixMpptSettings controller = DeviceSettings<CVarnixMpptSettings>();
    ASSERT_TRUE(device.StartTcp(Profile(RegistersOf(controller), ProfileOptions()))) << device.Error();

    // The dialog's settings: one setting changed by the user before the read.
    CVarnixMpptSettings dialog;
    dialog.GetVariable(MPPT_SETTING_FLOAT_VOLTAGE)->FromString("12.80");
    const RegisterMap dialogBefore = RegistersOf(dialog);

    CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), true);
    UseDevice(*context, true);
    FillMpptReadContext(dialog, *context);
    EXPECT_EQ(0u, context->variables.count(MPPT_SETTING_SMTP_PASSWORD));
    EXPECT_EQ(0u, context->optionalVariables.count(MPPT_SETTING_SMTP_PASSWORD));
    EXPECT_EQ(1u, context->optionalVariables.count(MPPT_SETTING_SMTP_SERVER));
    EXPECT_EQ(1u, context->variables.count(MPPT_SETTING_WIND_POWER));
    Run(context);

    ASSERT_TRUE(recorder.Has("DONE"));
    const std::vector<std::string> texts = recorder.Texts();
    EXPECT_EQ((std::vector<std::string>{"Connecting to control...", "Reading configuration from device.  Please wait.",
                                        "Finished."}),
              texts);
    // The run filled the copies only: the dialog's own settings are untouched until it
    // adopts the result.
    EXPECT_EQ(dialogBefore, RegistersOf(dialog));

    const CVarnixMpptSettings read = AdoptMpptReadResult<CVarnixMpptSettings>(*context, 2);
    EXPECT_EQ(2, read.mode);
    EXPECT_EQ(RegistersOf(controller, false), RegistersOf(read, false));
    EXPECT_EQ("14.50", read.GetVariable(MPPT_SETTING_REGULATION_VOLTAGE)->ToString());
    EXPECT_EQ("10.1.2.3", read.GetVariable(MPPT_SETTING_IP_ADDRESS)->ToString());
    EXPECT_EQ(">=", read.GetVariable(MpptNotificationSetting(2, MPPT_NOTIFY_COMPARE_TYPE))->ToString());
    EXPECT_EQ("true", read.GetVariable(MPPT_SETTING_LOG_MAX_DAILY_VA + 4)->ToString());
    EXPECT_EQ("false", read.GetVariable(MPPT_SETTING_LOG_MAX_DAILY_VA + 2)->ToString());
    // The controller never gives its password: the result has none.
    EXPECT_FALSE(read.GetVariable(MPPT_SETTING_SMTP_PASSWORD)->HasValue());

    // Each register of the table once; shared flag registers once; nothing else.
    const std::map<int, int> addresses = ReadAddresses();
    std::set<int> expected;
    for (const auto& reg : RegistersOf(controller, false))
        expected.insert(reg.first);
    std::set<int> asked;
    for (const auto& entry : addresses)
    {
        EXPECT_EQ(1, entry.second) << std::hex << entry.first;
        EXPECT_FALSE(InSetpointHoles(entry.first)) << std::hex << entry.first;
        EXPECT_FALSE(entry.first >= PASSWORD_FIRST && entry.first <= PASSWORD_LAST) << std::hex << entry.first;
        asked.insert(entry.first);
    }
    EXPECT_EQ(expected, asked);
    // The setpoint block first, then the optional set, each in ascending runs.
    const std::vector<JournalRequest> reads = OfFunction(device.Requests(), 4);
    ASSERT_FALSE(reads.empty());
    EXPECT_GE(reads.front().address, 0xE000);
    EXPECT_LT(reads.back().address, 0x2000);
    for (const JournalRequest& request : reads)
        EXPECT_LE(request.count, 125);
}

TEST_F(MpptRun, OddWordsOfAVarnixMpptReadSaveAndOpenOnceWithinTheirLimits)
{
    OddControllerRoundTrip<CVarnixMpptSettings>();
}

TEST_F(MpptRun, OddWordsOfAVarnixHvMpptReadSaveAndOpenOnceWithinTheirLimits)
{
    OddControllerRoundTrip<CVarnixHvMpptSettings>();
}

// A 45-amp controller refuses the optional set with exception 2: the read ends well with
// the required set. One lost there (its connection reset) is no such model: the read fails
// and leaves every copy of the dialog's settings as it was, so nothing of it is adopted.
TEST_F(MpptRun, ControllerWithoutTheOptionalSetStillReadsAndOneLostThereFails)
{
    const CVarnixMpptSettings controller = DeviceSettings<CVarnixMpptSettings>();
    const CVarnixMpptSettings dialog;
    const auto readFrom = [&](DeviceUnderTest& from, const ProfileOptions& options) {
        EXPECT_TRUE(from.StartTcp(Profile(RegistersOf(controller), options))) << from.Error();
        recorder.Clear();
        CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), true);
        UseDevice(*context, true, &from);
        FillMpptReadContext(dialog, *context);
        Run(context);
        for (const auto& entry : context->optionalVariables)
            EXPECT_FALSE(entry.second.second) << entry.first;
        return context;
    };
    ProfileOptions options;
    options.withNetworkBlock = false;
    CWizardProgrammingContextPtr context = readFrom(device, options);

    ASSERT_TRUE(recorder.Has("DONE"));
    std::vector<std::string> texts = recorder.Texts();
    ASSERT_EQ(4u, texts.size());
    EXPECT_EQ("The control appears to be a VX-MPPT-45; 60-amp settings not read.", texts[2]);
    EXPECT_EQ("Finished.", texts[3]);

    const CVarnixMpptSettings read = AdoptMpptReadResult<CVarnixMpptSettings>(*context, 1);
    const CVarnixMpptSettings defaults;
    EXPECT_EQ("14.50", read.GetVariable(MPPT_SETTING_REGULATION_VOLTAGE)->ToString());
    EXPECT_EQ("17", read.GetVariable(MPPT_SETTING_MODBUS_ID)->ToString());
    for (int id : std::initializer_list<int>{MPPT_SETTING_DHCP_ENABLED, MPPT_SETTING_IP_ADDRESS, MPPT_SETTING_CONTROLLER_NAME,
                   MPPT_SETTING_SMTP_SERVER, MpptNotificationSetting(2, MPPT_NOTIFY_ENABLED)})
        EXPECT_EQ(defaults.GetVariable(id)->ToString(), read.GetVariable(id)->ToString()) << id;

    const int firstOptional = RegistersOf(controller, false).begin()->first;
    ASSERT_LT(firstOptional, 0x2000);
    options.withNetworkBlock = true;
    options.faults = "[{\"kind\": \"reset\", \"function\": 4, \"address\": " + std::to_string(firstOptional) + "}]";
    DeviceUnderTest lost(host);
    context = readFrom(lost, options);
    EXPECT_FALSE(recorder.Has("DONE"));
    texts = recorder.Texts();
    ASSERT_EQ(4u, texts.size()) << testing::PrintToString(texts);
    EXPECT_EQ("* Error: the connection was closed during the Modbus read request.", texts[2]);
    EXPECT_NE(std::string::npos, texts[3].find(" registers read.")) << texts[3];
    EXPECT_EQ(RegistersOf(dialog, false), RegistersOf(AdoptMpptReadResult<CVarnixMpptSettings>(*context, 0), false));
}

TEST_F(MpptRun, ErasedArrayTargetsReadAsOff)
{
    CVarnixMpptSettings controller = DeviceSettings<CVarnixMpptSettings>();
    ProfileOptions options;
    options.targetsErased = true;
    ASSERT_TRUE(device.StartTcp(Profile(RegistersOf(controller), options))) << device.Error();

    CVarnixMpptSettings dialog;
    CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), true);
    UseDevice(*context, true);
    FillMpptReadContext(dialog, *context);
    Run(context);
    ASSERT_TRUE(recorder.Has("DONE"));

    // What the run read is 0xFFFF; the adopted settings hold 0 for both targets.
    EXPECT_TRUE(context->variables[MPPT_SETTING_ARRAY_FIXED_TARGET]->AllRegistersFFFF());
    const CVarnixMpptSettings read = AdoptMpptReadResult<CVarnixMpptSettings>(*context, 1);
    EXPECT_EQ("0.00", read.GetVariable(MPPT_SETTING_ARRAY_FIXED_TARGET)->ToString());
    EXPECT_EQ("0.0", read.GetVariable(MPPT_SETTING_ARRAY_PERCENT_VOC)->ToString());
    EXPECT_EQ("disabled", read.FormatValue(MPPT_SETTING_ARRAY_FIXED_TARGET, SYS_VOLTAGE_12));
    EXPECT_EQ("14.50", read.GetVariable(MPPT_SETTING_REGULATION_VOLTAGE)->ToString());
}

TEST_F(MpptRun, ProgramOverAPtyThenReadBack)
{
    // A write whose reply the link cannot take (garbled here; on a busy machine, late):
    // the link asks again, and the device, which did it, does it once more.
    CVarnixMpptSettings controller;
    ProfileOptions options;
    options.faults = "[{\"kind\": \"bad_crc\", \"function\": 6, \"times\": 1}]";
    ASSERT_TRUE(device.StartSerial(Profile(RegistersOf(controller), options))) << device.Error();

    CVarnixMpptSettings dialog = DeviceSettings<CVarnixMpptSettings>();
    dialog.mode = 1;
    dialog.GetVariable(MPPT_SETTING_SMTP_PASSWORD)->FromString("secret");
    CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
    UseDevice(*context, false);
    FillMpptProgramContext(dialog, *context);
    Run(context);
    ASSERT_TRUE(recorder.Has("DONE")) << testing::PrintToString(recorder.Events());
    EXPECT_EQ("Programming Varnix MPPT.  Please wait.", recorder.Texts().at(1));

    // Each register written once (a write the link asked again counts once), the setpoint
    // block first, ascending in each set, flags of one register merged into one word.
    const std::vector<JournalRequest> writes =
        testing_support::WithoutRetries(OfFunction(device.Requests(), 6), kSerialAttempts);
    const RegisterMap programmed = RegistersOf(dialog);
    ASSERT_EQ(programmed.size(), writes.size());
    std::vector<JournalRequest> setpoints, optional;
    for (const JournalRequest& write : writes)
    {
        (write.address >= 0x2000 ? setpoints : optional).push_back(write);
        EXPECT_EQ(programmed.at(write.address), write.value) << std::hex << write.address;
    }
    EXPECT_TRUE(StrictlyAscending(setpoints));
    EXPECT_TRUE(StrictlyAscending(optional));
    EXPECT_GE(writes.front().address, 0x2000);
    const int logFlags = (1 << 1) | (1 << 4);
    EXPECT_EQ(logFlags, programmed.at(0xE022));
    EXPECT_EQ((1 << 0) | (1 << 2), programmed.at(0x1544));   // notification 2: enabled, SNMP
    EXPECT_EQ(1, std::count_if(writes.begin(), writes.end(),
                               [](const JournalRequest& w) { return w.address == PASSWORD_FIRST; }));

    // Reading back gives what was programmed; the password stays the device's secret.
    recorder.Clear();
    CWizardProgrammingContextPtr readContext = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), true);
    UseDevice(*readContext, false);
    FillMpptReadContext(CVarnixMpptSettings(), *readContext);
    Run(readContext);
    ASSERT_TRUE(recorder.Has("DONE"));
    const CVarnixMpptSettings readBack = AdoptMpptReadResult<CVarnixMpptSettings>(*readContext, 1);
    EXPECT_EQ(RegistersOf(dialog, false), RegistersOf(readBack, false));
}

// A controller lost part of the way through a program run, in the setpoint block (its 60
// writes come first) and in the optional (60-amp) set, at its very first write too: the
// run fails, and never as a 45-amp model.
TEST_F(MpptRun, AControllerLostPartOfTheWayFailsTheProgramRun)
{
    CVarnixMpptSettings settings = DeviceSettings<CVarnixMpptSettings>();
    settings.GetVariable(MPPT_SETTING_SMTP_PASSWORD)->FromString("secret");
    const char* const closed = "the connection was closed during the Modbus write request";
    const char* const silent = "control did not respond to Modbus write request";
    ProgramLostAfter(settings, true, "reset", 30, closed);
    ProgramLostAfter(settings, true, "reset", 60, closed);
    ProgramLostAfter(settings, true, "silence", 30, silent);
    ProgramLostAfter(settings, true, "silence", 109, silent);
    ProgramLostAfter(settings, false, "silence", 30, silent);
    ProgramLostAfter(settings, false, "silence", 189, silent);
    CVarnixHvMpptSettings hv = DeviceSettings<CVarnixHvMpptSettings>();
    hv.GetVariable(MPPT_SETTING_SMTP_PASSWORD)->FromString("secret");
    ProgramLostAfter(hv, true, "reset", 150, closed);

    // A 45-amp model refuses the optional set with exception 2: the run ends well.
    ProfileOptions options;
    options.withNetworkBlock = false;
    DeviceUnderTest small(host);
    ASSERT_TRUE(small.StartTcp(Profile(RegistersOf(settings), options))) << small.Error();
    recorder.Clear();
    CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
    UseDevice(*context, true, &small);
    FillMpptProgramContext(settings, *context);
    Run(context);
    const std::vector<std::string> texts = recorder.Texts();
    EXPECT_EQ((std::vector<std::string>{"The control appears to be a VX-MPPT-45; 60-amp settings not written.", "Finished."}),
              std::vector<std::string>(texts.end() - 2, texts.end()));
    EXPECT_TRUE(recorder.Has("DONE"));
}

TEST_F(MpptRun, ProgramWithoutATypedPasswordLeavesItOut)
{
    ASSERT_TRUE(device.StartTcp(Profile(RegistersOf(CVarnixMpptSettings()), ProfileOptions()))) << device.Error();
    CVarnixMpptSettings dialog = DeviceSettings<CVarnixMpptSettings>();
    CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
    UseDevice(*context, true);
    FillMpptProgramContext(dialog, *context);
    Run(context);
    ASSERT_TRUE(recorder.Has("DONE"));
    for (const JournalRequest& write : OfFunction(device.Requests(), 6))
        EXPECT_FALSE(write.address >= PASSWORD_FIRST && write.address <= PASSWORD_LAST) << std::hex << write.address;
}

TEST_F(MpptRun, HvControllerHasNoArrayTargets)
{
    const CVarnixHvMpptSettings controller = DeviceSettings<CVarnixHvMpptSettings>();
    ASSERT_TRUE(device.StartTcp(Profile(RegistersOf(controller), ProfileOptions()))) << device.Error();

    CVarnixHvMpptSettings dialog;
    CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), true);
    UseDevice(*context, true);
    FillMpptReadContext(dialog, *context);
    Run(context);
    ASSERT_TRUE(recorder.Has("DONE"));
    const CVarnixHvMpptSettings read = AdoptMpptReadResult<CVarnixHvMpptSettings>(*context, 2);
    EXPECT_EQ(RegistersOf(controller, false), RegistersOf(read, false));
    EXPECT_EQ("119.97", read.GetVariable(MPPT_SETTING_WIND_POWER + 15)->ToString());
    const std::map<int, int> addresses = ReadAddresses();
    EXPECT_EQ(0u, addresses.count(0xE020));
    EXPECT_EQ(0u, addresses.count(0xE021));

    // Programming the HV controller leaves the two registers alone too.
    recorder.Clear();
    CWizardProgrammingContextPtr program = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
    UseDevice(*program, true);
    FillMpptProgramContext(read, *program);
    Run(program);
    ASSERT_TRUE(recorder.Has("DONE"));
    for (const JournalRequest& write : OfFunction(device.Requests(), 6))
        EXPECT_TRUE(write.address != 0xE020 && write.address != 0xE021) << std::hex << write.address;
}

// A notification's source is a controller's Modbus address (1..247) or 0 for none: a
// word beyond it (as an odd controller or an old file may hold) never reaches a controller,
// and the run sends nothing at all.
TEST_F(MpptRun, ANotificationSourceOutsideTheAddressRangeIsNeverProgrammed)
{
    ASSERT_TRUE(device.StartTcp(Profile(RegistersOf(CVarnixMpptSettings()), ProfileOptions()))) << device.Error();
    const int source = MpptNotificationSetting(2, MPPT_NOTIFY_SOURCE_MODBUS_ID);
    const auto programWithSource = [&](auto settings, WORD word) {
        SCOPED_TRACE(word);
        std::vector<WORD> image(65536, 0);
        image[settings.GetVariable(source)->GetAddress()] = word;
        settings.GetVariable(source)->SetFromRegisterImage(image.data());
        recorder.Clear();
        const size_t requestsBefore = device.Requests().size();
        CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
        UseDevice(*context, true);
        FillMpptProgramContext(settings, *context);
        Run(context);
        return device.Requests().size() - requestsBefore;
    };
    for (const WORD word : {WORD(248), WORD(255)})
    {
        EXPECT_EQ(0u, programWithSource(DeviceSettings<CVarnixMpptSettings>(), word)) << "nothing was sent";
        EXPECT_EQ((std::vector<std::string>{"* Error: Notif. 2 Modbus ID is too high (must be no more than 247)"}),
                  recorder.Texts());
        EXPECT_EQ("FAILED 0", recorder.Events().back());
    }
    EXPECT_EQ(0u, programWithSource(DeviceSettings<CVarnixHvMpptSettings>(), 248)) << "nothing was sent";
    EXPECT_EQ("FAILED 0", recorder.Events().back());
    EXPECT_NE(0u, programWithSource(DeviceSettings<CVarnixMpptSettings>(), 247));
    EXPECT_TRUE(recorder.Has("DONE"));
}

TEST_F(MpptRun, WritesRefusedOverEthernetFailTheRunWithTheExceptionCode)
{
    ProfileOptions options;
    options.faults = "[{\"kind\": \"exception\", \"code\": 1, \"function\": 6, \"transport\": \"tcp\"}]";
    ASSERT_TRUE(device.StartTcp(Profile(RegistersOf(CVarnixMpptSettings()), options))) << device.Error();
    CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
    UseDevice(*context, true);
    FillMpptProgramContext(DeviceSettings<CVarnixMpptSettings>(), *context);
    Run(context);
    EXPECT_TRUE(recorder.Has("FAILED " + std::to_string(0x8001)));
    EXPECT_FALSE(recorder.Has("DONE"));
    const std::vector<std::string> texts = recorder.Texts();
    ASSERT_EQ(4u, texts.size());
    EXPECT_EQ("* Error: control refused the Modbus write request with exception code 1 (illegal function).",
              texts[texts.size() - 2]);
    EXPECT_EQ(0u, texts.back().find("Stopped at ")) << texts.back();
    EXPECT_NE(std::string::npos, texts.back().find("(register 0xe000): 0 of ")) << texts.back();
    EXPECT_EQ(1u, OfFunction(device.Requests(), 6).size());
}

// A controller that refuses one request of the optional (60-amp) set with exception 2
// (illegal data address). Only a refusal of the set's first request is a model without the
// set; one later in the set is a refusal of that setting and fails the run like any other.
class MpptRefusal : public MpptRun
{
protected:
    template <class Settings>
    static std::string NameAt(const Settings& settings, int address)
    {
        for (const auto& entry : settings.GetVariables())
            for (const ModbusRegister_t& reg : entry.second->GetRegisters())
                if (static_cast<int>(reg.address) == address)
                    return entry.second->GetName();
        return std::string();
    }

    // One run against a controller that refuses the `refused`-th request (from 0) of the
    // optional set. Returns the run's context; the texts are in the recorder.
    template <class Settings>
    CWizardProgrammingContextPtr RunRefused(const Settings& settings, bool read, bool tcp, size_t refused)
    {
        const RegisterMap registers = RegistersOf(settings, !read);
        const std::vector<RunRequest_t> required = RunRequests(registers, read, true);
        const std::vector<RunRequest_t> optional = RunRequests(registers, read, false);
        EXPECT_LT(refused, optional.size());
        int before = 0;   // registers moved before the refused request
        for (const RunRequest_t& request : required)
            before += request.count;
        for (size_t n = 0; n < refused; ++n)
            before += optional[n].count;

        // The refused request follows the requests the device answered before it.
        const size_t answered = read ? required.size() + refused : static_cast<size_t>(before);
        ProfileOptions options;
        options.faults = std::string("[{\"kind\": \"exception\", \"code\": 2, \"function\": ") + (read ? "4" : "6") +
                         ", \"" + (read ? "at_read" : "after_writes") + "\": " + std::to_string(answered) + "}]";
        DeviceUnderTest refusing(host);
        const std::string profile = Profile(RegistersOf(settings), options);
        EXPECT_TRUE(tcp ? refusing.StartTcp(profile) : refusing.StartSerial(profile)) << refusing.Error();
        recorder.Clear();
        CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), read);
        UseDevice(*context, tcp, &refusing);
        if (read)
            FillMpptReadContext(Settings(), *context);
        else
            FillMpptProgramContext(settings, *context);
        Run(context);

        const std::vector<std::string> texts = recorder.Texts();
        const int total = static_cast<int>(registers.size());
        if (refused == 0)
        {
            // A model without the set: the run ends well without it.
            EXPECT_EQ((std::vector<std::string>{read ? "The control appears to be a VX-MPPT-45; 60-amp settings not read."
                                                     : "The control appears to be a VX-MPPT-45; 60-amp settings not written.",
                                                "Finished."}),
                      std::vector<std::string>(texts.end() - std::min<size_t>(2, texts.size()), texts.end()));
            EXPECT_TRUE(recorder.Has("DONE"));
        }
        else
        {
            EXPECT_FALSE(recorder.Has("DONE"));
            EXPECT_EQ("FAILED " + std::to_string(0x8002), recorder.Events().back());
            EXPECT_EQ(4u, texts.size()) << testing::PrintToString(texts);
            char stopped[160];
            std::snprintf(stopped, sizeof stopped, "Stopped at %s (register 0x%04x): %d of %d %s.",
                          NameAt(settings, optional[refused].address).c_str(), optional[refused].address, before, total,
                          read ? "registers read" : "writes confirmed");
            EXPECT_EQ((std::vector<std::string>{std::string("* Error: control refused the Modbus ") +
                                                    (read ? "read" : "write") +
                                                    " request with exception code 2 (illegal data address).",
                                                stopped}),
                      std::vector<std::string>(texts.end() - std::min<size_t>(2, texts.size()), texts.end()));
            for (const std::string& text : texts)
                EXPECT_EQ(std::string::npos, text.find("VX-MPPT-45")) << text;
        }
        // Nothing is asked after the refused request but that request again (a serial
        // link tries a request again when it fails, and the device refuses every try).
        const std::vector<JournalRequest> asked = OfFunction(refusing.Requests(), read ? 4 : 6);
        EXPECT_GT(asked.size(), answered);
        for (size_t n = answered; n < asked.size(); ++n)
            EXPECT_EQ(optional[refused].address, asked[n].address) << n;
        EXPECT_GE(answered + 3, asked.size());
        for (const auto& line : texts)
            std::printf("%s %s %s refused at optional request %d of %d: %s\n",
                        std::is_same<Settings, CVarnixHvMpptSettings>::value ? "HV MPPT" : "Varnix MPPT",
                        tcp ? "tcp" : "pty", read ? "read" : "program", static_cast<int>(refused) + 1,
                        static_cast<int>(optional.size()), line.c_str());
        // A read that did not end well takes nothing; one that ended without the set has
        // none of it as read.
        for (const auto& entry : context->optionalVariables)
            EXPECT_FALSE(entry.second.second) << entry.first;
        if (read && refused != 0)
        {
            EXPECT_EQ(RegistersOf(Settings(), false), RegistersOf(AdoptMpptReadResult<Settings>(*context, 0), false));
        }
        return context;
    }

    // The first, a middle and the last request of the optional set, read and programmed.
    template <class Settings>
    void EveryPlace(bool programOverTcp)
    {
        Settings settings = DeviceSettings<Settings>();
        settings.GetVariable(MPPT_SETTING_SMTP_PASSWORD)->FromString("secret");
        for (const bool read : {false, true})
        {
            const size_t requests = RunRequests(RegistersOf(settings, !read), read, false).size();
            ASSERT_GE(requests, 3u);
            for (const size_t refused : {size_t(0), requests / 2, requests - 1})
            {
                SCOPED_TRACE(std::string(read ? "read" : "program") + " refused at " + std::to_string(refused) + " of " +
                             std::to_string(requests));
                RunRefused(settings, read, read != programOverTcp, refused);
            }
        }
    }

    // A read that got no optional setting (the controller refused the set's first request),
    // then a program run of what it read on the same controller, which holds IP address
    // 10.1.2.3 and Modbus TCP port 1502: the defaults that stand in for the settings not
    // read are shown as such and never written; a setting the user sets since is.
    template <class Settings>
    void ProgramAfterAReadWithoutTheOptionalSet(bool tcp)
    {
        SCOPED_TRACE(tcp ? "tcp" : "pty");
        Settings controller = DeviceSettings<Settings>();
        controller.GetVariable(MPPT_SETTING_MODBUS_TCP_PORT)->FromString("1502");
        const RegisterMap registers = RegistersOf(controller, false);
        const size_t required = RunRequests(registers, true, true).size();
        ProfileOptions options;
        // Every try of this read's first optional request is refused, and no request of
        // later runs (their reads of that register follow more answered reads).
        options.faults = "[{\"kind\": \"exception\", \"code\": 2, \"function\": 4, \"at_read\": " +
                         std::to_string(required) + ", \"address\": " + std::to_string(registers.begin()->first) + "}]";
        DeviceUnderTest held(host);
        ASSERT_TRUE(tcp ? held.StartTcp(Profile(RegistersOf(controller), options))
                        : held.StartSerial(Profile(RegistersOf(controller), options)))
            << held.Error();

        recorder.Clear();
        CWizardProgrammingContextPtr context = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), true);
        UseDevice(*context, tcp, &held);
        FillMpptReadContext(Settings(), *context);
        Run(context);
        ASSERT_TRUE(recorder.Has("DONE"));
        Settings read = AdoptMpptReadResult<Settings>(*context, 1);
        MpptSettingIdSet_t notRead = MpptSettingsNotRead(*context);
        EXPECT_EQ(context->optionalVariables.size(), notRead.size());
        EXPECT_EQ(1u, notRead.count(MPPT_SETTING_IP_ADDRESS));
        EXPECT_EQ(0u, notRead.count(MPPT_SETTING_MODBUS_ID));
        int notReadRows = 0;
        for (const MpptSummaryRow_t& row : MpptSummaryRows(read, notRead))
        {
            const bool wasRead = notRead.count(row.id) == 0;
            notReadRows += wasRead ? 0 : 1;
            EXPECT_EQ(wasRead, row.values[0] != "not read") << row.name;
            if (row.id == MPPT_SETTING_MODBUS_TCP_PORT)
            {
                EXPECT_EQ("not read / not read / not read / ",
                          row.values[0] + " / " + row.values[1] + " / " + row.values[2] + " / " + row.units);
            }
        }
        EXPECT_GT(notReadRows, 0);
        EXPECT_NE(std::string::npos, MpptSummaryText(read, "now", notRead).find("Modbus TCP Port: not read\n"));
        // A setpoint file holds what was read and nothing in place of the rest.
        const std::string file = MpptSetpointFileText(read, notRead);
        EXPECT_NE(std::string::npos, file.find("<variable id=\"50\">")) << file;
        EXPECT_EQ(std::string::npos, file.find("<variable id=\"53\">")) << file;
        EXPECT_EQ(std::string::npos, file.find("<variable id=\"59\">")) << file;
        EXPECT_NE(std::string::npos, MpptSetpointFileText(read, MpptSettingIdSet_t()).find("<variable id=\"59\">"));
        // Opened again, that file gives the same picture: what it does not hold is not read
        // (the summary says so, and a Save leaves it out again), not a default taken as set.
        Settings opened;
        const MpptSettingIdSet_t notHeld = LoadMpptSetpointFile(file, opened);
        EXPECT_EQ(notRead, notHeld);
        EXPECT_EQ(file, MpptSetpointFileText(opened, notHeld));
        EXPECT_NE(std::string::npos, MpptSummaryText(opened, "now", notHeld).find("Modbus TCP Port: not read\n"));
        // A file that holds every setting (the password is never read) opens as it always did.
        Settings whole;
        EXPECT_EQ(MpptSettingIdSet_t(), LoadMpptSetpointFile(MpptSetpointFileText(read, MpptSettingIdSet_t()), whole));
        EXPECT_EQ("502", whole.GetVariable(MPPT_SETTING_MODBUS_TCP_PORT)->ToString());

        const auto program = [&] {
            recorder.Clear();
            CWizardProgrammingContextPtr run = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), false);
            UseDevice(*run, tcp, &held);
            FillMpptProgramContext(read, *run, notRead);
            Run(run);
            EXPECT_TRUE(recorder.Has("DONE")) << testing::PrintToString(recorder.Texts());
        };
        const auto optionalWrites = [&] {
            std::set<int> written;
            for (const JournalRequest& write : OfFunction(held.Requests(), 6))
                if (write.address < 0x2000)
                    written.insert(write.address);
            return written;
        };
        program();
        EXPECT_EQ(std::set<int>(), optionalWrites());
        // The same from the file opened again.
        read = opened;
        notRead = notHeld;
        program();
        EXPECT_EQ(std::set<int>(), optionalWrites());

        // What the controller holds now, read back: its own network settings.
        const auto readBack = [&] {
            recorder.Clear();
            CWizardProgrammingContextPtr again = MakeMpptProgrammingContext(boost::shared_ptr<ModbusEndpoint_t>(), true);
            UseDevice(*again, tcp, &held);
            FillMpptReadContext(Settings(), *again);
            Run(again);
            EXPECT_TRUE(recorder.Has("DONE")) << testing::PrintToString(recorder.Texts());
            return AdoptMpptReadResult<Settings>(*again, 1);
        };
        Settings holds = readBack();
        EXPECT_EQ("10.1.2.3", holds.GetVariable(MPPT_SETTING_IP_ADDRESS)->ToString());
        EXPECT_EQ("1502", holds.GetVariable(MPPT_SETTING_MODBUS_TCP_PORT)->ToString());
        const RegisterMap heldRegisters = RegistersOf(holds, false);
        for (const auto& reg : RegistersOf(controller, false))
            EXPECT_EQ(reg.second, heldRegisters.at(reg.first)) << std::hex << reg.first;

        // The user sets the HTTP port: that one setting is programmed, nothing else of the set.
        const Settings before(read);
        read.GetVariable(MPPT_SETTING_HTTP_PORT)->FromString("8080");
        ForgetSettingsSetSince(before, read, notRead);
        EXPECT_EQ(context->optionalVariables.size() - 1, notRead.size());
        EXPECT_EQ(0u, notRead.count(MPPT_SETTING_HTTP_PORT));
        program();
        EXPECT_EQ(std::set<int>{0x151B}, optionalWrites());
        holds = readBack();
        EXPECT_EQ("8080", holds.GetVariable(MPPT_SETTING_HTTP_PORT)->ToString());
        EXPECT_EQ("10.1.2.3", holds.GetVariable(MPPT_SETTING_IP_ADDRESS)->ToString());
        EXPECT_EQ("1502", holds.GetVariable(MPPT_SETTING_MODBUS_TCP_PORT)->ToString());
    }
};

TEST_F(MpptRefusal, AProgramAfterAReadWithoutTheOptionalSetLeavesTheNetworkSettingsAlone)
{
    ProgramAfterAReadWithoutTheOptionalSet<CVarnixMpptSettings>(true);
    ProgramAfterAReadWithoutTheOptionalSet<CVarnixHvMpptSettings>(false);
}

TEST_F(MpptRefusal, AVarnixMpptRunFailsWhenTheOptionalSetIsRefusedAfterItsFirstRequest)
{
    EveryPlace<CVarnixMpptSettings>(true);
}

TEST_F(MpptRefusal, AVarnixHvMpptRunFailsWhenTheOptionalSetIsRefusedAfterItsFirstRequest)
{
    EveryPlace<CVarnixHvMpptSettings>(false);
}

} // namespace
