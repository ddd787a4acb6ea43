// The displays in real MDI frames under Xvfb, fed by the test device over Modbus/TCP: a
// State display shows the live values, a Logger records them to a CSV file, a Historical
// Graph plots that file and a log of 100,000 samples, the new-display dialog lists the
// kinds, and a workspace with all three is saved and opened again. Screenshots of each.
#include <gtest/gtest.h>

#include "displays/CDialogNewDisplay.h"
#include "displays/DisplayMessages.h"
#include "displays/CDisplayGraphTimeDoc.h"
#include "displays/CDisplayGraphTimeView.h"
#include "displays/CDisplayLogWriteDoc.h"
#include "displays/CDisplayLogWriteView.h"
#include "displays/CDisplayStateDoc.h"
#include "displays/CDisplayStateView.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/CPlotItemSimpleValue.h"
#include "documents/TimeHelpers.h"
#include "documents/GenericDevices.h"
#include "documents/VariantHelpers.h"
#include "documents/logfiles/CLogFileInCsv.h"
#include "documents/workspace/CDocumentWorkspace.h"
#include "framework/CClientDC.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CMDIFrameWnd.h"
#include "framework/CWinApp.h"
#include "res/pyraxis_displays_resource.h"
#include "shell/CMultiDocTemplateEx.h"
#include "shell/ProgramFolders.h"
#include "tests/displays_ui/DisplaysUiResources.h"
#include "tests/support/FileText.h"
#include "tests/support/GraphTextFit.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/PeerHost.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace
{
class DisplaysUiApp : public CWinApp
{
public:
    DisplaysUiApp() : CWinApp("DisplaysUi") {}
};

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

template <class View>
View* ViewOf(CDocumentDisplay& display)
{
    POSITION position = display.GetFirstViewPos();
    return position != nullptr ? dynamic_cast<View*>(display.GetNextViewAt(position)) : nullptr;
}

HWND FrameOf(CDocumentDisplay& display)
{
    POSITION position = display.GetFirstViewPos();
    CView* view = position != nullptr ? display.GetNextViewAt(position) : nullptr;
    return view != nullptr ? view->GetParentFrame()->GetSafeHwnd() : nullptr;
}

// Counts the messages the list of a State display gets while the view takes an update.
WNDPROC g_listProcedure = nullptr;
int g_listMessages = 0;
LRESULT CALLBACK CountingListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ++g_listMessages;
    return ::CallWindowProcA(g_listProcedure, window, message, wParam, lParam);
}

