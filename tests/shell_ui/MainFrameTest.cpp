// The main frame as the program builds it: menus and their update rules, the edge bar
// with its trees, refresh notices, device connect, disconnect, delete, the log-file
// commands, posted commands, Enter on a device, dragging a variable onto a display,
// workspace commands and closing; against a device list of its own and against the test
// device on loopback TCP.
#include <gtest/gtest.h>

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

namespace
{
const DWORD kWaitMs = 20000;

testing_support::MessageBoxRecorder& Recorder()
{
    return testing_support::MessageBoxRecorder::Instance();
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

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

// A display that takes only device variables, in a view of the drop base.
class CFrameTestDisplay : public CDocumentDisplay
{
    DECLARE_DYNCREATE(CFrameTestDisplay)
public:
    bool AcceptsDevice() override { return false; }
};
IMPLEMENT_DYNCREATE(CFrameTestDisplay, CDocumentDisplay)

class CRefusingDisplay : public CDocumentDisplay
{
    DECLARE_DYNCREATE(CRefusingDisplay)
public:
    bool AcceptsVariable() override { return false; }
};
IMPLEMENT_DYNCREATE(CRefusingDisplay, CDocumentDisplay)

// Counts, on the dispatch thread, the poll cycles (time items) and the values of one
// device that reach the displays.
class CValueCountingDisplay : public CDocumentDisplay
{
public:
    bool OnStorage(const CStoragePtr& item) override
    {
        if (item->GetType() == STORAGE_TYPE_TIME)
            ++m_cycles;
        else if (item->GetType() == STORAGE_TYPE_SIMPLE_VALUE && item->GetSourceId() == m_deviceId &&
                 m_cyclesAtFirstValue < 0)
            m_cyclesAtFirstValue = m_cycles.load();
        return CDocumentDisplay::OnStorage(item);
    }
    std::atomic<int> m_deviceId{-1};
    std::atomic<int> m_cycles{0};
    std::atomic<int> m_cyclesAtFirstValue{-1};
};

// Records, on the dispatch thread, every device the displays are told connected, and
// whether a marker item (refresh code kMarkerCode) has come: all items queued before it
// have come then.
const int kMarkerCode = 0x7E57;
class CConnectedRecordingDisplay : public CDocumentDisplay
{
public:
    bool OnStorage(const CStoragePtr& item) override
    {
        const CStorageConnectionInfo* info = dynamic_cast<const CStorageConnectionInfo*>(item.get());
        const CStorageRefreshEvent* refresh = dynamic_cast<const CStorageRefreshEvent*>(item.get());
        std::lock_guard<std::mutex> lock(m_lock);
        if (info != nullptr && info->IsConnected())
            m_connected.push_back(info->GetSourceId());
        if (refresh != nullptr && refresh->GetCode() == REFRESH_CONNECTED)
            m_connected.push_back(refresh->GetId());
        if (refresh != nullptr && refresh->GetCode() == kMarkerCode)
            m_markerSeen = true;
        return CDocumentDisplay::OnStorage(item);
    }
    std::vector<int> Connected()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_connected;
    }
    bool MarkerSeen()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_markerSeen;
    }

private:
    std::mutex m_lock;
    std::vector<int> m_connected;
    bool m_markerSeen = false;
};

// The page the visible wizard shows when it holds the control, else null; the sheet too.
HWND WizardPageWith(int controlId, HWND& sheet)
{
    sheet = testing_support::FindWizardSheet();
    HWND page = testing_support::CurrentPage(sheet);
    return page != nullptr && ::GetDlgItem(page, controlId) != nullptr ? page : nullptr;
}

std::vector<std::string> TreeTexts(CTreeViewEx& tree, HTREEITEM parent)
{
    std::vector<std::string> texts;
    CTreeCtrl& control = tree.GetTreeCtrl();
    for (HTREEITEM item = control.GetChildItem(parent); item != nullptr && texts.size() < 1000;
         item = control.GetNextSiblingItem(item))
        texts.push_back(static_cast<const char*>(control.GetItemText(item)));
    return texts;
}

// A failure box that stays up a while, as a real one does: it handles the window's
// messages until done() and counts how many failure boxes are up at once.
struct LingeringFailureBoxes
{
    static int Handler(HWND owner, const char* text, const char* caption, UINT type)
    {
        const bool failure = std::strstr(text, "unable to open connection") != nullptr;
        up += failure ? 1 : 0;
        mostUp = std::max(mostUp, up);
        if (failure)
            PollUntil([] { testing_support::DispatchPendingMessages(); return done(); }, kWaitMs);
        up -= failure ? 1 : 0;
        return recorder(owner, text, caption, type);
    }
    static MessageBoxHandler recorder;
    static std::function<bool()> done;
    static int up;
    static int mostUp;
};
MessageBoxHandler LingeringFailureBoxes::recorder = nullptr;
std::function<bool()> LingeringFailureBoxes::done;
int LingeringFailureBoxes::up = 0;
int LingeringFailureBoxes::mostUp = 0;

class MainFrame : public testing::Test
{
protected:
    void SetUp() override
    {
        Recorder().Clear();
        m_savedFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(Widen(testing_support::SourcePath("res")));
        m_frame = m_app.CreateShell();
        ASSERT_NE(nullptr, m_frame);
        m_frameHandle = m_frame->GetSafeHwnd();
        m_manager = m_app.GetDocumentManager();
        m_frame->SetWindowPos(nullptr, 0, 0, 900, 600, SWP_NOZORDER);
        m_frame->ShowWindow(SW_SHOW);
        m_frame->UpdateWindow();
        Pump();
    }

    void TearDown() override
    {
        if (m_testDevice)
            m_host.Stop(m_testDevice);
        if (!m_logPath.empty())
            ::DeleteFileW(m_logPath.c_str());
        if (m_manager != nullptr)
            m_manager->CloseAll();
        if (::IsWindow(m_frameHandle))
            ::DestroyWindow(m_frameHandle);
        testing_support::DispatchPendingMessages();
        m_app.m_pMainWnd = nullptr;
        GetProgramFolders().SetProgramFolder(m_savedFolder);
        Recorder().Clear();
    }

    void Pump() { testing_support::DispatchPendingMessages(); }

    // Takes one message at a time, as the program's loop does, until the posted View > Edge
    // Bar (the bar shown when the test posted it) took effect; false when it never did.
    bool RunUntilTheEdgeBarToggles(bool shown)
    {
        CControlBar& bar = m_frame->GetEdgeBar();
        MSG msg;
        for (int taken = 0; ((bar.GetStyle() & WS_VISIBLE) != 0) == shown && taken < 10000 &&
                            ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
             ++taken)
            ::DispatchMessageA(&msg);
        return ((bar.GetStyle() & WS_VISIBLE) != 0) != shown;
    }

    // Asks for a repaint of the frame's display area and takes one message at a time, as
    // the program's loop does, until it is painted; false when it never was.
    bool RunUntilRepainted()
    {
        HWND area = m_frame->m_hWndMDIClient;
        ::InvalidateRect(area, nullptr, TRUE);
        const DWORD start = ::GetTickCount();
        MSG msg;
        for (int taken = 0; ::GetUpdateRect(area, nullptr, FALSE) && taken < 10000 && ::GetTickCount() - start < kWaitMs;
             ++taken) {
            if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageA(&msg);
            else
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return !::GetUpdateRect(area, nullptr, FALSE);
    }

    bool Enabled(UINT command)
    {
        EnableProbe probe;
        probe.m_nID = command;
        probe.DoUpdate(m_frame, TRUE);
        return probe.m_enabled;
    }
    void Command(UINT command)
    {
        m_frame->SendMessage(WM_COMMAND, command, 0);
        Pump();
    }

    CDocumentDeviceGeneric1Ptr AddDeviceOfTheFile(BYTE model, BYTE type)
    {
        CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(model, type, 255, m_manager));
        LoadGenericDevices(GetProgramFolders().GetDevicesXmlPath(), m_manager, model, type, device.get(), nullptr);
        EXPECT_GT(m_manager->AddDevice(device), 0);
        return device;
    }
    CDocumentDeviceGeneric1Ptr AddVarnix() { return AddDeviceOfTheFile(10, 2); }

    // Selects the tree item of the document's node in the devices tree.
    bool SelectDeviceNode(int deviceId)
    {
        CTabDeviceView* tree = m_frame->GetDeviceTree();
        CTreeCtrl& control = tree->GetTreeCtrl();
        for (HTREEITEM item = control.GetRootItem(); item != nullptr; item = control.GetNextSiblingItem(item)) {
            const CTreeItem* data = tree->GetItemData(item);
            if (data != nullptr && data->GetDocumentId() == deviceId && CTreeViewEx::IsDeviceNode(*data))
                return control.SelectItem(item) != FALSE;
        }
        return false;
    }

    std::string Shot(const std::string& name)
    {
        ::RedrawWindow(m_frameHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        Pump();
        return testing_support::Screenshot::OfWindow(m_frameHandle).Save(name);
    }

    // The test device on loopback TCP as devices of devices.xml, units 1 to `units` (the
    // serial's last letter tells the later ones apart); each leaves its register reads
    // unanswered while the file SilenceSwitch() exists.
    void StartTestDevice(const std::string& name, const std::string& serial, int units = 1,
                         const std::string& moreFaults = "")
    {
        std::string profile = "{\"units\": {";
        for (int unit = 1; unit <= units; ++unit)
            profile += std::string(unit > 1 ? ", " : "") + "\"" + std::to_string(unit) + "\": {\"device\": {\"xml\": \"" +
                       testing_support::SourceUnixPath("res/devices.xml") + "\", \"name\": \"" + name +
                       "\", \"serial\": \"" + (unit == 1 ? serial : serial.substr(0, serial.size() - 1) + char('A' + unit)) +
                       "\"}, \"holding\": {\"0x0001\": 4520}, " +
                       "\"identification\": {\"2\": \"3.14\"}, " +
                       "\"faults\": [{\"kind\": \"silence\", \"function\": 3, \"while_file\": \"silent\"}" + moreFaults + "]}";
        const testing_support::StartedTestDevice started = testing_support::StartTestDevice(
            m_host, "tests/shell_ui/frame", profile + "}}", {"--tcp-port", "0"}, 240);
        m_testDevice = started.id;
        m_tcpPort = started.tcpPort;
        m_journalPath = started.journalPath;
        ASSERT_NE(0, started.id) << started.error;
    }
    std::string SilenceSwitch() const { return m_journalPath.substr(0, m_journalPath.find_last_of("\\/")) + "\\silent"; }
    void StartVarnix() { StartTestDevice("Varnix", "MF2024"); }

    // A device of the file, added, shown in the tree and connected to the test device.
    CDocumentDeviceGeneric1Ptr ConnectDeviceOfTheFile(BYTE model, BYTE type)
    {
        const CDocumentDeviceGeneric1Ptr device = AddDeviceOfTheFile(model, type);
        const boost::shared_ptr<CConnectionGeneric1> connection = device->GetGenericConnection();
        connection->SetSerial(false);
        connection->SetHost("127.0.0.1");
        connection->SetTcpPort(m_tcpPort);
        m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, device->GetId());
        EXPECT_TRUE(SelectDeviceNode(device->GetId()));
        Command(ID_DEVICE_CONNECT);
        EXPECT_TRUE(PollUntil([&] { Pump(); return device->IsConnected() && !device->IsBusy(); }, kWaitMs));
        return device;
    }

