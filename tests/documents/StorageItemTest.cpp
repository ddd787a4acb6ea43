#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include "documents/CPlotItemSimpleValue.h"
#include "documents/CStorageGenericConfig1.h"
#include "documents/CStorageConnectionInfo.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/CStorageTick.h"
#include "documents/CStorageTime.h"

namespace {

// The hub's own events carry no value and no variable.
void ExpectEventWithoutValue(const CStoragePtr& item, DWORD type, int sourceId)
{
    EXPECT_EQ(type, item->GetType());
    EXPECT_EQ(sourceId, item->GetSourceId());
    EXPECT_EQ(1u, item->GetVariableId());
    COleVariant value = item->GetValue();
    EXPECT_EQ(VT_EMPTY, value.vt);
}

TEST(StorageItem, HubEventsHaveTheirTypeIdsAndNoValue)
{
    ExpectEventWithoutValue(CStoragePtr(new CStorageTick()), 0x80000000u, 255);
    ExpectEventWithoutValue(CStoragePtr(new CStorageTime()), 0x80000001u, 255);
    ExpectEventWithoutValue(CStoragePtr(new CStorageConnectionInfo(7, true)), 0x80000101u, 7);
    ExpectEventWithoutValue(CStoragePtr(new CStorageRefreshEvent(REFRESH_LOG_RECORDS, 12)), 0x80000200u, 255);
}

TEST(StorageItem, ConnectionInfoCarriesDeviceAndState)
{
    CStoragePtr connected(new CStorageConnectionInfo(3, true));
    CStoragePtr disconnected(new CStorageConnectionInfo(254, false));
    ASSERT_EQ(STORAGE_TYPE_CONNECTION_INFO, connected->GetType());
    EXPECT_TRUE(boost::static_pointer_cast<CStorageConnectionInfo>(connected)->IsConnected());
    EXPECT_FALSE(boost::static_pointer_cast<CStorageConnectionInfo>(disconnected)->IsConnected());
    EXPECT_EQ(254, disconnected->GetSourceId());
}

TEST(StorageItem, RefreshEventCarriesCodeAndId)
{
    CStoragePtr item(new CStorageRefreshEvent(REFRESH_DEVICE_LOG_DOWNLOADED, -1));
    ASSERT_EQ(STORAGE_TYPE_REFRESH_EVENT, item->GetType());
    const CStorageRefreshEvent& refresh = static_cast<const CStorageRefreshEvent&>(*item);
    EXPECT_EQ(10, refresh.GetCode());
    EXPECT_EQ(-1, refresh.GetId());
}

TEST(StorageItem, RefreshCodesHaveTheirNumbers)
{
    const int codes[] = { REFRESH_WORKSPACE_LOADED, REFRESH_DEVICE_REMOVED, REFRESH_STATE_CHANGED,
                          REFRESH_LOG_FILE_REMOVED, REFRESH_LOG_RECORDS, REFRESH_CONNECTED,
                          REFRESH_DISCONNECTED, REFRESH_OPEN_DEVICE_LOG, REFRESH_DEVICE_LOG_DOWNLOADED };
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(i + 2, codes[i]);
}

TEST(StorageItem, SimpleValueCarriesVariableValueNameAndUnits)
{
    COleVariant voltage(13.75f);
    CStoragePtr item(new CPlotItemSimpleValue(4, 17, voltage, "Battery Voltage", "V"));
    EXPECT_EQ(0x10002u, item->GetType());
    EXPECT_EQ(17u, item->GetVariableId());
    EXPECT_EQ(4, item->GetSourceId());
    COleVariant value = item->GetValue();
    ASSERT_EQ(VT_R4, value.vt);
    EXPECT_FLOAT_EQ(13.75f, value.fltVal);

    boost::shared_ptr<CPlotItemSimpleValue> simple = boost::static_pointer_cast<CPlotItemSimpleValue>(item);
    EXPECT_STREQ("Battery Voltage", (LPCTSTR)simple->GetName());
    EXPECT_STREQ("V", (LPCTSTR)simple->GetUnits());
}

TEST(StorageItem, SimpleValueOwnsItsCopyOfTextValue)
{
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"Float");
    CStoragePtr item(new CPlotItemSimpleValue(2, 5, text, "Charge State", ""));
    // The producer's variant dies first; the item must still hold its own text.
    VariantClear(&text);

    COleVariant first = item->GetValue();
    COleVariant second = item->GetValue();
    ASSERT_EQ(VT_BSTR, first.vt);
    EXPECT_STREQ(L"Float", first.bstrVal);
    // Each reader gets its own copy, so one reader cannot disturb another.
    EXPECT_NE(first.bstrVal, second.bstrVal);
    first.Clear();
    COleVariant third = item->GetValue();
    ASSERT_EQ(VT_BSTR, third.vt);
    EXPECT_STREQ(L"Float", third.bstrVal);
}

