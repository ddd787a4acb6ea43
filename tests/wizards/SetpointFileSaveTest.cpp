// Saving every family's setpoint or channel file over an existing one where the save
// cannot finish: a full disk and a read-only folder (run inside tests/device/tmpfs.sh,
// PYRAXIS_SMALL_FS; skipped elsewhere), a folder or a read-only file of the file's name.
// The old file stays byte for byte, nothing is left beside it, and the box names the file
// and the system's reason. A replace keeps a hidden file hidden.
#include <gtest/gtest.h>

#include "shell/ProgramFolders.h"
#include "tests/support/FileText.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/TestPaths.h"
#include "tests/wizards/CorandelSaveDialogs.h"
#include "wizards/relay/CDialogRelayModuleSetup.h"
#include "wizards/varnix/CDialogMpptSetup.h"
#include "wizards/varnix/CDialogVarnixSetup.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

testing_support::MessageBoxRecorder& Recorder()
{
    return testing_support::MessageBoxRecorder::Instance();
}

// A family's save once its file is chosen: "" when it saved, else the failure it showed.
struct SaveFamily
{
    std::string name;
    std::function<std::string(const std::string&)> save;
    std::string notCreated;   // the folder refused the file
    std::string notWritten;   // the disk refused its bytes
};

// The failure of a dialog that reports with a box: its one box, "" when it saved.
template <class Dialog>
std::function<std::string(const std::string&)> BoxOf(std::shared_ptr<Dialog> dialog)
{
    return [dialog](const std::string& path) {
        Recorder().Clear();
        const bool saved = dialog->SaveSettingsTo(path.c_str());
        const auto boxes = Recorder().Boxes();
        EXPECT_EQ(saved ? 0u : 1u, boxes.size());
        if (saved)
            return std::string();
        return boxes.empty() ? std::string("no box") : boxes.back().text;
    };
}

std::vector<SaveFamily> Families()
{
    std::vector<SaveFamily> families;
    const char* const corandelNotCreated = "Unable to open the specified file for writing";
    const char* const notSaved = "Error: unable to save settings to file";
    const char* const varnixNotCreated = "Error: unable to create the specified file for writing";
    families.push_back({"Corandel MPPT", BoxOf(std::shared_ptr<CDialogSetpointSummary>(settings_test::MakeCorandelMpptDialog())),
                        corandelNotCreated, notSaved});
    families.push_back({"Corandel Duo", BoxOf(std::shared_ptr<CDialogSetpointSummary>(settings_test::MakeCorandelDuoDialog())),
                        corandelNotCreated, notSaved});
    families.push_back({"Varnix", BoxOf(std::make_shared<CDialogVarnixSetup>(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr)),
                        varnixNotCreated, notSaved});
    families.push_back({"Varnix MPPT",
                        BoxOf(std::make_shared<CDialogVarnixMpptSummary>(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr)),
                        varnixNotCreated, "Error: unable to write the settings file"});
    families.push_back({"Varnix HV MPPT",
                        BoxOf(std::make_shared<CDialogVarnixHvMpptSummary>(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr)),
                        varnixNotCreated, "Error: unable to write the settings file"});
    auto relay = std::make_shared<CDialogRelayModuleSetup>(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    families.push_back({"Ostrel", [relay](const std::string& path) { return relay->SaveChannels(path); },
                        "Unable to create the specified file for writing",
                        "Unable to write the configuration to the specified file"});
    return families;
}

// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

class SetpointFileSave : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* small = std::getenv("PYRAXIS_SMALL_FS");
        if (small == nullptr || *small == '\0')
            GTEST_SKIP() << "a full disk is tested only inside tests/device/tmpfs.sh";
        m_disk = "Z:" + std::string(small);
        std::replace(m_disk.begin(), m_disk.end(), '/', '\\');
        // The Ostrel dialog reads the device descriptions of the program folder.
        const std::string folder = testing_support::BuildPath("");
        GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
    }

    std::string Filler() const { return m_disk + "\\filler"; }

    std::string m_disk;
};

TEST_F(SetpointFileSave, AFullDiskKeepsTheOldFileAndTheBoxSaysWhy)
{
    for (const SaveFamily& family : Families())
    {
        SCOPED_TRACE(family.name);
        const std::string path = m_disk + "\\settings.file";
        // A small older file: cut to nothing, it would leave room for part of the new one.
        const std::string older = "older settings\n";
        ASSERT_TRUE(testing_support::WriteFileText(path, older));
        ASSERT_TRUE(testing_support::FillDisk(Filler()));
        EXPECT_EQ(family.notWritten + " " + path + " (the disk is full)", family.save(path));
        EXPECT_EQ(older, testing_support::ReadFileText(path));
        EXPECT_EQ((std::vector<std::string>{"filler", "read-only", "settings.file"}), FolderNames(m_disk));

        // With room again the same save puts the whole new file in place.
        ASSERT_TRUE(::DeleteFileA(Filler().c_str()));
        EXPECT_EQ("", family.save(path));
        const std::string saved = testing_support::ReadFileText(path);
        EXPECT_NE(older, saved);
        EXPECT_GT(saved.size(), older.size());
        EXPECT_EQ((std::vector<std::string>{"read-only", "settings.file"}), FolderNames(m_disk));
        ASSERT_TRUE(::DeleteFileA(path.c_str()));
    }
}

