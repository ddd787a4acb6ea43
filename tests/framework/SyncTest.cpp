#include "framework/CCriticalSection.h"
#include "framework/CEvent.h"
#include "framework/CMultiLock.h"
#include "framework/CMutex.h"
#include "framework/CSemaphore.h"
#include "framework/CSingleLock.h"
#include "framework/CUserSpaceSyncObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace
{
const DWORD kThreadWaitMs = 10000;
// The stress tests' threads do thousands of contended rounds each (0.2 s on a quiet
// machine now; 20 s were seen at four busy processes per processor when every wake-up
// went through Wine's server). The limit only catches a thread that never ends.
const DWORD kStressWorkMs = 180000;

// A Win32 thread running a function, joined (with a time-out) on destruction.
class TestThread
{
public:
    explicit TestThread(std::function<DWORD()> body) : m_body(std::move(body))
    {
        m_handle = ::CreateThread(nullptr, 0, &TestThread::Entry, this, 0, nullptr);
    }
    ~TestThread()
    {
        if (m_handle != nullptr)
        {
            ::WaitForSingleObject(m_handle, kThreadWaitMs);
            ::CloseHandle(m_handle);
        }
    }
    HANDLE Handle() const { return m_handle; }
    bool Join(DWORD* exitCode = nullptr, DWORD limitMs = kThreadWaitMs)
    {
        if (::WaitForSingleObject(m_handle, limitMs) != WAIT_OBJECT_0)
            return false;
        if (exitCode != nullptr)
            ::GetExitCodeThread(m_handle, exitCode);
        return true;
    }

private:
    static DWORD WINAPI Entry(void* self) { return static_cast<TestThread*>(self)->m_body(); }

    std::function<DWORD()> m_body;
    HANDLE m_handle = nullptr;
};

// Whether another thread can take the object within the time; it gives it back at once.
bool OtherThreadCanLock(CSyncObject& object, DWORD timeout = 50)
{
    TestThread thread([&]() -> DWORD {
        if (!object.Lock(timeout))
            return 0;
        object.Unlock();
        return 1;
    });
    DWORD acquired = 2;
    EXPECT_TRUE(thread.Join(&acquired));
    return acquired == 1;
}

// A critical section cannot be waited for with a time-out: the other thread only tries.
bool OtherThreadCanEnter(CCriticalSection& section)
{
    TestThread thread([&]() -> DWORD {
        if (!::TryEnterCriticalSection(section))
            return 0;
        ::LeaveCriticalSection(section);
        return 1;
    });
    DWORD entered = 2;
    EXPECT_TRUE(thread.Join(&entered));
    return entered == 1;
}

// A thread takes the mutex, and then either returns (abandoning it) or is terminated.
void AbandonMutex(CMutex& mutex, bool terminate)
{
    CEvent holding(FALSE, TRUE);
    CEvent neverSet(FALSE, TRUE);
    // Asked for before the thread runs: a thread is cut off only where it waits, never
    // inside a call that might hold the heap's lock.
    const HANDLE never = neverSet;
    TestThread thread([&]() -> DWORD {
        if (!mutex.Lock(kThreadWaitMs))
            return 1;
        holding.SetEvent();
        if (terminate)
            ::WaitForSingleObject(never, kThreadWaitMs);
        return 0;
    });
    ASSERT_TRUE(holding.Lock(kThreadWaitMs));
    if (terminate)
    {
        ASSERT_TRUE(CUserSpaceSyncObject::TerminateThreadOutsideLocks(thread.Handle(), 99));
    }
    DWORD exitCode = 0;
    ASSERT_TRUE(thread.Join(&exitCode));
    ASSERT_EQ(terminate ? 99u : 0u, exitCode);
}
double FileTimeMs(const FILETIME& time)
{
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e4;
}

// The processor time of the whole process, in milliseconds.
double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    return FileTimeMs(kernel) + FileTimeMs(user);
}

// The processor time of one thread, in milliseconds.
double ThreadCpuMs(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(thread, &created, &exited, &kernel, &user);
    return FileTimeMs(kernel) + FileTimeMs(user);
}

double NowMs()
{
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e3 / static_cast<double>(frequency.QuadPart);
}
}  // namespace

// --- CMutex ---------------------------------------------------------------------

TEST(MutexTest, OwnerMayLockAgainAndEachLockNeedsItsUnlock)
{
    CMutex mutex;
    ASSERT_TRUE(mutex.Lock(1000));
    ASSERT_TRUE(mutex.Lock(1000));
    ASSERT_TRUE(mutex.Unlock());
    EXPECT_FALSE(OtherThreadCanLock(mutex)) << "one Unlock must not free a twice-locked mutex";
    ASSERT_TRUE(mutex.Unlock());
    EXPECT_TRUE(OtherThreadCanLock(mutex, 1000));
}

TEST(MutexTest, HolderExcludesOtherThreadsUntilItUnlocks)
{
    CMutex mutex;
    ASSERT_TRUE(mutex.Lock(1000));
    EXPECT_FALSE(OtherThreadCanLock(mutex));
    mutex.Unlock();
    EXPECT_TRUE(OtherThreadCanLock(mutex, 1000));
}

TEST(MutexTest, InitiallyOwnedMutexBelongsToItsCreator)
{
    CMutex mutex(TRUE);
    EXPECT_FALSE(OtherThreadCanLock(mutex));
    mutex.Unlock();
    EXPECT_TRUE(OtherThreadCanLock(mutex, 1000));
}

TEST(MutexTest, UnlockByThreadThatDoesNotOwnItFails)
{
    CMutex mutex;
    EXPECT_FALSE(mutex.Unlock());
}

TEST(MutexTest, AbandonedByReturningThreadIsAcquiredBySingleLock)
{
    CMutex mutex;
    AbandonMutex(mutex, false);
    {
        CSingleLock lock(&mutex);
        EXPECT_TRUE(lock.Lock(1000));
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(OtherThreadCanLock(mutex));
    }
    EXPECT_TRUE(OtherThreadCanLock(mutex, 1000)) << "the abandoned mutex must be released again";
}

TEST(MutexTest, AbandonedByTerminatedThreadIsAcquiredByMultiLock)
{
    CMutex first, abandoned;
    AbandonMutex(abandoned, true);
    CSyncObject* objects[] = {&first, &abandoned};
    {
        CMultiLock lock(objects, 2);
        // Waiting for all only tells that some mutex was abandoned, not which one.
        const DWORD result = lock.Lock(1000, TRUE);
        EXPECT_GE(result, WAIT_ABANDONED_0);
        EXPECT_LT(result, WAIT_ABANDONED_0 + 2);
        EXPECT_TRUE(lock.IsLocked(0));
        EXPECT_TRUE(lock.IsLocked(1));
        EXPECT_FALSE(OtherThreadCanLock(abandoned));
        EXPECT_FALSE(OtherThreadCanLock(first));
    }
    EXPECT_TRUE(OtherThreadCanLock(abandoned, 1000));
    EXPECT_TRUE(OtherThreadCanLock(first, 1000));
}

TEST(MutexTest, AbandonedMutexInWaitForAnyIsAcquiredAndReleasedByUnlock)
{
    CMutex abandoned;
    CEvent idle;
    AbandonMutex(abandoned, true);
    CSyncObject* objects[] = {&idle, &abandoned};
    CMultiLock lock(objects, 2);
    EXPECT_EQ(WAIT_ABANDONED_0 + 1, lock.Lock(1000, FALSE));
    EXPECT_FALSE(lock.IsLocked(0));
    EXPECT_TRUE(lock.IsLocked(1));
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.IsLocked(1));
    EXPECT_TRUE(OtherThreadCanLock(abandoned, 1000));
}

