#include "displays/CDocumentDisplay.h"
#include "documents/CPlotItemSimpleValue.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/CStorageTick.h"
#include "framework/CArchive.h"
#include "framework/CArchiveException.h"

#include <gtest/gtest.h>

#include "tests/support/ArchiveBytes.h"
#include "tests/support/MessageCollector.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace
{
using testing_support::Bytes;

Bytes Int32(int value) { return testing_support::Int32Bytes(value); }
Bytes ShortText(const std::string& text) { return testing_support::ShortTextBytes(text); }
Bytes Concat(std::initializer_list<Bytes> parts) { return testing_support::ConcatBytes(parts); }

// A display whose acceptance answers and view window the test sets.
class TestDisplay : public CDocumentDisplay
{
public:
    bool AcceptsDevice() override { return acceptsDevice; }
    bool AcceptsVariable() override { return acceptsVariable; }
    bool AcceptsLogFile() override { return acceptsLogFile; }
    int GetPropertyPageCount() override { return pageCount; }
    void SetViewWindow(HWND window) { m_viewWindow = window; }

    bool acceptsDevice = true;
    bool acceptsVariable = true;
    bool acceptsLogFile = false;
    int pageCount = 0;
};

CTreeItemPtr DeviceVariable(int deviceId, int variableId, const char* name, const char* units = "V")
{
    return CTreeItemPtr(new CTreeItem(name, units, STORAGE_TYPE_SIMPLE_VALUE, variableId, deviceId, name));
}

CTreeItemPtr LogColumn(int logFileId, int column, const char* name)
{
    return CTreeItemPtr(new CTreeItem(name, "", PLOT_ITEM_TYPE_LOG_COLUMN, column, logFileId, ""));
}

// A whole device as the device tree hands it over: its variables are its plot items.
CTreeItemPtr WholeDevice(int deviceId, std::initializer_list<CTreeItemPtr> variables)
{
    CTreeItemPtr device(new CTreeItem("Varnix", "", PLOT_ID_NONE, PLOT_ID_NONE, deviceId, ""));
    for (const CTreeItemPtr& variable : variables)
        device->GetPlotItems().push_back(variable);
    return device;
}

std::vector<int> Indices(CDocumentDisplay& display)
{
    std::vector<int> indices;
    for (size_t position = 0; position < display.GetEntryCount(); ++position)
        indices.push_back(display.GetEntry(position).index);
    return indices;
}

// The index a value of each of the device's variables finds, -1 where it finds none.
std::vector<int> FoundIndices(CDocumentDisplay& display, int deviceId, std::initializer_list<int> variableIds)
{
    std::vector<int> found;
    for (int variableId : variableIds)
    {
        int index = -2;
        display.FindEnabledEntryIndex(CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, variableId, deviceId), index);
        found.push_back(index);
    }
    return found;
}

std::vector<std::string> Names(CDocumentDisplay& display)
{
    std::vector<std::string> names;
    for (size_t position = 0; position < display.GetEntryCount(); ++position)
        names.push_back(static_cast<const char*>(display.GetEntry(position).item->GetName()));
    return names;
}

CStoragePtr Refresh(int code, int id)
{
    return CStoragePtr(new CStorageRefreshEvent(code, id));
}
}  // namespace

// --- Adding and removing ------------------------------------------------------------

TEST(DisplayEntries, SameVariableTwiceIsAddedOnceAndAPartlyPresentDeviceAddsOnlyTheRest)
{
    TestDisplay display;
    const CTreeItemPtr voltage = DeviceVariable(2, 10, "Battery Voltage");
    const CTreeItemPtr current = DeviceVariable(2, 11, "Charge Current", "A");
    const CTreeItemPtr state = DeviceVariable(2, 12, "Charge State", "");

    display.AddVariable(*current);
    EXPECT_TRUE(display.IsModified());
    // A copy with the same ids and texts is the same variable.
    display.AddVariable(CTreeItem(*current));
    EXPECT_EQ(1u, display.GetEntryCount());
    EXPECT_FALSE(display.CanAddVariable(current.get()));

    display.AddVariable(*WholeDevice(2, {voltage, current, state}));
    EXPECT_EQ((std::vector<std::string>{"Charge Current", "Battery Voltage", "Charge State"}), Names(display));
    EXPECT_EQ((std::vector<int>{0, 1, 2}), Indices(display));
    for (size_t position = 0; position < display.GetEntryCount(); ++position)
    {
        EXPECT_TRUE(display.GetEntry(position).enabled);
        EXPECT_EQ(0, display.GetEntry(position).spare);
    }

    // Same ids but other units: the duplicate test wants the texts equal too. Values go to
    // the first of them.
    display.AddVariable(*DeviceVariable(2, 10, "Battery Voltage", "mV"));
    EXPECT_EQ(4u, display.GetEntryCount());
    EXPECT_EQ((std::vector<int>{1, 0, 2}), FoundIndices(display, 2, {10, 11, 12}));
}

