// Pyraxis' own command line: its words, the help and setup-wizard switches, and the
// usage text.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>
#include <vector>

enum EStartSwitch
{
    START_NORMAL,          // no switch: the whole program
    START_USAGE,           // a help switch
    START_RELAY_WIZARD,
    START_VARNIX_WIZARD,
    START_CORANDEL_DUO_WIZARD,
    START_CORANDEL_MPPT_WIZARD,
    START_VARNIX_MPPT_WIZARD
};

// Words end at a blank outside double quotes; the quotes stay in the word, and blanks
// that follow each other give empty words.
std::vector<std::wstring> SplitCommandLineWords(const std::wstring& commandLine);
// White space, then double quotes, cut from both ends.
std::wstring TrimCommandLineWord(const std::wstring& word);
// The first word after the program's that is a switch decides (without regard to case).
EStartSwitch FindStartSwitch(const std::vector<std::wstring>& trimmedWords);
// The seven lines of the usage box for the program's first word.
std::wstring UsageText(const std::wstring& programWord);
// "x.HLP" (in any case) becomes "x.chm"; other paths stay.
std::string HelpPathForHtmlHelp(const std::string& helpPath);
