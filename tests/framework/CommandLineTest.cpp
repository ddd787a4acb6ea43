// The framework's reading of the command line and what the shell command then does.
#include <gtest/gtest.h>

#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "framework/FrameworkIds.h"

namespace {

CCommandLineInfo Parse(CWinApp& app, const char* commandLine)
{
    std::string text = commandLine;
    app.m_lpCmdLine = &text[0];
    CCommandLineInfo info;
    app.ParseCommandLine(info);
    app.m_lpCmdLine = nullptr;
    return info;
}

TEST(CommandLineTest, EmptyLineMeansFileNew)
{
    CWinApp app("CommandLineTest");
    CCommandLineInfo info = Parse(app, "");
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileNew);
    EXPECT_TRUE(info.m_strFileName.IsEmpty());
    EXPECT_TRUE(info.m_bShowSplash);
}

TEST(CommandLineTest, FileNameMeansFileOpenAndProgramFlagsAreIgnored)
{
    CWinApp app("CommandLineTest");
    CCommandLineInfo info = Parse(app, "-v \"C:\\My Files\\new firmware.qvz\" /p3 -fx.qvz");
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_STREQ(info.m_strFileName, "C:\\My Files\\new firmware.qvz");
}

TEST(CommandLineTest, PrintToTakesPrinterDriverAndPort)
{
    CWinApp app("CommandLineTest");
    CCommandLineInfo info = Parse(app, "/pt report.pxs \"Office Printer\" winspool LPT1:");
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FilePrintTo);
    EXPECT_STREQ(info.m_strFileName, "report.pxs");
    EXPECT_STREQ(info.m_strPrinterName, "Office Printer");
    EXPECT_STREQ(info.m_strDriverName, "winspool");
    EXPECT_STREQ(info.m_strPortName, "LPT1:");
}

TEST(CommandLineTest, FlagsAreCaseInsensitive)
{
    CWinApp app("CommandLineTest");
    EXPECT_EQ(Parse(app, "-P file.pxs").m_nShellCommand, CCommandLineInfo::FilePrint);
    EXPECT_EQ(Parse(app, "/REGSERVER").m_nShellCommand, CCommandLineInfo::AppRegister);
    EXPECT_EQ(Parse(app, "-unregister").m_nShellCommand, CCommandLineInfo::AppUnregister);
    CCommandLineInfo embedded = Parse(app, "-Embedding");
    EXPECT_TRUE(embedded.m_bRunEmbedded);
    EXPECT_FALSE(embedded.m_bShowSplash);
}

class CFileNewApp : public CWinApp
{
public:
    CFileNewApp() : CWinApp("FileNewApp") {}
    int fileNewCalls = 0;
    CWnd* windowToSet = nullptr;

protected:
    afx_msg void OnMyFileNew()
    {
        ++fileNewCalls;
        m_pMainWnd = windowToSet;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFileNewApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, OnMyFileNew)
END_MESSAGE_MAP()

TEST(ShellCommandTest, FileNewRunsTheApplicationsCommand)
{
    CFileNewApp app;
    CWnd standIn;
    app.windowToSet = &standIn;
    CCommandLineInfo info;
    EXPECT_TRUE(app.ProcessShellCommand(info));
    EXPECT_EQ(app.fileNewCalls, 1);
    app.m_pMainWnd = nullptr;
}

TEST(ShellCommandTest, FileNewWithoutAMainWindowFails)
{
    CFileNewApp app;
    CCommandLineInfo info;
    EXPECT_FALSE(app.ProcessShellCommand(info));
    EXPECT_EQ(app.fileNewCalls, 1);
}

TEST(ShellCommandTest, OtherCommands)
{
    CWinApp app("ShellCommandTest");
    CCommandLineInfo info;
    info.m_nShellCommand = CCommandLineInfo::FileNothing;
    EXPECT_TRUE(app.ProcessShellCommand(info));
    // Documents come with the document classes: nothing can be opened yet.
    info.m_nShellCommand = CCommandLineInfo::FileOpen;
    info.m_strFileName = "C:\\x.pxs";
    EXPECT_FALSE(app.ProcessShellCommand(info));
    info.m_nShellCommand = CCommandLineInfo::AppRegister;
    EXPECT_FALSE(app.ProcessShellCommand(info));
}

TEST(ApplicationObjectTest, GlobalsFollowTheApplicationObject)
{
    EXPECT_EQ(AfxGetApp(), nullptr);
    {
        CWinApp app("Globals");
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_EQ(AfxGetInstanceHandle(), ::GetModuleHandle(nullptr));
        EXPECT_STREQ(app.m_pszAppName, "Globals");
        EXPECT_STREQ(app.m_pszExeName, "test_framework");
        // The help file sits next to the program, named after it.
        const std::string help = app.m_pszHelpFilePath;
        EXPECT_EQ(help.substr(help.size() - 19), "\\test_framework.HLP");
        EXPECT_EQ(AfxGetMainWnd(), nullptr);
        app.EnableHtmlHelp();
        EXPECT_EQ(app.m_eHelpType, afxHTMLHelp);
        EXPECT_NE(app.LoadStandardIcon(IDI_APPLICATION), nullptr);
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST(ApplicationObjectTest, SocketsStart)
{
    EXPECT_TRUE(AfxSocketInit());
    EXPECT_TRUE(AfxSocketInit());   // a second call is harmless
}

}  // namespace
