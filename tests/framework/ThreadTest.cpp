#include "framework/CUserException.h"
#include "framework/CWinThread.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
const DWORD kThreadWaitMs = 10000;

struct ProcState
{
    volatile LONG ran = 0;
    CWinThread* seenThread = nullptr;
    UINT result = 0;
};

UINT __cdecl RecordingProc(LPVOID param)
{
    ProcState* state = static_cast<ProcState*>(param);
    state->seenThread = AfxGetThread();
    ::InterlockedIncrement(&state->ran);
    return state->result;
}

UINT __cdecl ThrowStdException(LPVOID)
{
    throw std::runtime_error("device is gone");
}

UINT __cdecl ThrowInteger(LPVOID)
{
    throw 42;
}

UINT __cdecl ThrowFrameworkException(LPVOID)
{
    AfxThrowUserException();
}

UINT __cdecl EndThreadEarly(LPVOID param)
{
    ProcState* state = static_cast<ProcState*>(param);
    AfxEndThread(77);
    ::InterlockedIncrement(&state->ran);   // never reached
    return 0;
}

UINT __cdecl SleepBriefly(LPVOID)
{
    ::Sleep(20);
    return 0;
}

// Starts a worker suspended and takes over its deletion, as a waiting owner does.
CWinThread* BeginOwnedThread(AFX_THREADPROC proc, LPVOID param,
                             int priority = THREAD_PRIORITY_NORMAL)
{
    CWinThread* thread = AfxBeginThread(proc, param, priority, 0, CREATE_SUSPENDED);
    if (thread != nullptr)
    {
        thread->m_bAutoDelete = FALSE;
        thread->ResumeThread();
    }
    return thread;
}

DWORD WaitForExitCode(HANDLE thread)
{
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, kThreadWaitMs));
    DWORD exitCode = STILL_ACTIVE;
    EXPECT_TRUE(::GetExitCodeThread(thread, &exitCode));
    return exitCode;
}

// Tells the test when the object is destroyed.
class TrackedThread : public CWinThread
{
public:
    TrackedThread(AFX_THREADPROC proc, LPVOID param, HANDLE deletedEvent)
        : CWinThread(proc, param), m_deletedEvent(deletedEvent)
    {
    }
    ~TrackedThread() override { ::SetEvent(m_deletedEvent); }

private:
    HANDLE m_deletedEvent;
};

// A thread object without a procedure: the user-interface form.
class InstanceThread : public CWinThread
{
public:
    explicit InstanceThread(BOOL initResult) : m_initResult(initResult) { m_bAutoDelete = FALSE; }
    BOOL InitInstance() override { return m_initResult; }
    int Run() override { return 5; }
    int ExitInstance() override { return 6; }

private:
    BOOL m_initResult;
};
}  // namespace

// --- Starting and ending --------------------------------------------------------------

TEST(ThreadTest, SuspendedThreadRunsOnlyAfterResume)
{
    ProcState state;
    state.result = 1234;
    CWinThread* thread = AfxBeginThread(RecordingProc, &state, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    EXPECT_NE(nullptr, thread->m_hThread);
    EXPECT_EQ(thread->m_hThread, static_cast<HANDLE>(*thread));
    EXPECT_NE(0u, thread->m_nThreadID);
    EXPECT_TRUE(thread->m_bAutoDelete);
    thread->m_bAutoDelete = FALSE;

    ::Sleep(100);
    EXPECT_EQ(0, state.ran);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(*thread, 0));

    EXPECT_EQ(1u, thread->ResumeThread()) << "previous suspend count";
    EXPECT_EQ(1234u, WaitForExitCode(*thread));
    EXPECT_EQ(1, state.ran);
    EXPECT_EQ(thread, state.seenThread) << "AfxGetThread on the worker";
    delete thread;
}

TEST(ThreadTest, ThreadStartedAtOnceRunsWithoutResume)
{
    ProcState state;
    HANDLE deleted = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TrackedThread* thread = new TrackedThread(RecordingProc, &state, deleted);
    ASSERT_TRUE(thread->CreateThread());
    // Auto-delete is on: the object may already be gone here, so only the event is used.
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(deleted, kThreadWaitMs));
    EXPECT_EQ(1, state.ran);
    ::CloseHandle(deleted);
}

TEST(ThreadTest, AutoDeleteObjectIsDeletedWhenTheThreadEnds)
{
    ProcState state;
    HANDLE deleted = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TrackedThread* thread = new TrackedThread(RecordingProc, &state, deleted);
    ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
    EXPECT_TRUE(thread->m_bAutoDelete);
    HANDLE handle = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), *thread, ::GetCurrentProcess(), &handle,
                                  0, FALSE, DUPLICATE_SAME_ACCESS));
    thread->ResumeThread();
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(deleted, kThreadWaitMs));
    EXPECT_EQ(0u, WaitForExitCode(handle));
    ::CloseHandle(handle);
    ::CloseHandle(deleted);
}

