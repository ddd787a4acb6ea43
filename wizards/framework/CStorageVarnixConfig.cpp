#include "wizards/framework/CStorageVarnixConfig.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "wizards/framework/VarnixDefaultSettings.h"

#include <stdexcept>

namespace
{
const int STORE_ARCHIVE_VERSION = 1;
const int ROW_ARCHIVE_VERSION = 1;

const SettingRow_t* FindTableRow(const SettingRow_t* table, UINT32 registerAddress)
{
    if (table == nullptr)
        return nullptr;
    for (const SettingRow_t* row = table; row->registerAddress != 0; ++row)
    {
        if (row->registerAddress == registerAddress)
            return row;
    }
    return nullptr;
}
}

CStorageVarnixConfig::CStorageVarnixConfig(int sourceId)
    : CStorage(static_cast<BYTE>(sourceId))
{
    CopyRowsFromTable(VARNIX_DEFAULT_SETTINGS);
}

CStorageVarnixConfig::~CStorageVarnixConfig()
{
}

DWORD CStorageVarnixConfig::GetType() const
{
    return STORAGE_TYPE_CONFIG;
}

void CStorageVarnixConfig::Assign(const CStorageVarnixConfig& other)
{
    if (&other == this)
        return;
    m_rows = other.m_rows;
}

int CStorageVarnixConfig::GetRowCount() const
{
    return static_cast<int>(m_rows.size());
}

SettingRow_t* CStorageVarnixConfig::FindRow(UINT32 registerAddress)
{
    return GetRowAt(FindIndex(registerAddress));
}

const SettingRow_t* CStorageVarnixConfig::FindRowConst(UINT32 registerAddress) const
{
    return GetRowAtConst(FindIndex(registerAddress));
}

SettingRow_t* CStorageVarnixConfig::GetRowAt(int index)
{
    if (index < 0 || index >= GetRowCount())
        return nullptr;
    return &m_rows[index];
}

const SettingRow_t* CStorageVarnixConfig::GetRowAtConst(int index) const
{
    if (index < 0 || index >= GetRowCount())
        return nullptr;
    return &m_rows[index];
}

int CStorageVarnixConfig::FindIndex(UINT32 registerAddress) const
{
    const int count = GetRowCount();
    for (int index = 0; index < count; ++index)
    {
        if (m_rows[index].registerAddress == registerAddress)
            return index;
    }
    return count;
}

double CStorageVarnixConfig::GetValueAt(int index) const
{
    const SettingRow_t* row = GetRowAtConst(index);
    return row != nullptr ? row->raw * row->scale : 0.0;
}

double CStorageVarnixConfig::GetValue(UINT32 registerAddress) const
{
    return GetValueAt(FindIndex(registerAddress));
}

bool CStorageVarnixConfig::SetValueAt(int index, double value)
{
    SettingRow_t* row = GetRowAt(index);
    if (row == nullptr)
        return false;
    row->SetValue(value);
    return true;
}

bool CStorageVarnixConfig::SetValue(UINT32 registerAddress, double value)
{
    return SetValueAt(FindIndex(registerAddress), value);
}

INT32 CStorageVarnixConfig::GetEntryValue(int index) const
{
    const SettingRow_t* row = GetRowAtConst(index);
    return row != nullptr ? row->raw : -1;
}

INT32 CStorageVarnixConfig::GetRawValue(UINT32 registerAddress) const
{
    return GetEntryValue(FindIndex(registerAddress));
}

bool CStorageVarnixConfig::SetEntryValue(int index, INT32 word)
{
    SettingRow_t* row = GetRowAt(index);
    if (row == nullptr)
        return false;
    // A one-byte register means its low byte, whatever a device hands back above it: the
    // whole word would be shown, saved and then refused when the file is opened.
    row->raw = row->RawFromWord(row->rawType == SETTING_RAW_UINT8 ? (word & 0xFF) : word);
    return true;
}

std::string CStorageVarnixConfig::AddressRefusal() const
{
    for (const SettingRow_t& row : m_rows)
    {
        const std::string refusal = row.AddressRefusal();
        if (!refusal.empty())
            return refusal;
    }
    return std::string();
}

