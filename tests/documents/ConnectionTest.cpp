// Connections without a device on the wire: connect and disconnect with their state
// items, poll ranges, closed-connection errors, endpoints and the archive forms.
#include <gtest/gtest.h>

#include "tests/documents/HubRecorders.h"
#include "tests/support/ArchiveBytes.h"

#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "framework/CArchiveException.h"
#include "tests/support/ErrorText.h"

using namespace hub_test;
using testing_support::Bytes;
using testing_support::ConcatBytes;
using testing_support::Int32Bytes;
using testing_support::ShortTextBytes;

using testing_support::ErrorText;

namespace {

typedef std::list<std::pair<int, int>> Ranges;

Ranges RangesOf(std::initializer_list<int> addresses)
{
    CDocumentDeviceGeneric1 device;
    CConnectionGeneric1 connection(&device);
    for (int address : addresses)
        connection.AddPollRegister(address);
    return connection.GetPollRanges();
}

const Bytes kDocumentClassAndPart = ConcatBytes({{0xFF, 0xFF, 0xFF, 0xFF, 11, 0}, Bytes{'C', 'D', 'o', 'c', 'u', 'm', 'e', 'n', 't', 'E', 'x'},
                                                 Int32Bytes(0), ShortTextBytes("Link"), ShortTextBytes("")});

} // namespace

TEST(Connection, ConnectAndDisconnectPostTheirStateIntoBothQueues)
{
    CDocumentManager manager;
    manager.GetDispatcher().Shutdown();
    CDocumentDevice device(&manager, 0, 0, 255, "");
    device.SetId(6);
    auto connection = boost::make_shared<FakeConnection>(&device);
    device.SetConnection(connection);
    StorageDispatcher_t& dispatcher = manager.GetDispatcher();

    EXPECT_FALSE(connection->Disconnect());   // not open: nothing posted
    EXPECT_TRUE(Drain(dispatcher.GetFirstQueue()).empty());

    connection->Connect();
    EXPECT_TRUE(connection->IsConnected());
    EXPECT_TRUE(connection->Disconnect());
    EXPECT_FALSE(connection->IsConnected());
    const std::vector<std::string> expected = {"info:6:1", "refresh:4:6", "refresh:7:6",
                                               "info:6:0", "refresh:4:6", "refresh:8:6"};
    EXPECT_EQ(expected, Describe(Drain(dispatcher.GetFirstQueue())));
    EXPECT_EQ(expected, Describe(Drain(dispatcher.GetSecondQueue())));

    connection->openError = "unable to open COM9";
    EXPECT_EQ("unable to open COM9", ErrorText([&] { connection->Connect(); }));
    EXPECT_FALSE(connection->IsConnected());
    EXPECT_EQ((std::vector<std::string>{"info:6:0", "refresh:4:6"}), Describe(Drain(dispatcher.GetFirstQueue())));
}

TEST(Connection, PollRangesJoinOnlyAddressesThatFollowInTheGivenOrder)
{
    EXPECT_EQ((Ranges{{10, 3}, {20, 1}}), RangesOf({10, 11, 12, 20}));
    EXPECT_EQ((Ranges{{12, 1}, {11, 1}}), RangesOf({12, 11}));
    EXPECT_EQ((Ranges{{5, 2}, {5, 1}}), RangesOf({5, 6, 5}));
    EXPECT_TRUE(RangesOf({}).empty());
}

TEST(Connection, ClosedConnectionRefusesEveryTransfer)
{
    CConnectionModbusLocal connection(nullptr);
    WORD word = 0;
    std::vector<BYTE> reply;
    EXPECT_EQ("cannot read Modbus output register; device connection is not open",
              ErrorText([&] { connection.ReadRegisters(0, &word, 1); }));
    EXPECT_FALSE(connection.TryReadRegisters(0, &word, 1));
    EXPECT_EQ("WriteRegister to closed Modbus connection", ErrorText([&] { connection.WriteRegister(1, 2); }));
    EXPECT_EQ("WriteCoil to closed Modbus connection", ErrorText([&] { connection.WriteCoil(1, true); }));
    EXPECT_EQ("WriteRawModbus to closed Modbus connection",
              ErrorText([&] { connection.WriteRawModbus({1, 3, 0, 0, 0, 1}, reply); }));
    EXPECT_FALSE(connection.Close());
}