TEST_F(SetpointFileSave, AReadOnlyFolderKeepsTheOldFileAndTheBoxSaysWhy)
{
    const std::string folder = m_disk + "\\read-only";
    const std::string path = folder + "\\existing";
    const std::string older = testing_support::ReadFileText(path);
    ASSERT_EQ("written before the folder was made read-only\n", older);
    for (const SaveFamily& family : Families())
    {
        SCOPED_TRACE(family.name);
        EXPECT_EQ(family.notCreated + " " + path + " (Access denied)", family.save(path));
        EXPECT_EQ(older, testing_support::ReadFileText(path));
        EXPECT_EQ(std::vector<std::string>{"existing"}, FolderNames(folder));
    }
}

// Saving over a target that is hidden, a folder or read-only, on any disk: a replace keeps
// the old file's attributes, and a refusal that will not pass comes back at once with its
// reason, the target as it was and nothing beside it.
class SetpointFileReplace : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char temp[MAX_PATH] = "";
        ASSERT_NE(0u, ::GetTempPathA(MAX_PATH, temp));
        m_folder = std::string(temp) + "pyraxis-replace-" + testing_support::ProcessTag();
        ASSERT_TRUE(testing_support::EnsureDirectory(m_folder));
        const std::string folder = testing_support::BuildPath("");
        GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
    }
    void TearDown() override
    {
        const std::string path = Path();
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
        ::RemoveDirectoryA(path.c_str());
        ::RemoveDirectoryA(m_folder.c_str());
    }
    std::string Path() const { return m_folder + "\\settings.file"; }

    // The family's save, with the time it took.
    static std::string TimedSave(const SaveFamily& family, const std::string& path, double& milliseconds)
    {
        const auto start = std::chrono::steady_clock::now();
        const std::string failure = family.save(path);
        milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::cout << family.name << ": " << milliseconds << " ms" << std::endl;
        return failure;
    }

    std::string m_folder;
};

// Far below the two seconds of a save that waits on a refusal as if it were another
// program's hold, and well above what a save that does not wait takes on a loaded machine.
const double kRefusedAtOnceMs = 400;

TEST_F(SetpointFileReplace, AHiddenTargetStaysHidden)
{
    for (const SaveFamily& family : Families())
    {
        SCOPED_TRACE(family.name);
        const std::string path = Path();
        ASSERT_TRUE(testing_support::WriteFileText(path, "older settings\n"));
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
        EXPECT_EQ("", family.save(path));
        EXPECT_NE("older settings\n", testing_support::ReadFileText(path));
        EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE),
                  ::GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
        EXPECT_EQ(std::vector<std::string>{"settings.file"}, FolderNames(m_folder));
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
        ASSERT_TRUE(::DeleteFileA(path.c_str()));
    }
}

TEST_F(SetpointFileReplace, AFolderOfThatNameIsRefusedAtOnce)
{
    const std::string path = Path();
    ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
    for (const SaveFamily& family : Families())
    {
        SCOPED_TRACE(family.name);
        double milliseconds = 0;
        EXPECT_EQ(family.notCreated + " " + path + " (Access denied)", TimedSave(family, path, milliseconds));
        EXPECT_LT(milliseconds, kRefusedAtOnceMs);
        EXPECT_NE(0u, ::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_EQ(std::vector<std::string>{"settings.file"}, FolderNames(m_folder));
        EXPECT_EQ(std::vector<std::string>{}, FolderNames(path));
    }
}

TEST_F(SetpointFileReplace, AReadOnlyTargetIsRefusedAtOnceAndKept)
{
    const std::string path = Path();
    const std::string older = "older settings\n";
    ASSERT_TRUE(testing_support::WriteFileText(path, older));
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    for (const SaveFamily& family : Families())
    {
        SCOPED_TRACE(family.name);
        double milliseconds = 0;
        EXPECT_EQ(family.notCreated + " " + path + " (Access denied)", TimedSave(family, path, milliseconds));
        EXPECT_LT(milliseconds, kRefusedAtOnceMs);
        EXPECT_EQ(older, testing_support::ReadFileText(path));
        EXPECT_NE(0u, ::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(std::vector<std::string>{"settings.file"}, FolderNames(m_folder));
    }
}

} // namespace
