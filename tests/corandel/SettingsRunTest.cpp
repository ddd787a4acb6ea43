// The Corandel Duo, Corandel MPPT and Varnix settings read from and programmed into the
// test device by the register-list threads, through the register lists the programming
// pages build: every row once, in ascending order, signed rows as the device holds them, and
// the setpoint files saved after a read of odd words open again.
#include "framework/CMemFile.h"
#include "shell/ProgramFolders.h"
#include "tests/support/FileText.h"
#include "tests/support/LinkRetries.h"
#include "tests/support/MessageCollector.h"
#include "tests/support/PeerHost.h"
#include "tests/support/Polling.h"
#include "tests/support/RegisterDevice.h"
#include "tests/support/TestPaths.h"
#include "wizards/corandel/CCorandelSettings.h"
#include "wizards/corandel/CMpptSettings.h"
#include "wizards/framework/CRegisterListProgThread.h"
#include "wizards/framework/ProgrammingMessages.h"
#include "wizards/framework/SettingsRegisterList.h"
#include "wizards/varnix/CVarnixSettings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using testing_support::PeerHost;

namespace {

// The programming threads' serial link makes two attempts at a request.
const int kSerialAttempts = 2;

// A context's connection fields for the device.
void Connect(const testing_support::RegisterDevice& device, CVarnixWizardProgContext& context, int unit)
{
    context.modbusAddress = unit;
    if (device.IsSerial())
    {
        context.comPort = device.ComPort();
    }
    else
    {
        context.comPort = -1;
        context.host = "127.0.0.1";
        context.tcpPort = device.TcpPort();
    }
}

class SettingsRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Connected()) << host.Error();
        // The threads' contexts read the device descriptions beside the program.
        const std::string folder = testing_support::BuildPath("");
        GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
        collector.SetOnMessage([this](const testing_support::CollectedMessage& m) {
            if (m.message == WM_APP_PROG_TEXT)
            {
                texts.push_back(reinterpret_cast<const char*>(m.wParam));
                FreeProgrammingText(m.wParam);
            }
        });
    }

    // Runs the thread on the context to its end; true when it finished successfully.
    bool Run(CRegisterListProgThread& thread, const CVarnixWizardProgContext& context)
    {
        collector.Clear();
        texts.clear();
        EXPECT_TRUE(thread.Start(collector.Window(), context));
        const bool ended = collector.WaitUntil(
            [](const std::vector<testing_support::CollectedMessage>& messages) {
                for (const auto& m : messages)
                {
                    if (m.message == WM_APP_PROG_DONE || m.message == WM_APP_PROG_FAILED)
                        return true;
                }
                return false;
            },
            60000);
        EXPECT_TRUE(ended) << "the run neither finished nor failed";
        EXPECT_TRUE(thread.Stop(5000));
        return collector.Count(WM_APP_PROG_DONE) == 1 && collector.Count(WM_APP_PROG_FAILED) == 0;
    }

    // A read run of the settings' register list; the words go into the settings.
    template <class Thread>
    bool ReadInto(const testing_support::RegisterDevice& device, int unit, CStorageVarnixConfig& settings)
    {
        CVarnixWizardProgContext context(nullptr);
        context.isRead = true;
        Connect(device, context, unit);
        FillRegisterList(settings, true, context.registers);
        Thread thread;
        if (!Run(thread, context))
            return false;
        StoreReadRegisters(static_cast<CVarnixWizardProgContext&>(thread.GetContext()).registers, settings);
        return true;
    }

    template <class Thread>
    bool Program(const testing_support::RegisterDevice& device, int unit, const CStorageVarnixConfig& settings)
    {
        CVarnixWizardProgContext context(nullptr);
        Connect(device, context, unit);
        FillRegisterList(settings, false, context.registers);
        Thread thread;
        return Run(thread, context);
    }

    // The settings saved to their setpoint file and opened again hold what was read.
    template <class Settings>
    void ExpectFileOpensAsRead(Settings& read)
    {
        CMemFile file;
        ASSERT_TRUE(read.SaveToFile(&file));
        file.SeekToBegin();
        Settings opened;
        ASSERT_TRUE(opened.LoadFromFile(&file)) << "the file saved after a read does not open";
        ASSERT_EQ(read.GetRowCount(), opened.GetRowCount());
        for (int i = 0; i < read.GetRowCount(); ++i)
            EXPECT_EQ(read.GetEntryValue(i), opened.GetEntryValue(i)) << std::hex << read.GetRowAtConst(i)->registerAddress;
    }

    // A device profile of the settings' rows with the words of the given registers replaced.
    static std::string OddProfile(const CStorageVarnixConfig& settings, int unit, const std::map<int, int>& odd)
    {
        std::map<int, int> words;
        for (int i = 0; i < settings.GetRowCount(); ++i)
            words[settings.GetRowAtConst(i)->registerAddress] = settings.GetRowAtConst(i)->RawToWord();
        for (const auto& entry : odd)
            words[entry.first] = entry.second;
        std::string json = "{\"units\": {\"" + std::to_string(unit) + "\": {\"input\": \"holding\", \"holding\": {";
        for (const auto& entry : words)
            json += (entry.first == words.begin()->first ? "\"" : ", \"") + std::to_string(entry.first) + "\": " +
                    std::to_string(entry.second);
        return json + "}}}}";
    }

    PeerHost host;
    testing_support::MessageCollector collector;
    std::vector<std::string> texts;
};

