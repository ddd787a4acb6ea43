// The document manager: ids and their limits, finds, removal with its refresh items,
// tree entries, dispatching on the real dispatcher (a device's poll cycles to several
// displays, one removed meanwhile), CloseAll and Reset.
#include <gtest/gtest.h>

#include "tests/documents/HubRecorders.h"
#include "tests/support/MessageCollector.h"
#include "tests/support/TestPaths.h"

#include "documents/CConnectionGeneric1.h"
#include "documents/CConnectionModbusLocal.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentDevicePC.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/CPlotItemSimpleValue.h"
#include "documents/CStorageTime.h"
#include "documents/VariantHelpers.h"

#include <algorithm>
#include <fstream>
#include <thread>

using namespace hub_test;

namespace {

CDocumentDevicePtr NewDevice()
{
    return CDocumentDevicePtr(new CDocumentDevice());
}

CDocumentDevicePtr DeviceAt(bool network, const std::string& host, int port, int unitId)
{
    CDocumentDevicePtr device = NewDevice();
    auto connection = boost::make_shared<CConnectionModbusLocal>(device.get());
    connection->SetSerial(!network);
    connection->SetHost(host);
    connection->SetComPort(port);
    connection->SetTcpPort(port);
    connection->SetUnitId(unitId);
    device->SetConnection(connection);
    return device;
}

ModbusEndpoint_t Endpoint(bool network, const std::string& host, int port, int unitId)
{
    ModbusEndpoint_t endpoint;
    endpoint.network = network;
    endpoint.host = host;
    endpoint.port = port;
    endpoint.unitId = unitId;
    return endpoint;
}

// An empty log file in its own folder under the build tree, opened as a document.
CDocumentLogFilePtr OpenLogFile(const std::string& folder)
{
    const std::string windowsFolder = testing_support::BuildPath("tests/documents/manager-" + folder);
    testing_support::EnsureDirectory(windowsFolder);
    const std::string path = windowsFolder + "\\readings.csv";
    std::ofstream(path.c_str()).close();
    CDocumentLogFilePtr logFile(new CDocumentLogFile());
    logFile->OpenLogFile(std::wstring(path.begin(), path.end()));
    return logFile;
}

// A display that neither removes itself when closed nor switches off the deletion that
// the display base switches on.
class CarelessDisplay : public RecordingDisplay
{
public:
    explicit CarelessDisplay(int& destroyed) : m_destroyed(destroyed) {}
    ~CarelessDisplay() override { ++m_destroyed; }
    void OnCloseDocument() override
    {
        ++closes;
        CDocumentEx::OnCloseDocument();
    }
    int closes = 0;

private:
    int& m_destroyed;
};

class ThrowingDevice : public CDocumentDevice
{
public:
    bool OnStorage(const CStoragePtr&) override { throw std::runtime_error("handler failed"); }
};

class StoppedManagerTest : public ::testing::Test
{
protected:
    StoppedManagerTest() { manager.GetDispatcher().Shutdown(); }
    std::vector<std::string> Queued() { return Describe(Drain(manager.GetDispatcher().GetFirstQueue())); }
    CDocumentManager manager;
};

} // namespace

TEST_F(StoppedManagerTest, FreshManagerHoldsOnlyTheUnlistedComputer)
{
    const DeviceList_t devices = manager.GetDevices();
    ASSERT_EQ(1u, devices.size());
    EXPECT_EQ(1, devices[0]->GetId());
    EXPECT_TRUE(boost::dynamic_pointer_cast<CDocumentDevicePC>(manager.FindDeviceById(1)));
    EXPECT_EQ(&manager, devices[0]->GetDocumentManager());
    CTreeItemList items;
    manager.GetDeviceTreeItems(items);
    EXPECT_TRUE(items.empty());
}

