// The demo as a newcomer tries it: Pyraxis's own frame against the simulated site of seven
// devices. The search finds every device and each one connects and downloads its log; a
// State display shows values that change; a Logger records rows that a Historical Graph
// plots, and a device's downloaded log is plotted too; each setup wizard, opened from its
// device as the popup opens it, reads the device, and a changed setpoint programmed into
// it is what the device then holds, every page with its texts whole; a later connect adds
// only the new days to the log.
// Screenshots of each step go to build/screenshots (demo_*).
#include <gtest/gtest.h>

#include "displays/CDisplayGraphTimeDoc.h"
#include "displays/CDisplayGraphTimeView.h"
#include "displays/CDisplayLogWriteDoc.h"
#include "displays/CDisplayLogWriteView.h"
#include "displays/CDisplayStateDoc.h"
#include "displays/CDisplayStateView.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "documents/RegistryHelpers.h"
#include "framework/CClientDC.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CPropertySheet.h"
#include "res/pyraxis_corandel_resource.h"
#include "res/pyraxis_displays_resource.h"
#include "res/pyraxis_relay_resource.h"
#include "res/pyraxis_resource.h"
#include "res/pyraxis_varnix_resource.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/CMainFrame.h"
#include "shell/CTabDeviceView.h"
#include "shell/CTabLogFileView.h"
#include "shell/CVarnixViewApp.h"
#include "shell/DeviceSearchSettings.h"
#include "shell/ProgramFolders.h"
#include "shell/ShellCommands.h"
#include "tests/demo_ui/DemoShell.h"
#include "tests/demo_ui/DemoSite.h"
#include "tests/support/ControlTextFit.h"
#include "tests/support/DialogUser.h"
#include "tests/support/FileText.h"
#include "tests/support/GraphTextFit.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace testing_support;

namespace
{
const DWORD kWaitMs = 30000;
// A day of the site in real seconds: the test sees the values move and new days logged.
const int kDaySeconds = 30;

MessageBoxRecorder& Recorder()
{
    return MessageBoxRecorder::Instance();
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

struct SiteDevice
{
    int unit;
    const char* node;   // the device tree's text once connected
};

const SiteDevice SITE[] = {{1, "VNX-45 (DEMO0001)"},      {2, "VX-MPPT (DEMO0002)"},  {3, "VX-HV-MPPT (DEMO0003)"},
                           {4, "CRD-DUO (DEMO0004)"},     {5, "CRD-MPPT (DEMO0005)"}, {6, "VNX-RM (DEMO0006)"},
                           {9, "OST-4R (DEMO0009)"}};

// The hour meters of the records of a device's downloaded log file.
std::vector<int> LoggedHours(const std::wstring& path)
{
    std::string text = ReadFileText(std::string(path.begin(), path.end()));
    std::vector<int> hours;
    const std::string key = " hourmeter=\"";
    for (size_t at = text.find(key); at != std::string::npos && hours.size() < 10000; at = text.find(key, at + 1))
        hours.push_back(std::atoi(text.c_str() + at + key.size()));
    return hours;
}

template <class View>
View* ViewOf(const CDocumentDisplayPtr& display)
{
    POSITION position = display ? display->GetFirstViewPos() : nullptr;
    return position != nullptr ? dynamic_cast<View*>(display->GetNextViewAt(position)) : nullptr;
}


// The rows of a summary list view by their first column, the value in another one.
std::string SummaryCell(HWND dialog, int listId, const std::string& name, int column)
{
    for (const std::vector<std::string>& row : ListViewRows(dialog, listId))
        if (!row.empty() && row[0] == name && static_cast<int>(row.size()) > column)
            return row[column];
    return "";
}

// Marks a summary cell, so that what a read shows afterwards can be told from what was there.
void MarkCell(HWND dialog, int listId, const std::string& name, int column)
{
    const std::vector<std::vector<std::string>> rows = ListViewRows(dialog, listId);
    for (size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].empty() || rows[row][0] != name)
            continue;
        char stale[] = "stale";
        LVITEMA cell = {};
        cell.iSubItem = column;
        cell.pszText = stale;
        ::SendDlgItemMessageA(dialog, listId, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
    }
}

// The template id of the wizard page shown.
int PageTemplate(HWND sheet)
{
    HWND page = CurrentPage(sheet);
    if (page == nullptr)
        return 0;
    const LRESULT index = ::SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0);
    return static_cast<int>(::SendMessageA(sheet, PSM_INDEXTOID, static_cast<WPARAM>(index), 0));
}

// Ready when a setup's dialog shows; the warnings before it are answered with OK on the way.
std::function<bool()> SetupShows(const std::string& title, HWND& setup)
{
    auto lastClick = std::make_shared<DWORD>(0);
    return [title, &setup, lastClick] {
        if ((setup = FindTopWindow(title)) != nullptr)
            return true;
        HWND warning = FindTopWindow("Warning");
        if (warning != nullptr && ::GetTickCount() - *lastClick > 500) {
            *lastClick = ::GetTickCount();
            Click(warning, IDOK);
        }
        return false;
    };
}

