// The program folder (where devices.xml lies) and the folder for downloaded device logs.
// The application object keeps one and answers with it; device documents need these paths
// long before any window exists.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

class CProgramFolders
{
public:
    // The folder of the program named by the first word of a command line; "." when there
    // is none. The folder never ends with a backslash.
    static std::wstring ProgramFolderFromCommandLine(const std::wstring& commandLine);

    // The folder of a program file's full path; "." when it has none.
    static std::wstring ProgramFolderFromModulePath(const std::wstring& modulePath);

    // Done once at start-up, from the program's own file name.
    void SetProgramFolderFromProcess();
    void SetProgramFolder(const std::wstring& folder) { m_programFolder = folder; }

    std::wstring GetProgramFolder() const { return m_programFolder; }
    std::wstring GetDevicesXmlPath() const;
    // Below the user's local application data; the program folder's "logs" when that folder
    // cannot be found. Never fails; the folder is not created here.
    std::wstring GetLogFolder() const;
    // The same with the shell library given, so that a system without the known-folder
    // lookup can be tried.
    std::wstring GetLogFolderUsing(const std::wstring& shellLibraryPath) const;

private:
    std::wstring m_programFolder;
};

// The process-wide folders; the program folder is taken from the process's command line
// at first use.
CProgramFolders& GetProgramFolders();
