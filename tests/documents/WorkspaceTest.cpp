#include "documents/workspace/CDocumentWorkspace.h"
#include "displays/CDocumentDisplay.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentDevicePC.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/GenericDevices.h"
#include "framework/CArchive.h"
#include "framework/CMultiDocTemplate.h"
#include "shell/ProgramFolders.h"

#include <gtest/gtest.h>

#include "tests/documents/BenchDeviceDescription.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/FileText.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/MessageCollector.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

namespace
{
using testing_support::Bytes;

Bytes Int32(int value) { return testing_support::Int32Bytes(value); }
Bytes ShortText(const std::string& text) { return testing_support::ShortTextBytes(text); }
Bytes Concat(std::initializer_list<Bytes> parts) { return testing_support::ConcatBytes(parts); }

Bytes ClassRecord(const std::string& name)
{
    Bytes bytes{0xFF, 0xFF, 0xFF, 0xFF, BYTE(name.size()), 0};
    for (char ch : name)
        bytes.push_back(BYTE(ch));
    return bytes;
}

// Magic numbers and version 1 as they stand at the start of every workspace file.
const Bytes WORKSPACE_HEADER{0xAE, 0x92, 0x88, 0x01, 0xD3, 0xA1, 0x07, 0xF9, 1, 0, 0, 0};

// Not a string resource of this program: the template has no document strings.
const UINT WORKSPACE_TEMPLATE_ID = 6190;

std::vector<std::string> DeviceNames(CDocumentManager& manager)
{
    std::vector<std::string> names;
    for (const CDocumentDevicePtr& device : manager.GetDevices())
        names.push_back(std::to_string(device->GetId()) + " " + static_cast<const char*>(device->GetName()));
    return names;
}

class Workspace : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::string folder = testing_support::BuildPath("tests/documents/workspace");
        ASSERT_TRUE(testing_support::EnsureDirectory(folder));
        m_path = folder + "\\bench.pxs";
        DeleteFileA(m_path.c_str());
        m_manager.reset(new CDocumentManager);
        CDocumentManager::SetApplicationManager(m_manager.get());
        m_manager->GetDispatcher().SetTargetWindow(m_collector.Window());
        Recorder().Clear();
    }
    void TearDown() override
    {
        CDocumentManager::SetApplicationManager(nullptr);
        m_manager.reset();
        DeleteFileA(m_path.c_str());
        Recorder().Clear();
    }

    static testing_support::MessageBoxRecorder& Recorder() { return testing_support::MessageBoxRecorder::Instance(); }

    CDocumentDevicePtr AddComputer(const char* userName)
    {
        CDocumentDevicePtr device(new CDocumentDevicePC(m_manager.get()));
        device->SetUserName(userName);
        EXPECT_GT(m_manager->AddDevice(device), 0);
        return device;
    }

    Bytes Save()
    {
        CDocumentWorkspace workspace;
        EXPECT_TRUE(workspace.OnSaveDocument(m_path.c_str()));
        const std::string text = testing_support::ReadFileText(m_path);
        return Bytes(text.begin(), text.end());
    }

    BOOL Open(const Bytes& bytes)
    {
        EXPECT_TRUE(testing_support::WriteFileText(m_path, std::string(bytes.begin(), bytes.end())));
        CDocumentWorkspace workspace;
        const BOOL opened = workspace.OnOpenDocument(m_path.c_str());
        EXPECT_FALSE(workspace.IsModified());
        return opened;
    }

    // The workspace-loaded refreshes that arrived within a short pump.
    size_t LoadedRefreshes()
    {
        m_collector.PumpFor(300);
        size_t count = 0;
        for (const auto& message : m_collector.Messages(WM_APP_REFRESH_EVENT))
            count += message.wParam == static_cast<WPARAM>(REFRESH_WORKSPACE_LOADED) && message.lParam == 0;
        m_collector.Clear();
        return count;
    }

    // The one message box a failed load showed.
    std::string OnlyBoxText()
    {
        const auto boxes = Recorder().Boxes();
        Recorder().Clear();
        return boxes.size() == 1 ? boxes[0].text : "(" + std::to_string(boxes.size()) + " boxes)";
    }

    std::string m_path;
    testing_support::MessageCollector m_collector;
    CDocumentManagerPtr m_manager;
};
}  // namespace

