#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CMemFile.h"
#include "tests/wizards/SettingsFileBytes.h"
#include "wizards/framework/CStorageVarnixConfig.h"
#include "wizards/framework/VarnixDefaultSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using settings_test::Bytes;
using settings_test::StoreBytes;

const UINT32 REG_REGULATION = 0xE000;
const UINT32 REG_TIME_BEFORE_FLOAT = 0xE002;
const UINT32 REG_TEMP_COMP_HI = 0xE01F;
const UINT32 REG_TEMP_COMP_LO = 0xE020;
const UINT32 REG_SERVER_ID = 0xE021;

// A store of a product with a table of its own, as the wizards' settings classes make.
class SmallStore : public CStorageVarnixConfig
{
public:
    explicit SmallStore(const SettingRow_t* table) : CStorageVarnixConfig(255)
    {
        CopyRowsFromTable(table);
    }
};

const SettingRow_t SMALL_TABLE[] = {
    SettingRow_t(0xE100, "One", "First", true, "V", 0.5, 2.0, "%.1f", SETTING_RAW_UINT16, nullptr),
    SettingRow_t(0xE101, "Two", "Second", true, "", 1.0, -5.0, "%.0f", SETTING_RAW_INT8, nullptr),
    SettingRow_t(0, "", "", false, "", 0.0, 0.0, "", SETTING_RAW_UINT16, nullptr),
};

Bytes StoreToBytes(CStorageVarnixConfig& store)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        EXPECT_TRUE(store.Serialize(ar, VARNIX_DEFAULT_SETTINGS));
        ar.Close();
    }
    Bytes bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    if (!bytes.empty())
        file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

// Loads the bytes; a thrown archive exception comes back as its cause (-1 when none).
bool LoadFromBytes(CStorageVarnixConfig& store, const Bytes& bytes, int* thrownCause = nullptr,
                   CString* thrownFileName = nullptr)
{
    CMemFile file;
    file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    ar.m_strFileName = "settings.qvarnix";
    if (thrownCause != nullptr)
        *thrownCause = -1;
    try
    {
        return store.Serialize(ar, VARNIX_DEFAULT_SETTINGS);
    }
    catch (CArchiveException* e)
    {
        if (thrownCause != nullptr)
            *thrownCause = e->m_cause;
        if (thrownFileName != nullptr)
            *thrownFileName = e->m_strFileName;
        e->Delete();
        return false;
    }
}

TEST(SettingsStore, IsAConfigurationItem)
{
    CStorageVarnixConfig store(255);
    EXPECT_EQ(0x20001u, store.GetType());
    EXPECT_EQ(255, store.GetSourceId());
    EXPECT_EQ(1u, store.GetVariableId());
    CStorageVarnixConfig fromDevice(7);
    EXPECT_EQ(7, fromDevice.GetSourceId());
}

TEST(SettingsStore, OutOfRangeAccessGivesNeutralAnswersAndChangesNothing)
{
    CStorageVarnixConfig store(255);
    const int count = store.GetRowCount();
    EXPECT_EQ(count, store.FindIndex(0xBEEF));
    EXPECT_EQ(nullptr, store.GetRowAt(count));
    EXPECT_EQ(nullptr, store.GetRowAt(-1));
    EXPECT_EQ(nullptr, store.GetRowAtConst(count));
    EXPECT_EQ(nullptr, store.FindRow(0xBEEF));
    EXPECT_EQ(nullptr, store.FindRowConst(0xBEEF));
    EXPECT_DOUBLE_EQ(0.0, store.GetValue(static_cast<UINT32>(0xBEEF)));
    EXPECT_DOUBLE_EQ(0.0, store.GetValueAt(-1));
    EXPECT_EQ(-1, store.GetRawValue(0xBEEF));
    EXPECT_EQ(-1, store.GetEntryValue(count));
    EXPECT_FALSE(store.SetValue(static_cast<UINT32>(0xBEEF), 1.0));
    EXPECT_FALSE(store.SetValueAt(count, 1.0));
    EXPECT_FALSE(store.SetEntryValue(-1, 5));
    EXPECT_FALSE(store.SetEntryValue(count, 5));
    // Nothing was added or altered by the failed calls.
    EXPECT_EQ(count, store.GetRowCount());
    CStorageVarnixConfig pristine(255);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(pristine.GetEntryValue(i), store.GetEntryValue(i)) << "row " << i;
}

TEST(SettingsStore, ValuesRoundTripThroughRawCounts)
{
    CStorageVarnixConfig store(255);
    ASSERT_TRUE(store.SetValue(REG_REGULATION, 14.4));
    // 14.4 V / (96.667/32768) = 4881.3 counts.
    EXPECT_EQ(4881, store.GetRawValue(REG_REGULATION));
    EXPECT_NEAR(14.4, store.GetValue(REG_REGULATION), 96.667 / 32768);

    const int index = store.FindIndex(REG_SERVER_ID);
    ASSERT_TRUE(store.SetValueAt(index, 17.5));
    EXPECT_EQ(18, store.GetEntryValue(index));
    ASSERT_TRUE(store.SetValueAt(index, -17.5));
    EXPECT_EQ(-18, store.GetEntryValue(index));
}

