// The setup program as a Windows user runs it: a silent install into a folder of its own,
// the installed programs started from there, and a silent removal that takes away what
// the setup put there and leaves the user's settings, logs and setpoint files alone.
#include "res/pyraxis_resource.h"
#include "res/tolmera_resource.h"
#include "shell/ProgramFolders.h"
#include "tests/support/FileText.h"
#include "tests/support/Polling.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <windows.h>
#include <prsht.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pyraxis";
const char* const kSettingsKey = "Software\\QuorvantCorp\\Pyraxis";
const char* const kFirstRunValue = "FirstRunScanDevices";
const char* const kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char* const kCommonPrograms = "Common Programs";
const char* const kUninstaller = "Uninstall.exe";
const char* const kInstalledFiles[] = {"pyraxis.exe", "tolmera.exe", "devices.xml", "Uninstall.exe"};
const char* const kShortcuts[][2] = {{"Pyraxis.lnk", "pyraxis.exe"}, {"Tolmera.lnk", "tolmera.exe"}};

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The names in a folder, "." and ".." left out.
std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found = {};
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(search, &found) && names.size() < 1000);
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

unsigned long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The 64-bit view of the registry, where the setup writes its entry.
bool KeyExists(HKEY root, const char* key)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(root, key, 0, KEY_READ | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(opened);
    return true;
}

// A string value; "<missing>" when there is none.
std::string ReadString(HKEY root, const char* key, const char* name)
{
    char text[2048] = {};
    DWORD size = sizeof text - 1;
    if (::RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return text;
}

// A DWORD value; false when there is none.
bool ReadDword(HKEY root, const char* key, const char* name, DWORD& value)
{
    DWORD size = sizeof value;
    return ::RegGetValueA(root, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
           ERROR_SUCCESS;
}

// A registry value set for the test and put back as it was (or removed) at its end.
class RegistryValueOverride
{
public:
    RegistryValueOverride(HKEY root, const char* key, const char* name, DWORD type, const std::string& text)
        : m_root(root), m_key(key), m_name(name)
    {
        DWORD size = 0;
        m_existed = ::RegGetValueA(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, &m_type, nullptr, &size) ==
                    ERROR_SUCCESS;
        m_saved.resize(size);
        if (m_existed && size > 0)
            m_existed = ::RegGetValueA(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, &m_type, m_saved.data(),
                                       &size) == ERROR_SUCCESS;
        m_set = ::RegSetKeyValueA(root, key, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1)) ==
                ERROR_SUCCESS;
    }
    ~RegistryValueOverride()
    {
        if (m_existed)
            ::RegSetKeyValueA(m_root, m_key, m_name, m_type, m_saved.data(), static_cast<DWORD>(m_saved.size()));
        else
            ::RegDeleteKeyValueA(m_root, m_key, m_name);
    }
    bool Set() const { return m_set; }

private:
    HKEY m_root;
    const char* m_key;
    const char* m_name;
    bool m_existed = false;
    bool m_set = false;
    DWORD m_type = REG_NONE;
    std::vector<char> m_saved;
};

// The "a.b.c.d" file version of a program's version resource and one of its texts.
struct VersionResource
{
    std::string version;
    std::string companyName;
};

VersionResource ReadVersionResource(const std::string& path)
{
    VersionResource resource;
    DWORD unused = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &unused);
    if (size == 0)
        return resource;
    std::vector<char> block(size);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return resource;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed != nullptr)
        resource.version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                           std::to_string(LOWORD(fixed->dwFileVersionLS));
    char* company = nullptr;
    if (::VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\CompanyName", reinterpret_cast<void**>(&company),
                         &length) &&
        company != nullptr)
        resource.companyName = company;
    return resource;
}

// The Start-menu folder of the programs for every user of the machine.
std::string StartMenuFolder()
{
    char programs[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs)))
        return std::string();
    return std::string(programs) + "\\Pyraxis";
}

// The program a shortcut starts; "" when it cannot be read.
std::string ShortcutTarget(const std::string& shortcutPath)
{
    std::string target;
    IShellLinkA* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        const std::wstring widePath(shortcutPath.begin(), shortcutPath.end());
        char path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(widePath.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
            target = path;
        file->Release();
    }
    link->Release();
    return target;
}