// --- CSingleLock ------------------------------------------------------------------

TEST(SingleLockTest, DestructorReleasesWhatItHolds)
{
    CMutex mutex;
    {
        CSingleLock lock(&mutex, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(OtherThreadCanLock(mutex));
    }
    EXPECT_TRUE(OtherThreadCanLock(mutex, 1000));
}

TEST(SingleLockTest, UnlockReleasesEarlyAndDestructorDoesNotReleaseAgain)
{
    CMutex mutex;
    ASSERT_TRUE(mutex.Lock(1000));   // held by this thread outside the lock object
    {
        CSingleLock lock(&mutex, TRUE);
        EXPECT_TRUE(lock.Unlock());
        EXPECT_FALSE(lock.IsLocked());
        EXPECT_TRUE(lock.Unlock()) << "unlocking an unlocked lock is harmless";
    }
    EXPECT_FALSE(OtherThreadCanLock(mutex)) << "the outer lock must survive";
    mutex.Unlock();
    EXPECT_TRUE(OtherThreadCanLock(mutex, 1000));
}

TEST(SingleLockTest, SecondLockDoesNotAcquireTwice)
{
    CMutex mutex;
    {
        CSingleLock lock(&mutex);
        EXPECT_TRUE(lock.Lock(1000));
        EXPECT_TRUE(lock.Lock(1000));
    }
    EXPECT_TRUE(OtherThreadCanLock(mutex, 1000));
}

TEST(SingleLockTest, TimeOutLeavesItUnlocked)
{
    CMutex mutex;
    CEvent holding(FALSE, TRUE), release(FALSE, TRUE);
    TestThread holder([&]() -> DWORD {
        CSingleLock lock(&mutex, TRUE);
        holding.SetEvent();
        release.Lock(kThreadWaitMs);
        return 0;
    });
    ASSERT_TRUE(holding.Lock(kThreadWaitMs));
    {
        CSingleLock lock(&mutex);
        EXPECT_FALSE(lock.Lock(50));
        EXPECT_FALSE(lock.IsLocked());
    }   // the destructor must not release the other thread's mutex
    release.SetEvent();
    EXPECT_TRUE(holder.Join());
    EXPECT_TRUE(OtherThreadCanLock(mutex, 1000));
}

TEST(SingleLockTest, WorksWithCriticalSection)
{
    CCriticalSection section;
    {
        CSingleLock lock(&section, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(OtherThreadCanEnter(section));
    }
    EXPECT_TRUE(OtherThreadCanEnter(section));
}

// --- CCriticalSection --------------------------------------------------------------

TEST(CriticalSectionTest, SerialisesCounterUnderContention)
{
    const int kThreads = 4;
    const int kIncrements = 20000;
    CCriticalSection section;
    volatile long counter = 0;
    {
        std::vector<std::unique_ptr<TestThread>> threads;
        for (int t = 0; t < kThreads; ++t)
        {
            threads.push_back(std::make_unique<TestThread>([&]() -> DWORD {
                for (int i = 0; i < kIncrements; ++i)
                {
                    CSingleLock lock(&section, TRUE);
                    const long seen = counter;
                    if (i % 64 == 0)
                        ::SwitchToThread();   // widen the window a missing lock would leave
                    counter = seen + 1;
                }
                return 0;
            }));
        }
        // Each hand-over waits for the next thread to be scheduled: 4-7 s at a load of about
        // 34 on 8 processors. The limit only tells a hang.
        const DWORD kLimitMs = 60000;
        for (auto& thread : threads)
            ASSERT_TRUE(thread->Join(nullptr, kLimitMs));
    }
    EXPECT_EQ(kThreads * kIncrements, counter);
}

TEST(CriticalSectionTest, LockWithTimeOutWaitsUntilTheSectionIsFree)
{
    CCriticalSection section;
    CEvent holding(FALSE, TRUE);
    volatile LONG released = 0;
    TestThread holder([&]() -> DWORD {
        section.Lock();
        holding.SetEvent();
        ::Sleep(300);   // far beyond the 10 ms asked for below
        ::InterlockedExchange(&released, 1);
        section.Unlock();
        return 0;
    });
    ASSERT_TRUE(holding.Lock(kThreadWaitMs));
    EXPECT_TRUE(section.Lock(10));
    EXPECT_EQ(1, released) << "a critical section has no time-out: it waits for the holder";
    section.Unlock();
    EXPECT_TRUE(holder.Join());
}

TEST(CriticalSectionTest, OwnerMayEnterAgain)
{
    CCriticalSection section;
    EXPECT_TRUE(section.Lock());
    EXPECT_TRUE(section.Lock());
    section.Unlock();
    EXPECT_FALSE(OtherThreadCanEnter(section)) << "still held once";
    section.Unlock();
    EXPECT_TRUE(OtherThreadCanEnter(section));
}

// --- CEvent -------------------------------------------------------------------------

TEST(EventTest, AutoResetReleasesOneWaitThenResets)
{
    CEvent event;
    EXPECT_FALSE(event.Lock(0));
    EXPECT_TRUE(event.SetEvent());
    EXPECT_TRUE(event.Lock(0));
    EXPECT_FALSE(event.Lock(0));
}

TEST(EventTest, ManualResetStaysSignalledUntilReset)
{
    CEvent event(FALSE, TRUE);
    EXPECT_TRUE(event.SetEvent());
    EXPECT_TRUE(event.Lock(0));
    EXPECT_TRUE(event.Lock(0));
    EXPECT_TRUE(event.Unlock());
    EXPECT_TRUE(event.Lock(0)) << "Unlock must not reset an event";
    EXPECT_TRUE(event.ResetEvent());
    EXPECT_FALSE(event.Lock(0));
}

TEST(EventTest, InitiallySignalled)
{
    CEvent event(TRUE, TRUE);
    EXPECT_TRUE(event.Lock(0));
}

TEST(EventTest, PulseWithoutWaitersLeavesItUnsignalled)
{
    CEvent event(FALSE, TRUE);
    EXPECT_TRUE(event.PulseEvent());
    EXPECT_FALSE(event.Lock(0));
}

// --- CSemaphore --------------------------------------------------------------------

TEST(SemaphoreTest, CountsLocksAndUnlockGivesUnitsBack)
{
    CSemaphore semaphore(2, 3);
    EXPECT_TRUE(semaphore.Lock(0));
    EXPECT_TRUE(semaphore.Lock(0));
    EXPECT_FALSE(semaphore.Lock(0));
    LONG previous = -1;
    EXPECT_TRUE(semaphore.Unlock(2, &previous));
    EXPECT_EQ(0, previous);
    EXPECT_TRUE(semaphore.Unlock());
    EXPECT_FALSE(semaphore.Unlock()) << "above the maximum count";
}

// --- CMultiLock -------------------------------------------------------------------

TEST(MultiLockTest, WaitForAllTakesThreeMutexesTogether)
{
    CMutex devices, displays, logFiles;
    CSyncObject* objects[] = {&devices, &displays, &logFiles};
    {
        CMultiLock lock(objects, 3);
        const DWORD result = lock.Lock(1000, TRUE);
        EXPECT_GE(result, WAIT_OBJECT_0);
        EXPECT_LT(result, WAIT_OBJECT_0 + 3);
        for (DWORD i = 0; i < 3; ++i)
            EXPECT_TRUE(lock.IsLocked(i)) << i;
        EXPECT_FALSE(OtherThreadCanLock(devices));
        EXPECT_FALSE(OtherThreadCanLock(displays));
        EXPECT_FALSE(OtherThreadCanLock(logFiles));
        // Recursive for the holder: a single-list operation inside still works.
        CSingleLock inner(&displays);
        EXPECT_TRUE(inner.Lock(0));
    }
    EXPECT_TRUE(OtherThreadCanLock(devices, 1000));
    EXPECT_TRUE(OtherThreadCanLock(displays, 1000));
    EXPECT_TRUE(OtherThreadCanLock(logFiles, 1000));
}

TEST(MultiLockTest, WaitForAllTakesNothingWhileOneIsHeldElsewhere)
{
    CMutex devices, displays, logFiles;
    CEvent holding(FALSE, TRUE), release(FALSE, TRUE);
    TestThread holder([&]() -> DWORD {
        CSingleLock lock(&logFiles, TRUE);
        holding.SetEvent();
        release.Lock(kThreadWaitMs);
        return 0;
    });
    ASSERT_TRUE(holding.Lock(kThreadWaitMs));

    CSyncObject* objects[] = {&devices, &displays, &logFiles};
    CMultiLock lock(objects, 3);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), lock.Lock(50, TRUE));
    for (DWORD i = 0; i < 3; ++i)
        EXPECT_FALSE(lock.IsLocked(i)) << i;
    EXPECT_TRUE(OtherThreadCanLock(devices, 1000)) << "a timed-out wait must hold nothing";

    release.SetEvent();
    const DWORD result = lock.Lock(kThreadWaitMs, TRUE);
    EXPECT_LT(result, WAIT_OBJECT_0 + 3);
    EXPECT_TRUE(lock.IsLocked(2));
    EXPECT_TRUE(lock.Unlock());
    EXPECT_TRUE(holder.Join());
    EXPECT_TRUE(OtherThreadCanLock(logFiles, 1000));
}

