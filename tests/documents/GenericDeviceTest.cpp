// The generic device document: filled from a description file, its register image turned
// into value items in both queues, its hardware information, its wizard entries, its
// archive, and the choice of a description for a found device.
#include <gtest/gtest.h>

#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/GenericDevices.h"
#include "framework/CArchiveException.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "framework/ResourceHandle.h"
#include "shell/ProgramFolders.h"
#include "tests/documents/GenericDeviceFixtures.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/MessageCollector.h"

#include <stdexcept>
#include <string>
#include <vector>
#include "tests/support/ErrorText.h"

using namespace generic_device_testing;
using testing_support::Bytes;
using testing_support::MessageBoxRecorder;

using testing_support::ErrorText;

namespace {

const char* const DESCRIPTIONS = R"(<?xml version="1.0"?>
<devices>
  <device name="Alpha" model="1" type="2" set="4660" defaultModbusAddr="7" skelderType="3">
    <identity><productCode>AL-1</productCode><outputRegister address="0x30">1</outputRegister></identity>
    <identity><productCode>AL-2</productCode><outputRegister address="0x30">2</outputRegister></identity>
    <variable name="Volts" id="10" description="Battery volts" units="V" min="0" max="100" scaling="0.1"
              addressLow="0x0010" addressHigh="-1"/>
    <variable name="hourMeter" id="11" description="Hours" units="h" min="0" max="1e9" scaling="1"
              addressLow="0x0012" addressHigh="0x0011"/>
    <variable name="ALARMS" id="12" description="Alarms" units="" min="0" max="65535" scaling="1"
              addressLow="0x0013" addressHigh="-1" bitfield="1">
      <translation value="1">A</translation><translation value="4">C</translation>
    </variable>
    <variable name="Temperature" id="12" description="Second id 12" units="C" min="-40" max="85" scaling="1"
              addressLow="0x0020" addressHigh="-1"/>
    <coil name="Reset" address="0x00FF" writable="1" readable="0"/>
    <hardwareinfo name="Serial Number" address="0x1000" width="4" format="ascii"/>
  </device>
  <device name="Alpha Copy" model="1" type="2" set="1" defaultModbusAddr="1" skelderType="4">
    <identity><productCode>AL-1</productCode></identity>
  </device>
  <device name="Beta" model="2" type="5" set="2" defaultModbusAddr="1" skelderType="255">
    <identity><productCode>BE-1</productCode></identity>
    <variable name="Faults" id="1" description="" units="" min="0" max="65535" scaling="1"
              addressLow="0x0005" addressHigh="-1"/>
  </device>
  <device name="Gamma" model="3" type="7" set="3" defaultModbusAddr="1" skelderType="1">
    <identity><productCode>AL-2</productCode><outputRegister address="0x31">5</outputRegister></identity>
  </device>
</devices>
)";

std::vector<std::string> Names(const GenericDeviceList_t& devices)
{
    std::vector<std::string> names;
    for (const CDocumentDeviceGeneric1Ptr& device : devices)
        names.push_back(static_cast<const char*>(device->GetName()));
    return names;
}

class GenericDevice : public testing::Test {
protected:
    GenericDevice() : m_file("devices.xml", DESCRIPTIONS) {}

    void SetUp() override
    {
        m_savedFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(m_file.Folder());
        MessageBoxRecorder::Instance().Clear();
    }
    void TearDown() override { GetProgramFolders().SetProgramFolder(m_savedFolder); }

    // The first description of that model and type, as a workspace load finds it.
    CDocumentDeviceGeneric1Ptr Load(int model, int type, CDocumentManager* manager = nullptr)
    {
        CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(BYTE(model), BYTE(type), 255, manager));
        EXPECT_TRUE(LoadGenericDevices(m_file.WidePath(), manager, model, type, device.get(), nullptr).empty());
        return device;
    }

    Bytes Store(CDocumentDeviceGeneric1& device)
    {
        return testing_support::StoreToBytes([&](CArchive& ar) { device.Serialize(ar); });
    }

    ScratchFile m_file;
    std::wstring m_savedFolder;
};

} // namespace

