#include "loader/ProgrammingThread.h"

#include "framework/CByteArray.h"
#include "framework/CUserSpaceSyncObject.h"
#include "loader/CComPort.h"
#include "modbus/CLocalModbus.h"

#include <process.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const DWORD QueueWaitMs = 1000;
const DWORD AttentionWaitMs = 50;
// The longest wait for a queued byte to be written before the answer is waited for anyway.
const DWORD TransmitWaitMs = 1000;
const DWORD RecordDeadlineMs = 10000;
const DWORD FinalStatusWaitMs = 20000;
const DWORD RetryDelayMs = 100;
const DWORD HalfDuplexEchoDelayMs = 30;
const int MaxFailedSends = 3;

// Monotonic clock from process start, for the log prefix and the record deadlines.
LARGE_INTEGER QueryCounter()
{
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return now;
}

const LARGE_INTEGER g_processStart = QueryCounter();

LONGLONG CounterFrequency()
{
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f = {};
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    return frequency;
}

bool ProcessClockMs(ULONGLONG& ms)
{
    LARGE_INTEGER now = {};
    if (!QueryPerformanceCounter(&now))
        return false;
    ms = static_cast<ULONGLONG>((now.QuadPart - g_processStart.QuadPart) * 1000 / CounterFrequency());
    return true;
}

double ProcessClockSeconds()
{
    LARGE_INTEGER now = QueryCounter();
    return static_cast<double>(now.QuadPart - g_processStart.QuadPart) / CounterFrequency();
}

} // namespace

ProgrammingThread::ProgrammingThread()
{
    m_cancelEvent = CreateEvent(nullptr, FALSE, FALSE, nullptr);
}

ProgrammingThread::~ProgrammingThread()
{
    Stop(5000);
    if (m_cancelEvent)
        CloseHandle(m_cancelEvent);
}

bool ProgrammingThread::Start(HWND window, const ProgrammingSettings& settings)
{
    if (IsRunning() || m_cancelEvent == nullptr)
        return false;
    if (m_thread)
    {
        // The previous run has ended by itself.
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    // A cancel aimed at an earlier run must not end this one.
    ResetEvent(m_cancelEvent);
    m_settings = settings;
    m_window = window;
    unsigned threadId = 0;
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadEntry, this, 0, &threadId));
    m_threadId = threadId;
    return m_thread != nullptr;
}

bool ProgrammingThread::Stop(DWORD milliseconds)
{
    if (m_thread == nullptr)
        return true;
    SetEvent(m_cancelEvent);
    bool ended = WaitForSingleObject(m_thread, milliseconds) == WAIT_OBJECT_0;
    if (!ended)
        CUserSpaceSyncObject::TerminateThreadOutsideLocks(m_thread, 0xFFFF);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_threadId = 0;
    return ended;
}

bool ProgrammingThread::IsRunning() const
{
    return m_thread != nullptr && WaitForSingleObject(m_thread, 0) == WAIT_TIMEOUT;
}

unsigned __stdcall ProgrammingThread::ThreadEntry(void* self)
{
    return static_cast<unsigned>(static_cast<ProgrammingThread*>(self)->Run());
}

void ProgrammingThread::Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessage(m_window, message, wParam, lParam);
}

