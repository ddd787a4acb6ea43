// The window while every device of the site stops answering at once: Pyraxis's own frame
// polls the simulated site of 7 and of 16 devices (each on its own Modbus/TCP port) with a
// State display of all their variables and a Logger of 60; the site's process is killed
// once the window has settled after connecting, and for the next
// seconds, as every poll fails, a command posted to the frame and a repaint of the display
// must still come within half a second. The display then greys every value.
// Through Connect All of the 16 devices, half of them on the site's serial line, commands
// and repaints keep their turn; closing the program while they connect abandons what is
// still opening.
#include <gtest/gtest.h>

#include "displays/CDisplayLogWriteDoc.h"
#include "displays/CDisplayLogWriteView.h"
#include "displays/CDisplayStateDoc.h"
#include "displays/CDisplayStateView.h"
#include "documents/CConnection.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/GenericDevices.h"
#include "documents/workspace/CDocumentWorkspace.h"
#include "framework/CDocTemplate.h"
#include "framework/CSingleLock.h"
#include "modbus/SharedLinks.h"
#include "res/pyraxis_resource.h"
#include "shell/CMainFrame.h"
#include "shell/CVarnixViewApp.h"
#include "framework/FrameworkIds.h"
#include "shell/ProgramFolders.h"
#include "shell/CTabDeviceView.h"
#include "shell/ShellCommands.h"
#include "tests/demo_ui/DemoShell.h"
#include "tests/demo_ui/DemoSite.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/StallWatch.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WireRequests.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

using namespace testing_support;

