// The visible cases of these tests run in a Wine virtual desktop of their own, where
// focus and activation do not depend on an X window manager. Wine picks the desktop of
// a program when the program starts: the one its parent names, else the one of a
// per-program registry setting. So this program, started outside it, writes the
// setting and runs itself again inside it, passing on the child's exit code; later
// starts land there at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kDesktopName[] = "PyraxisBarsTest";
const char kDesktopSize[] = "1024x768";
// Set for the program run inside: it never starts itself again.
const char kInsideVariable[] = "PYRAXIS_BARS_ON_OWN_DESKTOP";
// A child that does not end within the suite's time is stopped.
const DWORD kChildTimeoutMs = 540000;

std::string ProgramFileName()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = std::strrchr(path, '\\');
    return name != nullptr ? name + 1 : path;
}

bool OnOwnDesktop()
{
    char name[256] = "";
    DWORD needed = 0;
    HDESK desktop = ::GetThreadDesktop(::GetCurrentThreadId());
    if (desktop == nullptr || !::GetUserObjectInformationA(desktop, UOI_NAME, name, sizeof(name), &needed))
        return false;
    return std::string(name) == kDesktopName;
}

bool SetRegistryText(const std::string& key, const char* value, const char* text)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG status = ::RegSetValueExA(hKey, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                         static_cast<DWORD>(std::strlen(text) + 1));
    ::RegCloseKey(hKey);
    return status == ERROR_SUCCESS;
}

// Runs this program again on its own desktop; returns its exit code, or -1.
int RunOnOwnDesktop()
{
    const std::string program = ProgramFileName();
    if (!SetRegistryText("Software\\Wine\\AppDefaults\\" + program + "\\Explorer", "Desktop", kDesktopName) ||
        !SetRegistryText("Software\\Wine\\Explorer\\Desktops", kDesktopName, kDesktopSize))
        return -1;
    ::SetEnvironmentVariableA(kInsideVariable, "1");
    // A child started from here would take over this desktop; it is named instead.
    char desktop[sizeof kDesktopName];
    std::memcpy(desktop, kDesktopName, sizeof kDesktopName);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process = {};
    std::string commandLine = ::GetCommandLineA();
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD exitCode = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(process.hProcess, kChildTimeoutMs) != WAIT_OBJECT_0)
    {
        std::fprintf(stderr, "the tests on the virtual desktop did not end in time\n");
        ::TerminateProcess(process.hProcess, 1);
    }
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

// Runs before the test main.
struct VirtualDesktopStart
{
    VirtualDesktopStart()
    {
        if (OnOwnDesktop())
            return;
        if (::GetEnvironmentVariableA(kInsideVariable, nullptr, 0) != 0)
        {
            std::fprintf(stderr, "Wine gave no desktop of its own; the tests run on the default one\n");
            return;
        }
        std::fflush(stdout);
        const int exitCode = RunOnOwnDesktop();
        if (exitCode == -1)
            std::fprintf(stderr, "could not start the tests on their own desktop\n");
        std::fflush(stderr);
        ::ExitProcess(static_cast<UINT>(exitCode));
    }
} virtualDesktopStart;

TEST(VirtualDesktop, TheWindowsOfTheseTestsShowOnTheirOwnDesktop)
{
    EXPECT_TRUE(OnOwnDesktop());
    // A virtual desktop is a window of the size the setting gives.
    RECT rect = {};
    ::GetWindowRect(::GetDesktopWindow(), &rect);
    EXPECT_EQ(rect.right - rect.left, 1024);
    EXPECT_EQ(rect.bottom - rect.top, 768);
}

} // namespace