TEST(MultiLockTest, WaitForAnyReturnsTheIndexOfTheSignalledEvent)
{
    CEvent stop, refresh, write;
    CSyncObject* objects[] = {&stop, &refresh, &write};
    CMultiLock lock(objects, 3);

    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), lock.Lock(20, FALSE));

    write.SetEvent();
    EXPECT_EQ(WAIT_OBJECT_0 + 2, lock.Lock(1000, FALSE));
    EXPECT_FALSE(lock.IsLocked(0));
    EXPECT_FALSE(lock.IsLocked(1));
    EXPECT_TRUE(lock.IsLocked(2));
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.IsLocked(2));
    EXPECT_FALSE(write.Lock(0)) << "the auto-reset event was consumed by the wait";
}

TEST(MultiLockTest, WaitForAnyPrefersTheLowestIndex)
{
    CEvent stop(FALSE, TRUE), refresh(FALSE, TRUE);
    CSyncObject* objects[] = {&stop, &refresh};
    CMultiLock lock(objects, 2);
    refresh.SetEvent();
    stop.SetEvent();
    EXPECT_EQ(WAIT_OBJECT_0, lock.Lock(1000, FALSE));
}

TEST(MultiLockTest, WaitForAnyWakesWhenAnotherThreadSetsAnEvent)
{
    CEvent first, second;
    CSyncObject* objects[] = {&first, &second};
    CMultiLock lock(objects, 2);
    TestThread setter([&]() -> DWORD {
        ::Sleep(50);
        second.SetEvent();
        return 0;
    });
    EXPECT_EQ(WAIT_OBJECT_0 + 1, lock.Lock(kThreadWaitMs, FALSE));
    EXPECT_TRUE(setter.Join());
}

TEST(MultiLockTest, WakeMaskReturnsCountWhenAMessageArrives)
{
    CEvent idle;
    CSyncObject* objects[] = {&idle};
    CMultiLock lock(objects, 1);
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // make sure the thread has a queue
    ASSERT_TRUE(::PostThreadMessageA(::GetCurrentThreadId(), WM_APP + 7, 0, 0));
    EXPECT_EQ(WAIT_OBJECT_0 + 1, lock.Lock(1000, FALSE, QS_POSTMESSAGE));
    EXPECT_FALSE(lock.IsLocked(0));
    EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_APP + 7, WM_APP + 7, PM_REMOVE));
}

TEST(MultiLockTest, InitialLockWaitsForAll)
{
    CMutex first, second;
    CSyncObject* objects[] = {&first, &second};
    {
        CMultiLock lock(objects, 2, TRUE);
        EXPECT_TRUE(lock.IsLocked(0));
        EXPECT_TRUE(lock.IsLocked(1));
        EXPECT_FALSE(OtherThreadCanLock(second));
    }
    EXPECT_TRUE(OtherThreadCanLock(second, 1000));
}

TEST(MultiLockTest, RepeatedLockOfAHeldMutexIsReleasedByOneUnlock)
{
    CMutex mutex;
    CEvent idle;
    CSyncObject* objects[] = {&mutex, &idle};
    CMultiLock lock(objects, 2);
    EXPECT_EQ(WAIT_OBJECT_0, lock.Lock(1000, FALSE));
    EXPECT_EQ(WAIT_OBJECT_0, lock.Lock(1000, FALSE));
    EXPECT_TRUE(lock.Unlock());
    EXPECT_TRUE(OtherThreadCanLock(mutex, 1000));
}

TEST(MultiLockTest, UnlockWithCountGivesSemaphoreUnitsBack)
{
    CSemaphore semaphore(1, 5);
    // Waited for together with a kernel object, the mutex needs a handle.
    CMutex mutex(FALSE, nullptr, nullptr, CSyncObject::WaitedBy::Handle);
    CSyncObject* objects[] = {&semaphore, &mutex};
    CMultiLock lock(objects, 2);
    EXPECT_LT(lock.Lock(1000, TRUE), WAIT_OBJECT_0 + 2);
    LONG previous = -1;
    EXPECT_TRUE(lock.Unlock(3, &previous));
    EXPECT_EQ(0, previous);
    EXPECT_TRUE(OtherThreadCanLock(mutex, 1000)) << "the mutex is released once";
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(semaphore.Lock(0)) << i;
    EXPECT_FALSE(semaphore.Lock(0));
}

// --- Many threads at once ---------------------------------------------------------

