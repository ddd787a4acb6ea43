#include "documents/StorageDispatcher_t.h"

#include <mmsystem.h>

#include "documents/CStorageRefreshEvent.h"
#include "documents/CStorageTick.h"
#include "documents/CStorageTime.h"
#include "framework/CSingleLock.h"
#include "framework/CUserException.h"
#include "framework/CUserSpaceSyncObject.h"
#include "framework/CWinThread.h"
#include "framework/MessageBoxHook.h"

StorageDispatcher_t::StorageDispatcher_t(IStorageDispatchTarget* owner)
    : m_owner(owner),
      m_thread(nullptr),
      m_stopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_stopping(false),
      m_targetWindow(nullptr),
      m_timerId(0),
      m_timerResolution(0),
      m_tickCounter(0),
      m_timerActive(false),
      m_mergeRefreshes(false)
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

void StorageDispatcher_t::PostToSecondQueue(const StorageBatch_t& items)
{
    m_secondQueue.PushBatch(items);
}

CStoragePtr StorageDispatcher_t::TakeFirst()
{
    return m_firstQueue.TakeFront();
}

CStoragePtr StorageDispatcher_t::TakeSecond()
{
    return m_secondQueue.TakeFront();
}

UINT __cdecl StorageDispatcher_t::ThreadProc(LPVOID dispatcher)
{
    return (UINT)static_cast<StorageDispatcher_t*>(dispatcher)->Run();
}

int StorageDispatcher_t::Run()
{
    // The lowest signalled index wins: stop first, then the first queue drained
    // before the second gets a turn. A run of the second queue's items gives way as
    // soon as the first queue holds items and goes on where it stopped afterwards.
    HANDLE events[3] = { m_stopEvent, m_firstQueue.GetEvent(), m_secondQueue.GetEvent() };
    StorageBatch_t displayItems;
    unsigned displayItemsClears = 0;
    size_t nextDisplayItem = 0;
    for (;;) {
        const bool displayItemsLeft = nextDisplayItem < displayItems.size();
        const DWORD result = WaitForMultipleObjects(3, events, FALSE, displayItemsLeft ? 0 : INFINITE);
        if (result == WAIT_OBJECT_0)
            return 0;
        if (result == WAIT_OBJECT_0 + 1) {
            const StorageBatch_t deviceItems = m_firstQueue.TakeAll();
            StorageRun_t run(deviceItems, 0, &m_stopping);
            HandOn(run, &IStorageDispatchTarget::DispatchToDevices);
            continue;
        }
        if (!displayItemsLeft) {
            if (result != WAIT_OBJECT_0 + 2)
                continue;
            displayItems = m_secondQueue.TakeAll(&displayItemsClears);
            nextDisplayItem = 0;
        }
        StorageRun_t run(displayItems, nextDisplayItem, &m_stopping, &m_firstQueue);
        // A clear of the queue (a workspace being loaded) also drops what was taken
        // from it: a removal notice of a closed document would strip a loaded display
        // of the entries of the document that has its id now.
        run.TakenFrom(m_secondQueue, displayItemsClears);
        HandOn(run, &IStorageDispatchTarget::DispatchToDisplays);
        PostRefreshEvents(displayItems, nextDisplayItem, run.Position());
        nextDisplayItem = run.Position();
        // Items handed on are let go at once, as their producers may count on.
        if (nextDisplayItem == displayItems.size() || run.Cleared()) {
            displayItems.clear();
            nextDisplayItem = 0;
        }
    }
}

void StorageDispatcher_t::HandOn(StorageRun_t& run, void (IStorageDispatchTarget::*dispatch)(StorageRun_t&))
{
    if (m_owner != nullptr) {
        (m_owner->*dispatch)(run);
        return;
    }
    // Dropped, but in the same steps as handed on.
    for (CStoragePtr item; run.Next(item);) {
    }
}

// After the displays had them, as the main frame reads the documents on its refresh.
void StorageDispatcher_t::PostRefreshEvents(const StorageBatch_t& items, size_t first, size_t end)
{
    const HWND target = m_targetWindow;
    if (target == nullptr)
        return;
    for (size_t index = first; index < end; ++index) {
        const CStoragePtr& item = items[index];
        if (!item || item->GetType() != STORAGE_TYPE_REFRESH_EVENT)
            continue;
        const CStorageRefreshEvent& refresh = static_cast<const CStorageRefreshEvent&>(*item);
        {
            CSingleLock lock(&m_pendingRefreshLock, TRUE);
            if (m_mergeRefreshes && !m_pendingRefreshes.insert(PendingKey(refresh.GetCode(), refresh.GetId())).second)
                continue;
        }
        if (!PostMessageA(target, WM_APP_REFRESH_EVENT, (WPARAM)refresh.GetCode(), (LPARAM)refresh.GetId()))
            RefreshTaken(refresh.GetCode(), refresh.GetId());
    }
}

void StorageDispatcher_t::SetTargetWindow(HWND window, bool takesRefreshes)
{
    CSingleLock lock(&m_pendingRefreshLock, TRUE);
    m_pendingRefreshes.clear();
    m_mergeRefreshes = takesRefreshes;
    m_targetWindow = window;
}

void StorageDispatcher_t::RefreshTaken(int code, int id)
{
    CSingleLock lock(&m_pendingRefreshLock, TRUE);
    m_pendingRefreshes.erase(PendingKey(code, id));
}

// A change of a device's state or messages is one kind whatever its device: the window
// reads every device for it, so that the devices of a site failing at once cost one
// refresh, not one each.
std::pair<int, int> StorageDispatcher_t::PendingKey(int code, int id)
{
    const bool anyDevice = code == REFRESH_STATE_CHANGED || code == REFRESH_DEVICE_MESSAGES;
    return std::make_pair(code, anyDevice ? 0 : id);
}

void StorageDispatcher_t::Shutdown()
{
    // The timer goes first: a tick queued now would never be taken, and a callback
    // must not outlive the queues. A run in hand ends at its next item.
    StopTimer();
    RequestStop();
    m_firstQueue.Clear();
    m_secondQueue.Clear();
    StopThread();
}

void StorageDispatcher_t::StopThread()
{
    if (m_thread == nullptr)
        return;
    RequestStop();
    if (WaitForSingleObject(m_thread->m_hThread, DISPATCH_STOP_WAIT_MS) != WAIT_OBJECT_0)
        CUserSpaceSyncObject::TerminateThreadOutsideLocks(m_thread->m_hThread, (DWORD)-1);
    delete m_thread;
    m_thread = nullptr;
}

void StorageDispatcher_t::RequestStop()
{
    m_stopping = true;
    SetEvent(m_stopEvent);
}
