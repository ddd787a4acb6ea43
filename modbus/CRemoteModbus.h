// Modbus/TCP transport: a blocking stream socket to a host and port; each query goes
// out behind the six MBAP header bytes and the reply is read by its length field.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CByteArray.h"
#include "framework/CString.h"
#include "modbus/CBlockingSocket.h"
#include "modbus/CModbus.h"

#include <vector>

class CRemoteModbus : public CModbus
{
public:
    CRemoteModbus();
    ~CRemoteModbus() override;

    CString GetErrorText(int code) override;
    // A socket time-out, or a connection the device closed or reset, of the calling
    // thread's last exchange (the codes, 1001 or 1003, do not tell them apart).
    EExchangeEnd LastExchangeEnd() override;
    // From a successful Connect until the next Close.
    BOOL IsOpen() override;
    int TxRxMessage(CByteArray& query, int queryLength, CByteArray& reply, int expectedLength,
                    int* receivedLength = nullptr) override;

    void SetTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }
    int GetTimeout() const { return m_timeoutMs; }
    void SetReconnectEachTransaction(BOOL reconnect) { m_reconnect = reconnect; }
    BOOL GetExceptionOffsetFlag() const { return m_exceptionOffset; }
    BYTE GetExceptionThreshold() const { return m_exceptionThreshold; }

    // Empty host, port 0 and time-out 0 keep the stored values; local port 0 binds
    // nothing. Closes first; FALSE on any socket failure.
    BOOL Connect(const char* host = nullptr, WORD port = 0, int timeoutMs = 0, WORD localPort = 0);
    // 1 on success, 0 when closing the socket failed.
    int Close();

protected:
    // Shuts the exchange's connection down, so that its wait for the reply ends at once.
    void AbortExchange() override;

private:
    // The exchange itself; the caller holds m_mutex.
    int TransactTcp(CByteArray& query, int queryLength, CByteArray& reply, int expectedLength,
                    int* receivedLength);

    // What a socket error says about the end of the exchange.
    static EExchangeEnd SocketFailureEnd(int socketError);

    enum { kHeaderLength = 6, kBufferSize = 1024 };

    int SocketWaitSeconds() const { return m_timeoutMs / 1000; }
    static void ResetAddress(sockaddr_in& address);

    BOOL m_reconnect = FALSE;
    CString m_host;
    WORD m_port = 502;
    int m_timeoutMs = 10000;
    BOOL m_exceptionOffset = TRUE;
    BYTE m_exceptionThreshold = 128;
    sockaddr_in m_remoteAddress;
    sockaddr_in m_localAddress;
    // Kept so that a reconnect binds the same local port again.
    WORD m_localPort = 0;
    CBlockingSocket m_socket;
    // The socket of the exchange under way (INVALID_SOCKET when none), under m_cancelLock:
    // it is closed only under that lock, so an abort never reaches a socket closed since.
    SOCKET m_exchangeSocket = INVALID_SOCKET;
    CByteArray m_rxBuffer;
    CByteArray m_txBuffer;
    // Bytes that came after the last reply in the same receive: the start of what the
    // next exchange reads, as if they had stayed in the socket.
    std::vector<BYTE> m_carried;
};