TEST(ProcessProgramFolders, OneInstanceFromTheCommandLine)
{
    CProgramFolders& folders = GetProgramFolders();
    EXPECT_EQ(&folders, &GetProgramFolders());
    EXPECT_EQ(CProgramFolders::ProgramFolderFromCommandLine(GetCommandLineW()), folders.GetProgramFolder());
}

TEST_F(GenericDevice, ConstructedWithItsConnectionAndNoDescription)
{
    CDocumentDeviceGeneric1 device(4, 7, 9, nullptr);
    EXPECT_STREQ("Generic 1", device.GetName());
    ASSERT_TRUE(device.GetGenericConnection());
    EXPECT_EQ(&device, device.GetConnection()->GetOwner());
    EXPECT_FALSE(device.IsBusy());
    EXPECT_EQ(GENERIC_CONFIG_SOURCE_ID, device.GetConfigStore()->GetSourceId());

    // A workspace creates devices by class name.
    CRuntimeClass* byName = CRuntimeClass::FromName("CDocumentDeviceGeneric1");
    ASSERT_EQ(RUNTIME_CLASS(CDocumentDeviceGeneric1), byName);
    std::unique_ptr<CObject> created(byName->CreateObject());
    EXPECT_EQ(SKELDER_TYPE_NONE, static_cast<CDocumentDeviceGeneric1*>(created.get())->GetSkelderType());
}

TEST_F(GenericDevice, LoadFiltersAndTargets)
{
    const std::wstring path = m_file.WidePath();
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Alpha Copy", "Beta", "Gamma"}),
              Names(LoadGenericDevices(path, nullptr, -1, -1, nullptr, nullptr)));
    // Either filter below 0 lets every element through; otherwise both must match.
    EXPECT_EQ(4u, LoadGenericDevices(path, nullptr, -1, 5, nullptr, nullptr).size());
    EXPECT_EQ(4u, LoadGenericDevices(path, nullptr, 2, -1, nullptr, nullptr).size());
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Alpha Copy"}),
              Names(LoadGenericDevices(path, nullptr, 1, 2, nullptr, nullptr)));
    EXPECT_TRUE(LoadGenericDevices(path, nullptr, 2, 2, nullptr, nullptr).empty());
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Gamma"}),
              Names(LoadGenericDevices(path, nullptr, -1, -1, nullptr, "AL-2")));
    EXPECT_TRUE(LoadGenericDevices(path, nullptr, -1, -1, nullptr, "al-2").empty());

    RecordingManager recording;
    const GenericDeviceList_t gamma = LoadGenericDevices(path, recording.manager.get(), 3, 7, nullptr, nullptr);
    ASSERT_EQ(1u, gamma.size());
    EXPECT_EQ(recording.manager.get(), gamma.front()->GetDocumentManager());
    EXPECT_EQ(1, gamma.front()->GetSkelderType());

    // With a target the first match in file order fills it and nothing is returned.
    EXPECT_STREQ("Alpha", Load(1, 2)->GetName());
    CDocumentDeviceGeneric1 target(8, 9, 255, nullptr);
    EXPECT_EQ("could not find type 9, model 8 in " + m_file.Path(),
              ErrorText([&] { LoadGenericDevices(path, nullptr, 8, 9, &target, nullptr); }));
    EXPECT_EQ("could not find type 5, model 2 in " + m_file.Path(),
              ErrorText([&] { LoadGenericDevices(path, nullptr, 2, 5, &target, "AL-1"); }));
    EXPECT_TRUE(target.GetVariables().empty());
}

