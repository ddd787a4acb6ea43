// The common base of the hub's documents (connections, devices, displays, log files
// and the document manager): a document mutex, the owning manager, a default and a
// user name, the id the manager gives, the trees' context menu and property pages.
// Documents are owned by shared pointers and never delete themselves.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDocument.h"
#include "framework/CMutex.h"
#include "framework/CString.h"
#include "documents/CStorage.h"
#include "documents/CTreeItem.h"

#include <atomic>

class CDocumentManager;
class CPropertyPage;
class CPropertySheet;
class CWnd;

// Shown when the document has neither a user nor a default name.
extern const char* const DOCUMENT_BASE_NAME;

class CDocumentEx : public CDocument
{
    DECLARE_DYNCREATE(CDocumentEx)
public:
    explicit CDocumentEx(CDocumentManager* manager = nullptr);

    CDocumentEx(const CDocumentEx&) = delete;
    CDocumentEx& operator=(const CDocumentEx&) = delete;

    virtual void SetDocumentManager(CDocumentManager* manager);
    // One entry per variable of the document; none in the base.
    virtual void CollectPlotItems(CTreeItemList& items);
    // Runs the property sheet captioned with the name; true when it ended with OK.
    virtual bool OnProperties();
    // A new page for the index, or null; the sheet deletes it after its run.
    virtual CPropertyPage* CreatePropertyPage(int index);
    virtual int GetPropertyPageCount();
    // Asks for a new name in the shared input dialog; an empty one brings the default
    // name back. The change is posted to the hub as a state refresh.
    virtual void Rename();
    virtual bool RunPropertySheet(const CString& caption);
    virtual void OnPropertiesChanged();
    virtual bool HasNoId();
    // The user name, else the default name, else DOCUMENT_BASE_NAME.
    virtual CString GetName();
    virtual void SetDefaultName(const CString& name);
    // The name the document was given by its kind, whatever the user calls it.
    CString GetDefaultName() const { return m_defaultName; }
    // The filter extension of the document's template; empty without a template.
    virtual CString GetDefaultExtension();
    // The id is read without a lock: the polling threads stamp every value with it.
    virtual void SetId(int id);
    virtual int GetId();
    virtual POSITION GetFirstViewPos();
    virtual CView* GetNextViewAt(POSITION& position);
    // Shows the popup entries at (x, y) and runs the one chosen.
    virtual void TrackContextMenu(CWnd* parent, int x, int y);
    // Derived documents that add entries put theirs first and pass the rest down with
    // their own count subtracted. An entry with empty text is a separator.
    virtual int GetPopupMenuEntryCount();
    virtual int GetPopupMenuEntry(int index, CString& text, bool& enabled, bool& checked);
    virtual int OnPopupMenuCommand(int index);

    CDocumentManager* GetDocumentManager() const { return m_documentManager; }
    CMutex& GetDocumentMutex() { return m_documentMutex; }

    // The user's name for the document; empty brings the default name back. The
    // frames' caption follows the name.
    void SetUserName(const CString& name);
    // Whether the user named the document (derived documents show more without a name).
    bool HasUserName() const { return !m_userName.IsEmpty(); }

    // The part derived documents store first: schema 0, default name, user name.
    void Serialize(CArchive& ar) override;
    // The title is also the default name.
    void SetTitle(LPCTSTR title) override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(LPCTSTR pathName) override;

protected:
    // Into the manager's first queue and then its second; nothing without a manager.
    void PostToManagerQueues(const CStoragePtr& item);
    void PostToManagerQueues(const StorageBatch_t& items);

    CMutex m_documentMutex;

private:
    CDocumentManager* m_documentManager;
    CString m_defaultName;
    CString m_userName;
    std::atomic<int> m_id;
    CPropertySheet* m_runningSheet;
};
