// The program's command line: its words, the switches that decide how it starts, the
// usage box's text and the help file's path.
#include <gtest/gtest.h>

#include "shell/CommandLine.h"

#include <string>
#include <vector>

namespace
{
std::vector<std::wstring> Trimmed(const std::wstring& commandLine)
{
    std::vector<std::wstring> words = SplitCommandLineWords(commandLine);
    for (std::wstring& word : words)
        word = TrimCommandLineWord(word);
    return words;
}
EStartSwitch StartOf(const std::wstring& commandLine)
{
    return FindStartSwitch(Trimmed(commandLine));
}
} // namespace

TEST(CommandLine, WordsEndAtBlanksOutsideQuotesAndKeepTheirQuotesUntilTrimmed)
{
    EXPECT_EQ((std::vector<std::wstring>{L"\"C:\\Program Files\\Pyraxis\\pyraxis.exe\"", L"-h"}),
              SplitCommandLineWords(L"\"C:\\Program Files\\Pyraxis\\pyraxis.exe\" -h"));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"", L"b"}), SplitCommandLineWords(L"a  b"));
    EXPECT_EQ((std::vector<std::wstring>{L"pyraxis.exe"}), SplitCommandLineWords(L"pyraxis.exe"));
    EXPECT_EQ(L"C:\\Program Files\\Pyraxis\\pyraxis.exe",
              TrimCommandLineWord(L"\t\"C:\\Program Files\\Pyraxis\\pyraxis.exe\" "));
    EXPECT_EQ(L"", TrimCommandLineWord(L" \"\" "));
}

TEST(CommandLine, TheFirstSwitchAfterTheProgramDecidesWithoutRegardToCase)
{
    EXPECT_EQ(START_NORMAL, StartOf(L"pyraxis.exe"));
    EXPECT_EQ(START_NORMAL, StartOf(L"pyraxis.exe C:\\sites\\barn.pxs"));
    // The program's own word is never a switch.
    EXPECT_EQ(START_NORMAL, StartOf(L"-h"));
    for (const wchar_t* help : {L"-h", L"--help", L"/?", L"/h", L"/help", L"/HELP", L"-H"})
        EXPECT_EQ(START_USAGE, StartOf(std::wstring(L"pyraxis.exe ") + help)) << help;
    EXPECT_EQ(START_RELAY_WIZARD, StartOf(L"pyraxis.exe /relaywiz"));
    EXPECT_EQ(START_VARNIX_WIZARD, StartOf(L"pyraxis.exe /VARNIXWIZ"));
    EXPECT_EQ(START_CORANDEL_DUO_WIZARD, StartOf(L"pyraxis.exe -crduowiz"));
    EXPECT_EQ(START_CORANDEL_MPPT_WIZARD, StartOf(L"pyraxis.exe \"-crmpptwiz\""));
    EXPECT_EQ(START_VARNIX_MPPT_WIZARD, StartOf(L"pyraxis.exe /vxmpptwiz"));
    // The first matching word wins: the wizard, not the usage box.
    EXPECT_EQ(START_VARNIX_WIZARD, StartOf(L"pyraxis.exe -varnixwiz x -h"));
    EXPECT_EQ(START_USAGE, StartOf(L"pyraxis.exe x -h -varnixwiz"));
    // No switch for the HV MPPT wizard, and no partial matches.
    EXPECT_EQ(START_NORMAL, StartOf(L"pyraxis.exe -vxhvmpptwiz -helpme /relay"));
}

TEST(CommandLine, UsageHasSevenLinesNamingTheProgramAsItWasStarted)
{
    const std::wstring text = UsageText(L"C:\\Program Files\\Pyraxis\\pyraxis.exe");
    EXPECT_EQ(L"Usage: C:\\Program Files\\Pyraxis\\pyraxis.exe [<options>]\n"
              L"Where <options> is one of:\n"
              L" -relaywiz    /relaywiz\n"
              L" -varnixwiz  /varnixwiz\n"
              L" -crduowiz    /crduowiz\n"
              L" -crmpptwiz   /crmpptwiz\n"
              L" -vxmpptwiz   /vxmpptwiz\n",
              text);
}

TEST(CommandLine, AnHlpHelpPathBecomesAChmPathInAnyCase)
{
    EXPECT_EQ("C:\\Pyraxis\\PYRAXIS.chm", HelpPathForHtmlHelp("C:\\Pyraxis\\PYRAXIS.HLP"));
    EXPECT_EQ("C:\\Pyraxis\\pyraxis.chm", HelpPathForHtmlHelp("C:\\Pyraxis\\pyraxis.hlp"));
    EXPECT_EQ("C:\\Pyraxis\\pyraxis.chm", HelpPathForHtmlHelp("C:\\Pyraxis\\pyraxis.chm"));
    EXPECT_EQ("HLP", HelpPathForHtmlHelp("HLP"));
}