class DisplaysEndToEnd : public testing::Test
{
protected:
    void SetUp() override
    {
        Recorder().Clear();
        m_folder = testing_support::BuildPath("test-output\\displays_ui-" + testing_support::ProcessTag());
        ASSERT_TRUE(testing_support::EnsureDirectory(m_folder));

        // Devices loaded from a workspace take their descriptions from the shipped file.
        m_savedProgramFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(Wide(testing_support::SourcePath("res")));
        m_manager.reset(new CDocumentManager);
        CDocumentManager::SetApplicationManager(m_manager.get());
        m_state.reset(new CMultiDocTemplateEx(m_manager.get(), IDR_DISPLAY_STATE, RUNTIME_CLASS(CDisplayStateDoc),
                                              RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CDisplayStateView)));
        m_logger.reset(new CMultiDocTemplateEx(m_manager.get(), IDR_DISPLAY_LOGGER, RUNTIME_CLASS(CDisplayLogWriteDoc),
                                               RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CDisplayLogWriteView)));
        m_graph.reset(new CMultiDocTemplateEx(m_manager.get(), IDR_DISPLAY_GRAPH_TIME,
                                              RUNTIME_CLASS(CDisplayGraphTimeDoc), RUNTIME_CLASS(CMDIChildWnd),
                                              RUNTIME_CLASS(CDisplayGraphTimeView)));
        for (const CDocTemplatePtr& docTemplate : { m_state, m_logger, m_graph })
            m_manager->AddDocTemplate(docTemplate);

        m_main = new CMDIFrameWnd;
        ASSERT_TRUE(m_main->LoadFrame(IDR_DISPLAYS_UI_MAIN));
        m_mainHandle = m_main->GetSafeHwnd();
        m_app.m_pMainWnd = m_main;
        m_main->SetWindowPos(nullptr, 0, 0, 1000, 720, SWP_NOZORDER);
        m_main->ShowWindow(SW_SHOW);
        m_main->UpdateWindow();
        m_manager->GetDispatcher().SetTargetWindow(m_mainHandle);
    }

    void TearDown() override
    {
        m_manager->CloseAll();
        CDocumentManager::SetApplicationManager(nullptr);
        m_manager.reset();
        m_state.reset();
        m_logger.reset();
        m_graph.reset();
        if (::IsWindow(m_mainHandle))
            ::DestroyWindow(m_mainHandle);
        testing_support::DispatchPendingMessages();
        m_app.m_pMainWnd = nullptr;
        if (m_testDevice != 0)
            m_host.Stop(m_testDevice);
        GetProgramFolders().SetProgramFolder(m_savedProgramFolder);
        Recorder().Clear();
    }

    static testing_support::MessageBoxRecorder& Recorder() { return testing_support::MessageBoxRecorder::Instance(); }

    // Pumps this thread's messages until the condition holds or the time is up.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
    {
        const DWORD start = ::GetTickCount();
        for (int round = 0; round < 100000; ++round)
        {
            MSG msg;
            for (int handled = 0; handled < 500 && ::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++handled)
            {
                if (msg.message == WM_QUIT)
                    continue;
                ::TranslateMessage(&msg);
                ::DispatchMessage(&msg);
            }
            if (done())
                return true;
            if (::GetTickCount() - start >= timeoutMs)
                return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        return done();
    }

    template <class Document>
    boost::shared_ptr<Document> Open(const CDocTemplatePtr& docTemplate)
    {
        Document* document = dynamic_cast<Document*>(docTemplate->OpenDocumentFile(nullptr, TRUE));
        EXPECT_NE(nullptr, document);
        boost::shared_ptr<Document> shared(document);
        if (document != nullptr)
        {
            EXPECT_GT(m_manager->AddDisplay(shared), 0);
        }
        return shared;
    }

    // The test device: a Varnix MPPT on loopback, on the port it had before when there
    // was one; faults, a JSON list, are the test device's (none by default).
    void StartDevice(const std::string& faults = "[]")
    {
        const std::string profile = "{\"units\": {\"1\": {\"device\": {\"xml\": \"" +
                                    testing_support::SourceUnixPath("res/devices.xml") +
                                    "\", \"name\": \"Varnix MPPT\", \"serial\": \"E2E0001\"}, \"holding\": "
                                    "{\"0x0003\": 65036, \"0x0010\": 1}, \"identification\": {\"2\": \"3.14\"}, "
                                    "\"faults\": " + faults + "}}}";
        const testing_support::StartedTestDevice started = testing_support::StartTestDevice(
            m_host, "tests/displays_ui/device", profile, { "--tcp-port", std::to_string(m_tcpPort) }, 300);
        m_testDevice = started.id;
        ASSERT_NE(0, started.id) << started.error;
        m_tcpPort = started.tcpPort;
    }

    // The test device, described from the shipped devices.xml and connected.
    void ConnectDevice(const std::string& faults = "[]")
    {
        ASSERT_NO_FATAL_FAILURE(StartDevice(faults));
        m_device.reset(new CDocumentDeviceGeneric1(20, 8, 255, m_manager.get()));
        LoadGenericDevices(Wide(testing_support::SourcePath("res/devices.xml")), m_manager.get(), 20, 8, m_device.get(),
                           nullptr);
        m_deviceId = m_manager->AddDevice(m_device);
        ASSERT_GT(m_deviceId, 0);
        const boost::shared_ptr<CConnectionGeneric1> connection = m_device->GetGenericConnection();
        connection->SetSerial(false);
        connection->SetHost("127.0.0.1");
        connection->SetTcpPort(m_tcpPort);
        try
        {
            connection->Connect();
        }
        catch (const std::exception& error)
        {
            FAIL() << "connect: " << error.what();
        }
        ASSERT_TRUE(m_device->IsConnected());
    }

    // The device's first variables as the device tree hands them over, with their owner.
    CTreeItemList DeviceVariables(size_t count)
    {
        CTreeItemPtr owner(new CTreeItem(m_device->GetName(), "", PLOT_ID_NONE, PLOT_ID_NONE, m_deviceId, ""));
        m_device->CollectPlotItems(owner->GetPlotItems());
        CTreeItemList variables;
        for (const CTreeItemPtr& item : owner->GetPlotItems())
        {
            if (variables.size() == count)
                break;
            item->SetAssociated(owner);
            variables.push_back(item);
        }
        return variables;
    }

    CDocumentLogFilePtr OpenLog(const std::string& path)
    {
        CDocumentLogFilePtr logFile(new CDocumentLogFile);
        logFile->SetDocumentManager(m_manager.get());
        EXPECT_GT(m_manager->AddLogFile(logFile), 0);
        logFile->OpenLogFile(Wide(path));
        return logFile;
    }

    CTreeItemPtr WholeLog(const CDocumentLogFilePtr& logFile)
    {
        CTreeItemPtr item(new CTreeItem(logFile->GetName(), "", PLOT_ITEM_TYPE_LOG_COLUMN, PLOT_ID_NONE,
                                        logFile->GetId(), ""));
        logFile->CollectPlotItems(item->GetPlotItems());
        return item;
    }

    // A Logger display with the variables dropped on it; its view, null when it has none.
    CDisplayLogWriteView* OpenLogger(const CTreeItemList& variables, boost::shared_ptr<CDisplayLogWriteDoc>& logger)
    {
        logger = Open<CDisplayLogWriteDoc>(m_logger);
        CDisplayLogWriteView* view = logger ? ViewOf<CDisplayLogWriteView>(*logger) : nullptr;
        if (view == nullptr)
            return nullptr;
        for (const CTreeItemPtr& variable : variables)
            view->Drop(variable.get());
        testing_support::DispatchPendingMessages();
        return view;
    }

    // The same, recording to the file at a one-second interval through the form.
    boost::shared_ptr<CDisplayLogWriteDoc> StartLogger(const CTreeItemList& variables, const std::string& path)
    {
        boost::shared_ptr<CDisplayLogWriteDoc> logger;
        CDisplayLogWriteView* view = OpenLogger(variables, logger);
        if (view == nullptr)
            return logger;
        ::DeleteFileA(path.c_str());
        view->SetDlgItemText(IDC_LOGGER_FILE_NAME, path.c_str());
        view->SetDlgItemText(IDC_LOGGER_SECONDS, "1");
        view->OnRecord();
        EXPECT_TRUE(logger->IsRecording()) << (Recorder().Count() ? Recorder().Boxes().back().text : "");
        return logger;
    }

    // File > Save Workspace As and File > Open Workspace with the file, as the framework runs them.
    void SaveWorkspace(const std::string& path)
    {
        ::DeleteFileA(path.c_str());
        CDocumentWorkspace workspace;
        ASSERT_TRUE(workspace.OnSaveDocument(path.c_str()));
    }
    void OpenWorkspace(const std::string& path)
    {
        {
            CDocumentWorkspace workspace;
            ASSERT_TRUE(workspace.OnOpenDocument(path.c_str()))
                << (Recorder().Count() ? Recorder().Boxes().back().text : std::string("no message"));
        }
        PumpUntil([] { return false; }, 200);
    }

    // A Historical Graph of every column of the log file, once its lines are there (the
    // columns of numbers); its view, null when it has none or no line came.
    CDisplayGraphTimeView* GraphOfLog(const std::string& path, boost::shared_ptr<CDisplayGraphTimeDoc>& graph)
    {
        const CDocumentLogFilePtr log = OpenLog(path);
        graph = Open<CDisplayGraphTimeDoc>(m_graph);
        CDisplayGraphTimeView* view = graph ? ViewOf<CDisplayGraphTimeView>(*graph) : nullptr;
        if (view == nullptr)
            return nullptr;
        view->Drop(WholeLog(log).get());
        const bool drawn = PumpUntil([&] { return view->GetCharts().GetMainChart().GetLineCount() > 0; }, 5000);
        return drawn ? view : nullptr;
    }

    // The data fields of each row of a recorded file, the header left out.
    static std::vector<std::vector<std::string>> RecordedRows(const std::string& path)
    {
        std::vector<std::vector<std::string>> rows;
        const std::string text = testing_support::ReadFileText(path);
        size_t start = text.find('\n');
        while (start != std::string::npos && start + 1 < text.size() && rows.size() < 100000)
        {
            const size_t end = text.find('\n', start + 1);
            std::string line = text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::vector<std::string> fields = SplitCsvLine(line);
            if (!fields.empty())
                fields.erase(fields.begin());
            rows.push_back(fields);
            start = end;
        }
        return rows;
    }

    // The labels and legend names as the last paint placed them: whole and distinct.
    void ExpectTextsWhole(CDisplayGraphTimeView& view)
    {
        ::UpdateWindow(view.GetSafeHwnd());
        CClientDC dc(&view);
        EXPECT_EQ(std::vector<std::string>(), testing_support::GraphTextFaults(dc, view.GetCharts().GetMainChart()));
        EXPECT_EQ(std::vector<std::string>(), testing_support::GraphTextFaults(dc, view.GetCharts().GetOverview()));
    }

    void Screenshot(HWND frame, const char* name)
    {
        ::SendMessage(m_main->m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(frame), 0);
        ::SendMessage(m_main->m_hWndMDIClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(frame), 0);
        ::RedrawWindow(m_mainHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpUntil([] { return false; }, 300);
        const auto shot = testing_support::Screenshot::OfWindow(m_mainHandle);
        ASSERT_FALSE(shot.Empty());
        EXPECT_FALSE(shot.Save(name).empty());
        ::SendMessage(m_main->m_hWndMDIClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(frame), 0);
    }

    DisplaysUiApp m_app;
    std::string m_folder;
    std::wstring m_savedProgramFolder;
    CDocumentManagerPtr m_manager;
    CDocTemplatePtr m_state;
    CDocTemplatePtr m_logger;
    CDocTemplatePtr m_graph;
    CMDIFrameWnd* m_main = nullptr;
    HWND m_mainHandle = nullptr;
    testing_support::PeerHost m_host;
    int m_testDevice = 0;
    int m_tcpPort = 0;
    CDocumentDeviceGeneric1Ptr m_device;
    int m_deviceId = 0;
};

TEST_F(DisplaysEndToEnd, LiveValuesAreShownRecordedPlottedAndKeptInTheWorkspace)
{
    ASSERT_NO_FATAL_FAILURE(ConnectDevice());
    const CTreeItemList variables = DeviceVariables(3);
    ASSERT_EQ(3u, variables.size());

    // State: the values arrive in the list's value column.
    const boost::shared_ptr<CDisplayStateDoc> state = Open<CDisplayStateDoc>(m_state);
    ASSERT_TRUE(state);
    CDisplayStateView* stateView = ViewOf<CDisplayStateView>(*state);
    ASSERT_NE(nullptr, stateView);
    for (const CTreeItemPtr& variable : variables)
    {
        ASSERT_TRUE(stateView->CanDrop(variable.get()));
        stateView->Drop(variable.get());
    }
    EXPECT_FALSE(stateView->CanDrop(variables[0].get()));
    CListCtrl& list = stateView->GetList();
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (list.GetItemCount() != 3)
                return false;
            for (int row = 0; row < 3; ++row)
                if (list.GetItemText(row, 2).IsEmpty())
                    return false;
            return true;
        },
        30000));
    for (int row = 0; row < 3; ++row)
    {
        EXPECT_EQ(std::string(m_device->GetName()), std::string(list.GetItemText(row, 0)));
        EXPECT_EQ(std::string(variables[row]->GetName()), std::string(list.GetItemText(row, 1)));
        EXPECT_EQ(std::string(variables[row]->GetUnits()), std::string(list.GetItemText(row, 3)));
    }
    // Every row is drawn again on request, from the texts the list asks for.
    list.UpdateWindow();
    ::SendMessage(stateView->GetSafeHwnd(), WM_APP_DISPLAY_UPDATE, DISPLAY_UPDATE_ALL_ROWS, 0);
    CRect invalid;
    EXPECT_TRUE(::GetUpdateRect(list.GetSafeHwnd(), &invalid, FALSE));
    for (int row = 0; row < 3; ++row)
    {
        CRect rect;
        ASSERT_TRUE(list.GetItemRect(row, &rect, LVIR_BOUNDS));
        EXPECT_EQ(rect, invalid & rect) << row;
        EXPECT_FALSE(list.GetItemText(row, 2).IsEmpty()) << row;
    }
    // The tip of a row is its description, over the buffer or after the list's own text.
    char buffer[256] = "partial";
    NMLVGETINFOTIPA tip = {};
    tip.hdr.hwndFrom = list.GetSafeHwnd();
    tip.hdr.idFrom = IDC_STATE_LIST;
    tip.hdr.code = LVN_GETINFOTIPA;
    tip.pszText = buffer;
    tip.cchTextMax = sizeof(buffer);
    tip.iItem = 1;
    tip.dwFlags = 0;
    ::SendMessage(stateView->GetSafeHwnd(), WM_NOTIFY, IDC_STATE_LIST, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ("partial" + std::string(variables[1]->GetDescription()), std::string(buffer));
    tip.dwFlags = LVGIT_UNFOLDED;
    ::SendMessage(stateView->GetSafeHwnd(), WM_NOTIFY, IDC_STATE_LIST, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ(std::string(variables[1]->GetDescription()), std::string(buffer));
    ::MoveWindow(FrameOf(*state), 0, 0, 480, 220, TRUE);
    Screenshot(FrameOf(*state), "displays_state_live");

    // Logger: Record through the form at a one-second interval, then Stop.
    const boost::shared_ptr<CDisplayLogWriteDoc> logger = Open<CDisplayLogWriteDoc>(m_logger);
    ASSERT_TRUE(logger);
    CDisplayLogWriteView* loggerView = ViewOf<CDisplayLogWriteView>(*logger);
    ASSERT_NE(nullptr, loggerView);
    // A new logger: the default interval of 5 s, the hint, and Record's refusals.
    const auto editText = [&](int id) {
        CString text;
        loggerView->GetDlgItemText(id, text);
        return std::string(text);
    };
    EXPECT_EQ("0", editText(IDC_LOGGER_HOURS));
    EXPECT_EQ("0", editText(IDC_LOGGER_MINUTES));
    EXPECT_EQ("5", editText(IDC_LOGGER_SECONDS));
    EXPECT_EQ("Drag variables to this display, pick a\nlog file name, and click Record", editText(IDC_LOGGER_INFORMATION));
    EXPECT_FALSE(loggerView->GetDlgItem(IDC_LOGGER_STOP)->IsWindowEnabled());
    EXPECT_FALSE(loggerView->GetDlgItem(IDC_LOGGER_REMOVE)->IsWindowEnabled());
    const std::string refusedPath = m_folder + "\\refused.csv";
    ::DeleteFileA(refusedPath.c_str());
    loggerView->SetDlgItemText(IDC_LOGGER_FILE_NAME, refusedPath.c_str());
    Recorder().Clear();
    loggerView->OnRecord();
    loggerView->SetDlgItemText(IDC_LOGGER_SECONDS, "0");
    loggerView->OnRecord();
    loggerView->SetDlgItemText(IDC_LOGGER_MINUTES, "60");
    loggerView->OnRecord();
    ASSERT_EQ(3u, Recorder().Count());
    EXPECT_EQ("No variables to log!  Please drag some device variables to this display.", Recorder().Boxes()[0].text);
    EXPECT_EQ("Logging interval out of range: must be at least 1 second", Recorder().Boxes()[1].text);
    EXPECT_EQ("Log Interval minutes must be a valid integer between 0 and 59", Recorder().Boxes()[2].text);
    EXPECT_FALSE(logger->IsRecording());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(refusedPath.c_str()));

    for (const CTreeItemPtr& variable : variables)
        loggerView->Drop(variable.get());
    PumpUntil([&] { return loggerView->GetList().GetItemCount() == 3; }, 5000);
    ASSERT_EQ(3, loggerView->GetList().GetItemCount());
    const std::string csvPath = m_folder + "\\recorded.csv";
    ::DeleteFileA(csvPath.c_str());
    loggerView->SetDlgItemText(IDC_LOGGER_FILE_NAME, csvPath.c_str());
    loggerView->SetDlgItemText(IDC_LOGGER_HOURS, "0");
    loggerView->SetDlgItemText(IDC_LOGGER_MINUTES, "0");
    loggerView->SetDlgItemText(IDC_LOGGER_SECONDS, "1");
    loggerView->OnRecord();
    ASSERT_TRUE(logger->IsRecording()) << (Recorder().Count() ? Recorder().Boxes().back().text : "");
    EXPECT_FALSE(loggerView->GetDlgItem(IDC_LOGGER_RECORD)->IsWindowEnabled());
    EXPECT_TRUE(loggerView->GetDlgItem(IDC_LOGGER_STOP)->IsWindowEnabled());
    EXPECT_FALSE(loggerView->CanDrop(variables[0].get()));
    // Nor may a variable leave while its column is being written: a selected row leaves
    // Remove disabled.
    loggerView->GetList().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(1u, loggerView->GetList().GetSelectedCount());
    EXPECT_FALSE(loggerView->GetDlgItem(IDC_LOGGER_REMOVE)->IsWindowEnabled());
    loggerView->GetList().SetItemState(0, 0, LVIS_SELECTED);
    ASSERT_TRUE(PumpUntil([&] { return logger->GetRowCount() >= 4; }, 30000)) << logger->GetRowCount();
    CString information;
    loggerView->GetDlgItemText(IDC_LOGGER_INFORMATION, information);
    EXPECT_EQ(0, information.Find("Log File Started: ")) << information;
    ::MoveWindow(FrameOf(*logger), 20, 230, 560, 420, TRUE);
    Screenshot(FrameOf(*logger), "displays_logger_recording");
    loggerView->OnStop();
    EXPECT_FALSE(logger->IsRecording());
    const int rows = logger->GetRowCount();
    CString fileName;
    loggerView->GetDlgItemText(IDC_LOGGER_FILE_NAME, fileName);
    EXPECT_TRUE(fileName.IsEmpty());
    // Record again without a name: the form asks for one.
    Recorder().Clear();
    loggerView->OnRecord();
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("You must provide a log file name.", Recorder().Boxes()[0].text);

    // An existing file typed in: the question, and No keeps the file.
    const std::string before = testing_support::ReadFileText(csvPath);
    loggerView->SetDlgItemText(IDC_LOGGER_FILE_NAME, csvPath.c_str());
    Recorder().Clear();
    Recorder().QueueAnswer(IDNO);
    loggerView->OnRecord();
    EXPECT_FALSE(logger->IsRecording());
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_NE(std::string::npos, Recorder().Boxes()[0].text.find("already exists"));
    EXPECT_EQ(before, testing_support::ReadFileText(csvPath));

    // Remove wants a selected row, which enables it; the last variable goes.
    Recorder().Clear();
    loggerView->OnRemove();
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("You didn't select a variable to remove.", Recorder().Boxes()[0].text);
    loggerView->GetList().SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(loggerView->GetDlgItem(IDC_LOGGER_REMOVE)->IsWindowEnabled());
    loggerView->OnRemove();
    EXPECT_EQ(2u, logger->GetEntryCount());
    EXPECT_EQ(2, loggerView->GetList().GetItemCount());

    // Historical Graph of the recorded file: one line per column, every row plotted.
    const CDocumentLogFilePtr recorded = OpenLog(csvPath);
    const boost::shared_ptr<CDisplayGraphTimeDoc> graph = Open<CDisplayGraphTimeDoc>(m_graph);
    ASSERT_TRUE(graph);
    CDisplayGraphTimeView* graphView = ViewOf<CDisplayGraphTimeView>(*graph);
    ASSERT_NE(nullptr, graphView);
    const CTreeItemPtr wholeLog = WholeLog(recorded);
    ASSERT_TRUE(graphView->CanDrop(wholeLog.get()));
    graphView->Drop(wholeLog.get());
    ASSERT_TRUE(PumpUntil([&] { return graphView->GetCharts().GetMainChart().GetLineCount() > 0; }, 5000));
    CGraphicObGraphLineStripChart& main = graphView->GetCharts().GetMainChart();
    EXPECT_EQ(static_cast<int>(graph->GetEntryCount()), main.GetLineCount());
    EXPECT_GE(main.GetLineCount(), 1);
    EXPECT_EQ(static_cast<size_t>(rows), main.GetSamples(0).size());
    ::MoveWindow(FrameOf(*graph), 300, 40, 680, 600, TRUE);
    Screenshot(FrameOf(*graph), "displays_graph_recorded");

    // The workspace with all three, saved and opened again.
    const std::string workspacePath = m_folder + "\\three.pxs";
    ASSERT_NO_FATAL_FAILURE(SaveWorkspace(workspacePath));
    const CString deviceName = m_device->GetName();
    m_device.reset();
    ASSERT_NO_FATAL_FAILURE(OpenWorkspace(workspacePath));
    const DisplayList_t displays = m_manager->GetDisplays();
    ASSERT_EQ(3u, displays.size());
    CDisplayStateDoc* reopenedState = dynamic_cast<CDisplayStateDoc*>(displays[0].get());
    CDisplayLogWriteDoc* reopenedLogger = dynamic_cast<CDisplayLogWriteDoc*>(displays[1].get());
    CDisplayGraphTimeDoc* reopenedGraph = dynamic_cast<CDisplayGraphTimeDoc*>(displays[2].get());
    ASSERT_TRUE(reopenedState && reopenedLogger && reopenedGraph);
    // The device variables name the device as the file numbered it; the log file is not
    // part of a workspace, so the graph's columns went.
    ASSERT_EQ(3u, reopenedState->GetEntryCount());
    EXPECT_EQ(std::string(deviceName), std::string(reopenedState->GetDeviceText(0)));
    EXPECT_EQ(2u, reopenedLogger->GetEntryCount());
    EXPECT_EQ(0u, reopenedGraph->GetEntryCount());
    EXPECT_NE(nullptr, FrameOf(*reopenedState));
    Screenshot(FrameOf(*reopenedState), "displays_state_reopened");
}

