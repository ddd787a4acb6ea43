// The device document base and the computer pseudo-device: names, popup commands,
// messages and their refresh items, tree images, item forwarding and the archive forms.
#include <gtest/gtest.h>

#include "tests/documents/HubRecorders.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/MessageCollector.h"

#include "documents/CConnectionModbusLocal.h"
#include "documents/CDocumentDevicePC.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageTime.h"
#include "framework/CArchiveException.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"

using namespace hub_test;
using testing_support::Bytes;
using testing_support::ConcatBytes;
using testing_support::Int32Bytes;
using testing_support::ShortTextBytes;

namespace {

Bytes ClassRecord(const std::string& name)
{
    Bytes bytes = {0xFF, 0xFF, 0xFF, 0xFF, BYTE(name.size()), 0};
    for (char ch : name)
        bytes.push_back(BYTE(ch));
    return bytes;
}

Bytes ClassReference(int index)
{
    return {BYTE(index), 0x80};
}

// The CDocumentEx part: schema 0, default name, user name.
Bytes DocumentPart(const std::string& defaultName)
{
    return ConcatBytes({Int32Bytes(0), ShortTextBytes(defaultName), ShortTextBytes("")});
}

// A manager whose dispatcher no longer runs, so that the queued items stay to be read.
struct StoppedManager
{
    StoppedManager() { manager.GetDispatcher().Shutdown(); }
    std::vector<std::string> Queued(bool second = false)
    {
        StorageDispatcher_t& dispatcher = manager.GetDispatcher();
        return Describe(Drain(second ? dispatcher.GetSecondQueue() : dispatcher.GetFirstQueue()));
    }
    CDocumentManager manager;
};

} // namespace

TEST(DeviceDocument, NameShowsTheSerialUntilTheUserRenamesIt)
{
    CDocumentDevice device(nullptr, 1, 2, 3, "12345");
    device.SetTitle("Varnix");
    EXPECT_STREQ("Varnix (12345)", device.GetName());
    device.SetUserName("Roof");
    EXPECT_STREQ("Roof", device.GetName());
    device.SetUserName("");
    EXPECT_STREQ("Varnix (12345)", device.GetName());
    device.SetSerialText("");
    EXPECT_STREQ("Varnix", device.GetName());
    EXPECT_FALSE(device.HasNoId());
}

TEST(DeviceDocument, PopupFollowsTheConnectionAndPostsItsCommands)
{
    testing_support::MessageCollector collector;
    CWinApp app("DevicePopupTest");
    CWnd mainWindow;
    mainWindow.Attach(collector.Window());
    app.m_pMainWnd = &mainWindow;

    CDocumentDevice device;
    auto connection = boost::make_shared<FakeConnection>(&device);
    device.SetConnection(connection);
    ASSERT_EQ(4, device.GetPopupMenuEntryCount());

    auto enabledStates = [&device] {
        std::string states;
        for (int index = 0; index < 4; ++index) {
            CString text;
            bool enabled = false;
            bool checked = true;
            EXPECT_EQ(index, device.GetPopupMenuEntry(index, text, enabled, checked));
            EXPECT_FALSE(checked);
            states += std::string(text) + (enabled ? "+" : "-") + "|";
        }
        return states;
    };
    EXPECT_EQ("Connect+|Disconnect-|Delete+|-|", enabledStates());
    connection->Connect();
    EXPECT_EQ("Connect-|Disconnect+|Delete-|-|", enabledStates());

    EXPECT_EQ(0, device.OnPopupMenuCommand(0));
    EXPECT_EQ(1, device.OnPopupMenuCommand(1));
    EXPECT_EQ(2, device.OnPopupMenuCommand(2));
    EXPECT_EQ(-1, device.OnPopupMenuCommand(3));
    // Posted to this thread's window: taken straight from the queue.
    std::vector<MSG> commands;
    MSG message;
    while (commands.size() < 4 && PeekMessageA(&message, collector.Window(), WM_COMMAND, WM_COMMAND, PM_REMOVE))
        commands.push_back(message);
    ASSERT_EQ(3u, commands.size());
    EXPECT_EQ(ID_DEVICE_CONNECT, commands[0].wParam);
    EXPECT_EQ(ID_DEVICE_DISCONNECT, commands[1].wParam);
    EXPECT_EQ(ID_DEVICE_DELETE, commands[2].wParam);
    EXPECT_EQ(0, commands[2].lParam);

    app.m_pMainWnd = nullptr;
    mainWindow.Detach();
}

