#include "tests/support/ProgramRun.h"

#include "tests/support/Polling.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"

#include <cstring>

namespace testing_support {

std::string BuildProgramCommand(const std::string& program, const std::string& arguments)
{
    const std::string commandLine = "\"" + BuildPath(program) + "\"";
    return arguments.empty() ? commandLine : commandLine + " " + arguments;
}

ProgramRun::ProgramRun(const std::string& commandLineText, HeapChecks heapChecks)
{
    std::string commandLine = commandLineText;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // The strict checks find a write past a block's end or into a freed block at the next
    // heap call; in a test program that drives windows for minutes they cost too much.
    char debug[1024] = "";
    const DWORD debugLength = ::GetEnvironmentVariableA("WINEDEBUG", debug, sizeof debug);
    const bool checked = heapChecks == HeapChecks::Strict && debugLength > 0 && debugLength < sizeof debug &&
                         std::strstr(debug, "warn+heap") != nullptr;
    if (checked)
        ::SetEnvironmentVariableA("WINEDEBUG", (std::string(debug) + ",trace+heap").c_str());
    m_started = ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &m_process) != FALSE;
    if (checked)
        ::SetEnvironmentVariableA("WINEDEBUG", debug);
}

ProgramRun::~ProgramRun()
{
    if (!m_started)
        return;
    WaitForEnd(0);
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
}

std::vector<HWND> ProgramRun::Windows() const
{
    struct Search
    {
        DWORD processId;
        std::vector<HWND> windows;
    } search = {m_process.dwProcessId, {}};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            Search* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId && ::IsWindowVisible(window))
                s->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

HWND ProgramRun::WaitForWindow(const std::string& caption, DWORD timeoutMs) const
{
    HWND found = nullptr;
    PollUntil(
        [&] {
            for (HWND window : Windows())
            {
                if (TextOf(window) == caption)
                    found = window;
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

DWORD ProgramRun::WaitForEnd(DWORD timeoutMs)
{
    if (!m_started)
        return kEndedByTest;
    if (::WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0)
    {
        ::TerminateProcess(m_process.hProcess, kEndedByTest);
        ::WaitForSingleObject(m_process.hProcess, kWaitMs);
        return kEndedByTest;
    }
    DWORD code = kEndedByTest;
    ::GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

} // namespace testing_support
