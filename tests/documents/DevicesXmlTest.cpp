// The shipped devices.xml: every description loads and keeps clear of the setpoint tables,
// damaged copies fail with an error, and its devices, served by the test device over RTU,
// ASCII and TCP, are identified, connected and polled through the real dispatcher.
#include <gtest/gtest.h>

#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/GenericDevices.h"
#include "modbus/SharedLinks.h"
#include "shell/ProgramFolders.h"
#include "tests/documents/GenericDeviceFixtures.h"
#include "tests/support/FileText.h"
#include "tests/support/PeerHost.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"

#include <fstream>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace generic_device_testing;
using testing_support::PeerHost;

namespace {

const int SETPOINT_TABLES = 0xE000;
const int NETWORK_SETTINGS_FIRST = 0x1501;
const int NETWORK_SETTINGS_LAST = 0x16FF;

std::wstring ShippedPath()
{
    return Widen(testing_support::SourcePath("res/devices.xml"));
}

std::map<std::string, CDocumentDeviceGeneric1Ptr> LoadShipped(CDocumentManager* manager = nullptr)
{
    std::map<std::string, CDocumentDeviceGeneric1Ptr> byName;
    for (const CDocumentDeviceGeneric1Ptr& device : LoadGenericDevices(ShippedPath(), manager, -1, -1, nullptr, nullptr))
        byName[static_cast<const char*>(device->GetName())] = device;
    return byName;
}

bool InReservedRegisters(int address)
{
    return address >= SETPOINT_TABLES || (address >= NETWORK_SETTINGS_FIRST && address <= NETWORK_SETTINGS_LAST);
}

const GenericVariable_t& Variable(const CDocumentDeviceGeneric1& device, const std::string& name)
{
    for (const GenericVariable_t& variable : device.GetVariables())
        if (variable.name == name)
            return variable;
    throw std::runtime_error("no variable " + name);
}

} // namespace

TEST(ShippedDevices, EveryDescriptionLoadsCompleteAndClearOfTheSetpoints)
{
    const auto devices = LoadShipped();
    // The wizard commands go by type; the other products take types no wizard has.
    const std::map<std::string, int> wizardTypes = {
        {"Varnix", 2}, {"Ostrel Relay Module", 3}, {"Corandel Duo", 4}, {"Corandel MPPT", 7}, {"Varnix MPPT", 8},
        {"Varnix HV MPPT", 9}};
    const std::map<std::string, int> wizardEntries = {
        {"Varnix", 2}, {"Ostrel Relay Module", 1}, {"Corandel Duo", 1}, {"Corandel MPPT", 1}, {"Varnix MPPT", 1},
        {"Varnix HV MPPT", 1}, {"Varnix Meter", 0}, {"VXM-2", 0}};
    ASSERT_EQ(wizardEntries.size(), devices.size());
    std::set<int> types;
    std::set<int> models;
    bool fixedWithVariableList = false;
    bool variableLength = false;
    for (const auto& entry : devices) {
        CDocumentDeviceGeneric1& device = *entry.second;
        SCOPED_TRACE(entry.first);
        types.insert(device.GetType());
        models.insert(device.GetModel());
        if (wizardTypes.count(entry.first) != 0) {
            EXPECT_EQ(wizardTypes.at(entry.first), device.GetType());
        }
        // The device entries, its "Properties", then its wizards.
        EXPECT_EQ(DEVICE_POPUP_ENTRY_COUNT + 1 + wizardEntries.at(entry.first), device.GetPopupMenuEntryCount());
        for (const GenericIdentity_t& identity : device.GetIdentities())
            EXPECT_FALSE(identity.outputRegisters.empty());
        EXPECT_FALSE(device.GetIdentities().empty());
        EXPECT_FALSE(device.GetCoils().empty());
        EXPECT_NE(nullptr, device.FindFaultsVariable());
        EXPECT_NO_THROW(Variable(device, "Hourmeter"));
        std::set<int> formats;
        for (const GenericHardwareInfo_t& info : device.GetHardwareInfoDescriptions()) {
            formats.insert(info.format);
            EXPECT_FALSE(InReservedRegisters(info.address + info.width - 1));
        }
        EXPECT_EQ(4u, formats.size());

        // No two variables share a register, and none is a setpoint.
        std::set<int> registers;
        for (const GenericVariable_t& variable : device.GetVariables()) {
            for (int address : {variable.addressLow, variable.addressHigh}) {
                if (address == -1 && address == variable.addressHigh)
                    continue;
                EXPECT_TRUE(registers.insert(address).second) << variable.name;
                EXPECT_FALSE(InReservedRegisters(address)) << variable.name;
            }
        }
        const GenericLoggedData_t& log = device.GetLoggedData();
        if (log.bufferStart < 0)
            continue;
        EXPECT_LT(*registers.rbegin(), log.bufferStart);
        EXPECT_LE(log.bufferStart, log.bufferStop);
        EXPECT_FALSE(InReservedRegisters(log.bufferStop));
        bool hasVariableList = false;
        for (const GenericVariable_t& field : log.recordVariables)
            hasVariableList = hasVariableList || field.name == "varlist";
        fixedWithVariableList = fixedWithVariableList || (log.endPointerRegister < 0 && hasVariableList);
        variableLength = variableLength || log.endPointerRegister >= 0;
    }
    EXPECT_EQ(devices.size(), types.size());
    EXPECT_EQ(devices.size(), models.size());
    EXPECT_EQ(0u, types.count(1)) << "type 1 is the computer";
    EXPECT_TRUE(fixedWithVariableList);
    EXPECT_TRUE(variableLength);

    // The build puts the same file beside the program.
    EXPECT_EQ(testing_support::ReadFileText(testing_support::SourcePath("res/devices.xml")),
              testing_support::ReadFileText(testing_support::BuildPath("devices.xml")));
}