TEST(SyncStressTest, ContendedMutexesAndWaitForAllLoseNoUpdateAndNoWakeUp)
{
    // Eight threads take one of three mutexes (recursively, through CSingleLock) or all
    // three at once through CMultiLock; each counter is changed only under its mutex.
    // Lost exclusion shows as a wrong sum, a lost wake-up as a thread that never ends.
    const int kThreads = 8;
    const int kRounds = 2000;
    CMutex mutexes[3];
    long counters[3] = {0, 0, 0};
    long expected[3] = {0, 0, 0};
    std::vector<std::unique_ptr<TestThread>> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        const bool all = t % 2 == 0;
        const int own = t % 3;
        if (all)
            for (long& e : expected)
                e += kRounds;
        else
            expected[own] += kRounds;
        threads.push_back(std::make_unique<TestThread>([&, all, own]() -> DWORD {
            CSyncObject* objects[] = {&mutexes[0], &mutexes[1], &mutexes[2]};
            for (int i = 0; i < kRounds; ++i)
            {
                if (all)
                {
                    CMultiLock lock(objects, 3);
                    if (lock.Lock(kStressWorkMs, TRUE) >= WAIT_OBJECT_0 + 3)
                        return 1;
                    for (long& counter : counters)
                    {
                        const long seen = counter;
                        if (i % 32 == 0)
                            ::SwitchToThread();
                        counter = seen + 1;
                    }
                }
                else
                {
                    CSingleLock outer(&mutexes[own], TRUE);
                    CSingleLock inner(&mutexes[own], TRUE);   // the holder enters again
                    if (!outer.IsLocked() || !inner.IsLocked())
                        return 1;
                    const long seen = counters[own];
                    if (i % 32 == 0)
                        ::SwitchToThread();
                    counters[own] = seen + 1;
                }
            }
            return 0;
        }));
    }
    for (auto& thread : threads)
    {
        DWORD exitCode = 2;
        ASSERT_TRUE(thread->Join(&exitCode, kStressWorkMs)) << "a waiter was never woken";
        EXPECT_EQ(0u, exitCode);
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(expected[i], counters[i]) << "counter " << i;
    for (CMutex& mutex : mutexes)
        EXPECT_TRUE(OtherThreadCanLock(mutex)) << "every mutex is free at the end";
}

