#include "modbus/CLocalModbus.h"

#include "framework/CSingleLock.h"

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace
{
const DWORD kDriverQueueBytes = 1024;
const int kRtuFrameBytes = 512;
const int kRtuFirstRead = 4;
const int kAsciiFrameBytes = 512;

// Table of the reflected polynomial 0xA001, built at compile time.
constexpr std::array<WORD, 256> MakeCrcTable()
{
    std::array<WORD, 256> table{};
    for (int i = 0; i < 256; ++i)
    {
        WORD crc = static_cast<WORD>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<WORD>((crc >> 1) ^ 0xA001) : static_cast<WORD>(crc >> 1);
        table[i] = crc;
    }
    return table;
}
constexpr std::array<WORD, 256> kCrcTable = MakeCrcTable();

const char kHexDigits[] = "0123456789ABCDEF";

// Upper-case hexadecimal only; anything else counts as 0.
BYTE HexValue(BYTE ch)
{
    if (ch >= '0' && ch <= '9')
        return static_cast<BYTE>(ch - '0');
    if (ch >= 'A' && ch <= 'F')
        return static_cast<BYTE>(ch - 'A' + 10);
    return 0;
}

BYTE HexPair(const BYTE* text)
{
    return static_cast<BYTE>(HexValue(text[0]) * 16 + HexValue(text[1]));
}

const int kRtuExceptionBytes = 5;
const int kRtuEchoBytes = 8;
const int kRtuCrcBytes = 2;
const BYTE kMeiReadDeviceId = 0x0E;
const int kDeviceIdHeaderBytes = 8;

// The length of the RTU reply that begins with the `have` bytes of frame, its CRC
// included, as far as they tell it: the whole length, or more than `have` when further
// bytes must come before they tell more; 0 for a function whose reply does not say.
int RtuReplyBytes(const BYTE* frame, int have)
{
    const BYTE function = frame[1];
    if (function >= 0x80)
        return kRtuExceptionBytes;
    switch (function)
    {
    case 0x01: case 0x02: case 0x03: case 0x04:
        return 3 + frame[2] + kRtuCrcBytes;
    case 0x05: case 0x06: case 0x0F: case 0x10:
        return kRtuEchoBytes;
    case 0x2B:
    {
        if (frame[2] != kMeiReadDeviceId)
            return 0;
        if (have < kDeviceIdHeaderBytes)
            return kDeviceIdHeaderBytes;
        // Objects follow the header, each an id, a length and that many bytes.
        int end = kDeviceIdHeaderBytes;
        for (int object = 0; object < frame[7]; ++object)
        {
            if (have < end + 2)
                return end + 2;
            end += 2 + frame[end + 1];
        }
        return end + kRtuCrcBytes;
    }
    default:
        return 0;
    }
}
}

WORD ModbusCrc16(const BYTE* bytes, int length)
{
    WORD crc = 0xFFFF;
    for (int i = 0; i < length; ++i)
        crc = static_cast<WORD>((crc >> 8) ^ kCrcTable[(crc ^ bytes[i]) & 0xFF]);
    // The byte sent first is the high byte of the result.
    return static_cast<WORD>((crc << 8) | (crc >> 8));
}

BYTE ModbusLrc(const BYTE* bytes, int length)
{
    BYTE sum = 0;
    for (int i = 0; i < length; ++i)
        sum = static_cast<BYTE>(sum + bytes[i]);
    return static_cast<BYTE>(-sum);
}

CLocalModbus::CLocalModbus(FILE* trace) : CModbus(trace)
{
    m_frame.SetSize(kAsciiFrameBytes);
}

CLocalModbus::~CLocalModbus()
{
    Close();
}

void CLocalModbus::SetInterCharTimeout(DWORD timeoutMs)
{
    if (timeoutMs != 0)
        m_interCharTimeout = timeoutMs;
}

