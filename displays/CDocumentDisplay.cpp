#include "displays/CDocumentDisplay.h"
#include "documents/CPropPageDisplayGeneral.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CSingleLock.h"
#include "framework/CView.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CDocumentDisplay, CDocumentEx)

namespace
{
const int DISPLAY_ARCHIVE_VERSION = 1;
const int DISPLAY_ENTRY_VERSION = 1;
const int POPUP_RENAME = 0;
const int POPUP_SEPARATOR = 1;
// "&Rename..." and the separator come before the base entries.
const int POPUP_OWN_ENTRIES = 2;
const int PLAIN_ARCHIVE_PREFIX = 1;

bool IsWholeDocumentItem(const CTreeItem& item)
{
    return item.GetVariableId() == PLOT_ID_NONE;
}

// Whether an entry belongs to the document that a removal event names.
bool BelongsToRemovedDocument(const DisplayEntry_t& entry, int code, int documentId)
{
    if (!entry.item || entry.item->GetDocumentId() != documentId)
        return false;
    const bool isLogColumn = CDocumentDisplay::IsLogFileColumn(*entry.item);
    return code == REFRESH_LOG_FILE_REMOVED ? isLogColumn : !isLogColumn;
}
}  // namespace

bool CDocumentDisplay::IsLogFileColumn(const CPlotVariableId& id)
{
    return id.GetItemTypeId() == PLOT_ITEM_TYPE_LOG_COLUMN;
}

bool CDocumentDisplay::CanAddDeviceVariable(const CTreeItem* item)
{
    return item != nullptr && !IsLogFileColumn(*item) && CDocumentDisplay::CanAddVariable(item);
}

bool CDocumentDisplay::IsSameVariable(const DisplayEntry_t& entry, const CTreeItem& item)
{
    if (entry.item.get() == &item)
        return true;
    return entry.item && static_cast<const CPlotVariableId&>(*entry.item) == item &&
           entry.item->GetName() == item.GetName() && entry.item->GetUnits() == item.GetUnits();
}

void CDocumentDisplay::SerializeWithPlainPrefix(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << PLAIN_ARCHIVE_PREFIX;
    }
    else
    {
        int prefix = 0;
        ar >> prefix;
    }
    ar.SerializeClass(RUNTIME_CLASS(CDocumentDisplay));
    CDocumentDisplay::Serialize(ar);
}

CDocumentDisplay::CDocumentDisplay()
    : m_viewWindow(nullptr),
      m_rebuildBatches(0),
      m_rebuildHeld(false),
      m_storedDeviceIds(nullptr),
      m_windowTextColour(::GetSysColor(COLOR_WINDOWTEXT)),
      m_windowColour(::GetSysColor(COLOR_WINDOW)),
      m_highlightColour(::GetSysColor(COLOR_HIGHLIGHT)),
      m_highlightTextColour(::GetSysColor(COLOR_HIGHLIGHTTEXT)),
      m_entryPositionsStale(true)
{
    // Closing the last view closes the display; OnCloseDocument switches deletion off
    // again, since the manager's shared pointers own the document.
    m_bAutoDelete = TRUE;
}

CDocumentDisplay::~CDocumentDisplay() = default;

bool CDocumentDisplay::AcceptsDevice()
{
    return true;
}

bool CDocumentDisplay::AcceptsVariable()
{
    return true;
}

bool CDocumentDisplay::AcceptsLogFile()
{
    return false;
}

bool CDocumentDisplay::AcceptsOther()
{
    return false;
}

bool CDocumentDisplay::CanAddVariable(const CTreeItem* item)
{
    if (item == nullptr)
        return false;
    {
        CSingleLock lock(&m_entryLock, TRUE);
        for (const DisplayEntry_t& entry : m_entries)
        {
            if (IsSameVariable(entry, *item))
                return false;
        }
    }
    if (IsWholeDocumentItem(*item))
    {
        if (item->GetItemTypeId() == PLOT_ID_NONE && item->GetDocumentId() != PLOT_ID_NONE)
            return AcceptsDevice();
        if (item->GetItemTypeId() != PLOT_ID_NONE)
            return AcceptsLogFile();
        return false;
    }
    return AcceptsVariable();
}