TEST_F(SettingsRun, CorandelDuoReadOverAPtyFillsEveryRowWithTheDeviceWord)
{
    testing_support::RegisterDevice device(host);
    ASSERT_TRUE(device.Start("tests/corandel/CorandelDuoDevice.json", true));
    CCorandelSettings settings;
    CVarnixWizardProgContext context(nullptr);
    context.isRead = true;
    Connect(device, context, 7);
    FillRegisterList(settings, true, context.registers);
    ASSERT_EQ(29u, context.registers.size());
    for (const auto& entry : context.registers)
        EXPECT_EQ(0, entry.second);

    CCorandelWizProgThread thread;
    ASSERT_TRUE(Run(thread, context));
    StoreReadRegisters(static_cast<CVarnixWizardProgContext&>(thread.GetContext()).registers, settings);

    EXPECT_EQ(3, settings.GetSkelderAddress());
    EXPECT_EQ(7, settings.GetModbusAddress());
    EXPECT_EQ(240, settings.GetRawValue(0xE002));
    EXPECT_EQ(25200, settings.GetRawValue(0xE006));
    EXPECT_STREQ("14.00 V", settings.FormatDisplayValue(0xE006).GetString());
    EXPECT_STREQ("none", settings.FormatDisplayValue(0xE007).GetString());
    EXPECT_STREQ("none", settings.FormatDisplayValue(0xE01A).GetString()) << "1440 min before float";
    EXPECT_EQ(180, settings.GetRawValue(0xE01D));

    const std::vector<testing_support::RegisterRequest> reads = device.Requests(4);
    EXPECT_EQ(29u, reads.size());
    EXPECT_TRUE(testing_support::AscendingOnce(reads));
    for (const testing_support::RegisterRequest& read : reads)
        EXPECT_NE(0xE005, read.address) << "a register without a row is not read";
    EXPECT_TRUE(device.Requests(6).empty());
    EXPECT_EQ("Reading configuration from Corandel Duo.  Please wait.", texts.front());
}

TEST_F(SettingsRun, CorandelDuoProgrammedOverTcpReadsBackTheSame)
{
    testing_support::RegisterDevice device(host);
    ASSERT_TRUE(device.Start("tests/corandel/CorandelDuoDevice.json", false));
    CCorandelSettings settings;
    settings.SetFromText(0xE006, "14.55", 0, 36.4);
    settings.SetFromText(0xE004, "0.045", 0, 1e9);
    settings.SetValue(0xE001, 7);
    ASSERT_TRUE(Program<CCorandelWizProgThread>(device, 7, settings));
    const std::vector<testing_support::RegisterRequest> writes = device.Requests(6);
    ASSERT_EQ(29u, writes.size());
    EXPECT_TRUE(testing_support::AscendingOnce(writes));
    for (const testing_support::RegisterRequest& write : writes)
        EXPECT_EQ(settings.FindRowConst(write.address)->raw, write.value) << std::hex << write.address;
    EXPECT_EQ("Programming Corandel Duo.  Please wait.", texts.front());

    CCorandelSettings readBack;
    ASSERT_TRUE(ReadInto<CCorandelWizProgThread>(device, 7, readBack));
    for (int i = 0; i < settings.GetRowCount(); ++i)
        EXPECT_EQ(settings.GetEntryValue(i), readBack.GetEntryValue(i)) << "row " << i;
    EXPECT_STREQ("14.55", readBack.FormatValue(0xE006).GetString());
}