// What a walk does on a page the first time it shows: (sheet, page template, page).
typedef std::function<void(HWND, int, HWND)> PageAction;

// Ready when the wizard sheet has come to its Finish: Next is pressed on every page (after
// the page's action), and the question before programming a connected device is answered
// "Disconnect and program".
std::function<bool()> WalkedToFinish(HWND& sheet, PageAction onPage = PageAction())
{
    struct Walk
    {
        std::set<HWND> visited;
        DWORD lastPress = 0;
    };
    auto walk = std::make_shared<Walk>();
    return [&sheet, onPage, walk] {
        if (HWND question = FindDialogWith(IDC_GENERIC_MESSAGE_TEXT)) {
            Click(question, IDOK);
            return false;
        }
        sheet = FindWizardSheet();
        HWND page = CurrentPage(sheet);
        if (page == nullptr)
            return false;
        if (walk->visited.insert(page).second) {
            // Every page shows its texts whole, with the site's own values in them.
            for (const std::string& cut : CutTexts(sheet))
                ADD_FAILURE() << "page " << PageTemplate(sheet) << ": " << cut;
            if (onPage)
                onPage(sheet, PageTemplate(sheet), page);
        }
        if (IsWizardButtonEnabled(sheet, ID_WIZFINISH) && !IsWizardButtonEnabled(sheet, ID_WIZNEXT))
            return true;
        if (IsWizardButtonEnabled(sheet, ID_WIZNEXT) && ::GetTickCount() - walk->lastPress > 300) {
            walk->lastPress = ::GetTickCount();
            PressWizardButton(sheet, PSBTN_NEXT);
        }
        return false;
    };
}

// Types the text into the control on the page of that template (once).
PageAction TypeOn(int pageTemplate, int control, const std::string& text)
{
    auto typed = std::make_shared<bool>(false);
    return [=](HWND, int shown, HWND page) {
        if (shown == pageTemplate && !*typed) {
            *typed = true;
            Type(page, control, text);
        }
    };
}

// The connection pages of the given templates set to the device's own network port.
PageAction OverTcp(std::vector<int> pageTemplates, int port, int unit)
{
    return [=](HWND, int shown, HWND page) {
        if (std::find(pageTemplates.begin(), pageTemplates.end(), shown) == pageTemplates.end())
            return;
        HWND combo = ::GetDlgItem(page, IDC_WIZARD_PORT);
        SelectCombo(page, IDC_WIZARD_PORT,
                    static_cast<int>(::SendMessageA(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("TCP/IP"))));
        Type(page, IDC_WIZARD_IP_ADDRESS, "127.0.0.1");
        Type(page, IDC_WIZARD_TCP_PORT, std::to_string(port));
        Type(page, IDC_WIZARD_MODBUS_ADDRESS, std::to_string(unit));
    };
}

bool Wrote(const std::vector<std::pair<int, int>>& writes, int address, int value)
{
    return std::find(writes.begin(), writes.end(), std::make_pair(address, value)) != writes.end();
}

class DemoSiteTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Recorder().Clear();
        m_folder = BuildPath("test-output\\demo_ui-" + ProcessTag());
        ASSERT_TRUE(EnsureDirectory(m_folder));
        ASSERT_TRUE(m_site.Start(kDaySeconds)) << m_site.Error();
        m_savedFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(Widen(SourcePath("res")));
        // Logs of an earlier run would be merged into this run's downloads.
        for (const SiteDevice& device : SITE) {
            const std::string name = std::string(device.node);
            const std::wstring file = GetProgramFolders().GetLogFolder() + L"\\" +
                                      Widen(name.substr(0, name.find(' ')) + "-DEMO000" + std::to_string(device.unit)) +
                                      L".xml";
            ::DeleteFileW(file.c_str());
        }
        m_savedSerial = ReadRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL, 0xFFFFFFFF);
        m_savedNetwork = ReadRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_NETWORK, 1);
        WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL, static_cast<DWORD>(m_site.ComPort()));
        WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_NETWORK, 0);
        m_frame = demo_ui::OpenDemoShell(m_app);
        ASSERT_NE(nullptr, m_frame);
        m_frameHandle = m_frame->GetSafeHwnd();
        m_manager = m_app.GetDocumentManager();
    }

    void TearDown() override
    {
        demo_ui::CloseDemoShell(m_app, m_frameHandle);
        WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL, m_savedSerial);
        WriteRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_NETWORK, m_savedNetwork);
        GetProgramFolders().SetProgramFolder(m_savedFolder);
        Recorder().Clear();
    }

    void Pump() { DispatchPendingMessages(); }
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs)
    {
        return PollUntil([&] { Pump(); return done(); }, timeoutMs);
    }
    void Command(UINT command)
    {
        m_frame->SendMessage(WM_COMMAND, command, 0);
        Pump();
    }
    void Shot(const std::string& name)
    {
        ::RedrawWindow(m_frameHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        PumpUntil([] { return false; }, 200);
        EXPECT_FALSE(Screenshot::OfWindow(m_frameHandle).Save(name).empty()) << name;
    }
    // The display filling the frame for its screenshot, then back to its own size.
    void ShotOf(const CDocumentDisplayPtr& display, const std::string& name)
    {
        POSITION position = display->GetFirstViewPos();
        CWnd* frame = display->GetNextViewAt(position)->GetParentFrame();
        m_frame->MDIMaximize(frame);
        Shot(name);
        m_frame->MDIRestore(frame);
        Pump();
    }

    CDocumentDeviceGeneric1Ptr DeviceOfUnit(int unit)
    {
        for (const CDocumentDevicePtr& device : m_manager->GetDevices()) {
            auto generic = boost::dynamic_pointer_cast<CDocumentDeviceGeneric1>(device);
            if (generic && generic->GetGenericConnection()->GetEndpoint()->unitId == unit)
                return generic;
        }
        return CDocumentDeviceGeneric1Ptr();
    }

    std::vector<HTREEITEM> Children(CTreeViewEx& tree, HTREEITEM parent)
    {
        std::vector<HTREEITEM> items;
        CTreeCtrl& control = tree.GetTreeCtrl();
        for (HTREEITEM item = control.GetChildItem(parent); item != nullptr && items.size() < 1000;
             item = control.GetNextSiblingItem(item))
            items.push_back(item);
        return items;
    }
    std::string ItemName(CTreeViewEx& tree, HTREEITEM item)
    {
        return static_cast<const char*>(tree.GetTreeCtrl().GetItemText(item));
    }

    // Drags a tree item onto a display as the mouse does: onto the window given (a list the
    // view shows), else onto the view.
    void Drag(CTreeViewEx& tree, HTREEITEM item, const CDocumentDisplayPtr& display, CWnd* onto = nullptr)
    {
        POSITION position = display->GetFirstViewPos();
        CView* view = display->GetNextViewAt(position);
        if (m_frame->MDIGetActive() != view->GetParentFrame()) {
            m_frame->MDIActivate(view->GetParentFrame());
            Pump();
        }
        CRect target;
        (onto != nullptr ? onto : view)->GetWindowRect(&target);
        CPoint to = target.CenterPoint();
        tree.ScreenToClient(&to);
        CRect itemRect;
        tree.GetTreeCtrl().EnsureVisible(item);
        tree.GetTreeCtrl().GetItemRect(item, &itemRect, TRUE);
        tree.BeginDrag(item, itemRect.CenterPoint());
        tree.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(to.x, to.y));
        tree.EndDrag(0, to);
    }

    // Displays > New with the kind's row chosen; the display it opened.
    CDocumentDisplayPtr NewDisplay(int row)
    {
        const size_t before = m_manager->GetDisplays().size();
        shell_test::DialogUser user(IDC_NEW_DISPLAY_LIST, [row](HWND window) {
            ::SendMessageA(shell_test::FindDescendant(window, IDC_NEW_DISPLAY_LIST), LB_SETCURSEL, row, 0);
            shell_test::Click(window, IDOK);
        });
        Command(ID_DISPLAY_NEW);
        EXPECT_TRUE(user.Finished());
        const DisplayList_t displays = m_manager->GetDisplays();
        return displays.size() == before + 1 ? displays.back() : CDocumentDisplayPtr();
    }

    // A new Historical Graph of the whole log file of the Log Files tab with that name,
    // once it draws.
    void GraphOfLog(const std::string& name, CDocumentDisplayPtr& graph)
    {
        CTabLogFileView* logs = m_frame->GetLogFileTree();
        HTREEITEM node = nullptr;
        ASSERT_TRUE(PumpUntil([&] {
            for (HTREEITEM item : Children(*logs, TVI_ROOT))
                if (ItemName(*logs, item) == name)
                    node = item;
            return node != nullptr;
        })) << name;
        graph = NewDisplay(2);
        CDisplayGraphTimeView* view = ViewOf<CDisplayGraphTimeView>(graph);
        ASSERT_NE(nullptr, view);
        m_frame->GetEdgeBar().SetActiveView(RUNTIME_CLASS(CTabLogFileView));
        Drag(*logs, node, graph);
        ASSERT_TRUE(PumpUntil([&] { return view->GetCharts().GetMainChart().GetLineCount() > 0; })) << name;
    }

    void SearchAndConnectEveryDevice();
    void WatchValuesChangeInAStateDisplay();
    void RecordAndPlotALog();
    void PlotADownloadedLog();
    void ReconnectAddsOnlyTheNewDays();
    // A setup opened from its device, as the device's popup opens it: it reads the device,
    // a setpoint changed with its wizard is programmed, and a second read shows it held.
    struct SetupWalk
    {
        UINT command;
        int unit;
        std::string title;
        int readButton, editButton, programButton, list;
        std::string row;           // the setpoint's row in the summary
        int column;                // its value's column
        std::string before, after; // as read first, and as changed
        PageAction edit;           // the change, on the edit wizard's page
        PageAction connect;        // what the connection pages need (empty: the device's own)
        int address, word;         // the register written and its word
        std::string screenshot;
    };
    void ReadEditProgramAndReadBack(const SetupWalk& walk);
    void TheRelayModuleReadsAndSwitchesAtANewThreshold();

    demo_ui::DemoSite& Site() { return m_site; }
    CMainFrame* Frame() { return m_frame; }

    CVarnixViewApp m_app;
    CMainFrame* m_frame = nullptr;
    HWND m_frameHandle = nullptr;
    CDocumentManager* m_manager = nullptr;
    PeerHost m_host;
    demo_ui::DemoSite m_site{m_host};
    std::string m_folder;
    std::wstring m_savedFolder;
    DWORD m_savedSerial = 0;
    DWORD m_savedNetwork = 0;
    std::vector<int> m_firstDownload;   // hour meters of the Varnix's log after its first connect
    DWORD m_firstDownloadAt = 0;
    CDocumentDisplayPtr m_downloadedLogGraph;   // the graph of that log, and what it drew
    int m_downloadedLogLines = 0;
    size_t m_downloadedLogSamples = 0;
};

