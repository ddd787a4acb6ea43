#include "modbus/CBlockingSocket.h"

#include "modbus/CBlockingSocketException.h"

namespace {

timeval SecondsToTimeval(int seconds)
{
    timeval tv;
    tv.tv_sec = seconds;
    tv.tv_usec = 0;
    return tv;
}

void SetBlocking(SOCKET socket, bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    if (::ioctlsocket(socket, FIONBIO, &nonBlocking) == SOCKET_ERROR)
        throw CBlockingSocketException("could not connect socket");
}

} // namespace

CBlockingSocket::~CBlockingSocket()
{
    Cleanup();
}

void CBlockingSocket::Create(int type)
{
    ASSERT(m_socket == INVALID_SOCKET);
    m_socket = ::socket(AF_INET, type, 0);
    m_nonBlocking = false;
    m_receiveWaitSeconds = 0;
    m_sendWaitSeconds = 0;
    if (m_socket == INVALID_SOCKET)
        throw CBlockingSocketException("unable to create socket");
}

void CBlockingSocket::SetAbortiveClose()
{
    linger abortive;
    abortive.l_onoff = 1;
    abortive.l_linger = 0;
    if (::setsockopt(m_socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive),
                     sizeof(abortive)) == SOCKET_ERROR)
        throw CBlockingSocketException("Bind");
}

void CBlockingSocket::Bind(const sockaddr_in& local)
{
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == SOCKET_ERROR)
        throw CBlockingSocketException("Bind");
}

void CBlockingSocket::Connect(const sockaddr_in& remote, int timeoutSeconds, bool stayNonBlocking)
{
    if (timeoutSeconds <= 0) {
        if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&remote), sizeof(remote)) ==
            SOCKET_ERROR)
            throw CBlockingSocketException("could not connect socket");
        return;
    }
    SetBlocking(m_socket, false);
    m_nonBlocking = true;
    if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&remote), sizeof(remote)) ==
        SOCKET_ERROR) {
        const int error = ::WSAGetLastError();
        if (error != WSAEWOULDBLOCK)
            throw CBlockingSocketException("could not connect socket", error);
        WaitConnected(timeoutSeconds);
    }
    if (!stayNonBlocking) {
        SetBlocking(m_socket, true);
        m_nonBlocking = false;
    }
}

void CBlockingSocket::WaitConnected(int timeoutSeconds)
{
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(m_socket, &writable);
    FD_SET(m_socket, &failed);
    timeval tv = SecondsToTimeval(timeoutSeconds);
    const int ready = ::select(0, nullptr, &writable, &failed, &tv);
    if (ready == SOCKET_ERROR)
        throw CBlockingSocketException("could not connect socket");
    if (ready == 0)
        throw CBlockingSocketException("could not connect socket", WSAETIMEDOUT);
    // A failed connect is reported in the exception set only, so a writable socket
    // needs no further call.
    if (FD_ISSET(m_socket, &writable) && !FD_ISSET(m_socket, &failed))
        return;
    int error = 0;
    int size = sizeof(error);
    if (::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) ==
        SOCKET_ERROR)
        throw CBlockingSocketException("could not connect socket");
    throw CBlockingSocketException("could not connect socket", error != 0 ? error : WSAECONNREFUSED);
}

void CBlockingSocket::Close()
{
    if (m_socket == INVALID_SOCKET)
        return;
    const SOCKET socket = m_socket;
    m_socket = INVALID_SOCKET;
    if (::closesocket(socket) == SOCKET_ERROR)
        throw CBlockingSocketException("Close");
}

void CBlockingSocket::Cleanup()
{
    if (m_socket == INVALID_SOCKET)
        return;
    ::closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}

void CBlockingSocket::GetSockName(sockaddr_in& local)
{
    int size = sizeof(local);
    if (::getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &size) == SOCKET_ERROR)
        throw CBlockingSocketException("GetSockName");
}

sockaddr_in CBlockingSocket::GetHostByName(const char* name, USHORT port)
{
    const hostent* host = ::gethostbyname(name);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list[0] == nullptr)
        throw CBlockingSocketException("GetHostByName");
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(port);
    address.sin_addr = *reinterpret_cast<const in_addr*>(host->h_addr_list[0]);
    return address;
}

