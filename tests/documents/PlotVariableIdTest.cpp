#include "documents/CPlotVariableId.h"
#include "documents/CTreeItem.h"
#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CMemFile.h"

#include <gtest/gtest.h>

#include "tests/support/ArchiveBytes.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace
{
using testing_support::Bytes;

// Short local names for the archive byte helpers.
Bytes Store(const std::function<void(CArchive&)>& write) { return testing_support::StoreToBytes(write); }
void Load(const Bytes& bytes, const std::function<void(CArchive&)>& read) { testing_support::LoadFromBytes(bytes, read); }
Bytes Int32(int value) { return testing_support::Int32Bytes(value); }
Bytes ShortText(const std::string& text) { return testing_support::ShortTextBytes(text); }
Bytes Concat(std::initializer_list<Bytes> parts) { return testing_support::ConcatBytes(parts); }
}

// --- CPlotVariableId -------------------------------------------------------------

TEST(PlotVariableId, DefaultNamesNothing)
{
    CPlotVariableId id;
    EXPECT_EQ(-1, id.GetItemTypeId());
    EXPECT_EQ(-1, id.GetVariableId());
    EXPECT_EQ(-1, id.GetDocumentId());
}

TEST(PlotVariableId, StoresSchemaOneAndThreeInt32)
{
    CPlotVariableId id(0x10002, 17, -1);
    const Bytes bytes = Store([&](CArchive& ar) { id.Serialize(ar); });
    EXPECT_EQ(Concat({Int32(1), Int32(0x10002), Int32(17), Int32(-1)}), bytes);
}

TEST(PlotVariableId, LoadIgnoresTheSchemaNumber)
{
    CPlotVariableId id;
    Load(Concat({Int32(99), Int32(0x30002), Int32(4), Int32(7)}), [&](CArchive& ar) { id.Serialize(ar); });
    EXPECT_EQ(CPlotVariableId(0x30002, 4, 7), id);
}

