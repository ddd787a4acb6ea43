#include "wizards/framework/SettingsRegisterList.h"

#include "wizards/framework/CStorageVarnixConfig.h"

void FillRegisterList(const CStorageVarnixConfig& settings, bool isRead, WizardRegisterMap_t& registers,
                      WizardRegisterNames_t* names)
{
    registers.clear();
    if (names != nullptr)
        names->clear();
    for (int i = 0; i < settings.GetRowCount(); ++i)
    {
        const SettingRow_t* row = settings.GetRowAtConst(i);
        const WORD address = static_cast<WORD>(row->registerAddress);
        // A register listed twice is programmed with its first row, which is also the
        // row a read fills.
        if (registers.count(address) != 0)
            continue;
        registers[address] = isRead ? 0 : row->RawToWord();
        if (names != nullptr)
            (*names)[address] = row->shortName.GetString();
    }
}

void StoreReadRegisters(const WizardRegisterMap_t& registers, CStorageVarnixConfig& settings)
{
    for (const auto& entry : registers)
    {
        const int index = settings.FindIndex(entry.first);
        if (index < settings.GetRowCount())
            settings.SetEntryValue(index, entry.second);
    }
}

std::string AddressRefusal(const SettingRow_t* table, const WizardRegisterMap_t& registers)
{
    for (const SettingRow_t* tableRow = table; tableRow->registerAddress != 0; ++tableRow)
    {
        const auto entry = registers.find(static_cast<WORD>(tableRow->registerAddress));
        if (tableRow->busAddress == nullptr || entry == registers.end())
            continue;
        SettingRow_t row = *tableRow;
        row.raw = row.RawFromWord(row.rawType == SETTING_RAW_UINT8 ? (entry->second & 0xFF) : entry->second);
        const std::string refusal = row.AddressRefusal();
        if (!refusal.empty())
            return refusal;
    }
    return std::string();
}
