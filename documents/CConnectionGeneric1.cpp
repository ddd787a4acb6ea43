#include "documents/CConnectionGeneric1.h"

#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/DeviceMessageKeys.h"
#include "framework/CSingleLock.h"
#include "framework/CWinThread.h"
#include "framework/CWordArray.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace
{
const char* const QUORVANT_VENDOR = "Quorvant Corp.";
const DWORD IDENTITY_FAILURE_PAUSE_MS = 100;

std::string RegisterText(int address)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%04x", static_cast<unsigned>(address) & 0xFFFFu);
    return text;
}

// What became of the read that shows whether a control answers at all: only a time-out
// is a control that did not respond.
std::string IdentityReadFailureText(int code, CModbus& link)
{
    if (code >= MODBUS_EXCEPTION_BASE)
    {
        const int exceptionCode = code - MODBUS_EXCEPTION_BASE;
        return "control refused the Modbus read request with exception code " + std::to_string(exceptionCode) +
               " (" + ModbusExceptionText(exceptionCode) + ")";
    }
    const CModbus::EExchangeEnd end = link.LastExchangeEnd();
    if (code == MODBUS_ERROR_TIMEOUT || end == CModbus::EXCHANGE_END_TIMEOUT)
        return "control did not respond to Modbus read request";
    if (end == CModbus::EXCHANGE_END_CLOSED)
        return "the connection was closed during the Modbus read request";
    return "Modbus read request failed: " + std::string(static_cast<const char*>(link.GetErrorText(code)));
}

// Marks the calling thread as the one whose open may read, on every way out of the
// open checks.
class OpeningThreadMark
{
public:
    explicit OpeningThreadMark(std::atomic<DWORD>& thread) : m_thread(thread) { m_thread = ::GetCurrentThreadId(); }
    ~OpeningThreadMark() { m_thread = 0; }
    OpeningThreadMark(const OpeningThreadMark&) = delete;
    OpeningThreadMark& operator=(const OpeningThreadMark&) = delete;

private:
    std::atomic<DWORD>& m_thread;
};
}

IMPLEMENT_DYNAMIC(CConnectionGeneric1, CConnectionModbusLocal)

CConnectionGeneric1::CConnectionGeneric1(CDocumentDeviceGeneric1* owner)
    : CConnectionModbusLocal(owner),
      m_worker(nullptr),
      m_stopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_refreshEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_connectStepEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_queuedConnectSteps(0),
      m_workerRunning(false)
{
}

CConnectionGeneric1::~CConnectionGeneric1()
{
    // The thread works on this object: it must not outlive it.
    StopWorker();
    if (m_stopEvent != nullptr)
        CloseHandle(m_stopEvent);
    if (m_refreshEvent != nullptr)
        CloseHandle(m_refreshEvent);
    if (m_connectStepEvent != nullptr)
        CloseHandle(m_connectStepEvent);
}

CDocumentDeviceGeneric1* CConnectionGeneric1::GetGenericOwner() const
{
    return static_cast<CDocumentDeviceGeneric1*>(m_owner);
}

void CConnectionGeneric1::Open()
{
    CConnectionModbus::Open();

    // A stop left set by a terminated thread would end the new one at once.
    ResetEvent(m_stopEvent);
    ResetEvent(m_refreshEvent);
    m_worker = AfxBeginThread(&CConnectionGeneric1::WorkerThread, this, THREAD_PRIORITY_NORMAL, 0,
                              CREATE_SUSPENDED);
    if (m_worker == nullptr)
    {
        // The link is let go here too, so that the COM port is free again at once.
        ReleaseTransport();
        m_connected = false;
        throw std::runtime_error("unable to create connection thread");
    }
    m_worker->m_bAutoDelete = FALSE;
    m_workerRunning = true;
    m_worker->ResumeThread();
}

