#include "documents/CConnection.h"

#include "documents/CDocumentDevice.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageConnectionInfo.h"
#include "documents/CStorageRefreshEvent.h"
#include "framework/CArchive.h"
#include "framework/CArchiveException.h"

#include <stdexcept>

namespace
{
const int CONNECTION_SCHEMA = 1;
}

IMPLEMENT_DYNAMIC(CConnection, CDocumentEx)

CConnection::CConnection(CDocumentDevice* owner)
    : CDocumentEx(nullptr), m_owner(owner), m_connected(false)
{
}

void CConnection::Connect()
{
    // Connecting an open connection fails in Open and must leave it open.
    const bool wasConnected = m_connected;
    try
    {
        Open();
    }
    catch (const std::runtime_error&)
    {
        if (!wasConnected)
            FailOpen();
        throw;
    }
    CompleteOpen();
}

void CConnection::CompleteOpen()
{
    m_connected = true;
    PostConnectedState(true);
}

void CConnection::FailOpen()
{
    m_connected = false;
    PostConnectedState(false);
}

void CConnection::AbandonOpen()
{
}

void CConnection::CancelOpen(DWORD)
{
}

void CConnection::EndCancelOpen(DWORD)
{
}

std::string CConnection::GetLinkKey()
{
    return std::string();
}

bool CConnection::Disconnect()
{
    const bool closed = Close();
    if (!closed)
        return false;
    m_connected = false;
    const int ownerId = m_owner != nullptr ? m_owner->GetId() : -1;
    PostToManagerQueues(CStoragePtr(new CStorageConnectionInfo(static_cast<BYTE>(ownerId), false)));
    PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, ownerId)));
    PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_DISCONNECTED, ownerId)));
    return true;
}

void CConnection::PostConnectedState(bool connected)
{
    const int ownerId = m_owner != nullptr ? m_owner->GetId() : -1;
    PostToManagerQueues(CStoragePtr(new CStorageConnectionInfo(static_cast<BYTE>(ownerId), connected)));
    PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, ownerId)));
    if (connected)
        PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_CONNECTED, ownerId)));
}

bool CConnection::IsConnected()
{
    return m_connected;
}

bool CConnection::OnStorage(const CStoragePtr&)
{
    return false;
}

void CConnection::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << CONNECTION_SCHEMA;
        ar.WriteClass(RUNTIME_CLASS(CDocumentEx));
    }
    else
    {
        int schema = 0;
        ar >> schema;
        if (schema != CONNECTION_SCHEMA)
            AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
        ar.ReadClass(RUNTIME_CLASS(CDocumentEx));
    }
    CDocumentEx::Serialize(ar);
}

