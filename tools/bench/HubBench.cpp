// Cost figures of the data hub next to bare floors, for tools/bench-hub.
// Usage:
//   HubBench dispatch ITEMS          value items through the second queue to display documents
//   HubBench poll PORT CYCLES        poll cycles of a 500-variable device over Modbus/TCP
//   HubBench xml FOLDER RECORDS      loading an XML log file
//   HubBench csv FOLDER MEGABYTES    reading a CSV log file
//   HubBench decode DEVICES_XML      decoding a downloaded on-device log buffer
//   HubBench locks PAIRS             the framework's mutexes and events, uncontended and between threads
// Every figure is one "RESULT name key=value ..." line; problems go to stderr and make
// the exit code non-zero.
#include <winsock2.h>

#include "framework/FrameworkBase.h"
#include "framework/CEvent.h"
#include "framework/CMutex.h"
#include "tools/bench/BenchClock.h"
#include "displays/CDocumentDisplay.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "documents/CPlotItemSimpleValue.h"
#include "documents/CStorageTime.h"
#include "documents/DeviceDescriptionReader.h"
#include "documents/StorageDispatcher_t.h"
#include "documents/CUtcTimestampParser.h"
#include "documents/TimeHelpers.h"
#include "documents/VariantHelpers.h"
#include "documents/logfiles/CLogFileInCsv.h"
#include "documents/logfiles/CLogFileInXml.h"
#include "documents/logfiles/CLogFileOutCsv.h"
#include "documents/logfiles/CsvLineFields_t.h"
#include "documents/logfiles/LogValueNumber.h"

#include <tinyxml.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
int g_failures = 0;

void Fail(const std::string& text)
{
    std::fprintf(stderr, "HubBench: %s\n", text.c_str());
    std::fflush(stderr);
    ++g_failures;
}

// A wall and CPU clock started together.
struct Stopwatch
{
    double wallStart = WallSeconds();
    double cpuStart = ProcessCpuSeconds();
    double Wall() const { return WallSeconds() - wallStart; }
    double Cpu() const { return ProcessCpuSeconds() - cpuStart; }
};

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// A display document that counts the value items it shows. With a variable id it holds
// one enabled entry for it and counts only what that entry matches, as a display does;
// with PLOT_ID_NONE it counts every value item. The done event is set when the count
// reaches the target.
class CountingDisplay : public CDocumentDisplay
{
public:
    CountingDisplay(int deviceId, int variableId) : m_matchEntry(variableId != PLOT_ID_NONE)
    {
        if (m_matchEntry)
            AddVariable(CTreeItem("Value", "V", static_cast<int>(STORAGE_TYPE_SIMPLE_VALUE), variableId, deviceId,
                                  "Value"));
    }

    bool OnStorage(const CStoragePtr& item) override
    {
        if (!item || item->GetType() != STORAGE_TYPE_SIMPLE_VALUE)
            return CDocumentDisplay::OnStorage(item);
        if (m_matchEntry)
        {
            int index = -1;
            const CPlotVariableId id(static_cast<int>(STORAGE_TYPE_SIMPLE_VALUE),
                                     static_cast<int>(item->GetVariableId()), item->GetSourceId());
            if (!FindEnabledEntryIndex(id, index))
                return false;
        }
        const long count = ++m_count;
        if (m_done != nullptr && count == m_target.load())
            SetEvent(m_done);
        return false;
    }

    void SetDoneEvent(HANDLE done) { m_done = done; }
    void Expect(long target) { m_target = target; }
    long Count() const { return m_count; }

private:
    bool m_matchEntry;
    HANDLE m_done = nullptr;
    std::atomic<long> m_target{-1};
    std::atomic<long> m_count{0};
};
typedef boost::shared_ptr<CountingDisplay> CountingDisplayPtr;

const DWORD RUN_WAIT_MS = 120000;

// --- Items through the dispatcher ---------------------------------------------------

const int DISPATCH_DEVICE_ID = 1;
const int DISPATCH_VARIABLE_ID = 7;

std::vector<CStoragePtr> ValueItemPool()
{
    std::vector<CStoragePtr> pool;
    for (int i = 0; i < 1024; ++i)
    {
        const COleVariant value(static_cast<float>(i) * 0.1f);
        pool.push_back(CStoragePtr(
            new CPlotItemSimpleValue(DISPATCH_DEVICE_ID, DISPATCH_VARIABLE_ID, value, "Battery Voltage", "V")));
    }
    return pool;
}

// The producer pushes as fast as it can; the time ends when the last display got the last item.
void DispatchThroughHub(int displayCount, long items, const std::vector<CStoragePtr>& pool)
{
    CDocumentManager manager;
    // Only our items flow: no ticks and no time items.
    manager.GetDispatcher().StopTimer();
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::vector<CountingDisplayPtr> displays;
    for (int i = 0; i < displayCount; ++i)
    {
        CountingDisplayPtr display(new CountingDisplay(DISPATCH_DEVICE_ID, DISPATCH_VARIABLE_ID));
        manager.AddDisplay(display);
        displays.push_back(display);
    }
    displays.back()->SetDoneEvent(done);
    displays.back()->Expect(items);

    StorageDispatcher_t& dispatcher = manager.GetDispatcher();
    const Stopwatch watch;
    for (long i = 0; i < items; ++i)
        dispatcher.PostToSecondQueue(pool[static_cast<size_t>(i) % pool.size()]);
    const double pushed = watch.Wall();
    const bool finished = WaitForSingleObject(done, RUN_WAIT_MS) == WAIT_OBJECT_0;
    const double seconds = watch.Wall();
    const double cpu = watch.Cpu();
    for (const CountingDisplayPtr& display : displays)
    {
        if (display->Count() != items)
            Fail("dispatch: a display counted " + std::to_string(display->Count()) + " of " +
                 std::to_string(items) + " items");
    }
    if (!finished)
        Fail("dispatch: the items did not all arrive in time");
    std::printf("RESULT dispatch displays=%d items=%ld seconds=%.4f rate=%.0f push_seconds=%.4f cpu_seconds=%.4f\n",
                displayCount, items, seconds, items / seconds, pushed, cpu);
    std::fflush(stdout);
    CloseHandle(done);
}

// The floor: the same items handed from this thread to another through a deque guarded by
// a critical section, with a manual-reset event set while the deque holds items.
struct BareQueue
{
    CRITICAL_SECTION lock;
    std::deque<CStoragePtr> items;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    long target = 0;
    long taken = 0;
};