void CDocumentDisplay::AddVariable(const CTreeItem& item)
{
    if (!CanAddVariable(&item))
        return;
    if (IsWholeDocumentItem(item))
    {
        RebuildBatch_t batch(*this);
        // A copy: adding may not change the list we walk.
        const CTreeItemList children = item.GetPlotItems();
        for (const CTreeItemPtr& child : children)
        {
            if (child)
                AddVariable(*child);
        }
        return;
    }

    CSingleLock lock(&m_entryLock, TRUE);
    DisplayEntry_t entry;
    entry.index = FreeEntryIndex();
    entry.item.reset(new CTreeItem(item));
    entry.enabled = true;
    entry.spare = 0;
    m_entries.push_back(entry);
    EntriesChanged();
    SetModifiedFlag(TRUE);
}

int CDocumentDisplay::FreeEntryIndex()
{
    CSingleLock lock(&m_entryLock, TRUE);
    std::set<int> usedIndices;
    for (const DisplayEntry_t& entry : m_entries)
        usedIndices.insert(entry.index);
    int freeIndex = 0;
    while (usedIndices.count(freeIndex) != 0)
        ++freeIndex;
    return freeIndex;
}

bool CDocumentDisplay::RemoveVariable(const CTreeItem& item)
{
    CSingleLock lock(&m_entryLock, TRUE);
    for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry)
    {
        if (IsSameVariable(*entry, item))
        {
            m_entries.erase(entry);
            EntriesChanged();
            return true;
        }
    }
    return false;
}

bool CDocumentDisplay::OnStorage(const CStoragePtr& item)
{
    if (!item || item->GetType() != STORAGE_TYPE_REFRESH_EVENT)
        return false;
    const boost::shared_ptr<CStorageRefreshEvent> event = boost::static_pointer_cast<CStorageRefreshEvent>(item);
    switch (event->GetCode())
    {
    case REFRESH_DEVICE_REMOVED:
    case REFRESH_LOG_FILE_REMOVED:
    {
        // Each entry goes through the display's own removal, so that a kind that keeps
        // data per entry (the State display's value texts) renumbers it too.
        std::vector<CTreeItem> removed;
        {
            CSingleLock lock(&m_entryLock, TRUE);
            for (const DisplayEntry_t& entry : m_entries)
            {
                if (BelongsToRemovedDocument(entry, event->GetCode(), event->GetId()))
                    removed.push_back(*entry.item);
            }
        }
        RebuildBatch_t batch(*this);
        bool changed = false;
        for (const CTreeItem& item : removed)
            changed = RemoveVariable(item) || changed;
        if (changed)
            PostRebuild();
        break;
    }
    case REFRESH_STATE_CHANGED:
        PostRebuild();
        break;
    default:
        break;
    }
    return false;
}

bool CDocumentDisplay::FindEnabledEntryIndex(const CPlotVariableId& id, int& index)
{
    CSingleLock lock(&m_entryLock, TRUE);
    index = -1;
    const DisplayEntry_t* entry = FindFirstEntry(id);
    if (entry == nullptr || !entry->enabled)
        return false;
    index = entry->index;
    return true;
}

const DisplayEntry_t* CDocumentDisplay::FindFirstEntry(const CPlotVariableId& id)
{
    if (m_entryPositionsStale)
        FindEntryPositions();
    const auto found = m_entryPositions.find(id);
    return found != m_entryPositions.end() && found->second < m_entries.size() ? &m_entries[found->second] : nullptr;
}

void CDocumentDisplay::FindEntryPositions()
{
    m_entryPositions.clear();
    for (size_t position = 0; position < m_entries.size(); ++position)
    {
        if (m_entries[position].item)
            m_entryPositions.emplace(static_cast<const CPlotVariableId&>(*m_entries[position].item), position);
    }
    m_entryPositionsStale = false;
}