TEST_F(Workspace, SavedRightAfterStartItHoldsTheComputerAloneAndLoadsBackAsDeviceOne)
{
    const CDocumentDevicePtr computer = m_manager->FindDeviceById(1);
    ASSERT_TRUE(computer);
    computer->SetModifiedFlag(TRUE);
    const Bytes bytes = Save();
    EXPECT_FALSE(computer->IsModified());

    const Bytes devicePart = testing_support::StoreToBytes([&](CArchive& ar) { ar.WriteObject(computer.get()); });
    EXPECT_EQ(Concat({WORKSPACE_HEADER, Int32(1), devicePart, Int32(0)}), bytes);
    const Bytes classRecord = ClassRecord("CDocumentDevicePC");
    ASSERT_GT(bytes.size(), 16 + classRecord.size());
    EXPECT_TRUE(std::equal(classRecord.begin(), classRecord.end(), bytes.begin() + 16));

    AddComputer("Spare");
    ASSERT_EQ(2u, m_manager->GetDevices().size());
    EXPECT_TRUE(Open(bytes));
    EXPECT_EQ(0u, Recorder().Count());
    const DeviceList_t devices = m_manager->GetDevices();
    ASSERT_EQ(1u, devices.size());
    EXPECT_EQ(1, devices[0]->GetId());
    EXPECT_TRUE(devices[0]->IsKindOf(RUNTIME_CLASS(CDocumentDevicePC)));
    EXPECT_NE(computer, devices[0]);
    EXPECT_EQ(m_manager.get(), devices[0]->GetDocumentManager());
    EXPECT_EQ(1u, LoadedRefreshes());
}

TEST_F(Workspace, DevicesComeBackInFileOrderWithIdsGivenAnew)
{
    AddComputer("Bench");
    m_manager->RemoveDevice(m_manager->FindDeviceById(1));
    AddComputer("Spare");
    ASSERT_EQ((std::vector<std::string>{"2 Bench", "1 Spare"}), DeviceNames(*m_manager));
    const Bytes bytes = Save();

    m_manager->Reset();
    EXPECT_TRUE(Open(bytes));
    EXPECT_EQ((std::vector<std::string>{"1 Bench", "2 Spare"}), DeviceNames(*m_manager));
}

TEST_F(Workspace, ADescribedDeviceComesBackAndOneNoLongerDescribedIsReported)
{
    const std::string folder = testing_support::BuildPath("tests/documents/workspace/program");
    ASSERT_TRUE(testing_support::EnsureDirectory(folder));
    const std::string descriptionPath = folder + "\\devices.xml";
    ASSERT_TRUE(testing_support::WriteFileText(descriptionPath, testing_support::BENCH_DEVICE_DESCRIPTION));
    const std::wstring programFolder = GetProgramFolders().GetProgramFolder();
    GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end()));

    CDocumentDeviceGeneric1Ptr bench = CreateGenericDeviceFromXml(3, 7);
    bench->SetUserName("Roof controller");
    ASSERT_EQ(2, m_manager->AddDevice(bench));
    const Bytes bytes = Save();
    m_manager->Reset();
    EXPECT_TRUE(Open(bytes));
    const CDocumentDevicePtr loaded = m_manager->FindDeviceById(2);
    ASSERT_TRUE(loaded);
    ASSERT_TRUE(loaded->IsKindOf(RUNTIME_CLASS(CDocumentDeviceGeneric1)));
    EXPECT_STREQ("Roof controller", loaded->GetName());
    EXPECT_EQ(3, loaded->GetModel());
    EXPECT_EQ(7, loaded->GetType());
    EXPECT_EQ(1u, static_cast<CDocumentDeviceGeneric1&>(*loaded).GetVariables().size());

    // The description file no longer has that model: the load says so, once.
    std::string changed = testing_support::BENCH_DEVICE_DESCRIPTION;
    changed.replace(changed.find("model=\"3\""), 9, "model=\"4\"");
    ASSERT_TRUE(testing_support::WriteFileText(descriptionPath, changed));
    EXPECT_FALSE(Open(bytes));
    const std::string text = OnlyBoxText();
    EXPECT_NE(std::string::npos, text.find("could not find type 7, model 3")) << text;
    GetProgramFolders().SetProgramFolder(programFolder);
}

