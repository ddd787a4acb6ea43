#include "framework/CDocument.h"

#include "framework/CArchive.h"
#include "framework/CDocManager.h"
#include "framework/CDocTemplate.h"
#include "framework/CException.h"
#include "framework/CFile.h"
#include "framework/CFileException.h"
#include "framework/CFrameWnd.h"
#include "framework/CUserException.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "framework/FileReplace.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageBoxHook.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

namespace
{
// The frames that show the document, each once, in view order.
std::vector<CFrameWnd*> FramesOf(const CDocument* document)
{
    std::vector<CFrameWnd*> frames;
    POSITION pos = document->GetFirstViewPosition();
    while (pos != nullptr)
    {
        CView* view = document->GetNextView(pos);
        CFrameWnd* frame = view->m_hWnd != nullptr ? view->GetParentFrame() : nullptr;
        if (frame == nullptr)
            continue;
        bool known = false;
        for (CFrameWnd* seen : frames)
            known = known || seen == frame;
        if (!known)
            frames.push_back(frame);
    }
    return frames;
}

// Numbers the frames (":1", ":2" in their titles) when there is more than one.
void UpdateFrameCounts(const CDocument* document)
{
    std::vector<CFrameWnd*> frames = FramesOf(document);
    int number = 1;
    for (CFrameWnd* frame : frames)
    {
        frame->m_nWindow = frames.size() > 1 ? number++ : 0;
        frame->OnUpdateFrameTitle(TRUE);
    }
}

CString FileNameOf(const CString& path)
{
    const int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
    return slash < 0 ? path : path.Mid(slash + 1);
}
}  // namespace

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    // Views that outlive the document must not call back into it.
    POSITION pos = GetFirstViewPosition();
    while (pos != nullptr)
        GetNextView(pos)->m_pDocument = nullptr;
    m_viewList.RemoveAll();
    if (m_pDocTemplate != nullptr)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCTSTR lpszTitle)
{
    m_strTitle = lpszTitle != nullptr ? lpszTitle : "";
    UpdateFrameCounts(this);
}

void CDocument::SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU)
{
    char fullPath[MAX_PATH] = "";
    if (lpszPathName == nullptr || ::GetFullPathNameA(lpszPathName, MAX_PATH, fullPath, nullptr) == 0)
        m_strPathName = lpszPathName != nullptr ? lpszPathName : "";
    else
        m_strPathName = fullPath;
    SetTitle(FileNameOf(m_strPathName));
    if (bAddToMRU && !m_strPathName.IsEmpty() && AfxGetApp() != nullptr)
        AfxGetApp()->AddToRecentFileList(m_strPathName);
}

CView* CDocument::GetNextView(POSITION& rPosition) const
{
    return static_cast<CView*>(m_viewList.GetNext(rPosition));
}

void CDocument::AddView(CView* pView)
{
    if (pView == nullptr || pView->m_pDocument == this)
        return;
    if (pView->m_pDocument != nullptr)
        pView->m_pDocument->RemoveView(pView);
    m_viewList.AddTail(pView);
    pView->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* pView)
{
    POSITION pos = pView != nullptr ? m_viewList.Find(pView) : nullptr;
    if (pos == nullptr)
        return;
    m_viewList.RemoveAt(pos);
    pView->m_pDocument = nullptr;
    // May delete this document: nothing may follow.
    OnChangedViewList();
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint)
{
    POSITION pos = GetFirstViewPosition();
    while (pos != nullptr)
    {
        CView* view = GetNextView(pos);
        if (view != pSender)
            view->OnUpdate(pSender, lHint, pHint);
    }
}

void CDocument::OnChangedViewList()
{
    if (m_viewList.IsEmpty() && m_bAutoDelete && !m_bClosing)
    {
        OnCloseDocument();
        return;
    }
    UpdateFrameCounts(this);
}