TEST(Connection, EndpointDescribesTheConnectionsPlace)
{
    CConnectionModbusLocal connection(nullptr);
    connection.SetComPort(3);
    ModbusEndpoint_t search;
    search.vendor = "Quorvant Corp.";
    search.productCode = "QV-2000";
    search.port = 3;
    search.unitId = 1;
    auto serial = connection.GetEndpoint();
    EXPECT_FALSE(serial->network);
    EXPECT_EQ("", serial->host);
    EXPECT_EQ(1, serial->unitId);   // the fallback stands in for the unset unit id
    EXPECT_TRUE(*serial == search);
    EXPECT_EQ(MODBUS_MAX_READ_LARGE, connection.GetMaxReadCount());

    connection.SetSerial(false);
    connection.SetHost("Ctrl.local");
    connection.SetTcpPort(1502);
    connection.SetUnitId(0);
    auto network = connection.GetEndpoint();
    EXPECT_TRUE(network->network);
    EXPECT_EQ("Ctrl.local", network->host);
    EXPECT_EQ(1502, network->port);
    EXPECT_EQ(0, network->unitId);
    EXPECT_EQ(MODBUS_MAX_READ_SMALL, connection.GetMaxReadCount());
}

TEST(ConnectionArchive, LocalFormIsPinnedAndRoundTrips)
{
    CConnectionModbusLocal connection(nullptr);
    connection.SetTitle("Link");
    connection.SetComPort(5);
    connection.SetHost("10.1.2.3");
    connection.SetTcpPort(1502);
    connection.SetLocalTcpPort(40000);
    connection.SetSerial(false);
    connection.SetUnitId(-1);
    connection.SetFallbackUnitId(3);
    const Bytes expected = ConcatBytes({Int32Bytes(2), Int32Bytes(5), ShortTextBytes("10.1.2.3"), Int32Bytes(1502),
                                        Int32Bytes(40000), Int32Bytes(0), Int32Bytes(2), Int32Bytes(-1), Int32Bytes(3),
                                        Int32Bytes(1), kDocumentClassAndPart});
    EXPECT_EQ(expected, testing_support::StoreToBytes([&](CArchive& ar) { connection.Serialize(ar); }));

    CConnectionModbusLocal loaded(nullptr);
    testing_support::LoadFromBytes(expected, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(*connection.GetEndpoint(), *loaded.GetEndpoint());
    EXPECT_EQ(40000, loaded.GetLocalTcpPort());
    EXPECT_EQ(3, loaded.GetFallbackUnitId());
    EXPECT_STREQ("Link", loaded.GetName());
}

TEST(ConnectionArchive, SchemaOneFormsKeepTheDefaults)
{
    // Local schema 1 holds only the COM port; Modbus schema 1 has no fallback unit id.
    const Bytes old = ConcatBytes({Int32Bytes(1), Int32Bytes(7), Int32Bytes(1), Int32Bytes(5), Int32Bytes(1),
                                   kDocumentClassAndPart});
    CConnectionModbusLocal loaded(nullptr);
    loaded.SetHost("changed");
    loaded.SetSerial(false);
    testing_support::LoadFromBytes(old, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(7, loaded.GetComPort());
    EXPECT_EQ("changed", loaded.GetHost());   // left as it was
    EXPECT_EQ(502, loaded.GetTcpPort());
    EXPECT_EQ(5, loaded.GetUnitId());
    EXPECT_EQ(5, loaded.GetFallbackUnitId());
    EXPECT_EQ(CONNECTION_DEFAULT_HOST, CConnectionModbusLocal(nullptr).GetHost());

    // A serial flag other than 0 or 1 still reads as serial.
    const Bytes flagSeven = ConcatBytes({Int32Bytes(2), Int32Bytes(2), ShortTextBytes("h"), Int32Bytes(1),
                                         Int32Bytes(0), Int32Bytes(7), Int32Bytes(1), Int32Bytes(5), Int32Bytes(1),
                                         kDocumentClassAndPart});
    testing_support::LoadFromBytes(flagSeven, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_TRUE(loaded.IsSerial());
}

TEST(ConnectionArchive, UnknownSchemasAreRefusedAtEveryLevel)
{
    const std::vector<Bytes> damaged = {
        ConcatBytes({Int32Bytes(3)}),
        ConcatBytes({Int32Bytes(1), Int32Bytes(7), Int32Bytes(0)}),
        ConcatBytes({Int32Bytes(1), Int32Bytes(7), Int32Bytes(1), Int32Bytes(5), Int32Bytes(2)}),
    };
    for (const Bytes& bytes : damaged) {
        CConnectionModbusLocal connection(nullptr);
        try {
            testing_support::LoadFromBytes(bytes, [&](CArchive& ar) { connection.Serialize(ar); });
            ADD_FAILURE() << "loaded " << bytes.size() << " bytes";
        } catch (CArchiveException* error) {
            EXPECT_EQ(CArchiveException::badSchema, error->m_cause);
            error->Delete();
        }
    }
}
