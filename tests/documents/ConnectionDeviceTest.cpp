// A generic device's connection against the test device (tests/device/qvdevice.py) over
// RTU on a pty, ASCII and Modbus/TCP: identification, vendor check and details read on
// opening, request splits (from the device's journal), polling through the real
// dispatcher, devices that stop answering (marked by their own requests), the busy gate,
// disconnecting, deleting and closing at once while silent polls hold the link, and what a
// failed open says.
#include <gtest/gtest.h>

#include "tests/documents/HubRecorders.h"
#include "tests/support/MessageCollector.h"
#include "tests/support/PeerHost.h"
#include "tests/support/Polling.h"
#include "tests/support/StallWatch.h"
#include "tests/support/TestDevice.h"

#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageTime.h"
#include "documents/PollThread_t.h"
#include "modbus/SharedLinks.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include "tests/support/ErrorText.h"

using namespace hub_test;
using testing_support::PeerHost;

using testing_support::ErrorText;

namespace {

// How long a stalled test device may take to journal its late answer once it runs again.
const DWORD LATE_ANSWER_WAIT_MS = 10000;

// Registers: voltage 0x10, hour meter 0x12/0x13, state 0x14, serial number text from
// 0x100, a setting at 0x200 and a block of 300 from 1000.
std::string Profile(const std::string& unitExtras = "", const std::string& otherUnits = "")
{
    std::string block;
    for (int i = 0; i < 300; ++i)
        block += (i ? "," : "") + std::to_string(i * 7);
    return R"({"units": {"1": {"holding": {"0x8": 1, "0x10": 123, "0x12": [1, 2, 2],
        "0x100": [22097, 12849, 13363, 53], "0x200": 4660, "1000": [)" + block + "]}" + unitExtras + "}" +
           otherUnits + "}}";
}

GenericVariable_t Variable(int id, const char* name, int low, int high, double scaling)
{
    GenericVariable_t variable;
    variable.id = id;
    variable.name = name;
    variable.addressLow = low;
    variable.addressHigh = high;
    variable.scaling = scaling;
    return variable;
}

// Voltage (scaled), a 32-bit hour meter, a translated state and the serial number.
GenericDeviceDescription_t Description(bool withVariables = true)
{
    GenericDeviceDescription_t description;
    description.defaultModbusAddr = 1;
    if (withVariables) {
        GenericVariable_t state = Variable(3, "State", 0x14, -1, 1.0);
        state.hasTranslations = true;
        state.translations = {{0, "Off"}, {2, "Float"}};
        description.variables = {Variable(1, "Battery Voltage", 0x10, -1, 0.1), Variable(2, "Hourmeter", 0x12, 0x13, 1.0),
                                 state};
    }
    GenericHardwareInfo_t serial;
    serial.name = "Serial Number";
    serial.address = 0x100;
    serial.width = 4;
    serial.format = GenericHardwareInfo_t::FORMAT_ASCII;
    description.hardwareInfo = {serial};
    return description;
}

struct Request
{
    std::string transport;
    int unit = 0;
    int function = 0;
    int address = 0;
    int count = 0;
    std::string fault;
};

class ConnectionDeviceTest : public ::testing::Test
{
protected:
    // A serial transport takes a new pty pair, as COM<com> when com is given.
    void StartDevice(const std::string& profile, const std::string& transport, int com = 0)
    {
        std::vector<std::string> args;
        if (transport == "tcp") {
            args = {"--tcp-port", "0"};
        } else {
            pair = host.OpenSerialPair(com);
            ASSERT_NE(0, pair.id) << host.Error();
            args = {"--" + transport, pair.peerPath};
        }
        auto started = testing_support::StartTestDevice(host, "tests/documents/connection", profile, args, 120);
        deviceProcess = started.id;
        journalPath = started.journalPath;
        tcpPort = started.tcpPort;
        ASSERT_NE(0, deviceProcess) << started.error;
        ASSERT_TRUE(started.error.empty()) << started.error;
    }

