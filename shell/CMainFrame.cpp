#include "shell/CMainFrame.h"
#include "displays/CDialogNewDisplay.h"
#include "displays/CDocumentDisplay.h"
#include "wizards/varnix/VarnixSetupLaunch.h"
#include "documents/CConnection.h"
#include "documents/CConnectionModbusLocal.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/FileHelpers.h"
#include "documents/GenericDevices.h"
#include "documents/IDeviceWithEmbeddedLogging.h"
#include "documents/RegistryHelpers.h"
#include "documents/TextHelpers.h"
#include "framework/CCmdUI.h"
#include "framework/CDocTemplate.h"
#include "framework/CWaitCursor.h"
#include "framework/CWinApp.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageBoxHook.h"
#include "framework/MessageMap.h"
#include "shell/CDialogControlBrowser.h"
#include "shell/CDialogNewDevice.h"
#include "shell/CFirstrunDeviceAutoDetectConfig.h"
#include "shell/CTabDeviceView.h"
#include "shell/CTabLogFileView.h"
#include "shell/CVarnixViewApp.h"
#include "shell/DeviceSearchSettings.h"
#include "shell/ProgramFolders.h"
#include "shell/ShellCommands.h"
#include "wizards/corandel/CorandelSetupCommands.h"

#include <commdlg.h>
#include <cstring>
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include "wizards/dipswitch/DipSwitchWizard.h"
#include "wizards/relay/CDialogRelayModuleSetup.h"

