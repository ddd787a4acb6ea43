// One programming run of the loader's programming thread against the test bootloader,
// for tools/bench-loader. Usage: LoaderBench LABEL FILE.qvz COM PASS_THROUGH_ADDRESS
// (0: no pass-through). Prints the run's log lines to stderr and one "RESULT" line with
// the measured times, the protocol's floor for the same file and the process CPU time.
#include "framework/FrameworkBase.h"
#include "loader/FirmwareFile.h"
#include "loader/ProgrammingSettings.h"
#include "loader/ProgrammingThread.h"
#include "tests/loader/UnixProcessTimes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
const double kBaud = 9600.0;
const double kBitsPerByte = 10.0;            // 8N1: the byte protocol
const double kBitsPerByteTwoStops = 11.0;    // 8N2: the pass-through request
const double kOpenPauseS = 1.0;              // after opening the port
const double kMeterPauseS = 0.3;             // after a meter answered
const double kPassThroughSilenceS = 0.020;   // the reply is read until this silence
const int kPassThroughFrameBytes = 4;        // unit, function, CRC; answered in kind
const DWORD kRunLimitMs = 15 * 60 * 1000;

double Seconds(LONGLONG ticks, LONGLONG frequency)
{
    return static_cast<double>(ticks) / static_cast<double>(frequency);
}

double ProcessCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    auto toSeconds = [](const FILETIME& time) {
        ULARGE_INTEGER value;
        value.LowPart = time.dwLowDateTime;
        value.HighPart = time.dwHighDateTime;
        return static_cast<double>(value.QuadPart) / 1e7;
    };
    return toSeconds(kernel) + toSeconds(user);
}

HWND CreateSink()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "LoaderBenchSink";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}
}

