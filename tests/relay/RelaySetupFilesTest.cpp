// The Ostrel setup dialog without its window: four default channels, the summary text it
// prints, .qrelay files of four records and files that fail part-way, and what the
// channel wizard's Finish does to the neighbouring channels.
#include <gtest/gtest.h>

#include "shell/ProgramFolders.h"
#include "tests/support/FileText.h"
#include "tests/support/TestPaths.h"
#include "wizards/relay/CDialogRelayModuleSetup.h"
#include "wizards/relay/RelayWizardPages.h"

#include <fstream>

namespace {

class RelaySetup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string folder = testing_support::BuildPath("");
        GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
        testing_support::EnsureDirectory(testing_support::BuildPath("tests/relay"));
    }
    std::string FilePath(const std::string& name) { return testing_support::BuildPath("tests/relay/" + name); }
    std::string FileBytes(const std::string& name) { return testing_support::ReadFileText(FilePath(name)); }
};

TEST_F(RelaySetup, FourDefaultChannelsSaveAs488BytesAndPrintSixLines)
{
    CDialogRelayModuleSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    EXPECT_EQ(8u, dialog.GetCandidates().size());
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(i, dialog.GetChannels()[i].GetChannelIndex());
        EXPECT_EQ("Disabled", dialog.GetChannels()[i].GetDescription());
    }
    EXPECT_EQ("Quorvant Corp. Ostrel Setup Summary\nPrinted on today\nChannel 1: Disabled\nChannel 2: Disabled\n"
              "Channel 3: Disabled\nChannel 4: Disabled\n",
              dialog.SummaryText("today"));
    ASSERT_EQ("", dialog.SaveChannels(FilePath("default.qrelay")));
    const std::string bytes = FileBytes("default.qrelay");
    ASSERT_EQ(488u, bytes.size());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::string("\x04\x00\x00\x00", 4), bytes.substr(122 * i, 4)) << i;
    EXPECT_EQ(std::string("\x03\x00\x00\x00", 4), bytes.substr(122 * 3 + 114, 4));   // channel index 3
}

