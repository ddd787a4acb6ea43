// Opens the logs that devices downloaded away from the interface thread, on one thread of
// its own that starts with the window: an open reads the whole file and starts the log's
// monitor thread, which while many devices connect would hold the window and start a
// thread from it for each log. Each open's outcome is posted to the window, which lists
// the log (giving it the document manager) on its own thread.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CDocumentLogFile.h"

#include <memory>
#include <string>

// The lParam of the outcome message; the window takes it with TakeOutcome.
struct DeviceLogOutcome_t
{
    CDocumentLogFilePtr logFile; // open, without a document manager; empty when it failed
    std::wstring path;
    int deviceId = -1;
    std::string error;   // why the open failed
    unsigned ticket = 0; // which Open it answers
};

class DeviceLogOpener
{
public:
    DeviceLogOpener();
    // Abandons what is still under way and waits for the thread's end.
    ~DeviceLogOpener();

    DeviceLogOpener(const DeviceLogOpener&) = delete;
    DeviceLogOpener& operator=(const DeviceLogOpener&) = delete;

    // Starts the thread, whose outcomes go to the window with the message; false when it
    // could not start (opens are then refused).
    bool Start(HWND window, UINT message);
    // The device's log opens in its turn; a later Open of the same device replaces it.
    // False when the opener is not running.
    bool Open(const std::wstring& path, int deviceId);
    // The device's log is no longer wanted: dropped when it waits, let go when it comes.
    void Cancel(int deviceId);
    // Called with the lParam of a posted outcome message: the outcome, now the caller's.
    static std::unique_ptr<DeviceLogOutcome_t> TakeOutcome(LPARAM lParam);
    // The window takes an outcome: true when it is still wanted.
    bool Settle(const DeviceLogOutcome_t& outcome);
    // Nothing more is opened or posted: waits for an open under way at most waitMs (one
    // still running ends and lets go by itself) and lets go the outcomes posted and not yet
    // handled. Called on the window's thread.
    void Abandon(DWORD waitMs);

    struct State;

private:
    std::shared_ptr<State> m_state;
};