void CDocument::DeleteContents()
{
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCTSTR lpszPathName)
{
    CFileException fileError;
    CFile* file = GetFile(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fileError);
    if (file == nullptr)
    {
        ReportSaveLoadException(lpszPathName, &fileError, FALSE);
        return FALSE;
    }
    DeleteContents();
    SetModifiedFlag(TRUE);  // half-loaded until Serialize is through
    try
    {
        SerializeWithFile(file, CArchive::load, lpszPathName);
        ReleaseFile(file, FALSE);
    }
    catch (CException* e)
    {
        ReleaseFile(file, TRUE);
        DeleteContents();
        ReportSaveLoadException(lpszPathName, e, FALSE);
        e->Delete();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::SerializeWithFile(CFile* file, UINT archiveMode, LPCTSTR lpszPathName)
{
    CArchive archive(file, archiveMode | CArchive::bNoFlushOnDelete);
    archive.m_strFileName = lpszPathName;
    archive.m_pDocument = this;
    try
    {
        Serialize(archive);
        archive.Close();
    }
    catch (...)
    {
        archive.Abort();
        throw;
    }
}

BOOL CDocument::OnSaveDocument(LPCTSTR lpszPathName)
{
    // Written to a file beside the target and moved over it only when complete, so a
    // failed save leaves the old file as it was.
    CString folder = lpszPathName;
    const int slash = std::max(folder.ReverseFind('\\'), folder.ReverseFind('/'));
    folder = slash < 0 ? CString(".") : folder.Left(slash + 1);
    char tempPath[MAX_PATH] = "";
    if (::GetTempFileNameA(folder, "sav", 0, tempPath) == 0)
    {
        CFileException error(CFileException::OsErrorToException(static_cast<LONG>(::GetLastError())),
                             static_cast<LONG>(::GetLastError()), lpszPathName);
        ReportSaveLoadException(lpszPathName, &error, TRUE);
        return FALSE;
    }

    CFileException fileError;
    CFile* file = GetFile(tempPath, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive,
                          &fileError);
    if (file == nullptr)
    {
        ::DeleteFileA(tempPath);
        fileError.m_strFileName = lpszPathName;
        ReportSaveLoadException(lpszPathName, &fileError, TRUE);
        return FALSE;
    }
    try
    {
        SerializeWithFile(file, CArchive::store, lpszPathName);
        ReleaseFile(file, FALSE);
    }
    catch (CException* e)
    {
        ReleaseFile(file, TRUE);
        ::DeleteFileA(tempPath);
        // The file's own error names the file beside the target, which the user never chose.
        if (e->IsKindOf(RUNTIME_CLASS(CFileException)))
            static_cast<CFileException*>(e)->m_strFileName = lpszPathName;
        ReportSaveLoadException(lpszPathName, e, TRUE);
        e->Delete();
        return FALSE;
    }
    if (!MoveFileReplacing(tempPath, lpszPathName, MOVEFILE_COPY_ALLOWED))
    {
        const LONG osError = static_cast<LONG>(::GetLastError());
        ::DeleteFileA(tempPath);
        CFileException error(CFileException::OsErrorToException(osError), osError, lpszPathName);
        ReportSaveLoadException(lpszPathName, &error, TRUE);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::OnCloseDocument()
{
    // The frames go first; their views leave the list one by one. Auto-delete is held
    // back meanwhile so that the last view does not close the document a second time.
    const BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    m_bClosing = TRUE;
    while (!m_viewList.IsEmpty())
    {
        CView* view = static_cast<CView*>(m_viewList.GetHead());
        CFrameWnd* frame = view->m_hWnd != nullptr ? view->GetParentFrame() : nullptr;
        if (frame != nullptr)
        {
            PreCloseFrame(frame);
            frame->DestroyWindow();
        }
        else if (view->m_hWnd != nullptr)
        {
            view->DestroyWindow();
        }
        // A view that is still here (no window, or one that refused to go) is let go.
        if (!m_viewList.IsEmpty() && m_viewList.GetHead() == view)
            RemoveView(view);
    }
    m_bClosing = FALSE;
    m_bAutoDelete = autoDelete;

    DeleteContents();
    if (m_bAutoDelete)
        delete this;
}

void CDocument::PreCloseFrame(CFrameWnd* /*pFrame*/)
{
}

BOOL CDocument::SaveModified()
{
    if (!IsModified())
        return TRUE;
    CString name = m_strPathName.IsEmpty() ? m_strTitle : FileNameOf(m_strPathName);
    if (name.IsEmpty())
        name = "Untitled";
    CString prompt;
    prompt.Format("Save changes to %s?", static_cast<LPCTSTR>(name));
    switch (AfxMessageBox(prompt, MB_YESNOCANCEL | MB_ICONEXCLAMATION))
    {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        return DoFileSave();
    default:
        return TRUE;
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrame)
{
    for (CFrameWnd* frame : FramesOf(this))
    {
        if (frame != pFrame)
            return TRUE;    // the document stays on screen elsewhere
    }
    return SaveModified();
}

BOOL CDocument::DoSave(LPCTSTR lpszPathName, BOOL bReplace)
{
    CString newName = lpszPathName != nullptr ? lpszPathName : "";
    if (newName.IsEmpty())
    {
        newName = m_strPathName;
        if (bReplace && newName.IsEmpty())
        {
            newName = m_strTitle;
            newName.Replace(':', '_');  // the ":n" of window numbers is no file name
            CString ext;
            if (m_pDocTemplate != nullptr && m_pDocTemplate->GetDocString(ext, CDocTemplate::filterExt) &&
                newName.Find('.') < 0)
                newName += ext;
        }
        if (!CDocManager::DoPromptFileName(newName, FALSE, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                           m_pDocTemplate))
            return FALSE;
    }
    if (!OnSaveDocument(newName))
        return FALSE;
    if (bReplace)
        SetPathName(newName);
    return TRUE;
}

BOOL CDocument::DoFileSave()
{
    const DWORD attributes = m_strPathName.IsEmpty() ? INVALID_FILE_ATTRIBUTES
                                                     : ::GetFileAttributesA(m_strPathName);
    // A read-only or missing file is saved under a name the user chooses.
    if (m_strPathName.IsEmpty() ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0))
        return DoSave(nullptr);
    return DoSave(m_strPathName);
}

CFile* CDocument::GetFile(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    CFile* file = new CFile;
    if (!file->Open(lpszFileName, nOpenFlags, pError))
    {
        delete file;
        return nullptr;
    }
    return file;
}

void CDocument::ReleaseFile(CFile* pFile, BOOL bAbort)
{
    if (pFile == nullptr)
        return;
    if (bAbort)
    {
        pFile->Abort();
    }
    else
    {
        try
        {
            pFile->Close();
        }
        catch (CException* e)
        {
            e->Delete();
        }
    }
    delete pFile;
}

void CDocument::ReportSaveLoadException(LPCTSTR /*lpszPathName*/, CException* e, BOOL bSaving)
{
    // The user has been told already by whoever threw it.
    if (e != nullptr && e->IsKindOf(RUNTIME_CLASS(CUserException)))
        return;
    char text[512] = "";
    if (e == nullptr || !e->GetErrorMessage(text, sizeof text) || text[0] == '\0')
        lstrcpynA(text, bSaving ? "Failed to save document." : "Failed to open document.", sizeof text);
    AfxMessageBox(text, MB_ICONEXCLAMATION);
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return m_pDocTemplate != nullptr && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CDocument::OnFileClose()
{
    if (!SaveModified())
        return;
    OnCloseDocument();
}

void CDocument::OnFileSave()
{
    DoFileSave();
}

void CDocument::OnFileSaveAs()
{
    DoSave(nullptr);
}
