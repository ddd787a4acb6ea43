#include "documents/workspace/CDocumentWorkspace.h"
#include "displays/CDocumentDisplay.h"
#include "documents/CConnectionModbusLocal.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentDevicePC.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CDocTemplate.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CSingleLock.h"
#include "framework/CUserException.h"
#include "framework/CView.h"
#include "framework/MessageBoxHook.h"

#include <map>
#include <set>
#include <stdexcept>
#include <string>

IMPLEMENT_DYNCREATE(CDocumentWorkspace, CDocument)

static_assert(sizeof(WINDOWPLACEMENT) == WORKSPACE_PLACEMENT_BYTES, "the stored window placement is 44 bytes");

namespace
{
// The MDI child frame around the display's first view; null without a view.
CMDIChildWnd* FindChildFrame(CDocumentDisplay& display)
{
    POSITION position = display.GetFirstViewPos();
    CView* view = position != nullptr ? display.GetNextViewAt(position) : nullptr;
    for (HWND window = view != nullptr ? view->GetSafeHwnd() : nullptr; window != nullptr;
         window = ::GetParent(window))
    {
        CWnd* wrapper = CWnd::FromHandlePermanent(window);
        if (wrapper != nullptr && wrapper->IsKindOf(RUNTIME_CLASS(CMDIChildWnd)))
            return static_cast<CMDIChildWnd*>(wrapper);
    }
    return nullptr;
}

CDocTemplatePtr FindTemplate(CDocumentManager& manager, const CString& typeId)
{
    for (const CDocTemplatePtr& docTemplate : manager.GetDocTemplates())
    {
        CString templateTypeId;
        if (docTemplate && docTemplate->GetDocString(templateTypeId, CDocTemplate::regFileTypeId) &&
            templateTypeId == typeId)
            return docTemplate;
    }
    return CDocTemplatePtr();
}

// What refuses a workspace that holds something the program cannot: the file, which of
// its documents, and what is wrong with it.
std::runtime_error Refusal(const CArchive& ar, const std::string& subject, const std::string& problem)
{
    return std::runtime_error("Unable to open the workspace " + std::string(ar.m_strFileName.GetString()) + ":\n" +
                              subject + ": " + problem + ".");
}

std::string Numbered(const char* kind, int position)
{
    return std::string(kind) + " " + std::to_string(position + 1);
}

// Devices are made by class name while loading: their classes must be known by name.
void RegisterDeviceClasses()
{
    CRuntimeClass::Register(RUNTIME_CLASS(CDocumentDevicePC));
    CRuntimeClass::Register(RUNTIME_CLASS(CDocumentDeviceGeneric1));
}
}  // namespace

CDocumentWorkspace::CDocumentWorkspace() : m_managerChanged(false)
{
}

CDocumentManager* CDocumentWorkspace::GetManager() const
{
    return CDocumentManager::GetApplicationManager();
}

BOOL CDocumentWorkspace::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return FALSE;
    CDocumentManager* manager = GetManager();
    if (manager == nullptr)
        return FALSE;
    manager->CloseAll();
    manager->Reset();
    return TRUE;
}

BOOL CDocumentWorkspace::OnOpenDocument(LPCTSTR pathName)
{
    m_managerChanged = false;
    // A failed load leaves the framework's open failing: the error is shown once, the
    // workspace does not take the path, and no later Save overwrites the damaged file.
    const BOOL opened = CDocument::OnOpenDocument(pathName);
    CDocumentManager* manager = GetManager();
    // After a partial load too: the trees must show what the manager holds now.
    if (manager != nullptr && (opened || m_managerChanged))
        manager->PostToBothQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_WORKSPACE_LOADED, 0)));
    return opened;
}

void CDocumentWorkspace::Serialize(CArchive& ar)
{
    try
    {
        CDocumentManager* manager = GetManager();
        if (manager == nullptr)
            AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
        if (ar.IsStoring())
            Store(ar, *manager);
        else
            Load(ar, *manager);
    }
    catch (const std::exception& error)
    {
        // A document's own failure (devices.xml unreadable, say): shown here with its text;
        // the user exception then fails the open or save without a second message.
        SetModifiedFlag(FALSE);
        AfxMessageBox(error.what(), MB_ICONSTOP);
        AfxThrowUserException();
    }
    catch (...)
    {
        SetModifiedFlag(FALSE);
        throw;
    }
    SetModifiedFlag(FALSE);
}

void CDocumentWorkspace::Store(CArchive& ar, CDocumentManager& manager)
{
    ar << WORKSPACE_MAGIC_1 << WORKSPACE_MAGIC_2 << WORKSPACE_VERSION;
    // Loading numbers the devices anew in file order: the displays store their device
    // variables under those numbers.
    std::map<int, int> loadedDeviceIds;
    {
        CSingleLock lock(&manager.GetDeviceListLock(), TRUE);
        const DeviceList_t devices = manager.GetDevices();
        ar << static_cast<int>(devices.size());
        for (const CDocumentDevicePtr& device : devices)
        {
            ar.WriteObject(device.get());
            device->SetModifiedFlag(FALSE);
            const int idWhenLoaded = static_cast<int>(loadedDeviceIds.size()) + 1;
            loadedDeviceIds[device->GetId()] = idWhenLoaded;
        }
    }
    {
        CSingleLock lock(&manager.GetDeviceListLock(), TRUE);
        const DisplayList_t displays = manager.GetDisplays();
        ar << static_cast<int>(displays.size());
        for (const CDocumentDisplayPtr& display : displays)
        {
            CString typeId;
            if (CDocTemplate* docTemplate = display->GetDocTemplate())
                docTemplate->GetDocString(typeId, CDocTemplate::regFileTypeId);
            ar << typeId;
            ar.WriteClass(display->GetRuntimeClass());
            display->SetStoredDeviceIds(&loadedDeviceIds);
            try
            {
                display->Serialize(ar);
            }
            catch (...)
            {
                display->SetStoredDeviceIds(nullptr);
                throw;
            }
            display->SetStoredDeviceIds(nullptr);
            display->SetModifiedFlag(FALSE);

            WINDOWPLACEMENT placement = {};
            placement.length = WORKSPACE_PLACEMENT_BYTES;
            if (CMDIChildWnd* frame = FindChildFrame(*display))
                ::GetWindowPlacement(frame->GetSafeHwnd(), &placement);
            ar.Write(&placement, WORKSPACE_PLACEMENT_BYTES);
        }
    }
}

