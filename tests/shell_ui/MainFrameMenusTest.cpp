// The main frame's menus and commands: their update rules, the edge bar, the tools that
// open a warning and then a setup on a device, F1 and the help buttons, and New Display.
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

TEST_F(MainFrame, MenusEdgeBarAndTheUpdateRulesOfADeviceList)
{
    HMENU menu = ::GetMenu(m_frameHandle);
    ASSERT_NE(nullptr, menu);
    std::vector<std::string> popups;
    for (int index = 0; index < ::GetMenuItemCount(menu) && index < 20; ++index) {
        char text[64] = {};
        ::GetMenuStringA(menu, index, text, sizeof text, MF_BYPOSITION);
        popups.push_back(text);
    }
    EXPECT_EQ((std::vector<std::string>{"&File", "&Devices", "Di&splays", "&Tools", "&Help"}), popups);
    EXPECT_EQ(2, m_frame->GetEdgeBar().GetTabCount());
    EXPECT_STREQ("Devices", m_frame->GetEdgeBar().GetViewName(0));
    EXPECT_STREQ("Log Files", m_frame->GetEdgeBar().GetViewName(1));
    EXPECT_EQ(m_frame->GetEdgeBar().GetActiveView(), m_frame->GetDeviceTree());
    EXPECT_TRUE(::IsWindowVisible(m_frame->GetStatusBar().GetSafeHwnd()));
    EXPECT_EQ(m_frameHandle, m_manager->GetDispatcher().GetTargetWindow());

    // Always available: New Display with its three templates and every setup.
    for (UINT command : {ID_DEVICES_SEARCH, ID_DEVICES_MANUAL_CONNECTION, ID_LOGFILE_OPEN, ID_TOOLS_PREFERENCES,
                         ID_WORKSPACE_SAVE, ID_WORKSPACE_SAVE_AS, ID_VIEW_DEVICES_TAB, ID_DISPLAY_NEW,
                         ID_TOOLS_DIP_SWITCH_WIZARD, ID_TOOLS_VARNIX_WIZARD, ID_TOOLS_OSTREL_WIZARD,
                         ID_TOOLS_CORANDEL_DUO_WIZARD, ID_TOOLS_CORANDEL_MPPT_WIZARD, ID_TOOLS_VARNIX_MPPT_WIZARD})
        EXPECT_TRUE(Enabled(command)) << command;
    EXPECT_EQ(3u, m_manager->GetDocTemplates().size());
    // Nothing selected: no device command.
    for (UINT command : {ID_DEVICE_DELETE, ID_DEVICE_CONNECT, ID_DEVICE_DISCONNECT, ID_DEVICE_PROPERTIES,
                         ID_DEVICE_RENAME, ID_DEVICES_CONNECT_ALL})
        EXPECT_FALSE(Enabled(command)) << command;

    // A device of the file, not connected: refresh 1 rebuilds the tree with its variables.
    const CDocumentDeviceGeneric1Ptr device = AddVarnix();
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, 1, device->GetId());
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    const std::vector<std::string> nodes = TreeTexts(*tree, TVI_ROOT);
    ASSERT_EQ(1u, nodes.size());
    EXPECT_EQ("Varnix", nodes[0]);
    HTREEITEM node = tree->GetTreeCtrl().GetRootItem();
    EXPECT_EQ(device->GetVariables().size(), TreeTexts(*tree, node).size());
    ASSERT_TRUE(SelectDeviceNode(device->GetId()));
    EXPECT_TRUE(Enabled(ID_DEVICE_DELETE));
    EXPECT_TRUE(Enabled(ID_DEVICE_CONNECT));
    EXPECT_FALSE(Enabled(ID_DEVICE_DISCONNECT));
    EXPECT_TRUE(Enabled(ID_DEVICE_PROPERTIES));
    EXPECT_TRUE(Enabled(ID_DEVICE_RENAME));
    EXPECT_TRUE(Enabled(ID_DEVICES_CONNECT_ALL));
    // Only the active tab's selection counts.
    m_frame->GetEdgeBar().SetActiveView(RUNTIME_CLASS(CTabLogFileView));
    EXPECT_FALSE(Enabled(ID_DEVICE_DELETE));
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_DEVICES_TAB, 0);
    EXPECT_TRUE(Enabled(ID_DEVICE_DELETE));

    // A variable is no device node.
    tree->GetTreeCtrl().SelectItem(tree->GetTreeCtrl().GetChildItem(node));
    EXPECT_FALSE(Enabled(ID_DEVICE_PROPERTIES));
    ASSERT_TRUE(SelectDeviceNode(device->GetId()));

    // Delete removes it, and the removal's refresh empties the tree.
    Command(ID_DEVICE_DELETE);
    EXPECT_FALSE(m_manager->FindDeviceById(device->GetId()));
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_DEVICE_REMOVED, device->GetId());
    EXPECT_TRUE(TreeTexts(*tree, TVI_ROOT).empty());
    // Codes without a meaning for the frame change nothing.
    for (int code : {0, 6, 7, 11, -1})
        EXPECT_EQ(0, m_frame->SendMessage(WM_APP_REFRESH_EVENT, code, 1));
    EXPECT_EQ(0u, Recorder().Count());

    // The idle work updates the commands through every window after a command, and after
    // a message of that number to another window, but not after a display's update of
    // its values alone; the temporary objects go either way.
    CIdleCountingWnd counter;
    ASSERT_TRUE(counter.Create(nullptr, "idle", WS_CHILD, CRect(0, 0, 1, 1), m_frame, 0x7F00));
    CDocumentDisplayPtr state(dynamic_cast<CDocumentDisplay*>(m_manager->GetDocTemplates()[0]->OpenDocumentFile(nullptr, TRUE)));
    ASSERT_TRUE(state);
    ASSERT_GT(m_manager->AddDisplay(state), 0);
    POSITION position = state->GetFirstViewPos();
    const HWND stateView = state->GetNextViewAt(position)->GetSafeHwnd();
    const auto idleAfter = [&](HWND window, UINT message) {
        const MSG msg = {window, message, DISPLAY_UPDATE_CHANGED_ROWS, 0, 0, {0, 0}};
        if (m_app.IsIdleMessage(&msg)) {
            EXPECT_TRUE(m_app.OnIdle(0));
        }
        CWnd::FromHandle(::GetDesktopWindow());
        EXPECT_FALSE(m_app.OnIdle(1));
        EXPECT_EQ(0u, (CHandleMap<CWnd, HWND>::TemporaryCount()));
        return counter.idleUpdates;
    };
    EXPECT_EQ(1, idleAfter(m_frameHandle, WM_COMMAND));
    EXPECT_EQ(1, idleAfter(stateView, WM_APP_DISPLAY_UPDATE));
    EXPECT_EQ(1, idleAfter(stateView, WM_APP_DISPLAY_UPDATE));
    EXPECT_EQ(2, idleAfter(m_frameHandle, WM_APP_DISPLAY_UPDATE));
    state->OnCloseDocument();
}

