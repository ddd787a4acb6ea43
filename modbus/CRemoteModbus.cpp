#include "modbus/CRemoteModbus.h"

#include "framework/CSingleLock.h"
#include "modbus/CBlockingSocketException.h"

#include <cstring>

namespace {
// How the calling thread's last exchange ended; each thread reads only its own.
thread_local CModbus::EExchangeEnd t_lastExchangeEnd = CModbus::EXCHANGE_END_OTHER;
} // namespace

CRemoteModbus::CRemoteModbus() : CModbus(nullptr)
{
    ResetAddress(m_remoteAddress);
    ResetAddress(m_localAddress);
    m_rxBuffer.SetSize(kBufferSize);
    m_txBuffer.SetSize(kBufferSize);
}

CRemoteModbus::~CRemoteModbus()
{
    Close();
}

void CRemoteModbus::ResetAddress(sockaddr_in& address)
{
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = INADDR_NONE;
}

CString CRemoteModbus::GetErrorText(int code)
{
    switch (code) {
    case MODBUS_ERROR_BUFFER_OVERFLOW: return "Buffer Overflow";
    case MODBUS_ERROR_SOCKET: return "Socket Error";
    case MODBUS_ERROR_SOCKET_WRITE: return "Write Socket Error";
    case MODBUS_ERROR_SOCKET_READ: return "Read Socket Error";
    case MODBUS_ERROR_NOT_CONNECTED: return "Socket not connected";
    default: return CModbus::GetErrorText(code);
    }
}

BOOL CRemoteModbus::IsOpen()
{
    return m_remoteAddress.sin_addr.s_addr != INADDR_NONE;
}

BOOL CRemoteModbus::Connect(const char* host, WORD port, int timeoutMs, WORD localPort)
{
    const CString useHost = (host != nullptr && *host != '\0') ? CString(host) : m_host;
    const WORD usePort = port != 0 ? port : m_port;

    Close();
    CSingleLock lock(&m_mutex, TRUE);

    sockaddr_in remote = {};
    remote.sin_family = AF_INET;
    remote.sin_port = ::htons(usePort);
    remote.sin_addr.s_addr = ::inet_addr(useHost);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = ::htons(localPort);
    local.sin_addr.s_addr = INADDR_ANY;
    if (timeoutMs != 0)
        m_timeoutMs = timeoutMs;
    m_host = useHost;
    m_port = usePort;
    m_localPort = localPort;
    m_carried.clear();

    try {
        m_socket.Create(SOCK_STREAM);
        if (remote.sin_addr.s_addr == INADDR_NONE)
            remote = CBlockingSocket::GetHostByName(useHost, usePort);
        if (localPort != 0) {
            // Reconnecting every exchange binds this port again at once: an orderly
            // close would leave the same address pair in TIME_WAIT and the next
            // connect would fail, so the connection is reset when it closes.
            m_socket.SetAbortiveClose();
            m_socket.Bind(local);
        }
        // Never wait on an unreachable host longer than an exchange would. A connection
        // that serves one exchange stays non-blocking: fewer socket calls per exchange.
        const int connectSeconds = SocketWaitSeconds() > 0 ? SocketWaitSeconds() : 1;
        m_socket.Connect(remote, connectSeconds, m_reconnect != FALSE);
        m_socket.GetSockName(m_localAddress);
        m_remoteAddress = remote;
    } catch (const CBlockingSocketException&) {
        m_socket.Cleanup();
        ResetAddress(m_localAddress);
        return FALSE;
    }
    return TRUE;
}

int CRemoteModbus::Close()
{
    CSingleLock lock(&m_mutex, TRUE);
    if (!IsOpen())
        return 1;
    ResetAddress(m_remoteAddress);
    ResetAddress(m_localAddress);
    m_carried.clear();
    try {
        m_socket.Close();
    } catch (const CBlockingSocketException&) {
        m_socket.Cleanup();
        return 0;
    }
    return 1;
}

int CRemoteModbus::TxRxMessage(CByteArray& query, int queryLength, CByteArray& reply,
                               int expectedLength, int* receivedLength)
{
    CSingleLock lock(&m_mutex, TRUE);
    if (m_reconnect)
        Connect(nullptr, 0, 0, m_localPort);
    {
        CSingleLock cancelLock(&m_cancelLock, TRUE);
        if (!BeginExchange())
            return MODBUS_ERROR_READ;
        m_exchangeSocket = m_socket.GetHandle();
    }
    const int code = TransactTcp(query, queryLength, reply, expectedLength, receivedLength);
    CSingleLock cancelLock(&m_cancelLock, TRUE);
    m_exchangeSocket = INVALID_SOCKET;
    EndExchange();
    return code;
}

void CRemoteModbus::AbortExchange()
{
    if (m_exchangeSocket != INVALID_SOCKET)
        ::shutdown(m_exchangeSocket, SD_BOTH);
}

CModbus::EExchangeEnd CRemoteModbus::LastExchangeEnd()
{
    return t_lastExchangeEnd;
}

