// Tolmera's own switches, read from the raw command line into the settings record. The
// parse shows no boxes: the application shows them from the outcome.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "loader/ProgrammingSettings.h"

#include <vector>

class LoaderCommandLine
{
public:
    enum Outcome
    {
        Proceed,            // run the wizard
        ShowUsage,          // -h or --help
        InvalidAddress,     // -a without a number above zero
        AddressOutOfRange,  // -a with a number no controller answers at (above 247)
        InvalidCount,       // --num-attention-resp= without a whole number above zero
        UnknownArgument     // m_unknownArgument holds it; the usage follows its box
    };

    // Splits at blanks outside double quotes; each word is trimmed of white space, then
    // of leading and trailing double quotes. Empty words are dropped.
    static std::vector<CString> Split(LPCTSTR commandLine);

    // Reads the arguments (without the program's own name) in order into the settings;
    // stops at the first one that ends the program.
    Outcome Parse(const std::vector<CString>& arguments, ProgrammingSettings& settings);

    // Which optional pages the wizard gets; the connect page is always there.
    bool WantsIntroPages() const { return !m_fileGiven && !m_portGiven; }
    bool WantsFilePage() const { return !m_fileGiven; }
    bool WantsPortPage() const { return !m_portGiven; }

    static CString UsageText();

    int m_verbosity = 0;
    bool m_fileGiven = false;
    bool m_portGiven = false;
    CString m_unknownArgument;

private:
    static bool NamesReadableFile(const CString& path);
    // A whole decimal number above zero with nothing after it; false otherwise.
    static bool ParsePositiveNumber(const CString& text, int& value);
};