TEST(SyncStressTest, EventsHandOverEveryTurnBetweenThreads)
{
    // Two threads take turns through two auto-reset events; a lost set would stall the
    // exchange, a doubled one would let a turn run twice.
    const long kTurns = 5000;
    CEvent pingTurn(TRUE, FALSE);
    CEvent pongTurn(FALSE, FALSE);
    long pings = 0;
    long pongs = 0;
    long outOfTurn = 0;
    TestThread ponger([&]() -> DWORD {
        for (long i = 0; i < kTurns; ++i)
        {
            if (!pongTurn.Lock(kThreadWaitMs))
                return 1;
            if (pongs != pings - 1)
                ++outOfTurn;
            ++pongs;
            pingTurn.SetEvent();
        }
        return 0;
    });
    for (long i = 0; i < kTurns; ++i)
    {
        ASSERT_TRUE(pingTurn.Lock(kThreadWaitMs)) << "turn " << i;
        if (pings != pongs)
            ++outOfTurn;
        ++pings;
        pongTurn.SetEvent();
    }
    DWORD exitCode = 2;
    ASSERT_TRUE(ponger.Join(&exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(kTurns, pings);
    EXPECT_EQ(kTurns, pongs);
    EXPECT_EQ(0, outOfTurn);
}

TEST(SyncStressTest, EventAskedForItsHandleWhileWaitedForKeepsItsWaiterAndState)
{
    // A thread waits in user space; the event then gets a kernel handle (somebody waits on
    // it with other handles) and is set: the first waiter and a kernel wait both see it.
    CEvent event(FALSE, TRUE);
    CEvent waiting(FALSE, TRUE);
    TestThread waiter([&]() -> DWORD {
        waiting.SetEvent();
        return event.Lock(kThreadWaitMs) ? 0 : 1;
    });
    ASSERT_TRUE(waiting.Lock(kThreadWaitMs));
    const HANDLE handle = event;
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(handle, 0)) << "still reset";
    EXPECT_TRUE(event.SetEvent());
    DWORD exitCode = 2;
    ASSERT_TRUE(waiter.Join(&exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(handle, 0)) << "manual reset";

    CEvent signalled(TRUE, TRUE);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(static_cast<HANDLE>(signalled), 0))
        << "a handle made late starts in the event's state";
}

TEST(SyncStressTest, TimedWaitsEndWithoutTheObjectAndLeaveItUsable)
{
    // Waits that time out while another thread holds the mutex take nothing; once it is
    // given back, the waiters get it in turn.
    CMutex mutex;
    CEvent holding(FALSE, TRUE);
    CEvent release(FALSE, TRUE);
    TestThread holder([&]() -> DWORD {
        CSingleLock lock(&mutex, TRUE);
        holding.SetEvent();
        return release.Lock(kThreadWaitMs) ? 0 : 1;
    });
    ASSERT_TRUE(holding.Lock(kThreadWaitMs));
    std::vector<std::unique_ptr<TestThread>> waiters;
    for (int i = 0; i < 4; ++i)
        waiters.push_back(std::make_unique<TestThread>([&]() -> DWORD { return mutex.Lock(20) ? 1 : 0; }));
    for (auto& waiter : waiters)
    {
        DWORD exitCode = 2;
        ASSERT_TRUE(waiter->Join(&exitCode));
        EXPECT_EQ(0u, exitCode) << "the holder keeps it";
    }
    release.SetEvent();
    ASSERT_TRUE(holder.Join());
    long taken = 0;
    waiters.clear();
    for (int i = 0; i < 4; ++i)
        waiters.push_back(std::make_unique<TestThread>([&]() -> DWORD {
            if (!mutex.Lock(kThreadWaitMs))
                return 1;
            ::InterlockedIncrement(&taken);
            mutex.Unlock();
            return 0;
        }));
    for (auto& waiter : waiters)
        ASSERT_TRUE(waiter->Join());
    EXPECT_EQ(4, taken);
}

// One waiter and one other thread on an object that lives in memory of the test's own: the
// waiter destroys the object as soon as its wait returns (its owner may) and poisons the
// memory; whatever the other thread writes there later shows in the poison.
class DestroyedAtOnceTest : public ::testing::TestWithParam<int>
{
protected:
    enum Kind { kAutoEvent, kManualEventTimed, kMutexHandOver };
    static const unsigned char kPoison = 0xA5;

    struct Pair
    {
        alignas(64) unsigned char storage[sizeof(CMutex) > sizeof(CEvent) ? sizeof(CMutex) : sizeof(CEvent)];
        volatile LONG ready = 0;      // the round whose object is made
        volatile LONG held = 0;       // the round whose mutex the other thread holds
        volatile LONG returned = 0;   // the round whose set or unlock has returned
        volatile LONG lateWrites = 0;
        volatile LONG failed = 0;
        volatile LONG rounds = 0;
    };

    // Spins until the flag shows the round; false once the time is up or the pair failed.
    static bool AwaitRound(const volatile LONG& flag, LONG round, ULONGLONG deadline, const Pair& pair)
    {
        for (unsigned spins = 0; flag < round; ++spins)
        {
            if (spins % 64 == 63)
                ::SwitchToThread();
            if (spins % 1024 == 1023 && (::GetTickCount64() > deadline || pair.failed != 0))
                return false;
        }
        return true;
    }
};

TEST_P(DestroyedAtOnceTest, NothingIsWrittenIntoAnObjectItsWaiterDestroyed)
{
    const Kind kind = static_cast<Kind>(GetParam());
    // Six pairs for up to three seconds: the write into a destroyed object came in about one
    // round of 40,000 (a hand-over that lost the processor between its steps).
    const int kPairs = 6;
    const LONG kRounds = 2000000;
    const ULONGLONG kRunMs = 3000;
    const ULONGLONG kStuckMs = kStressWorkMs;
    std::vector<Pair> pairs(kPairs);
    const ULONGLONG runEnd = ::GetTickCount64() + kRunMs;
    const ULONGLONG stuck = ::GetTickCount64() + kStuckMs;
    std::vector<std::unique_ptr<TestThread>> threads;
    volatile LONG stop = 0;
    for (Pair& pair : pairs)
    {
        Pair* const p = &pair;
        // The waiter: makes the object, waits for it, destroys it and checks the poison once
        // the other thread's call has returned.
        threads.push_back(std::make_unique<TestThread>([&, p]() -> DWORD {
            bool ok = true;
            for (LONG round = 1; round <= kRounds && stop == 0 && ok; ++round)
            {
                if (::GetTickCount64() > runEnd)
                    ::InterlockedExchange(&stop, 1);
                CSyncObject* object;
                if (kind == kMutexHandOver)
                    object = new (p->storage) CMutex();
                else
                    object = new (p->storage) CEvent(FALSE, kind == kManualEventTimed);
                ::InterlockedExchange(&p->ready, round);
                ok = kind != kMutexHandOver || AwaitRound(p->held, round, stuck, *p);
                if (!ok || !object->Lock(kind == kAutoEvent ? INFINITE : kStressWorkMs))
                {
                    ok = false;
                    break;
                }
                if (kind == kMutexHandOver)
                    object->Unlock();
                object->~CSyncObject();
                memset(p->storage, kPoison, sizeof(p->storage));
                ok = AwaitRound(p->returned, round, stuck, *p);
                if (!ok)
                    break;
                if (std::any_of(std::begin(p->storage), std::end(p->storage),
                                [](unsigned char byte) { return byte != kPoison; }))
                    ++p->lateWrites;
                p->rounds = round;
            }
            // Ends the other thread's wait for a round that never comes.
            ::InterlockedExchange(&p->failed, ok ? 0 : 1);
            ::InterlockedExchange(&p->ready, kRounds + 1);
            return 0;
        }));
        // The other thread: sets the event, or takes the mutex and gives it to the waiter.
        threads.push_back(std::make_unique<TestThread>([&, p]() -> DWORD {
            for (LONG round = 1; round <= kRounds; ++round)
            {
                if (!AwaitRound(p->ready, round, stuck, *p) || p->ready > kRounds)
                    break;
                if (kind == kMutexHandOver)
                {
                    CMutex* mutex = reinterpret_cast<CMutex*>(p->storage);
                    if (!mutex->Lock(0))
                        return 1;
                    ::InterlockedExchange(&p->held, round);
                    // A moment for the waiter to queue, more often than not.
                    for (volatile int spin = 0; spin < (round % 4) * 50; ++spin)
                    {
                    }
                    mutex->Unlock();
                }
                else
                {
                    reinterpret_cast<CEvent*>(p->storage)->SetEvent();
                }
                ::InterlockedExchange(&p->returned, round);
            }
            return 0;
        }));
    }
    for (auto& thread : threads)
    {
        DWORD exitCode = 2;
        ASSERT_TRUE(thread->Join(&exitCode, kStressWorkMs));
        EXPECT_EQ(0u, exitCode);
    }
    LONG rounds = 0, late = 0;
    for (const Pair& pair : pairs)
    {
        EXPECT_EQ(0, pair.failed) << "a pair stopped before its time";
        rounds += pair.rounds;
        late += pair.lateWrites;
    }
    EXPECT_EQ(0, late) << "of " << rounds << " rounds wrote into a destroyed object";
    EXPECT_GT(rounds, kPairs) << "the pairs made rounds";
}

INSTANTIATE_TEST_SUITE_P(EventOrMutex, DestroyedAtOnceTest, ::testing::Values(0, 1, 2));

// A page that faults once it is closed: the first touch is counted and opens it again.
class GuardedPage
{
public:
    GuardedPage()
    {
        m_page = ::VirtualAlloc(nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        s_page = m_page;
        m_handler = ::AddVectoredExceptionHandler(1, &GuardedPage::OnFault);
    }
    ~GuardedPage()
    {
        ::RemoveVectoredExceptionHandler(m_handler);
        s_page = nullptr;
        ::VirtualFree(m_page, 0, MEM_RELEASE);
    }
    void* Memory() const { return m_page; }
    void Close()
    {
        DWORD old;
        ::VirtualProtect(m_page, kSize, PAGE_NOACCESS, &old);
    }
    void Open()
    {
        DWORD old;
        ::VirtualProtect(m_page, kSize, PAGE_READWRITE, &old);
    }
    static LONG Touches() { return s_touches; }

private:
    static const SIZE_T kSize = 4096;
    static LONG WINAPI OnFault(EXCEPTION_POINTERS* info)
    {
        const EXCEPTION_RECORD& record = *info->ExceptionRecord;
        const char* page = static_cast<const char*>(s_page);
        const char* address = record.NumberParameters >= 2
                                  ? reinterpret_cast<const char*>(record.ExceptionInformation[1])
                                  : nullptr;
        if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || page == nullptr || address < page ||
            address >= page + kSize)
            return EXCEPTION_CONTINUE_SEARCH;
        ::InterlockedIncrement(&s_touches);
        DWORD old;
        ::VirtualProtect(s_page, kSize, PAGE_READWRITE, &old);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    static void* volatile s_page;
    static volatile LONG s_touches;
    void* m_page;
    void* m_handler;
};
void* volatile GuardedPage::s_page = nullptr;
volatile LONG GuardedPage::s_touches = 0;

TEST(SyncStressTest, MutexDestroyedWhileItsHolderTakesOthersLeavesTheHolderRightAboutWhatItHolds)
{
    // A thread holds one mutex and takes and gives back another again and again while a
    // second thread destroys the first: its list of what it holds changes from both threads
    // at once. When it ends it must leave nothing abandoned (it holds nothing) and must not
    // touch the destroyed one, whose memory is closed.
    const int kRounds = 400;
    const ULONGLONG kRunMs = 3000;
    const int kTakes = 20000;
    GuardedPage page;
    const LONG touchesBefore = GuardedPage::Touches();
    CMutex other;
    const ULONGLONG runEnd = ::GetTickCount64() + kRunMs;
    int round = 0, abandonedAfterwards = 0;
    for (; round < kRounds && ::GetTickCount64() < runEnd; ++round)
    {
        page.Open();
        CMutex* destroyed = new (page.Memory()) CMutex();
        volatile LONG holding = 0;
        TestThread holder([&]() -> DWORD {
            if (!destroyed->Lock(kThreadWaitMs))
                return 1;
            ::InterlockedExchange(&holding, 1);
            for (int i = 0; i < kTakes && holding == 1; ++i)
            {
                if (!other.Lock(kThreadWaitMs))
                    return 1;
                other.Unlock();
            }
            return 0;
        });
        for (unsigned spins = 0; holding == 0; ++spins)
        {
            if (spins % 64 == 63)
                ::SwitchToThread();
        }
        destroyed->~CMutex();
        page.Close();
        ::InterlockedExchange(&holding, 2);
        DWORD exitCode = 2;
        ASSERT_TRUE(holder.Join(&exitCode)) << "round " << round;
        ASSERT_EQ(0u, exitCode);
        CSyncObject* objects[] = {&other};
        CMultiLock lock(objects, 1);
        const DWORD result = lock.Lock(kThreadWaitMs);
        ASSERT_TRUE(result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0) << "round " << round;
        if (result == WAIT_ABANDONED_0)
            ++abandonedAfterwards;
    }
    page.Open();
    EXPECT_EQ(0, abandonedAfterwards) << "of " << round << " rounds: the ended holder still listed the other mutex";
    EXPECT_EQ(0, GuardedPage::Touches() - touchesBefore)
        << "of " << round << " rounds: the ended holder abandoned the destroyed one";
}

TEST(SyncStressTest, AHolderTakingTheMutexAgainAtOnceCannotKeepItFromItsWaiters)
{
    // What a serial line's lock needs: a device that downloads its log takes the line again
    // at once after each exchange, and the other devices of the line still get their turns.
    // A release hands the mutex to a thread that already waits, so three waiters get their
    // five turns each within a few dozen of the holder's rounds. The holder may make 5,000,
    // each holding the mutex a millisecond or more: a lock that let the releasing thread take
    // it back before a woken waiter runs keeps them out for all of those, and no delay of a
    // busy machine comes near.
    const int kWaiters = 3;
    const int kTurns = 5;
    const int kHolderRounds = 5000;
    CMutex mutex;
    volatile LONG waitersDone = 0;
    int holderRounds = 0;
    TestThread holder([&]() -> DWORD {
        for (; holderRounds < kHolderRounds && waitersDone < kWaiters; ++holderRounds)
        {
            if (!mutex.Lock(kThreadWaitMs))
                return 1;
            ::Sleep(1);   // the waiters queue meanwhile
            mutex.Unlock();
        }
        return 0;
    });
    std::vector<std::unique_ptr<TestThread>> waiters;
    for (int t = 0; t < kWaiters; ++t)
        waiters.push_back(std::make_unique<TestThread>([&]() -> DWORD {
            for (int i = 0; i < kTurns; ++i)
            {
                if (!mutex.Lock(kStressWorkMs))
                    return 1;
                mutex.Unlock();
            }
            ::InterlockedIncrement(&waitersDone);
            return 0;
        }));
    for (auto& waiter : waiters)
    {
        DWORD exitCode = 2;
        ASSERT_TRUE(waiter->Join(&exitCode, kStressWorkMs));
        EXPECT_EQ(0u, exitCode);
    }
    DWORD exitCode = 2;
    ASSERT_TRUE(holder.Join(&exitCode, kStressWorkMs));
    EXPECT_EQ(0u, exitCode);
    EXPECT_LT(holderRounds, kHolderRounds) << "the holder kept the mutex from its waiters";
}

TEST(SyncStressTest, ManyThreadsWokenAtOnceTakeTheirLinesInTurn)
{
    // The once-a-second pattern: 64 workers wake on one tick, and each makes 16 exchanges
    // under its line's mutex (8 workers a line), each a millisecond long. Every tick ends,
    // and a worker's wait for its line is passed by each other worker of the line once (a
    // worker that gives the line back cannot take it again before the others); twice that
    // was seen on a loaded machine, where a worker may be held up before it queues.
    const int kLines = 8;
    const int kPerLine = 8;
    const int kExchanges = 16;
    const int kTicks = 3;
    CMutex lines[kLines];
    LONG acquisitions[kLines] = {};   // each changed under its line's mutex
    LONG mostPassed[kLines] = {};
    std::vector<std::unique_ptr<CEvent>> ticks, ticksDone;
    volatile LONG done[kTicks] = {};
    for (int t = 0; t < kTicks; ++t)
    {
        ticks.push_back(std::make_unique<CEvent>(FALSE, TRUE));
        ticksDone.push_back(std::make_unique<CEvent>(FALSE, TRUE));
    }
    std::vector<std::unique_ptr<TestThread>> workers;
    for (int w = 0; w < kLines * kPerLine; ++w)
        workers.push_back(std::make_unique<TestThread>([&, w]() -> DWORD {
            const int line = w % kLines;
            for (int t = 0; t < kTicks; ++t)
            {
                if (!ticks[static_cast<size_t>(t)]->Lock(kStressWorkMs))
                    return 1;
                for (int e = 0; e < kExchanges; ++e)
                {
                    const LONG before = acquisitions[line];
                    if (!lines[line].Lock(kStressWorkMs))
                        return 1;
                    mostPassed[line] = std::max(mostPassed[line], acquisitions[line] - before);
                    ++acquisitions[line];
                    ::Sleep(1);
                    lines[line].Unlock();
                }
                if (::InterlockedIncrement(&done[t]) == kLines * kPerLine)
                    ticksDone[static_cast<size_t>(t)]->SetEvent();
            }
            return 0;
        }));
    for (int t = 0; t < kTicks; ++t)
    {
        ticks[static_cast<size_t>(t)]->SetEvent();
        ASSERT_TRUE(ticksDone[static_cast<size_t>(t)]->Lock(kStressWorkMs)) << "tick " << t << " never ended";
    }
    for (auto& worker : workers)
    {
        DWORD exitCode = 2;
        ASSERT_TRUE(worker->Join(&exitCode, kStressWorkMs));
        EXPECT_EQ(0u, exitCode);
    }
    for (int line = 0; line < kLines; ++line)
    {
        EXPECT_EQ(kPerLine * kExchanges * kTicks, acquisitions[line]) << "line " << line;
        EXPECT_LE(mostPassed[line], 3 * 2 * (kPerLine - 1)) << "line " << line;
    }
}

TEST(SyncStressTest, SleepersAreWokenOnlyByTheirOwnObjects)
{
    // 16 threads wait for events of their own and 48 for a mutex that another thread
    // holds. While they sleep the process uses no processor (no waiter wakes to look
    // around), and a set, reset, lock and unlock of other objects wakes none of them (each
    // would cost a kernel call). Then the holder is terminated: its mutex goes abandoned to
    // the first waiter at once, and to the others in turn.
    const int kEventSleepers = 16;
    const int kMutexWaiters = 48;
    CMutex held;
    CEvent holding(FALSE, TRUE), allWaiting(FALSE, TRUE);
    const HANDLE never = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TestThread holder([&]() -> DWORD {
        if (!held.Lock(kThreadWaitMs))
            return 1;
        holding.SetEvent();
        ::WaitForSingleObject(never, kStressWorkMs);   // cut off here
        return 0;
    });
    ASSERT_TRUE(holding.Lock(kThreadWaitMs));
    std::vector<std::unique_ptr<CEvent>> own;
    for (int i = 0; i < kEventSleepers; ++i)
        own.push_back(std::make_unique<CEvent>(FALSE, TRUE));
    volatile LONG started = 0;
    volatile LONG abandoned = 0;
    std::vector<std::unique_ptr<TestThread>> sleepers;
    for (int i = 0; i < kEventSleepers + kMutexWaiters; ++i)
        sleepers.push_back(std::make_unique<TestThread>([&, i]() -> DWORD {
            if (::InterlockedIncrement(&started) == kEventSleepers + kMutexWaiters)
                allWaiting.SetEvent();
            if (i < kEventSleepers)
                return own[static_cast<size_t>(i)]->Lock(kStressWorkMs) ? 0 : 1;
            CSyncObject* objects[] = {&held};
            CMultiLock lock(objects, 1);
            const DWORD result = lock.Lock(kStressWorkMs);
            if (result == WAIT_ABANDONED_0)
                ::InterlockedIncrement(&abandoned);
            return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0 ? 0 : 1;
        }));
    ASSERT_TRUE(allWaiting.Lock(kThreadWaitMs));
    ::Sleep(200);   // into their waits

    const double cpuBefore = ProcessCpuMs();
    ::Sleep(2000);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 30.0) << "sleeping waiters used the processor";

    CEvent other(FALSE, TRUE);
    CMutex otherMutex;
    std::vector<double> costs;
    for (int i = 0; i < 200; ++i)
    {
        const double start = NowMs();
        other.SetEvent();
        other.ResetEvent();
        otherMutex.Lock();
        otherMutex.Unlock();
        costs.push_back(NowMs() - start);
        ::Sleep(1);   // whoever was woken would be asleep again
    }
    std::sort(costs.begin(), costs.end());
    EXPECT_LT(costs[costs.size() / 2], 0.05) << "milliseconds: other objects' changes woke the sleepers";

    ASSERT_TRUE(CUserSpaceSyncObject::TerminateThreadOutsideLocks(holder.Handle(), 99));
    for (size_t i = static_cast<size_t>(kEventSleepers); i < sleepers.size(); ++i)
    {
        DWORD exitCode = 2;
        ASSERT_TRUE(sleepers[i]->Join(&exitCode)) << "a waiter behind the terminated holder";
        EXPECT_EQ(0u, exitCode);
    }
    EXPECT_EQ(1, abandoned);
    for (auto& event : own)
        event->SetEvent();
    for (size_t i = 0; i < static_cast<size_t>(kEventSleepers); ++i)
        ASSERT_TRUE(sleepers[i]->Join());
    ::CloseHandle(never);
}

// A holder that ends while another thread already waits: by returning, or terminated.
class EndedHolderTest : public ::testing::TestWithParam<bool>
{
};

TEST_P(EndedHolderTest, WaitForAllAlreadyBlockedGetsTheMutexesAbandoned)
{
    const bool terminate = GetParam();
    CMutex mutex, other;
    CEvent held(FALSE, TRUE), end(FALSE, TRUE), waiting(FALSE, TRUE);
    TestThread holder([&]() -> DWORD {
        mutex.Lock();
        mutex.Lock();   // twice: the waiter must not need a second release that never comes
        other.Lock();
        held.SetEvent();
        end.Lock(kThreadWaitMs);
        return 7;   // returns still holding both
    });
    ASSERT_TRUE(held.Lock(kThreadWaitMs));

    std::atomic<DWORD> waitResult{WAIT_FAILED};
    TestThread waiter([&]() -> DWORD {
        CSyncObject* objects[] = {&other, &mutex};
        CMultiLock both(objects, 2);
        waiting.SetEvent();
        waitResult = both.Lock(kThreadWaitMs, TRUE);
        return both.IsLocked(0) && both.IsLocked(1) ? 1 : 0;
    });
    ASSERT_TRUE(waiting.Lock(kThreadWaitMs));
    if (terminate)
        ASSERT_TRUE(CUserSpaceSyncObject::TerminateThreadOutsideLocks(holder.Handle(), 99));
    else
        end.SetEvent();
    DWORD holderExit = 0;
    ASSERT_TRUE(holder.Join(&holderExit));
    EXPECT_EQ(terminate ? 99u : 7u, holderExit);

    DWORD tookBoth = 0;
    ASSERT_TRUE(waiter.Join(&tookBoth)) << "the waiter stayed blocked on an ended holder";
    EXPECT_EQ(1u, tookBoth);
    EXPECT_GE(waitResult.load(), static_cast<DWORD>(WAIT_ABANDONED_0));
    EXPECT_LT(waitResult.load(), static_cast<DWORD>(WAIT_ABANDONED_0 + 2));
    // The waiter released them: free again, and no longer reported abandoned.
    CSyncObject* objects[] = {&mutex, &other};
    CMultiLock again(objects, 2);
    EXPECT_EQ(WAIT_OBJECT_0, again.Lock(0, TRUE));
}

INSTANTIATE_TEST_SUITE_P(ReturningOrTerminated, EndedHolderTest, ::testing::Bool());

TEST(SyncStressTest, AMutexDestroyedAsItsHolderEndsIsNotWrittenAfterwardsAndTheHolderEnds)
{
    // Threads each take a mutex and return still holding it; their owner destroys the
    // mutexes (which a held mutex allows) one after another, starting after a delay that
    // moves across the holders' ends, and fills each one's memory at once. An ending holder
    // abandons what it holds: it must either find its slot cleared or keep the memory until
    // it is done, and it must end.
    const int kHolders = 8;
    const int kRounds = 5000;
    const ULONGLONG kRunMs = 4000;
    const unsigned char kPoison = 0xA5;
    struct alignas(64) Place
    {
        unsigned char bytes[sizeof(CMutex)];
    };
    // Static: a holder that never ends keeps using it after the test.
    static Place places[kHolders];
    const ULONGLONG runEnd = ::GetTickCount64() + kRunMs;
    int round = 0, lateWrites = 0;
    for (; round < kRounds && ::GetTickCount64() < runEnd; ++round)
    {
        CMutex* mutexes[kHolders];
        volatile LONG holding = 0;
        std::vector<std::unique_ptr<TestThread>> holders;
        for (int i = 0; i < kHolders; ++i)
        {
            CMutex* mutex = mutexes[i] = new (places[i].bytes) CMutex();
            holders.push_back(std::make_unique<TestThread>([mutex, &holding]() -> DWORD {
                if (!mutex->Lock(0))
                    return 1;
                ::InterlockedIncrement(&holding);
                return 0;
            }));
        }
        for (unsigned spins = 0; holding < kHolders; ++spins)
        {
            if (spins % 64 == 63)
                ::SwitchToThread();
        }
        // 0 to 190 microseconds, then the destructions about one a microsecond. A destruction
        // that a holder left on the object's slow path for good would never end: it runs on a
        // thread of its own.
        const int delayStep = round % 64;
        TestThread destroyer([&]() -> DWORD {
            const double from = NowMs();
            while (NowMs() - from < delayStep * 0.003)
            {
            }
            for (int i = 0; i < kHolders; ++i)
            {
                mutexes[i]->~CMutex();
                memset(places[i].bytes, kPoison, sizeof(places[i].bytes));
            }
            return 0;
        });
        ASSERT_TRUE(destroyer.Join()) << "round " << round << ": a destruction never ended";
        for (auto& holder : holders)
        {
            DWORD exitCode = 2;
            ASSERT_TRUE(holder->Join(&exitCode)) << "round " << round << ": a holder never ended";
            ASSERT_EQ(0u, exitCode);
        }
        for (const Place& place : places)
            if (std::any_of(std::begin(place.bytes), std::end(place.bytes),
                            [&](unsigned char byte) { return byte != kPoison; }))
                ++lateWrites;
    }
    EXPECT_EQ(0, lateWrites) << "of " << round * kHolders
                             << " mutexes: the ended holder wrote into the destroyed mutex";
    EXPECT_GT(round, 10) << "the rounds were made";
}

namespace
{
// Debug output as the process's own debugger would see it.
class DebugOutputCatcher
{
public:
    DebugOutputCatcher() { m_handler = ::AddVectoredExceptionHandler(1, &DebugOutputCatcher::OnException); }
    ~DebugOutputCatcher() { ::RemoveVectoredExceptionHandler(m_handler); }
    static std::string Text()
    {
        ::EnterCriticalSection(&Lock());
        const std::string text = s_text;
        ::LeaveCriticalSection(&Lock());
        return text;
    }

private:
    static CRITICAL_SECTION& Lock()
    {
        static CRITICAL_SECTION section = [] {
            CRITICAL_SECTION made;
            ::InitializeCriticalSection(&made);
            return made;
        }();
        return section;
    }
    static LONG WINAPI OnException(EXCEPTION_POINTERS* info)
    {
        const EXCEPTION_RECORD& record = *info->ExceptionRecord;
        if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && record.NumberParameters >= 2)
        {
            ::EnterCriticalSection(&Lock());
            s_text.append(reinterpret_cast<const char*>(record.ExceptionInformation[1]),
                          static_cast<size_t>(record.ExceptionInformation[0]));
            ::LeaveCriticalSection(&Lock());
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    static std::string s_text;
    void* m_handler;
};
std::string DebugOutputCatcher::s_text;

volatile LONG s_askedToTake = 0;

// Objects that show when a waiter asked whether it may take them (it is then queued).
class CWatchedEvent : public CEvent
{
public:
    CWatchedEvent() : CEvent(FALSE, TRUE) {}

protected:
    bool CanTake(const SyncThreadRecord& taker) const override
    {
        ::InterlockedExchange(&s_askedToTake, 1);
        return CEvent::CanTake(taker);
    }
};

class CWatchedMutex : public CMutex
{
public:
    CWatchedMutex() : CMutex(TRUE) {}

protected:
    bool CanTake(const SyncThreadRecord& taker) const override
    {
        ::InterlockedExchange(&s_askedToTake, 1);
        return CMutex::CanTake(taker);
    }
};
}  // namespace

TEST(SyncStressTest, AnObjectDestroyedUnderAWaiterThatStaysSleepsAndNamesItself)
{
    // Destroying what a thread waits for is its owner's error; the destruction must still
    // not burn a processor while the waiter stays, and it tells which object and thread.
    // The waiter here leaves only when it is terminated.
    for (int kind = 0; kind < 2; ++kind)
    {
        SCOPED_TRACE(kind == 0 ? "event" : "mutex");
        DebugOutputCatcher catcher;
        const std::string before = DebugOutputCatcher::Text();
        alignas(64) static unsigned char
            storage[sizeof(CWatchedMutex) > sizeof(CWatchedEvent) ? sizeof(CWatchedMutex) : sizeof(CWatchedEvent)];
        CSyncObject* object;
        s_askedToTake = 0;
        if (kind == 0)
            object = new (storage) CWatchedEvent();
        else
            object = new (storage) CWatchedMutex();
        TestThread waiter([&]() -> DWORD {
            object->Lock(INFINITE);
            return 0;
        });
        const DWORD waiterId = ::GetThreadId(waiter.Handle());
        // Asked whether it may take the object, the waiter is on it for good.
        for (int i = 0; i < 3000 && s_askedToTake == 0; ++i)
            ::Sleep(10);
        ASSERT_NE(0, s_askedToTake);
        volatile LONG destroyed = 0;
        TestThread destroyer([&]() -> DWORD {
            object->~CSyncObject();
            ::InterlockedExchange(&destroyed, 1);
            return 0;
        });
        // The object is named after about a second; a look every 10 ms for up to 30 s.
        const char* className = kind == 0 ? "CEvent at " : "CMutex at ";
        bool named = false;
        for (int i = 0; i < 3000 && !named; ++i)
        {
            ::Sleep(10);
            named = DebugOutputCatcher::Text().find(className, before.size()) != std::string::npos;
        }
        const double cpuBefore = ThreadCpuMs(destroyer.Handle());
        ::Sleep(500);
        const double cpuSpent = ThreadCpuMs(destroyer.Handle()) - cpuBefore;
        EXPECT_TRUE(named) << "debug output: " << DebugOutputCatcher::Text().substr(before.size());
        const std::string said = DebugOutputCatcher::Text().substr(before.size());
        EXPECT_NE(std::string::npos, said.find("thread " + std::to_string(waiterId) + " waits for it")) << said;
        EXPECT_LT(cpuSpent, 100.0) << "ms of processor in 500 ms of the destroyer's wait";
        EXPECT_EQ(0, destroyed);
        ASSERT_TRUE(CUserSpaceSyncObject::TerminateThreadOutsideLocks(waiter.Handle(), 5));
        ASSERT_TRUE(waiter.Join());
        ASSERT_TRUE(destroyer.Join()) << "the destruction went on waiting once the waiter had gone";
        EXPECT_EQ(1, destroyed);
    }
}

TEST(TerminatedThreadTest, SleeperCutOffInAWaitLeavesEveryLockWorking)
{
    // Threads asleep in user-space waits (an event, a held mutex) are terminated; the
    // objects they waited for, and the wake-ups of the threads that wait after them,
    // work as before.
    // Each thread has waited once before it says it is about to wait again: from there
    // on it allocates nothing, so it is not cut off while holding the heap's lock.
    CMutex mutex;
    CEvent never(FALSE, TRUE), ready(FALSE, FALSE), primed(TRUE, TRUE);
    ASSERT_TRUE(mutex.Lock(kThreadWaitMs));
    TestThread onEvent([&]() -> DWORD {
        primed.Lock(0);
        ready.SetEvent();
        return never.Lock(kThreadWaitMs) ? 1 : 0;
    });
    ASSERT_TRUE(ready.Lock(kThreadWaitMs));
    TestThread onMutex([&]() -> DWORD {
        primed.Lock(0);
        ready.SetEvent();
        return mutex.Lock(kThreadWaitMs) ? 1 : 0;
    });
    ASSERT_TRUE(ready.Lock(kThreadWaitMs));
    ASSERT_TRUE(CUserSpaceSyncObject::TerminateThreadOutsideLocks(onEvent.Handle(), 98));
    ASSERT_TRUE(CUserSpaceSyncObject::TerminateThreadOutsideLocks(onMutex.Handle(), 98));
    DWORD exitCode = 0;
    ASSERT_TRUE(onMutex.Join(&exitCode));
    EXPECT_EQ(98u, exitCode);

    CEvent go(FALSE, FALSE);
    TestThread later([&]() -> DWORD {
        if (!go.Lock(kThreadWaitMs) || !mutex.Lock(kThreadWaitMs))
            return 1;
        mutex.Unlock();
        return 0;
    });
    go.SetEvent();
    mutex.Unlock();
    ASSERT_TRUE(later.Join(&exitCode)) << "a wake-up went to a terminated thread";
    EXPECT_EQ(0u, exitCode);
}

TEST(TerminatedThreadTest, GuardKeptByATerminatedThreadIsTakenOver)
{
    // A thread cut off by a bare TerminateThread inside the locks' bookkeeping, but in
    // no object's section, holds nothing that other threads need: there is no guard over
    // all the objects, each keeps its own state.
    const HANDLE holding = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE never = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TestThread holder([&]() -> DWORD {
        CUserSpaceSyncObject::Guard guard;
        ::SetEvent(holding);
        ::WaitForSingleObject(never, kThreadWaitMs);
        return 0;
    });
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(holding, kThreadWaitMs));
    ASSERT_TRUE(::TerminateThread(holder.Handle(), 97));
    ASSERT_TRUE(holder.Join());

    CMutex mutex;
    CEvent event(FALSE, FALSE);
    TestThread user([&]() -> DWORD {
        if (!mutex.Lock(kThreadWaitMs))
            return 1;
        mutex.Unlock();
        event.SetEvent();
        return 0;
    });
    EXPECT_TRUE(event.Lock(kThreadWaitMs));
    DWORD exitCode = 2;
    ASSERT_TRUE(user.Join(&exitCode));
    EXPECT_EQ(0u, exitCode);
    ::CloseHandle(holding);
    ::CloseHandle(never);
}