void CConnectionGeneric1::CompleteOpen()
{
    if (CDocumentDeviceGeneric1* owner = GetGenericOwner())
    {
        owner->SetTitle(m_openedTitle);
        owner->ExpectConnectNotice();
    }
    CConnectionModbus::CompleteOpen();
}

void CConnectionGeneric1::AbandonOpen()
{
    StopWorker();
    if (CDocumentDeviceGeneric1* owner = GetGenericOwner())
    {
        owner->ClearHardwareInfo();
        owner->SetFirmwareVersion("");
    }
    CConnectionModbus::AbandonOpen();
}

void CConnectionGeneric1::StopWorker()
{
    if (m_worker == nullptr)
        return;
    SetEvent(m_stopEvent);
    // The thread ends by itself: it looks at the stop before every request, and the
    // request it may be waiting on is cut short. It is never terminated, which could
    // leave a lock held for good (ours, the link's or the heap's).
    const DWORD workerId = m_worker->m_nThreadID;
    const CSharedModbusPtr transport = CurrentTransport();
    if (transport)
        transport->m_link->CancelExchangesOf(workerId);
    m_workerRunning = false;
    WaitForSingleObject(m_worker->m_hThread, INFINITE);
    if (transport)
        transport->m_link->EndCancelOf(workerId);
    delete m_worker;
    m_worker = nullptr;
    // A step queued while the thread ended would keep the device busy.
    DropConnectSteps();
}

bool CConnectionGeneric1::QueueConnectStep()
{
    if (!m_workerRunning)
        return false;
    ++m_queuedConnectSteps;
    SetEvent(m_connectStepEvent);
    return true;
}

void CConnectionGeneric1::RunConnectSteps()
{
    CDocumentDeviceGeneric1* owner = GetGenericOwner();
    for (LONG queued = m_queuedConnectSteps; queued > 0 && !IsStopRequested(); queued = m_queuedConnectSteps)
    {
        if (m_queuedConnectSteps.compare_exchange_strong(queued, queued - 1) && owner != nullptr)
            owner->RunConnectStep();
    }
}

void CConnectionGeneric1::DropConnectSteps()
{
    CDocumentDeviceGeneric1* owner = GetGenericOwner();
    for (LONG queued = m_queuedConnectSteps.exchange(0); queued > 0 && owner != nullptr; --queued)
        owner->DropConnectStep();
}

bool CConnectionGeneric1::ReadsAbandoned()
{
    return IsStopRequested();
}

bool CConnectionGeneric1::Close()
{
    StopWorker();
    if (CDocumentDeviceGeneric1* owner = GetGenericOwner())
    {
        owner->ClearHardwareInfo();
        owner->SetFirmwareVersion("");
    }
    return CConnectionModbus::Close();
}

bool CConnectionGeneric1::OnStorage(const CStoragePtr& item)
{
    if (item && item->GetType() == STORAGE_TYPE_TIME && m_connected)
    {
        CDocumentDeviceGeneric1* owner = GetGenericOwner();
        if (owner != nullptr && !owner->IsBusy())
            SetEvent(m_refreshEvent);
    }
    return false;
}

