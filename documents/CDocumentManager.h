// Owns every device, display and log-file document, gives each a small id within its
// list, finds documents by id or endpoint, builds the tree entries, removes and closes
// documents, and owns the dispatcher through which all data items flow.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMutex.h"
#include "documents/CDocumentEx.h"
#include "documents/IStorageDispatchTarget.h"
#include "documents/StorageDispatcher_t.h"
#include "documents/StorageQueue_t.h"
#include "modbus/ModbusEndpoint.h"

#include <boost/shared_ptr.hpp>
#include <deque>
#include <string>

class CDocTemplate;
class CDocumentDevice;
class CDocumentDisplay;
class CDocumentLogFile;

const int DOCUMENT_ID_LIMIT = 256;

typedef boost::shared_ptr<CDocumentDevice> CDocumentDevicePtr;
typedef boost::shared_ptr<CDocumentDisplay> CDocumentDisplayPtr;
typedef boost::shared_ptr<CDocumentLogFile> CDocumentLogFilePtr;
typedef boost::shared_ptr<CDocTemplate> CDocTemplatePtr;
typedef boost::shared_ptr<CDocumentEx> CDocumentExPtr;
typedef std::deque<CDocumentDevicePtr> DeviceList_t;
typedef std::deque<CDocumentDisplayPtr> DisplayList_t;
typedef std::deque<CDocumentLogFilePtr> LogFileList_t;

class CDocumentManager : public CDocumentEx, public IStorageDispatchTarget
{
    DECLARE_DYNCREATE(CDocumentManager)
public:
    CDocumentManager();
    ~CDocumentManager() override;

    // The manager of the running application, set by the application object at start-up;
    // null until then.
    static CDocumentManager* GetApplicationManager();
    static void SetApplicationManager(CDocumentManager* manager);

    int AddDevice(const CDocumentDevicePtr& device);
    int AddDisplay(const CDocumentDisplayPtr& display);
    int AddLogFile(const CDocumentLogFilePtr& logFile);
    void AddDocTemplate(const CDocTemplatePtr& docTemplate);

    CDocumentDevicePtr FindDeviceById(int id);
    CDocumentDisplayPtr FindDisplayById(int id);
    CDocumentLogFilePtr FindLogFileById(int id);
    CDocumentLogFilePtr FindLogFileBySourceId(int deviceId);
    // The first device reached at that place, the excepted one left out.
    CDocumentDevicePtr FindDeviceByEndpoint(const ModbusEndpoint_t& endpoint,
                                            const CDocumentDevicePtr& except = CDocumentDevicePtr());
    // Another device of the list that is this same device, whatever link reaches it: a
    // connected one of the same model and type with the same serial number as the device
    // read at its open. None while the device's serial number is not known.
    CDocumentDevicePtr FindSameDevice(const CDocumentDevicePtr& device);
    bool IsLogFileOpen(const std::wstring& path);
    DeviceList_t GetDevices();
    DisplayList_t GetDisplays();
    // The display templates in the order they were handed over.
    std::deque<CDocTemplatePtr> GetDocTemplates();

    bool RemoveDevice(const CDocumentDevicePtr& device);
    bool RemoveDisplay(const CDocumentDisplayPtr& display);
    bool RemoveLogFile(const CDocumentLogFilePtr& logFile);

    // Each takes its list's lock once for the whole run.
    void DispatchToDevices(StorageRun_t& run) override;
    void DispatchToDisplays(StorageRun_t& run) override;

    void GetDeviceTreeItems(CTreeItemList& items);
    void GetLogFileTreeItems(CTreeItemList& items);

    void CloseAll();
    bool Reset();

    StorageDispatcher_t& GetDispatcher() { return *m_dispatcher; }
    // Into the first queue and then the second.
    void PostToBothQueues(const CStoragePtr& item);
    void PostToBothQueues(const StorageBatch_t& items);

    CMutex& GetDeviceListLock() { return m_documentMutex; }
    CMutex& GetDisplayListLock() { return m_displayListLock; }
    CMutex& GetLogFileListLock() { return m_logFileListLock; }

    static int FindFreeId(int size, const BYTE* map);
    static bool MarkId(int id, BYTE* map, int size);
    static bool FreeId(int id, BYTE* map, int size);
    template <class List>
    static int AddWithFreeId(List& list, BYTE* map, int size, const typename List::value_type& document);
    template <class List>
    static bool RemoveWithId(List& list, BYTE* map, int size, const typename List::value_type& document);

private:
    CMutex m_logFileListLock;
    CMutex m_displayListLock;
    StorageDispatcher_t* m_dispatcher;
    DeviceList_t m_devices;
    DisplayList_t m_displays;
    LogFileList_t m_logFiles;
    BYTE m_deviceIds[DOCUMENT_ID_LIMIT];
    BYTE m_logFileIds[DOCUMENT_ID_LIMIT];
    BYTE m_displayIds[DOCUMENT_ID_LIMIT];
    // The display templates, in the order they were handed over.
    std::deque<CDocTemplatePtr> m_templates;
};

typedef boost::shared_ptr<CDocumentManager> CDocumentManagerPtr;
