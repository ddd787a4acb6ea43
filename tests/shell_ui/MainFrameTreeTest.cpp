// The edge bar's trees in the main frame: posted commands and repaints between the parts
// of a large change, what a pass asks of the tree control, the tree images, the tips, and
// a variable dragged from the tree onto a display.
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

namespace
{
// A display that takes only device variables, in a view of the drop base.
class CFrameTestDisplay : public CDocumentDisplay
{
    DECLARE_DYNCREATE(CFrameTestDisplay)
public:
    bool AcceptsDevice() override { return false; }
};
IMPLEMENT_DYNCREATE(CFrameTestDisplay, CDocumentDisplay)

class CRefusingDisplay : public CDocumentDisplay
{
    DECLARE_DYNCREATE(CRefusingDisplay)
public:
    bool AcceptsVariable() override { return false; }
};
IMPLEMENT_DYNCREATE(CRefusingDisplay, CDocumentDisplay)

// A device whose connection and busy state the test sets.
class CStatedDevice : public CDocumentDevice
{
public:
    bool IsConnected() override { return m_connected; }
    bool IsBusy() override { return m_busy; }
    bool m_connected = false;
    bool m_busy = false;
};

// The 16 x 16 pixels of an image of the list drawn over white.
std::vector<COLORREF> ImagePixels(HIMAGELIST images, int index)
{
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    RECT all = {0, 0, 16, 16};
    ::FillRect(memory, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images, index, memory, 0, 0, ILD_TRANSPARENT);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            pixels.push_back(::GetPixel(memory, x, y));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}


// What a pass over the device tree asks of its control: under Wine each change the control
// draws at once is a request to the window server, which is slow while devices connect, and
// each read is a message. A pass reads each node once and draws once, at its end.
struct TreeControlWatch
{
    static WNDPROC s_proc;
    static int s_messages;
    static int s_changes;
    static int s_drawnChanges;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        ++s_messages;
        if (message == TVM_SETITEMA || message == TVM_SETITEMW || message == TVM_INSERTITEMA ||
            message == TVM_INSERTITEMW || message == TVM_DELETEITEM) {
            ++s_changes;
            s_drawnChanges += ::IsWindowVisible(window) ? 1 : 0;
        }
        return ::CallWindowProc(s_proc, window, message, wParam, lParam);
    }
    static void Reset() { s_messages = s_changes = s_drawnChanges = 0; }
};
WNDPROC TreeControlWatch::s_proc = nullptr;
int TreeControlWatch::s_messages = 0;
int TreeControlWatch::s_changes = 0;
int TreeControlWatch::s_drawnChanges = 0;
} // namespace

TEST_F(MainFrame, APostedCommandRunsWithItsEndpointWhichIsFreedAfterwards)
{
    const long before = ModbusEndpoint_t::LiveCount();
    m_frame->SendMessage(WM_APP_RUN_COMMAND, ID_VIEW_DEVICES_TAB, reinterpret_cast<LPARAM>(new ModbusEndpoint_t));
    EXPECT_EQ(before, ModbusEndpoint_t::LiveCount());
    EXPECT_FALSE(m_frame->GetCommandContext());
    EXPECT_EQ(0, m_frame->SendMessage(WM_APP_RUN_COMMAND, ID_DEVICES_SEARCH, 0));
    EXPECT_EQ(0u, Recorder().Count());
}


