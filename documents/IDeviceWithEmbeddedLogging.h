// A device that keeps a log in its own memory and names the file it is downloaded to.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

class IDeviceWithEmbeddedLogging
{
public:
    virtual ~IDeviceWithEmbeddedLogging() {}
    // The name of the first record variable with that id; "unknown" when none has it.
    virtual std::string GetLoggedVariableName(int variableId) = 0;
    // logs folder + "\" + default name + "-" + serial text + "." + extension; the folder is
    // returned through the argument.
    virtual std::wstring GetEmbeddedLogFilePath(std::wstring& logsFolder) = 0;
    virtual std::wstring GetEmbeddedLogFileExtension() = 0;
};
