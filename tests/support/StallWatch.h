// How long this process was kept from running: a thread that sleeps a few milliseconds at a
// time and notes each wake-up that came much later than asked. A machine too busy to run it
// was too busy to run the program's threads too, so a test that judges real-time behaviour
// widens its limit by the stall it saw, or says the machine stalled, rather than blaming
// the program.
#pragma once
#include <windows.h>

#include <vector>

namespace testing_support {

class StallWatch
{
public:
    // Watching from construction until destruction.
    StallWatch();
    ~StallWatch();
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

    // A stretch in which the watcher was not run though it should have been (Unix seconds).
    struct Stall
    {
        double from = 0;
        double to = 0;
    };
    std::vector<Stall> Stalls() const;
    // The seconds of stall within [from, to].
    double StalledWithin(double from, double to) const;
    // The longest single stall so far, in seconds.
    double Longest() const;

private:
    static DWORD WINAPI Run(LPVOID watch);

    mutable CRITICAL_SECTION m_lock;
    std::vector<Stall> m_stalls;
    HANDLE m_stop = nullptr;
    HANDLE m_thread = nullptr;
};

} // namespace testing_support