TEST(DeviceDocument, MessagesPostARefreshOnlyWhenAMessageChanges)
{
    StoppedManager hub;
    CDocumentDevice device(&hub.manager, 1, 2, 255, "");
    device.SetId(7);
    const int otherKeyObject = 0;
    const DeviceMessageKey_t otherKey = &otherKeyObject;

    device.SetMessage(MESSAGE_KEY_POLL, "first");
    device.SetMessage(MESSAGE_KEY_POLL, "second");
    // A poll failing again the same way changes nothing.
    device.SetMessage(MESSAGE_KEY_POLL, "second");
    EXPECT_EQ("second", device.GetMessagesText());
    device.SetMessage(otherKey, "other");
    EXPECT_EQ((std::vector<std::string>{"refresh:11:7", "refresh:11:7", "refresh:11:7"}), hub.Queued());
    EXPECT_EQ(3u, hub.Queued(true).size());

    const std::string both = device.GetMessagesText();
    EXPECT_TRUE(both == "second; other" || both == "other; second") << both;
    // Answering again is a change while another message stays: its values are live again.
    device.ClearMessage(MESSAGE_KEY_POLL);
    device.ClearMessage(MESSAGE_KEY_POLL);
    EXPECT_EQ((std::vector<std::string>{"refresh:11:7"}), hub.Queued());
    device.ClearMessage(otherKey);
    EXPECT_EQ((std::vector<std::string>{"refresh:11:7"}), hub.Queued());
    EXPECT_EQ("", device.GetMessagesText());
}

TEST(DeviceDocument, ForwardsItemsIdAndManagerToItsConnectionAndClosesItWhenItGoes)
{
    CDocumentManager manager;
    auto connection = boost::make_shared<FakeConnection>();
    {
        CDocumentDevice device;
        CStoragePtr time(new CStorageTime());
        EXPECT_FALSE(device.OnStorage(time));   // no connection: nothing passed on
        EXPECT_FALSE(device.IsConnected());

        device.SetDocumentManager(&manager);
        device.SetId(12);
        device.SetConnection(connection);
        EXPECT_EQ(&manager, connection->GetDocumentManager());
        EXPECT_EQ(12, connection->GetId());
        device.SetId(13);
        EXPECT_EQ(13, connection->GetId());

        EXPECT_TRUE(device.OnStorage(time));
        ASSERT_EQ(1u, connection->log.Items().size());
        EXPECT_EQ(time, connection->log.Items()[0]);
        connection->Connect();
        EXPECT_TRUE(device.IsConnected());
    }
    EXPECT_EQ(1, connection->closes);
    EXPECT_FALSE(connection->IsConnected());
}

// --- Archives -------------------------------------------------------------------------