BOOL CLocalModbus::Open(int comPort, int baudRate, BYTE parity)
{
    (void)comPort; // the stored port number counts
    CSingleLock lock(&m_mutex, TRUE);
    if (!Close())
        return FALSE;

    char name[32];
    std::snprintf(name, sizeof name, "COM%d", m_comPort);
    m_port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (m_port == INVALID_HANDLE_VALUE)
    {
        std::snprintf(name, sizeof name, "\\\\.\\COM%d", m_comPort);
        m_port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (m_port == INVALID_HANDLE_VALUE)
            return FALSE;
    }

    if (baudRate != 0)
        m_baudRate = baudRate;
    if (parity != 0xFF)
        m_parity = parity;

    if (!SetUpLine())
    {
        // Keeping a half-set-up handle would hold the port busy until the link dies.
        CloseHandle(m_port);
        m_port = INVALID_HANDLE_VALUE;
        return FALSE;
    }
    m_lineLost = false;
    return TRUE;
}

BOOL CLocalModbus::SetUpLine()
{
    if (m_baudRate <= 0)
        return FALSE; // the time-outs below divide by it
    if (!SetupComm(m_port, kDriverQueueBytes, kDriverQueueBytes))
        return FALSE;

    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(m_baudRate);
    dcb.fBinary = 1;
    if (m_flowControl & 0x01)
    {
        dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
        dcb.fOutxDsrFlow = 1;
    }
    else
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
    if (m_flowControl & 0x02)
    {
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        dcb.fOutxCtsFlow = 1;
    }
    else
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (m_flowControl & 0x04)
    {
        dcb.fOutX = 1;
        dcb.fInX = 1;
    }
    dcb.XonLim = 100;
    dcb.XoffLim = 100;
    dcb.ByteSize = m_dataBits;
    dcb.Parity = m_parity;
    dcb.StopBits = m_stopBits;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;

    // Bits per character: start bit, data bits and the stop-bits code plus one.
    const DWORD bitsPerChar = m_dataBits + m_stopBits + 1u;
    const DWORD baud = static_cast<DWORD>(m_baudRate);
    const DWORD minInterChar = bitsPerChar * 20000u / baud;
    if (minInterChar > m_interCharTimeout)
        m_interCharTimeout = minInterChar;
    // 3.5 characters, rounded up; a few ms at the least, as timers and drivers go.
    m_interFrameMs = (35u * bitsPerChar * 100u + baud - 1u) / baud;
    if (m_interFrameMs < 2)
        m_interFrameMs = 2;

    COMMTIMEOUTS timeouts = {};
    if (m_mode == MODE_ASCII)
    {
        // Reads return at once with what is queued; the exchange polls.
        timeouts.ReadIntervalTimeout = MAXDWORD;
    }
    else
    {
        const DWORD perChar = bitsPerChar * 1000u / baud;
        timeouts.ReadIntervalTimeout = m_interCharTimeout;
        timeouts.ReadTotalTimeoutMultiplier = perChar;
        timeouts.ReadTotalTimeoutConstant = m_responseTimeout;
        timeouts.WriteTotalTimeoutMultiplier = perChar;
        timeouts.WriteTotalTimeoutConstant = m_responseTimeout;
    }
    return SetCommTimeouts(m_port, &timeouts) && SetCommState(m_port, &dcb);
}

BOOL CLocalModbus::Close()
{
    CSingleLock lock(&m_mutex, TRUE);
    m_lineLost = false;
    if (m_port == INVALID_HANDLE_VALUE)
        return TRUE;
    if (!CloseHandle(m_port))
        return FALSE;
    m_port = INVALID_HANDLE_VALUE;
    return TRUE;
}