void ProgrammingThread::Log(const char* format, ...)
{
    char body[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(body, sizeof body, format, args);
    va_end(args);

    char prefix[64];
    int prefixLength = snprintf(prefix, sizeof prefix, "%10.3f: ", ProcessClockSeconds());
    if (prefixLength < 0)
        prefixLength = 0;
    size_t length = static_cast<size_t>(prefixLength) + strlen(body);
    char* text = new char[length + 1];
    memcpy(text, prefix, prefixLength);
    strcpy(text + prefixLength, body);
    // The receiver frees the text; nobody will when the post fails.
    if (!PostMessage(m_window, WM_APP_LOAD_LOG, reinterpret_cast<WPARAM>(text),
                     static_cast<LPARAM>(length)))
        delete[] text;
}

bool ProgrammingThread::Pause(DWORD milliseconds)
{
    return WaitForSingleObject(m_cancelEvent, milliseconds) != WAIT_OBJECT_0;
}

ProgrammingThread::WaitResult ProgrammingThread::WaitForRxByte(CComPort& port, DWORD milliseconds)
{
    HANDLE handles[2] = { port.GetRxEvent(), m_cancelEvent };
    DWORD result = WaitForMultipleObjects(2, handles, FALSE, milliseconds);
    if (result == WAIT_OBJECT_0)
    {
        ResetEvent(handles[0]);
        return RX_BYTE;
    }
    if (result == WAIT_OBJECT_0 + 1)
        return RX_CANCELLED;
    if (result == WAIT_TIMEOUT)
        return RX_TIMEOUT;
    return RX_FAILED;
}

bool ProgrammingThread::WaitForTransmit(CComPort& port)
{
    HANDLE handles[2] = { port.GetTxWrittenEvent(), m_cancelEvent };
    return WaitForMultipleObjects(2, handles, FALSE, TransmitWaitMs) != WAIT_OBJECT_0 + 1;
}

int ProgrammingThread::Fail(CComPort& port, int code)
{
    Post(WM_APP_LOAD_FAILED, static_cast<WPARAM>(code), 0);
    port.Close();
    return code;
}

int ProgrammingThread::FailWait(CComPort& port, DWORD systemError)
{
    Log("wait for RX byte failed: %u", static_cast<unsigned>(systemError));
    Post(WM_APP_LOAD_FAILED, 0, static_cast<LPARAM>(systemError));
    port.Close();
    return static_cast<int>(systemError);
}

bool ProgrammingThread::SendPassThroughRequest()
{
    Log("File is for a Meter.");
    Log("Putting control in pass-through mode.");
    CLocalModbus modbus;
    modbus.SetMode(CLocalModbus::MODE_RTU);
    modbus.SetComPort(m_settings.comPort);
    modbus.SetDataBits(8);
    modbus.SetParity(0);
    modbus.SetStopBits(2);
    modbus.SetFlowControl(0);
    modbus.SetTimeout(500);
    modbus.SetInterCharTimeout(20);
    if (!modbus.Open(m_settings.comPort, m_settings.baud, 0))
    {
        Log("* Error: unable to open Modbus port to control\n");
        Post(WM_APP_LOAD_FAILED, 0, 0);
        return false;
    }
    CByteArray query;
    query.SetSize(2);
    query[0] = static_cast<BYTE>(m_settings.passThroughAddress);
    query[1] = MODBUS_FN_PASS_THROUGH;
    CByteArray reply;
    reply.SetSize(2);
    // The controller's answer is not needed: a meter that does not answer shows later.
    modbus.TxRxMessage(query, 2, reply, 0);
    modbus.Close();
    Log("Control now in pass-through mode.");
    return true;
}

int ProgrammingThread::Run()
{
    if (m_settings.passThroughAddress != 0 && !SendPassThroughRequest())
        return 0;

    CComPort port;
    char portName[32];
    if (m_settings.comPort <= 9)
        snprintf(portName, sizeof portName, "COM%i", m_settings.comPort);
    else
        snprintf(portName, sizeof portName, "\\\\.\\COM%i", m_settings.comPort);
    int openResult = port.Open(portName, m_settings.baud);
    if (openResult != COMPORT_OK)
    {
        Log("* Error: unable to open COM port (%s)\n", CComPort::GetErrorText(openResult));
        return Fail(port, openResult);
    }

    if (!Pause(1000))
        return 0;
    Log("Searching for QV control...");
    if (m_settings.IsMeter())
        Log("Please plug the %s into the controller now.", (LPCTSTR)m_settings.GetProductName());
    else
        Log("Please turn on the QV control.");
    while (!port.IsRxBufferEmpty(QueueWaitMs))
    {
        port.GetByteFromRxBuffer(QueueWaitMs);
        Log("dumped dummy RX byte before first write");
    }

    // Attention: repeat 0xFE until enough attention responses have come.
    const int expectedResponse = m_settings.productId < 5 ? LOADER_ATTENTION_RESP_OLD
                                                          : LOADER_ATTENTION_RESP_NEW;
    int sendCounter = 0;
    bool halfDuplex = false;
    int responseCount = 0;
    bool connected = false;
    while (!connected)
    {
        if (++sendCounter == 10)
        {
            Post(WM_APP_LOAD_SEARCHING, 0, 0);
            sendCounter = 0;
        }
        port.PutByte(LOADER_ATTENTION, QueueWaitMs);
        // The answer's 50 ms count from the moment the byte has left: a transmit thread
        // that runs late must not make a prompt answer look missing, or the next 0xFE
        // would reach a bootloader that already takes record data.
        if (!WaitForTransmit(port))
            return 0;
        if (port.IsRxBufferEmpty(QueueWaitMs))
        {
            WaitResult wait = WaitForRxByte(port, AttentionWaitMs);
            if (wait == RX_CANCELLED)
                return 0;
            if (wait == RX_FAILED)
                return FailWait(port, GetLastError());
        }
        int received;
        while (!connected && (received = port.GetByteFromRxBuffer(QueueWaitMs)) >= 0)
        {
            if (received == LOADER_ATTENTION)
            {
                if (!halfDuplex)
                {
                    halfDuplex = true;
                    Log("Note: control is talking half-duplex");
                }
                else if (!Pause(HalfDuplexEchoDelayMs))
                    return 0;
            }
            else if (received == expectedResponse)
            {
                if (++responseCount >= m_settings.attentionResponseCount)
                    connected = true;
                else
                    Log("(Ignoring spurious attention response byte #%i; need %i.)", responseCount,
                        m_settings.attentionResponseCount);
            }
            else
            {
                Log("Ignoring spurious RX byte 0x%02x", received);
            }
        }
    }

    Log("Connected to Varnix control");
    if (m_settings.IsMeter() && !Pause(300))
        return 0;
    int leftover;
    while ((leftover = port.GetByteFromRxBuffer(QueueWaitMs)) >= 0)
    {
        if ((leftover == LOADER_ATTENTION && halfDuplex) || leftover == expectedResponse)
            continue;
        Log("* Error: device sent illegal characters after Attention Response");
        Log("(character: 0x%02x)", leftover);
        return Fail(port, PROG_ERR_ILLEGAL_CHARS);
    }

    ResetEvent(port.GetRxEvent());
    Post(WM_APP_LOAD_STARTED, 0, 0);
    Log("Programming QV control.");
    Log("(This may take several minutes.  Please wait.)");
    const double programmingStart = ProcessClockSeconds();

    const size_t total = m_settings.records.size();
    size_t recordIndex = 0;
    int failedSends = 0;
    while (recordIndex < total)
    {
        BYTE frame[64];
        const size_t frameLength = m_settings.records[recordIndex].Serialize(frame, sizeof frame);
        if (frameLength == 0 || port.PutBytes(frame, static_cast<int>(frameLength), QueueWaitMs) <
                                    static_cast<int>(frameLength))
        {
            Log("* Error: Overran COM port TX buffer");
            return Fail(port, PROG_ERR_ILLEGAL_CHARS);
        }
        ULONGLONG sendStart = 0;
        if (!ProcessClockMs(sendStart))
        {
            Log("* Error: unable to get machine time for computing delay");
            return Fail(port, PROG_ERR_ILLEGAL_CHARS);
        }
        const ULONGLONG deadline = sendStart + RecordDeadlineMs;
        size_t echoPosition = 0;
        int reply = -1;
        while (reply < 0)
        {
            ULONGLONG now = 0;
            ProcessClockMs(now);
            if (now >= deadline)
            {
                Log("* Warning: control did not respond to command (no response byte)");
                reply = LOADER_RETRY_DELAYED;
                break;
            }
            if (port.IsRxBufferEmpty(QueueWaitMs))
            {
                WaitResult wait = WaitForRxByte(port, static_cast<DWORD>(deadline - now));
                if (wait == RX_CANCELLED)
                    return 0;
                if (wait == RX_FAILED)
                    return FailWait(port, GetLastError());
                if (wait == RX_TIMEOUT)
                {
                    Log("* Error: control did not respond to command (receive timeout)");
                    return Fail(port, PROG_ERR_TIMEOUT);
                }
                continue;   // look at the queue again: the event may have come without a byte
            }
            int received = port.GetByteFromRxBuffer(QueueWaitMs);
            if (received < 0)
                continue;
            if (!halfDuplex || echoPosition >= frameLength)
            {
                reply = received;
            }
            else if (received == frame[echoPosition])
            {
                ++echoPosition;
            }
            else
            {
                Log("* Warning: control did not echo the byte (expected 0x%02x, got 0x%02x)",
                    frame[echoPosition], received);
                reply = LOADER_RETRY_DELAYED;
            }
        }

        switch (reply)
        {
        case LOADER_ACK:
            ++recordIndex;
            Post(WM_APP_LOAD_PROGRESS, recordIndex, static_cast<LPARAM>(total));
            failedSends = 0;
            continue;
        case LOADER_INCOMPATIBLE:
            Log("* Error: Incompatible firmware version");
            return Fail(port, PROG_ERR_INCOMPATIBLE);
        case LOADER_RETRY:
            break;
        case LOADER_RETRY_DELAYED:
            if (!Pause(RetryDelayMs))
                return 0;
            break;
        default:
            Log("* Warning: unexpected response byte 0x%02x", reply);
            if (!Pause(RetryDelayMs))
                return 0;
            break;
        }
        if (++failedSends >= MaxFailedSends)
        {
            Log("* Error: Exceeded maximum number of retransmissions on record %u",
                static_cast<unsigned>(recordIndex + 1));
            return Fail(port, PROG_ERR_RETRIES);
        }
    }

    // Final status.
    ULONGLONG finalStart = 0;
    ProcessClockMs(finalStart);
    const ULONGLONG finalDeadline = finalStart + FinalStatusWaitMs;
    int status = -1;
    while (status < 0)
    {
        if (port.IsRxBufferEmpty(QueueWaitMs))
        {
            ULONGLONG now = 0;
            ProcessClockMs(now);
            DWORD left = now < finalDeadline ? static_cast<DWORD>(finalDeadline - now) : 0;
            WaitResult wait = WaitForRxByte(port, left);
            if (wait == RX_CANCELLED)
                return 0;
            if (wait == RX_FAILED)
                return FailWait(port, GetLastError());
            if (wait == RX_TIMEOUT)
            {
                Log("* Error: control did not give final programming status");
                return Fail(port, PROG_ERR_NO_FINAL_STATUS);
            }
            continue;
        }
        status = port.GetByteFromRxBuffer(QueueWaitMs);
    }
    if (status == LOADER_FINAL_FAIL)
    {
        Log("* Error: QV device programming was not successful");
        return Fail(port, PROG_ERR_PROGRAMMING_FAILED);
    }
    if (status != LOADER_FINAL_OK)
    {
        Log("* Error: QV device provided illegal final programming status (0x%02X)", status);
        return Fail(port, PROG_ERR_BAD_FINAL_STATUS);
    }

    Post(WM_APP_LOAD_DONE, 0, 0);
    Log("Total records: %u", static_cast<unsigned>(total));
    Log("Programming time: %u sec",
        static_cast<unsigned>(ProcessClockSeconds() - programmingStart));
    if (m_settings.passThroughAddress != 0)
        Log("You will need to restart both your control and meter.");
    port.Close();
    return 0;
}