TEST(ShippedDevices, ControllersDecodeAnErasedLogToNoRecords)
{
    int controllers = 0;
    for (const auto& entry : LoadShipped()) {
        CDocumentDeviceGeneric1& device = *entry.second;
        const GenericLoggedData_t& log = device.GetLoggedData();
        if (log.bufferStart < 0)
            continue;
        ++controllers;
        const unsigned count = static_cast<unsigned>(log.bufferStop - log.bufferStart + 1);
        const std::vector<WORD> erased(count, 0xFFFF);
        try {
            EXPECT_TRUE(device.DecodeLoggedBuffer("2024-01-01T00:00:00.000+00:00", 100, erased.data(), count,
                                                  static_cast<WORD>(count - 1)).empty())
                << entry.first;
        } catch (const std::exception& error) {
            ADD_FAILURE() << entry.first << ": " << error.what();
        }
    }
    EXPECT_EQ(5, controllers);
}

TEST(ShippedDevices, DamagedCopiesLoadOrFailWithAnError)
{
    const std::string shipped = testing_support::ReadFileText(testing_support::SourcePath("res/devices.xml"));
    // Two devices, one of each log layout, keep every case small.
    const size_t first = shipped.find("<device ");
    const size_t third = shipped.find("<device ", shipped.find("<device ", first + 1) + 1);
    ASSERT_NE(std::string::npos, third);
    const std::string base = "<devices>" + shipped.substr(first, third - first) + "</devices>";
    ScratchFile file("mutated.xml", base);
    std::mt19937 random(20240611);
    const std::string replacements = "0123456789-x<>/\"=& abcXYZ";
    std::vector<WORD> image(MODBUS_REGISTER_SPACE, 0x8001);
    std::vector<BYTE> valid(MODBUS_REGISTER_SPACE, 1);
    int loaded = 0;
    int failed = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string text = base;
        const int edits = 1 + static_cast<int>(random() % 3);
        for (int edit = 0; edit < edits && !text.empty(); ++edit) {
            const size_t at = random() % text.size();
            const size_t length = 1 + random() % 24;
            switch (random() % 4) {
            case 0: text[at] = replacements[random() % replacements.size()]; break;
            case 1: text.erase(at, length); break;
            case 2: text.insert(at, text.substr(at, length)); break;
            default: text.insert(at, 1, replacements[random() % replacements.size()]); break;
            }
        }
        ASSERT_TRUE(testing_support::WriteFileText(file.Path(), text));
        try {
            for (const CDocumentDeviceGeneric1Ptr& device :
                 LoadGenericDevices(file.WidePath(), nullptr, -1, -1, nullptr, nullptr)) {
                try {
                    device->ConvertRegisterImage(image.data(), valid.data());
                } catch (const std::runtime_error& error) {
                    EXPECT_STREQ("Modbus output register PDU address out of range", error.what()) << round;
                }
            }
            ++loaded;
        } catch (const std::runtime_error& error) {
            EXPECT_NE('\0', error.what()[0]) << round;
            ++failed;
        }
    }
    // Both outcomes occur, so the cases reached the description reader.
    EXPECT_GT(loaded, 100);
    EXPECT_GT(failed, 100);
}

