// Records every Modbus request the program puts on a wire while the object lives: each
// frame written to a serial port (WriteFile) and each sent on a socket (send), through
// patches of the program's imports, in the order the writes began. A test marks the moment
// a command returned and asks which requests began after it. One at a time.
#pragma once
#include <windows.h>

#include "tests/support/ImportPatch.h"

#include <atomic>
#include <vector>

namespace testing_support {

struct WireRequest
{
    long order;      // 1 for the first write seen
    int tcpPort;     // the far end's port; 0 for a serial port
    int unit;        // the request's unit id
};

class WireRequests
{
public:
    WireRequests();
    ~WireRequests();
    WireRequests(const WireRequests&) = delete;
    WireRequests& operator=(const WireRequests&) = delete;

    bool Installed() const { return m_writeFile.Installed() && m_send.Installed(); }
    // The order of the last write begun so far: every later one began after this call.
    long Mark() const { return m_order; }
    // The requests whose write began after `mark`.
    std::vector<WireRequest> After(long mark) const;

private:
    static BOOL WINAPI WriteFile(HANDLE file, LPCVOID data, DWORD length, LPDWORD written, LPOVERLAPPED overlapped);
    static int WINAPI Send(SOCKET socket, const char* data, int length, int flags);
    void Record(int tcpPort, int unit);

    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::atomic<long> m_order{0};
    std::vector<WireRequest> m_requests;
    ImportPatch m_writeFile;
    ImportPatch m_send;
};

} // namespace testing_support