void CLocalModbus::Purge()
{
    PurgeComm(m_port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

int CLocalModbus::TxRxMessage(CByteArray& query, int queryLength, CByteArray& reply,
                              int expectedLength, int* receivedLength)
{
    CSingleLock lock(&m_mutex, TRUE);
    if (reply.GetSize() < expectedLength)
        reply.SetSize(expectedLength);
    if (!IsOpen())
    {
        if (!m_lineLost)
            return MODBUS_ERROR_PORT_CLOSED;
        if (!Open(m_comPort))
        {
            m_lineLost = true;   // still away: tried again next time
            return MODBUS_ERROR_PORT_CLOSED;
        }
    }

    PrepareLine(query.GetData(), queryLength);
    m_frameWhole = false;
    const int code = m_mode == MODE_ASCII ? TxRxAscii(query, queryLength, reply, receivedLength)
                                          : TxRxRtu(query, queryLength, reply, expectedLength, receivedLength);
    EndExchange();
    if (m_sendCancelled)
    {
        // Nothing was sent: the line and what it knows of the last exchange stay as they were.
        m_sendCancelled = false;
        return MODBUS_ERROR_READ;
    }
    BookExchange(query.GetData(), queryLength, code);
    // Another request's frame may have come before this one's own answer.
    m_lastExchangeBroken = !m_frameWhole || code == MODBUS_ERROR_INVALID_RESPONSE;
    m_lastExchangeEnd = timeGetTime();

    if (code == MODBUS_ERROR_WRITE || code == MODBUS_ERROR_READ)
    {
        // The handle failed (an adapter unplugged, a line gone): it is let go, and every
        // later exchange tries the port again until it is back, for every user of the link.
        ::CloseHandle(m_port);
        m_port = INVALID_HANDLE_VALUE;
        m_lineLost = true;
    }
    return code;
}

namespace
{
// A late answer may come this long after its sending: two response time-outs, and a quarter
// more for the delays of the device and of the drivers on either side.
DWORD LatestAnswerMs(DWORD responseTimeout)
{
    return 2 * responseTimeout + responseTimeout / 4;
}

bool SameUnitAndFunction(const std::vector<BYTE>& owed, const BYTE* query, int queryLength)
{
    return queryLength >= 2 && owed.size() >= 2 && owed[0] == query[0] && owed[1] == query[1];
}

bool SameRequest(const std::vector<BYTE>& owed, const BYTE* query, int queryLength)
{
    return static_cast<int>(owed.size()) == queryLength && std::equal(owed.begin(), owed.end(), query);
}
}

void CLocalModbus::PrepareLine(const BYTE* query, int queryLength)
{
    const DWORD now = timeGetTime();
    DropExpiredOwed(now);
    bool await = m_answeredLate && !m_owed.empty();
    for (const OwedAnswer& owed : m_owed)
        if (m_lateUnits.count(owed.query[0]) != 0 && !SameRequest(owed.query, query, queryLength))
            await = true;
    if (await)
        AwaitOwedAnswers();

    bool came;
    if (m_lastExchangeBroken)
        came = DropUntilQuiet(now, m_interCharTimeout, m_interCharTimeout);
    else if (m_mode == MODE_ASCII)
        came = DropUntilQuiet(m_lastExchangeEnd, 0, m_interCharTimeout);
    else
        came = DropUntilQuiet(m_lastExchangeEnd, m_interFrameMs, m_interCharTimeout);
    if (came && !m_owed.empty())
    {
        // An owed answer, come after its time-out: what else is owed is awaited as well.
        NoteLateAnswer(m_owed.front().query[0]);
        m_owed.erase(m_owed.begin());
        if (!m_owed.empty())
            AwaitOwedAnswers();
    }
}

void CLocalModbus::DropExpiredOwed(DWORD now)
{
    const DWORD latest = LatestAnswerMs(m_responseTimeout);
    for (auto owed = m_owed.begin(); owed != m_owed.end();)
    {
        if (now - owed->sentAt < latest)
        {
            ++owed;
            continue;
        }
        // Its unit let the whole time pass without a word: silent now, not late.
        m_lateUnits.erase(owed->query[0]);
        owed = m_owed.erase(owed);
    }
}

void CLocalModbus::NoteLateAnswer(BYTE unit)
{
    m_answeredLate = true;
    m_lateUnits.insert(unit);
}

void CLocalModbus::AwaitOwedAnswers()
{
    const DWORD self = ::GetCurrentThreadId();
    for (;;)
    {
        const DWORD now = timeGetTime();
        DropExpiredOwed(now);
        if (m_owed.empty() || IsCancelled(self))
            break;
        DWORD errors = 0;
        COMSTAT status = {};
        if (!ClearCommError(m_port, &errors, &status))
            break;
        if (status.cbInQue > 0)
        {
            // The oldest is taken as answered: the deadline left is the latest one.
            DropUntilQuiet(now, m_interCharTimeout, m_interCharTimeout);
            NoteLateAnswer(m_owed.front().query[0]);
            m_owed.erase(m_owed.begin());
            continue;
        }
        Sleep(1);
    }
    m_owed.clear();
    m_answeredLate = false;
}

void CLocalModbus::BookExchange(const BYTE* query, int queryLength, int code)
{
    if (queryLength <= 0 || code == MODBUS_ERROR_WRITE)
        return;
    const OwedAnswer sending = {std::vector<BYTE>(query, query + queryLength), m_lastWriteEnd};
    if (code == MODBUS_ERROR_TIMEOUT)
        m_owed.push_back(sending);
    else if (m_frameWhole && code != MODBUS_ERROR_INVALID_RESPONSE)
    {
        // The same request sent again: the answer may be the one to an earlier sending, and
        // then the answer to this one is still to come.
        const auto earlier = std::find_if(m_owed.begin(), m_owed.end(), [&](const OwedAnswer& owed) {
            return SameRequest(owed.query, query, queryLength);
        });
        if (earlier != m_owed.end())
        {
            m_owed.erase(earlier);
            m_owed.push_back(sending);
            NoteLateAnswer(query[0]);
        }
    }
    else if (m_frameWhole)
    {
        // Another request's frame: an owed answer come late, and this request's own is owed.
        const BYTE head[2] = {m_frameUnit, static_cast<BYTE>(m_frameFunction & 0x7F)};
        const auto owner = std::find_if(m_owed.begin(), m_owed.end(), [&](const OwedAnswer& owed) {
            return SameUnitAndFunction(owed.query, head, 2);
        });
        if (owner != m_owed.end())
        {
            NoteLateAnswer(m_frameUnit);
            m_owed.erase(owner);
            m_owed.push_back(sending);
        }
    }
    if (m_owed.empty())
        m_answeredLate = false;
}

int CLocalModbus::TxRxRtu(CByteArray& query, int queryLength, CByteArray& reply,
                          int expectedLength, int* receivedLength)
{
    // The frame buffer holds the longest reply with its CRC and room to spare.
    if (queryLength < 0 || expectedLength < 0 || expectedLength + 2 > kRtuFrameBytes)
        return MODBUS_ERROR_INVALID_RESPONSE;

    const WORD crc = ModbusCrc16(query.GetData(), queryLength);
    if (query.GetSize() < queryLength + 2)
        query.SetSize(queryLength + 2);
    query[queryLength] = HIBYTE(crc);
    query[queryLength + 1] = LOBYTE(crc);

    Purge();
    if (!WriteFrame(query.GetData(), queryLength + 2))
        return MODBUS_ERROR_WRITE;

    m_frame.SetSize(kRtuFrameBytes);
    BYTE* frame = m_frame.GetData();
    ZeroMemory(frame, kRtuFrameBytes);

    // A short first read; then the reply says how long it is, and reading exactly that
    // much ends at its last byte. The driver's interval time-out ends a reply that stops
    // short, and reads on to the silence a reply whose length its function does not give.
    DWORD received = 0;
    DWORD got = 0;
    if (!ReadFile(m_port, frame, kRtuFirstRead, &got, nullptr))
    {
        DWORD errors = 0;
        ClearCommError(m_port, &errors, nullptr);
        return MODBUS_ERROR_READ;
    }
    // The driver may end its total time-out well before the time set (Wine does on a busy
    // machine): the rest of the response time-out is waited here, or a late answer would
    // miss the repeat's time and come in another request's.
    const DWORD self = ::GetCurrentThreadId();
    while (got == 0 && timeGetTime() - m_lastWriteEnd < m_responseTimeout && !IsCancelled(self))
    {
        DWORD errors = 0;
        COMSTAT status = {};
        if (!ClearCommError(m_port, &errors, &status))
            break;
        if (status.cbInQue == 0)
        {
            Sleep(1);
            continue;
        }
        if (!ReadFile(m_port, frame, kRtuFirstRead, &got, nullptr))
        {
            ClearCommError(m_port, &errors, nullptr);
            return MODBUS_ERROR_READ;
        }
    }
    received = got;
    if (got == kRtuFirstRead)
    {
        int length = RtuReplyBytes(frame, static_cast<int>(received));
        for (;;)
        {
            const int wanted = length > 0 ? std::min(length, kRtuFrameBytes) : kRtuFrameBytes;
            if (wanted <= static_cast<int>(received))
                break;
            const DWORD asked = static_cast<DWORD>(wanted) - received;
            got = 0;
            if (!ReadFile(m_port, frame + received, asked, &got, nullptr))
            {
                DWORD errors = 0;
                ClearCommError(m_port, &errors, nullptr);
                return MODBUS_ERROR_READ;
            }
            received += got;
            if (length <= 0 || got < asked || static_cast<int>(received) >= kRtuFrameBytes)
                break;
            length = RtuReplyBytes(frame, static_cast<int>(received));
        }
    }
    if (received == 0)
        return MODBUS_ERROR_TIMEOUT;
    TraceFrame(" ReadResponse", frame, static_cast<int>(received));

    // Any function byte with its top bit set is an exception reply, never a success.
    if (frame[1] >= 0x80)
    {
        const WORD exceptionCrc = ModbusCrc16(frame, 3);
        if (received < 5 || frame[3] != HIBYTE(exceptionCrc) || frame[4] != LOBYTE(exceptionCrc))
            return MODBUS_ERROR_CRC;
        NoteWholeFrame(frame);
        return ReplyResult(query.GetData(), queryLength, frame, 3);
    }

    // With no expected length the check position is past the frame: the zero fill
    // there matches exactly when the CRC over the frame with its own CRC is 0.
    const int checkAt = expectedLength != 0 ? expectedLength : static_cast<int>(received);
    if (checkAt < 3 || checkAt + 2 > kRtuFrameBytes)
        return MODBUS_ERROR_CRC;
    const WORD replyCrc = ModbusCrc16(frame, checkAt);
    if (frame[checkAt] != HIBYTE(replyCrc) || frame[checkAt + 1] != LOBYTE(replyCrc))
        return MODBUS_ERROR_CRC;

    const int replyLength = expectedLength != 0 ? expectedLength : static_cast<int>(received) - 2;
    NoteWholeFrame(frame);
    const int result = ReplyResult(query.GetData(), queryLength, frame, replyLength);
    if (result != MODBUS_SUCCESS)
        return result;
    reply.SetSize(replyLength);
    CopyMemory(reply.GetData(), frame, replyLength);
    if (receivedLength)
        *receivedLength = replyLength;
    return MODBUS_SUCCESS;
}

int CLocalModbus::TxRxAscii(CByteArray& query, int queryLength, CByteArray& reply,
                            int* receivedLength)
{
    const int frameLength = 2 * queryLength + 5;
    if (queryLength < 0 || frameLength > kAsciiFrameBytes)
        return MODBUS_ERROR_WRITE;

    m_frame.SetSize(kAsciiFrameBytes);
    BYTE* frame = m_frame.GetData();
    int pos = 0;
    frame[pos++] = ':';
    for (int i = 0; i < queryLength; ++i)
    {
        frame[pos++] = kHexDigits[query[i] >> 4];
        frame[pos++] = kHexDigits[query[i] & 0x0F];
    }
    const BYTE lrc = ModbusLrc(query.GetData(), queryLength);
    frame[pos++] = kHexDigits[lrc >> 4];
    frame[pos++] = kHexDigits[lrc & 0x0F];
    frame[pos++] = '\r';
    frame[pos++] = '\n';

    Purge();
    if (!WriteFrame(frame, frameLength))
        return MODBUS_ERROR_WRITE;

    ZeroMemory(frame, kAsciiFrameBytes);
    int received = 0;
    DWORD timeout = m_responseTimeout;
    DWORD silenceStart = timeGetTime();
    bool silent = false;
    for (;;)
    {
        if (received >= kAsciiFrameBytes)
            return MODBUS_ERROR_READ;
        DWORD got = 0;
        if (!ReadFile(m_port, frame + received, 1, &got, nullptr))
        {
            DWORD errors = 0;
            ClearCommError(m_port, &errors, nullptr);
            return MODBUS_ERROR_READ;
        }
        if (got == 1)
        {
            ++received;
            silent = false;
            timeout = m_interCharTimeout;
            if (received > 5 && frame[received - 2] == '\r' && frame[received - 1] == '\n')
                break;
        }
        else
        {
            Sleep(1);
            if (!silent)
            {
                silent = true;
                silenceStart = timeGetTime();
            }
        }
        DWORD errors = 0;
        COMSTAT status = {};
        ClearCommError(m_port, &errors, &status);
        if (silent && status.cbInQue == 0 && timeGetTime() - silenceStart >= timeout)
            break;
    }

    if (received == 0)
        return MODBUS_ERROR_TIMEOUT;
    if (received < 5)
        return MODBUS_ERROR_CRC;

    // The LRC pair sits before CR LF; the data pairs run from position 1 up to it.
    const int lrcAt = received - 4;
    const int dataBytes = (lrcAt - 1) / 2;
    BYTE sum = 0;
    for (int i = 0; i < dataBytes; ++i)
        sum = static_cast<BYTE>(sum + HexPair(frame + 1 + 2 * i));
    if (HexPair(frame + lrcAt) != static_cast<BYTE>(-sum))
        return MODBUS_ERROR_CRC;

    const int replyLength = (received - 5) / 2;
    const BYTE head[3] = {HexPair(frame + 1), HexPair(frame + 3), HexPair(frame + 5)};
    NoteWholeFrame(head);
    const int result = ReplyResult(query.GetData(), queryLength, head, std::min(replyLength, 3));
    if (result != MODBUS_SUCCESS)
        return result;

    // The caller sizes its array to the expected reply; a longer one grows it.
    if (reply.GetSize() < replyLength)
        reply.SetSize(replyLength);
    for (int i = 0; i < replyLength; ++i)
        reply[i] = HexPair(frame + 1 + 2 * i);
    if (receivedLength)
        *receivedLength = replyLength;
    return MODBUS_SUCCESS;
}

bool CLocalModbus::WriteFrame(const BYTE* frame, int length)
{
    // Under the cancel lock: once a cancel of this thread's exchanges has returned, no
    // request of it leaves (a cancel waits for a write under way).
    CSingleLock cancel(&m_cancelLock, TRUE);
    if (!BeginExchange())
    {
        m_sendCancelled = true;
        return false;
    }
    DWORD written = 0;
    if (!WriteFile(m_port, frame, static_cast<DWORD>(length), &written, nullptr))
    {
        DWORD errors = 0;
        ClearCommError(m_port, &errors, nullptr);
        return false;
    }
    TraceFrame(" WriteQuery", frame, length);

    // Wait for the driver to drain its output queue, at most the response time-out.
    const DWORD start = timeGetTime();
    for (;;)
    {
        DWORD errors = 0;
        COMSTAT status = {};
        ClearCommError(m_port, &errors, &status);
        if (status.cbOutQue == 0)
        {
            m_lastWriteEnd = timeGetTime();
            return true;
        }
        if (timeGetTime() - start >= m_responseTimeout)
            return false;
        Sleep(1);
    }
}

bool CLocalModbus::DropUntilQuiet(DWORD since, DWORD silentMs, DWORD quietMs)
{
    const DWORD start = timeGetTime();
    const DWORD self = ::GetCurrentThreadId();
    DWORD lastByte = since;
    bool dropped = false;
    for (;;)
    {
        DWORD errors = 0;
        COMSTAT status = {};
        if (!ClearCommError(m_port, &errors, &status))
            return dropped;
        const DWORD now = timeGetTime();
        if (status.cbInQue > 0)
        {
            PurgeComm(m_port, PURGE_RXABORT | PURGE_RXCLEAR);
            lastByte = now;
            dropped = true;
        }
        else if (now - lastByte >= (dropped ? quietMs : silentMs))
            return dropped;
        // A line that never falls quiet: the request goes out all the same.
        if (now - start >= m_responseTimeout + silentMs || IsCancelled(self))
            return dropped;
        Sleep(1);
    }
}

void CLocalModbus::NoteWholeFrame(const BYTE* frame)
{
    m_frameWhole = true;
    m_frameUnit = frame[0];
    m_frameFunction = frame[1];
}

void CLocalModbus::TraceFrame(const char* label, const BYTE* frame, int length)
{
    if (!m_trace)
        return;
    std::fprintf(m_trace, "%s (%3i bytes): ", label, length);
    for (int i = 0; i < length; ++i)
        std::fprintf(m_trace, "0x%02x ", frame[i]);
    std::fprintf(m_trace, "\n");
}