// A graph of a device's log in a workspace: saved, a new workspace, the saved one opened.
// The device is not connected yet, so its log is not open and the graph is empty; when the
// log opens (as the device connects) the graph has its curves again, in their places.
TEST_F(DisplaysEndToEnd, AWorkspaceKeepsTheGraphOfADevicesLogUntilTheLogOpensAgain)
{
    const std::string path = m_folder + "\\VNX-MPPT-E2E0001.csv";
    const auto writeDays = [&](int count) {
        std::string text = "\"time (UTC)\",\"Battery Voltage Max\",\"Battery Voltage Min\",\"Energy\"\n";
        for (int day = 1; day <= count; ++day)
            text += "\"2024-05-0" + std::to_string(day) + "T07:00:00.000+00:00\",\"14." + std::to_string(day) +
                    "\",\"12." + std::to_string(day) + "\",\"" + std::to_string(100 * day) + "\"\n";
        return testing_support::WriteFileText(path, text);
    };
    const int deviceId = 1;
    // Opened, then added, as the main frame opens a device's log.
    const auto openDeviceLog = [&] {
        CDocumentLogFilePtr log(new CDocumentLogFile);
        log->SetDocumentManager(m_manager.get());
        log->OpenLogFile(Wide(path));
        log->SetSourceId(deviceId);
        EXPECT_GT(m_manager->AddLogFile(log), 0);
        return log;
    };
    ASSERT_TRUE(writeDays(3));
    const CDocumentLogFilePtr log = openDeviceLog();
    boost::shared_ptr<CDisplayGraphTimeDoc> graph = Open<CDisplayGraphTimeDoc>(m_graph);
    ASSERT_TRUE(graph);
    CDisplayGraphTimeView* view = ViewOf<CDisplayGraphTimeView>(*graph);
    ASSERT_NE(nullptr, view);
    view->Drop(WholeLog(log).get());
    ASSERT_TRUE(PumpUntil([&] { return view->GetCharts().GetMainChart().GetLineCount() == 3; }, 5000));

    const std::string workspacePath = m_folder + "\\device-log-graph.pxs";
    ASSERT_NO_FATAL_FAILURE(SaveWorkspace(workspacePath));
    {
        CDocumentWorkspace workspace;
        ASSERT_TRUE(workspace.OnNewDocument());
    }
    graph.reset();
    EXPECT_TRUE(m_manager->GetDisplays().empty());
    ASSERT_NO_FATAL_FAILURE(OpenWorkspace(workspacePath));
    const DisplayList_t displays = m_manager->GetDisplays();
    ASSERT_EQ(1u, displays.size());
    CDisplayGraphTimeDoc* reopened = dynamic_cast<CDisplayGraphTimeDoc*>(displays[0].get());
    ASSERT_NE(nullptr, reopened);
    EXPECT_EQ(0u, reopened->GetEntryCount());
    CDisplayGraphTimeView* reopenedView = ViewOf<CDisplayGraphTimeView>(*reopened);
    ASSERT_NE(nullptr, reopenedView);
    CGraphicObGraphLineStripChart& main = reopenedView->GetCharts().GetMainChart();
    EXPECT_EQ(0, main.GetLineCount());

    // The device connects: its log, with a day more, opens.
    ASSERT_TRUE(writeDays(4));
    openDeviceLog();
    ASSERT_TRUE(PumpUntil([&] { return main.GetLineCount() == 3 && main.GetSamples(0).size() == 4; }, 10000))
        << main.GetLineCount();
    EXPECT_EQ(3u, reopened->GetEntryCount());
    const char* const names[] = { "Battery Voltage Max", "Battery Voltage Min", "Energy" };
    for (int line = 0; line < 3; ++line)
    {
        EXPECT_EQ(names[line], main.GetLineName(line));
        ASSERT_EQ(4u, main.GetSamples(line).size()) << line;
        for (int day = 1; day <= 4; ++day)
        {
            const double values[] = { 14.0 + day / 10.0, 12.0 + day / 10.0, 100.0 * day };
            EXPECT_DOUBLE_EQ(ParseUtcTimestamp(("2024-05-0" + std::to_string(day) + "T07:00:00.000+00:00").c_str()),
                             main.GetSamples(line)[day - 1].first);
            EXPECT_DOUBLE_EQ(values[line], main.GetSamples(line)[day - 1].second) << line << " " << day;
        }
    }
}