namespace
{
const DWORD kWaitMs = 60000;
// How long the failing site is watched, and the longest a posted command or a repaint may
// wait meanwhile. A window that waited for its failing devices froze for seconds; one that
// answers keeps a command 100-370 ms here (the most just as the devices die), and the limit
// keeps three times that for a loaded machine.
const DWORD kWatchMs = 15000;
const DWORD kLimitMs = 1500;
const int kLogged = 60;

struct SiteUnit
{
    int unit;
    const char* name;   // its description in devices.xml
};

// tests/device/qvsite.py list 16; the site of 7 is its units 1-6 and 9.
const SiteUnit SITE16[] = {{1, "Varnix"},         {2, "Varnix MPPT"},   {3, "Varnix HV MPPT"},
                           {4, "Corandel Duo"},   {5, "Corandel MPPT"}, {6, "Varnix Meter"},
                           {7, "Varnix"},         {8, "Varnix MPPT"},   {9, "Ostrel Relay Module"},
                           {10, "Varnix HV MPPT"}, {11, "Corandel Duo"}, {12, "Corandel MPPT"},
                           {13, "Varnix"},        {14, "Varnix MPPT"},  {15, "Ostrel Relay Module"},
                           {16, "VXM-2"}};

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

class FailingSite : public testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        MessageBoxRecorder::Instance().Clear();
        ASSERT_TRUE(m_site.Start(300, GetParam())) << m_site.Error();
        m_savedFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(Widen(SourcePath("res")));
        m_frame = demo_ui::OpenDemoShell(m_app);
        ASSERT_NE(nullptr, m_frame);
        m_frameHandle = m_frame->GetSafeHwnd();
        m_manager = m_app.GetDocumentManager();
    }

    void TearDown() override
    {
        // The logs the devices downloaded would be merged into the next download of a
        // device of the same name (the newcomer's session counts its days).
        std::vector<std::wstring> logs;
        for (const CDocumentDeviceGeneric1Ptr& device : m_devices) {
            std::wstring folder;
            logs.push_back(device->GetEmbeddedLogFilePath(folder));
        }
        demo_ui::CloseDemoShell(m_app, m_frameHandle);
        for (const std::wstring& log : logs)
            ::DeleteFileW(log.c_str());
        GetProgramFolders().SetProgramFolder(m_savedFolder);
        MessageBoxRecorder::Instance().Clear();
    }

    // The program's loop: one message at a time, waiting when there is none.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
    {
        const DWORD start = ::GetTickCount();
        for (int round = 0; round < 10000000; ++round) {
            if (done())
                return true;
            if (::GetTickCount() - start >= timeoutMs)
                return false;
            MSG msg;
            if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message != WM_QUIT) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageA(&msg);
                }
            } else {
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            }
        }
        return done();
    }

    // Every device of the site on its own TCP port, connected.
    void ConnectTheSite()
    {
        ASSERT_NO_FATAL_FAILURE(AddTheSite(0));
        for (const CDocumentDeviceGeneric1Ptr& device : m_devices) {
            try {
                device->GetConnection()->Connect();
            } catch (const std::exception& error) {
                FAIL() << device->GetName() << ": " << error.what();
            }
        }
        m_frame->PostMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, 0);
    }

    // Every device of the site, not connected: the first serialDevices on the site's
    // serial line (their unit ids), the others on their own TCP ports.
    void AddTheSite(int serialDevices, const demo_ui::DemoSite* other = nullptr)
    {
        const demo_ui::DemoSite& site = other != nullptr ? *other : m_site;
        const std::wstring devicesXml = GetProgramFolders().GetDevicesXmlPath();
        const GenericDeviceList_t described = LoadGenericDevices(devicesXml, m_manager, -1, -1, nullptr, nullptr);
        for (const SiteUnit& unit : SITE16) {
            if (GetParam() == 7 && unit.unit > 6 && unit.unit != 9)
                continue;
            CDocumentDeviceGeneric1Ptr match;
            for (const CDocumentDeviceGeneric1Ptr& candidate : described)
                if (!match && std::string(candidate->GetDefaultName()) == unit.name)
                    match = candidate;
            ASSERT_TRUE(match) << unit.name;
            CDocumentDeviceGeneric1Ptr device(
                new CDocumentDeviceGeneric1(match->GetModel(), match->GetType(), 255, m_manager));
            LoadGenericDevices(devicesXml, m_manager, match->GetModel(), match->GetType(), device.get(), nullptr);
            ASSERT_GT(m_manager->AddDevice(device), 0);
            ModbusEndpoint_t endpoint;
            endpoint.network = static_cast<int>(m_devices.size()) >= serialDevices;
            endpoint.host = endpoint.network ? "127.0.0.1" : "";
            endpoint.port = endpoint.network ? site.TcpPort(unit.unit) : site.ComPort();
            endpoint.unitId = unit.unit;
            ASSERT_NE(0, endpoint.port) << unit.unit;
            device->ApplyEndpoint(endpoint);
            m_devices.push_back(device);
        }
    }

    // A State display of every variable of every device, filled with live values, and a
    // Logger of the first of them.
    void ShowEveryVariable()
    {
        ASSERT_NO_FATAL_FAILURE(OpenDisplays());
        CListCtrl& list = m_view->GetList();
        ASSERT_TRUE(PumpUntil([&] { return AllRowsLive(); }, kWaitMs))
            << list.GetItemCount() << " rows of " << m_variables;
    }

    // Every row shows a value of a device that answers now.
    bool AllRowsLive()
    {
        CListCtrl& list = m_view->GetList();
        if (list.GetItemCount() != m_variables)
            return false;
        for (int row = 0; row < m_variables; ++row)
            if (list.GetItemText(row, 2).IsEmpty() || !m_state->IsRowLive(row))
                return false;
        return true;
    }

    // The State display of every variable and the Logger of the first of them.
    void OpenDisplays()
    {
        // The templates in the order of Displays > New: State, Logger, Historical Graph.
        const std::deque<CDocTemplatePtr> templates = m_manager->GetDocTemplates();
        CDocumentDisplay* logger = dynamic_cast<CDocumentDisplay*>(templates.at(1)->OpenDocumentFile(nullptr, TRUE));
        ASSERT_NE(nullptr, logger);
        m_logger = dynamic_cast<CDisplayLogWriteDoc*>(logger);
        m_manager->AddDisplay(CDocumentDisplayPtr(logger));
        POSITION position = logger->GetFirstViewPos();
        CDisplayLogWriteView* loggerView = dynamic_cast<CDisplayLogWriteView*>(logger->GetNextViewAt(position));
        ASSERT_NE(nullptr, loggerView);
        m_state = dynamic_cast<CDisplayStateDoc*>(templates.at(0)->OpenDocumentFile(nullptr, TRUE));
        ASSERT_NE(nullptr, m_state);
        m_manager->AddDisplay(CDocumentDisplayPtr(m_state));
        position = m_state->GetFirstViewPos();
        m_view = dynamic_cast<CDisplayStateView*>(m_state->GetNextViewAt(position));
        ASSERT_NE(nullptr, m_view);
        m_frame->MDIMaximize(m_view->GetParentFrame());
        int variables = 0;
        for (const CDocumentDeviceGeneric1Ptr& device : m_devices) {
            CTreeItemPtr owner(new CTreeItem(device->GetName(), "", PLOT_ID_NONE, PLOT_ID_NONE, device->GetId(), ""));
            device->CollectPlotItems(owner->GetPlotItems());
            for (const CTreeItemPtr& item : owner->GetPlotItems()) {
                item->SetAssociated(owner);
                if (variables < kLogged && loggerView->CanDrop(item.get()))
                    loggerView->Drop(item.get());
                if (m_view->CanDrop(item.get())) {
                    m_view->Drop(item.get());
                    ++variables;
                }
            }
        }
        ASSERT_GT(variables, 10 * GetParam());
        m_variables = variables;
    }

    // How long a command posted now waits until it has taken effect.
    DWORD PostedCommandWait()
    {
        CControlBar& bar = m_frame->GetEdgeBar();
        const bool shown = (bar.GetStyle() & WS_VISIBLE) != 0;
        return ProgramsWait([&] {
            m_frame->PostMessage(WM_COMMAND, ID_VIEW_EDGEBAR, 0);
            PumpUntil([&] { return ((bar.GetStyle() & WS_VISIBLE) != 0) != shown; }, kWaitMs);
        });
    }

    // How long the display's list waits for its repaint once a part of it is invalid.
    DWORD RepaintWait()
    {
        HWND list = m_view->GetList().GetSafeHwnd();
        return ProgramsWait([&] {
            ::InvalidateRect(list, nullptr, FALSE);
            PumpUntil([&] { return !::GetUpdateRect(list, nullptr, FALSE); }, kWaitMs);
        });
    }

    // The milliseconds the wait took, less those in which the machine did not run this
    // process at all (a loaded machine's stall is not the window's): added up in
    // m_stalledMs, which the tests print beside their figures.
    template <typename Wait>
    DWORD ProgramsWait(Wait wait)
    {
        const double from = testing_support::JournalClockNow();
        const DWORD start = ::GetTickCount();
        wait();
        const DWORD waited = ::GetTickCount() - start;
        const DWORD stalled = static_cast<DWORD>(m_stalls.StalledWithin(from, testing_support::JournalClockNow()) * 1000);
        m_stalledMs += std::min(stalled, waited);
        return waited - std::min(stalled, waited);
    }

    CVarnixViewApp m_app;
    CMainFrame* m_frame = nullptr;
    HWND m_frameHandle = nullptr;
    CDocumentManager* m_manager = nullptr;
    PeerHost m_host;
    demo_ui::DemoSite m_site{m_host};
    std::wstring m_savedFolder;
    std::vector<CDocumentDeviceGeneric1Ptr> m_devices;
    CDisplayStateDoc* m_state = nullptr;
    CDisplayStateView* m_view = nullptr;
    CDisplayLogWriteDoc* m_logger = nullptr;
    int m_variables = 0;
    testing_support::StallWatch m_stalls;
    DWORD m_stalledMs = 0;
};

