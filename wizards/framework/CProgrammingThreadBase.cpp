#include "wizards/framework/CProgrammingThreadBase.h"

#include "wizards/framework/ProgrammingMessages.h"
#include "framework/CUserSpaceSyncObject.h"

#include <cstdio>

CProgrammingThreadBase::CProgrammingThreadBase(bool manualResetStopEvent)
    : m_stopEvent(::CreateEventA(nullptr, manualResetStopEvent ? TRUE : FALSE, FALSE, nullptr))
{
}

CProgrammingThreadBase::~CProgrammingThreadBase()
{
    // A derived destructor has stopped the thread already; this is the last guard.
    StopThread(5000);
    if (m_stopEvent)
        ::CloseHandle(m_stopEvent);
}

bool CProgrammingThreadBase::StartThread(HWND page)
{
    if (m_thread != nullptr)
        return false;
    m_page = page;
    m_stopSeen = 0;
    ::ResetEvent(m_stopEvent);
    m_thread = ::CreateThread(nullptr, 0, &CProgrammingThreadBase::ThreadEntry, this, 0, &m_threadId);
    if (m_thread == nullptr)
    {
        m_threadId = 0;
        return false;
    }
    return true;
}

bool CProgrammingThreadBase::StopThread(DWORD milliseconds)
{
    if (m_thread == nullptr)
    {
        m_endedByItself = true;
        return true;
    }
    ::SetEvent(m_stopEvent);
    DWORD wait = ::WaitForSingleObject(m_thread, milliseconds);
    if (wait == WAIT_TIMEOUT && m_inRequest > 0)
        wait = ::WaitForSingleObject(m_thread, REQUEST_GRACE_MS);
    m_endedByItself = wait == WAIT_OBJECT_0;
    if (!m_endedByItself)
        CUserSpaceSyncObject::TerminateThreadOutsideLocks(m_thread, static_cast<DWORD>(-1));
    ::CloseHandle(m_thread);
    m_thread = nullptr;
    m_threadId = 0;
    return m_endedByItself;
}

DWORD WINAPI CProgrammingThreadBase::ThreadEntry(LPVOID parameter)
{
    return static_cast<DWORD>(static_cast<CProgrammingThreadBase*>(parameter)->RunThreadBody());
}

bool CProgrammingThreadBase::StopRequested()
{
    if (m_stopSeen)
        return true;
    if (::WaitForSingleObject(m_stopEvent, 0) == WAIT_OBJECT_0)
        ::InterlockedExchange(&m_stopSeen, 1);
    return m_stopSeen != 0;
}

void CProgrammingThreadBase::PostToPage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!StopRequested())
        ::PostMessageA(m_page, message, wParam, lParam);
}

void CProgrammingThreadBase::PostText(const char* text)
{
    if (!StopRequested())
        PostProgrammingText(m_page, text);
}

void CProgrammingThreadBase::PostRunFailure(const std::string& reason, const std::string& where, int done, int total,
                                            bool isRead, WPARAM code)
{
    PostText(("* Error: " + reason + ".").c_str());
    char count[64];
    std::snprintf(count, sizeof count, "%d of %d %s", done, total, isRead ? "registers read" : "writes confirmed");
    PostText(("Stopped at " + where + ": " + count + ".").c_str());
    PostToPage(WM_APP_PROG_FAILED, code);
}

std::string CProgrammingThreadBase::SettingText(const std::string& name, unsigned address)
{
    char text[32];
    std::snprintf(text, sizeof text, "register 0x%04x", address & 0xFFFFu);
    return name.empty() ? std::string(text) : name + " (" + text + ")";
}
