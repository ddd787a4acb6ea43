// The State display's document: value texts per row and their merged update messages, removal
// by the user and by a removed device (the rows below move up with their values), the
// device column after the device or its owner item went, and the archive.
#include <gtest/gtest.h>

#include "tests/displays/DisplayFixtures.h"

#include "documents/CStorageRefreshEvent.h"
#include "documents/CStorageTick.h"
#include "framework/CArchive.h"
#include "tests/support/ArchiveBytes.h"

namespace
{
using namespace display_testing;

class StateDisplay : public DisplayTest
{
protected:
    StateDisplay() : state(MakeDisplay<CDisplayStateDoc>()) {}

    std::vector<std::string> Column(CString (CDisplayStateDoc::*text)(int))
    {
        std::vector<std::string> texts;
        for (int row = 0; row < static_cast<int>(state->GetEntryCount()); ++row)
            texts.push_back(static_cast<LPCTSTR>(((*state).*text)(row)));
        return texts;
    }

    boost::shared_ptr<Posting<CDisplayStateDoc>> state;
};

TEST_F(StateDisplay, ValuesLandInTheirRowsAndPostTheRow)
{
    const int varnix = AddDevice("Varnix MPPT");
    state->AddVariable(*Variable(varnix, 10, "Battery Voltage"));
    state->AddVariable(*Variable(varnix, 11, "Charge Current", "A"));
    state->AddVariable(*Variable(varnix, 12, "Heatsink", "C"));
    EXPECT_EQ(3u, Posted(WM_APP_DISPLAY_REBUILD).size());
    // A log-file column numbered like the device has no live values: refused, not shown
    // under the device's name.
    CTreeItem column("Battery Voltage", "V", PLOT_ITEM_TYPE_LOG_COLUMN, 10, varnix, "");
    EXPECT_FALSE(state->CanAddVariable(&column));
    state->AddVariable(column);
    EXPECT_EQ(3u, state->GetEntryCount());
    // Empty until the first value arrives.
    EXPECT_EQ((std::vector<std::string>{"", "", ""}), Column(&CDisplayStateDoc::GetValueText));

    ClearPosted();
    state->OnStorage(Value(varnix, 11, 4.25));
    state->OnStorage(Value(varnix, 10, 13.5));
    // Not in the display, a tick and another device's variable: silently dropped.
    state->OnStorage(Value(varnix, 99, 1.0));
    state->OnStorage(Value(varnix + 1, 10, 1.0));
    state->OnStorage(CStoragePtr(new CStorageTick()));
    EXPECT_EQ((std::vector<std::string>{"13.5000", "4.2500", ""}), Column(&CDisplayStateDoc::GetValueText));
    // One update for both, which the view takes as the changed rows; until it took them,
    // another change is not posted again, and a value that stayed the same is no change.
    EXPECT_EQ((std::vector<WPARAM>{DISPLAY_UPDATE_CHANGED_ROWS}), Posted(WM_APP_DISPLAY_UPDATE));
    state->OnStorage(Value(varnix, 12, 40.0));
    EXPECT_EQ(1u, Posted(WM_APP_DISPLAY_UPDATE).size());
    EXPECT_EQ((std::vector<int>{0, 1, 2}), state->TakeChangedRows());
    ClearPosted();
    state->OnStorage(Value(varnix, 10, 13.5));
    EXPECT_TRUE(Posted(WM_APP_DISPLAY_UPDATE).empty());
    EXPECT_TRUE(state->TakeChangedRows().empty());
    state->OnStorage(Value(varnix, 11, 4.5));
    EXPECT_EQ(1u, Posted(WM_APP_DISPLAY_UPDATE).size());
    EXPECT_EQ((std::vector<int>{1}), state->TakeChangedRows());

    EXPECT_EQ((std::vector<std::string>{"Varnix MPPT", "Varnix MPPT", "Varnix MPPT"}),
              Column(&CDisplayStateDoc::GetDeviceText));
    EXPECT_EQ((std::vector<std::string>{"Battery Voltage", "Charge Current", "Heatsink"}),
              Column(&CDisplayStateDoc::GetVariableText));
    EXPECT_EQ((std::vector<std::string>{"V", "A", "C"}), Column(&CDisplayStateDoc::GetUnitsText));
    EXPECT_EQ("about Heatsink", std::string(state->GetDescriptionText(2)));

    // Many values at once, of rows added meanwhile too: one update, whose changed rows the
    // view takes in order, each with its own value.
    for (int variable = 20; variable < 60; ++variable)
        state->AddVariable(*Variable(varnix, variable, "more"));
    ClearPosted();
    std::vector<int> rows;
    for (int variable = 59; variable >= 20; --variable)
        state->OnStorage(Value(varnix, variable, variable));
    state->OnStorage(Value(varnix, 10, 14.0));
    EXPECT_EQ(1u, Posted(WM_APP_DISPLAY_UPDATE).size());
    rows.push_back(0);
    for (int row = 3; row < 43; ++row)
        rows.push_back(row);
    EXPECT_EQ(rows, state->TakeChangedRows());
    EXPECT_EQ("14.0000", std::string(state->GetValueText(0)));
    EXPECT_EQ("20.0000", std::string(state->GetValueText(3)));
    EXPECT_EQ("59.0000", std::string(state->GetValueText(42)));

    // Without a view nothing is posted: a post to no window would land in the posting
    // thread's own queue (the dispatch thread's, in the program).
    state->SetViewWindow(nullptr);
    state->OnStorage(Value(varnix, 12, 30.0));
    state->AddVariable(*Variable(varnix, 13, "Load Current", "A"));
    MSG stray;
    EXPECT_FALSE(::PeekMessageA(&stray, reinterpret_cast<HWND>(-1), WM_APP_DISPLAY_REBUILD, WM_APP_DISPLAY_UPDATE,
                                PM_REMOVE));
    EXPECT_EQ("30.0000", std::string(state->GetValueText(2)));
    // Rows outside the list are empty.
    EXPECT_EQ(CString(), state->GetValueText(44));
    EXPECT_EQ(CString(), state->GetDeviceText(-1));
}

TEST_F(StateDisplay, RemovalMovesTheRowsBelowUpWithTheirValues)
{
    const int first = AddDevice("Varnix");
    const int second = AddDevice("Corandel Duo");
    const CTreeItemPtr a = Variable(first, 1, "a");
    const CTreeItemPtr b = Variable(first, 2, "b");
    const CTreeItemPtr c = Variable(first, 3, "c");
    for (const CTreeItemPtr& item : { a, b, c })
        state->AddVariable(*item);
    for (int variable = 1; variable <= 3; ++variable)
        state->OnStorage(Value(first, variable, variable * 10.0));

    EXPECT_TRUE(state->RemoveVariable(*b));
    EXPECT_FALSE(state->RemoveVariable(*b));
    EXPECT_EQ((std::vector<std::string>{"10.0000", "30.0000"}), Column(&CDisplayStateDoc::GetValueText));
    // The former row 2 takes its new row's values from now on.
    state->OnStorage(Value(first, 3, 33.0));
    EXPECT_EQ((std::vector<std::string>{"10.0000", "33.0000"}), Column(&CDisplayStateDoc::GetValueText));
    // The freed index is given to the next variable.
    state->AddVariable(*b);
    EXPECT_EQ(2, state->GetEntry(2).index);

    // A whole device dropped: its variables, one rebuild for the lot.
    CTreeItem wholeDevice("Corandel Duo", "", PLOT_ID_NONE, PLOT_ID_NONE, second, "");
    wholeDevice.GetPlotItems().push_back(Variable(second, 1, "x"));
    wholeDevice.GetPlotItems().push_back(Variable(second, 2, "y"));
    ClearPosted();
    state->AddVariable(wholeDevice);
    EXPECT_EQ(1u, Posted(WM_APP_DISPLAY_REBUILD).size());
    state->OnStorage(Value(second, 1, 1.5));
    state->OnStorage(Value(second, 2, 2.5));

    // A removed device takes its rows with it in one rebuild, and the other device's
    // values stay in their rows (the base's own erasing would leave them one row off).
    ClearPosted();
    state->OnStorage(Refresh(REFRESH_DEVICE_REMOVED, first));
    EXPECT_EQ((std::vector<std::string>{"x", "y"}), Column(&CDisplayStateDoc::GetVariableText));
    EXPECT_EQ((std::vector<std::string>{"1.5000", "2.5000"}), Column(&CDisplayStateDoc::GetValueText));
    EXPECT_EQ(1u, Posted(WM_APP_DISPLAY_REBUILD).size());
    // A device that owns no row: no rebuild.
    ClearPosted();
    state->OnStorage(Refresh(REFRESH_DEVICE_REMOVED, first));
    EXPECT_TRUE(Posted(WM_APP_DISPLAY_REBUILD).empty());
    state->OnStorage(Value(second, 2, 7.0));
    EXPECT_EQ("7.0000", std::string(state->GetValueText(1)));
    // A variable added now takes the next row, and every row still takes its values.
    state->AddVariable(*Variable(second, 3, "z"));
    state->OnStorage(Value(second, 3, 8.0));
    state->OnStorage(Value(second, 1, 9.0));
    EXPECT_EQ((std::vector<std::string>{"9.0000", "7.0000", "8.0000"}), Column(&CDisplayStateDoc::GetValueText));
    // A log file with the same id is another list: nothing of the device goes.
    state->OnStorage(Refresh(REFRESH_LOG_FILE_REMOVED, second));
    EXPECT_EQ(3u, state->GetEntryCount());
}

TEST_F(StateDisplay, DeviceColumnAfterTheDeviceWentAndTheArchive)
{
    const int device = AddDevice("Ostrel");
    CTreeItem loose = *Variable(device, 5, "Relay 1", "");
    loose.SetAssociated(CTreeItemPtr());
    state->AddVariable(loose);
    EXPECT_EQ("Ostrel", std::string(state->GetDeviceText(0)));
    // Without the device and without an owner item: the name it was shown with, not a crash.
    manager->RemoveDevice(manager->FindDeviceById(device));
    EXPECT_EQ("Ostrel", std::string(state->GetDeviceText(0)));

    state->OnStorage(Value(device, 5, 1.0));
    const testing_support::Bytes bytes = testing_support::StoreToBytes([&](CArchive& ar) { state->Serialize(ar); });
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(testing_support::Int32Bytes(1), testing_support::Bytes(bytes.begin(), bytes.begin() + 4));

    // Loaded: the same rows, and no values until they arrive.
    Posting<CDisplayStateDoc> loaded;
    loaded.SetDocumentManager(manager.get());
    testing_support::LoadFromBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    ASSERT_EQ(1u, loaded.GetEntryCount());
    EXPECT_EQ("Relay 1", std::string(loaded.GetVariableText(0)));
    EXPECT_EQ("", std::string(loaded.GetValueText(0)));
    loaded.OnStorage(Value(device, 5, 2.0));
    EXPECT_EQ("2.0000", std::string(loaded.GetValueText(0)));
}

TEST_F(StateDisplay, StoringNamesDevicesByTheIdsTheyGetWhenLoaded)
{
    // Devices 1 (the computer), 2 and 3; after 2 goes, the file holds 1 and 3, which a
    // load numbers 1 and 2.
    const int second = AddDevice("second");
    const int third = AddDevice("third");
    state->AddVariable(*Variable(third, 7, "volts"));
    manager->RemoveDevice(manager->FindDeviceById(second));
    state->OnStorage(Refresh(REFRESH_DEVICE_REMOVED, second));
    ASSERT_EQ(1u, state->GetEntryCount());

    std::map<int, int> idsWhenLoaded;
    int position = 0;
    for (const CDocumentDevicePtr& device : manager->GetDevices())
        idsWhenLoaded[device->GetId()] = ++position;
    state->SetStoredDeviceIds(&idsWhenLoaded);
    const testing_support::Bytes bytes = testing_support::StoreToBytes([&](CArchive& ar) { state->Serialize(ar); });
    state->SetStoredDeviceIds(nullptr);
    Posting<CDisplayStateDoc> loaded;
    loaded.SetDocumentManager(manager.get());
    testing_support::LoadFromBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    ASSERT_EQ(1u, loaded.GetEntryCount());
    EXPECT_EQ(2, loaded.GetEntry(0).item->GetDocumentId());
    // The display in memory keeps its own ids.
    EXPECT_EQ(third, state->GetEntry(0).item->GetDocumentId());

    // Entries of a device that is not there go after a load.
    manager->RemoveDevice(manager->FindDeviceById(third));
    const int renumbered = AddDevice("third again");
    ASSERT_EQ(2, renumbered);
    EXPECT_FALSE(loaded.DropEntriesOfMissingDocuments());
    EXPECT_EQ(1u, loaded.GetEntryCount());
    manager->RemoveDevice(manager->FindDeviceById(renumbered));
    EXPECT_TRUE(loaded.DropEntriesOfMissingDocuments());
    EXPECT_EQ(0u, loaded.GetEntryCount());
}
}  // namespace