void CConnectionGeneric1::AfterOpen()
{
    CConnectionModbus::AfterOpen();

    // The reads below may go before the connection counts as connected.
    OpeningThreadMark opening(m_openingThread);

    int identityRegister = CONNECTION_DEFAULT_IDENTITY_REGISTER;
    {
        CSingleLock lock(&m_pollLock, TRUE);
        if (!m_pollAddresses.empty())
            identityRegister = m_pollAddresses.front();
    }
    const CSharedModbusPtr transport = CurrentTransport();
    if (!transport)
        throw std::runtime_error("cannot read Modbus output register; device connection is not open");
    CWordArray identity;
    int code = transport->m_link->ReadHoldingRegisters(GetEffectiveUnitId(), identityRegister, 1, identity);
    if (code == MODBUS_SUCCESS && identity.GetSize() < 1)
        code = MODBUS_ERROR_INVALID_RESPONSE;
    if (code != MODBUS_SUCCESS)
    {
        Sleep(IDENTITY_FAILURE_PAUSE_MS);
        throw std::runtime_error(IdentityReadFailureText(code, *transport->m_link));
    }

    WORD word = 0;
    CString vendor;
    CString productCode;
    CString revision;
    if (!transport->m_link->ReadDeviceIdentification(GetEffectiveUnitId(), vendor, productCode, revision))
        throw std::runtime_error("control did not respond to Modbus Read Basic Device Identification");
    if (std::string(static_cast<const char*>(vendor)) != QUORVANT_VENDOR)
        throw std::runtime_error("device is not a Quorvant Corporation control");

    CDocumentDeviceGeneric1* owner = GetGenericOwner();
    m_openedTitle = productCode;
    owner->SetFirmwareVersion(static_cast<const char*>(revision));

    // Fields that follow each other are read in one request, a fraction of the exchanges
    // on a shared line; a block that fails is read again register by register, which
    // names the register that failed.
    const std::vector<GenericHardwareInfo_t>& fields = owner->GetHardwareInfoDescriptions();
    for (size_t first = 0; first < fields.size();)
    {
        size_t end = first + 1;
        int count = std::max(fields[first].width, 0);
        while (count > 0 && end < fields.size() && fields[end].width > 0 &&
               fields[end].address == fields[first].address + count)
            count += fields[end++].width;
        std::vector<WORD> block(static_cast<size_t>(count));
        const bool blockRead = count > 0 && TryReadRegisters(fields[first].address, block.data(), count);
        for (size_t field = first; field < end; ++field)
        {
            const GenericHardwareInfo_t& description = fields[field];
            std::string text;
            for (int i = 0; i < description.width; ++i)
            {
                const int address = description.address + i;
                if (blockRead)
                    word = block[static_cast<size_t>(address - fields[first].address)];
                else if (!TryReadRegisters(address, &word, 1))
                    throw std::runtime_error("unable to read Modbus address " + RegisterText(address));
                if (!description.AppendReadByte(text, word))
                    break;
            }
            owner->AddHardwareInfo(description.name, text);
        }
        first = end;
    }

    if (boost::shared_ptr<CStorageGenericConfig1> store = owner->GetConfigStore())
    {
        for (int row = 0; row < store->GetEntryCount(); ++row)
        {
            const int address = static_cast<int>(store->GetEntryConst(row)->registerAddress);
            if (!TryReadRegisters(address, &word, 1))
                throw std::runtime_error("unable to read Modbus address " + RegisterText(address));
            store->SetEntryValue(row, word);
        }
    }
}

void CConnectionGeneric1::AddPollRegister(int address)
{
    CSingleLock lock(&m_pollLock, TRUE);
    m_pollAddresses.push_back(address);
    RebuildPollRanges();
}

void CConnectionGeneric1::AddConfigRegister(int address)
{
    CSingleLock lock(&m_pollLock, TRUE);
    m_configRegisters.push_back(address);
}

std::list<std::pair<int, int>> CConnectionGeneric1::GetPollRanges()
{
    CSingleLock lock(&m_pollLock, TRUE);
    return m_pollRanges;
}

void CConnectionGeneric1::RebuildPollRanges()
{
    // The addresses keep the description's order; only neighbours that follow each
    // other in that order share a range.
    m_pollRanges.clear();
    int start = 0;
    int count = 0;
    for (int address : m_pollAddresses)
    {
        if (count > 0 && address == start + count)
        {
            ++count;
            continue;
        }
        if (count > 0)
            m_pollRanges.push_back(std::make_pair(start, count));
        start = address;
        count = 1;
    }
    if (count > 0)
        m_pollRanges.push_back(std::make_pair(start, count));
}

