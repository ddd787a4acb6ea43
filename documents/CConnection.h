// The object through which one device document reaches its device. A connection is a
// document so that it is stored with its device; it has no view. Opening and closing
// post the new state into both queues of the manager's dispatcher.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CDocumentEx.h"
#include "documents/CStorage.h"

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
