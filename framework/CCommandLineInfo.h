// What the program's command line asks for, as CWinApp::ParseCommandLine reads it:
// flags ("/x" or "-x") and parameters, the first parameter being a file to open.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

class CCommandLineInfo
{
public:
    enum ShellCommand
    {
        FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1
    };

    CCommandLineInfo() = default;
    virtual ~CCommandLineInfo() = default;

    // One word of the command line; bFlag when it started with '/' or '-' (removed).
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    ShellCommand m_nShellCommand = FileNew;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;

private:
    void ParseParamFlag(const char* pszParam);
    void ParseParamNotFlag(const char* pszParam);
    void ParseLast(BOOL bLast);
};