    // A generic device described in code, pointed at the started test device.
    CDocumentDeviceGeneric1Ptr MakeDevice(CDocumentManager* manager, const GenericDeviceDescription_t& description)
    {
        CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(1, 5, 255, manager));
        SettingRow_t setting;
        setting.registerAddress = 0x200;
        device->GetConfigStore()->AddEntry(setting);
        device->ConfigureFromDescription(description);
        auto connection = device->GetGenericConnection();
        if (tcpPort > 0 && pair.id == 0) {
            connection->SetSerial(false);
            connection->SetHost("127.0.0.1");
            connection->SetTcpPort(tcpPort);
        } else {
            connection->SetComPort(pair.com);
        }
        return device;
    }

    // One device of each unit 1 to `units` of the started test device, in the manager and connected.
    std::vector<CDocumentDeviceGeneric1Ptr> ConnectUnits(CDocumentManager& manager, int units)
    {
        std::vector<CDocumentDeviceGeneric1Ptr> devices;
        for (int unitId = 1; unitId <= units; ++unitId) {
            devices.push_back(MakeDevice(&manager, Description()));
            devices.back()->GetGenericConnection()->SetUnitId(unitId);
            manager.AddDevice(devices.back());
            ConnectThroughStalls(*devices.back()->GetGenericConnection());
        }
        return devices;
    }

    // Connects; an open that failed because the machine stalled longer than a request's
    // time-out (the test device answered that late, or this process was not run that long)
    // is tried again, at most three times in all.
    void ConnectThroughStalls(CConnection& connection)
    {
        for (int attempt = 1;; ++attempt) {
            try {
                connection.Connect();
                return;
            } catch (const std::runtime_error& error) {
                // A device kept from running journals its late answer only once it runs again.
                double stalled = 0;
                testing_support::PollUntil([&] {
                    stalled = std::max(stalls.Longest(), testing_support::LongestLateAnswer(journalPath));
                    return stalled * 1000 >= SHARED_SERIAL_TIMEOUT_MS;
                }, LATE_ANSWER_WAIT_MS, 100);
                if (stalled * 1000 < SHARED_SERIAL_TIMEOUT_MS || attempt == 3)
                    throw;
                std::printf("connect failed (%s) after the machine stalled %.2f s; again\n", error.what(), stalled);
            }
        }
    }

    std::vector<Request> Journal(int function = 0)
    {
        std::vector<Request> requests;
        std::ifstream in(journalPath);
        std::string line;
        while (std::getline(in, line)) {
            Request request;
            request.transport = PeerHost::Field(line, "transport");
            request.unit = std::atoi(PeerHost::Field(line, "unit").c_str());
            request.function = std::atoi(PeerHost::Field(line, "function").c_str());
            request.address = std::atoi(PeerHost::Field(line, "address").c_str());
            request.count = std::atoi(PeerHost::Field(line, "count").c_str());
            request.fault = PeerHost::Field(line, "fault");
            if (function == 0 || request.function == function)
                requests.push_back(request);
        }
        return requests;
    }

    std::vector<int> ReadCountsFrom(size_t first)
    {
        std::vector<int> counts;
        const std::vector<Request> reads = Journal(3);
        for (size_t i = first; i < reads.size(); ++i)
            counts.push_back(reads[i].count);
        return counts;
    }

    bool WaitForJournal(const std::function<bool(const std::vector<Request>&)>& done, DWORD timeoutMs)
    {
        return testing_support::PollUntil([&] { return done(Journal()); }, timeoutMs, 50);
    }

    void TearDown() override
    {
        // A disconnect may leave its thread to end by itself; it lets go of its link then.
        EXPECT_TRUE(PollThread_t::WaitForStoppedThreads(10000));
        if (deviceProcess)
            host.Stop(deviceProcess);
        EXPECT_TRUE(SharedSerialLinks().empty());
        EXPECT_TRUE(SharedTcpLinks().empty());
    }

    // Watching from the start: the stalls of the whole test.
    testing_support::StallWatch stalls;
    PeerHost host;
    testing_support::SerialPair pair;
    int deviceProcess = 0;
    int tcpPort = 0;
    std::string journalPath;
};

// The same unit, as units 1 to `units`.
std::string UnitsProfile(int units, const std::string& unit)
{
    std::string profile = R"({"units": {)";
    for (int unitId = 1; unitId <= units; ++unitId)
        profile += (unitId > 1 ? ", \"" : "\"") + std::to_string(unitId) + "\": " + unit;
    return profile + "}}";
}