TEST_F(GenericDevice, DescriptionFillsTheDocumentAndItsConnection)
{
    const CDocumentDeviceGeneric1Ptr device = Load(1, 2);
    EXPECT_EQ(0x1234, device->GetDeviceSet());
    EXPECT_EQ(3, device->GetSkelderType());
    EXPECT_EQ(7, device->GetGenericConnection()->GetUnitId());
    EXPECT_EQ(2u, device->GetIdentities().size());
    EXPECT_EQ(4u, device->GetVariables().size());
    EXPECT_EQ(1u, device->GetCoils().size());
    EXPECT_EQ(1u, device->GetHardwareInfoDescriptions().size());
    // Each variable's low register and then its high one, in the description's order.
    const std::list<std::pair<int, int>> polled = {{0x10, 1}, {0x12, 1}, {0x11, 1}, {0x13, 1}, {0x20, 1}};
    EXPECT_EQ(polled, device->GetGenericConnection()->GetPollRanges());

    EXPECT_EQ("ALARMS", device->FindVariableById(12)->name);   // the first of two with id 12
    EXPECT_EQ(nullptr, device->FindVariableById(99));
    EXPECT_EQ(device->FindVariableById(12), device->FindAlarmsVariable());
    EXPECT_EQ(nullptr, device->FindFaultsVariable());
    EXPECT_EQ("Faults", Load(2, 5)->FindFaultsVariable()->name);

    CTreeItemList items;
    device->CollectPlotItems(items);
    ASSERT_EQ(4u, items.size());
    EXPECT_STREQ("Temperature", items[3]->GetName());
    EXPECT_STREQ("C", items[3]->GetUnits());
    EXPECT_STREQ("Second id 12", items[3]->GetDescription());
    EXPECT_EQ(static_cast<int>(STORAGE_TYPE_SIMPLE_VALUE), items[0]->GetItemTypeId());
    EXPECT_EQ(10, items[0]->GetVariableId());
    EXPECT_EQ(device->GetId(), items[0]->GetDocumentId());
}

TEST_F(GenericDevice, RegisterImageBecomesValueItemsInBothQueues)
{
    RecordingManager recording;
    const CDocumentDeviceGeneric1Ptr device = Load(1, 2, recording.manager.get());
    const int id = recording.manager->AddDevice(device);
    ASSERT_GT(id, 0);

    std::vector<WORD> image(MODBUS_REGISTER_SPACE, 0);
    std::vector<BYTE> valid(MODBUS_REGISTER_SPACE, 0);
    image[0x10] = 123;
    image[0x11] = 0x0002;   // high word of the hour meter
    image[0x12] = 0x0003;
    image[0x13] = 5;
    image[0x20] = 0xFFF6;
    for (int address : {0x10, 0x11, 0x12, 0x13, 0x20})
        valid[address] = 1;
    device->ConvertRegisterImage(image.data(), valid.data());
    // Without its high register a 32-bit value is left out of the pass.
    valid[0x11] = 0;
    device->ConvertRegisterImage(image.data(), valid.data());

    for (ValueRecorder* queue : {&recording.devices, &recording.displays}) {
        ASSERT_TRUE(WaitUntil([&] { return queue->From(id).size() == 7; }, 3000)) << queue->From(id).size();
        std::vector<std::string> seen;
        for (const ValueItemPtr& value : queue->From(id))
            seen.push_back(std::to_string(value->GetVariableId()) + " " + static_cast<const char*>(value->GetName())
                           + " " + static_cast<const char*>(value->GetUnits()));
        EXPECT_EQ((std::vector<std::string>{"10 Volts V", "11 hourMeter h", "12 ALARMS ", "12 Temperature C",
                                            "10 Volts V", "12 ALARMS ", "12 Temperature C"}),
                  seen);
        const std::vector<ValueItemPtr> values = queue->From(id);
        EXPECT_EQ(VT_R4, values[0]->GetValue().vt);
        EXPECT_FLOAT_EQ(12.3f, values[0]->GetValue().fltVal);
        EXPECT_EQ(0x00020003, values[1]->GetValue().lVal);
        EXPECT_EQ("A, C", VariantText(values[2]->GetValue()));
        EXPECT_EQ(-10, values[3]->GetValue().lVal);
    }
    recording.manager->RemoveDevice(device);
}