CModbus::EExchangeEnd CRemoteModbus::SocketFailureEnd(int socketError)
{
    switch (socketError) {
    case WSAETIMEDOUT:
        return EXCHANGE_END_TIMEOUT;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAESHUTDOWN:
    case WSAENOTCONN:
        return EXCHANGE_END_CLOSED;
    default:
        return EXCHANGE_END_OTHER;
    }
}

int CRemoteModbus::TransactTcp(CByteArray& query, int queryLength, CByteArray& reply,
                               int expectedLength, int* receivedLength)
{
    if (reply.GetSize() < expectedLength) {
        reply.SetSize(expectedLength);
        std::memset(reply.GetData(), 0, static_cast<size_t>(expectedLength));
    }
    t_lastExchangeEnd = EXCHANGE_END_OTHER;
    if (!IsOpen())
        return MODBUS_ERROR_NOT_CONNECTED;

    BYTE* tx = m_txBuffer.GetData();
    BYTE* rx = m_rxBuffer.GetData();
    std::memset(tx, 0, kBufferSize);
    std::memset(rx, 0, kBufferSize);
    if (queryLength < 0 || queryLength + kHeaderLength > kBufferSize ||
        queryLength > query.GetSize() || expectedLength + kHeaderLength > kBufferSize)
        return MODBUS_ERROR_BUFFER_OVERFLOW;

    // Transaction and protocol ids stay 0; the query's unit id completes the header.
    tx[4] = static_cast<BYTE>(queryLength >> 8);
    tx[5] = static_cast<BYTE>(queryLength & 0xFF);
    if (queryLength > 0)
        std::memcpy(tx + kHeaderLength, query.GetData(), static_cast<size_t>(queryLength));

    // What the last receive brought past its reply comes first.
    int have = static_cast<int>(m_carried.size());
    if (have > 0)
        std::memcpy(rx, m_carried.data(), static_cast<size_t>(have));
    m_carried.clear();

    const int seconds = SocketWaitSeconds();
    int length = 0;
    try {
        const int total = queryLength + kHeaderLength;
        if (m_socket.SendAll(reinterpret_cast<const char*>(tx), total, seconds) < total)
            return MODBUS_ERROR_SOCKET_WRITE;
        // Each receive asks for all the buffer holds, so header and body usually come
        // in one call.
        char* rxChars = reinterpret_cast<char*>(rx);
        while (have < kHeaderLength) {
            const int received = m_socket.Receive(rxChars + have, kBufferSize - have, seconds);
            if (received == 0) {
                t_lastExchangeEnd = EXCHANGE_END_CLOSED;
                return MODBUS_ERROR_SOCKET_READ;
            }
            have += received;
        }
        length = rx[5];
        if (kHeaderLength + length > kBufferSize)
            return MODBUS_ERROR_BUFFER_OVERFLOW;
        const int frameLength = kHeaderLength + length;
        while (have < frameLength) {
            const int received = m_socket.Receive(rxChars + have, kBufferSize - have, seconds);
            if (received == 0) {
                t_lastExchangeEnd = EXCHANGE_END_CLOSED;
                return MODBUS_ERROR_SOCKET_READ;
            }
            have += received;
        }
        if (have > frameLength) {
            // Kept for the next exchange; the reply is read as if they had not come.
            m_carried.assign(rx + frameLength, rx + have);
            std::memset(rx + frameLength, 0, static_cast<size_t>(have - frameLength));
        }
    } catch (const CBlockingSocketException& error) {
        t_lastExchangeEnd = SocketFailureEnd(error.GetErrorCode());
        CSingleLock cancelLock(&m_cancelLock, TRUE);
        m_exchangeSocket = INVALID_SOCKET;
        m_socket.Cleanup();
        return MODBUS_ERROR_SOCKET;
    }

    // An exception counts only as the refusal of this request: its unit and function; any
    // other frame is no reply to it.
    const int result = ReplyResult(query.GetData(), queryLength, rx + kHeaderLength, length);
    if (result == MODBUS_ERROR_INVALID_RESPONSE)
        return result;
    if (result >= MODBUS_EXCEPTION_BASE) {
        const BYTE exceptionCode = rx[8];
        // The offset maps codes above the threshold onto the transport's own codes; the
        // threshold itself would map onto 0, success, and keeps its exception.
        if (m_exceptionOffset && exceptionCode > m_exceptionThreshold)
            return exceptionCode - m_exceptionThreshold;
        return MODBUS_EXCEPTION_BASE | exceptionCode;
    }

    if (receivedLength != nullptr)
        *receivedLength = length;
    const int copyLength = expectedLength != 0 ? expectedLength : length;
    // Whatever arrives is taken: a reply longer than the caller's array enlarges it.
    if (reply.GetSize() < copyLength)
        reply.SetSize(copyLength);
    if (copyLength > 0)
        std::memcpy(reply.GetData(), rx + kHeaderLength, static_cast<size_t>(copyLength));
    return MODBUS_SUCCESS;
}