DWORD WINAPI BareConsumer(LPVOID parameter)
{
    BareQueue& queue = *static_cast<BareQueue*>(parameter);
    while (queue.taken < queue.target)
    {
        if (WaitForSingleObject(queue.event, RUN_WAIT_MS) != WAIT_OBJECT_0)
            return 1;
        EnterCriticalSection(&queue.lock);
        if (queue.items.empty())
        {
            LeaveCriticalSection(&queue.lock);
            continue;
        }
        CStoragePtr item = queue.items.front();
        queue.items.pop_front();
        if (queue.items.empty())
            ResetEvent(queue.event);
        LeaveCriticalSection(&queue.lock);
        if (item)
            ++queue.taken;
    }
    SetEvent(queue.done);
    return 0;
}

void DispatchFloor(long items, const std::vector<CStoragePtr>& pool)
{
    BareQueue queue;
    InitializeCriticalSection(&queue.lock);
    queue.target = items;
    HANDLE consumer = CreateThread(nullptr, 0, &BareConsumer, &queue, 0, nullptr);
    const Stopwatch watch;
    for (long i = 0; i < items; ++i)
    {
        EnterCriticalSection(&queue.lock);
        queue.items.push_back(pool[static_cast<size_t>(i) % pool.size()]);
        SetEvent(queue.event);
        LeaveCriticalSection(&queue.lock);
    }
    const bool finished = WaitForSingleObject(queue.done, RUN_WAIT_MS) == WAIT_OBJECT_0;
    const double seconds = watch.Wall();
    const double cpu = watch.Cpu();
    if (!finished || queue.taken != items)
        Fail("dispatch floor: " + std::to_string(queue.taken) + " of " + std::to_string(items) + " items arrived");
    std::printf("RESULT dispatch_floor items=%ld seconds=%.4f rate=%.0f cpu_seconds=%.4f\n", items, seconds,
                items / seconds, cpu);
    std::fflush(stdout);
    WaitForSingleObject(consumer, RUN_WAIT_MS);
    CloseHandle(consumer);
    CloseHandle(queue.event);
    CloseHandle(queue.done);
    DeleteCriticalSection(&queue.lock);
}

// The queues and the dispatch thread alone: a target that counts, with no document list
// and no display behind it.
class CountingTarget : public IStorageDispatchTarget
{
public:
    CountingTarget(long target, HANDLE done) : m_target(target), m_done(done) {}
    void DispatchToDevices(StorageRun_t& run) override
    {
        for (CStoragePtr item; run.Next(item);) {
        }
    }
    void DispatchToDisplays(StorageRun_t& run) override
    {
        for (CStoragePtr item; run.Next(item);)
        {
            if (item && item->GetType() == STORAGE_TYPE_SIMPLE_VALUE && ++m_count == m_target)
                SetEvent(m_done);
        }
    }
    long Count() const { return m_count; }

private:
    long m_target;
    HANDLE m_done;
    std::atomic<long> m_count{0};
};

void DispatchThroughQueueOnly(long items, const std::vector<CStoragePtr>& pool)
{
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CountingTarget target(items, done);
    {
        StorageDispatcher_t dispatcher(&target);
        dispatcher.Start();
        dispatcher.StopTimer();
        const Stopwatch watch;
        for (long i = 0; i < items; ++i)
            dispatcher.PostToSecondQueue(pool[static_cast<size_t>(i) % pool.size()]);
        const bool finished = WaitForSingleObject(done, RUN_WAIT_MS) == WAIT_OBJECT_0;
        const double seconds = watch.Wall();
        if (!finished || target.Count() != items)
            Fail("dispatch: the bare target counted " + std::to_string(target.Count()) + " items");
        std::printf("RESULT dispatch_queue_only items=%ld seconds=%.4f rate=%.0f cpu_seconds=%.4f\n", items,
                    seconds, items / seconds, watch.Cpu());
        std::fflush(stdout);
        dispatcher.Shutdown();
    }
    CloseHandle(done);
}

// What one call on a kernel object costs here: every one is a request to the Wine server.
void KernelCallCosts()
{
    const int calls = 20000;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    Stopwatch watch;
    for (int i = 0; i < calls; ++i)
    {
        WaitForSingleObject(mutex, INFINITE);
        ReleaseMutex(mutex);
    }
    const double mutexSeconds = watch.Wall();
    watch = Stopwatch();
    for (int i = 0; i < calls; ++i)
        SetEvent(event);
    const double eventSeconds = watch.Wall();
    watch = Stopwatch();
    for (int i = 0; i < calls; ++i)
    {
        EnterCriticalSection(&section);
        LeaveCriticalSection(&section);
    }
    const double sectionSeconds = watch.Wall();
    std::printf("RESULT kernel_calls mutex_pair_us=%.3f set_event_us=%.3f critical_section_pair_us=%.4f\n",
                mutexSeconds * 1e6 / calls, eventSeconds * 1e6 / calls, sectionSeconds * 1e6 / calls);
    std::fflush(stdout);
    DeleteCriticalSection(&section);
    CloseHandle(mutex);
    CloseHandle(event);
}

int RunDispatch(long items)
{
    const std::vector<CStoragePtr> pool = ValueItemPool();
    DispatchFloor(items, pool);
    DispatchThroughHub(10, items, pool);
    DispatchThroughHub(1, items, pool);
    DispatchThroughQueueOnly(items, pool);
    DispatchFloor(items, pool);
    KernelCallCosts();
    return 0;
}

// --- Poll cycles of a 500-variable device -------------------------------------------

const int POLL_VARIABLES = 500;
const int POLL_BASE_ADDRESS = 0x1000;
const int POLL_UNIT = 1;
const DWORD CYCLE_WAIT_MS = 10000;

// Every fourth value scaled to a real, every tenth translated: the profile the script
// gives the test device holds the matching registers.
GenericDeviceDescription_t PollDescription()
{
    GenericDeviceDescription_t description;
    description.defaultName = "Bench device";
    description.defaultModbusAddr = POLL_UNIT;
    for (int i = 0; i < POLL_VARIABLES; ++i)
    {
        GenericVariable_t variable;
        variable.id = i + 1;
        variable.name = "Value " + std::to_string(i + 1);
        variable.description = variable.name;
        variable.units = "V";
        variable.addressLow = POLL_BASE_ADDRESS + i;
        variable.scaling = i % 4 == 0 ? 0.1 : 1.0;
        if (i % 10 == 3)
        {
            variable.hasTranslations = true;
            variable.translations = {{0, "Off"}, {1, "On"}, {2, "Fault"}};
            variable.defaultTranslation = "Unknown";
        }
        description.variables.push_back(variable);
    }
    return description;
}

