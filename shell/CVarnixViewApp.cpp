#include "shell/CVarnixViewApp.h"
#include "wizards/varnix/VarnixSetupLaunch.h"
#include "documents/TextHelpers.h"
#include "displays/CDisplayGraphTimeDoc.h"
#include "displays/CDisplayGraphTimeView.h"
#include "displays/CDisplayLogWriteDoc.h"
#include "displays/CDisplayLogWriteView.h"
#include "displays/CDisplayStateDoc.h"
#include "displays/CDisplayStateView.h"
#include "displays/DisplayMessages.h"
#include "documents/PollThread_t.h"
#include "documents/workspace/CDocumentWorkspace.h"
#include "framework/CMDIChildWnd.h"
#include "shell/CMultiDocTemplateEx.h"
#include "framework/CCommandLineInfo.h"
#include "framework/CEditView.h"
#include "framework/CMultiDocTemplate.h"
#include "framework/DataExchange.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageBoxHook.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_resource.h"
#include "wizards/corandel/CorandelSetupCommands.h"
#include "shell/CChildWndInvisible.h"
#include "shell/CFirstrunDeviceAutoDetectConfig.h"
#include "shell/CMainFrame.h"
#include "shell/DeviceSearchSettings.h"
#include "shell/HelpCommands.h"
#include "shell/ProgramFolders.h"
#include "shell/ShellCommands.h"

#include <cstdio>
#include <vector>
#include "wizards/relay/CDialogRelayModuleSetup.h"

BEGIN_MESSAGE_MAP(CVarnixViewApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
END_MESSAGE_MAP()

namespace
{
const DWORD MAIN_FRAME_STYLE = 0xCF8000;
// A stopped polling thread ends within one attempt of its exchange.
const DWORD EXIT_POLL_THREAD_WAIT_MS = 3000;
}

CVarnixViewApp* GetVarnixViewApp()
{
    return dynamic_cast<CVarnixViewApp*>(AfxGetApp());
}

CVarnixViewApp::CVarnixViewApp() : CWinApp(nullptr), m_startSwitch(START_NORMAL)
{
}

CVarnixViewApp::~CVarnixViewApp()
{
    CDocumentManager::SetApplicationManager(nullptr);
    // The manager stops the dispatcher and the timer as it goes.
    m_documentManager.reset();
}

void CVarnixViewApp::UseHtmlHelpFile()
{
    if (m_pszHelpFilePath != nullptr)
        SetHelpFilePath(HelpPathForHtmlHelp(m_pszHelpFilePath).c_str());
}

std::wstring CVarnixViewApp::GetProgramFolder() const
{
    return GetProgramFolders().GetProgramFolder();
}

std::wstring CVarnixViewApp::GetDevicesXmlPath() const
{
    return GetProgramFolders().GetDevicesXmlPath();
}

std::wstring CVarnixViewApp::GetLogFolder() const
{
    return GetProgramFolders().GetLogFolder();
}

HICON CVarnixViewApp::LoadAppIcon(UINT iconId) const
{
    return LoadIcon(iconId);
}

CMainFrame* CVarnixViewApp::GetMainFrame() const
{
    return dynamic_cast<CMainFrame*>(m_pMainWnd);
}

BOOL CVarnixViewApp::InitInstance()
{
    SetMessageBoxDefaultCaption("Pyraxis");
    if (!AfxSocketInit()) {
        AfxMessageBox(IDS_SOCKETS_INIT_FAILED, 0, 0);
        return FALSE;
    }
    EnableHtmlHelp();
    UseHtmlHelpFile();

    std::vector<std::wstring> words = SplitCommandLineWords(::GetCommandLineW());
    GetProgramFolders().SetProgramFolderFromProcess();
    for (std::wstring& word : words)
        word = TrimCommandLineWord(word);
    m_startSwitch = FindStartSwitch(words);
    if (m_startSwitch == START_USAGE) {
        ShowMessageBoxWide(UsageText(words.empty() ? std::wstring() : words[0]), MB_OK, 0);
        return FALSE;
    }
    if (m_startSwitch != START_NORMAL) {
        RunWizardMode(m_startSwitch);
        return FALSE;
    }

    CMainFrame* frame = CreateShell();
    if (frame == nullptr)
        return FALSE;

    CCommandLineInfo commandLine;
    ParseCommandLine(commandLine);
    if (!ProcessShellCommand(commandLine))
        return FALSE;
    frame->ShowWindow(m_nCmdShow);
    frame->UpdateWindow();

    if (!GetFirstRunScanDone()) {
        CFirstrunDeviceAutoDetectConfig firstRun(FIRST_RUN_MODE_QUESTION, nullptr);
        if (firstRun.DoModal() == IDOK) {
            if (firstRun.GetChoice() == FIRST_RUN_CHOICE_MANUAL)
                frame->OnDevicesManualConnection();
            else
                frame->OnDevicesSearch();
        }
    }
    return TRUE;
}

CMainFrame* CVarnixViewApp::CreateShell()
{
    SetRegistryKey("Quorvant Corporation");
    LoadStdProfileSettings(4);
    m_documentManager.reset(new CDocumentManager);
    CDocumentManager::SetApplicationManager(m_documentManager.get());
    // The display templates are the manager's alone; the framework's File New and Open
    // know only the workspace.
    m_documentManager->AddDocTemplate(CDocTemplatePtr(new CMultiDocTemplateEx(
        m_documentManager.get(), IDR_DISPLAY_STATE, RUNTIME_CLASS(CDisplayStateDoc), RUNTIME_CLASS(CMDIChildWnd),
        RUNTIME_CLASS(CDisplayStateView))));
    m_documentManager->AddDocTemplate(CDocTemplatePtr(new CMultiDocTemplateEx(
        m_documentManager.get(), IDR_DISPLAY_LOGGER, RUNTIME_CLASS(CDisplayLogWriteDoc), RUNTIME_CLASS(CMDIChildWnd),
        RUNTIME_CLASS(CDisplayLogWriteView))));
    m_documentManager->AddDocTemplate(CDocTemplatePtr(new CMultiDocTemplateEx(
        m_documentManager.get(), IDR_DISPLAY_GRAPH_TIME, RUNTIME_CLASS(CDisplayGraphTimeDoc),
        RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CDisplayGraphTimeView))));
    AddDocTemplate(new CMultiDocTemplate(IDR_WORKSPACE_TEMPLATE, RUNTIME_CLASS(CDocumentWorkspace),
                                         RUNTIME_CLASS(CChildWndInvisible), RUNTIME_CLASS(CEditView)));

    CMainFrame* frame = new CMainFrame;
    // A failed load has deleted the frame itself (with its window, or without one).
    if (!frame->LoadFrame(IDR_MAINFRAME, MAIN_FRAME_STYLE, nullptr, nullptr))
        return nullptr;
    m_pMainWnd = frame;
    return frame;
}