IMPLEMENT_DYNCREATE(CMainFrame, CBNMDIFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CBNMDIFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_COMMAND(ID_DEVICES_SEARCH, OnDevicesSearch)
    ON_COMMAND(ID_DEVICES_MANUAL_CONNECTION, OnDevicesManualConnection)
    ON_COMMAND(ID_DEVICE_DELETE, OnDeviceDelete)
    ON_UPDATE_COMMAND_UI(ID_DEVICE_DELETE, OnUpdateDeviceDelete)
    ON_COMMAND(ID_DEVICES_CONNECT_ALL, OnDevicesConnectAll)
    ON_UPDATE_COMMAND_UI(ID_DEVICES_CONNECT_ALL, OnUpdateDevicesConnectAll)
    ON_COMMAND(ID_DEVICE_CONNECT, OnDeviceConnect)
    ON_UPDATE_COMMAND_UI(ID_DEVICE_CONNECT, OnUpdateDeviceConnect)
    ON_COMMAND(ID_DEVICE_DISCONNECT, OnDeviceDisconnect)
    ON_UPDATE_COMMAND_UI(ID_DEVICE_DISCONNECT, OnUpdateDeviceDisconnect)
    ON_COMMAND(ID_DEVICE_PROPERTIES, OnDeviceProperties)
    ON_UPDATE_COMMAND_UI(ID_DEVICE_PROPERTIES, OnUpdateDeviceNode)
    ON_COMMAND(ID_DEVICE_RENAME, OnDeviceRename)
    ON_UPDATE_COMMAND_UI(ID_DEVICE_RENAME, OnUpdateDeviceNode)
    ON_COMMAND(ID_LOGFILE_OPEN, OnLogFileOpen)
    ON_COMMAND(ID_LOGFILE_CLOSE, OnLogFileClose)
    ON_COMMAND(ID_DISPLAY_NEW, OnDisplayNew)
    ON_UPDATE_COMMAND_UI(ID_DISPLAY_NEW, OnUpdateDisplayNew)
    ON_COMMAND(ID_WORKSPACE_SAVE, OnWorkspaceSave)
    ON_COMMAND(ID_WORKSPACE_SAVE_AS, OnWorkspaceSaveAs)
    ON_UPDATE_COMMAND_UI(ID_VIEW_EDGEBAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_EDGEBAR, OnBarCheck)
    ON_COMMAND(ID_VIEW_DEVICES_TAB, OnViewDevicesTab)
    ON_COMMAND(ID_TOOLS_PREFERENCES, OnToolsPreferences)
    ON_COMMAND(ID_TOOLS_DIP_SWITCH_WIZARD, OnToolsDipSwitchWizard)
    ON_COMMAND(ID_TOOLS_OSTREL_WIZARD, OnToolsOstrelWizard)
    ON_COMMAND(ID_TOOLS_VARNIX_WIZARD, OnToolsVarnixWizard)
    ON_COMMAND(ID_TOOLS_CORANDEL_DUO_WIZARD, OnToolsCorandelDuoWizard)
    ON_COMMAND(ID_TOOLS_CORANDEL_MPPT_WIZARD, OnToolsCorandelMpptWizard)
    ON_COMMAND(ID_TOOLS_VARNIX_MPPT_WIZARD, OnToolsVarnixMpptWizard)
    ON_COMMAND(ID_TOOLS_VARNIX_HV_MPPT_WIZARD, OnToolsVarnixHvMpptWizard)
    ON_MESSAGE(WM_APP_REFRESH_EVENT, OnRefreshEvent)
    ON_MESSAGE(WM_APP_OPEN_ENDPOINT, OnOpenEndpoint)
    ON_MESSAGE(WM_APP_RUN_COMMAND, OnRunCommand)
    ON_MESSAGE(WM_APP_CONNECT_DONE, OnConnectDone)
    ON_MESSAGE(WM_APP_DEVICE_LOG_OPENED, OnDeviceLogOpened)
END_MESSAGE_MAP()

namespace
{
const UINT STATUS_INDICATORS[] = {0, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
const DWORD STATUS_BAR_STYLE = 0x50008200;
const DWORD EDGE_BAR_STYLE = 0x1400;
const DWORD DOCK_EVERY_SIDE = 0xF000;
// Closing waits this long at most for the opens under way, each cut short.
const DWORD CONNECTS_ABANDON_WAIT_MS = 2000;

std::string LogOpenFailureText(const std::wstring& path, const std::string& reason)
{
    return "unable to open log file \"" + WideToNarrow(path) + "\": " + reason;
}

// The rest of a large change of the device tree, and the downloaded logs that wait, go on
// in turns a timer gives: the system gives a timer its turn only once no posted message
// or repaint waits, so commands and repaints come first.
const UINT_PTR DEVICE_TREE_TURN_TIMER = 1;
const UINT_PTR DEVICE_LOG_TURN_TIMER = 2;
const UINT NEXT_TURN_MS = 1;
// A turn opens logs for this long at most (each takes some 10 ms), and at most this many.
const DWORD DEVICE_LOG_TURN_MS = 30;
const int MAX_DEVICE_LOGS_A_TURN = 16;

const char* const LOG_DOWNLOADED_CAPTION = "Information: New Device Log File";
const char* const LOG_DOWNLOADED_TEXT =
    "The device you connected had some long-term logged data stored on it.\n"
    "The data has been automatically downloaded, and is available in the\n"
    "\"Log Files\" tab on the left.\n\n"
    "Any time you connect to a device that supports logged data, the data\n"
    "will be downloaded and appended to the existing log file.\n\n"
    "(This message is only shown the first time logged data is downloaded.)";

void StopBox(const std::string& text)
{
    AfxMessageBox(text.c_str(), MB_ICONSTOP);
}

std::string ConnectFailureText(CDocumentDevice& device, const std::string& error)
{
    char text[1024];
    std::snprintf(text, sizeof text, "Error: unable to open connection to '%s':\n%s",
                  static_cast<LPCTSTR>(device.GetName()), error.c_str());
    return text;
}

// Where the device is reached: "COM20 (unit 6)", "192.0.2.7:502 (unit 6)".
std::string PlaceText(CDocumentDevice& device)
{
    const boost::shared_ptr<CConnectionModbusLocal> connection =
        boost::dynamic_pointer_cast<CConnectionModbusLocal>(device.GetConnection());
    if (!connection)
        return "this computer";
    const boost::shared_ptr<ModbusEndpoint_t> endpoint = connection->GetEndpoint();
    return (endpoint->network ? endpoint->host + ":" + std::to_string(endpoint->port)
                              : "COM" + std::to_string(endpoint->port)) +
           " (unit " + std::to_string(endpoint->unitId) + ")";
}

std::string AlreadyInWorkspaceText(CDocumentDevice& existing)
{
    return "'" + std::string(static_cast<LPCTSTR>(existing.GetName())) + "' is already in the workspace, " +
           (existing.IsConnected() ? "connected through " : "on ") + PlaceText(existing) + ".";
}

const char* const NOT_ADDED_AGAIN = "\nIt was not added a second time.";

// Whether the device can be connected now: it has a connection, not open, not busy.
bool CanConnect(CDocumentDevice& device)
{
    return device.GetConnection() && !device.IsConnected() && !device.IsBusy();
}

// Proves that devices.xml can be read; the stop box and false when it cannot.
bool LoadDescriptions(GenericDeviceList_t& devices)
{
    const std::wstring path = GetProgramFolders().GetDevicesXmlPath();
    try {
        devices = LoadGenericDevices(path, CDocumentManager::GetApplicationManager(), -1, -1, nullptr, nullptr);
        return true;
    } catch (const std::exception& error) {
        ShowMessageBoxWide(L"Error: unable to load devices from " + path + L"\n(" +
                               std::wstring(error.what(), error.what() + std::strlen(error.what())) + L")",
                           MB_ICONSTOP, 0);
        return false;
    }
}
} // namespace

CMainFrame::CMainFrame() : m_showingConnectFailure(false)
{
}

CMainFrame::~CMainFrame()
{
    m_commandContext.reset();
}

CDocumentManager* CMainFrame::Manager() const
{
    return CDocumentManager::GetApplicationManager();
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CBNMDIFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (!m_statusBar.Create(this, STATUS_BAR_STYLE, AFX_IDW_STATUS_BAR) ||
        !m_statusBar.SetIndicators(STATUS_INDICATORS, 4))
        return -1;
    if (!m_edgeBar.Create(this, ID_VIEW_EDGEBAR, "Workspace", CSize(225, 100), EDGE_BAR_STYLE, FALSE))
        return -1;
    if (!m_edgeBar.AddView("Devices", RUNTIME_CLASS(CTabDeviceView), nullptr, -1, nullptr) ||
        !m_edgeBar.AddView("Log Files", RUNTIME_CLASS(CTabLogFileView), nullptr, -1, nullptr))
        return -1;
    m_edgeBar.EnableDockingOnSizeBar(DOCK_EVERY_SIDE);
    EnableDockingSizeBar(DOCK_EVERY_SIDE, 0);
    DockSizeBar(&m_edgeBar, nullptr, nullptr);
    m_edgeBar.SetMenuID(MAIN_FRAME_MENU_ID, 0, 1);
    m_edgeBar.SetActiveView(RUNTIME_CLASS(CTabDeviceView));
    if (CDocumentManager* manager = Manager())
        manager->GetDispatcher().SetTargetWindow(GetSafeHwnd(), true);
    m_connector.SetWindow(GetSafeHwnd(), WM_APP_CONNECT_DONE);
    // Started here, not while devices connect: the window starts no thread then. Without
    // it the logs open on the window's thread.
    m_logOpener.Start(GetSafeHwnd(), WM_APP_DEVICE_LOG_OPENED);
    return 0;
}

CTabDeviceView* CMainFrame::GetDeviceTree()
{
    return dynamic_cast<CTabDeviceView*>(m_edgeBar.GetView(RUNTIME_CLASS(CTabDeviceView)));
}

CTabLogFileView* CMainFrame::GetLogFileTree()
{
    return dynamic_cast<CTabLogFileView*>(m_edgeBar.GetView(RUNTIME_CLASS(CTabLogFileView)));
}

void CMainFrame::RebuildDeviceTree()
{
    // The rest of a large change comes in a turn of its own: commands posted meanwhile and
    // repaints get theirs between.
    CTabDeviceView* tree = GetDeviceTree();
    if (tree != nullptr && !tree->RebuildTree())
        SetTimer(DEVICE_TREE_TURN_TIMER, NEXT_TURN_MS, nullptr);
}

void CMainFrame::RebuildLogFileTree()
{
    if (CTabLogFileView* tree = GetLogFileTree())
        tree->RebuildTree();
}

bool CMainFrame::GetSelectedItemId(int tab, CPlotVariableId& id)
{
    if (tab != EDGE_BAR_DEVICES_TAB && tab != EDGE_BAR_LOG_FILES_TAB)
        return false;
    CTreeViewEx* tree = tab == EDGE_BAR_DEVICES_TAB ? static_cast<CTreeViewEx*>(GetDeviceTree())
                                                    : static_cast<CTreeViewEx*>(GetLogFileTree());
    if (tree == nullptr || m_edgeBar.GetActiveView() != tree)
        return false;
    const CTreeItem* item = tree->GetSelectedItemData();
    if (item == nullptr)
        return false;
    id = *item;
    return true;
}

CDocumentDevicePtr CMainFrame::SelectedDevice()
{
    CPlotVariableId id;
    CDocumentManager* manager = Manager();
    if (manager == nullptr || !GetSelectedItemId(EDGE_BAR_DEVICES_TAB, id))
        return CDocumentDevicePtr();
    if (id.GetItemTypeId() != PLOT_ID_NONE || id.GetVariableId() != PLOT_ID_NONE || id.GetDocumentId() == PLOT_ID_NONE)
        return CDocumentDevicePtr();
    return manager->FindDeviceById(id.GetDocumentId());
}

// --- Devices ---------------------------------------------------------------------------

int CMainFrame::RegisterNewDevice(const CDocumentDevicePtr& device)
{
    const int id = Manager()->AddDevice(device);
    if (id < 0) {
        StopBox("Error: no more devices can be added; delete one first.");
        return id;
    }
    m_edgeBar.SetActiveView(RUNTIME_CLASS(CTabDeviceView));
    PostMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, id);
    m_newDevices.push_back(device);
    return id;
}

bool CMainFrame::TakeNewDevice(const CDocumentDevicePtr& device)
{
    bool found = false;
    for (auto entry = m_newDevices.begin(); entry != m_newDevices.end();) {
        const CDocumentDevicePtr known = entry->lock();
        found = found || known == device;
        entry = !known || known == device ? m_newDevices.erase(entry) : entry + 1;
    }
    return found;
}

bool CMainFrame::RefuseSecondEntry(const CDocumentDevicePtr& device)
{
    // One device under two entries would download into one log file, which only the
    // first can open.
    const CDocumentDevicePtr same = Manager()->FindSameDevice(device);
    if (!same)
        return false;
    device->GetConnection()->AbandonOpen();
    device->SetConnecting(false);
    const std::string text = AlreadyInWorkspaceText(*same);
    if (TakeNewDevice(device)) {
        Manager()->RemoveDevice(device);
        ShowConnectFailure(text + NOT_ADDED_AGAIN);
    } else {
        PostMessage(WM_APP_REFRESH_EVENT, REFRESH_STATE_CHANGED, 0);
        ShowConnectFailure(text + "\n'" + static_cast<LPCTSTR>(device->GetName()) +
                           "' is the same device and was not connected.");
    }
    return true;
}

void CMainFrame::OnDevicesSearch()
{
    GenericDeviceList_t devices;
    if (Manager() == nullptr || !LoadDescriptions(devices))
        return;
    const int serial = static_cast<int>(ReadRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_SERIAL,
                                                          static_cast<DWORD>(-1)));
    const bool network = ReadRegistryDword(PYRAXIS_REGISTRY_KEY, REG_SCAN_FOR_DEVICES_NETWORK, 1) != 0;
    CDialogControlBrowser browser(serial, network, nullptr);
    if (browser.DoModal() != IDOK)
        return;
    const boost::shared_ptr<ModbusEndpoint_t> endpoint = browser.GetChosenEndpoint();
    if (!endpoint)
        return;
    // Found where a device of the workspace is reached: it is that device.
    if (const CDocumentDevicePtr existing = Manager()->FindDeviceByEndpoint(*endpoint)) {
        m_edgeBar.SetActiveView(RUNTIME_CLASS(CTabDeviceView));
        ShowConnectFailure(AlreadyInWorkspaceText(*existing) + NOT_ADDED_AGAIN);
        return;
    }
    CDocumentDevicePtr device;
    try {
        device = IdentifyGenericDevice(*endpoint, endpoint->productCode.c_str());
    } catch (const std::exception& error) {
        StopBox(std::string("I couldn't create a device object for the selected device:\n") + error.what() +
                "\nYou may need to upgrade Pyraxis to support the device.");
        return;
    }
    const int id = device ? RegisterNewDevice(device) : -1;
    // Opened once this command has returned and the tree shows the device.
    if (id >= 0)
        PostMessage(WM_APP_OPEN_ENDPOINT, id, 0);
}

