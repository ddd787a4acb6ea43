// The event pump: a 100 ms multimedia timer that queues ticks (and a time item every
// tenth tick) and one dispatch thread that moves items from the first queue to the
// device documents and from the second queue to the display documents, posting
// refresh events to the main frame as well. The thread wakes once for all that a
// queue holds and hands it over as one run.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "documents/CStorage.h"
#include "documents/IStorageDispatchTarget.h"
#include "documents/StorageQueue_t.h"
#include "documents/StorageRun_t.h"

#include <atomic>
#include <set>
#include <utility>

class CWinThread;

// Received by the main frame: wParam the refresh code, lParam the device or document id.
const UINT WM_APP_REFRESH_EVENT = WM_APP + 1;

const UINT DISPATCH_TIMER_PERIOD_MS = 100;
const UINT DISPATCH_TIMER_RESOLUTION_MS = 20;
const int DISPATCH_TIME_EVERY_TICKS = 10;
const DWORD DISPATCH_STOP_WAIT_MS = 2000;

class StorageDispatcher_t
{
public:
    // The owner gets the items; null drops them (the queues still fill and drain).
    explicit StorageDispatcher_t(IStorageDispatchTarget* owner);
    ~StorageDispatcher_t();

    StorageDispatcher_t(const StorageDispatcher_t&) = delete;
    StorageDispatcher_t& operator=(const StorageDispatcher_t&) = delete;

    // Starts the timer and the dispatch thread. When the timer cannot start, tells the
    // user and throws CUserException*; no thread is started then.
    void Start();
    bool StartTimer();
    bool StopTimer();
    // Stops the timer and the dispatch thread and empties both queues.
    void Shutdown();

    // A window that takes its refreshes (calls RefreshTaken for each as it handles it)
    // has them merged: until it took one, another refresh of the same code and id (of
    // the same code, for changes of a device's state or messages) is not posted again, so that refreshes coming faster than the window handles them wait as
    // one and posted commands do not queue behind them. Any other window gets each one.
    void SetTargetWindow(HWND window, bool takesRefreshes = false);
    void RefreshTaken(int code, int id);
    HWND GetTargetWindow() const { return m_targetWindow; }

    // Producers push into the first queue directly; an item for both device and
    // display documents goes into the first queue and then into the second.
    // A batch goes in with one lock and wakes the thread at most once.
    StorageQueue_t& GetFirstQueue() { return m_firstQueue; }
    StorageQueue_t& GetSecondQueue() { return m_secondQueue; }
    void PostToSecondQueue(const CStoragePtr& item);
    void PostToSecondQueue(const StorageBatch_t& items);

    CStoragePtr TakeFirst();
    CStoragePtr TakeSecond();

    // The resolution the timer period was begun with; 0 while no timer runs.
    UINT TimerResolution() const { return m_timerResolution; }

    // One timer period: a tick into both queues, and after every tenth a time item.
    void OnTimer();
    // The id of the running multimedia timer; 0 while none runs.
    UINT TimerId() const { return m_timerId; }
    // Set once the dispatch thread is told to end.
    HANDLE GetStopEvent() const { return m_stopEvent; }
    // The dispatch thread's loop; returns 0 when the stop event is set.
    int Run();

private:
    static void CALLBACK TimerProc(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
    static UINT __cdecl ThreadProc(LPVOID dispatcher);
    void StopThread();
    // Tells the thread to end after the item in hand.
    void RequestStop();
    void HandOn(StorageRun_t& run, void (IStorageDispatchTarget::*dispatch)(StorageRun_t&));
    void PostRefreshEvents(const StorageBatch_t& items, size_t first, size_t end);
    static std::pair<int, int> PendingKey(int code, int id);

    IStorageDispatchTarget* m_owner;
    CWinThread* m_thread;
    HANDLE m_stopEvent;
    // Asked between two items of a run; set with the stop event.
    std::atomic<bool> m_stopping;
    std::atomic<HWND> m_targetWindow;
    StorageQueue_t m_firstQueue;
    StorageQueue_t m_secondQueue;
    UINT m_timerId;
    UINT m_timerResolution;
    int m_tickCounter;
    // Held by every timer callback while it runs, so that stopping the timer can wait
    // out a callback in progress and no callback touches the queues afterwards.
    CCriticalSection m_timerGuard;
    bool m_timerActive;
    // The (code, id) of refreshes posted and not yet taken by the target window.
    CCriticalSection m_pendingRefreshLock;
    std::set<std::pair<int, int>> m_pendingRefreshes;
    bool m_mergeRefreshes;
};
