// The log-file document's "Export to CSV file" with real windows: it asks for a file in
// the save dialog and reports the lines written.
#include <gtest/gtest.h>

#include "documents/CDocumentLogFile.h"
#include "framework/CFrameWnd.h"
#include "framework/CWinApp.h"
#include "shell/ProgramFolders.h"
#include "tests/documents_ui/DisplayTestResources.h"
#include "tests/documents/BenchDeviceDescription.h"
#include "tests/support/FileText.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/TestPaths.h"

#include <dlgs.h>

#include <string>
#include "tests/support/PendingMessages.h"

namespace
{
const char* const XML_LOG =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\n"
    "<quorvant>\n"
    "  <loggeddata version=\"1\" model=\"3\" type=\"7\" set=\"1\">\n"
    "    <record retrievalTime=\"2024-05-01T12:00:00.000+00:00\" retrievalHourmeter=\"100\" hourmeter=\"98\">\n"
    "      <variable id=\"1\" value=\"98\" />\n"
    "      <variable id=\"2\" value=\"12.5\" />\n"
    "    </record>\n"
    "    <record retrievalTime=\"2024-05-01T12:00:00.000+00:00\" retrievalHourmeter=\"100\" hourmeter=\"99\">\n"
    "      <variable id=\"1\" value=\"99\" />\n"
    "    </record>\n"
    "  </loggeddata>\n"
    "</quorvant>\n";

// Typed into the save dialog by the timer.
std::string g_exportPath;
int g_timerCalls = 0;

void CALLBACK AnswerSaveDialog(HWND, UINT, UINT_PTR timerId, DWORD)
{
    ++g_timerCalls;
    HWND dialog = ::FindWindowA("#32770", nullptr);
    if (dialog == nullptr || !::IsWindowVisible(dialog))
    {
        if (g_timerCalls > 60)   // nine seconds: give up, the test fails on the result
            ::KillTimer(nullptr, timerId);
        return;
    }
    ::KillTimer(nullptr, timerId);
    HWND nameBox = ::GetDlgItem(dialog, cmb13);
    if (nameBox == nullptr)
        nameBox = ::GetDlgItem(dialog, edt1);
    ::SetWindowTextA(nameBox, g_exportPath.c_str());
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

class LogFilePopup : public testing::Test
{
protected:
    void SetUp() override
    {
        Recorder().Clear();
        m_folder = testing_support::BuildPath("tests/documents_ui/logpopup-" + testing_support::ProcessTag());
        ASSERT_TRUE(testing_support::EnsureDirectory(m_folder));
        ASSERT_TRUE(testing_support::WriteFileText(m_folder + "\\devices.xml", testing_support::BENCH_DEVICE_DESCRIPTION));
        m_programFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(std::wstring(m_folder.begin(), m_folder.end()));
        m_logPath = m_folder + "\\device.xml";
        m_csvPath = m_folder + "\\export.csv";
        ::DeleteFileA(m_csvPath.c_str());
        ASSERT_TRUE(testing_support::WriteFileText(m_logPath, XML_LOG));

        m_main = new CFrameWnd;
        ASSERT_TRUE(m_main->LoadFrame(IDR_DISPLAY_TEST_MAIN));
        m_mainHandle = m_main->GetSafeHwnd();
        m_app.m_pMainWnd = m_main;
        m_main->ShowWindow(SW_SHOW);
    }

    void TearDown() override
    {
        m_document.StopMonitor();
        if (::IsWindow(m_mainHandle))
            ::DestroyWindow(m_mainHandle);
        testing_support::DispatchPendingMessages();
        m_app.m_pMainWnd = nullptr;
        GetProgramFolders().SetProgramFolder(m_programFolder);
        ::DeleteFileA(m_csvPath.c_str());
        ::DeleteFileA(m_logPath.c_str());
        Recorder().Clear();
    }

    static testing_support::MessageBoxRecorder& Recorder() { return testing_support::MessageBoxRecorder::Instance(); }

    int EntryNamed(const char* name)
    {
        for (int index = 0; index < m_document.GetPopupMenuEntryCount(); ++index)
        {
            CString text;
            bool enabled = false;
            bool checked = false;
            m_document.GetPopupMenuEntry(index, text, enabled, checked);
            if (text == name)
                return index;
        }
        return -1;
    }

    CWinApp m_app{"LogFilePopup"};
    std::string m_folder;
    std::wstring m_programFolder;
    std::string m_logPath;
    std::string m_csvPath;
    CFrameWnd* m_main = nullptr;
    HWND m_mainHandle = nullptr;
    CDocumentLogFile m_document;
};
}  // namespace

TEST_F(LogFilePopup, ExportWritesTheChosenFileAndReportsItsLines)
{
    m_document.OpenLogFile(std::wstring(m_logPath.begin(), m_logPath.end()));
    const int exportEntry = EntryNamed("Export to CSV file");
    ASSERT_EQ(1, exportEntry);

    g_exportPath = m_csvPath;
    g_timerCalls = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 150, AnswerSaveDialog);
    ASSERT_NE(0u, timer);
    m_document.OnPopupMenuCommand(exportEntry);
    ::KillTimer(nullptr, timer);

    const auto boxes = Recorder().Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Success.  2 CSV data lines output.", boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), boxes[0].type & MB_ICONMASK);
    // The second record lacks the voltage: an empty quoted field.
    const std::string csv = testing_support::ReadFileText(m_csvPath);
    EXPECT_EQ(0u, csv.find("\"time (UTC)\",\"Hourmeter\",\"Battery Voltage\"")) << csv;
    EXPECT_NE(std::string::npos, csv.find(",\"99\",\"\"")) << csv;
}
