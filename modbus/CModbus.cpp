#include "modbus/CModbus.h"

#include "framework/CMultiLock.h"
#include "framework/CSingleLock.h"
#include "modbus/CModbusException.h"

namespace
{
const BYTE kFunctionReadHolding = 0x03;
const BYTE kFunctionReadInput = 0x04;
const BYTE kFunctionWriteCoil = 0x05;
const BYTE kFunctionWriteRegister = 0x06;
const BYTE kFunctionEncapsulated = 0x2B;
const BYTE kMeiReadDeviceId = 0x0E;
const BYTE kReadDeviceIdBasic = 0x01;
const WORD kMaxRegistersPerRead = 125;
const int kRawReplySize = 512;
const DWORD kIdentificationRetryPauseMs = 1000;
}

std::string ModbusExceptionText(int exceptionCode)
{
    switch (exceptionCode)
    {
    case 1: return "illegal function";
    case 2: return "illegal data address";
    case 3: return "illegal data value";
    case 4: return "slave device failure";
    case 5: return "acknowledge";
    case 6: return "slave device busy";
    case 8: return "memory parity error";
    case 10: return "gateway path unavailable";
    case 11: return "gateway target device failed to respond";
    default: return "unknown";
    }
}

std::string ModbusRequestFailureText(int code, CModbus& link, const char* request)
{
    const std::string modbusRequest = std::string("Modbus ") + request + " request";
    if (code >= MODBUS_EXCEPTION_BASE)
    {
        const int exceptionCode = code - MODBUS_EXCEPTION_BASE;
        return "control refused the " + modbusRequest + " with exception code " + std::to_string(exceptionCode) +
               " (" + ModbusExceptionText(exceptionCode) + ")";
    }
    const CModbus::EExchangeEnd end = link.LastExchangeEnd();
    if (code == MODBUS_ERROR_TIMEOUT || end == CModbus::EXCHANGE_END_TIMEOUT)
        return "control did not respond to " + modbusRequest;
    if (end == CModbus::EXCHANGE_END_CLOSED)
        return "the connection was closed during the " + modbusRequest;
    return modbusRequest + " failed: " + std::string(static_cast<const char*>(link.GetErrorText(code)));
}

CModbus::CModbus(FILE* trace) : m_trace(trace)
{
}

CModbus::~CModbus() = default;

CString CModbus::GetErrorText(int code)
{
    if (code >= MODBUS_EXCEPTION_BASE)
    {
        const int exceptionCode = code - MODBUS_EXCEPTION_BASE;
        CString text;
        text.Format("Modbus device return an exception code %d (%s)", exceptionCode,
                    ModbusExceptionText(exceptionCode).c_str());
        return text;
    }
    switch (code)
    {
    case MODBUS_SUCCESS: return "okay";
    case MODBUS_ERROR_TIMEOUT: return "time out error";
    case MODBUS_ERROR_INVALID_RESPONSE: return "invalid response from device";
    case MODBUS_ERROR_CRC: return "CRC error";
    case MODBUS_ERROR_WRITE: return "write communication error";
    case MODBUS_ERROR_READ: return "read communication error";
    case MODBUS_ERROR_PORT_CLOSED: return "comm port not opened";
    case MODBUS_ERROR_LOCK_TIMEOUT: return "critical section lock time-out error";
    default: return CString();
    }
}

int CModbus::ReplyResult(const BYTE* query, int queryLength, const BYTE* frame, int frameLength)
{
    if (frameLength < 2 || (queryLength >= 1 && frame[0] != query[0]))
        return MODBUS_ERROR_INVALID_RESPONSE;
    const BYTE function = frame[1];
    if (function < 0x80)
        return queryLength < 2 || function == query[1] ? MODBUS_SUCCESS : MODBUS_ERROR_INVALID_RESPONSE;
    if (frameLength < 3 || (queryLength >= 2 && function != (query[1] | 0x80)))
        return MODBUS_ERROR_INVALID_RESPONSE;
    return MODBUS_EXCEPTION_BASE | frame[2];
}

void CModbus::ThrowIfError(int code)
{
    if (code != MODBUS_SUCCESS && m_throwOnError)
        throw CModbusException(GetErrorText(code), code);
}

int CModbus::ReadHoldingRegisters(int unit, int start, WORD count, CWordArray& words)
{
    return ReadRegisters(unit, kFunctionReadHolding, start, count, words);
}

int CModbus::ReadInputRegisters(int unit, int start, WORD count, CWordArray& words)
{
    return ReadRegisters(unit, kFunctionReadInput, start, count, words);
}

