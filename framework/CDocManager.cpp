#include "framework/CDocManager.h"

#include "framework/CDocTemplate.h"
#include "framework/CDocument.h"
#include "framework/CFileDialog.h"
#include "framework/CFrameWnd.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "framework/MessageBoxHook.h"

namespace
{
// Adds "name|*.ext|" for a template with a file type; the first extension found goes to
// rDefaultExt.
void AppendTemplateFilter(CString& filter, CDocTemplate* pTemplate, CString& rDefaultExt)
{
    CString name;
    CString ext;
    if (!pTemplate->GetDocString(name, CDocTemplate::filterName) ||
        !pTemplate->GetDocString(ext, CDocTemplate::filterExt))
        return;
    filter += name;
    filter += "|*";
    filter += ext;
    filter += "|";
    if (rDefaultExt.IsEmpty())
        rDefaultExt = ext[0] == '.' ? ext.Mid(1) : ext;
}
}  // namespace

void CDocManager::OnFileNew(CWinApp& app)
{
    POSITION pos = app.GetFirstDocTemplatePosition();
    if (pos == nullptr)
        return;
    app.GetNextDocTemplate(pos)->OpenDocumentFile(nullptr);
}

void CDocManager::OnFileOpen(CWinApp& app)
{
    CString fileName;
    if (!DoPromptFileName(fileName, TRUE, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, nullptr))
        return;
    app.OpenDocumentFile(fileName);
}

CDocument* CDocManager::OpenDocumentFile(CWinApp& app, LPCTSTR lpszFileName)
{
    if (lpszFileName == nullptr || *lpszFileName == '\0')
        return nullptr;
    char fullPath[MAX_PATH] = "";
    if (::GetFullPathNameA(lpszFileName, MAX_PATH, fullPath, nullptr) == 0)
        lstrcpynA(fullPath, lpszFileName, MAX_PATH);

    CDocTemplate* bestTemplate = nullptr;
    CDocument* openDocument = nullptr;
    CDocTemplate::Confidence best = CDocTemplate::noAttempt;
    POSITION pos = app.GetFirstDocTemplatePosition();
    while (pos != nullptr)
    {
        CDocTemplate* pTemplate = app.GetNextDocTemplate(pos);
        CDocument* match = nullptr;
        const CDocTemplate::Confidence confidence = pTemplate->MatchDocType(fullPath, match);
        if (confidence > best)
        {
            best = confidence;
            bestTemplate = pTemplate;
            openDocument = confidence == CDocTemplate::yesAlreadyOpen ? match : nullptr;
        }
        if (confidence == CDocTemplate::yesAlreadyOpen)
            break;
    }

    if (openDocument != nullptr)
    {
        POSITION viewPos = openDocument->GetFirstViewPosition();
        if (viewPos != nullptr)
        {
            CView* view = openDocument->GetNextView(viewPos);
            if (CFrameWnd* frame = view->GetParentFrame())
                frame->ActivateFrame();
        }
        return openDocument;
    }
    if (bestTemplate == nullptr)
    {
        AfxMessageBox("Failed to open document.", MB_ICONEXCLAMATION);
        return nullptr;
    }
    return bestTemplate->OpenDocumentFile(fullPath);
}

CString CDocManager::BuildFilter(CDocTemplate* pTemplate, CString& rDefaultExt)
{
    CString filter;
    rDefaultExt.Empty();
    if (pTemplate != nullptr)
    {
        AppendTemplateFilter(filter, pTemplate, rDefaultExt);
    }
    else if (CWinApp* app = AfxGetApp())
    {
        POSITION pos = app->GetFirstDocTemplatePosition();
        while (pos != nullptr)
            AppendTemplateFilter(filter, app->GetNextDocTemplate(pos), rDefaultExt);
    }
    filter += "All Files (*.*)|*.*||";
    return filter;
}

BOOL CDocManager::DoPromptFileName(CString& rFileName, BOOL bOpenFileDialog, DWORD lFlags,
                                   CDocTemplate* pTemplate)
{
    CString defaultExt;
    const CString filter = BuildFilter(pTemplate, defaultExt);
    CFileDialog dialog(bOpenFileDialog, defaultExt.IsEmpty() ? nullptr : static_cast<LPCTSTR>(defaultExt),
                       rFileName.IsEmpty() ? nullptr : static_cast<LPCTSTR>(rFileName), lFlags, filter,
                       AfxGetMainWnd());
    if (dialog.DoModal() != IDOK)
        return FALSE;
    rFileName = dialog.GetPathName();
    return TRUE;
}

BOOL CDocManager::SaveAllModified(CWinApp& app)
{
    POSITION pos = app.GetFirstDocTemplatePosition();
    while (pos != nullptr)
    {
        if (!app.GetNextDocTemplate(pos)->SaveAllModified())
            return FALSE;
    }
    return TRUE;
}

void CDocManager::CloseAllDocuments(CWinApp& app, BOOL bEndSession)
{
    POSITION pos = app.GetFirstDocTemplatePosition();
    while (pos != nullptr)
        app.GetNextDocTemplate(pos)->CloseAllDocuments(bEndSession);
}

int CDocManager::GetOpenDocumentCount(CWinApp& app)
{
    int count = 0;
    POSITION pos = app.GetFirstDocTemplatePosition();
    while (pos != nullptr)
    {
        CDocTemplate* pTemplate = app.GetNextDocTemplate(pos);
        POSITION docPos = pTemplate->GetFirstDocPosition();
        while (docPos != nullptr)
        {
            pTemplate->GetNextDoc(docPos);
            ++count;
        }
    }
    return count;
}
