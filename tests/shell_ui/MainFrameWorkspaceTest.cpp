// Workspace commands of the main frame (every way of opening one, Save and Ctrl+S), and a
// frame whose window cannot be made.
#include <gtest/gtest.h>

#include "tests/shell_ui/MainFrameFixture.h"

#include "displays/CDocumentDisplay.h"
#include "displays/DisplayMessages.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentDevicePC.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageConnectionInfo.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/GenericDevices.h"
#include "documents/IDeviceWithEmbeddedLogging.h"
#include "documents/PollThread_t.h"
#include "documents/RegistryHelpers.h"
#include "documents/TextHelpers.h"
#include "shell/DeviceSearchSettings.h"
#include "documents/workspace/CDocumentWorkspace.h"
#include "framework/CCmdUI.h"
#include "framework/CCommandLineInfo.h"
#include "framework/CHandleMap.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CMenu.h"
#include "framework/CView.h"
#include "framework/MessageBoxHook.h"
#include "framework/FrameworkIds.h"
#include "res/pyraxis_relay_resource.h"
#include "res/pyraxis_resource.h"
#include "shell/CMainFrame.h"
#include "shell/CMultiDocTemplateEx.h"
#include "shell/CTabDeviceView.h"
#include "shell/CTabLogFileView.h"
#include "shell/CVarnixViewApp.h"
#include "shell/CViewEx.h"
#include "shell/ProgramFolders.h"
#include "shell/ShellCommands.h"
#include "tests/support/DialogUser.h"
#include "tests/shell_ui/ShellTestResources.h"
#include "tests/support/FileText.h"
#include "tests/support/HelpTopics.h"
#include "tests/support/IdleCountingWnd.h"
#include "tests/support/KeyPress.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PeerHost.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using testing_support::PollUntil;
using namespace main_frame_test;

