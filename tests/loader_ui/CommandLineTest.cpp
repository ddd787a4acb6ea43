// The loader's command line, its firmware-file loading, the run-time estimate and the
// version line: everything the wizard decides before its first page.
#include <gtest/gtest.h>

#include "loader/CWizConnect.h"
#include "loader/LoadFirmwareFile.h"
#include "loader/LoaderCommandLine.h"
#include "loader/ProgramVersion.h"
#include "tests/loader_ui/FirmwareFiles.h"
#include "tests/support/MessageBoxRecorder.h"

#include <string>
#include <vector>

using loader_ui_testing::QvzContent;
using loader_ui_testing::WriteQvz;
using testing_support::MessageBoxRecorder;

namespace {

struct Parsed {
    LoaderCommandLine::Outcome outcome;
    LoaderCommandLine commandLine;
    ProgrammingSettings settings;
};

Parsed Parse(const char* arguments)
{
    Parsed parsed;
    parsed.outcome = parsed.commandLine.Parse(LoaderCommandLine::Split(arguments), parsed.settings);
    return parsed;
}

TEST(LoaderCommandLineSplit, BreaksAtBlanksOutsideQuotesAndTrimsQuotes)
{
    const std::vector<CString> words = LoaderCommandLine::Split("  -p3 \"Z:\\my files\\x.qvz\"\t-f\"Z:\\a b.qvz\"  ");
    ASSERT_EQ(words.size(), 3u);
    EXPECT_STREQ(words[0], "-p3");
    EXPECT_STREQ(words[1], "Z:\\my files\\x.qvz");
    // Only the trailing quote goes with the word; the switch strips the leading one.
    EXPECT_STREQ(words[2], "-f\"Z:\\a b.qvz");
    EXPECT_TRUE(LoaderCommandLine::Split("").empty());
    EXPECT_TRUE(LoaderCommandLine::Split(nullptr).empty());
}

TEST(LoaderCommandLine, FileAndPortSwitchesSkipTheirPages)
{
    Parsed parsed = Parse("-fC:\\fw\\x.qvz -p3");
    EXPECT_EQ(parsed.outcome, LoaderCommandLine::Proceed);
    EXPECT_STREQ(parsed.settings.firmwarePath, "C:\\fw\\x.qvz");
    EXPECT_EQ(parsed.settings.comPort, 3);
    EXPECT_FALSE(parsed.commandLine.WantsIntroPages());
    EXPECT_FALSE(parsed.commandLine.WantsFilePage());
    EXPECT_FALSE(parsed.commandLine.WantsPortPage());

    Parsed portOnly = Parse("-p4");
    EXPECT_FALSE(portOnly.commandLine.WantsIntroPages());
    EXPECT_TRUE(portOnly.commandLine.WantsFilePage());
    EXPECT_FALSE(portOnly.commandLine.WantsPortPage());

    Parsed quoted = Parse("\"-f  Z:\\x y.qvz\"");
    EXPECT_STREQ(quoted.settings.firmwarePath, "Z:\\x y.qvz") << "leading blanks of the path are skipped";
    EXPECT_FALSE(quoted.commandLine.WantsIntroPages());
    EXPECT_FALSE(quoted.commandLine.WantsFilePage());
    EXPECT_TRUE(quoted.commandLine.WantsPortPage());

    Parsed quotedPath = Parse("-f\"Z:\\a b.qvz\"");
    EXPECT_STREQ(quotedPath.settings.firmwarePath, "Z:\\a b.qvz");
}

TEST(LoaderCommandLine, SwitchLettersInBothCasesAndBothLeads)
{
    for (const char* argument : {"-p3", "-P3", "/p3", "/P3"}) {
        Parsed parsed = Parse(argument);
        EXPECT_EQ(parsed.outcome, LoaderCommandLine::Proceed) << argument;
        EXPECT_EQ(parsed.settings.comPort, 3) << argument;
        EXPECT_TRUE(parsed.commandLine.m_portGiven) << argument;
    }
    for (const char* argument : {"-a5", "-A5", "/a5", "/A5"}) {
        Parsed parsed = Parse(argument);
        EXPECT_EQ(parsed.outcome, LoaderCommandLine::Proceed) << argument;
        EXPECT_EQ(parsed.settings.passThroughAddress, 5) << argument;
    }
    Parsed upperFile = Parse("/FZ:\\fw.qvz");
    EXPECT_STREQ(upperFile.settings.firmwarePath, "Z:\\fw.qvz");
    EXPECT_TRUE(upperFile.commandLine.m_fileGiven);
}

TEST(LoaderCommandLine, VerbosityCountsEveryV)
{
    Parsed parsed = Parse("-v -p2 -v");
    EXPECT_EQ(parsed.outcome, LoaderCommandLine::Proceed);
    EXPECT_EQ(parsed.commandLine.m_verbosity, 2);
    EXPECT_EQ(Parse("").commandLine.m_verbosity, 0);
}

TEST(LoaderCommandLine, AddressMustBeOneAControllerAnswersAt)
{
    EXPECT_EQ(Parse("-a0").outcome, LoaderCommandLine::InvalidAddress);
    EXPECT_EQ(Parse("-a").outcome, LoaderCommandLine::InvalidAddress);
    EXPECT_EQ(Parse("-ax").outcome, LoaderCommandLine::InvalidAddress);
    EXPECT_EQ(Parse("-a-3").outcome, LoaderCommandLine::InvalidAddress);
    EXPECT_EQ(Parse("-a1").outcome, LoaderCommandLine::Proceed);
    EXPECT_EQ(Parse("-a247").settings.passThroughAddress, 247);
    // Cut to the request's byte these would reach 0 (broadcast), 1 and 248.
    for (const char* argument : {"-a248", "-a256", "-a257", "-a504", "-a4294967296", "-a99999999999999999999"}) {
        const Parsed parsed = Parse(argument);
        EXPECT_EQ(parsed.outcome, LoaderCommandLine::AddressOutOfRange) << argument;
        EXPECT_EQ(parsed.settings.passThroughAddress, 0) << argument;
    }
}

TEST(LoaderCommandLine, AttentionResponseCountIsAWholeNumberAboveZero)
{
    Parsed two = Parse("--num-attention-resp=2");
    EXPECT_EQ(two.outcome, LoaderCommandLine::Proceed);
    EXPECT_EQ(two.settings.attentionResponseCount, 2);
    EXPECT_EQ(Parse("").settings.attentionResponseCount, 1) << "default";
    for (const char* argument : {"--num-attention-resp=0", "--num-attention-resp=2x", "--num-attention-resp=",
                                 "--num-attention-resp=-1", "--num-attention-resp= 3",
                                 "--num-attention-resp=99999999999"}) {
        EXPECT_EQ(Parse(argument).outcome, LoaderCommandLine::InvalidCount) << argument;
    }
}

TEST(LoaderCommandLine, HelpUnknownArgumentsAndExistingFiles)
{
    EXPECT_EQ(Parse("-h").outcome, LoaderCommandLine::ShowUsage);
    EXPECT_EQ(Parse("-p3 --help -a0").outcome, LoaderCommandLine::ShowUsage) << "the first ending argument wins";

    Parsed unknown = Parse("-p3 -x -h");
    EXPECT_EQ(unknown.outcome, LoaderCommandLine::UnknownArgument);
    EXPECT_STREQ(unknown.commandLine.m_unknownArgument, "-x");
    // Unix paths read as switches; a missing Windows path is an unknown argument.
    EXPECT_EQ(Parse("/tmp/x.qvz").outcome, LoaderCommandLine::UnknownArgument);
    EXPECT_EQ(Parse("Z:\\no\\such\\file.qvz").outcome, LoaderCommandLine::UnknownArgument);

    const std::string path = WriteQvz("cmdline_existing.qvz", QvzContent());
    ASSERT_FALSE(path.empty());
    Parsed existing = Parse(("\"" + path + "\"").c_str());
    EXPECT_EQ(existing.outcome, LoaderCommandLine::Proceed);
    EXPECT_TRUE(existing.commandLine.WantsIntroPages());
    EXPECT_TRUE(existing.commandLine.WantsFilePage());
    EXPECT_TRUE(existing.commandLine.WantsPortPage());
    EXPECT_STREQ(existing.settings.firmwarePath, "") << "the framework's parse names the file, not this one";
}

TEST(LoaderCommandLine, UsageTextLines)
{
    const std::string usage = static_cast<const char*>(LoaderCommandLine::UsageText());
    EXPECT_EQ(usage.find("Usage:\n Tolmera <options>\nWhere <options> can be any of:\n"), 0u);
    EXPECT_NE(usage.find("\n --num-attention-resp=<n> wait for N attention response bytes from\n"), std::string::npos);
    EXPECT_NE(usage.find("\n -a<Modbus addr>          Modbus address of control to put in pass-\n"
                         "                          through mode (to load code to a meter)\n"),
              std::string::npos);
    const std::string lastLine = " -v                       show debugging information";
    ASSERT_GT(usage.size(), lastLine.size());
    EXPECT_EQ(usage.substr(usage.size() - lastLine.size()), lastLine);
    size_t lines = 1;
    for (char c : usage)
        lines += c == '\n' ? 1 : 0;
    EXPECT_EQ(lines, 12u);
}

TEST(ProgrammingEstimate, RoundsUpWholeMinutesAndPluralises)
{
    EXPECT_EQ(CWizConnect::EstimateMinutes(1000, true), 2);
    EXPECT_EQ(CWizConnect::EstimateMinutes(1000, false), 1);
    EXPECT_EQ(CWizConnect::EstimateMinutes(2460, false), 1) << "exactly one minute at 41 records a second";
    EXPECT_EQ(CWizConnect::EstimateMinutes(2461, false), 2);
    EXPECT_EQ(CWizConnect::EstimateMinutes(0, false), 0);
    EXPECT_STREQ(CWizConnect::EstimateText(1000, true), "This will take approximately 2 minutes.");
    EXPECT_STREQ(CWizConnect::EstimateText(1000, false), "This will take approximately 1 minute.");
}

TEST(ProgramVersion, ShowsMajorMinorAndBuildOfTheFileVersion)
{
    EXPECT_STREQ(ReadProgramVersion(), "2.7.13");
}

class LoadFirmwareFileTest : public ::testing::Test {
protected:
    void SetUp() override { MessageBoxRecorder::Instance().Clear(); }
    void TearDown() override { MessageBoxRecorder::Instance().Clear(); }
};

TEST_F(LoadFirmwareFileTest, LoadsHeaderRecordsAndProductId)
{
    QvzContent content;
    content.productId = 7;
    content.records = 5;
    const std::string path = WriteQvz("load_vxm2.qvz", content);
    ProgrammingSettings settings;
    ASSERT_TRUE(LoadFirmwareFile(path.c_str(), settings));
    EXPECT_EQ(MessageBoxRecorder::Instance().Count(), 0u);
    EXPECT_EQ(settings.productId, 7);
    EXPECT_EQ(settings.records.size(), 5u);
    EXPECT_STREQ(settings.headerText, "Quorvant test firmware\nbuild 7");
    EXPECT_STREQ(settings.firmwarePath, "") << "the caller keeps the path";
}

TEST_F(LoadFirmwareFileTest, MissingFileShowsTheOpenBox)
{
    const std::string path = loader_ui_testing::QvzPath("no_such_file.qvz");
    ProgrammingSettings settings;
    EXPECT_FALSE(LoadFirmwareFile(path.c_str(), settings));
    const auto boxes = MessageBoxRecorder::Instance().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.find("Unable to open file '" + path + "'.\n("), 0u) << boxes[0].text;
    EXPECT_GT(boxes[0].text.size(), std::string("Unable to open file '" + path + "'.\n()").size()) << "a reason";
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(LoadFirmwareFileTest, EmptyAndDamagedFilesShowTheLoadBoxAndKeepNoRecords)
{
    QvzContent empty;
    empty.records = 0;
    const std::string emptyPath = WriteQvz("load_empty.qvz", empty);
    ProgrammingSettings settings;
    EXPECT_FALSE(LoadFirmwareFile(emptyPath.c_str(), settings));

    QvzContent damaged;
    damaged.corruptLastCrc = true;
    const std::string damagedPath = WriteQvz("load_damaged.qvz", damaged);
    EXPECT_FALSE(LoadFirmwareFile(damagedPath.c_str(), settings));
    EXPECT_TRUE(settings.records.empty()) << "the records read before the bad one are dropped";

    const auto boxes = MessageBoxRecorder::Instance().Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Unable to load file '" + emptyPath + "'.\n()");
    EXPECT_EQ(boxes[1].text, "Unable to load file '" + damagedPath + "'.\n(invalid record checksum)");
}

} // namespace
