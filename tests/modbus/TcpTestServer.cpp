#include "tests/modbus/TcpTestServer.h"

#include <ws2tcpip.h>

namespace tcp_test {

namespace {

const long kPollMicroseconds = 50 * 1000;

SOCKET ListenOnLoopback(int backlog, unsigned short& port)
{
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener == INVALID_SOCKET)
        return INVALID_SOCKET;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int size = sizeof(address);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == SOCKET_ERROR ||
        ::listen(listener, backlog) == SOCKET_ERROR ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) == SOCKET_ERROR) {
        ::closesocket(listener);
        return INVALID_SOCKET;
    }
    port = ::ntohs(address.sin_port);
    return listener;
}

bool WaitReadable(SOCKET socket, long microseconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval tv = {0, microseconds};
    return ::select(0, &readable, nullptr, nullptr, &tv) > 0;
}

} // namespace

WinsockScope::WinsockScope()
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
}

WinsockScope::~WinsockScope()
{
    ::WSACleanup();
}

TcpTestServer::TcpTestServer(Responder responder) : m_responder(std::move(responder))
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = ListenOnLoopback(SOMAXCONN, m_port);
    if (m_listener != INVALID_SOCKET)
        m_thread = std::thread([this] { Run(); });
}

TcpTestServer::~TcpTestServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener != INVALID_SOCKET)
        ::closesocket(m_listener);
    ::WSACleanup();
}

std::vector<RecordedRequest> TcpTestServer::Requests()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

Bytes TcpTestServer::Frame(const Bytes& unitAndPdu)
{
    Bytes frame(6 + unitAndPdu.size(), 0);
    frame[4] = static_cast<unsigned char>(unitAndPdu.size() >> 8);
    frame[5] = static_cast<unsigned char>(unitAndPdu.size() & 0xFF);
    for (size_t i = 0; i < unitAndPdu.size(); ++i)
        frame[6 + i] = unitAndPdu[i];
    return frame;
}

ServerReply TcpTestServer::RegisterAnswer(const Bytes& request)
{
    const int count = request[10] * 256 + request[11];
    Bytes pdu = {request[6], request[7], static_cast<unsigned char>(2 * count)};
    for (int k = 0; k < count; ++k) {
        pdu.push_back(0x01);
        pdu.push_back(static_cast<unsigned char>(k));
    }
    return Answer(pdu);
}

void TcpTestServer::Run()
{
    // One client at a time: the links under test hold at most one connection each.
    while (!m_stop) {
        if (!WaitReadable(m_listener, kPollMicroseconds))
            continue;
        sockaddr_in peer = {};
        int size = sizeof(peer);
        SOCKET client = ::accept(m_listener, reinterpret_cast<sockaddr*>(&peer), &size);
        if (client == INVALID_SOCKET)
            continue;
        ++m_connections;
        Serve(client, ::ntohs(peer.sin_port));
        ::closesocket(client);
    }
}

void TcpTestServer::Serve(SOCKET client, unsigned short clientPort)
{
    while (!m_stop) {
        Bytes frame(6);
        size_t have = 0;
        size_t want = 6;
        while (have < want) {
            if (m_stop)
                return;
            if (!WaitReadable(client, kPollMicroseconds))
                continue;
            const int got = ::recv(client, reinterpret_cast<char*>(frame.data() + have),
                                   static_cast<int>(want - have), 0);
            if (got <= 0)
                return;
            have += static_cast<size_t>(got);
            if (have == 6 && want == 6) {
                want = 6 + frame[4] * 256 + frame[5];
                frame.resize(want);
            }
        }
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_requests.push_back(RecordedRequest{frame, clientPort});
        }
        const ServerReply reply = m_responder(frame);
        if (reply.delayMs > 0)
            ::Sleep(reply.delayMs);
        if (!reply.bytes.empty())
            ::send(client, reinterpret_cast<const char*>(reply.bytes.data()),
                   static_cast<int>(reply.bytes.size()), 0);
        if (reply.closeAfter)
            return;
    }
}

BlackHoleListener::BlackHoleListener()
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = ListenOnLoopback(0, m_port);
    if (m_listener == INVALID_SOCKET)
        return;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    address.sin_port = ::htons(m_port);
    // Connect without accepting until one connect stays unanswered.
    for (int attempt = 0; attempt < 16 && !m_ready; ++attempt) {
        SOCKET filler = ::socket(AF_INET, SOCK_STREAM, 0);
        if (filler == INVALID_SOCKET)
            return;
        m_fillers.push_back(filler);
        u_long nonBlocking = 1;
        ::ioctlsocket(filler, FIONBIO, &nonBlocking);
        ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(filler, &writable);
        timeval tv = {0, 300 * 1000};
        if (::select(0, nullptr, &writable, nullptr, &tv) == 0)
            m_ready = true;
    }
}

BlackHoleListener::~BlackHoleListener()
{
    for (SOCKET filler : m_fillers)
        ::closesocket(filler);
    if (m_listener != INVALID_SOCKET)
        ::closesocket(m_listener);
    ::WSACleanup();
}

unsigned short UnusedLoopbackPort()
{
    unsigned short port = 0;
    SOCKET listener = ListenOnLoopback(1, port);
    if (listener != INVALID_SOCKET)
        ::closesocket(listener);
    return port;
}

} // namespace tcp_test
