#include "displays/CDisplayGraphTimeDoc.h"
#include "displays/DisplayMessages.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/TextHelpers.h"
#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CSingleLock.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

IMPLEMENT_DYNCREATE(CDisplayGraphTimeDoc, CDocumentDisplay)

CDisplayGraphTimeDoc::CDisplayGraphTimeDoc() = default;

bool CDisplayGraphTimeDoc::AcceptsDevice()
{
    return false;
}

bool CDisplayGraphTimeDoc::AcceptsVariable()
{
    return true;
}

bool CDisplayGraphTimeDoc::AcceptsLogFile()
{
    return true;
}

bool CDisplayGraphTimeDoc::IsNumberColumn(const CPlotVariableId& id)
{
    CDocumentManager* manager = GetDocumentManager();
    // A device variable's document id can name an open log file too.
    if (manager == nullptr || !IsLogFileColumn(id) || id.GetVariableId() == PLOT_ID_NONE)
        return false;
    const CDocumentLogFilePtr logFile = manager->FindLogFileById(id.GetDocumentId());
    if (!logFile)
        return false;
    try
    {
        return logFile->GetPlotValueType(id.GetVariableId()) == VT_R8;
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
}

bool CDisplayGraphTimeDoc::CanAddVariable(const CTreeItem* item)
{
    if (!CDocumentDisplay::CanAddVariable(item))
        return false;
    CDocumentManager* manager = GetDocumentManager();
    if (manager == nullptr || !IsLogFileColumn(*item) || !manager->FindLogFileById(item->GetDocumentId()))
        return false;
    if (item->GetVariableId() == PLOT_ID_NONE)
        return true;
    return IsNumberColumn(*item);
}

void CDisplayGraphTimeDoc::AddVariable(const CTreeItem& item)
{
    // Each column of a whole log file comes through here too: one rebuild for the drop.
    RebuildBatch_t batch(*this);
    CDocumentDisplay::AddVariable(item);
    std::vector<CTreeItem> notNumbers;
    {
        CSingleLock lock(&m_entryLock, TRUE);
        for (const DisplayEntry_t& entry : m_entries)
        {
            if (entry.item && entry.item->GetVariableId() != PLOT_ID_NONE && !IsNumberColumn(*entry.item))
                notNumbers.push_back(*entry.item);
        }
    }
    for (const CTreeItem& column : notNumbers)
        CDocumentDisplay::RemoveVariable(column);
    RememberDeviceLogs();
    PostRebuild();
}

void CDisplayGraphTimeDoc::RememberDeviceLogs()
{
    CDocumentManager* manager = GetDocumentManager();
    if (manager == nullptr)
        return;
    CSingleLock lock(&m_entryLock, TRUE);
    for (const DisplayEntry_t& entry : m_entries)
    {
        if (!entry.item || !IsLogFileColumn(*entry.item) || m_deviceLogPaths.count(entry.item->GetDocumentId()) != 0)
            continue;
        const CDocumentLogFilePtr logFile = manager->FindLogFileById(entry.item->GetDocumentId());
        if (logFile && logFile->GetSourceId() >= 0)
            m_deviceLogPaths[entry.item->GetDocumentId()] = UpperCaseAnsi(logFile->GetPath());
    }
}

void CDisplayGraphTimeDoc::SetAsideColumnsOf(int logFileId)
{
    CSingleLock lock(&m_entryLock, TRUE);
    const auto known = m_deviceLogPaths.find(logFileId);
    if (known == m_deviceLogPaths.end())
        return;
    const std::string path = known->second;
    m_deviceLogPaths.erase(known);
    SetAsideColumns([&](const DisplayEntry_t& entry) {
        return entry.item && IsLogFileColumn(*entry.item) && entry.item->GetDocumentId() == logFileId ? path
                                                                                                      : std::string();
    });
    PostRebuild();
}

void CDisplayGraphTimeDoc::SetAsideColumns(const std::function<std::string(const DisplayEntry_t&)>& pathOf)
{
    // The present columns fill the places the waiting ones leave free, in their order.
    std::vector<WaitingColumn_t> setAside;
    DisplayEntryList_t kept;
    size_t place = 0;
    size_t waiting = 0;
    for (const DisplayEntry_t& entry : m_entries)
    {
        for (; waiting < m_waitingColumns.size() && m_waitingColumns[waiting].place == place; ++waiting)
            ++place;
        const std::string path = pathOf(entry);
        if (!path.empty())
            setAside.push_back(WaitingColumn_t{ path, place, entry });
        else
            kept.push_back(entry);
        ++place;
    }
    m_entries.swap(kept);
    EntriesChanged();
    m_waitingColumns.insert(m_waitingColumns.end(), setAside.begin(), setAside.end());
    std::sort(m_waitingColumns.begin(), m_waitingColumns.end(),
              [](const WaitingColumn_t& a, const WaitingColumn_t& b) { return a.place < b.place; });
}

void CDisplayGraphTimeDoc::TakeBackColumnsOf(int logFileId)
{
    CDocumentManager* manager = GetDocumentManager();
    const CDocumentLogFilePtr logFile = manager != nullptr ? manager->FindLogFileById(logFileId) : CDocumentLogFilePtr();
    if (!logFile)
        return;
    CTreeItemList columns;
    logFile->CollectPlotItems(columns);
    const std::string path = UpperCaseAnsi(logFile->GetPath());

    CSingleLock lock(&m_entryLock, TRUE);
    bool tookBack = false;
    // By place: the columns still waiting before a place stand for none of the present.
    for (size_t waiting = 0; waiting < m_waitingColumns.size();)
    {
        if (m_waitingColumns[waiting].path != path)
        {
            ++waiting;
            continue;
        }
        const size_t position = m_waitingColumns[waiting].place - waiting;
        DisplayEntry_t entry = m_waitingColumns[waiting].entry;
        m_waitingColumns.erase(m_waitingColumns.begin() + waiting);
        tookBack = true;
        // The column of that name, at its old key when the file still has it there.
        CTreeItemPtr column;
        for (const CTreeItemPtr& candidate : columns)
        {
            if (!candidate || candidate->GetName() != entry.item->GetName())
                continue;
            if (!column || candidate->GetVariableId() == entry.item->GetVariableId())
                column = candidate;
        }
        if (!column)
            continue;
        entry.item.reset(new CTreeItem(*entry.item));
        entry.item->SetDocumentId(logFileId);
        entry.item->SetVariableId(column->GetVariableId());
        bool present = false;
        bool indexUsed = false;
        for (const DisplayEntry_t& other : m_entries)
        {
            present = present || IsSameVariable(other, *entry.item);
            indexUsed = indexUsed || other.index == entry.index;
        }
        // Dropped on the graph again meanwhile: it is there already.
        if (present || !IsNumberColumn(*entry.item))
            continue;
        // Its line number went to a column added meanwhile.
        if (indexUsed)
            entry.index = FreeEntryIndex();
        m_entries.insert(m_entries.begin() + std::min(position, m_entries.size()), entry);
        EntriesChanged();
    }
    if (!tookBack)
        return;
    m_deviceLogPaths[logFileId] = path;
    PostRebuild();
}

bool CDisplayGraphTimeDoc::RemoveVariable(const CTreeItem& item)
{
    return RemoveVariableAndRebuild(item);
}

bool CDisplayGraphTimeDoc::PlotsLogFile(int logFileId)
{
    CSingleLock lock(&m_entryLock, TRUE);
    for (const DisplayEntry_t& entry : m_entries)
    {
        if (entry.item && IsLogFileColumn(*entry.item) && entry.item->GetDocumentId() == logFileId)
            return true;
    }
    return false;
}

bool CDisplayGraphTimeDoc::OnStorage(const CStoragePtr& item)
{
    if (item->GetType() != STORAGE_TYPE_REFRESH_EVENT)
        return false;
    const boost::shared_ptr<CStorageRefreshEvent> event = boost::static_pointer_cast<CStorageRefreshEvent>(item);
    if (event->GetCode() == REFRESH_LOG_FILE_REMOVED)
        SetAsideColumnsOf(event->GetId());
    const bool result = CDocumentDisplay::OnStorage(item);
    // Only a log file the graph plots is read again.
    if (event->GetCode() == REFRESH_LOG_RECORDS && PlotsLogFile(event->GetId()))
        PostRebuild();
    else if (event->GetCode() == REFRESH_LOG_FILE_ADDED)
        TakeBackColumnsOf(event->GetId());
    return result;
}

void CDisplayGraphTimeDoc::Serialize(CArchive& ar)
{
    // The base part and the paths after it tell of the same entries.
    CSingleLock lock(&m_entryLock, TRUE);
    int version = GRAPH_ARCHIVE_VERSION;
    if (ar.IsStoring())
    {
        ar << GRAPH_ARCHIVE_MAGIC << GRAPH_ARCHIVE_VERSION;
    }
    else
    {
        const ULONGLONG position = ar.GetPosition();
        int magic = 0;
        ar >> magic;
        if (magic != GRAPH_ARCHIVE_MAGIC)
        {
            // Written without its own part: whatever follows belongs to the workspace.
            ar.SeekTo(position);
            return;
        }
        ar >> version;
        if (version <= 0)
            return;
        // A later version may hold more than this one knows how to read.
        if (version > GRAPH_ARCHIVE_VERSION)
            AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
    }
    ar.SerializeClass(RUNTIME_CLASS(CDocumentDisplay));
    CDocumentDisplay::Serialize(ar);
    if (version >= GRAPH_ARCHIVE_VERSION_WITH_LOG_PATHS)
        SerializeLogPaths(ar);
}

std::string CDisplayGraphTimeDoc::LogPathOf(const CString& stored)
{
    // Whole: cut at a NUL, it would be saved as another path, or as none.
    const std::string path(stored.GetString(), static_cast<size_t>(stored.GetLength()));
    if (!CanBeFilePath(path))
        throw std::runtime_error("the log file path of one of its columns holds a NUL or another control character");
    return path;
}

void CDisplayGraphTimeDoc::SerializeLogPaths(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << static_cast<int>(m_entries.size());
        for (const DisplayEntry_t& entry : m_entries)
        {
            const auto known = entry.item && IsLogFileColumn(*entry.item)
                                   ? m_deviceLogPaths.find(entry.item->GetDocumentId())
                                   : m_deviceLogPaths.end();
            ar << CString(known != m_deviceLogPaths.end() ? known->second.c_str() : "");
        }
        ar << static_cast<int>(m_waitingColumns.size());
        for (const WaitingColumn_t& waiting : m_waitingColumns)
        {
            ar << static_cast<int>(waiting.place) << CString(waiting.path.c_str());
            CTreeItem item = waiting.entry.item ? *waiting.entry.item : CTreeItem();
            StoreEntry(ar, waiting.entry, item);
        }
        return;
    }
    // The log files of the ids read are not open: every id is known again only when its
    // file opens.
    m_deviceLogPaths.clear();
    m_waitingColumns.clear();
    int count = 0;
    ar >> count;
    if (count != static_cast<int>(m_entries.size()))
        AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
    std::vector<std::string> paths;
    for (int position = 0; position < count; ++position)
    {
        CString path;
        ar >> path;
        // Empty: the column is not of a device's log.
        if (!path.IsEmpty())
            paths.push_back(LogPathOf(path));
        else
            paths.push_back(std::string());
    }
    int waitingCount = 0;
    ar >> waitingCount;
    std::vector<WaitingColumn_t> waiting;
    // A damaged count ends at the end of the file, not in a huge allocation.
    for (int position = 0; position < waitingCount; ++position)
    {
        int place = 0;
        CString path;
        ar >> place >> path;
        const DisplayEntry_t entry = LoadEntry(ar);
        if (place < 0 || path.IsEmpty() || !entry.item)
            AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
        waiting.push_back(WaitingColumn_t{ LogPathOf(path), static_cast<size_t>(place), entry });
    }
    std::sort(waiting.begin(), waiting.end(),
              [](const WaitingColumn_t& a, const WaitingColumn_t& b) { return a.place < b.place; });
    // Two columns in one place: no graph writes that.
    for (size_t position = 1; position < waiting.size(); ++position)
    {
        if (waiting[position].place == waiting[position - 1].place)
            AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
    }
    m_waitingColumns.swap(waiting);
    size_t next = 0;
    SetAsideColumns([&](const DisplayEntry_t&) { return paths[next++]; });
}