INT_PTR CVarnixViewApp::RunDialogAsMainWindow(CDialog& dialog)
{
    m_pMainWnd = &dialog;
    const INT_PTR result = dialog.DoModal();
    m_pMainWnd = nullptr;
    return result;
}

void CVarnixViewApp::RunWizardMode(EStartSwitch startSwitch)
{
    if (startSwitch == START_RELAY_WIZARD) {
        HICON icon = LoadIcon(IDR_MAINFRAME);
        try {
            CDialogRelayModuleSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, icon);
            RunDialogAsMainWindow(dialog);
        } catch (const std::exception& error) {
            AfxMessageBox((std::string("* error: ") + error.what()).c_str(), MB_ICONHAND);
        }
        return;
    }
    // Each setup dialog comes with its wizard and runs through RunDialogAsMainWindow.
    const boost::shared_ptr<ModbusEndpoint_t> noDevice;
    const DialogRun_t asMainWindow = [this](CDialog& dialog) { return RunDialogAsMainWindow(dialog); };
    switch (startSwitch) {
    case START_CORANDEL_DUO_WIZARD:
        RunCorandelDuoSetup(noDevice, nullptr, LoadAppIcon(IDR_MAINFRAME), asMainWindow);
        return;
    case START_CORANDEL_MPPT_WIZARD:
        RunCorandelMpptSetup(noDevice, nullptr, LoadAppIcon(IDR_MAINFRAME), asMainWindow);
        return;
    case START_VARNIX_WIZARD:
        RunVarnixSetup(VARNIX_SETUP, false, nullptr, LoadAppIcon(IDR_MAINFRAME), noDevice, asMainWindow);
        return;
    case START_VARNIX_MPPT_WIZARD:
        RunVarnixSetup(VARNIX_MPPT_SETUP, false, nullptr, LoadAppIcon(IDR_MAINFRAME), noDevice, asMainWindow);
        return;
    default:
        ShowMessageBoxWide(L"This setup wizard is not part of this version of Pyraxis yet.",
                           MB_OK | MB_ICONINFORMATION, 0);
    }
}

