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
    // unreachable host cannot hold the caller indefinitely.
    void Connect(const sockaddr_in& remote, int timeoutSeconds);
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

    SOCKET m_socket = INVALID_SOCKET;
    // The receive time-out set on m_socket (0: none).
    int m_receiveWaitSeconds = 0;
};
