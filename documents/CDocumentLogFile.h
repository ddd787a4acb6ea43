// An opened log file: its reader, chosen by the file's first line, and a monitor thread
// that reads new records every 5 s into a sample store for the Historical Graph.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "documents/CDocumentEx.h"
#include "documents/logfiles/CLogFileIn.h"

#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>

class CWinThread;

const DWORD LOG_MONITOR_PERIOD_MS = 5000;
const DWORD LOG_MONITOR_START_WAIT_MS = 60000;
const DWORD LOG_MONITOR_STOP_WAIT_MS = 2000;
const UINT ID_LOGFILE_CLOSE = 32794;

class CDocumentLogFile : public CDocumentEx
{
    DECLARE_DYNCREATE(CDocumentLogFile)
public:
    CDocumentLogFile();
    ~CDocumentLogFile() override;

    void CollectPlotItems(CTreeItemList& items) override;
    CString GetName() override;
    void SetId(int id) override;
    int GetPopupMenuEntryCount() override;
    int GetPopupMenuEntry(int index, CString& text, bool& enabled, bool& checked) override;
    int OnPopupMenuCommand(int index) override;

    void OpenLogFile(const std::wstring& path);
    void StopMonitor();
    std::string GetPath() const { return m_path; }
    VARTYPE GetPlotValueType(int columnKey);
    void GetPlotSamples(int columnKey, LogSampleList_t& samples);
    bool IsXmlFile() const;

    int GetSourceId() const { return m_sourceId; }
    void SetSourceId(int deviceId) { m_sourceId = deviceId; }

    static UINT __cdecl MonitorThread(LPVOID document);
    UINT MonitorLoop();

private:
    std::unique_ptr<CLogFileIn> m_reader;
    LogSampleStore_t m_samples;
    std::string m_path;
    CCriticalSection m_dataLock;
    CWinThread* m_monitor;
    HANDLE m_stopEvent;
    HANDLE m_readyEvent;
    std::string m_errorText;
    int m_sourceId;
};

typedef boost::shared_ptr<CDocumentLogFile> CDocumentLogFilePtr;
