// Drives a modal dialog or sheet from inside its own loop: one step per timer tick,
// and a watchdog that ends the window when the script does not end it in time, so a
// broken test fails instead of hanging.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

class TimedSteps
{
public:
    static const UINT_PTR kTimerId = 0x5EC;
    static const UINT kIntervalMs = 150;
    static const int kWatchdogTicks = 80;   // 12 seconds

    void Add(std::function<void()> step) { m_steps.push_back(std::move(step)); }
    bool Empty() const { return m_steps.empty(); }
    size_t Executed() const { return m_next; }
    bool AllExecuted() const { return m_next == m_steps.size(); }

    // Runs the next step; false when the watchdog has run out.
    bool Tick()
    {
        ++m_ticks;
        if (m_next < m_steps.size()) {
            // The index moves first: a step may start a nested loop.
            std::function<void()> step = m_steps[m_next++];
            step();
        }
        return m_ticks < kWatchdogTicks;
    }

private:
    std::vector<std::function<void()>> m_steps;
    size_t m_next = 0;
    int m_ticks = 0;
};