TEST_P(FailingSite, CommandsAndRepaintsKeepTheirTurnWhileEveryDeviceFails)
{
    ASSERT_NO_FATAL_FAILURE(ConnectTheSite());
    ASSERT_NO_FATAL_FAILURE(ShowEveryVariable());
    // What connecting left the window (the downloaded logs opened among it) is done first:
    // a backlog keeps a posted command seconds; settled, one takes about 70 ms here, and
    // the bound keeps three times that and more for a loaded machine.
    const DWORD kSettledMs = 250;
    const DWORD settling = ::GetTickCount();
    DWORD live = kWaitMs;
    while (live >= kSettledMs && ::GetTickCount() - settling < 4 * kWaitMs)
        live = PostedCommandWait();
    ASSERT_LT(live, kSettledMs) << "the window never settled after connecting";

    m_site.Kill();
    const DWORD killed = ::GetTickCount();
    DWORD worstCommand = 0;
    DWORD worstCommandAt = 0;
    DWORD worstRepaint = 0;
    int rounds = 0;
    for (; ::GetTickCount() - killed < kWatchMs && rounds < 1000; ++rounds) {
        const DWORD at = ::GetTickCount() - killed;
        const DWORD command = PostedCommandWait();
        if (command > worstCommand) {
            worstCommand = command;
            worstCommandAt = at;
        }
        worstRepaint = std::max(worstRepaint, RepaintWait());
        PumpUntil([] { return false; }, 100);
    }
    bool allFailing = true;
    for (const CDocumentDeviceGeneric1Ptr& device : m_devices)
        allFailing = allFailing && !device->GetMessagesText().empty();
    std::printf("%d devices failing for %lu ms: a posted command waited at most %lu ms (posted %lu ms after "
                "the kill; %lu ms while they answered), a repaint %lu ms, over %d rounds (%lu ms of machine stall "
                "left out)\n",
                GetParam(), static_cast<unsigned long>(::GetTickCount() - killed),
                static_cast<unsigned long>(worstCommand), static_cast<unsigned long>(worstCommandAt),
                static_cast<unsigned long>(live), static_cast<unsigned long>(worstRepaint), rounds,
                static_cast<unsigned long>(m_stalledMs));
    EXPECT_TRUE(allFailing) << "every device tells that its polls fail";
    EXPECT_LT(worstCommand, kLimitMs);
    EXPECT_LT(worstRepaint, kLimitMs);
    // The values that stayed are the last ones of devices that no longer answer.
    for (int row = 0; row < m_view->GetList().GetItemCount(); ++row)
        ASSERT_FALSE(m_state->IsRowLive(row)) << row;
    // Failing polls are told in the device tree, never in a box (the notice of the first
    // downloaded logs came with the connect).
    for (const RecordedMessageBox& box : MessageBoxRecorder::Instance().Boxes())
        EXPECT_EQ(0u, box.text.find("The device you connected had some long-term logged data")) << box.text;
}

