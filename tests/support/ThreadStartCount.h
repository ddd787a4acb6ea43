// Counts the threads that one thread starts while the object lives, by either way the
// program starts one (_beginthreadex, CreateThread), through patches of the program's
// imports. One at a time.
#pragma once
#include <windows.h>

#include "tests/support/ImportPatch.h"

#include <atomic>

namespace testing_support {

class ThreadStartCount
{
public:
    // Counts the starts by the constructing thread.
    ThreadStartCount();
    ~ThreadStartCount();
    ThreadStartCount(const ThreadStartCount&) = delete;
    ThreadStartCount& operator=(const ThreadStartCount&) = delete;

    bool Installed() const { return m_beginThread.Installed() && m_createThread.Installed(); }
    int Count() const { return m_count; }

private:
    static uintptr_t __cdecl BeginThread(void* security, unsigned stack, unsigned(__stdcall* proc)(void*),
                                         void* argument, unsigned flags, unsigned* id);
    static HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE proc,
                                      LPVOID argument, DWORD flags, LPDWORD id);
    void Counted();

    const DWORD m_thread;
    std::atomic<int> m_count{0};
    ImportPatch m_beginThread;
    ImportPatch m_createThread;
};

} // namespace testing_support