TEST_F(Workspace, AWrongMagicNumberOrVersionIsRefusedBeforeAnythingIsClosed)
{
    AddComputer("Bench");
    const Bytes saved = Save();
    const DeviceList_t before = m_manager->GetDevices();
    CMultiDocTemplate workspaceTemplate(WORKSPACE_TEMPLATE_ID, RUNTIME_CLASS(CDocumentWorkspace), nullptr, nullptr);

    const std::pair<size_t, const char*> damages[] = {
        {0, "An unexpected error occurred while reading or writing "},
        {7, "An unexpected error occurred while reading or writing "},
        {8, " contains an incorrect schema."},
    };
    for (const auto& damage : damages)
    {
        Bytes bytes = saved;
        bytes[damage.first] ^= 0x40;
        ASSERT_TRUE(testing_support::WriteFileText(m_path, std::string(bytes.begin(), bytes.end())));
        // Opened as the framework does: a failed open gives no document, so nothing
        // takes the path and no later Save can overwrite the file.
        EXPECT_EQ(nullptr, workspaceTemplate.OpenDocumentFile(m_path.c_str(), FALSE));
        const std::string text = OnlyBoxText();
        EXPECT_NE(std::string::npos, text.find(damage.second)) << text;
        EXPECT_NE(std::string::npos, text.find("bench.pxs")) << text;
        EXPECT_EQ(before, m_manager->GetDevices());
        EXPECT_EQ(0u, LoadedRefreshes());
    }

    // The sound file opens through the template and the workspace takes its path.
    ASSERT_TRUE(testing_support::WriteFileText(m_path, std::string(saved.begin(), saved.end())));
    CDocument* opened = workspaceTemplate.OpenDocumentFile(m_path.c_str(), FALSE);
    ASSERT_NE(nullptr, opened);
    EXPECT_NE(-1, opened->GetPathName().Find("bench.pxs"));
    delete opened;
}

TEST_F(Workspace, AnUnknownDisplayTemplateStopsTheLoadWithTheDevicesAlreadyAdded)
{
    m_manager->FindDeviceById(1)->SetUserName("From File");
    // A display without a template or a view: stored with an empty template key and a
    // zeroed placement of length 44.
    CDocumentDisplayPtr display(new CDocumentDisplay);
    display->SetModifiedFlag(TRUE);
    ASSERT_EQ(1, m_manager->AddDisplay(display));
    const Bytes bytes = Save();
    EXPECT_FALSE(display->IsModified());
    ASSERT_GT(bytes.size(), 44u);
    Bytes placement(44, 0);
    placement[0] = 44;
    EXPECT_EQ(placement, Bytes(bytes.end() - 44, bytes.end()));
    m_manager->RemoveDisplay(display);

    m_manager->Reset();
    AddComputer("Bench");
    EXPECT_FALSE(Open(bytes));
    EXPECT_NE(std::string::npos, OnlyBoxText().find("contains an unexpected object"));
    EXPECT_EQ(std::vector<std::string>{"1 From File"}, DeviceNames(*m_manager));
    EXPECT_TRUE(m_manager->GetDisplays().empty());
    // The manager changed: the trees are told even though the open failed.
    EXPECT_EQ(1u, LoadedRefreshes());
}