    // The top-level item of a tree whose data names the document.
    static HTREEITEM DocumentNode(CTreeViewEx& tree, int documentId)
    {
        CTreeCtrl& control = tree.GetTreeCtrl();
        for (HTREEITEM item = control.GetRootItem(); item != nullptr; item = control.GetNextSiblingItem(item)) {
            const CTreeItem* data = tree.GetItemData(item);
            if (data != nullptr && data->GetDocumentId() == documentId)
                return item;
        }
        return nullptr;
    }

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
} // namespace

TEST_F(MainFrame, MenusEdgeBarAndTheUpdateRulesOfADeviceList)
{
    HMENU menu = ::GetMenu(m_frameHandle);
    ASSERT_NE(nullptr, menu);
    std::vector<std::string> popups;
    for (int index = 0; index < ::GetMenuItemCount(menu) && index < 20; ++index) {
        char text[64] = {};
        ::GetMenuStringA(menu, index, text, sizeof text, MF_BYPOSITION);
        popups.push_back(text);
    }
    EXPECT_EQ((std::vector<std::string>{"&File", "&Devices", "Di&splays", "&Tools", "&Help"}), popups);
    EXPECT_EQ(2, m_frame->GetEdgeBar().GetTabCount());
    EXPECT_STREQ("Devices", m_frame->GetEdgeBar().GetViewName(0));
    EXPECT_STREQ("Log Files", m_frame->GetEdgeBar().GetViewName(1));
    EXPECT_EQ(m_frame->GetEdgeBar().GetActiveView(), m_frame->GetDeviceTree());
    EXPECT_TRUE(::IsWindowVisible(m_frame->GetStatusBar().GetSafeHwnd()));
    EXPECT_EQ(m_frameHandle, m_manager->GetDispatcher().GetTargetWindow());

    // Always available: New Display with its three templates and every setup.
    for (UINT command : {ID_DEVICES_SEARCH, ID_DEVICES_MANUAL_CONNECTION, ID_LOGFILE_OPEN, ID_TOOLS_PREFERENCES,
                         ID_WORKSPACE_SAVE, ID_WORKSPACE_SAVE_AS, ID_VIEW_DEVICES_TAB, ID_DISPLAY_NEW,
                         ID_TOOLS_DIP_SWITCH_WIZARD, ID_TOOLS_VARNIX_WIZARD, ID_TOOLS_OSTREL_WIZARD,
                         ID_TOOLS_CORANDEL_DUO_WIZARD, ID_TOOLS_CORANDEL_MPPT_WIZARD, ID_TOOLS_VARNIX_MPPT_WIZARD})
        EXPECT_TRUE(Enabled(command)) << command;
    EXPECT_EQ(3u, m_manager->GetDocTemplates().size());
    // Nothing selected: no device command.
    for (UINT command : {ID_DEVICE_DELETE, ID_DEVICE_CONNECT, ID_DEVICE_DISCONNECT, ID_DEVICE_PROPERTIES,
                         ID_DEVICE_RENAME, ID_DEVICES_CONNECT_ALL})
        EXPECT_FALSE(Enabled(command)) << command;

    // A device of the file, not connected: refresh 1 rebuilds the tree with its variables.
    const CDocumentDeviceGeneric1Ptr device = AddVarnix();
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, 1, device->GetId());
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    const std::vector<std::string> nodes = TreeTexts(*tree, TVI_ROOT);
    ASSERT_EQ(1u, nodes.size());
    EXPECT_EQ("Varnix", nodes[0]);
    HTREEITEM node = tree->GetTreeCtrl().GetRootItem();
    EXPECT_EQ(device->GetVariables().size(), TreeTexts(*tree, node).size());
    ASSERT_TRUE(SelectDeviceNode(device->GetId()));
    EXPECT_TRUE(Enabled(ID_DEVICE_DELETE));
    EXPECT_TRUE(Enabled(ID_DEVICE_CONNECT));
    EXPECT_FALSE(Enabled(ID_DEVICE_DISCONNECT));
    EXPECT_TRUE(Enabled(ID_DEVICE_PROPERTIES));
    EXPECT_TRUE(Enabled(ID_DEVICE_RENAME));
    EXPECT_TRUE(Enabled(ID_DEVICES_CONNECT_ALL));
    // Only the active tab's selection counts.
    m_frame->GetEdgeBar().SetActiveView(RUNTIME_CLASS(CTabLogFileView));
    EXPECT_FALSE(Enabled(ID_DEVICE_DELETE));
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_DEVICES_TAB, 0);
    EXPECT_TRUE(Enabled(ID_DEVICE_DELETE));

    // A variable is no device node.
    tree->GetTreeCtrl().SelectItem(tree->GetTreeCtrl().GetChildItem(node));
    EXPECT_FALSE(Enabled(ID_DEVICE_PROPERTIES));
    ASSERT_TRUE(SelectDeviceNode(device->GetId()));

    // Delete removes it, and the removal's refresh empties the tree.
    Command(ID_DEVICE_DELETE);
    EXPECT_FALSE(m_manager->FindDeviceById(device->GetId()));
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_DEVICE_REMOVED, device->GetId());
    EXPECT_TRUE(TreeTexts(*tree, TVI_ROOT).empty());
    // Codes without a meaning for the frame change nothing.
    for (int code : {0, 6, 7, 11, -1})
        EXPECT_EQ(0, m_frame->SendMessage(WM_APP_REFRESH_EVENT, code, 1));
    EXPECT_EQ(0u, Recorder().Count());

    // The idle work updates the commands through every window after a command, and after
    // a message of that number to another window, but not after a display's update of
    // its values alone; the temporary objects go either way.
    CIdleCountingWnd counter;
    ASSERT_TRUE(counter.Create(nullptr, "idle", WS_CHILD, CRect(0, 0, 1, 1), m_frame, 0x7F00));
    CDocumentDisplayPtr state(dynamic_cast<CDocumentDisplay*>(m_manager->GetDocTemplates()[0]->OpenDocumentFile(nullptr, TRUE)));
    ASSERT_TRUE(state);
    ASSERT_GT(m_manager->AddDisplay(state), 0);
    POSITION position = state->GetFirstViewPos();
    const HWND stateView = state->GetNextViewAt(position)->GetSafeHwnd();
    const auto idleAfter = [&](HWND window, UINT message) {
        const MSG msg = {window, message, DISPLAY_UPDATE_CHANGED_ROWS, 0, 0, {0, 0}};
        if (m_app.IsIdleMessage(&msg)) {
            EXPECT_TRUE(m_app.OnIdle(0));
        }
        CWnd::FromHandle(::GetDesktopWindow());
        EXPECT_FALSE(m_app.OnIdle(1));
        EXPECT_EQ(0u, (CHandleMap<CWnd, HWND>::TemporaryCount()));
        return counter.idleUpdates;
    };
    EXPECT_EQ(1, idleAfter(m_frameHandle, WM_COMMAND));
    EXPECT_EQ(1, idleAfter(stateView, WM_APP_DISPLAY_UPDATE));
    EXPECT_EQ(1, idleAfter(stateView, WM_APP_DISPLAY_UPDATE));
    EXPECT_EQ(2, idleAfter(m_frameHandle, WM_APP_DISPLAY_UPDATE));
    state->OnCloseDocument();
}