TEST_F(SettingsRun, CorandelMpptRoundTripKeepsSignedLimitsAndLightingWords)
{
    // A write whose reply the link cannot take (garbled here; on a busy machine, late):
    // the link asks again, and the device, which did it, does it once more.
    std::string profile = testing_support::ReadFileText(testing_support::SourcePath("tests/corandel/CorandelMpptDevice.json"));
    const size_t identification = profile.find("\"identification\"");
    ASSERT_NE(std::string::npos, identification);
    profile.insert(identification, "\"faults\": [{\"kind\": \"bad_crc\", \"function\": 6, \"address\": 57375, \"times\": 1}], ");
    testing_support::RegisterDevice device(host);
    ASSERT_TRUE(device.StartProfile(profile, true));

    // What the device holds first: a read (a request the link asked again counts once).
    CMpptSettings read;
    ASSERT_TRUE(ReadInto<CCorandelMpptProgThread>(device, 12, read)) << testing::PrintToString(texts);
    EXPECT_EQ(-25, read.GetRawValue(0xE01F)) << "the signed byte 0xFFE7";
    EXPECT_EQ(70, read.GetRawValue(0xE01E));
    EXPECT_EQ(12, read.GetModbusId());
    EXPECT_EQ(9, read.GetSkelderId());
    EXPECT_EQ("enabled", read.GetValueText(0xE028, false).StdString());
    EXPECT_EQ("invert; OR with previous channel", read.GetValueText(0xE03B, false).StdString());
    EXPECT_EQ("turn on 0:30 after midnight; turn off 1:00 after midday", read.GetValueText(0xE03C, false).StdString());
    EXPECT_EQ(53u, testing_support::WithoutRetries(device.Requests(4), kSerialAttempts).size());

    // Edited and programmed, then read again.
    read.SetValue(0xE01F, -40);
    read.SetTimerOffset(0, 0, -95);
    read.SetCombineMode(1, 1);
    ASSERT_TRUE(Program<CCorandelMpptProgThread>(device, 12, read)) << testing::PrintToString(texts);
    const std::vector<testing_support::RegisterRequest> writes =
        testing_support::WithoutRetries(device.Requests(6), kSerialAttempts);
    ASSERT_EQ(53u, writes.size());
    EXPECT_TRUE(testing_support::AscendingOnce(writes));
    std::map<int, int> written;
    for (const testing_support::RegisterRequest& write : writes)
        written[write.address] = write.value;
    EXPECT_EQ(0xFFD8, written[0xE01F]) << "-40 as the register word";
    EXPECT_EQ(0x3FA1, written[0xE02C]) << "sunrise, 95 minutes before";

    CMpptSettings again;
    ASSERT_TRUE(ReadInto<CCorandelMpptProgThread>(device, 12, again)) << testing::PrintToString(texts);
    for (int i = 0; i < read.GetRowCount(); ++i)
        EXPECT_EQ(read.GetEntryValue(i), again.GetEntryValue(i)) << std::hex << read.GetRowAtConst(i)->registerAddress;
    EXPECT_EQ(-95, again.GetTimerOffset(0, 0));
    EXPECT_EQ(1, again.GetCombineMode(1));
}