void CMainFrame::OnDevicesManualConnection()
{
    GenericDeviceList_t devices;
    if (Manager() == nullptr || !LoadDescriptions(devices))
        return;
    NamedDeviceList_t named;
    for (const CDocumentDeviceGeneric1Ptr& device : devices)
        named.push_back(NamedDevice_t(static_cast<LPCTSTR>(device->GetName()), device));
    CDialogNewDevice dialog(nullptr);
    if (dialog.DoModalWithDevices(named) != IDOK)
        return;
    const CDocumentDevicePtr device = dialog.GetChosenDevice();
    // The user enters the connection in the device's property sheet; nothing is opened.
    if (!device || RegisterNewDevice(device) < 0)
        return;
    if (!device->OnProperties())
        return;
    // Entered where a device of the workspace is reached: it is that device, as in the search.
    const boost::shared_ptr<CConnectionModbusLocal> connection =
        boost::dynamic_pointer_cast<CConnectionModbusLocal>(device->GetConnection());
    const CDocumentDevicePtr existing =
        connection ? Manager()->FindDeviceByEndpoint(*connection->GetEndpoint(), device) : CDocumentDevicePtr();
    if (!existing)
        return;
    TakeNewDevice(device);
    Manager()->RemoveDevice(device);
    ShowConnectFailure(AlreadyInWorkspaceText(*existing) + NOT_ADDED_AGAIN);
}