TEST_F(MainFrame, ConnectDisconnectAndConnectAllAgainstTheTestDevice)
{
    const int kUnits = 8;
    ASSERT_NO_FATAL_FAILURE(StartTestDevice("Varnix", "MF2024", kUnits));
    const CDocumentDeviceGeneric1Ptr device = AddVarnix();
    const boost::shared_ptr<CConnectionGeneric1> connection = device->GetGenericConnection();
    connection->SetSerial(false);
    connection->SetHost("127.0.0.1");
    connection->SetTcpPort(m_tcpPort);
    // The other units behind the same host and port.
    std::vector<CDocumentDeviceGeneric1Ptr> others;
    for (int unit = 2; unit <= kUnits; ++unit) {
        others.push_back(AddVarnix());
        others.back()->ApplyEndpoint(*connection->GetEndpoint());
        others.back()->GetGenericConnection()->SetUnitId(unit);
    }
    // Two devices nobody answers for: Connect All reports each once and goes on.
    std::vector<CDocumentDeviceGeneric1Ptr> absent;
    for (int port : {1, 2}) {
        absent.push_back(AddVarnix());
        absent.back()->GetGenericConnection()->SetSerial(false);
        absent.back()->GetGenericConnection()->SetHost("127.0.0.1");
        absent.back()->GetGenericConnection()->SetTcpPort(port);
    }
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, device->GetId());

    // The devices open away from the window, each busy until its open came back; a
    // failure that comes while another's box is up waits for it.
    LingeringFailureBoxes::done = [&] { return !absent[0]->IsBusy() && !absent[1]->IsBusy(); };
    LingeringFailureBoxes::recorder = SetMessageBoxHandler(&LingeringFailureBoxes::Handler);
    Command(ID_DEVICES_CONNECT_ALL);
    const auto failureBoxes = [] {
        const std::vector<testing_support::RecordedMessageBox> boxes = Recorder().Boxes();
        return std::count_if(boxes.begin(), boxes.end(), [](const testing_support::RecordedMessageBox& box) {
            return box.text.find("Error: unable to open connection to 'Varnix':\n") == 0;
        });
    };
    const bool reported = PollUntil([&] { Pump(); return device->IsConnected() && failureBoxes() >= 2; }, kWaitMs);
    SetMessageBoxHandler(LingeringFailureBoxes::recorder);
    ASSERT_TRUE(reported);
    EXPECT_EQ(1, LingeringFailureBoxes::mostUp);
    for (const CDocumentDeviceGeneric1Ptr& failed : absent)
        EXPECT_FALSE(failed->IsConnected() || failed->IsBusy());
    EXPECT_EQ(2, failureBoxes());
    std::wstring folder;
    m_logPath = device->GetEmbeddedLogFilePath(folder);

    // The hub's notices reach the tree: the node takes the connected device's name.
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    ASSERT_TRUE(PollUntil(
        [&] {
            Pump();
            for (const std::string& text : TreeTexts(*tree, TVI_ROOT))
                if (text.find("VNX-45") == 0)
                    return true;
            return false;
        },
        kWaitMs));
    ASSERT_TRUE(PollUntil([&] { Pump(); return !device->IsBusy(); }, kWaitMs));
    // Once the device is ready, its values reach the displays within two poll cycles;
    // counted in cycles, with three times that for a loaded machine.
    const boost::shared_ptr<CValueCountingDisplay> counter(new CValueCountingDisplay);
    counter->m_bAutoDelete = FALSE;
    ASSERT_GT(m_manager->AddDisplay(counter), 0);
    counter->m_deviceId = device->GetId();
    const int cyclesAtStart = counter->m_cycles;
    ASSERT_TRUE(PollUntil([&] { Pump(); return counter->m_cyclesAtFirstValue >= 0; }, kWaitMs));
    EXPECT_LE(counter->m_cyclesAtFirstValue - cyclesAtStart, 2 * 3);
    m_manager->RemoveDisplay(counter);
    ASSERT_TRUE(SelectDeviceNode(device->GetId()));
    EXPECT_FALSE(Enabled(ID_DEVICE_DELETE));
    EXPECT_FALSE(Enabled(ID_DEVICE_CONNECT));
    EXPECT_TRUE(Enabled(ID_DEVICE_DISCONNECT));
    EXPECT_FALSE(Shot("shell_main_frame_connected").empty());
    // The selection keeps the highlight colours while the tree does not have the focus.
    ::SetFocus(m_frameHandle);
    ::RedrawWindow(tree->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GT(testing_support::Screenshot::OfWindow(tree->GetSafeHwnd()).CountPixels(::GetSysColor(COLOR_HIGHLIGHT)),
              100u);

    // Enter on the device opens its debug console (the edge bar hands Return to its view).
    shell_test::DialogUser console(IDC_DEBUG_OUTPUT, [](HWND dialog) { shell_test::Click(dialog, IDCANCEL); });
    MSG enter = {tree->GetSafeHwnd(), WM_KEYDOWN, VK_RETURN, 1, 0, {0, 0}};
    if (!m_app.PreTranslateMessage(&enter))
        ::DispatchMessageA(&enter);
    EXPECT_TRUE(console.Finished());

    Command(ID_DEVICE_DISCONNECT);
    EXPECT_FALSE(device->IsConnected());
    EXPECT_TRUE(Enabled(ID_DEVICE_CONNECT));
    // Busy from the command on: no Connect again until the open came back, while Disconnect
    // and Delete, which call the open off, are offered.
    m_frame->SendMessage(WM_COMMAND, ID_DEVICE_CONNECT, 0);
    EXPECT_TRUE(device->IsBusy());
    EXPECT_FALSE(Enabled(ID_DEVICE_CONNECT));
    EXPECT_TRUE(Enabled(ID_DEVICE_DELETE));
    EXPECT_TRUE(Enabled(ID_DEVICE_DISCONNECT));
    ASSERT_TRUE(PollUntil([&] { Pump(); return device->IsConnected() && !device->IsBusy(); }, kWaitMs));
    Command(ID_DEVICE_DISCONNECT);
    EXPECT_FALSE(device->IsConnected());

    // Every other unit stops answering: each poll holds the link through its two 5 s
    // attempts while the others wait for it. Disconnect, Delete and closing the window
    // wait for none of them, and the polling threads end by themselves well before the
    // program's own end would give up on them.
    std::vector<std::wstring> otherLogs;
    for (const CDocumentDeviceGeneric1Ptr& other : others) {
        EXPECT_TRUE(PollUntil([&] { Pump(); return other->IsConnected() && !other->IsBusy(); }, kWaitMs));
        otherLogs.push_back(other->GetEmbeddedLogFilePath(folder));
    }
    std::ofstream(SilenceSwitch()).close();
    ASSERT_TRUE(PollUntil([&] { return testing_support::ReadFileText(m_journalPath).find("\"silence\"") != std::string::npos; },
                          kWaitMs));
    auto timed = [&](const std::function<void()>& command) {
        const DWORD start = ::GetTickCount();
        command();
        return ::GetTickCount() - start;
    };
    const CDocumentDeviceGeneric1Ptr silent = others.front();
    ASSERT_TRUE(SelectDeviceNode(silent->GetId()));
    const DWORD disconnectMs = timed([&] { Command(ID_DEVICE_DISCONNECT); });
    EXPECT_FALSE(silent->IsConnected());
    const DWORD deleteMs = timed([&] { Command(ID_DEVICE_DELETE); });
    EXPECT_FALSE(m_manager->FindDeviceById(silent->GetId()));
    const DWORD closeMs = timed([&] { m_frame->SendMessage(WM_CLOSE, 0, 0); });
    EXPECT_FALSE(::IsWindow(m_frameHandle));
    const DWORD endMs = timed([&] { EXPECT_TRUE(PollThread_t::WaitForStoppedThreads(5000)); });
    std::printf("with %d silent devices on the link: disconnect %lu ms, delete %lu ms, close %lu ms, "
                "polling threads ended %lu ms later\n",
                kUnits - 1, static_cast<unsigned long>(disconnectMs), static_cast<unsigned long>(deleteMs),
                static_cast<unsigned long>(closeMs), static_cast<unsigned long>(endMs));
    EXPECT_LT(disconnectMs, 500u);
    EXPECT_LT(deleteMs, 500u);
    EXPECT_LT(closeMs, 500u);
    for (const std::wstring& log : otherLogs)
        ::DeleteFileW(log.c_str());
}

TEST_F(MainFrame, ADisconnectOfferedAtAnyMomentOfAConnectLeavesTheDeviceDisconnected)
{
    // Every register read answers 30 ms late: the open takes a few reads, the log download
    // some twenty, so that each moment of a connect lasts long enough to be hit.
    ASSERT_NO_FATAL_FAILURE(StartTestDevice("Varnix", "MF2024", 2,
                                            ", {\"kind\": \"delay\", \"seconds\": 0.03, \"function\": 3}"));
    // The other unit on the same link opens first under Connect All: the device's open waits
    // its turn behind it.
    const CDocumentDeviceGeneric1Ptr ahead = AddVarnix();
    const CDocumentDeviceGeneric1Ptr device = AddVarnix();
    for (const CDocumentDeviceGeneric1Ptr& each : {ahead, device}) {
        const boost::shared_ptr<CConnectionGeneric1> connection = each->GetGenericConnection();
        connection->SetSerial(false);
        connection->SetHost("127.0.0.1");
        connection->SetTcpPort(m_tcpPort);
        connection->SetUnitId(each == ahead ? 2 : 1);
    }
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, device->GetId());
    std::wstring folder;
    m_logPath = device->GetEmbeddedLogFilePath(folder);
    const std::wstring aheadLog = ahead->GetEmbeddedLogFilePath(folder);

    const auto outcomePending = [&] {
        MSG msg;
        return ::PeekMessageA(&msg, m_frameHandle, WM_APP_CONNECT_DONE, WM_APP_CONNECT_DONE, PM_NOREMOVE) != FALSE;
    };
    const auto pumpFor = [&](DWORD ms) {
        const DWORD start = ::GetTickCount();
        PollUntil([&] { Pump(); return ::GetTickCount() - start >= ms; }, ms + 1000, 5);
    };
    enum Moment { kWaiting, kUnderWay, kOutcomePosted, kDownloading, kPolling, kAfterADelay, kMoments };
    const char* const names[kMoments] = {"waiting its turn", "open under way", "outcome posted", "downloading its log",
                                         "polling", "after a delay"};
    int hit[kMoments] = {};
    int delayedTo[kMoments] = {};
    const int kCycles = 36;
    for (int cycle = 0; cycle < kCycles && !HasFatalFailure(); ++cycle) {
        // Each moment in turn, and every other cycle one after a delay of its own.
        const Moment planned = cycle % 2 == 1 ? kAfterADelay : static_cast<Moment>(cycle / 2 % kAfterADelay);
        if (planned == kWaiting) {
            m_frame->SendMessage(WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
        } else {
            ASSERT_TRUE(SelectDeviceNode(device->GetId()));
            m_frame->SendMessage(WM_COMMAND, ID_DEVICE_CONNECT, 0);
        }
        // Brought to its moment; the window's messages run only where the moment needs it.
        if (planned == kOutcomePosted)
            PollUntil(outcomePending, kWaitMs, 1);
        else if (planned == kDownloading)
            PollUntil([&] { Pump(); return device->IsConnected(); }, kWaitMs, 1);
        else if (planned == kPolling)
            PollUntil([&] { Pump(); return device->IsConnected() && !device->IsBusy(); }, kWaitMs);
        else if (planned == kAfterADelay)
            pumpFor(static_cast<DWORD>(cycle * 47 % 900));
        const Moment reached = planned != kAfterADelay ? planned
                               : device->IsConnected() ? (device->IsBusy() ? kDownloading : kPolling)
                               : outcomePending()     ? kOutcomePosted
                                                       : kUnderWay;
        const bool asPlanned = planned == kAfterADelay ||
                               (planned == kWaiting && device->IsBusy() && !device->IsConnected()) ||
                               (planned == kUnderWay && device->IsBusy() && !device->IsConnected()) ||
                               (planned == kOutcomePosted && outcomePending()) ||
                               (planned == kDownloading && device->IsConnected() && device->IsBusy()) ||
                               (planned == kPolling && device->IsConnected() && !device->IsBusy());
        if (asPlanned)
            ++hit[planned == kAfterADelay ? kAfterADelay : reached];
        if (planned == kAfterADelay)
            ++delayedTo[reached];

        ASSERT_TRUE(SelectDeviceNode(device->GetId()));
        EXPECT_TRUE(Enabled(ID_DEVICE_DISCONNECT)) << "cycle " << cycle << ", " << names[reached];
        m_frame->SendMessage(WM_COMMAND, ID_DEVICE_DISCONNECT, 0);
        ASSERT_TRUE(PollUntil([&] { Pump(); return !device->IsBusy() && !outcomePending(); }, kWaitMs))
            << "cycle " << cycle;
        EXPECT_FALSE(device->IsConnected()) << "cycle " << cycle << ", Disconnect given " << names[reached];
        // What was stopped on purpose is no failure of the device.
        EXPECT_EQ("", device->GetMessagesText()) << "cycle " << cycle << ", " << names[reached];
        EXPECT_FALSE(Enabled(ID_DEVICE_DISCONNECT)) << "cycle " << cycle;
        if (planned == kWaiting) {
            ASSERT_TRUE(PollUntil([&] { Pump(); return ahead->IsConnected() && !ahead->IsBusy(); }, kWaitMs));
            ASSERT_TRUE(SelectDeviceNode(ahead->GetId()));
            Command(ID_DEVICE_DISCONNECT);
            ASSERT_FALSE(ahead->IsConnected());
        }
    }
    std::printf("Disconnect given:");
    for (int moment = 0; moment < kMoments; ++moment)
        std::printf(" %s %d;", names[moment], hit[moment]);
    std::printf("\nthe delays fell:");
    for (int moment = 0; moment < kAfterADelay; ++moment)
        std::printf(" %s %d;", names[moment], delayedTo[moment]);
    std::printf("\n");
    // Each moment was met at least once as planned (the delays fall where they fall).
    for (int moment = 0; moment < kAfterADelay; ++moment)
        EXPECT_GE(hit[moment], 1) << names[moment];
    // No failure; at most the notice of a first downloaded device log.
    for (const auto& box : Recorder().Boxes())
        EXPECT_EQ(0u, box.text.find("The device you connected had some long-term logged data")) << box.text;
    ::DeleteFileW(aheadLog.c_str());
}

