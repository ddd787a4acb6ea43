// Modbus master over a COM port with RTU (binary, CRC-16) or ASCII (hexadecimal
// text, LRC) framing.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CByteArray.h"
#include "modbus/CModbus.h"

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
    // Drops whatever comes in until no byte has come for quietMs since `since` and since
    // the last byte dropped; while nothing came, at least silentWaitMs. Bounded by the
    // response time-out (a line that never falls quiet) beyond silentWaitMs.
    void DropUntilQuiet(DWORD since, DWORD quietMs, DWORD silentWaitMs);
    // False, with m_sendCancelled set and nothing written, when the calling thread's
    // exchanges are cancelled.
    bool WriteFrame(const BYTE* frame, int length);
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
    // A request that was not answered in time: the device may still answer it late, so the
    // same request sent again may be answered twice.
    std::vector<BYTE> m_unansweredQuery;
    DWORD m_unansweredSentAt = 0;   // its first sending
    // Reused by every exchange, only under the link mutex.
    CByteArray m_frame;
};
