#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "documents/CPlotItemSimpleValue.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/CStorageTick.h"
#include "documents/StorageDispatcher_t.h"
#include "framework/CUserException.h"
#include "tests/documents/HubRecorders.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/MessageCollector.h"

#include <mmsystem.h>
#include "tests/support/Polling.h"

namespace {

struct Received {
    CStoragePtr item;
    DWORD threadId;
    int run;   // counted from 1 on each side
};

// Records what the dispatch thread hands over, with the thread it came on and the run
// it came in. A gate can hold the device items back, to keep the dispatch thread busy;
// the held event says that the thread has reached it.
class RecordingTarget : public IStorageDispatchTarget
{
public:
    void DispatchToDevices(StorageRun_t& run) override
    {
        const int runNumber = ++m_deviceRuns;
        for (CStoragePtr item; run.Next(item);) {
            m_gate.Pass();
            std::lock_guard<std::mutex> lock(m_lock);
            m_devices.push_back({ item, GetCurrentThreadId(), runNumber });
        }
    }
    void DispatchToDisplays(StorageRun_t& run) override
    {
        const int runNumber = ++m_displayRuns;
        for (CStoragePtr item; run.Next(item);) {
            std::lock_guard<std::mutex> lock(m_lock);
            m_displays.push_back({ item, GetCurrentThreadId(), runNumber });
        }
    }

    void CloseGate() { m_gate.Close(); }
    void OpenGate() { m_gate.Open(); }
    bool WaitUntilHeld(DWORD timeoutMs) const { return m_gate.WaitUntilHeld(timeoutMs); }

    std::vector<Received> Devices() const { std::lock_guard<std::mutex> lock(m_lock); return m_devices; }
    std::vector<Received> Displays() const { std::lock_guard<std::mutex> lock(m_lock); return m_displays; }

    static size_t CountOfType(const std::vector<Received>& received, DWORD type)
    {
        size_t count = 0;
        for (const Received& entry : received)
            count += entry.item->GetType() == type ? 1 : 0;
        return count;
    }

    // Waits, bounded, until both lists satisfy the predicate.
    template <typename Predicate>
    bool WaitUntil(Predicate done, DWORD timeoutMs) const
    {
        return testing_support::PollUntil([&] { return done(Devices(), Displays()); }, timeoutMs, 10);
    }

private:
    mutable std::mutex m_lock;
    std::vector<Received> m_devices;
    std::vector<Received> m_displays;
    hub_test::Gate m_gate{ true };
    std::atomic<int> m_deviceRuns{ 0 };
    std::atomic<int> m_displayRuns{ 0 };
};

std::vector<CStoragePtr> Drain(StorageQueue_t& queue)
{
    std::vector<CStoragePtr> items;
    for (int i = 0; i < 100000; ++i) {
        CStoragePtr item = queue.Front();
        if (!item)
            break;
        queue.PopFront();
        items.push_back(item);
    }
    return items;
}

// A time item follows every tenth tick directly, and nothing else is queued.
void ExpectTimeAfterEveryTenthTick(const std::vector<CStoragePtr>& items)
{
    int ticks = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        DWORD type = items[i]->GetType();
        if (type == STORAGE_TYPE_TICK) {
            ++ticks;
            bool timeDue = ticks % 10 == 0;
            bool timeFollows = i + 1 < items.size() && items[i + 1]->GetType() == STORAGE_TYPE_TIME;
            if (i + 1 < items.size()) {
                EXPECT_EQ(timeDue, timeFollows) << "after tick " << ticks;
            }
        } else {
            ASSERT_EQ(STORAGE_TYPE_TIME, type);
            ASSERT_GT(i, 0u);
            EXPECT_EQ(STORAGE_TYPE_TICK, items[i - 1]->GetType());
        }
    }
}

