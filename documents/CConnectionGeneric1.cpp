#include "documents/CConnectionGeneric1.h"

#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/PollThread_t.h"
#include "framework/CSingleLock.h"
#include "framework/CWordArray.h"

#include <cstdio>
#include <stdexcept>

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
    : CConnectionModbusLocal(owner), m_stopping(false)
{
}

CConnectionGeneric1::~CConnectionGeneric1()
{
    // The thread must not reach the device once it is gone.
    StopWorker();
}

CDocumentDeviceGeneric1* CConnectionGeneric1::GetGenericOwner() const
{
    return static_cast<CDocumentDeviceGeneric1*>(m_owner);
}

void CConnectionGeneric1::Open()
{
    m_stopping = false;
    CConnectionModbus::Open();

    PollPlan_t plan;
    plan.transport = CurrentTransport();
    plan.unitId = GetEffectiveUnitId();
    plan.maxReadCount = GetMaxReadCount();
    plan.ranges = GetPollRanges();
    boost::shared_ptr<PollThread_t> worker;
    try
    {
        worker = PollThread_t::Start(GetGenericOwner(), plan);
    }
    catch (const std::runtime_error&)
    {
        // The link is let go here too, so that the COM port is free again at once.
        plan.transport.reset();
        ReleaseTransport();
        m_connected = false;
        throw;
    }
    {
        CSingleLock lock(&m_pollLock, TRUE);
        m_worker = worker;
    }
}

void CConnectionGeneric1::CompleteOpen()
{
    if (CDocumentDeviceGeneric1* owner = GetGenericOwner())
    {
        owner->SetTitle(m_openedTitle);
        // The open's own reads were answered: a mark left from before the last close would
        // otherwise stand through the whole log download, until the first poll.
        owner->PollAnswered();
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

boost::shared_ptr<PollThread_t> CConnectionGeneric1::CurrentWorker()
{
    CSingleLock lock(&m_pollLock, TRUE);
    return m_worker;
}

void CConnectionGeneric1::StopWorker()
{
    m_stopping = true;
    boost::shared_ptr<PollThread_t> worker;
    {
        CSingleLock lock(&m_pollLock, TRUE);
        worker.swap(m_worker);
    }
    // The thread is never terminated, which could leave a lock held for good (ours, the
    // link's or the heap's); nor is it waited for longer than a command may take.
    if (worker)
        worker->Stop(CONNECTION_THREAD_STOP_WAIT_MS);
}

bool CConnectionGeneric1::QueueConnectStep()
{
    const boost::shared_ptr<PollThread_t> worker = CurrentWorker();
    return worker && worker->QueueConnectStep();
}

bool CConnectionGeneric1::ReadsAbandoned()
{
    return m_stopping;
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
    if (!item || item->GetType() != STORAGE_TYPE_TIME)
        return false;
    CDocumentDeviceGeneric1* owner = GetGenericOwner();
    if (owner == nullptr)
        return false;
    if (m_connected && !owner->IsBusy())
    {
        if (const boost::shared_ptr<PollThread_t> worker = CurrentWorker())
            worker->Trigger();
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
        // The read that shows whether a control answers at all says what became of it.
        throw std::runtime_error(ModbusRequestFailureText(code, *transport->m_link, "read"));
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