bool EveryDeviceAnswering(const std::vector<CDocumentDeviceGeneric1Ptr>& devices)
{
    return std::all_of(devices.begin(), devices.end(),
                       [](const CDocumentDeviceGeneric1Ptr& device) { return device->IsAnswering(); });
}

// Waits, bounded, for the device's messages to satisfy the predicate.
bool WaitForMessages(CDocumentDevice& device, const std::function<bool(const std::string&)>& done, DWORD timeoutMs)
{
    return testing_support::PollUntil([&] { return done(device.GetMessagesText()); }, timeoutMs, 50);
}

} // namespace

TEST_F(ConnectionDeviceTest, RtuOpenIdentifiesTheDeviceAndReadsItsDetails)
{
    StartDevice(Profile(), "rtu");
    auto device = MakeDevice(nullptr, Description());
    auto connection = device->GetGenericConnection();
    connection->SetUnitId(-1);   // the fallback unit 1 answers
    connection->Connect();
    ASSERT_TRUE(connection->IsConnected());
    EXPECT_STREQ("QV-1000 (QV12345)", device->GetName());
    EXPECT_EQ("1.00", device->GetFirmwareVersion());
    EXPECT_EQ((HardwareInfoPairs_t{{"Serial Number", "QV12345"}}), device->GetHardwareInfo());
    EXPECT_EQ(0x1234, device->GetConfigStore()->GetEntryValue(0));

    // The identity register (the first poll address), identification, the four serial
    // number registers in one request, then the setting.
    const std::vector<Request> opening = Journal();
    ASSERT_EQ(4u, opening.size());
    EXPECT_EQ(0x10, opening[0].address);
    EXPECT_EQ(1, opening[0].count);
    EXPECT_EQ(43, opening[1].function);
    EXPECT_EQ(0x100, opening[2].address);
    EXPECT_EQ(4, opening[2].count);
    EXPECT_EQ(0x200, opening[3].address);

    EXPECT_EQ("connection already open", ErrorText([&] { connection->Connect(); }));
    EXPECT_TRUE(connection->IsConnected());

    std::vector<WORD> words(300);
    connection->ReadRegisters(1000, words.data(), 300);
    EXPECT_EQ(299 * 7, words[299]);
    EXPECT_EQ((std::vector<int>{124, 124, 52}), ReadCountsFrom(Journal(3).size() - 3));
    EXPECT_EQ(0x20001u, connection->ReadOutputValue(0x12, 0x13));
    EXPECT_EQ(0x20001u, connection->ReadOutputValue(0x12, 0x14));   // high part at 0x14
    EXPECT_EQ(123u, connection->ReadOutputValue(0x10, -1));
    EXPECT_EQ("error reading dword output register 0x0800",
              ErrorText([&] { connection->ReadOutputValue(0x800, 0x801); }));
    EXPECT_EQ("error writing coil 000x12 to MODBUS address 1: ",
              ErrorText([&] { connection->WriteCoil(0x12, true); }).substr(0, 47));
    connection->WriteRegister(0x10, 77);
    EXPECT_EQ(77u, connection->ReadOutputValue(0x10, -1));

    EXPECT_TRUE(connection->Disconnect());
    EXPECT_TRUE(device->GetHardwareInfo().empty());
    EXPECT_EQ("", device->GetFirmwareVersion());
    EXPECT_EQ("", device->GetSerialText());
    EXPECT_TRUE(SharedSerialLinks().empty());
}

TEST_F(ConnectionDeviceTest, AsciiLineIdentifiesAndSplitsAt124)
{
    StartDevice(Profile(), "ascii");
    // The link is shared: set to ASCII here, the connection takes it as it is.
    auto link = OpenSharedModbusSerial(pair.com);
    SharedSerialLinks()[pair.com]->SetMode(CLocalModbus::MODE_ASCII);
    auto device = MakeDevice(nullptr, Description());
    auto connection = device->GetGenericConnection();
    ConnectThroughStalls(*connection);
    EXPECT_STREQ("QV-1000 (QV12345)", device->GetName());
    std::vector<WORD> words(300);
    connection->ReadRegisters(1000, words.data(), 300);
    EXPECT_EQ(7, words[1]);
    EXPECT_EQ((std::vector<int>{124, 124, 52}), ReadCountsFrom(Journal(3).size() - 3));
    EXPECT_EQ("ascii", Journal().front().transport);
    connection->Disconnect();
    link.reset();
}

