// One of our programs started in its own process for a test, as a user starts it. What it
// writes goes where the test program's own output goes, so the checks made on that
// output (Wine's heap warnings among them) cover the program too.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class ProgramRun
{
public:
    // What a run's windows may take to come on a loaded machine.
    static constexpr DWORD kWaitMs = 30000;
    // The exit code of a run that the test had to end; the program's own end gives its own.
    static constexpr UINT kEndedByTest = 0xDEAD;

    // Where the test runs with Wine's heap checks (tools/lib/wine-run), a program started
    // and closed runs with the strict ones: the whole heap validated at every heap call.
    // They cost little there, but Wine's whole-heap check races with a free on another
    // thread (tools/lib/heap-race), so a program that keeps several threads allocating for
    // long (a firmware update) runs with the test's own checks.
    enum class HeapChecks
    {
        Strict,
        AsTheTest,
    };

    // Starts the whole command line: the program's path (quoted when it has blanks) and
    // its arguments.
    explicit ProgramRun(const std::string& commandLine, HeapChecks heapChecks = HeapChecks::Strict);
    // Ends the program when it still runs.
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return m_started; }
    DWORD ProcessId() const { return m_process.dwProcessId; }

    // The program's visible top-level windows.
    std::vector<HWND> Windows() const;
    // Waits for a visible top-level window of the program with that caption; null when
    // none came.
    HWND WaitForWindow(const std::string& caption, DWORD timeoutMs = kWaitMs) const;
    // Waits for the program's end: its exit code, or kEndedByTest when it did not end (it
    // is then ended).
    DWORD WaitForEnd(DWORD timeoutMs = kWaitMs);

private:
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

// The command line of a program of the build tree (its file name) with its arguments.
std::string BuildProgramCommand(const std::string& program, const std::string& arguments = std::string());

} // namespace testing_support