void CMainFrame::OnDeviceDelete()
{
    // An open under way is called off: its outcome reaches neither this device nor one
    // that is given its id later.
    CDocumentDevicePtr device = SelectedDevice();
    if (!device)
        return;
    m_connector.Cancel(device);
    Manager()->RemoveDevice(device);
}

void CMainFrame::CallOffOpensOfDevicesGone()
{
    if (CDocumentManager* manager = Manager())
        m_connector.CancelAllBut(manager->GetDevices());
}

void CMainFrame::OnUpdateDeviceDelete(CCmdUI* pCmdUI)
{
    CDocumentDevicePtr device = SelectedDevice();
    pCmdUI->Enable(device && !device->IsConnected());
}

void CMainFrame::OnDevicesConnectAll()
{
    CDocumentManager* manager = Manager();
    if (manager == nullptr)
        return;
    bool started = false;
    for (const CDocumentDevicePtr& device : manager->GetDevices())
        if (CanConnect(*device))
            started = StartConnect(device) || started;
    // The tree shows them busy (once for all); the displays have nothing to show of it yet.
    if (started)
        PostMessage(WM_APP_REFRESH_EVENT, REFRESH_STATE_CHANGED, 0);
}

bool CMainFrame::StartConnect(const CDocumentDevicePtr& device)
{
    if (m_connector.Connect(device))
        return true;
    ShowConnectFailure(ConnectFailureText(*device, "unable to create connection thread"));
    return false;
}

