// The floor Wine allows: the benchmark's request/response loop written directly on
// Winsock and on the Win32 serial API, with no framework and no Modbus layer. The frames
// are built once before the loop; replies are read by their known length.
// Usage: RawFloor tcp|tcpshared PORT COUNT, or RawFloor rtu|ascii COM COUNT; tcpshared
// connects, exchanges and closes for every exchange, as a shared link does.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
typedef std::vector<unsigned char> Bytes;

struct Operation
{
    const char* name;
    Bytes pdu;            // unit id + PDU
    size_t replyLength;   // unit id + PDU of the reply
};

std::vector<Operation> Operations()
{
    return {{"read1", {1, 3, 0, 0, 0, 1}, 5},
            {"read10", {1, 3, 0, 0, 0, 10}, 23},
            {"read125", {1, 3, 0, 0, 0, 125}, 253},
            {"write", {1, 6, 0, 200, 0x12, 0x34}, 6}};
}

unsigned Crc16(const Bytes& data)
{
    unsigned crc = 0xFFFF;
    for (unsigned char byte : data)
    {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

Bytes RtuFrame(const Bytes& pdu)
{
    Bytes frame = pdu;
    const unsigned crc = Crc16(pdu);
    frame.push_back(static_cast<unsigned char>(crc & 0xFF));
    frame.push_back(static_cast<unsigned char>(crc >> 8));
    return frame;
}

Bytes AsciiFrame(const Bytes& pdu)
{
    static const char digits[] = "0123456789ABCDEF";
    unsigned sum = 0;
    std::string text = ":";
    Bytes withLrc = pdu;
    for (unsigned char byte : pdu)
        sum += byte;
    withLrc.push_back(static_cast<unsigned char>(-static_cast<int>(sum) & 0xFF));
    for (unsigned char byte : withLrc)
    {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    text += "\r\n";
    return Bytes(text.begin(), text.end());
}

Bytes TcpFrame(const Bytes& pdu)
{
    Bytes frame(6 + pdu.size(), 0);
    frame[5] = static_cast<unsigned char>(pdu.size());
    std::copy(pdu.begin(), pdu.end(), frame.begin() + 6);
    return frame;
}

// Sends the frame and reads replyBytes; false on any failure.
typedef bool (*Exchange)(void* channel, const Bytes& frame, unsigned char* reply, size_t replyBytes);

bool TcpExchange(void* channel, const Bytes& frame, unsigned char* reply, size_t replyBytes)
{
    SOCKET socket = *static_cast<SOCKET*>(channel);
    if (send(socket, reinterpret_cast<const char*>(frame.data()), static_cast<int>(frame.size()), 0) !=
        static_cast<int>(frame.size()))
        return false;
    size_t got = 0;
    while (got < replyBytes)
    {
        const int n = recv(socket, reinterpret_cast<char*>(reply + got), static_cast<int>(replyBytes - got), 0);
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

sockaddr_in LoopbackAddress(int port)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// The channel of a reconnecting exchange: the port to connect to.
bool TcpReconnectExchange(void* channel, const Bytes& frame, unsigned char* reply, size_t replyBytes)
{
    const sockaddr_in address = LoopbackAddress(*static_cast<int*>(channel));
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return false;
    const bool done = connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                      TcpExchange(&socket, frame, reply, replyBytes);
    closesocket(socket);
    return done;
}

bool SerialExchange(void* channel, const Bytes& frame, unsigned char* reply, size_t replyBytes)
{
    HANDLE port = *static_cast<HANDLE*>(channel);
    DWORD written = 0;
    if (!WriteFile(port, frame.data(), static_cast<DWORD>(frame.size()), &written, nullptr) ||
        written != frame.size())
        return false;
    size_t got = 0;
    while (got < replyBytes)
    {
        DWORD n = 0;
        if (!ReadFile(port, reply + got, static_cast<DWORD>(replyBytes - got), &n, nullptr) || n == 0)
            return false;
        got += n;
    }
    return true;
}

void Measure(const char* transport, const Operation& operation, const Bytes& frame, size_t replyBytes,
             int count, Exchange exchange, void* channel)
{
    LARGE_INTEGER frequency, start, end, runStart, runEnd;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times(static_cast<size_t>(count));
    std::vector<unsigned char> reply(replyBytes);
    int errors = 0;
    QueryPerformanceCounter(&runStart);
    for (int i = 0; i < count; ++i)
    {
        QueryPerformanceCounter(&start);
        if (!exchange(channel, frame, reply.data(), replyBytes))
            ++errors;
        QueryPerformanceCounter(&end);
        times[static_cast<size_t>(i)] =
            static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
    }
    QueryPerformanceCounter(&runEnd);
    std::sort(times.begin(), times.end());
    const double seconds =
        static_cast<double>(runEnd.QuadPart - runStart.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("RESULT floor %s %s %d %d %.1f %.1f %.1f\n", transport, operation.name, count, errors,
                times[times.size() / 2], times[std::min(times.size() - 1, times.size() * 99 / 100)],
                count / seconds);
    std::fflush(stdout);
}
}

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: RawFloor tcp|tcpshared|rtu|ascii PORT|COM COUNT\n");
        return 2;
    }
    const std::string transport = argv[1];
    const int port = std::atoi(argv[2]);
    const int count = std::atoi(argv[3]);
    if (count < 1)
        return 2;

    if (transport == "tcp" || transport == "tcpshared")
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        if (transport == "tcpshared")
        {
            int target = port;
            for (const Operation& operation : Operations())
                Measure("tcpshared", operation, TcpFrame(operation.pdu), operation.replyLength + 6, count,
                        TcpReconnectExchange, &target);
            WSACleanup();
            return 0;
        }
        SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        const sockaddr_in address = LoopbackAddress(port);
        if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        {
            std::fprintf(stderr, "RawFloor: no connection to port %d\n", port);
            return 1;
        }
        for (const Operation& operation : Operations())
            Measure("tcp", operation, TcpFrame(operation.pdu), operation.replyLength + 6, count, TcpExchange,
                    &socket);
        closesocket(socket);
        WSACleanup();
        return 0;
    }

    const std::string name = "\\\\.\\COM" + std::to_string(port);
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
    {
        std::fprintf(stderr, "RawFloor: %s does not open\n", name.c_str());
        return 1;
    }
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    GetCommState(handle, &dcb);
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    SetCommState(handle, &dcb);
    // Reads wait for the bytes asked for, up to a second; no interval time-out.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadTotalTimeoutConstant = 1000;
    timeouts.WriteTotalTimeoutConstant = 1000;
    SetCommTimeouts(handle, &timeouts);
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    const bool ascii = transport == "ascii";
    for (const Operation& operation : Operations())
    {
        const Bytes frame = ascii ? AsciiFrame(operation.pdu) : RtuFrame(operation.pdu);
        const size_t replyBytes = ascii ? 2 * (operation.replyLength + 1) + 3 : operation.replyLength + 2;
        Measure(transport.c_str(), operation, frame, replyBytes, count, SerialExchange, &handle);
    }
    CloseHandle(handle);
    return 0;
}
