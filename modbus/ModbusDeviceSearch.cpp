#include "modbus/ModbusDeviceSearch.h"

#include "framework/CSingleLock.h"
#include "modbus/SearchAnswer.h"
#include "modbus/SerialPortListing.h"
#include "modbus/SharedLinks.h"

#include <winsock2.h>
#include <process.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char kSearchProbe[] = "QVID?";
const int kSearchProbeLength = 5;
const int kAnswerBufferSize = 512;
const int kNetworkListenSeconds = 6;
const long kAnswerWaitMicroseconds = 500000;
const int kTcpProgressEvery = 10;

// What a job thread is started with; the thread frees it when it ends. Holding the
// context keeps it alive for a job that a stop gave up waiting for.
struct JobThreadStart
{
    boost::shared_ptr<ModbusDeviceSearchContext_t> context;
    ModbusSearchJob_t* job;
    int (*body)(ModbusDeviceSearchContext_t& context, ModbusSearchJob_t& job);
};

unsigned __stdcall RunJobThread(void* parameter)
{
    std::unique_ptr<JobThreadStart> start(static_cast<JobThreadStart*>(parameter));
    int exitCode = 1;
    try {
        exitCode = start->body(*start->context, *start->job);
    } catch (const std::exception&) {
        // Failures of a job end that job only; the others go on.
        exitCode = 1;
    }
    start->context->EndJob(start->job);
    return static_cast<unsigned>(exitCode);
}

std::string ToStdString(const CString& text)
{
    return std::string(text.GetString(), static_cast<size_t>(text.GetLength()));
}

void PostFound(ModbusSearchJob_t& job, std::unique_ptr<ModbusEndpoint_t> endpoint)
{
    // The receiver owns a posted endpoint; one that was not posted stays ours to free.
    if (job.Post(reinterpret_cast<WPARAM>(endpoint.get()), SEARCH_FOUND))
        endpoint.release();
}

// Asks one unit id; a new endpoint when it identified itself.
std::unique_ptr<ModbusEndpoint_t> Identify(CModbus& link, int unitId)
{
    CString vendor, productCode, revision;
    if (!link.ReadDeviceIdentification(unitId, vendor, productCode, revision))
        return nullptr;
    std::unique_ptr<ModbusEndpoint_t> endpoint(new ModbusEndpoint_t);
    endpoint->vendor = ToStdString(vendor);
    endpoint->productCode = ToStdString(productCode);
    endpoint->revision = ToStdString(revision);
    endpoint->unitId = unitId;
    return endpoint;
}

int ProbeSerialPort(ModbusDeviceSearchContext_t&, ModbusSearchJob_t& job)
{
    boost::shared_ptr<CSharedModbusLocal> link;
    try {
        link = OpenSharedModbusSerial(job.portOrSocket);
    } catch (const std::runtime_error&) {
        job.Post(0, SEARCH_PROGRESS);
        return 1;
    }
    link->m_link->SetRetries(1);
    for (int unitId = 1; unitId <= MODBUS_MAX_UNIT_ID; ++unitId) {
        if (job.IsStopRequested()) {
            job.Post(0, SEARCH_PROGRESS);
            break;
        }
        std::unique_ptr<ModbusEndpoint_t> endpoint = Identify(*link->m_link, unitId);
        if (endpoint) {
            endpoint->network = false;
            endpoint->port = job.portOrSocket;
            PostFound(job, std::move(endpoint));
        } else {
            job.Post(0, SEARCH_PROGRESS);
        }
    }
    return 0;
}

int ProbeTcpHost(ModbusDeviceSearchContext_t&, ModbusSearchJob_t& job)
{
    boost::shared_ptr<CSharedModbusRemote> link;
    try {
        link = OpenSharedModbusTcp(job.host.c_str(), job.tcpPort, 0);
    } catch (const std::runtime_error&) {
        job.Post(0, SEARCH_PROGRESS);
        return 1;
    }
    for (int unitId = 1; unitId <= MODBUS_MAX_UNIT_ID; ++unitId) {
        if (job.IsStopRequested()) {
            job.Post(0, SEARCH_PROGRESS);
            break;
        }
        if (unitId == job.skipUnitId)
            continue;
        std::unique_ptr<ModbusEndpoint_t> endpoint = Identify(*link->m_link, unitId);
        if (endpoint) {
            endpoint->network = true;
            endpoint->host = job.host;
            endpoint->port = job.tcpPort;
            PostFound(job, std::move(endpoint));
        } else if (unitId % kTcpProgressEvery == 0) {
            job.Post(0, SEARCH_PROGRESS);
        }
    }
    return 0;
}