INSTANTIATE_TEST_SUITE_P(SevenAndSixteen, FailingSite, testing::Values(7, 16));

class ConnectingSite : public FailingSite
{
protected:
    // A device's place on the wire: its TCP port (0 on the site's serial line) and unit id.
    using Endpoint = std::pair<int, int>;
    static Endpoint EndpointOf(const CDocumentDeviceGeneric1Ptr& device)
    {
        const boost::shared_ptr<ModbusEndpoint_t> endpoint = device->GetGenericConnection()->GetEndpoint();
        return {endpoint->network ? endpoint->port : 0, endpoint->unitId};
    }

    // The device's node in the device tree, selected as a click would.
    bool SelectDeviceNode(const CDocumentDeviceGeneric1Ptr& device)
    {
        CTabDeviceView* tree = m_frame->GetDeviceTree();
        CTreeCtrl& control = tree->GetTreeCtrl();
        for (HTREEITEM item = control.GetRootItem(); item != nullptr; item = control.GetNextSiblingItem(item)) {
            const CTreeItem* data = tree->GetItemData(item);
            if (data != nullptr && data->GetDocumentId() == device->GetId() && CTreeViewEx::IsDeviceNode(*data))
                return control.SelectItem(item) != FALSE;
        }
        return false;
    }

    // The workspace's devices, as opening it made them.
    void TakeTheOpenedDevices()
    {
        m_devices.clear();
        for (const CDocumentDevicePtr& device : m_manager->GetDevices())
            if (device->IsListed())
                if (const CDocumentDeviceGeneric1Ptr generic = boost::dynamic_pointer_cast<CDocumentDeviceGeneric1>(device))
                    m_devices.push_back(generic);
    }
};

