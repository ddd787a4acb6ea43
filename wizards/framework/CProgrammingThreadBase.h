// What every programming thread shares: one worker thread per run that reports to its
// page by posted messages only, and a stop event that the run looks at between requests.
// Stopping sets the event and waits; a run that is inside a Modbus request is given the
// time that request may take (its link's own time-outs bound it), so the thread is
// terminated only when it does not end by itself, never while a request holds the link.
#pragma once
#include "framework/FrameworkBase.h"

#include <boost/noncopyable.hpp>

#include <string>

class CProgrammingThreadBase : private boost::noncopyable
{
public:
    // Longest time a request in progress is waited for after the stop wait ran out: a
    // TCP request with two attempts of 10 s each, with room to spare.
    static const DWORD REQUEST_GRACE_MS = 25000;

    explicit CProgrammingThreadBase(bool manualResetStopEvent);
    virtual ~CProgrammingThreadBase();

    // Sets the stop event and waits; false when the thread had to be terminated. Handle
    // and id are cleared in both cases.
    virtual bool Stop(DWORD milliseconds) { return StopThread(milliseconds); }
    bool IsRunning() const { return m_thread != nullptr; }
    HWND GetPageWindow() const { return m_page; }
    // True when the last Stop found the thread gone or saw it end by itself.
    bool EndedWithoutTermination() const { return m_endedByItself; }

protected:
    // Creates the worker (default stack, runs at once) whose body is RunThreadBody.
    bool StartThread(HWND page);
    // True when no thread is held or it ended within the wait; false when it had to be
    // terminated (exit code -1). Handle and id are cleared in both cases.
    bool StopThread(DWORD milliseconds);
    virtual int RunThreadBody() = 0;

    // On the thread: whether the run should end now. Once seen, it stays seen.
    bool StopRequested();
    // Posting stops once a stop was requested: a run that is being stopped adds nothing
    // to the page.
    void PostToPage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void PostText(const char* text);
    // A run ended by a failed request: "* Error: <reason>." and "Stopped at <where>: <done>
    // of <total> writes confirmed." ("registers read" for a read), then WM_APP_PROG_FAILED
    // with the code. The user learns what happened and how much of the device was changed:
    // the writes the controller answered. One whose answer was lost may have been taken
    // too, so the count says what is known and no more.
    void PostRunFailure(const std::string& reason, const std::string& where, int done, int total, bool isRead,
                        WPARAM code);
    // "<name> (register 0x....)", or "register 0x...." without a name.
    static std::string SettingText(const std::string& name, unsigned address);

    // Marks the span of a Modbus request (or a connect) for StopThread.
    class RequestScope
    {
    public:
        explicit RequestScope(CProgrammingThreadBase& owner) : m_owner(owner) { ::InterlockedIncrement(&m_owner.m_inRequest); }
        ~RequestScope() { ::InterlockedDecrement(&m_owner.m_inRequest); }
        RequestScope(const RequestScope&) = delete;
        RequestScope& operator=(const RequestScope&) = delete;

    private:
        CProgrammingThreadBase& m_owner;
    };

    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    HWND m_page = nullptr;
    HANDLE m_stopEvent = nullptr;

private:
    static DWORD WINAPI ThreadEntry(LPVOID parameter);

    volatile LONG m_inRequest = 0;
    volatile LONG m_stopSeen = 0;
    bool m_endedByItself = true;
};
