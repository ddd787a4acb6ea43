// A program started as its own process, as a user starts it, and the windows it shows.
// A program still running when the test is done with it is ended.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class ProgramRun
{
public:
    // The exit code a run that had to be ended gets.
    static constexpr DWORD kEndedByTest = 0xDEAD;

    // The whole command line: the program's path (quoted when it has blanks) and its
    // arguments.
    explicit ProgramRun(const std::string& commandLine);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return m_started; }

    // The program's visible top-level windows.
    std::vector<HWND> Windows() const;
    // Waits (bounded) for the program's window with that caption; null when none came.
    HWND WaitForWindow(const std::string& caption) const;
    // Waits (bounded) for the program's end; its exit code, or kEndedByTest when it did
    // not end.
    DWORD WaitForEnd() const;

private:
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

} // namespace testing_support