TEST(DeviceArchive, ComputerIsAnUnlistedDeviceWhoseFormHasNoConnection)
{
    CDocumentDevicePC computer;
    EXPECT_EQ(0x8000, computer.GetDeviceSet());
    EXPECT_FALSE(computer.IsListed());
    EXPECT_FALSE(computer.IsConnected());
    computer.SetTitle("PC");
    const Bytes expected = ConcatBytes({Int32Bytes(1), ClassRecord("CDocumentDevice"), Int32Bytes(1), Int32Bytes(2),
                                        {240, 1}, ShortTextBytes("PC000"), {255}, Int32Bytes(0),
                                        ClassRecord("CDocumentEx"), DocumentPart("PC")});
    EXPECT_EQ(expected, testing_support::StoreToBytes([&](CArchive& ar) { computer.Serialize(ar); }));

    CDocumentDevicePC loaded;
    testing_support::LoadFromBytes(expected, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_STREQ("PC (PC000)", loaded.GetName());
}

TEST(DeviceArchive, DeviceWithConnectionStoresTheConnectionFirst)
{
    CDocumentDevice device(nullptr, 7, 2, 3, "S1");
    auto connection = boost::make_shared<CConnectionModbusLocal>(&device);
    connection->SetComPort(4);
    connection->SetUnitId(9);
    device.SetConnection(connection);
    const Bytes connectionForm =
        ConcatBytes({Int32Bytes(2), Int32Bytes(4), ShortTextBytes(CONNECTION_DEFAULT_HOST), Int32Bytes(502),
                     Int32Bytes(0), Int32Bytes(1), Int32Bytes(2), Int32Bytes(9), Int32Bytes(1), Int32Bytes(1),
                     ClassRecord("CDocumentEx"), DocumentPart("")});
    const Bytes expected = ConcatBytes({Int32Bytes(1), Int32Bytes(2), {7, 2}, ShortTextBytes("S1"), {3},
                                        Int32Bytes(1), connectionForm, ClassReference(1), DocumentPart("")});
    EXPECT_EQ(expected, testing_support::StoreToBytes([&](CArchive& ar) { device.Serialize(ar); }));

    CDocumentDevice loaded;
    auto loadedConnection = boost::make_shared<CConnectionModbusLocal>(&loaded);
    loaded.SetConnection(loadedConnection);
    testing_support::LoadFromBytes(expected, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(7, loaded.GetModel());
    EXPECT_EQ(3, loaded.GetSkelderType());
    EXPECT_EQ(4, loadedConnection->GetComPort());
    EXPECT_EQ(9, loadedConnection->GetUnitId());
}

TEST(DeviceArchive, VersionOneHasNoSkelderType)
{
    const Bytes version1 = ConcatBytes({Int32Bytes(1), Int32Bytes(1), {5, 6}, ShortTextBytes("X9"), Int32Bytes(0),
                                        ClassRecord("CDocumentEx"), DocumentPart("Old")});
    CDocumentDevice device(nullptr, 0, 0, 4, "");
    testing_support::LoadFromBytes(version1, [&](CArchive& ar) { device.Serialize(ar); });
    EXPECT_EQ(255, device.GetSkelderType());
    EXPECT_EQ(6, device.GetType());
    EXPECT_STREQ("Old (X9)", device.GetName());
}

TEST(DeviceArchive, DamagedFormsRaiseTheArchiveExceptionWithTheFileName)
{
    auto expectBadSchema = [](const Bytes& bytes, CDocumentDevice& device) {
        try {
            testing_support::LoadFromBytes(bytes, [&](CArchive& ar) {
                ar.m_strFileName = "damaged.pxs";
                device.Serialize(ar);
            });
            ADD_FAILURE() << "loaded";
        } catch (CArchiveException* error) {
            EXPECT_EQ(CArchiveException::badSchema, error->m_cause);
            EXPECT_STREQ("damaged.pxs", error->m_strFileName);
            error->Delete();
        }
    };
    CDocumentDevice device;
    expectBadSchema(ConcatBytes({Int32Bytes(2), Int32Bytes(2)}), device);
    // The computer has no connection, so a form that claims one is damaged.
    CDocumentDevicePC computer;
    expectBadSchema(ConcatBytes({Int32Bytes(1), ClassRecord("CDocumentDevice"), Int32Bytes(1), Int32Bytes(2),
                                 {240, 1}, ShortTextBytes("PC000"), {255}, Int32Bytes(1), Int32Bytes(2)}),
                    computer);
    EXPECT_FALSE(computer.GetConnection());
}
