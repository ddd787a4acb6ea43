#include "shell/DeviceLogOpener.h"

#include "framework/CCriticalSection.h"
#include "framework/CSingleLock.h"

#include <deque>
#include <map>
#include <process.h>
#include <stdexcept>

// Shared with the thread: it may outlive the opener, ending by itself.
struct DeviceLogOpener::State
{
    State() : wake(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~State()
    {
        if (thread != nullptr)
            ::CloseHandle(thread);
        if (wake != nullptr)
            ::CloseHandle(wake);
    }

    struct Job
    {
        std::wstring path;
        int deviceId = -1;
        unsigned ticket = 0;
    };

    CCriticalSection lock;
    HWND window = nullptr;
    UINT message = 0;
    bool abandoned = false;
    std::deque<Job> waiting;
    // The devices whose log is wanted, with the ticket of that Open; an outcome whose
    // ticket is no longer here was cancelled.
    std::map<int, unsigned> wanted;
    unsigned lastTicket = 0;
    HANDLE wake;
    HANDLE thread = nullptr;
};

namespace
{
const int MAX_OUTCOMES_LET_GO = 100000;

// Opens the logs in turn as they come, until abandoned; an open no longer wanted is let go
// here (the document, never listed, closes its monitor).
unsigned __stdcall RunOpener(void* argument)
{
    const std::unique_ptr<std::shared_ptr<DeviceLogOpener::State>> held(
        static_cast<std::shared_ptr<DeviceLogOpener::State>*>(argument));
    DeviceLogOpener::State& state = **held;
    for (;;) {
        DeviceLogOpener::State::Job job;
        {
            CSingleLock lock(&state.lock, TRUE);
            if (state.abandoned)
                return 0;
            if (!state.waiting.empty()) {
                job = state.waiting.front();
                state.waiting.pop_front();
            }
        }
        if (job.ticket == 0) {
            ::WaitForSingleObject(state.wake, INFINITE);
            continue;
        }
        std::unique_ptr<DeviceLogOutcome_t> outcome(new DeviceLogOutcome_t);
        outcome->path = job.path;
        outcome->deviceId = job.deviceId;
        outcome->ticket = job.ticket;
        try {
            CDocumentLogFilePtr logFile(new CDocumentLogFile);
            logFile->OpenLogFile(job.path);
            outcome->logFile = logFile;
        } catch (const std::exception& error) {
            outcome->error = error.what();
        }
        CSingleLock lock(&state.lock, TRUE);
        const auto wanted = state.wanted.find(job.deviceId);
        if (state.abandoned || wanted == state.wanted.end() || wanted->second != job.ticket)
            continue;
        if (::PostMessageA(state.window, state.message, 0, reinterpret_cast<LPARAM>(outcome.get())) != FALSE)
            outcome.release();
        else
            state.wanted.erase(wanted);
    }
}
} // namespace

DeviceLogOpener::DeviceLogOpener() : m_state(std::make_shared<State>())
{
}

DeviceLogOpener::~DeviceLogOpener()
{
    // Joined here: an open under way reads the device descriptions, which go with the
    // program; it ends with its first pass.
    Abandon(INFINITE);
}

bool DeviceLogOpener::Start(HWND window, UINT message)
{
    CSingleLock lock(&m_state->lock, TRUE);
    if (m_state->thread != nullptr || m_state->abandoned || m_state->wake == nullptr)
        return m_state->thread != nullptr && !m_state->abandoned;
    m_state->window = window;
    m_state->message = message;
    auto* held = new std::shared_ptr<State>(m_state);
    // It starts by waiting for the lock held here.
    const uintptr_t thread = ::_beginthreadex(nullptr, 0, RunOpener, held, 0, nullptr);
    if (thread == 0) {
        delete held;
        return false;
    }
    m_state->thread = reinterpret_cast<HANDLE>(thread);
    return true;
}

bool DeviceLogOpener::Open(const std::wstring& path, int deviceId)
{
    CSingleLock lock(&m_state->lock, TRUE);
    if (m_state->thread == nullptr || m_state->abandoned)
        return false;
    for (auto job = m_state->waiting.begin(); job != m_state->waiting.end();)
        job = job->deviceId == deviceId ? m_state->waiting.erase(job) : job + 1;
    const unsigned ticket = ++m_state->lastTicket;
    m_state->waiting.push_back(State::Job{path, deviceId, ticket});
    m_state->wanted[deviceId] = ticket;
    ::SetEvent(m_state->wake);
    return true;
}

void DeviceLogOpener::Cancel(int deviceId)
{
    CSingleLock lock(&m_state->lock, TRUE);
    m_state->wanted.erase(deviceId);
    for (auto job = m_state->waiting.begin(); job != m_state->waiting.end();)
        job = job->deviceId == deviceId ? m_state->waiting.erase(job) : job + 1;
}

std::unique_ptr<DeviceLogOutcome_t> DeviceLogOpener::TakeOutcome(LPARAM lParam)
{
    return std::unique_ptr<DeviceLogOutcome_t>(reinterpret_cast<DeviceLogOutcome_t*>(lParam));
}

bool DeviceLogOpener::Settle(const DeviceLogOutcome_t& outcome)
{
    CSingleLock lock(&m_state->lock, TRUE);
    const auto entry = m_state->wanted.find(outcome.deviceId);
    if (entry == m_state->wanted.end() || entry->second != outcome.ticket)
        return false;
    m_state->wanted.erase(entry);
    return true;
}

void DeviceLogOpener::Abandon(DWORD waitMs)
{
    HWND window = nullptr;
    UINT message = 0;
    HANDLE thread = nullptr;
    {
        CSingleLock lock(&m_state->lock, TRUE);
        m_state->abandoned = true;
        m_state->waiting.clear();
        m_state->wanted.clear();
        // Once: a window that is gone has no messages left to let go.
        std::swap(window, m_state->window);
        message = m_state->message;
        thread = m_state->thread;
        ::SetEvent(m_state->wake);
    }
    // Closed only with the state, which this object holds.
    if (thread != nullptr)
        ::WaitForSingleObject(thread, waitMs);
    MSG msg;
    for (int taken = 0; window != nullptr && ::IsWindow(window) && taken < MAX_OUTCOMES_LET_GO &&
                        ::PeekMessageA(&msg, window, message, message, PM_REMOVE);
         ++taken)
        TakeOutcome(msg.lParam);
}
