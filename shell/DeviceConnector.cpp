#include "shell/DeviceConnector.h"

#include "documents/CConnection.h"
#include "framework/CCriticalSection.h"
#include "framework/CSingleLock.h"

#include <algorithm>
#include <deque>
#include <map>
#include <process.h>
#include <utility>
#include <vector>

struct DeviceConnector::LinkJob
{
    ~LinkJob()
    {
        if (thread != nullptr)
            ::CloseHandle(thread);
    }

    std::string key;
    // Each with the ticket of its Connect.
    std::deque<std::pair<CDocumentDevicePtr, unsigned>> waiting;
    // The device whose open the thread runs now, and whether that open was cancelled.
    CDocumentDevicePtr opening;
    unsigned openingTicket = 0;
    bool cancelled = false;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
};

// Shared with the threads: one may outlive the connector, ending by itself.
struct DeviceConnector::State
{
    CCriticalSection lock;
    HWND window = nullptr;
    UINT message = 0;
    bool abandoned = false;
    // The link jobs whose thread runs, by link key.
    std::map<std::string, std::shared_ptr<LinkJob>> jobs;
    // The devices whose open is wanted, with the ticket of that Connect; an outcome whose
    // ticket is no longer here was cancelled.
    std::map<const CDocumentDevice*, unsigned> wanted;
    unsigned lastTicket = 0;
    // Link jobs whose thread is yet to start, which the starter thread does while it
    // runs: a Connect All of a hundred links would otherwise hold the window for the
    // hundred thread starts.
    std::deque<std::shared_ptr<LinkJob>> unstarted;
    // Link threads started and not yet ended; the starter waits while there are
    // MAX_LINKS_OPENING of them.
    int linksRunning = 0;
    HANDLE starter = nullptr;
    bool starterRunning = false;
    // Wakes the starter, which waits for jobs until abandoned: started with the window, so
    // that a Connect All starts no thread from the window's thread.
    HANDLE wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);

    ~State()
    {
        if (starter != nullptr)
            ::CloseHandle(starter);
        if (wake != nullptr)
            ::CloseHandle(wake);
    }
};

