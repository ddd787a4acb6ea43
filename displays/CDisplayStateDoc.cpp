#include "displays/CDisplayStateDoc.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/VariantHelpers.h"
#include "framework/CArchive.h"
#include "framework/CSingleLock.h"

IMPLEMENT_DYNCREATE(CDisplayStateDoc, CDocumentDisplay)

CDisplayStateDoc::CDisplayStateDoc() = default;

void CDisplayStateDoc::ResizeTexts()
{
    const size_t count = GetEntryCount();
    CSingleLock lock(&m_valueLock, TRUE);
    m_values.resize(count);
    m_deviceNames.resize(count);
    m_changed.resize(count);
}

bool CDisplayStateDoc::CanAddVariable(const CTreeItem* item)
{
    return CanAddDeviceVariable(item);
}

void CDisplayStateDoc::AddVariable(const CTreeItem& item)
{
    RebuildBatch_t batch(*this);
    CDocumentDisplay::AddVariable(item);
    ResizeTexts();
    PostRebuild();
}

bool CDisplayStateDoc::RemoveVariable(const CTreeItem& item)
{
    int removedIndex = -1;
    {
        CSingleLock lock(&m_entryLock, TRUE);
        for (const DisplayEntry_t& entry : m_entries)
        {
            if (IsSameVariable(entry, item))
            {
                removedIndex = entry.index;
                break;
            }
        }
    }
    if (removedIndex < 0 || !CDocumentDisplay::RemoveVariable(item))
        return false;
    {
        CSingleLock lock(&m_valueLock, TRUE);
        if (removedIndex < static_cast<int>(m_values.size()))
            m_values.erase(m_values.begin() + removedIndex);
        if (removedIndex < static_cast<int>(m_deviceNames.size()))
            m_deviceNames.erase(m_deviceNames.begin() + removedIndex);
        if (removedIndex < static_cast<int>(m_changed.size()))
            m_changed.erase(m_changed.begin() + removedIndex);
    }
    {
        // Rows follow the list order while values are kept by index: the indices close up.
        CSingleLock lock(&m_entryLock, TRUE);
        for (DisplayEntry_t& entry : m_entries)
        {
            if (entry.index > removedIndex)
                --entry.index;
        }
    }
    PostRebuild();
    return true;
}

bool CDisplayStateDoc::OnStorage(const CStoragePtr& item)
{
    if (item->GetType() == STORAGE_TYPE_REFRESH_EVENT)
    {
        // A device renamed, connected or no longer answering changes the device column
        // and the greying of its rows, not the rows: no rebuild of the list for that.
        const int code = static_cast<const CStorageRefreshEvent&>(*item).GetCode();
        if (code != REFRESH_STATE_CHANGED && code != REFRESH_DEVICE_MESSAGES)
            return CDocumentDisplay::OnStorage(item);
        CSingleLock lock(&m_valueLock, TRUE);
        m_devicesChanged = true;
        if (!m_updatePosted)
            m_updatePosted = PostToView(WM_APP_DISPLAY_UPDATE, DISPLAY_UPDATE_CHANGED_ROWS);
        return false;
    }
    if (item->GetType() == STORAGE_TYPE_TICK)
        return false;

    const CPlotVariableId key(static_cast<int>(item->GetType()), item->GetVariableId(), item->GetSourceId());
    int index = -1;
    if (!FindEnabledEntryIndex(key, index))
        return false;
    const CString text = FormatVariant(item->GetValue()).c_str();
    CSingleLock lock(&m_valueLock, TRUE);
    if (index < 0 || index >= static_cast<int>(m_values.size()) || m_values[index] == text)
        return false;
    m_values[index] = text;
    m_changed[index] = true;
    if (!m_updatePosted)
        m_updatePosted = PostToView(WM_APP_DISPLAY_UPDATE, DISPLAY_UPDATE_CHANGED_ROWS);
    return false;
}