TEST_F(GenericDevice, AddressesOutsideTheRegisterSpaceStopTheConversion)
{
    std::vector<WORD> image(MODBUS_REGISTER_SPACE, 0);
    std::vector<BYTE> valid(MODBUS_REGISTER_SPACE, 1);
    auto convert = [&](const std::string& low, const std::string& high) {
        const ScratchFile file("range.xml", "<devices><device name=\"R\" model=\"1\" type=\"1\" set=\"0\" "
                                            "defaultModbusAddr=\"1\" skelderType=\"0\"><variable name=\"V\" id=\"1\" "
                                            "description=\"\" units=\"\" min=\"0\" max=\"1\" scaling=\"1\" addressLow=\""
                                            + low + "\" addressHigh=\"" + high + "\"/></device></devices>");
        CDocumentDeviceGeneric1 device(1, 1, 255, nullptr);
        LoadGenericDevices(file.WidePath(), nullptr, 1, 1, &device, nullptr);
        return ErrorText([&] { device.ConvertRegisterImage(image.data(), valid.data()); });
    };
    const std::string outOfRange = "Modbus output register PDU address out of range";
    EXPECT_EQ(outOfRange, convert("1", "0x10000"));
    EXPECT_EQ(outOfRange, convert("0x10000", "-1"));
    EXPECT_EQ(outOfRange, convert("-1", "-1"));
    // A high address below -1 still means one register: no flag outside the image is read.
    EXPECT_EQ("(no exception)", convert("0", "-2"));
}

TEST_F(GenericDevice, HardwareInformationAndFirmwareVersion)
{
    const CDocumentDeviceGeneric1Ptr device = Load(1, 2);
    device->AddHardwareInfo("Serial Number", "111");
    device->AddHardwareInfo("IP Address", "10.0.0.1");
    device->AddHardwareInfo("Serial Number", "222");
    EXPECT_EQ((HardwareInfoPairs_t{{"Serial Number", "222"}, {"IP Address", "10.0.0.1"}}), device->GetHardwareInfo());
    EXPECT_STREQ("Alpha (222)", device->GetName());
    // The serial text follows any spelling of the name; the pairs keep names exactly.
    device->AddHardwareInfo("serial number", "333");
    EXPECT_EQ(3u, device->GetHardwareInfo().size());
    EXPECT_EQ("333", device->GetSerialText());

    device->SetFirmwareVersion("2.05");
    device->ClearHardwareInfo();
    EXPECT_TRUE(device->GetHardwareInfo().empty());
    EXPECT_EQ("", device->GetSerialText());
    EXPECT_EQ("2.05", device->GetFirmwareVersion());
    EXPECT_EQ("unable to find Hourmeter variable for device", ErrorText([&] { Load(2, 5)->ReadHourmeter(); }));
}

TEST_F(GenericDevice, EndpointAppliedToTheConnection)
{
    const CDocumentDeviceGeneric1Ptr device = Load(1, 2);
    const boost::shared_ptr<CConnectionGeneric1> connection = device->GetGenericConnection();
    ModbusEndpoint_t network;
    network.network = true;
    network.host = "Plant-7";
    network.port = 1502;
    network.unitId = 3;
    device->ApplyEndpoint(network);
    EXPECT_FALSE(connection->IsSerial());
    EXPECT_EQ(network, *connection->GetEndpoint());
    EXPECT_EQ("Plant-7", connection->GetHost());

    ModbusEndpoint_t serial;
    serial.port = 4;
    serial.unitId = 2;
    serial.host = "ignored";
    device->ApplyEndpoint(serial);
    EXPECT_TRUE(connection->IsSerial());
    EXPECT_EQ(4, connection->GetComPort());
    EXPECT_EQ("", connection->GetHost());
    EXPECT_EQ(1502, connection->GetTcpPort());
    EXPECT_EQ(2, connection->GetUnitId());
}

// The first wizard entry of a generic device's popup, after its property-sheet entry.
const int kWizardEntriesStart = DEVICE_POPUP_ENTRY_COUNT + 1;