TEST_F(Workspace, DamagedDeviceRecordsAreReportedNotFollowed)
{
    const Bytes saved = Save();
    const Bytes devicePart(saved.begin() + 16, saved.end() - 4);

    // The same device twice, the second time as a reference to the first: one owner only.
    EXPECT_FALSE(Open(Concat({WORKSPACE_HEADER, Int32(2), devicePart, Bytes{2, 0}, Int32(0)})));
    EXPECT_NE(std::string::npos, OnlyBoxText().find("has an invalid format"));
    EXPECT_EQ(1u, m_manager->GetDevices().size());

    // A null object where a device should be.
    EXPECT_FALSE(Open(Concat({WORKSPACE_HEADER, Int32(1), Bytes{0, 0}, Int32(0)})));
    EXPECT_NE(std::string::npos, OnlyBoxText().find("contains an unexpected object"));

    // A class that nothing knows.
    Bytes unknown = saved;
    unknown[16 + 6 + 16] = 'X';
    EXPECT_FALSE(Open(unknown));
    EXPECT_NE(std::string::npos, OnlyBoxText().find("contains an unexpected object"));

    // The computer claiming a connection it cannot have.
    const Bytes computerStart = Concat({ClassRecord("CDocumentDevicePC"), Int32(1), ClassRecord("CDocumentDevice"),
                                        Int32(1), Int32(2), Bytes{240, 1}, ShortText("PC000"), Bytes{255}});
    ASSERT_TRUE(std::equal(computerStart.begin(), computerStart.end(), devicePart.begin()));
    Bytes connected = saved;
    connected[16 + computerStart.size()] = 1;
    EXPECT_FALSE(Open(connected));
    EXPECT_NE(std::string::npos, OnlyBoxText().find("bench.pxs"));
}

TEST_F(Workspace, EveryShortOrMutatedFileLoadsOrFailsWithOneReport)
{
    AddComputer("Bench");
    const Bytes saved = Save();

    for (size_t length = 0; length < saved.size(); ++length)
    {
        EXPECT_FALSE(Open(Bytes(saved.begin(), saved.begin() + length))) << "cut at " << length;
        EXPECT_EQ(1u, Recorder().Count()) << "cut at " << length;
        Recorder().Clear();
    }

    std::mt19937 random(20240501);
    for (int round = 0; round < 1500; ++round)
    {
        Bytes bytes = saved;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int change = 0; change < changes; ++change)
            bytes[random() % bytes.size()] = static_cast<BYTE>(random());
        const BOOL opened = Open(bytes);
        EXPECT_EQ(opened ? 0u : 1u, Recorder().Count()) << "round " << round;
        Recorder().Clear();
        EXPECT_LE(m_manager->GetDevices().size(), 2u) << "round " << round;
    }
}

namespace
{
// Where a run of bytes stands in a file: its one place, or npos when it stands in none
// or in several.
size_t OnlyPlaceOf(const Bytes& bytes, const Bytes& part)
{
    const auto first = std::search(bytes.begin(), bytes.end(), part.begin(), part.end());
    if (first == bytes.end() || std::search(first + 1, bytes.end(), part.begin(), part.end()) != bytes.end())
        return std::string::npos;
    return static_cast<size_t>(first - bytes.begin());
}

class WorkspaceOfABenchDevice : public Workspace
{
protected:
    void SetUp() override
    {
        Workspace::SetUp();
        const std::string folder = testing_support::BuildPath("tests/documents/workspace/program");
        ASSERT_TRUE(testing_support::EnsureDirectory(folder));
        ASSERT_TRUE(testing_support::WriteFileText(folder + "\\devices.xml", testing_support::BENCH_DEVICE_DESCRIPTION));
        m_programFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end()));
    }
    void TearDown() override
    {
        GetProgramFolders().SetProgramFolder(m_programFolder);
        Workspace::TearDown();
    }

    // The workspace of the computer and a bench device whose connection the setter made.
    Bytes SaveBench(const std::function<void(CConnectionGeneric1&)>& set)
    {
        m_manager->Reset();
        CDocumentDeviceGeneric1Ptr bench = CreateGenericDeviceFromXml(3, 7);
        bench->SetUserName("Bench");
        set(*bench->GetGenericConnection());
        EXPECT_EQ(2, m_manager->AddDevice(bench));
        return Save();
    }

    // The one box of opening the bytes, "" when they opened without one.
    std::string Refusal(const Bytes& bytes)
    {
        const BOOL opened = Open(bytes);
        const std::string text = Recorder().Count() == 0 ? std::string() : OnlyBoxText();
        EXPECT_EQ(opened != FALSE, text.empty()) << text;
        return text;
    }

    std::string RefusedText(const std::string& subject, const std::string& problem) const
    {
        return "Unable to open the workspace " + m_path + ":\n" + subject + ": " + problem + ".";
    }

    std::wstring m_programFolder;
};
} // namespace

