#include "documents/CDocumentManager.h"

#include "displays/CDocumentDisplay.h"
#include "documents/CConnectionModbusLocal.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentDevicePC.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/TextHelpers.h"
#include "framework/CException.h"
#include "framework/CMultiLock.h"
#include "framework/CSingleLock.h"

#include <atomic>
#include <cstring>
#include <exception>
#include <vector>

namespace
{
std::atomic<CDocumentManager*> g_applicationManager(nullptr);

// One document's handler failing must not end the dispatch thread for everyone.
template <class Handler>
void CallHandler(const Handler& handler)
{
    try
    {
        handler();
    }
    catch (const std::exception& error)
    {
        TRACE("item handler failed: %s\n", error.what());
    }
    catch (CException* error)
    {
        error->Delete();
    }
}

// Closing a document must never delete it: the lists own it through shared pointers.
void CloseWithoutDeleting(CDocumentEx& document)
{
    document.m_bAutoDelete = FALSE;
    document.OnCloseDocument();
    document.m_bAutoDelete = FALSE;
}
}

IMPLEMENT_DYNCREATE(CDocumentManager, CDocumentEx)

CDocumentManager::CDocumentManager()
    : CDocumentEx(nullptr), m_dispatcher(nullptr)
{
    std::memset(m_deviceIds, 0, sizeof(m_deviceIds));
    std::memset(m_logFileIds, 0, sizeof(m_logFileIds));
    std::memset(m_displayIds, 0, sizeof(m_displayIds));
    Reset();
    m_dispatcher = new StorageDispatcher_t(this);
    try
    {
        m_dispatcher->Start();
    }
    catch (...)
    {
        delete m_dispatcher;
        m_dispatcher = nullptr;
        throw;
    }
}

CDocumentManager::~CDocumentManager()
{
    if (m_dispatcher != nullptr)
        m_dispatcher->Shutdown();

    CSyncObject* locks[3] = { &m_documentMutex, &m_displayListLock, &m_logFileListLock };
    CMultiLock allLists(locks, 3);
    allLists.Lock(INFINITE, TRUE);
    // Emptied through local lists, so that a document that reaches back into the manager
    // while it dies finds the lists already empty.
    DeviceList_t devices;
    DisplayList_t displays;
    LogFileList_t logFiles;
    devices.swap(m_devices);
    displays.swap(m_displays);
    logFiles.swap(m_logFiles);
    devices.clear();
    displays.clear();
    logFiles.clear();
    // Devices still connected posted their disconnect into the dispatcher above.
    delete m_dispatcher;
    m_dispatcher = nullptr;
    allLists.Unlock();

    if (g_applicationManager == this)
        g_applicationManager = nullptr;
}

CDocumentManager* CDocumentManager::GetApplicationManager()
{
    return g_applicationManager;
}

void CDocumentManager::SetApplicationManager(CDocumentManager* manager)
{
    g_applicationManager = manager;
}

// --- Ids ------------------------------------------------------------------------------

int CDocumentManager::FindFreeId(int size, const BYTE* map)
{
    for (int id = 1; id < size; ++id)
    {
        if (map[id] == 0)
            return id;
    }
    return -1;
}

bool CDocumentManager::MarkId(int id, BYTE* map, int size)
{
    if (id < 1 || id >= size)
        return false;
    map[id] = 1;
    return true;
}

bool CDocumentManager::FreeId(int id, BYTE* map, int size)
{
    if (id < 1 || id >= size)
        return false;
    map[id] = 0;
    return true;
}

template <class List>
int CDocumentManager::AddWithFreeId(List& list, BYTE* map, int size, const typename List::value_type& document)
{
    if (!document)
        return -1;
    const int id = FindFreeId(size, map);
    if (id < 0)
        return -1;
    MarkId(id, map, size);
    document->SetId(id);
    list.push_back(document);
    return id;
}

