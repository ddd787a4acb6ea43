#include "shell/CommandLine.h"

#include <cwctype>

namespace
{
struct SwitchName
{
    const wchar_t* name;
    EStartSwitch start;
};

const SwitchName SWITCHES[] = {
    {L"-h", START_USAGE},
    {L"--help", START_USAGE},
    {L"/?", START_USAGE},
    {L"/h", START_USAGE},
    {L"/help", START_USAGE},
    {L"-relaywiz", START_RELAY_WIZARD},
    {L"/relaywiz", START_RELAY_WIZARD},
    {L"-varnixwiz", START_VARNIX_WIZARD},
    {L"/varnixwiz", START_VARNIX_WIZARD},
    {L"-crduowiz", START_CORANDEL_DUO_WIZARD},
    {L"/crduowiz", START_CORANDEL_DUO_WIZARD},
    {L"-crmpptwiz", START_CORANDEL_MPPT_WIZARD},
    {L"/crmpptwiz", START_CORANDEL_MPPT_WIZARD},
    {L"-vxmpptwiz", START_VARNIX_MPPT_WIZARD},
    {L"/vxmpptwiz", START_VARNIX_MPPT_WIZARD},
};

bool EqualNoCase(const std::wstring& left, const wchar_t* right)
{
    size_t index = 0;
    for (; index < left.size() && right[index] != L'\0'; ++index)
        if (std::towlower(left[index]) != std::towlower(right[index]))
            return false;
    return index == left.size() && right[index] == L'\0';
}
} // namespace

std::vector<std::wstring> SplitCommandLineWords(const std::wstring& commandLine)
{
    std::vector<std::wstring> words;
    std::wstring word;
    bool insideQuotes = false;
    for (wchar_t character : commandLine) {
        if (character == L' ' && !insideQuotes) {
            words.push_back(word);
            word.clear();
            continue;
        }
        if (character == L'"')
            insideQuotes = !insideQuotes;
        word += character;
    }
    words.push_back(word);
    return words;
}

std::wstring TrimCommandLineWord(const std::wstring& word)
{
    size_t first = 0;
    size_t last = word.size();
    while (first < last && std::iswspace(word[first]))
        ++first;
    while (last > first && std::iswspace(word[last - 1]))
        --last;
    while (first < last && word[first] == L'"')
        ++first;
    while (last > first && word[last - 1] == L'"')
        --last;
    return word.substr(first, last - first);
}

EStartSwitch FindStartSwitch(const std::vector<std::wstring>& trimmedWords)
{
    for (size_t index = 1; index < trimmedWords.size(); ++index)
        for (const SwitchName& candidate : SWITCHES)
            if (EqualNoCase(trimmedWords[index], candidate.name))
                return candidate.start;
    return START_NORMAL;
}

std::wstring UsageText(const std::wstring& programWord)
{
    return L"Usage: " + programWord + L" [<options>]\n"
           L"Where <options> is one of:\n"
           L" -relaywiz    /relaywiz\n"
           L" -varnixwiz  /varnixwiz\n"
           L" -crduowiz    /crduowiz\n"
           L" -crmpptwiz   /crmpptwiz\n"
           L" -vxmpptwiz   /vxmpptwiz\n";
}

std::string HelpPathForHtmlHelp(const std::string& helpPath)
{
    if (helpPath.size() < 4)
        return helpPath;
    std::string ending = helpPath.substr(helpPath.size() - 4);
    for (char& c : ending)
        c = static_cast<char>(std::towupper(static_cast<unsigned char>(c)));
    if (ending != ".HLP")
        return helpPath;
    return helpPath.substr(0, helpPath.size() - 3) + "chm";
}