TEST(DispatcherTimer, TimerPeriodsQueueTicksAndATimeEveryTenth)
{
    StorageDispatcher_t dispatcher(nullptr);
    for (int i = 0; i < 9; ++i)
        dispatcher.OnTimer();
    std::vector<CStoragePtr> first = Drain(dispatcher.GetFirstQueue());
    std::vector<CStoragePtr> second = Drain(dispatcher.GetSecondQueue());
    ASSERT_EQ(9u, first.size());
    ASSERT_EQ(9u, second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(STORAGE_TYPE_TICK, first[i]->GetType());
        EXPECT_EQ(first[i], second[i]) << "both queues get the same item";
    }

    dispatcher.OnTimer();   // the 10th
    first = Drain(dispatcher.GetFirstQueue());
    second = Drain(dispatcher.GetSecondQueue());
    ASSERT_EQ(2u, first.size());
    EXPECT_EQ(STORAGE_TYPE_TICK, first[0]->GetType());
    EXPECT_EQ(STORAGE_TYPE_TIME, first[1]->GetType());
    ASSERT_EQ(2u, second.size());
    EXPECT_EQ(first[1], second[1]);

    for (int i = 0; i < 20; ++i)
        dispatcher.OnTimer();
    first = Drain(dispatcher.GetFirstQueue());
    EXPECT_EQ(22u, first.size());
    ExpectTimeAfterEveryTenthTick(first);
}

TEST(DispatcherTimer, StartsOnceAndStopsOnce)
{
    TIMECAPS caps;
    ASSERT_EQ((MMRESULT)TIMERR_NOERROR, timeGetDevCaps(&caps, sizeof(caps)));
    UINT expected = 20;
    if (caps.wPeriodMin > expected)
        expected = caps.wPeriodMin;
    else if (caps.wPeriodMax < expected)
        expected = caps.wPeriodMax;

    StorageDispatcher_t dispatcher(nullptr);
    EXPECT_EQ(0u, dispatcher.TimerResolution());
    EXPECT_FALSE(dispatcher.StopTimer());
    ASSERT_TRUE(dispatcher.StartTimer());
    EXPECT_EQ(expected, dispatcher.TimerResolution());
    EXPECT_FALSE(dispatcher.StartTimer());
    EXPECT_EQ(expected, dispatcher.TimerResolution());
    EXPECT_TRUE(dispatcher.StopTimer());
    EXPECT_EQ(0u, dispatcher.TimerResolution());
    EXPECT_FALSE(dispatcher.StopTimer());
}

TEST(DispatcherTimer, RealTimerTicksEvery100MsWithATimeEverySecond)
{
    StorageDispatcher_t dispatcher(nullptr);
    DWORD start = GetTickCount();
    ASSERT_TRUE(dispatcher.StartTimer());
    std::vector<CStoragePtr> first;
    size_t ticks = 0;
    // 25 ticks take 2.5 s; allow a slow host four times that.
    while (ticks < 25 && GetTickCount() - start < 10000) {
        Sleep(50);
        for (const CStoragePtr& item : Drain(dispatcher.GetFirstQueue())) {
            first.push_back(item);
            ticks += item->GetType() == STORAGE_TYPE_TICK ? 1 : 0;
        }
    }
    EXPECT_TRUE(dispatcher.StopTimer());
    DWORD elapsed = GetTickCount() - start;
    std::vector<CStoragePtr> rest = Drain(dispatcher.GetFirstQueue());
    first.insert(first.end(), rest.begin(), rest.end());

    ticks = 0;
    size_t times = 0;
    for (const CStoragePtr& item : first)
        (item->GetType() == STORAGE_TYPE_TICK ? ticks : times) += 1;
    ASSERT_GE(ticks, 25u);
    EXPECT_EQ(ticks / 10, times);
    ExpectTimeAfterEveryTenthTick(first);
    // About 100 ms a tick: neither a burst nor a crawl.
    EXPECT_GE(elapsed, 25u * 100 * 7 / 10);
    EXPECT_LE(elapsed, 25u * 100 * 3);
    EXPECT_EQ(first.size(), Drain(dispatcher.GetSecondQueue()).size());
}

TEST(DispatcherTimer, NoTickArrivesAfterShutdown)
{
    StorageDispatcher_t dispatcher(nullptr);
    ASSERT_TRUE(dispatcher.StartTimer());
    Sleep(250);
    dispatcher.Shutdown();
    EXPECT_EQ(0u, dispatcher.TimerResolution());
    Sleep(350);
    EXPECT_FALSE(dispatcher.TakeFirst());
    EXPECT_FALSE(dispatcher.TakeSecond());
}

