#include "documents/CDocumentEx.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "framework/CArchive.h"
#include "framework/CDocTemplate.h"
#include "framework/CMenu.h"
#include "framework/CPropertyPage.h"
#include "framework/CPropertySheet.h"
#include "framework/CSingleLock.h"
#include "framework/CWinApp.h"
#include "shell/CDialogGeneralInput.h"

const char* const DOCUMENT_BASE_NAME = "Base Document";

namespace
{
const int DOCUMENT_SCHEMA = 0;
const int POPUP_PROPERTIES = 0;
}

IMPLEMENT_DYNCREATE(CDocumentEx, CDocument)

CDocumentEx::CDocumentEx(CDocumentManager* manager)
    : m_documentManager(manager), m_id(-1), m_runningSheet(nullptr)
{
    // Shared pointers own documents; closing the last view must not delete one.
    m_bAutoDelete = FALSE;
}

void CDocumentEx::SetDocumentManager(CDocumentManager* manager)
{
    m_documentManager = manager;
}

void CDocumentEx::CollectPlotItems(CTreeItemList&)
{
}

bool CDocumentEx::OnProperties()
{
    const bool accepted = RunPropertySheet(GetName());
    if (accepted)
        OnPropertiesChanged();
    return accepted;
}

CPropertyPage* CDocumentEx::CreatePropertyPage(int)
{
    return nullptr;
}

int CDocumentEx::GetPropertyPageCount()
{
    return 0;
}

void CDocumentEx::Rename()
{
    CSingleLock lock(&m_documentMutex, TRUE);
    // The dialog offers the name the document has without the user's, so that the user
    // sees what an empty entry would bring back.
    const CString userName = m_userName;
    m_userName.Empty();
    const CString defaultName = GetName();
    m_userName = userName;

    CDialogGeneralInput dialog(AfxGetMainWnd(), defaultName, "Please enter a new name");
    CString enteredName;
    if (dialog.DoModalGetText(enteredName) != IDOK)
        return;
    SetUserName(enteredName);
    PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, GetId())));
}

bool CDocumentEx::RunPropertySheet(const CString& caption)
{
    CSingleLock lock(&m_documentMutex, TRUE);
    CPropertySheet* sheet = new CPropertySheet(caption, AfxGetMainWnd(), 0);
    m_runningSheet = sheet;
    for (int index = 0; index < GetPropertyPageCount(); ++index)
    {
        CPropertyPage* page = CreatePropertyPage(index);
        if (page != nullptr)
            sheet->AddPage(page);
    }
    lock.Unlock();

    bool accepted = false;
    if (sheet->GetPageCount() > 0)
    {
        // Modal without the mutex: the pages may need the document meanwhile.
        accepted = sheet->DoModal() == IDOK;
        lock.Lock();
        while (sheet->GetPageCount() > 0)
        {
            CPropertyPage* page = sheet->GetPage(0);
            sheet->RemovePage(0);
            delete page;
        }
        lock.Unlock();
    }
    delete sheet;
    m_runningSheet = nullptr;
    return accepted;
}

void CDocumentEx::OnPropertiesChanged()
{
}

bool CDocumentEx::HasNoId()
{
    return GetId() < 0;
}

CString CDocumentEx::GetName()
{
    if (!m_userName.IsEmpty())
        return m_userName;
    if (!m_defaultName.IsEmpty())
        return m_defaultName;
    return DOCUMENT_BASE_NAME;
}

void CDocumentEx::SetDefaultName(const CString& name)
{
    m_defaultName = name;
}

CString CDocumentEx::GetDefaultExtension()
{
    CString extension;
    if (CDocTemplate* docTemplate = GetDocTemplate())
        docTemplate->GetDocString(extension, CDocTemplate::filterExt);
    return extension;
}

void CDocumentEx::SetId(int id)
{
    m_id = id;
}

int CDocumentEx::GetId()
{
    return m_id;
}

POSITION CDocumentEx::GetFirstViewPos()
{
    CSingleLock lock(&m_documentMutex, TRUE);
    return GetFirstViewPosition();
}

CView* CDocumentEx::GetNextViewAt(POSITION& position)
{
    CSingleLock lock(&m_documentMutex, TRUE);
    return GetNextView(position);
}

void CDocumentEx::TrackContextMenu(CWnd* parent, int x, int y)
{
    const int count = GetPopupMenuEntryCount();
    if (count == 0)
        return;

    CMenu menu;
    CMenu popup;
    menu.CreateMenu();
    popup.CreatePopupMenu();
    menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.GetSafeHmenu()), "popup");
    for (int index = 0; index < count; ++index)
    {
        CString text;
        bool enabled = false;
        bool checked = false;
        GetPopupMenuEntry(index, text, enabled, checked);
        if (text.IsEmpty())
        {
            popup.AppendMenu(MF_SEPARATOR);
            continue;
        }
        UINT flags = enabled ? MF_ENABLED : (MF_GRAYED | MF_DISABLED);
        if (checked)
            flags |= MF_CHECKED;
        popup.AppendMenu(MF_STRING | flags, index + 1, text);
    }

    const int command = popup.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, parent);
    // The popup belongs to the menu now; destroying the menu destroys both.
    popup.Detach();
    menu.DestroyMenu();
    if (command != 0)
        OnPopupMenuCommand(command - 1);
}

int CDocumentEx::GetPopupMenuEntryCount()
{
    return GetPropertyPageCount() > 0 ? 1 : 0;
}

int CDocumentEx::GetPopupMenuEntry(int index, CString& text, bool& enabled, bool& checked)
{
    if (index == POPUP_PROPERTIES)
    {
        text = "Properties";
        enabled = GetPropertyPageCount() > 0;
        checked = false;
    }
    return index;
}

int CDocumentEx::OnPopupMenuCommand(int index)
{
    if (index == POPUP_PROPERTIES)
        OnProperties();
    return index;
}

void CDocumentEx::SetUserName(const CString& name)
{
    CSingleLock lock(&m_documentMutex, TRUE);
    m_userName = name;
    CDocument::SetTitle(GetName());
}

void CDocumentEx::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << DOCUMENT_SCHEMA << m_defaultName << m_userName;
    }
    else
    {
        m_userName.Empty();
        int schema = 0;
        ar >> schema;
        if (schema >= 0)
        {
            ar >> m_defaultName >> m_userName;
            CDocument::SetTitle(GetName());
        }
    }
    SetModifiedFlag(FALSE);
}

void CDocumentEx::SetTitle(LPCTSTR title)
{
    m_defaultName = title;
    CDocument::SetTitle(title);
}

BOOL CDocumentEx::OnNewDocument()
{
    CSingleLock lock(&m_documentMutex, TRUE);
    return CDocument::OnNewDocument();
}

BOOL CDocumentEx::OnOpenDocument(LPCTSTR pathName)
{
    CSingleLock lock(&m_documentMutex, TRUE);
    return CDocument::OnOpenDocument(pathName);
}

void CDocumentEx::PostToManagerQueues(const CStoragePtr& item)
{
    if (CDocumentManager* manager = GetDocumentManager())
        manager->PostToBothQueues(item);
}

void CDocumentEx::PostToManagerQueues(const StorageBatch_t& items)
{
    if (CDocumentManager* manager = GetDocumentManager())
        manager->PostToBothQueues(items);
}