TEST(SettingsStore, DeviceWordsOnInt8RowsKeepTheSignedLowByte)
{
    CStorageVarnixConfig store(255);
    const int lo = store.FindIndex(REG_TEMP_COMP_LO);
    ASSERT_TRUE(store.SetEntryValue(lo, 0x00F6));
    EXPECT_EQ(-10, store.GetEntryValue(lo));
    EXPECT_DOUBLE_EQ(-10.0, store.GetValueAt(lo));
    ASSERT_TRUE(store.SetEntryValue(lo, 0x1FF));
    EXPECT_EQ(-1, store.GetEntryValue(lo));
    ASSERT_TRUE(store.SetEntryValue(lo, 0xFF7F));
    EXPECT_EQ(127, store.GetEntryValue(lo));
    ASSERT_TRUE(store.SetEntryValue(lo, 0x0080));
    EXPECT_EQ(-128, store.GetEntryValue(lo));

    // Word rows take the value whole.
    const int server = store.FindIndex(REG_SERVER_ID);
    ASSERT_TRUE(store.SetEntryValue(server, 0x1FF));
    EXPECT_EQ(0x1FF, store.GetEntryValue(server));
    ASSERT_TRUE(store.SetEntryValue(server, 0xFFFF));
    EXPECT_EQ(0xFFFF, store.GetEntryValue(server));
}

TEST(SettingsStore, AssignReplacesAllRowsAndIgnoresSelf)
{
    CStorageVarnixConfig target(255);
    SmallStore source(SMALL_TABLE);
    ASSERT_EQ(2, source.GetRowCount());
    source.GetRowAt(0)->modified = true;
    ASSERT_TRUE(source.SetValueAt(1, -7));

    target.Assign(source);
    ASSERT_EQ(2, target.GetRowCount());
    EXPECT_EQ(0xE100u, target.GetRowAtConst(0)->registerAddress);
    EXPECT_TRUE(target.GetRowAtConst(0)->modified);
    EXPECT_EQ(-7, target.GetEntryValue(1));
    EXPECT_EQ(nullptr, target.FindRowConst(REG_REGULATION));

    // The copy is deep: changing the source later leaves the target alone.
    ASSERT_TRUE(source.SetValueAt(1, 3));
    EXPECT_EQ(-7, target.GetEntryValue(1));

    target.Assign(target);
    EXPECT_EQ(2, target.GetRowCount());
    EXPECT_EQ(-7, target.GetEntryValue(1));
}

TEST(SettingsStoreArchive, StoresTheDefaultRowsInThePinnedLayout)
{
    CStorageVarnixConfig store(255);
    const Bytes bytes = StoreToBytes(store);

    StoreBytes head;
    head.Int(1).Int(39).Row(0xE000, "Regulation", "Regulation voltage at 25 deg C", 1, "V", 96.667 / 32768,
                            14.1, 4780);
    ASSERT_GE(bytes.size(), head.bytes.size());
    EXPECT_EQ(head.bytes, Bytes(bytes.begin(), bytes.begin() + head.bytes.size()));

    // The last row: Regulation Method, with an empty description and unit.
    StoreBytes tail;
    tail.Row(0xE042, "Regulation Method", "", 1, "", 1.0, 0.0, 0);
    ASSERT_GE(bytes.size(), tail.bytes.size());
    EXPECT_EQ(tail.bytes, Bytes(bytes.end() - tail.bytes.size(), bytes.end()));
}

TEST(SettingsStoreArchive, RoundTripIsByteExactIncludingLongTexts)
{
    const std::string longDescription(300, 'd');
    StoreBytes archive;
    archive.Int(1).Int(2)
        .Row(0xF123, "Custom", longDescription, 0, "A", 0.25, 1.5, -6)
        .Row(0xE00D, "Last Equalize", "Days since last equalize", 0, "days", -255.0, 0.0, 3);

    CStorageVarnixConfig store(255);
    ASSERT_TRUE(LoadFromBytes(store, archive.bytes));
    ASSERT_EQ(2, store.GetRowCount());
    const SettingRow_t* custom = store.GetRowAtConst(0);
    EXPECT_EQ(0xF123u, custom->registerAddress);
    EXPECT_EQ(300, custom->description.GetLength());
    EXPECT_FALSE(custom->flag);
    EXPECT_EQ(-6, custom->raw);
    EXPECT_DOUBLE_EQ(-1.5, store.GetValueAt(0));
    EXPECT_DOUBLE_EQ(-765.0, store.GetValue(static_cast<UINT32>(0xE00D)));

    EXPECT_EQ(archive.bytes, StoreToBytes(store));
}