int CVarnixViewApp::ExitInstance()
{
    const int result = CWinApp::ExitInstance();
    if (m_pMainWnd != nullptr) {
        delete m_pMainWnd;
        m_pMainWnd = nullptr;
    }
    // Polling threads stopped by the close may still be ending their last exchange; they
    // must be gone before the links' registries are destroyed with the program's statics.
    PollThread_t::WaitForStoppedThreads(EXIT_POLL_THREAD_WAIT_MS);
    return result;
}

void CVarnixViewApp::HtmlHelp(DWORD_PTR dwData, UINT nCmd)
{
    ShowActiveWindowHelp(nCmd, dwData);
}

void CVarnixViewApp::OnAppAbout()
{
    CAboutDlg about;
    about.DoModal();
}

void CVarnixViewApp::OnFileNew()
{
    CloseAllDocuments(FALSE);
    CWinApp::OnFileNew();
    // Not left to the refresh the new workspace posts: the old devices' opens end here.
    if (CMainFrame* frame = GetMainFrame())
        frame->CallOffOpensOfDevicesGone();
}

CDocument* CVarnixViewApp::OpenDocumentFile(LPCTSTR lpszFileName)
{
    CDocument* opened = CWinApp::OpenDocumentFile(lpszFileName);
    // Save Workspace saves the template's first document, so the opened one must be alone.
    if (opened != nullptr)
        CloseWorkspacesOtherThan(opened);
    if (CMainFrame* frame = GetMainFrame())
        frame->CallOffOpensOfDevicesGone();
    return opened;
}

BOOL CVarnixViewApp::IsIdleMessage(const MSG* pMsg)
{
    const BOOL idle = CWinApp::IsIdleMessage(pMsg);
    if (!idle || pMsg->message != WM_APP_DISPLAY_UPDATE)
    {
        m_commandsMayHaveChanged = m_commandsMayHaveChanged || idle;
        return idle;
    }
    // Other windows use the number too (the programming threads' notices).
    const CView* view = dynamic_cast<const CView*>(CWnd::FromHandlePermanent(pMsg->hwnd));
    if (view == nullptr || dynamic_cast<CDocumentDisplay*>(view->GetDocument()) == nullptr)
        m_commandsMayHaveChanged = true;
    return idle;
}

BOOL CVarnixViewApp::OnIdle(LONG lCount)
{
    if (lCount <= 0)
    {
        if (!m_commandsMayHaveChanged)
            return TRUE;
        m_commandsMayHaveChanged = false;
    }
    return CWinApp::OnIdle(lCount);
}

void CVarnixViewApp::CloseWorkspacesOtherThan(CDocument* kept)
{
    POSITION templates = GetFirstDocTemplatePosition();
    CDocTemplate* workspaceTemplate = templates != nullptr ? GetNextDocTemplate(templates) : nullptr;
    if (workspaceTemplate == nullptr || kept->GetDocTemplate() != workspaceTemplate)
        return;
    std::vector<CDocument*> others;
    for (POSITION position = workspaceTemplate->GetFirstDocPosition(); position != nullptr;) {
        CDocument* document = workspaceTemplate->GetNextDoc(position);
        if (document != kept)
            others.push_back(document);
    }
    for (CDocument* document : others)
        document->OnCloseDocument();
}

// --- About -----------------------------------------------------------------------------

std::string GetProductVersionText()
{
    char path[MAX_PATH + 1] = {};
    if (::GetModuleFileNameA(nullptr, path, MAX_PATH) == 0)
        return std::string();
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return std::string();
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoA(path, 0, size, data.data()))
        return std::string();
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || info == nullptr)
        return std::string();
    char text[64];
    std::snprintf(text, sizeof text, "%i.%i.%i.%i", HIWORD(info->dwProductVersionMS), LOWORD(info->dwProductVersionMS),
                  HIWORD(info->dwProductVersionLS), LOWORD(info->dwProductVersionLS));
    return text;
}

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX)
{
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_ABOUT_VERSION, m_versionText);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CString format;
    m_versionText.GetWindowText(format);
    CString text;
    text.Format(format, GetProductVersionText().c_str());
    m_versionText.SetWindowText(text);
    return TRUE;
}