LRESULT CMainFrame::OnConnectDone(WPARAM, LPARAM lParam)
{
    const std::unique_ptr<DeviceOpenOutcome_t> outcome = DeviceConnector::TakeOutcome(lParam);
    if (!outcome)
        return 0;
    CDocumentDevice& device = *outcome->device;
    // Called off by Disconnect, or its device left the workspace (Delete, New or Open
    // Workspace): the open is let go and nobody is told, least of all a later device that
    // was given the same id.
    const bool wanted = m_connector.Settle(*outcome);
    CDocumentManager* manager = Manager();
    const bool present = manager != nullptr && manager->FindDeviceById(device.GetId()) == outcome->device;
    if (!wanted || !present) {
        if (outcome->opened)
            device.GetConnection()->AbandonOpen();
        device.SetConnecting(false);
        if (present)
            PostMessage(WM_APP_REFRESH_EVENT, REFRESH_STATE_CHANGED, 0);
        return 0;
    }
    if (outcome->opened) {
        if (RefuseSecondEntry(outcome->device))
            return 0;
        TakeNewDevice(outcome->device);
    }
    // Busy throughout: a completed open keeps the device busy with its connect notice.
    if (outcome->opened)
        device.GetConnection()->CompleteOpen();
    else
        device.GetConnection()->FailOpen();
    device.SetConnecting(false);
    if (!outcome->opened)
        ShowConnectFailure(ConnectFailureText(device, outcome->error));
    return 0;
}

void CMainFrame::ShowConnectFailure(const std::string& text)
{
    m_connectFailures.push_back(text);
    if (m_showingConnectFailure)
        return;
    m_showingConnectFailure = true;
    while (!m_connectFailures.empty()) {
        const std::string next = m_connectFailures.front();
        m_connectFailures.pop_front();
        StopBox(next);
    }
    m_showingConnectFailure = false;
}

void CMainFrame::OnUpdateDevicesConnectAll(CCmdUI* pCmdUI)
{
    bool any = false;
    if (CDocumentManager* manager = Manager())
        for (const CDocumentDevicePtr& device : manager->GetDevices())
            any = any || CanConnect(*device);
    pCmdUI->Enable(any);
}

void CMainFrame::OnDeviceConnect()
{
    if (CDocumentDevicePtr device = SelectedDevice())
        OpenDeviceConnection(device->GetId());
}

void CMainFrame::OnUpdateDeviceConnect(CCmdUI* pCmdUI)
{
    CDocumentDevicePtr device = SelectedDevice();
    pCmdUI->Enable(device && CanConnect(*device));
}

void CMainFrame::OnDeviceDisconnect()
{
    CWaitCursor wait;
    CDocumentDevicePtr device = SelectedDevice();
    if (!device || !device->GetConnection())
        return;
    // Whenever it is offered it takes effect: an open waiting or under way is called off,
    // and a connected device closes even while it still downloads its log (cut short).
    if (m_connector.Cancel(device))
        PostMessage(WM_APP_REFRESH_EVENT, REFRESH_STATE_CHANGED, 0);
    if (device->IsConnected() && !device->GetConnection()->Disconnect())
        StopBox("Error: unable to close connection.");
}

void CMainFrame::OnUpdateDeviceDisconnect(CCmdUI* pCmdUI)
{
    CDocumentDevicePtr device = SelectedDevice();
    pCmdUI->Enable(device && (device->IsConnected() || m_connector.IsOpening(device)));
}

void CMainFrame::OnDeviceProperties()
{
    if (CDocumentDevicePtr device = SelectedDevice())
        device->OnProperties();
}

void CMainFrame::OnDeviceRename()
{
    if (CDocumentDevicePtr device = SelectedDevice())
        device->Rename();
}