template <class List>
bool CDocumentManager::RemoveWithId(List& list, BYTE* map, int size, const typename List::value_type& document)
{
    if (!document)
        return false;
    // Matched by id, not by pointer.
    const int id = document->GetId();
    for (auto entry = list.begin(); entry != list.end(); ++entry)
    {
        if ((*entry)->GetId() == id)
        {
            FreeId(id, map, size);
            list.erase(entry);
            return true;
        }
    }
    return false;
}

template int CDocumentManager::AddWithFreeId<DeviceList_t>(DeviceList_t&, BYTE*, int, const CDocumentDevicePtr&);
template int CDocumentManager::AddWithFreeId<DisplayList_t>(DisplayList_t&, BYTE*, int, const CDocumentDisplayPtr&);
template int CDocumentManager::AddWithFreeId<LogFileList_t>(LogFileList_t&, BYTE*, int, const CDocumentLogFilePtr&);
template bool CDocumentManager::RemoveWithId<DeviceList_t>(DeviceList_t&, BYTE*, int, const CDocumentDevicePtr&);
template bool CDocumentManager::RemoveWithId<DisplayList_t>(DisplayList_t&, BYTE*, int, const CDocumentDisplayPtr&);
template bool CDocumentManager::RemoveWithId<LogFileList_t>(LogFileList_t&, BYTE*, int, const CDocumentLogFilePtr&);

// --- Adding ---------------------------------------------------------------------------

int CDocumentManager::AddDevice(const CDocumentDevicePtr& device)
{
    CSingleLock lock(&m_documentMutex, TRUE);
    return AddWithFreeId(m_devices, m_deviceIds, DOCUMENT_ID_LIMIT, device);
}

int CDocumentManager::AddDisplay(const CDocumentDisplayPtr& display)
{
    CSingleLock lock(&m_displayListLock, TRUE);
    return AddWithFreeId(m_displays, m_displayIds, DOCUMENT_ID_LIMIT, display);
}

int CDocumentManager::AddLogFile(const CDocumentLogFilePtr& logFile)
{
    CSingleLock lock(&m_logFileListLock, TRUE);
    const int id = AddWithFreeId(m_logFiles, m_logFileIds, DOCUMENT_ID_LIMIT, logFile);
    if (id >= 0)
        PostToBothQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_LOG_FILE_ADDED, id)));
    return id;
}

void CDocumentManager::AddDocTemplate(const CDocTemplatePtr& docTemplate)
{
    CSingleLock lock(&m_displayListLock, TRUE);
    m_templates.push_back(docTemplate);
}

// --- Finding --------------------------------------------------------------------------

CDocumentDevicePtr CDocumentManager::FindDeviceById(int id)
{
    CSingleLock lock(&m_documentMutex, TRUE);
    for (const CDocumentDevicePtr& device : m_devices)
    {
        if (device->GetId() == id)
            return device;
    }
    return CDocumentDevicePtr();
}

CDocumentDisplayPtr CDocumentManager::FindDisplayById(int id)
{
    CSingleLock lock(&m_displayListLock, TRUE);
    for (const CDocumentDisplayPtr& display : m_displays)
    {
        if (display->GetId() == id)
            return display;
    }
    return CDocumentDisplayPtr();
}

CDocumentLogFilePtr CDocumentManager::FindLogFileById(int id)
{
    CSingleLock lock(&m_logFileListLock, TRUE);
    for (const CDocumentLogFilePtr& logFile : m_logFiles)
    {
        if (logFile->GetId() == id)
            return logFile;
    }
    return CDocumentLogFilePtr();
}

CDocumentLogFilePtr CDocumentManager::FindLogFileBySourceId(int deviceId)
{
    CSingleLock lock(&m_logFileListLock, TRUE);
    for (const CDocumentLogFilePtr& logFile : m_logFiles)
    {
        if (logFile->GetSourceId() == deviceId)
            return logFile;
    }
    return CDocumentLogFilePtr();
}

