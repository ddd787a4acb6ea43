// The file dialog: the '|' filter syntax, the parts of the chosen name, and a real open
// dialog answered from a timer inside its own loop.
#include <gtest/gtest.h>

#include "framework/CFileDialog.h"
#include "framework/CPrintDialog.h"
#include "tests/support/TestPaths.h"

#include <dlgs.h>

#include <string>

namespace {

std::string FilterText(const CFileDialog& dlg)
{
    // The filter ends at its first empty string.
    std::string joined;
    for (const char* part = dlg.m_ofn.lpstrFilter; part != nullptr && *part != '\0'; part += strlen(part) + 1)
        joined += std::string(part) + "|";
    return joined;
}

TEST(FileDialogTest, FilterBarsBecomeSeparatorsWithOrWithoutTheClosingPair)
{
    CFileDialog withPair(TRUE, "txt", nullptr, OFN_HIDEREADONLY, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
    EXPECT_EQ(FilterText(withPair), "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    EXPECT_EQ(withPair.m_ofn.nFilterIndex, 1u);
    EXPECT_STREQ(withPair.m_ofn.lpstrDefExt, "txt");

    CFileDialog withoutPair(FALSE, nullptr, nullptr, 0, "Data|*.dat");
    EXPECT_EQ(FilterText(withoutPair), "Data|*.dat|");
    EXPECT_EQ(withoutPair.m_ofn.lpstrDefExt, nullptr);

    CFileDialog none(TRUE);
    EXPECT_EQ(none.m_ofn.lpstrFilter, nullptr);
    EXPECT_NE(none.m_ofn.Flags & OFN_HIDEREADONLY, 0u);
    EXPECT_NE(none.m_ofn.Flags & OFN_OVERWRITEPROMPT, 0u);
}

TEST(FileDialogTest, NamePartsOfThePath)
{
    CFileDialog dlg(TRUE, nullptr, "C:\\data\\report.final.txt");
    EXPECT_EQ(dlg.GetPathName(), "C:\\data\\report.final.txt");
    EXPECT_EQ(dlg.GetFileName(), "report.final.txt");
    EXPECT_EQ(dlg.GetFileExt(), "txt");
    EXPECT_EQ(dlg.GetFileTitle(), "report.final");
    EXPECT_EQ(dlg.GetFolderPath(), "C:\\data\\");

    CFileDialog bare(TRUE, nullptr, "Makefile");
    EXPECT_EQ(bare.GetFileName(), "Makefile");
    EXPECT_EQ(bare.GetFileExt(), "");
    EXPECT_EQ(bare.GetFileTitle(), "Makefile");
}

// The answer typed into the open dialog by the timer.
std::string g_answerPath;
int g_timerCalls = 0;

void CALLBACK AnswerFileDialog(HWND, UINT, UINT_PTR timerId, DWORD)
{
    ++g_timerCalls;
    HWND dialog = ::FindWindowA("#32770", "Pick a test file");
    if (dialog == nullptr) {
        if (g_timerCalls > 60)   // nine seconds: give up, the test fails on the result
            ::KillTimer(nullptr, timerId);
        return;
    }
    ::KillTimer(nullptr, timerId);
    // The name box is a combo box (explorer style) or an edit.
    HWND nameBox = ::GetDlgItem(dialog, cmb13);
    if (nameBox == nullptr)
        nameBox = ::GetDlgItem(dialog, edt1);
    ::SetWindowTextA(nameBox, g_answerPath.c_str());
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST(FileDialogTest, OpenDialogReturnsTheChosenExistingFile)
{
    g_answerPath = testing_support::SourcePath("tests/framework_ui/DialogTestResources.rc");
    g_timerCalls = 0;
    CFileDialog dlg(TRUE, "rc", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "Resource scripts|*.rc|All files|*.*||");
    dlg.m_ofn.lpstrTitle = "Pick a test file";
    UINT_PTR timer = ::SetTimer(nullptr, 0, 150, &AnswerFileDialog);
    ASSERT_NE(timer, 0u);

    EXPECT_EQ(dlg.DoModal(), IDOK);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(dlg.GetFileName(), "DialogTestResources.rc");
    EXPECT_EQ(dlg.GetFileExt(), "rc");
    EXPECT_EQ(dlg.GetFileTitle(), "DialogTestResources");
    EXPECT_EQ(dlg.GetPathName().CompareNoCase(g_answerPath.c_str()), 0) << dlg.GetPathName().GetString();
}

TEST(FileDialogTest, PrintDialogAsksForADeviceContextAndStartsWithoutOne)
{
    CPrintDialog dlg(FALSE);
    EXPECT_NE(dlg.m_pd.Flags & PD_RETURNDC, 0u);
    EXPECT_EQ(dlg.GetPrinterDC(), nullptr);
    EXPECT_TRUE(dlg.PrintAll());
    EXPECT_EQ(dlg.GetFromPage(), -1);
    EXPECT_EQ(dlg.GetDeviceName(), "");

    CPrintDialog setup(TRUE);
    EXPECT_NE(setup.m_pd.Flags & PD_PRINTSETUP, 0u);
}

} // namespace
