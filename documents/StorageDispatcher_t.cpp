#include "documents/StorageDispatcher_t.h"

#include <mmsystem.h>

#include "documents/CStorageRefreshEvent.h"
#include "documents/CStorageTick.h"
#include "documents/CStorageTime.h"
#include "framework/CSingleLock.h"
#include "framework/CUserException.h"
#include "framework/CWinThread.h"
#include "framework/MessageBoxHook.h"

StorageDispatcher_t::StorageDispatcher_t(IStorageDispatchTarget* owner)
    : m_owner(owner),
      m_thread(nullptr),
      m_stopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_targetWindow(nullptr),
      m_timerId(0),
      m_timerResolution(0),
      m_tickCounter(0),
      m_timerActive(false)
{
}

StorageDispatcher_t::~StorageDispatcher_t()
{
    StopTimer();
    StopThread();
    if (m_stopEvent != nullptr)
        CloseHandle(m_stopEvent);
    m_secondQueue.Clear();
    m_firstQueue.Clear();
}

void StorageDispatcher_t::Start()
{
    if (!StartTimer()) {
        AfxMessageBox("Error: unable start the multimedia timer", MB_ICONERROR);
        AfxThrowUserException();
    }
    // Started suspended so that the thread object outlives the thread: we wait on
    // its handle when stopping.
    m_thread = AfxBeginThread(&StorageDispatcher_t::ThreadProc, this, THREAD_PRIORITY_NORMAL, 0,
                              CREATE_SUSPENDED);
    if (m_thread != nullptr) {
        m_thread->m_bAutoDelete = FALSE;
        m_thread->ResumeThread();
    }
}

bool StorageDispatcher_t::StartTimer()
{
    if (m_timerId != 0)
        return false;
    TIMECAPS caps;
    if (timeGetDevCaps(&caps, sizeof(caps)) != TIMERR_NOERROR)
        return false;
    UINT resolution = DISPATCH_TIMER_RESOLUTION_MS;
    if (caps.wPeriodMin > resolution)
        resolution = caps.wPeriodMin;
    else if (caps.wPeriodMax < resolution)
        resolution = caps.wPeriodMax;
    if (timeBeginPeriod(resolution) != TIMERR_NOERROR)
        return false;

    {
        CSingleLock guard(&m_timerGuard, TRUE);
        m_timerActive = true;
    }
    UINT id = timeSetEvent(DISPATCH_TIMER_PERIOD_MS, resolution, &StorageDispatcher_t::TimerProc,
                           (DWORD_PTR)this, TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    if (id == 0) {
        CSingleLock guard(&m_timerGuard, TRUE);
        m_timerActive = false;
        guard.Unlock();
        timeEndPeriod(resolution);
        return false;
    }
    m_timerId = id;
    m_timerResolution = resolution;
    return true;
}

bool StorageDispatcher_t::StopTimer()
{
    if (m_timerId == 0)
        return false;
    timeKillEvent(m_timerId);
    {
        // Waits for a callback in progress; any later one finds the timer inactive.
        CSingleLock guard(&m_timerGuard, TRUE);
        m_timerActive = false;
    }
    m_timerId = 0;
    timeEndPeriod(m_timerResolution);
    m_timerResolution = 0;
    return true;
}

void CALLBACK StorageDispatcher_t::TimerProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    StorageDispatcher_t* dispatcher = reinterpret_cast<StorageDispatcher_t*>(user);
    CSingleLock guard(&dispatcher->m_timerGuard, TRUE);
    if (dispatcher->m_timerActive)
        dispatcher->OnTimer();
}

void StorageDispatcher_t::OnTimer()
{
    CStoragePtr tick(new CStorageTick());
    m_firstQueue.Push(tick);
    m_secondQueue.Push(tick);

    if (++m_tickCounter > DISPATCH_TIME_EVERY_TICKS - 1) {
        m_tickCounter = 0;
        CStoragePtr time(new CStorageTime());
        m_firstQueue.Push(time);
        m_secondQueue.Push(time);
    }
}

void StorageDispatcher_t::PostToSecondQueue(const CStoragePtr& item)
{
    m_secondQueue.Push(item);
}

CStoragePtr StorageDispatcher_t::Take(StorageQueue_t& queue)
{
    CSingleLock lock(&queue.GetLock(), TRUE);
    CStoragePtr item = queue.Front();
    if (item)
        queue.PopFront();
    return item;
}

CStoragePtr StorageDispatcher_t::TakeFirst()
{
    return Take(m_firstQueue);
}

CStoragePtr StorageDispatcher_t::TakeSecond()
{
    return Take(m_secondQueue);
}

UINT __cdecl StorageDispatcher_t::ThreadProc(LPVOID dispatcher)
{
    return (UINT)static_cast<StorageDispatcher_t*>(dispatcher)->Run();
}

int StorageDispatcher_t::Run()
{
    // The lowest signalled index wins: stop first, then the first queue drained
    // before the second gets a turn.
    HANDLE events[3] = { m_stopEvent, m_firstQueue.GetEvent(), m_secondQueue.GetEvent() };
    for (;;) {
        DWORD result = WaitForMultipleObjects(3, events, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0)
            return 0;
        if (result == WAIT_OBJECT_0 + 1) {
            CStoragePtr item = TakeFirst();
            if (item && m_owner != nullptr)
                m_owner->DispatchToDevices(item);
        } else if (result == WAIT_OBJECT_0 + 2) {
            CStoragePtr item = TakeSecond();
            if (!item)
                continue;
            if (m_owner != nullptr)
                m_owner->DispatchToDisplays(item);
            HWND target = m_targetWindow;
            if (item->GetType() == STORAGE_TYPE_REFRESH_EVENT && target != nullptr) {
                const CStorageRefreshEvent& refresh = static_cast<const CStorageRefreshEvent&>(*item);
                PostMessageA(target, WM_APP_REFRESH_EVENT, (WPARAM)refresh.GetCode(),
                             (LPARAM)refresh.GetId());
            }
        }
    }
}

void StorageDispatcher_t::Shutdown()
{
    // The timer goes first: a tick queued now would never be taken, and a callback
    // must not outlive the queues.
    StopTimer();
    m_firstQueue.Clear();
    m_secondQueue.Clear();
    StopThread();
}

void StorageDispatcher_t::StopThread()
{
    if (m_thread == nullptr)
        return;
    SetEvent(m_stopEvent);
    if (WaitForSingleObject(m_thread->m_hThread, DISPATCH_STOP_WAIT_MS) != WAIT_OBJECT_0)
        TerminateThread(m_thread->m_hThread, (DWORD)-1);
    delete m_thread;
    m_thread = nullptr;
}
