#include "loader/CComPort.h"

#include "framework/CUserSpaceSyncObject.h"

#include <algorithm>

namespace {

const DWORD ThreadStopWaitMs = 2000;
const DWORD ThreadMutexWaitMs = 1000;
const int ReadChunkSize = 64;
const int WriteChunkSize = 64;
// A read that ended with nothing (its time-out, or an error): a short pause keeps a
// failing port from spinning.
const DWORD EmptyReadPauseMs = 10;
// A read waits for its first byte this long; Wine waits without limit, which is as good,
// since a stop ends the wait.
const DWORD FirstByteWaitMs = 1000;
const DWORD DriverBufferSize = 1024;
const int TransferStopped = -4;

const DWORD ReceiveThreadNoStopEvent = 0xFF01;
const DWORD TerminatedThreadExitCode = 0xFFFF;

DWORD SupportedBaudOr9600(int baud)
{
    static const int supported[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200,
                                    38400, 56000, 57600, 115200, 256000};
    for (int rate : supported) {
        if (rate == baud)
            return static_cast<DWORD>(baud);
    }
    return 9600;
}

// Closes a handle that may be null or invalid, and marks it closed.
void CloseAndClear(HANDLE& handle, HANDLE closedValue)
{
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    handle = closedValue;
}

bool ClaimMutex(const std::unique_ptr<CMutex>& mutex, DWORD milliseconds)
{
    return mutex != nullptr && mutex->Lock(milliseconds);
}

} // namespace

CComPort::CComPort()
    : m_port(INVALID_HANDLE_VALUE), m_savedDcb(), m_savedTimeouts(), m_haveSavedDcb(false),
      m_haveSavedTimeouts(false), m_rxThread(nullptr), m_txThread(nullptr), m_stopEvent(nullptr),
      m_rxDropped(0), m_rxEvent(nullptr), m_txEvent(nullptr), m_txWrittenEvent(nullptr),
      m_rxTransferEvent(nullptr), m_txTransferEvent(nullptr)
{
}

CComPort::~CComPort()
{
    Close();
}

LPCTSTR CComPort::GetErrorText(int code)
{
    switch (code) {
    case COMPORT_OK: return "No error";
    case COMPORT_ERR_CLOSE: return "Could not close port";
    case COMPORT_ERR_OPEN: return "Cannot open port";
    case COMPORT_ERR_SYNC: return "Could not create sync object";
    case COMPORT_ERR_CONFIG: return "Cannot configure COM port as requested";
    case COMPORT_ERR_ACCESS: return "Error accessing com port";
    case COMPORT_ERR_THREAD: return "Cannot create thread";
    default: return "Unknown error";
    }
}

