// The application object of Pyraxis: owns the document manager, decides from the command
// line whether the whole program or one setup wizard runs, builds the templates and the
// main frame, and routes help.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDialog.h"
#include "framework/CStatic.h"
#include "framework/CWinApp.h"
#include "documents/CDocumentManager.h"
#include "shell/CommandLine.h"

#include <boost/shared_ptr.hpp>
#include <string>

class CMainFrame;

class CVarnixViewApp : public CWinApp
{
public:
    CVarnixViewApp();
    ~CVarnixViewApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    void HtmlHelp(DWORD_PTR dwData, UINT nCmd) override;

    CDocumentManager* GetDocumentManager() const { return m_documentManager.get(); }
    std::wstring GetProgramFolder() const;
    std::wstring GetDevicesXmlPath() const;
    std::wstring GetLogFolder() const;
    HICON LoadAppIcon(UINT iconId) const;
    CMainFrame* GetMainFrame() const;

    // Runs a setup dialog as the program's main window (command-line wizard mode); the
    // dialog lives on the caller's stack, so the main-window pointer is cleared after its
    // run and nothing deletes or touches it later.
    INT_PTR RunDialogAsMainWindow(CDialog& dialog);

    // The whole program's start: registry key and recent files, the document manager,
    // the templates and the main frame (the application's main window); null when the
    // frame could not be made.
    CMainFrame* CreateShell();
    // Every way a file opens (File Open, the recent files, the command line) comes here;
    // an opened workspace is then the only one, so Save Workspace writes that file.
    CDocument* OpenDocumentFile(LPCTSTR lpszFileName) override;

    // A display's update of its values changes no command's state: after such updates
    // alone the idle work leaves out the command states' walk through every window, each
    // step a call to the window system, and only frees the temporary objects.
    BOOL IsIdleMessage(const MSG* pMsg) override;
    BOOL OnIdle(LONG lCount) override;

    // What the command line asked for, after InitInstance.
    EStartSwitch GetStartSwitch() const { return m_startSwitch; }

    // The framework's help path ending in "chm" instead of ".HLP" (a step of InitInstance).
    void UseHtmlHelpFile();

protected:
    afx_msg void OnAppAbout();
    afx_msg void OnFileNew();

    DECLARE_MESSAGE_MAP()

private:
    // The switch's warnings and setup dialog; the program then ends.
    void RunWizardMode(EStartSwitch start);
    // Closes, without asking, every workspace document but the one kept.
    void CloseWorkspacesOtherThan(CDocument* kept);

    boost::shared_ptr<CDocumentManager> m_documentManager;
    EStartSwitch m_startSwitch;
    // Set by a message after which the idle work updates the command states.
    bool m_commandsMayHaveChanged = true;
};

// The About box: the program's version in its title line.
class CAboutDlg : public CDialog
{
public:
    CAboutDlg();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    CStatic m_versionText;
};

// The product version of the program file as "a.b.c.d"; empty when it has none.
std::string GetProductVersionText();

CVarnixViewApp* GetVarnixViewApp();
