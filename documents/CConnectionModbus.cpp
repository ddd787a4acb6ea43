#include "documents/CConnectionModbus.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CSingleLock.h"

#include <stdexcept>

namespace
{
const int MODBUS_CONNECTION_SCHEMA = 2;
const int MODBUS_CONNECTION_SCHEMA_WITHOUT_FALLBACK = 1;
}

IMPLEMENT_DYNAMIC(CConnectionModbus, CConnection)

CConnectionModbus::CConnectionModbus(CDocumentDevice* owner)
    : CConnection(owner), m_unitId(-1), m_fallbackUnitId(1), m_openCancelled(false)
{
}

void CConnectionModbus::Open()
{
    if (m_connected)
        throw std::runtime_error("connection already open");
    try
    {
        AfterOpen();
    }
    catch (...)
    {
        // A failed open must not keep the link (and with it the COM port) busy.
        ReleaseTransport();
        throw;
    }
}

bool CConnectionModbus::Close()
{
    if (!m_connected)
        return false;
    return ReleaseTransport();
}

void CConnectionModbus::AfterOpen()
{
    if (m_connected)
        ReleaseTransport();
    // The old link goes first: a COM port opens only once.
    SetTransport(CSharedModbusPtr());
    SetTransport(GetTransport());
    if (m_openCancelled)
        throw std::runtime_error("the connection's open was abandoned");
}

bool CConnectionModbus::ReleaseTransport()
{
    SetTransport(CSharedModbusPtr());
    return true;
}

void CConnectionModbus::AbandonOpen()
{
    ReleaseTransport();
}

void CConnectionModbus::CancelOpen(DWORD openerThreadId)
{
    m_openCancelled = true;
    const CSharedModbusPtr transport = CurrentTransport();
    if (!transport)
        return;
    {
        CSingleLock lock(&m_transportLock, TRUE);
        m_cancelledLink = transport->m_link;
    }
    transport->m_link->CancelExchangesOf(openerThreadId);
}

void CConnectionModbus::EndCancelOpen(DWORD openerThreadId)
{
    boost::shared_ptr<CModbus> link;
    {
        CSingleLock lock(&m_transportLock, TRUE);
        link = m_cancelledLink.lock();
        m_cancelledLink.reset();
    }
    if (link)
        link->EndCancelOf(openerThreadId);
    m_openCancelled = false;
}

CSharedModbusPtr CConnectionModbus::CurrentTransport() const
{
    CSingleLock lock(&m_transportLock, TRUE);
    return m_transport;
}

void CConnectionModbus::SetTransport(const CSharedModbusPtr& transport)
{
    CSharedModbusPtr previous;
    {
        CSingleLock lock(&m_transportLock, TRUE);
        previous.swap(m_transport);
        m_transport = transport;
    }
    // The last handle on a link closes it: that happens here, outside the lock.
}

int CConnectionModbus::GetEffectiveUnitId() const
{
    return m_unitId >= 0 ? m_unitId : m_fallbackUnitId;
}

void CConnectionModbus::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << MODBUS_CONNECTION_SCHEMA << m_unitId << m_fallbackUnitId;
    }
    else
    {
        int schema = 0;
        ar >> schema;
        if (schema == MODBUS_CONNECTION_SCHEMA)
        {
            ar >> m_unitId >> m_fallbackUnitId;
        }
        else if (schema == MODBUS_CONNECTION_SCHEMA_WITHOUT_FALLBACK)
        {
            ar >> m_unitId;
            m_fallbackUnitId = m_unitId;
        }
        else
        {
            AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
        }
    }
    CConnection::Serialize(ar);
}
