// One of the programs (pyraxis.exe, tolmera.exe) of the build tree run as a process of its
// own with a command line, its windows found from the test, and ended when the test is done
// with it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// What a run's windows may take on a loaded machine; every wait is for its window.
const DWORD kProgramWaitMs = 30000;
// The exit code a run that had to be ended gets.
const UINT kEndedByTest = 0xDEAD;

class ProgramRun
{
public:
    ProgramRun(const std::string& program, const std::string& arguments);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return m_started; }
    // The program's visible top-level windows.
    std::vector<HWND> Windows() const;
    // Waits for the program's window with that caption; null when none came.
    HWND WaitForWindow(const std::string& caption, DWORD timeoutMs = kProgramWaitMs) const;
    // Waits for the program's end; its exit code, or kEndedByTest when it did not end.
    DWORD WaitForEnd() const;

private:
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

} // namespace testing_support