TEST_F(MainFrame, AnOpenUnderWayForADeviceThatLeftTheWorkspaceReachesNoLaterDevice)
{
    ASSERT_NO_FATAL_FAILURE(StartVarnix());
    const std::string workspace = testing_support::BuildPath("tests/shell_ui/frame-connecting.pxs");
    const auto reachTheTestDevice = [&](const CDocumentDeviceGeneric1Ptr& device) {
        const boost::shared_ptr<CConnectionGeneric1> connection = device->GetGenericConnection();
        connection->SetSerial(false);
        connection->SetHost("127.0.0.1");
        connection->SetTcpPort(m_tcpPort);
    };
    // A workspace of one such device, never connected.
    {
        reachTheTestDevice(AddVarnix());
        CDocumentWorkspace writer;
        ASSERT_TRUE(writer.OnSaveDocument(workspace.c_str()));
        m_manager->Reset();
    }
    const auto silences = [&] {
        const std::string journal = testing_support::ReadFileText(m_journalPath);
        size_t count = 0;
        for (size_t at = journal.find("\"silence\""); at != std::string::npos && count < 100000;
             at = journal.find("\"silence\"", at + 1))
            ++count;
        return count;
    };

    enum Way { kNew, kDelete, kOpen };
    for (Way way : {kNew, kDelete, kOpen}) {
        const char* const name = way == kNew ? "New Workspace" : way == kDelete ? "Delete" : "Open Workspace";
        m_manager->Reset();
        Recorder().Clear();
        // The device opens while its controller does not answer yet.
        const CDocumentDeviceGeneric1Ptr leaving = AddVarnix();
        reachTheTestDevice(leaving);
        m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, leaving->GetId());
        std::ofstream(SilenceSwitch()).close();
        const size_t silencesBefore = silences();
        ASSERT_TRUE(SelectDeviceNode(leaving->GetId()));
        Command(ID_DEVICE_CONNECT);
        ASSERT_TRUE(PollUntil([&] { Pump(); return silences() > silencesBefore; }, kWaitMs)) << name;
        ASSERT_TRUE(leaving->IsBusy()) << name;

        // It leaves the workspace; the next device takes its id.
        CDocumentDevicePtr later;
        if (way == kNew) {
            Command(ID_FILE_NEW);
            later = AddVarnix();
            reachTheTestDevice(boost::dynamic_pointer_cast<CDocumentDeviceGeneric1>(later));
        } else if (way == kDelete) {
            EXPECT_TRUE(Enabled(ID_DEVICE_DELETE)) << name;
            Command(ID_DEVICE_DELETE);
            later = AddVarnix();
            reachTheTestDevice(boost::dynamic_pointer_cast<CDocumentDeviceGeneric1>(later));
        } else {
            ASSERT_NE(nullptr, m_app.OpenDocumentFile(workspace.c_str())) << name;
            for (const CDocumentDevicePtr& device : m_manager->GetDevices())
                if (device->IsListed())
                    later = device;
        }
        ASSERT_TRUE(later) << name;
        EXPECT_FALSE(m_manager->FindDeviceById(leaving->GetId()) == leaving) << name;
        EXPECT_EQ(leaving->GetId(), later->GetId()) << name;
        const boost::shared_ptr<CConnectedRecordingDisplay> told(new CConnectedRecordingDisplay);
        told->m_bAutoDelete = FALSE;
        ASSERT_GT(m_manager->AddDisplay(told), 0);

        // The controller answers again: an open that went on would now complete.
        ::DeleteFileA(SilenceSwitch().c_str());
        // Its open has come back once the device is no longer connecting (or it connected).
        ASSERT_TRUE(PollUntil([&] { Pump(); return !leaving->IsBusy() || leaving->IsConnected(); }, kWaitMs)) << name;
        // Whatever the open queued before it came back has reached the displays.
        m_manager->PostToBothQueues(CStoragePtr(new CStorageRefreshEvent(kMarkerCode, 0)));
        ASSERT_TRUE(PollUntil([&] { Pump(); return told->MarkerSeen(); }, kWaitMs)) << name;
        EXPECT_EQ(std::vector<int>(), told->Connected()) << name << ": a device was told connected";
        EXPECT_FALSE(later->IsConnected() || later->IsBusy()) << name;
        EXPECT_FALSE(leaving->IsConnected()) << name;
        EXPECT_EQ(0u, Recorder().Count()) << name << ": " << (Recorder().Count() ? Recorder().Boxes()[0].text : "");
        m_manager->RemoveDisplay(told);
    }
    ::DeleteFileA(workspace.c_str());
}

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

// The logs of many devices come down together as they connect: they are read in turns, so
// a command posted or a repaint asked for meanwhile comes before they are all open; one
// whose device disconnected before its turn is not opened.
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
    for (const std::wstring& path : paths)
        ::DeleteFileW(path.c_str());
}

TEST_F(MainFrame, APostedCommandRunsWithItsEndpointWhichIsFreedAfterwards)
{
    const long before = ModbusEndpoint_t::LiveCount();
    m_frame->SendMessage(WM_APP_RUN_COMMAND, ID_VIEW_DEVICES_TAB, reinterpret_cast<LPARAM>(new ModbusEndpoint_t));
    EXPECT_EQ(before, ModbusEndpoint_t::LiveCount());
    EXPECT_FALSE(m_frame->GetCommandContext());
    EXPECT_EQ(0, m_frame->SendMessage(WM_APP_RUN_COMMAND, ID_DEVICES_SEARCH, 0));
    EXPECT_EQ(0u, Recorder().Count());
}

// A device whose connection and busy state the test sets.
class CStatedDevice : public CDocumentDevice
{
public:
    bool IsConnected() override { return m_connected; }
    bool IsBusy() override { return m_busy; }
    bool m_connected = false;
    bool m_busy = false;
};

// The 16 x 16 pixels of an image of the list drawn over white.
std::vector<COLORREF> ImagePixels(HIMAGELIST images, int index)
{
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    RECT all = {0, 0, 16, 16};
    ::FillRect(memory, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images, index, memory, 0, 0, ILD_TRANSPARENT);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            pixels.push_back(::GetPixel(memory, x, y));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// Each node the control changes takes it a while (about 10 ms in a large tree under Wine):
// a change of many devices comes in parts, and a command posted or a repaint asked for
// behind it runs between.
TEST_F(MainFrame, ALargeChangeOfTheDeviceTreeLetsAPostedCommandRunBeforeItIsDone)
{
    std::vector<CDocumentDeviceGeneric1Ptr> devices;
    for (int added = 0; added < 20; ++added)
        devices.push_back(AddVarnix());
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, 0);
    Pump();
    for (const CDocumentDeviceGeneric1Ptr& device : devices)
        device->SetUserName(("Renamed " + std::to_string(device->GetId())).c_str());
    const auto renamed = [&] {
        const std::vector<std::string> texts = TreeTexts(*m_frame->GetDeviceTree(), TVI_ROOT);
        return std::count_if(texts.begin(), texts.end(), [](const std::string& text) { return text.find("Renamed") == 0; });
    };
    const bool shown = (m_frame->GetEdgeBar().GetStyle() & WS_VISIBLE) != 0;
    m_frame->PostMessage(WM_APP_REFRESH_EVENT, REFRESH_STATE_CHANGED, 0);
    m_frame->PostMessage(WM_COMMAND, ID_VIEW_EDGEBAR, 0);
    ASSERT_TRUE(RunUntilTheEdgeBarToggles(shown));
    EXPECT_LT(renamed(), 20);
    // A repaint asked for meanwhile comes before the rest too.
    ASSERT_TRUE(RunUntilRepainted());
    EXPECT_LT(renamed(), 20);
    ASSERT_TRUE(PollUntil([&] { Pump(); return renamed() == 20; }, kWaitMs));
}

// What a pass over the device tree asks of its control: under Wine each change the control
// draws at once is a request to the window server, which is slow while devices connect, and
// each read is a message. A pass reads each node once and draws once, at its end.
struct TreeControlWatch
{
    static WNDPROC s_proc;
    static int s_messages;
    static int s_changes;
    static int s_drawnChanges;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        ++s_messages;
        if (message == TVM_SETITEMA || message == TVM_SETITEMW || message == TVM_INSERTITEMA ||
            message == TVM_INSERTITEMW || message == TVM_DELETEITEM) {
            ++s_changes;
            s_drawnChanges += ::IsWindowVisible(window) ? 1 : 0;
        }
        return ::CallWindowProc(s_proc, window, message, wParam, lParam);
    }
    static void Reset() { s_messages = s_changes = s_drawnChanges = 0; }
};
WNDPROC TreeControlWatch::s_proc = nullptr;
int TreeControlWatch::s_messages = 0;
int TreeControlWatch::s_changes = 0;
int TreeControlWatch::s_drawnChanges = 0;

TEST_F(MainFrame, ADeviceTreePassReadsEachNodeOnceAndIsDrawnOnceAtItsEnd)
{
    const int kDevices = 48;
    std::vector<CDocumentDeviceGeneric1Ptr> devices;
    for (int added = 0; added < kDevices; ++added)
        devices.push_back(AddVarnix());
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, 0);
    Pump();
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    HWND control = tree->GetTreeCtrl().GetSafeHwnd();
    ASSERT_TRUE(::IsWindowVisible(control));
    ASSERT_EQ(static_cast<size_t>(kDevices), TreeTexts(*tree, TVI_ROOT).size());
    ::UpdateWindow(control);
    TreeControlWatch::s_proc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtr(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeControlWatch::Proc)));

    // Nothing changed: a few reads a node (its text, its image), no walk over the others.
    TreeControlWatch::Reset();
    EXPECT_TRUE(tree->RebuildTree());
    const int unchangedMessages = TreeControlWatch::s_messages;
    EXPECT_EQ(0, TreeControlWatch::s_changes);
    EXPECT_FALSE(::GetUpdateRect(control, nullptr, FALSE));

    // Fewer than a pass changes at most.
    const int kRenamed = 5;
    for (int renamed = 0; renamed < kRenamed; ++renamed)
        devices[renamed]->SetUserName(("Renamed " + std::to_string(renamed)).c_str());
    TreeControlWatch::Reset();
    EXPECT_TRUE(tree->RebuildTree());
    const int changes = TreeControlWatch::s_changes;
    const int drawnChanges = TreeControlWatch::s_drawnChanges;
    const bool visible = ::IsWindowVisible(control) != FALSE;
    const bool toDraw = ::GetUpdateRect(control, nullptr, FALSE) != FALSE;
    ::SetWindowLongPtr(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TreeControlWatch::s_proc));

    std::printf("a pass over %d devices: %d messages to the control unchanged\n", kDevices, unchangedMessages);
    EXPECT_LT(unchangedMessages, 8 * kDevices);
    EXPECT_EQ(kRenamed, changes);
    EXPECT_EQ(0, drawnChanges);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(toDraw) << "the changes are drawn at the end of the pass";
    const std::vector<std::string> texts = TreeTexts(*tree, TVI_ROOT);
    EXPECT_EQ(kRenamed,
              std::count_if(texts.begin(), texts.end(), [](const std::string& text) { return text.find("Renamed") == 0; }));
}

