// Tells documents and the main frame what changed: a code and the id of the device or
// document concerned.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CStorage.h"

const int REFRESH_WORKSPACE_LOADED = 2;
const int REFRESH_DEVICE_REMOVED = 3;
const int REFRESH_STATE_CHANGED = 4;
const int REFRESH_LOG_FILE_REMOVED = 5;
const int REFRESH_LOG_RECORDS = 6;
const int REFRESH_CONNECTED = 7;
const int REFRESH_DISCONNECTED = 8;
const int REFRESH_OPEN_DEVICE_LOG = 9;
const int REFRESH_DEVICE_LOG_DOWNLOADED = 10;
// A device's messages changed (a poll failed, or it answers again): its tree image, tip
// and the greying of its values, not what a display lists.
const int REFRESH_DEVICE_MESSAGES = 11;
// A log file was opened and added (its id).
const int REFRESH_LOG_FILE_ADDED = 12;

class CStorageRefreshEvent : public CStorage
{
public:
    CStorageRefreshEvent(int code, int id) : m_code(code), m_id(id) {}

    DWORD GetType() const override { return STORAGE_TYPE_REFRESH_EVENT; }
    int GetCode() const { return m_code; }
    int GetId() const { return m_id; }

private:
    int m_code;
    int m_id;
};
