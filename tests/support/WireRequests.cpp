#include <winsock2.h>

#include "tests/support/WireRequests.h"

#include <cctype>
#include <cstdlib>

namespace testing_support {

namespace {
std::atomic<WireRequests*> g_watching{nullptr};

using WriteFileFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
using SendFunction = int(WINAPI*)(SOCKET, const char*, int, int);
const auto g_writeFile = reinterpret_cast<WriteFileFunction>(
    reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "WriteFile")));
const auto g_send = reinterpret_cast<SendFunction>(
    reinterpret_cast<void*>(::GetProcAddress(::LoadLibraryA("ws2_32.dll"), "send")));

int HexByte(const BYTE* text)
{
    const char digits[3] = {static_cast<char>(text[0]), static_cast<char>(text[1]), 0};
    return std::isxdigit(text[0]) && std::isxdigit(text[1]) ? static_cast<int>(std::strtol(digits, nullptr, 16)) : -1;
}
} // namespace

WireRequests::WireRequests()
    : m_writeFile("kernel32.dll", "WriteFile", reinterpret_cast<void*>(&WireRequests::WriteFile)),
      m_send("ws2_32.dll", "send", reinterpret_cast<void*>(&WireRequests::Send))
{
    m_requests.reserve(1 << 16);
    g_watching = this;
}

WireRequests::~WireRequests()
{
    g_watching = nullptr;
}

void WireRequests::Record(int tcpPort, int unit)
{
    ::AcquireSRWLockExclusive(&m_lock);
    m_requests.push_back({++m_order, tcpPort, unit});
    ::ReleaseSRWLockExclusive(&m_lock);
}

std::vector<WireRequest> WireRequests::After(long mark) const
{
    std::vector<WireRequest> after;
    ::AcquireSRWLockShared(&m_lock);
    for (const WireRequest& request : m_requests)
        if (request.order > mark)
            after.push_back(request);
    ::ReleaseSRWLockShared(&m_lock);
    return after;
}

BOOL WINAPI WireRequests::WriteFile(HANDLE file, LPCVOID data, DWORD length, LPDWORD written, LPOVERLAPPED overlapped)
{
    // A serial port is a character device; files and pipes are not requests.
    WireRequests* watching = g_watching;
    if (watching != nullptr && length >= 4 && ::GetFileType(file) == FILE_TYPE_CHAR) {
        const BYTE* frame = static_cast<const BYTE*>(data);
        // An RTU frame begins with its unit id, an ASCII one with ':' and the id in hex.
        watching->Record(0, frame[0] == ':' ? HexByte(frame + 1) : frame[0]);
    }
    return g_writeFile(file, data, length, written, overlapped);
}

int WINAPI WireRequests::Send(SOCKET socket, const char* data, int length, int flags)
{
    // A Modbus/TCP frame: its 7-byte header ends with the unit id.
    WireRequests* watching = g_watching;
    if (watching != nullptr && length >= 8) {
        sockaddr_in peer = {};
        int size = sizeof(peer);
        const int port = ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &size) == 0 ? ntohs(peer.sin_port) : -1;
        watching->Record(port, static_cast<BYTE>(data[6]));
    }
    return g_send(socket, data, length, flags);
}

} // namespace testing_support