bool CStorageVarnixConfig::Serialize(CArchive& ar, const SettingRow_t* defaultTable)
{
    if (ar.IsStoring())
    {
        const std::string refusal = AddressRefusal();
        if (!refusal.empty())
            throw std::range_error(refusal);
        ar << static_cast<INT32>(STORE_ARCHIVE_VERSION);
        ar << static_cast<INT32>(m_rows.size());
        for (const SettingRow_t& row : m_rows)
        {
            ar << static_cast<INT32>(ROW_ARCHIVE_VERSION);
            ar << static_cast<INT32>(row.registerAddress);
            ar << row.shortName;
            ar << row.description;
            ar << static_cast<INT32>(row.flag ? 1 : 0);
            ar << row.unit;
            ar << row.scale;
            ar << row.defaultValue;
            ar << row.raw;
        }
        return true;
    }

    INT32 version = 0;
    ar >> version;
    if (version != STORE_ARCHIVE_VERSION)
        return false;

    INT32 count = 0;
    ar >> count;
    if (count < 0)
        AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);

    // Rows are read aside so that a damaged file leaves the current settings whole.
    std::deque<SettingRow_t> loaded;
    for (INT32 i = 0; i < count; ++i)
    {
        INT32 rowVersion = 0;
        ar >> rowVersion;
        if (rowVersion != ROW_ARCHIVE_VERSION)
            AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);

        SettingRow_t row;
        INT32 registerAddress = 0;
        INT32 flag = 0;
        ar >> registerAddress;
        ar >> row.shortName;
        ar >> row.description;
        ar >> flag;
        ar >> row.unit;
        ar >> row.scale;
        ar >> row.defaultValue;
        ar >> row.raw;
        row.registerAddress = static_cast<UINT32>(registerAddress);
        row.flag = flag != 0;

        // How a value is shown and how its word maps are the program's, not the file's.
        if (const SettingRow_t* tableRow = FindTableRow(defaultTable, row.registerAddress))
        {
            row.rawType = tableRow->rawType;
            row.formatter = tableRow->formatter;
            row.format = tableRow->format;
            row.busAddress = tableRow->busAddress;
        }
        loaded.push_back(row);
    }
    m_rows.swap(loaded);
    return true;
}

bool CStorageVarnixConfig::LoadForTable(CArchive& ar, const SettingRow_t* table)
{
    CStorageVarnixConfig file(GetSourceId());
    if (!file.Serialize(ar, table))
        return false;

    std::deque<SettingRow_t> adopted;
    auto alreadyAdopted = [&adopted](UINT32 registerAddress) {
        for (const SettingRow_t& row : adopted)
        {
            if (row.registerAddress == registerAddress)
                return true;
        }
        return false;
    };
    for (const SettingRow_t& fileRow : file.m_rows)
    {
        const SettingRow_t* tableRow = FindTableRow(table, fileRow.registerAddress);
        if (tableRow == nullptr || alreadyAdopted(fileRow.registerAddress))
            continue;
        SettingRow_t row = fileRow;
        row.scale = tableRow->scale;
        // An address the controller cannot answer at would be programmed as it stands; one
        // its register cannot even hold is named the same way, with the setting and range.
        const std::string refusal = row.AddressRefusal();
        if (!refusal.empty())
            throw std::range_error(refusal);
        if (!tableRow->FileRawFits(fileRow.raw))
            AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
        row.raw = row.RawFromWord(fileRow.raw & 0xFFFF);
        adopted.push_back(row);
    }
    for (const SettingRow_t* tableRow = table; tableRow->registerAddress != 0; ++tableRow)
    {
        if (!alreadyAdopted(tableRow->registerAddress))
            adopted.push_back(*tableRow);
    }
    m_rows.swap(adopted);
    return true;
}

void CStorageVarnixConfig::CopyRowsFromTable(const SettingRow_t* defaultTable)
{
    m_rows.clear();
    for (const SettingRow_t* row = defaultTable; row->registerAddress != 0; ++row)
        m_rows.push_back(*row);
}
