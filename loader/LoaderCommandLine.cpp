#include "loader/LoaderCommandLine.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

const char kAttentionSwitch[] = "--num-attention-resp=";

bool IsSwitchLead(char c)
{
    return c == '-' || c == '/';
}

} // namespace

std::vector<CString> LoaderCommandLine::Split(LPCTSTR commandLine)
{
    std::vector<CString> words;
    if (commandLine == nullptr)
        return words;
    CString word;
    bool inQuotes = false;
    for (const char* p = commandLine;; ++p) {
        const bool end = *p == '\0';
        if (end || ((*p == ' ' || *p == '\t') && !inQuotes)) {
            word.Trim();
            word.Trim('"');
            if (!word.IsEmpty())
                words.push_back(word);
            word.Empty();
            if (end)
                break;
            continue;
        }
        if (*p == '"')
            inQuotes = !inQuotes;
        word += *p;
    }
    return words;
}

LoaderCommandLine::Outcome LoaderCommandLine::Parse(const std::vector<CString>& arguments,
                                                    ProgrammingSettings& settings)
{
    for (const CString& argument : arguments) {
        if (argument == "-h" || argument == "--help")
            return ShowUsage;
        if (argument == "-v") {
            ++m_verbosity;
            continue;
        }
        const char lead = argument.GetLength() >= 2 ? argument[0] : '\0';
        const char letter = argument.GetLength() >= 2 ? static_cast<char>(tolower(argument[1])) : '\0';
        if (IsSwitchLead(lead) && letter == 'f') {
            CString path = argument.Mid(2);
            // A quoted path after the switch letter keeps its quotes through the split.
            path.Trim();
            path.Trim('"');
            settings.firmwarePath = path;
            m_fileGiven = true;
            continue;
        }
        if (IsSwitchLead(lead) && letter == 'p') {
            settings.comPort = atoi(argument.Mid(2));
            m_portGiven = true;
            continue;
        }
        if (IsSwitchLead(lead) && letter == 'a') {
            // Read wide so that no number wraps round into range; the request carries one
            // byte, and -a256 would otherwise reach the broadcast address 0.
            const long long address = strtoll(argument.Mid(2), nullptr, 10);
            // The box promises a number above zero: a negative one is refused as well.
            if (address <= 0)
                return InvalidAddress;
            if (address > ProgrammingSettings::HighestControllerAddress)
                return AddressOutOfRange;
            settings.passThroughAddress = static_cast<int>(address);
            continue;
        }
        if (strncmp(argument, kAttentionSwitch, sizeof kAttentionSwitch - 1) == 0) {
            int count = 0;
            if (!ParsePositiveNumber(argument.Mid(sizeof kAttentionSwitch - 1), count))
                return InvalidCount;
            settings.attentionResponseCount = count;
            continue;
        }
        // The framework's own parse took a bare file name as the firmware path.
        if (NamesReadableFile(argument))
            continue;
        m_unknownArgument = argument;
        return UnknownArgument;
    }
    return Proceed;
}

bool LoaderCommandLine::ParsePositiveNumber(const CString& text, int& value)
{
    if (text.IsEmpty())
        return false;
    long long number = 0;
    for (int i = 0; i < text.GetLength(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        number = number * 10 + (text[i] - '0');
        if (number > INT_MAX)
            return false;
    }
    if (number == 0)
        return false;
    value = static_cast<int>(number);
    return true;
}

bool LoaderCommandLine::NamesReadableFile(const CString& path)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

CString LoaderCommandLine::UsageText()
{
    return "Usage:\n"
           " Tolmera <options>\n"
           "Where <options> can be any of:\n"
           " -h | --help              show this message\n"
           " -f<filename>             firmware file to load\n"
           " -p<com port>             COM port number to open\n"
           " -a<Modbus addr>          Modbus address of control to put in pass-\n"
           "                          through mode (to load code to a meter)\n"
           " --num-attention-resp=<n> wait for N attention response bytes from\n"
           "                          the control before starting programming\n"
           "                          (work-around for beta hardware)\n"
           " -v                       show debugging information";
}
