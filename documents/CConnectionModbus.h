// A connection over a shared Modbus link, held only while open.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CConnection.h"
#include "framework/CCriticalSection.h"
#include "modbus/CSharedModbus.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <atomic>

typedef boost::shared_ptr<CSharedModbus> CSharedModbusPtr;

class CConnectionModbus : public CConnection
{
    DECLARE_DYNAMIC(CConnectionModbus)
public:
    explicit CConnectionModbus(CDocumentDevice* owner);

    // "connection already open" when connected; else AfterOpen.
    void Open() override;
    // Releases the transport when connected; false when not connected.
    bool Close() override;
    // Takes a transport (after releasing one still held).
    void AfterOpen() override;
    bool ReleaseTransport() override;
    void AbandonOpen() override;
    void CancelOpen(DWORD openerThreadId) override;
    void EndCancelOpen(DWORD openerThreadId) override;

    virtual int GetMaxReadCount() = 0;
    virtual CSharedModbusPtr GetTransport() = 0;

    int GetUnitId() const { return m_unitId; }
    void SetUnitId(int unitId) { m_unitId = unitId; }
    int GetFallbackUnitId() const { return m_fallbackUnitId; }
    void SetFallbackUnitId(int unitId) { m_fallbackUnitId = unitId; }
    // The unit id when 0 or more, else the fallback.
    int GetEffectiveUnitId() const;
    bool HasTransport() const { return static_cast<bool>(CurrentTransport()); }

    // Schema 2: unit id, fallback unit id, then the CConnection form.
    void Serialize(CArchive& ar) override;

protected:
    // A copy of the transport held now: a reader on another thread (the polling thread,
    // the log download) keeps its link for the read while this thread lets it go.
    CSharedModbusPtr CurrentTransport() const;
    void SetTransport(const CSharedModbusPtr& transport);

    int m_unitId;
    int m_fallbackUnitId;

private:
    // Guards m_transport and m_cancelledLink only; never held while a link is opened,
    // used or closed.
    mutable CCriticalSection m_transportLock;
    CSharedModbusPtr m_transport;
    // Set by CancelOpen before it looks for a link, and read by the open after it took
    // one: a cancel that finds no link yet is still seen.
    std::atomic<bool> m_openCancelled;
    // The link whose exchanges of the opener are cancelled, until EndCancelOpen; weak, as
    // the last handle on a link closes it and frees its port.
    boost::weak_ptr<CModbus> m_cancelledLink;
};