TEST(SettingsStoreArchive, LoadedRowsKeepFileTextsAndTakePresentationFromTheTable)
{
    StoreBytes archive;
    archive.Int(1).Int(3)
        .Row(REG_TIME_BEFORE_FLOAT, "Old name", "Old description", 1, "sec", 2.0, 100.0, 900)
        .Row(REG_TEMP_COMP_HI, "Hi", "Hi limit", 1, "C", 1.0, 70.0, 75)
        .Row(0xF000, "Unknown", "", 1, "", 1.0, 0.0, 4);

    CStorageVarnixConfig store(255);
    store.GetRowAt(0)->modified = true;
    ASSERT_TRUE(LoadFromBytes(store, archive.bytes));
    ASSERT_EQ(3, store.GetRowCount());

    const SettingRow_t* time = store.FindRowConst(REG_TIME_BEFORE_FLOAT);
    ASSERT_NE(nullptr, time);
    EXPECT_STREQ("Old name", time->shortName.GetString());
    EXPECT_STREQ("Old description", time->description.GetString());
    EXPECT_STREQ("sec", time->unit.GetString());
    EXPECT_DOUBLE_EQ(2.0, time->scale);
    EXPECT_DOUBLE_EQ(100.0, time->defaultValue);
    EXPECT_EQ(900, time->raw);
    EXPECT_EQ(&FormatDurationHms, time->formatter);
    EXPECT_STREQ("", time->format.GetString());
    EXPECT_FALSE(time->modified);

    const SettingRow_t* hi = store.FindRowConst(REG_TEMP_COMP_HI);
    ASSERT_NE(nullptr, hi);
    EXPECT_EQ(SETTING_RAW_INT8, hi->rawType);
    EXPECT_STREQ("%.0f", hi->format.GetString());
    EXPECT_EQ(nullptr, hi->formatter);

    const SettingRow_t* unknown = store.FindRowConst(0xF000);
    ASSERT_NE(nullptr, unknown);
    EXPECT_EQ(SETTING_RAW_UINT16, unknown->rawType);
    EXPECT_STREQ("%.2f", unknown->format.GetString());
    EXPECT_EQ(nullptr, unknown->formatter);
}

TEST(SettingsStoreArchive, EmptyStoreLoadsAndStores)
{
    StoreBytes archive;
    archive.Int(1).Int(0);
    CStorageVarnixConfig store(255);
    ASSERT_TRUE(LoadFromBytes(store, archive.bytes));
    EXPECT_EQ(0, store.GetRowCount());
    EXPECT_EQ(archive.bytes, StoreToBytes(store));
}

TEST(SettingsStoreArchive, AnotherStoreVersionLoadsNothing)
{
    StoreBytes archive;
    archive.Int(2).Int(1).Row(0xE000, "X", "", 1, "", 1.0, 0.0, 1);
    CStorageVarnixConfig store(255);
    int cause = 0;
    EXPECT_FALSE(LoadFromBytes(store, archive.bytes, &cause));
    EXPECT_EQ(-1, cause);
    EXPECT_EQ(39, store.GetRowCount());
    EXPECT_EQ(4780, store.GetRawValue(REG_REGULATION));
}

TEST(SettingsStoreArchive, DamagedArchivesThrowAndKeepTheCurrentRows)
{
    struct Case
    {
        const char* name;
        Bytes bytes;
        int expectedCause;
    };
    StoreBytes badRowVersion;
    badRowVersion.Int(1).Int(2).Row(0xE000, "A", "", 1, "", 1.0, 0.0, 1)
        .Row(0xE001, "B", "", 1, "", 1.0, 0.0, 1, 2);
    StoreBytes negativeCount;
    negativeCount.Int(1).Int(-3);
    StoreBytes truncated;
    truncated.Int(1).Int(2).Row(0xE000, "A", "", 1, "", 1.0, 0.0, 1);
    Bytes cutInRow = truncated.bytes;
    cutInRow.resize(cutInRow.size() - 3);
    StoreBytes hugeCount;
    hugeCount.Int(1).Int(0x7FFFFFFF).Row(0xE000, "A", "", 1, "", 1.0, 0.0, 1);

    const Case cases[] = {
        {"row of another version", badRowVersion.bytes, CArchiveException::badSchema},
        {"negative row count", negativeCount.bytes, CArchiveException::badSchema},
        {"fewer rows than counted", truncated.bytes, CArchiveException::endOfFile},
        {"row cut short", cutInRow, CArchiveException::endOfFile},
        {"absurd row count", hugeCount.bytes, CArchiveException::endOfFile},
        {"count missing", StoreBytes().Int(1).bytes, CArchiveException::endOfFile},
    };
    for (const Case& c : cases)
    {
        CStorageVarnixConfig store(255);
        ASSERT_TRUE(store.SetValue(REG_REGULATION, 14.4));
        int cause = 0;
        CString fileName;
        EXPECT_FALSE(LoadFromBytes(store, c.bytes, &cause, &fileName)) << c.name;
        EXPECT_EQ(c.expectedCause, cause) << c.name;
        if (c.expectedCause == CArchiveException::badSchema)
        {
            EXPECT_STREQ("settings.qvarnix", fileName.GetString()) << c.name;
        }
        EXPECT_EQ(39, store.GetRowCount()) << c.name;
        EXPECT_EQ(4881, store.GetRawValue(REG_REGULATION)) << c.name;
    }
}

}  // namespace