// The requests one cycle makes: the poll range split as our TCP connection splits it.
std::vector<std::pair<int, int>> PollRequests()
{
    std::vector<std::pair<int, int>> requests;
    for (int done = 0; done < POLL_VARIABLES; done += MODBUS_MAX_READ_SMALL)
        requests.push_back(std::make_pair(POLL_BASE_ADDRESS + done, std::min(MODBUS_MAX_READ_SMALL, POLL_VARIABLES - done)));
    return requests;
}

SOCKET ConnectLoopback(int port)
{
    SOCKET link = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (link != INVALID_SOCKET && connect(link, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    {
        closesocket(link);
        return INVALID_SOCKET;
    }
    return link;
}

// One read holding registers exchange on a bare socket; the words into the image.
bool BareRead(SOCKET link, WORD transaction, int start, int count, WORD* image)
{
    const unsigned char request[12] = {static_cast<unsigned char>(transaction >> 8),
                                       static_cast<unsigned char>(transaction & 0xFF),
                                       0, 0, 0, 6, POLL_UNIT, 3,
                                       static_cast<unsigned char>(start >> 8),
                                       static_cast<unsigned char>(start & 0xFF),
                                       static_cast<unsigned char>(count >> 8),
                                       static_cast<unsigned char>(count & 0xFF)};
    if (send(link, reinterpret_cast<const char*>(request), sizeof request, 0) != static_cast<int>(sizeof request))
        return false;
    unsigned char reply[9 + 2 * 125];
    const int replyBytes = 9 + 2 * count;
    int got = 0;
    while (got < replyBytes)
    {
        const int n = recv(link, reinterpret_cast<char*>(reply + got), replyBytes - got, 0);
        if (n <= 0)
            return false;
        got += n;
    }
    if (reply[7] != 3 || reply[8] != 2 * count)
        return false;
    for (int i = 0; i < count; ++i)
        image[start + i] = static_cast<WORD>((reply[9 + 2 * i] << 8) | reply[10 + 2 * i]);
    return true;
}

void PrintCycles(const char* mode, int cycles, const Stopwatch& watch)
{
    const double wall = watch.Wall();
    const double cpu = watch.Cpu();
    std::printf("RESULT poll mode=%s cycles=%d cpu_ms=%.4f wall_ms=%.4f\n", mode, cycles, cpu * 1e3 / cycles,
                wall * 1e3 / cycles);
    std::fflush(stdout);
}

// The floor: the same requests on one persistent socket, and (for the breakdown) on a new
// connection for every request, as the hub's shared TCP link does.
void PollFloor(int port, int cycles, bool reconnect)
{
    std::vector<WORD> image(MODBUS_REGISTER_SPACE);
    const std::vector<std::pair<int, int>> requests = PollRequests();
    SOCKET link = reconnect ? INVALID_SOCKET : ConnectLoopback(port);
    if (!reconnect && link == INVALID_SOCKET)
    {
        Fail("poll floor: no connection to port " + std::to_string(port));
        return;
    }
    WORD transaction = 0;
    int errors = 0;
    const Stopwatch watch;
    for (int cycle = 0; cycle < cycles; ++cycle)
    {
        for (const std::pair<int, int>& request : requests)
        {
            if (reconnect)
                link = ConnectLoopback(port);
            if (link == INVALID_SOCKET || !BareRead(link, ++transaction, request.first, request.second, image.data()))
                ++errors;
            if (reconnect && link != INVALID_SOCKET)
            {
                closesocket(link);
                link = INVALID_SOCKET;
            }
        }
    }
    PrintCycles(reconnect ? "floor_reconnect" : "floor", cycles, watch);
    if (link != INVALID_SOCKET)
        closesocket(link);
    if (errors != 0)
        Fail("poll floor: " + std::to_string(errors) + " failed requests");
}

void PollThroughHub(int port, int cycles)
{
    CDocumentManager manager;
    manager.GetDispatcher().StopTimer();
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CountingDisplayPtr counter(new CountingDisplay(PLOT_ID_NONE, PLOT_ID_NONE));
    counter->SetDoneEvent(done);
    manager.AddDisplay(counter);

    const GenericDeviceDescription_t description = PollDescription();
    CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(1, 5, SKELDER_TYPE_NONE, &manager));
    device->ConfigureFromDescription(description);
    const boost::shared_ptr<CConnectionGeneric1> connection = device->GetGenericConnection();
    connection->SetSerial(false);
    connection->SetHost("127.0.0.1");
    connection->SetTcpPort(port);
    manager.AddDevice(device);
    try
    {
        connection->Connect();
    }
    catch (const std::exception& error)
    {
        Fail(std::string("poll: connect failed: ") + error.what());
        CloseHandle(done);
        return;
    }
    // The connect notice reaches the device on the dispatch thread; until then it is busy.
    for (int i = 0; i < 500 && device->IsBusy(); ++i)
        Sleep(10);

    long expected = 0;
    StorageQueue_t& firstQueue = manager.GetDispatcher().GetFirstQueue();
    // One cycle as the dispatcher runs it: a time item wakes the polling thread, whose 500
    // value items pass both queues; done when the display has the last of them.
    const auto cycle = [&](const std::function<void()>& start) {
        expected += POLL_VARIABLES;
        counter->Expect(expected);
        start();
        if (WaitForSingleObject(done, CYCLE_WAIT_MS) != WAIT_OBJECT_0)
        {
            Fail("poll: a cycle did not deliver its values (" + std::to_string(counter->Count()) + " of " +
                 std::to_string(expected) + ")");
            return false;
        }
        return true;
    };
    const auto timeItem = [&] { firstQueue.Push(CStoragePtr(new CStorageTime())); };

    bool ok = cycle(timeItem) && cycle(timeItem);   // warm-up
    {
        const Stopwatch watch;
        int run = 0;
        for (; ok && run < cycles; ++run)
            ok = cycle(timeItem);
        if (ok)
            PrintCycles("ours", cycles, watch);
    }
    const std::string messages = device->GetMessagesText();
    if (!messages.empty())
        Fail("poll: device messages: " + messages);

    // Where the time goes: the Modbus reads alone, through the connection on this thread.
    std::vector<WORD> image(MODBUS_REGISTER_SPACE);
    std::vector<BYTE> valid(MODBUS_REGISTER_SPACE);
    if (ok)
    {
        const std::list<std::pair<int, int>> ranges = connection->GetPollRanges();
        const Stopwatch watch;
        try
        {
            for (int run = 0; run < cycles; ++run)
            {
                for (const std::pair<int, int>& range : ranges)
                    connection->ReadRegisters(range.first, image.data() + range.first, range.second);
            }
            PrintCycles("reads_only", cycles, watch);
        }
        catch (const std::exception& error)
        {
            Fail(std::string("poll: reads failed: ") + error.what());
        }
    }
    // The conversion and both queues without the network.
    std::fill(valid.begin() + POLL_BASE_ADDRESS, valid.begin() + POLL_BASE_ADDRESS + POLL_VARIABLES, BYTE(1));
    if (ok)
    {
        const Stopwatch watch;
        for (int run = 0; ok && run < cycles; ++run)
            ok = cycle([&] { device->ConvertRegisterImage(image.data(), valid.data()); });
        if (ok)
            PrintCycles("convert_and_queues", cycles, watch);
    }
    connection->Disconnect();
    CloseHandle(done);

    // The conversion alone: a device without a manager makes its items and drops them.
    CDocumentDeviceGeneric1 lone(1, 5, SKELDER_TYPE_NONE, nullptr);
    lone.ConfigureFromDescription(description);
    {
        const Stopwatch watch;
        for (int run = 0; run < cycles; ++run)
            lone.ConvertRegisterImage(image.data(), valid.data());
        PrintCycles("convert_only", cycles, watch);
    }
    // The document id that every value item is stamped with, read without a lock.
    {
        const Stopwatch watch;
        for (int run = 0; run < cycles; ++run)
        {
            for (int i = 0; i < POLL_VARIABLES; ++i)
                lone.GetId();
        }
        PrintCycles("get_id_only", cycles, watch);
    }
}

int RunPoll(int port, int cycles)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    // The floors are cheap: more cycles, so that the CPU clock's ticks resolve them.
    PollFloor(port, 5 * cycles, false);
    PollFloor(port, 5 * cycles, true);
    PollThroughHub(port, cycles);
    PollFloor(port, 5 * cycles, false);
    WSACleanup();
    return 0;
}