void DemoSiteTest::SearchAndConnectEveryDevice()
{
    const std::string com = "COM" + std::to_string(m_site.ComPort());
    for (const SiteDevice& wanted : SITE) {
        const std::string address = com + ", id " + std::to_string(wanted.unit);
        const bool last = &wanted == &SITE[6];
        shell_test::DialogUser user(IDC_SEARCH_RESULTS, [&](HWND window) {
            HWND list = shell_test::FindDescendant(window, IDC_SEARCH_RESULTS);
            int row = -1;
            PollUntil(
                [&] {
                    const int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
                    for (int r = 0; r < rows && r < 300; ++r) {
                        char text[64] = {};
                        LVITEMA cell = {};
                        cell.iSubItem = 1;
                        cell.pszText = text;
                        cell.cchTextMax = sizeof text;
                        ::SendMessageA(list, LVM_GETITEMTEXTA, r, reinterpret_cast<LPARAM>(&cell));
                        if (address == text)
                            row = r;
                    }
                    return row >= 0 && (!last || rows == 7);
                },
                kWaitMs);
            if (last)
                Screenshot::OfWindow(window).Save("demo_search_finds_the_site");
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
            shell_test::Click(window, IDOK);
        });
        Command(ID_DEVICES_SEARCH);
        ASSERT_TRUE(user.Finished()) << address;
        CDocumentDeviceGeneric1Ptr device;
        ASSERT_TRUE(PumpUntil([&] {
            device = DeviceOfUnit(wanted.unit);
            return device && device->IsConnected() && !device->IsBusy();
        })) << address;
        if (wanted.unit == 1) {
            std::wstring folder;
            m_firstDownload = LoggedHours(device->GetEmbeddedLogFilePath(folder));
            m_firstDownloadAt = ::GetTickCount();
        }
    }
    // The tree takes each device's connection (its product code and serial) from a refresh
    // the window handles after the device's own state changed.
    std::vector<std::string> expected;
    for (const SiteDevice& device : SITE)
        expected.push_back(device.node);
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> nodes;
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    EXPECT_TRUE(PumpUntil([&] {
        nodes.clear();
        for (HTREEITEM item : Children(*tree, TVI_ROOT))
            nodes.push_back(ItemName(*tree, item));
        std::sort(nodes.begin(), nodes.end());
        return nodes == expected;
    })) << testing::PrintToString(nodes);
    // Each controller's log came down with its history: two weeks of days.
    EXPECT_EQ(14u, m_firstDownload.size());
    for (int unit : {2, 3, 4, 5}) {
        std::wstring folder;
        const size_t records = LoggedHours(DeviceOfUnit(unit)->GetEmbeddedLogFilePath(folder)).size();
        EXPECT_GE(records, unit == 4 ? 28u : 14u) << "unit " << unit;
    }
    tree->GetTreeCtrl().Expand(tree->GetTreeCtrl().GetRootItem(), TVE_EXPAND);
    Shot("demo_devices_connected");
}