std::string ErrorSuffix(int error)
{
    return " (" + std::to_string(error) + ")";
}

// The network job's UDP socket. It is published in the job under the context's lock,
// so that a stop can shut it down, and closed under the same lock.
class SearchSocket
{
public:
    SearchSocket(ModbusDeviceSearchContext_t& context, ModbusSearchJob_t& job)
        : m_context(context), m_job(job)
    {
        m_socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (m_socket == INVALID_SOCKET)
            throw std::runtime_error("unable to allocate a socket" + ErrorSuffix(::WSAGetLastError()));
        CSingleLock lock(&m_context.m_lock, TRUE);
        m_job.portOrSocket = static_cast<int>(m_socket);
    }
    ~SearchSocket() { Close(); }

    SOCKET Get() const { return m_socket; }

    void Close()
    {
        CSingleLock lock(&m_context.m_lock, TRUE);
        if (m_socket == INVALID_SOCKET)
            return;
        ::closesocket(m_socket);
        m_socket = INVALID_SOCKET;
        m_job.portOrSocket = 0;
    }

    // Closes the socket, then throws: the error number is taken before closing.
    [[noreturn]] void Fail(const std::string& text)
    {
        Close();
        throw std::runtime_error(text);
    }

private:
    ModbusDeviceSearchContext_t& m_context;
    ModbusSearchJob_t& m_job;
    SOCKET m_socket;
};

bool IsShutdownWakeUp(int error)
{
    return error == WSAESHUTDOWN || error == WSAEINTR;
}

void BindToListenPort(SearchSocket& socket)
{
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    for (long port = MODBUS_SEARCH_LISTEN_PORT; port <= 65535; ++port) {
        local.sin_port = htons(static_cast<u_short>(port));
        if (::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0)
            return;
        const int error = ::WSAGetLastError();
        if (error != WSAEADDRINUSE)
            socket.Fail("unable to bind listen socket to port " + std::to_string(port) + ErrorSuffix(error));
    }
    socket.Fail("unable to bind listen socket to any port");
}

int BroadcastProbe(ModbusDeviceSearchContext_t& context, ModbusSearchJob_t& job)
{
    SearchSocket socket(context, job);
    BOOL broadcast = TRUE;
    if (::setsockopt(socket.Get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&broadcast),
                     sizeof(broadcast)) != 0)
        socket.Fail("unable to enable broadcast on socket" + ErrorSuffix(::WSAGetLastError()));
    BindToListenPort(socket);

    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = htons(MODBUS_SEARCH_UDP_PORT);
    target.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    const int sent = ::sendto(socket.Get(), kSearchProbe, kSearchProbeLength, 0,
                              reinterpret_cast<const sockaddr*>(&target), sizeof(target));
    if (sent != kSearchProbeLength)
        socket.Fail("unable to send QVID? broadcast (" + std::to_string(sent) + ", " +
                    std::to_string(::WSAGetLastError()) + ")");

    const __time64_t deadline = _time64(nullptr) + kNetworkListenSeconds;
    for (;;) {
        if (_time64(nullptr) > deadline || job.IsStopRequested()) {
            job.Post(0, SEARCH_PROGRESS);
            return 0;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket.Get(), &readable);
        timeval wait = {0, kAnswerWaitMicroseconds};
        const int ready = ::select(0, &readable, nullptr, nullptr, &wait);
        if (ready == SOCKET_ERROR) {
            const int error = ::WSAGetLastError();
            if (IsShutdownWakeUp(error))
                return 0;
            socket.Fail("unable to listen(select) for device responses" + ErrorSuffix(error));
        }
        job.Post(0, SEARCH_PROGRESS);
        if (ready == 0)
            continue;

        char answer[kAnswerBufferSize];
        sockaddr_in sender = {};
        int senderLength = sizeof(sender);
        const int received = ::recvfrom(socket.Get(), answer, kAnswerBufferSize - 1, 0,
                                        reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (received == SOCKET_ERROR) {
            const int error = ::WSAGetLastError();
            if (IsShutdownWakeUp(error))
                return 0;
            socket.Fail("unable to receive on socket" + ErrorSuffix(error));
        }
        if (senderLength != sizeof(sockaddr_in))
            socket.Fail("recvfrom address sizes did not match");
        answer[received] = '\0';

        std::unique_ptr<ModbusEndpoint_t> endpoint = ParseSearchAnswer(answer, ::inet_ntoa(sender.sin_addr));
        if (!endpoint)
            continue;
        const std::string host = endpoint->host;
        const WORD tcpPort = static_cast<WORD>(endpoint->port);
        const WORD unitId = static_cast<WORD>(endpoint->unitId);
        PostFound(job, std::move(endpoint));

        CSingleLock lock(&context.m_lock, TRUE);
        if (context.m_stopping)
            continue;
        ModbusSearchJob_t* hostJob = context.StartTcpJob(host.c_str(), tcpPort, unitId, job.window, job.message);
        if (hostJob != nullptr)
            context.m_jobs.push_back(hostJob);
    }
}

