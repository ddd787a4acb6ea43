#include "tests/shell_ui/MainFrameFixture.h"

#include "documents/CConnectionGeneric1.h"
#include "documents/GenericDevices.h"
#include "documents/CStorageRefreshEvent.h"
#include "shell/CTabDeviceView.h"
#include "shell/ProgramFolders.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"

using testing_support::PollUntil;

namespace main_frame_test
{
testing_support::MessageBoxRecorder& Recorder()
{
    return testing_support::MessageBoxRecorder::Instance();
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

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

void MainFrame::SetUp()
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

void MainFrame::TearDown()
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

void MainFrame::Pump()
{
    testing_support::DispatchPendingMessages();
}

bool MainFrame::RunUntilTheEdgeBarToggles(bool shown)
{
    CControlBar& bar = m_frame->GetEdgeBar();
    MSG msg;
    for (int taken = 0; ((bar.GetStyle() & WS_VISIBLE) != 0) == shown && taken < 10000 &&
                        ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
         ++taken)
        ::DispatchMessageA(&msg);
    return ((bar.GetStyle() & WS_VISIBLE) != 0) != shown;
}

bool MainFrame::RunUntilRepainted()
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

bool MainFrame::Enabled(UINT command)
{
    EnableProbe probe;
    probe.m_nID = command;
    probe.DoUpdate(m_frame, TRUE);
    return probe.m_enabled;
}
void MainFrame::Command(UINT command)
{
    m_frame->SendMessage(WM_COMMAND, command, 0);
    Pump();
}

CDocumentDeviceGeneric1Ptr MainFrame::AddDeviceOfTheFile(BYTE model, BYTE type)
{
    CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(model, type, 255, m_manager));
    LoadGenericDevices(GetProgramFolders().GetDevicesXmlPath(), m_manager, model, type, device.get(), nullptr);
    EXPECT_GT(m_manager->AddDevice(device), 0);
    return device;
}

bool MainFrame::SelectDeviceNode(int deviceId)
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

std::string MainFrame::Shot(const std::string& name)
{
    ::RedrawWindow(m_frameHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Pump();
    return testing_support::Screenshot::OfWindow(m_frameHandle).Save(name);
}

void MainFrame::StartTestDevice(const std::string& name, const std::string& serial, int units,
                     const std::string& moreFaults)
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

CDocumentDeviceGeneric1Ptr MainFrame::ConnectDeviceOfTheFile(BYTE model, BYTE type)
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

HTREEITEM MainFrame::DocumentNode(CTreeViewEx& tree, int documentId)
{
    CTreeCtrl& control = tree.GetTreeCtrl();
    for (HTREEITEM item = control.GetRootItem(); item != nullptr; item = control.GetNextSiblingItem(item)) {
        const CTreeItem* data = tree.GetItemData(item);
        if (data != nullptr && data->GetDocumentId() == documentId)
            return item;
    }
    return nullptr;
}
} // namespace main_frame_test