namespace {

// A device of the shipped file, served by the test device and polled through a running
// document manager.
class ShippedDeviceOnTheWire : public testing::Test {
protected:
    void SetUp() override
    {
        m_savedFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(Widen(testing_support::SourcePath("res")));
        m_serial = "GT" + std::to_string(100000 + GetCurrentProcessId() % 900000);
    }

    void TearDown() override
    {
        if (m_device) {
            m_recording.manager->RemoveDevice(m_device);
            m_device.reset();
        }
        if (!m_logPath.empty())
            DeleteFileW(m_logPath.c_str());
        if (m_testDevice)
            m_host.Stop(m_testDevice);
        GetProgramFolders().SetProgramFolder(m_savedFolder);
    }

    // The profile of one unit standing for the named description, with its own registers.
    std::string Profile(const std::string& name, const std::string& holding) const
    {
        return "{\"units\": {\"1\": {\"device\": {\"xml\": \"" + testing_support::SourceUnixPath("res/devices.xml")
               + "\", \"name\": \"" + name + "\", \"serial\": \"" + m_serial + "\"}, \"holding\": {" + holding
               + "}, \"identification\": {\"2\": \"3.14\"}}}}";
    }

    void StartTestDevice(const std::string& profile, const std::vector<std::string>& transport)
    {
        const testing_support::StartedTestDevice started =
            testing_support::StartTestDevice(m_host, "tests/documents/generic", profile, transport, 180);
        m_testDevice = started.id;
        m_journal = started.journalPath;
        m_tcpPort = started.tcpPort;
        ASSERT_NE(0, started.id) << started.error;
        ASSERT_TRUE(started.error.empty()) << started.error;
    }

    void Describe(int model, int type)
    {
        m_device.reset(new CDocumentDeviceGeneric1(BYTE(model), BYTE(type), 255, m_recording.manager.get()));
        LoadGenericDevices(ShippedPath(), m_recording.manager.get(), model, type, m_device.get(), nullptr);
        m_id = m_recording.manager->AddDevice(m_device);
        ASSERT_GT(m_id, 0);
    }

    // Connects, waits until every variable's value reached both queues, and checks what
    // every device shows after connecting.
    void ConnectAndPoll(const std::string& productCode)
    {
        try {
            m_device->GetConnection()->Connect();
        } catch (const std::exception& error) {
            FAIL() << "connect: " << error.what() << " " << m_device->GetMessagesText();
        }
        std::wstring folder;
        m_logPath = m_device->GetEmbeddedLogFilePath(folder);
        EXPECT_STREQ(productCode.c_str(), m_device->GetTitle());
        EXPECT_EQ(productCode + " (" + m_serial + ")", std::string(static_cast<const char*>(m_device->GetName())));
        EXPECT_EQ("3.14", m_device->GetFirmwareVersion());
        EXPECT_EQ(m_serial, m_device->GetSerialText());

        const size_t variables = m_device->GetVariables().size();
        auto allArrived = [&](ValueRecorder& queue) {
            std::set<DWORD> ids;
            for (const ValueItemPtr& value : queue.From(m_id))
                ids.insert(value->GetVariableId());
            return ids.size() == variables;
        };
        ASSERT_TRUE(WaitUntil([&] { return allArrived(m_recording.devices) && allArrived(m_recording.displays); },
                              20000))
            << m_device->GetMessagesText();
        EXPECT_FALSE(m_device->IsBusy());
        EXPECT_TRUE(m_device->IsLogHandled());
    }