// Waits for all threads, in groups the platform can wait for at once; false on time-out.
bool WaitForThreads(const std::vector<HANDLE>& threads, int timeoutMs)
{
    const DWORD limit = static_cast<DWORD>(std::max(timeoutMs, 0));
    const DWORD started = ::GetTickCount();
    for (size_t first = 0; first < threads.size(); first += MAXIMUM_WAIT_OBJECTS) {
        const DWORD elapsed = ::GetTickCount() - started;
        const DWORD remaining = elapsed >= limit ? 0 : limit - elapsed;
        const DWORD count = static_cast<DWORD>(std::min<size_t>(MAXIMUM_WAIT_OBJECTS, threads.size() - first));
        const DWORD result = ::WaitForMultipleObjects(count, &threads[first], TRUE, remaining);
        if (result == WAIT_TIMEOUT || result == WAIT_FAILED)
            return false;
    }
    return true;
}

} // namespace

ModbusDeviceSearchContext_t::ModbusDeviceSearchContext_t() = default;

ModbusDeviceSearchContext_t::~ModbusDeviceSearchContext_t()
{
    // Job threads hold the context, so none is left by the time this runs.
    StopAllJobs(MODBUS_SEARCH_STOP_ON_RELEASE_MS);
}

bool ModbusDeviceSearchContext_t::StartJobThread(ModbusSearchJob_t* job, JobBody body)
{
    boost::shared_ptr<ModbusDeviceSearchContext_t> self = m_self.lock();
    if (!self)
        return false;
    JobThreadStart* start = new JobThreadStart{self, job, body};
    const uintptr_t thread = ::_beginthreadex(nullptr, 0, RunJobThread, start, 0, nullptr);
    if (thread == 0) {
        delete start;
        return false;
    }
    job->thread = reinterpret_cast<HANDLE>(thread);
    return true;
}

void ModbusDeviceSearchContext_t::StartSerialJob(int comNumber, HWND window, UINT message)
{
    ModbusSearchJob_t* job = new ModbusSearchJob_t(window, message, comNumber, false);
    // Listed under the lock before the thread can reach EndJob.
    CSingleLock lock(&m_lock, TRUE);
    if (!StartJobThread(job, ProbeSerialPort)) {
        delete job;
        return;
    }
    m_jobs.push_back(job);
}

void ModbusDeviceSearchContext_t::StartNetworkJob(HWND window, UINT message)
{
    ModbusSearchJob_t* job = new ModbusSearchJob_t(window, message, 0, true);
    CSingleLock lock(&m_lock, TRUE);
    if (!StartJobThread(job, BroadcastProbe)) {
        delete job;
        return;
    }
    m_jobs.push_back(job);
}

ModbusSearchJob_t* ModbusDeviceSearchContext_t::StartTcpJob(const char* host, WORD port, WORD skipUnitId,
                                                            HWND window, UINT message)
{
    ModbusSearchJob_t* job = new ModbusSearchJob_t(window, message, -1, true);
    job->host = host != nullptr ? host : "";
    job->tcpPort = port;
    job->skipUnitId = skipUnitId;
    if (!StartJobThread(job, ProbeTcpHost)) {
        delete job;
        return nullptr;
    }
    return job;
}

