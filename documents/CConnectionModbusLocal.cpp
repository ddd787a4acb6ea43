#include "documents/CConnectionModbusLocal.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CWordArray.h"
#include "documents/TextHelpers.h"
#include "modbus/SharedLinks.h"

#include <cstdio>
#include <stdexcept>

const char* const CONNECTION_DEFAULT_HOST = "192.168.1.100";

namespace
{
const int LOCAL_CONNECTION_SCHEMA = 2;
const int LOCAL_CONNECTION_SCHEMA_COM_ONLY = 1;
const WORD CONNECTION_LINK_RETRIES = 2;

// "0x" and four zero-filled hexadecimal digits, as every register is named in errors.
std::string RegisterText(int address)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%04x", static_cast<unsigned>(address) & 0xFFFFu);
    return text;
}

// The coil address with its base prefix, filled on the left with '0' to six characters
// (the fill stands before the prefix: 0x12 gives 000x12).
std::string CoilAddressText(int address)
{
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%x", static_cast<unsigned>(address));
    std::string text(hex);
    if (text.size() < 6)
        text.insert(0, 6 - text.size(), '0');
    return text;
}
}

IMPLEMENT_DYNAMIC(CConnectionModbusLocal, CConnectionModbus)

CConnectionModbusLocal::CConnectionModbusLocal(CDocumentDevice* owner)
    : CConnectionModbus(owner),
      m_comPort(1),
      m_host(CONNECTION_DEFAULT_HOST),
      m_tcpPort(502),
      m_localTcpPort(0),
      m_serial(true),
      m_openingThread(0)
{
}

int CConnectionModbusLocal::GetMaxReadCount()
{
    return m_serial ? MODBUS_MAX_READ_LARGE : MODBUS_MAX_READ_SMALL;
}

CSharedModbusPtr CConnectionModbusLocal::GetTransport()
{
    CSharedModbusPtr transport;
    if (m_serial)
        transport = OpenSharedModbusSerial(m_comPort);
    else
        transport = OpenSharedModbusTcp(m_host.c_str(), m_tcpPort, static_cast<WORD>(m_localTcpPort));
    // The retry count belongs to the link: every holder of a shared link sees it.
    transport->m_link->SetRetries(CONNECTION_LINK_RETRIES);
    return transport;
}

std::string CConnectionModbusLocal::GetLinkKey()
{
    return m_serial ? "COM" + std::to_string(m_comPort) : m_host + ":" + std::to_string(m_tcpPort);
}

void CConnectionModbusLocal::ReadRegisters(int start, WORD* destination, int count)
{
    if (count <= 0)
        return;
    // The transport is checked too: a connection never reads through a link it does not hold.
    const CSharedModbusPtr transport = CurrentTransport();
    if (!MayRead() || !transport)
        throw std::runtime_error("cannot read Modbus output register; device connection is not open");
    ReadThrough(*transport->m_link, GetEffectiveUnitId(), GetMaxReadCount(), start, destination, count,
                [this] { return ReadsAbandoned(); });
}

void CConnectionModbusLocal::ReadRequest(int start, WORD* destination, int count)
{
    const CSharedModbusPtr transport = CurrentTransport();
    if (!MayRead() || !transport)
        throw std::runtime_error("cannot read Modbus output register; device connection is not open");
    RequestThrough(*transport->m_link, GetEffectiveUnitId(), start, destination, count);
}

bool CConnectionModbusLocal::MayRead() const
{
    return m_connected || m_openingThread == ::GetCurrentThreadId();
}

void CConnectionModbusLocal::ReadThrough(CModbus& link, int unitId, int maxCount, int start, WORD* destination,
                                         int count, const std::function<bool()>& abandoned)
{
    int done = 0;
    while (done < count)
    {
        if (abandoned())
            throw std::runtime_error("Modbus read abandoned: the connection is closing");
        const int chunk = count - done < maxCount ? count - done : maxCount;
        RequestThrough(link, unitId, start + done, destination + done, chunk);
        done += chunk;
    }
}

void CConnectionModbusLocal::RequestThrough(CModbus& link, int unitId, int start, WORD* destination, int count)
{
    CWordArray words;
    int code = link.ReadHoldingRegisters(unitId, start, static_cast<WORD>(count), words);
    if (code == MODBUS_SUCCESS && words.GetSize() < count)
        code = MODBUS_ERROR_INVALID_RESPONSE;
    if (code != MODBUS_SUCCESS)
    {
        throw std::runtime_error("unable to read Modbus PDU " + RegisterText(start) + "-" +
                                 RegisterText(start + count - 1) + ": " + std::string(link.GetErrorText(code)));
    }
    for (int i = 0; i < count; ++i)
        destination[i] = words[i];
}