// Each node the control changes takes it a while (about 10 ms in a large tree under Wine):
// a change of many devices comes in parts, and a command posted or a repaint asked for
// behind it runs between.
TEST_F(MainFrame, ALargeChangeOfTheDeviceTreeLetsAPostedCommandRunBeforeItIsDone)
{
    std::vector<CDocumentDeviceGeneric1Ptr> devices;
    for (int added = 0; added < 20; ++added)
        devices.push_back(AddVarnix());
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, 0);
    Pump();
    for (const CDocumentDeviceGeneric1Ptr& device : devices)
        device->SetUserName(("Renamed " + std::to_string(device->GetId())).c_str());
    const auto renamed = [&] {
        const std::vector<std::string> texts = TreeTexts(*m_frame->GetDeviceTree(), TVI_ROOT);
        return std::count_if(texts.begin(), texts.end(), [](const std::string& text) { return text.find("Renamed") == 0; });
    };
    const bool shown = (m_frame->GetEdgeBar().GetStyle() & WS_VISIBLE) != 0;
    m_frame->PostMessage(WM_APP_REFRESH_EVENT, REFRESH_STATE_CHANGED, 0);
    m_frame->PostMessage(WM_COMMAND, ID_VIEW_EDGEBAR, 0);
    ASSERT_TRUE(RunUntilTheEdgeBarToggles(shown));
    EXPECT_LT(renamed(), 20);
    // A repaint asked for meanwhile comes before the rest too.
    ASSERT_TRUE(RunUntilRepainted());
    EXPECT_LT(renamed(), 20);
    ASSERT_TRUE(PollUntil([&] { Pump(); return renamed() == 20; }, kWaitMs));
}

TEST_F(MainFrame, ADeviceTreePassReadsEachNodeOnceAndIsDrawnOnceAtItsEnd)
{
    const int kDevices = 48;
    std::vector<CDocumentDeviceGeneric1Ptr> devices;
    for (int added = 0; added < kDevices; ++added)
        devices.push_back(AddVarnix());
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, 0);
    Pump();
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    HWND control = tree->GetTreeCtrl().GetSafeHwnd();
    ASSERT_TRUE(::IsWindowVisible(control));
    ASSERT_EQ(static_cast<size_t>(kDevices), TreeTexts(*tree, TVI_ROOT).size());
    ::UpdateWindow(control);
    TreeControlWatch::s_proc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtr(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeControlWatch::Proc)));

    // Nothing changed: a few reads a node (its text, its image), no walk over the others.
    TreeControlWatch::Reset();
    EXPECT_TRUE(tree->RebuildTree());
    const int unchangedMessages = TreeControlWatch::s_messages;
    EXPECT_EQ(0, TreeControlWatch::s_changes);
    EXPECT_FALSE(::GetUpdateRect(control, nullptr, FALSE));

    // Fewer than a pass changes at most.
    const int kRenamed = 5;
    for (int renamed = 0; renamed < kRenamed; ++renamed)
        devices[renamed]->SetUserName(("Renamed " + std::to_string(renamed)).c_str());
    TreeControlWatch::Reset();
    EXPECT_TRUE(tree->RebuildTree());
    const int changes = TreeControlWatch::s_changes;
    const int drawnChanges = TreeControlWatch::s_drawnChanges;
    const bool visible = ::IsWindowVisible(control) != FALSE;
    const bool toDraw = ::GetUpdateRect(control, nullptr, FALSE) != FALSE;
    ::SetWindowLongPtr(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TreeControlWatch::s_proc));

    std::printf("a pass over %d devices: %d messages to the control unchanged\n", kDevices, unchangedMessages);
    EXPECT_LT(unchangedMessages, 8 * kDevices);
    EXPECT_EQ(kRenamed, changes);
    EXPECT_EQ(0, drawnChanges);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(toDraw) << "the changes are drawn at the end of the pass";
    const std::vector<std::string> texts = TreeTexts(*tree, TVI_ROOT);
    EXPECT_EQ(kRenamed,
              std::count_if(texts.begin(), texts.end(), [](const std::string& text) { return text.find("Renamed") == 0; }));
}

