#include "tests/support/StallWatch.h"
#include "tests/support/TestDevice.h"

#include <algorithm>

namespace testing_support {

namespace {
const DWORD NAP_MS = 5;
// A wake-up this much later than asked counts as a stall: the scheduler's ordinary delay
// under Wine is a few milliseconds.
const double STALL_S = 0.03;
// Bounded: a day of stalls at one every 30 ms is far more than any test runs.
const size_t MAX_STALLS = 100000;

double Seconds(const LARGE_INTEGER& counter, const LARGE_INTEGER& frequency)
{
    return double(counter.QuadPart) / double(frequency.QuadPart);
}
} // namespace

StallWatch::StallWatch()
{
    ::InitializeCriticalSection(&m_lock);
    m_stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = ::CreateThread(nullptr, 0, &StallWatch::Run, this, 0, nullptr);
}

StallWatch::~StallWatch()
{
    ::SetEvent(m_stop);
    if (m_thread != nullptr) {
        ::WaitForSingleObject(m_thread, INFINITE);
        ::CloseHandle(m_thread);
    }
    ::CloseHandle(m_stop);
    ::DeleteCriticalSection(&m_lock);
}

DWORD WINAPI StallWatch::Run(LPVOID argument)
{
    StallWatch& watch = *static_cast<StallWatch*>(argument);
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    for (;;) {
        LARGE_INTEGER before, after;
        ::QueryPerformanceCounter(&before);
        if (::WaitForSingleObject(watch.m_stop, NAP_MS) != WAIT_TIMEOUT)
            return 0;
        ::QueryPerformanceCounter(&after);
        const double late = Seconds(after, frequency) - Seconds(before, frequency) - NAP_MS / 1000.0;
        if (late < STALL_S)
            continue;
        const double now = JournalClockNow();
        ::EnterCriticalSection(&watch.m_lock);
        if (watch.m_stalls.size() < MAX_STALLS)
            watch.m_stalls.push_back(Stall{now - late, now});
        ::LeaveCriticalSection(&watch.m_lock);
    }
}

std::vector<StallWatch::Stall> StallWatch::Stalls() const
{
    ::EnterCriticalSection(&m_lock);
    const std::vector<Stall> stalls = m_stalls;
    ::LeaveCriticalSection(&m_lock);
    return stalls;
}

double StallWatch::StalledWithin(double from, double to) const
{
    double stalled = 0;
    for (const Stall& stall : Stalls())
        stalled += std::max(0.0, std::min(to, stall.to) - std::max(from, stall.from));
    return stalled;
}

double StallWatch::Longest() const
{
    double longest = 0;
    for (const Stall& stall : Stalls())
        longest = std::max(longest, stall.to - stall.from);
    return longest;
}

} // namespace testing_support
