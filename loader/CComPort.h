// Serial port for the loader's byte protocol. A receive thread moves arriving bytes into
// a bounded receive queue (the oldest are kept) and signals an event; a transmit thread writes the bytes the
// caller queued, one at a time and in order. The caller never touches the port handle.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMutex.h"

#include <deque>
#include <memory>

enum
{
    COMPORT_OK = 0,
    COMPORT_ERR_CLOSE = -1,
    COMPORT_ERR_OPEN = -2,
    COMPORT_ERR_SYNC = -3,
    COMPORT_ERR_CONFIG = -4,
    COMPORT_ERR_ACCESS = -5,
    COMPORT_ERR_THREAD = -6
};

class CComPort
{
public:
    static constexpr size_t RxQueueCapacity = 2048;
    static constexpr size_t TxQueueCapacity = 1024;

    CComPort();
    ~CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    // portName: "COM1".."COM9", or "\\.\COM10" and above. 8N1, no flow control; a baud
    // rate outside the standard list opens at 9600. Returns a COMPORT_ code.
    int Open(LPCTSTR portName, int baud);
    // Stops both threads, restores the port's earlier settings. 0 when not open.
    int Close();
    bool IsOpen() const { return m_port != INVALID_HANDLE_VALUE; }
    static LPCTSTR GetErrorText(int code);

    // Oldest received byte (0..255), or -1 when the queue is empty or its mutex was not
    // claimed in time. Never waits for data: wait on GetRxEvent() first.
    int GetByteFromRxBuffer(DWORD milliseconds);
    // Bytes received since the open while the queue was full (they are lost), or -1 when
    // the mutex was not claimed in time.
    long GetDroppedRxByteCount(DWORD milliseconds);
    // True when empty or when the mutex was not claimed in time.
    bool IsRxBufferEmpty(DWORD milliseconds);
    // Manual-reset event set whenever bytes were received; the caller resets it.
    HANDLE GetRxEvent() const { return m_rxEvent; }
    // Manual-reset event set while every queued byte has been written to the port.
    HANDLE GetTxWrittenEvent() const { return m_txWrittenEvent; }

    // False when the transmit queue is full or its mutex was not claimed in time.
    bool PutByte(BYTE byte, DWORD milliseconds);
    // Queues up to count bytes (cut to the room left); returns the number queued, -1 for
    // a negative count or no data, -2 when the mutex was not claimed in time.
    int PutBytes(const BYTE* data, int count, DWORD milliseconds);

    // One overlapped read or write, waiting for completion; used by the port threads. A
    // read returns what is there, else waits for the first byte (bounded by a time-out
    // that Wine does not apply). Returns the bytes moved (0 on a completion error or
    // time-out), -1 port closed, -2 no event, -3 the call failed at once.
    int ReadSpBytes(int count, BYTE* buffer);
    int WriteSpBytes(int count, const BYTE* data);

private:
    static DWORD WINAPI ReceiveThreadEntry(LPVOID param);
    static DWORD WINAPI TransmitThreadEntry(LPVOID param);
    DWORD ReceiveLoop();
    DWORD TransmitLoop();
    // Appends what fits to the receive queue, counts the rest as dropped, signals the event.
    void QueueReceived(const BYTE* bytes, int count);
    // The transmit queue was found empty; its mutex held.
    void MarkTransmitQueueEmpty();

    void StopThread(HANDLE& thread);
    void CloseSyncObjects();
    void ClearQueues();

    HANDLE m_port;
    DCB m_savedDcb;
    COMMTIMEOUTS m_savedTimeouts;
    bool m_haveSavedDcb;
    bool m_haveSavedTimeouts;
    HANDLE m_rxThread;
    HANDLE m_txThread;
    HANDLE m_stopEvent;
    std::deque<BYTE> m_rxQueue;
    long m_rxDropped;
    // Queue mutexes wait in user space: a record's exchange takes them several times, and
    // under Wine a kernel mutex costs a server round trip each time.
    std::unique_ptr<CMutex> m_rxMutex;
    HANDLE m_rxEvent;
    std::deque<BYTE> m_txQueue;
    std::unique_ptr<CMutex> m_txMutex;
    HANDLE m_txEvent;
    HANDLE m_txWrittenEvent;
    // Each thread's event for its overlapped transfers, made once per open.
    HANDLE m_rxTransferEvent;
    HANDLE m_txTransferEvent;
};
