// A thread of the program. Worker threads are started with AfxBeginThread and run
// one procedure; the application object derives from this class and runs the
// user-interface thread through the virtual operations below.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCmdTarget.h"

class CWnd;

typedef UINT (__cdecl* AFX_THREADPROC)(LPVOID);

// Exit code of a thread whose procedure let a C++ exception escape. The exception
// is stopped in the thread's entry (it must not unwind through the Win32 frames
// below it), reported with OutputDebugStringA, and the thread ends with this code.
#define AFX_THREAD_EXCEPTION_EXIT_CODE ((UINT)0xE0000001u)

class CWinThread : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    CWinThread(AFX_THREADPROC proc, LPVOID param);
    ~CWinThread() override;

    // Starts the thread; CREATE_SUSPENDED leaves it waiting for ResumeThread.
    // m_hThread and m_nThreadID are set before the thread runs any code.
    BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0,
                      LPSECURITY_ATTRIBUTES attributes = nullptr);

    operator HANDLE() const { return m_hThread; }

    DWORD ResumeThread();
    DWORD SuspendThread();
    int GetThreadPriority();
    BOOL SetThreadPriority(int priority);

    // The user-interface thread's life; a thread without a procedure runs
    // InitInstance and then Run, or ExitInstance when InitInstance fails.
    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    virtual BOOL OnIdle(LONG count);
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Called when the thread ends: deletes the object when m_bAutoDelete is set.
    virtual void Delete();

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    // TRUE: the object deletes itself (and closes m_hThread) when the thread ends.
    // Whoever waits on m_hThread sets it FALSE before the thread can end (start it
    // suspended), and deletes the object itself.
    BOOL m_bAutoDelete = TRUE;
    CWnd* m_pMainWnd = nullptr;
    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;

private:
    static unsigned __stdcall ThreadEntry(void* thread);
    UINT RunGuarded();
};

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param,
                           int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD createFlags = 0, LPSECURITY_ATTRIBUTES attributes = nullptr);

// Ends the calling thread at once with the given code, deleting its thread object
// when that is auto-delete and deleteThread is TRUE. Objects on the thread's stack
// are not destroyed.
void AfxEndThread(UINT exitCode, BOOL deleteThread = TRUE);

// The thread object of the calling thread; nullptr on a thread not started here.
CWinThread* AfxGetThread();