// Controllers holding odd words: one-byte registers with words above their byte (they
// mean their low byte), and whole 16-bit words at their ends. A read, the setpoint file
// saved from it and that file opened again hold the same settings.
TEST_F(SettingsRun, OddWordsReadSaveAndOpenAgainForEveryRegisterListProduct)
{
    {
        SCOPED_TRACE("Corandel MPPT");
        testing_support::RegisterDevice device(host);
        ASSERT_TRUE(device.StartProfile(OddProfile(CMpptSettings(), 12,
                                                   {{0xE008, 500}, {0xE015, 0xFF1C}, {0xE034, 0x01F7}, {0xE035, 0x0103},
                                                    {0xE01E, 0x01F4}, {0xE01F, 0x0080}, {0xE000, 0xFFFF}}),
                                        false));
        CMpptSettings read;
        ASSERT_TRUE(ReadInto<CCorandelMpptProgThread>(device, 12, read));
        EXPECT_EQ(0xF4, read.GetRawValue(0xE008)) << "500's low byte";
        EXPECT_EQ(0x1C, read.GetRawValue(0xE015));
        EXPECT_EQ(247, read.GetModbusId());
        EXPECT_EQ(3, read.GetSkelderId());
        EXPECT_EQ(-12, read.GetRawValue(0xE01E));
        EXPECT_EQ(-128, read.GetRawValue(0xE01F));
        EXPECT_EQ(0xFFFF, read.GetRawValue(0xE000));
        ExpectFileOpensAsRead(read);
    }
    {
        SCOPED_TRACE("Corandel Duo");
        testing_support::RegisterDevice device(host);
        ASSERT_TRUE(device.StartProfile(OddProfile(CCorandelSettings(), 7, {{0xE001, 0x8000}, {0xE006, 0xFFFF}, {0xE00A, 0}}),
                                        true));
        CCorandelSettings read;
        ASSERT_TRUE(ReadInto<CCorandelWizProgThread>(device, 7, read));
        EXPECT_EQ(0x8000, read.GetRawValue(0xE001));
        EXPECT_EQ(0xFFFF, read.GetRawValue(0xE006));
        // An address no controller answers at is shown as read; Save and Program refuse it,
        // and the run sends nothing.
        CMemFile refusedFile;
        std::string refusal;
        EXPECT_FALSE(read.SaveToFile(&refusedFile, &refusal));
        EXPECT_EQ("Modbus Address 32768 is not in the range 1 to 247", refusal);
        const size_t identifications = device.Requests(43).size();
        EXPECT_FALSE(Program<CCorandelWizProgThread>(device, 7, read));
        EXPECT_EQ(std::vector<std::string>{"* Error: Modbus Address 32768 is not in the range 1 to 247"}, texts);
        EXPECT_EQ(identifications, device.Requests(43).size());
        EXPECT_TRUE(device.Requests(6).empty());
        read.SetValue(0xE001, 7);
        ExpectFileOpensAsRead(read);
    }
    {
        SCOPED_TRACE("Varnix");
        testing_support::RegisterDevice device(host);
        ASSERT_TRUE(device.StartProfile(OddProfile(CVarnixSettings(), 5, {{0xE01F, 0x01F4}, {0xE020, 0xFF80}, {0xE015, 0x8000}}),
                                        false));
        CVarnixSettings read;
        ASSERT_TRUE(ReadInto<CVarnixWizProgThread>(device, 5, read));
        EXPECT_EQ(-12, read.GetRawValue(0xE01F));
        EXPECT_EQ(-128, read.GetRawValue(0xE020));
        EXPECT_EQ(-32768, read.GetRawValue(0xE015));
        ExpectFileOpensAsRead(read);
    }
}

TEST_F(SettingsRun, VarnixLightingTimerBeforeItsEventSurvivesTheDevice)
{
    testing_support::RegisterDevice device(host);
    ASSERT_TRUE(device.Start("tests/corandel/VarnixDevice.json", false));
    CVarnixSettings settings;
    settings.SetMode(VARNIX_MODE_LIGHTING);
    ASSERT_TRUE(ReadInto<CVarnixWizProgThread>(device, 5, settings));
    EXPECT_EQ(39u, device.Requests(4).size());
    EXPECT_EQ(-5400, settings.GetRawValue(0xE015));
    EXPECT_EQ("1h:30m:00s before dawn", settings.GetValueText(0xE015, VARNIX_SYSTEM_12V).StdString());
    EXPECT_EQ(-40, settings.GetRawValue(0xE020));
    EXPECT_EQ(77, settings.GetRawValue(0xE041));

    settings.SetValue(0xE016, -600);
    ASSERT_TRUE(Program<CVarnixWizProgThread>(device, 5, settings));
    std::map<int, int> written;
    for (const testing_support::RegisterRequest& write : device.Requests(6))
        written[write.address] = write.value;
    EXPECT_EQ(39u, written.size());
    EXPECT_EQ(0xEAE8, written[0xE015]);
    EXPECT_EQ(0xFDA8, written[0xE016]);

    CVarnixSettings readBack;
    readBack.SetMode(VARNIX_MODE_LIGHTING);
    ASSERT_TRUE(ReadInto<CVarnixWizProgThread>(device, 5, readBack));
    EXPECT_EQ(-600, readBack.GetRawValue(0xE016));
    EXPECT_EQ("0h:10m:00s before dusk", readBack.GetValueText(0xE016, VARNIX_SYSTEM_12V).StdString());
}

}  // namespace
