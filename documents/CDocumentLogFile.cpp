#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/GenericDeviceNotDescribed.h"
#include "documents/GenericDevices.h"
#include "documents/TextHelpers.h"
#include "documents/logfiles/CLogFileInCsv.h"
#include "documents/logfiles/CLogFileInXml.h"
#include "framework/CFileDialog.h"
#include "framework/CSingleLock.h"
#include "framework/CUserSpaceSyncObject.h"
#include "framework/CWinApp.h"
#include "framework/CWinThread.h"
#include "framework/MessageBoxHook.h"

#include <share.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

IMPLEMENT_DYNCREATE(CDocumentLogFile, CDocumentEx)

namespace
{
const char* const LOG_FILE_DEFAULT_PATH = "Log File";
const char* const XML_FIRST_LINE_START = "<?xml ";
const size_t FIRST_LINE_LIMIT = 255;
const int LOG_POPUP_CLOSE = 0;
const int LOG_POPUP_EXPORT = 1;
const char* const CSV_EXPORT_FILTER = "Comma-Separated Variable (*.csv)|*.csv|All Files (*.*)|*.*||";
const char* const OUT_OF_RANGE_TEXT = "requested plot name is out of range";

// Column names of a device's logged records, from its description in devices.xml.
CLogFileInXml::LoggedVariableNames_t LoggedVariableNamesOf(int type, int model)
{
    CLogFileInXml::LoggedVariableNames_t names;
    CDocumentDeviceGeneric1Ptr description;
    try {
        description = CreateGenericDeviceFromXml(model, type);
    } catch (const GenericDeviceNotDescribed&) {
        // The log names a device this program does not know; devices.xml itself is sound.
        throw std::runtime_error("the log is of model " + std::to_string(model) + ", type " + std::to_string(type) +
                                 ", a device that devices.xml does not describe");
    }
    if (!description)
        return names;
    for (const GenericVariable_t& variable : description->GetLoggedData().recordVariables)
        names.emplace(variable.id, description->GetLoggedVariableName(variable.id));
    return names;
}

std::string OpenErrorText(int error)
{
    if (error == EACCES)
        return "permission denied (are you still recording to the file?)";
    const char* text = std::strerror(error);
    return text != nullptr && *text != '\0' ? text : "unknown error";
}
}  // namespace