void DemoSiteTest::WatchValuesChangeInAStateDisplay()
{
    const CDocumentDisplayPtr state = NewDisplay(0);
    CDisplayStateView* view = ViewOf<CDisplayStateView>(state);
    ASSERT_NE(nullptr, view);
    // Every variable of every device, dragged from the tree.
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    size_t variables = 0;
    for (HTREEITEM node : Children(*tree, TVI_ROOT)) {
        tree->GetTreeCtrl().Expand(node, TVE_EXPAND);
        for (HTREEITEM variable : Children(*tree, node)) {
            Drag(*tree, variable, state, &view->GetList());
            ++variables;
        }
    }
    ASSERT_GT(variables, 70u);
    CListCtrl& list = view->GetList();
    auto values = [&] {
        std::vector<std::string> texts;
        for (int row = 0; row < list.GetItemCount(); ++row)
            texts.push_back(std::string(list.GetItemText(row, 0)) + " / " + std::string(list.GetItemText(row, 1)) +
                            " = " + std::string(list.GetItemText(row, 2)));
        return texts;
    };
    ASSERT_TRUE(PumpUntil([&] {
        if (static_cast<size_t>(list.GetItemCount()) != variables)
            return false;
        for (int row = 0; row < list.GetItemCount(); ++row)
            if (list.GetItemText(row, 2).IsEmpty())
                return false;
        return true;
    })) << list.GetItemCount() << " of " << variables;
    const std::vector<std::string> first = values();
    // A few seconds are hours of the site: every device's hour meter moves on, and so do the
    // controllers' voltages and currents.
    std::set<std::string> changedDevices;
    PumpUntil(
        [&] {
            const std::vector<std::string> now = values();
            for (size_t row = 0; row < now.size() && row < first.size(); ++row)
                if (now[row] != first[row])
                    changedDevices.insert(now[row].substr(0, now[row].find(" / ")));
            return changedDevices.size() == 7;
        },
        4 * kDaySeconds * 1000 / 10);
    EXPECT_EQ(7u, changedDevices.size()) << testing::PrintToString(changedDevices);
    ShotOf(state, "demo_state_display");
}

void DemoSiteTest::RecordAndPlotALog()
{
    const CDocumentDisplayPtr logger = NewDisplay(1);
    CDisplayLogWriteView* view = ViewOf<CDisplayLogWriteView>(logger);
    ASSERT_NE(nullptr, view);
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    HTREEITEM varnix = nullptr;
    for (HTREEITEM node : Children(*tree, TVI_ROOT))
        if (ItemName(*tree, node) == SITE[0].node)
            varnix = node;
    ASSERT_NE(nullptr, varnix);
    tree->GetTreeCtrl().Expand(varnix, TVE_EXPAND);
    for (HTREEITEM variable : Children(*tree, varnix)) {
        const std::string name = ItemName(*tree, variable);
        if (name == "Battery Voltage" || name == "Array Voltage" || name == "Charge Current" || name == "Load Current")
            Drag(*tree, variable, logger, &view->GetList());
    }
    ASSERT_TRUE(PumpUntil([&] { return view->GetList().GetItemCount() == 4; })) << view->GetList().GetItemCount();
    const std::string path = m_folder + "\\site.csv";
    ::DeleteFileA(path.c_str());
    view->SetDlgItemText(IDC_LOGGER_FILE_NAME, path.c_str());
    view->SetDlgItemText(IDC_LOGGER_HOURS, "0");
    view->SetDlgItemText(IDC_LOGGER_MINUTES, "0");
    view->SetDlgItemText(IDC_LOGGER_SECONDS, "1");
    view->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LOGGER_RECORD, BN_CLICKED), 0);
    auto* document = dynamic_cast<CDisplayLogWriteDoc*>(logger.get());
    ASSERT_TRUE(document->IsRecording()) << (Recorder().Count() ? Recorder().Boxes().back().text : "");
    ASSERT_TRUE(PumpUntil([&] { return document->GetRowCount() >= 5; })) << document->GetRowCount();
    ShotOf(logger, "demo_logger_recording");
    view->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LOGGER_STOP, BN_CLICKED), 0);
    ASSERT_FALSE(document->IsRecording());
    const int rows = document->GetRowCount();

    // File > Open Log File, then a Historical Graph of the whole file.
    UiScript open;
    open.Step("file dialog", [] { return FindFileDialog() != nullptr; }, [&] { AnswerFileDialog(path); });
    open.Play([&] { Command(ID_LOGFILE_OPEN); });
    CDocumentDisplayPtr graph;
    ASSERT_NO_FATAL_FAILURE(GraphOfLog("site.csv", graph));
    CGraphicObGraphLineStripChart& chart = ViewOf<CDisplayGraphTimeView>(graph)->GetCharts().GetMainChart();
    ASSERT_EQ(4, chart.GetLineCount());
    for (int line = 0; line < 4; ++line) {
        EXPECT_EQ(static_cast<size_t>(rows), chart.GetSamples(line).size()) << line;
        const auto* rendered = chart.GetRenderedLine(line);
        ASSERT_NE(nullptr, rendered);
        EXPECT_GE(rendered->count, 2) << "line " << line << " is drawn";
    }
    ShotOf(graph, "demo_graph_of_the_recorded_log");
}