TEST_F(DisplaysEndToEnd, AGraphOfAHundredThousandSamples)
{
    // Four columns, 100,000 rows, one a minute.
    const std::string path = m_folder + "\\large.csv";
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, file);
        std::fputs("\"time (UTC)\",\"Battery Voltage\",\"Array Voltage\",\"Charge Current\",\"Heatsink\"\n", file);
        COleDateTime start(2024, 1, 1, 0, 0, 0);
        for (int row = 0; row < 100000; ++row)
        {
            SYSTEMTIME time;
            COleDateTime(DATE(start) + row / 1440.0).GetAsSystemTime(time);
            const double phase = row / 1440.0 * 6.2831853;
            std::fprintf(file,
                         "\"%04u-%02u-%02uT%02u:%02u:%02u.000+00:00\",\"%.2f\",\"%.2f\",\"%.2f\",\"%.2f\"\n",
                         time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                         12.5 + std::sin(phase), 30.0 + 10.0 * std::sin(phase + 1.0),
                         std::max(0.0, 8.0 * std::sin(phase)), 25.0 + row % 97 / 10.0);
        }
        std::fclose(file);
    }
    const CDocumentLogFilePtr log = OpenLog(path);
    const boost::shared_ptr<CDisplayGraphTimeDoc> graph = Open<CDisplayGraphTimeDoc>(m_graph);
    ASSERT_TRUE(graph);
    CDisplayGraphTimeView* view = ViewOf<CDisplayGraphTimeView>(*graph);
    ASSERT_NE(nullptr, view);
    view->Drop(WholeLog(log).get());
    ASSERT_TRUE(PumpUntil([&] { return view->GetCharts().GetOverview().GetLineCount() == 4; }, 20000));
    ::MoveWindow(FrameOf(*graph), 0, 0, 960, 640, TRUE);
    PumpUntil([] { return false; }, 100);

    CGraphicObGraphLineStripChart& overview = view->GetCharts().GetOverview();
    for (int line = 0; line < 4; ++line)
    {
        EXPECT_EQ(100000u, overview.GetSamples(line).size());
        // Every line shown whole, within the polyline's capacity.
        const CGraphicObGraphLine::rendered_line_t* rendered = overview.GetRenderedLine(line);
        ASSERT_NE(nullptr, rendered);
        EXPECT_LE(rendered->count, CGraphicObGraphLine::rendered_line_t::capacity);
        EXPECT_EQ(overview.GetXAxis()->ValueToPixel(overview.GetSamples(line).back().first),
                  rendered->points[rendered->count - 1].x);
    }

    // Dragging a window over the overview plots its span in the main chart.
    const CRect overviewRect = view->GetCharts().GetOverviewRect();
    const int y = overviewRect.top + 10;
    const int x = overviewRect.left + overviewRect.Width() / 2;
    ::SendMessage(view->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessage(view->GetSafeHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 60, y));
    ::SendMessage(view->GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x + 60, y));
    CGraphicObGraphLineStripChart& main = view->GetCharts().GetMainChart();
    EXPECT_TRUE(overview.IsWindowShown());
    EXPECT_NEAR(overview.GetWindowStart(), main.GetXAxis()->GetMin(), 1e-9);
    EXPECT_LT(main.GetSamples(0).size(), 100000u);
    EXPECT_GT(main.GetSamples(0).size(), 0u);
    EXPECT_EQ(nullptr, ::GetCapture());

    // A drag whose capture another window takes ends there; the window stays.
    const CPoint body = overview.GetWindowBody().CenterPoint();
    ::SendMessage(view->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(body.x, body.y));
    ASSERT_TRUE(view->GetCharts().IsDragging());
    EXPECT_EQ(view->GetSafeHwnd(), ::GetCapture());
    ::ReleaseCapture();
    EXPECT_FALSE(view->GetCharts().IsDragging());
    EXPECT_FALSE(overview.IsDragging());
    EXPECT_TRUE(overview.IsWindowShown());
    ExpectTextsWhole(*view);
    Screenshot(FrameOf(*graph), "displays_graph_100000_samples");
}

