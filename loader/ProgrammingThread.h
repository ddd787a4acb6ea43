// The programming run: gets a device's attention over a COM port (after switching a
// controller to pass-through for a meter) and sends the firmware records one by one,
// reporting to a window by posted messages only.
#pragma once
#include "framework/FrameworkBase.h"
#include "loader/ProgrammingSettings.h"

// Posted to the window given to Start.
#define WM_APP_LOAD_LOG       (WM_APP + 1)  // wParam: char[] from new[], receiver deletes; lParam: length
#define WM_APP_LOAD_FAILED    (WM_APP + 2)  // wParam: result code; lParam: system error of a failed wait, else 0
#define WM_APP_LOAD_PROGRESS  (WM_APP + 3)  // wParam: records accepted so far; lParam: total
#define WM_APP_LOAD_DONE      (WM_APP + 4)
#define WM_APP_LOAD_SEARCHING (WM_APP + 5)  // once per ten attention bytes
#define WM_APP_LOAD_STARTED   (WM_APP + 6)  // the device answered; records follow

// Result codes of a run (negative ones are CComPort's open codes).
enum
{
    PROG_ERR_ILLEGAL_CHARS = 1,
    PROG_ERR_TIMEOUT = 2,
    PROG_ERR_RETRIES = 3,
    PROG_ERR_INCOMPATIBLE = 4,
    PROG_ERR_NO_FINAL_STATUS = 10,
    PROG_ERR_BAD_FINAL_STATUS = 15,
    PROG_ERR_PROGRAMMING_FAILED = 20
};

// Bytes of the loader protocol.
enum : BYTE
{
    LOADER_ATTENTION = 0xFE,
    LOADER_ATTENTION_RESP_OLD = 0x00,   // products below id 5
    LOADER_ATTENTION_RESP_NEW = 0xAA,   // products from id 5
    LOADER_ACK = 0x10,
    LOADER_RETRY = 0x20,
    LOADER_RETRY_DELAYED = 0x21,
    LOADER_INCOMPATIBLE = 0x80,
    LOADER_FINAL_OK = 0x90,
    LOADER_FINAL_FAIL = 0x91
};

// Modbus function that makes a controller pass its meter port through.
const BYTE MODBUS_FN_PASS_THROUGH = 0x65;

class CComPort;

class ProgrammingThread
{
public:
    ProgrammingThread();
    ~ProgrammingThread();   // Stop(5000)
    ProgrammingThread(const ProgrammingThread&) = delete;
    ProgrammingThread& operator=(const ProgrammingThread&) = delete;

    // False when a run is going already; otherwise copies the settings and starts a run
    // that reports to the window. True when the thread was created.
    bool Start(HWND window, const ProgrammingSettings& settings);
    // Cancels the run and waits for it; a thread still alive after the wait is
    // terminated and the result is false. True when no thread ran.
    bool Stop(DWORD milliseconds);
    bool IsRunning() const;

    // The run body, on the started thread: 0 on success, on cancel and when the Modbus
    // port to the controller did not open; else the code that was posted (or the system
    // error of a failed wait).
    int Run();

private:
    static unsigned __stdcall ThreadEntry(void* self);

    // Formats into at most 1023 characters, prefixes "%10.3f: " seconds and posts it.
    void Log(const char* format, ...);
    void Post(UINT message, WPARAM wParam, LPARAM lParam);

    enum WaitResult { RX_BYTE, RX_TIMEOUT, RX_CANCELLED, RX_FAILED };

    // False when the Modbus port to the controller did not open (already reported).
    bool SendPassThroughRequest();
    // Waits for the receive event or the cancel event; resets the receive event it saw.
    WaitResult WaitForRxByte(CComPort& port, DWORD milliseconds);
    // Waits (bounded) until the queued bytes are written; false when cancelled.
    bool WaitForTransmit(CComPort& port);
    // Sleeps unless cancelled; false when cancelled.
    bool Pause(DWORD milliseconds);
    int Fail(CComPort& port, int code);
    int FailWait(CComPort& port, DWORD systemError);

    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    HWND m_window = nullptr;
    HANDLE m_cancelEvent = nullptr;     // automatic reset
    ProgrammingSettings m_settings;
};
