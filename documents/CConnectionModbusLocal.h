// A Modbus connection to a COM port or to a Modbus/TCP host, with the register access
// the device document, its pages, the log download and the debug console use.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CConnectionModbus.h"
#include "modbus/ModbusEndpoint.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

const int MODBUS_MAX_READ_LARGE = 124;   // registers per request on a serial line
const int MODBUS_MAX_READ_SMALL = 95;    // over TCP
extern const char* const CONNECTION_DEFAULT_HOST;
// Unit ids a Modbus frame can address (one byte; 0 is the broadcast).
const unsigned MODBUS_UNIT_ID_FIRST = 1;
const unsigned MODBUS_UNIT_ID_LAST = 247;
// The COM numbers Windows gives out (its port database holds at most 4096).
const int COM_PORT_FIRST = 1;
const int COM_PORT_LAST = 4096;

class CConnectionModbusLocal : public CConnectionModbus
{
    DECLARE_DYNAMIC(CConnectionModbusLocal)
public:
    explicit CConnectionModbusLocal(CDocumentDevice* owner);

    int GetMaxReadCount() override;
    CSharedModbusPtr GetTransport() override;
    // "COM<n>", or the host and port as the shared links name them.
    std::string GetLinkKey() override;

    // Consecutive requests of at most GetMaxReadCount registers; the first failure throws.
    void ReadRegisters(int start, WORD* destination, int count);
    void ReadRequest(int start, WORD* destination, int count);
    // The same through a link held by the caller: requests of at most maxCount registers,
    // none sent once abandoned() says so; the first failure throws.
    static void ReadThrough(CModbus& link, int unitId, int maxCount, int start, WORD* destination, int count,
                            const std::function<bool()>& abandoned);
    bool TryReadRegisters(int start, WORD* destination, int count);
    void WriteRegister(int address, WORD value);
    void WriteCoil(int address, bool on);
    void WriteRawModbus(const std::vector<BYTE>& request, std::vector<BYTE>& reply);

    boost::shared_ptr<ModbusEndpoint_t> GetEndpoint() const;

    int GetComPort() const { return m_comPort; }
    void SetComPort(int port) { m_comPort = port; }
    std::string GetHost() const { return m_host; }
    void SetHost(const std::string& host) { m_host = host; }
    int GetTcpPort() const { return m_tcpPort; }
    void SetTcpPort(int port) { m_tcpPort = port; }
    int GetLocalTcpPort() const { return m_localTcpPort; }
    void SetLocalTcpPort(int port) { m_localTcpPort = port; }
    bool IsSerial() const { return m_serial; }
    void SetSerial(bool serial) { m_serial = serial; }

    // The values a connection may hold: the connection page refuses what these refuse,
    // and a workspace that holds such a value is refused too, so that every connection
    // the program has can be saved and opened again.
    static bool AcceptsUnitId(long long unitId);
    static bool AcceptsControlTcpPort(long long port);
    static bool AcceptsLocalTcpPort(long long port);
    static bool AcceptsComPort(long long port);
    static bool AcceptsHost(const std::string& host);
    // What of this connection's values the rules above refuse ("Modbus address 0",
    // "control TCP port 70000", ...); "" when they hold.
    std::string RefusedValueText() const;

    // Schema 2: COM port, host, TCP port, local TCP port, serial flag, then the
    // CConnectionModbus form.
    void Serialize(CArchive& ar) override;

protected:
    // True when requests not yet sent should not be: ReadRegisters then stops between
    // requests with an error.
    virtual bool ReadsAbandoned() { return false; }
    // Connected, or the calling thread is the one whose open reads the device.
    bool MayRead() const;

private:
    static void RequestThrough(CModbus& link, int unitId, int start, WORD* destination, int count);

protected:

    int m_comPort;
    std::string m_host;
    int m_tcpPort;
    int m_localTcpPort;
    bool m_serial;

    // The thread whose open reads the device before the connection counts as connected
    // (0: none); the connected flag stays clear meanwhile, so that nobody else takes the
    // connection for open.
    std::atomic<DWORD> m_openingThread;
};
