// Helpers of tools/bench-demo, which measures what the demo site and Pyraxis cost.
// Usage:
//   DemoBench workspace OUT.pxs DISPLAYS LOGGED UNIT=NAME@WHERE...
//                                                 a workspace of the site's devices (unit id,
//                                                 devices.xml name, and comN for a serial
//                                                 line or tcpPORT for Modbus/TCP at
//                                                 127.0.0.1 each) and, when DISPLAYS is 1, one
//                                                 State display of all their variables and,
//                                                 when LOGGED is not 0, a Logger of the first
//                                                 LOGGED of them
//   DemoBench connect-all                         Devices > Connect All in the Pyraxis that runs
//   DemoBench watch FILE.csv [SECONDS]            in the Pyraxis that runs, the State display
//                                                 maximized, as a user watching it, and the
//                                                 Logger, if any, recording into FILE.csv
//                                                 every SECONDS (default 1)
//   DemoBench connect-time SITE.pxs [SILENT]      in this process: opens the workspace, runs
//                                                 Connect All and says how long it took until
//                                                 the window was drawn with every device
//                                                 connected and polled (but the SILENT ones,
//                                                 whose opens failed), and answered at once
//                                                 again, the longest a command posted to
//                                                 the window and a repaint of the State
//                                                 display (maximized) waited meanwhile, and
//                                                 the threads the interface thread started
// Problems go to stderr and make the exit code non-zero.
#include "framework/FrameworkBase.h"
#include "displays/CDisplayLogWriteDoc.h"
#include "displays/CDisplayLogWriteView.h"
#include "displays/CDisplayStateDoc.h"
#include "displays/CDisplayStateView.h"
#include "displays/CDocumentDisplay.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorage.h"
#include "documents/GenericDevices.h"
#include "documents/workspace/CDocumentWorkspace.h"
#include "framework/CDocTemplate.h"
#include "framework/CWinApp.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_displays_resource.h"
#include "shell/CMainFrame.h"
#include "shell/CVarnixViewApp.h"
#include "shell/ProgramFolders.h"
#include "shell/ShellCommands.h"
#include "tests/support/ThreadStartCount.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{
int Fail(const std::string& text)
{
    std::fprintf(stderr, "DemoBench: %s\n", text.c_str());
    return 1;
}

void Pump()
{
    MSG msg;
    for (int handled = 0; handled < 100000 && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++handled)
        ::DispatchMessageA(&msg);
}

// A new display of the template's kind, in the manager's list, and its view.
template <class Doc, class View>
View* OpenDisplay(CDocumentManager* manager, const CDocTemplatePtr& kind)
{
    Doc* display = dynamic_cast<Doc*>(kind->OpenDocumentFile(nullptr, TRUE));
    if (display == nullptr)
        return nullptr;
    manager->AddDisplay(CDocumentDisplayPtr(display));
    POSITION position = display->GetFirstViewPos();
    return dynamic_cast<View*>(display->GetNextViewAt(position));
}