TEST(StorageItem, SimpleValueKeepsIntegerAndNegativeIds)
{
    CStoragePtr item(new CPlotItemSimpleValue(1, -1, COleVariant(-42L), "Offset", "mA"));
    COleVariant value = item->GetValue();
    ASSERT_EQ(VT_I4, value.vt);
    EXPECT_EQ(-42, value.lVal);
    EXPECT_EQ(0xFFFFFFFFu, item->GetVariableId());
}

TEST(StorageItem, LivesWhileAnyHolderKeepsIt)
{
    CStoragePtr first(new CPlotItemSimpleValue(1, 2, COleVariant(1L), "A", "B"));
    CStoragePtr second = first;
    EXPECT_EQ(2, first.use_count());
    first.reset();
    EXPECT_EQ(1, second.use_count());
    EXPECT_EQ(STORAGE_TYPE_SIMPLE_VALUE, second->GetType());
}

SettingRow_t Row(UINT32 registerAddress, INT32 rawType, INT32 raw)
{
    SettingRow_t row;
    row.registerAddress = registerAddress;
    row.rawType = rawType;
    row.raw = raw;
    return row;
}

// Entries at 0xE000 (INT8), 0xE001 (UINT16), 0xE002 (UINT8) and a second 0xE001.
boost::shared_ptr<CStorageGenericConfig1> MakeConfig()
{
    boost::shared_ptr<CStorageGenericConfig1> config(new CStorageGenericConfig1(6));
    config->AddEntry(Row(0xE000, SETTING_RAW_INT8, 10));
    config->AddEntry(Row(0xE001, SETTING_RAW_UINT16, 20));
    config->AddEntry(Row(0xE002, SETTING_RAW_UINT8, 30));
    config->AddEntry(Row(0xE001, SETTING_RAW_UINT16, 40));
    return config;
}

TEST(GenericConfig, IsAConfigItemOfItsDevice)
{
    CStoragePtr item = MakeConfig();
    EXPECT_EQ(0x20001u, item->GetType());
    EXPECT_EQ(6, item->GetSourceId());
    EXPECT_EQ(1u, item->GetVariableId());
    EXPECT_EQ(VT_EMPTY, item->GetValue().vt);
}

TEST(GenericConfig, FindsTheFirstEntryOfARegister)
{
    boost::shared_ptr<CStorageGenericConfig1> config = MakeConfig();
    EXPECT_EQ(4, config->GetEntryCount());
    EXPECT_EQ(1, config->FindEntryIndex(0xE001));
    ASSERT_NE(nullptr, config->FindEntry(0xE001));
    EXPECT_EQ(20, config->FindEntry(0xE001)->raw);
    ASSERT_NE(nullptr, config->FindEntryConst(0xE002));
    EXPECT_EQ(30, config->FindEntryConst(0xE002)->raw);
}

TEST(GenericConfig, UnknownRegistersAndIndexesOutOfRangeGiveNothing)
{
    boost::shared_ptr<CStorageGenericConfig1> config = MakeConfig();
    EXPECT_EQ(4, config->FindEntryIndex(0xE0FF));
    EXPECT_EQ(nullptr, config->FindEntry(0xE0FF));
    EXPECT_EQ(nullptr, config->FindEntryConst(0xE0FF));
    EXPECT_EQ(nullptr, config->GetEntry(4));
    EXPECT_EQ(nullptr, config->GetEntry(-1));
    EXPECT_EQ(nullptr, config->GetEntryConst(4));
    EXPECT_EQ(nullptr, config->GetEntryConst(-1));
    EXPECT_EQ(-1, config->GetEntryValue(4));
    EXPECT_EQ(-1, config->GetEntryValue(-1));
    EXPECT_FALSE(config->SetEntryValue(4, 5));
    EXPECT_FALSE(config->SetEntryValue(-1, 5));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ((i + 1) * 10, config->GetEntryValue(i)) << "entry " << i << " unchanged";
}

TEST(GenericConfig, Int8EntriesKeepTheSignExtendedLowByte)
{
    boost::shared_ptr<CStorageGenericConfig1> config = MakeConfig();
    EXPECT_TRUE(config->SetEntryValue(0, 0x1FF));
    EXPECT_EQ(-1, config->GetEntryValue(0));
    EXPECT_TRUE(config->SetEntryValue(0, 0x17F));
    EXPECT_EQ(127, config->GetEntryValue(0));
    EXPECT_TRUE(config->SetEntryValue(0, 0x80));
    EXPECT_EQ(-128, config->GetEntryValue(0));

    EXPECT_TRUE(config->SetEntryValue(1, 0x1FF));
    EXPECT_EQ(0x1FF, config->GetEntryValue(1));
    EXPECT_TRUE(config->SetEntryValue(2, 0x1FF));
    EXPECT_EQ(0x1FF, config->GetEntryValue(2)) << "only INT8 entries are cut";
    EXPECT_EQ(0x1FF, config->GetEntry(1)->raw);
}

} // namespace