TEST_F(ConnectionDeviceTest, TcpIdentifiesThroughRegister8WithoutPollRegistersAndSplitsAt95)
{
    StartDevice(Profile(), "tcp");
    auto device = MakeDevice(nullptr, Description(false));
    auto connection = device->GetGenericConnection();
    ConnectThroughStalls(*connection);
    EXPECT_EQ("1.00", device->GetFirmwareVersion());
    ASSERT_FALSE(Journal().empty());
    EXPECT_EQ(8, Journal().front().address);
    std::vector<WORD> words(300);
    connection->ReadRegisters(1000, words.data(), 300);
    EXPECT_EQ(150 * 7, words[150]);
    EXPECT_EQ((std::vector<int>{95, 95, 95, 15}), ReadCountsFrom(Journal(3).size() - 4));
    connection->Disconnect();
}

TEST_F(ConnectionDeviceTest, FailedOpenLeavesTheConnectionClosedAndThePortFree)
{
    // Unit 1 names another vendor, unit 2 gives no product code, unit 3 does not answer,
    // unit 4 refuses the first read with an exception.
    StartDevice(Profile(R"(, "identification": {"0": "Quorvant Corp"})",
                        R"(, "2": {"holding": {"0x10": 1}, "identification": {"1": null}},
                             "4": {"holding": {"0x10": 1}, "faults": [{"kind": "exception", "code": 2}]})"),
                "rtu");
    auto device = MakeDevice(nullptr, Description());
    auto connection = device->GetGenericConnection();
    const std::pair<int, const char*> cases[] = {
        {1, "device is not a Quorvant Corporation control"},
        {2, "control did not respond to Modbus Read Basic Device Identification"},
        {3, "control did not respond to Modbus read request"},
        {4, "control refused the Modbus read request with exception code 2 (illegal data address)"},
    };
    for (const auto& failure : cases) {
        connection->SetUnitId(failure.first);
        EXPECT_EQ(failure.second, ErrorText([&] { connection->Connect(); }));
        EXPECT_FALSE(connection->IsConnected());
        EXPECT_FALSE(connection->HasTransport());
        EXPECT_TRUE(SharedSerialLinks().empty()) << failure.second;
    }
    // The port really is free: another user opens it at once.
    auto reopened = OpenSharedModbusSerial(pair.com);
    EXPECT_TRUE(reopened->m_link->IsOpen());
}