    // The newest value of the named variable, the same in both queues.
    COleVariant Value(const std::string& name)
    {
        const int variableId = Variable(*m_device, name).id;
        const ValueItemPtr fromDevices = m_recording.devices.Latest(m_id, variableId);
        const ValueItemPtr fromDisplays = m_recording.displays.Latest(m_id, variableId);
        if (!fromDevices || !fromDisplays) {
            ADD_FAILURE() << "no value of " << name;
            return COleVariant();
        }
        EXPECT_TRUE(fromDevices->GetValue() == fromDisplays->GetValue()) << name;
        EXPECT_STREQ(Variable(*m_device, name).units.c_str(), fromDevices->GetUnits()) << name;
        return fromDevices->GetValue();
    }

    void ExpectHardwareInfo(const std::string& macName, const std::string& ipName)
    {
        const HardwareInfoPairs_t expected = {{"Serial Number", m_serial},
                                              {macName, "001ec0123456"},
                                              {ipName, "192.0.2.10"},
                                              {"Factory Calibrated", "true"}};
        EXPECT_EQ(expected, m_device->GetHardwareInfo());
    }

    void DisconnectAndCheck()
    {
        EXPECT_TRUE(m_device->GetConnection()->Disconnect());
        EXPECT_FALSE(m_device->IsConnected());
        EXPECT_TRUE(m_device->GetHardwareInfo().empty());
        EXPECT_EQ("", m_device->GetFirmwareVersion());
        EXPECT_EQ("", m_device->GetSerialText());
    }

    int JournalCount(const std::string& transport, const std::string& function, const std::string& address = "")
    {
        std::ifstream in(m_journal);
        std::string line;
        int count = 0;
        while (std::getline(in, line))
            if (PeerHost::Field(line, "transport") == transport && PeerHost::Field(line, "function") == function
                && (address.empty() || PeerHost::Field(line, "address") == address))
                ++count;
        return count;
    }

    PeerHost m_host;
    RecordingManager m_recording;
    CDocumentDeviceGeneric1Ptr m_device;
    int m_id = 0;
    int m_testDevice = 0;
    int m_tcpPort = 0;
    std::string m_journal;
    std::string m_serial;
    std::wstring m_logPath;
    std::wstring m_savedFolder;
};

} // namespace

TEST_F(ShippedDeviceOnTheWire, VarnixOverRtu)
{
    const testing_support::SerialPair pair = m_host.OpenSerialPair();
    ASSERT_NE(0, pair.id) << m_host.Error();
    // Battery 4520 counts, float charging, three alarms over both words, -10 degrees.
    StartTestDevice(Profile("Varnix", "\"0x0001\": 4520, \"0x0008\": 7, \"0x000A\": 65, \"0x000B\": 1, "
                                      "\"0x0006\": 65526"),
                    {"--rtu", pair.peerPath});
    Describe(10, 2);
    m_device->GetGenericConnection()->SetComPort(pair.com);
    ASSERT_NO_FATAL_FAILURE(ConnectAndPoll("VNX-45"));
    ExpectHardwareInfo("Hardware ID", "Bridge IP Address");

    const COleVariant battery = Value("Battery Voltage");
    ASSERT_EQ(VT_R4, battery.vt);
    EXPECT_NEAR(13.334, battery.fltVal, 0.001);
    EXPECT_EQ("Float", VariantText(Value("Charge State")));
    EXPECT_EQ("RTS open, Current limit, Array voltage high", VariantText(Value("Alarms")));
    EXPECT_EQ("none", VariantText(Value("Faults")));
    const COleVariant heatsink = Value("Heatsink Temperature");
    ASSERT_EQ(VT_I4, heatsink.vt);
    EXPECT_EQ(-10, heatsink.lVal);
    EXPECT_EQ(1234, Value("Hourmeter").lVal);
    EXPECT_EQ(1234, m_device->ReadHourmeter());
    EXPECT_EQ(45, Value("Rated Current").lVal);
    EXPECT_GT(JournalCount("rtu", "3"), 0);
    DisconnectAndCheck();
}

