#include "tests/support/ThreadStartCount.h"

namespace testing_support {

namespace {
std::atomic<ThreadStartCount*> g_counting{nullptr};

// The functions themselves, which a call that comes as a count ends still reaches.
template <class Function>
Function Real(const char* dll, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(dll), name)));
}
using Begin = uintptr_t(__cdecl*)(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned, unsigned*);
using Create = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
const Begin g_begin = Real<Begin>("msvcrt.dll", "_beginthreadex");
const Create g_create = Real<Create>("kernel32.dll", "CreateThread");
}

ThreadStartCount::ThreadStartCount()
    : m_thread(::GetCurrentThreadId()),
      m_beginThread("msvcrt.dll", "_beginthreadex", reinterpret_cast<void*>(&ThreadStartCount::BeginThread)),
      m_createThread("kernel32.dll", "CreateThread", reinterpret_cast<void*>(&ThreadStartCount::CreateThread))
{
    g_counting = this;
}

ThreadStartCount::~ThreadStartCount()
{
    g_counting = nullptr;
}

void ThreadStartCount::Counted()
{
    if (::GetCurrentThreadId() == m_thread)
        ++m_count;
}

uintptr_t __cdecl ThreadStartCount::BeginThread(void* security, unsigned stack, unsigned(__stdcall* proc)(void*),
                                                void* argument, unsigned flags, unsigned* id)
{
    if (ThreadStartCount* counting = g_counting)
        counting->Counted();
    return g_begin(security, stack, proc, argument, flags, id);
}

HANDLE WINAPI ThreadStartCount::CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                                             LPTHREAD_START_ROUTINE proc, LPVOID argument, DWORD flags, LPDWORD id)
{
    if (ThreadStartCount* counting = g_counting)
        counting->Counted();
    return g_create(security, stack, proc, argument, flags, id);
}

} // namespace testing_support