TEST_F(MainFrame, EveryTreeImageADeviceOrItemCanHaveIsAPictureOfItsOwn)
{
    HIMAGELIST images = TreeView_GetImageList(m_frame->GetDeviceTree()->GetSafeHwnd(), TVSIL_NORMAL);
    ASSERT_NE(nullptr, images);
    const int count = ImageList_GetImageCount(images);
    // Every state a device can be in: connected or not, busy or not, with messages or not.
    std::map<int, std::string> used = {{TREE_IMAGE_VARIABLE, "variable"}, {TREE_IMAGE_LOG_FILE, "log file"}};
    for (int state = 0; state < 8; ++state) {
        CStatedDevice device;
        device.m_connected = (state & 1) != 0;
        device.m_busy = (state & 2) != 0;
        if ((state & 4) != 0)
            device.SetMessage(MESSAGE_KEY_POLL, "control did not respond");
        const std::string name = std::string(device.m_connected ? "connected" : "disconnected") +
                                 (device.m_busy ? ", busy" : "") + ((state & 4) != 0 ? ", with messages" : "");
        used.insert(std::make_pair(device.GetTreeImage(), name));
    }
    std::map<std::vector<COLORREF>, std::string> pictures;
    const std::vector<COLORREF> empty(256, RGB(255, 255, 255));
    for (const auto& image : used) {
        ASSERT_LT(image.first, count) << image.second << " is image " << image.first;
        const std::vector<COLORREF> pixels = ImagePixels(images, image.first);
        EXPECT_NE(empty, pixels) << image.second << " is drawn as nothing";
        const auto known = pictures.insert(std::make_pair(pixels, image.second));
        EXPECT_TRUE(known.second) << image.second << " looks like " << known.first->second;
    }
}

namespace
{
// The text of the tooltip showing one of the tree's tools, "" when none shows.
std::string ShownTip(HWND tree)
{
    struct Search
    {
        HWND tree;
        std::string text;
    } search = {tree, std::string()};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            Search& search = *reinterpret_cast<Search*>(data);
            char name[64] = {};
            ::GetClassNameA(window, name, sizeof name);
            TOOLINFOA tool = {};
            tool.cbSize = TTTOOLINFOA_V2_SIZE;
            if (_stricmp(name, TOOLTIPS_CLASSA) != 0 || !::IsWindowVisible(window) ||
                !::SendMessageA(window, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) ||
                tool.hwnd != search.tree)
                return TRUE;
            char text[512] = {};
            ::GetWindowTextA(window, text, sizeof text);
            search.text = text;
            return search.text.empty();
        },
        reinterpret_cast<LPARAM>(&search));
    return search.text;
}
} // namespace

