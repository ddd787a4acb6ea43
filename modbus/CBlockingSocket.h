// A blocking stream or datagram socket whose sends and receives wait at most a given
// number of seconds. Every failure throws CBlockingSocketException.
#pragma once
#include "framework/FrameworkBase.h"

#include <winsock2.h>

class CBlockingSocket
{
public:
    CBlockingSocket() = default;
    virtual ~CBlockingSocket();

    CBlockingSocket(const CBlockingSocket&) = delete;
    CBlockingSocket& operator=(const CBlockingSocket&) = delete;

    void Create(int type = SOCK_STREAM);
    // Closing resets the connection instead of ending it orderly, so that no TIME_WAIT
    // keeps the local address busy afterwards.
    void SetAbortiveClose();
    void Bind(const sockaddr_in& local);
    // Waits at most timeoutSeconds for the connection (none when <= 0), so that an
    // unreachable host cannot hold the caller indefinitely. With stayNonBlocking the
    // socket is left in the non-blocking mode the wait needs and its sends and receives
    // wait in select: cheaper for a connection that serves one exchange than switching
    // back and setting the time-outs on it. (Under Wine a select now and then wakes
    // milliseconds late; an overlapped connect would not, but it needs a socket bound
    // to port 0 first, and with many closed connections in TIME_WAIT that bind grows
    // slow and can run out of ports, where connect reuses them.)
    void Connect(const sockaddr_in& remote, int timeoutSeconds, bool stayNonBlocking = false);
    void Close();
    // Closes without reporting errors; used on failure paths.
    void Cleanup();
    void GetSockName(sockaddr_in& local);
    static sockaddr_in GetHostByName(const char* name, USHORT port);

    virtual int Send(const char* data, int length, int timeoutSeconds);
    virtual int Receive(char* data, int length, int timeoutSeconds);
    int SendAll(const char* data, int length, int timeoutSeconds);
    int ReceiveAll(char* data, int length, int timeoutSeconds);

    SOCKET GetHandle() const { return m_socket; }
    bool IsCreated() const { return m_socket != INVALID_SOCKET; }

private:
    void WaitConnected(int timeoutSeconds);
    // Waits in select until the socket can be read (or written) or timeoutSeconds have
    // passed (<= 0: a read waits without limit, a write only polls); false on time-out.
    bool WaitReady(bool forWrite, int timeoutSeconds);
    // Sets SO_RCVTIMEO or SO_SNDTIMEO to seconds unless it holds that value already.
    void SetWaitOption(int option, int seconds, int& current, const char* step);

    SOCKET m_socket = INVALID_SOCKET;
    bool m_nonBlocking = false;
    // The receive and send time-outs set on m_socket (0: none).
    int m_receiveWaitSeconds = 0;
    int m_sendWaitSeconds = 0;
};
