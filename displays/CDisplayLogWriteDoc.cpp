#include "displays/CDisplayLogWriteDoc.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/VariantHelpers.h"
#include "framework/CArchive.h"
#include "framework/CSingleLock.h"
#include "framework/MessageBoxHook.h"

#include <cmath>
#include <set>
#include <stdexcept>
#include <vector>

IMPLEMENT_DYNCREATE(CDisplayLogWriteDoc, CDocumentDisplay)

namespace
{
const unsigned long long KILOBYTE = 1024;
const unsigned long long MEGABYTE = 1024 * 1024;

long long SystemClock()
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    // From 100 ns since 1601.
    return static_cast<long long>(ticks.QuadPart / 10000) - 11644473600000LL;
}

const long long MILLISECONDS = 1000;
}  // namespace

CDisplayLogWriteDoc::CDisplayLogWriteDoc()
    : m_startMs(0),
      m_interval(LOGGER_DEFAULT_INTERVAL),
      m_nextDueMs(0),
      m_rowCount(0),
      m_clock(SystemClock)
{
    m_startTime.SetStatus(COleDateTime::invalid);
}

CDisplayLogWriteDoc::~CDisplayLogWriteDoc()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    if (m_writer.IsOpen())
        StopRecording();
}

long long CDisplayLogWriteDoc::Now() const
{
    return m_clock();
}

void CDisplayLogWriteDoc::SetClock(const Clock_t& clock)
{
    CSingleLock lock(&m_loggerLock, TRUE);
    m_clock = clock ? clock : Clock_t(SystemClock);
}

bool CDisplayLogWriteDoc::CanAddVariable(const CTreeItem* item)
{
    if (IsRecording())
        return false;
    return CanAddDeviceVariable(item);
}

void CDisplayLogWriteDoc::AddVariable(const CTreeItem& item)
{
    RebuildBatch_t batch(*this);
    CDocumentDisplay::AddVariable(item);
    PostRebuild();
}

bool CDisplayLogWriteDoc::RemoveVariable(const CTreeItem& item)
{
    return RemoveVariableAndRebuild(item);
}

bool CDisplayLogWriteDoc::IsRecording()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    return m_writer.IsOpen();
}

CString CDisplayLogWriteDoc::GetFailureText()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    return m_failure;
}

void CDisplayLogWriteDoc::Start()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    if (m_writer.IsOpen())
        throw std::runtime_error("log file is already open");
    m_failure.Empty();
    try
    {
        CDocumentManager* manager = GetDocumentManager();
        // A copy taken at once: a device removed meanwhile changes the list under us.
        DisplayEntryList_t entries;
        {
            const LockedDisplayEntries_t locked = LockEntries();
            entries = *locked.first;
        }
        std::set<CPlotVariableId> columns;
        for (const DisplayEntry_t& entry : entries)
        {
            const CDocumentDevicePtr device =
                manager != nullptr ? manager->FindDeviceById(entry.item->GetDocumentId()) : CDocumentDevicePtr();
            if (!device)
                throw std::runtime_error("you have a variable for which I can't find the owning device");
            const std::string label = static_cast<LPCTSTR>(GetColumnLabel(*entry.item));
            if (!device->IsConnected())
                throw std::runtime_error("the device for " + label +
                                         " is not connected; either connect to it or remove it from this logger.");
            if (!m_writer.AddColumn(label, *entry.item))
                throw std::runtime_error("unable to add log variable");
            columns.insert(*entry.item);
            m_devices[entry.item->GetDocumentId()] = device;
        }
        // Values measured before the start stay: the first row holds the newest.
        m_picker.KeepColumns(columns);
        m_rowCount = 0;
        if (!m_writer.Open(static_cast<LPCTSTR>(m_fileName)))
            throw std::runtime_error("unable to open " +
                                     (m_fileName.IsEmpty() ? std::string("the log file")
                                                           : std::string(static_cast<LPCTSTR>(m_fileName))) +
                                     " for writing (" + m_writer.GetError() + ")");
    }
    catch (...)
    {
        // A refused start leaves no columns behind: they would refuse the next start.
        StopRecording();
        throw;
    }
    m_startMs = Now();
    // Rows fall on the clock's whole seconds; this second's moment has passed already.
    m_nextDueMs = m_startMs - m_startMs % MILLISECONDS;
    m_startTime = COleDateTime(static_cast<__time64_t>(m_startMs / MILLISECONDS));
    // A device judged not answering at the start holds nothing older than the start.
    for (const auto& device : m_devices)
    {
        const CDocumentDevicePtr found = device.second.lock();
        m_picker.Judge(device.first, found && found->IsAnswering(), m_startMs);
    }
}

