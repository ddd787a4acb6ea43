// AfxWinMain runs the one application object: InitInstance, then Run or ExitInstance,
// with nothing thrown past it.
#include <gtest/gtest.h>

#include "framework/CWinApp.h"
#include "framework/MessageBoxHook.h"

#include <stdexcept>
#include <string>

namespace {

class CShortApp : public CWinApp
{
public:
    CShortApp() : CWinApp("ShortApp") {}
    bool initCalled = false;
    std::string captionDuringInit;

    BOOL InitInstance() override
    {
        initCalled = true;
        captionDuringInit = GetMessageBoxDefaultCaption();
        return FALSE;   // a dialog-based program ends here
    }
    int ExitInstance() override { return 7; }
};

class CThrowingApp : public CWinApp
{
public:
    CThrowingApp() : CWinApp("ThrowingApp") {}
    BOOL InitInstance() override { throw std::runtime_error("start-up failed"); }
};

class AfxWinMainTest : public ::testing::Test
{
protected:
    void TearDown() override { SetMessageBoxDefaultCaption(nullptr); }
};

TEST_F(AfxWinMainTest, FailedInitInstanceEndsWithExitInstance)
{
    CShortApp app;
    char commandLine[] = "-p3 file.qvz";
    EXPECT_EQ(AfxWinMain(::GetModuleHandle(nullptr), nullptr, commandLine, SW_HIDE), 7);
    EXPECT_TRUE(app.initCalled);
    EXPECT_EQ(app.m_nCmdShow, SW_HIDE);
    EXPECT_STREQ(app.m_lpCmdLine, commandLine);
    // Message boxes without a caption of their own carry the application's name.
    EXPECT_EQ(app.captionDuringInit, "ShortApp");
}

TEST_F(AfxWinMainTest, ExceptionFromTheApplicationIsStopped)
{
    CThrowingApp app;
    char commandLine[] = "";
    EXPECT_EQ(AfxWinMain(::GetModuleHandle(nullptr), nullptr, commandLine, SW_SHOW), -1);
}

TEST_F(AfxWinMainTest, NoApplicationObjectMeansNothingToRun)
{
    ASSERT_EQ(AfxGetApp(), nullptr);
    char commandLine[] = "";
    EXPECT_EQ(AfxWinMain(::GetModuleHandle(nullptr), nullptr, commandLine, SW_SHOW), -1);
}

}  // namespace