TEST_F(DisplaysEndToEnd, AStateDisplayOfManyVariablesIsFilledWithoutARedrawPerCell)
{
    // A hundred variables, as a site's devices give them: each drop rebuilds the list.
    const boost::shared_ptr<CDisplayStateDoc> state = Open<CDisplayStateDoc>(m_state);
    ASSERT_TRUE(state);
    CDisplayStateView* view = ViewOf<CDisplayStateView>(*state);
    ASSERT_NE(nullptr, view);
    ::MoveWindow(FrameOf(*state), 0, 0, 900, 640, TRUE);
    CTreeItemPtr owner(new CTreeItem("Site controller", "", PLOT_ID_NONE, PLOT_ID_NONE, 7, ""));
    // Drawn once per rebuild the hundred drops take about a second; drawn cell by cell
    // under Wine they took about fifty.
    const DWORD start = ::GetTickCount();
    for (int id = 1; id <= 100; ++id)
    {
        CTreeItem variable(("Variable " + std::to_string(id)).c_str(), "V", STORAGE_TYPE_SIMPLE_VALUE, id, 7, "");
        variable.SetAssociated(owner);
        ASSERT_TRUE(view->CanDrop(&variable)) << id;
        view->Drop(&variable);
    }
    testing_support::DispatchPendingMessages();   // every rebuild the drops asked for
    const DWORD took = ::GetTickCount() - start;
    EXPECT_LT(took, 15000u);
    EXPECT_EQ(100, view->GetList().GetItemCount());
    EXPECT_EQ("Variable 100", std::string(view->GetList().GetItemText(99, 1)));
    EXPECT_EQ("Site controller", std::string(view->GetList().GetItemText(99, 0)));

    // Every value changes: the update the view takes for them is a few calls to the list,
    // not one per value, and invalidates every row on screen; then two rows change, and
    // only they are invalidated.
    CListCtrl& list = view->GetList();
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    const auto change = [&](int id, double value) {
        state->OnStorage(CStoragePtr(new CPlotItemSimpleValue(7, id, COleVariant(value), "", "")));
    };
    const auto takeUpdate = [&] {
        list.UpdateWindow();
        g_listMessages = 0;
        g_listProcedure = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(list.GetSafeHwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingListProcedure)));
        ::SendMessage(view->GetSafeHwnd(), WM_APP_DISPLAY_UPDATE, DISPLAY_UPDATE_CHANGED_ROWS, 0);
        ::SetWindowLongPtrA(list.GetSafeHwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProcedure));
        return g_listMessages;
    };
    const auto invalidRows = [&] {
        std::vector<int> rows;
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        ::GetUpdateRgn(list.GetSafeHwnd(), region, FALSE);
        for (int row = list.GetTopIndex(); row < list.GetTopIndex() + list.GetCountPerPage(); ++row)
        {
            CRect rect;
            if (list.GetItemRect(row, &rect, LVIR_BOUNDS) && ::RectInRegion(region, &rect))
                rows.push_back(row);
        }
        ::DeleteObject(region);
        return rows;
    };
    const int shown = list.GetCountPerPage();
    ASSERT_GT(shown, 8);
    for (int id = 1; id <= 100; ++id)
        change(id, id + 0.25);
    EXPECT_LT(takeUpdate(), 10);
    EXPECT_EQ(static_cast<size_t>(shown), invalidRows().size());
    change(4, 1000.0);
    change(7, 2000.0);
    EXPECT_LT(takeUpdate(), 10);
    EXPECT_EQ((std::vector<int>{3, 6}), invalidRows());
    testing_support::DispatchPendingMessages();
    for (int row = 0; row < 100; ++row)
    {
        const double value = row == 3 ? 1000.0 : row == 6 ? 2000.0 : row + 1.25;
        EXPECT_EQ(FormatVariant(COleVariant(value)), std::string(list.GetItemText(row, 2))) << row;
    }
    EXPECT_EQ(LVIS_SELECTED, list.GetItemState(2, LVIS_SELECTED));
    Screenshot(FrameOf(*state), "displays_state_many_values");
}