void CMainFrame::OnUpdateDeviceNode(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(static_cast<bool>(SelectedDevice()));
}

void CMainFrame::OpenDeviceConnection(int deviceId)
{
    CDocumentManager* manager = Manager();
    CDocumentDevicePtr device = manager != nullptr ? manager->FindDeviceById(deviceId) : CDocumentDevicePtr();
    if (device && CanConnect(*device) && StartConnect(device))
        PostMessage(WM_APP_REFRESH_EVENT, REFRESH_STATE_CHANGED, 0);
}

// --- Log files -------------------------------------------------------------------------

void CMainFrame::OnLogFileOpen()
{
    wchar_t file[520] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetSafeHwnd();
    dialog.lpstrFilter = L"Pyraxis Log Files (*.csv)\0*.csv\0All Files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = 520;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!::GetOpenFileNameW(&dialog))
        return;
    try {
        OpenLogFile(file, -1);
    } catch (const std::runtime_error& error) {
        StopBox(std::string("* error: ") + error.what());
    }
    m_edgeBar.SetActiveView(RUNTIME_CLASS(CTabLogFileView));
}

void CMainFrame::OpenLogFile(const std::wstring& path, int sourceDeviceId)
{
    CDocumentManager* manager = Manager();
    if (manager == nullptr)
        throw std::runtime_error("there is no document manager");
    if (manager->IsLogFileOpen(path))
        throw std::runtime_error("that log file is already open");
    CDocumentLogFilePtr logFile(new CDocumentLogFile);
    try {
        logFile->OpenLogFile(path);
    } catch (const std::exception& error) {
        throw std::runtime_error(LogOpenFailureText(path, error.what()));
    }
    ListLogFile(logFile, path, sourceDeviceId);
}

void CMainFrame::ListLogFile(const CDocumentLogFilePtr& logFile, const std::wstring& path, int sourceDeviceId)
{
    CDocumentManager* manager = Manager();
    if (manager == nullptr)
        throw std::runtime_error("there is no document manager");
    if (manager->IsLogFileOpen(path))
        throw std::runtime_error("that log file is already open");
    logFile->SetDocumentManager(manager);
    logFile->SetSourceId(sourceDeviceId);
    if (manager->AddLogFile(logFile) < 0)
        throw std::runtime_error("no more log files can be opened; close one first");
    RebuildLogFileTree();
}

LRESULT CMainFrame::OnDeviceLogOpened(WPARAM, LPARAM lParam)
{
    const std::unique_ptr<DeviceLogOutcome_t> outcome = DeviceLogOpener::TakeOutcome(lParam);
    // Its device disconnected or left meanwhile: the log is let go unlisted.
    if (!outcome || !m_logOpener.Settle(*outcome))
        return 0;
    try {
        if (!outcome->logFile)
            throw std::runtime_error(LogOpenFailureText(outcome->path, outcome->error));
        ListLogFile(outcome->logFile, outcome->path, outcome->deviceId);
    } catch (const std::exception& error) {
        StopBox(error.what());
    }
    return 0;
}

void CMainFrame::CloseLogFile(int logFileId)
{
    CDocumentManager* manager = Manager();
    CDocumentLogFilePtr logFile = manager != nullptr ? manager->FindLogFileById(logFileId) : CDocumentLogFilePtr();
    if (!logFile)
        return;
    manager->RemoveLogFile(logFile);
    RebuildLogFileTree();
}

void CMainFrame::OnLogFileClose()
{
    CWaitCursor wait;
    CPlotVariableId id;
    if (GetSelectedItemId(EDGE_BAR_LOG_FILES_TAB, id) && id.GetItemTypeId() != PLOT_ID_NONE &&
        id.GetVariableId() == PLOT_ID_NONE)
        CloseLogFile(id.GetDocumentId());
}

// --- Displays and workspaces -----------------------------------------------------------

void CMainFrame::OnDisplayNew()
{
    CDocumentManager* manager = Manager();
    if (manager == nullptr)
        return;
    CDialogNewDisplay chooser(manager, nullptr);
    if (chooser.DoModal() != IDOK || chooser.GetTemplate() == nullptr)
        return;
    CDocument* document = chooser.GetTemplate()->OpenDocumentFile(nullptr, TRUE);
    CDocumentDisplay* display = document != nullptr ? dynamic_cast<CDocumentDisplay*>(document) : nullptr;
    if (display == nullptr)
        return;
    CDocumentDisplayPtr shared(display);
    if (manager->AddDisplay(shared) < 0) {
        // Not registered, so it must not stay open under a view that the manager never sees.
        StopBox("Error: no more displays can be opened; close one first.");
        display->OnCloseDocument();
    }
}