CDocumentLogFile::CDocumentLogFile()
    : m_path(LOG_FILE_DEFAULT_PATH),
      m_monitor(nullptr),
      m_stopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_readyEvent(::CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      m_sourceId(-1)
{
}

CDocumentLogFile::~CDocumentLogFile()
{
    StopMonitor();
    if (m_stopEvent != nullptr)
        ::CloseHandle(m_stopEvent);
    if (m_readyEvent != nullptr)
        ::CloseHandle(m_readyEvent);
}

void CDocumentLogFile::CollectPlotItems(CTreeItemList& items)
{
    CDocumentEx::CollectPlotItems(items);
    // The monitor adds columns while it holds the data lock.
    CSingleLock lock(&m_dataLock, TRUE);
    if (!m_reader)
        return;
    for (const auto& column : m_reader->GetColumns())
    {
        items.push_back(CTreeItemPtr(new CTreeItem(column.second.name.c_str(), "", STORAGE_TYPE_LOG_COLUMN,
                                                   column.first, GetId(), "")));
    }
}

CString CDocumentLogFile::GetName()
{
    const size_t backslash = m_path.rfind('\\');
    return (backslash == std::string::npos ? m_path : m_path.substr(backslash + 1)).c_str();
}

void CDocumentLogFile::SetId(int id)
{
    CDocumentEx::SetId(id);
}

int CDocumentLogFile::GetPopupMenuEntryCount()
{
    return CDocumentEx::GetPopupMenuEntryCount() + 1 + (IsXmlFile() ? 1 : 0);
}

int CDocumentLogFile::GetPopupMenuEntry(int index, CString& text, bool& enabled, bool& checked)
{
    const int baseCount = CDocumentEx::GetPopupMenuEntryCount();
    if (index < baseCount)
        return CDocumentEx::GetPopupMenuEntry(index, text, enabled, checked);
    enabled = true;
    checked = false;
    if (index - baseCount == LOG_POPUP_CLOSE)
        text = "Close";
    else if (index - baseCount == LOG_POPUP_EXPORT && IsXmlFile())
        text = "Export to CSV file";
    else
        text.Empty();
    return index;
}

int CDocumentLogFile::OnPopupMenuCommand(int index)
{
    const int baseCount = CDocumentEx::GetPopupMenuEntryCount();
    if (index < baseCount)
        return CDocumentEx::OnPopupMenuCommand(index);
    if (index - baseCount == LOG_POPUP_CLOSE)
    {
        if (CWnd* mainWindow = AfxGetMainWnd())
            ::PostMessage(mainWindow->GetSafeHwnd(), WM_COMMAND, ID_LOGFILE_CLOSE, 0);
    }
    else if (index - baseCount == LOG_POPUP_EXPORT)
    {
        CLogFileInXml* xmlReader = dynamic_cast<CLogFileInXml*>(m_reader.get());
        if (xmlReader == nullptr)
            return index;
        CFileDialog dialog(FALSE, "csv", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, CSV_EXPORT_FILTER);
        if (dialog.DoModal() != IDOK)
            return index;
        const int lineCount = xmlReader->ExportCsv(dialog.GetPathName());
        if (lineCount > 0)
        {
            CString message;
            message.Format("Success.  %d CSV data lines output.", lineCount);
            AfxMessageBox(message, MB_ICONINFORMATION);
        }
    }
    return index;
}

void CDocumentLogFile::OpenLogFile(const std::wstring& path)
{
    // A second open must not swap the reader under a running monitor.
    StopMonitor();
    {
        CSingleLock lock(&m_dataLock, TRUE);
        m_errorText.clear();
    }
    m_path = WideToNarrow(path);

    FILE* file = _wfsopen(path.c_str(), L"rt", _SH_DENYNO);
    if (file == nullptr)
        throw std::runtime_error(OpenErrorText(errno));
    char firstLine[FIRST_LINE_LIMIT + 1] = "";
    const bool gotLine = std::fgets(firstLine, sizeof firstLine, file) != nullptr;
    const bool readFailed = !gotLine && std::ferror(file) != 0;
    std::fclose(file);
    if (readFailed)
        throw std::runtime_error("error reading first line from log file");

    std::unique_ptr<CLogFileIn> reader;
    if (gotLine && std::strncmp(firstLine, XML_FIRST_LINE_START, std::strlen(XML_FIRST_LINE_START)) == 0)
        reader.reset(new CLogFileInXml(LoggedVariableNamesOf));
    else
        reader.reset(new CLogFileInCsv());
    {
        CSingleLock lock(&m_dataLock, TRUE);
        m_reader = std::move(reader);
        m_samples.clear();
    }
    m_reader->Open(path.c_str());

    ::ResetEvent(m_stopEvent);
    ::ResetEvent(m_readyEvent);
    m_monitor = AfxBeginThread(MonitorThread, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (m_monitor == nullptr)
        throw std::runtime_error("unable to start file monitor thread");
    m_monitor->m_bAutoDelete = FALSE;
    m_monitor->ResumeThread();

    // The ready event first: a first pass that succeeded is a success whatever follows.
    const HANDLE waitHandles[] = {m_readyEvent, m_monitor->m_hThread};
    const DWORD result = ::WaitForMultipleObjects(2, waitHandles, FALSE, LOG_MONITOR_START_WAIT_MS);
    if (result == WAIT_OBJECT_0)
        return;

    std::string errorText;
    {
        CSingleLock lock(&m_dataLock, TRUE);
        errorText = m_errorText;
    }
    StopMonitor();
    if (result == WAIT_OBJECT_0 + 1)
        throw std::runtime_error(errorText);
    throw std::runtime_error("unable to start logfile worker thread" + (errorText.empty() ? "" : ": " + errorText));
}

void CDocumentLogFile::StopMonitor()
{
    if (m_monitor != nullptr)
    {
        ::SetEvent(m_stopEvent);
        if (::WaitForSingleObject(m_monitor->m_hThread, LOG_MONITOR_STOP_WAIT_MS) != WAIT_OBJECT_0)
            CUserSpaceSyncObject::TerminateThreadOutsideLocks(m_monitor->m_hThread, static_cast<DWORD>(-16));
        delete m_monitor;
        m_monitor = nullptr;
    }
    if (m_reader)
        m_reader->Close();
}

VARTYPE CDocumentLogFile::GetPlotValueType(int columnKey)
{
    CSingleLock lock(&m_dataLock, TRUE);
    if (!m_reader || !m_reader->HasColumn(columnKey))
        throw std::runtime_error(OUT_OF_RANGE_TEXT);
    return m_reader->GetColumnValueType(columnKey);
}

void CDocumentLogFile::GetPlotSamples(int columnKey, LogSampleList_t& samples)
{
    CSingleLock lock(&m_dataLock, TRUE);
    if (!m_reader || !m_reader->HasColumn(columnKey))
        throw std::runtime_error(OUT_OF_RANGE_TEXT);
    const auto stored = m_samples.find(columnKey);
    if (stored != m_samples.end())
        samples.insert(samples.end(), stored->second.begin(), stored->second.end());
}

bool CDocumentLogFile::IsXmlFile() const
{
    return dynamic_cast<const CLogFileInXml*>(m_reader.get()) != nullptr;
}

UINT __cdecl CDocumentLogFile::MonitorThread(LPVOID document)
{
    return static_cast<CDocumentLogFile*>(document)->MonitorLoop();
}

UINT CDocumentLogFile::MonitorLoop()
{
    try
    {
        {
            CSingleLock lock(&m_dataLock, TRUE);
            m_errorText.clear();
        }
        bool firstPass = true;
        for (;;)
        {
            bool gotRecords = false;
            {
                CSingleLock lock(&m_dataLock, TRUE);
                while (m_reader->ReadAndConvertRecord(m_samples))
                    gotRecords = true;
            }
            if (firstPass)
            {
                ::SetEvent(m_readyEvent);
                firstPass = false;
            }
            if (gotRecords)
                PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_LOG_RECORDS, GetId())));
            if (::WaitForSingleObject(m_stopEvent, LOG_MONITOR_PERIOD_MS) != WAIT_TIMEOUT)
                break;
        }
        m_reader->Close();
        ::ResetEvent(m_stopEvent);
        return 0;
    }
    catch (const std::exception& error)
    {
        {
            CSingleLock lock(&m_dataLock, TRUE);
            m_errorText = error.what();
        }
        m_reader->Close();
        ::ResetEvent(m_stopEvent);
        return 1;
    }
}
