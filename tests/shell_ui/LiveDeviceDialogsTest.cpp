// The dialogs that work on a real device, end to end against the test device standing
// for a Varnix of the shipped devices.xml: the Modbus debug console, the device's
// property pages (connection, coils, information), a display's plot-items page, and the
// device search on a serial line with its result list.
#include <gtest/gtest.h>

#include "displays/CDocumentDisplay.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "documents/GenericDevices.h"
#include "framework/CWinApp.h"
#include "res/pyraxis_resource.h"
#include "shell/CDialogControlBrowser.h"
#include "shell/ProgramFolders.h"
#include "tests/support/DialogUser.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PeerHost.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"

#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <winsock2.h>
#include <string>
#include <vector>

using shell_test::Click;
using shell_test::DialogUser;
using shell_test::FindDescendant;
using shell_test::ListTexts;
using shell_test::TextOf;
using testing_support::PeerHost;
using testing_support::PollUntil;

namespace
{
const DWORD kWaitMs = 20000;

testing_support::MessageBoxRecorder& Recorder()
{
    return testing_support::MessageBoxRecorder::Instance();
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::string Shot(HWND window, const std::string& name)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    return testing_support::Screenshot::OfWindow(window).Save(name);
}

// A control below the window, typed into, pressed or chosen as the user does; the
// notification goes to the control's own parent (a page, in a property sheet).
HWND Control(HWND top, int id)
{
    return FindDescendant(top, id);
}
void Type(HWND top, int id, const std::string& text)
{
    HWND edit = Control(top, id);
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
void Press(HWND top, int id)
{
    HWND button = Control(top, id);
    ::PostMessageA(::GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}
void ChooseRadio(HWND top, int id, std::initializer_list<int> others)
{
    for (int other : others)
        ::SendMessageA(Control(top, other), BM_SETCHECK, BST_UNCHECKED, 0);
    ::SendMessageA(Control(top, id), BM_SETCHECK, BST_CHECKED, 0);
    Press(top, id);
}
// The sheet's own buttons, as a click on them.
void PressSheetButton(HWND sheet, int button)
{
    ::PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
}
int ListCount(HWND list)
{
    return static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
}
std::string ListViewText(HWND list, int row, int column)
{
    char text[256] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}
void SelectListViewRow(HWND list, int row)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

struct JournalEntry
{
    int unit = -1, function = -1, address = -1, value = -1;
};

class LiveVarnix : public testing::Test
{
protected:
    void SetUp() override
    {
        Recorder().Clear();
        m_savedFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(Widen(testing_support::SourcePath("res")));
        m_manager.reset(new CDocumentManager);
        CDocumentManager::SetApplicationManager(m_manager.get());
        m_serial = "SH" + std::to_string(100000 + ::GetCurrentProcessId() % 900000);
    }

    void TearDown() override
    {
        if (m_device) {
            m_manager->RemoveDevice(m_device);
            m_device.reset();
        }
        if (!m_logPath.empty())
            ::DeleteFileW(m_logPath.c_str());
        m_manager->CloseAll();
        CDocumentManager::SetApplicationManager(nullptr);
        m_manager.reset();
        if (m_testDevice)
            m_host.Stop(m_testDevice);
        GetProgramFolders().SetProgramFolder(m_savedFolder);
        testing_support::DispatchPendingMessages();
        Recorder().Clear();
    }

    std::string VarnixUnit(const std::string& unit, const std::string& holding) const
    {
        return "\"" + unit + "\": {\"device\": {\"xml\": \"" + testing_support::SourceUnixPath("res/devices.xml") +
               "\", \"name\": \"Varnix\", \"serial\": \"" + m_serial + unit + "\"}, \"holding\": {" + holding +
               "}, \"identification\": {\"2\": \"3.14\"}}";
    }

    void StartDevice(const std::string& units, const std::vector<std::string>& transport)
    {
        const testing_support::StartedTestDevice started = testing_support::StartTestDevice(
            m_host, "tests/shell_ui/live", "{\"units\": {" + units + "}}", transport, 240);
        m_testDevice = started.id;
        m_journal = started.journalPath;
        m_tcpPort = started.tcpPort;
        ASSERT_NE(0, started.id) << started.error;
        ASSERT_TRUE(started.error.empty()) << started.error;
    }

    // A Varnix document of the shipped file, on the test device's TCP port, not connected.
    void DescribeVarnix()
    {
        m_device.reset(new CDocumentDeviceGeneric1(10, 2, 255, m_manager.get()));
        LoadGenericDevices(GetProgramFolders().GetDevicesXmlPath(), m_manager.get(), 10, 2, m_device.get(), nullptr);
        ASSERT_GT(m_manager->AddDevice(m_device), 0);
        m_connection = m_device->GetGenericConnection();
        ASSERT_TRUE(m_connection);
        m_connection->SetSerial(false);
        m_connection->SetHost("127.0.0.1");
        m_connection->SetTcpPort(m_tcpPort);
    }

    void Connect()
    {
        try {
            m_device->GetConnection()->Connect();
        } catch (const std::exception& error) {
            FAIL() << "connect: " << error.what();
        }
        std::wstring folder;
        m_logPath = m_device->GetEmbeddedLogFilePath(folder);
    }

    std::vector<JournalEntry> Journal()
    {
        std::vector<JournalEntry> entries;
        std::ifstream in(m_journal);
        std::string line;
        while (std::getline(in, line) && entries.size() < 1000000) {
            JournalEntry entry;
            auto number = [&](const char* key) {
                const std::string text = PeerHost::Field(line, key);
                return text.empty() || text == "null" ? -1 : std::stoi(text);
            };
            entry.unit = number("unit");
            entry.function = number("function");
            entry.address = number("address");
            entry.value = number("value");
            entries.push_back(entry);
        }
        return entries;
    }
    bool JournalHas(int unit, int function, int address, int value)
    {
        for (const JournalEntry& entry : Journal())
            if (entry.unit == unit && entry.function == function && (address < 0 || entry.address == address) &&
                (value < 0 || entry.value == value))
                return true;
        return false;
    }

    CWinApp m_app{"LiveDialogsTest"};
    PeerHost m_host;
    CDocumentManagerPtr m_manager;
    CDocumentDeviceGeneric1Ptr m_device;
    boost::shared_ptr<CConnectionGeneric1> m_connection;
    int m_testDevice = 0;
    int m_tcpPort = 0;
    std::string m_journal;
    std::string m_serial;
    std::wstring m_logPath;
    std::wstring m_savedFolder;
};
} // namespace

TEST_F(LiveVarnix, DebugConsoleReadsWritesAndSendsRawRequestsThroughTheDevicesConnection)
{
    ASSERT_NO_FATAL_FAILURE(StartDevice(VarnixUnit("1", "\"0x0001\": 4520, \"0x0002\": 16706, \"0x0020\": 9, \"0x0021\": 9, \"0x0022\": 9"), {"--tcp-port", "0"}));
    ASSERT_NO_FATAL_FAILURE(DescribeVarnix());
    ASSERT_NO_FATAL_FAILURE(Connect());

    struct Seen
    {
        bool readAddressEnabled = false, writeAddressEnabled = true, rawEnabledAfterChoice = false;
        std::vector<std::string> readLines, rawLines, writeLines;
        size_t boxesAfterBadRange = 0;
        std::vector<std::string> linesAfterBadRange;
        std::string screenshot;
    } seen;
    DialogUser user(IDC_DEBUG_OUTPUT, [&](HWND dialog) {
        HWND output = Control(dialog, IDC_DEBUG_OUTPUT);
        seen.readAddressEnabled = ::IsWindowEnabled(Control(dialog, IDC_DEBUG_READ_ADDRESS)) != FALSE;
        seen.writeAddressEnabled = ::IsWindowEnabled(Control(dialog, IDC_DEBUG_WRITE_ADDRESS)) != FALSE;

        Type(dialog, IDC_DEBUG_READ_ADDRESS, "1-3");
        ::SendMessageA(Control(dialog, IDC_DEBUG_SHOW_STRING), BM_SETCHECK, BST_CHECKED, 0);
        Click(dialog, IDOK);
        PollUntil([&] { return ListCount(output) >= 4; }, kWaitMs);
        seen.readLines = ListTexts(output);
        seen.screenshot = Shot(dialog, "shell_debug_console");

        ChooseRadio(dialog, IDC_DEBUG_RAW, {IDC_DEBUG_READ, IDC_DEBUG_WRITE, IDC_DEBUG_WRITE_COIL});
        PollUntil([&] { return ::IsWindowEnabled(Control(dialog, IDC_DEBUG_RAW_BYTES)) != FALSE; }, kWaitMs);
        seen.rawEnabledAfterChoice = ::IsWindowEnabled(Control(dialog, IDC_DEBUG_RAW_BYTES)) != FALSE &&
                                     !::IsWindowEnabled(Control(dialog, IDC_DEBUG_READ_ADDRESS));
        ::SendMessageA(Control(dialog, IDC_DEBUG_SHOW_STRING), BM_SETCHECK, BST_UNCHECKED, 0);
        Type(dialog, IDC_DEBUG_RAW_BYTES, "1,3,0,1,0,1");
        Click(dialog, IDOK);
        PollUntil([&] { return ListCount(output) == 2 && ListTexts(output)[0].rfind("Sent", 0) == 0; }, kWaitMs);
        seen.rawLines = ListTexts(output);

        ChooseRadio(dialog, IDC_DEBUG_WRITE, {IDC_DEBUG_READ, IDC_DEBUG_RAW, IDC_DEBUG_WRITE_COIL});
        Type(dialog, IDC_DEBUG_WRITE_ADDRESS, "20-22");
        Type(dialog, IDC_DEBUG_WRITE_VALUES, "1,2");
        Click(dialog, IDOK);
        PollUntil([&] { return ListCount(output) == 3 && ListTexts(output)[0].rfind("0x0020", 0) == 0; }, kWaitMs);
        seen.writeLines = ListTexts(output);

        ChooseRadio(dialog, IDC_DEBUG_READ, {IDC_DEBUG_WRITE, IDC_DEBUG_RAW, IDC_DEBUG_WRITE_COIL});
        Type(dialog, IDC_DEBUG_READ_ADDRESS, "12-10");
        Click(dialog, IDOK);
        PollUntil([&] { return Recorder().Count() > 0; }, kWaitMs);
        seen.boxesAfterBadRange = Recorder().Count();
        seen.linesAfterBadRange = ListTexts(output);
        Click(dialog, IDCANCEL);
    });
    m_device->ShowDebugConsole();
    ASSERT_TRUE(user.Finished());

    EXPECT_TRUE(seen.readAddressEnabled);
    EXPECT_FALSE(seen.writeAddressEnabled);
    ASSERT_EQ(4u, seen.readLines.size());
    EXPECT_EQ("0x0001: 0x11a8,  4520, \"\\0xa8\\0x11\"", seen.readLines[0]);
    EXPECT_EQ("0x0002: 0x4142, 16706, \"BA\"", seen.readLines[1]);
    EXPECT_EQ(0u, seen.readLines[2].rfind("0x0003: ", 0));
    EXPECT_EQ(0u, seen.readLines[3].rfind("\"\\0xa8\\0x11BA", 0));
    EXPECT_FALSE(seen.screenshot.empty());

    EXPECT_TRUE(seen.rawEnabledAfterChoice);
    ASSERT_EQ(2u, seen.rawLines.size());
    EXPECT_EQ("Sent (hex): 01, 03, 00, 01, 00, 01", seen.rawLines[0]);
    EXPECT_EQ("Received (hex): 01, 03, 02, 11, a8", seen.rawLines[1]);

    ASSERT_EQ(3u, seen.writeLines.size()) << (Recorder().Count() > 0 ? Recorder().Boxes()[0].text : "");
    EXPECT_EQ(0u, seen.writeLines[0].rfind("0x0020: 0x0001,     1,", 0));
    EXPECT_EQ(0u, seen.writeLines[1].rfind("0x0021: 0x0002,     2,", 0));
    EXPECT_EQ(0u, seen.writeLines[2].rfind("0x0022: 0x0000,     0,", 0));
    EXPECT_TRUE(JournalHas(1, 6, 0x20, 1));
    EXPECT_TRUE(JournalHas(1, 6, 0x21, 2));
    EXPECT_TRUE(JournalHas(1, 6, 0x22, 0));

    ASSERT_EQ(1u, seen.boxesAfterBadRange);
    EXPECT_EQ("Error: starting PDU address is greater than ending PDU address", Recorder().Boxes()[0].text);
    EXPECT_TRUE(seen.linesAfterBadRange.empty());
}

TEST_F(LiveVarnix, PropertyPagesShowTheConnectionForceCoilsListTheDeviceAndChangeTheUnitId)
{
    ASSERT_NO_FATAL_FAILURE(StartDevice(VarnixUnit("1", "") + ", " + VarnixUnit("2", ""), {"--tcp-port", "0"}));
    ASSERT_NO_FATAL_FAILURE(DescribeVarnix());
    ASSERT_NO_FATAL_FAILURE(Connect());

    struct Seen
    {
        std::string type, host, port, localPort, address, connectedTo;
        bool comVisible = true, hostVisible = false;
        std::string refusal;
        bool stayedOpen = false;
        std::vector<std::string> coils;
        bool coilForced = false;
        std::vector<std::pair<std::string, std::string>> info;
        std::vector<std::string> shots;
    } seen;
    DialogUser user(IDC_CONNECTION_ADDRESS, [&](HWND sheet) {
        HWND typeCombo = Control(sheet, IDC_CONNECTION_TYPE);
        char text[64] = {};
        ::SendMessageA(typeCombo, CB_GETLBTEXT, ::SendMessageA(typeCombo, CB_GETCURSEL, 0, 0),
                       reinterpret_cast<LPARAM>(text));
        seen.type = text;
        seen.host = TextOf(Control(sheet, IDC_CONNECTION_HOST));
        seen.port = TextOf(Control(sheet, IDC_CONNECTION_TCP_PORT));
        seen.localPort = TextOf(Control(sheet, IDC_CONNECTION_LOCAL_PORT));
        seen.address = TextOf(Control(sheet, IDC_CONNECTION_ADDRESS));
        seen.connectedTo = TextOf(Control(sheet, IDC_CONNECTION_CONNECTED_TO));
        seen.comVisible = ::IsWindowVisible(Control(sheet, IDC_CONNECTION_COM_PORT)) != FALSE;
        seen.hostVisible = ::IsWindowVisible(Control(sheet, IDC_CONNECTION_HOST)) != FALSE;
        seen.shots.push_back(Shot(sheet, "shell_property_connection"));

        // A unit id beyond one byte is refused and the sheet stays open.
        Type(sheet, IDC_CONNECTION_ADDRESS, "300");
        PressSheetButton(sheet, PSBTN_OK);
        PollUntil([] { return Recorder().Count() > 0; }, kWaitMs);
        seen.refusal = Recorder().Count() > 0 ? Recorder().Boxes()[0].text : "";
        seen.stayedOpen = ::IsWindowVisible(sheet) != FALSE;

        ::SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
        HWND coilList = nullptr;
        PollUntil([&] { return (coilList = Control(sheet, IDC_COILS_LIST)) != nullptr; }, kWaitMs);
        seen.coils = ListTexts(coilList);
        ::SendMessageA(coilList, LB_SETCURSEL, 0, 0);
        ::SendMessageA(::GetParent(coilList), WM_COMMAND, MAKEWPARAM(IDC_COILS_LIST, LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(coilList));
        Press(sheet, IDC_COILS_FORCE_ON);
        seen.coilForced = PollUntil([&] { return JournalHas(1, 5, 0, 0xFF00); }, kWaitMs);
        seen.shots.push_back(Shot(sheet, "shell_property_coils"));

        ::SendMessageA(sheet, PSM_SETCURSEL, 2, 0);
        HWND infoList = nullptr;
        PollUntil([&] { return (infoList = Control(sheet, IDC_DEVICE_INFO_LIST)) != nullptr; }, kWaitMs);
        const int rows = static_cast<int>(::SendMessageA(infoList, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows && row < 100; ++row)
            seen.info.push_back({ListViewText(infoList, row, 0), ListViewText(infoList, row, 1)});
        seen.shots.push_back(Shot(sheet, "shell_property_info"));

        ::SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
        PollUntil([&] { return ::IsWindowVisible(Control(sheet, IDC_CONNECTION_ADDRESS)) != FALSE; }, kWaitMs);
        Type(sheet, IDC_CONNECTION_ADDRESS, "0x2");
        PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_TRUE(m_device->OnProperties());
    ASSERT_TRUE(user.Finished());

    EXPECT_EQ("Remote (TCP)", seen.type);
    EXPECT_EQ("127.0.0.1", seen.host);
    EXPECT_EQ(std::to_string(m_tcpPort), seen.port);
    EXPECT_EQ("", seen.localPort);
    EXPECT_EQ("1", seen.address);
    EXPECT_EQ("The control has the IP address", seen.connectedTo);
    EXPECT_FALSE(seen.comVisible);
    EXPECT_TRUE(seen.hostVisible);
    EXPECT_EQ("Invalid Modbus address", seen.refusal);
    EXPECT_TRUE(seen.stayedOpen);
    EXPECT_EQ((std::vector<std::string>{"Equalize", "Load Disconnect", "Clear Faults", "Reset Control"}), seen.coils);
    EXPECT_TRUE(seen.coilForced);
    ASSERT_FALSE(seen.info.empty());
    EXPECT_EQ("Firmware Version", seen.info[0].first);
    EXPECT_EQ("3.14", seen.info[0].second);
    EXPECT_EQ(seen.info.size(), m_device->GetHardwareInfo().size() + 1);
    for (const std::string& shot : seen.shots)
        EXPECT_FALSE(shot.empty());

    // The new unit id is used from the next connect on.
    EXPECT_EQ(2, m_connection->GetUnitId());
    EXPECT_TRUE(m_device->GetConnection()->Disconnect());
    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_TRUE(JournalHas(2, 43, -1, -1));
    EXPECT_TRUE(JournalHas(2, 3, -1, -1));
}

TEST_F(LiveVarnix, PagesOfADeviceThatIsNotConnected)
{
    m_tcpPort = 1502;
    ASSERT_NO_FATAL_FAILURE(DescribeVarnix());
    m_connection->SetSerial(true);
    m_connection->SetComPort(31);

    struct Seen
    {
        bool comSelected = true;
        std::string refusal;
        std::string infoRow;
        bool infoEnabled = true;
        bool coilsEnabled = true;
    } seen;
    DialogUser user(IDC_CONNECTION_ADDRESS, [&](HWND sheet) {
        HWND com = Control(sheet, IDC_CONNECTION_COM_PORT);
        seen.comSelected = ::SendMessageA(com, CB_GETCURSEL, 0, 0) != CB_ERR;
        PressSheetButton(sheet, PSBTN_OK);
        PollUntil([] { return Recorder().Count() > 0; }, kWaitMs);
        seen.refusal = Recorder().Count() > 0 ? Recorder().Boxes()[0].text : "";

        ::SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
        HWND coilList = nullptr;
        PollUntil([&] { return (coilList = Control(sheet, IDC_COILS_LIST)) != nullptr; }, kWaitMs);
        seen.coilsEnabled = ::IsWindowEnabled(coilList) || ::IsWindowEnabled(Control(sheet, IDC_COILS_FORCE_ON));
        ::SendMessageA(sheet, PSM_SETCURSEL, 2, 0);
        HWND infoList = nullptr;
        PollUntil([&] { return (infoList = Control(sheet, IDC_DEVICE_INFO_LIST)) != nullptr; }, kWaitMs);
        seen.infoRow = ListViewText(infoList, 0, 0);
        seen.infoEnabled = ::IsWindowEnabled(infoList) != FALSE;

        ::SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
        PollUntil([&] { return ::IsWindowVisible(Control(sheet, IDC_CONNECTION_ADDRESS)) != FALSE; }, kWaitMs);
        // Over TCP a host is needed, and a port that something can listen on.
        HWND type = Control(sheet, IDC_CONNECTION_TYPE);
        ::SendMessageA(type, CB_SETCURSEL, 1, 0);
        for (const std::pair<const char*, const char*>& entered :
             {std::make_pair("", "502"), std::make_pair("10.0.0.9", "0"), std::make_pair("10.0.0.9", "")}) {
            const size_t boxes = Recorder().Count();
            Type(sheet, IDC_CONNECTION_HOST, entered.first);
            Type(sheet, IDC_CONNECTION_TCP_PORT, entered.second);
            PressSheetButton(sheet, PSBTN_OK);
            PollUntil([&] { return Recorder().Count() > boxes; }, kWaitMs);
        }
        ::SendMessageA(type, CB_SETCURSEL, 0, 0);
        ::SendMessageA(com, CB_SETCURSEL, 1, 0);
        PressSheetButton(sheet, PSBTN_OK);
    });
    EXPECT_TRUE(m_device->OnProperties());
    ASSERT_TRUE(user.Finished());
    EXPECT_FALSE(seen.comSelected);
    EXPECT_EQ("You must select a COM port", seen.refusal);
    std::vector<std::string> refusals;
    for (const auto& box : Recorder().Boxes())
        refusals.push_back(box.text);
    EXPECT_EQ((std::vector<std::string>{"You must select a COM port", "You must enter the control's IP address",
                                        "Invalid control TCP port", "Invalid control TCP port"}),
              refusals);
    EXPECT_FALSE(seen.coilsEnabled);
    EXPECT_EQ("(not connected)", seen.infoRow);
    EXPECT_FALSE(seen.infoEnabled);
    EXPECT_EQ(2, m_connection->GetComPort());
    EXPECT_TRUE(m_connection->IsSerial());
}

namespace
{
CTreeItem Item(int variableId, const char* name)
{
    return CTreeItem(name, "V", STORAGE_TYPE_SIMPLE_VALUE, variableId, 1, name);
}
std::vector<std::string> EntryNames(CDocumentDisplay& display)
{
    std::vector<std::string> names;
    for (size_t position = 0; position < display.GetEntryCount(); ++position)
        names.push_back(display.GetEntry(position).item->GetName().GetString());
    return names;
}
} // namespace

TEST_F(LiveVarnix, PlotItemsPageRemovesTheChosenRowsOnlyWhenApplied)
{
    CDocumentDisplay display;
    display.m_bAutoDelete = FALSE;
    display.AddVariable(Item(1, "Battery Voltage"));
    display.AddVariable(Item(2, "Charge Current"));
    display.AddVariable(Item(3, "Array Voltage"));

    for (int button : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(button == IDOK ? "OK" : "Cancel");
        std::vector<std::string> rows;
        int rowsAfterRemove = -1;
        DialogUser user(IDC_PLOT_ITEMS_LIST, [&](HWND sheet) {
            HWND list = Control(sheet, IDC_PLOT_ITEMS_LIST);
            const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
            for (int row = 0; row < count; ++row)
                rows.push_back(ListViewText(list, row, 0));
            SelectListViewRow(list, 0);
            SelectListViewRow(list, 2);
            Press(sheet, IDC_PLOT_ITEMS_REMOVE);
            PollUntil([&] { return ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 1; }, kWaitMs);
            rowsAfterRemove = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
            if (button == IDOK)
                Shot(sheet, "shell_property_plot_items");
            PressSheetButton(sheet, button == IDOK ? PSBTN_OK : PSBTN_CANCEL);
        });
        display.OnProperties();
        ASSERT_TRUE(user.Finished());
        EXPECT_EQ((std::vector<std::string>{"Battery Voltage", "Charge Current", "Array Voltage"}), rows);
        EXPECT_EQ(1, rowsAfterRemove);
        if (button == IDCANCEL) {
            EXPECT_EQ(3u, display.GetEntryCount());
        }
    }
    EXPECT_EQ((std::vector<std::string>{"Charge Current"}), EntryNames(display));
}

TEST_F(LiveVarnix, SearchOnASerialLineListsOnlyTheMakersDeviceAndADoubleClickPicksIt)
{
    const testing_support::SerialPair pair = m_host.OpenSerialPair();
    ASSERT_NE(0, pair.id) << m_host.Error();
    // Unit 1 is another maker's: by the time unit 2 is listed, unit 1 was asked and left out.
    ASSERT_NO_FATAL_FAILURE(StartDevice("\"1\": {\"identification\": {\"0\": \"Other Corp.\", \"1\": \"XY-9\"}}, " +
                                            VarnixUnit("2", ""),
                                        {"--rtu", pair.peerPath}));
    const long endpointsBefore = ModbusEndpoint_t::LiveCount();
    {
        CDialogControlBrowser dialog(pair.com, false, nullptr);
        struct Seen
        {
            int rows = 0;
            std::string control, address, caption, label;
            bool searchingShown = false, startHidden = false;
            std::string screenshot;
        } seen;
        DialogUser user(IDC_SEARCH_RESULTS, [&](HWND window) {
            HWND list = Control(window, IDC_SEARCH_RESULTS);
            PollUntil([&] { return ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0; }, 60000);
            seen.rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
            seen.control = ListViewText(list, 0, 0);
            seen.address = ListViewText(list, 0, 1);
            seen.caption = TextOf(window);
            seen.label = TextOf(Control(window, IDC_SEARCH_LABEL));
            seen.searchingShown = ::IsWindowVisible(Control(window, IDC_SEARCH_SEARCHING)) != FALSE;
            seen.startHidden = !::IsWindowVisible(Control(window, IDC_SEARCH_START));
            seen.screenshot = Shot(window, "shell_search_dialog");
            // A double click while the search still runs picks the row and stops it.
            SelectListViewRow(list, 0);
            NMITEMACTIVATE activate = {};
            activate.hdr.hwndFrom = list;
            activate.hdr.idFrom = IDC_SEARCH_RESULTS;
            activate.hdr.code = NM_DBLCLK;
            activate.iItem = 0;
            ::SendMessageA(window, WM_NOTIFY, IDC_SEARCH_RESULTS, reinterpret_cast<LPARAM>(&activate));
        });
        EXPECT_EQ(IDOK, dialog.DoModal());
        ASSERT_TRUE(user.Finished());
        EXPECT_FALSE(dialog.IsSearching());
        EXPECT_EQ("Search for Quorvant Devices", seen.caption);
        EXPECT_EQ("Controls found (double-click one at any time to use it):", seen.label);
        EXPECT_TRUE(seen.searchingShown);
        EXPECT_TRUE(seen.startHidden);
        EXPECT_FALSE(seen.screenshot.empty());
        ASSERT_EQ(1, seen.rows);
        EXPECT_EQ("VNX-45", seen.control);
        EXPECT_EQ("COM" + std::to_string(pair.com) + ", id 2", seen.address);

        const boost::shared_ptr<ModbusEndpoint_t> chosen = dialog.GetChosenEndpoint();
        ASSERT_TRUE(chosen);
        EXPECT_EQ("Quorvant Corp.", chosen->vendor);
        EXPECT_EQ("VNX-45", chosen->productCode);
        EXPECT_FALSE(chosen->network);
        EXPECT_EQ(pair.com, chosen->port);
        EXPECT_EQ(2, chosen->unitId);
    }
    testing_support::DispatchPendingMessages();
    // The chosen endpoint went with the dialog, and nothing else found was kept.
    EXPECT_EQ(endpointsBefore, ModbusEndpoint_t::LiveCount());
}

namespace
{
// Posts a found endpoint as a search job does: one that could not be posted (the
// window is gone) stays the poster's to free.
void PostResult(HWND window, ModbusEndpoint_t* endpoint)
{
    if (!::PostMessageA(window, WM_APP_SEARCH_RESULT, reinterpret_cast<WPARAM>(endpoint), 5))
        delete endpoint;
}

ModbusEndpoint_t* MakerEndpoint(int unitId, const char* vendor = "Quorvant Corp.")
{
    ModbusEndpoint_t* endpoint = new ModbusEndpoint_t;
    endpoint->vendor = vendor;
    endpoint->productCode = "VNX-45";
    endpoint->port = 4;
    endpoint->unitId = unitId;
    return endpoint;
}

const char* const RESULTS_ON_CANCEL_PROP = "test.procBeforeResultsOnCancel";

// The dialog's procedure in front of its own: the Cancel's command posts two results on the
// dialog's thread, before the dialog handles the command.
LRESULT CALLBACK PostingTwoResultsOnCancel(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC before = reinterpret_cast<WNDPROC>(::GetPropA(window, RESULTS_ON_CANCEL_PROP));
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        PostResult(window, MakerEndpoint(4));
        PostResult(window, MakerEndpoint(5));
    }
    if (message == WM_NCDESTROY)
        ::RemovePropA(window, RESULTS_ON_CANCEL_PROP);
    return ::CallWindowProcA(before, window, message, wParam, lParam);
}
} // namespace

TEST_F(LiveVarnix, SearchWithNothingToSearchGoesIdleAndEveryEndpointHandedOverIsFreedOnce)
{
    const long endpointsBefore = ModbusEndpoint_t::LiveCount();
    {
        CDialogControlBrowser dialog(0, false, nullptr);
        std::string button;
        bool progressHidden = false;
        int rows = 0;
        DialogUser user(IDC_SEARCH_RESULTS, [&](HWND window) {
            HWND start = Control(window, IDC_SEARCH_START);
            PollUntil([&] { return ::IsWindowVisible(start) && TextOf(start) == "Search Again"; }, kWaitMs);
            button = TextOf(start);
            progressHidden = !::IsWindowVisible(Control(window, IDC_SEARCH_PROGRESS));
            // Results as the search jobs post them: two of the maker's, one of another's.
            PostResult(window, MakerEndpoint(1));
            PostResult(window, MakerEndpoint(2, "Other"));
            PostResult(window, MakerEndpoint(3));
            HWND list = Control(window, IDC_SEARCH_RESULTS);
            PollUntil([&] { return ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 2; }, kWaitMs);
            rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
            // Two more results come as the Cancel is handled: still queued when the dialog ends.
            // Posted from this thread after the click, they could land after the dialog had
            // cleared its queue but before its window was gone, and nothing would free them.
            ::SetPropA(window, RESULTS_ON_CANCEL_PROP, reinterpret_cast<HANDLE>(::SetWindowLongPtrA(
                window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PostingTwoResultsOnCancel))));
            Click(window, IDCANCEL);
        });
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        ASSERT_TRUE(user.Finished());
        EXPECT_EQ("Search Again", button);
        EXPECT_TRUE(progressHidden);
        EXPECT_EQ(2, rows);
        EXPECT_FALSE(dialog.GetChosenEndpoint());
    }
    testing_support::DispatchPendingMessages();
    EXPECT_EQ(endpointsBefore, ModbusEndpoint_t::LiveCount());

    // OK with one of two rows selected: that one is handed on, the other freed, once.
    {
        CDialogControlBrowser dialog(0, false, nullptr);
        DialogUser user(IDC_SEARCH_RESULTS, [&](HWND window) {
            HWND start = Control(window, IDC_SEARCH_START);
            PollUntil([&] { return TextOf(start) == "Search Again"; }, kWaitMs);
            PostResult(window, MakerEndpoint(6));
            PostResult(window, MakerEndpoint(7));
            HWND list = Control(window, IDC_SEARCH_RESULTS);
            PollUntil([&] { return ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 2; }, kWaitMs);
            SelectListViewRow(list, 1);
            Click(window, IDOK);
        });
        EXPECT_EQ(IDOK, dialog.DoModal());
        ASSERT_TRUE(user.Finished());
        ASSERT_TRUE(dialog.GetChosenEndpoint());
        EXPECT_EQ(7, dialog.GetChosenEndpoint()->unitId);
        EXPECT_EQ(endpointsBefore + 1, ModbusEndpoint_t::LiveCount());
    }
    EXPECT_EQ(endpointsBefore, ModbusEndpoint_t::LiveCount());
}

// Runs only inside the network namespace of tests/device/netns.sh (the ctest entry
// test_shell_ui_netns_search), whose test devices answer the broadcast probe.
TEST(SearchDialogNetwork, ListsTheBroadcastAnswerAndTheOtherUnitsOfItsHost)
{
    const char* inside = std::getenv("PYRAXIS_NETNS");
    const char* scenario = std::getenv("PYRAXIS_NETNS_SCENARIO");
    if (inside == nullptr || std::string(inside) != "1")
        GTEST_SKIP() << "broadcasts run only inside the namespace of tests/device/netns.sh";
    ASSERT_STREQ("shell", scenario) << "the namespace's devices are those of another scenario";
    CWinApp app("SearchDialogNetworkTest");
    WSADATA data;
    ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 2), &data));
    std::vector<std::pair<std::string, std::string>> rows;
    {
        CDialogControlBrowser dialog(0, true, nullptr);
        DialogUser user(
            IDC_SEARCH_RESULTS,
            [&](HWND window) {
                HWND list = Control(window, IDC_SEARCH_RESULTS);
                PollUntil([&] { return ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) >= 2; }, 60000);
                const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
                for (int row = 0; row < count && row < 50; ++row)
                    rows.push_back({ListViewText(list, row, 0), ListViewText(list, row, 1)});
                Shot(window, "shell_search_dialog_network");
                Click(window, IDCANCEL);
            });
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        EXPECT_TRUE(user.Finished());
    }
    ::WSACleanup();
    bool broadcast = false, byHost = false;
    for (const auto& row : rows) {
        if (row.first == "QV-1000 (Barn controller)" && row.second.find(", id 1") != std::string::npos)
            broadcast = true;
        if (row.first == "QV-2000 ()" && row.second.find(", id 2") != std::string::npos)
            byHost = true;
    }
    EXPECT_TRUE(broadcast) << rows.size() << " rows";
    EXPECT_TRUE(byHost) << rows.size() << " rows";
}
