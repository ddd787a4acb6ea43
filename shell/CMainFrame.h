// The main window of Pyraxis: the status bar and the "Workspace" edge bar with the
// device and log-file trees, every menu command, the hub's refresh notices and the
// requests that device documents post.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CDocumentManager.h"
#include "documents/CPlotVariableId.h"
#include "modbus/ModbusEndpoint.h"
#include "shell/DeviceConnector.h"
#include "shell/DeviceLogOpener.h"
#include "uilib/CBNMDIFrameWnd.h"
#include "uilib/CBNStatusBar.h"
#include "uilib/CBNTabCtrlBar.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>
#include <deque>
#include <string>
#include <vector>

class CTabDeviceView;
class CTabLogFileView;

class CMainFrame : public CBNMDIFrameWnd
{
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    // Opens the device's connection on a thread of its own; the outcome comes back as a
    // message, a failure with its box.
    void OpenDeviceConnection(int deviceId);
    // Opens a log file as a document of the manager; throws std::runtime_error.
    void OpenLogFile(const std::wstring& path, int sourceDeviceId);
    void CloseLogFile(int logFileId);
    // Calls off the opens of devices no longer in the workspace (New, Open Workspace): once
    // it has returned, none of them sends a request.
    void CallOffOpensOfDevicesGone();
    // The identifier of the selected item of tab 0 or 1, only when that tab is active.
    bool GetSelectedItemId(int tab, CPlotVariableId& id);

    afx_msg void OnDevicesSearch();
    afx_msg void OnDevicesManualConnection();

    CBNTabCtrlBar& GetEdgeBar() { return m_edgeBar; }
    CBNStatusBar& GetStatusBar() { return m_statusBar; }
    CTabDeviceView* GetDeviceTree();
    CTabLogFileView* GetLogFileTree();
    // The endpoint a posted command runs with; empty otherwise.
    const boost::shared_ptr<ModbusEndpoint_t>& GetCommandContext() const { return m_commandContext; }

    // The frame's help commands and F1 end in the application's help, which asks the
    // active dialog or wizard page first.
    void HtmlHelp(DWORD_PTR dwData, UINT nCmd) override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDeviceDelete();
    afx_msg void OnUpdateDeviceDelete(CCmdUI* pCmdUI);
    afx_msg void OnDevicesConnectAll();
    afx_msg void OnUpdateDevicesConnectAll(CCmdUI* pCmdUI);
    afx_msg void OnDeviceConnect();
    afx_msg void OnUpdateDeviceConnect(CCmdUI* pCmdUI);
    afx_msg void OnDeviceDisconnect();
    afx_msg void OnUpdateDeviceDisconnect(CCmdUI* pCmdUI);
    afx_msg void OnDeviceProperties();
    afx_msg void OnDeviceRename();
    afx_msg void OnUpdateDeviceNode(CCmdUI* pCmdUI);
    afx_msg void OnLogFileOpen();
    afx_msg void OnLogFileClose();
    afx_msg void OnDisplayNew();
    afx_msg void OnUpdateDisplayNew(CCmdUI* pCmdUI);
    afx_msg void OnWorkspaceSave();
    afx_msg void OnWorkspaceSaveAs();
    afx_msg void OnViewDevicesTab();
    afx_msg void OnToolsPreferences();
    afx_msg void OnToolsDipSwitchWizard();
    afx_msg void OnToolsOstrelWizard();
    afx_msg void OnToolsVarnixWizard();
    afx_msg void OnToolsVarnixMpptWizard();
    afx_msg void OnToolsVarnixHvMpptWizard();
    afx_msg void OnToolsCorandelDuoWizard();
    afx_msg void OnToolsCorandelMpptWizard();
    afx_msg LRESULT OnRefreshEvent(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnOpenEndpoint(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRunCommand(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnConnectDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDeviceLogOpened(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    CDocumentManager* Manager() const;
    // The device of the selected device node; empty when none.
    CDocumentDevicePtr SelectedDevice();
    void RebuildDeviceTree();
    void RebuildLogFileTree();
    CDocument* FirstWorkspaceDocument();
    // Adds a device found or chosen by the user and shows it in the tree; -1 (and a
    // message) when the list is full.
    int RegisterNewDevice(const CDocumentDevicePtr& device);
    // False (and its box) when the open could not be started.
    bool StartConnect(const CDocumentDevicePtr& device);
    // One box at a time: failures that come while one shows wait for it.
    void ShowConnectFailure(const std::string& text);
    // Whether the device was added by a search or a manual connection and has not yet been
    // connected; it is no longer counted so afterwards.
    bool TakeNewDevice(const CDocumentDevicePtr& device);
    // The opened device is one that the workspace holds already: the open is let go, and
    // the entry removed when it was new. False when it is no such device.
    bool RefuseSecondEntry(const CDocumentDevicePtr& device);

    CBNStatusBar m_statusBar;
    CBNTabCtrlBar m_edgeBar;
    boost::shared_ptr<ModbusEndpoint_t> m_commandContext;
    DeviceConnector m_connector;
    std::deque<std::string> m_connectFailures;
    bool m_showingConnectFailure;
    std::vector<boost::weak_ptr<CDocumentDevice>> m_newDevices;
    // Devices whose downloaded log waits to be opened, one a turn.
    std::deque<int> m_logsToOpen;
    DeviceLogOpener m_logOpener;
    // Lists an opened log file under the source device id; throws when it cannot.
    void ListLogFile(const CDocumentLogFilePtr& logFile, const std::wstring& path, int sourceDeviceId);
    // Opens the logs that wait for a turn's time, then gives the rest a later turn.
    void OpenDeviceLogsForATurn();
    // Opens the first log that waits.
    void OpenNextDeviceLog();
};