TEST_F(DisplaysEndToEnd, ARowClaimsNoValueOfADeviceThatStoppedAnsweringAndTheGraphShowsTheGap)
{
    ASSERT_NO_FATAL_FAILURE(ConnectDevice());
    const std::string path = m_folder + "\\interrupted.csv";
    const boost::shared_ptr<CDisplayLogWriteDoc> logger = StartLogger(DeviceVariables(2), path);
    ASSERT_TRUE(logger && logger->IsRecording());
    ASSERT_TRUE(PumpUntil([&] { return logger->GetRowCount() >= 3; }, 30000)) << logger->GetRowCount();

    // The device stops answering (its server is gone), and later answers again on its port.
    ASSERT_TRUE(m_host.Stop(m_testDevice));
    m_testDevice = 0;
    const int answered = logger->GetRowCount();
    ASSERT_TRUE(PumpUntil([&] { return logger->GetRowCount() >= answered + 5; }, 30000)) << logger->GetRowCount();
    ASSERT_NO_FATAL_FAILURE(StartDevice());
    const auto answersAgain = [&] {
        const auto rows = RecordedRows(path);
        return rows.size() > static_cast<size_t>(answered + 5) && !rows.back().empty() && !rows.back()[0].empty();
    };
    ASSERT_TRUE(PumpUntil(answersAgain, 60000)) << testing_support::ReadFileText(path);
    ViewOf<CDisplayLogWriteView>(*logger)->OnStop();

    // Read back: values, then rows with both fields empty while it was silent (at least
    // the four rows wholly inside that time), then values again.
    const auto rows = RecordedRows(path);
    ASSERT_GE(rows.size(), 9u);
    int silentRun = 0;
    int longestSilentRun = 0;
    for (const std::vector<std::string>& fields : rows)
    {
        ASSERT_EQ(2u, fields.size());
        silentRun = fields[0].empty() && fields[1].empty() ? silentRun + 1 : 0;
        longestSilentRun = std::max(longestSilentRun, silentRun);
    }
    EXPECT_GE(longestSilentRun, 4) << testing_support::ReadFileText(path);
    EXPECT_FALSE(rows.front()[0].empty());
    EXPECT_FALSE(rows.back()[0].empty());

    // The Historical Graph of the file: no line across the silent rows.
    boost::shared_ptr<CDisplayGraphTimeDoc> graph;
    CDisplayGraphTimeView* graphView = GraphOfLog(path, graph);
    ASSERT_NE(nullptr, graphView);
    ASSERT_EQ(2, graphView->GetCharts().GetMainChart().GetLineCount());
    CGraphicObGraphLineStripChart& main = graphView->GetCharts().GetMainChart();
    ::MoveWindow(FrameOf(*graph), 0, 0, 900, 600, TRUE);
    PumpUntil([] { return false; }, 100);
    for (int line = 0; line < 2; ++line)
    {
        EXPECT_EQ(rows.size(), main.GetSamples(line).size());
        const CGraphicObGraphLine::rendered_line_t* rendered = main.GetRenderedLine(line);
        ASSERT_NE(nullptr, rendered);
        EXPECT_FALSE(rendered->starts.empty()) << line;
    }
    ExpectTextsWhole(*graphView);
    Screenshot(FrameOf(*graph), "displays_graph_gap");
}

