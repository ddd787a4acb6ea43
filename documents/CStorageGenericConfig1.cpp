#include "documents/CStorageGenericConfig1.h"

CStorageGenericConfig1::CStorageGenericConfig1(BYTE sourceId)
    : CStorage(sourceId)
{
}

int CStorageGenericConfig1::GetEntryCount() const
{
    return (int)m_entries.size();
}

SettingRow_t* CStorageGenericConfig1::FindEntry(UINT32 registerAddress)
{
    return GetEntry(FindEntryIndex(registerAddress));
}

const SettingRow_t* CStorageGenericConfig1::FindEntryConst(UINT32 registerAddress) const
{
    return GetEntryConst(FindEntryIndex(registerAddress));
}

SettingRow_t* CStorageGenericConfig1::GetEntry(int index)
{
    if (index < 0 || index >= GetEntryCount())
        return nullptr;
    return &m_entries[(size_t)index];
}

const SettingRow_t* CStorageGenericConfig1::GetEntryConst(int index) const
{
    if (index < 0 || index >= GetEntryCount())
        return nullptr;
    return &m_entries[(size_t)index];
}

int CStorageGenericConfig1::FindEntryIndex(UINT32 registerAddress) const
{
    int count = GetEntryCount();
    for (int index = 0; index < count; ++index) {
        if (m_entries[(size_t)index].registerAddress == registerAddress)
            return index;
    }
    return count;
}

bool CStorageGenericConfig1::SetEntryValue(int index, INT32 value)
{
    SettingRow_t* entry = GetEntry(index);
    if (entry == nullptr)
        return false;
    entry->raw = entry->RawFromWord(value);
    return true;
}

INT32 CStorageGenericConfig1::GetEntryValue(int index) const
{
    const SettingRow_t* entry = GetEntryConst(index);
    return entry != nullptr ? entry->raw : -1;
}

void CStorageGenericConfig1::AddEntry(const SettingRow_t& entry)
{
    m_entries.push_back(entry);
}