TEST_F(ConnectionDeviceTest, PollsOnTimeItemsThroughTheDispatcherIntoBothQueues)
{
    StartDevice(Profile(), "rtu");
    testing_support::MessageCollector collector;
    CDocumentManager manager;
    manager.GetDispatcher().SetTargetWindow(collector.Window());
    boost::shared_ptr<RecordingDevice> watcher(new RecordingDevice(true));
    boost::shared_ptr<RecordingDisplay> display(new RecordingDisplay());
    manager.AddDevice(watcher);
    manager.AddDisplay(display);
    auto device = MakeDevice(&manager, Description());
    const int id = manager.AddDevice(device);
    ConnectThroughStalls(*device->GetGenericConnection());

    auto haveAllValues = [](const std::vector<CStoragePtr>& items) {
        return OfType(items, STORAGE_TYPE_SIMPLE_VALUE, 1).size() && OfType(items, STORAGE_TYPE_SIMPLE_VALUE, 2).size() &&
               OfType(items, STORAGE_TYPE_SIMPLE_VALUE, 3).size();
    };
    ASSERT_TRUE(display->log.WaitUntil(haveAllValues, 8000));
    const std::vector<CStoragePtr> shown = display->log.Items();
    const COleVariant voltage = OfType(shown, STORAGE_TYPE_SIMPLE_VALUE, 1)[0]->GetValue();
    ASSERT_EQ(VT_R4, voltage.vt);
    EXPECT_FLOAT_EQ(12.3f, voltage.fltVal);
    const COleVariant hours = OfType(shown, STORAGE_TYPE_SIMPLE_VALUE, 2)[0]->GetValue();
    ASSERT_EQ(VT_I4, hours.vt);
    EXPECT_EQ(0x20001, hours.lVal);
    const COleVariant state = OfType(shown, STORAGE_TYPE_SIMPLE_VALUE, 3)[0]->GetValue();
    ASSERT_EQ(VT_BSTR, state.vt);
    EXPECT_EQ(std::wstring(L"Float"), std::wstring(state.bstrVal));
    EXPECT_EQ(id, OfType(shown, STORAGE_TYPE_SIMPLE_VALUE, 1)[0]->GetSourceId());

    // The same items went to the device documents first.
    const CStoragePtr firstShown = OfType(shown, STORAGE_TYPE_SIMPLE_VALUE, 1)[0];
    ASSERT_TRUE(watcher->log.WaitUntil([&](const std::vector<CStoragePtr>& items) {
        return std::find(items.begin(), items.end(), firstShown) != items.end();
    }, 2000));

    // One request per poll range: (0x10, 1) and (0x12, 3).
    const std::vector<Request> reads = Journal(3);
    const bool polledBoth = std::any_of(reads.begin(), reads.end(), [](const Request& r) {
        return r.address == 0x12 && r.count == 3;
    });
    EXPECT_TRUE(polledBoth);
    ASSERT_TRUE(collector.WaitUntil([&](const std::vector<testing_support::CollectedMessage>& all) {
        return std::any_of(all.begin(), all.end(), [&](const testing_support::CollectedMessage& m) {
            return m.wParam == WPARAM(REFRESH_CONNECTED) && m.lParam == id;
        });
    }, 2000));

    const DWORD start = GetTickCount();
    EXPECT_TRUE(device->GetGenericConnection()->Disconnect());
    EXPECT_LT(GetTickCount() - start, 500u);
    ASSERT_TRUE(collector.WaitUntil([&](const std::vector<testing_support::CollectedMessage>& all) {
        return std::any_of(all.begin(), all.end(), [&](const testing_support::CollectedMessage& m) {
            return m.wParam == WPARAM(REFRESH_DISCONNECTED) && m.lParam == id;
        });
    }, 2000));
    const size_t requestsAfterDisconnect = Journal().size();
    Sleep(1500);
    EXPECT_EQ(requestsAfterDisconnect, Journal().size());
}

TEST_F(ConnectionDeviceTest, DeviceThatStopsAnsweringKeepsAPollMessageUntilItAnswersAgain)
{
    // Four silent answers at 0x12: two poll cycles fail there (two attempts each).
    StartDevice(Profile(R"(, "faults": [{"kind": "silence", "function": 3, "address": 18, "times": 4}])"), "rtu");
    CDocumentManager manager;
    boost::shared_ptr<RecordingDisplay> display(new RecordingDisplay());
    manager.AddDisplay(display);
    auto device = MakeDevice(&manager, Description());
    manager.AddDevice(device);
    ConnectThroughStalls(*device->GetGenericConnection());

    ASSERT_TRUE(WaitForMessages(*device, [](const std::string& text) {
        return text.find("unable to read Modbus PDU 0x0012-0x0014: ") == 0;
    }, 8000)) << device->GetMessagesText();
    // The range that answers is still shown meanwhile.
    EXPECT_TRUE(OfType(display->log.Items(), STORAGE_TYPE_SIMPLE_VALUE, 2).empty());
    EXPECT_TRUE(display->log.WaitUntil([](const std::vector<CStoragePtr>& items) {
        return !OfType(items, STORAGE_TYPE_SIMPLE_VALUE, 1).empty();
    }, 2000));

    ASSERT_TRUE(WaitForMessages(*device, [](const std::string& text) { return text.empty(); }, 10000));
    EXPECT_TRUE(display->log.WaitUntil([](const std::vector<CStoragePtr>& items) {
        return !OfType(items, STORAGE_TYPE_SIMPLE_VALUE, 2).empty();
    }, 3000));
    device->GetGenericConnection()->Disconnect();
}

