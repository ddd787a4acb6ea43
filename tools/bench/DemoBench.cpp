// Helpers of tools/bench-demo, which measures what the demo site and Pyraxis cost.
// Usage:
//   DemoBench workspace OUT.pxs COM UNIT=NAME...   a workspace of the site's devices on COM
//                                                 (unit id and devices.xml name each) and
//                                                 one State display of all their variables
//   DemoBench connect-all                         Devices > Connect All in the Pyraxis that runs
// Problems go to stderr and make the exit code non-zero.
#include "framework/FrameworkBase.h"
#include "displays/CDisplayStateDoc.h"
#include "displays/CDisplayStateView.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "documents/GenericDevices.h"
#include "documents/workspace/CDocumentWorkspace.h"
#include "framework/CDocTemplate.h"
#include "shell/CMainFrame.h"
#include "shell/CVarnixViewApp.h"
#include "shell/ProgramFolders.h"
#include "shell/ShellCommands.h"

#include <cstdio>
#include <cstdlib>
#include <string>

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

int WriteWorkspace(int argc, char** argv)
{
    if (argc < 5)
        return Fail("usage: DemoBench workspace OUT.pxs COM UNIT=NAME...");
    const std::string out = argv[2];
    const int com = std::atoi(argv[3]);
    CVarnixViewApp app;
    CMainFrame* frame = app.CreateShell();
    if (frame == nullptr)
        return Fail("no main frame");
    CDocumentManager* manager = app.GetDocumentManager();
    const std::wstring devicesXml = GetProgramFolders().GetDevicesXmlPath();
    const GenericDeviceList_t described = LoadGenericDevices(devicesXml, manager, -1, -1, nullptr, nullptr);

    CDocTemplatePtr stateTemplate;
    for (const CDocTemplatePtr& docTemplate : manager->GetDocTemplates())
        if (stateTemplate == nullptr)
            stateTemplate = docTemplate;   // State comes first
    CDisplayStateDoc* state = dynamic_cast<CDisplayStateDoc*>(stateTemplate->OpenDocumentFile(nullptr, TRUE));
    if (state == nullptr)
        return Fail("no State display");
    CDocumentDisplayPtr display(state);
    manager->AddDisplay(display);
    POSITION position = state->GetFirstViewPos();
    CDisplayStateView* view = dynamic_cast<CDisplayStateView*>(state->GetNextViewAt(position));

    size_t variables = 0;
    for (int arg = 4; arg < argc; ++arg) {
        const std::string spec = argv[arg];
        const size_t equals = spec.find('=');
        const int unit = std::atoi(spec.substr(0, equals).c_str());
        const std::string name = equals == std::string::npos ? "" : spec.substr(equals + 1);
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
        ModbusEndpoint_t endpoint;
        endpoint.network = false;
        endpoint.port = com;
        endpoint.unitId = unit;
        device->ApplyEndpoint(endpoint);
        CTreeItemPtr owner(new CTreeItem(device->GetName(), "", PLOT_ID_NONE, PLOT_ID_NONE, device->GetId(), ""));
        device->CollectPlotItems(owner->GetPlotItems());
        for (const CTreeItemPtr& item : owner->GetPlotItems()) {
            item->SetAssociated(owner);
            if (view->CanDrop(item.get())) {
                view->Drop(item.get());
                ++variables;
            }
        }
    }
    Pump();
    CDocumentWorkspace workspace;
    if (!workspace.OnSaveDocument(out.c_str()))
        return Fail("cannot write " + out);
    std::printf("workspace %s: %d devices, %zu variables on its State display\n", out.c_str(), argc - 4, variables);
    manager->CloseAll();
    ::DestroyWindow(frame->GetSafeHwnd());
    Pump();
    return 0;
}

// Pyraxis's main frame: the top-level window whose caption starts with the program's name.
BOOL CALLBACK FindFrame(HWND window, LPARAM found)
{
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    if (::IsWindowVisible(window) && std::string(text).rfind("Pyraxis", 0) == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

int ConnectAll()
{
    HWND frame = nullptr;
    for (int wait = 0; wait < 600 && frame == nullptr; ++wait) {
        ::EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&frame));
        if (frame == nullptr)
            ::Sleep(100);
    }
    if (frame == nullptr)
        return Fail("no Pyraxis window");
    ::PostMessageA(frame, WM_COMMAND, ID_DEVICES_CONNECT_ALL, 0);
    std::printf("Connect All sent\n");
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
    return Fail("usage: DemoBench workspace OUT.pxs COM UNIT=NAME... | connect-all");
}