TEST_F(StoppedManagerTest, IdsRunOutAt255AndFreedIdsAreGivenAgain)
{
    for (int expected = 2; expected <= 255; ++expected)
        ASSERT_EQ(expected, manager.AddDevice(NewDevice()));
    CDocumentDevicePtr extra = NewDevice();
    EXPECT_EQ(-1, manager.AddDevice(extra));
    EXPECT_EQ(255u, manager.GetDevices().size());
    EXPECT_EQ(-1, extra->GetId());

    EXPECT_TRUE(manager.RemoveDevice(manager.FindDeviceById(3)));
    EXPECT_FALSE(manager.FindDeviceById(3));
    EXPECT_EQ(3, manager.AddDevice(extra));
    EXPECT_EQ(extra, manager.FindDeviceById(3));
    // Removing a device that is not listed still tells everyone.
    CDocumentDevicePtr stranger = NewDevice();
    stranger->SetId(300);
    EXPECT_FALSE(manager.RemoveDevice(stranger));
    EXPECT_EQ(255u, manager.GetDevices().size());
    EXPECT_EQ((std::vector<std::string>{"refresh:3:3", "refresh:3:300"}), Queued());

    // Each list counts its own ids.
    EXPECT_EQ(1, manager.AddDisplay(boost::make_shared<RecordingDisplay>()));
    EXPECT_EQ(1, manager.AddLogFile(boost::make_shared<CDocumentLogFile>()));
    EXPECT_EQ(2, manager.AddDisplay(boost::make_shared<RecordingDisplay>()));
}

TEST_F(StoppedManagerTest, FindsDevicesByEndpointOrIdentityAndLogFilesBySource)
{
    CDocumentDevicePtr serial = DeviceAt(false, "ignored", 3, 1);
    CDocumentDevicePtr network = DeviceAt(true, "Ctrl", 502, 1);
    CDocumentDevicePtr wireless = NewDevice();
    wireless->SetConnection(boost::make_shared<FakeConnection>());
    manager.AddDevice(wireless);
    manager.AddDevice(serial);
    manager.AddDevice(network);

    EXPECT_EQ(serial, manager.FindDeviceByEndpoint(Endpoint(false, "other", 3, 1)));
    EXPECT_FALSE(manager.FindDeviceByEndpoint(Endpoint(false, "", 3, 2)));
    EXPECT_FALSE(manager.FindDeviceByEndpoint(Endpoint(true, "", 3, 1)));
    EXPECT_EQ(network, manager.FindDeviceByEndpoint(Endpoint(true, "Ctrl", 502, 1)));
    EXPECT_FALSE(manager.FindDeviceByEndpoint(Endpoint(true, "ctrl", 502, 1)));

    // The same device over another link: a connected one of the same model and type with the
    // same serial number; never itself, never one whose serial number is not known.
    const auto identified = [&](BYTE model, BYTE type, const std::string& serialText, bool connected) {
        CDocumentDevicePtr device(new CDocumentDevice(&manager, model, type, SKELDER_TYPE_NONE, serialText));
        device->SetConnection(boost::make_shared<FakeConnection>(device.get()));
        if (connected)
            device->GetConnection()->Connect();
        EXPECT_GT(manager.AddDevice(device), 0);
        return device;
    };
    const CDocumentDevicePtr there = identified(10, 2, "MF2024", true);
    EXPECT_FALSE(manager.FindSameDevice(there));
    EXPECT_EQ(there, manager.FindSameDevice(identified(10, 2, "MF2024", false)));
    EXPECT_FALSE(manager.FindSameDevice(identified(10, 2, "MF2025", false)));
    EXPECT_FALSE(manager.FindSameDevice(identified(20, 2, "MF2024", false)));
    EXPECT_FALSE(manager.FindSameDevice(identified(10, 8, "MF2024", false)));
    identified(10, 2, "", true);
    EXPECT_FALSE(manager.FindSameDevice(identified(10, 2, "", false)));
    there->GetConnection()->Disconnect();
    EXPECT_FALSE(manager.FindSameDevice(identified(10, 2, "MF2024", true)));

    CDocumentLogFilePtr opened = boost::make_shared<CDocumentLogFile>();
    CDocumentLogFilePtr downloaded = boost::make_shared<CDocumentLogFile>();
    downloaded->SetSourceId(4);
    manager.AddLogFile(opened);
    manager.AddLogFile(downloaded);
    EXPECT_EQ(downloaded, manager.FindLogFileBySourceId(4));
    EXPECT_EQ(opened, manager.FindLogFileBySourceId(-1));
    EXPECT_EQ(downloaded, manager.FindLogFileById(2));
    EXPECT_FALSE(manager.FindLogFileBySourceId(5));
}

