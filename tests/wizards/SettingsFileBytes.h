// Byte runs of the settings store's archive form, written by hand so that the tests pin
// the layout of the setpoint files, and settings files run through memory files.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CStorageVarnixConfig.h"
#include "wizards/framework/SettingRow_t.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class CFile;

namespace settings_test {

typedef std::vector<BYTE> Bytes;

// Little-endian archive items in the order they are appended.
struct StoreBytes
{
    Bytes bytes;
    StoreBytes& Int(INT32 value);
    StoreBytes& Double(double value);
    StoreBytes& Text(const std::string& text);
    StoreBytes& Row(INT32 registerAddress, const std::string& shortName, const std::string& description,
                    INT32 flag, const std::string& unit, double scale, double defaultValue, INT32 raw,
                    INT32 rowVersion = 1);
    // The record of a table row as the store writes it, with the given raw value.
    StoreBytes& TableRow(const SettingRow_t& row, INT32 raw);
    StoreBytes& TableRow(const SettingRow_t& row) { return TableRow(row, row.raw); }
    // Every row of a default table up to its end row, as a new store holds them, but the
    // row of one register with the given raw value.
    StoreBytes& TableRowsWith(const SettingRow_t* table, UINT32 registerAddress, INT32 raw);
};

// The rows of a default table before its end row.
int TableRowCount(const SettingRow_t* table);

// What save writes into a memory file (save's result in *result when given).
Bytes SaveThroughFile(const std::function<bool(CFile*)>& save, bool* result = nullptr);
// Runs load on a memory file holding the bytes; the file is named "settings.file".
bool LoadThroughFile(const Bytes& bytes, const std::function<bool(CFile*)>& load);

// The raw values of a store's rows, in row order.
std::vector<INT32> RawValues(const CStorageVarnixConfig& store);

// A settings class's SaveToFile and LoadFromFile through memory files; the save must succeed.
template <class Settings>
Bytes SaveSettings(Settings& settings)
{
    bool saved = false;
    Bytes bytes = SaveThroughFile([&](CFile* f) { return settings.SaveToFile(f); }, &saved);
    EXPECT_TRUE(saved);
    return bytes;
}

template <class Settings>
bool LoadSettings(Settings& settings, const Bytes& bytes, std::string* refusal = nullptr)
{
    return LoadThroughFile(bytes, [&](CFile* f) { return settings.LoadFromFile(f, refusal); });
}

// A bus address a product's file holds: the raw value, and the refusal the file meets
// (null: the file opens with it).
struct AddressCase
{
    UINT32 reg;
    INT32 raw;
    const char* refusal;
};

// Each case's file, made by file(reg, raw), opens with the value or is refused with its
// text and changes nothing.
template <class Settings>
void ExpectFileAddressCases(const std::function<Bytes(UINT32, INT32)>& file, const std::vector<AddressCase>& cases)
{
    for (const AddressCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << c.reg << std::dec << " raw " << c.raw);
        Settings settings;
        settings.SetEntryValue(settings.FindIndex(c.reg), 7);
        const std::vector<INT32> before = RawValues(settings);
        std::string refusal;
        const bool loaded = LoadSettings(settings, file(c.reg, c.raw), &refusal);
        if (c.refusal == nullptr)
        {
            EXPECT_TRUE(loaded) << refusal;
            EXPECT_EQ(c.raw, settings.GetRawValue(c.reg));
            continue;
        }
        EXPECT_FALSE(loaded);
        EXPECT_EQ(c.refusal, refusal);
        EXPECT_EQ(before, RawValues(settings));
    }
}

// As ExpectFileAddressCases; besides, settings holding a refused value, as a read can
// leave them, are refused at Save with the same text and write nothing.
template <class Settings>
void ExpectAddressCases(const std::function<Bytes(UINT32, INT32)>& file, const std::vector<AddressCase>& cases)
{
    ExpectFileAddressCases<Settings>(file, cases);
    for (const AddressCase& c : cases)
    {
        if (c.refusal == nullptr)
            continue;
        SCOPED_TRACE(testing::Message() << std::hex << c.reg << std::dec << " raw " << c.raw);
        Settings read;
        read.SetEntryValue(read.FindIndex(c.reg), c.raw);
        bool saved = true;
        std::string saveRefusal;
        const Bytes written = SaveThroughFile([&](CFile* f) { return read.SaveToFile(f, &saveRefusal); }, &saved);
        EXPECT_FALSE(saved);
        EXPECT_EQ(c.refusal, saveRefusal);
        EXPECT_TRUE(written.empty()) << written.size() << " bytes written";
    }
}

} // namespace settings_test