int CModbus::ReadRegisters(int unit, BYTE function, int start, WORD count, CWordArray& words)
{
    if (count < 1 || count > kMaxRegistersPerRead)
    {
        ThrowIfError(MODBUS_ERROR_BUFFER_OVERFLOW);
        return MODBUS_ERROR_BUFFER_OVERFLOW;
    }

    CByteArray query;
    query.SetSize(6);
    query[0] = static_cast<BYTE>(unit);
    query[1] = function;
    query[2] = HIBYTE(static_cast<WORD>(start));
    query[3] = LOBYTE(static_cast<WORD>(start));
    query[4] = HIBYTE(count);
    query[5] = LOBYTE(count);

    const int replyLength = 2 * count + 3;
    CByteArray reply;
    reply.SetSize(replyLength);
    // Function 3 takes the reply as it arrives; function 4 states its length.
    const int expectedLength = function == kFunctionReadInput ? replyLength : 0;

    Turn turn(*this);
    if (!turn.Taken())
    {
        ThrowIfError(MODBUS_ERROR_READ);
        return MODBUS_ERROR_READ;
    }
    int code = MODBUS_SUCCESS;
    int attempts = 0;
    do
    {
        int received = 0;
        code = Exchange(query, 6, reply, expectedLength, &received);
        ++attempts;
        if (code != MODBUS_SUCCESS)
            continue;
        // A reply must carry all count words: transports that keep the buffer at
        // full size would otherwise turn a short reply into zeros.
        if (reply.GetSize() < replyLength || received < replyLength || reply[0] != query[0] ||
            reply[1] != function || reply[2] != 2 * count)
        {
            code = MODBUS_ERROR_INVALID_RESPONSE;
            continue;
        }
        if (words.GetSize() < count)
            words.SetSize(count);
        for (int k = 0; k < count; ++k)
            words[k] = static_cast<WORD>(reply[3 + 2 * k] * 256 + reply[4 + 2 * k]);
    } while (code != MODBUS_SUCCESS && attempts < m_retries);

    ThrowIfError(code);
    return code;
}

int CModbus::WriteSingleRegister(int unit, int address, int value)
{
    return WriteSingle(unit, kFunctionWriteRegister, address, static_cast<WORD>(value));
}

int CModbus::WriteSingleCoil(int unit, int address, int on)
{
    return WriteSingle(unit, kFunctionWriteCoil, address, CoilValue(on));
}

int CModbus::WriteSingle(int unit, BYTE function, int address, WORD value)
{
    CByteArray query;
    query.SetSize(6);
    query[0] = static_cast<BYTE>(unit);
    query[1] = function;
    query[2] = HIBYTE(static_cast<WORD>(address));
    query[3] = LOBYTE(static_cast<WORD>(address));
    query[4] = HIBYTE(value);
    query[5] = LOBYTE(value);

    CByteArray reply;
    reply.SetSize(6);

    Turn turn(*this);
    if (!turn.Taken())
    {
        ThrowIfError(MODBUS_ERROR_READ);
        return MODBUS_ERROR_READ;
    }
    int code = MODBUS_SUCCESS;
    int attempts = 0;
    do
    {
        int received = 0;
        code = Exchange(query, 6, reply, 6, &received);
        ++attempts;
        if (code != MODBUS_SUCCESS)
            continue;
        bool echoed = reply.GetSize() >= 6 && received >= 6;
        for (int i = 0; echoed && i < 6; ++i)
            echoed = reply[i] == query[i];
        if (!echoed)
            code = MODBUS_ERROR_INVALID_RESPONSE;
    } while (code != MODBUS_SUCCESS && attempts < m_retries);

    ThrowIfError(code);
    return code;
}

bool CModbus::ReadDeviceIdentification(int unit, CString& vendorName, CString& productCode,
                                       CString& revision)
{
    vendorName.Empty();
    productCode.Empty();
    revision.Empty();

    CByteArray query;
    query.SetSize(5);
    query[0] = static_cast<BYTE>(unit);
    query[1] = kFunctionEncapsulated;
    query[2] = kMeiReadDeviceId;
    query[3] = kReadDeviceIdBasic;
    query[4] = 0x00;

    CByteArray reply;
    reply.SetSize(kRawReplySize);

    Turn turn(*this);
    if (!turn.Taken())
    {
        ThrowIfError(MODBUS_ERROR_READ);
        return false;
    }
    int code = MODBUS_SUCCESS;
    int attempts = 0;
    unsigned foundObjects = 0; // bit n: object n came
    do
    {
        if (attempts > 0)
            Sleep(kIdentificationRetryPauseMs);
        foundObjects = 0;
        vendorName.Empty();
        productCode.Empty();
        revision.Empty();

        int received = 0;
        code = Exchange(query, 5, reply, 0, &received);
        ++attempts;
        if (code != MODBUS_SUCCESS)
            continue;
        if (received > reply.GetSize())
            received = static_cast<int>(reply.GetSize());
        if (received < 8 || reply[0] != query[0] || reply[1] != kFunctionEncapsulated ||
            reply[3] != kReadDeviceIdBasic)
        {
            code = MODBUS_ERROR_INVALID_RESPONSE;
            continue;
        }

        const int announced = reply[7];
        int pos = 8;
        for (int taken = 0; taken < announced && pos + 2 <= received; ++taken)
        {
            const BYTE id = reply[pos];
            const int length = reply[pos + 1];
            if (pos + 2 + length > received)
                break;
            const CString text(reinterpret_cast<const char*>(reply.GetData() + pos + 2), length);
            switch (id)
            {
            case 0: vendorName = text; break;
            case 1: productCode = text; break;
            case 2: revision = text; break;
            default: break;
            }
            if (id <= 2)
                foundObjects |= 1u << id;
            pos += 2 + length;
        }
    } while (code != MODBUS_SUCCESS && attempts < m_retries);

    ThrowIfError(code);
    return code == MODBUS_SUCCESS && foundObjects == 0x7;
}