TEST_F(WorkspaceOfABenchDevice, ConnectionValuesItsPageRefusesRefuseTheFileAndNameTheDevice)
{
    const auto serial = [](int com, int unit) {
        return [com, unit](CConnectionGeneric1& connection) {
            connection.SetSerial(true);
            connection.SetComPort(com);
            connection.SetUnitId(unit);
        };
    };
    const auto tcp = [](const std::string& host, int port, int localPort) {
        return [host, port, localPort](CConnectionGeneric1& connection) {
            connection.SetSerial(false);
            connection.SetHost(host);
            connection.SetTcpPort(port);
            connection.SetLocalTcpPort(localPort);
            connection.SetUnitId(5);
        };
    };
    const std::vector<std::pair<std::function<void(CConnectionGeneric1&)>, std::string>> refused = {
        {serial(1, 0), "Modbus address 0"},
        {serial(1, 248), "Modbus address 248"},
        {serial(1, 8388609), "Modbus address 8388609"},
        {serial(0, 1), "COM port 0"},
        {serial(-5, 1), "COM port -5"},
        {serial(1000000, 1), "COM port 1000000"},
        {tcp("10.0.0.9", 0, 0), "control TCP port 0"},
        {tcp("10.0.0.9", -1, 0), "control TCP port -1"},
        {tcp("10.0.0.9", 70000, 0), "control TCP port 70000"},
        {tcp("10.0.0.9", 502, -1), "local TCP port -1"},
        {tcp("10.0.0.9", 502, 65536), "local TCP port 65536"},
        {tcp("", 502, 0), "no host for Modbus/TCP"},
        // Not set, the fallback counts.
        {[](CConnectionGeneric1& connection) {
             connection.SetUnitId(-1);
             connection.SetFallbackUnitId(0);
         },
         "Modbus address 0"},
    };
    m_manager->Reset();
    const std::vector<std::string> computerAlone = DeviceNames(*m_manager);
    for (const auto& bad : refused)
    {
        SCOPED_TRACE(bad.second);
        const Bytes bytes = SaveBench(bad.first);
        m_manager->Reset();
        EXPECT_EQ(RefusedText("device 2 ('Bench')", "its connection has " + bad.second +
                                                        ", which its Connection page refuses"),
                  Refusal(bytes));
        // Refused before it was added.
        EXPECT_EQ(computerAlone, DeviceNames(*m_manager)) << bad.second;
    }

    // The edges of what the page takes, and a serial device without a host as the search
    // leaves it, open and save again as they were.
    const std::vector<std::function<void(CConnectionGeneric1&)>> held = {
        serial(4096, 247), serial(1, 1), tcp("h", 65535, 65535), tcp("10.0.0.9", 1, 0), [](CConnectionGeneric1& c) {
            c.SetHost("");
            c.SetUnitId(-1);
        }};
    for (size_t index = 0; index < held.size(); ++index)
    {
        const Bytes bytes = SaveBench(held[index]);
        EXPECT_EQ("", Refusal(bytes)) << index;
        EXPECT_EQ(bytes, Save()) << index;
    }

    // A host that holds a NUL, which the save would cut to another name.
    Bytes nul = SaveBench(tcp("ab.c", 502, 0));
    const size_t host = OnlyPlaceOf(nul, ShortText("ab.c"));
    ASSERT_NE(std::string::npos, host);
    nul[host + 3] = 0;
    EXPECT_EQ(RefusedText("device 2 ('Bench')",
                          "its connection has a host that holds a control character, which its Connection page refuses"),
              Refusal(nul));
}