TEST(PlotVariableId, TruncatedArchiveThrowsEndOfFile)
{
    CPlotVariableId id(1, 2, 3);
    int cause = -1;
    try
    {
        Load(Concat({Int32(1), Int32(0x10002), Int32(4)}), [&](CArchive& ar) { id.Serialize(ar); });
    }
    catch (CArchiveException* e)
    {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(CArchiveException::endOfFile, cause);
}

TEST(PlotVariableId, EqualityNeedsAllThreeIds)
{
    const CPlotVariableId id(0x10002, 5, 2);
    EXPECT_TRUE(id == CPlotVariableId(0x10002, 5, 2));
    EXPECT_FALSE(id != CPlotVariableId(0x10002, 5, 2));
    EXPECT_NE(id, CPlotVariableId(0x30002, 5, 2));
    EXPECT_NE(id, CPlotVariableId(0x10002, 6, 2));
    EXPECT_NE(id, CPlotVariableId(0x10002, 5, 3));
}

TEST(PlotVariableId, OrderIsStrictByTypeThenVariableThenDocument)
{
    const CPlotVariableId low(-1, 100, 100);
    const CPlotVariableId mid(0x10002, -1, 100);
    const CPlotVariableId high(0x10002, 3, 1);
    const CPlotVariableId highest(0x10002, 3, 2);
    EXPECT_TRUE(low < mid);
    EXPECT_TRUE(mid < high);
    EXPECT_TRUE(high < highest);
    EXPECT_FALSE(highest < high);
    EXPECT_FALSE(high < high);

    // As a map key: equal identifiers meet in one entry.
    std::map<CPlotVariableId, int> byId;
    byId[high] = 1;
    byId[CPlotVariableId(0x10002, 3, 1)] = 2;
    byId[highest] = 3;
    ASSERT_EQ(2u, byId.size());
    EXPECT_EQ(2, byId[high]);
}

// --- CTreeItem -------------------------------------------------------------------

TEST(TreeItem, ConstructorsSetIdsAndTexts)
{
    CTreeItem bare(-1, -1, 4);
    EXPECT_EQ(CPlotVariableId(-1, -1, 4), bare);
    EXPECT_TRUE(bare.GetName().IsEmpty());
    EXPECT_TRUE(bare.GetPlotItems().empty());
    EXPECT_FALSE(bare.GetAssociated());

    CTreeItem full("Battery Voltage", "V", 0x10002, 3, 2, "battery terminal voltage");
    EXPECT_EQ(CPlotVariableId(0x10002, 3, 2), full);
    EXPECT_STREQ("Battery Voltage", full.GetName());
    EXPECT_STREQ("V", full.GetUnits());
    EXPECT_STREQ("battery terminal voltage", full.GetDescription());
}

TEST(TreeItem, StoresSchemaTwoIdentifierAndTexts)
{
    CTreeItem item("Vb", "V", 0x10002, 3, 2, "battery");
    const Bytes bytes = Store([&](CArchive& ar) { item.Serialize(ar); });
    EXPECT_EQ(Concat({Int32(2), Int32(1), Int32(0x10002), Int32(3), Int32(2), ShortText("Vb"), ShortText("V"),
                      ShortText("battery")}),
              bytes);
}

TEST(TreeItem, RoundTripKeepsIdsAndTexts)
{
    CTreeItem item("Load Current", "A", 0x30002, 12, 9, "");
    CTreeItem loaded;
    Load(Store([&](CArchive& ar) { item.Serialize(ar); }), [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(CPlotVariableId(0x30002, 12, 9), loaded);
    EXPECT_STREQ("Load Current", loaded.GetName());
    EXPECT_STREQ("A", loaded.GetUnits());
    // An empty description stays empty under schema 2.
    EXPECT_STREQ("", loaded.GetDescription());
}

TEST(TreeItem, SchemaOneLoadTakesTheNameAsDescription)
{
    const Bytes schemaOne = Concat({Int32(1), Int32(1), Int32(0x10002), Int32(8), Int32(1), ShortText("Heatsink"),
                                    ShortText("C"), Int32(0x55)});
    CTreeItem loaded("old", "old", 0, 0, 0, "old description");
    int trailing = 0;
    Load(schemaOne, [&](CArchive& ar) {
        loaded.Serialize(ar);
        ar >> trailing;   // the next field must not have been eaten as a description
    });
    EXPECT_EQ(CPlotVariableId(0x10002, 8, 1), loaded);
    EXPECT_STREQ("Heatsink", loaded.GetDescription());
    EXPECT_EQ(0x55, trailing);
}

TEST(TreeItem, LoadEmptiesPlotItemsAndAssociated)
{
    CTreeItem loaded(-1, -1, 1);
    loaded.GetPlotItems().push_back(CTreeItemPtr(new CTreeItem(0x10002, 1, 1)));
    loaded.SetAssociated(CTreeItemPtr(new CTreeItem(-1, -1, 1)));
    CTreeItem source("Device", "", -1, -1, 2, "");
    Load(Store([&](CArchive& ar) { source.Serialize(ar); }), [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_TRUE(loaded.GetPlotItems().empty());
    EXPECT_FALSE(loaded.GetAssociated());
    EXPECT_EQ(2, loaded.GetDocumentId());
}

TEST(TreeItem, AssignmentCopiesEverythingAndReplacesPlotItems)
{
    CTreeItem source("Device", "", -1, -1, 2, "a device");
    const CTreeItemPtr owner(new CTreeItem(-1, -1, 1));
    const CTreeItemPtr first(new CTreeItem(0x10002, 1, 2));
    const CTreeItemPtr second(new CTreeItem(0x10002, 2, 2));
    source.SetAssociated(owner);
    source.GetPlotItems().push_back(first);
    source.GetPlotItems().push_back(second);

    CTreeItem target("other", "x", 0x30002, 5, 5, "y");
    target.GetPlotItems().push_back(CTreeItemPtr(new CTreeItem(0x30002, 9, 5)));
    target = source;

    EXPECT_EQ(CPlotVariableId(-1, -1, 2), target);
    EXPECT_STREQ("Device", target.GetName());
    EXPECT_STREQ("", target.GetUnits());
    EXPECT_STREQ("a device", target.GetDescription());
    EXPECT_EQ(owner, target.GetAssociated());
    ASSERT_EQ(2u, target.GetPlotItems().size());
    EXPECT_EQ(first, target.GetPlotItems()[0]);
    EXPECT_EQ(second, target.GetPlotItems()[1]);

    const CTreeItem copy(source);
    EXPECT_EQ(owner, copy.GetAssociated());
    EXPECT_EQ(2u, copy.GetPlotItems().size());
}

TEST(TreeItem, SelfAssignmentChangesNothing)
{
    CTreeItem item("Vb", "V", 0x10002, 3, 2, "battery");
    const CTreeItemPtr child(new CTreeItem(0x10002, 4, 2));
    item.GetPlotItems().push_back(child);
    CTreeItem& alias = item;
    item = alias;
    EXPECT_STREQ("Vb", item.GetName());
    ASSERT_EQ(1u, item.GetPlotItems().size());
    EXPECT_EQ(child, item.GetPlotItems()[0]);
}

TEST(TreeItem, GettersReturnCopies)
{
    CTreeItem item("Vb", "V", 0x10002, 3, 2, "battery");
    CString name = item.GetName();
    name = "changed";
    EXPECT_STREQ("Vb", item.GetName());
}