TEST_F(MainFrame, CorandelToolsOpenTheirWarningThenTheirSetupOnTheCommandsDevice)
{
    using namespace testing_support;
    // From a device's Tools entry: the setup dialog's runs start on that device.
    UiScript duo;
    HWND setup = nullptr;
    duo.Step("warning", [] { return FindTopWindow("Warning") != nullptr; }, [&] {
        EXPECT_EQ(m_frameHandle, ::GetWindow(FindTopWindow("Warning"), GW_OWNER));
        Click(FindTopWindow("Warning"), IDOK);
    });
    duo.Step("setup", [&] { return (setup = FindTopWindow("Corandel Duo Custom Setpoints Summary")) != nullptr; },
             [&] {
                 EXPECT_EQ(m_frameHandle, ::GetWindow(setup, GW_OWNER));
                 Click(setup, IDC_CR_READ_DEVICE);
             });
    HWND sheet = nullptr;
    HWND page = nullptr;
    duo.Step("read connection", [&] { return (page = WizardPageWith(IDC_WIZARD_PORT, sheet)) != nullptr; },
             [&] {
                 EXPECT_EQ(7, ::SendDlgItemMessageA(page, IDC_WIZARD_PORT, CB_GETCURSEL, 0, 0)) << "COM 7";
                 EXPECT_EQ("9", ItemText(page, IDC_WIZARD_MODBUS_ADDRESS));
                 PressWizardButton(sheet, PSBTN_CANCEL);
             });
    duo.Step("close", [&] { return FindWizardSheet() == nullptr; }, [&] { Click(setup, IDCANCEL); });
    ModbusEndpoint_t* device = new ModbusEndpoint_t;
    device->port = 7;
    device->unitId = 9;
    duo.Play([&] { m_frame->SendMessage(WM_APP_RUN_COMMAND, ID_TOOLS_CORANDEL_DUO_WIZARD, reinterpret_cast<LPARAM>(device)); });

    // From the menu, with the warning declined: no setup dialog.
    UiScript mppt;
    mppt.Step("warning", [] { return FindTopWindow("Warning") != nullptr; },
              [] { Click(FindTopWindow("Warning"), IDCANCEL); });
    mppt.Play([&] { Command(ID_TOOLS_CORANDEL_MPPT_WIZARD); });
    EXPECT_EQ(nullptr, FindTopWindow("Corandel MMPT Custom Settings Summary"));
    EXPECT_FALSE(m_frame->GetCommandContext());
}