LockedDisplayEntries_t CDocumentDisplay::LockEntries()
{
    m_entryLock.Lock();
    // The holder may change any entry.
    EntriesChanged();
    // The holder must go on the thread that took it: the lock belongs to that thread.
    CCriticalSection* entryLock = &m_entryLock;
    boost::shared_ptr<void> holder(static_cast<void*>(entryLock), [entryLock](void*) { entryLock->Unlock(); });
    return LockedDisplayEntries_t(&m_entries, holder);
}

DisplayEntry_t CDocumentDisplay::GetEntry(size_t position)
{
    CSingleLock lock(&m_entryLock, TRUE);
    return m_entries.at(position);
}

bool CDocumentDisplay::FindEntry(size_t position, DisplayEntry_t& entry)
{
    CSingleLock lock(&m_entryLock, TRUE);
    if (position >= m_entries.size())
        return false;
    entry = m_entries[position];
    return true;
}

size_t CDocumentDisplay::GetEntryCount()
{
    CSingleLock lock(&m_entryLock, TRUE);
    return m_entries.size();
}

int CDocumentDisplay::GetPopupMenuEntryCount()
{
    const int baseCount = CDocumentEx::GetPopupMenuEntryCount();
    // Without base entries a separator would trail "&Rename..." for nothing.
    return baseCount == 0 ? 1 : baseCount + POPUP_OWN_ENTRIES;
}

int CDocumentDisplay::GetPopupMenuEntry(int index, CString& text, bool& enabled, bool& checked)
{
    if (index == POPUP_RENAME)
    {
        text = "&Rename...";
        enabled = true;
        checked = false;
        return index;
    }
    if (index == POPUP_SEPARATOR)
    {
        text.Empty();
        enabled = false;
        checked = false;
        return index;
    }
    return CDocumentEx::GetPopupMenuEntry(index - POPUP_OWN_ENTRIES, text, enabled, checked) + POPUP_OWN_ENTRIES;
}

int CDocumentDisplay::OnPopupMenuCommand(int index)
{
    if (index == POPUP_RENAME)
    {
        Rename();
        return index;
    }
    if (index == POPUP_SEPARATOR)
        return index;
    return CDocumentEx::OnPopupMenuCommand(index - POPUP_OWN_ENTRIES) + POPUP_OWN_ENTRIES;
}

void CDocumentDisplay::OnCloseDocument()
{
    // Keeps the document alive through the framework's close step; the manager's list
    // may hold the last other reference.
    CDocumentDisplayPtr self;
    if (CDocumentManager* manager = GetDocumentManager())
    {
        self = manager->FindDisplayById(GetId());
        if (self)
            manager->RemoveDisplay(self);
    }
    m_bAutoDelete = FALSE;
    CDocumentEx::OnCloseDocument();
    // May destroy this document: nothing may follow.
    self.reset();
}

void CDocumentDisplay::OnChangedViewList()
{
    HWND viewWindow = nullptr;
    POSITION position = GetFirstViewPos();
    if (position != nullptr)
    {
        if (CView* view = GetNextViewAt(position))
            viewWindow = view->GetSafeHwnd();
    }
    m_viewWindow = viewWindow;
    // May close the document when its last view went: nothing may follow.
    CDocumentEx::OnChangedViewList();
}

void CDocumentDisplay::Serialize(CArchive& ar)
{
    CSingleLock lock(&m_entryLock, TRUE);
    if (ar.IsStoring())
    {
        ar << DISPLAY_ARCHIVE_VERSION << static_cast<int>(m_entries.size());
        for (const DisplayEntry_t& entry : m_entries)
        {
            CTreeItem item = entry.item ? *entry.item : CTreeItem();
            if (m_storedDeviceIds != nullptr && !IsLogFileColumn(item))
            {
                const auto stored = m_storedDeviceIds->find(item.GetDocumentId());
                item.SetDocumentId(stored == m_storedDeviceIds->end() ? PLOT_ID_NONE : stored->second);
            }
            StoreEntry(ar, entry, item);
        }
    }
    else
    {
        int version = 0;
        ar >> version;
        if (version != DISPLAY_ARCHIVE_VERSION)
            AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
        int count = 0;
        ar >> count;
        m_entries.clear();
        // A damaged count ends at the end of the file, not in a huge allocation.
        std::set<int> indices;
        for (int position = 0; position < count; ++position)
        {
            m_entries.push_back(LoadEntry(ar));
            // Rows, columns and lines are found by index: two entries would take one.
            const int index = m_entries.back().index;
            if (!indices.insert(index).second)
                throw std::runtime_error("two of its entries have the index " + std::to_string(index));
        }
        EntriesChanged();
    }

    ar.SerializeClass(RUNTIME_CLASS(CDocumentEx));
    CDocumentEx::Serialize(ar);
    UpdateAllViews(nullptr);
    CDocumentEx::Serialize(ar);
}