// The goal, half a second for any posted command or repaint, is a figure of the demo bench
// (tools/bench-demo --logger-connect, 128 devices). Here the 16 devices show whether the
// window keeps answering at all: a window that froze through Connect All kept a posted
// command 4.4-4.8 s; one that answers kept it at most 55-150 ms (552 ms once, at light
// load), and the limit keeps three times a loaded machine's figure and a third of the freeze.
const DWORD kConnectingLimitMs = 1500;

TEST_P(ConnectingSite, CommandsAndRepaintsKeepTheirTurnThroughConnectAll)
{
    ASSERT_NO_FATAL_FAILURE(AddTheSite(GetParam() / 2));
    m_frame->PostMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, 0);
    ASSERT_NO_FATAL_FAILURE(OpenDisplays());
    testing_support::DispatchPendingMessages();

    // The first posted command waits behind Connect All itself; a second Connect All finds
    // every device connecting already.
    m_frame->PostMessage(WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
    m_frame->PostMessage(WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
    const DWORD start = ::GetTickCount();
    DWORD worstCommand = 0;
    DWORD worstRepaint = 0;
    int rounds = 0;
    for (; !AllRowsLive() && ::GetTickCount() - start < kWaitMs && rounds < 1000; ++rounds) {
        worstCommand = std::max(worstCommand, PostedCommandWait());
        worstRepaint = std::max(worstRepaint, RepaintWait());
    }
    std::printf("Connect All of %d devices (%d on the serial line): every variable live after %lu ms; a posted "
                "command waited at most %lu ms, a repaint %lu ms, over %d rounds (%lu ms of machine stall left out)\n",
                GetParam(), GetParam() / 2, static_cast<unsigned long>(::GetTickCount() - start),
                static_cast<unsigned long>(worstCommand), static_cast<unsigned long>(worstRepaint), rounds,
                static_cast<unsigned long>(m_stalledMs));
    ASSERT_TRUE(AllRowsLive()) << "not every device was polled";
    EXPECT_LT(worstCommand, kConnectingLimitMs);
    EXPECT_LT(worstRepaint, kConnectingLimitMs);
    // At most the notice of the first downloaded logs: no device failed, none was opened twice.
    for (const RecordedMessageBox& box : MessageBoxRecorder::Instance().Boxes())
        EXPECT_EQ(0u, box.text.find("The device you connected had some long-term logged data")) << box.text;
}

// Each open on a line whose devices stopped answering waits out its time-outs, seconds for
// the line's 16 devices; closing cuts the one under way short and drops the rest.
TEST_P(ConnectingSite, ClosingWhileTheDevicesOfASilentLineConnectAbandonsThem)
{
    // The requirement; closing took about half a second here.
    const DWORD kCloseLimitMs = 5000;
    ASSERT_NO_FATAL_FAILURE(AddTheSite(GetParam()));
    m_site.Kill();
    // Every device shows busy at once, before any open has come back.
    m_frame->SendMessage(WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
    for (const CDocumentDeviceGeneric1Ptr& device : m_devices)
        EXPECT_TRUE(device->IsBusy() && !device->IsConnected()) << device->GetName();
    PumpUntil([] { return false; }, 300);
    const DWORD start = ::GetTickCount();
    m_frame->SendMessage(WM_CLOSE, 0, 0);
    const DWORD closing = ::GetTickCount() - start;
    std::printf("closed %lu ms after the close while %d devices connected\n", static_cast<unsigned long>(closing),
                GetParam());
    EXPECT_FALSE(::IsWindow(m_frameHandle));
    EXPECT_LT(closing, kCloseLimitMs);
    // What was still opening lets go of the line by itself.
    EXPECT_TRUE(PumpUntil(
        [] {
            CSingleLock lock(&SharedLinksLock(), TRUE);
            return SharedSerialLinks().empty();
        },
        kWaitMs));
    for (const CDocumentDeviceGeneric1Ptr& device : m_devices)
        EXPECT_FALSE(device->IsConnected() || device->GetGenericConnection()->HasTransport()) << device->GetName();
    EXPECT_EQ(0u, MessageBoxRecorder::Instance().Count());
}

// File > New while the devices of a line connect: once it has returned, the opens of the
// devices it ended are called off (the waiting ones dropped, the one under way cut short),
// not only when the window comes to the refresh the new workspace posted.
TEST_P(ConnectingSite, FileNewCallsOffTheOpensOfTheDevicesItEndedBeforeItReturns)
{
    ASSERT_NO_FATAL_FAILURE(AddTheSite(GetParam()));
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, 0);
    // A silent line: each open waits out its time-outs (seconds), so that the devices wait
    // their turns behind the first one's for as long as New takes.
    m_site.Kill();
    m_frame->SendMessage(WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
    int busy = 0;
    for (const CDocumentDeviceGeneric1Ptr& device : m_devices)
        busy += device->IsBusy() ? 1 : 0;
    ASSERT_EQ(GetParam(), busy) << "every device of the line waits or opens";
    m_frame->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    // Nothing of the window's queue has run since.
    busy = 0;
    for (const CDocumentDeviceGeneric1Ptr& device : m_devices)
        busy += device->IsBusy() ? 1 : 0;
    // The one under way (or its outcome, posted) stays busy until the window has its outcome.
    EXPECT_LE(busy, 2) << "devices of the old workspace still wait to open";
    EXPECT_TRUE(PumpUntil(
        [&] {
            for (const CDocumentDeviceGeneric1Ptr& device : m_devices)
                if (device->IsBusy() || device->IsConnected())
                    return false;
            return true;
        },
        kWaitMs));
}

// Connect All and then a command that ends devices, again and again, at moments that vary
// from before the first open to polling: Disconnect or Delete of one device, File > New,
// Open Workspace. Once the command has returned no request of a device it ended goes out,
// on the serial line (its unit) or to its TCP port. Seen before: a thread's requests of the
// old workspace's line 26-93 ms after Open Workspace returned, and one 0.66 s after a
// Disconnect, both at a load spike.
TEST_P(ConnectingSite, NoRequestOfTheDevicesACommandEndedGoesOutOnceItHasReturned)
{
    // How long after each command the wire is watched: longer than a poll's round and the
    // time-outs of a request under way.
    const DWORD kWatchAfterMs = 700;
    const int kCycles = 24;
    ASSERT_NO_FATAL_FAILURE(AddTheSite(GetParam() / 2));
    const std::string workspace = BuildPath("tests/demo_ui/connecting-site-" + ProcessTag() + ".pxs");
    {
        CDocumentWorkspace writer;
        ASSERT_TRUE(writer.OnSaveDocument(workspace.c_str()));
    }
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, 0);
    WireRequests wire;
    ASSERT_TRUE(wire.Installed());

    enum Way { kDisconnect, kDelete, kNew, kOpen, kWays };
    const char* const names[kWays] = {"Disconnect", "Delete", "File > New", "Open Workspace"};
    int given[kWays] = {};
    int connectedWhenCut = 0;
    int late = 0;
    for (int cycle = 0; cycle < kCycles && !HasFatalFailure(); ++cycle) {
        const Way way = static_cast<Way>(cycle % kWays);
        m_frame->SendMessage(WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
        PumpUntil([] { return false; }, static_cast<DWORD>(cycle * 277 % 1500));

        std::set<Endpoint> ended;
        long mark = 0;
        if (way == kDisconnect || way == kDelete) {
            const CDocumentDeviceGeneric1Ptr device = m_devices.at(static_cast<size_t>(cycle * 5) % m_devices.size());
            connectedWhenCut += device->IsConnected() ? 1 : 0;
            ASSERT_TRUE(SelectDeviceNode(device)) << "cycle " << cycle;
            ended.insert(EndpointOf(device));
            // Delete is offered only once the device is not connected.
            if (device->IsConnected() || way == kDisconnect) {
                m_frame->SendMessage(WM_COMMAND, ID_DEVICE_DISCONNECT, 0);
                mark = wire.Mark();
            }
            if (way == kDelete) {
                ASSERT_FALSE(device->IsConnected()) << "cycle " << cycle;
                m_frame->SendMessage(WM_COMMAND, ID_DEVICE_DELETE, 0);
                if (mark == 0)
                    mark = wire.Mark();
                m_devices.erase(std::find(m_devices.begin(), m_devices.end(), device));
            }
        } else {
            for (const CDocumentDeviceGeneric1Ptr& device : m_devices) {
                ended.insert(EndpointOf(device));
                connectedWhenCut += device->IsConnected() ? 1 : 0;
            }
            if (way == kNew) {
                m_frame->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
                mark = wire.Mark();
                m_devices.clear();
                ASSERT_NO_FATAL_FAILURE(AddTheSite(GetParam() / 2));
                m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, 0);
            } else {
                ASSERT_NE(nullptr, m_app.OpenDocumentFile(workspace.c_str())) << "cycle " << cycle;
                mark = wire.Mark();
                TakeTheOpenedDevices();
                ASSERT_EQ(static_cast<size_t>(GetParam()), m_devices.size()) << "cycle " << cycle;
            }
        }
        ++given[way];
        // The window goes on meanwhile: the outcomes of what was cut short come in.
        PumpUntil([] { return false; }, kWatchAfterMs);
        for (const WireRequest& request : wire.After(mark)) {
            if (ended.count({request.tcpPort, request.unit}) != 0 && late < 20) {
                ++late;
                ADD_FAILURE() << "cycle " << cycle << ": a request to unit " << request.unit
                              << (request.tcpPort ? " at TCP port " + std::to_string(request.tcpPort) : " on the line")
                              << " went out after " << names[way] << " had returned";
            }
        }
    }
    // Quiet at the end: every device's thread has let go of the line.
    m_frame->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    m_devices.clear();
    EXPECT_TRUE(PumpUntil(
        [] {
            CSingleLock lock(&SharedLinksLock(), TRUE);
            return SharedSerialLinks().empty();
        },
        kWaitMs));
    PumpUntil([] { return false; }, kWatchAfterMs);

    // The watch saw every request the site was sent: none of the site's journal is missing
    // from the wire's (a request may go out and be lost as a line is let go).
    std::map<Endpoint, int> sent;
    for (const WireRequest& request : wire.After(0))
        ++sent[{request.tcpPort, request.unit}];
    int answered = 0;
    for (const SiteUnit& unit : SITE16) {
        const bool serial = unit.unit <= GetParam() / 2;
        const int journalled = m_site.Requests(serial ? "rtu" : "tcp", unit.unit);
        answered += journalled;
        const Endpoint endpoint(serial ? 0 : m_site.TcpPort(unit.unit), unit.unit);
        EXPECT_LE(journalled, sent[endpoint]) << "unit " << unit.unit;
    }
    std::printf("%d Connect All / cut cycles (Disconnect %d, Delete %d, New %d, Open %d; %d devices connected when "
                "cut): %d requests on the wire, %d answered by the site, %d after a command that ended their device\n",
                kCycles, given[kDisconnect], given[kDelete], given[kNew], given[kOpen], connectedWhenCut,
                static_cast<int>(wire.After(0).size()), answered, late);
    EXPECT_GT(connectedWhenCut, kCycles) << "the cuts found devices connected and polling";
    EXPECT_GT(answered, 100 * kCycles) << "the devices were polled between the cuts";
    ::DeleteFileA(workspace.c_str());
}

INSTANTIATE_TEST_SUITE_P(Sixteen, ConnectingSite, testing::Values(16));

// File > New and closing the window while Connect All of eight sites of 16 devices (128)
// is under way and a Logger records: the three document lists are taken together then,
// while the devices' threads take each of them again and again. Each is to end within a
// second; the limit keeps three times that for a loaded machine. Seen here: New 0.19-0.91 s,
// the close 0.19-1.17 s, the lists taken at once every time (the close's longest part is the
// wait for the opens under way to end).
class EightSites : public FailingSite
{
protected:
    void AddEightSites()
    {
        ASSERT_NO_FATAL_FAILURE(AddTheSite(0));
        for (int i = 1; i < 8; ++i) {
            m_more.push_back(std::make_unique<demo_ui::DemoSite>(m_host));
            ASSERT_TRUE(m_more.back()->Start(300, 16, i * 16)) << m_more.back()->Error();
            ASSERT_NO_FATAL_FAILURE(AddTheSite(0, m_more.back().get()));
        }
        ASSERT_EQ(128u, m_devices.size());
        m_frame->PostMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, 0);
        ASSERT_NO_FATAL_FAILURE(OpenDisplays());
        testing_support::DispatchPendingMessages();
        // The Logger's devices (the first site's) connected, and the Logger recording.
        for (size_t i = 0; i < 16; ++i) {
            try {
                m_devices[i]->GetConnection()->Connect();
            } catch (const std::exception& error) {
                FAIL() << m_devices[i]->GetName() << ": " << error.what();
            }
        }
        m_logPath = BuildPath("tests/demo_ui/eight-sites-" + ProcessTag() + ".csv");
        m_logger->SetFileName(m_logPath.c_str());
        m_logger->SetInterval(1);
        try {
            m_logger->Start();
        } catch (const std::exception& error) {
            FAIL() << "the Logger did not start: " << error.what();
        }
        // Connect All, until the first of its devices are connected and the others under way.
        m_frame->PostMessage(WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
        ASSERT_TRUE(PumpUntil(
            [&] {
                int connected = 0;
                for (size_t i = 16; i < m_devices.size(); ++i)
                    connected += m_devices[i]->IsConnected() ? 1 : 0;
                return connected >= 4;
            },
            kWaitMs));
    }

    void TearDown() override
    {
        FailingSite::TearDown();
        ::DeleteFileA(m_logPath.c_str());
        m_more.clear();
    }

    std::vector<std::unique_ptr<demo_ui::DemoSite>> m_more;
    std::string m_logPath;
};

const DWORD kCommandGoalMs = 1000;

TEST_P(EightSites, FileNewDuringConnectAllWithALoggerRecordingEndsWithinASecond)
{
    ASSERT_NO_FATAL_FAILURE(AddEightSites());
    int connecting = 0;
    for (const CDocumentDeviceGeneric1Ptr& device : m_devices)
        connecting += device->IsBusy() ? 1 : 0;
    const DWORD start = ::GetTickCount();
    m_frame->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    const DWORD took = ::GetTickCount() - start;
    std::printf("File > New during Connect All of 128 devices (%d still connecting) with a Logger recording: %lu ms\n",
                connecting, static_cast<unsigned long>(took));
    EXPECT_GT(connecting, 0) << "Connect All was under way";
    EXPECT_LT(took, 3 * kCommandGoalMs);
    EXPECT_TRUE(m_manager->GetDisplays().empty()) << "the displays closed";
    m_logger = nullptr;
}

TEST_P(EightSites, ClosingDuringConnectAllWithALoggerRecordingEndsWithinASecond)
{
    ASSERT_NO_FATAL_FAILURE(AddEightSites());
    int connecting = 0;
    for (const CDocumentDeviceGeneric1Ptr& device : m_devices)
        connecting += device->IsBusy() ? 1 : 0;
    const DWORD start = ::GetTickCount();
    m_frame->SendMessage(WM_CLOSE, 0, 0);
    const DWORD took = ::GetTickCount() - start;
    std::printf("closing during Connect All of 128 devices (%d still connecting) with a Logger recording: %lu ms\n",
                connecting, static_cast<unsigned long>(took));
    EXPECT_GT(connecting, 0) << "Connect All was under way";
    EXPECT_FALSE(::IsWindow(m_frameHandle));
    EXPECT_LT(took, 3 * kCommandGoalMs);
    m_logger = nullptr;
}

INSTANTIATE_TEST_SUITE_P(OneHundredTwentyEight, EightSites, testing::Values(16));

} // namespace
