#include "documents/CDocumentDevice.h"

#include "documents/CConnection.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CSingleLock.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"

#include <stdexcept>


namespace
{
const int DEVICE_SCHEMA = 1;
const int DEVICE_VERSION = 2;
const int DEVICE_VERSION_WITH_SKELDER_TYPE = 2;

enum DevicePopupEntry
{
    POPUP_CONNECT = 0,
    POPUP_DISCONNECT = 1,
    POPUP_DELETE = 2,
    POPUP_SEPARATOR = 3
};

// Tree images by state (indexes into the device tree's image list).
const int IMAGE_CONNECTED_NOT_ANSWERING = 15;
const int IMAGE_CONNECTED_BUSY = 4;
const int IMAGE_CONNECTED = 3;
const int IMAGE_DISCONNECTED_WITH_MESSAGES = 9;
const int IMAGE_DISCONNECTED_BUSY = 2;
const int IMAGE_DISCONNECTED = 1;

// The main frame acts on the selected device when the command arrives.
void PostCommandToMainWindow(UINT command)
{
    CWnd* mainWindow = AfxGetMainWnd();
    if (mainWindow != nullptr && mainWindow->m_hWnd != nullptr)
        PostMessageA(mainWindow->m_hWnd, WM_COMMAND, command, 0);
}
}

IMPLEMENT_DYNAMIC(CDocumentDevice, CDocumentEx)

CDocumentDevice::CDocumentDevice()
    : CDocumentEx(nullptr), m_model(0), m_type(0), m_skelderType(SKELDER_TYPE_NONE), m_connecting(false)
{
}

CDocumentDevice::CDocumentDevice(CDocumentManager* manager, BYTE model, BYTE type, BYTE skelderType,
                                 const std::string& serialText)
    : CDocumentEx(manager), m_model(model), m_type(type), m_serialText(serialText), m_skelderType(skelderType),
      m_connecting(false)
{
}

CDocumentDevice::~CDocumentDevice()
{
    try
    {
        if (m_connection && m_connection->IsConnected())
            m_connection->Disconnect();
    }
    catch (const std::exception&)
    {
        // A destructor cannot report it; the connection goes with the device anyway.
    }
}

void CDocumentDevice::SetConnection(const CConnectionPtr& connection)
{
    m_connection = connection;
    // A connection made after the manager or the id were given must post as the device does.
    if (m_connection)
    {
        m_connection->SetDocumentManager(GetDocumentManager());
        if (!CDocumentEx::HasNoId())
            m_connection->SetId(GetId());
    }
}

bool CDocumentDevice::OnStorage(const CStoragePtr& item)
{
    return m_connection ? m_connection->OnStorage(item) : false;
}

bool CDocumentDevice::TakesItemsOf(DWORD type)
{
    return type == STORAGE_TYPE_TIME || type == STORAGE_TYPE_CONNECTION_INFO;
}

bool CDocumentDevice::IsListed()
{
    return true;
}

bool CDocumentDevice::IsConnected()
{
    return m_connection ? m_connection->IsConnected() : false;
}

bool CDocumentDevice::IsBusy()
{
    return m_connecting;
}

void CDocumentDevice::SetConnecting(bool connecting)
{
    m_connecting = connecting;
}

int CDocumentDevice::GetTreeImage()
{
    CSingleLock lock(&m_deviceLock, TRUE);
    const bool hasMessages = !m_messages.empty();
    const bool busy = IsBusy();
    if (IsConnected())
    {
        // A connected device's mark is the judgement of its answers that the State display
        // and the Logger show too: a message that says nothing of them (a log download that
        // failed) is told in the device's tip, and its answers clear the mark.
        if (JudgedSilent())
            return IMAGE_CONNECTED_NOT_ANSWERING;
        return busy ? IMAGE_CONNECTED_BUSY : IMAGE_CONNECTED;
    }
    if (hasMessages)
        return IMAGE_DISCONNECTED_WITH_MESSAGES;
    return busy ? IMAGE_DISCONNECTED_BUSY : IMAGE_DISCONNECTED;
}

void CDocumentDevice::ShowDebugConsole()
{
}

WORD CDocumentDevice::GetDeviceSet()
{
    return 0;
}

void CDocumentDevice::SetDocumentManager(CDocumentManager* manager)
{
    CDocumentEx::SetDocumentManager(manager);
    if (m_connection)
        m_connection->SetDocumentManager(manager);
}

bool CDocumentDevice::HasNoId()
{
    return false;
}

CString CDocumentDevice::GetName()
{
    CString name = CDocumentEx::GetName();
    const std::string serial = GetSerialText();
    if (!HasUserName() && !serial.empty())
        name += CString(" (") + serial.c_str() + ")";
    return name;
}

void CDocumentDevice::SetId(int id)
{
    CDocumentEx::SetId(id);
    if (m_connection)
        m_connection->SetId(id);
}

int CDocumentDevice::GetPopupMenuEntryCount()
{
    return CDocumentEx::GetPopupMenuEntryCount() + DEVICE_POPUP_ENTRY_COUNT;
}

