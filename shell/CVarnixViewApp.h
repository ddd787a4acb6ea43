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
    // The one workspace document stays: the others are closed after a File Open.
    void CloseOlderWorkspaces();

    // What the command line asked for, after InitInstance.
    EStartSwitch GetStartSwitch() const { return m_startSwitch; }

protected:
    afx_msg void OnAppAbout();
    afx_msg void OnFileNew();
    afx_msg void OnFileOpen();

    DECLARE_MESSAGE_MAP()

private:
    // The switch's warnings and setup dialog; the program then ends.
    void RunWizardMode(EStartSwitch start);

    boost::shared_ptr<CDocumentManager> m_documentManager;
    EStartSwitch m_startSwitch;
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