// --- XML log load ---------------------------------------------------------------------

// The fields of a day record of an MPPT controller.
const int XML_FIRST_ID = 100;
const int XML_VALUES = 9;

CLogFileInXml::RecordList_t XmlRecords(int count)
{
    const COleDateTime retrieval = ParseUtcTimestamp("2024-06-01T12:00:00.000+00:00");
    const int retrievalHourmeter = 1000 + 24 * count;
    CLogFileInXml::RecordList_t records;
    for (int i = 0; i < count; ++i)
    {
        CLogFileInXml::log_file_record_t record;
        record.retrievalTime = retrieval;
        record.retrievalHourmeter = retrievalHourmeter;
        record.hourmeter = 1000 + 24 * i;
        for (int v = 0; v < XML_VALUES; ++v)
        {
            const double number = ((i * 37 + v * 101) % 100000) / 100.0;
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", number);
            record.values[XML_FIRST_ID + v] = std::make_pair(std::string(text), number);
        }
        records.push_back(record);
    }
    return records;
}

size_t FileBytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<size_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string ReadWholeFile(const std::string& path)
{
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return text;
    char buffer[65536];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, count);
    std::fclose(file);
    return text;
}

int RunXml(const std::string& folder, int count)
{
    const std::string path = folder + "\\hub-log.xml";
    {
        const Stopwatch watch;
        CLogFileInXml writer;
        writer.SetDevice(20, 8, 1);
        writer.MergeRecords(XmlRecords(count));
        writer.WriteFile(Widen(path).c_str());
        std::printf("RESULT xml_write records=%d bytes=%zu seconds=%.3f\n", count, FileBytes(path), watch.Wall());
    }

    // The floor first, so that both find the file in the page cache (a warm-up read too).
    ReadWholeFile(path);
    std::vector<double> floorTimes;
    for (int run = 0; run < 3; ++run)
    {
        const Stopwatch watch;
        {
            TiXmlDocument document;
            if (!document.LoadFile(path.c_str()))
                Fail("xml floor: LoadFile failed");
        }
        floorTimes.push_back(watch.Wall());
    }

    std::vector<double> openTimes, readTimes;
    size_t samplesRead = 0;
    for (int run = 0; run < 3; ++run)
    {
        CLogFileInXml reader;
        LogSampleStore_t samples;
        const Stopwatch watch;
        try
        {
            reader.Open(path.c_str());
            const double opened = watch.Wall();
            while (reader.ReadAndConvertRecord(samples))
            {
            }
            openTimes.push_back(opened);
            readTimes.push_back(watch.Wall() - opened);
        }
        catch (const std::exception& error)
        {
            Fail(std::string("xml: ") + error.what());
            return 1;
        }
        samplesRead = 0;
        for (const auto& column : samples)
            samplesRead += column.second.size();
    }
    if (samplesRead != static_cast<size_t>(count) * XML_VALUES)
        Fail("xml: " + std::to_string(samplesRead) + " samples read of " + std::to_string(count * XML_VALUES));

    // Where the time goes: reading the bytes, TinyXML's parse and tear-down, our records.
    const Stopwatch readWatch;
    const std::string text = ReadWholeFile(path);
    const double readSeconds = readWatch.Wall();
    double parseSeconds = 0, recordsSeconds = 0, freeSeconds = 0, copySeconds = 0;
    {
        TiXmlDocument* document = new TiXmlDocument;
        const Stopwatch parseWatch;
        document->Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
        parseSeconds = parseWatch.Wall();
        CLogFileInXml reader;
        const Stopwatch recordsWatch;
        reader.LoadDocument(*document);
        recordsSeconds = recordsWatch.Wall();
        // Each record is built and then copied into the list: the copy alone.
        const Stopwatch copyWatch;
        {
            const CLogFileInXml::RecordList_t copy = reader.GetRecords();
        }
        copySeconds = copyWatch.Wall();
        const Stopwatch freeWatch;
        delete document;
        freeSeconds = freeWatch.Wall();
    }
    // One time stamp parsed per record.
    const Stopwatch stampWatch;
    for (int i = 0; i < count; ++i)
        ParseUtcTimestamp("2024-06-01T12:00:00.000+00:00");
    const double stampSeconds = stampWatch.Wall();

    std::printf("RESULT xml records=%d bytes=%zu floor_seconds=%.4f open_seconds=%.4f read_seconds=%.4f "
                "file_read_seconds=%.4f parse_seconds=%.4f records_seconds=%.4f free_seconds=%.4f "
                "stamps_seconds=%.4f copy_seconds=%.4f\n",
                count, FileBytes(path), Median(floorTimes), Median(openTimes), Median(readTimes), readSeconds,
                parseSeconds, recordsSeconds, freeSeconds, stampSeconds, copySeconds);
    std::fflush(stdout);
    DeleteFileA(path.c_str());
    return 0;
}

// --- CSV log read -----------------------------------------------------------------------

const int CSV_COLUMNS = 16;