void CDisplayLogWriteDoc::JudgeDevices(int deviceId)
{
    std::map<int, boost::weak_ptr<CDocumentDevice>> devices;
    {
        CSingleLock lock(&m_loggerLock, TRUE);
        if (!m_writer.IsOpen())
            return;
        for (const auto& device : m_devices)
            if (deviceId == PLOT_ID_NONE || device.first == deviceId)
                devices.insert(device);
    }
    // Asked without the logger lock: the device takes its own.
    std::map<int, bool> answering;
    for (const auto& device : devices)
    {
        const CDocumentDevicePtr found = device.second.lock();
        answering[device.first] = found && found->IsAnswering();
    }
    CSingleLock lock(&m_loggerLock, TRUE);
    const long long now = Now();
    for (const auto& judged : answering)
        m_picker.Judge(judged.first, judged.second, now);
}

void CDisplayLogWriteDoc::StopRecording()
{
    m_writer.Close();
    m_writer.RemoveAllColumns();
    m_devices.clear();
}

void CDisplayLogWriteDoc::Stop()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    if (!m_writer.IsOpen())
        throw std::runtime_error("log file isn't open, so can't close");
    StopRecording();
}

BOOL CDisplayLogWriteDoc::CanCloseFrame(CFrameWnd* frame)
{
    if (IsRecording())
    {
        AfxMessageBox("You must stop logging before you can close this window.");
        return FALSE;
    }
    return CDocumentDisplay::CanCloseFrame(frame);
}

bool CDisplayLogWriteDoc::WriteRow()
{
    m_writer.ClearValues();
    for (const auto& value : m_picker.TakeRow())
        m_writer.SetValue(value.first, value.second);
    if (m_writer.WriteLine(nullptr, true))
        return true;
    if (m_writer.IsOpen())
        return false;
    // The writer has cut the file back to its last whole row and closed it.
    m_failure.Format("Recording stopped: unable to write to %s (%s).", static_cast<LPCTSTR>(m_fileName),
                     m_writer.GetError().c_str());
    StopRecording();
    return false;
}

bool CDisplayLogWriteDoc::OnStorage(const CStoragePtr& item)
{
    if (item->GetType() == STORAGE_TYPE_REFRESH_EVENT)
    {
        // A device's messages, state or presence changed: its judgement may have.
        const int code = static_cast<const CStorageRefreshEvent&>(*item).GetCode();
        if (code == REFRESH_DEVICE_MESSAGES || code == REFRESH_STATE_CHANGED || code == REFRESH_DISCONNECTED ||
            code == REFRESH_DEVICE_REMOVED)
            JudgeDevices(static_cast<const CStorageRefreshEvent&>(*item).GetId());
        return CDocumentDisplay::OnStorage(item);
    }
    if (item->GetType() == STORAGE_TYPE_TICK)
    {
        JudgeDevices();
        int rows = -1;
        {
            CSingleLock lock(&m_loggerLock, TRUE);
            const long long now = Now();
            const long long interval = m_interval * MILLISECONDS;
            if (now >= m_nextDueMs && m_writer.IsOpen() && interval > 0)
            {
                // The last moment due: moments that passed while the ticks were held up
                // get no row, which would claim values nobody measured then.
                const long long moment = m_nextDueMs + (now - m_nextDueMs) / interval * interval;
                m_nextDueMs = moment + interval;
                const bool waits = m_rowCount == 0 && now - m_startMs < LOGGER_FIRST_ROW_WAIT_MS &&
                                   !m_picker.EveryAnsweringColumnHeld();
                if (!waits && WriteRow())
                    rows = ++m_rowCount;
                else if (!m_writer.IsOpen())
                    rows = m_rowCount;
            }
        }
        // Also after a failed write: the view shows that the recording ended.
        if (rows >= 0)
            PostToView(WM_APP_DISPLAY_UPDATE, static_cast<WPARAM>(rows));
        return false;
    }

    const CPlotVariableId key(static_cast<int>(item->GetType()), item->GetVariableId(), item->GetSourceId());
    int index = -1;
    if (!FindEnabledEntryIndex(key, index))
        return false;
    const std::string text = FormatVariant(item->GetValue());
    // Also before the start: the first row holds the newest value measured before it.
    CSingleLock lock(&m_loggerLock, TRUE);
    m_picker.Arrive(key, Now(), text);
    return false;
}