int WriteWorkspace(int argc, char** argv)
{
    if (argc < 6)
        return Fail("usage: DemoBench workspace OUT.pxs DISPLAYS LOGGED UNIT=NAME@WHERE...");
    const std::string out = argv[2];
    const bool displays = std::atoi(argv[3]) != 0;
    const size_t logged = displays ? static_cast<size_t>(std::atoi(argv[4])) : 0;
    CVarnixViewApp app;
    CMainFrame* frame = app.CreateShell();
    if (frame == nullptr)
        return Fail("no main frame");
    CDocumentManager* manager = app.GetDocumentManager();
    const std::wstring devicesXml = GetProgramFolders().GetDevicesXmlPath();
    const GenericDeviceList_t described = LoadGenericDevices(devicesXml, manager, -1, -1, nullptr, nullptr);

    // The templates in the order of Displays > New: State, Logger, Historical Graph.
    const std::deque<CDocTemplatePtr> templates = manager->GetDocTemplates();
    CDisplayStateView* view = nullptr;
    if (displays && (view = OpenDisplay<CDisplayStateDoc, CDisplayStateView>(manager, templates.at(0))) == nullptr)
        return Fail("no State display");
    CDisplayLogWriteView* loggerView = nullptr;
    if (logged > 0 &&
        (loggerView = OpenDisplay<CDisplayLogWriteDoc, CDisplayLogWriteView>(manager, templates.at(1))) == nullptr)
        return Fail("no Logger display");

    size_t variables = 0;
    size_t loggedVariables = 0;
    for (int arg = 5; arg < argc; ++arg) {
        const std::string spec = argv[arg];
        const size_t equals = spec.find('=');
        const size_t at = spec.rfind('@');
        if (equals == std::string::npos || at == std::string::npos || at < equals)
            return Fail("not UNIT=NAME@WHERE: " + spec);
        const int unit = std::atoi(spec.substr(0, equals).c_str());
        const std::string name = spec.substr(equals + 1, at - equals - 1);
        const std::string where = spec.substr(at + 1);
        ModbusEndpoint_t endpoint;
        endpoint.unitId = unit;
        if (where.compare(0, 3, "com") == 0) {
            endpoint.port = std::atoi(where.c_str() + 3);
        } else if (where.compare(0, 3, "tcp") == 0) {
            endpoint.network = true;
            endpoint.host = "127.0.0.1";
            endpoint.port = std::atoi(where.c_str() + 3);
        } else {
            return Fail("neither comN nor tcpPORT: " + spec);
        }
        CDocumentDeviceGeneric1Ptr match;
        for (const CDocumentDeviceGeneric1Ptr& candidate : described)
            if (!match && std::string(candidate->GetDefaultName()) == name)
                match = candidate;
        if (!match)
            return Fail("no device named " + name);
        CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(match->GetModel(), match->GetType(), 255, manager));
        LoadGenericDevices(devicesXml, manager, match->GetModel(), match->GetType(), device.get(), nullptr);
        if (manager->AddDevice(device) <= 0)
            return Fail("the device list is full");
        device->ApplyEndpoint(endpoint);
        CTreeItemPtr owner(new CTreeItem(device->GetName(), "", PLOT_ID_NONE, PLOT_ID_NONE, device->GetId(), ""));
        device->CollectPlotItems(owner->GetPlotItems());
        for (const CTreeItemPtr& item : owner->GetPlotItems()) {
            item->SetAssociated(owner);
            if (view != nullptr && view->CanDrop(item.get())) {
                view->Drop(item.get());
                ++variables;
            }
            if (loggedVariables < logged && loggerView->CanDrop(item.get())) {
                loggerView->Drop(item.get());
                ++loggedVariables;
            }
        }
    }
    Pump();
    CDocumentWorkspace workspace;
    if (!workspace.OnSaveDocument(out.c_str()))
        return Fail("cannot write " + out);
    std::printf("workspace %s: %d devices, %zu variables on its State display, %zu on its Logger\n", out.c_str(),
                argc - 5, variables, loggedVariables);
    manager->CloseAll();
    ::DestroyWindow(frame->GetSafeHwnd());
    Pump();
    return 0;
}

// Pyraxis's main frame: the top-level window whose caption starts with the program's name,
// or ends with it after the active document's title.
BOOL CALLBACK FindFrame(HWND window, LPARAM found)
{
    // Read without a message to the window, which may be busy for a while.
    wchar_t text[256] = {};
    ::InternalGetWindowText(window, text, 256);
    const std::wstring caption = text;
    if (::IsWindowVisible(window) && (caption.rfind(L"Pyraxis", 0) == 0 ||
                                      caption.find(L" - Pyraxis") != std::wstring::npos)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForFrame()
{
    HWND frame = nullptr;
    for (int wait = 0; wait < 600 && frame == nullptr; ++wait) {
        ::EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&frame));
        if (frame == nullptr)
            ::Sleep(100);
    }
    return frame;
}

struct ControlSearch
{
    int id;
    HWND found;
};

BOOL CALLBACK FindControl(HWND window, LPARAM search)
{
    ControlSearch* wanted = reinterpret_cast<ControlSearch*>(search);
    if (::GetDlgCtrlID(window) != wanted->id)
        return TRUE;
    wanted->found = window;
    return FALSE;
}