TEST_F(DisplaysEndToEnd, ALoggersListChangesOnlyTheRowsWhoseTextChanged)
{
    ASSERT_NO_FATAL_FAILURE(ConnectDevice());
    const CTreeItemList variables = DeviceVariables(6);
    boost::shared_ptr<CDisplayLogWriteDoc> logger;
    CDisplayLogWriteView* view = OpenLogger(variables, logger);
    ASSERT_NE(nullptr, view);
    CListCtrl& list = view->GetList();
    ASSERT_EQ(6, list.GetItemCount());
    // A row the user selected stays selected through the rebuilds that every connection
    // change of every device asks for.
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    ::SendMessage(view->GetSafeHwnd(), WM_APP_DISPLAY_REBUILD, 0, 0);
    EXPECT_EQ(LVIS_SELECTED, list.GetItemState(2, LVIS_SELECTED));
    m_device->GetGenericConnection()->Disconnect();
    testing_support::DispatchPendingMessages();
    ::SendMessage(view->GetSafeHwnd(), WM_APP_DISPLAY_REBUILD, 0, 0);
    // A rebuild the disconnect posted meanwhile (late on a busy machine) takes this one's
    // place: the list follows once it has run.
    const auto listShowsTheRows = [&] {
        for (int row = 0; row < 6; ++row) {
            if (std::string(logger->GetRowText(row)) != std::string(list.GetItemText(row, 0)))
                return false;
        }
        return true;
    };
    PumpUntil(listShowsTheRows, 5000);
    EXPECT_EQ(LVIS_SELECTED, list.GetItemState(2, LVIS_SELECTED));
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(std::string(logger->GetRowText(row)), std::string(list.GetItemText(row, 0))) << row;
    EXPECT_NE(-1, list.GetItemText(5, 0).Find(" (not connected)"));
    // A removed variable takes its row only. Rebuilds asked for together cost one: a
    // rebuild with another queued behind it leaves the list to that one.
    logger->RemoveVariable(*variables[5]);
    ::PostMessage(view->GetSafeHwnd(), WM_APP_DISPLAY_REBUILD, 0, 0);
    MSG first;
    ASSERT_TRUE(::PeekMessageA(&first, view->GetSafeHwnd(), WM_APP_DISPLAY_REBUILD, WM_APP_DISPLAY_REBUILD, PM_REMOVE));
    ::DispatchMessageA(&first);
    EXPECT_EQ(6, list.GetItemCount());
    testing_support::DispatchPendingMessages();
    EXPECT_EQ(5, list.GetItemCount());
    EXPECT_EQ(LVIS_SELECTED, list.GetItemState(2, LVIS_SELECTED));
    // Remove takes the selected one; the row that moves up into its place is not taken
    // for chosen, so a second Remove asks again.
    const std::string third = static_cast<LPCTSTR>(list.GetItemText(3, 0));
    view->OnRemove();
    testing_support::DispatchPendingMessages();
    ASSERT_EQ(4, list.GetItemCount());
    EXPECT_EQ(third, std::string(list.GetItemText(2, 0)));
    EXPECT_EQ(0u, list.GetSelectedCount());
    EXPECT_FALSE(view->GetDlgItem(IDC_LOGGER_REMOVE)->IsWindowEnabled());
}

// A file system that fills: a small tmpfs that tests/device/tmpfs.sh mounts in a mount
// namespace of its own (PYRAXIS_SMALL_FS, its Unix path), with a read-only folder in it.
// Elsewhere the case is skipped.
TEST_F(DisplaysEndToEnd, AFullDiskOrAReadOnlyFolderRefusesOrEndsTheRecordingAndTheLoggerSaysWhy)
{
    const char* small = std::getenv("PYRAXIS_SMALL_FS");
    if (small == nullptr || *small == '\0')
        GTEST_SKIP() << "a full disk is tested only inside tests/device/tmpfs.sh";
    std::string disk = "Z:" + std::string(small);
    std::replace(disk.begin(), disk.end(), '/', '\\');
    const std::string path = disk + "\\recorded.csv";
    const std::string filler = disk + "\\filler";
    // Another program fills the rest of the disk.
    const auto fill = [&] { ASSERT_TRUE(testing_support::FillDisk(filler)); };
    ASSERT_NO_FATAL_FAILURE(ConnectDevice());
    // Every variable: wide rows fill the last block of the file within a few rows.
    const CTreeItemList variables = DeviceVariables(1000);
    boost::shared_ptr<CDisplayLogWriteDoc> logger;
    CDisplayLogWriteView* view = OpenLogger(variables, logger);
    ASSERT_NE(nullptr, view);
    const auto enabled = [&](int id) { return view->GetDlgItem(id)->IsWindowEnabled() != FALSE; };

    // No room for the header: Record is refused naming the file and why, the file is left
    // closed and empty, and once there is room Record works.
    ASSERT_NO_FATAL_FAILURE(fill());
    view->SetDlgItemText(IDC_LOGGER_FILE_NAME, path.c_str());
    view->SetDlgItemText(IDC_LOGGER_SECONDS, "1");
    Recorder().Clear();
    view->OnRecord();
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("* error: unable to open " + path + " for writing (the disk is full)", Recorder().Boxes()[0].text);
    EXPECT_FALSE(logger->IsRecording());
    EXPECT_TRUE(enabled(IDC_LOGGER_RECORD));
    EXPECT_FALSE(enabled(IDC_LOGGER_STOP));
    EXPECT_EQ("", testing_support::ReadFileText(path));
    ::DeleteFileA(filler.c_str());
    Recorder().Clear();
    Recorder().QueueAnswer(IDYES);   // the empty file left behind
    view->OnRecord();
    ASSERT_TRUE(logger->IsRecording()) << (Recorder().Count() ? Recorder().Boxes().back().text : "");
    ASSERT_TRUE(PumpUntil([&] { return logger->GetRowCount() >= 2; }, 30000)) << logger->GetRowCount();

    // The disk fills while recording: the row that does not fit ends the recording, the
    // file is cut back to its last whole row, and the Logger says why.
    ASSERT_NO_FATAL_FAILURE(fill());
    // The last block of the file takes a few more rows first.
    ASSERT_TRUE(PumpUntil([&] { return !logger->IsRecording() && enabled(IDC_LOGGER_RECORD); }, 120000));
    CString information;
    view->GetDlgItemText(IDC_LOGGER_INFORMATION, information);
    EXPECT_EQ("Recording stopped: unable to write to " + path + " (the disk is full).", std::string(information));
    EXPECT_FALSE(enabled(IDC_LOGGER_STOP));
    ::MoveWindow(FrameOf(*logger), 20, 20, 560, 420, TRUE);
    Screenshot(FrameOf(*logger), "displays_logger_full_disk");

    // Room again: nothing more is written, and the file ends with whole rows that
    // Pyraxis opens and plots.
    ::DeleteFileA(filler.c_str());
    const std::string kept = testing_support::ReadFileText(path);
    PumpUntil([] { return false; }, 2500);
    EXPECT_EQ(kept, testing_support::ReadFileText(path));
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ('\n', kept.back());
    const auto rows = RecordedRows(path);
    EXPECT_EQ(static_cast<size_t>(logger->GetRowCount()), rows.size());
    for (const auto& fields : rows)
        EXPECT_EQ(variables.size(), fields.size());
    boost::shared_ptr<CDisplayGraphTimeDoc> graph;
    CDisplayGraphTimeView* graphView = GraphOfLog(path, graph);
    ASSERT_NE(nullptr, graphView);
    EXPECT_EQ(rows.size(), graphView->GetCharts().GetMainChart().GetSamples(0).size());

    // A read-only folder: Record is refused naming the file and the system's reason, and
    // the information no longer tells of the full disk.
    const std::string readOnly = disk + "\\read-only\\refused.csv";
    view->SetDlgItemText(IDC_LOGGER_FILE_NAME, readOnly.c_str());
    Recorder().Clear();
    view->OnRecord();
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("* error: unable to open " + readOnly + " for writing (Access denied)",
              Recorder().Boxes()[0].text);
    EXPECT_FALSE(logger->IsRecording());
    view->GetDlgItemText(IDC_LOGGER_INFORMATION, information);
    EXPECT_EQ("Drag variables to this display, pick a\nlog file name, and click Record", std::string(information));
}