void DemoSiteTest::PlotADownloadedLog()
{
    // The Varnix's log, opened when it connected.
    CDocumentDisplayPtr graph;
    ASSERT_NO_FATAL_FAILURE(GraphOfLog("VNX-45-DEMO0001.xml", graph));
    CGraphicObGraphLineStripChart& chart = ViewOf<CDisplayGraphTimeView>(graph)->GetCharts().GetMainChart();
    size_t drawn = 0;
    for (int line = 0; line < chart.GetLineCount(); ++line) {
        EXPECT_GE(chart.GetSamples(line).size(), m_firstDownload.size()) << line;
        const auto* rendered = chart.GetRenderedLine(line);
        drawn += rendered != nullptr && rendered->count >= 2;
    }
    EXPECT_GE(drawn, 5u) << "the day records' voltages, charge and times are drawn";
    ShotOf(graph, "demo_graph_of_a_downloaded_log");
    m_downloadedLogGraph = graph;
    m_downloadedLogLines = chart.GetLineCount();
    m_downloadedLogSamples = chart.GetSamples(0).size();
    m_frame->GetEdgeBar().SetActiveView(RUNTIME_CLASS(CTabDeviceView));
}

void DemoSiteTest::ReadEditProgramAndReadBack(const SetupWalk& walk)
{
    SCOPED_TRACE(walk.screenshot);
    const CDocumentDeviceGeneric1Ptr device = DeviceOfUnit(walk.unit);
    ASSERT_TRUE(device);
    HWND setup = nullptr;
    HWND sheet = nullptr;
    auto finish = [&] { PressWizardButton(sheet, PSBTN_FINISH); };
    auto cell = [&] { return SummaryCell(setup, walk.list, walk.row, walk.column); };
    UiScript script;
    script.Step("setup", SetupShows(walk.title, setup), [&] { Click(setup, walk.readButton); });
    script.Step("read", WalkedToFinish(sheet, walk.connect), [&] {
        EXPECT_TRUE(SaveScreenshot(sheet, walk.screenshot + "_read"));
        finish();
    });
    script.Step("read values", [&] { return FindWizardSheet() == nullptr && !cell().empty(); }, [&] {
        EXPECT_EQ(walk.before, cell()) << "the factory setpoint";
        Click(setup, walk.editButton);
    });
    script.Step("edit", WalkedToFinish(sheet, walk.edit), finish);
    script.Step("edited", [&] { return FindWizardSheet() == nullptr && cell() == walk.after; },
                [&] { Click(setup, walk.programButton); });
    script.Step("program", WalkedToFinish(sheet, walk.connect), [&] {
        EXPECT_TRUE(SaveScreenshot(sheet, walk.screenshot + "_programmed"));
        finish();
    });
    script.Step("programmed", [&] { return FindWizardSheet() == nullptr; }, [&] {
        EXPECT_TRUE(Wrote(m_site.Writes(walk.unit), walk.address, walk.word))
            << "the device's journal shows the write of " << walk.word << " to " << walk.address;
        MarkCell(setup, walk.list, walk.row, walk.column);
        Click(setup, walk.readButton);
    });
    script.Step("read back", WalkedToFinish(sheet, walk.connect), finish);
    script.Step("held", [&] { return FindWizardSheet() == nullptr && cell() == walk.after; }, [&] {
        EXPECT_TRUE(SaveScreenshot(setup, walk.screenshot + "_setup"));
        Click(setup, IDCANCEL);
    });
    script.Play([&] {
        m_frame->SendMessage(WM_APP_RUN_COMMAND, walk.command,
                             reinterpret_cast<LPARAM>(new ModbusEndpoint_t(*device->GetGenericConnection()->GetEndpoint())));
    });
    EXPECT_TRUE(script.Finished()) << script.Stuck();
}