TEST_F(StoppedManagerTest, OpenLogFilesAreFoundWhateverTheCaseButNotInOtherFolders)
{
    CDocumentLogFilePtr logFile = OpenLogFile("a");
    const int id = manager.AddLogFile(logFile);
    std::string path = logFile->GetPath();
    EXPECT_TRUE(manager.IsLogFileOpen(std::wstring(path.begin(), path.end())));
    for (char& ch : path)
        ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    EXPECT_TRUE(manager.IsLogFileOpen(std::wstring(path.begin(), path.end())));
    const std::string other = testing_support::BuildPath("tests/documents/manager-b") + "\\readings.csv";
    EXPECT_FALSE(manager.IsLogFileOpen(std::wstring(other.begin(), other.end())));

    CTreeItemList items;
    manager.GetLogFileTreeItems(items);
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(PLOT_ITEM_TYPE_LOG_COLUMN, items[0]->GetItemTypeId());
    EXPECT_EQ(PLOT_ID_NONE, items[0]->GetVariableId());
    EXPECT_EQ(id, items[0]->GetDocumentId());

    EXPECT_TRUE(manager.RemoveLogFile(logFile));
    EXPECT_FALSE(manager.IsLogFileOpen(std::wstring(path.begin(), path.end())));
    // Its opening and its closing are announced.
    EXPECT_EQ((std::vector<std::string>{"refresh:12:1", "refresh:5:1"}), Queued());
}

TEST_F(StoppedManagerTest, CloseAllDisconnectsClosesAndEmptiesEveryListWithoutDeletingAnything)
{
    CDocumentDevicePtr device = NewDevice();
    auto connection = boost::make_shared<FakeConnection>(device.get());
    device->SetConnection(connection);
    device->SetDocumentManager(&manager);
    const int deviceId = manager.AddDevice(device);
    connection->Connect();
    int destroyed = 0;
    boost::shared_ptr<CarelessDisplay> display(new CarelessDisplay(destroyed));
    manager.AddDisplay(display);
    auto wellBehaved = boost::make_shared<RecordingDisplay>();
    wellBehaved->SetDocumentManager(&manager);
    manager.AddDisplay(wellBehaved);
    const int logFileId = manager.AddLogFile(OpenLogFile("close"));
    Queued();

    manager.CloseAll();
    EXPECT_TRUE(manager.GetDevices().empty());
    EXPECT_TRUE(manager.GetDisplays().empty());
    EXPECT_FALSE(manager.FindLogFileById(logFileId));
    EXPECT_FALSE(connection->IsConnected());
    EXPECT_EQ(1, display->closes);
    EXPECT_EQ(0, destroyed);   // still owned by our pointer
    // The disconnect comes before the device's removal.
    const std::vector<std::string> posted = Queued();
    const std::string id = std::to_string(deviceId);
    const std::vector<std::string> expected = {"refresh:3:1", "info:" + id + ":0", "refresh:4:" + id,
                                               "refresh:8:" + id, "refresh:3:" + id, "refresh:5:1"};
    EXPECT_EQ(expected, posted);

    display.reset();
    EXPECT_EQ(1, destroyed);
}

TEST_F(StoppedManagerTest, ResetLeavesOnlyTheComputerAsDeviceOne)
{
    manager.AddDevice(NewDevice());
    manager.AddDevice(NewDevice());
    manager.AddDisplay(boost::make_shared<RecordingDisplay>());
    EXPECT_TRUE(manager.Reset());
    const DeviceList_t devices = manager.GetDevices();
    ASSERT_EQ(1u, devices.size());
    EXPECT_EQ(1, devices[0]->GetId());
    EXPECT_FALSE(devices[0]->IsListed());
    EXPECT_TRUE(manager.GetDisplays().empty());
    EXPECT_EQ(2, manager.AddDevice(NewDevice()));
}