void CModbus::CancelExchangesOf(DWORD threadId)
{
    CSingleLock lock(&m_cancelLock, TRUE);
    m_cancelledThreads.insert(threadId);
    const auto waiter = m_turnWaiters.find(threadId);
    if (waiter != m_turnWaiters.end())
        waiter->second->SetEvent();
    if (m_exchangeThread == threadId)
        AbortExchange();
}

void CModbus::EndCancelOf(DWORD threadId)
{
    CSingleLock lock(&m_cancelLock, TRUE);
    m_cancelledThreads.erase(threadId);
}

CModbus::Turn::Turn(CModbus& link) : m_link(link), m_taken(link.TakeTurn())
{
}

CModbus::Turn::~Turn()
{
    if (m_taken)
        m_link.m_mutex.Unlock();
}

bool CModbus::TakeTurn()
{
    const DWORD self = ::GetCurrentThreadId();
    if (IsCancelled(self))
        return false;
    if (m_mutex.Lock(0))
        return true;
    CEvent cancelled(FALSE, TRUE);
    {
        CSingleLock lock(&m_cancelLock, TRUE);
        if (m_cancelledThreads.count(self) != 0)
            return false;
        m_turnWaiters[self] = &cancelled;
    }
    CSyncObject* objects[2] = { &m_mutex, &cancelled };
    CMultiLock wait(objects, 2);
    const DWORD result = wait.Lock(INFINITE, FALSE);
    const bool taken = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
    // Held once more of our own, as the wait gives back what it took when it goes.
    if (taken)
        m_mutex.Lock();
    wait.Unlock();
    CSingleLock lock(&m_cancelLock, TRUE);
    m_turnWaiters.erase(self);
    return taken;
}

bool CModbus::IsCancelled(DWORD threadId)
{
    CSingleLock lock(&m_cancelLock, TRUE);
    return m_cancelledThreads.count(threadId) != 0;
}

bool CModbus::BeginExchange()
{
    CSingleLock lock(&m_cancelLock, TRUE);
    const DWORD thread = ::GetCurrentThreadId();
    if (m_cancelledThreads.count(thread) != 0)
        return false;
    m_exchangeThread = thread;
    return true;
}

void CModbus::EndExchange()
{
    CSingleLock lock(&m_cancelLock, TRUE);
    m_exchangeThread = 0;
}

int CModbus::Exchange(CByteArray& query, int queryLength, CByteArray& reply, int expectedLength,
                      int* receivedLength)
{
    if (IsCancelled(::GetCurrentThreadId()))
        return MODBUS_ERROR_READ;
    return TxRxMessage(query, queryLength, reply, expectedLength, receivedLength);
}

void CModbus::TransactRaw(const std::vector<BYTE>& query, std::vector<BYTE>& reply)
{
    reply.clear();
    CByteArray queryBytes;
    queryBytes.SetSize(static_cast<INT_PTR>(query.size()));
    for (size_t i = 0; i < query.size(); ++i)
        queryBytes[static_cast<INT_PTR>(i)] = query[i];

    CByteArray replyBytes;
    replyBytes.SetSize(kRawReplySize);

    Turn turn(*this);
    if (!turn.Taken())
        throw CModbusException(GetErrorText(MODBUS_ERROR_READ), MODBUS_ERROR_READ);
    int received = 0;
    const int code = Exchange(queryBytes, static_cast<int>(query.size()), replyBytes, 0, &received);
    if (code != MODBUS_SUCCESS)
        throw CModbusException(GetErrorText(code), code);
    if (received > replyBytes.GetSize())
        received = static_cast<int>(replyBytes.GetSize());
    reply.assign(replyBytes.GetData(), replyBytes.GetData() + received);
}