TEST_F(WorkspaceOfABenchDevice, ADeviceRecordThatDisagreesWithItselfIsRefused)
{
    const Bytes saved = SaveBench([](CConnectionGeneric1&) {});
    m_manager->Reset();
    ASSERT_EQ("", Refusal(saved));

    // The generic part names model 3, type 7 (which devices.xml describes), the device's
    // own part another model or type.
    const Bytes ownPart = Concat({Int32(1), Int32(2), Bytes{3, 7}, ShortText(""), Bytes{255}, Int32(1)});
    const size_t own = OnlyPlaceOf(saved, ownPart);
    ASSERT_NE(std::string::npos, own);
    Bytes model = saved;
    model[own + 8] = 4;
    EXPECT_EQ(RefusedText("device 2", "its record is model 3, type 7 in one part and model 4, type 7 in the other"),
              Refusal(model));
    Bytes type = saved;
    type[own + 9] = 8;
    EXPECT_EQ(RefusedText("device 2", "its record is model 3, type 7 in one part and model 3, type 8 in the other"),
              Refusal(type));
    // The connection's flag cleared: the device would get a connection the file never held.
    Bytes unconnected = saved;
    unconnected[own + ownPart.size() - 4] = 0;
    EXPECT_EQ(RefusedText("device 2", "its record holds no connection, which every such device has"),
              Refusal(unconnected));

    // The computer's record naming another model.
    const size_t computer = OnlyPlaceOf(saved, Concat({Int32(1), Int32(2), Bytes{240, 1}, ShortText("PC000")}));
    ASSERT_NE(std::string::npos, computer);
    Bytes other = saved;
    other[computer + 8] = 20;
    EXPECT_EQ(RefusedText("device 1", "the computer's record is model 20, type 1, where the computer is model 240, type 1"),
              Refusal(other));
}

// Run inside tests/device/tmpfs.sh (PYRAXIS_SMALL_FS): a workspace saved on a full disk.
TEST_F(Workspace, SavedOnAFullDiskTheBoxNamesTheWorkspaceAndTheOldFileStays)
{
    const char* small = std::getenv("PYRAXIS_SMALL_FS");
    if (small == nullptr || *small == '\0')
        GTEST_SKIP() << "a full disk is tested only inside tests/device/tmpfs.sh";
    std::string disk = "Z:" + std::string(small);
    std::replace(disk.begin(), disk.end(), '/', '\\');
    const std::string path = disk + "\\bench.pxs";
    const std::string filler = disk + "\\filler";
    const std::string older = "an older workspace\n";
    ASSERT_TRUE(testing_support::WriteFileText(path, older));
    AddComputer("Bench");
    ASSERT_TRUE(testing_support::FillDisk(filler));

    CDocumentWorkspace workspace;
    EXPECT_FALSE(workspace.OnSaveDocument(path.c_str()));
    // It said the file written beside it ("...\savf55a.tmp"), which the user never chose.
    EXPECT_EQ("Disk full while accessing " + path + ".", OnlyBoxText());
    EXPECT_EQ(older, testing_support::ReadFileText(path));
    // Nothing is left beside it.
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((disk + "\\sav*").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << found.cFileName;
    if (search != INVALID_HANDLE_VALUE)
        ::FindClose(search);

    ASSERT_TRUE(::DeleteFileA(filler.c_str()));
    EXPECT_TRUE(workspace.OnSaveDocument(path.c_str()));
    EXPECT_NE(older, testing_support::ReadFileText(path));
    ::DeleteFileA(path.c_str());
}