int CComPort::Open(LPCTSTR portName, int baud)
{
    if (IsOpen()) {
        const int closed = Close();
        if (closed != COMPORT_OK)
            return closed;
    }

    m_port = CreateFileA(portName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
    if (m_port == INVALID_HANDLE_VALUE)
        return COMPORT_ERR_OPEN;

    // Fresh objects for every open: the stop event starts reset, so no thread of an earlier
    // open can have left it in a state the new threads would misread.
    m_stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_rxEvent = m_stopEvent ? CreateEventA(nullptr, TRUE, FALSE, nullptr) : nullptr;
    m_rxMutex = std::make_unique<CMutex>();
    m_txEvent = m_rxEvent ? CreateEventA(nullptr, TRUE, FALSE, nullptr) : nullptr;
    m_txMutex = std::make_unique<CMutex>();
    m_txWrittenEvent = m_txEvent ? CreateEventA(nullptr, TRUE, TRUE, nullptr) : nullptr;
    m_rxTransferEvent = m_txWrittenEvent ? CreateEventA(nullptr, TRUE, FALSE, nullptr) : nullptr;
    m_txTransferEvent = m_rxTransferEvent ? CreateEventA(nullptr, TRUE, FALSE, nullptr) : nullptr;
    if (m_txTransferEvent == nullptr) {
        // Nothing of the port's settings has changed yet; a failed open leaves it closed.
        CloseSyncObjects();
        CloseAndClear(m_port, INVALID_HANDLE_VALUE);
        return COMPORT_ERR_SYNC;
    }

    int failure = COMPORT_OK;
    if (!SetupComm(m_port, DriverBufferSize, DriverBufferSize) || !SetCommMask(m_port, 0))
        failure = COMPORT_ERR_CONFIG;

    if (failure == COMPORT_OK) {
        m_haveSavedTimeouts = GetCommTimeouts(m_port, &m_savedTimeouts) != FALSE;
        // A read returns at once with what is there, or with the first byte to come. Wine
        // waits for that byte on the line's readiness: an idle port costs nothing. (A
        // wait for a port event is polled by Wine instead.)
        COMMTIMEOUTS timeouts = {};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
        timeouts.ReadTotalTimeoutConstant = FirstByteWaitMs;
        if (!m_haveSavedTimeouts || !SetCommTimeouts(m_port, &timeouts))
            failure = COMPORT_ERR_CONFIG;
    }

    if (failure == COMPORT_OK) {
        m_savedDcb.DCBlength = sizeof(m_savedDcb);
        m_haveSavedDcb = GetCommState(m_port, &m_savedDcb) != FALSE;
        DCB dcb = {};
        dcb.DCBlength = sizeof(dcb);
        dcb.BaudRate = SupportedBaudOr9600(baud);
        dcb.fBinary = TRUE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        dcb.fTXContinueOnXoff = TRUE;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        if (!m_haveSavedDcb || !SetCommState(m_port, &dcb))
            failure = COMPORT_ERR_CONFIG;
    }

    if (failure == COMPORT_OK) {
        ClearQueues();
        if (!PurgeComm(m_port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
            failure = COMPORT_ERR_ACCESS;
    }

    if (failure != COMPORT_OK) {
        Close();
        return failure;
    }

    m_rxThread = CreateThread(nullptr, 0, &CComPort::ReceiveThreadEntry, this, 0, nullptr);
    if (m_rxThread != nullptr)
        m_txThread = CreateThread(nullptr, 0, &CComPort::TransmitThreadEntry, this, 0, nullptr);
    if (m_rxThread == nullptr || m_txThread == nullptr) {
        Close();
        return COMPORT_ERR_THREAD;
    }
    return COMPORT_OK;
}

int CComPort::Close()
{
    if (!IsOpen())
        return COMPORT_OK;

    FlushFileBuffers(m_port);
    StopThread(m_rxThread);
    StopThread(m_txThread);
    CloseSyncObjects();

    int result = COMPORT_OK;
    if (m_haveSavedDcb && !SetCommState(m_port, &m_savedDcb))
        result = COMPORT_ERR_CONFIG;
    if (!SetCommMask(m_port, 0))
        result = COMPORT_ERR_CONFIG;
    if (m_haveSavedTimeouts && !SetCommTimeouts(m_port, &m_savedTimeouts))
        result = COMPORT_ERR_CONFIG;
    if (!PurgeComm(m_port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
        result = COMPORT_ERR_ACCESS;
    ClearQueues();
    DWORD errors = 0;
    if (!ClearCommError(m_port, &errors, nullptr))
        result = COMPORT_ERR_ACCESS;
    if (!CloseHandle(m_port))
        result = COMPORT_ERR_CLOSE;
    m_port = INVALID_HANDLE_VALUE;
    m_haveSavedDcb = false;
    m_haveSavedTimeouts = false;
    return result;
}

void CComPort::StopThread(HANDLE& thread)
{
    if (thread == nullptr)
        return;
    SetEvent(m_stopEvent);
    if (WaitForSingleObject(thread, ThreadStopWaitMs) != WAIT_OBJECT_0)
        CUserSpaceSyncObject::TerminateThreadOutsideLocks(thread, TerminatedThreadExitCode);
    CloseAndClear(thread, nullptr);
}

void CComPort::CloseSyncObjects()
{
    m_txMutex.reset();
    m_rxMutex.reset();
    CloseAndClear(m_stopEvent, nullptr);
    CloseAndClear(m_rxEvent, nullptr);
    CloseAndClear(m_txEvent, nullptr);
    CloseAndClear(m_txWrittenEvent, nullptr);
    CloseAndClear(m_rxTransferEvent, nullptr);
    CloseAndClear(m_txTransferEvent, nullptr);
}

void CComPort::ClearQueues()
{
    m_rxQueue.clear();
    m_rxDropped = 0;
    m_txQueue.clear();
}

int CComPort::GetByteFromRxBuffer(DWORD milliseconds)
{
    if (!ClaimMutex(m_rxMutex, milliseconds))
        return -1;
    int byte = -1;
    if (!m_rxQueue.empty()) {
        byte = m_rxQueue.front();
        m_rxQueue.pop_front();
    }
    m_rxMutex->Unlock();
    return byte;
}

long CComPort::GetDroppedRxByteCount(DWORD milliseconds)
{
    if (!ClaimMutex(m_rxMutex, milliseconds))
        return -1;
    const long dropped = m_rxDropped;
    m_rxMutex->Unlock();
    return dropped;
}

bool CComPort::IsRxBufferEmpty(DWORD milliseconds)
{
    if (!ClaimMutex(m_rxMutex, milliseconds))
        return true;
    const bool empty = m_rxQueue.empty();
    m_rxMutex->Unlock();
    return empty;
}

bool CComPort::PutByte(BYTE byte, DWORD milliseconds)
{
    return PutBytes(&byte, 1, milliseconds) == 1;
}

int CComPort::PutBytes(const BYTE* data, int count, DWORD milliseconds)
{
    if (count < 0 || data == nullptr)
        return -1;
    if (!ClaimMutex(m_txMutex, milliseconds))
        return -2;
    // The transmit event is set exactly while the queue holds bytes (both change under the
    // mutex), so only bytes put into an empty queue need to signal.
    const bool wasEmpty = m_txQueue.empty();
    int queued = 0;
    while (queued < count && m_txQueue.size() < TxQueueCapacity)
        m_txQueue.push_back(data[queued++]);
    if (wasEmpty && queued > 0) {
        ResetEvent(m_txWrittenEvent);
        SetEvent(m_txEvent);
    }
    m_txMutex->Unlock();
    return queued;
}

namespace {

// One overlapped read or write on the thread's own event, waited for to its end: the
// bytes moved, 0 when the transfer failed after starting, -2 without an event, -3 when it
// could not start, and TransferStopped when the stop event (if any) was set first: the
// transfer is cancelled. The transfer resets the event as it starts.
int TransferAndWait(HANDLE port, HANDLE event, bool write, void* data, int count, HANDLE stopEvent = nullptr)
{
    if (event == nullptr)
        return -2;
    OVERLAPPED overlapped = {};
    overlapped.hEvent = event;
    DWORD moved = 0;
    const BOOL done = write ? WriteFile(port, data, static_cast<DWORD>(count), &moved, &overlapped)
                            : ReadFile(port, data, static_cast<DWORD>(count), &moved, &overlapped);
    if (done)
        return static_cast<int>(moved);
    if (GetLastError() != ERROR_IO_PENDING)
        return -3;
    HANDLE waits[2] = {event, stopEvent};
    if (stopEvent != nullptr && WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        // The transfer refers to this stack frame: end it before leaving.
        CancelIo(port);
        GetOverlappedResult(port, &overlapped, &moved, TRUE);
        return TransferStopped;
    }
    return GetOverlappedResult(port, &overlapped, &moved, TRUE) ? static_cast<int>(moved) : 0;
}

} // namespace

int CComPort::ReadSpBytes(int count, BYTE* buffer)
{
    if (!IsOpen())
        return -1;
    return TransferAndWait(m_port, m_rxTransferEvent, false, buffer, count);
}

int CComPort::WriteSpBytes(int count, const BYTE* data)
{
    if (!IsOpen())
        return -1;
    if (count == 0)
        return 0;
    return TransferAndWait(m_port, m_txTransferEvent, true, const_cast<BYTE*>(data), count);
}

DWORD WINAPI CComPort::ReceiveThreadEntry(LPVOID param)
{
    return static_cast<CComPort*>(param)->ReceiveLoop();
}

DWORD WINAPI CComPort::TransmitThreadEntry(LPVOID param)
{
    return static_cast<CComPort*>(param)->TransmitLoop();
}

DWORD CComPort::ReceiveLoop()
{
    if (m_stopEvent == nullptr)
        return ReceiveThreadNoStopEvent;

    while (WaitForSingleObject(m_stopEvent, 0) != WAIT_OBJECT_0) {
        // One byte, waited for; then what else the driver holds, which needs no wait.
        BYTE chunk[ReadChunkSize];
        int got = TransferAndWait(m_port, m_rxTransferEvent, false, chunk, 1, m_stopEvent);
        if (got == TransferStopped)
            break;
        if (got <= 0) {
            if (WaitForSingleObject(m_stopEvent, EmptyReadPauseMs) == WAIT_OBJECT_0)
                break;
            continue;
        }
        DWORD errors = 0;
        COMSTAT status = {};
        if (ClearCommError(m_port, &errors, &status) && status.cbInQue > 0) {
            const int more = ReadSpBytes(static_cast<int>(std::min<DWORD>(status.cbInQue, ReadChunkSize - 1)),
                                         chunk + 1);
            if (more > 0)
                got += more;
        }
        QueueReceived(chunk, got);
    }
    return 0;
}

void CComPort::QueueReceived(const BYTE* bytes, int count)
{
    if (!ClaimMutex(m_rxMutex, ThreadMutexWaitMs))
        return;
    for (int i = 0; i < count; ++i) {
        if (m_rxQueue.size() < RxQueueCapacity)
            m_rxQueue.push_back(bytes[i]);
        else
            ++m_rxDropped;
    }
    m_rxMutex->Unlock();
    SetEvent(m_rxEvent);
}

void CComPort::MarkTransmitQueueEmpty()
{
    ResetEvent(m_txEvent);
    SetEvent(m_txWrittenEvent);
}

DWORD CComPort::TransmitLoop()
{
    HANDLE waits[2] = {m_stopEvent, m_txEvent};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        // A mutex wait that times out counts as nothing done; the event stays set.
        if (!ClaimMutex(m_txMutex, ThreadMutexWaitMs))
            continue;
        // What is queued goes out in one write, without holding the mutex, so the caller
        // can keep queueing; the bytes leave the queue once written. The thread sleeps
        // again as soon as the queue is empty, without a round to find it so.
        BYTE chunk[WriteChunkSize];
        const int count = static_cast<int>(std::min<size_t>(m_txQueue.size(), WriteChunkSize));
        std::copy(m_txQueue.begin(), m_txQueue.begin() + count, chunk);
        if (count == 0)
            MarkTransmitQueueEmpty();
        m_txMutex->Unlock();
        if (count == 0)
            continue;

        const int written = WriteSpBytes(count, chunk);
        if (written > 0 && ClaimMutex(m_txMutex, ThreadMutexWaitMs)) {
            m_txQueue.erase(m_txQueue.begin(), m_txQueue.begin() + std::min(written, count));
            if (m_txQueue.empty())
                MarkTransmitQueueEmpty();
            m_txMutex->Unlock();
        } else if (written <= 0) {
            Sleep(10);   // the port took nothing: retry later, not in a tight loop
        }
    }
    // The stop event is left set: the receive thread may still have to see it.
    return 0;
}
