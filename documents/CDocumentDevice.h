// The document of one device in the device tree: owns the device's connection, keeps
// its identity bytes, serial text and current messages, and hands the items of the
// dispatcher's first queue that it takes to its connection.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "documents/CDocumentEx.h"
#include "documents/CStorage.h"
#include "documents/DeviceMessageKeys.h"

#include <boost/shared_ptr.hpp>
#include <atomic>
#include <string>
#include <unordered_map>

class CConnection;
typedef boost::shared_ptr<CConnection> CConnectionPtr;

// Commands the device's popup posts to the main window.
const UINT ID_DEVICE_CONNECT = 32782;
const UINT ID_DEVICE_DISCONNECT = 32784;
const UINT ID_DEVICE_DELETE = 32798;
const int DEVICE_POPUP_ENTRY_COUNT = 4;
const BYTE SKELDER_TYPE_NONE = 255;

class CDocumentDevice : public CDocumentEx
{
    DECLARE_DYNAMIC(CDocumentDevice)
public:
    CDocumentDevice();
    CDocumentDevice(CDocumentManager* manager, BYTE model, BYTE type, BYTE skelderType,
                    const std::string& serialText);
    ~CDocumentDevice() override;

    virtual void SetConnection(const CConnectionPtr& connection);
    virtual bool OnStorage(const CStoragePtr& item);
    // Whether the dispatcher hands the device items of this kind: the time item, on which
    // a connection polls, and the notices of a connection opened or closed. Ticks, values
    // and refreshes are for the displays.
    virtual bool TakesItemsOf(DWORD type);
    virtual bool IsListed();
    virtual bool IsConnected();
    // Busy: connecting, or (derived devices) what follows a connect is still running.
    virtual bool IsBusy();
    virtual int GetTreeImage();
    virtual void ShowDebugConsole();
    virtual WORD GetDeviceSet();

    void SetDocumentManager(CDocumentManager* manager) override;
    bool HasNoId() override;
    CString GetName() override;
    void SetId(int id) override;
    int GetPopupMenuEntryCount() override;
    int GetPopupMenuEntry(int index, CString& text, bool& enabled, bool& checked) override;
    int OnPopupMenuCommand(int index) override;

    void SetMessage(DeviceMessageKey_t key, const std::string& text);
    void ClearMessage(DeviceMessageKey_t key);
    std::string GetMessagesText();
    // Connected and not judged silent: its values are live. The one judgement of the
    // device tree, the State display and the Logger: a device is not answering from the
    // moment a request of its own went unanswered (every attempt of it), until a poll
    // answers. The time its polls wait for their turn on a busy line does not count.
    bool IsAnswering();
    // A poll answered in every range; a request of the poll failed (told at once).
    void PollAnswered();
    void PollFailed(const std::string& text);
    // Set while a thread opens the device's connection. Only the device tree shows it:
    // whoever sets it refreshes the tree.
    void SetConnecting(bool connecting);

    CConnectionPtr GetConnection() const { return m_connection; }
    std::string GetSerialText() const;
    void SetSerialText(const std::string& text);
    BYTE GetModel() const { return m_model; }
    BYTE GetType() const { return m_type; }
    int GetDeviceType() const { return m_type; }
    BYTE GetSkelderType() const { return m_skelderType; }

    // Version 2: model, type, serial text, Skelder type, the connection flag and form,
    // then the class record of CDocumentEx and its form.
    void Serialize(CArchive& ar) override;

protected:
    // A request of its own went unanswered and no poll has answered since.
    bool JudgedSilent() const;

    CConnectionPtr m_connection;
    BYTE m_model;
    BYTE m_type;
    std::string m_serialText;
    BYTE m_skelderType;
    mutable CCriticalSection m_deviceLock;
    std::unordered_map<DeviceMessageKey_t, std::string> m_messages;
    std::atomic<bool> m_connecting;
};

typedef boost::shared_ptr<CDocumentDevice> CDocumentDevicePtr;