bool CBlockingSocket::WaitReady(bool forWrite, int timeoutSeconds)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(m_socket, &set);
    timeval tv = SecondsToTimeval(timeoutSeconds > 0 ? timeoutSeconds : 0);
    const bool unlimited = !forWrite && timeoutSeconds <= 0;
    const int ready = ::select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr,
                               unlimited ? nullptr : &tv);
    if (ready == SOCKET_ERROR)
        throw CBlockingSocketException(forWrite ? "Send" : "Receive");
    return ready != 0;
}

void CBlockingSocket::SetWaitOption(int option, int seconds, int& current, const char* step)
{
    if (seconds == current)
        return;
    const DWORD waitMs = static_cast<DWORD>(seconds) * 1000u;
    if (::setsockopt(m_socket, SOL_SOCKET, option, reinterpret_cast<const char*>(&waitMs),
                     sizeof(waitMs)) == SOCKET_ERROR)
        throw CBlockingSocketException(step);
    current = seconds;
}

int CBlockingSocket::Send(const char* data, int length, int timeoutSeconds)
{
    // A blocking socket waits by its send time-out, set once, instead of a select before
    // every send; no time-out means a poll, which only select gives. A non-blocking one
    // tries first and waits only when the send would block.
    if (m_nonBlocking) {
        const int sent = ::send(m_socket, data, length, 0);
        if (sent != SOCKET_ERROR)
            return sent;
        if (::WSAGetLastError() != WSAEWOULDBLOCK)
            throw CBlockingSocketException("Send");
        if (!WaitReady(true, timeoutSeconds))
            throw CBlockingSocketException("Send timeout", WSAETIMEDOUT);
    } else if (timeoutSeconds <= 0) {
        if (!WaitReady(true, 0))
            throw CBlockingSocketException("Send timeout", WSAETIMEDOUT);
    } else {
        SetWaitOption(SO_SNDTIMEO, timeoutSeconds, m_sendWaitSeconds, "Send");
    }
    const int sent = ::send(m_socket, data, length, 0);
    if (sent == SOCKET_ERROR) {
        if (::WSAGetLastError() == WSAETIMEDOUT)
            throw CBlockingSocketException("Send timeout", WSAETIMEDOUT);
        throw CBlockingSocketException("Send");
    }
    return sent;
}

int CBlockingSocket::Receive(char* data, int length, int timeoutSeconds)
{
    // A blocking socket waits by its receive time-out, set only when it changes, so a
    // receive costs one call; a non-blocking one reads what is there and waits in
    // select only when nothing is. 0 waits without limit.
    const int waitSeconds = timeoutSeconds > 0 ? timeoutSeconds : 0;
    if (m_nonBlocking) {
        const int received = ::recv(m_socket, data, length, 0);
        if (received != SOCKET_ERROR)
            return received;
        if (::WSAGetLastError() != WSAEWOULDBLOCK)
            throw CBlockingSocketException("Receive");
        if (!WaitReady(false, waitSeconds))
            throw CBlockingSocketException("Receive timeout", WSAETIMEDOUT);
    } else {
        SetWaitOption(SO_RCVTIMEO, waitSeconds, m_receiveWaitSeconds, "Receive");
    }
    const int received = ::recv(m_socket, data, length, 0);
    if (received == SOCKET_ERROR) {
        if (::WSAGetLastError() == WSAETIMEDOUT)
            throw CBlockingSocketException("Receive timeout");
        throw CBlockingSocketException("Receive");
    }
    return received;
}

int CBlockingSocket::SendAll(const char* data, int length, int timeoutSeconds)
{
    int total = 0;
    while (total < length)
        total += Send(data + total, length - total, timeoutSeconds);
    return total;
}

int CBlockingSocket::ReceiveAll(char* data, int length, int timeoutSeconds)
{
    if (length < 1)
        return 0;
    int total = 0;
    while (total < length) {
        const int received = Receive(data + total, length - total, timeoutSeconds);
        if (received == 0)
            break;
        total += received;
    }
    return total;
}