void CMainFrame::OnUpdateDisplayNew(CCmdUI* pCmdUI)
{
    CDocumentManager* manager = Manager();
    pCmdUI->Enable(manager != nullptr && !manager->GetDocTemplates().empty());
}

CDocument* CMainFrame::FirstWorkspaceDocument()
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return nullptr;
    POSITION templates = app->GetFirstDocTemplatePosition();
    CDocTemplate* workspaceTemplate = templates != nullptr ? app->GetNextDocTemplate(templates) : nullptr;
    if (workspaceTemplate == nullptr)
        return nullptr;
    POSITION documents = workspaceTemplate->GetFirstDocPosition();
    return documents != nullptr ? workspaceTemplate->GetNextDoc(documents) : nullptr;
}

void CMainFrame::OnWorkspaceSave()
{
    if (CDocument* workspace = FirstWorkspaceDocument())
        workspace->DoFileSave();
}

void CMainFrame::OnWorkspaceSaveAs()
{
    if (CDocument* workspace = FirstWorkspaceDocument())
        workspace->DoSave(nullptr, TRUE);
}

void CMainFrame::OnViewDevicesTab()
{
    if (m_edgeBar.GetSafeHwnd() != nullptr)
        m_edgeBar.SetActiveView(RUNTIME_CLASS(CTabDeviceView));
}

// --- Tools -----------------------------------------------------------------------------

void CMainFrame::OnToolsPreferences()
{
    CFirstrunDeviceAutoDetectConfig preferences(FIRST_RUN_MODE_PREFERENCES, nullptr);
    preferences.DoModal();
}

void CMainFrame::OnToolsDipSwitchWizard()
{
    RunDipSwitchWizard(this);
}

void CMainFrame::OnToolsOstrelWizard()
{
    CDialogRelayModuleSetup dialog(m_commandContext, this, nullptr);
    dialog.DoModal();
}

void CMainFrame::OnToolsVarnixWizard()
{
    RunVarnixSetup(VARNIX_SETUP, true, this, nullptr, m_commandContext, [](CDialog& setup) { return setup.DoModal(); });
}

void CMainFrame::OnToolsVarnixMpptWizard()
{
    RunVarnixSetup(VARNIX_MPPT_SETUP, true, this, nullptr, m_commandContext,
                   [](CDialog& setup) { return setup.DoModal(); });
}

void CMainFrame::OnToolsVarnixHvMpptWizard()
{
    RunVarnixSetup(VARNIX_HV_MPPT_SETUP, true, this, nullptr, m_commandContext,
                   [](CDialog& setup) { return setup.DoModal(); });
}

void CMainFrame::OnToolsCorandelDuoWizard()
{
    // From a device's Tools entry the command context is that device; from the menu, none.
    RunCorandelDuoSetup(m_commandContext, this, nullptr);
}

void CMainFrame::OnToolsCorandelMpptWizard()
{
    RunCorandelMpptSetup(m_commandContext, this, nullptr);
}

// --- Private messages ------------------------------------------------------------------

LRESULT CMainFrame::OnRefreshEvent(WPARAM wParam, LPARAM lParam)
{
    const int code = static_cast<int>(wParam);
    const int deviceId = static_cast<int>(lParam);
    CDocumentManager* manager = Manager();
    // Taken before it is acted on: a change while the tree is rebuilt is posted again.
    if (manager != nullptr)
        manager->GetDispatcher().RefreshTaken(code, deviceId);
    // Opens under way for devices that left the workspace are called off.
    if (manager != nullptr && (code == REFRESH_WORKSPACE_LOADED || code == REFRESH_DEVICE_REMOVED))
        m_connector.CancelAllBut(manager->GetDevices());
    if ((code >= 1 && code <= 5) || code == REFRESH_DEVICE_MESSAGES) {
        RebuildDeviceTree();
        return 0;
    }
    if (manager == nullptr)
        return 0;
    try {
        if (code == REFRESH_DISCONNECTED) {
            m_logsToOpen.erase(std::remove(m_logsToOpen.begin(), m_logsToOpen.end(), deviceId), m_logsToOpen.end());
            m_logOpener.Cancel(deviceId);
            if (CDocumentLogFilePtr logFile = manager->FindLogFileBySourceId(deviceId))
                CloseLogFile(logFile->GetId());
        } else if (code == REFRESH_OPEN_DEVICE_LOG) {
            // One a turn: the logs of many devices that came down together would each be
            // read ahead of a command posted or a repaint asked for meanwhile.
            if (std::find(m_logsToOpen.begin(), m_logsToOpen.end(), deviceId) == m_logsToOpen.end()) {
                if (m_logsToOpen.empty())
                    SetTimer(DEVICE_LOG_TURN_TIMER, NEXT_TURN_MS, nullptr);
                m_logsToOpen.push_back(deviceId);
            }
        } else if (code == REFRESH_DEVICE_LOG_DOWNLOADED) {
            ShowMessageBox(GetSafeHwnd(), LOG_DOWNLOADED_TEXT, LOG_DOWNLOADED_CAPTION, MB_OK | MB_ICONINFORMATION);
        }
    } catch (const std::exception& error) {
        StopBox(error.what());
    }
    return 0;
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != DEVICE_TREE_TURN_TIMER && nIDEvent != DEVICE_LOG_TURN_TIMER) {
        CBNMDIFrameWnd::OnTimer(nIDEvent);
        return;
    }
    KillTimer(nIDEvent);
    if (nIDEvent == DEVICE_TREE_TURN_TIMER)
        RebuildDeviceTree();
    else
        OpenDeviceLogsForATurn();
}