TEST(DocumentManagerDispatch, ItemsReachDevicesAndDisplaysAndRefreshEventsTheWindow)
{
    testing_support::MessageCollector collector;
    CDocumentManager manager;
    manager.GetDispatcher().SetTargetWindow(collector.Window());
    manager.AddDevice(CDocumentDevicePtr(new ThrowingDevice()));
    boost::shared_ptr<RecordingDevice> device(new RecordingDevice());
    boost::shared_ptr<RecordingDisplay> display(new RecordingDisplay());
    const int deviceId = manager.AddDevice(device);
    manager.AddDisplay(display);

    // Time items come from the timer about once a second; a failing handler stops nobody.
    auto hasTime = [](const std::vector<CStoragePtr>& items) { return !OfType(items, STORAGE_TYPE_TIME).empty(); };
    EXPECT_TRUE(device->log.WaitUntil(hasTime, 3000));
    EXPECT_TRUE(display->log.WaitUntil(hasTime, 3000));
    // A device takes the time items and connection notices; the ticks and values that
    // pass the first queue with them go to the displays only.
    const CStoragePtr value(new CPlotItemSimpleValue(BYTE(deviceId), 8, COleVariant(12L), "Load Current", "A"));
    manager.PostToBothQueues(value);
    manager.GetDispatcher().GetFirstQueue().Push(CStoragePtr(new CStorageConnectionInfo(BYTE(deviceId), false)));
    EXPECT_TRUE(device->log.WaitUntil([](const std::vector<CStoragePtr>& all) {
        return !OfType(all, STORAGE_TYPE_CONNECTION_INFO).empty();
    }, 3000));
    EXPECT_TRUE(display->log.WaitUntil([&](const std::vector<CStoragePtr>& all) {
        return std::find(all.begin(), all.end(), value) != all.end();
    }, 3000));
    EXPECT_FALSE(OfType(display->log.Items(), STORAGE_TYPE_TICK).empty());
    EXPECT_TRUE(OfType(device->log.Items(), STORAGE_TYPE_TICK).empty());
    EXPECT_TRUE(OfType(device->log.Items(), STORAGE_TYPE_SIMPLE_VALUE).empty());

    CTreeItemList items;
    manager.GetDeviceTreeItems(items);
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(deviceId, items[1]->GetDocumentId());
    EXPECT_EQ(PLOT_ID_NONE, items[1]->GetItemTypeId());
    EXPECT_STREQ(device->GetName(), items[1]->GetName());

    manager.RemoveDevice(device);
    ASSERT_TRUE(collector.WaitUntil([&](const std::vector<testing_support::CollectedMessage>& all) {
        return std::any_of(all.begin(), all.end(), [&](const testing_support::CollectedMessage& m) {
            return m.message == WM_APP_REFRESH_EVENT && m.wParam == WPARAM(REFRESH_DEVICE_REMOVED) &&
                   m.lParam == deviceId;
        });
    }, 3000));
    EXPECT_TRUE(display->log.WaitUntil([](const std::vector<CStoragePtr>& all) {
        return Describe(all) == std::vector<std::string>{"refresh:3:3"};
    }, 3000));
}

TEST(DocumentManagerLifetime, DestroyingTheManagerDisconnectsItsDevices)
{
    auto connection = boost::make_shared<FakeConnection>();
    {
        CDocumentManager manager;
        CDocumentDevicePtr device = NewDevice();
        device->SetConnection(connection);
        manager.AddDevice(device);
        connection->Connect();
    }
    EXPECT_EQ(1, connection->closes);
    EXPECT_FALSE(connection->IsConnected());
}

namespace {

const int CYCLE_VARIABLES = 60;
const int CYCLE_BASE_ADDRESS = 0x200;
const int CYCLES = 6;
// The gated display holds the dispatch thread at this value item of the first cycle.
const int HELD_AT_ITEM = 25;

// A device of CYCLE_VARIABLES one-register variables, ids 1 and up.
CDocumentDeviceGeneric1Ptr CycleDevice(CDocumentManager& manager)
{
    GenericDeviceDescription_t description;
    description.defaultName = "Cycle device";
    for (int i = 0; i < CYCLE_VARIABLES; ++i) {
        GenericVariable_t variable;
        variable.id = i + 1;
        variable.name = "Value " + std::to_string(i + 1);
        variable.units = "V";
        variable.addressLow = CYCLE_BASE_ADDRESS + i;
        variable.scaling = 1.0;
        description.variables.push_back(variable);
    }
    CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(1, 5, SKELDER_TYPE_NONE, &manager));
    device->ConfigureFromDescription(description);
    return device;
}