DWORD CConnectionGeneric1::ReadOutputValue(int lowAddress, int highAddress)
{
    WORD words[2] = { 0, 0 };
    if (highAddress == -1)
    {
        if (!TryReadRegisters(lowAddress, words, 1))
            throw std::runtime_error("error reading output register " + RegisterText(lowAddress));
        return words[0];
    }
    WORD low = 0;
    WORD high = 0;
    if (highAddress == lowAddress + 1)
    {
        if (!TryReadRegisters(lowAddress, words, 2))
            throw std::runtime_error("error reading dword output register " + RegisterText(lowAddress));
        low = words[0];
        high = words[1];
    }
    else
    {
        if (!TryReadRegisters(highAddress, &high, 1))
            throw std::runtime_error("error reading dword output register (high part) " +
                                     RegisterText(highAddress));
        if (!TryReadRegisters(lowAddress, &low, 1))
            throw std::runtime_error("error reading dword output register (low part) " +
                                     RegisterText(lowAddress));
    }
    return (static_cast<DWORD>(high) << 16) | low;
}

UINT __cdecl CConnectionGeneric1::WorkerThread(LPVOID connection)
{
    return static_cast<CConnectionGeneric1*>(connection)->WorkerLoop();
}

UINT CConnectionGeneric1::WorkerLoop()
{
    std::vector<WORD> image(MODBUS_REGISTER_SPACE);
    std::vector<BYTE> valid(MODBUS_REGISTER_SPACE);
    HANDLE events[3] = { m_stopEvent, m_refreshEvent, m_connectStepEvent };
    for (;;)
    {
        const DWORD result = WaitForMultipleObjects(3, events, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0)
        {
            ResetEvent(m_stopEvent);
            DropConnectSteps();
            return 0;
        }
        if (result == WAIT_OBJECT_0 + 2)
        {
            ResetEvent(m_connectStepEvent);
            RunConnectSteps();
            continue;
        }
        if (result == WAIT_OBJECT_0 + 1)
        {
            ResetEvent(m_refreshEvent);
            PollOnce(image.data(), valid.data());
        }
        else
        {
            // A failed wait: try again without spinning.
            Sleep(1);
        }
    }
}

bool CConnectionGeneric1::IsStopRequested() const
{
    return WaitForSingleObject(m_stopEvent, 0) == WAIT_OBJECT_0;
}

void CConnectionGeneric1::PollOnce(WORD* image, BYTE* valid)
{
    CDocumentDeviceGeneric1* owner = GetGenericOwner();
    try
    {
        std::fill(valid, valid + MODBUS_REGISTER_SPACE, BYTE(0));
        std::string readFailure;
        {
            // The reads take their time: the lock is not held across them.
            const std::list<std::pair<int, int>> ranges = GetPollRanges();
            for (const std::pair<int, int>& range : ranges)
            {
                const int start = range.first;
                const int count = range.second;
                if (start + count > MODBUS_REGISTER_SPACE)
                    throw std::runtime_error("Modbus read output register request too long");
                // A disconnect is waiting: the rest of the cycle would only delay it.
                if (IsStopRequested())
                    return;
                try
                {
                    ReadRegisters(start, image + start, count);
                    std::fill(valid + start, valid + start + count, BYTE(1));
                }
                catch (const std::exception& error)
                {
                    // The other ranges are still read and converted.
                    if (readFailure.empty())
                        readFailure = error.what();
                }
            }
        }
        owner->ConvertRegisterImage(image, valid);
        if (IsStopRequested())
            return;
        // A device that stopped answering keeps that as its message until it answers again.
        if (readFailure.empty())
            owner->ClearMessage(MESSAGE_KEY_POLL);
        else
            owner->SetMessage(MESSAGE_KEY_POLL, readFailure);
    }
    catch (const std::exception& error)
    {
        owner->SetMessage(MESSAGE_KEY_POLL, error.what());
    }
}