TEST(DisplayEntries, ARemovedIndexIsGivenToTheNextVariable)
{
    TestDisplay display;
    std::vector<CTreeItemPtr> items;
    for (int variable = 0; variable < 5; ++variable)
    {
        items.push_back(DeviceVariable(4, 100 + variable, ("value " + std::to_string(variable)).c_str()));
        display.AddVariable(*items.back());
    }
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Indices(display));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), FoundIndices(display, 4, {100, 101, 102, 103, 104}));

    EXPECT_TRUE(display.RemoveVariable(*items[2]));
    EXPECT_FALSE(display.RemoveVariable(*items[2]));
    // Matched by ids, name and units: a renamed copy is another variable.
    EXPECT_FALSE(display.RemoveVariable(*DeviceVariable(4, 103, "renamed")));
    EXPECT_EQ((std::vector<int>{0, 1, 3, 4}), Indices(display));

    display.AddVariable(*DeviceVariable(4, 200, "new value"));
    EXPECT_EQ((std::vector<int>{0, 1, 3, 4, 2}), Indices(display));
    display.AddVariable(*DeviceVariable(4, 201, "newer value"));
    EXPECT_EQ(5, display.GetEntry(5).index);
    // Values find their entries after the removal and the additions.
    EXPECT_EQ((std::vector<int>{0, 1, -1, 3, 4, 2, 5}), FoundIndices(display, 4, {100, 101, 102, 103, 104, 200, 201}));
    EXPECT_TRUE(display.RemoveVariable(*items[0]));
    EXPECT_EQ((std::vector<int>{-1, 1, 3, 2}), FoundIndices(display, 4, {100, 101, 103, 200}));
}

TEST(DisplayEntries, AcceptanceDependsOnTheKindOfItem)
{
    TestDisplay display;
    EXPECT_FALSE(display.CanAddVariable(nullptr));
    // An item that names no document and no variable.
    EXPECT_FALSE(display.CanAddVariable(CTreeItemPtr(new CTreeItem()).get()));

    const CTreeItemPtr device = WholeDevice(3, {DeviceVariable(3, 1, "Hourmeter", "h")});
    EXPECT_TRUE(display.CanAddVariable(device.get()));
    display.acceptsDevice = false;
    EXPECT_FALSE(display.CanAddVariable(device.get()));
    display.AddVariable(*device);
    EXPECT_EQ(0u, display.GetEntryCount());

    // A whole log file: refused by the base, its columns added when accepted.
    CTreeItemPtr logFile(new CTreeItem("day.csv", "", PLOT_ITEM_TYPE_LOG_COLUMN, PLOT_ID_NONE, 1, ""));
    logFile->GetPlotItems().push_back(LogColumn(1, 0, "Battery Voltage"));
    logFile->GetPlotItems().push_back(LogColumn(1, 1, "Load Current"));
    EXPECT_FALSE(display.CanAddVariable(logFile.get()));
    display.acceptsLogFile = true;
    display.AddVariable(*logFile);
    EXPECT_EQ((std::vector<std::string>{"Battery Voltage", "Load Current"}), Names(display));

    // The children go through the same test: a display that takes no variables adds none.
    TestDisplay refusing;
    refusing.acceptsVariable = false;
    EXPECT_FALSE(refusing.CanAddVariable(DeviceVariable(3, 1, "Hourmeter", "h").get()));
    refusing.AddVariable(*WholeDevice(3, {DeviceVariable(3, 1, "Hourmeter", "h")}));
    EXPECT_EQ(0u, refusing.GetEntryCount());
}