TEST_F(MainFrame, EveryTreeImageADeviceOrItemCanHaveIsAPictureOfItsOwn)
{
    HIMAGELIST images = TreeView_GetImageList(m_frame->GetDeviceTree()->GetSafeHwnd(), TVSIL_NORMAL);
    ASSERT_NE(nullptr, images);
    const int count = ImageList_GetImageCount(images);
    // Every state a device can be in: connected or not, busy or not, with messages or not.
    std::map<int, std::string> used = {{TREE_IMAGE_VARIABLE, "variable"}, {TREE_IMAGE_LOG_FILE, "log file"}};
    for (int state = 0; state < 8; ++state) {
        CStatedDevice device;
        device.m_connected = (state & 1) != 0;
        device.m_busy = (state & 2) != 0;
        if ((state & 4) != 0)
            device.SetMessage(MESSAGE_KEY_POLL, "control did not respond");
        const std::string name = std::string(device.m_connected ? "connected" : "disconnected") +
                                 (device.m_busy ? ", busy" : "") + ((state & 4) != 0 ? ", with messages" : "");
        used.insert(std::make_pair(device.GetTreeImage(), name));
    }
    std::map<std::vector<COLORREF>, std::string> pictures;
    const std::vector<COLORREF> empty(256, RGB(255, 255, 255));
    for (const auto& image : used) {
        ASSERT_LT(image.first, count) << image.second << " is image " << image.first;
        const std::vector<COLORREF> pixels = ImagePixels(images, image.first);
        EXPECT_NE(empty, pixels) << image.second << " is drawn as nothing";
        const auto known = pictures.insert(std::make_pair(pixels, image.second));
        EXPECT_TRUE(known.second) << image.second << " looks like " << known.first->second;
    }
}

TEST_F(MainFrame, CorandelToolsOpenTheirWarningThenTheirSetupOnTheCommandsDevice)
{
    using namespace testing_support;
    // From a device's Tools entry: the setup dialog's runs start on that device.
    UiScript duo;
    HWND setup = nullptr;
    duo.Step("warning", [] { return FindTopWindow("Warning") != nullptr; }, [&] {
        EXPECT_EQ(m_frameHandle, ::GetWindow(FindTopWindow("Warning"), GW_OWNER));
        Click(FindTopWindow("Warning"), IDOK);
    });
    duo.Step("setup", [&] { return (setup = FindTopWindow("Corandel Duo Custom Setpoints Summary")) != nullptr; },
             [&] {
                 EXPECT_EQ(m_frameHandle, ::GetWindow(setup, GW_OWNER));
                 Click(setup, IDC_CR_READ_DEVICE);
             });
    HWND sheet = nullptr;
    HWND page = nullptr;
    duo.Step("read connection", [&] { return (page = WizardPageWith(IDC_WIZARD_PORT, sheet)) != nullptr; },
             [&] {
                 EXPECT_EQ(7, ::SendDlgItemMessageA(page, IDC_WIZARD_PORT, CB_GETCURSEL, 0, 0)) << "COM 7";
                 EXPECT_EQ("9", ItemText(page, IDC_WIZARD_MODBUS_ADDRESS));
                 PressWizardButton(sheet, PSBTN_CANCEL);
             });
    duo.Step("close", [&] { return FindWizardSheet() == nullptr; }, [&] { Click(setup, IDCANCEL); });
    ModbusEndpoint_t* device = new ModbusEndpoint_t;
    device->port = 7;
    device->unitId = 9;
    duo.Play([&] { m_frame->SendMessage(WM_APP_RUN_COMMAND, ID_TOOLS_CORANDEL_DUO_WIZARD, reinterpret_cast<LPARAM>(device)); });

    // From the menu, with the warning declined: no setup dialog.
    UiScript mppt;
    mppt.Step("warning", [] { return FindTopWindow("Warning") != nullptr; },
              [] { Click(FindTopWindow("Warning"), IDCANCEL); });
    mppt.Play([&] { Command(ID_TOOLS_CORANDEL_MPPT_WIZARD); });
    EXPECT_EQ(nullptr, FindTopWindow("Corandel MMPT Custom Settings Summary"));
    EXPECT_FALSE(m_frame->GetCommandContext());
}

TEST_F(MainFrame, F1AndHelpButtonsShowTheActiveWindowsHelpOrElseTheContents)
{
    using namespace testing_support;
    HelpTopics help(m_app);
    // F1 in the device tree, read as the program's loop reads it (the frame's accelerators
    // first): no dialog is open, so the contents show.
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    ASSERT_TRUE(PressKey(tree->GetSafeHwnd(), VK_F1));
    EXPECT_TRUE(PollUntil([&] { DispatchPendingMessages(m_app); return help.ContentsShown() > 0; }, kWaitMs));

    // The Ostrel setup over the frame, and a channel wizard over the setup: each window's
    // own pop-up, for F1 and for the wizard's Help button.
    UiScript script;
    HWND setup = nullptr;
    HWND sheet = nullptr;
    HWND page = nullptr;
    script.Step("F1 in the setup", [&] { return (setup = FindTopWindow("Ostrel Setup")) != nullptr; },
                [&] { ASSERT_TRUE(PressKey(::GetDlgItem(setup, IDC_RELAY_SIMPLE_1), VK_F1)); });
    script.Step("channel wizard", [&] { return help.Popups().size() == 1; },
                [&] { Click(setup, IDC_RELAY_SIMPLE_1); });
    script.Step("F1 on its page", [&] { return (page = WizardPageWith(IDC_RELAY_FUNCTION_FIRST, sheet)) != nullptr; },
                [&] { ASSERT_TRUE(PressKey(::GetDlgItem(page, IDC_RELAY_FUNCTION_FIRST), VK_F1)); });
    script.Step("the Help button", [&] { return help.Popups().size() == 2; },
                [&] { ::SendMessageA(::GetDlgItem(sheet, IDHELP), BM_CLICK, 0, 0); });
    script.Step("cancel", [&] { return help.Popups().size() == 3; },
                [&] { PressWizardButton(sheet, PSBTN_CANCEL); });
    script.Step("close", [&] { return FindWizardSheet() == nullptr; }, [&] { Click(setup, IDCANCEL); });
    script.Play([&] { Command(ID_TOOLS_OSTREL_WIZARD); });
    EXPECT_TRUE(script.Finished()) << script.Stuck();
    EXPECT_EQ((std::vector<UINT>{IDD_RELAY_SETUP, IDD_RELAY_FUNCTION, IDD_RELAY_FUNCTION}), help.Popups());
    EXPECT_EQ(1, help.ContentsShown()) << "the key in the frame asked once";
    EXPECT_EQ(0u, Recorder().Count());
}

TEST_F(MainFrame, AVarnixHvMpptDevicesPopupOpensItsWarningThenItsSetupOnThatDevice)
{
    using namespace testing_support;
    ASSERT_NO_FATAL_FAILURE(StartTestDevice("Varnix HV MPPT", "HV2024"));
    const CDocumentDeviceGeneric1Ptr device = ConnectDeviceOfTheFile(21, 9);
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    HTREEITEM node = DocumentNode(*tree, device->GetId());
    ASSERT_NE(nullptr, node);
    CRect label;
    ASSERT_TRUE(tree->GetTreeCtrl().GetItemRect(node, &label, TRUE));
    const CPoint click = label.CenterPoint();

    const std::string entry = "Varnix &HV MPPT Setup Wizard";
    std::vector<std::string> entries;
    std::vector<std::string> seen;
    HMENU menu = nullptr;
    UiScript script;
    script.Step("popup",
                [&] {
                    HWND window = ::FindWindowA("#32768", nullptr);
                    menu = window != nullptr && ::IsWindowVisible(window)
                               ? reinterpret_cast<HMENU>(::SendMessageA(window, MN_GETHMENU, 0, 0))
                               : nullptr;
                    return menu != nullptr;
                },
                [&] {
                    for (int index = 0; index < ::GetMenuItemCount(menu) && index < 20; ++index) {
                        char text[64] = {};
                        ::GetMenuStringA(menu, index, text, sizeof text, MF_BYPOSITION);
                        entries.push_back(text);
                    }
                });
    // Down the menu as the user goes, until the entry is highlighted.
    script.Step("entry highlighted",
                [&] {
                    HWND window = ::FindWindowA("#32768", nullptr);
                    for (int index = 0; index < ::GetMenuItemCount(menu) && index < 20; ++index) {
                        char text[64] = {};
                        ::GetMenuStringA(menu, index, text, sizeof text, MF_BYPOSITION);
                        if (entry == text && (::GetMenuState(menu, index, MF_BYPOSITION) & MF_HILITE) != 0)
                            return true;
                    }
                    ::PostMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
                    return false;
                },
                [&] { ::PostMessageA(::FindWindowA("#32768", nullptr), WM_KEYDOWN, VK_RETURN, 0); });
    script.Step("warning", [] { return FindTopWindow("Warning") != nullptr; }, [&] {
        HWND warning = FindTopWindow("Warning");
        seen.push_back(std::string("warning") + (::GetWindow(warning, GW_OWNER) == m_frameHandle ? " of the frame" : ""));
        Click(warning, IDOK);
    });
    // The HV setup has no second warning: its summary comes next.
    HWND setup = nullptr;
    script.Step("setup",
                [&] {
                    setup = FindTopWindow("Custom Setpoints Summary");
                    return setup != nullptr || FindTopWindow("Warning") != nullptr;
                },
                [&] {
                    if (setup == nullptr) {
                        seen.push_back("another warning");
                        Click(FindTopWindow("Warning"), IDCANCEL);
                        return;
                    }
                    seen.push_back(std::string("setup") + (::GetWindow(setup, GW_OWNER) == m_frameHandle ? " of the frame" : ""));
                    Click(setup, IDC_SETUP_READ_DEVICE);
                });
    HWND sheet = nullptr;
    HWND page = nullptr;
    script.Step("read mode", [&] { return (page = WizardPageWith(IDC_VXM_MODE_SOLAR, sheet)) != nullptr; },
                [&] {
                    Toggle(page, IDC_VXM_MODE_SOLAR);
                    PressWizardButton(sheet, PSBTN_NEXT);
                });
    script.Step("read connection", [&] { return (page = WizardPageWith(IDC_WIZARD_PORT, sheet)) != nullptr; },
                [&] {
                    seen.push_back("read from " + ItemText(page, IDC_WIZARD_IP_ADDRESS) + ":" +
                                   ItemText(page, IDC_WIZARD_TCP_PORT) + " unit " +
                                   ItemText(page, IDC_WIZARD_MODBUS_ADDRESS));
                    Recorder().QueueAnswer(IDYES);
                    PressWizardButton(sheet, PSBTN_CANCEL);
                });
    script.Step("close", [&] { return FindWizardSheet() == nullptr; }, [&] { Click(setup, IDCANCEL); });

    const long endpointsBefore = ModbusEndpoint_t::LiveCount();
    script.Play([&] {
        // The right button on the device's label: the tree selects it and shows its popup.
        ::PostMessageA(tree->GetSafeHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(click.x, click.y));
        tree->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(click.x, click.y));
        PollUntil([&] { Pump(); return script.Finished() || !script.Stuck().empty(); }, 4 * kWaitMs);
    });
    EXPECT_TRUE(script.Finished()) << script.Stuck();
    EXPECT_EQ((std::vector<std::string>{"Connect", "Disconnect", "Delete", "", "Properties", entry}), entries);
    EXPECT_EQ((std::vector<std::string>{"warning of the frame", "setup of the frame",
                                        "read from 127.0.0.1:" + std::to_string(m_tcpPort) + " unit 1"}),
              seen);
    // The endpoint the popup handed over was freed with the command.
    EXPECT_EQ(endpointsBefore, ModbusEndpoint_t::LiveCount());
    EXPECT_FALSE(m_frame->GetCommandContext());
    EXPECT_TRUE(device->IsConnected());
}