TEST_F(RelaySetup, LoadingTakesAllFourRecordsOrNoneAndSourceAddressesInTheirRange)
{
    CDialogRelayModuleSetup saving(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    CRelayModuleChannel* channels = saving.GetChannels();
    channels[0].SetFunctionCode(RELAY_FUNCTION_ALARM);
    channels[0].SetControlDevice(0, 2);
    channels[0].SetAlarmSelected(3, true);
    channels[1].SetFunctionCode(RELAY_FUNCTION_METER_SLAVE);
    channels[2].SetFunctionCode(RELAY_FUNCTION_GENSTART);
    channels[2].SetControlDevice(4, 8);
    channels[2].SetAdvanced(true);
    ASSERT_EQ("", saving.SaveChannels(FilePath("four.qrelay")));
    const std::string whole = FileBytes("four.qrelay");
    ASSERT_EQ(488u, whole.size());

    CDialogRelayModuleSetup loading(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    ASSERT_EQ("", loading.LoadChannels(FilePath("four.qrelay")));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(channels[i].GetDescription(), loading.GetChannels()[i].GetDescription()) << i;
    EXPECT_EQ("Alarm/Fault, Varnix, simple", loading.GetChannels()[0].GetDescription());
    EXPECT_EQ("GenStart, Varnix MPPT, advanced", loading.GetChannels()[2].GetDescription());

    // A file that ends after two records, or whose third record is of a later version,
    // is refused and leaves every channel as it was.
    CDialogRelayModuleSetup target(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    ASSERT_TRUE(testing_support::WriteFileText(FilePath("two.qrelay"), whole.substr(0, 244)));
    EXPECT_EQ("Error reading configuration from file.  Invalid file format.", target.LoadChannels(FilePath("two.qrelay")));
    std::string later = whole;
    later[244] = 5;
    ASSERT_TRUE(testing_support::WriteFileText(FilePath("later.qrelay"), later));
    EXPECT_EQ("Error reading configuration from file.  Invalid file format.",
              target.LoadChannels(FilePath("later.qrelay")));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ("Disabled", target.GetChannels()[i].GetDescription()) << i;

    // The source's Skelder address (each record's 11th byte) at both ends of its range
    // and past them: channel 1 is an Alarm/Fault on a Varnix, channel 3 a GenStart on a
    // Varnix MPPT; a meter slave programs no address, a standalone source is 255.
    const struct
    {
        int record;
        int address;
        const char* refusal;
    } addresses[] = {
        {0, 1, ""}, {0, 15, ""}, {0, 255, ""}, {1, 0, ""},
        {0, 0, "Error reading configuration from file.  Channel 1: Skelder Address 0 is not in the range 1 to 15."},
        {0, 16, "Error reading configuration from file.  Channel 1: Skelder Address 16 is not in the range 1 to 15."},
        {2, 255, "Error reading configuration from file.  Channel 3: Skelder Address 255 is not in the range 1 to 15."},
    };
    for (const auto& c : addresses)
    {
        std::string file = whole;
        file[122 * c.record + 10] = static_cast<char>(c.address);
        ASSERT_TRUE(testing_support::WriteFileText(FilePath("address.qrelay"), file));
        CDialogRelayModuleSetup opened(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
        EXPECT_EQ(c.refusal, opened.LoadChannels(FilePath("address.qrelay"))) << c.record << " " << c.address;
        EXPECT_EQ(*c.refusal ? 1 : c.address, opened.GetChannels()[c.record].GetAddress()) << c.record << " " << c.address;
    }
    // Channels holding such an address, as a read can leave them, are not written.
    ::DeleteFileA(FilePath("refused.qrelay").c_str());
    channels[0].SetAddress(0);
    EXPECT_EQ("Unable to write the configuration to the specified file.  Channel 1: Skelder Address 0 is not in the "
              "range 1 to 15.",
              saving.SaveChannels(FilePath("refused.qrelay")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(FilePath("refused.qrelay").c_str()));

    EXPECT_EQ("Unable to open the specified file for reading", target.LoadChannels(FilePath("missing.qrelay")));
    const std::string nowhere = testing_support::BuildPath("no such folder\\x.qrelay");
    EXPECT_EQ("Unable to create the specified file for writing " + nowhere + " (Directory name invalid)",
              target.SaveChannels(nowhere));
}

TEST_F(RelaySetup, FinishMakesSlavesOfAGeneratorsWiresAndDisablesOrphanedSlaves)
{
    CDialogRelayModuleSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    CRelayModuleChannel* channels = dialog.GetChannels();
    // GenStart on channel 1 using three wires; channel 4 was a slave of an earlier set-up.
    channels[0].SetFunctionCode(RELAY_FUNCTION_GENSTART);
    channels[0].SetRunSignal(true);
    channels[0].SetStopSignal(true);
    channels[0].SetStopWire(1);
    channels[0].SetCrankSignal(true);
    channels[0].SetCrankWire(2);
    channels[3].SetFunctionCode(RELAY_FUNCTION_GENSTART_SLAVE);
    ApplyRelayWizardFinish(channels, 0, dialog.GetCandidates());
    EXPECT_EQ(RELAY_FUNCTION_GENSTART_SLAVE, channels[1].GetFunction());
    EXPECT_EQ(RELAY_FUNCTION_GENSTART_SLAVE, channels[2].GetFunction());
    EXPECT_EQ(RELAY_FUNCTION_DISABLED, channels[3].GetFunction());

    // Down to one wire: the slaves after it are disabled up to the next generator.
    channels[0].SetCrankSignal(false);
    channels[0].SetStopSignal(false);
    channels[3].SetFunctionCode(RELAY_FUNCTION_GENSTART);
    ApplyRelayWizardFinish(channels, 0, dialog.GetCandidates());
    EXPECT_EQ(RELAY_FUNCTION_DISABLED, channels[1].GetFunction());
    EXPECT_EQ(RELAY_FUNCTION_DISABLED, channels[2].GetFunction());
    EXPECT_EQ(RELAY_FUNCTION_GENSTART, channels[3].GetFunction());

    // A generator on the last channel scans nothing; a channel set Disabled is reset.
    channels[1].SetFunctionCode(RELAY_FUNCTION_GENSTART_SLAVE);
    ApplyRelayWizardFinish(channels, 3, dialog.GetCandidates());
    EXPECT_EQ(RELAY_FUNCTION_GENSTART_SLAVE, channels[1].GetFunction());
    channels[2].SetFunctionCode(RELAY_FUNCTION_DISABLED);
    channels[2].SetAddress(7);
    channels[2].SetAdvanced(true);
    ApplyRelayWizardFinish(channels, 2, dialog.GetCandidates());
    EXPECT_EQ(1, channels[2].GetAddress());
    EXPECT_FALSE(channels[2].IsAdvanced());
    EXPECT_EQ(2, channels[2].GetChannelIndex());
    EXPECT_EQ(8u, channels[2].GetCandidateDevices().size());
    // The scan from channel 1 stops at channel 1's own generator: its slave stays.
    EXPECT_EQ(RELAY_FUNCTION_GENSTART_SLAVE, channels[1].GetFunction());
}

} // namespace