// "2024-01-DDTHH:MM:SS.000+00:00" for a number of seconds into January.
std::string JanuaryStamp(long seconds)
{
    char text[40];
    std::snprintf(text, sizeof text, "2024-01-%02ldT%02ld:%02ld:%02ld.000+00:00", 1 + seconds / 86400,
                  seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
    return text;
}

long WriteCsv(const std::string& path, unsigned long long bytes)
{
    std::vector<std::string> values;
    for (int i = 0; i < 1000; ++i)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", (i * 7919 % 100000) / 1000.0);
        values.push_back(text);
    }
    CLogFileOutCsv writer;
    for (int c = 0; c < CSV_COLUMNS; ++c)
        writer.AddColumn("Column " + std::to_string(c + 1), CPlotVariableId(PLOT_ITEM_TYPE_LOG_COLUMN, c, 1));
    if (!writer.Open(path.c_str()))
    {
        Fail("csv: unable to write " + path);
        return 0;
    }
    long lines = 0;
    // January has 2,678,400 seconds: far more lines than a 200 MB file holds.
    while (lines < 2600000)
    {
        for (int c = 0; c < CSV_COLUMNS; ++c)
            writer.SetValue(CPlotVariableId(PLOT_ITEM_TYPE_LOG_COLUMN, c, 1),
                            values[static_cast<size_t>(lines * 7 + c * 13) % values.size()]);
        if (!writer.WriteLine(JanuaryStamp(lines).c_str(), false))
        {
            Fail("csv: a line was not written");
            break;
        }
        ++lines;
        if (lines % 4096 == 0 && writer.GetFileSize() >= bytes)
            break;
    }
    writer.Close();
    return lines;
}

// The floor: ReadFile in 1 MB blocks, counting line ends.
long ScanLines(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    std::vector<char> buffer(1 << 20);
    long lines = 0;
    DWORD got = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0)
    {
        const char* position = buffer.data();
        const char* end = position + got;
        while ((position = static_cast<const char*>(std::memchr(position, '\n', end - position))) != nullptr)
        {
            ++lines;
            ++position;
        }
    }
    CloseHandle(file);
    return lines;
}

// The C runtime's line reading with the old reader's buffer size.
long FgetsLines(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return -1;
    char buffer[2048];
    long lines = 0;
    while (std::fgets(buffer, sizeof buffer, file))
    {
        if (std::strchr(buffer, '\n') != nullptr)
            ++lines;
    }
    std::fclose(file);
    return lines;
}

int RunCsv(const std::string& folder, int megabytes)
{
    const std::string path = folder + "\\hub-log.csv";
    const unsigned long long target = static_cast<unsigned long long>(megabytes) * 1000000ull;
    const Stopwatch writeWatch;
    const long lines = WriteCsv(path, target);
    const size_t bytes = FileBytes(path);
    std::printf("RESULT csv_write lines=%ld bytes=%zu seconds=%.3f\n", lines, bytes, writeWatch.Wall());
    std::fflush(stdout);

    ScanLines(path);   // warm-up: the whole file into the page cache
    std::vector<double> floorTimes;
    for (int run = 0; run < 3; ++run)
    {
        const Stopwatch watch;
        if (ScanLines(path) != lines + 1)
            Fail("csv floor: wrong line count");
        floorTimes.push_back(watch.Wall());
    }

    // Ours: every record converted; the store emptied now and then, as a reader that keeps
    // no history would, so that memory does not decide the figure.
    double oursSeconds = 0;
    {
        CLogFileInCsv reader;
        LogSampleStore_t samples;
        long records = 0;
        const Stopwatch watch;
        try
        {
            reader.Open(path.c_str());
            while (reader.ReadAndConvertRecord(samples))
            {
                if (++records % 1000 == 0)
                    samples.clear();
            }
        }
        catch (const std::exception& error)
        {
            Fail(std::string("csv: ") + error.what());
        }
        oursSeconds = watch.Wall();
        if (records != lines)
            Fail("csv: " + std::to_string(records) + " records read of " + std::to_string(lines));
    }

    // Where the time goes: the reader's own line reading and splitting, the C runtime's
    // fgets alone, and the time stamp parse that every line needs.
    double lineSeconds = 0;
    {
        CLogFileInCsv reader;
        reader.Open(path.c_str());
        long read = 0;
        const Stopwatch watch;
        while (reader.ReadLine())
            ++read;
        lineSeconds = watch.Wall();
        if (read != lines + 1)
            Fail("csv: ReadLine gave " + std::to_string(read) + " lines");
    }
    const Stopwatch fgetsWatch;
    if (FgetsLines(path) != lines + 1)
        Fail("csv: fgets gave a wrong line count");
    const double fgetsSeconds = fgetsWatch.Wall();
    // The per-line parts below are timed on part of the lines and scaled to all of them.
    const long stampCount = std::min(lines, 200000L);
    const double scale = static_cast<double>(lines) / static_cast<double>(stampCount);
    std::vector<std::string> stamps;
    for (long i = 0; i < stampCount; ++i)
        stamps.push_back(JanuaryStamp(i));
    CUtcTimestampParser stampParser;
    const Stopwatch stampWatch;
    for (const std::string& stamp : stamps)
        stampParser.Parse(stamp);
    const double stampSeconds = stampWatch.Wall() * scale;
    std::string line = "\"2024-01-01T00:00:00.000+00:00\"";
    for (int c = 0; c < CSV_COLUMNS; ++c)
        line += ",\"12.345\"";
    CsvLineFields_t fields;
    const Stopwatch splitWatch;
    for (long i = 0; i < stampCount; ++i)
        fields.Split(line);
    const double splitSeconds = splitWatch.Wall() * scale;
    // Each value as the reader reads it.
    const Stopwatch numberWatch;
    double sum = 0;
    for (long i = 0; i < stampCount; ++i)
    {
        for (int c = 0; c < CSV_COLUMNS; ++c)
        {
            double value = 0;
            ParseWholeNumber("12.345", value);
            sum += value;
        }
    }
    const double numberSeconds = numberWatch.Wall() * scale;
    const Stopwatch storeWatch;
    {
        LogSampleStore_t samples;
        const COleDateTime time = ParseUtcTimestamp(JanuaryStamp(0));
        for (long i = 0; i < stampCount; ++i)
        {
            for (int c = 0; c < CSV_COLUMNS; ++c)
                samples[c].push_back(LogSample_t{time, sum});
            if ((i + 1) % 1000 == 0)
                samples.clear();
        }
    }
    const double storeSeconds = storeWatch.Wall() * scale;

    std::printf("RESULT csv lines=%ld bytes=%zu floor_seconds=%.4f ours_seconds=%.4f readline_seconds=%.4f "
                "fgets_seconds=%.4f stamps_seconds=%.4f split_seconds=%.4f numbers_seconds=%.4f "
                "store_seconds=%.4f\n",
                lines, bytes, Median(floorTimes), oursSeconds, lineSeconds, fgetsSeconds, stampSeconds,
                splitSeconds, numberSeconds, storeSeconds);
    std::fflush(stdout);
    DeleteFileA(path.c_str());
    return 0;
}