TEST(DispatcherTimer, DestroyingWhileTheTimerRunsKillsTheTimer)
{
    // The callback must never run on a dispatcher that is gone: once destruction
    // returns, the system refuses to kill the timer again, so no tick can follow. The moment
    // of destruction is varied against the 100 ms period, from the first tick on.
    for (int round = 0; round < 12; ++round) {
        StorageDispatcher_t* dispatcher = new StorageDispatcher_t(nullptr);
        ASSERT_TRUE(dispatcher->StartTimer());
        const UINT timerId = dispatcher->TimerId();
        ASSERT_NE(0u, timerId);
        StorageQueue_t& first = dispatcher->GetFirstQueue();
        const bool ticked = testing_support::PollUntil([&] { return first.HasItems(); }, 5000, 1);
        Sleep(round * 9);
        delete dispatcher;
        ASSERT_TRUE(ticked) << "round " << round;
        // A timer still running would be killed here with TIMERR_NOERROR.
        EXPECT_NE((MMRESULT)TIMERR_NOERROR, timeKillEvent(timerId)) << "round " << round;
    }
}

TEST(DispatcherStart, TimerThatCannotStartIsReportedAndNoThreadRuns)
{
    testing_support::MessageBoxRecorder::Instance().Clear();
    RecordingTarget target;
    StorageDispatcher_t dispatcher(&target);
    ASSERT_TRUE(dispatcher.StartTimer());   // so that Start's own StartTimer fails
    bool thrown = false;
    try {
        dispatcher.Start();
    } catch (CUserException* e) {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    std::vector<testing_support::RecordedMessageBox> boxes = testing_support::MessageBoxRecorder::Instance().Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Error: unable start the multimedia timer", boxes[0].text);
    EXPECT_EQ((UINT)MB_ICONERROR, boxes[0].type & MB_ICONMASK);

    dispatcher.StopTimer();
    Drain(dispatcher.GetFirstQueue());
    dispatcher.GetFirstQueue().Push(CStoragePtr(new CStorageTick()));
    Sleep(200);
    EXPECT_TRUE(dispatcher.TakeFirst()) << "no dispatch thread takes items";
    EXPECT_TRUE(target.Devices().empty());
}

TEST(DispatcherThread, ItemsReachDevicesAndDisplaysOnTheDispatchThread)
{
    RecordingTarget target;
    StorageDispatcher_t dispatcher(&target);
    dispatcher.Start();
    CStoragePtr value(new CPlotItemSimpleValue(3, 8, COleVariant(12L), "Load Current", "A"));
    dispatcher.GetFirstQueue().Push(value);
    dispatcher.PostToSecondQueue(value);

    bool arrived = target.WaitUntil([](const std::vector<Received>& devices, const std::vector<Received>& displays) {
        return RecordingTarget::CountOfType(devices, STORAGE_TYPE_TIME) >= 1
            && RecordingTarget::CountOfType(displays, STORAGE_TYPE_TIME) >= 1
            && RecordingTarget::CountOfType(devices, STORAGE_TYPE_SIMPLE_VALUE) >= 1
            && RecordingTarget::CountOfType(displays, STORAGE_TYPE_SIMPLE_VALUE) >= 1;
    }, 5000);
    dispatcher.Shutdown();
    ASSERT_TRUE(arrived);

    std::vector<Received> devices = target.Devices();
    std::vector<Received> displays = target.Displays();
    DWORD dispatchThread = devices[0].threadId;
    EXPECT_NE(GetCurrentThreadId(), dispatchThread);
    for (const Received& entry : devices)
        EXPECT_EQ(dispatchThread, entry.threadId);
    for (const Received& entry : displays)
        EXPECT_EQ(dispatchThread, entry.threadId);
    // The same item object reaches both sides.
    for (const Received& entry : displays) {
        if (entry.item->GetType() == STORAGE_TYPE_SIMPLE_VALUE) {
            EXPECT_EQ(value, entry.item);
        }
    }
    EXPECT_EQ(1u, RecordingTarget::CountOfType(devices, STORAGE_TYPE_SIMPLE_VALUE));
    EXPECT_EQ(1u, RecordingTarget::CountOfType(displays, STORAGE_TYPE_SIMPLE_VALUE));
}

TEST(DispatcherThread, ProducerItemsKeepTheirOrder)
{
    RecordingTarget target;
    StorageDispatcher_t dispatcher(&target);
    dispatcher.Start();
    for (int i = 0; i < 200; ++i)
        dispatcher.GetFirstQueue().Push(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, i)));
    bool arrived = target.WaitUntil([](const std::vector<Received>& devices, const std::vector<Received>&) {
        return RecordingTarget::CountOfType(devices, STORAGE_TYPE_REFRESH_EVENT) >= 200;
    }, 5000);
    dispatcher.Shutdown();
    ASSERT_TRUE(arrived);
    int next = 0;
    for (const Received& entry : target.Devices()) {
        if (entry.item->GetType() == STORAGE_TYPE_REFRESH_EVENT) {
            EXPECT_EQ(next++, static_cast<CStorageRefreshEvent&>(*entry.item).GetId());
        }
    }
    EXPECT_TRUE(target.Displays().size() <= target.Devices().size()) << "refresh items went to devices only";
    EXPECT_EQ(0u, RecordingTarget::CountOfType(target.Displays(), STORAGE_TYPE_REFRESH_EVENT));
}

