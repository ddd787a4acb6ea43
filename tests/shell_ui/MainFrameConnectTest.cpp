// Device connect, disconnect and Connect All from the main frame against the test device
// on loopback TCP, an open that outlives its device, the device search on a serial line
// and a manual connection into a full device list.
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

namespace
{
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
} // namespace

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
    // The window's thread starts no thread for it: the connector's starter, which runs
    // since the window was made, starts the links' threads.
    testing_support::ThreadStartCount starts;
    ASSERT_TRUE(starts.Installed());
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
    EXPECT_EQ(0, starts.Count()) << "threads the window's thread started during Connect All";
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
        shell_test::SelectListRowOf(dialog, IDC_NEW_DEVICE_LIST, "Varnix");
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