CString CDisplayLogWriteDoc::GetColumnLabel(const CTreeItem& item)
{
    CString label;
    CString owner;
    if (item.GetAssociated())
    {
        owner = item.GetAssociated()->GetName();
    }
    else if (CDocumentManager* manager = GetDocumentManager())
    {
        // No owner item after a workspace load: the device's own name.
        if (const CDocumentDevicePtr device = manager->FindDeviceById(item.GetDocumentId()))
            owner = device->GetName();
    }
    if (!owner.IsEmpty())
        label = owner + " ";
    label += item.GetName();
    if (item.GetVariableId() != PLOT_ID_NONE)
        label += " (" + item.GetUnits() + ")";
    return label;
}

CString CDisplayLogWriteDoc::GetRowText(int row)
{
    // One look under the entry lock: a device removed meanwhile shortens the list.
    DisplayEntry_t entry;
    if (row < 0 || !FindEntry(static_cast<size_t>(row), entry) || !entry.item)
        return CString();
    CString text = GetColumnLabel(*entry.item);
    if (CDocumentManager* manager = GetDocumentManager())
    {
        const CDocumentDevicePtr device = manager->FindDeviceById(entry.item->GetDocumentId());
        if (device && !device->IsConnected())
            text += " (not connected)";
    }
    return text;
}

CString CDisplayLogWriteDoc::FormatFileSize(unsigned long long bytes)
{
    CString text;
    if (bytes < KILOBYTE + 1)
        text.Format("%lu B", static_cast<unsigned long>(bytes));
    else if (bytes <= MEGABYTE)
        text.Format("%lu kB", static_cast<unsigned long>(bytes / KILOBYTE));
    else
        text.Format("%.1f MB", static_cast<double>(bytes) / MEGABYTE);
    return text;
}

CString CDisplayLogWriteDoc::FormatElapsed(long long seconds)
{
    if (seconds < 0)
        seconds = 0;
    const long long hours = seconds / 3600;
    const long long minutes = seconds / 60 % 60;
    CString text;
    if (hours > 0)
        text.AppendFormat("%lldhrs ", hours);
    if (minutes > 0 || hours > 0)
        text.AppendFormat("%lldmin ", minutes);
    text.AppendFormat("%lldsec", seconds % 60);
    return text;
}

CString CDisplayLogWriteDoc::GetFileSizeText()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    return FormatFileSize(m_writer.GetFileSize());
}

CString CDisplayLogWriteDoc::GetElapsedText()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    return FormatElapsed((Now() - m_startMs) / MILLISECONDS);
}

CString CDisplayLogWriteDoc::GetStartText()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    return m_startTime.Format();
}

void CDisplayLogWriteDoc::SetInterval(int seconds)
{
    CSingleLock lock(&m_loggerLock, TRUE);
    m_interval = seconds;
}

int CDisplayLogWriteDoc::GetInterval()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    return m_interval;
}

void CDisplayLogWriteDoc::SetFileName(const CString& name)
{
    CSingleLock lock(&m_loggerLock, TRUE);
    m_fileName = name;
}

CString CDisplayLogWriteDoc::GetFileName()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    return m_fileName;
}

int CDisplayLogWriteDoc::GetRowCount()
{
    CSingleLock lock(&m_loggerLock, TRUE);
    return m_rowCount;
}

void CDisplayLogWriteDoc::Serialize(CArchive& ar)
{
    SerializeWithPlainPrefix(ar);
}