// The refresh ids of the value-less refresh items, by the run they came in.
std::map<int, std::vector<int>> RefreshIdsByRun(const std::vector<Received>& received)
{
    std::map<int, std::vector<int>> runs;
    for (const Received& entry : received) {
        if (entry.item->GetType() == STORAGE_TYPE_REFRESH_EVENT)
            runs[entry.run].push_back(static_cast<const CStorageRefreshEvent&>(*entry.item).GetId());
    }
    return runs;
}

TEST(DispatcherThread, ABatchIsOneWakeAndOneRunOnEachSide)
{
    RecordingTarget target;
    target.CloseGate();
    StorageDispatcher_t dispatcher(&target);
    dispatcher.Start();
    dispatcher.StopTimer();
    // The thread takes the first item alone and is held with it, while the batch fills.
    dispatcher.GetFirstQueue().Push(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, 1000)));
    ASSERT_TRUE(target.WaitUntilHeld(5000));
    StorageBatch_t batch;
    for (int i = 0; i < 100; ++i)
        batch.push_back(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, i)));
    dispatcher.GetFirstQueue().PushBatch(batch);
    dispatcher.PostToSecondQueue(batch);
    target.OpenGate();

    const bool arrived = target.WaitUntil([](const std::vector<Received>& devices, const std::vector<Received>& displays) {
        return RecordingTarget::CountOfType(devices, STORAGE_TYPE_REFRESH_EVENT) >= 101
            && RecordingTarget::CountOfType(displays, STORAGE_TYPE_REFRESH_EVENT) >= 100;
    }, 5000);
    dispatcher.Shutdown();
    ASSERT_TRUE(arrived);

    std::vector<int> ids;
    for (int i = 0; i < 100; ++i)
        ids.push_back(i);
    // A tick queued before the timer stopped may have a run of its own.
    std::map<int, std::vector<int>> deviceRuns = RefreshIdsByRun(target.Devices());
    ASSERT_EQ(2u, deviceRuns.size());
    EXPECT_EQ(std::vector<int>{ 1000 }, deviceRuns.begin()->second);
    EXPECT_EQ(ids, deviceRuns.rbegin()->second);
    std::map<int, std::vector<int>> displayRuns = RefreshIdsByRun(target.Displays());
    ASSERT_EQ(1u, displayRuns.size());
    EXPECT_EQ(ids, displayRuns.begin()->second);
}

// Records every item of both sides in one sequence, and holds the display side inside
// the item with a given refresh id until the gate opens.
class SequenceTarget : public IStorageDispatchTarget
{
public:
    explicit SequenceTarget(int holdAtDisplayId) : m_holdAt(holdAtDisplayId) {}
    void DispatchToDevices(StorageRun_t& run) override
    {
        for (CStoragePtr item; run.Next(item);)
            Add("device", item);
    }
    void DispatchToDisplays(StorageRun_t& run) override
    {
        for (CStoragePtr item; run.Next(item);) {
            Add("display", item);
            if (item->GetType() == STORAGE_TYPE_REFRESH_EVENT &&
                static_cast<const CStorageRefreshEvent&>(*item).GetId() == m_holdAt)
                gate.Pass();
        }
    }
    std::vector<std::string> Sequence() const
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_sequence;
    }
    hub_test::Gate gate;