TEST_F(ConnectionDeviceTest, RangeBeyondTheRegisterSpaceIsRefusedBeforeAnyRequest)
{
    StartDevice(Profile(), "rtu");
    CDocumentManager manager;
    boost::shared_ptr<RecordingDisplay> display(new RecordingDisplay());
    manager.AddDisplay(display);
    auto device = MakeDevice(&manager, Description());
    for (int address = 0xFFF0; address < 0xFFF0 + 0x20; ++address)
        device->GetGenericConnection()->AddPollRegister(address);
    manager.AddDevice(device);
    ConnectThroughStalls(*device->GetGenericConnection());

    ASSERT_TRUE(WaitForMessages(*device, [](const std::string& text) {
        return text == "Modbus read output register request too long";
    }, 8000)) << device->GetMessagesText();
    EXPECT_TRUE(OfType(display->log.Items(), STORAGE_TYPE_SIMPLE_VALUE).empty());
    for (const Request& request : Journal(3))
        EXPECT_LT(request.address, 0xFFF0);
    device->GetGenericConnection()->Disconnect();
}

TEST_F(ConnectionDeviceTest, BusyDeviceIsNotPolledUntilItsConnectNoticeRan)
{
    StartDevice(Profile(), "rtu");
    auto device = MakeDevice(nullptr, Description());
    device->SetId(3);
    ConnectThroughStalls(*device->GetGenericConnection());
    ASSERT_TRUE(device->IsBusy());
    const size_t afterOpen = Journal().size();
    CStoragePtr time(new CStorageTime());
    device->OnStorage(time);
    Sleep(700);
    EXPECT_EQ(afterOpen, Journal().size());

    // The connect notice has the polling thread run the log step (this device keeps no
    // log), which ends the busy state.
    device->OnStorage(CStoragePtr(new CStorageConnectionInfo(3, true)));
    EXPECT_TRUE(testing_support::PollUntil([&] { return !device->IsBusy(); }, 3000, 20));
    device->OnStorage(time);
    EXPECT_TRUE(WaitForJournal([&](const std::vector<Request>& all) { return all.size() >= afterOpen + 2; }, 3000));
    device->GetGenericConnection()->Disconnect();
}

TEST_F(ConnectionDeviceTest, AConnectionTheDeviceClosesIsToldApartFromNoAnswer)
{
    // Every read is answered by closing the connection.
    StartDevice(Profile(R"(, "faults": [{"kind": "drop", "function": 3}])"), "tcp");
    auto device = MakeDevice(nullptr, Description());
    auto connection = device->GetGenericConnection();
    EXPECT_EQ("the connection was closed during the Modbus read request", ErrorText([&] { connection->Connect(); }));
    EXPECT_FALSE(connection->IsConnected());
}