namespace
{
// The text of the tooltip showing one of the tree's tools, "" when none shows.
std::string ShownTip(HWND tree)
{
    struct Search
    {
        HWND tree;
        std::string text;
    } search = {tree, std::string()};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            Search& search = *reinterpret_cast<Search*>(data);
            char name[64] = {};
            ::GetClassNameA(window, name, sizeof name);
            TOOLINFOA tool = {};
            tool.cbSize = TTTOOLINFOA_V2_SIZE;
            if (_stricmp(name, TOOLTIPS_CLASSA) != 0 || !::IsWindowVisible(window) ||
                !::SendMessageA(window, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) ||
                tool.hwnd != search.tree)
                return TRUE;
            char text[512] = {};
            ::GetWindowTextA(window, text, sizeof text);
            search.text = text;
            return search.text.empty();
        },
        reinterpret_cast<LPARAM>(&search));
    return search.text;
}
} // namespace

TEST_F(MainFrame, TreeTipsNameTheItemUnderTheMouse)
{
    ASSERT_NO_FATAL_FAILURE(StartVarnix());
    const CDocumentDeviceGeneric1Ptr device = ConnectDeviceOfTheFile(10, 2);
    const CDocumentDeviceGeneric1Ptr idle = AddVarnix();
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, idle->GetId());
    const std::string folder = testing_support::BuildPath("tests/shell_ui/frame-tips");
    ASSERT_TRUE(testing_support::EnsureDirectory(folder));
    const std::string logPath = folder + "\\tips.csv";
    ASSERT_TRUE(testing_support::WriteFileText(
        logPath, "\"time (UTC)\",\"Battery Voltage\"\n\"2024-05-01T12:00:00.000+00:00\",\"12.5\"\n"));
    m_frame->OpenLogFile(Widen(logPath), -1);
    // Above whatever else shows on the display, so that the mouse is over the tree.
    ::SetWindowPos(m_frameHandle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump();

    CTabDeviceView* devices = m_frame->GetDeviceTree();
    HTREEITEM node = DocumentNode(*devices, device->GetId());
    ASSERT_NE(nullptr, node);
    HTREEITEM variable = devices->GetTreeCtrl().GetChildItem(node);
    ASSERT_NE(nullptr, variable);
    const CTreeItem* variableData = devices->GetItemData(variable);
    ASSERT_NE(nullptr, variableData);

    // Only an item's label is a tool: its handle is the id, its text rectangle the area.
    CRect label;
    ASSERT_TRUE(devices->GetTreeCtrl().GetItemRect(node, &label, TRUE));
    TOOLINFO tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    EXPECT_EQ(reinterpret_cast<INT_PTR>(node), devices->OnToolHitTest(label.CenterPoint(), &tool));
    EXPECT_EQ(devices->GetSafeHwnd(), tool.hwnd);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(node), tool.uId);
    EXPECT_EQ(label, CRect(tool.rect));
    EXPECT_EQ(LPSTR_TEXTCALLBACK, tool.lpszText);
    EXPECT_EQ(-1, devices->OnToolHitTest(CPoint(label.left - 10, label.CenterPoint().y), nullptr)) << "the icon";
    EXPECT_EQ(-1, devices->OnToolHitTest(CPoint(label.right + 20, label.CenterPoint().y), nullptr)) << "beside";
    CRect client;
    devices->GetClientRect(&client);
    EXPECT_EQ(-1, devices->OnToolHitTest(CPoint(client.right - 2, client.bottom - 2), nullptr)) << "below the items";

    // Asks the tree for a tool's text as its tooltip does; "" when it does not answer.
    auto ask = [](CTreeViewEx& tree, UINT_PTR id, bool wide, UINT flags) -> std::string {
        auto send = [&](auto& info, UINT code) {
            info.hdr.hwndFrom = ::GetDesktopWindow();   // no object of ours: nothing to reflect to
            info.hdr.idFrom = id;
            info.hdr.code = code;
            info.uFlags = flags;
            tree.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        };
        if (wide) {
            NMTTDISPINFOW info = {};
            send(info, TTN_NEEDTEXTW);
            return info.lpszText != nullptr ? "wide " + WideToNarrow(info.lpszText) : "";
        }
        NMTTDISPINFOA info = {};
        send(info, TTN_NEEDTEXTA);
        return info.lpszText != nullptr ? std::string("narrow ") + info.lpszText : "";
    };
    const std::string serial = device->GetSerialText();
    ASSERT_FALSE(serial.empty());
    EXPECT_EQ("narrow " + serial, ask(*devices, reinterpret_cast<UINT_PTR>(node), false, 0));
    EXPECT_EQ("wide " + serial, ask(*devices, reinterpret_cast<UINT_PTR>(node), true, 0));
    // A device that is not connected has no tip; the control's own tool is left to the control.
    EXPECT_EQ("", ask(*devices, reinterpret_cast<UINT_PTR>(DocumentNode(*devices, idle->GetId())), false, 0));
    EXPECT_EQ("", ask(*devices, reinterpret_cast<UINT_PTR>(devices->GetSafeHwnd()), true, TTF_IDISHWND));

    // The mouse moved onto a label and resting there shows the item's tip.
    auto hover = [&](CTreeViewEx& tree, HTREEITEM item) {
        CRect rect;
        EXPECT_TRUE(tree.GetTreeCtrl().GetItemRect(item, &rect, TRUE));
        CPoint point = rect.CenterPoint();
        CPoint screen = point;
        tree.ClientToScreen(&screen);
        EXPECT_TRUE(testing_support::MoveCursorTo(screen.x, screen.y));
        // The move passes the application's message filter, as in its loop.
        MSG move = {tree.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y), ::GetTickCount(),
                    {screen.x, screen.y}};
        if (!m_app.PreTranslateMessage(&move))
            ::DispatchMessageA(&move);
        std::string shown;
        PollUntil(
            [&] {
                Pump();
                shown = ShownTip(tree.GetSafeHwnd());
                return !shown.empty();
            },
            kWaitMs);
        return shown;
    };
    EXPECT_EQ(serial, hover(*devices, node));
    devices->GetTreeCtrl().Expand(node, TVE_EXPAND);
    Pump();
    const std::string description = static_cast<const char*>(variableData->GetDescription());
    const std::string units = static_cast<const char*>(variableData->GetUnits());
    ASSERT_FALSE(description.empty() || units.empty());
    EXPECT_EQ(description + "; " + units, hover(*devices, variable));
    EXPECT_FALSE(Shot("shell_tree_tip").empty());

    m_frame->GetEdgeBar().SetActiveView(RUNTIME_CLASS(CTabLogFileView));
    Pump();
    CTabLogFileView* logFiles = m_frame->GetLogFileTree();
    HTREEITEM logNode = logFiles->GetTreeCtrl().GetRootItem();
    ASSERT_NE(nullptr, logNode);
    EXPECT_EQ(logPath, hover(*logFiles, logNode));
    ::SetWindowPos(m_frameHandle, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::DeleteFileA(logPath.c_str());
}