private:
    void Add(const char* side, const CStoragePtr& item)
    {
        if (item->GetType() != STORAGE_TYPE_REFRESH_EVENT)
            return;
        std::lock_guard<std::mutex> lock(m_lock);
        m_sequence.push_back(side + std::string(" ") +
                             std::to_string(static_cast<const CStorageRefreshEvent&>(*item).GetId()));
    }

    const int m_holdAt;
    mutable std::mutex m_lock;
    std::vector<std::string> m_sequence;
};

// Starts the dispatcher without its timer, gives its second queue eight refresh events
// (ids 0 to 7) and waits until the display side is held inside the fourth.
bool HoldInTheFourthOfEight(StorageDispatcher_t& dispatcher, SequenceTarget& target, int code)
{
    dispatcher.Start();
    dispatcher.StopTimer();
    StorageBatch_t displayItems;
    for (int i = 0; i < 8; ++i)
        displayItems.push_back(CStoragePtr(new CStorageRefreshEvent(code, i)));
    dispatcher.PostToSecondQueue(displayItems);
    return target.gate.WaitUntilHeld(5000);
}

TEST(DispatcherThread, TheFirstQueueGoesFirstAlsoInTheMiddleOfADisplayRun)
{
    SequenceTarget target(3);
    StorageDispatcher_t dispatcher(&target);
    ASSERT_TRUE(HoldInTheFourthOfEight(dispatcher, target, REFRESH_STATE_CHANGED));
    // Queued while the display run is inside its fourth item: it goes before the fifth.
    dispatcher.GetFirstQueue().Push(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, 100)));
    target.gate.Open();
    const bool arrived = testing_support::PollUntil([&] { return target.Sequence().size() >= 9; }, 5000, 10);
    dispatcher.Shutdown();
    ASSERT_TRUE(arrived);
    EXPECT_EQ((std::vector<std::string>{ "display 0", "display 1", "display 2", "display 3", "device 100",
                                         "display 4", "display 5", "display 6", "display 7" }),
              target.Sequence());
}

TEST(DispatcherThread, ClearingTheSecondQueueDropsWhatTheThreadHasTakenButNotHandedOn)
{
    SequenceTarget target(3);
    StorageDispatcher_t dispatcher(&target);
    // All eight are out of the queue and the thread is inside the fourth: a clear now
    // (as a workspace load makes) drops the other four.
    ASSERT_TRUE(HoldInTheFourthOfEight(dispatcher, target, REFRESH_DEVICE_REMOVED));
    EXPECT_FALSE(dispatcher.GetSecondQueue().HasItems());
    dispatcher.GetSecondQueue().Clear();
    target.gate.Open();
    // Items queued after the clear are handed on as ever, and come after nothing of the old run.
    dispatcher.PostToSecondQueue(CStoragePtr(new CStorageRefreshEvent(REFRESH_DEVICE_REMOVED, 20)));
    const bool arrived = testing_support::PollUntil(
        [&] { return !target.Sequence().empty() && target.Sequence().back() == "display 20"; }, 5000, 10);
    dispatcher.Shutdown();
    ASSERT_TRUE(arrived);
    EXPECT_EQ((std::vector<std::string>{ "display 0", "display 1", "display 2", "display 3", "display 20" }),
              target.Sequence());
}