TEST_F(ConnectionDeviceTest, DisconnectDeleteAndCloseReturnAtOnceWhileSilentPollsHoldTheLinkAndTheNextConnectWorks)
{
    // Eight units behind one TCP port, each silent at its poll range 0x12 while the file
    // "silent" exists: every poll then holds the link through two 5 s attempts, and the
    // other devices' polls wait for their turn behind it.
    const int kUnits = 8;
    const std::string unit = R"({"holding": {"0x8": 1, "0x10": 123, "0x12": [1, 2, 2],
        "0x100": [22097, 12849, 13363, 53], "0x200": 4660},
        "faults": [{"kind": "silence", "function": 3, "address": 18, "while_file": "silent"}]})";
    StartDevice(UnitsProfile(kUnits, unit), "tcp");
    CDocumentManager manager;
    std::vector<CDocumentDeviceGeneric1Ptr> devices = ConnectUnits(manager, kUnits);
    ASSERT_TRUE(testing_support::PollUntil([&] { return EveryDeviceAnswering(devices); }, 15000));
    const std::string folder = journalPath.substr(0, journalPath.find_last_of("\\/"));
    std::ofstream(folder + "\\silent").close();
    ASSERT_TRUE(WaitForJournal([](const std::vector<Request>& all) {
        return std::any_of(all.begin(), all.end(), [](const Request& r) { return r.fault == "silence"; });
    }, 10000));

    // Disconnect, Delete and the program's close: none waits for a thread that waits for
    // the link or for an answer. Printed for the record; the bound is the requirement.
    auto timed = [](const std::function<void()>& command) {
        const DWORD start = GetTickCount();
        command();
        return GetTickCount() - start;
    };
    std::vector<DWORD> took;
    for (int i = 0; i < 4; ++i)
        took.push_back(timed([&] { EXPECT_TRUE(devices[i]->GetGenericConnection()->Disconnect()); }));
    took.push_back(timed([&] { EXPECT_TRUE(manager.RemoveDevice(devices[4])); }));
    devices[4].reset();   // gone while its thread may still be ending
    // Their threads give up their wait for the link, which the three others still hold in
    // turn for 10 s a poll.
    EXPECT_TRUE(PollThread_t::WaitForStoppedThreads(3000));
    took.push_back(timed([&] { manager.CloseAll(); }));
    std::printf("disconnect x4, delete, close of 3 (ms):");
    for (DWORD ms : took)
        std::printf(" %lu", static_cast<unsigned long>(ms));
    std::printf("\n");
    for (DWORD ms : took)
        EXPECT_LT(ms, 500u);

    // The threads end by themselves, and nothing is sent afterwards.
    EXPECT_TRUE(PollThread_t::WaitForStoppedThreads(10000));
    const size_t requests = Journal().size();
    Sleep(1000);
    EXPECT_EQ(requests, Journal().size()) << "nothing is sent after the disconnect";
    EXPECT_TRUE(SharedTcpLinks().empty());

    // Nothing the stopped polls held is left held: the next connect goes through (bounded
    // here, as a lock left held would keep it waiting for good).
    struct ConnectRun
    {
        boost::shared_ptr<CConnectionGeneric1> connection;
        std::string error;
        static DWORD WINAPI Run(LPVOID self)
        {
            ConnectRun* run = static_cast<ConnectRun*>(self);
            run->error = ErrorText([&] { run->connection->Connect(); });
            return 0;
        }
    };
    auto next = MakeDevice(nullptr, Description());
    ConnectRun* run = new ConnectRun{next->GetGenericConnection(), ""};
    HANDLE thread = CreateThread(nullptr, 0, &ConnectRun::Run, run, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    const bool ended = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0;
    CloseHandle(thread);
    ASSERT_TRUE(ended) << "the next connect still waits after 30 s";
    EXPECT_EQ("(no exception)", run->error);
    delete run;
    EXPECT_TRUE(next->GetGenericConnection()->Disconnect());
}