TEST(DisplayEntries, OnlyAnEnabledEntryRoutesValues)
{
    TestDisplay display;
    display.AddVariable(*DeviceVariable(2, 10, "Battery Voltage"));
    display.AddVariable(*DeviceVariable(2, 11, "Charge Current", "A"));
    display.AddVariable(*DeviceVariable(5, 11, "Charge Current", "A"));

    int index = 99;
    EXPECT_TRUE(display.FindEnabledEntryIndex(CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, 11, 5), index));
    EXPECT_EQ(2, index);
    EXPECT_FALSE(display.FindEnabledEntryIndex(CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, 11, 6), index));
    EXPECT_EQ(-1, index);

    {
        LockedDisplayEntries_t locked = display.LockEntries();
        (*locked.first)[1].enabled = false;
    }
    index = 99;
    EXPECT_FALSE(display.FindEnabledEntryIndex(CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, 11, 2), index));
    EXPECT_EQ(-1, index);
}

TEST(DisplayEntries, LockedEntriesHoldOtherThreadsOffUntilTheLastHolderGoes)
{
    TestDisplay display;
    display.AddVariable(*DeviceVariable(2, 10, "Battery Voltage"));
    std::atomic<bool> counted(false);
    std::atomic<size_t> count(0);
    std::thread reader;
    {
        LockedDisplayEntries_t locked = display.LockEntries();
        LockedDisplayEntries_t copy = locked;
        locked = LockedDisplayEntries_t();
        reader = std::thread([&] {
            count = display.GetEntryCount();
            counted = true;
        });
        ::Sleep(200);
        EXPECT_FALSE(counted);
        copy.first->push_back(DisplayEntry_t());
    }
    reader.join();
    EXPECT_TRUE(counted);
    EXPECT_EQ(2u, count.load());
}

// --- Items from the dispatcher ------------------------------------------------------

class DisplayItems : public testing::Test
{
protected:
    void SetUp() override
    {
        display.SetViewWindow(collector.Window());
        display.AddVariable(*DeviceVariable(2, 10, "Battery Voltage"));
        display.AddVariable(*DeviceVariable(2, 11, "Charge Current", "A"));
        display.AddVariable(*DeviceVariable(3, 10, "Battery Voltage"));
        display.AddVariable(*LogColumn(2, 0, "Array Voltage"));
    }

    // The rebuild messages that arrived within a short pump.
    size_t Rebuilds()
    {
        collector.PumpFor(150);
        const size_t count = collector.Count(WM_APP_DISPLAY_REBUILD);
        collector.Clear();
        return count;
    }

    testing_support::MessageCollector collector;
    TestDisplay display;
};

TEST_F(DisplayItems, ARemovedDocumentDropsItsEntriesAndRebuildsOnceOnlyWhenItOwnedSome)
{
    EXPECT_FALSE(display.OnStorage(Refresh(REFRESH_DEVICE_REMOVED, 7)));
    EXPECT_FALSE(display.OnStorage(Refresh(REFRESH_LOG_FILE_REMOVED, 3)));
    EXPECT_EQ(0u, Rebuilds());
    EXPECT_EQ(4u, display.GetEntryCount());

    // Device 2's variables go; log file 2 is another document with the same number.
    EXPECT_FALSE(display.OnStorage(Refresh(REFRESH_DEVICE_REMOVED, 2)));
    EXPECT_EQ(1u, Rebuilds());
    EXPECT_EQ((std::vector<std::string>{"Battery Voltage", "Array Voltage"}), Names(display));
    EXPECT_EQ(3, display.GetEntry(0).item->GetDocumentId());

    EXPECT_FALSE(display.OnStorage(Refresh(REFRESH_LOG_FILE_REMOVED, 2)));
    EXPECT_EQ(1u, Rebuilds());
    EXPECT_EQ(std::vector<std::string>{"Battery Voltage"}, Names(display));

    // Without a view nothing is posted, but the entries still go.
    display.SetViewWindow(nullptr);
    display.OnStorage(Refresh(REFRESH_DEVICE_REMOVED, 3));
    display.OnStorage(Refresh(REFRESH_STATE_CHANGED, 3));
    EXPECT_EQ(0u, Rebuilds());
    EXPECT_EQ(0u, display.GetEntryCount());
}