TEST(DispatcherThread, RefreshEventsOfTheSecondQueueArePostedToTheTargetWindow)
{
    testing_support::MessageCollector collector;
    RecordingTarget target;
    StorageDispatcher_t dispatcher(&target);
    dispatcher.SetTargetWindow(collector.Window());
    dispatcher.Start();
    // A refresh in the first queue only goes to devices, never to the window.
    dispatcher.GetFirstQueue().Push(CStoragePtr(new CStorageRefreshEvent(REFRESH_CONNECTED, 77)));
    dispatcher.PostToSecondQueue(CStoragePtr(new CPlotItemSimpleValue(2, 1, COleVariant(1L), "X", "")));
    dispatcher.PostToSecondQueue(CStoragePtr(new CStorageRefreshEvent(REFRESH_LOG_RECORDS, 42)));
    dispatcher.PostToSecondQueue(CStoragePtr(new CStorageRefreshEvent(REFRESH_DEVICE_REMOVED, 255)));

    bool posted = collector.WaitUntil([](const std::vector<testing_support::CollectedMessage>& messages) {
        size_t count = 0;
        for (const testing_support::CollectedMessage& message : messages)
            count += message.message == WM_APP_REFRESH_EVENT ? 1 : 0;
        return count >= 2;
    }, 5000);
    collector.PumpFor(200);
    dispatcher.Shutdown();
    ASSERT_TRUE(posted);

    EXPECT_EQ(0x8001u, WM_APP_REFRESH_EVENT);
    std::vector<testing_support::CollectedMessage> refreshes = collector.Messages(WM_APP_REFRESH_EVENT);
    ASSERT_EQ(2u, refreshes.size());
    EXPECT_EQ(6u, refreshes[0].wParam);
    EXPECT_EQ(42, refreshes[0].lParam);
    EXPECT_EQ(3u, refreshes[1].wParam);
    EXPECT_EQ(255, refreshes[1].lParam);
    EXPECT_EQ(2u, RecordingTarget::CountOfType(target.Displays(), STORAGE_TYPE_REFRESH_EVENT));
}

TEST(DispatcherThread, WithoutTargetWindowRefreshesStillReachDisplays)
{
    testing_support::MessageCollector collector;
    RecordingTarget target;
    StorageDispatcher_t dispatcher(&target);
    dispatcher.Start();
    dispatcher.PostToSecondQueue(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, 9)));
    bool arrived = target.WaitUntil([](const std::vector<Received>&, const std::vector<Received>& displays) {
        return RecordingTarget::CountOfType(displays, STORAGE_TYPE_REFRESH_EVENT) >= 1;
    }, 5000);
    collector.PumpFor(200);
    dispatcher.Shutdown();
    EXPECT_TRUE(arrived);
    EXPECT_EQ(0u, collector.Count(WM_APP_REFRESH_EVENT));
}

TEST(DispatcherStop, IdleThreadStopsPromptly)
{
    RecordingTarget target;
    StorageDispatcher_t dispatcher(&target);
    dispatcher.Start();
    Sleep(150);
    DWORD start = GetTickCount();
    dispatcher.Shutdown();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_FALSE(dispatcher.TakeFirst());
    EXPECT_FALSE(dispatcher.TakeSecond());
}

TEST(DispatcherStop, StuckThreadIsTerminatedAfterTheWait)
{
    RecordingTarget target;
    target.CloseGate();
    StorageDispatcher_t dispatcher(&target);
    dispatcher.Start();
    dispatcher.GetFirstQueue().Push(CStoragePtr(new CStorageTick()));
    ASSERT_TRUE(target.WaitUntilHeld(5000));
    DWORD start = GetTickCount();
    dispatcher.Shutdown();
    DWORD elapsed = GetTickCount() - start;
    target.OpenGate();
    // The 2 s stop wait, then the termination: bounded at three times the wait.
    EXPECT_GE(elapsed, 1900u);
    EXPECT_LT(elapsed, 6000u);
    // Shutdown returns once the thread has ended, so nothing can be recorded after it.
    EXPECT_TRUE(target.Devices().empty()) << "the terminated thread recorded nothing more";
}

TEST(DispatcherStop, StopGoesBeforeQueuedItems)
{
    RecordingTarget target;
    target.CloseGate();
    StorageDispatcher_t* dispatcher = new StorageDispatcher_t(&target);
    dispatcher->Start();
    dispatcher->StopTimer();
    for (int i = 0; i < 50; ++i) {
        dispatcher->GetFirstQueue().Push(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, i)));
        dispatcher->PostToSecondQueue(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, i)));
    }
    // Destruction sets the stop event while both queues are full and the thread is held.
    ASSERT_TRUE(target.WaitUntilHeld(5000));
    const HANDLE stopEvent = dispatcher->GetStopEvent();
    std::thread destroyer([dispatcher] { delete dispatcher; });
    // The handle lives until the thread has ended, which waits for the gate.
    const bool stopSet = WaitForSingleObject(stopEvent, 10000) == WAIT_OBJECT_0;
    target.OpenGate();
    destroyer.join();
    EXPECT_TRUE(stopSet);
    // Only the item the thread held when the stop came was handled.
    EXPECT_LE(target.Devices().size(), 1u);
    EXPECT_TRUE(target.Displays().empty());
}

} // namespace