int main(int argc, char** argv)
{
    if (argc != 5)
    {
        std::fprintf(stderr, "usage: LoaderBench LABEL FILE.qvz COM PASS_THROUGH_ADDRESS\n");
        return 2;
    }
    const char* label = argv[1];
    ProgrammingSettings settings;
    settings.firmwarePath = argv[2];
    settings.comPort = std::atoi(argv[3]);
    settings.passThroughAddress = std::atoi(argv[4]);

    FirmwareFile file;
    if (!file.Open(settings.firmwarePath) || file.Load(settings.headerText, settings.records) < 0)
    {
        std::fprintf(stderr, "LoaderBench: %s: %s\n", argv[2], (LPCTSTR)file.GetErrorText());
        return 1;
    }
    settings.productId = static_cast<int>(file.GetProductId());
    file.Close();

    // The protocol's floor: every byte on the wire, plus the waits it prescribes.
    const double byteS = kBitsPerByte / kBaud;
    double recordsWireS = 0.0;
    for (const FirmwareRecord& record : settings.records)
        recordsWireS += (record.dataSize + 2 + 1) * byteS;   // frame out, reply back
    recordsWireS += byteS;                                   // final status
    double setupWireS = 2 * byteS;                           // one attention, one answer
    double waitsS = kOpenPauseS;
    if (settings.IsMeter())
        waitsS += kMeterPauseS;
    if (settings.passThroughAddress != 0)
    {
        setupWireS += 2 * kPassThroughFrameBytes * kBitsPerByteTwoStops / kBaud;
        waitsS += kPassThroughSilenceS;
    }

    HWND sink = CreateSink();
    if (sink == nullptr)
    {
        std::fprintf(stderr, "LoaderBench: no message window\n");
        return 1;
    }

    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> progressTimes;
    progressTimes.reserve(settings.records.size());
    double startedAt = -1.0, endedAt = -1.0;
    // CPU while the port is open and idle: from Start to the search's first log line,
    // which follows the 1,000 ms pause (and, for a meter, the pass-through request).
    double searchAt = -1.0, cpuAtSearch = 0.0;
    // The same span as Linux counts it, with the wineserver's share (-1: not readable).
    using loader_testing::UnixProcessTimes;
    const std::string server = UnixProcessTimes::WineServerPid();
    double serverMsAtSearch = -1.0;
    double cpuAtStarted = 0.0, cpuAtEnd = 0.0;
    int failedCode = 0;
    bool done = false, failed = false;

    ProgrammingThread thread;
    const double cpuBefore = ProcessCpuSeconds();
    const double serverMsBefore = server.empty() ? -1.0 : UnixProcessTimes::CpuMs(server);
    QueryPerformanceCounter(&start);
    if (!thread.Start(sink, settings))
    {
        std::fprintf(stderr, "LoaderBench: the programming thread did not start\n");
        return 1;
    }
    const DWORD deadline = GetTickCount() + kRunLimitMs;
    while (!done && !failed && static_cast<LONG>(deadline - GetTickCount()) > 0)
    {
        // Sleeps until a message comes: the main thread adds no load of its own.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_POSTMESSAGE);
        MSG message;
        while (PeekMessageA(&message, sink, 0, 0, PM_REMOVE))
        {
            QueryPerformanceCounter(&now);
            const double t = Seconds(now.QuadPart - start.QuadPart, frequency.QuadPart);
            switch (message.message)
            {
            case WM_APP_LOAD_LOG:
            {
                char* text = reinterpret_cast<char*>(message.wParam);
                if (searchAt < 0 && std::strstr(text, "Searching for QV control") != nullptr)
                {
                    searchAt = t;
                    cpuAtSearch = ProcessCpuSeconds();
                    if (serverMsBefore >= 0)
                        serverMsAtSearch = UnixProcessTimes::CpuMs(server);
                }
                std::fprintf(stderr, "%s: %s\n", label, text);
                delete[] text;
                break;
            }
            case WM_APP_LOAD_STARTED:
                startedAt = t;
                cpuAtStarted = ProcessCpuSeconds();
                break;
            case WM_APP_LOAD_PROGRESS:
                progressTimes.push_back(t);
                break;
            case WM_APP_LOAD_DONE:
                done = true;
                endedAt = t;
                cpuAtEnd = ProcessCpuSeconds();
                break;
            case WM_APP_LOAD_FAILED:
                failed = true;
                failedCode = static_cast<int>(message.wParam);
                endedAt = t;
                break;
            default:
                break;
            }
        }
    }
    // Lets the thread log its last lines and close the port before the CPU time is taken.
    thread.Stop(done ? 5000 : 0);
    const double cpuS = ProcessCpuSeconds() - cpuBefore;
    QueryPerformanceCounter(&now);
    const double wallS = Seconds(now.QuadPart - start.QuadPart, frequency.QuadPart);
    MSG message;
    while (PeekMessageA(&message, sink, 0, 0, PM_REMOVE))
    {
        if (message.message == WM_APP_LOAD_LOG)
        {
            char* text = reinterpret_cast<char*>(message.wParam);
            std::fprintf(stderr, "%s: %s\n", label, text);
            delete[] text;
        }
    }
    DestroyWindow(sink);

    // Time per accepted record, from the previous acceptance (the first from the start).
    std::vector<double> perRecord;
    double previous = startedAt;
    for (double t : progressTimes)
    {
        perRecord.push_back(t - previous);
        previous = t;
    }
    std::sort(perRecord.begin(), perRecord.end());
    const double medianMs = perRecord.empty() ? 0.0 : perRecord[perRecord.size() / 2] * 1e3;
    const double p99Ms =
        perRecord.empty() ? 0.0 : perRecord[std::min(perRecord.size() - 1, perRecord.size() * 99 / 100)] * 1e3;

    const char* outcome = done ? "ok" : failed ? "failed" : "timeout";
    const double recordsS = (startedAt >= 0 && endedAt >= 0) ? endedAt - startedAt : 0.0;
    const double totalS = endedAt >= 0 ? endedAt : wallS;
    std::printf("RESULT %s outcome=%s code=%d records=%u accepted=%u product=%d total_s=%.3f records_s=%.3f "
                "floor_total_s=%.3f floor_records_s=%.3f waits_s=%.3f median_ms=%.3f p99_ms=%.3f "
                "cpu_s=%.3f wall_s=%.3f idle_s=%.3f idle_cpu_s=%.3f idle_server_s=%.3f records_cpu_s=%.3f\n",
                label, outcome, failedCode, static_cast<unsigned>(settings.records.size()),
                static_cast<unsigned>(progressTimes.size()), settings.productId, totalS, recordsS,
                setupWireS + waitsS + recordsWireS, recordsWireS, waitsS, medianMs, p99Ms, cpuS, wallS,
                searchAt, searchAt >= 0 ? cpuAtSearch - cpuBefore : 0.0,
                serverMsAtSearch >= 0 ? (serverMsAtSearch - serverMsBefore) / 1e3 : -1.0, done ? cpuAtEnd - cpuAtStarted : 0.0);
    std::fflush(stdout);
    return done ? 0 : 1;
}