namespace
{
const int MAX_OUTCOMES_LET_GO = 100000;
// Links whose devices open at once; the others wait their turn. Each open is a stream of
// requests to the system, and a hundred of them side by side (a site of TCP devices) kept
// the window's own requests waiting: a posted command 1.0-1.3 s during Connect All of 128
// devices, 0.7-0.9 s with eight at once, which take no longer in all.
const int MAX_LINKS_OPENING = 8;

struct ThreadStart
{
    std::shared_ptr<DeviceConnector::State> state;
    std::shared_ptr<DeviceConnector::LinkJob> job;
    bool counted = false;   // among the state's links running
};

std::string LinkKeyOf(CDocumentDevice& device)
{
    const std::string key = device.GetConnection()->GetLinkKey();
    return key.empty() ? "device " + std::to_string(device.GetId()) : key;
}

// Opens the link's devices in turn until none waits; a device opened after the connector
// was abandoned is let go here.
unsigned __stdcall RunLinkJob(void* argument)
{
    const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    DeviceConnector::State& state = *start->state;
    DeviceConnector::LinkJob& job = *start->job;
    for (;;) {
        CDocumentDevicePtr device;
        {
            CSingleLock lock(&state.lock, TRUE);
            if (state.abandoned || job.waiting.empty()) {
                // Decided under the lock: a later Connect of this link starts a new thread.
                const auto entry = state.jobs.find(job.key);
                if (entry != state.jobs.end() && entry->second == start->job)
                    state.jobs.erase(entry);
                if (start->counted) {
                    --state.linksRunning;
                    ::SetEvent(state.wake);
                }
                return 0;
            }
            // Set by the thread itself: its creator does not hold the lock while it starts.
            job.threadId = ::GetCurrentThreadId();
            device = job.waiting.front().first;
            job.openingTicket = job.waiting.front().second;
            job.waiting.pop_front();
            job.opening = device;
        }
        std::unique_ptr<DeviceOpenOutcome_t> outcome(new DeviceOpenOutcome_t);
        outcome->device = device;
        outcome->ticket = job.openingTicket;
        const CConnectionPtr connection = device->GetConnection();
        try {
            connection->Open();
            outcome->opened = true;
        } catch (const std::exception& error) {
            outcome->error = error.what();
        } catch (...) {
            outcome->error = "the connection could not be opened";
        }
        bool posted = false;
        {
            CSingleLock lock(&state.lock, TRUE);
            job.opening.reset();
            if (job.cancelled) {
                connection->EndCancelOpen(::GetCurrentThreadId());
                job.cancelled = false;
            }
            posted = !state.abandoned &&
                     ::PostMessageA(state.window, state.message, 0, reinterpret_cast<LPARAM>(outcome.get())) != FALSE;
        }
        if (posted) {
            outcome.release();
            continue;
        }
        // Nobody will settle it (the connector was abandoned, or the window's queue is full
        // or the window gone): it is let go and settled here, so that the device does not
        // stay connecting and no later device at its address is taken for it.
        if (outcome->opened)
            connection->AbandonOpen();
        {
            CSingleLock lock(&state.lock, TRUE);
            const auto entry = state.wanted.find(device.get());
            if (entry != state.wanted.end() && entry->second == outcome->ticket)
                state.wanted.erase(entry);
        }
        device->SetConnecting(false);
    }
}

// Starts the link jobs' threads in the order they came; a job whose thread cannot start
// runs here, after the others have started.
unsigned __stdcall RunStarter(void* argument)
{
    const std::unique_ptr<std::shared_ptr<DeviceConnector::State>> held(
        static_cast<std::shared_ptr<DeviceConnector::State>*>(argument));
    DeviceConnector::State& state = **held;
    std::vector<std::shared_ptr<DeviceConnector::LinkJob>> unthreaded;
    for (;;) {
        std::shared_ptr<DeviceConnector::LinkJob> job;
        bool idle = false;
        {
            CSingleLock lock(&state.lock, TRUE);
            if (state.abandoned)
                state.unstarted.clear();
            if (state.unstarted.empty() && unthreaded.empty()) {
                if (state.abandoned || state.wake == nullptr) {
                    state.starterRunning = false;
                    return 0;
                }
                idle = true;
            } else if (!state.unstarted.empty() && state.linksRunning < MAX_LINKS_OPENING) {
                job = state.unstarted.front();
                state.unstarted.pop_front();
                ++state.linksRunning;
            } else if (unthreaded.empty()) {
                idle = true;
            }
        }
        if (idle) {
            ::WaitForSingleObject(state.wake, INFINITE);
            continue;
        }
        if (!job) {
            job = unthreaded.back();
            unthreaded.pop_back();
            RunLinkJob(new ThreadStart{*held, job});
            continue;
        }
        ThreadStart* start = new ThreadStart{*held, job, true};
        const uintptr_t thread = ::_beginthreadex(nullptr, 0, RunLinkJob, start, 0, nullptr);
        if (thread == 0) {
            delete start;
            unthreaded.push_back(job);
            CSingleLock lock(&state.lock, TRUE);
            --state.linksRunning;
            continue;
        }
        CSingleLock lock(&state.lock, TRUE);
        job->thread = reinterpret_cast<HANDLE>(thread);
    }
}

// Under the state's lock: the starter runs; false when its thread could not start.
bool EnsureStarterLocked(const std::shared_ptr<DeviceConnector::State>& state)
{
    if (state->starterRunning)
        return true;
    if (state->starter != nullptr)
        ::CloseHandle(state->starter);
    auto* held = new std::shared_ptr<DeviceConnector::State>(state);
    // It starts by waiting for the lock held here.
    const uintptr_t starter = ::_beginthreadex(nullptr, 0, RunStarter, held, 0, nullptr);
    state->starter = reinterpret_cast<HANDLE>(starter);
    if (starter == 0) {
        delete held;
        return false;
    }
    state->starterRunning = true;
    return true;
}
} // namespace

DeviceConnector::DeviceConnector() : m_state(std::make_shared<State>())
{
}

DeviceConnector::~DeviceConnector()
{
    // Joined here: a thread still running holds devices whose manager (a raw pointer, also
    // of their connections) may go right after the window. Their opens were cut short by
    // the window's own Abandon, so this waits for the end of an exchange at most.
    Abandon(INFINITE);
}

void DeviceConnector::SetWindow(HWND window, UINT message)
{
    CSingleLock lock(&m_state->lock, TRUE);
    m_state->window = window;
    m_state->message = message;
    // One that cannot start now is started by the first Connect.
    if (window != nullptr && !m_state->abandoned)
        EnsureStarterLocked(m_state);
}

bool DeviceConnector::Connect(const CDocumentDevicePtr& device)
{
    if (!device || !device->GetConnection())
        return false;
    const std::string key = LinkKeyOf(*device);
    CSingleLock lock(&m_state->lock, TRUE);
    if (m_state->abandoned)
        return false;
    std::shared_ptr<LinkJob>& job = m_state->jobs[key];
    if (!job) {
        if (!EnsureStarterLocked(m_state)) {
            m_state->jobs.erase(key);
            return false;
        }
        job = std::make_shared<LinkJob>();
        job->key = key;
        m_state->unstarted.push_back(job);
        ::SetEvent(m_state->wake);
    }
    const unsigned ticket = ++m_state->lastTicket;
    device->SetConnecting(true);
    job->waiting.push_back(std::make_pair(device, ticket));
    m_state->wanted[device.get()] = ticket;
    return true;
}