bool CConnectionModbusLocal::TryReadRegisters(int start, WORD* destination, int count)
{
    try
    {
        ReadRegisters(start, destination, count);
        return true;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

void CConnectionModbusLocal::WriteRegister(int address, WORD value)
{
    CSharedModbusPtr transport = CurrentTransport();
    if (!m_connected || !transport)
        throw std::runtime_error("WriteRegister to closed Modbus connection");
    const int code = transport->m_link->WriteSingleRegister(GetEffectiveUnitId(), address, value);
    if (code != MODBUS_SUCCESS)
    {
        throw std::runtime_error("error writing Modbus PDU " + RegisterText(address) + ": " +
                                 std::string(transport->m_link->GetErrorText(code)));
    }
}

void CConnectionModbusLocal::WriteCoil(int address, bool on)
{
    // The debug console can reach a device that is not connected.
    CSharedModbusPtr transport = CurrentTransport();
    if (!m_connected || !transport)
        throw std::runtime_error("WriteCoil to closed Modbus connection");
    const int unit = GetEffectiveUnitId();
    const int code = transport->m_link->WriteSingleCoil(unit, address, on ? 1 : 0);
    if (code != MODBUS_SUCCESS)
    {
        throw std::runtime_error("error writing coil " + CoilAddressText(address) + " to MODBUS address " +
                                 std::to_string(unit) + ": " +
                                 std::string(transport->m_link->GetErrorText(code)));
    }
}

void CConnectionModbusLocal::WriteRawModbus(const std::vector<BYTE>& request, std::vector<BYTE>& reply)
{
    CSharedModbusPtr transport = CurrentTransport();
    if (!m_connected || !transport)
        throw std::runtime_error("WriteRawModbus to closed Modbus connection");
    // The request already starts with the unit id, as the link sends it.
    transport->m_link->TransactRaw(request, reply);
}

boost::shared_ptr<ModbusEndpoint_t> CConnectionModbusLocal::GetEndpoint() const
{
    boost::shared_ptr<ModbusEndpoint_t> endpoint(new ModbusEndpoint_t());
    endpoint->network = !m_serial;
    if (endpoint->network)
    {
        endpoint->host = m_host;
        endpoint->port = m_tcpPort;
    }
    else
    {
        endpoint->port = m_comPort;
    }
    endpoint->unitId = GetEffectiveUnitId();
    return endpoint;
}

bool CConnectionModbusLocal::AcceptsUnitId(long long unitId)
{
    return unitId >= MODBUS_UNIT_ID_FIRST && unitId <= MODBUS_UNIT_ID_LAST;
}

bool CConnectionModbusLocal::AcceptsControlTcpPort(long long port)
{
    // Nothing listens on port 0: a connect to it can only fail.
    return port >= 1 && port <= 65535;
}

bool CConnectionModbusLocal::AcceptsLocalTcpPort(long long port)
{
    // 0: the link binds no port of its own.
    return port >= 0 && port <= 65535;
}

bool CConnectionModbusLocal::AcceptsComPort(long long port)
{
    return port >= COM_PORT_FIRST && port <= COM_PORT_LAST;
}

bool CConnectionModbusLocal::AcceptsHost(const std::string& host)
{
    // A NUL would cut the name where it is saved.
    return !host.empty() && !HoldsControlCharacter(host);
}

std::string CConnectionModbusLocal::RefusedValueText() const
{
    if (!AcceptsUnitId(GetEffectiveUnitId()))
        return "Modbus address " + std::to_string(GetEffectiveUnitId());
    if (!AcceptsComPort(m_comPort))
        return "COM port " + std::to_string(m_comPort);
    if (!AcceptsControlTcpPort(m_tcpPort))
        return "control TCP port " + std::to_string(m_tcpPort);
    if (!AcceptsLocalTcpPort(m_localTcpPort))
        return "local TCP port " + std::to_string(m_localTcpPort);
    if (!m_host.empty() && !AcceptsHost(m_host))
        return "a host that holds a control character";
    if (!m_serial && m_host.empty())
        return "no host for Modbus/TCP";
    return "";
}

void CConnectionModbusLocal::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << LOCAL_CONNECTION_SCHEMA << m_comPort << CString(m_host.c_str()) << m_tcpPort << m_localTcpPort
           << static_cast<int>(m_serial ? 1 : 0);
    }
    else
    {
        int schema = 0;
        ar >> schema;
        if (schema == LOCAL_CONNECTION_SCHEMA)
        {
            CString host;
            int serial = 0;
            ar >> m_comPort >> host >> m_tcpPort >> m_localTcpPort >> serial;
            // Whole, NULs included: a cut name would be another host.
            m_host.assign(host.GetString(), static_cast<size_t>(host.GetLength()));
            m_serial = serial != 0;
        }
        else if (schema == LOCAL_CONNECTION_SCHEMA_COM_ONLY)
        {
            ar >> m_comPort;
        }
        else
        {
            AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
        }
    }
    CConnectionModbus::Serialize(ar);
}
