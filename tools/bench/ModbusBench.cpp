// Round-trip times of our Modbus master against the test device, for tools/bench-modbus.
// Usage: ModbusBench tcp|tcpshared PORT COUNT, or ModbusBench rtu|ascii COM COUNT [STOPBITS]
// (the stop-bits code: 0 one, the default, 2 two as the program's links use).
// Prints one "RESULT" line per operation (times in microseconds). RTU replies end at their
// last byte, as their length is known.
#include "framework/FrameworkBase.h"
#include "modbus/CLocalModbus.h"
#include "modbus/CRemoteModbus.h"
#include "modbus/SharedLinks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace
{
const int kUnit = 1;
const int kWriteAddress = 200;

double Microseconds(LONGLONG ticks, LONGLONG frequency)
{
    return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency);
}

// Runs the exchange count times and prints its statistics.
void Measure(const char* transport, const char* operation, int count,
             const std::function<int(int)>& exchange)
{
    LARGE_INTEGER frequency, start, end, runStart, runEnd;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times(static_cast<size_t>(count));
    int errors = 0;
    int firstError = 0;
    QueryPerformanceCounter(&runStart);
    for (int i = 0; i < count; ++i)
    {
        QueryPerformanceCounter(&start);
        const int code = exchange(i);
        QueryPerformanceCounter(&end);
        times[static_cast<size_t>(i)] = Microseconds(end.QuadPart - start.QuadPart, frequency.QuadPart);
        if (code != MODBUS_SUCCESS && errors++ == 0)
            firstError = code;
    }
    QueryPerformanceCounter(&runEnd);
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const double p99 = times[std::min(times.size() - 1, times.size() * 99 / 100)];
    const double seconds = Microseconds(runEnd.QuadPart - runStart.QuadPart, frequency.QuadPart) / 1e6;
    std::printf("RESULT ours %s %s %d %d %.1f %.1f %.1f first_error=%d\n", transport, operation, count,
                errors, median, p99, count / seconds, firstError);
    std::fflush(stdout);
}

void MeasureAll(const char* transport, CModbus& link, int count)
{
    CWordArray words;
    for (WORD size : {1, 10, 125})
    {
        char operation[16];
        std::snprintf(operation, sizeof operation, "read%u", static_cast<unsigned>(size));
        Measure(transport, operation, count,
                [&](int) { return link.ReadHoldingRegisters(kUnit, 0, size, words); });
    }
    Measure(transport, "write", count,
            [&](int i) { return link.WriteSingleRegister(kUnit, kWriteAddress, i & 0xFFFF); });
}
}

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5)
    {
        std::fprintf(stderr, "usage: ModbusBench tcp|tcpshared|rtu|ascii PORT|COM COUNT [STOPBITS]\n");
        return 2;
    }
    const char* transport = argv[1];
    const int port = std::atoi(argv[2]);
    const int count = std::atoi(argv[3]);
    if (count < 1)
        return 2;
    // The links expect the program to have started Winsock.
    WSADATA winsock;
    if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0)
        return 1;

    if (std::strcmp(transport, "tcp") == 0)
    {
        CRemoteModbus link;
        if (!link.Connect("127.0.0.1", static_cast<WORD>(port), 2000))
        {
            std::fprintf(stderr, "ModbusBench: no connection to port %d\n", port);
            return 1;
        }
        MeasureAll(transport, link, count);
    }
    else if (std::strcmp(transport, "tcpshared") == 0)
    {
        try
        {
            auto shared = OpenSharedModbusTcp("127.0.0.1", port);
            MeasureAll(transport, *shared->m_link, count);
        }
        catch (const std::exception& error)
        {
            std::fprintf(stderr, "ModbusBench: %s\n", error.what());
            return 1;
        }
    }
    else
    {
        CLocalModbus link;
        link.SetComPort(port);
        link.SetMode(std::strcmp(transport, "ascii") == 0 ? CLocalModbus::MODE_ASCII
                                                          : CLocalModbus::MODE_RTU);
        link.SetTimeout(1000);
        if (argc == 5)
            link.SetStopBits(static_cast<BYTE>(std::atoi(argv[4])));
        if (!link.Open(0, 9600, 0))
        {
            std::fprintf(stderr, "ModbusBench: COM%d does not open\n", port);
            return 1;
        }
        MeasureAll(transport, link, count);
    }
    return 0;
}