TEST_F(MainFrame, F1AndHelpButtonsShowTheActiveWindowsHelpOrElseTheContents)
{
    using namespace testing_support;
    HelpTopics help(m_app);
    // F1 in the device tree, read as the program's loop reads it (the frame's accelerators
    // first): no dialog is open, so the contents show.
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    ASSERT_TRUE(PressKey(tree->GetSafeHwnd(), VK_F1));
    EXPECT_TRUE(PollUntil([&] { DispatchPendingMessages(m_app); return help.ContentsShown() > 0; }, kWaitMs));

    // The Ostrel setup over the frame, and a channel wizard over the setup: each window's
    // own pop-up, for F1 and for the wizard's Help button.
    UiScript script;
    HWND setup = nullptr;
    HWND sheet = nullptr;
    HWND page = nullptr;
    script.Step("F1 in the setup", [&] { return (setup = FindTopWindow("Ostrel Setup")) != nullptr; },
                [&] { ASSERT_TRUE(PressKey(::GetDlgItem(setup, IDC_RELAY_SIMPLE_1), VK_F1)); });
    script.Step("channel wizard", [&] { return help.Popups().size() == 1; },
                [&] { Click(setup, IDC_RELAY_SIMPLE_1); });
    script.Step("F1 on its page", [&] { return (page = WizardPageWith(IDC_RELAY_FUNCTION_FIRST, sheet)) != nullptr; },
                [&] { ASSERT_TRUE(PressKey(::GetDlgItem(page, IDC_RELAY_FUNCTION_FIRST), VK_F1)); });
    script.Step("the Help button", [&] { return help.Popups().size() == 2; },
                [&] { ::SendMessageA(::GetDlgItem(sheet, IDHELP), BM_CLICK, 0, 0); });
    script.Step("cancel", [&] { return help.Popups().size() == 3; },
                [&] { PressWizardButton(sheet, PSBTN_CANCEL); });
    script.Step("close", [&] { return FindWizardSheet() == nullptr; }, [&] { Click(setup, IDCANCEL); });
    script.Play([&] { Command(ID_TOOLS_OSTREL_WIZARD); });
    EXPECT_TRUE(script.Finished()) << script.Stuck();
    EXPECT_EQ((std::vector<UINT>{IDD_RELAY_SETUP, IDD_RELAY_FUNCTION, IDD_RELAY_FUNCTION}), help.Popups());
    EXPECT_EQ(1, help.ContentsShown()) << "the key in the frame asked once";
    EXPECT_EQ(0u, Recorder().Count());
}

