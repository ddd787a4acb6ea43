// A scripted Modbus/TCP peer on 127.0.0.1 for the TCP link tests: it records every
// request frame with the client's port and answers each with what the test's responder
// returns, so that tests control every byte on the wire.
#pragma once
#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tcp_test {

using Bytes = std::vector<unsigned char>;

// Winsock for the lifetime of a test.
class WinsockScope
{
public:
    WinsockScope();
    ~WinsockScope();
};

struct ServerReply {
    Bytes bytes;                 // sent as they are (header included)
    bool closeAfter = false;     // drop the connection after sending
    DWORD delayMs = 0;           // wait before sending
};

struct RecordedRequest {
    Bytes frame;                 // header and PDU as received
    unsigned short clientPort = 0;
};

class TcpTestServer
{
public:
    using Responder = std::function<ServerReply(const Bytes& frame)>;

    explicit TcpTestServer(Responder responder);
    ~TcpTestServer();
    TcpTestServer(const TcpTestServer&) = delete;
    TcpTestServer& operator=(const TcpTestServer&) = delete;

    unsigned short Port() const { return m_port; }
    int Connections() const { return m_connections; }
    std::vector<RecordedRequest> Requests();

    // Frame helpers: a Modbus/TCP frame with transaction and protocol id 0.
    static Bytes Frame(const Bytes& unitAndPdu);
    static ServerReply Answer(const Bytes& unitAndPdu) { return ServerReply{Frame(unitAndPdu)}; }
    // Echoes a function-3/4 request with count words of value 0x0100 + index.
    static ServerReply RegisterAnswer(const Bytes& request);

private:
    void Run();
    void Serve(SOCKET client, unsigned short clientPort);

    Responder m_responder;
    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::mutex m_lock;
    std::vector<RecordedRequest> m_requests;
    std::thread m_thread;
};

// A loopback port whose accept queue is full, so that a further connect gets no answer:
// the nearest thing to a black-holed host that stays on loopback.
class BlackHoleListener
{
public:
    BlackHoleListener();
    ~BlackHoleListener();
    BlackHoleListener(const BlackHoleListener&) = delete;
    BlackHoleListener& operator=(const BlackHoleListener&) = delete;

    // False when the queue could not be filled (the system accepts everything).
    bool Ready() const { return m_ready; }
    unsigned short Port() const { return m_port; }

private:
    SOCKET m_listener = INVALID_SOCKET;
    std::vector<SOCKET> m_fillers;
    unsigned short m_port = 0;
    bool m_ready = false;
};

// A loopback port with nothing listening on it.
unsigned short UnusedLoopbackPort();

} // namespace tcp_test
