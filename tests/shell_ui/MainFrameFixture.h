// The main frame as the program builds it, shown on the display, with a device list of
// its own; the test device on loopback TCP when a case starts it. Shared by the main
// frame's test files.
#pragma once

#include <gtest/gtest.h>

#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "framework/CCmdUI.h"
#include "shell/CMainFrame.h"
#include "shell/CTreeViewEx.h"
#include "shell/CVarnixViewApp.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PeerHost.h"

#include <string>
#include <vector>

namespace main_frame_test
{
const DWORD kWaitMs = 20000;

testing_support::MessageBoxRecorder& Recorder();
std::wstring Widen(const std::string& text);

// Answers whether a command is enabled, as the menu would show it.
class EnableProbe : public CCmdUI
{
public:
    void Enable(BOOL on) override
    {
        m_enabled = on != FALSE;
        m_bEnableChanged = TRUE;
    }
    bool m_enabled = true;
};

// The page the visible wizard shows when it holds the control, else null; the sheet too.
HWND WizardPageWith(int controlId, HWND& sheet);
std::vector<std::string> TreeTexts(CTreeViewEx& tree, HTREEITEM parent);

class MainFrame : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void Pump();

    // Takes one message at a time, as the program's loop does, until the posted View > Edge
    // Bar (the bar shown when the test posted it) took effect; false when it never did.
    bool RunUntilTheEdgeBarToggles(bool shown);

    // Asks for a repaint of the frame's display area and takes one message at a time, as
    // the program's loop does, until it is painted; false when it never was.
    bool RunUntilRepainted();

    bool Enabled(UINT command);
    void Command(UINT command);

    CDocumentDeviceGeneric1Ptr AddDeviceOfTheFile(BYTE model, BYTE type);
    CDocumentDeviceGeneric1Ptr AddVarnix() { return AddDeviceOfTheFile(10, 2); }

    // Selects the tree item of the document's node in the devices tree.
    bool SelectDeviceNode(int deviceId);

    std::string Shot(const std::string& name);

    // The test device on loopback TCP as devices of devices.xml, units 1 to `units` (the
    // serial's last letter tells the later ones apart); each leaves its register reads
    // unanswered while the file SilenceSwitch() exists.
    void StartTestDevice(const std::string& name, const std::string& serial, int units = 1,
                         const std::string& moreFaults = "");
    std::string SilenceSwitch() const { return m_journalPath.substr(0, m_journalPath.find_last_of("\\/")) + "\\silent"; }
    void StartVarnix() { StartTestDevice("Varnix", "MF2024"); }

    // A device of the file, added, shown in the tree and connected to the test device.
    CDocumentDeviceGeneric1Ptr ConnectDeviceOfTheFile(BYTE model, BYTE type);

    // The top-level item of a tree whose data names the document.
    static HTREEITEM DocumentNode(CTreeViewEx& tree, int documentId);

    CVarnixViewApp m_app;
    CMainFrame* m_frame = nullptr;
    HWND m_frameHandle = nullptr;
    CDocumentManager* m_manager = nullptr;
    testing_support::PeerHost m_host;
    int m_testDevice = 0;
    int m_tcpPort = 0;
    std::string m_journalPath;
    std::wstring m_logPath;
    std::wstring m_savedFolder;
};
} // namespace main_frame_test
