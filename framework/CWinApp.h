// The application object: the one user-interface thread of a program, with its message
// loop and idle processing, its profile (registry or INI file), recent-file list,
// command line and help file. The program's WinMain calls AfxWinMain, which runs it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWinThread.h"
#include "framework/CCommandLineInfo.h"
#include "framework/CRecentFileList.h"
#include "framework/CPtrList.h"

class CDocTemplate;
class CDocument;

enum AFX_HELP_TYPE { afxWinHelp = 0, afxHTMLHelp = 1 };

class CWinApp : public CWinThread
{
    DECLARE_DYNAMIC(CWinApp)
public:
    // The name (nullptr: the application title string, else the executable's title).
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    // --- Run ------------------------------------------------------------------------
    BOOL InitInstance() override;
    // The message loop: idle processing whenever the queue empties; ends on WM_QUIT
    // with ExitInstance's result. Windows waiting for a repaint are painted after at most
    // kPaintTurnMs of posted messages, which would otherwise keep them waiting until the
    // queue empties. A paint of a large display takes a good part of a tenth of a second:
    // turns that often held posted commands back twice as long.
    int Run() override;
    static const DWORD kPaintTurnMs = 250;
    int ExitInstance() override;
    // Count 0: command-update of the main window's bars and children
    // (WM_IDLEUPDATECMDUI); 1: frees the temporary window objects. TRUE for more.
    BOOL OnIdle(LONG lCount) override;
    // Walks from the message's window up to the main window.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // One message out of the queue; FALSE on WM_QUIT.
    BOOL PumpMessage();

    // --- Profile --------------------------------------------------------------------
    // From then on the profile is HKCU\Software\<key>\<application name>; before, the INI
    // file m_pszProfileName.
    void SetRegistryKey(LPCTSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    UINT GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue);
    CString GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault = nullptr);
    // lpszEntry nullptr deletes the section; lpszValue nullptr deletes the entry.
    BOOL WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue);
    // *ppData is allocated with new[] and belongs to the caller; FALSE when missing.
    BOOL GetProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE* ppData, UINT* pBytes);
    BOOL WriteProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE pData, UINT nBytes);
    // Open keys of the registry profile (the caller closes them); nullptr on failure.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCTSTR lpszSection);

    // Reads the recent-file list (nMaxMRU entries, 0 for none).
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    virtual void AddToRecentFileList(LPCTSTR lpszPathName);

    // --- Command line and documents -------------------------------------------------
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // Runs what the command line asked for; FALSE when that failed.
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    // Registration point of the document templates; the list does not own them.
    void AddDocTemplate(CDocTemplate* pTemplate);
    POSITION GetFirstDocTemplatePosition() const;
    CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
    // The open document of that path, else one loaded by the best-suited template;
    // nullptr on failure.
    virtual CDocument* OpenDocumentFile(LPCTSTR lpszFileName);
    // Asks every modified document to save; FALSE when one was cancelled.
    virtual BOOL SaveAllModified();
    // Closes every document of every template without asking.
    void CloseAllDocuments(BOOL bEndSession);

    // --- Help -----------------------------------------------------------------------
    void EnableHtmlHelp();
    // Replaces m_pszHelpFilePath with a copy of the path (nullptr: no help file). The
    // object owns the text and frees it; nothing else may free or reassign it.
    void SetHelpFilePath(LPCTSTR lpszHelpFilePath);
    // Calls HTML help on m_pszHelpFilePath; does nothing when help is not available.
    virtual void HtmlHelp(DWORD_PTR dwData, UINT nCmd = 0x000F /* HH_HELP_CONTEXT */);

    // --- Resources ------------------------------------------------------------------
    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCTSTR lpszResourceName) const;
    HICON LoadStandardIcon(LPCTSTR lpszIconName) const;
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(LPCTSTR lpszCursorName) const;

    // Strings owned by the object (malloc'd; a program replacing one frees the old).
    LPCTSTR m_pszAppName = nullptr;
    LPCTSTR m_pszExeName = nullptr;         // executable's file title
    LPCTSTR m_pszHelpFilePath = nullptr;    // executable's path with ".HLP"
    LPCTSTR m_pszProfileName = nullptr;     // INI file, or the application name in the registry
    LPCTSTR m_pszRegistryKey = nullptr;
    AFX_HELP_TYPE m_eHelpType = afxWinHelp;

    HINSTANCE m_hInstance = nullptr;
    LPTSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CRecentFileList* m_pRecentFileList = nullptr;

protected:
    afx_msg void OnAppExit();
    afx_msg void OnFileNew();
    afx_msg void OnFileOpen();
    afx_msg void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);
    afx_msg BOOL OnOpenRecentFile(UINT nID);

    // Whether the message starts the idle work again (the command states updated through
    // every window of the main frame).
    virtual BOOL IsIdleMessage(const MSG* pMsg);

    MSG m_msgCur = {};
    CPtrList m_templateList;

    DECLARE_MESSAGE_MAP()

private:
    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPTSTR, int);
    // Fills the names from the module once its handle is known.
    void SetCurrentHandles();
    MSG m_lastIdleCheck = {};
};

// The one application object (nullptr when none was constructed).
CWinApp* AfxGetApp();
// The calling thread's main window, else the application's.
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// Starts Windows sockets version 2.2 (once); FALSE on failure.
BOOL AfxSocketInit(struct WSAData* lpwsaData = nullptr);
// Runs the application object: InitInstance, then Run (or ExitInstance when
// InitInstance fails). The programs' WinMain returns its result.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