void CDocumentDisplay::StoreEntry(CArchive& ar, const DisplayEntry_t& entry, CTreeItem& item)
{
    ar << DISPLAY_ENTRY_VERSION << entry.index;
    item.Serialize(ar);
    ar << static_cast<int>(entry.enabled ? 1 : 0) << entry.spare;
}

DisplayEntry_t CDocumentDisplay::LoadEntry(CArchive& ar)
{
    DisplayEntry_t entry;
    entry.item.reset(new CTreeItem());
    int entryVersion = 0;
    int enabled = 0;
    ar >> entryVersion >> entry.index;
    entry.item->Serialize(ar);
    ar >> enabled >> entry.spare;
    entry.enabled = enabled != 0;
    return entry;
}

void CDocumentDisplay::SetStoredDeviceIds(const std::map<int, int>* deviceIds)
{
    m_storedDeviceIds = deviceIds;
}

bool CDocumentDisplay::DropEntriesOfMissingDocuments()
{
    CDocumentManager* manager = GetDocumentManager();
    std::vector<CTreeItem> missing;
    {
        CSingleLock lock(&m_entryLock, TRUE);
        for (const DisplayEntry_t& entry : m_entries)
        {
            if (!entry.item)
                continue;
            const int documentId = entry.item->GetDocumentId();
            const bool present =
                manager != nullptr && (IsLogFileColumn(*entry.item)
                                           ? static_cast<bool>(manager->FindLogFileById(documentId))
                                           : static_cast<bool>(manager->FindDeviceById(documentId)));
            if (!present)
                missing.push_back(*entry.item);
        }
    }
    RebuildBatch_t batch(*this);
    bool changed = false;
    for (const CTreeItem& item : missing)
        changed = RemoveVariable(item) || changed;
    return changed;
}

bool CDocumentDisplay::PostToView(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND viewWindow = m_viewWindow;
    return viewWindow != nullptr && ::PostMessage(viewWindow, message, wParam, lParam) != FALSE;
}

void CDocumentDisplay::PostRebuild()
{
    CSingleLock lock(&m_entryLock, TRUE);
    if (m_rebuildBatches > 0)
    {
        m_rebuildHeld = true;
        return;
    }
    PostToView(WM_APP_DISPLAY_REBUILD);
}

bool CDocumentDisplay::RemoveVariableAndRebuild(const CTreeItem& item)
{
    if (!CDocumentDisplay::RemoveVariable(item))
        return false;
    PostRebuild();
    return true;
}

CDocumentDisplay::RebuildBatch_t::RebuildBatch_t(CDocumentDisplay& display) : m_display(display)
{
    CSingleLock lock(&m_display.m_entryLock, TRUE);
    ++m_display.m_rebuildBatches;
}

CDocumentDisplay::RebuildBatch_t::~RebuildBatch_t()
{
    CSingleLock lock(&m_display.m_entryLock, TRUE);
    if (--m_display.m_rebuildBatches > 0 || !m_display.m_rebuildHeld)
        return;
    m_display.m_rebuildHeld = false;
    m_display.PostToView(WM_APP_DISPLAY_REBUILD);
}

CPropertyPage* CDocumentDisplay::CreatePropertyPage(int index)
{
    return index == 0 ? new CPropPageDisplayGeneral(this) : CDocumentEx::CreatePropertyPage(index);
}

int CDocumentDisplay::GetPropertyPageCount()
{
    return 1;
}
