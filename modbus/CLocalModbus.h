// Modbus master over a COM port with RTU (binary, CRC-16) or ASCII (hexadecimal
// text, LRC) framing.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CByteArray.h"
#include "modbus/CModbus.h"

#include <set>
#include <vector>

// CRC-16 of the Modbus serial line; the high byte goes on the wire first.
WORD ModbusCrc16(const BYTE* bytes, int length);
// Two's complement of the 8-bit sum of the bytes.
BYTE ModbusLrc(const BYTE* bytes, int length);

class CLocalModbus : public CModbus
{
public:
    enum EFramingMode
    {
        MODE_RTU = 0,
        MODE_ASCII = 1
    };

    explicit CLocalModbus(FILE* trace = nullptr);
    ~CLocalModbus() override;

    BOOL IsOpen() override { return m_port != INVALID_HANDLE_VALUE; }
    int TxRxMessage(CByteArray& query, int queryLength, CByteArray& reply, int expectedLength,
                    int* receivedLength = nullptr) override;

    // Line settings apply at the next Open; the time-outs of the exchange at once.
    void SetComPort(int comPort) { m_comPort = comPort; }
    void SetTimeout(DWORD timeoutMs) { m_responseTimeout = timeoutMs; }
    void SetInterCharTimeout(DWORD timeoutMs);
    void SetFlowControl(BYTE flags) { m_flowControl = flags; }
    void SetStopBits(BYTE stopBitsCode) { m_stopBits = stopBitsCode; }
    void SetBaudRate(int baudRate) { m_baudRate = baudRate; }
    void SetParity(BYTE parityCode) { m_parity = parityCode; }
    void SetMode(int mode) { m_mode = mode; }
    void SetDataBits(BYTE dataBits) { m_dataBits = dataBits; }
    DWORD GetInterCharTimeout() const { return m_interCharTimeout; }
    BYTE GetFlowControl() const { return m_flowControl; }
    BYTE GetStopBits() const { return m_stopBits; }

    // Opens the stored port number (comPort is not used). baudRate 0 and parity
    // 0xFF keep the stored values. A port that opens but cannot be set up is
    // closed again, so a failed open never keeps the port busy.
    BOOL Open(int comPort, int baudRate = 0, BYTE parity = 0xFF);
    // FALSE only when CloseHandle fails; the handle is then kept. A closed link stays
    // closed; one whose handle failed in an exchange is opened again by the next one.
    BOOL Close();
    void Purge();

private:
    BOOL SetUpLine();
    int TxRxRtu(CByteArray& query, int queryLength, CByteArray& reply, int expectedLength,
                int* receivedLength);
    int TxRxAscii(CByteArray& query, int queryLength, CByteArray& reply, int* receivedLength);
    // Waits, before `query` goes out, until the line is free for it (the rule of the line, below).
    void PrepareLine(const BYTE* query, int queryLength);
    // Drops what comes until every owed answer came (one answer to a burst of bytes) or its
    // time passed.
    void AwaitOwedAnswers();
    void DropExpiredOwed(DWORD now);
    void NoteLateAnswer(BYTE unit);
    // Books the exchange of `query` that ended with `code`.
    void BookExchange(const BYTE* query, int queryLength, int code);
    // Drops whatever comes in. When nothing came, returns once silentMs have passed since
    // `since`; once something came, after quietMs without a byte. Bounded by the response
    // time-out (a line that never falls quiet) beyond silentMs. True when something came.
    bool DropUntilQuiet(DWORD since, DWORD silentMs, DWORD quietMs);
    // False, with m_sendCancelled set and nothing written, when the calling thread's
    // exchanges are cancelled.
    bool WriteFrame(const BYTE* frame, int length);
    void NoteWholeFrame(const BYTE* frame);
    void TraceFrame(const char* label, const BYTE* frame, int length);

    BYTE m_dataBits = 8;
    HANDLE m_port = INVALID_HANDLE_VALUE;
    bool m_sendCancelled = false;   // under m_mutex
    DWORD m_responseTimeout = 1000;
    DWORD m_interCharTimeout = 0;
    int m_comPort = 2;
    int m_baudRate = 9600;
    BYTE m_parity = 0;
    BYTE m_flowControl = 0;
    BYTE m_stopBits = 0;
    int m_mode = MODE_RTU;
    // The open handle failed and was let go: the next exchange opens the port again.
    bool m_lineLost = false;
    // Silence between two frames: 3.5 characters, at least 2 ms (set at Open).
    DWORD m_interFrameMs = 2;
    // When the last exchange ended (timeGetTime), and whether it got a whole frame.
    DWORD m_lastExchangeEnd = 0;
    bool m_lastExchangeBroken = false;

    // The rule of the line. A request goes out on a quiet line only: in RTU after the frame
    // gap (ASCII frames carry their own ends), after a broken exchange once the rest of it
    // has passed. A reply is a whole frame of the request's unit and function (or its
    // exception) that came in the request's own time-out; any other frame is no reply to it.
    // A sending that had no answer in time may still be answered up to two time-outs after
    // it (and a margin): its answer is owed until then, or until one came and was dropped.
    // Once an answer came late, and while a unit that answered late has an answer owed, no
    // request goes out until every owed answer is settled, except the same request sent
    // again: it may take either answer, and the other is then owed. A late answer to a
    // request sent twice comes in the repeat's time, so a unit that is merely silent delays
    // nothing.
    struct OwedAnswer
    {
        std::vector<BYTE> query;
        DWORD sentAt;   // the end of its sending
    };
    std::vector<OwedAnswer> m_owed;   // oldest first
    bool m_answeredLate = false;
    // Units that answered after their time-out, until one lets an owed answer's time pass.
    std::set<BYTE> m_lateUnits;
    DWORD m_lastWriteEnd = 0;
    // The unit and function of the last whole frame read, and whether one was.
    bool m_frameWhole = false;
    BYTE m_frameUnit = 0;
    BYTE m_frameFunction = 0;
    // Reused by every exchange, only under the link mutex.
    CByteArray m_frame;
};