// --- Log download decode ----------------------------------------------------------------

// Words, most significant bit first, as the variable-length layout stores its fields.
class BitWriter
{
public:
    void Write(DWORD value, int bits)
    {
        for (int bit = bits - 1; bit >= 0; --bit)
        {
            m_current = static_cast<WORD>((m_current << 1) | ((value >> bit) & 1));
            if (++m_filled == 16)
            {
                m_words.push_back(m_current);
                m_current = 0;
                m_filled = 0;
            }
        }
    }
    const std::vector<WORD>& Words() const { return m_words; }
    bool Aligned() const { return m_filled == 0; }

private:
    std::vector<WORD> m_words;
    WORD m_current = 0;
    int m_filled = 0;
};

bool Present(const GenericVariable_t& variable, unsigned mask)
{
    return variable.presentIf < 0 || (static_cast<unsigned>(variable.presentIf) & mask & 0xFFFF) != 0;
}

// Record length in words (fields and the mask word) of every presence mask that gives a
// whole number of words; the first mask found for each length.
std::map<int, unsigned> MasksByLength(const GenericLoggedData_t& layout)
{
    unsigned all = 0;
    for (const GenericVariable_t& variable : layout.recordVariables)
    {
        if (variable.presentIf >= 0)
            all |= static_cast<unsigned>(variable.presentIf) & 0xFFFF;
    }
    std::map<int, unsigned> masks;
    unsigned mask = 0;
    do
    {
        int bits = 16;
        for (const GenericVariable_t& variable : layout.recordVariables)
        {
            if (Present(variable, mask))
                bits += variable.size;
        }
        if (bits % 16 == 0 && masks.find(bits / 16) == masks.end())
            masks[bits / 16] = mask;
        mask = (mask - all) & all;   // the next subset of the mask bits
    } while (mask != 0);
    return masks;
}

// A ring buffer of bufCount words wholly filled with valid records, oldest first from the
// word after the end pointer; the number of records through count.
std::vector<WORD> LogBuffer(const GenericLoggedData_t& layout, unsigned bufCount, WORD endPointer, int& count)
{
    const std::map<int, unsigned> masks = MasksByLength(layout);
    std::vector<unsigned> cycle;
    for (const auto& entry : masks)
        cycle.push_back(entry.second);
    const int longest = masks.empty() ? 0 : masks.rbegin()->first;
    // Which remainders the lengths can fill exactly.
    std::vector<int> lastLength(static_cast<size_t>(4 * longest + 1), 0);
    lastLength[0] = -1;
    for (int r = 1; r <= 4 * longest; ++r)
    {
        for (const auto& entry : masks)
        {
            if (entry.first <= r && lastLength[static_cast<size_t>(r - entry.first)] != 0)
            {
                lastLength[static_cast<size_t>(r)] = entry.first;
                break;
            }
        }
    }

    std::vector<WORD> logical;
    count = 0;
    const auto addRecord = [&](unsigned mask) {
        BitWriter writer;
        for (const GenericVariable_t& variable : layout.recordVariables)
        {
            if (!Present(variable, mask))
                continue;
            const DWORD all = variable.size >= 32 ? ~DWORD(0) : (DWORD(1) << variable.size) - 1;
            DWORD value = variable.id == layout.hourmeterVariableId
                              ? static_cast<DWORD>(1000 + 24 * count)
                              : static_cast<DWORD>(count * 2654435761u + static_cast<unsigned>(variable.id) * 40503u);
            writer.Write(value & all, variable.size);
        }
        writer.Write(mask, 16);
        logical.insert(logical.end(), writer.Words().begin(), writer.Words().end());
        ++count;
    };
    size_t next = 0;
    while (longest > 0 && bufCount - logical.size() > static_cast<size_t>(4 * longest))
        addRecord(cycle[next++ % cycle.size()]);
    int rest = static_cast<int>(bufCount - logical.size());
    if (longest > 0 && lastLength[static_cast<size_t>(rest)] != 0)
    {
        while (rest > 0)
        {
            const int length = lastLength[static_cast<size_t>(rest)];
            addRecord(masks.at(length));
            rest -= length;
        }
    }
    // Erased words where no record fits.
    logical.resize(bufCount, 0xFFFF);

    std::vector<WORD> ring(bufCount);
    for (unsigned i = 0; i < bufCount; ++i)
        ring[(endPointer + 1 + i) % bufCount] = logical[i];
    return ring;
}

// The floor: one pass over the same words in the order the decoder takes them.
double DecodeFloor(const std::vector<WORD>& ring, WORD endPointer, unsigned& checksum)
{
    const unsigned bufCount = static_cast<unsigned>(ring.size());
    const int repeats = 200;
    const Stopwatch watch;
    for (int r = 0; r < repeats; ++r)
    {
        unsigned sum = 0;
        for (unsigned i = endPointer + 1u; i < bufCount; ++i)
            sum = sum * 31 + ring[i];
        for (unsigned i = 0; i <= endPointer; ++i)
            sum = sum * 31 + ring[i];
        checksum += sum;
    }
    return watch.Wall() / repeats;
}

const int DECODE_RUNS = 11;

