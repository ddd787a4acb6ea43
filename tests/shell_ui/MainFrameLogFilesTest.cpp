// The log-file commands of the main frame: a log opens once and closes with its device or
// the command, and logs downloaded together open in turns.
#include <gtest/gtest.h>

#include "tests/shell_ui/MainFrameFixture.h"

#include "displays/CDocumentDisplay.h"
#include "displays/DisplayMessages.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentDevicePC.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageConnectionInfo.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/GenericDevices.h"
#include "documents/IDeviceWithEmbeddedLogging.h"
#include "documents/PollThread_t.h"
#include "documents/RegistryHelpers.h"
#include "documents/TextHelpers.h"
#include "shell/DeviceSearchSettings.h"
#include "documents/workspace/CDocumentWorkspace.h"
#include "framework/CCmdUI.h"
#include "framework/CCommandLineInfo.h"
#include "framework/CHandleMap.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CMenu.h"
#include "framework/CView.h"
#include "framework/MessageBoxHook.h"
#include "framework/FrameworkIds.h"
#include "res/pyraxis_relay_resource.h"
#include "res/pyraxis_resource.h"
#include "shell/CMainFrame.h"
#include "shell/CMultiDocTemplateEx.h"
#include "shell/CTabDeviceView.h"
#include "shell/CTabLogFileView.h"
#include "shell/CVarnixViewApp.h"
#include "shell/CViewEx.h"
#include "shell/ProgramFolders.h"
#include "shell/ShellCommands.h"
#include "tests/support/DialogUser.h"
#include "tests/shell_ui/ShellTestResources.h"
#include "tests/support/FileText.h"
#include "tests/support/HelpTopics.h"
#include "tests/support/IdleCountingWnd.h"
#include "tests/support/KeyPress.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PeerHost.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"
#include "tests/support/ThreadStartCount.h"
#include "tests/support/UiScript.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using testing_support::PollUntil;
using namespace main_frame_test;

TEST_F(MainFrame, LogFilesOpenOnceAndCloseWithTheirDeviceOrTheCommand)
{
    const std::string folder = testing_support::BuildPath("tests/shell_ui/frame-logs");
    ASSERT_TRUE(testing_support::EnsureDirectory(folder));
    const std::string path = folder + "\\day.csv";
    ASSERT_TRUE(testing_support::WriteFileText(
        path, "\"time (UTC)\",\"Battery Voltage\"\n\"2024-05-01T12:00:00.000+00:00\",\"12.5\"\n"));

    m_frame->OpenLogFile(Widen(path), 7);
    CTabLogFileView* tree = m_frame->GetLogFileTree();
    EXPECT_EQ((std::vector<std::string>{"day.csv"}), TreeTexts(*tree, TVI_ROOT));
    EXPECT_EQ((std::vector<std::string>{"Battery Voltage"}), TreeTexts(*tree, tree->GetTreeCtrl().GetRootItem()));
    try {
        m_frame->OpenLogFile(Widen(path), -1);
        ADD_FAILURE() << "opened twice";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("that log file is already open", error.what());
    }
    try {
        m_frame->OpenLogFile(Widen(folder + "\\missing.csv"), -1);
        ADD_FAILURE() << "opened a missing file";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(0u, std::string(error.what()).find("unable to open log file \"" + folder + "\\missing.csv\": "));
    }

    // Close on the Log Files tab while the Devices tab is active does nothing.
    tree->GetTreeCtrl().SelectItem(tree->GetTreeCtrl().GetRootItem());
    Command(ID_LOGFILE_CLOSE);
    EXPECT_EQ(1u, TreeTexts(*tree, TVI_ROOT).size());
    m_frame->GetEdgeBar().SetActiveView(RUNTIME_CLASS(CTabLogFileView));
    Command(ID_LOGFILE_CLOSE);
    EXPECT_TRUE(TreeTexts(*tree, TVI_ROOT).empty());

    // A device's downloaded log closes when that device disconnects (refresh 8).
    m_frame->OpenLogFile(Widen(path), 7);
    EXPECT_EQ(1u, TreeTexts(*tree, TVI_ROOT).size());
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_DISCONNECTED, 3);
    EXPECT_EQ(1u, TreeTexts(*tree, TVI_ROOT).size());
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_DISCONNECTED, 7);
    EXPECT_TRUE(TreeTexts(*tree, TVI_ROOT).empty());

    // The first downloaded log is announced once, as information under its own caption.
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_DEVICE_LOG_DOWNLOADED, 1);
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("Information: New Device Log File", Recorder().Boxes()[0].caption);
    EXPECT_EQ("The device you connected had some long-term logged data stored on it.\n"
              "The data has been automatically downloaded, and is available in the\n"
              "\"Log Files\" tab on the left.\n\n"
              "Any time you connect to a device that supports logged data, the data\n"
              "will be downloaded and appended to the existing log file.\n\n"
              "(This message is only shown the first time logged data is downloaded.)",
              Recorder().Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), Recorder().Boxes()[0].type & MB_ICONMASK);
    ::DeleteFileA(path.c_str());
}