int CDocumentDevice::GetPopupMenuEntry(int index, CString& text, bool& enabled, bool& checked)
{
    if (index >= DEVICE_POPUP_ENTRY_COUNT)
    {
        CDocumentEx::GetPopupMenuEntry(index - DEVICE_POPUP_ENTRY_COUNT, text, enabled, checked);
        return index;
    }
    const bool connected = IsConnected();
    const bool busy = IsBusy();
    checked = false;
    switch (index)
    {
    case POPUP_CONNECT:
        text = "Connect";
        enabled = !connected && !busy;
        break;
    case POPUP_DISCONNECT:
        // Also while it connects: the open under way is called off.
        text = "Disconnect";
        enabled = connected || busy;
        break;
    case POPUP_DELETE:
        text = "Delete";
        enabled = !connected;
        break;
    default:
        text = "";
        enabled = false;
        break;
    }
    return index;
}

int CDocumentDevice::OnPopupMenuCommand(int index)
{
    switch (index)
    {
    case POPUP_CONNECT:
        PostCommandToMainWindow(ID_DEVICE_CONNECT);
        return index;
    case POPUP_DISCONNECT:
        PostCommandToMainWindow(ID_DEVICE_DISCONNECT);
        return index;
    case POPUP_DELETE:
        PostCommandToMainWindow(ID_DEVICE_DELETE);
        return index;
    case POPUP_SEPARATOR:
        return -1;
    default:
        CDocumentEx::OnPopupMenuCommand(index - DEVICE_POPUP_ENTRY_COUNT);
        return index;
    }
}

// Only a change is told: a device that keeps failing sets the same text at every poll,
// and each refresh rebuilds the tree and the displays.
void CDocumentDevice::SetMessage(DeviceMessageKey_t key, const std::string& text)
{
    CSingleLock lock(&m_deviceLock, TRUE);
    const auto found = m_messages.find(key);
    if (found != m_messages.end() && found->second == text)
        return;
    m_messages[key] = text;
    PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_DEVICE_MESSAGES, GetId())));
}

void CDocumentDevice::ClearMessage(DeviceMessageKey_t key)
{
    CSingleLock lock(&m_deviceLock, TRUE);
    if (m_messages.erase(key) > 0)
        PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_DEVICE_MESSAGES, GetId())));
}

bool CDocumentDevice::IsAnswering()
{
    CSingleLock lock(&m_deviceLock, TRUE);
    return IsConnected() && !JudgedSilent();
}

bool CDocumentDevice::JudgedSilent() const
{
    CSingleLock lock(&m_deviceLock, TRUE);
    return m_messages.count(MESSAGE_KEY_POLL) != 0;
}

void CDocumentDevice::PollAnswered()
{
    ClearMessage(MESSAGE_KEY_POLL);
}

void CDocumentDevice::PollFailed(const std::string& text)
{
    SetMessage(MESSAGE_KEY_POLL, text);
}

std::string CDocumentDevice::GetMessagesText()
{
    CSingleLock lock(&m_deviceLock, TRUE);
    std::string joined;
    for (const auto& message : m_messages)
    {
        if (!joined.empty())
            joined += "; ";
        joined += message.second;
    }
    return joined;
}

std::string CDocumentDevice::GetSerialText() const
{
    CSingleLock lock(&m_deviceLock, TRUE);
    return m_serialText;
}

void CDocumentDevice::SetSerialText(const std::string& text)
{
    CSingleLock lock(&m_deviceLock, TRUE);
    m_serialText = text;
}

void CDocumentDevice::Serialize(CArchive& ar)
{
    CSingleLock lock(&m_documentMutex, TRUE);
    if (ar.IsStoring())
    {
        const int hasConnection = m_connection ? 1 : 0;
        ar << DEVICE_SCHEMA << DEVICE_VERSION << m_model << m_type << CString(GetSerialText().c_str())
           << m_skelderType << hasConnection;
        if (m_connection)
            m_connection->Serialize(ar);
        ar.WriteClass(RUNTIME_CLASS(CDocumentEx));
    }
    else
    {
        int schema = 0;
        ar >> schema;
        if (schema != DEVICE_SCHEMA)
            AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
        int version = 0;
        CString serial;
        ar >> version >> m_model >> m_type >> serial;
        SetSerialText(static_cast<const char*>(serial));
        m_skelderType = SKELDER_TYPE_NONE;
        if (version >= DEVICE_VERSION_WITH_SKELDER_TYPE)
            ar >> m_skelderType;
        int hasConnection = 0;
        ar >> hasConnection;
        if (hasConnection != 0)
        {
            // A device without a connection (the computer) cannot have stored one: the
            // file is damaged.
            if (!m_connection)
                AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
            m_connection->Serialize(ar);
        }
        else if (m_connection)
        {
            // Its connection would be one the file never held.
            throw std::runtime_error("its record holds no connection, which every such device has");
        }
        ar.ReadClass(RUNTIME_CLASS(CDocumentEx));
    }
    CDocumentEx::Serialize(ar);
}