void DecodeOne(CDocumentDeviceGeneric1& device, unsigned bufCount)
{
    const WORD endPointer = static_cast<WORD>(bufCount / 3);
    int generated = 0;
    const std::vector<WORD> ring = LogBuffer(device.GetLoggedData(), bufCount, endPointer, generated);
    const std::string retrievalTime = FormatUtcNow();
    const int retrievalHourmeter = 1000 + 24 * generated;

    std::vector<double> times, recordTimes;
    size_t decoded = 0;
    // A first run warms the heap and the caches; the median of the rest counts.
    device.DecodeLoggedBuffer(retrievalTime, retrievalHourmeter, ring.data(), bufCount, endPointer);
    for (int run = 0; run < DECODE_RUNS; ++run)
    {
        const Stopwatch watch;
        const std::list<LogRecordPtr> records =
            device.DecodeLoggedBuffer(retrievalTime, retrievalHourmeter, ring.data(), bufCount, endPointer);
        times.push_back(watch.Wall());
        decoded = records.size();
    }
    if (decoded != static_cast<size_t>(generated))
        Fail("decode: " + std::to_string(decoded) + " records decoded of " + std::to_string(generated));

    // Where the time goes: the records alone, each handed to DecodeLoggedRecord by its known
    // place (the same work without the walk, the list and the buffer copy).
    std::vector<std::pair<unsigned, int>> places;   // first word in logical order, length
    std::vector<WORD> logical(ring.begin() + endPointer + 1, ring.end());
    logical.insert(logical.end(), ring.begin(), ring.begin() + endPointer + 1);
    {
        const std::map<int, unsigned> masks = MasksByLength(device.GetLoggedData());
        unsigned end = bufCount;
        while (end > 0)
        {
            int length = 0;
            for (const auto& entry : masks)
            {
                if (entry.second == logical[end - 1])
                    length = entry.first;
            }
            if (length == 0 || static_cast<unsigned>(length) > end)
                break;
            end -= static_cast<unsigned>(length);
            places.push_back(std::make_pair(end, length));
        }
        for (int run = 0; run < DECODE_RUNS; ++run)
        {
            const Stopwatch watch;
            for (const std::pair<unsigned, int>& place : places)
                device.DecodeLoggedRecord(&logical[place.first], place.second, retrievalTime, retrievalHourmeter);
            recordTimes.push_back(watch.Wall());
        }
    }
    // The value of every field present: its scaled number or translation, and its text.
    const std::vector<GenericVariable_t>& fields = device.GetLoggedData().recordVariables;
    const Stopwatch valuesWatch;
    for (size_t j = 0; j < places.size(); ++j)
    {
        const unsigned mask = logical[places[j].first + static_cast<unsigned>(places[j].second) - 1];
        for (const GenericVariable_t& field : fields)
        {
            if (!Present(field, mask))
                continue;
            const COleVariant value =
                field.RawToVariant(static_cast<int>(j * 2654435761u + static_cast<unsigned>(field.id) * 40503u));
            FormatVariant(value);
        }
    }
    const double valuesSeconds = valuesWatch.Wall();
    // The parse of the retrieval time that every record repeats.
    const Stopwatch stampWatch;
    for (size_t i = 0; i < places.size(); ++i)
        ParseUtcTimestamp(retrievalTime);
    const double stampSeconds = stampWatch.Wall();

    unsigned checksum = 0;
    const double floorSeconds = DecodeFloor(ring, endPointer, checksum);
    std::printf("RESULT decode words=%u records=%d seconds=%.6f floor_seconds=%.8f records_seconds=%.6f "
                "stamps_seconds=%.6f values_seconds=%.6f checksum=%u\n",
                bufCount, generated, Median(times), floorSeconds, Median(recordTimes), stampSeconds, valuesSeconds,
                checksum);
    std::fflush(stdout);
}

int RunDecode(const std::string& devicesXml)
{
    std::vector<GenericDeviceDescription_t> descriptions;
    try
    {
        descriptions = LoadGenericDeviceDescriptions(Widen(devicesXml), -1, -1, nullptr);
    }
    catch (const std::exception& error)
    {
        Fail(std::string("decode: ") + error.what());
        return 1;
    }
    for (const GenericDeviceDescription_t& description : descriptions)
    {
        // The variable-length layout: records found from the end pointer.
        if (description.loggedData.bufferStart < 0 || description.loggedData.endPointerRegister < 0)
            continue;
        CDocumentDeviceGeneric1 device(static_cast<BYTE>(description.model), static_cast<BYTE>(description.type),
                                       SKELDER_TYPE_NONE, nullptr);
        device.ConfigureFromDescription(description);
        std::string name = description.defaultName;
        std::replace(name.begin(), name.end(), ' ', '_');
        std::printf("RESULT decode_device name=%s fields=%zu\n", name.c_str(),
                    description.loggedData.recordVariables.size());
        DecodeOne(device, 16384);
        DecodeOne(device, 65536);
        return 0;
    }
    Fail("decode: no device with a variable-length log layout in " + devicesXml);
    return 1;
}

// --- 6. The framework's locks and events ---------------------------------------------

// Runs the body on each of several threads at once and waits for them all.
void OnThreads(int count, const std::function<void(int)>& body)
{
    struct Start
    {
        const std::function<void(int)>* body;
        int index;
        HANDLE go;
    };
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<Start> starts(static_cast<size_t>(count));
    std::vector<HANDLE> threads;
    for (int i = 0; i < count; ++i)
    {
        starts[static_cast<size_t>(i)] = Start{&body, i, go};
        threads.push_back(CreateThread(nullptr, 0, [](void* data) -> DWORD {
            const Start& start = *static_cast<Start*>(data);
            WaitForSingleObject(start.go, INFINITE);
            (*start.body)(start.index);
            return 0;
        }, &starts[static_cast<size_t>(i)], 0, nullptr));
    }
    SetEvent(go);
    for (HANDLE thread : threads)
    {
        if (WaitForSingleObject(thread, RUN_WAIT_MS) != WAIT_OBJECT_0)
            Fail("locks: a thread did not end");
        CloseHandle(thread);
    }
    CloseHandle(go);
}

// Two threads pass the turn back and forth through two auto-reset events: the time of
// one hand-over (a set that wakes the thread waiting for it).
template <typename Set, typename WaitFor>
double HandOverMicroseconds(int turns, Set set, WaitFor waitFor)
{
    double seconds = 0;
    OnThreads(2, [&](int index) {
        const Stopwatch watch;
        for (int i = 0; i < turns; ++i)
        {
            if (index == 0)
            {
                set(0);
                waitFor(1);
            }
            else
            {
                waitFor(0);
                set(1);
            }
        }
        if (index == 0)
            seconds = watch.Wall();
    });
    return seconds * 1e6 / (2.0 * turns);
}

// Threads take one lock in turn again and again, holding it for a few hundred
// instructions, and are measured for half a second once all of them run: the time per
// acquisition, the share of acquisitions that went to another thread than the one before,
// and the most acquisitions by others that one Lock waited for.
template <typename Lock, typename Unlock>
void Contended(const char* name, int threads, Lock lock, Unlock unlock)
{
    // Changed only under the lock (the counter is read before it too).
    volatile long acquisitions = 0;
    volatile bool measuring = false;
    volatile bool stop = false;
    volatile long running = 0;
    long measured = 0;
    long handedOver = 0;
    long longestWait = 0;
    int lastHolder = -1;
    OnThreads(threads + 1, [&](int index) {
        if (index == threads)
        {
            while (running < threads)
                Sleep(1);
            lock();
            measuring = true;
            unlock();
            const Stopwatch window;
            Sleep(500);
            lock();
            measuring = false;
            const double seconds = window.Wall();
            unlock();
            stop = true;
            std::printf("RESULT lock_contended name=%s threads=%d us=%.3f handed_over=%.3f longest_wait=%ld\n",
                        name, threads, measured > 0 ? seconds * 1e6 / measured : 0.0,
                        measured > 0 ? static_cast<double>(handedOver) / measured : 0.0, longestWait);
            std::fflush(stdout);
            return;
        }
        InterlockedIncrement(&running);
        while (!stop)
        {
            const long before = acquisitions;
            const bool inWindow = measuring;
            lock();
            if (measuring && inWindow)
            {
                ++measured;
                longestWait = std::max(longestWait, acquisitions - before);
                if (lastHolder != index)
                    ++handedOver;
            }
            lastHolder = index;
            acquisitions = acquisitions + 1;
            for (volatile int work = 0; work < 200; work = work + 1)
            {
            }
            unlock();
        }
    });
}

