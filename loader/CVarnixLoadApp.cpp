#include "loader/CVarnixLoadApp.h"

#include "framework/MessageBoxHook.h"
#include "loader/CPropertySheetMainWindow.h"
#include "loader/CWizConnect.h"
#include "loader/CWizIntro1.h"
#include "loader/CWizIntro2.h"
#include "loader/CWizLoadFile.h"
#include "loader/CWizSelectPort.h"
#include "loader/LoadFirmwareFile.h"
#include "loader/LoaderCommandLine.h"
#include "loader/ProgramVersion.h"
#include "loader/ProgrammingSettings.h"
#include "res/tolmera_resource.h"

CVarnixLoadApp::CVarnixLoadApp() : CWinApp("Tolmera")
{
}

void CVarnixLoadApp::ShowUsage()
{
    AfxMessageBox(LoaderCommandLine::UsageText(), MB_OK | MB_ICONINFORMATION);
}

BOOL CVarnixLoadApp::InitInstance()
{
    m_wizardPages.clear();
    m_wizardResult = 0;

    ProgrammingSettings settings;
    CCommandLineInfo commandLineInfo;
    ParseCommandLine(commandLineInfo);
    if (!commandLineInfo.m_strFileName.IsEmpty())
        settings.firmwarePath = commandLineInfo.m_strFileName;

    // WinMain's command line already lacks the program's own name.
    LoaderCommandLine commandLine;
    const LoaderCommandLine::Outcome outcome =
        commandLine.Parse(LoaderCommandLine::Split(m_lpCmdLine), settings);
    m_verbosity = commandLine.m_verbosity;
    switch (outcome) {
    case LoaderCommandLine::Proceed:
        break;
    case LoaderCommandLine::ShowUsage:
        ShowUsage();
        return FALSE;
    case LoaderCommandLine::InvalidAddress:
        AfxMessageBox("Error: invalid Modbus address (must be a number above zero)", MB_OK | MB_ICONERROR);
        return FALSE;
    case LoaderCommandLine::AddressOutOfRange:
        AfxMessageBox(ProgrammingSettings::AddressRangeMessage(), MB_OK | MB_ICONERROR);
        return FALSE;
    case LoaderCommandLine::InvalidCount:
        AfxMessageBox("Error: invalid number of response bytes (must be a number above zero)",
                      MB_OK | MB_ICONERROR);
        return FALSE;
    case LoaderCommandLine::UnknownArgument: {
        CString text;
        text.Format("unknown arg %s", static_cast<LPCTSTR>(commandLine.m_unknownArgument));
        AfxMessageBox(text, MB_OK | MB_ICONERROR);
        ShowUsage();
        return FALSE;
    }
    }

    settings.programVersion = ReadProgramVersion();
    if (commandLine.m_fileGiven && !LoadFirmwareFile(settings.firmwarePath, settings))
        return FALSE;

    const HICON bigIcon = static_cast<HICON>(
        ::LoadImageA(m_hInstance, MAKEINTRESOURCEA(IDI_TOLMERA), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    const HICON smallIcon = static_cast<HICON>(
        ::LoadImageA(m_hInstance, MAKEINTRESOURCEA(IDI_TOLMERA), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    CPropertySheetMainWindow sheet("Quorvant Corp Firmware Loader", bigIcon, smallIcon);

    CWizIntro1* intro1 = nullptr;
    CWizIntro2* intro2 = nullptr;
    CWizLoadFile* loadFile = nullptr;
    CWizSelectPort* selectPort = nullptr;
    if (commandLine.WantsIntroPages()) {
        intro1 = new CWizIntro1(&settings);
        intro2 = new CWizIntro2(&settings);
        sheet.AddPage(intro1);
        sheet.AddPage(intro2);
    }
    if (commandLine.WantsFilePage()) {
        loadFile = new CWizLoadFile(&settings);
        sheet.AddPage(loadFile);
    }
    if (commandLine.WantsPortPage()) {
        selectPort = new CWizSelectPort(&settings);
        sheet.AddPage(selectPort);
    }
    CWizConnect* connect = new CWizConnect(&settings, m_verbosity);
    sheet.AddPage(connect);
    for (int i = 0; i < sheet.GetPageCount(); ++i)
        m_wizardPages.push_back(sheet.GetPage(i)->m_nIDHelp);

    m_pMainWnd = &sheet;
    m_wizardResult = sheet.DoModal();
    if (m_pMainWnd == &sheet)
        m_pMainWnd = nullptr;

    // The connect page stops its programming thread as it goes.
    delete connect;
    delete selectPort;
    delete loadFile;
    delete intro2;
    delete intro1;
    if (bigIcon != nullptr)
        ::DestroyIcon(bigIcon);
    if (smallIcon != nullptr)
        ::DestroyIcon(smallIcon);
    // No message loop follows the wizard.
    return FALSE;
}