void DemoSiteTest::TheRelayModuleReadsAndSwitchesAtANewThreshold()
{
    const CDocumentDeviceGeneric1Ptr device = DeviceOfUnit(9);
    ASSERT_TRUE(device);
    // The module's own network port: its connection page remembers the last connection.
    const int port = m_site.TcpPort(9);
    ASSERT_NE(0, port);
    const PageAction connect = OverTcp({IDD_RELAY_PROG_CONNECTION}, port, 9);
    PageAction thresholds = [](HWND, int shown, HWND page) {
        if (shown != IDD_RELAY_THRESHOLD_SIMPLE)
            return;
        Type(page, IDC_RELAY_HIGH_LIMIT, "13.80");
        Type(page, IDC_RELAY_LOW_LIMIT, "12.90");
    };
    HWND setup = nullptr;
    HWND sheet = nullptr;
    auto finish = [&] { PressWizardButton(sheet, PSBTN_FINISH); };
    auto channel1 = [&] { return ItemText(setup, IDC_RELAY_SUMMARY_1); };
    const std::string read = "Threshold, Varnix, simple, Battery Voltage, high(on)=13.50V, low=12.80V";
    const std::string changed = "Threshold, Varnix, simple, Battery Voltage, high(on)=13.80V, low=12.90V";
    UiScript script;
    script.Step("setup", SetupShows("Ostrel Setup", setup), [&] { Click(setup, IDC_RELAY_READ_MODULE); });
    script.Step("read", WalkedToFinish(sheet, connect), finish);
    script.Step("read channels", [&] { return FindWizardSheet() == nullptr && channel1() != "Disabled"; }, [&] {
        EXPECT_EQ(read, channel1());
        EXPECT_EQ("Threshold, Varnix, simple, Array Voltage, high(off)=10.00V, low=7.00V",
                  ItemText(setup, IDC_RELAY_SUMMARY_1 + 1));
        EXPECT_TRUE(SaveScreenshot(setup, "demo_ostrel_read"));
        Click(setup, IDC_RELAY_SIMPLE_1);
    });
    script.Step("channel 1", WalkedToFinish(sheet, thresholds), finish);
    script.Step("changed", [&] { return FindWizardSheet() == nullptr && channel1() == changed; },
                [&] { Click(setup, IDC_RELAY_PROGRAM_MODULE); });
    script.Step("program", WalkedToFinish(sheet, connect), finish);
    script.Step("programmed", [&] { return FindWizardSheet() == nullptr; }, [&] {
        // The high threshold's raw count in bytes 9-12 of channel 1's block (0xE004 on):
        // the high byte of 0xE008 and the low byte of 0xE009.
        const int high = static_cast<int>(13.80 / 0.0029500427);
        const std::vector<std::pair<int, int>> writes = m_site.Writes(9);
        EXPECT_TRUE(Wrote(writes, 0xE008, (high & 0xFF) << 8 | 1000 >> 8)) << high;
        EXPECT_TRUE(Wrote(writes, 0xE009, high >> 8));
        Click(setup, IDC_RELAY_READ_MODULE);
    });
    script.Step("read back", WalkedToFinish(sheet, connect), finish);
    script.Step("held", [&] { return FindWizardSheet() == nullptr; }, [&] {
        EXPECT_EQ(changed, channel1());
        EXPECT_TRUE(SaveScreenshot(setup, "demo_ostrel_setup"));
        Click(setup, IDCANCEL);
    });
    script.Play([&] {
        m_frame->SendMessage(WM_APP_RUN_COMMAND, ID_TOOLS_OSTREL_WIZARD,
                             reinterpret_cast<LPARAM>(new ModbusEndpoint_t(*device->GetGenericConnection()->GetEndpoint())));
    });
    EXPECT_TRUE(script.Finished()) << script.Stuck();
}

void DemoSiteTest::ReconnectAddsOnlyTheNewDays()
{
    // A day and a half of the site since the first download at least.
    const DWORD wanted = kDaySeconds * 1500;
    while (::GetTickCount() - m_firstDownloadAt < wanted)
        PumpUntil([] { return false; }, 200);
    const CDocumentDeviceGeneric1Ptr varnix = DeviceOfUnit(1);
    ASSERT_TRUE(varnix);
    if (varnix->IsConnected())
        varnix->GetConnection()->Disconnect();
    try {
        varnix->GetConnection()->Connect();
    } catch (const std::exception& error) {
        FAIL() << "connect: " << error.what();
    }
    // The download runs when the connection has opened; the file is written whole.
    std::wstring folder;
    const std::wstring path = varnix->GetEmbeddedLogFilePath(folder);
    std::vector<int> now;
    ASSERT_TRUE(PumpUntil([&] {
        now = LoggedHours(path);
        return now.size() > m_firstDownload.size();
    })) << now.size() << " records; connected " << varnix->IsConnected() << ", busy " << varnix->IsBusy()
        << ", messages: " << varnix->GetMessagesText();
    EXPECT_TRUE(std::equal(m_firstDownload.begin(), m_firstDownload.end(), now.begin())) << "the old days, once each";
    EXPECT_EQ(now.size(), std::set<int>(now.begin(), now.end()).size()) << "no day twice";
    for (size_t i = m_firstDownload.size(); i < now.size(); ++i)
        EXPECT_EQ(now[i - 1] + 24, now[i]) << "a new day";

    // The log was closed and opened again: its graph kept its curves, with the new days.
    CDisplayGraphTimeView* view = ViewOf<CDisplayGraphTimeView>(m_downloadedLogGraph);
    ASSERT_NE(nullptr, view);
    CGraphicObGraphLineStripChart& chart = view->GetCharts().GetMainChart();
    EXPECT_TRUE(PumpUntil([&] {
        return chart.GetLineCount() == m_downloadedLogLines && chart.GetSamples(0).size() > m_downloadedLogSamples;
    })) << chart.GetLineCount() << " lines of " << m_downloadedLogLines;
    ShotOf(m_downloadedLogGraph, "demo_graph_of_a_downloaded_log_reconnected");
    ::UpdateWindow(view->GetSafeHwnd());
    CClientDC dc(view);
    EXPECT_EQ(std::vector<std::string>(), GraphTextFaults(dc, chart));
    EXPECT_EQ(std::vector<std::string>(), GraphTextFaults(dc, view->GetCharts().GetOverview()));
}