// The logs of many devices come down together as they connect: they are read in turns on
// the log opener's thread, so a command posted or a repaint asked for meanwhile comes
// before they are all open and the window's thread starts no thread for them (a log's
// monitor); one whose device disconnected before its turn is not opened.
TEST_F(MainFrame, DownloadedLogsOpenInTurnsSoCommandsAndRepaintsComeBetween)
{
    const int kDevices = 12;
    std::vector<CDocumentDeviceGeneric1Ptr> devices;
    std::vector<std::wstring> paths;
    for (int added = 0; added < kDevices; ++added) {
        devices.push_back(AddVarnix());
        devices.back()->SetSerialText("S" + std::to_string(added));
        std::wstring folder;
        paths.push_back(devices.back()->GetEmbeddedLogFilePath(folder));
        ASSERT_TRUE(testing_support::EnsureDirectory(std::string(folder.begin(), folder.end())));
        ASSERT_TRUE(testing_support::WriteFileText(
            std::string(paths.back().begin(), paths.back().end()),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\n<quorvant>\n"
            "  <loggeddata version=\"1\" model=\"10\" type=\"2\" set=\"1\">\n  </loggeddata>\n</quorvant>\n"));
    }
    testing_support::ThreadStartCount starts;
    ASSERT_TRUE(starts.Installed());
    for (const CDocumentDeviceGeneric1Ptr& device : devices)
        m_frame->PostMessage(WM_APP_REFRESH_EVENT, REFRESH_OPEN_DEVICE_LOG, device->GetId());
    m_frame->PostMessage(WM_APP_REFRESH_EVENT, REFRESH_DISCONNECTED, devices.back()->GetId());
    const bool shown = (m_frame->GetEdgeBar().GetStyle() & WS_VISIBLE) != 0;
    m_frame->PostMessage(WM_COMMAND, ID_VIEW_EDGEBAR, 0);
    const auto openLogs = [&] {
        size_t open = 0;
        for (const std::wstring& path : paths)
            open += m_manager->IsLogFileOpen(path) ? 1 : 0;
        return open;
    };
    ASSERT_TRUE(RunUntilTheEdgeBarToggles(shown));
    EXPECT_LE(openLogs(), 1u);
    // A repaint asked for meanwhile comes before the rest too.
    ASSERT_TRUE(RunUntilRepainted());
    EXPECT_LT(openLogs(), static_cast<size_t>(kDevices - 1));
    ASSERT_TRUE(PollUntil(
        [&] {
            Pump();
            return openLogs() == static_cast<size_t>(kDevices - 1);
        },
        kWaitMs))
        << openLogs() << " open; " << (Recorder().Count() ? Recorder().Boxes()[0].text : "no box");
    Pump();
    EXPECT_EQ(static_cast<size_t>(kDevices - 1), openLogs());
    EXPECT_FALSE(m_manager->IsLogFileOpen(paths.back()));
    EXPECT_EQ(0u, Recorder().Count()) << (Recorder().Count() ? Recorder().Boxes()[0].text : "");
    EXPECT_EQ(0, starts.Count()) << "threads the window's thread started while the logs opened";

    // One whose device disconnects after it was opened, before the window took it, is let
    // go unlisted.
    const CDocumentDeviceGeneric1Ptr late = devices.back();
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_OPEN_DEVICE_LOG, late->GetId());
    MSG msg;
    const bool opened = PollUntil(
        [&] {
            // Only the turn's timer runs: the opened log stays in the queue.
            while (::PeekMessageA(&msg, m_frameHandle, WM_TIMER, WM_TIMER, PM_REMOVE))
                ::DispatchMessageA(&msg);
            return ::PeekMessageA(&msg, m_frameHandle, WM_APP_DEVICE_LOG_OPENED, WM_APP_DEVICE_LOG_OPENED,
                                  PM_NOREMOVE) != FALSE;
        },
        kWaitMs);
    ASSERT_TRUE(opened);
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_DISCONNECTED, late->GetId());
    Pump();
    EXPECT_FALSE(m_manager->IsLogFileOpen(paths.back()));
    EXPECT_EQ(static_cast<size_t>(kDevices - 1), openLogs());
    EXPECT_EQ(0u, Recorder().Count()) << (Recorder().Count() ? Recorder().Boxes()[0].text : "");
    for (const std::wstring& path : paths)
        ::DeleteFileW(path.c_str());
}
