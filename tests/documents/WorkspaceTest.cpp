#include "documents/workspace/CDocumentWorkspace.h"
#include "displays/CDocumentDisplay.h"
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