TEST_F(MainFrame, AVariableDraggedFromTheTreeLandsOnADisplayThatTakesIt)
{
    const CDocTemplatePtr displayTemplate(new CMultiDocTemplateEx(
        m_manager, IDR_SHELL_TEST_DISPLAY, RUNTIME_CLASS(CFrameTestDisplay), RUNTIME_CLASS(CMDIChildWnd),
        RUNTIME_CLASS(CViewEx)));
    const CDocTemplatePtr refusingTemplate(new CMultiDocTemplateEx(
        m_manager, IDR_SHELL_TEST_FORM, RUNTIME_CLASS(CRefusingDisplay), RUNTIME_CLASS(CMDIChildWnd),
        RUNTIME_CLASS(CViewEx)));
    CDocumentDisplayPtr display(dynamic_cast<CDocumentDisplay*>(displayTemplate->OpenDocumentFile(nullptr, TRUE)));
    CDocumentDisplayPtr refusing(dynamic_cast<CDocumentDisplay*>(refusingTemplate->OpenDocumentFile(nullptr, TRUE)));
    ASSERT_TRUE(display && refusing);
    ASSERT_GT(m_manager->AddDisplay(display), 0);
    ASSERT_GT(m_manager->AddDisplay(refusing), 0);
    m_frame->MDITile(MDITILE_VERTICAL);

    const CDocumentDeviceGeneric1Ptr device = AddVarnix();
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, device->GetId());
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    HTREEITEM node = tree->GetTreeCtrl().GetRootItem();
    HTREEITEM variable = tree->GetTreeCtrl().GetChildItem(node);
    ASSERT_NE(nullptr, variable);
    const std::string variableName = static_cast<const char*>(tree->GetTreeCtrl().GetItemText(variable));
    Pump();

    auto viewCentre = [&](CDocumentDisplay& target) {
        POSITION position = target.GetFirstViewPos();
        CView* view = target.GetNextViewAt(position);
        CRect rect;
        view->GetWindowRect(&rect);
        CPoint point = rect.CenterPoint();
        tree->ScreenToClient(&point);
        return point;
    };
    auto drag = [&](HTREEITEM item, CPoint to, bool rebuildMeanwhile) {
        CRect itemRect;
        tree->GetTreeCtrl().GetItemRect(item, &itemRect, TRUE);
        tree->BeginDrag(item, itemRect.CenterPoint());
        EXPECT_TRUE(tree->IsDragging());
        if (rebuildMeanwhile) {
            // A refresh that rebuilds the tree during the drag frees the items' data.
            tree->DeleteAllItems();
            tree->RebuildTree();
        }
        tree->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(to.x, to.y));
        tree->EndDrag(0, to);
        EXPECT_FALSE(tree->IsDragging());
    };

    drag(variable, viewCentre(*refusing), false);
    EXPECT_EQ(0u, refusing->GetEntryCount());
    // The tree itself and a whole device are no drop.
    drag(variable, CPoint(5, 5), false);
    drag(node, viewCentre(*display), false);
    EXPECT_EQ(0u, display->GetEntryCount());

    drag(variable, viewCentre(*display), true);
    ASSERT_EQ(1u, display->GetEntryCount());
    EXPECT_EQ(variableName, display->GetEntry(0).item->GetName().GetString());
    EXPECT_EQ(device->GetId(), display->GetEntry(0).item->GetDocumentId());
    EXPECT_FALSE(Shot("shell_main_frame_dropped").empty());
    display->OnCloseDocument();
    refusing->OnCloseDocument();
}

TEST_F(MainFrame, EveryWayOfOpeningAWorkspaceLeavesItAloneSoSaveAndCtrlSWriteItsFile)
{
    const std::string folder = testing_support::BuildPath("tests/shell_ui/frame-workspaces");
    ASSERT_TRUE(testing_support::EnsureDirectory(folder));
    const std::string a = folder + "\\a.pxs", b = folder + "\\b.pxs", c = folder + "\\c.pxs", d = folder + "\\d.pxs";
    // Empty workspaces: the manager holds the computer alone.
    for (const std::string& path : {a, b, c}) {
        CDocumentWorkspace writer;
        ASSERT_TRUE(writer.OnSaveDocument(path.c_str()));
    }
    ::DeleteFileA(d.c_str());

    POSITION templates = m_app.GetFirstDocTemplatePosition();
    CDocTemplate* workspaces = m_app.GetNextDocTemplate(templates);
    auto openWorkspaces = [&] {
        std::vector<CDocument*> documents;
        for (POSITION position = workspaces->GetFirstDocPosition(); position != nullptr && documents.size() < 10;)
            documents.push_back(workspaces->GetNextDoc(position));
        return documents;
    };
    // Exactly one workspace document, with that path ("" for a new one).
    auto expectAlone = [&](const std::string& path, const char* way) {
        const std::vector<CDocument*> documents = openWorkspaces();
        ASSERT_EQ(1u, documents.size()) << way;
        EXPECT_EQ(path, documents[0]->GetPathName().GetString()) << way;
    };
    auto addDisplaysUpTo = [&](size_t count) {
        while (m_manager->GetDisplays().size() < count) {
            CDocument* opened = m_manager->GetDocTemplates()[0]->OpenDocumentFile(nullptr, TRUE);
            CDocumentDisplay* display = opened != nullptr ? dynamic_cast<CDocumentDisplay*>(opened) : nullptr;
            ASSERT_NE(nullptr, display);
            ASSERT_GT(m_manager->AddDisplay(CDocumentDisplayPtr(display)), 0);
        }
        Pump();
    };
    // The Displays menu's window list offers the displays, and no hidden window.
    auto expectWindowListOfTheDisplays = [&](const char* way) {
        HMENU displays = ::GetSubMenu(::GetMenu(m_frameHandle), 2);
        size_t entries = 0;
        for (int index = 0; index < ::GetMenuItemCount(displays) && index < 50; ++index) {
            const UINT id = ::GetMenuItemID(displays, index);
            if (id == static_cast<UINT>(-1) || id < AFX_IDM_FIRST_MDICHILD)
                continue;
            ++entries;
            char text[128] = {};
            ::GetMenuStringA(displays, index, text, sizeof text, MF_BYPOSITION);
            HWND child = ::GetDlgItem(m_frame->m_hWndMDIClient, static_cast<int>(id));
            EXPECT_TRUE(child != nullptr && ::IsWindowVisible(child)) << way << ": \"" << text << "\"";
        }
        EXPECT_EQ(m_manager->GetDisplays().size(), entries) << way;
    };
    auto save = [&] { Command(ID_WORKSPACE_SAVE); };
    // Ctrl+S pressed in the active display's view; true when no save box showed.
    auto pressCtrlS = [&] {
        CMDIChildWnd* active = m_frame->MDIGetActive();
        CView* view = active != nullptr ? active->GetActiveView() : nullptr;
        EXPECT_TRUE(view != nullptr && dynamic_cast<CDocumentDisplay*>(view->GetDocument()) != nullptr);
        if (view == nullptr)
            return false;
        bool returned = false;
        bool saveBoxShown = false;
        testing_support::UiScript script;
        script.Step("the key handled", [&] { return returned || testing_support::FindFileDialog() != nullptr; },
                    [&] {
                        if (HWND box = testing_support::FindFileDialog()) {
                            saveBoxShown = true;
                            ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
                        }
                    });
        script.Play([&] {
            EXPECT_TRUE(testing_support::PressWithControl(view->GetSafeHwnd(), 'S'));
            returned = true;
            PollUntil([&] { Pump(); return script.Finished() || !script.Stuck().empty(); }, kWaitMs);
        });
        return !saveBoxShown;
    };
    auto openFromTheCommandLine = [&](const std::string& path) {
        CCommandLineInfo commandLine;
        commandLine.ParseParam(path.c_str(), FALSE, TRUE);
        EXPECT_TRUE(m_app.ProcessShellCommand(commandLine));
        Pump();
    };

    // A file named on the command line; saved with Ctrl+S while a display is active.
    openFromTheCommandLine(b);
    expectAlone(b, "command line");
    addDisplaysUpTo(1);
    expectWindowListOfTheDisplays("command line");
    EXPECT_TRUE(pressCtrlS()) << "Ctrl+S asked where to save the display";

    // File Open, answered in its dialog.
    testing_support::UiScript openA;
    openA.Step("open dialog", [] { return testing_support::FindFileDialog() != nullptr; },
               [&] { testing_support::AnswerFileDialog(a); });
    openA.Play([&] { Command(ID_FILE_OPEN); });
    expectAlone(a, "File Open");
    expectWindowListOfTheDisplays("File Open");
    addDisplaysUpTo(2);
    save();

    // b from the recent-file list, behind a.
    ASSERT_NE(nullptr, m_app.m_pRecentFileList);
    ASSERT_GE(m_app.m_pRecentFileList->GetSize(), 2);
    EXPECT_EQ(b, (*m_app.m_pRecentFileList)[1].GetString());
    Command(ID_FILE_MRU_FILE1 + 1);
    expectAlone(b, "recent file");
    expectWindowListOfTheDisplays("recent file");
    EXPECT_EQ(1u, m_manager->GetDisplays().size()) << "b as Ctrl+S saved it";
    addDisplaysUpTo(3);
    save();

    // Another file on the command line while b is open.
    openFromTheCommandLine(c);
    expectAlone(c, "command line, second");
    addDisplaysUpTo(4);
    save();

    // New Workspace, saved under the name given in the save dialog.
    Command(ID_FILE_NEW);
    expectAlone("", "New");
    expectWindowListOfTheDisplays("New");
    addDisplaysUpTo(5);
    testing_support::UiScript saveD;
    saveD.Step("save dialog", [] { return testing_support::FindFileDialog() != nullptr; },
               [&] { testing_support::AnswerFileDialog(d); });
    saveD.Play(save);
    expectAlone(d, "New, saved");

    // Read back: each file holds what was added while it was the workspace.
    const std::vector<std::pair<std::string, size_t>> expected = {{a, 2}, {b, 3}, {c, 4}, {d, 5}};
    for (const auto& file : expected) {
        ASSERT_NE(nullptr, m_app.OpenDocumentFile(file.first.c_str())) << file.first;
        Pump();
        expectAlone(file.first, "read back");
        EXPECT_EQ(file.second, m_manager->GetDisplays().size()) << file.first;
        expectWindowListOfTheDisplays("read back");
    }
    EXPECT_EQ(0u, Recorder().Count());

    // Closing with an unsaved change asks first; "Cancel" keeps everything open.
    CDocument* kept = openWorkspaces().front();
    const CDocumentDeviceGeneric1Ptr device = AddVarnix();
    kept->SetModifiedFlag(TRUE);
    Recorder().QueueAnswer(IDCANCEL);
    m_frame->SendMessage(WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(m_frameHandle));
    EXPECT_TRUE(m_manager->FindDeviceById(device->GetId()));
    ASSERT_GE(Recorder().Count(), 1u);

    // "No" closes the documents, then the frame, without asking again or saving.
    Recorder().Clear();
    const std::string saved = testing_support::ReadFileText(d);
    Recorder().QueueAnswer(IDNO);
    m_frame->SendMessage(WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(::IsWindow(m_frameHandle));
    EXPECT_EQ(1u, Recorder().Count());
    EXPECT_EQ(saved, testing_support::ReadFileText(d));
    EXPECT_FALSE(m_manager->FindDeviceById(device->GetId()));
    for (const std::string& path : {a, b, c, d})
        ::DeleteFileA(path.c_str());
}

TEST_F(MainFrame, SearchOnASerialLineAddsTheChosenDeviceAndConnectsItButNeverTheSameDeviceTwice)
{
    const testing_support::SerialPair pair = m_host.OpenSerialPair();
    ASSERT_NE(0, pair.id) << m_host.Error();
    const std::string unit = "\"1\": {\"device\": {\"xml\": \"" + testing_support::SourceUnixPath("res/devices.xml") +
                             "\", \"name\": \"Varnix\", \"serial\": \"SR2024\"}, \"identification\": {\"2\": \"3.14\"}}";
    const testing_support::StartedTestDevice started = testing_support::StartTestDevice(
        m_host, "tests/shell_ui/frame-search", "{\"units\": {" + unit + "}}",
        {"--rtu", pair.peerPath, "--tcp-port", "0"}, 240);
    m_testDevice = started.id;
    ASSERT_NE(0, started.id) << started.error;
    const DWORD savedSerial = ReadRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL, 0xFFFFFFFF);
    const DWORD savedNetwork = ReadRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_NETWORK, 1);
    WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL, static_cast<DWORD>(pair.com));
    WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_NETWORK, 0);
    const std::shared_ptr<void> restoreChoices(nullptr, [&](void*) {
        WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL, savedSerial);
        WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_NETWORK, savedNetwork);
    });

    const auto chooseTheFoundDevice = [] {
        return std::make_unique<shell_test::DialogUser>(IDC_SEARCH_RESULTS, [](HWND window) {
            HWND list = shell_test::FindDescendant(window, IDC_SEARCH_RESULTS);
            PollUntil([&] { return ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0; }, 60000);
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
            shell_test::Click(window, IDOK);
        });
    };
    std::unique_ptr<shell_test::DialogUser> user = chooseTheFoundDevice();
    Command(ID_DEVICES_SEARCH);
    ASSERT_TRUE(user->Finished());

    // The device is listed and its connection opened after the command returned.
    CDocumentDevicePtr device;
    ASSERT_TRUE(PollUntil(
        [&] {
            Pump();
            for (const CDocumentDevicePtr& candidate : m_manager->GetDevices())
                if (candidate->IsListed())
                    device = candidate;
            return device && device->IsConnected();
        },
        kWaitMs));
    std::wstring folder;
    if (auto* logging = dynamic_cast<IDeviceWithEmbeddedLogging*>(device.get()))
        m_logPath = logging->GetEmbeddedLogFilePath(folder);
    EXPECT_EQ(m_frame->GetEdgeBar().GetActiveView(), m_frame->GetDeviceTree());
    ASSERT_TRUE(PollUntil(
        [&] {
            Pump();
            const auto texts = TreeTexts(*m_frame->GetDeviceTree(), TVI_ROOT);
            return texts.size() == 1 && texts[0] == "VNX-45 (SR2024)";
        },
        kWaitMs));
    // No failure is reported; at most the notice of a first downloaded device log.
    for (const auto& box : Recorder().Boxes())
        EXPECT_EQ(0u, box.text.find("The device you connected had some long-term logged data")) << box.text;
    PollUntil([&] { Pump(); return !device->IsBusy(); }, kWaitMs);
    Recorder().Clear();

    // The same device again is the device of the workspace; it says so, where that one is,
    // and leaves no second entry: found again in the search list...
    const std::string alreadyThere = "'VNX-45 (SR2024)' is already in the workspace, connected through COM" +
                                     std::to_string(pair.com) + " (unit 1).\nIt was not added a second time.";
    const auto listed = [&] {
        size_t count = 0;
        for (const CDocumentDevicePtr& candidate : m_manager->GetDevices())
            count += candidate->IsListed() ? 1 : 0;
        return count;
    };
    user = chooseTheFoundDevice();
    Command(ID_DEVICES_SEARCH);
    ASSERT_TRUE(user->Finished());
    PollUntil([&] { Pump(); return Recorder().Count() > 0; }, kWaitMs);
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ(alreadyThere, Recorder().Boxes()[0].text);
    EXPECT_EQ(1u, listed());

    // ... entered by hand as reached over TCP, and connected: its serial number tells.
    Recorder().Clear();
    shell_test::DialogUser chooser(IDC_NEW_DEVICE_LIST, [](HWND dialog) {
        const std::vector<std::string> names = shell_test::ListTexts(::GetDlgItem(dialog, IDC_NEW_DEVICE_LIST));
        const auto varnix = std::find(names.begin(), names.end(), "Varnix");
        if (varnix != names.end())
            shell_test::SelectListRow(dialog, IDC_NEW_DEVICE_LIST, static_cast<int>(varnix - names.begin()));
        shell_test::Click(dialog, IDOK);
    });
    shell_test::DialogUser sheet(IDC_CONNECTION_TYPE, [](HWND dialog) { shell_test::Click(dialog, IDCANCEL); });
    Command(ID_DEVICES_MANUAL_CONNECTION);
    ASSERT_TRUE(chooser.Finished());
    ASSERT_TRUE(sheet.Finished());
    ASSERT_EQ(2u, listed());
    // The entry, reached over TCP, is connected: the one box that says so, and no connection.
    const auto connectOverTcp = [&](const CDocumentDevicePtr& entry, const std::string& box) {
        const boost::shared_ptr<CConnectionGeneric1> connection =
            boost::dynamic_pointer_cast<CDocumentDeviceGeneric1>(entry)->GetGenericConnection();
        connection->SetSerial(false);
        connection->SetHost("127.0.0.1");
        connection->SetTcpPort(started.tcpPort);
        connection->SetUnitId(1);
        m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, entry->GetId());
        ASSERT_TRUE(SelectDeviceNode(entry->GetId()));
        Command(ID_DEVICE_CONNECT);
        ASSERT_TRUE(PollUntil([&] { Pump(); return !entry->IsBusy() && Recorder().Count() > 0; }, kWaitMs));
        ASSERT_EQ(1u, Recorder().Count());
        EXPECT_EQ(box, Recorder().Boxes()[0].text);
        EXPECT_FALSE(entry->IsConnected());
    };
    CDocumentDevicePtr entered = m_manager->GetDevices().back();
    ASSERT_NE(device, entered);
    connectOverTcp(entered, alreadyThere);
    EXPECT_FALSE(m_manager->FindDeviceById(entered->GetId()) == entered);
    EXPECT_TRUE(device->IsConnected());
    ASSERT_TRUE(PollUntil([&] { Pump(); return TreeTexts(*m_frame->GetDeviceTree(), TVI_ROOT).size() == 1; }, kWaitMs));
    EXPECT_EQ("VNX-45 (SR2024)", TreeTexts(*m_frame->GetDeviceTree(), TVI_ROOT)[0]);

    // An entry the workspace held before is kept, not connected.
    Recorder().Clear();
    const CDocumentDeviceGeneric1Ptr kept = AddVarnix();
    connectOverTcp(kept, "'VNX-45 (SR2024)' is already in the workspace, connected through COM" +
                             std::to_string(pair.com) + " (unit 1).\n'Varnix' is the same device and was not connected.");
    EXPECT_TRUE(m_manager->FindDeviceById(kept->GetId()) == kept);
    device->GetConnection()->Disconnect();
}