// The darkest pixel of the list's rows as drawn on the screen (0 black, 255 white).
int DarkestRowPixel(CListCtrl& list)
{
    RECT first;
    RECT last;
    const int rows = list.GetItemCount();
    if (rows == 0 || !ListView_GetItemRect(list.GetSafeHwnd(), 0, &first, LVIR_BOUNDS) ||
        !ListView_GetItemRect(list.GetSafeHwnd(), rows - 1, &last, LVIR_BOUNDS))
        return 255;
    POINT origin = {0, 0};
    ::ClientToScreen(list.GetSafeHwnd(), &origin);
    RECT window;
    ::GetWindowRect(list.GetSafeHwnd(), &window);
    const testing_support::Screenshot shot = testing_support::Screenshot::OfWindow(list.GetSafeHwnd());
    int darkest = 255;
    for (int y = first.top + 1; y < last.bottom - 1; ++y)
        for (int x = first.left; x < first.right && x < shot.Width(); ++x) {
            const COLORREF pixel = shot.Pixel(x + origin.x - window.left, y + origin.y - window.top);
            darkest = std::min(darkest, static_cast<int>(std::max({GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)})));
        }
    return darkest;
}

TEST_F(DisplaysEndToEnd, TheValuesOfADeviceThatStopsAnsweringAreGreyedUntilItAnswersAgain)
{
    // A few polls after the connect (about 40 requests), the device answers none of the
    // next three: one poll fails (a request and its two retries, each given up after 5 s).
    ASSERT_NO_FATAL_FAILURE(ConnectDevice("[{\"kind\": \"silence\", \"from\": 44, \"times\": 3}]"));
    const boost::shared_ptr<CDisplayStateDoc> state = Open<CDisplayStateDoc>(m_state);
    ASSERT_TRUE(state);
    CDisplayStateView* view = ViewOf<CDisplayStateView>(*state);
    ASSERT_NE(nullptr, view);
    for (const CTreeItemPtr& variable : DeviceVariables(3))
        view->Drop(variable.get());
    ::SendMessage(m_main->m_hWndMDIClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(FrameOf(*state)), 0);
    CListCtrl& list = view->GetList();
    const auto shown = [&] {
        for (int row = 0; row < list.GetItemCount(); ++row)
            if (list.GetItemText(row, 2).IsEmpty())
                return false;
        return list.GetItemCount() == 3;
    };
    ASSERT_TRUE(PumpUntil([&] { return shown() && state->IsRowLive(0); }, 30000));
    PumpUntil([] { return false; }, 300);
    EXPECT_LT(DarkestRowPixel(list), 0x50) << "live values in the window's text colour";

    ASSERT_TRUE(PumpUntil([&] { return !state->IsRowLive(0); }, 60000)) << "the device stops answering";
    PumpUntil([] { return false; }, 300);
    EXPECT_FALSE(m_device->GetMessagesText().empty());
    EXPECT_TRUE(shown()) << "its last values stay";
    EXPECT_GE(DarkestRowPixel(list), 0x50) << "greyed";
    Screenshot(FrameOf(*state), "displays_state_greyed");

    ASSERT_TRUE(PumpUntil([&] { return state->IsRowLive(0); }, 60000)) << "the device answers again";
    PumpUntil([] { return false; }, 300);
    EXPECT_LT(DarkestRowPixel(list), 0x50) << "live again";
}

TEST_F(DisplaysEndToEnd, NewDisplayDialogListsTheKinds)
{
    // Answered from inside: the dialog's list is read, Logger chosen by a double click.
    std::vector<std::string> names;
    int selected = -1;
    CDialogNewDisplay dialog(m_manager.get(), m_main);
    bool answered = false;
    std::function<void()> answer = [&] {
        HWND box = ::FindWindowA(nullptr, "New Display");
        if (box == nullptr || answered)
            return;
        HWND list = ::GetDlgItem(box, IDC_NEW_DISPLAY_LIST);
        const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int row = 0; row < count && row < 10; ++row)
        {
            char text[64] = {};
            ::SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
            names.push_back(text);
        }
        selected = static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0));
        ::SendMessageA(list, LB_SETCURSEL, 1, 0);
        ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_NEW_DISPLAY_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
        answered = true;
    };
    static std::function<void()>* s_answer = nullptr;
    s_answer = &answer;
    const UINT_PTR poll = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        if (s_answer != nullptr)
            (*s_answer)();
    });
    const INT_PTR result = dialog.DoModal();
    ::KillTimer(nullptr, poll);
    s_answer = nullptr;
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ((std::vector<std::string>{ "State", "Logger", "Historical Graph" }), names);
    EXPECT_EQ(0, selected);
    EXPECT_EQ(m_logger.get(), dialog.GetTemplate());
}
}  // namespace