TEST_F(GenericDevice, WizardEntriesTakeTheirTextsFromTheToolsMenu)
{
    const CDocumentDeviceGeneric1Ptr varnix = Load(1, 2);
    // Connect, Disconnect, Delete, a separator and the device's "Properties", then the wizards.
    const int base = kWizardEntriesStart;
    ASSERT_EQ(base + 2, varnix->GetPopupMenuEntryCount());
    CString text;
    bool enabled = false;
    bool checked = true;
    varnix->GetPopupMenuEntry(1, text, enabled, checked);
    EXPECT_STREQ("Disconnect", text);
    varnix->GetPopupMenuEntry(base - 1, text, enabled, checked);
    EXPECT_STREQ("Properties", text);
    EXPECT_EQ(base, varnix->GetPopupMenuEntry(base, text, enabled, checked));
    EXPECT_STREQ("&Varnix Setup Wizard...", text);
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(checked);
    varnix->GetPopupMenuEntry(base + 1, text, enabled, checked);
    EXPECT_STREQ("&DIP Switch Wizard...", text);   // from a nested popup
    EXPECT_THROW(varnix->GetPopupMenuEntry(base + 2, text, enabled, checked), std::range_error);
    EXPECT_EQ(base, Load(2, 5)->GetPopupMenuEntryCount());

    // The HV MPPT setup has no Tools menu item: its entry takes its name from the string table
    // and sends its own command.
    CDocumentDeviceGeneric1 hv(21, 9, 5, nullptr);
    ASSERT_EQ(base + 1, hv.GetPopupMenuEntryCount());
    hv.GetPopupMenuEntry(base, text, enabled, checked);
    EXPECT_STREQ("Varnix &HV MPPT Setup Wizard", text);
    EXPECT_TRUE(enabled);

    // A command the first Tools popup lacks is a separator; without the menu the text is "unknown".
    CDocumentDeviceGeneric1 relay(0, 3, 255, nullptr);
    relay.GetPopupMenuEntry(base, text, enabled, checked);
    EXPECT_STREQ("", text);
    AfxSetResourceHandle(GetModuleHandleA("kernel32.dll"));
    varnix->GetPopupMenuEntry(base, text, enabled, checked);
    AfxSetResourceHandle(nullptr);
    EXPECT_STREQ("unknown", text);
}

TEST_F(GenericDevice, WizardCommandGoesToTheMainWindowWithAnEndpoint)
{
    const CDocumentDeviceGeneric1Ptr varnix = Load(1, 2);
    testing_support::MessageCollector collector;
    {
        CWinApp app("GenericDeviceTest");
        CWnd mainWindow;
        ASSERT_TRUE(mainWindow.Attach(collector.Window()));
        app.m_pMainWnd = &mainWindow;
        EXPECT_EQ(kWizardEntriesStart + 1, varnix->OnPopupMenuCommand(kWizardEntriesStart + 1));
        app.m_pMainWnd = nullptr;
        mainWindow.Detach();
    }
    ASSERT_TRUE(collector.WaitFor(WM_APP_RUN_COMMAND, 3000));
    const testing_support::CollectedMessage message = collector.Messages(WM_APP_RUN_COMMAND).front();
    EXPECT_EQ(ID_TOOLS_DIP_SWITCH_WIZARD, message.wParam);
    std::unique_ptr<ModbusEndpoint_t> endpoint(reinterpret_cast<ModbusEndpoint_t*>(message.lParam));
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(*varnix->GetGenericConnection()->GetEndpoint(), *endpoint);
    EXPECT_EQ(7, endpoint->unitId);

    // Without a main window, or past the device's commands, a box tells and nothing is posted.
    varnix->OnPopupMenuCommand(kWizardEntriesStart);
    varnix->OnPopupMenuCommand(kWizardEntriesStart + 5);
    const auto boxes = MessageBoxRecorder::Instance().Boxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Error: unable to launch wizard:\nthere is no main window", boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), boxes[0].type & MB_ICONMASK);
    EXPECT_EQ("Error: unable to launch wizard:\nchecked_next passed end", boxes[1].text);
    collector.PumpFor(100);
    EXPECT_EQ(1u, collector.Count(WM_APP_RUN_COMMAND));
}