TEST_F(MainFrame, AVarnixHvMpptDevicesPopupOpensItsWarningThenItsSetupOnThatDevice)
{
    using namespace testing_support;
    ASSERT_NO_FATAL_FAILURE(StartTestDevice("Varnix HV MPPT", "HV2024"));
    const CDocumentDeviceGeneric1Ptr device = ConnectDeviceOfTheFile(21, 9);
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    HTREEITEM node = DocumentNode(*tree, device->GetId());
    ASSERT_NE(nullptr, node);
    CRect label;
    ASSERT_TRUE(tree->GetTreeCtrl().GetItemRect(node, &label, TRUE));
    const CPoint click = label.CenterPoint();

    const std::string entry = "Varnix &HV MPPT Setup Wizard";
    std::vector<std::string> entries;
    std::vector<std::string> seen;
    HMENU menu = nullptr;
    UiScript script;
    script.Step("popup",
                [&] {
                    HWND window = ::FindWindowA("#32768", nullptr);
                    menu = window != nullptr && ::IsWindowVisible(window)
                               ? reinterpret_cast<HMENU>(::SendMessageA(window, MN_GETHMENU, 0, 0))
                               : nullptr;
                    return menu != nullptr;
                },
                [&] {
                    for (int index = 0; index < ::GetMenuItemCount(menu) && index < 20; ++index) {
                        char text[64] = {};
                        ::GetMenuStringA(menu, index, text, sizeof text, MF_BYPOSITION);
                        entries.push_back(text);
                    }
                });
    // Down the menu as the user goes, until the entry is highlighted.
    script.Step("entry highlighted",
                [&] {
                    HWND window = ::FindWindowA("#32768", nullptr);
                    for (int index = 0; index < ::GetMenuItemCount(menu) && index < 20; ++index) {
                        char text[64] = {};
                        ::GetMenuStringA(menu, index, text, sizeof text, MF_BYPOSITION);
                        if (entry == text && (::GetMenuState(menu, index, MF_BYPOSITION) & MF_HILITE) != 0)
                            return true;
                    }
                    ::PostMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
                    return false;
                },
                [&] { ::PostMessageA(::FindWindowA("#32768", nullptr), WM_KEYDOWN, VK_RETURN, 0); });
    script.Step("warning", [] { return FindTopWindow("Warning") != nullptr; }, [&] {
        HWND warning = FindTopWindow("Warning");
        seen.push_back(std::string("warning") + (::GetWindow(warning, GW_OWNER) == m_frameHandle ? " of the frame" : ""));
        Click(warning, IDOK);
    });
    // The HV setup has no second warning: its summary comes next.
    HWND setup = nullptr;
    script.Step("setup",
                [&] {
                    setup = FindTopWindow("Custom Setpoints Summary");
                    return setup != nullptr || FindTopWindow("Warning") != nullptr;
                },
                [&] {
                    if (setup == nullptr) {
                        seen.push_back("another warning");
                        Click(FindTopWindow("Warning"), IDCANCEL);
                        return;
                    }
                    seen.push_back(std::string("setup") + (::GetWindow(setup, GW_OWNER) == m_frameHandle ? " of the frame" : ""));
                    Click(setup, IDC_SETUP_READ_DEVICE);
                });
    HWND sheet = nullptr;
    HWND page = nullptr;
    script.Step("read mode", [&] { return (page = WizardPageWith(IDC_VXM_MODE_SOLAR, sheet)) != nullptr; },
                [&] {
                    Toggle(page, IDC_VXM_MODE_SOLAR);
                    PressWizardButton(sheet, PSBTN_NEXT);
                });
    script.Step("read connection", [&] { return (page = WizardPageWith(IDC_WIZARD_PORT, sheet)) != nullptr; },
                [&] {
                    seen.push_back("read from " + ItemText(page, IDC_WIZARD_IP_ADDRESS) + ":" +
                                   ItemText(page, IDC_WIZARD_TCP_PORT) + " unit " +
                                   ItemText(page, IDC_WIZARD_MODBUS_ADDRESS));
                    Recorder().QueueAnswer(IDYES);
                    PressWizardButton(sheet, PSBTN_CANCEL);
                });
    script.Step("close", [&] { return FindWizardSheet() == nullptr; }, [&] { Click(setup, IDCANCEL); });

    const long endpointsBefore = ModbusEndpoint_t::LiveCount();
    script.Play([&] {
        // The right button on the device's label: the tree selects it and shows its popup.
        ::PostMessageA(tree->GetSafeHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(click.x, click.y));
        tree->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(click.x, click.y));
        PollUntil([&] { Pump(); return script.Finished() || !script.Stuck().empty(); }, 4 * kWaitMs);
    });
    EXPECT_TRUE(script.Finished()) << script.Stuck();
    EXPECT_EQ((std::vector<std::string>{"Connect", "Disconnect", "Delete", "", "Properties", entry}), entries);
    EXPECT_EQ((std::vector<std::string>{"warning of the frame", "setup of the frame",
                                        "read from 127.0.0.1:" + std::to_string(m_tcpPort) + " unit 1"}),
              seen);
    // The endpoint the popup handed over was freed with the command.
    EXPECT_EQ(endpointsBefore, ModbusEndpoint_t::LiveCount());
    EXPECT_FALSE(m_frame->GetCommandContext());
    EXPECT_TRUE(device->IsConnected());
}