TEST_F(MainFrame, EveryWayOfOpeningAWorkspaceLeavesItAloneSoSaveAndCtrlSWriteItsFile)
{
    const std::string folder = testing_support::BuildPath("tests/shell_ui/frame-workspaces");
    ASSERT_TRUE(testing_support::EnsureDirectory(folder));
    const std::string a = folder + "\\a.pxs", b = folder + "\\b.pxs", c = folder + "\\c.pxs", d = folder + "\\d.pxs";
    // Empty workspaces: the manager holds the computer alone.
    for (const std::string& path : {a, b, c}) {
        CDocumentWorkspace writer;
        ASSERT_TRUE(writer.OnSaveDocument(path.c_str()));
    }
    ::DeleteFileA(d.c_str());

    POSITION templates = m_app.GetFirstDocTemplatePosition();
    CDocTemplate* workspaces = m_app.GetNextDocTemplate(templates);
    auto openWorkspaces = [&] {
        std::vector<CDocument*> documents;
        for (POSITION position = workspaces->GetFirstDocPosition(); position != nullptr && documents.size() < 10;)
            documents.push_back(workspaces->GetNextDoc(position));
        return documents;
    };
    // Exactly one workspace document, with that path ("" for a new one).
    auto expectAlone = [&](const std::string& path, const char* way) {
        const std::vector<CDocument*> documents = openWorkspaces();
        ASSERT_EQ(1u, documents.size()) << way;
        EXPECT_EQ(path, documents[0]->GetPathName().GetString()) << way;
    };
    auto addDisplaysUpTo = [&](size_t count) {
        while (m_manager->GetDisplays().size() < count) {
            CDocument* opened = m_manager->GetDocTemplates()[0]->OpenDocumentFile(nullptr, TRUE);
            CDocumentDisplay* display = opened != nullptr ? dynamic_cast<CDocumentDisplay*>(opened) : nullptr;
            ASSERT_NE(nullptr, display);
            ASSERT_GT(m_manager->AddDisplay(CDocumentDisplayPtr(display)), 0);
        }
        Pump();
    };
    // The Displays menu's window list offers the displays, and no hidden window.
    auto expectWindowListOfTheDisplays = [&](const char* way) {
        HMENU displays = ::GetSubMenu(::GetMenu(m_frameHandle), 2);
        size_t entries = 0;
        for (int index = 0; index < ::GetMenuItemCount(displays) && index < 50; ++index) {
            const UINT id = ::GetMenuItemID(displays, index);
            if (id == static_cast<UINT>(-1) || id < AFX_IDM_FIRST_MDICHILD)
                continue;
            ++entries;
            char text[128] = {};
            ::GetMenuStringA(displays, index, text, sizeof text, MF_BYPOSITION);
            HWND child = ::GetDlgItem(m_frame->m_hWndMDIClient, static_cast<int>(id));
            EXPECT_TRUE(child != nullptr && ::IsWindowVisible(child)) << way << ": \"" << text << "\"";
        }
        EXPECT_EQ(m_manager->GetDisplays().size(), entries) << way;
    };
    auto save = [&] { Command(ID_WORKSPACE_SAVE); };
    // Ctrl+S pressed in the active display's view; true when no save box showed.
    auto pressCtrlS = [&] {
        CMDIChildWnd* active = m_frame->MDIGetActive();
        CView* view = active != nullptr ? active->GetActiveView() : nullptr;
        EXPECT_TRUE(view != nullptr && dynamic_cast<CDocumentDisplay*>(view->GetDocument()) != nullptr);
        if (view == nullptr)
            return false;
        bool returned = false;
        bool saveBoxShown = false;
        testing_support::UiScript script;
        script.Step("the key handled", [&] { return returned || testing_support::FindFileDialog() != nullptr; },
                    [&] {
                        if (HWND box = testing_support::FindFileDialog()) {
                            saveBoxShown = true;
                            ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
                        }
                    });
        script.Play([&] {
            EXPECT_TRUE(testing_support::PressWithControl(view->GetSafeHwnd(), 'S'));
            returned = true;
            PollUntil([&] { Pump(); return script.Finished() || !script.Stuck().empty(); }, kWaitMs);
        });
        return !saveBoxShown;
    };
    auto openFromTheCommandLine = [&](const std::string& path) {
        CCommandLineInfo commandLine;
        commandLine.ParseParam(path.c_str(), FALSE, TRUE);
        EXPECT_TRUE(m_app.ProcessShellCommand(commandLine));
        Pump();
    };

    // A file named on the command line; saved with Ctrl+S while a display is active.
    openFromTheCommandLine(b);
    expectAlone(b, "command line");
    addDisplaysUpTo(1);
    expectWindowListOfTheDisplays("command line");
    EXPECT_TRUE(pressCtrlS()) << "Ctrl+S asked where to save the display";

    // File Open, answered in its dialog.
    testing_support::UiScript openA;
    openA.Step("open dialog", [] { return testing_support::FindFileDialog() != nullptr; },
               [&] { testing_support::AnswerFileDialog(a); });
    openA.Play([&] { Command(ID_FILE_OPEN); });
    expectAlone(a, "File Open");
    expectWindowListOfTheDisplays("File Open");
    addDisplaysUpTo(2);
    save();

    // b from the recent-file list, behind a.
    ASSERT_NE(nullptr, m_app.m_pRecentFileList);
    ASSERT_GE(m_app.m_pRecentFileList->GetSize(), 2);
    EXPECT_EQ(b, (*m_app.m_pRecentFileList)[1].GetString());
    Command(ID_FILE_MRU_FILE1 + 1);
    expectAlone(b, "recent file");
    expectWindowListOfTheDisplays("recent file");
    EXPECT_EQ(1u, m_manager->GetDisplays().size()) << "b as Ctrl+S saved it";
    addDisplaysUpTo(3);
    save();

    // Another file on the command line while b is open.
    openFromTheCommandLine(c);
    expectAlone(c, "command line, second");
    addDisplaysUpTo(4);
    save();

    // New Workspace, saved under the name given in the save dialog.
    Command(ID_FILE_NEW);
    expectAlone("", "New");
    expectWindowListOfTheDisplays("New");
    addDisplaysUpTo(5);
    testing_support::UiScript saveD;
    saveD.Step("save dialog", [] { return testing_support::FindFileDialog() != nullptr; },
               [&] { testing_support::AnswerFileDialog(d); });
    saveD.Play(save);
    expectAlone(d, "New, saved");

    // Read back: each file holds what was added while it was the workspace.
    const std::vector<std::pair<std::string, size_t>> expected = {{a, 2}, {b, 3}, {c, 4}, {d, 5}};
    for (const auto& file : expected) {
        ASSERT_NE(nullptr, m_app.OpenDocumentFile(file.first.c_str())) << file.first;
        Pump();
        expectAlone(file.first, "read back");
        EXPECT_EQ(file.second, m_manager->GetDisplays().size()) << file.first;
        expectWindowListOfTheDisplays("read back");
    }
    EXPECT_EQ(0u, Recorder().Count());

    // Closing with an unsaved change asks first; "Cancel" keeps everything open.
    CDocument* kept = openWorkspaces().front();
    const CDocumentDeviceGeneric1Ptr device = AddVarnix();
    kept->SetModifiedFlag(TRUE);
    Recorder().QueueAnswer(IDCANCEL);
    m_frame->SendMessage(WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(m_frameHandle));
    EXPECT_TRUE(m_manager->FindDeviceById(device->GetId()));
    ASSERT_GE(Recorder().Count(), 1u);

    // "No" closes the documents, then the frame, without asking again or saving.
    Recorder().Clear();
    const std::string saved = testing_support::ReadFileText(d);
    Recorder().QueueAnswer(IDNO);
    m_frame->SendMessage(WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(::IsWindow(m_frameHandle));
    EXPECT_EQ(1u, Recorder().Count());
    EXPECT_EQ(saved, testing_support::ReadFileText(d));
    EXPECT_FALSE(m_manager->FindDeviceById(device->GetId()));
    for (const std::string& path : {a, b, c, d})
        ::DeleteFileA(path.c_str());
}

namespace
{
int g_refusedClients = 0;

// Refuses the MDI client window, so that the main frame's creation fails in OnCreate.
LRESULT CALLBACK RefuseMdiClient(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
    {
        char name[32] = "";
        ::GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (::lstrcmpiA(name, "MDIClient") == 0)
        {
            ++g_refusedClients;
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK CountThreadWindows(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}
} // namespace

// The frame's window is made and destroyed again inside LoadFrame, which frees the frame:
// the shell must not free it a second time (the heap checks of the run see that) and is
// left without a main window.
TEST(MainFrameLoad, AFrameWhoseWindowFailsIsFreedOnceAndNoShellIsLeft)
{
    const std::wstring savedFolder = GetProgramFolders().GetProgramFolder();
    GetProgramFolders().SetProgramFolder(Widen(testing_support::SourcePath("res")));
    int windowsBefore = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountThreadWindows, reinterpret_cast<LPARAM>(&windowsBefore));
    {
        CVarnixViewApp app;
        g_refusedClients = 0;
        HHOOK hook = ::SetWindowsHookExA(WH_CBT, &RefuseMdiClient, nullptr, ::GetCurrentThreadId());
        ASSERT_NE(nullptr, hook);
        CMainFrame* frame = app.CreateShell();
        ::UnhookWindowsHookEx(hook);
        EXPECT_EQ(nullptr, frame);
        EXPECT_EQ(1, g_refusedClients);
        EXPECT_EQ(nullptr, app.m_pMainWnd);
        testing_support::DispatchPendingMessages();
        int windowsAfter = 0;
        ::EnumThreadWindows(::GetCurrentThreadId(), &CountThreadWindows,
                            reinterpret_cast<LPARAM>(&windowsAfter));
        EXPECT_EQ(windowsBefore, windowsAfter) << "the failed frame's window is gone";
    }
    GetProgramFolders().SetProgramFolder(savedFolder);
}
