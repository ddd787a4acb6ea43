// The object through which one device document reaches its device. A connection is a
// document so that it is stored with its device; it has no view. Opening and closing
// post the new state into both queues of the manager's dispatcher.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CDocumentEx.h"
#include "documents/CStorage.h"

#include <string>

class CDocumentDevice;

class CConnection : public CDocumentEx
{
    DECLARE_DYNAMIC(CConnection)
public:
    explicit CConnection(CDocumentDevice* owner);

    // Open; on success the connected flag is set and the connected state posted. A
    // std::runtime_error of Open leaves the flag clear, posts the not-connected state and
    // is rethrown.
    void Connect();
    // Connect in steps, for a caller that opens on a thread of its own: Open there (it
    // talks to the device), then on the interface thread CompleteOpen after a success,
    // FailOpen after a failure, or AbandonOpen when the opened connection is not wanted.
    virtual void CompleteOpen();
    void FailOpen();
    virtual void AbandonOpen();
    // From another thread: the open that the opener thread runs fails at its next
    // exchange, the one under way cut short where the link can. EndCancelOpen once that
    // open returned, so that the thread's id is free again.
    virtual void CancelOpen(DWORD openerThreadId);
    virtual void EndCancelOpen(DWORD openerThreadId);
    // Connections with one key share a line or a socket: they open one after another.
    // Empty: the connection shares nothing.
    virtual std::string GetLinkKey();
    // Close; when it succeeds the flag is cleared and the disconnected state posted.
    bool Disconnect();
    // A CStorageConnectionInfo and refresh 4 (and 7 when connected) into both queues.
    void PostConnectedState(bool connected);

    virtual void Open() = 0;
    virtual bool Close() = 0;
    virtual bool IsConnected();
    // An item of the dispatcher's first queue; false in every case.
    virtual bool OnStorage(const CStoragePtr& item);
    virtual void AfterOpen() = 0;
    virtual bool ReleaseTransport() = 0;

    CDocumentDevice* GetOwner() const { return m_owner; }

    // Schema 1, the class record of CDocumentEx, then its form.
    void Serialize(CArchive& ar) override;

protected:
    CDocumentDevice* m_owner;
    volatile bool m_connected;
};