TEST_F(ShippedDeviceOnTheWire, CorandelDuoOverAscii)
{
    const testing_support::SerialPair pair = m_host.OpenSerialPair();
    ASSERT_NE(0, pair.id) << m_host.Error();
    StartTestDevice(Profile("Corandel Duo", "\"0x0001\": 1325, \"0x0005\": 3, \"0x0009\": 5"),
                    {"--ascii", pair.peerPath});
    // The link of this port frames in ASCII for every user while this handle holds it.
    const boost::shared_ptr<CSharedModbusLocal> asciiLink = OpenSharedModbusSerial(pair.com);
    boost::static_pointer_cast<CLocalModbus>(asciiLink->m_link)->SetMode(CLocalModbus::MODE_ASCII);
    Describe(30, 4);
    m_device->GetGenericConnection()->SetComPort(pair.com);
    ASSERT_NO_FATAL_FAILURE(ConnectAndPoll("CRD-DUO"));
    ExpectHardwareInfo("Hardware ID", "Bridge IP Address");

    EXPECT_NEAR(13.25, Value("Battery 1 Voltage").fltVal, 0.0001);
    EXPECT_EQ("Float", VariantText(Value("Battery 2 State")));
    EXPECT_EQ("Overcurrent, Software", VariantText(Value("Faults")));
    EXPECT_EQ("none", VariantText(Value("Alarms")));
    EXPECT_GT(JournalCount("ascii", "3"), 0);
    EXPECT_EQ(0, JournalCount("rtu", "3"));
    DisconnectAndCheck();
}

TEST_F(ShippedDeviceOnTheWire, VarnixMpptOverTcp)
{
    StartTestDevice(Profile("Varnix MPPT", "\"0x0003\": 65036, \"0x0009\": 0, \"0x000A\": 8, "
                                           "\"0x000F\": 34463, \"0x0010\": 1"),
                    {"--tcp-port", "0"});
    Describe(20, 8);
    const boost::shared_ptr<CConnectionGeneric1> connection = m_device->GetGenericConnection();
    connection->SetSerial(false);
    connection->SetHost("127.0.0.1");
    connection->SetTcpPort(m_tcpPort);
    ASSERT_NO_FATAL_FAILURE(ConnectAndPoll("VX-MPPT"));
    ExpectHardwareInfo("MAC Address", "IP Address");

    EXPECT_NEAR(-5.0, Value("Battery Current").fltVal, 0.0001);     // signed: 65036 is -500
    EXPECT_EQ("Fan failure", VariantText(Value("Alarms")));
    EXPECT_NEAR(9999.9, Value("kWh Total").fltVal, 0.01);            // 99999 tenths over two words
    EXPECT_EQ(150, Value("Rated Voltage").lVal);
    EXPECT_GT(JournalCount("tcp", "3"), 0);
    DisconnectAndCheck();
}

TEST_F(ShippedDeviceOnTheWire, SharedProductCodeIsToldApartByItsRegisters)
{
    StartTestDevice(Profile("Varnix HV MPPT", ""), {"--tcp-port", "0"});
    ModbusEndpoint_t endpoint;
    endpoint.network = true;
    endpoint.host = "127.0.0.1";
    endpoint.port = m_tcpPort;
    endpoint.unitId = 1;
    const CDocumentDeviceGeneric1Ptr found = IdentifyGenericDevice(endpoint, "VX-MPPT");
    ASSERT_TRUE(found);
    EXPECT_STREQ("Varnix HV MPPT", found->GetName());
    EXPECT_EQ(endpoint, *found->GetGenericConnection()->GetEndpoint());
    EXPECT_EQ(1, JournalCount("tcp", "3", "0"));   // the register both candidates name, read once

    // The rated voltage of the smaller controller makes it that one; a value of neither, none.
    const boost::shared_ptr<CSharedModbusRemote> link = OpenSharedModbusTcp("127.0.0.1", m_tcpPort);
    ASSERT_EQ(0, link->m_link->WriteSingleRegister(1, 0, 150));
    EXPECT_STREQ("Varnix MPPT", IdentifyGenericDevice(endpoint, "VX-MPPT")->GetName());
    ASSERT_EQ(0, link->m_link->WriteSingleRegister(1, 0, 300));
    EXPECT_FALSE(IdentifyGenericDevice(endpoint, "VX-MPPT"));
    // Unit 2 does not answer: every read fails and no candidate matches.
    endpoint.unitId = 2;
    EXPECT_FALSE(IdentifyGenericDevice(endpoint, "VX-MPPT"));
}
