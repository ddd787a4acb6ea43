// The application's side of documents: File New, File Open, the file dialogs with the
// templates' filters, and saving or closing every open document. It works on the
// template list of the application object.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

class CDocTemplate;
class CDocument;
class CWinApp;

class CDocManager
{
public:
    // A new document of the application's first template.
    static void OnFileNew(CWinApp& app);
    // The open file dialog, then OpenDocumentFile with the chosen file.
    static void OnFileOpen(CWinApp& app);
    // The open document of that path (its frame is brought up), else a new one loaded
    // by the template that suits the file best; nullptr on failure.
    static CDocument* OpenDocumentFile(CWinApp& app, LPCTSTR lpszFileName);

    // The file dialog filter: pTemplate's file type (or, with nullptr, every template's
    // of the application) followed by "All Files (*.*)". rDefaultExt gets the extension
    // of the first type, without the dot.
    static CString BuildFilter(CDocTemplate* pTemplate, CString& rDefaultExt);
    // Runs the open or save file dialog; rFileName is the proposed name on entry and the
    // chosen path on return. FALSE when cancelled.
    static BOOL DoPromptFileName(CString& rFileName, BOOL bOpenFileDialog, DWORD lFlags,
                                 CDocTemplate* pTemplate);

    // SaveModified of every document of every template; FALSE when one refused.
    static BOOL SaveAllModified(CWinApp& app);
    // Closes every document of every template without asking.
    static void CloseAllDocuments(CWinApp& app, BOOL bEndSession);
    static int GetOpenDocumentCount(CWinApp& app);
};