TEST_F(DemoSiteTest, ANewcomersSessionWithTheSite)
{
    ASSERT_NO_FATAL_FAILURE(SearchAndConnectEveryDevice());
    ASSERT_NO_FATAL_FAILURE(WatchValuesChangeInAStateDisplay());
    ASSERT_NO_FATAL_FAILURE(RecordAndPlotALog());
    ASSERT_NO_FATAL_FAILURE(PlotADownloadedLog());
    // Every setup wizard on its device, each with a setpoint of its own.
    const PageAction solar = [](HWND, int shown, HWND page) {
        if (shown == IDD_VXMPPT_MODE && !IsChecked(page, IDC_VXM_MODE_SOLAR))
            Toggle(page, IDC_VXM_MODE_SOLAR);
    };
    auto andThen = [](PageAction first, PageAction second) {
        return [=](HWND sheet, int shown, HWND page) {
            first(sheet, shown, page);
            second(sheet, shown, page);
        };
    };
    // The Varnix MPPT wizards open a link of their own: they take the device's network port
    // while its serial line goes on serving the other devices' polls.
    auto mpptOverTcp = [&](int unit) {
        return andThen(solar, OverTcp({IDD_WIZARD_READ_CONNECTION, IDD_WIZARD_PROGRAM_CONNECTION}, m_site.TcpPort(unit), unit));
    };
    const SetupWalk walks[] = {
        {ID_TOOLS_VARNIX_WIZARD, 1, "Custom Setpoints Summary", IDC_SETUP_READ_DEVICE, IDC_SETUP_EDIT,
         IDC_SETUP_PROGRAM_DEVICE, IDC_SETUP_LIST, "Regulation", 1, "14.10", "14.40",
         TypeOn(IDD_VX_WIZ_CHARGE1, IDC_VXW_PWM_VOLTAGE, "14.40"), PageAction(), 0xE000, 4881, "demo_varnix"},
        {ID_TOOLS_VARNIX_MPPT_WIZARD, 2, "Custom Setpoints Summary", IDC_SETUP_READ_DEVICE, IDC_SETUP_EDIT,
         IDC_SETUP_PROGRAM_DEVICE, IDC_SETUP_LIST, "Regulation Voltage", 1, "14.10", "14.40",
         andThen(solar, TypeOn(IDD_VXMPPT_CHARGE1, IDC_VXM_ABSORPTION, "14.40")), mpptOverTcp(2), 0xE000, 2621,
         "demo_varnix_mppt"},
        {ID_TOOLS_VARNIX_HV_MPPT_WIZARD, 3, "Custom Setpoints Summary", IDC_SETUP_READ_DEVICE, IDC_SETUP_EDIT,
         IDC_SETUP_PROGRAM_DEVICE, IDC_SETUP_LIST, "Regulation Voltage", 1, "14.10", "14.40",
         andThen(solar, TypeOn(IDD_VXHVMPPT_CHARGE1, IDC_VXM_ABSORPTION, "14.40")), mpptOverTcp(3), 0xE000, 2621,
         "demo_varnix_hv_mppt"},
        {ID_TOOLS_CORANDEL_DUO_WIZARD, 4, "Corandel Duo Custom Setpoints Summary", IDC_CR_READ_DEVICE, IDC_CR_EDIT,
         IDC_CR_PROGRAM_DEVICE, IDC_CR_SUMMARY_LIST, "Absorption", 3, "14.10 V", "14.25 V",
         TypeOn(IDD_CORANDEL_BATTERY, IDC_CRDUO_ABSORPTION_OFF, "14.25"), PageAction(), 0xE006, 25650,
         "demo_corandel_duo"},
        {ID_TOOLS_CORANDEL_MPPT_WIZARD, 5, "Corandel MMPT Custom Settings Summary", IDC_CR_READ_DEVICE, IDC_CR_EDIT,
         IDC_CR_PROGRAM_DEVICE, IDC_MPPT_LIST_CHARGE1, "Absorption Voltage", 1, "14.00 V", "14.40 V",
         TypeOn(IDD_MPPT_CHARGE1, IDC_MPPT_ABSORPTION, "14.40"), PageAction(), 0xE000, 4719, "demo_corandel_mppt"},
    };
    for (const SetupWalk& walk : walks)
        ASSERT_NO_FATAL_FAILURE(ReadEditProgramAndReadBack(walk));
    ASSERT_NO_FATAL_FAILURE(TheRelayModuleReadsAndSwitchesAtANewThreshold());
    ASSERT_NO_FATAL_FAILURE(ReconnectAddsOnlyTheNewDays());
    // Nothing went wrong on the way: the boxes were the notice of the first downloaded logs
    // and the setups' questions before they dropped what they had read.
    for (const RecordedMessageBox& box : Recorder().Boxes())
        EXPECT_TRUE(box.text.find("The device you connected had some long-term logged data") == 0 ||
                    box.text == "Warning: current setpoints are not saved.  Close without saving?" ||
                    box.text == "Warning: current setpoints are not saved.  Read new settings without saving?")
            << box.text;
}

} // namespace