TEST_F(GenericDevice, ArchiveNamesTheDescriptionByTypeAndModel)
{
    CDocumentDeviceGeneric1 stored(1, 2, 255, nullptr);
    stored.SetSerialText("S-1");
    const Bytes bytes = Store(stored);
    const std::string base = "CDocumentDevice";
    const Bytes head = testing_support::ConcatBytes(
        {testing_support::Int32Bytes(1), testing_support::Int32Bytes(2), testing_support::Int32Bytes(1),
         {0xFF, 0xFF, 0xFF, 0xFF, BYTE(base.size()), 0}, Bytes(base.begin(), base.end()),
         testing_support::Int32Bytes(1), testing_support::Int32Bytes(2), {1, 2}});
    ASSERT_GE(bytes.size(), head.size());
    EXPECT_EQ(head, Bytes(bytes.begin(), bytes.begin() + head.size()));

    // Loading refills the description from the file; a stored Skelder type of 255 takes
    // the file's value back, any other stays.
    CDocumentDeviceGeneric1 loaded;
    testing_support::LoadFromBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(4u, loaded.GetVariables().size());
    EXPECT_EQ(0x1234, loaded.GetDeviceSet());
    EXPECT_EQ(3, loaded.GetSkelderType());
    EXPECT_EQ("S-1", loaded.GetSerialText());
    CDocumentDeviceGeneric1 storedSkelder(1, 2, 9, nullptr);
    CDocumentDeviceGeneric1 keepsSkelder;
    testing_support::LoadFromBytes(Store(storedSkelder), [&](CArchive& ar) { keepsSkelder.Serialize(ar); });
    EXPECT_EQ(9, keepsSkelder.GetSkelderType());

    // The description itself never enters the archive.
    const Bytes described = Store(*Load(1, 2));
    EXPECT_EQ(std::string::npos, std::string(described.begin(), described.end()).find("Volts"));
}

TEST_F(GenericDevice, WorkspaceOfAnUnknownDeviceFailsWithBadSchema)
{
    CDocumentDeviceGeneric1 stored(8, 9, 255, nullptr);
    Bytes bytes = Store(stored);
    const std::string hint = ".\nYou likely need a new Pyraxis version.  The workspace";
    for (const std::string& expected : {"could not find type 9, model 8 in " + m_file.Path() + hint, std::string()}) {
        CDocumentDeviceGeneric1 loaded;
        try {
            testing_support::LoadFromBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
            ADD_FAILURE() << "loaded: " << expected;
        } catch (CArchiveException* error) {
            EXPECT_EQ(CArchiveException::badSchema, error->m_cause);
            EXPECT_EQ(expected, std::string(static_cast<const char*>(error->m_strFileName)));
            error->Delete();
        }
        bytes[0] = 2;   // then a schema of 2
    }
}

TEST_F(GenericDevice, CreationAndIdentificationFromTheProgramsFile)
{
    EXPECT_STREQ("Gamma", CreateGenericDeviceFromXml(3, 7)->GetName());
    EXPECT_EQ("Error: unable to load devices from " + m_file.Path() + "\n(could not find type 7, model 4 in "
                  + m_file.Path() + ")",
              ErrorText([] { CreateGenericDeviceFromXml(4, 7); }));

    ModbusEndpoint_t endpoint;
    endpoint.port = 249;
    endpoint.unitId = 5;
    EXPECT_FALSE(IdentifyGenericDevice(endpoint, "XX-9"));
    // One candidate is taken without asking the device.
    const CDocumentDeviceGeneric1Ptr beta = IdentifyGenericDevice(endpoint, "BE-1");
    ASSERT_TRUE(beta);
    EXPECT_STREQ("Beta", beta->GetName());
    EXPECT_EQ(249, beta->GetGenericConnection()->GetComPort());
    EXPECT_EQ(5, beta->GetGenericConnection()->GetUnitId());
    // Several must be told apart by their registers, which needs the link.
    EXPECT_EQ("unable to connect to COM249 to determine hardware details",
              ErrorText([&] { IdentifyGenericDevice(endpoint, "AL-1"); }));

    GetProgramFolders().SetProgramFolder(L"Z:\\no such folder");
    const std::string missing = ErrorText([&] { IdentifyGenericDevice(endpoint, "AL-1"); });
    EXPECT_EQ(0u, missing.find("unable to load devices from Z:\\no such folder\\devices.xml\n(unable to open device file "))
        << missing;
}
