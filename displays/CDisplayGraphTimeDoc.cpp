#include "displays/CDisplayGraphTimeDoc.h"
#include "displays/DisplayMessages.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "framework/CArchive.h"
#include "framework/CSingleLock.h"

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
    const bool result = CDocumentDisplay::OnStorage(item);
    const boost::shared_ptr<CStorageRefreshEvent> event = boost::static_pointer_cast<CStorageRefreshEvent>(item);
    // Only a log file the graph plots is read again.
    if (event->GetCode() == REFRESH_LOG_RECORDS && PlotsLogFile(event->GetId()))
        PostRebuild();
    return result;
}

void CDisplayGraphTimeDoc::Serialize(CArchive& ar)
{
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
        int version = 0;
        ar >> version;
        if (version <= 0)
            return;
    }
    ar.SerializeClass(RUNTIME_CLASS(CDocumentDisplay));
    CDocumentDisplay::Serialize(ar);
}