std::vector<int> CDisplayStateDoc::TakeChangedRows(bool* devicesChanged)
{
    std::vector<int> indexes;
    {
        CSingleLock lock(&m_entryLock, TRUE);
        for (const DisplayEntry_t& entry : m_entries)
            indexes.push_back(entry.index);
    }
    std::vector<int> rows;
    CSingleLock lock(&m_valueLock, TRUE);
    for (size_t row = 0; row < indexes.size(); ++row) {
        const int index = indexes[row];
        if (index >= 0 && index < static_cast<int>(m_changed.size()) && m_changed[index])
            rows.push_back(static_cast<int>(row));
    }
    m_changed.assign(m_changed.size(), false);
    m_updatePosted = false;
    if (devicesChanged != nullptr)
        *devicesChanged = m_devicesChanged;
    m_devicesChanged = false;
    return rows;
}

bool CDisplayStateDoc::IsRowLive(int row)
{
    DisplayEntry_t entry;
    if (!GetRowEntry(row, entry))
        return false;
    CDocumentManager* manager = GetDocumentManager();
    const CDocumentDevicePtr device = manager != nullptr ? manager->FindDeviceById(entry.item->GetDocumentId())
                                                         : CDocumentDevicePtr();
    return device && device->IsAnswering();
}

bool CDisplayStateDoc::GetRowEntry(int row, DisplayEntry_t& entry)
{
    CSingleLock lock(&m_entryLock, TRUE);
    if (row < 0 || row >= static_cast<int>(m_entries.size()) || !m_entries[row].item)
        return false;
    entry = m_entries[row];
    return true;
}

CString CDisplayStateDoc::GetDeviceText(int row)
{
    DisplayEntry_t entry;
    if (!GetRowEntry(row, entry))
        return CString();
    CDocumentManager* manager = GetDocumentManager();
    const CDocumentDevicePtr device = manager != nullptr ? manager->FindDeviceById(entry.item->GetDocumentId())
                                                         : CDocumentDevicePtr();
    CString name;
    if (device)
        name = device->GetName();
    else if (entry.item->GetAssociated())
        name = entry.item->GetAssociated()->GetName();
    CSingleLock lock(&m_valueLock, TRUE);
    const bool known = entry.index >= 0 && entry.index < static_cast<int>(m_deviceNames.size());
    if (!name.IsEmpty())
    {
        if (known)
            m_deviceNames[entry.index] = name;
        return name;
    }
    // The device has gone and the entry has no owner item (as after a workspace load):
    // the name it was last shown with.
    return known ? m_deviceNames[entry.index] : CString();
}

CString CDisplayStateDoc::GetVariableText(int row)
{
    DisplayEntry_t entry;
    return GetRowEntry(row, entry) ? entry.item->GetName() : CString();
}

CString CDisplayStateDoc::GetValueText(int row)
{
    DisplayEntry_t entry;
    if (!GetRowEntry(row, entry))
        return CString();
    CSingleLock lock(&m_valueLock, TRUE);
    if (entry.index < 0 || entry.index >= static_cast<int>(m_values.size()))
        return CString();
    return m_values[entry.index];
}

CString CDisplayStateDoc::GetUnitsText(int row)
{
    DisplayEntry_t entry;
    return GetRowEntry(row, entry) ? entry.item->GetUnits() : CString();
}

CString CDisplayStateDoc::GetDescriptionText(int row)
{
    DisplayEntry_t entry;
    return GetRowEntry(row, entry) ? entry.item->GetDescription() : CString();
}

void CDisplayStateDoc::Serialize(CArchive& ar)
{
    SerializeWithPlainPrefix(ar);
    if (!ar.IsStoring())
    {
        {
            CSingleLock lock(&m_valueLock, TRUE);
            m_values.clear();
            m_deviceNames.clear();
            m_changed.clear();
        }
        ResizeTexts();
    }
}