TEST_F(MainFrame, NewDisplayOpensTheChosenKindAndAFullDisplayListClosesWhatItOpened)
{
    auto childCount = [&] {
        int count = 0;
        for (HWND child = ::GetWindow(m_frame->m_hWndMDIClient, GW_CHILD); child != nullptr && count < 300;
             child = ::GetWindow(child, GW_HWNDNEXT))
            ++count;
        return count;
    };
    auto chooseFirst = [](HWND window) {
        HWND list = shell_test::FindDescendant(window, IDC_NEW_DISPLAY_LIST);
        ::SendMessageA(list, LB_SETCURSEL, 0, 0);
        shell_test::Click(window, IDOK);
    };
    const int childrenBefore = childCount();
    {
        shell_test::DialogUser user(IDC_NEW_DISPLAY_LIST, chooseFirst);
        Command(ID_DISPLAY_NEW);
        ASSERT_TRUE(user.Finished());
    }
    ASSERT_EQ(1u, m_manager->GetDisplays().size());
    EXPECT_EQ(childrenBefore + 1, childCount());
    EXPECT_FALSE(Shot("shell_main_frame_new_display").empty());

    // With every display id taken the new document is reported and closed with its frame.
    for (int added = 0; added < DOCUMENT_ID_LIMIT; ++added) {
        CDocumentDisplayPtr filler(new CDocumentDisplay);
        filler->m_bAutoDelete = FALSE;
        if (m_manager->AddDisplay(filler) < 0)
            break;
    }
    const size_t full = m_manager->GetDisplays().size();
    const int childrenFull = childCount();
    {
        shell_test::DialogUser user(IDC_NEW_DISPLAY_LIST, chooseFirst);
        Command(ID_DISPLAY_NEW);
        ASSERT_TRUE(user.Finished());
    }
    Pump();
    EXPECT_EQ(full, m_manager->GetDisplays().size());
    EXPECT_EQ(childrenFull, childCount());
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("Error: no more displays can be opened; close one first.", Recorder().Boxes()[0].text);
}