CDocumentDevicePtr CDocumentManager::FindDeviceByEndpoint(const ModbusEndpoint_t& endpoint,
                                                          const CDocumentDevicePtr& except)
{
    CSingleLock lock(&m_documentMutex, TRUE);
    for (const CDocumentDevicePtr& device : m_devices)
    {
        if (device == except)
            continue;
        boost::shared_ptr<CConnectionModbusLocal> connection =
            boost::dynamic_pointer_cast<CConnectionModbusLocal>(device->GetConnection());
        if (connection && *connection->GetEndpoint() == endpoint)
            return device;
    }
    return CDocumentDevicePtr();
}

CDocumentDevicePtr CDocumentManager::FindSameDevice(const CDocumentDevicePtr& device)
{
    const std::string serial = device ? device->GetSerialText() : std::string();
    if (serial.empty())
        return CDocumentDevicePtr();
    CSingleLock lock(&m_documentMutex, TRUE);
    for (const CDocumentDevicePtr& other : m_devices)
    {
        if (other != device && other->IsConnected() && other->GetModel() == device->GetModel() &&
            other->GetType() == device->GetType() && other->GetSerialText() == serial)
            return other;
    }
    return CDocumentDevicePtr();
}

bool CDocumentManager::IsLogFileOpen(const std::wstring& path)
{
    CSingleLock lock(&m_logFileListLock, TRUE);
    const std::string wanted = UpperCaseAnsi(WideToNarrow(path));
    for (const CDocumentLogFilePtr& logFile : m_logFiles)
    {
        if (UpperCaseAnsi(logFile->GetPath()) == wanted)
            return true;
    }
    return false;
}

DeviceList_t CDocumentManager::GetDevices()
{
    CSingleLock lock(&m_documentMutex, TRUE);
    return m_devices;
}

DisplayList_t CDocumentManager::GetDisplays()
{
    CSingleLock lock(&m_displayListLock, TRUE);
    return m_displays;
}

std::deque<CDocTemplatePtr> CDocumentManager::GetDocTemplates()
{
    CSingleLock lock(&m_displayListLock, TRUE);
    return m_templates;
}

// --- Removing -------------------------------------------------------------------------

bool CDocumentManager::RemoveDevice(const CDocumentDevicePtr& device)
{
    if (!device)
        return false;
    const int id = device->GetId();
    // Disconnecting may wait a moment for the polling thread: no list lock is taken for it.
    CConnectionPtr connection = device->GetConnection();
    if (connection && connection->IsConnected())
        connection->Disconnect();

    CSingleLock lock(&m_documentMutex, TRUE);
    const bool removed = RemoveWithId(m_devices, m_deviceIds, DOCUMENT_ID_LIMIT, device);
    PostToBothQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_DEVICE_REMOVED, id)));
    return removed;
}

bool CDocumentManager::RemoveDisplay(const CDocumentDisplayPtr& display)
{
    CSingleLock lock(&m_displayListLock, TRUE);
    return RemoveWithId(m_displays, m_displayIds, DOCUMENT_ID_LIMIT, display);
}

bool CDocumentManager::RemoveLogFile(const CDocumentLogFilePtr& logFile)
{
    if (!logFile)
        return false;
    const int id = logFile->GetId();
    CSingleLock lock(&m_logFileListLock, TRUE);
    const bool removed = RemoveWithId(m_logFiles, m_logFileIds, DOCUMENT_ID_LIMIT, logFile);
    PostToBothQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_LOG_FILE_REMOVED, id)));
    return removed;
}

// --- Dispatching ----------------------------------------------------------------------

void CDocumentManager::DispatchToDevices(StorageRun_t& run)
{
    CSingleLock lock(&m_documentMutex, TRUE);
    for (CStoragePtr item; run.Next(item);)
    {
        if (!item)
            continue;
        const DWORD type = item->GetType();
        // By index: a handler may change the list (the lock is recursive).
        for (size_t index = 0; index < m_devices.size(); ++index)
        {
            if (!m_devices[index]->TakesItemsOf(type))
                continue;
            CDocumentDevicePtr device = m_devices[index];
            CallHandler([&] { device->OnStorage(item); });
        }
    }
}

