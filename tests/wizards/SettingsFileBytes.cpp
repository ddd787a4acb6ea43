#include "tests/wizards/SettingsFileBytes.h"

#include "framework/CMemFile.h"

#include <cstring>

namespace settings_test {

StoreBytes& StoreBytes::Int(INT32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<BYTE>((static_cast<UINT32>(value) >> (8 * i)) & 0xFF));
    return *this;
}

StoreBytes& StoreBytes::Double(double value)
{
    BYTE raw[8];
    std::memcpy(raw, &value, sizeof raw);
    bytes.insert(bytes.end(), raw, raw + 8);
    return *this;
}

StoreBytes& StoreBytes::Text(const std::string& text)
{
    if (text.size() < 255)
    {
        bytes.push_back(static_cast<BYTE>(text.size()));
    }
    else
    {
        bytes.push_back(0xFF);
        bytes.push_back(static_cast<BYTE>(text.size() & 0xFF));
        bytes.push_back(static_cast<BYTE>(text.size() >> 8));
    }
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
}

StoreBytes& StoreBytes::Row(INT32 registerAddress, const std::string& shortName, const std::string& description,
                            INT32 flag, const std::string& unit, double scale, double defaultValue, INT32 raw,
                            INT32 rowVersion)
{
    return Int(rowVersion).Int(registerAddress).Text(shortName).Text(description).Int(flag).Text(unit)
        .Double(scale).Double(defaultValue).Int(raw);
}

StoreBytes& StoreBytes::TableRow(const SettingRow_t& row, INT32 raw)
{
    return Row(static_cast<INT32>(row.registerAddress), row.shortName.StdString(), row.description.StdString(),
               row.flag ? 1 : 0, row.unit.StdString(), row.scale, row.defaultValue, raw);
}

StoreBytes& StoreBytes::TableRowsWith(const SettingRow_t* table, UINT32 registerAddress, INT32 raw)
{
    for (const SettingRow_t* row = table; row->registerAddress != 0; ++row)
        TableRow(*row, row->registerAddress == registerAddress ? raw : row->raw);
    return *this;
}

int TableRowCount(const SettingRow_t* table)
{
    int count = 0;
    while (table[count].registerAddress != 0)
        ++count;
    return count;
}

Bytes SaveThroughFile(const std::function<bool(CFile*)>& save, bool* result)
{
    CMemFile file;
    const bool saved = save(&file);
    if (result != nullptr)
        *result = saved;
    Bytes bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    if (!bytes.empty())
        file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

bool LoadThroughFile(const Bytes& bytes, const std::function<bool(CFile*)>& load)
{
    CMemFile file;
    if (!bytes.empty())
        file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    file.SeekToBegin();
    return load(&file);
}

std::vector<INT32> RawValues(const CStorageVarnixConfig& store)
{
    std::vector<INT32> raws;
    for (int i = 0; i < store.GetRowCount(); ++i)
        raws.push_back(store.GetEntryValue(i));
    return raws;
}

} // namespace settings_test