HWND FindControlIn(HWND frame, int id)
{
    ControlSearch search = {id, nullptr};
    ::EnumChildWindows(frame, FindControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The State display maximized, and the Logger's form filled in as a user would, then Record.
int Watch(const std::string& file, const std::string& seconds)
{
    HWND frame = WaitForFrame();
    if (frame == nullptr)
        return Fail("no Pyraxis window");
    HWND stateList = FindControlIn(frame, IDC_STATE_LIST);
    HWND fileName = FindControlIn(frame, IDC_LOGGER_FILE_NAME);
    if (stateList == nullptr)
        return Fail("no State display");
    // The list's view, its MDI child, the MDI client.
    HWND stateChild = ::GetParent(::GetParent(stateList));
    ::SendMessageA(::GetParent(stateChild), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(stateChild), 0);
    std::printf("State display maximized\n");
    if (fileName == nullptr)
        return 0;
    HWND form = ::GetParent(fileName);
    ::SetDlgItemTextA(form, IDC_LOGGER_FILE_NAME, file.c_str());
    ::SetDlgItemTextA(form, IDC_LOGGER_HOURS, "0");
    ::SetDlgItemTextA(form, IDC_LOGGER_MINUTES, "0");
    ::SetDlgItemTextA(form, IDC_LOGGER_SECONDS, seconds.c_str());
    ::PostMessageA(form, WM_COMMAND, MAKEWPARAM(IDC_LOGGER_RECORD, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(form, IDC_LOGGER_RECORD)));
    std::printf("Record sent\n");
    return 0;
}

int ConnectAll()
{
    HWND frame = WaitForFrame();
    if (frame == nullptr)
        return Fail("no Pyraxis window");
    ::PostMessageA(frame, WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
    std::printf("Connect All sent\n");
    return 0;
}
// The connect failures answered (the silent devices').
std::atomic<int> g_connectFailures{0};

int AnswerBox(HWND, const char* text, const char*, UINT)
{
    if (std::strstr(text, "unable to open connection") != nullptr)
        ++g_connectFailures;
    return IDOK;
}

// Which devices' values reached the displays (told on the dispatch thread): a device that
// delivered one was connected and polled.
class CPolledDevices : public CDocumentDisplay
{
public:
    bool OnStorage(const CStoragePtr& item) override
    {
        const int id = item->GetSourceId();
        if (item->GetType() == STORAGE_TYPE_SIMPLE_VALUE && id >= 0 && id < DOCUMENT_ID_LIMIT)
            m_polled[id] = true;
        return false;
    }
    // Read without the device list's lock, which the dispatch thread may hold a while.
    // The silent ones' opens have failed: they are neither connected nor busy.
    bool AllConnectedAndPolled(const DeviceList_t& devices, int silent) const
    {
        int failed = 0;
        for (const CDocumentDevicePtr& device : devices) {
            if (!device->IsListed() || (device->IsConnected() && m_polled[device->GetId()]))
                continue;
            if (device->IsConnected() || device->IsBusy())
                return false;
            ++failed;
        }
        return failed == silent && g_connectFailures >= silent;
    }

private:
    std::atomic<bool> m_polled[DOCUMENT_ID_LIMIT] = {};
};

double ThreadSeconds()
{
    FILETIME created, ended, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto seconds = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// A command posted to the main frame (one at a time, the next 100 ms after the last was
// answered) and taken out of the frame's procedure before the program sees it: answered by
// whichever loop runs on the interface thread, a nested one included.
const WORD PROBE_COMMAND = 0xBE77;
const DWORD DRAWN_WAIT_LIMIT_MS = 500;
const DWORD CONNECT_LIMIT_MS = 900000;

struct ConnectProbe
{
    WNDPROC frameProc = nullptr;
    std::atomic<DWORD> postedAt{0};
    std::atomic<bool> answered{true};
    DWORD longestWait = 0;
    DWORD start = 0;
    bool finished = false;
    bool drawn = false;
    DWORD drawnAt = 0;
    double cpu = 0.0;
    std::function<bool()> allPolled;
};
ConnectProbe g_probe;

// What held the interface thread while a probe waited: each message the thread takes
// (GetMessage or PeekMessage that removes), and the time until it takes the next, kept
// for the longest such holds while the probe's command was waiting.
struct Hold
{
    DWORD ms = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    char windowClass[32] = "";
};
struct HoldWatch
{
    HHOOK hook = nullptr;
    DWORD takenAt = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    HWND window = nullptr;
    std::vector<Hold> longest;   // the five longest, longest first
};
HoldWatch g_holds;

LRESULT CALLBACK TakenMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
        const DWORD now = ::GetTickCount();
        // A probe posted before the hold began and still waiting at its end waited through it.
        if (g_holds.takenAt != 0 && !g_probe.answered && !g_probe.finished &&
            static_cast<LONG>(g_holds.takenAt - g_probe.postedAt) >= 0) {
            Hold hold;
            hold.ms = now - g_holds.takenAt;
            hold.message = g_holds.message;
            hold.wParam = g_holds.wParam;
            if (g_holds.window != nullptr)
                ::GetClassNameA(g_holds.window, hold.windowClass, sizeof hold.windowClass);
            g_holds.longest.push_back(hold);
            std::sort(g_holds.longest.begin(), g_holds.longest.end(),
                      [](const Hold& a, const Hold& b) { return a.ms > b.ms; });
            if (g_holds.longest.size() > 5)
                g_holds.longest.pop_back();
        }
        g_holds.takenAt = now;
        g_holds.message = msg.message;
        g_holds.wParam = msg.wParam;
        g_holds.window = msg.hwnd;
    }
    return ::CallNextHookEx(g_holds.hook, code, wParam, lParam);
}

// The State display's list invalidated (one at a time, the next 100 ms after the last was
// painted): how long until it is painted, which the system does only once no posted
// message waits.
struct RepaintProbe
{
    HWND list = nullptr;
    WNDPROC listProc = nullptr;
    std::atomic<DWORD> invalidatedAt{0};
    std::atomic<bool> painted{true};
    std::atomic<DWORD> longestWait{0};
};
RepaintProbe g_repaint;

LRESULT CALLBACK ProbedListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT && !g_repaint.painted && !g_probe.finished) {
        g_repaint.longestWait = std::max<DWORD>(g_repaint.longestWait, ::GetTickCount() - g_repaint.invalidatedAt);
        g_repaint.painted = true;
    }
    return ::CallWindowProc(g_repaint.listProc, window, message, wParam, lParam);
}