TEST_F(MainFrame, AManualConnectionIntoAFullDeviceListIsRefusedWithoutOpeningAnything)
{
    // The computer holds id 1; fill the rest.
    for (int added = 0; added < DOCUMENT_ID_LIMIT && m_manager->AddDevice(boost::make_shared<CDocumentDevicePC>()) > 0;
         ++added) {
    }
    const size_t full = m_manager->GetDevices().size();
    shell_test::DialogUser user(IDC_NEW_DEVICE_LIST, [](HWND window) { shell_test::Click(window, IDOK); });
    Command(ID_DEVICES_MANUAL_CONNECTION);
    ASSERT_TRUE(user.Finished());
    EXPECT_EQ(full, m_manager->GetDevices().size());
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("Error: no more devices can be added; delete one first.", Recorder().Boxes()[0].text);
}

TEST_F(MainFrame, NewDisplayOpensTheChosenKindAndAFullDisplayListClosesWhatItOpened)
{
    auto childCount = [&] {
        int count = 0;
        for (HWND child = ::GetWindow(m_frame->m_hWndMDIClient, GW_CHILD); child != nullptr && count < 300;
             child = ::GetWindow(child, GW_HWNDNEXT))
            ++count;
        return count;
    };
    auto chooseFirst = [](HWND window) {
        HWND list = shell_test::FindDescendant(window, IDC_NEW_DISPLAY_LIST);
        ::SendMessageA(list, LB_SETCURSEL, 0, 0);
        shell_test::Click(window, IDOK);
    };
    const int childrenBefore = childCount();
    {
        shell_test::DialogUser user(IDC_NEW_DISPLAY_LIST, chooseFirst);
        Command(ID_DISPLAY_NEW);
        ASSERT_TRUE(user.Finished());
    }
    ASSERT_EQ(1u, m_manager->GetDisplays().size());
    EXPECT_EQ(childrenBefore + 1, childCount());
    EXPECT_FALSE(Shot("shell_main_frame_new_display").empty());

    // With every display id taken the new document is reported and closed with its frame.
    for (int added = 0; added < DOCUMENT_ID_LIMIT; ++added) {
        CDocumentDisplayPtr filler(new CDocumentDisplay);
        filler->m_bAutoDelete = FALSE;
        if (m_manager->AddDisplay(filler) < 0)
            break;
    }
    const size_t full = m_manager->GetDisplays().size();
    const int childrenFull = childCount();
    {
        shell_test::DialogUser user(IDC_NEW_DISPLAY_LIST, chooseFirst);
        Command(ID_DISPLAY_NEW);
        ASSERT_TRUE(user.Finished());
    }
    Pump();
    EXPECT_EQ(full, m_manager->GetDisplays().size());
    EXPECT_EQ(childrenFull, childCount());
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("Error: no more displays can be opened; close one first.", Recorder().Boxes()[0].text);
}

namespace
{
int g_refusedClients = 0;

// Refuses the MDI client window, so that the main frame's creation fails in OnCreate.
LRESULT CALLBACK RefuseMdiClient(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
    {
        char name[32] = "";
        ::GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (::lstrcmpiA(name, "MDIClient") == 0)
        {
            ++g_refusedClients;
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK CountThreadWindows(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}
} // namespace

// The frame's window is made and destroyed again inside LoadFrame, which frees the frame:
// the shell must not free it a second time (the heap checks of the run see that) and is
// left without a main window.
TEST(MainFrameLoad, AFrameWhoseWindowFailsIsFreedOnceAndNoShellIsLeft)
{
    const std::wstring savedFolder = GetProgramFolders().GetProgramFolder();
    GetProgramFolders().SetProgramFolder(Widen(testing_support::SourcePath("res")));
    int windowsBefore = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountThreadWindows, reinterpret_cast<LPARAM>(&windowsBefore));
    {
        CVarnixViewApp app;
        g_refusedClients = 0;
        HHOOK hook = ::SetWindowsHookExA(WH_CBT, &RefuseMdiClient, nullptr, ::GetCurrentThreadId());
        ASSERT_NE(nullptr, hook);
        CMainFrame* frame = app.CreateShell();
        ::UnhookWindowsHookEx(hook);
        EXPECT_EQ(nullptr, frame);
        EXPECT_EQ(1, g_refusedClients);
        EXPECT_EQ(nullptr, app.m_pMainWnd);
        testing_support::DispatchPendingMessages();
        int windowsAfter = 0;
        ::EnumThreadWindows(::GetCurrentThreadId(), &CountThreadWindows,
                            reinterpret_cast<LPARAM>(&windowsAfter));
        EXPECT_EQ(windowsBefore, windowsAfter) << "the failed frame's window is gone";
    }
    GetProgramFolders().SetProgramFolder(savedFolder);
}