void CDocumentWorkspace::Load(CArchive& ar, CDocumentManager& manager)
{
    // Everything that can refuse the file without reading further comes before the
    // manager is touched.
    DWORD magic1 = 0;
    DWORD magic2 = 0;
    ar >> magic1 >> magic2;
    if (magic1 != WORKSPACE_MAGIC_1 || magic2 != WORKSPACE_MAGIC_2)
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
    int version = 0;
    ar >> version;
    if (version != WORKSPACE_VERSION)
        AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);

    m_managerChanged = true;
    CDocumentWorkspace::OnNewDocument();
    CSingleLock lock(&manager.GetDeviceListLock(), TRUE);
    // The reset's pseudo-device goes too: the file brings its own.
    manager.CloseAll();
    // The removals just queued name ids that the file's devices get again: delivered
    // later, they would strip the loaded displays of their entries. They concern no
    // document that is left, and the trees rebuild on the workspace-loaded event. The
    // clear also drops those the dispatch thread has taken and not handed on yet; the
    // first queue's copies go to devices only, which do not act on them.
    manager.GetDispatcher().GetSecondQueue().Clear();
    LoadDevices(ar, manager);
    LoadDisplays(ar, manager);
}

void CDocumentWorkspace::LoadDevices(CArchive& ar, CDocumentManager& manager)
{
    RegisterDeviceClasses();
    int count = 0;
    ar >> count;
    std::set<const CObject*> loaded;
    for (int position = 0; position < count; ++position)
    {
        CObject* object = nullptr;
        try
        {
            object = ar.ReadObject(RUNTIME_CLASS(CDocumentDevice));
        }
        catch (const std::runtime_error& error)
        {
            throw Refusal(ar, Numbered("device", position), error.what());
        }
        if (object == nullptr)
            AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
        // A back-reference would hand the same document to a second owner.
        if (!loaded.insert(object).second)
            AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
        CDocumentDevicePtr device(static_cast<CDocumentDevice*>(object));
        // The values its Connection page would refuse: it could not be reached there, nor
        // set to them again.
        const boost::shared_ptr<CConnectionModbusLocal> connection =
            boost::dynamic_pointer_cast<CConnectionModbusLocal>(device->GetConnection());
        const std::string refused = connection ? connection->RefusedValueText() : std::string();
        if (!refused.empty())
            throw Refusal(ar, Numbered("device", position) + " ('" + device->GetName().GetString() + "')",
                          "its connection has " + refused + ", which its Connection page refuses");
        device->SetDocumentManager(&manager);
        // More devices than ids: no saved workspace has them.
        if (manager.AddDevice(device) < 0)
            AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    }
}

void CDocumentWorkspace::LoadDisplays(CArchive& ar, CDocumentManager& manager)
{
    for (const CDocumentDisplayPtr& display : manager.GetDisplays())
        manager.RemoveDisplay(display);

    int count = 0;
    ar >> count;
    for (int position = 0; position < count; ++position)
    {
        CString typeId;
        ar >> typeId;
        const CDocTemplatePtr docTemplate = FindTemplate(manager, typeId);
        if (!docTemplate)
            AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
        CDocument* created = docTemplate->OpenDocumentFile(nullptr, FALSE);
        if (created == nullptr)
            AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
        CDocumentDisplay* createdDisplay = dynamic_cast<CDocumentDisplay*>(created);
        if (createdDisplay == nullptr)
        {
            created->m_bAutoDelete = FALSE;
            created->OnCloseDocument();
            delete created;
            AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
        }

        const CDocumentDisplayPtr display(createdDisplay);
        WINDOWPLACEMENT placement = {};
        try
        {
            display->SetDocumentManager(&manager);
            if (ar.ReadClass(display->GetRuntimeClass()) != display->GetRuntimeClass())
                AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
            try
            {
                display->Serialize(ar);
            }
            catch (const std::runtime_error& error)
            {
                throw Refusal(ar, Numbered("display", position), error.what());
            }
            // Log files are not part of a workspace, and the ids of devices the file does
            // not hold would name whatever document gets them next.
            display->DropEntriesOfMissingDocuments();
            // Read before the display is added, so that a short file leaves no hidden frame.
            if (ar.Read(&placement, WORKSPACE_PLACEMENT_BYTES) != WORKSPACE_PLACEMENT_BYTES)
                AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
            if (manager.AddDisplay(display) < 0)
                AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
        }
        catch (...)
        {
            // Not in the manager: its frame goes here, the document with the last pointer.
            display->OnCloseDocument();
            throw;
        }

        if (CMDIChildWnd* frame = FindChildFrame(*display))
        {
            if (placement.length == WORKSPACE_PLACEMENT_BYTES)
                ::SetWindowPlacement(frame->GetSafeHwnd(), &placement);
            docTemplate->InitialUpdateFrame(frame, display.get(), TRUE);
        }
    }
}