TEST_F(ConnectionDeviceTest, EveryDeviceOnABusySerialLineIsMarkedByItsOwnRequestWhenItStopsAndPollsAgainWhenTheLineComesBack)
{
    const int kUnits = 10;
    const std::string unit = R"({"holding": {"0x8": 1, "0x10": 123, "0x12": [1, 2, 2],
                                              "0x100": [22097, 12849, 13363, 53], "0x200": 4660}})";
    const std::string profile = UnitsProfile(kUnits, unit);
    StartDevice(profile, "rtu");
    CDocumentManager manager;
    const std::vector<CDocumentDeviceGeneric1Ptr> devices = ConnectUnits(manager, kUnits);
    // Every unit's poll range at 0x12 was read since the journal had `from` lines.
    auto everyUnitPolledSince = [&](size_t from) {
        return WaitForJournal([&](const std::vector<Request>& all) {
            std::set<int> units;
            for (size_t i = from; i < all.size(); ++i)
                if (all[i].function == 3 && all[i].address == 0x12)
                    units.insert(all[i].unit);
            return units.size() == size_t(kUnits);
        }, 15000);
    };
    ASSERT_TRUE(everyUnitPolledSince(0));
    ASSERT_TRUE(testing_support::PollUntil([&] { return EveryDeviceAnswering(devices); }, 15000));

    // The device process stops: each device is marked once a request of its own went
    // unanswered (both attempts of 500 ms), not for the time its poll waits for the line
    // behind the others' failing ones; so they are marked in turn, one own request apart
    // (the device before finishing its cycle of two ranges), and stay marked. The delays
    // are printed for the record; the bounds keep a margin of three for a loaded run.
    host.Stop(deviceProcess);
    deviceProcess = 0;
    const DWORD stopped = GetTickCount();
    std::vector<DWORD> markedAfter(devices.size(), 0);
    testing_support::PollUntil([&] {
        bool all = true;
        for (size_t i = 0; i < devices.size(); ++i) {
            if (markedAfter[i] == 0 && !devices[i]->IsAnswering())
                markedAfter[i] = GetTickCount() - stopped;
            all = all && markedAfter[i] != 0;
        }
        return all;
    }, 90000, 10);
    std::printf("marked after (ms):");
    for (DWORD delay : markedAfter)
        std::printf(" %lu", static_cast<unsigned long>(delay));
    std::printf("\n");
    const DWORD ownRequestMs = 2 * SHARED_SERIAL_TIMEOUT_MS;
    const DWORD pollPeriodMs = DISPATCH_TIMER_PERIOD_MS * DISPATCH_TIME_EVERY_TICKS;
    std::vector<DWORD> inTurn = markedAfter;
    std::sort(inTurn.begin(), inTurn.end());
    for (size_t i = 0; i < inTurn.size(); ++i) {
        EXPECT_NE(0u, inTurn[i]) << "a device was never marked";
        const DWORD after = i == 0 ? 0 : inTurn[i - 1];
        EXPECT_LE(inTurn[i], after + 3 * (i == 0 ? pollPeriodMs + ownRequestMs : 2 * ownRequestMs)) << "mark " << i + 1;
    }
    EXPECT_FALSE(testing_support::PollUntil([&] {
        return std::any_of(devices.begin(), devices.end(),
                           [](const CDocumentDeviceGeneric1Ptr& device) { return device->IsAnswering(); });
    }, 3000, 10)) << "a mark went again while the device was silent";

    // The adapter is unplugged as well: the pair goes too.
    const int com = pair.com;
    host.Stop(pair.id);
    for (const CDocumentDeviceGeneric1Ptr& device : devices)
        EXPECT_FALSE(device->GetMessagesText().empty());

    // It is plugged in again as the same COM port: every device is polled again by itself.
    // Unit 1 now answers its range at 0x12 only after 300 ms.
    const std::string slowFirst = R"({"kind": "delay", "seconds": 0.3, "function": 3, "address": 18})";
    const size_t unitsAt = profile.find("\"1\": ") + 5;
    const std::string slowProfile = profile.substr(0, unitsAt) + unit.substr(0, unit.size() - 1) +
                                    R"(, "faults": [)" + slowFirst + "]}" + profile.substr(unitsAt + unit.size());
    StartDevice(slowProfile, "rtu", com);
    ASSERT_EQ(com, pair.com);
    EXPECT_TRUE(everyUnitPolledSince(0));
    for (const CDocumentDeviceGeneric1Ptr& device : devices) {
        EXPECT_TRUE(WaitForMessages(*device, [](const std::string& text) { return text.empty(); }, 15000))
            << device->GetMessagesText();
        EXPECT_TRUE(device->IsConnected());
    }

    // Unit 1 is disconnected while its poll waits for that answer, and connected again at
    // once: the old thread ends by itself beside the new one, on the one link of the port.
    auto firstPolledSince = [&](size_t from, DWORD timeoutMs) {
        return WaitForJournal([&](const std::vector<Request>& all) {
            for (size_t i = from; i < all.size(); ++i)
                if (all[i].unit == 1 && all[i].address == 0x12)
                    return true;
            return false;
        }, timeoutMs);
    };
    ASSERT_TRUE(firstPolledSince(Journal().size(), 5000));
    const boost::shared_ptr<CConnectionGeneric1> first = devices[0]->GetGenericConnection();
    const DWORD start = GetTickCount();
    EXPECT_TRUE(first->Disconnect());
    const DWORD disconnectMs = GetTickCount() - start;
    std::printf("disconnect during an answer under way: %lu ms\n", static_cast<unsigned long>(disconnectMs));
    EXPECT_LT(disconnectMs, 500u);
    EXPECT_EQ("(no exception)", ErrorText([&] { first->Connect(); }));
    EXPECT_EQ(1u, SharedSerialLinks().size());
    EXPECT_TRUE(firstPolledSince(Journal().size(), 15000)) << "the new connection polls";
    for (const CDocumentDeviceGeneric1Ptr& device : devices)
        device->GetGenericConnection()->Disconnect();
}