// On each answered probe: once every device is connected and polled, the probe waited under
// half a second and the frame has nothing left to paint, the window is drawn and the
// program is closed as a user closes it.
LRESULT CALLBACK ProbedFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COMMAND || LOWORD(wParam) != PROBE_COMMAND)
        return ::CallWindowProc(g_probe.frameProc, window, message, wParam, lParam);
    const DWORD now = ::GetTickCount();
    const DWORD waited = now - g_probe.postedAt;
    g_probe.answered = true;
    if (g_probe.finished)
        return 0;
    g_probe.longestWait = std::max(g_probe.longestWait, waited);
    const bool drawn = waited < DRAWN_WAIT_LIMIT_MS && g_probe.allPolled() && !::GetUpdateRect(window, nullptr, FALSE);
    if (drawn || now - g_probe.start >= CONNECT_LIMIT_MS) {
        g_probe.finished = true;
        g_probe.drawn = drawn;
        g_probe.drawnAt = now;
        g_probe.cpu = ThreadSeconds() - g_probe.cpu;
        ::PostMessage(window, WM_CLOSE, 0, 0);
    }
    return 0;
}

// Connect All in this process, run by the program's own message loop (its idle work
// included) until the window is drawn with every device connected and polled.
int ConnectTime(int argc, char** argv)
{
    if (argc < 3)
        return Fail("usage: DemoBench connect-time SITE.pxs [SILENT]");
    const int silent = argc > 3 ? std::atoi(argv[3]) : 0;
    SetMessageBoxHandler(AnswerBox);
    // As the program's own start does: without it no Modbus/TCP device opens.
    if (!AfxSocketInit())
        return Fail("no Winsock");
    CVarnixViewApp app;
    CMainFrame* frame = app.CreateShell();
    if (frame == nullptr)
        return Fail("no main frame");
    frame->ShowWindow(SW_SHOWMAXIMIZED);
    if (app.OpenDocumentFile(argv[2]) == nullptr)
        return Fail(std::string("cannot open ") + argv[2]);
    CDocumentManager* manager = app.GetDocumentManager();
    const DeviceList_t devices = manager->GetDevices();
    const size_t listed = std::count_if(devices.begin(), devices.end(),
                                        [](const CDocumentDevicePtr& device) { return device->IsListed(); });
    const boost::shared_ptr<CPolledDevices> polled(new CPolledDevices);
    polled->m_bAutoDelete = FALSE;
    if (manager->AddDisplay(polled) < 0)
        return Fail("no room for a display");
    Pump();
    frame->UpdateWindow();

    const HWND frameWindow = frame->GetSafeHwnd();
    g_probe.allPolled = [&] { return polled->AllConnectedAndPolled(devices, silent); };
    g_probe.frameProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtr(frameWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProbedFrameProc)));
    // The State display maximized, as a user watching it.
    g_repaint.list = FindControlIn(frameWindow, IDC_STATE_LIST);
    if (g_repaint.list != nullptr) {
        HWND stateChild = ::GetParent(::GetParent(g_repaint.list));
        ::SendMessageA(::GetParent(stateChild), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(stateChild), 0);
        Pump();
        g_repaint.listProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtr(g_repaint.list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProbedListProc)));
    }
    std::atomic<bool> closed(false);
    std::thread prober([&] {
        DWORD paintedAt = ::GetTickCount();
        for (bool waiting = false; !closed;) {
            if (g_probe.answered) {
                ::Sleep(100);
                g_probe.answered = false;
                g_probe.postedAt = ::GetTickCount();
                if (!::PostMessage(frameWindow, WM_COMMAND, PROBE_COMMAND, 0))
                    return;   // the window is gone
            }
            if (g_repaint.list != nullptr && g_repaint.painted) {
                if (waiting) {
                    waiting = false;
                    paintedAt = ::GetTickCount();
                } else if (::GetTickCount() - paintedAt >= 100) {
                    waiting = true;
                    g_repaint.invalidatedAt = ::GetTickCount();
                    g_repaint.painted = false;
                    ::InvalidateRect(g_repaint.list, nullptr, FALSE);
                }
            }
            ::Sleep(10);
        }
    });
    // The threads the interface thread starts from Connect All on.
    testing_support::ThreadStartCount starts;
    g_holds.hook = ::SetWindowsHookExA(WH_GETMESSAGE, &TakenMessageHook, nullptr, ::GetCurrentThreadId());
    g_probe.cpu = ThreadSeconds();
    g_probe.start = ::GetTickCount();
    frame->PostMessage(WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
    app.Run();
    if (g_holds.hook != nullptr)
        ::UnhookWindowsHookEx(g_holds.hook);
    closed = true;
    prober.join();
    // A repaint still waited for when the window was drawn waited at least this long.
    const LONG unpainted = static_cast<LONG>(g_probe.drawnAt - g_repaint.invalidatedAt);
    if (g_repaint.list != nullptr && !g_repaint.painted && unpainted > 0)
        g_repaint.longestWait = std::max<DWORD>(g_repaint.longestWait, static_cast<DWORD>(unpainted));
    if (!g_probe.drawn)
        return Fail("the window was not drawn with every device connected and polled within 900 s");
    char repaint[64] = "";
    if (g_repaint.list != nullptr)
        std::snprintf(repaint, sizeof repaint, ", of a repaint %.2f s", g_repaint.longestWait / 1000.0);
    char started[64] = "threads it started: not counted";
    if (starts.Installed())
        std::snprintf(started, sizeof started, "threads it started %d", starts.Count());
    std::printf("The longest holds of the interface thread while a posted command waited:");
    for (const Hold& hold : g_holds.longest)
        std::printf(" %lu ms (message 0x%04x, wParam 0x%llx, to %s)", static_cast<unsigned long>(hold.ms), hold.message,
                    static_cast<unsigned long long>(hold.wParam), hold.windowClass[0] != '\0' ? hold.windowClass : "the thread");
    std::printf("\n");
    std::printf("Connect All of %zu devices to a drawn window: %.1f s; longest wait of a posted command %.2f s%s "
                "(interface thread's processor time %.1f s, %s)\n",
                listed, (g_probe.drawnAt - g_probe.start) / 1000.0, g_probe.longestWait / 1000.0, repaint, g_probe.cpu,
                started);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "workspace")
        return WriteWorkspace(argc, argv);
    if (mode == "connect-all")
        return ConnectAll();
    if (mode == "connect-time")
        return ConnectTime(argc, argv);
    if (mode == "watch" && argc > 2)
        return Watch(argv[2], argc > 3 ? argv[3] : "1");
    return Fail("usage: DemoBench workspace OUT.pxs DISPLAYS LOGGED UNIT=NAME@WHERE... | connect-all | watch FILE.csv [SECONDS] | "
                "connect-time SITE.pxs");
}
