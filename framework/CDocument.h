// A document: the data behind zero or more views. Knows its title, its file and
// whether it changed; loads and stores itself through a CArchive and Serialize.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCmdTarget.h"
#include "framework/CPtrList.h"
#include "framework/CString.h"

class CArchive;
class CDocTemplate;
class CException;
class CFile;
class CFileException;
class CFrameWnd;
class CView;

class CDocument : public CCmdTarget
{
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument();
    // Detaches the remaining views and leaves the template's list.
    ~CDocument() override;

    // --- Title, path, template ------------------------------------------------------
    const CString& GetTitle() const { return m_strTitle; }
    // Also the caption of the frames that show the document.
    virtual void SetTitle(LPCTSTR lpszTitle);
    const CString& GetPathName() const { return m_strPathName; }
    // Full path; the title becomes the file's name. bAddToMRU puts it in the recent list.
    virtual void SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

    // --- Views ----------------------------------------------------------------------
    virtual void AddView(CView* pView);
    virtual void RemoveView(CView* pView);
    POSITION GetFirstViewPosition() const { return m_viewList.GetHeadPosition(); }
    CView* GetNextView(POSITION& rPosition) const;
    // OnUpdate of every view except pSender.
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);
    // After a view came or went: an auto-delete document closes with its last view.
    virtual void OnChangedViewList();

    // --- Life cycle -----------------------------------------------------------------
    virtual void DeleteContents();
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(LPCTSTR lpszPathName);
    virtual BOOL OnSaveDocument(LPCTSTR lpszPathName);
    // Closes the document's frames, empties it and, with m_bAutoDelete, deletes it:
    // the caller must not touch the object afterwards.
    virtual void OnCloseDocument();
    virtual void PreCloseFrame(CFrameWnd* pFrame);
    // Asks "Save changes to <title>?" when modified; FALSE when the user cancelled or
    // the save failed.
    virtual BOOL SaveModified();
    // TRUE when closing pFrame may go ahead: other frames still show the document, or
    // SaveModified agrees.
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);

    // Save (bReplace: the document takes the new path) with a file dialog when
    // lpszPathName is nullptr; FALSE on cancel or failure.
    BOOL DoSave(LPCTSTR lpszPathName, BOOL bReplace = TRUE);
    // File Save: to the current path, or Save As when there is none.
    BOOL DoFileSave();

    // The file to read or write; nullptr (and pError filled) on failure.
    virtual CFile* GetFile(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError);
    virtual void ReleaseFile(CFile* pFile, BOOL bAbort);
    // Tells the user that loading or saving failed.
    virtual void ReportSaveLoadException(LPCTSTR lpszPathName, CException* e, BOOL bSaving);

    // The document, then its template.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // Deleted by OnCloseDocument when TRUE (the default).
    BOOL m_bAutoDelete = TRUE;

protected:
    afx_msg void OnFileClose();
    afx_msg void OnFileSave();
    afx_msg void OnFileSaveAs();

    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    CPtrList m_viewList;
    BOOL m_bModified = FALSE;

    DECLARE_MESSAGE_MAP()

private:
    // Serialize through an archive over the file; a failure leaves the archive aborted
    // and the framework exception on its way to the caller.
    void SerializeWithFile(CFile* file, UINT archiveMode, LPCTSTR lpszPathName);

    friend class CDocTemplate;
    // Set while OnCloseDocument runs, so that the frames it closes do not close it again.
    BOOL m_bClosing = FALSE;
};