namespace
{
// Under the state's lock: the device's open is no longer wanted. A waiting one is taken
// out of its queue (into dropped), one under way cut short.
bool CancelLocked(DeviceConnector::State& state, const CDocumentDevice* device, std::vector<CDocumentDevicePtr>& dropped)
{
    if (state.wanted.erase(device) == 0)
        return false;
    for (const auto& entry : state.jobs) {
        DeviceConnector::LinkJob& job = *entry.second;
        for (auto waiting = job.waiting.begin(); waiting != job.waiting.end();) {
            if (waiting->first.get() == device) {
                dropped.push_back(waiting->first);
                waiting = job.waiting.erase(waiting);
            } else {
                ++waiting;
            }
        }
        if (job.opening.get() == device && !job.cancelled) {
            job.opening->GetConnection()->CancelOpen(job.threadId);
            job.cancelled = true;
        }
    }
    return true;
}
} // namespace

bool DeviceConnector::Cancel(const CDocumentDevicePtr& device)
{
    std::vector<CDocumentDevicePtr> dropped;
    bool cancelled = false;
    {
        CSingleLock lock(&m_state->lock, TRUE);
        cancelled = device && CancelLocked(*m_state, device.get(), dropped);
    }
    // Never started: nothing of it is left to come back.
    for (const CDocumentDevicePtr& waiting : dropped)
        waiting->SetConnecting(false);
    return cancelled;
}

void DeviceConnector::CancelAllBut(const std::deque<CDocumentDevicePtr>& devices)
{
    std::vector<CDocumentDevicePtr> dropped;
    {
        CSingleLock lock(&m_state->lock, TRUE);
        std::vector<const CDocumentDevice*> gone;
        for (const auto& entry : m_state->wanted)
            if (std::none_of(devices.begin(), devices.end(),
                             [&](const CDocumentDevicePtr& device) { return device.get() == entry.first; }))
                gone.push_back(entry.first);
        for (const CDocumentDevice* device : gone)
            CancelLocked(*m_state, device, dropped);
    }
    for (const CDocumentDevicePtr& waiting : dropped)
        waiting->SetConnecting(false);
}

bool DeviceConnector::IsOpening(const CDocumentDevicePtr& device)
{
    CSingleLock lock(&m_state->lock, TRUE);
    return device && m_state->wanted.count(device.get()) != 0;
}

bool DeviceConnector::Settle(const DeviceOpenOutcome_t& outcome)
{
    CSingleLock lock(&m_state->lock, TRUE);
    const auto entry = m_state->wanted.find(outcome.device.get());
    if (entry == m_state->wanted.end() || entry->second != outcome.ticket)
        return false;
    m_state->wanted.erase(entry);
    return true;
}

std::unique_ptr<DeviceOpenOutcome_t> DeviceConnector::TakeOutcome(LPARAM lParam)
{
    return std::unique_ptr<DeviceOpenOutcome_t>(reinterpret_cast<DeviceOpenOutcome_t*>(lParam));
}

void DeviceConnector::Abandon(DWORD waitMs)
{
    std::vector<std::shared_ptr<LinkJob>> running;
    std::vector<CDocumentDevicePtr> dropped;
    HWND window = nullptr;
    UINT message = 0;
    // Closed only on this thread (Connect) or with the state.
    HANDLE starter = nullptr;
    {
        CSingleLock lock(&m_state->lock, TRUE);
        m_state->abandoned = true;
        ::SetEvent(m_state->wake);
        starter = m_state->starter;
        m_state->wanted.clear();
        // Once: a window that is gone has no messages left to let go.
        std::swap(window, m_state->window);
        message = m_state->message;
        for (const auto& entry : m_state->jobs) {
            LinkJob& job = *entry.second;
            for (const auto& waiting : job.waiting)
                dropped.push_back(waiting.first);
            job.waiting.clear();
            if (job.opening && !job.cancelled) {
                job.opening->GetConnection()->CancelOpen(job.threadId);
                job.cancelled = true;
            }
            running.push_back(entry.second);
        }
    }
    for (const CDocumentDevicePtr& device : dropped)
        device->SetConnecting(false);
    const DWORD start = ::GetTickCount();
    const auto waitFor = [&](HANDLE thread) {
        const DWORD spent = ::GetTickCount() - start;
        if (thread != nullptr)
            ::WaitForSingleObject(thread, waitMs == INFINITE ? INFINITE : (spent < waitMs ? waitMs - spent : 0));
    };
    // The starter first: the threads it started meanwhile are among those waited for then.
    waitFor(starter);
    for (const std::shared_ptr<LinkJob>& job : running) {
        HANDLE thread = nullptr;
        {
            CSingleLock lock(&m_state->lock, TRUE);
            thread = job->thread;
        }
        waitFor(thread);
    }
    // What was posted before is let go here: the window will not finish it.
    MSG msg;
    for (int taken = 0; window != nullptr && ::IsWindow(window) && taken < MAX_OUTCOMES_LET_GO &&
                        ::PeekMessageA(&msg, window, message, message, PM_REMOVE);
         ++taken) {
        const std::unique_ptr<DeviceOpenOutcome_t> outcome = TakeOutcome(msg.lParam);
        if (outcome->opened)
            outcome->device->GetConnection()->AbandonOpen();
        outcome->device->SetConnecting(false);
    }
}