void CDocumentManager::DispatchToDisplays(StorageRun_t& run)
{
    CSingleLock lock(&m_displayListLock, TRUE);
    for (CStoragePtr item; run.Next(item);)
    {
        for (size_t index = 0; index < m_displays.size(); ++index)
        {
            CDocumentDisplayPtr display = m_displays[index];
            CallHandler([&] { display->OnStorage(item); });
        }
    }
}

void CDocumentManager::PostToBothQueues(const CStoragePtr& item)
{
    if (m_dispatcher == nullptr)
        return;
    m_dispatcher->GetFirstQueue().Push(item);
    m_dispatcher->PostToSecondQueue(item);
}

void CDocumentManager::PostToBothQueues(const StorageBatch_t& items)
{
    if (m_dispatcher == nullptr)
        return;
    m_dispatcher->GetFirstQueue().PushBatch(items);
    m_dispatcher->PostToSecondQueue(items);
}

// --- Tree entries ---------------------------------------------------------------------

void CDocumentManager::GetDeviceTreeItems(CTreeItemList& items)
{
    CSingleLock lock(&m_documentMutex, TRUE);
    for (const CDocumentDevicePtr& device : m_devices)
    {
        CTreeItemPtr entry(new CTreeItem(device->GetName(), "", PLOT_ID_NONE, PLOT_ID_NONE, device->GetId(), ""));
        device->CollectPlotItems(entry->GetPlotItems());
        // The computer is not listed in the tree.
        if (device->IsListed())
            items.push_back(entry);
    }
}

void CDocumentManager::GetLogFileTreeItems(CTreeItemList& items)
{
    CSingleLock lock(&m_logFileListLock, TRUE);
    for (const CDocumentLogFilePtr& logFile : m_logFiles)
    {
        CTreeItemPtr entry(
            new CTreeItem(logFile->GetName(), "", PLOT_ITEM_TYPE_LOG_COLUMN, PLOT_ID_NONE, logFile->GetId(), ""));
        logFile->CollectPlotItems(entry->GetPlotItems());
        items.push_back(entry);
    }
}

// --- Whole set ------------------------------------------------------------------------

void CDocumentManager::CloseAll()
{
    CSyncObject* locks[3] = { &m_documentMutex, &m_displayListLock, &m_logFileListLock };
    CMultiLock allLists(locks, 3);
    allLists.Lock(INFINITE, TRUE);

    while (!m_devices.empty())
    {
        CDocumentDevicePtr device = m_devices.front();
        RemoveDevice(device);
        // A device whose id no longer matches its entry would stay: drop it all the same.
        if (!m_devices.empty() && m_devices.front() == device)
            m_devices.pop_front();
        CloseWithoutDeleting(*device);
    }
    while (!m_displays.empty())
    {
        CDocumentDisplayPtr display = m_displays.front();
        // A display removes itself while it closes.
        CloseWithoutDeleting(*display);
        if (!m_displays.empty() && m_displays.front() == display)
        {
            RemoveDisplay(display);
            if (!m_displays.empty() && m_displays.front() == display)
                m_displays.pop_front();
        }
    }
    while (!m_logFiles.empty())
    {
        CDocumentLogFilePtr logFile = m_logFiles.front();
        CloseWithoutDeleting(*logFile);
        RemoveLogFile(logFile);
        if (!m_logFiles.empty() && m_logFiles.front() == logFile)
            m_logFiles.pop_front();
    }
    allLists.Unlock();
}

bool CDocumentManager::Reset()
{
    CloseAll();
    {
        CSyncObject* locks[3] = { &m_documentMutex, &m_displayListLock, &m_logFileListLock };
        CMultiLock allLists(locks, 3);
        allLists.Lock(INFINITE, TRUE);
        std::memset(m_deviceIds, 0, sizeof(m_deviceIds));
        std::memset(m_logFileIds, 0, sizeof(m_logFileIds));
        std::memset(m_displayIds, 0, sizeof(m_displayIds));
    }
    // The computer is always device 1 after a reset.
    CDocumentDevicePtr computer(new CDocumentDevicePC(this));
    AddDevice(computer);
    return true;
}