int RunLocks(long pairs)
{
    const int turns = 20000;
    CMutex mutex;
    Stopwatch watch;
    for (long i = 0; i < pairs; ++i)
    {
        mutex.Lock();
        mutex.Unlock();
    }
    const double mutexNs = watch.Wall() * 1e9 / pairs;
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    watch = Stopwatch();
    for (long i = 0; i < pairs; ++i)
    {
        EnterCriticalSection(&section);
        LeaveCriticalSection(&section);
    }
    const double sectionNs = watch.Wall() * 1e9 / pairs;
    CEvent event(FALSE, TRUE);
    watch = Stopwatch();
    for (long i = 0; i < pairs; ++i)
    {
        event.SetEvent();
        event.ResetEvent();
    }
    const double eventNs = watch.Wall() * 1e9 / pairs;
    HANDLE kernelEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    watch = Stopwatch();
    for (int i = 0; i < turns; ++i)
    {
        SetEvent(kernelEvent);
        ResetEvent(kernelEvent);
    }
    const double kernelEventNs = watch.Wall() * 1e9 / turns;
    CloseHandle(kernelEvent);

    // The same set and reset while 32 threads sleep in waits for other events.
    const int sleepers = 32;
    std::vector<std::unique_ptr<CEvent>> own;
    for (int i = 0; i < sleepers; ++i)
        own.push_back(std::make_unique<CEvent>(FALSE, TRUE));
    CEvent asleep(FALSE, TRUE);
    volatile long sleeping = 0;
    double withSleepersNs = 0;
    OnThreads(sleepers + 1, [&](int index) {
        if (index < sleepers)
        {
            if (InterlockedIncrement(&sleeping) == sleepers)
                asleep.SetEvent();
            own[static_cast<size_t>(index)]->Lock(RUN_WAIT_MS);
            return;
        }
        asleep.Lock(RUN_WAIT_MS);
        Sleep(100);   // every one of them asleep in its wait
        const Stopwatch setting;
        for (int i = 0; i < turns; ++i)
        {
            event.SetEvent();
            event.ResetEvent();
        }
        withSleepersNs = setting.Wall() * 1e9 / turns;
        for (auto& wake : own)
            wake->SetEvent();
    });
    std::printf("RESULT locks mutex_pair_ns=%.1f critical_section_pair_ns=%.1f event_set_reset_ns=%.1f "
                "kernel_event_set_reset_ns=%.1f event_set_reset_with_sleepers_ns=%.1f\n",
                mutexNs, sectionNs, eventNs, kernelEventNs, withSleepersNs);

    CEvent turnEvents[2];
    const double eventHandOver = HandOverMicroseconds(
        turns, [&](int i) { turnEvents[i].SetEvent(); }, [&](int i) { turnEvents[i].Lock(RUN_WAIT_MS); });
    HANDLE kernelTurns[2] = {CreateEventA(nullptr, FALSE, FALSE, nullptr), CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    const double kernelHandOver = HandOverMicroseconds(
        turns, [&](int i) { SetEvent(kernelTurns[i]); }, [&](int i) { WaitForSingleObject(kernelTurns[i], RUN_WAIT_MS); });
    CloseHandle(kernelTurns[0]);
    CloseHandle(kernelTurns[1]);
    // The floor in the process: a flag under an SRW lock with a condition variable.
    SRWLOCK turnLock = SRWLOCK_INIT;
    CONDITION_VARIABLE turnChanged[2] = {CONDITION_VARIABLE_INIT, CONDITION_VARIABLE_INIT};
    bool turnFlags[2] = {false, false};
    const double conditionHandOver = HandOverMicroseconds(
        turns,
        [&](int i) {
            AcquireSRWLockExclusive(&turnLock);
            turnFlags[i] = true;
            ReleaseSRWLockExclusive(&turnLock);
            WakeConditionVariable(&turnChanged[i]);
        },
        [&](int i) {
            AcquireSRWLockExclusive(&turnLock);
            while (!turnFlags[i])
                SleepConditionVariableSRW(&turnChanged[i], &turnLock, RUN_WAIT_MS, 0);
            turnFlags[i] = false;
            ReleaseSRWLockExclusive(&turnLock);
        });
    std::printf("RESULT hand_over event_us=%.2f kernel_event_us=%.2f condition_us=%.2f\n", eventHandOver,
                kernelHandOver, conditionHandOver);
    std::fflush(stdout);

    for (int threads : {2, 16})
    {
        Contended("mutex", threads, [&] { mutex.Lock(); }, [&] { mutex.Unlock(); });
        Contended("critical_section", threads, [&] { EnterCriticalSection(&section); },
                  [&] { LeaveCriticalSection(&section); });
    }
    DeleteCriticalSection(&section);
    return 0;
}
}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    int status = 2;
    try
    {
        if (mode == "dispatch" && argc == 3)
            status = RunDispatch(std::atol(argv[2]));
        else if (mode == "poll" && argc == 4)
            status = RunPoll(std::atoi(argv[2]), std::atoi(argv[3]));
        else if (mode == "xml" && argc == 4)
            status = RunXml(argv[2], std::atoi(argv[3]));
        else if (mode == "csv" && argc == 4)
            status = RunCsv(argv[2], std::atoi(argv[3]));
        else if (mode == "decode" && argc == 3)
            status = RunDecode(argv[2]);
        else if (mode == "locks" && argc == 3)
            status = RunLocks(std::atol(argv[2]));
        else
            std::fprintf(stderr, "usage: HubBench dispatch ITEMS | poll PORT CYCLES | xml FOLDER RECORDS | "
                                 "csv FOLDER MEGABYTES | decode DEVICES_XML | locks PAIRS\n");
    }
    catch (const std::exception& error)
    {
        Fail(std::string("failed: ") + error.what());
        status = 1;
    }
    return status != 0 ? status : (g_failures != 0 ? 1 : 0);
}