void CMainFrame::OpenDeviceLogsForATurn()
{
    const DWORD start = ::GetTickCount();
    for (int opened = 0; opened < MAX_DEVICE_LOGS_A_TURN && !m_logsToOpen.empty() &&
                         ::GetTickCount() - start < DEVICE_LOG_TURN_MS;
         ++opened)
        OpenNextDeviceLog();
    if (!m_logsToOpen.empty())
        SetTimer(DEVICE_LOG_TURN_TIMER, NEXT_TURN_MS, nullptr);
}

void CMainFrame::OpenNextDeviceLog()
{
    CDocumentManager* manager = Manager();
    if (manager == nullptr || m_logsToOpen.empty())
        return;
    const int deviceId = m_logsToOpen.front();
    m_logsToOpen.pop_front();
    try {
        CDocumentDevicePtr device = manager->FindDeviceById(deviceId);
        IDeviceWithEmbeddedLogging* logging = device ? dynamic_cast<IDeviceWithEmbeddedLogging*>(device.get()) : nullptr;
        if (logging != nullptr) {
            std::wstring folder = GetProgramFolders().GetLogFolder();
            const std::wstring path = logging->GetEmbeddedLogFilePath(folder);
            if (!IsFileReadable(path))
                return;
            if (manager->IsLogFileOpen(path))
                throw std::runtime_error("that log file is already open");
            // Read on the opener's thread; the window lists it when it comes.
            if (!m_logOpener.Open(path, deviceId))
                OpenLogFile(path, deviceId);
        }
    } catch (const std::exception& error) {
        StopBox(error.what());
    }
}

LRESULT CMainFrame::OnOpenEndpoint(WPARAM wParam, LPARAM)
{
    OpenDeviceConnection(static_cast<int>(wParam));
    return 0;
}

LRESULT CMainFrame::OnRunCommand(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 0)
        return 0;
    m_commandContext.reset(reinterpret_cast<ModbusEndpoint_t*>(lParam));
    SendMessage(WM_COMMAND, LOWORD(wParam), 0);
    m_commandContext.reset();
    return 0;
}

void CMainFrame::HtmlHelp(DWORD_PTR dwData, UINT nCmd)
{
    if (CVarnixViewApp* app = GetVarnixViewApp())
        app->HtmlHelp(dwData, nCmd);
    else
        CBNMDIFrameWnd::HtmlHelp(dwData, nCmd);
}

void CMainFrame::OnClose()
{
    // Everything is closed only once the user agreed to close (unsaved documents).
    CWinApp* app = AfxGetApp();
    if (app != nullptr && !app->SaveAllModified())
        return;
    // Answered once: what the user chose not to save is not asked about again below.
    for (POSITION templates = app != nullptr ? app->GetFirstDocTemplatePosition() : nullptr; templates != nullptr;) {
        CDocTemplate* docTemplate = app->GetNextDocTemplate(templates);
        for (POSITION documents = docTemplate->GetFirstDocPosition(); documents != nullptr;)
            docTemplate->GetNextDoc(documents)->SetModifiedFlag(FALSE);
    }
    // The opens under way are cut short and waited for a moment only: one that still runs
    // ends and lets go by itself.
    m_connector.Abandon(CONNECTS_ABANDON_WAIT_MS);
    m_logOpener.Abandon(CONNECTS_ABANDON_WAIT_MS);
    if (CDocumentManager* manager = Manager())
        manager->CloseAll();
    CBNMDIFrameWnd::OnClose();
}

void CMainFrame::OnDestroy()
{
    // Outcomes are posted to this window: none may come once it is gone.
    m_connector.Abandon(CONNECTS_ABANDON_WAIT_MS);
    m_logOpener.Abandon(CONNECTS_ABANDON_WAIT_MS);
    CBNMDIFrameWnd::OnDestroy();
}