TEST_F(MainFrame, TreeTipsNameTheItemUnderTheMouse)
{
    ASSERT_NO_FATAL_FAILURE(StartVarnix());
    const CDocumentDeviceGeneric1Ptr device = ConnectDeviceOfTheFile(10, 2);
    const CDocumentDeviceGeneric1Ptr idle = AddVarnix();
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, idle->GetId());
    const std::string folder = testing_support::BuildPath("tests/shell_ui/frame-tips");
    ASSERT_TRUE(testing_support::EnsureDirectory(folder));
    const std::string logPath = folder + "\\tips.csv";
    ASSERT_TRUE(testing_support::WriteFileText(
        logPath, "\"time (UTC)\",\"Battery Voltage\"\n\"2024-05-01T12:00:00.000+00:00\",\"12.5\"\n"));
    m_frame->OpenLogFile(Widen(logPath), -1);
    // Above whatever else shows on the display, so that the mouse is over the tree.
    ::SetWindowPos(m_frameHandle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump();

    CTabDeviceView* devices = m_frame->GetDeviceTree();
    HTREEITEM node = DocumentNode(*devices, device->GetId());
    ASSERT_NE(nullptr, node);
    HTREEITEM variable = devices->GetTreeCtrl().GetChildItem(node);
    ASSERT_NE(nullptr, variable);
    const CTreeItem* variableData = devices->GetItemData(variable);
    ASSERT_NE(nullptr, variableData);

    // Only an item's label is a tool: its handle is the id, its text rectangle the area.
    CRect label;
    ASSERT_TRUE(devices->GetTreeCtrl().GetItemRect(node, &label, TRUE));
    TOOLINFO tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    EXPECT_EQ(reinterpret_cast<INT_PTR>(node), devices->OnToolHitTest(label.CenterPoint(), &tool));
    EXPECT_EQ(devices->GetSafeHwnd(), tool.hwnd);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(node), tool.uId);
    EXPECT_EQ(label, CRect(tool.rect));
    EXPECT_EQ(LPSTR_TEXTCALLBACK, tool.lpszText);
    EXPECT_EQ(-1, devices->OnToolHitTest(CPoint(label.left - 10, label.CenterPoint().y), nullptr)) << "the icon";
    EXPECT_EQ(-1, devices->OnToolHitTest(CPoint(label.right + 20, label.CenterPoint().y), nullptr)) << "beside";
    CRect client;
    devices->GetClientRect(&client);
    EXPECT_EQ(-1, devices->OnToolHitTest(CPoint(client.right - 2, client.bottom - 2), nullptr)) << "below the items";

    // Asks the tree for a tool's text as its tooltip does; "" when it does not answer.
    auto ask = [](CTreeViewEx& tree, UINT_PTR id, bool wide, UINT flags) -> std::string {
        auto send = [&](auto& info, UINT code) {
            info.hdr.hwndFrom = ::GetDesktopWindow();   // no object of ours: nothing to reflect to
            info.hdr.idFrom = id;
            info.hdr.code = code;
            info.uFlags = flags;
            tree.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        };
        if (wide) {
            NMTTDISPINFOW info = {};
            send(info, TTN_NEEDTEXTW);
            return info.lpszText != nullptr ? "wide " + WideToNarrow(info.lpszText) : "";
        }
        NMTTDISPINFOA info = {};
        send(info, TTN_NEEDTEXTA);
        return info.lpszText != nullptr ? std::string("narrow ") + info.lpszText : "";
    };
    const std::string serial = device->GetSerialText();
    ASSERT_FALSE(serial.empty());
    EXPECT_EQ("narrow " + serial, ask(*devices, reinterpret_cast<UINT_PTR>(node), false, 0));
    EXPECT_EQ("wide " + serial, ask(*devices, reinterpret_cast<UINT_PTR>(node), true, 0));
    // A device that is not connected has no tip; the control's own tool is left to the control.
    EXPECT_EQ("", ask(*devices, reinterpret_cast<UINT_PTR>(DocumentNode(*devices, idle->GetId())), false, 0));
    EXPECT_EQ("", ask(*devices, reinterpret_cast<UINT_PTR>(devices->GetSafeHwnd()), true, TTF_IDISHWND));

    // The mouse moved onto a label and resting there shows the item's tip.
    auto hover = [&](CTreeViewEx& tree, HTREEITEM item) {
        CRect rect;
        EXPECT_TRUE(tree.GetTreeCtrl().GetItemRect(item, &rect, TRUE));
        CPoint point = rect.CenterPoint();
        CPoint screen = point;
        tree.ClientToScreen(&screen);
        EXPECT_TRUE(testing_support::MoveCursorTo(screen.x, screen.y));
        // The move passes the application's message filter, as in its loop.
        MSG move = {tree.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y), ::GetTickCount(),
                    {screen.x, screen.y}};
        if (!m_app.PreTranslateMessage(&move))
            ::DispatchMessageA(&move);
        std::string shown;
        PollUntil(
            [&] {
                Pump();
                shown = ShownTip(tree.GetSafeHwnd());
                return !shown.empty();
            },
            kWaitMs);
        return shown;
    };
    EXPECT_EQ(serial, hover(*devices, node));
    devices->GetTreeCtrl().Expand(node, TVE_EXPAND);
    Pump();
    const std::string description = static_cast<const char*>(variableData->GetDescription());
    const std::string units = static_cast<const char*>(variableData->GetUnits());
    ASSERT_FALSE(description.empty() || units.empty());
    EXPECT_EQ(description + "; " + units, hover(*devices, variable));
    EXPECT_FALSE(Shot("shell_tree_tip").empty());

    m_frame->GetEdgeBar().SetActiveView(RUNTIME_CLASS(CTabLogFileView));
    Pump();
    CTabLogFileView* logFiles = m_frame->GetLogFileTree();
    HTREEITEM logNode = logFiles->GetTreeCtrl().GetRootItem();
    ASSERT_NE(nullptr, logNode);
    EXPECT_EQ(logPath, hover(*logFiles, logNode));
    ::SetWindowPos(m_frameHandle, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::DeleteFileA(logPath.c_str());
}

