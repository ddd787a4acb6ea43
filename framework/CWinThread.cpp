#include "framework/CWinThread.h"
#include "framework/CException.h"

#include <process.h>

#include <cstdio>
#include <exception>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace
{
thread_local CWinThread* t_currentThread = nullptr;

// The thread's object is done with: delete it when it asks for that.
void ReleaseCurrentThreadObject(BOOL deleteThread)
{
    CWinThread* thread = t_currentThread;
    t_currentThread = nullptr;
    if (thread != nullptr && deleteThread)
        thread->Delete();
}

void ReportUncaughtException(const char* what)
{
    char text[512];
    std::snprintf(text, sizeof text, "Thread %lu ended by an uncaught exception: %s\n",
                  static_cast<unsigned long>(::GetCurrentThreadId()), what);
    ::OutputDebugStringA(text);
}
}  // namespace

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param)
    : m_pfnThreadProc(proc), m_pThreadParams(param)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread != nullptr)
        ::CloseHandle(m_hThread);
    if (t_currentThread == this)
        t_currentThread = nullptr;
}

BOOL CWinThread::CreateThread(DWORD createFlags, UINT stackSize,
                              LPSECURITY_ATTRIBUTES attributes)
{
    ASSERT(m_hThread == nullptr);
    if (m_hThread != nullptr)
        return FALSE;

    // Always start suspended: the thread must not run (and perhaps delete this
    // object) before the handle and id are stored.
    unsigned threadId = 0;
    const uintptr_t handle = ::_beginthreadex(attributes, stackSize, &CWinThread::ThreadEntry,
                                              this, createFlags | CREATE_SUSPENDED, &threadId);
    if (handle == 0)
        return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(handle);
    m_nThreadID = threadId;

    if ((createFlags & CREATE_SUSPENDED) == 0)
        ::ResumeThread(m_hThread);
    return TRUE;
}

DWORD CWinThread::ResumeThread()
{
    return ::ResumeThread(m_hThread);
}

DWORD CWinThread::SuspendThread()
{
    return ::SuspendThread(m_hThread);
}

int CWinThread::GetThreadPriority()
{
    return ::GetThreadPriority(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int priority)
{
    return ::SetThreadPriority(m_hThread, priority);
}

BOOL CWinThread::InitInstance()
{
    return TRUE;
}

int CWinThread::Run()
{
    return ExitInstance();
}

int CWinThread::ExitInstance()
{
    return 0;
}

BOOL CWinThread::OnIdle(LONG /*count*/)
{
    return FALSE;
}

BOOL CWinThread::PreTranslateMessage(MSG* /*msg*/)
{
    return FALSE;
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

unsigned __stdcall CWinThread::ThreadEntry(void* thread)
{
    CWinThread* self = static_cast<CWinThread*>(thread);
    t_currentThread = self;
    const UINT exitCode = self->RunGuarded();
    ReleaseCurrentThreadObject(TRUE);
    return exitCode;
}

UINT CWinThread::RunGuarded()
{
    try
    {
        if (m_pfnThreadProc != nullptr)
            return m_pfnThreadProc(m_pThreadParams);
        return static_cast<UINT>(InitInstance() ? Run() : ExitInstance());
    }
    catch (CException* e)
    {
        char message[256] = "framework exception";
        e->GetErrorMessage(message, sizeof message);
        ReportUncaughtException(message);
        e->Delete();
    }
    catch (const std::exception& e)
    {
        ReportUncaughtException(e.what());
    }
    catch (...)
    {
        ReportUncaughtException("unknown exception");
    }
    return AFX_THREAD_EXCEPTION_EXIT_CODE;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize,
                           DWORD createFlags, LPSECURITY_ATTRIBUTES attributes)
{
    ASSERT(proc != nullptr);
    CWinThread* thread = new CWinThread(proc, param);
    if (!thread->CreateThread(createFlags | CREATE_SUSPENDED, stackSize, attributes))
    {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if ((createFlags & CREATE_SUSPENDED) == 0)
        thread->ResumeThread();
    return thread;
}

void AfxEndThread(UINT exitCode, BOOL deleteThread)
{
    ReleaseCurrentThreadObject(deleteThread);
    ::_endthreadex(exitCode);
}

CWinThread* AfxGetThread()
{
    return t_currentThread;
}