void ModbusDeviceSearchContext_t::EndJob(ModbusSearchJob_t* job)
{
    CSingleLock lock(&m_lock, TRUE);
    const auto listed = std::find(m_jobs.begin(), m_jobs.end(), job);
    if (listed == m_jobs.end())
        return;
    const HWND window = job->window;
    const UINT message = job->message;
    const bool abandoned = job->abandoned;
    m_jobs.erase(listed);
    delete job;
    if (m_jobs.empty() && !abandoned)
        ::PostMessageA(window, message, 0, SEARCH_DONE);
}

void ModbusDeviceSearchContext_t::StopAllJobs(int timeoutMs)
{
    std::vector<HANDLE> threads;
    {
        CSingleLock lock(&m_lock, TRUE);
        m_stopping = true;
        if (m_jobs.empty())
            return;
        for (ModbusSearchJob_t* job : m_jobs) {
            // A handle of our own: the job closes its handle when it frees itself.
            HANDLE thread = nullptr;
            if (::DuplicateHandle(::GetCurrentProcess(), job->thread, ::GetCurrentProcess(), &thread,
                                  SYNCHRONIZE, FALSE, 0))
                threads.push_back(thread);
            ::SetEvent(job->stopEvent);
            // Wakes a network job that waits in select or recvfrom.
            if (job->ownsSocket && job->portOrSocket != -1 && job->portOrSocket != 0)
                ::shutdown(static_cast<SOCKET>(job->portOrSocket), SD_BOTH);
        }
    }

    const bool allEnded = WaitForThreads(threads, timeoutMs);
    for (HANDLE thread : threads)
        ::CloseHandle(thread);
    if (allEnded)
        return;

    // Never terminated: a job may hold the shared-links lock or a link's mutex. It ends
    // after its current request and frees itself; until then it posts nothing.
    CSingleLock lock(&m_lock, TRUE);
    for (ModbusSearchJob_t* job : m_jobs)
        job->abandoned = true;
}

namespace {

// Stops the search when the caller's last reference goes; the job threads may keep the
// context itself a little longer.
struct StopOnRelease
{
    boost::shared_ptr<ModbusDeviceSearchContext_t> context;
    void operator()(ModbusDeviceSearchContext_t*)
    {
        context->StopAllJobs(MODBUS_SEARCH_STOP_ON_RELEASE_MS);
        context.reset();
    }
};

// The COM number in a port name: the number that starts at its first digit; -1 when
// the name has no digit.
int ComNumberOf(const CString& portName)
{
    const char* name = portName.GetString();
    const char* digit = std::strpbrk(name, "1234567890");
    if (digit == nullptr)
        return -1;
    return static_cast<int>(std::strtol(digit, nullptr, 10));
}

} // namespace

boost::shared_ptr<ModbusDeviceSearchContext_t> StartModbusDeviceSearch(int comSelection, bool network,
                                                                        HWND window, UINT message)
{
    boost::shared_ptr<ModbusDeviceSearchContext_t> context(new ModbusDeviceSearchContext_t);
    context->m_self = context;
    boost::shared_ptr<ModbusDeviceSearchContext_t> search(context.get(), StopOnRelease{context});

    std::vector<CString> portNames;
    if (comSelection < 0) {
        std::vector<SerialPortInfo_t> ports;
        ListSerialPorts(ports);
        for (const SerialPortInfo_t& port : ports)
            portNames.push_back(port.portName);
    } else if (comSelection > 0) {
        portNames.push_back(CString(("COM" + std::to_string(comSelection)).c_str()));
    }
    for (const CString& portName : portNames) {
        const int comNumber = ComNumberOf(portName);
        if (comNumber >= 0)
            context->StartSerialJob(comNumber, window, message);
    }
    if (network)
        context->StartNetworkJob(window, message);
    return search;
}

void StopModbusDeviceSearch(boost::shared_ptr<ModbusDeviceSearchContext_t> search, int timeoutMs)
{
    if (search)
        search->StopAllJobs(timeoutMs);
}
