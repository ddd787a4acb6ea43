#include "tests/support/ProgramRun.h"

#include "tests/support/Polling.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"

namespace testing_support {

ProgramRun::ProgramRun(const std::string& program, const std::string& arguments)
{
    std::string commandLine = "\"" + BuildPath(program) + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    m_started = ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &m_process) != FALSE;
}

ProgramRun::~ProgramRun()
{
    if (!m_started)
        return;
    if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
    {
        ::TerminateProcess(m_process.hProcess, kEndedByTest);
        ::WaitForSingleObject(m_process.hProcess, kProgramWaitMs);
    }
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

DWORD ProgramRun::WaitForEnd() const
{
    if (::WaitForSingleObject(m_process.hProcess, kProgramWaitMs) != WAIT_OBJECT_0)
        return kEndedByTest;
    DWORD code = kEndedByTest;
    ::GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

} // namespace testing_support