TEST_F(DisplayItems, AStateChangeRebuildsAndOtherItemsAreLeftToTheDerivedDisplay)
{
    EXPECT_FALSE(display.OnStorage(Refresh(REFRESH_STATE_CHANGED, 2)));
    collector.PumpFor(150);
    ASSERT_EQ(1u, collector.Count(WM_APP_DISPLAY_REBUILD));
    EXPECT_EQ(0u, collector.Messages(WM_APP_DISPLAY_REBUILD)[0].wParam);
    EXPECT_EQ(0, collector.Messages(WM_APP_DISPLAY_REBUILD)[0].lParam);
    collector.Clear();

    EXPECT_FALSE(display.OnStorage(Refresh(REFRESH_LOG_RECORDS, 2)));
    EXPECT_FALSE(display.OnStorage(Refresh(REFRESH_CONNECTED, 2)));
    EXPECT_FALSE(display.OnStorage(CStoragePtr(new CStorageTick())));
    EXPECT_FALSE(display.OnStorage(
        CStoragePtr(new CPlotItemSimpleValue(2, 10, COleVariant(12.5), "Battery Voltage", "V"))));
    EXPECT_EQ(0u, Rebuilds());
    EXPECT_EQ(4u, display.GetEntryCount());
}

// --- Tree popup -----------------------------------------------------------------------

TEST(DisplayPopup, RenameComesFirstAndTheBaseEntriesFollowTheSeparator)
{
    TestDisplay display;
    CString text;
    bool enabled = false;
    bool checked = true;
    ASSERT_EQ(1, display.GetPopupMenuEntryCount());
    EXPECT_EQ(0, display.GetPopupMenuEntry(0, text, enabled, checked));
    EXPECT_STREQ("&Rename...", text);
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(checked);

    display.pageCount = 1;
    ASSERT_EQ(3, display.GetPopupMenuEntryCount());
    display.GetPopupMenuEntry(1, text, enabled, checked);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(2, display.GetPopupMenuEntry(2, text, enabled, checked));
    EXPECT_STREQ("Properties", text);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(1, display.OnPopupMenuCommand(1));
}

// --- Display archive -----------------------------------------------------------------

namespace
{
Bytes TreeItemBytes(int typeId, int variableId, int documentId, const char* name, const char* units,
                    const char* description)
{
    return Concat({Int32(2), Int32(1), Int32(typeId), Int32(variableId), Int32(documentId), ShortText(name),
                   ShortText(units), ShortText(description)});
}

Bytes DocumentExClassRecordBytes()
{
    // New class tag, the schema of a class that is not versioned, name length, name.
    return Concat({Bytes{0xFF, 0xFF, 0xFF, 0xFF, 11, 0}, Bytes{'C', 'D', 'o', 'c', 'u', 'm', 'e', 'n', 't', 'E', 'x'}});
}

void LoadDisplay(CDocumentDisplay& display, const Bytes& bytes)
{
    testing_support::LoadFromBytes(bytes, [&](CArchive& ar) {
        ar.m_strFileName = "panel.pxs";
        display.Serialize(ar);
    });
}

// The archive exception's cause and file name; cause -1 when none was thrown.
std::pair<int, std::string> LoadFailure(CDocumentDisplay& display, const Bytes& bytes)
{
    try
    {
        LoadDisplay(display, bytes);
    }
    catch (CArchiveException* error)
    {
        const std::pair<int, std::string> failure(error->m_cause, static_cast<const char*>(error->m_strFileName));
        error->Delete();
        return failure;
    }
    return std::make_pair(-1, std::string());
}
}  // namespace

TEST(DisplayArchive, StoresVersionEntriesAndTheDocumentPartTwice)
{
    TestDisplay display;
    display.SetTitle("Panel");
    display.SetUserName("Roof");
    display.AddVariable(*DeviceVariable(2, 10, "Battery Voltage"));
    display.AddVariable(*LogColumn(4, 3, "Load"));
    {
        LockedDisplayEntries_t locked = display.LockEntries();
        (*locked.first)[1].enabled = false;
        (*locked.first)[1].spare = 7;
        (*locked.first)[1].index = 9;
    }

    const Bytes bytes = testing_support::StoreToBytes([&](CArchive& ar) { display.Serialize(ar); });
    const Bytes documentPart = Concat({Int32(0), ShortText("Panel"), ShortText("Roof")});
    const Bytes expected = Concat({
        Int32(1), Int32(2),
        Int32(1), Int32(0), TreeItemBytes(0x10002, 10, 2, "Battery Voltage", "V", "Battery Voltage"), Int32(1), Int32(0),
        Int32(1), Int32(9), TreeItemBytes(0x30002, 3, 4, "Load", "", ""), Int32(0), Int32(7),
        DocumentExClassRecordBytes(), documentPart, documentPart});
    EXPECT_EQ(expected, bytes);
}