// "<variable id>=<value>" for each value item, in the order they came.
std::vector<std::string> ValueTexts(const std::vector<CStoragePtr>& items)
{
    std::vector<std::string> texts;
    for (const CStoragePtr& item : OfType(items, STORAGE_TYPE_SIMPLE_VALUE)) {
        bool ok = false;
        const int value = VariantToInt(item->GetValue(), ok);
        texts.push_back(std::to_string(item->GetVariableId()) + "=" + (ok ? std::to_string(value) : "?"));
    }
    return texts;
}

// A recording display that stops the dispatch thread inside its handler at one value
// item until the gate opens, and says when it got there.
class GatedDisplay : public RecordingDisplay
{
public:
    explicit GatedDisplay(int heldAt) : m_heldAt(heldAt) {}
    bool OnStorage(const CStoragePtr& item) override
    {
        const bool result = RecordingDisplay::OnStorage(item);
        if (item->GetType() == STORAGE_TYPE_SIMPLE_VALUE && ++m_values == m_heldAt)
            gate.Pass();
        return result;
    }
    Gate gate;

private:
    const int m_heldAt;
    int m_values = 0;
};

} // namespace

TEST(DocumentManagerDispatch, PollCyclesReachEveryDisplayInOrderAndARemovedDisplayGetsNoMore)
{
    CDocumentManager manager;
    const CDocumentDeviceGeneric1Ptr device = CycleDevice(manager);
    const int deviceId = manager.AddDevice(device);
    // First in the list: the others get an item only after it.
    boost::shared_ptr<GatedDisplay> gated(new GatedDisplay(HELD_AT_ITEM));
    boost::shared_ptr<RecordingDisplay> removed(new RecordingDisplay());
    std::vector<boost::shared_ptr<RecordingDisplay>> kept = { gated };
    manager.AddDisplay(gated);
    manager.AddDisplay(removed);
    for (int i = 0; i < 3; ++i) {
        kept.push_back(boost::shared_ptr<RecordingDisplay>(new RecordingDisplay()));
        manager.AddDisplay(kept.back());
    }

    std::vector<WORD> image(MODBUS_REGISTER_SPACE, 0);
    const std::vector<BYTE> valid(MODBUS_REGISTER_SPACE, 1);
    std::vector<std::string> expected;
    const auto cycle = [&](int number) {
        for (int i = 0; i < CYCLE_VARIABLES; ++i) {
            image[CYCLE_BASE_ADDRESS + i] = static_cast<WORD>(number * 100 + i);
            expected.push_back(std::to_string(i + 1) + "=" + std::to_string(number * 100 + i));
        }
        device->ConvertRegisterImage(image.data(), valid.data());
    };

    cycle(1);
    ASSERT_TRUE(gated->gate.WaitUntilHeld(5000));
    // Removed from another thread while the dispatch thread is inside the first cycle.
    HANDLE removalDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread removal([&] {
        manager.RemoveDisplay(removed);
        SetEvent(removalDone);
    });
    gated->gate.Open();
    const bool removalReturned = WaitForSingleObject(removalDone, 10000) == WAIT_OBJECT_0;
    removal.join();
    CloseHandle(removalDone);
    ASSERT_TRUE(removalReturned);
    const size_t removedCount = ValueTexts(removed->log.Items()).size();

    for (int number = 2; number <= CYCLES; ++number)
        cycle(number);
    for (const boost::shared_ptr<RecordingDisplay>& display : kept) {
        EXPECT_TRUE(display->log.WaitUntil([&](const std::vector<CStoragePtr>& items) {
            return ValueTexts(items).size() >= expected.size();
        }, 10000));
        EXPECT_EQ(expected, ValueTexts(display->log.Items()));
        for (const CStoragePtr& item : OfType(display->log.Items(), STORAGE_TYPE_SIMPLE_VALUE))
            ASSERT_EQ(deviceId, item->GetSourceId());
    }
    // What the removed display had up to its removal is the start of the sequence, and
    // the later cycles, handed to the others since, passed it by.
    const std::vector<std::string> removedValues = ValueTexts(removed->log.Items());
    EXPECT_EQ(removedCount, removedValues.size());
    EXPECT_GE(removedValues.size(), size_t(HELD_AT_ITEM - 1));
    EXPECT_LE(removedValues.size(), size_t(CYCLE_VARIABLES));
    EXPECT_EQ(std::vector<std::string>(expected.begin(), expected.begin() + removedValues.size()), removedValues);
    manager.RemoveDevice(device);
}