// The device kinds the shipped devices.xml describes, sorted.
std::vector<std::string> DeviceKinds(const std::string& devicesXmlPath)
{
    std::vector<std::string> names;
    TiXmlDocument document;
    if (!document.LoadFile(devicesXmlPath.c_str()))
        return names;
    const TiXmlElement* root = document.RootElement();
    for (const TiXmlElement* device = root != nullptr ? root->FirstChildElement("device") : nullptr;
         device != nullptr && names.size() < 1000; device = device->NextSiblingElement("device")) {
        if (const char* name = device->Attribute("name"))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Narrow(const std::wstring& text)
{
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

// The titles of a program's windows, to show what it showed instead of the awaited one.
std::string WindowTitles(const ProgramRun& run)
{
    std::string titles;
    for (HWND window : run.Windows())
        titles += "[" + TextOf(window) + "] ";
    return titles;
}

class SetupProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::CoInitialize(nullptr);
        // Folders of its own: the C: drive is shared by every test run on the machine, the
        // registry is the run's.
        m_folder = "C:\\Program Files\\Pyraxis Test " + ProcessTag();
        m_setpointFile = m_folder + "\\My Setpoints.qvarnix";
        m_logFolder = Narrow(GetProgramFolders().GetLogFolder());
        m_logFile = m_logFolder + "\\installer-test-" + ProcessTag() + ".csv";
        m_startMenuRoot = "C:\\ProgramData\\Pyraxis Test " + ProcessTag();
        m_hadFirstRunValue = ReadDword(HKEY_CURRENT_USER, kSettingsKey, kFirstRunValue, m_firstRunValue);
        m_startMenuPrograms.reset(new RegistryValueOverride(HKEY_LOCAL_MACHINE, kShellFoldersKey, kCommonPrograms,
                                                            REG_EXPAND_SZ, m_startMenuRoot + "\\Programs"));
        RemoveLeftovers();
        // The first start asks how devices are to be found.
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kSettingsKey, kFirstRunValue);
        ASSERT_TRUE(m_startMenuPrograms->Set());
        ASSERT_TRUE(EnsureDirectory(m_startMenuRoot + "\\Programs"));
        ASSERT_EQ(OwnStartMenuFolder(), StartMenuFolder());
    }

    void TearDown() override
    {
        RemoveLeftovers();
        if (m_hadFirstRunValue)
            ::RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, kFirstRunValue, REG_DWORD, &m_firstRunValue,
                              sizeof m_firstRunValue);
        else
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kSettingsKey, kFirstRunValue);
        m_startMenuPrograms.reset();
        ::CoUninitialize();
    }

    // What a failed run left: the install, its shortcuts and entry, the user's files.
    void RemoveLeftovers()
    {
        for (const char* name : kInstalledFiles)
            ::DeleteFileA((m_folder + "\\" + name).c_str());
        ::DeleteFileA(m_setpointFile.c_str());
        ::RemoveDirectoryA(m_folder.c_str());
        ::DeleteFileA(m_logFile.c_str());
        for (const auto& shortcut : kShortcuts)
            ::DeleteFileA((OwnStartMenuFolder() + "\\" + shortcut[0]).c_str());
        ::RemoveDirectoryA(OwnStartMenuFolder().c_str());
        ::RemoveDirectoryA((m_startMenuRoot + "\\Programs").c_str());
        ::RemoveDirectoryA(m_startMenuRoot.c_str());
        ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
    }

    std::string OwnStartMenuFolder() const { return m_startMenuRoot + "\\Programs\\Pyraxis"; }
    std::string Installed(const std::string& name) const { return m_folder + "\\" + name; }

    void CheckInstalledFiles()
    {
        for (const char* name : kInstalledFiles)
            EXPECT_TRUE(Exists(Installed(name))) << Installed(name);
        // Compared whole, but not printed: the file is long.
        EXPECT_TRUE(ReadFileText(BuildPath("devices.xml")) == ReadFileText(Installed("devices.xml")))
            << "the shipped device descriptions lie beside the program";
        for (const auto& shortcut : kShortcuts) {
            const std::string path = StartMenuFolder() + "\\" + shortcut[0];
            EXPECT_TRUE(Exists(path)) << path;
            EXPECT_EQ(Installed(shortcut[1]), ShortcutTarget(path)) << path;
        }
    }

    void CheckUninstallEntry()
    {
        ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        const VersionResource program = ReadVersionResource(Installed("pyraxis.exe"));
        ASSERT_FALSE(program.version.empty());
        EXPECT_EQ(ReadVersionResource(BuildPath("pyraxis.exe")).version, program.version);
        EXPECT_EQ("Pyraxis", ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
        EXPECT_EQ(program.version, ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"));
        EXPECT_EQ(program.companyName, ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"));
        EXPECT_EQ(m_folder, ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"));
        EXPECT_EQ(Installed("pyraxis.exe") + ",0", ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"));
        EXPECT_EQ(Quoted(Installed(kUninstaller)), ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
        EXPECT_EQ(Quoted(Installed(kUninstaller)) + " /S",
                  ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"));
        for (const char* flag : {"NoModify", "NoRepair"}) {
            DWORD value = 0;
            EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, flag, value) && value == 1) << flag;
        }
        // In KB: the installed files, rounded either way.
        unsigned long long bytes = 0;
        for (const char* name : kInstalledFiles)
            bytes += FileSize(Installed(name));
        DWORD estimatedKb = 0;
        EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", estimatedKb));
        EXPECT_GE(estimatedKb, bytes / 1024);
        EXPECT_LE(estimatedKb, bytes / 1024 + 8);
    }

    // The first start asks how devices are found; a manual connection opens the device
    // chooser, which lists every kind that devices.xml beside the program describes.
    void RunInstalledPyraxis()
    {
        const std::vector<std::string> kinds = DeviceKinds(BuildPath("devices.xml"));
        ASSERT_GE(kinds.size(), 2u);
        ProgramRun run(Quoted(Installed("pyraxis.exe")));
        ASSERT_TRUE(run.Started());
        HWND question = run.WaitForWindow("Configure Device Auto-Detection");
        ASSERT_NE(nullptr, question) << WindowTitles(run);
        HWND frame = ::GetWindow(question, GW_OWNER);
        ASSERT_NE(nullptr, frame);
        ::SendMessageA(::GetDlgItem(question, IDC_FIRSTRUN_YES), BM_SETCHECK, BST_UNCHECKED, 0);
        ::SendMessageA(::GetDlgItem(question, IDC_FIRSTRUN_NO), BM_SETCHECK, BST_CHECKED, 0);
        ::PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

        HWND chooser = run.WaitForWindow("New Device");
        ASSERT_NE(nullptr, chooser) << "no device chooser; the program shows " << WindowTitles(run);
        std::vector<std::string> listed = ListBoxLines(chooser, IDC_NEW_DEVICE_LIST);
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(kinds, listed);
        SaveScreenshot(chooser, "installed_pyraxis_new_device");
        ::PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_TRUE(PollUntil([&] { return run.Windows() == std::vector<HWND>(1, frame); }, kStepWaitMs))
            << WindowTitles(run);
        ::PostMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, run.WaitForEnd()) << WindowTitles(run);
    }

    void RunInstalledTolmera()
    {
        ProgramRun run(Quoted(Installed("tolmera.exe")));
        ASSERT_TRUE(run.Started());
        HWND sheet = run.WaitForWindow("Welcome to Quorvant Firmware Update");
        ASSERT_NE(nullptr, sheet) << WindowTitles(run);
        HWND page = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        EXPECT_EQ(0u, ItemText(page, IDC_INTRO_WARNING1).find("WARNING: "));
        SaveScreenshot(sheet, "installed_tolmera_welcome");
        ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        EXPECT_EQ(0u, run.WaitForEnd()) << WindowTitles(run);
    }

    // Data of the user's that the removal must leave: a log in the programs' log folder
    // and a setpoint file saved into the program folder.
    void WriteUsersFiles()
    {
        ASSERT_TRUE(EnsureDirectory(m_logFolder)) << m_logFolder;
        ASSERT_TRUE(WriteFileText(m_logFile, "Time,Battery Voltage\n2024-05-01 12:00:00,13.2\n"));
        ASSERT_TRUE(WriteFileText(m_setpointFile, "setpoints of the user's"));
    }

    void Uninstall()
    {
        const std::string quietUninstall = ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
        ProgramRun run(quietUninstall);
        ASSERT_TRUE(run.Started()) << quietUninstall;
        EXPECT_EQ(0u, run.WaitForEnd());
        // The uninstaller hands over to a copy of itself outside the folder, which removes
        // the entry last.
        EXPECT_TRUE(PollUntil([] { return !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }, kStepWaitMs))
            << "the uninstall entry is still there";
    }

    void CheckRemoval()
    {
        EXPECT_EQ(std::vector<std::string>(1, "My Setpoints.qvarnix"), FolderEntries(m_folder))
            << "only the user's setpoint file stays in the program folder";
        EXPECT_FALSE(Exists(OwnStartMenuFolder())) << OwnStartMenuFolder();
        EXPECT_EQ("setpoints of the user's", ReadFileText(m_setpointFile));
        EXPECT_EQ("Time,Battery Voltage\n2024-05-01 12:00:00,13.2\n", ReadFileText(m_logFile));
        DWORD firstRunDone = 0;
        EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSettingsKey, kFirstRunValue, firstRunDone) && firstRunDone == 1)
            << "the setting that the program wrote at its first start stays";
    }

    std::string m_folder;
    std::string m_startMenuRoot;
    std::unique_ptr<RegistryValueOverride> m_startMenuPrograms;
    std::string m_setpointFile;
    std::string m_logFolder;
    std::string m_logFile;
    bool m_hadFirstRunValue = false;
    DWORD m_firstRunValue = 0;
};

TEST_F(SetupProgram, InstallsSilentlyRunsBothProgramsAndUninstallsLeavingTheUsersData)
{
    {
        ProgramRun setup(Quoted(BuildPath("PyraxisSetup.exe")) + " /S /D=" + m_folder);
        ASSERT_TRUE(setup.Started()) << BuildPath("PyraxisSetup.exe");
        ASSERT_EQ(0u, setup.WaitForEnd());
    }
    CheckInstalledFiles();
    CheckUninstallEntry();
    if (HasFatalFailure())
        return;

    RunInstalledPyraxis();
    RunInstalledTolmera();
    WriteUsersFiles();
    if (HasFatalFailure())
        return;

    Uninstall();
    if (HasFatalFailure())
        return;
    CheckRemoval();
}

} // namespace