TEST(ThreadTest, ObjectWithoutAutoDeleteOutlivesTheThread)
{
    ProcState state;
    HANDLE deleted = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TrackedThread* thread = new TrackedThread(RecordingProc, &state, deleted);
    ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    EXPECT_EQ(0u, WaitForExitCode(*thread));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(deleted, 50));
    delete thread;
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(deleted, 0));
    ::CloseHandle(deleted);
}

TEST(ThreadTest, ExitCodeIsTheProcedureResult)
{
    ProcState state;
    state.result = 0xBEEF;
    CWinThread* thread = BeginOwnedThread(RecordingProc, &state);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(0xBEEFu, WaitForExitCode(*thread));
    delete thread;
}

TEST(ThreadTest, EndThreadEndsAtOnceWithItsCode)
{
    ProcState state;
    CWinThread* thread = BeginOwnedThread(EndThreadEarly, &state);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(77u, WaitForExitCode(*thread));
    EXPECT_EQ(0, state.ran);
    delete thread;
}

TEST(ThreadTest, EndThreadDeletesAnAutoDeleteObject)
{
    ProcState state;
    HANDLE deleted = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TrackedThread* thread = new TrackedThread(EndThreadEarly, &state, deleted);
    ASSERT_TRUE(thread->CreateThread());
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(deleted, kThreadWaitMs));
    ::CloseHandle(deleted);
}

TEST(ThreadTest, NoThreadObjectOnAThreadStartedElsewhere)
{
    EXPECT_EQ(nullptr, AfxGetThread());
}

// --- Priority and suspension ------------------------------------------------------

TEST(ThreadTest, PriorityIsSetBeforeTheThreadRuns)
{
    ProcState state;
    CWinThread* thread = AfxBeginThread(RecordingProc, &state, THREAD_PRIORITY_BELOW_NORMAL, 0,
                                        CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, thread->GetThreadPriority());
    EXPECT_TRUE(thread->SetThreadPriority(THREAD_PRIORITY_ABOVE_NORMAL));
    EXPECT_EQ(THREAD_PRIORITY_ABOVE_NORMAL, thread->GetThreadPriority());
    thread->ResumeThread();
    EXPECT_EQ(0u, WaitForExitCode(*thread));
    delete thread;
}

TEST(ThreadTest, SuspendCountsNest)
{
    CWinThread* thread = AfxBeginThread(SleepBriefly, nullptr, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(1u, thread->SuspendThread());
    EXPECT_EQ(2u, thread->ResumeThread());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(*thread, 100));
    EXPECT_EQ(1u, thread->ResumeThread());
    EXPECT_EQ(0u, WaitForExitCode(*thread));
    delete thread;
}

// --- Exception barrier --------------------------------------------------------------

TEST(ThreadTest, StandardExceptionEndsTheThreadWithTheExceptionCode)
{
    CWinThread* thread = BeginOwnedThread(ThrowStdException, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(AFX_THREAD_EXCEPTION_EXIT_CODE, WaitForExitCode(*thread));
    delete thread;
}

TEST(ThreadTest, AnyThrownValueEndsTheThreadWithTheExceptionCode)
{
    CWinThread* thread = BeginOwnedThread(ThrowInteger, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(AFX_THREAD_EXCEPTION_EXIT_CODE, WaitForExitCode(*thread));
    delete thread;
}

TEST(ThreadTest, FrameworkExceptionEndsTheThreadWithTheExceptionCode)
{
    CWinThread* thread = BeginOwnedThread(ThrowFrameworkException, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(AFX_THREAD_EXCEPTION_EXIT_CODE, WaitForExitCode(*thread));
    delete thread;
}

TEST(ThreadTest, AutoDeleteObjectIsDeletedAfterAnException)
{
    HANDLE deleted = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TrackedThread* thread = new TrackedThread(ThrowStdException, nullptr, deleted);
    ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
    HANDLE handle = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), *thread, ::GetCurrentProcess(), &handle,
                                  0, FALSE, DUPLICATE_SAME_ACCESS));
    thread->ResumeThread();
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(deleted, kThreadWaitMs));
    EXPECT_EQ(AFX_THREAD_EXCEPTION_EXIT_CODE, WaitForExitCode(handle));
    ::CloseHandle(handle);
    ::CloseHandle(deleted);
}

// --- Thread without a procedure -----------------------------------------------------

TEST(ThreadTest, InstanceThreadRunsWhenInitInstanceSucceeds)
{
    InstanceThread thread(TRUE);
    ASSERT_TRUE(thread.CreateThread());
    EXPECT_EQ(5u, WaitForExitCode(thread));
}

TEST(ThreadTest, InstanceThreadExitsWhenInitInstanceFails)
{
    InstanceThread thread(FALSE);
    ASSERT_TRUE(thread.CreateThread());
    EXPECT_EQ(6u, WaitForExitCode(thread));
}
