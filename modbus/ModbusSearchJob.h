// One job of a device search: a serial port, the network broadcast or one answering
// host, worked by a thread of its own that posts its results to a window.
#pragma once
#include "framework/FrameworkBase.h"

#include <atomic>
#include <string>

// lParam of the search message.
enum ESearchMessage
{
    SEARCH_PROGRESS = 1,   // one step done
    SEARCH_FOUND = 5,      // wParam: a new ModbusEndpoint_t that the receiver deletes
    SEARCH_DONE = -1       // the last running job has ended
};

struct ModbusSearchJob_t
{
    ModbusSearchJob_t(HWND window, UINT message, int portOrSocket, bool ownsSocket);
    // Closes the stop event and the thread handle.
    ~ModbusSearchJob_t();

    ModbusSearchJob_t(const ModbusSearchJob_t&) = delete;
    ModbusSearchJob_t& operator=(const ModbusSearchJob_t&) = delete;

    bool IsStopRequested() const;
    // Posts the search message unless the job was abandoned; false when nothing was posted.
    bool Post(WPARAM wParam, LPARAM lParam) const;

    HWND window;
    UINT message;
    // COM port number (serial job), UDP socket (network job; 0 until it exists), -1 (TCP job).
    int portOrSocket;
    HANDLE thread = nullptr;
    HANDLE stopEvent;       // manual reset
    bool ownsSocket;
    std::string host;       // TCP job: the host it asks
    WORD tcpPort = 0;
    WORD skipUnitId = 0;    // TCP job: already reported by the broadcast answer
    // Set when a stop gave up waiting for the job: it ends on its own and posts nothing.
    std::atomic<bool> abandoned{false};
};