TEST_F(MainFrame, AVariableDraggedFromTheTreeLandsOnADisplayThatTakesIt)
{
    const CDocTemplatePtr displayTemplate(new CMultiDocTemplateEx(
        m_manager, IDR_SHELL_TEST_DISPLAY, RUNTIME_CLASS(CFrameTestDisplay), RUNTIME_CLASS(CMDIChildWnd),
        RUNTIME_CLASS(CViewEx)));
    const CDocTemplatePtr refusingTemplate(new CMultiDocTemplateEx(
        m_manager, IDR_SHELL_TEST_FORM, RUNTIME_CLASS(CRefusingDisplay), RUNTIME_CLASS(CMDIChildWnd),
        RUNTIME_CLASS(CViewEx)));
    CDocumentDisplayPtr display(dynamic_cast<CDocumentDisplay*>(displayTemplate->OpenDocumentFile(nullptr, TRUE)));
    CDocumentDisplayPtr refusing(dynamic_cast<CDocumentDisplay*>(refusingTemplate->OpenDocumentFile(nullptr, TRUE)));
    ASSERT_TRUE(display && refusing);
    ASSERT_GT(m_manager->AddDisplay(display), 0);
    ASSERT_GT(m_manager->AddDisplay(refusing), 0);
    m_frame->MDITile(MDITILE_VERTICAL);

    const CDocumentDeviceGeneric1Ptr device = AddVarnix();
    m_frame->SendMessage(WM_APP_REFRESH_EVENT, REFRESH_WORKSPACE_LOADED, device->GetId());
    CTabDeviceView* tree = m_frame->GetDeviceTree();
    HTREEITEM node = tree->GetTreeCtrl().GetRootItem();
    HTREEITEM variable = tree->GetTreeCtrl().GetChildItem(node);
    ASSERT_NE(nullptr, variable);
    const std::string variableName = static_cast<const char*>(tree->GetTreeCtrl().GetItemText(variable));
    Pump();

    auto viewCentre = [&](CDocumentDisplay& target) {
        POSITION position = target.GetFirstViewPos();
        CView* view = target.GetNextViewAt(position);
        CRect rect;
        view->GetWindowRect(&rect);
        CPoint point = rect.CenterPoint();
        tree->ScreenToClient(&point);
        return point;
    };
    auto drag = [&](HTREEITEM item, CPoint to, bool rebuildMeanwhile) {
        CRect itemRect;
        tree->GetTreeCtrl().GetItemRect(item, &itemRect, TRUE);
        tree->BeginDrag(item, itemRect.CenterPoint());
        EXPECT_TRUE(tree->IsDragging());
        if (rebuildMeanwhile) {
            // A refresh that rebuilds the tree during the drag frees the items' data.
            tree->DeleteAllItems();
            tree->RebuildTree();
        }
        tree->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(to.x, to.y));
        tree->EndDrag(0, to);
        EXPECT_FALSE(tree->IsDragging());
    };

    drag(variable, viewCentre(*refusing), false);
    EXPECT_EQ(0u, refusing->GetEntryCount());
    // The tree itself and a whole device are no drop.
    drag(variable, CPoint(5, 5), false);
    drag(node, viewCentre(*display), false);
    EXPECT_EQ(0u, display->GetEntryCount());

    drag(variable, viewCentre(*display), true);
    ASSERT_EQ(1u, display->GetEntryCount());
    EXPECT_EQ(variableName, display->GetEntry(0).item->GetName().GetString());
    EXPECT_EQ(device->GetId(), display->GetEntry(0).item->GetDocumentId());
    EXPECT_FALSE(Shot("shell_main_frame_dropped").empty());
    display->OnCloseDocument();
    refusing->OnCloseDocument();
}
