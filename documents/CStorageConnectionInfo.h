// A device connection's new state, queued by the connection after connect or disconnect.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CStorage.h"

class CStorageConnectionInfo : public CStorage
{
public:
    CStorageConnectionInfo(BYTE deviceId, bool connected)
        : CStorage(deviceId), m_connected(connected) {}

    DWORD GetType() const override { return STORAGE_TYPE_CONNECTION_INFO; }
    bool IsConnected() const { return m_connected; }

private:
    bool m_connected;
};