TEST(DisplayArchive, LoadingReplacesTheEntriesAndRenamesTheDocument)
{
    TestDisplay stored;
    stored.SetTitle("Panel");
    stored.SetUserName("Roof");
    const CTreeItemPtr voltage = DeviceVariable(2, 10, "Battery Voltage");
    voltage->SetAssociated(DeviceVariable(2, -1, "owner"));
    stored.AddVariable(*voltage);
    stored.AddVariable(*DeviceVariable(2, 11, "Charge Current", "A"));
    {
        LockedDisplayEntries_t locked = stored.LockEntries();
        (*locked.first)[0].enabled = false;
        (*locked.first)[0].spare = -3;
    }
    const Bytes bytes = testing_support::StoreToBytes([&](CArchive& ar) { stored.Serialize(ar); });

    TestDisplay loaded;
    loaded.AddVariable(*DeviceVariable(9, 1, "stale"));
    EXPECT_EQ((std::vector<int>{0}), FoundIndices(loaded, 9, {1}));
    loaded.SetModifiedFlag(TRUE);
    LoadDisplay(loaded, bytes);
    EXPECT_EQ((std::vector<std::string>{"Battery Voltage", "Charge Current"}), Names(loaded));
    EXPECT_EQ((std::vector<int>{0, 1}), Indices(loaded));
    EXPECT_FALSE(loaded.GetEntry(0).enabled);
    EXPECT_EQ(-3, loaded.GetEntry(0).spare);
    EXPECT_TRUE(loaded.GetEntry(1).enabled);
    EXPECT_FALSE(loaded.GetEntry(0).item->GetAssociated());
    EXPECT_EQ(CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, 11, 2), *loaded.GetEntry(1).item);
    // Values find the loaded entries, the enabled ones only, and none of the replaced.
    EXPECT_EQ((std::vector<int>{-1, 1}), FoundIndices(loaded, 2, {10, 11}));
    EXPECT_EQ((std::vector<int>{-1}), FoundIndices(loaded, 9, {1}));
    EXPECT_STREQ("Roof", loaded.GetName());
    EXPECT_STREQ("Roof", loaded.GetTitle());
    EXPECT_FALSE(loaded.IsModified());
}

TEST(DisplayArchive, AnEmptyListLoadsAndAnotherVersionOrAShortArchiveFails)
{
    TestDisplay display;
    display.AddVariable(*DeviceVariable(2, 10, "Battery Voltage"));
    const Bytes documentPart = Concat({Int32(0), ShortText("Panel"), ShortText("")});
    LoadDisplay(display, Concat({Int32(1), Int32(0), DocumentExClassRecordBytes(), documentPart, documentPart}));
    EXPECT_EQ(0u, display.GetEntryCount());
    EXPECT_STREQ("Panel", display.GetName());

    const auto badVersion = LoadFailure(display, Concat({Int32(2), Int32(0), DocumentExClassRecordBytes(),
                                                         documentPart, documentPart}));
    EXPECT_EQ(CArchiveException::badSchema, badVersion.first);
    EXPECT_EQ("panel.pxs", badVersion.second);

    display.AddVariable(*DeviceVariable(2, 10, "Battery Voltage"));
    display.AddVariable(*DeviceVariable(2, 11, "Charge Current", "A"));
    const Bytes whole = testing_support::StoreToBytes([&](CArchive& ar) { display.Serialize(ar); });
    for (size_t length = 0; length < whole.size(); ++length)
    {
        TestDisplay target;
        const auto failure = LoadFailure(target, Bytes(whole.begin(), whole.begin() + length));
        EXPECT_EQ(CArchiveException::endOfFile, failure.first) << "cut at " << length;
    }
    // A count far beyond the entries present ends at the end of the data, not in memory.
    TestDisplay target;
    const auto huge = LoadFailure(target, Concat({Int32(1), Int32(0x7FFFFFFF), Int32(1), Int32(0)}));
    EXPECT_EQ(CArchiveException::endOfFile, huge.first);
}
