// The program's shell in the test's process, as the application object builds it: the
// document manager with the display templates, the workspace template and the main frame,
// shown at 900 x 600, with devices.xml from a folder of the test's choosing.
#pragma once
#include "documents/CDocumentDeviceGeneric1.h"
#include "shell/CVarnixViewApp.h"

#include <string>

class CMainFrame;
class CDocumentManager;

namespace shell_test
{
class ShellFrame
{
public:
    // Builds the shell; false when the frame could not be made.
    bool Open(const std::string& programFolder);
    // Closes every document and the frame; the program folder is put back.
    void Close();

    // A generic device of devices.xml, added to the workspace.
    CDocumentDeviceGeneric1Ptr AddDevice(BYTE model, BYTE type);

    CVarnixViewApp app;
    CMainFrame* frame = nullptr;
    CDocumentManager* manager = nullptr;

private:
    HWND m_frameHandle = nullptr;
    std::wstring m_savedFolder;
};
} // namespace shell_test
