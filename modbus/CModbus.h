// Abstract Modbus master: builds the requests of the functions the programs use,
// checks the replies, retries and turns every outcome into a result code. The
// transports (serial, TCP) supply the wire through TxRxMessage.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CByteArray.h"
#include "framework/CCriticalSection.h"
#include "framework/CEvent.h"
#include "framework/CMutex.h"
#include "framework/CString.h"
#include "framework/CWordArray.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

// Result codes of every Modbus operation (0 success).
enum EModbusResult
{
    MODBUS_SUCCESS = 0,
    MODBUS_ERROR_TIMEOUT = 1,            // nothing received
    MODBUS_ERROR_INVALID_RESPONSE = 2,   // reply does not match the request
    MODBUS_ERROR_CRC = 3,                // CRC-16 or LRC mismatch
    MODBUS_ERROR_WRITE = 8,              // serial write failed
    MODBUS_ERROR_READ = 9,               // serial read failed
    MODBUS_ERROR_PORT_CLOSED = 10,       // comm port not opened
    MODBUS_ERROR_LOCK_TIMEOUT = 11,      // text only
    MODBUS_ERROR_BUFFER_OVERFLOW = 1000, // bad register count; TCP buffer too small
    MODBUS_ERROR_SOCKET = 1001,
    MODBUS_ERROR_SOCKET_WRITE = 1002,
    MODBUS_ERROR_SOCKET_READ = 1003,
    MODBUS_ERROR_NOT_CONNECTED = 1004,
    MODBUS_EXCEPTION_BASE = 0x8000       // | the device's exception code
};

// Name of a Modbus exception code ("unknown" for codes without a name).
std::string ModbusExceptionText(int exceptionCode);

class CModbus
{
public:
    explicit CModbus(FILE* trace = nullptr);
    virtual ~CModbus();

    CModbus(const CModbus&) = delete;
    CModbus& operator=(const CModbus&) = delete;

    // Text of a result code; transports with codes of their own override it.
    virtual CString GetErrorText(int code);

    // How the calling thread's last failed exchange ended, where its code does not say.
    enum EExchangeEnd
    {
        EXCHANGE_END_OTHER,
        EXCHANGE_END_TIMEOUT,   // nothing came in time
        EXCHANGE_END_CLOSED     // the device closed or reset the connection
    };
    virtual EExchangeEnd LastExchangeEnd() { return EXCHANGE_END_OTHER; }
    virtual BOOL IsOpen() = 0;
    // One exchange. query holds unit id + PDU (queryLength bytes, no checksum or
    // header); expectedLength is the reply's unit id + PDU length, 0 to take
    // whatever arrives. receivedLength, when given, gets the reply's length.
    virtual int TxRxMessage(CByteArray& query, int queryLength, CByteArray& reply,
                            int expectedLength, int* receivedLength = nullptr) = 0;

    // Attempts per operation; belongs to the link, so on a shared link the last
    // setter wins for every holder.
    void SetRetries(WORD retries) { m_retries = retries; }
    WORD GetRetries() const { return m_retries; }
    void SetThrowOnError(bool throwOnError) { m_throwOnError = throwOnError; }
    bool GetThrowOnError() const { return m_throwOnError; }

    // Throws CModbusException for a non-zero code when the throw flag is on.
    void ThrowIfError(int code);

    int ReadHoldingRegisters(int unit, int start, WORD count, CWordArray& words);
    int ReadInputRegisters(int unit, int start, WORD count, CWordArray& words);
    int WriteSingleRegister(int unit, int address, int value);
    int WriteSingleCoil(int unit, int address, int on);
    static WORD CoilValue(int on) { return on == 1 ? 0xFF00 : 0x0000; }

    // Function 43/14, basic objects 0..2; true only when all three came.
    bool ReadDeviceIdentification(int unit, CString& vendorName, CString& productCode,
                                  CString& revision);

    // One raw exchange of unit id + PDU; throws CModbusException on any failure.
    void TransactRaw(const std::vector<BYTE>& query, std::vector<BYTE>& reply);

    // A thread that is being stopped: the exchange it has under way is cut short as far
    // as the transport can, its wait for the link's turn ends, and every later attempt of
    // it fails at once without traffic, until EndCancelOf. Other threads' exchanges on the
    // link go on undisturbed.
    void CancelExchangesOf(DWORD threadId);
    void EndCancelOf(DWORD threadId);

protected:
    // What a whole reply frame (unit id + PDU, its checksum or header checked) is to `query`:
    // MODBUS_SUCCESS for a frame of the request's unit and function; the exception code for
    // one of its unit and its function with the top bit set; MODBUS_ERROR_INVALID_RESPONSE
    // for any other frame (another unit's, or the answer to another request).
    static int ReplyResult(const BYTE* query, int queryLength, const BYTE* frame, int frameLength);

    // TxRxMessage, unless the calling thread's exchanges are cancelled (then
    // MODBUS_ERROR_READ at once). The caller holds m_mutex.
    int Exchange(CByteArray& query, int queryLength, CByteArray& reply, int expectedLength,
                 int* receivedLength);
    bool IsCancelled(DWORD threadId);
    // Marks the exchange of the calling thread as the one under way; false (nothing
    // marked) when the thread's exchanges are cancelled. EndExchange marks none.
    bool BeginExchange();
    void EndExchange();
    // Cuts short the exchange under way; m_cancelLock is held. Nothing by default: the
    // transport's own time-outs end it.
    virtual void AbortExchange() {}

    // Guards the cancel bookkeeping and whatever AbortExchange reaches; held only briefly,
    // never across an exchange.
    CCriticalSection m_cancelLock;
    DWORD m_exchangeThread = 0;
    std::set<DWORD> m_cancelledThreads;
    // The threads waiting for m_mutex in an operation, each with the event that ends its wait.
    std::map<DWORD, CEvent*> m_turnWaiters;

    // Held by every transaction for its whole length; recursive for the owner.
    CMutex m_mutex;
    FILE* m_trace;

public:
    // m_mutex held for one operation of the calling thread, or for several in a row (the
    // operations inside take it again), taken however long others keep it, unless the
    // thread's exchanges are cancelled before or while it waits: a stopped thread must not
    // wait behind the exchanges of others.
    class Turn
    {
    public:
        explicit Turn(CModbus& link);
        ~Turn();
        bool Taken() const { return m_taken; }
        Turn(const Turn&) = delete;
        Turn& operator=(const Turn&) = delete;

    private:
        CModbus& m_link;
        bool m_taken;
    };

private:
    bool TakeTurn();

    int ReadRegisters(int unit, BYTE function, int start, WORD count, CWordArray& words);
    int WriteSingle(int unit, BYTE function, int address, WORD value);

    WORD m_retries = 1;
    bool m_throwOnError = false;
};

// What became of a failed request, as a user reads it: "control did not respond to Modbus
// <request> request" only for a time-out, the connection closed, the control's exception
// with its meaning, or the link's own text. request: "read" or "write". Call it on the
// thread that made the request, before its next one: the link tells each thread only how
// its last exchange ended.
std::string ModbusRequestFailureText(int code, CModbus& link, const char* request);
